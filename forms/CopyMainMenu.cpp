// The main window's event handlers: the menus, the option controls, the choosers and the runs.
#include "forms/CopyMain.h"

#include <shellapi.h>

#include <optional>

#include "controls/IndBoks.h"
#include "core/Abort.h"
#include "core/HelpPage.h"
#include "core/Report.h"
#include "core/RunHistory.h"
#include "base/Text.h"
#include "core/PlanJob.h"
#include "forms/CopyOm.h"
#include "forms/CopyPlan.h"
#include "forms/CopyStatus.h"
#include "forms/HelpPage.h"
#include "platform/win32/Win32TaskScheduler.h"
#include "CopyMainIds.h"

namespace tavrel {

namespace {

// The menu items that switch, rename or rebuild the job; during a run WaitsForRun says which wait.
struct JobItem {
    int id;
    JobCommand command;
};
constexpr JobItem kJobItems[] = {
    {ID_MNUAABN, JobCommand::Open},       {ID_MNULUK, JobCommand::Close},
    {ID_MNUGEM, JobCommand::Save},        {ID_MNUGEMSOM, JobCommand::SaveAs},
    {ID_MNUPLANLAEG, JobCommand::Plan},
    {ID_MNUOPDATER, JobCommand::Refresh}, {ID_MNUDISKETTEDREV, JobCommand::FloppyDrives},
    {ID_MNUSIDSTEFIL1, JobCommand::Recent}, {ID_MNUSIDSTEFIL1 + 1, JobCommand::Recent},
    {ID_MNUSIDSTEFIL1 + 2, JobCommand::Recent}, {ID_MNUSIDSTEFIL1 + 3, JobCommand::Recent},
};

}  // namespace

std::function<void()> TfrmCopyMain::Handler(std::function<void()> handler) {
    return [this, handler = std::move(handler)] {
        HandlerScope scope(*this);
        handler();
    };
}

void TfrmCopyMain::BindEvents() {
    TabControl1.onSelectionChanged = Handler([this] { TabControl1Change(); });
    cmdStart.onClick = Handler([this] { cmdStartClick(); });
    cmdInfo.onClick = Handler([this] { cmdInfoClick(); });
    cmdDest.onClick = Handler([this] { cmdDestClick(); });
    cmdBeskrivelse.onClick = Handler([this] { cmdBeskrivelseClick(); });
    cmdTilfoej.onClick = Handler([this] { cmdTilfoejClick(); });
    cmdSlet.onClick = Handler([this] { cmdSletClick(); });
    txtNyType.onChange = Handler([this] { txtNyTypeChange(); });
    lbFiltyper.onSelectionChanged = Handler([this] { lbFiltyperClick(); });
    for (size_t i = 0; i < jobBoxes_.size(); ++i) jobBoxes_[i]->onClick = Handler([this, i] { JobBoxClick(i); });
    DirTreeT1->OnMouseDown = [this](UINT, int x, int y) { marking_->ClickAt(x, y); };
    BindMenu();
}

void TfrmCopyMain::BindMenu() {
    commands_.On(ID_MNUAABN, [this] { job_->Open(); });
    commands_.On(ID_MNULUK, [this] { job_->Close(); });
    commands_.On(ID_MNUGEM, [this] { job_->Save(); });
    commands_.On(ID_MNUGEMSOM, [this] { job_->SaveAs(); });
    commands_.On(ID_MNUPLANLAEG, [this] { mnuPlanlaegClick(); });
    for (int entry = 1; entry <= 4; ++entry)
        commands_.On(ID_MNUSIDSTEFIL1 + entry - 1, [this, entry] { mnuSidsteFilClick(entry); });
    commands_.On(ID_MNUAFSLUT, [this] { mnuAfslutClick(); });
    commands_.On(ID_MNUTAB, [this] { mnuTabClick(); });
    commands_.On(ID_MNUDISKETTEDREV, [this] { mnuDiskettedrevClick(); });
    commands_.On(ID_MNUUDELADTE, [this] { mnuUdeladteClick(); });
    commands_.On(ID_MNUHISTORIK, [this] { mnuHistorikClick(); });
    commands_.On(ID_MNUOPDATER, [this] { mnuOpdaterClick(); });
    commands_.On(ID_MNUHJAELP, [this] { mnuHjaelpClick(); });
    commands_.On(ID_MENUOM, [this] { menuOmClick(); });
    // The dialog keys: Enter and Esc.
    commands_.On(IDOK, [this] { EnterKey(); });
    commands_.On(IDCANCEL, [this] { AfbrydKeyDown(VK_ESCAPE); });
}

bool TfrmCopyMain::OnCommand(int id, int, HWND control) {
    // The controls' notifications went to their own events; what is left here is a menu item,
    // a shortcut or a dialog key.
    if (!job_ || control) return false;
    HandlerScope scope(*this);
    if (WaitsForRunNow(id)) return true;
    return commands_.Run(id);
}

bool TfrmCopyMain::WaitsForRunNow(int id) const {
    if (!guard_.Running()) return false;
    for (const JobItem& item : kJobItems)
        if (item.id == id) return WaitsForRun(item.command, *job_);
    return false;
}

void TfrmCopyMain::EnterKey() {
    // Enter, as the dialog keys deliver it: in the new-type box it adds the type, on a push
    // button it presses the button, as in any dialog.
    HWND focus = ::GetFocus();
    if (focus == txtNyType) {
        txtNyTypeKeyDown(VK_RETURN);
    } else if (focus && ::IsChild(hwnd_, focus)) {
        PressPushButton(focus);
    }
}

// ---- Tabs and menus ----

void TfrmCopyMain::TabControl1Change() {
    const bool filter = TabControl1.Selected() == 1;
    pan2.Show(filter ? SW_SHOW : SW_HIDE);
    pan1.Show(filter ? SW_HIDE : SW_SHOW);
    // The keyboard must not stay on a control that is no longer shown.
    HWND hidden = filter ? pan1.Handle() : pan2.Handle();
    if (::IsChild(hidden, ::GetFocus())) ::SetFocus(*DirTreeT1);
    cmdBeskrivelse.SetTabStop(!filter);
    cmdStart.SetTabStop(!filter);
}

void TfrmCopyMain::mnuTabClick() {
    TabControl1.Select(TabControl1.Selected() == 0 ? 1 : 0);
    TabControl1Change();
}

void TfrmCopyMain::menuVisClick(MenuHandle menu) {
    menu.SetText(ID_MNUTAB, OtherTabName(TabControl1.Selected()) + design::kTabShortcut);
    menu.Enable(ID_MNUUDELADTE, FileExists(fs_, SkippedReportFile(job_->JobFileName())));
    menu.Enable(ID_MNUHISTORIK, FileExists(fs_, HistoryFileOf(job_->JobFileName())));
    menu.Enable(ID_MNUDISKETTEDREV, !guard_.Running());
    menu.Enable(ID_MNUOPDATER, !guard_.Running());
}

void TfrmCopyMain::menuFilerClick(MenuHandle menu) {
    // BuildRecentMenu: the list never shrinks, so the items are simply made anew each time.
    for (int id = ID_N1; id < ID_MNUSIDSTEFIL1 + 4; ++id) menu.Delete(id);
    recentPaths_ = settings_.RecentFiles();
    if (!recentPaths_.empty()) {
        // In front of the separator above "&Afslut".
        int at = menu.Count() - 2;
        menu.InsertSeparator(at++, ID_N1);
        for (size_t i = 0; i < recentPaths_.size() && i < 4; ++i)
            menu.Insert(at++, ID_MNUSIDSTEFIL1 + static_cast<int>(i),
                        RecentMenuCaption(static_cast<int>(i + 1), recentPaths_[i]));
    }
    for (int id : {ID_MNUAABN, ID_MNULUK, ID_MNUGEM, ID_MNUGEMSOM, ID_MNUPLANLAEG})
        menu.Enable(id, !WaitsForRunNow(id));
    for (size_t i = 0; i < recentPaths_.size() && i < 4; ++i)
        menu.Enable(ID_MNUSIDSTEFIL1 + static_cast<int>(i), !WaitsForRunNow(ID_MNUSIDSTEFIL1 + static_cast<int>(i)));
}

void TfrmCopyMain::mnuPlanlaegClick() {
    Win32TaskScheduler scheduler;
    TfrmPlan dialog(hwnd_);
    PlanJob(*job_, scheduler, dialog, ProgramFolder());
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
    const design::InputTexts& box = design::kDescription;
    if (IndBoksQuery(box.caption, box.prompt, box.ok, box.cancel, text))
        job_->SetDescription(text);
}

void TfrmCopyMain::txtNyTypeChange() { cmdTilfoej.Enable(!txtNyType.Text().empty()); }

void TfrmCopyMain::cmdTilfoejClick() {
    const std::string typed = txtNyType.Text();
    if (typed.empty()) return;
    job_->AddFileType(typed);
}

void TfrmCopyMain::txtNyTypeKeyDown(UINT key) {
    if (key == VK_RETURN && !txtNyType.Text().empty()) cmdTilfoejClick();
}

void TfrmCopyMain::cmdSletClick() { job_->DeleteFileTypes(lbFiltyper.SelectedIndices()); }

void TfrmCopyMain::lbFiltyperClick() { cmdSlet.Enable(lbFiltyper.Count() > 0); }

void TfrmCopyMain::JobBoxClick(size_t line) {
    const design::JobBox& box = design::kJobBoxes[line];
    job_->SetFlag(box.option, jobBoxes_[line]->Checked() == box.checkedMeans);
}

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
    SetStatusText(design::kRefreshing);
    DirTreeT1->BeginUpdate();
    DirTreeT1->RefreshTree();
    job_->Reload();
    DirTreeT1->EndUpdate();
    SetStatusText(kReadyText);
}

void TfrmCopyMain::mnuDiskettedrevClick() {
    const bool floppy = !menu_.Checked(ID_MNUDISKETTEDREV);
    menu_.Check(ID_MNUDISKETTEDREV, floppy);
    DirTreeT1->SetShowFloppyDrives(floppy);
    DirTreeT1->RefreshTree();
    marking_->ClearAllMarks();
}

void TfrmCopyMain::mnuUdeladteClick() { shell_.OpenWithShell(SkippedReportFile(job_->JobFileName())); }

void TfrmCopyMain::mnuHistorikClick() { shell_.OpenWithShell(HistoryFileOf(job_->JobFileName())); }

void TfrmCopyMain::mnuHjaelpClick() {
    // The help page that ships with the program, at the part about the tab in front. The
    // Windows help viewer is not asked: where a stub of it remains, it only shows a notice.
    OpenHelpPage(fs_, shell_, messages_, HelpSectionOfTab(TabControl1.Selected()));
}

void TfrmCopyMain::menuOmClick() { ShowAbout(hwnd_); }

void TfrmCopyMain::mnuAfslutClick() { Post(WM_CLOSE); }

}  // namespace tavrel
