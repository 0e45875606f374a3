#include "forms/CopyMain.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdint>

#include "controls/Collation.h"
#include "core/Abort.h"
#include "core/CopyPool.h"
#include "core/ListSync.h"
#include "base/Path.h"
#include "forms/Brand.h"
#include "forms/CopyStatus.h"
#include "forms/UiFont.h"
#include "CopyMainIds.h"
#include "resource.h"

namespace tavrel {

namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr DWORD kQueueLookInterval = 10;  // ms between a run's looks at the message queue

}  // namespace

// The run's host: the status bar, Timer1, the busy cursor and the message pump belong to the
// main window; the progress window shows the run itself.
class TfrmCopyMain::RunView : public IRunHost {
public:
    explicit RunView(TfrmCopyMain& w) : w_(w) {}

    void ProcessMessages() override { w_.PumpMessages(); }
    void SetStatusText(const std::string& text) override { w_.SetStatusText(text); }
    void SetTimerEnabled(bool enabled) override {
        if (enabled)
            ::SetTimer(w_.hwnd_, kTimer1, 1000, nullptr);
        else
            ::KillTimer(w_.hwnd_, kTimer1);
    }
    void SetBusyCursor(bool busy) override {
        if (busy)
            w_.cursor_.Begin();
        else
            w_.cursor_.End();
    }

private:
    TfrmCopyMain& w_;
};

TfrmCopyMain::HandlerScope::~HandlerScope() {
    if (w_.guard_.Leave() && w_.hwnd_) w_.Post(WM_CLOSE);
}

TfrmCopyMain::TfrmCopyMain() = default;

TfrmCopyMain::~TfrmCopyMain() {
    if (imlSmaa) ImageList_Destroy(imlSmaa);
    if (accel_) ::DestroyAcceleratorTable(accel_);
}

bool TfrmCopyMain::CreateMain(std::function<void(const std::string&)> splashText, std::function<void()> closeSplash) {
    splashText_ = std::move(splashText);
    closeSplash_ = std::move(closeSplash);
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    accel_ = ::LoadAcceleratorsW(inst, MAKEINTRESOURCEW(IDA_COPYMAIN));
    return Create({.className = L"TfrmCopyMain",
                   .title = design::kTitle,
                   .style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                   .exStyle = WS_EX_CONTROLPARENT,
                   .x = 0,
                   .y = 0,
                   .width = design::kWidth,
                   .height = design::kHeight,
                   .menu = ::LoadMenuW(inst, MAKEINTRESOURCEW(IDM_COPYMAIN)),
                   .icon = ::LoadIconW(inst, MAKEINTRESOURCEW(IDI_TAVREL))});
}

bool TfrmCopyMain::OnCreate() {
    FormCreate();
    return true;
}

