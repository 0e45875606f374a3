// The main window's event handlers: the menus, the option controls, the choosers and the runs.
#include "forms/CopyMain.h"

#include <shellapi.h>

#include <optional>

#include "controls/IndBoks.h"
#include "core/Abort.h"
#include "core/HelpPage.h"
#include "core/Report.h"
#include "base/Text.h"
#include "forms/CopyOm.h"
#include "forms/CopyStatus.h"
#include "forms/HelpPage.h"
#include "CopyMainIds.h"

namespace tavrel {

namespace {

// The menu commands that switch, rename or rebuild the job (WaitsForRun says which wait for a run).
std::optional<JobCommand> JobCommandOf(int id) {
    switch (id) {
    case ID_MNUAABN: return JobCommand::Open;
    case ID_MNULUK: return JobCommand::Close;
    case ID_MNUGEM: return JobCommand::Save;
    case ID_MNUGEMSOM: return JobCommand::SaveAs;
    case ID_MNUOPDATER: return JobCommand::Refresh;
    case ID_MNUDISKETTEDREV: return JobCommand::FloppyDrives;
    default:
        if (id >= ID_MNUSIDSTEFIL1 && id < ID_MNUSIDSTEFIL1 + 4) return JobCommand::Recent;
        return std::nullopt;
    }
}

void SetMenuText(HMENU menu, UINT id, const std::string& text) {
    std::wstring wide = ToWide(text);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = wide.data();
    ::SetMenuItemInfoW(menu, id, FALSE, &info);
}

}  // namespace

bool TfrmCopyMain::Checked(HWND box) const { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool TfrmCopyMain::OnCommand(int id, int code, HWND control) {
    if (!job_) return false;
    HandlerScope scope(*this);
    if (!control) return HandleMenuCommand(id);
    switch (id) {
    case ID_CMDSTART:
        if (code == BN_CLICKED) cmdStartClick();
        return true;
    case ID_CMDINFO:
        if (code == BN_CLICKED) cmdInfoClick();
        return true;
    case ID_CMDDEST:
        if (code == BN_CLICKED) cmdDestClick();
        return true;
    case ID_CMDBESKRIVELSE:
        if (code == BN_CLICKED) cmdBeskrivelseClick();
        return true;
    case ID_CMDTILFOEJ:
        if (code == BN_CLICKED) cmdTilfoejClick();
        return true;
    case ID_CMDSLET:
        if (code == BN_CLICKED) cmdSletClick();
        return true;
    case ID_TXTNYTYPE:
        if (code == EN_CHANGE) txtNyTypeChange();
        return true;
    case ID_LBFILTYPER:
        if (code == LBN_SELCHANGE) lbFiltyperClick();
        return true;
    case ID_CHKMODSAT:
        if (code == BN_CLICKED) chkModsatClick();
        return true;
    case ID_CHKKUNNYE:
    case ID_OPTUDELAD:
    case ID_OPTKUN:
    case ID_CHKSLETDEST:
    case ID_CHKUNDERMAPPER:
        if (code == BN_CLICKED) KontrolKlik(id);
        return true;
    default:
        return false;
    }
}

bool TfrmCopyMain::HandleMenuCommand(int id) {
    if (guard_.Running()) {
        const std::optional<JobCommand> command = JobCommandOf(id);
        if (command && WaitsForRun(*command, *job_)) return true;
    }
    switch (id) {
    case IDOK: {
        // Enter, as the dialog keys deliver it: in the new-type box it adds the type, on a
        // push button it presses the button, as in any dialog.
        HWND focus = ::GetFocus();
        if (focus == txtNyType) {
            txtNyTypeKeyDown(VK_RETURN);
        } else if (focus && ::IsChild(hwnd_, focus) && ::IsWindowEnabled(focus) &&
                   (::SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
            OnCommand(::GetDlgCtrlID(focus), BN_CLICKED, focus);
        }
        return true;
    }
    case IDCANCEL:
        AfbrydKeyDown(VK_ESCAPE);
        return true;
    case ID_MNUAABN: job_->Open(); return true;
    case ID_MNULUK: job_->Close(); return true;
    case ID_MNUGEM: job_->Save(); return true;
    case ID_MNUGEMSOM: job_->SaveAs(); return true;
    case ID_MNUAFSLUT: mnuAfslutClick(); return true;
    case ID_MNUTAB: mnuTabClick(); return true;
    case ID_MNUDISKETTEDREV: mnuDiskettedrevClick(); return true;
    case ID_MNUUDELADTE: mnuUdeladteClick(); return true;
    case ID_MNUOPDATER: mnuOpdaterClick(); return true;
    case ID_MNUHJAELP: mnuHjaelpClick(); return true;
    case ID_MENUOM: menuOmClick(); return true;
    default:
        if (id >= ID_MNUSIDSTEFIL1 && id < ID_MNUSIDSTEFIL1 + 4) {
            mnuSidsteFilClick(id - ID_MNUSIDSTEFIL1 + 1);
            return true;
        }
        return false;
    }
}

bool TfrmCopyMain::OnNotify(NMHDR* hdr, LRESULT& result) {
    if (hdr->idFrom == ID_TABCONTROL1 && hdr->code == TCN_SELCHANGE) {
        TabControl1Change();
        result = 0;
        return true;
    }
    return false;
}

// ---- Tabs and menus ----

void TfrmCopyMain::TabControl1Change() {
    const bool filter = TabControl1.Send(TCM_GETCURSEL) == 1;
    pan2.Show(filter ? SW_SHOW : SW_HIDE);
    pan1.Show(filter ? SW_HIDE : SW_SHOW);
    // The keyboard must not stay on a control that is no longer shown.
    HWND hidden = filter ? pan1.Handle() : pan2.Handle();
    if (::IsChild(hidden, ::GetFocus())) ::SetFocus(*DirTreeT1);
    auto tabStop = [](HWND h, bool on) {
        LONG_PTR style = ::GetWindowLongPtrW(h, GWL_STYLE);
        ::SetWindowLongPtrW(h, GWL_STYLE, on ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
    };
    tabStop(cmdBeskrivelse, !filter);
    tabStop(cmdStart, !filter);
}

void TfrmCopyMain::mnuTabClick() {
    const LRESULT shown = TabControl1.Send(TCM_GETCURSEL);
    TabControl1.Send(TCM_SETCURSEL, shown == 0 ? 1 : 0);
    TabControl1Change();
}

void TfrmCopyMain::menuVisClick(HMENU menu) {
    SetMenuText(menu, ID_MNUTAB, OtherTabName(static_cast<int>(TabControl1.Send(TCM_GETCURSEL))) + "\tCtrl+Tab");
    const bool report = FileExists(fs_, SkippedReportFile(job_->JobFileName()));
    ::EnableMenuItem(menu, ID_MNUUDELADTE, MF_BYCOMMAND | (report ? MF_ENABLED : MF_GRAYED));
    const UINT duringRun = MF_BYCOMMAND | (guard_.Running() ? MF_GRAYED : MF_ENABLED);
    ::EnableMenuItem(menu, ID_MNUDISKETTEDREV, duringRun);
    ::EnableMenuItem(menu, ID_MNUOPDATER, duringRun);
}

void TfrmCopyMain::menuFilerClick(HMENU menu) {
    // BuildRecentMenu: the list never shrinks, so the items are simply made anew each time.
    for (int id = ID_N1; id < ID_MNUSIDSTEFIL1 + 4; ++id) ::DeleteMenu(menu, id, MF_BYCOMMAND);
    recentPaths_ = settings_.RecentFiles();
    if (!recentPaths_.empty()) {
        // In front of the separator above "&Afslut".
        int at = ::GetMenuItemCount(menu) - 2;
        ::InsertMenuW(menu, at++, MF_BYPOSITION | MF_SEPARATOR, ID_N1, nullptr);
        for (size_t i = 0; i < recentPaths_.size() && i < 4; ++i) {
            std::wstring caption = ToWide(RecentMenuCaption(static_cast<int>(i + 1), recentPaths_[i]));
            ::InsertMenuW(menu, at++, MF_BYPOSITION | MF_STRING, ID_MNUSIDSTEFIL1 + i, caption.c_str());
        }
    }
    auto enable = [&](int id) {
        const bool waits = guard_.Running() && WaitsForRun(*JobCommandOf(id), *job_);
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (waits ? MF_GRAYED : MF_ENABLED));
    };
    for (int id : {ID_MNUAABN, ID_MNULUK, ID_MNUGEM, ID_MNUGEMSOM}) enable(id);
    for (size_t i = 0; i < recentPaths_.size() && i < 4; ++i) enable(ID_MNUSIDSTEFIL1 + static_cast<int>(i));
}

void TfrmCopyMain::mnuSidsteFilClick(int entry) {
    if (entry < 1 || static_cast<size_t>(entry) > recentPaths_.size()) return;
    job_->OpenRecent(recentPaths_[entry - 1]);
}

// ---- The options ----

void TfrmCopyMain::cmdDestClick() {
    if (!BrwDirDlg1->Execute(hwnd_)) return;
    job_->ChooseDestination(BrwDirDlg1->Selection());
}

void TfrmCopyMain::cmdBeskrivelseClick() {
    std::string text = job_->Settings().description;
    if (IndBoksQuery("Job", "Giv en kort beskrivelse af jobbet:", "&OK", "Annuller", text))
        job_->SetDescription(text);
}

void TfrmCopyMain::txtNyTypeChange() { cmdTilfoej.Enable(!txtNyType.GetText().empty()); }

void TfrmCopyMain::cmdTilfoejClick() {
    const std::string typed = txtNyType.GetText();
    if (typed.empty()) return;
    job_->AddFileType(typed);
}

void TfrmCopyMain::txtNyTypeKeyDown(UINT key) {
    if (key == VK_RETURN && !txtNyType.GetText().empty()) cmdTilfoejClick();
}

void TfrmCopyMain::cmdSletClick() {
    const int count = static_cast<int>(lbFiltyper.Send(LB_GETSELCOUNT));
    std::vector<int> selected(static_cast<size_t>(std::max(count, 0)));
    if (count > 0) lbFiltyper.Send(LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(selected.data()));
    job_->DeleteFileTypes(selected);
}

void TfrmCopyMain::lbFiltyperClick() { cmdSlet.Enable(lbFiltyper.Send(LB_GETCOUNT) > 0); }

void TfrmCopyMain::KontrolKlik(int id) {
    switch (id) {
    case ID_CHKKUNNYE: job_->SetFlag(&JobSettings::onlyNewAndChanged, Checked(chkKunNye)); break;
    case ID_OPTUDELAD:
    case ID_OPTKUN: job_->SetFlag(&JobSettings::onlyListedTypes, Checked(optKun)); break;
    case ID_CHKSLETDEST: job_->SetFlag(&JobSettings::deleteDestFirst, Checked(chkSletDest)); break;
    case ID_CHKUNDERMAPPER: job_->SetFlag(&JobSettings::includeSubfolders, Checked(chkUnderMapper)); break;
    default: break;
    }
}

void TfrmCopyMain::chkModsatClick() { job_->SetReverse(Checked(chkModsat)); }

// ---- Runs ----

void TfrmCopyMain::cmdStartClick() { RunJob(rmCopy); }

void TfrmCopyMain::cmdInfoClick() { RunJob(rmCount); }

void TfrmCopyMain::RunJob(RunMode mode) {
    if (!run_) return;
    HandlerScope scope(*this);
    guard_.Run([&] { run_->RunCopy(mode); });
}

// ---- View ----

void TfrmCopyMain::mnuOpdaterClick() {
    BusyScope busy(&cursor_);
    SetStatusText("Opdaterer...");
    DirTreeT1->BeginUpdate();
    DirTreeT1->RefreshTree();
    job_->Reload();
    DirTreeT1->EndUpdate();
    SetStatusText("Klar");
}

void TfrmCopyMain::mnuDiskettedrevClick() {
    HMENU menu = ::GetMenu(hwnd_);
    const bool floppy = (::GetMenuState(menu, ID_MNUDISKETTEDREV, MF_BYCOMMAND) & MF_CHECKED) == 0;
    ::CheckMenuItem(menu, ID_MNUDISKETTEDREV, MF_BYCOMMAND | (floppy ? MF_CHECKED : MF_UNCHECKED));
    DirTreeT1->SetShowFloppyDrives(floppy);
    DirTreeT1->RefreshTree();
    marking_->ClearAllMarks();
}

void TfrmCopyMain::mnuUdeladteClick() { shell_.OpenWithShell(SkippedReportFile(job_->JobFileName())); }

void TfrmCopyMain::mnuHjaelpClick() {
    // The help page that ships with the program, at the part about the tab in front. The
    // Windows help viewer is not asked: where a stub of it remains, it only shows a notice.
    OpenHelpPage(fs_, shell_, messages_, HelpSectionOfTab(static_cast<int>(TabControl1.Send(TCM_GETCURSEL))));
}

void TfrmCopyMain::menuOmClick() { ShowAbout(hwnd_); }

void TfrmCopyMain::mnuAfslutClick() { Post(WM_CLOSE); }

}  // namespace tavrel
