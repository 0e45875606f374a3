#include "forms/CopySplash.h"

#include <commctrl.h>

#include "forms/Brand.h"
#include "forms/UiFont.h"
#include "res/resource.h"

namespace tavrel {

namespace {

// The window's own texts; the product's are in forms/Brand.h.
namespace texts {
constexpr const char* lblProgram = "Undersøger drev...";
constexpr const char* cmdOK = "&OK";
}  // namespace texts

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
    if (!CreateModeless(owner, {.title = kProductName,
                                .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                .cx = 270,
                                .cy = 70,
                                .fontName = kFormFontName}))
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
    // Before the main window has chosen UiFontName the form keeps kFormFontName.
    HFONT form = FormFont();
    SetFont(form, false);
    SizeClientAndCentre(hwnd_, kClientWidth, kClientHeight);

    CreateLabel(lblProduct, hwnd_, {.text = kProductName, .left = 64, .top = 16,
                                    .font = GetUiFont("Verdana", 24, true), .id = idProduct});
    CreateLabel(lblver, hwnd_, {.text = kMajorVersion, .left = 336, .top = 0, .font = GetUiFont("Verdana", 64, true),
                                .id = idVer, .textColor = SystemColor(COLOR_3DDKSHADOW)});
    CreateLabel(lblProgram, hwnd_, {.text = texts::lblProgram, .left = 16, .top = 88, .font = form,
                                    .style = SS_CENTER | SS_NOPREFIX, .id = idProgram});
    CreateLabel(lblCopyright, hwnd_, {.text = kCopyrightLine, .top = 88, .rightEdge = kCopyrightRight, .font = form,
                                      .style = SS_RIGHT | SS_NOPREFIX, .id = idCopyright});
    SetText(kProductName);

    const int size = Scale(32);
    imgIkon.Create(hwnd_, {.bounds = {Scale(16), Scale(16), Scale(16) + size, Scale(16) + size}, .id = idIkon,
                           .style = SS_ICON | SS_REALSIZECONTROL, .textColor = SystemColor(COLOR_WINDOWTEXT)});
    icon_ = static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TAVREL), IMAGE_ICON, size, size, 0));
    if (icon_) imgIkon.SetIcon(icon_);

    // Below the client area, out of sight; Enter and Esc still press it.
    cmdOK.Create(hwnd_, {.text = texts::cmdOK, .bounds = ScaleRect(136, 120, 75, 25), .id = idOK,
                         .style = BS_DEFPUSHBUTTON | WS_TABSTOP});
}

void TfrmSplash::SetProgramText(const std::string& text) {
    FitLabel(lblProgram, text);
    lblProgram.Update();
}

}  // namespace tavrel
