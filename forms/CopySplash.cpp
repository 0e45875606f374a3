#include "forms/CopySplash.h"

#include <commctrl.h>

#include "forms/Brand.h"
#include "forms/UiFont.h"

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

    // The controls with their texts and places.
    CreateLabel(lblProduct, hwnd_, {.text = kProductName, .left = 64, .top = 16,
                                    .font = GetUiFont("Verdana", 24, true), .id = idProduct});
    CreateLabel(lblver, hwnd_, {.text = kMajorVersion, .left = 336, .top = 0, .font = GetUiFont("Verdana", 64, true),
                                .id = idVer, .textColor = SystemColor(COLOR_3DDKSHADOW)});
    CreateLabel(lblProgram, hwnd_, {.text = "Undersøger drev...", .left = 16, .top = 88, .font = form,
                                    .style = SS_CENTER | SS_NOPREFIX, .id = idProgram});
    CreateLabel(lblCopyright, hwnd_, {.text = kCopyrightLine, .top = 88, .rightEdge = kCopyrightRight, .font = form,
                                      .style = SS_RIGHT | SS_NOPREFIX, .id = idCopyright});
    SetText(kProductName);

    icon_ = ShowProgramIcon(imgIkon, hwnd_, 16, 16, idIkon);

    // Below the client area, out of sight; Enter and Esc still press it.
    cmdOK.Create(hwnd_, {.text = "&OK", .bounds = ScaleRect(136, 120, 75, 25), .id = idOK,
                         .style = BS_DEFPUSHBUTTON | WS_TABSTOP});
}

void TfrmSplash::SetProgramText(const std::string& text) {
    FitLabel(lblProgram, text);
    lblProgram.Update();
}

}  // namespace tavrel