void TfrmCopyMain::FormCreate() {
    // 1. The font of every window from now on.
    ChooseUiFontName();
    font_ = GetUiFont(UiFontName, 11);
    SetFont(font_, false);
    messages_.SetOwner(hwnd_);
    menu_ = ::GetMenu(hwnd_);

    // 2-4. The settings key stays open until the window closes.
    settings_.Open();
    ApplyPlacement(settings_.ReadPlacement(ScreenDpi()));
    bool floppy = settings_.ReadFloppy();
    menu_.Check(ID_MNUDISKETTEDREV, floppy);

    // 5-6. The tree with its marks, the job and the run.
    imlSmaa = ImageList_LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SMAA), SMAA_IMAGE_SIZE, 0,
                                   RGB(SMAA_MASK_COLOR_R, SMAA_MASK_COLOR_G, SMAA_MASK_COLOR_B), IMAGE_BITMAP,
                                   LR_CREATEDIBSECTION);
    DirTreeT1 = std::make_unique<TDirTreeT>(fs_, shellInfo_, &cursor_);
    DirTreeT1->SetShowFloppyDrives(floppy);
    DirTreeT1->ReadOnStart = true;
    runView_ = std::make_unique<RunView>(*this);
    session_ = std::make_unique<JobSession>(
        JobSessionDeps{.fs = fs_, .settings = settings_, .clock = clock_, .messages = messages_, .jobView = *this,
                       .runHost = runView_.get(), .cursor = &cursor_, .programFolder = ProgramFolder(),
                       .fileTypeOrder = CompareForUser, .shell = &shell_, .copyWorkers = CopyWorkersSetting()},
        *DirTreeT1, DirTreeT1->Model());
    marking_ = &session_->Marking();
    job_ = &session_->Job();
    run_ = &session_->Run();
    BrwDirDlg1 = std::make_unique<TBrowseDirectoryDlg>(fs_);
    BrwDirDlg1->Title = design::kBrowse.title;
    BrwDirDlg1->Root = TRootID::idDesktopExpanded;
    BrwDirDlg1->SetStatusText(design::kBrowse.status);
    BrwDirDlg1->ShowSelectionInStatus = true;
    CreateControls();
    BindEvents();
    ShowSettings(job_->Settings());

    // 7. The tree reads the drives; every node starts unmarked.
    marking_->ClearAllMarks();

    // 8-9. The job that was open at the last exit.
    job_->SetJobFileName(settings_.ReadLastJob());
    job_->LoadIfPresent([this] {
        if (splashText_) splashText_(design::kLoadingJob);
    });
    SetStatusText(kReadyText);

    // 10. The splash has done its work.
    if (closeSplash_) closeSplash_();
    closeSplash_ = nullptr;
    splashText_ = nullptr;

    // 11. At the right of the status bar.
    StatusBar1.SetText(1, std::string("\t\t") + kCopyrightLine, SBT_NOBORDERS);
}

void TfrmCopyMain::SetStatusWindow(TStatus* status) {
    status_ = status;
    if (run_) run_->SetProgressView(status_);
    if (!status_) return;
    status_->OnKopier = [this] { cmdStartClick(); };
    status_->OnUdeladte = [this] { mnuUdeladteClick(); };
}

