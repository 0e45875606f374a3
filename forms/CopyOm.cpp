#include "forms/CopyOm.h"

#include "forms/Brand.h"
#include "forms/UiFont.h"
#include "platform/win32/Win32System.h"
#include "res/resource.h"

namespace tavrel {

namespace {

// The window's own texts; the product's are in forms/Brand.h.
namespace texts {
constexpr const char* kCaption = "Om";
constexpr const char* lblBrand = "Ambrex";
constexpr const char* lblProg = "Tavrel";
constexpr const char* Label1 = "E-mail:";
constexpr const char* Label2 = "Webside:";
constexpr const char* cmdOK = "&OK";
}  // namespace texts

constexpr int kClientWidth = 323, kClientHeight = 232;
constexpr COLORREF kMaroon = RGB(128, 0, 0);
constexpr COLORREF kGreen = RGB(0, 128, 0);

}  // namespace

TfrmOm::~TfrmOm() {
    if (icon_) ::DestroyIcon(icon_);
}

Dialog::Template TfrmOm::MakeTemplate() const {
    return {.title = texts::kCaption,
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

    // The brand label follows the form font's name, made bold and 10 points.
    CreateLabel(lblBrand, hwnd_, {.text = texts::lblBrand, .left = 64, .top = 16,
                                  .font = GetUiFont(formName, 13, true), .id = idBrand});
    CreateLabel(lblProg, hwnd_, {.text = texts::lblProg, .left = 64, .top = 32,
                                 .font = GetUiFont("Verdana", 27, true), .id = idProg});
    CreateLabel(lblVersion, hwnd_, {.text = kVersionText, .left = 64, .top = 68, .width = 225, .height = 25,
                                    .font = GetUiFont(kFormFontName, 13), .id = idVersion});
    CreateLabel(lblCopyright, hwnd_, {.text = kCopyrightLine, .left = 64, .top = 88, .width = 233, .height = 25,
                                      .font = form, .id = idCopyright});
    RECT bevel = ScaleRect(64, 148, 241, 9);
    bevel.bottom = bevel.top + 2;
    Bevel1.Create(hwnd_, {.bounds = bevel, .id = idBevel, .style = SS_ETCHEDHORZ,
                          .textColor = SystemColor(COLOR_WINDOWTEXT)});
    const int size = Scale(32);
    imgProg.Create(hwnd_, {.bounds = {Scale(16), Scale(24), Scale(16) + size, Scale(24) + size}, .id = idImgProg,
                           .style = SS_ICON | SS_REALSIZECONTROL, .textColor = SystemColor(COLOR_WINDOWTEXT)});
    icon_ = static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TAVREL), IMAGE_ICON, size, size, 0));
    if (icon_) imgProg.SetIcon(icon_);
    CreateLabel(Label1, hwnd_, {.text = texts::Label1, .left = 64, .top = 158, .font = form, .id = idLabel1});
    CreateLabel(lblEmail, hwnd_, {.text = kEmailAddress, .left = 120, .top = 158, .width = 105, .height = 13,
                                  .font = GetUiFont(kFormFontName, 11, false, true), .id = idEmail,
                                  .textColor = kMaroon, .clickable = true});
    CreateLabel(Label2, hwnd_, {.text = texts::Label2, .left = 64, .top = 181,
                                .font = GetUiFont(kFormFontName, 11), .id = idLabel2});
    CreateLabel(lblWWW, hwnd_, {.text = kWebAddress, .left = 120, .top = 178, .width = 185, .height = 20,
                                .font = GetUiFont(kFormFontName, 13, false, true), .id = idWWW,
                                .textColor = kGreen, .clickable = true});
    cmdOK.Create(hwnd_, {.text = texts::cmdOK, .bounds = ScaleRect(232, 202, 75, 25), .id = idOK,
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
