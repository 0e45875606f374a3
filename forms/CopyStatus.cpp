#include "forms/CopyStatus.h"

#include "core/Abort.h"
#include "core/Texts.h"
#include "forms/UiFont.h"
#include "res/resource.h"

namespace tavrel {

namespace {

// The caption until a run gives its phase's; the controls' texts are where FormCreate makes them.
constexpr const char* kCaption = "Kopierer filer";
constexpr int kClientWidth = 592, kClientHeight = 168;
constexpr UINT_PTR kFolderTextTimer = 1;
constexpr DWORD kFolderTextInterval = 100;  // ms

TTextBar::CreateArgs CountLabel(int left, int top, int width, int height, TAlignment alignment = taLeftJustify) {
    return {.left = Scale(left), .top = Scale(top), .width = Scale(width), .height = Scale(height),
            .alignment = alignment};
}

}  // namespace

TStatus::TStatus()
    : lblFilerIalt(grpMarkeret, CountLabel(16, 20, 87, 19)),
      lblKBIalt(grpMarkeret, CountLabel(16, 44, 87, 19)),
      lblTid(GroupBox1, CountLabel(8, 14, 73, 19, taCenter)),
      lblFilerK(grpKopieret, CountLabel(16, 20, 87, 19)),
      lblKBK(grpKopieret, CountLabel(16, 44, 87, 19)),
      lblMappe(panMappe, {.left = 0, .top = 0, .width = Scale(577), .height = Scale(33),
                          .verticalAlign = vaCenter, .wordWrap = true}) {}

namespace {
// The one progress window of the process, for the activation hook.
TStatus* g_status = nullptr;
}  // namespace

TStatus::~TStatus() {
    if (cbtHook_) ::UnhookWindowsHookEx(cbtHook_);
    if (g_status == this) g_status = nullptr;
}

// The window stays on top of all others, so a question or notice that a run (or the main
// window) opens meanwhile would lie hidden behind it while it waits for an answer. Such a
// dialog is made topmost as well when it is activated, so it comes out above.
LRESULT CALLBACK TStatus::CbtHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE && g_status && g_status->IsVisible()) {
        HWND activated = reinterpret_cast<HWND>(wp);
        wchar_t cls[16] = {};
        ::GetClassNameW(activated, cls, 16);
        if (activated != g_status->Handle() && wcscmp(cls, L"#32770") == 0 &&
            !(::GetWindowLongPtrW(activated, GWL_EXSTYLE) & WS_EX_TOPMOST))
            ::SetWindowPos(activated, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

bool TStatus::Create(HWND owner) {
    return CreateModeless(owner, {.title = kCaption,
                                  .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                  .exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST,
                                  .cx = 300,
                                  .cy = 100,
                                  .fontName = UiFontName.empty() ? kFormFontName : UiFontName});
}

bool TStatus::OnInitDialog() {
    FormCreate();
    g_status = this;
    if (!cbtHook_) cbtHook_ = ::SetWindowsHookExW(WH_CBT, CbtHook, nullptr, ::GetCurrentThreadId());
    return true;
}

void TStatus::FormCreate() {
    HFONT font = FormFont();
    SetFont(font, false);

    // Client 592 x 168, centred on the screen and above other windows.
    SizeClientAndCentre(hwnd_, kClientWidth, kClientHeight, HWND_TOPMOST);

    // The controls with their texts and places, in tab order.
    auto button = [&](Button& b, int id, const char* text, int left, int top) {
        b.Create(hwnd_, {.text = text, .bounds = ScaleRect(left, top, 75, 25), .id = id});
    };
    auto group = [&](TPanel& panel, int id, const char* caption, RECT bounds) {
        panel.CreatePanel({.parent = hwnd_, .id = id, .bounds = bounds, .caption = caption, .font = font});
    };
    button(cmdAnnuller, idAnnuller, "Annuller", 504, 136);
    group(grpMarkeret, idMarkeret, " Gennemset: ", ScaleRect(16, 88, 121, 73));
    group(grpKopieret, idKopieret, kCopiedGroupCaption, ScaleRect(240, 88, 121, 73));
    button(cmdKopier, idKopier, " &Start", 504, 96);
    SetButtonPicture(cmdKopier, IDI_START);
    button(cmdUdeladte, idUdeladte, "&Udeladte filer", 504, 32);
    group(GroupBox1, idTid, " Tid: ", ScaleRect(144, 88, 89, 41));
    group(panMappe, idMappe, "", ScaleRect(8, 56, 577, 33));
    // Below lblMappe in the z-order: placed 16 down, the animation reaches under the label.
    Animate1.CreateAnimation(hwnd_, idAnimate, ScaleRect(51, 0, 272, 60));
    cmdKopier.Hide();
    cmdUdeladte.Hide();
    // cmdAnnuller is the cancel button: its press, Esc and the close box all reach OnCancel.
    cmdKopier.onClick = [this] { cmdKopierClick(); };
    cmdUdeladte.onClick = [this] { cmdUdeladteClick(); };
}

void TStatus::FormCloseQuery() {
    // Closing is always allowed; a run under way stops at its next poll.
    AbortRequested = true;
    Hide();
    if (OnClosed) OnClosed();
}

void TStatus::cmdKopierClick() {
    if (OnKopier) OnKopier();
}

void TStatus::cmdUdeladteClick() {
    if (OnUdeladte) OnUdeladte();
}

void TStatus::SetCaption(const std::string& text) { SetText(text); }

void TStatus::SetMarkedGroupVisible(bool visible) { grpMarkeret.Show(visible ? SW_SHOWNA : SW_HIDE); }

void TStatus::SetCopiedGroupCaption(const std::string& text) { grpKopieret.SetCaption(text); }

void TStatus::SetCancelCaption(const std::string& text) { cmdAnnuller.SetText(text); }

void TStatus::SetFinishButtonsVisible(bool visible) {
    cmdKopier.Show(visible ? SW_SHOWNA : SW_HIDE);
    cmdUdeladte.Show(visible ? SW_SHOWNA : SW_HIDE);
}

void TStatus::ShowProgress() {
    if (!IsVisible()) Show(SW_SHOW);
}

void TStatus::PlayAnimation(RunClip clip) {
    const int top = clip == RunClip::SearchFile ? 16 : 0;
    ::SetWindowPos(Animate1, nullptr, Scale(51), Scale(top), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Animate1.Play(clip);
}

void TStatus::StopAnimation() { Animate1.Stop(); }

void TStatus::SetCounts(const std::string& examinedFiles, const std::string& examinedSize,
                        const std::string& copiedFiles, const std::string& copiedSize) {
    lblFilerIalt.SetCaption(examinedFiles);
    lblKBIalt.SetCaption(examinedSize);
    lblFilerK.SetCaption(copiedFiles);
    lblKBK.SetCaption(copiedSize);
}

void TStatus::SetElapsed(const std::string& text) { lblTid.SetCaption(text); }

void TStatus::SetFolderText(const std::string& text) {
    pendingFolderText_ = text;
    const DWORD now = ::GetTickCount();
    if (text.empty() || now - lastFolderPaint_ >= kFolderTextInterval)
        FlushFolderText();
    else if (!folderTimerSet_ && hwnd_)
        folderTimerSet_ = ::SetTimer(hwnd_, kFolderTextTimer, kFolderTextInterval, nullptr) != 0;
}

void TStatus::FlushFolderText() {
    if (folderTimerSet_) ::KillTimer(hwnd_, kFolderTextTimer);
    folderTimerSet_ = false;
    lastFolderPaint_ = ::GetTickCount();
    lblMappe.SetCaption(pendingFolderText_);
    if (IsVisible()) panMappe.Update();
}

bool TStatus::OnTimer(UINT_PTR id) {
    if (id != kFolderTextTimer) return false;
    FlushFolderText();
    return true;
}

}  // namespace tavrel
