#include "forms/CopySplash.h"

#include <commctrl.h>

#include "forms/Brand.h"
#include "forms/UiFont.h"
#include "res/resource.h"

namespace tavrel {

namespace {
constexpr int kClientWidth = 406, kClientHeight = 107;
// lblCopyright keeps this right edge, beyond the client area, whatever its text.
constexpr int kCopyrightRight = 424;
}  // namespace

TfrmSplash::~TfrmSplash() {
    if (hwnd_ && ::IsWindow(hwnd_)) Destroy();
    if (icon_) ::DestroyIcon(icon_);
}

bool TfrmSplash::ShowSplash(HWND owner) {
    // The splash comes before the program registers the common controls; with version 6 of
    // them in the manifest, its buttons and labels need them already.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (!CreateModeless(owner, {.title = "Ambrex Tavrel",
                                .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                .cx = 270,
                                .cy = 70,
                                .fontName = "MS Sans Serif"}))
        return false;
    Show(SW_SHOW);
    Update();
    return true;
}

bool TfrmSplash::OnInitDialog() {
    FormCreate();
    return true;
}

void TfrmSplash::FormCreate() {
    // Before the main window has chosen UiFontName the form keeps "MS Sans Serif".
    HFONT form = FormFont();
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(form), FALSE);
    SizeClientAndCentre(hwnd_, kClientWidth, kClientHeight);

    lblProduct = CreateLabel(hwnd_, {.text = kProductName, .left = 64, .top = 16,
                                     .font = GetUiFont("Verdana", 24, true), .id = idProduct});
    lblver = CreateLabel(hwnd_, {.text = kMajorVersion, .left = 336, .top = 0,
                                 .font = GetUiFont("Verdana", 64, true), .id = idVer});
    lblProgram = CreateLabel(hwnd_, {.text = "Unders\xC3\xB8ger drev...", .left = 16, .top = 88, .font = form,
                                     .style = SS_CENTER | SS_NOPREFIX, .id = idProgram});
    lblCopyright = CreateLabel(hwnd_, {.text = kCopyrightLine, .top = 88, .rightEdge = kCopyrightRight,
                                       .font = form, .style = SS_RIGHT | SS_NOPREFIX, .id = idCopyright});
    SetText(kProductName);

    int size = Scale(32);
    imgIkon = CreateControl(hwnd_, {.className = L"STATIC", .style = SS_ICON | SS_REALSIZECONTROL,
                                    .x = Scale(16), .y = Scale(16), .width = size, .height = size, .id = idIkon});
    icon_ = static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TAVREL), IMAGE_ICON, size, size, 0));
    if (icon_) imgIkon.Send(STM_SETICON, reinterpret_cast<WPARAM>(icon_));

    // Below the client area, out of sight; Enter and Esc still press it.
    RECT ok = ScaleRect(136, 120, 75, 25);
    cmdOK = CreateControl(hwnd_, {.className = L"BUTTON", .text = "&OK", .style = BS_DEFPUSHBUTTON | WS_TABSTOP,
                                  .x = ok.left, .y = ok.top, .width = ok.right - ok.left,
                                  .height = ok.bottom - ok.top, .id = idOK});
    cmdOK.SetFont(form, false);
}

void TfrmSplash::SetProgramText(const std::string& text) {
    FitLabel(lblProgram, text);
    lblProgram.Update();
}

bool TfrmSplash::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    bool version = reinterpret_cast<HWND>(lp) == lblver.Handle();
    ::SetTextColor(dc, ::GetSysColor(version ? COLOR_3DDKSHADOW : COLOR_WINDOWTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

}  // namespace tavrel