void TfrmCopyMain::FormShow(const std::vector<std::string>& parameters, int showCommand) {
    {
        HandlerScope scope(*this);
        RunCommandLine(parameters, CommandLineDeps{fs_, *job_, *marking_, messages_, [this](RunMode mode) {
                                                       RunJob(mode);
                                                   }});
    }
    if (!hwnd_) return;
    Show(showCommand);
    // The tree is first in the tab order, so it has the keyboard at start.
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(*DirTreeT1);
    Update();
    // The progress window floats above the main window once both are on the screen.
    if (status_ && status_->IsVisible()) ::SetWindowPos(*status_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TfrmCopyMain::ApplyPlacement(const WindowPlacement& saved) {
    // The work area of the screen nearest to the saved place (the taskbar left out); a screen
    // that is gone leaves the window on the one nearest to where it was.
    auto bounded = [](int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, -32768, 32767)); };
    const RECT wanted{bounded(saved.left), bounded(saved.top), bounded(int64_t(saved.left) + saved.width),
                      bounded(int64_t(saved.top) + saved.height)};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    WindowPlacement p = saved;
    if (::GetMonitorInfoW(::MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &info)) {
        const RECT& work = info.rcWork;
        p = FitPlacement(saved, ScreenArea{work.left, work.top, work.right, work.bottom}, Scale(240), Scale(160));
    }
    ::SetWindowPos(hwnd_, nullptr, p.left, p.top, p.width, p.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

WindowPlacement TfrmCopyMain::CurrentPlacement() const {
    RECT r = WindowRect();
    // A minimized or maximized window is remembered at its normal place.
    if (::IsIconic(hwnd_) || ::IsZoomed(hwnd_)) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        if (::GetWindowPlacement(hwnd_, &wp)) r = wp.rcNormalPosition;
    }
    return WindowPlacement{r.top, r.left, r.bottom - r.top, r.right - r.left};
}

void TfrmCopyMain::FormResize() {
    if (!StatusBar1) return;
    StatusBar1.FollowParent();
    RECT r = WindowRect();
    StatusBar1.SetParts({std::max(0, static_cast<int>(r.right - r.left) - design::kStatusTextRight), -1});
    LayoutControls();
}

bool TfrmCopyMain::OnSize(UINT, int, int) {
    FormResize();
    return true;
}

// ---- IJobView ----

void TfrmCopyMain::ShowSettings(const JobSettings& s) {
    if (!lblBeskrivelse) return;
    lblBeskrivelse->SetCaption(s.description);
    lblDest->SetCaption(s.destination);
    lblDest->SetHint(s.destination);
    for (size_t i = 0; i < jobBoxes_.size(); ++i) {
        const design::JobBox& line = design::kJobBoxes[i];
        jobBoxes_[i]->SetChecked(s.*line.option == line.checkedMeans);
        if (line.disabledWhen) jobBoxes_[i]->Enable(!(s.*line.disabledWhen));
    }
    ShowFileTypes(s.fileTypes);
}

void TfrmCopyMain::ShowFileTypes(const std::vector<std::string>& types) {
    // Every change of the job comes here. The list is changed item by item, so that a
    // selection made before a change of the description, the destination or an option, or
    // before a type was added, is still there for "Slet".
    const std::vector<std::string> shown = lbFiltyper.Texts();
    std::vector<bool> selected;
    for (int i = 0; i < static_cast<int>(shown.size()); ++i) selected.push_back(lbFiltyper.Selected(i));
    const std::optional<std::vector<ListStep>> steps = PlanListSync(shown, selected, types);
    if (steps && steps->empty()) return;
    lbFiltyper.SetRedraw(false);
    if (steps) {
        for (const ListStep& step : *steps) {
            if (step.kind == ListStep::Insert)
                lbFiltyper.Insert(step.index, step.text);
            else
                lbFiltyper.Delete(step.index);
        }
    } else {
        // Another job: its own types, nothing selected.
        lbFiltyper.Clear();
        for (const std::string& type : types) lbFiltyper.Add(type);
    }
    lbFiltyper.SetRedraw(true);
}

void TfrmCopyMain::SetCaption(const std::string& caption) { SetText(caption); }

void TfrmCopyMain::SetStartEnabled(bool enabled) { cmdStart.Enable(enabled); }

void TfrmCopyMain::SetStatusText(const std::string& text) {
    if (!StatusBar1) return;
    StatusBar1.SetText(0, text);
    StatusBar1.Update();
}

void TfrmCopyMain::SetLastCopied(const std::string& text) {
    if (lblDato) lblDato->SetCaption(text);
}

namespace {

std::optional<std::string> AskJobFile(HWND owner, const std::string& initialFolder, bool save) {
    wchar_t file[MAX_PATH * 4] = {};
    std::wstring folder = ToWide(initialFolder);
    // The filter's name and pattern, each ended by a null character, and a null at the end.
    const std::wstring filter = ToWide(design::kJobFiles.filterName) + L'\0' + ToWide(design::kJobFiles.pattern) + L'\0';
    const std::wstring extension = ToWide(design::kJobFiles.extension);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH * 4;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    BOOL ok;
    if (save) {
        ofn.lpstrDefExt = extension.c_str();
        ok = ::GetSaveFileNameW(&ofn);
    } else {
        ofn.Flags |= OFN_FILEMUSTEXIST;
        ok = ::GetOpenFileNameW(&ofn);
    }
    if (!ok) return std::nullopt;
    return FromWide(file);
}

}  // namespace

std::optional<std::string> TfrmCopyMain::AskOpenJobFile(const std::string& initialFolder) {
    return AskJobFile(hwnd_, initialFolder, false);
}

std::optional<std::string> TfrmCopyMain::AskSaveJobFile(const std::string& initialFolder) {
    return AskJobFile(hwnd_, initialFolder, true);
}

// ---- Messages ----

bool TfrmCopyMain::PreTranslate(MSG& msg) {
    if (!hwnd_ || !msg.hwnd || (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd))) return false;
    RememberFocus();
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        AfbrydKeyDown(VK_ESCAPE);
        return true;
    }
    if (accel_ && ::TranslateAcceleratorW(hwnd_, accel_, &msg)) return true;
    return ::IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void TfrmCopyMain::PumpMessages() {
    // A run calls this before every entry it meets, and nearly always nothing waits. Looking
    // at the queue is a system call, and under Wine each look also reads what the display sent,
    // a third of a millisecond; looked at every millisecond, that doubled a run's time. So the
    // queue is looked at once per kQueueLookInterval, which still answers a click or a key at
    // once to the eye. The look itself is PeekMessage: under Wine only that fetches the keys
    // and clicks still waiting at the display.
    const DWORD now = ::GetTickCount();
    if (now - lastQueueLook_ < kQueueLookInterval) return;
    lastQueueLook_ = now;
    ProcessMessages([this](MSG& msg) { return PreTranslate(msg); });
}

