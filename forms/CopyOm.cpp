#include "forms/CopyOm.h"

#include "forms/Brand.h"
#include "forms/UiFont.h"
#include "platform/win32/Win32System.h"

namespace tavrel {

namespace {

// The window's caption; the controls' texts are where FormCreate makes them, the product's in
// forms/Brand.h.
constexpr const char* kCaption = "Om";
constexpr int kClientWidth = 323, kClientHeight = 232;
constexpr COLORREF kMaroon = RGB(128, 0, 0);
constexpr COLORREF kGreen = RGB(0, 128, 0);

}  // namespace

TfrmOm::~TfrmOm() {
    if (icon_) ::DestroyIcon(icon_);
}

Dialog::Template TfrmOm::MakeTemplate() const {
    return {.title = kCaption,
            .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
            .cx = 215,
            .cy = 150,
            .fontName = kFormFontName};
}

INT_PTR TfrmOm::ShowModal(HWND owner) { return DoModal(owner, MakeTemplate()); }

bool TfrmOm::Create(HWND owner) { return CreateModeless(owner, MakeTemplate()); }

bool TfrmOm::OnInitDialog() {
    FormCreate();
    cmdOK.SetFocus();
    return false;
}

void TfrmOm::FormCreate() {
    HFONT form = FormFont();
    const std::string formName = UiFontName.empty() ? kFormFontName : UiFontName;
    SetFont(form, false);
    SizeClientAndCentre(hwnd_, kClientWidth, kClientHeight);

    // The controls with their texts and places, in tab order. The brand label follows the form
    // font's name, made bold and 10 points.
    CreateLabel(lblBrand, hwnd_, {.text = "Ambrex", .left = 64, .top = 16,
                                  .font = GetUiFont(formName, 13, true), .id = idBrand});
    CreateLabel(lblProg, hwnd_, {.text = kAppTitle, .left = 64, .top = 32,
                                 .font = GetUiFont("Verdana", 27, true), .id = idProg});
    CreateLabel(lblVersion, hwnd_, {.text = kVersionText, .left = 64, .top = 68, .width = 225, .height = 25,
                                    .font = GetUiFont(kFormFontName, 13), .id = idVersion});
    CreateLabel(lblCopyright, hwnd_, {.text = kCopyrightLine, .left = 64, .top = 88, .width = 233, .height = 25,
                                      .font = form, .id = idCopyright});
    RECT bevel = ScaleRect(64, 148, 241, 9);
    bevel.bottom = bevel.top + 2;
    Bevel1.Create(hwnd_, {.bounds = bevel, .id = idBevel, .style = SS_ETCHEDHORZ,
                          .textColor = SystemColor(COLOR_WINDOWTEXT)});
    icon_ = ShowProgramIcon(imgProg, hwnd_, 16, 24, idImgProg);
    CreateLabel(Label1, hwnd_, {.text = "E-mail:", .left = 64, .top = 158, .font = form, .id = idLabel1});
    CreateLabel(lblEmail, hwnd_, {.text = kEmailAddress, .left = 120, .top = 158, .width = 105, .height = 13,
                                  .font = GetUiFont(kFormFontName, 11, false, true), .id = idEmail,
                                  .textColor = kMaroon, .clickable = true});
    CreateLabel(Label2, hwnd_, {.text = "Webside:", .left = 64, .top = 181,
                                .font = GetUiFont(kFormFontName, 11), .id = idLabel2});
    CreateLabel(lblWWW, hwnd_, {.text = kWebAddress, .left = 120, .top = 178, .width = 185, .height = 20,
                                .font = GetUiFont(kFormFontName, 13, false, true), .id = idWWW,
                                .textColor = kGreen, .clickable = true});
    cmdOK.Create(hwnd_, {.text = "&OK", .bounds = ScaleRect(232, 202, 75, 25), .id = idOK,
                         .style = BS_DEFPUSHBUTTON | WS_TABSTOP});
    lblEmail.onClick = [this] { lblEmailClick(); };
    lblWWW.onClick = [this] { lblWWWClick(); };
}

void TfrmOm::lblEmailClick() { shell_.OpenWithShell(std::string("mailto:") + kEmailAddress); }

void TfrmOm::lblWWWClick() { shell_.OpenWithShell(kWebAddress); }

void ShowAbout(HWND owner) {
    Win32Shell shell;
    TfrmOm about(shell);
    about.ShowModal(owner);
}

}  // namespace tavrel