int TfrmCopyMain::MessageLoop() {
    return RunMessageLoop([this](MSG& msg) { return PreTranslate(msg); });
}

LRESULT TfrmCopyMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITMENUPOPUP: {
        HMENU popup = reinterpret_cast<HMENU>(wp);
        if (popup == menu_.SubMenu(0)) menuFilerClick(popup);
        if (popup == menu_.SubMenu(1)) menuVisClick(popup);
        return 0;
    }
    case WM_NEXTDLGCTL: {
        // The dialog keys (Tab, the labels' accelerators) move the focus through this message,
        // which only dialogs handle by themselves.
        HWND target = LOWORD(lp) ? reinterpret_cast<HWND>(wp) : ::GetNextDlgTabItem(hwnd_, ::GetFocus(), wp != 0);
        if (target) {
            WindowHandle control(target);
            control.SetFocus();
            if (control.Send(WM_GETDLGCODE) & DLGC_HASSETSEL) control.Send(EM_SETSEL, 0, -1);
        }
        return 0;
    }
    case WM_ACTIVATE:
        // As in a dialog: the control that had the keyboard gets it back when the window is
        // active again, after a message box, the input box, the folder browser, About or
        // another program.
        if (LOWORD(wp) == WA_INACTIVE) {
            RememberFocus();
        } else if (!HIWORD(wp)) {
            RestoreFocus();
            return 0;
        }
        break;
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case WM_SETCURSOR:
        if (BusyCursorAt(reinterpret_cast<HWND>(wp)) && cursor_.OnSetCursor()) return TRUE;
        break;
    default:
        break;
    }
    return Window::HandleMessage(msg, wp, lp);
}

bool TfrmCopyMain::OnTimer(UINT_PTR id) {
    if (id != kTimer1) return false;
    if (run_) run_->ShowCountsAndTime();
    return true;
}

bool TfrmCopyMain::OnKeyDown(UINT key, LPARAM) {
    AfbrydKeyDown(key);
    return key == VK_ESCAPE;
}

void TfrmCopyMain::RememberFocus() {
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
}

void TfrmCopyMain::RestoreFocus() {
    HWND target = lastFocus_;
    // A control that was hidden (the other tab) or disabled meanwhile cannot take the keys.
    if (!target || !::IsWindow(target) || !::IsChild(hwnd_, target) || !::IsWindowVisible(target) ||
        !::IsWindowEnabled(target))
        target = DirTreeT1 ? DirTreeT1->Handle() : nullptr;
    if (target) ::SetFocus(target);
}

void TfrmCopyMain::AfbrydKeyDown(UINT key) {
    if (key == VK_ESCAPE) AbortRequested = true;
}

bool TfrmCopyMain::BusyCursorAt(HWND hit) const {
    if (!hit) return false;
    for (HWND area : {pan1.Handle(), pan2.Handle(), DirTreeT1 ? DirTreeT1->Handle() : nullptr})
        if (area && (hit == area || ::IsChild(area, hit))) return true;
    return false;
}

bool TfrmCopyMain::OnClose() {
    switch (guard_.RequestClose(AbortRequested)) {
    case RunGuard::CloseAction::Defer:
    case RunGuard::CloseAction::Ignore:
        return true;
    case RunGuard::CloseAction::Close:
        break;
    }
    if (!job_->CloseWindow(CurrentPlacement(), menu_.Checked(ID_MNUDISKETTEDREV))) {
        // The save failed: the window stays with the job unsaved, so it can be saved elsewhere.
        guard_.CloseRefused();
        return true;
    }
    return false;
}

bool TfrmCopyMain::OnDestroy() {
    ::KillTimer(hwnd_, kTimer1);
    ::PostQuitMessage(0);
    return false;
}

}  // namespace tavrel
