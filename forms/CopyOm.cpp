#include "forms/CopyOm.h"

#include "forms/Brand.h"
#include "forms/UiFont.h"
#include "platform/win32/Win32System.h"
#include "res/resource.h"

namespace tavrel {

namespace {
constexpr int kClientWidth = 323, kClientHeight = 232;
constexpr COLORREF kMaroon = RGB(128, 0, 0);
constexpr COLORREF kGreen = RGB(0, 128, 0);
}  // namespace

TfrmOm::~TfrmOm() {
    if (icon_) ::DestroyIcon(icon_);
}

Dialog::Template TfrmOm::MakeTemplate() const {
    return {.title = "Om",
            .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
            .cx = 215,
            .cy = 150,
            .fontName = "MS Sans Serif"};
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
    std::string formName = UiFontName.empty() ? "MS Sans Serif" : UiFontName;
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(form), FALSE);
    SizeClientAndCentre(hwnd_, kClientWidth, kClientHeight);

    // The brand label follows the form font's name, made bold and 10 points.
    lblBrand = CreateLabel(hwnd_, {.text = "Ambrex", .left = 64, .top = 16, .font = GetUiFont(formName, 13, true),
                                   .id = idBrand});
    lblProg = CreateLabel(hwnd_, {.text = "Tavrel", .left = 64, .top = 32, .font = GetUiFont("Verdana", 27, true),
                                  .id = idProg});
    lblVersion = CreateLabel(hwnd_, {.text = kVersionText, .left = 64, .top = 68, .width = 225, .height = 25,
                                     .font = GetUiFont("MS Sans Serif", 13), .id = idVersion});
    lblCopyright = CreateLabel(hwnd_, {.text = kCopyrightLine, .left = 64, .top = 88, .width = 233, .height = 25,
                                       .font = form, .id = idCopyright});
    RECT bevel = ScaleRect(64, 148, 241, 9);
    Bevel1 = CreateControl(hwnd_, {.className = L"STATIC", .style = SS_ETCHEDHORZ, .x = bevel.left, .y = bevel.top,
                                   .width = bevel.right - bevel.left, .height = 2, .id = idBevel});
    int size = Scale(32);
    imgProg = CreateControl(hwnd_, {.className = L"STATIC", .style = SS_ICON | SS_REALSIZECONTROL, .x = Scale(16),
                                    .y = Scale(24), .width = size, .height = size, .id = idImgProg});
    icon_ = static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TAVREL), IMAGE_ICON, size, size, 0));
    if (icon_) imgProg.Send(STM_SETICON, reinterpret_cast<WPARAM>(icon_));
    Label1 = CreateLabel(hwnd_, {.text = "E-mail:", .left = 64, .top = 158, .font = form, .id = idLabel1});
    lblEmail = CreateLabel(hwnd_, {.text = kEmailAddress, .left = 120, .top = 158, .width = 105, .height = 13,
                                   .font = GetUiFont("MS Sans Serif", 11, false, true),
                                   .style = SS_LEFT | SS_NOPREFIX | SS_NOTIFY, .id = idEmail});
    Label2 = CreateLabel(hwnd_, {.text = "Webside:", .left = 64, .top = 181,
                                 .font = GetUiFont("MS Sans Serif", 11), .id = idLabel2});
    lblWWW = CreateLabel(hwnd_, {.text = kWebAddress, .left = 120, .top = 178, .width = 185, .height = 20,
                                 .font = GetUiFont("MS Sans Serif", 13, false, true),
                                 .style = SS_LEFT | SS_NOPREFIX | SS_NOTIFY, .id = idWWW});
    RECT ok = ScaleRect(232, 202, 75, 25);
    cmdOK = CreateControl(hwnd_, {.className = L"BUTTON", .text = "&OK", .style = BS_DEFPUSHBUTTON | WS_TABSTOP,
                                  .x = ok.left, .y = ok.top, .width = ok.right - ok.left,
                                  .height = ok.bottom - ok.top, .id = idOK});
    cmdOK.SetFont(form, false);
}

void TfrmOm::lblEmailClick() { shell_.OpenWithShell(std::string("mailto:") + kEmailAddress); }

void TfrmOm::lblWWWClick() { shell_.OpenWithShell(kWebAddress); }

bool TfrmOm::OnCommand(int id, int code, HWND) {
    if (code != STN_CLICKED) return false;
    if (id == idEmail) {
        lblEmailClick();
        return true;
    }
    if (id == idWWW) {
        lblWWWClick();
        return true;
    }
    return false;
}

bool TfrmOm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_CTLCOLORSTATIC) {
        HDC dc = reinterpret_cast<HDC>(wp);
        HWND label = reinterpret_cast<HWND>(lp);
        COLORREF color = label == lblEmail.Handle() ? kMaroon
                         : label == lblWWW.Handle() ? kGreen
                                                    : ::GetSysColor(COLOR_WINDOWTEXT);
        ::SetTextColor(dc, color);
        ::SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    if (msg == WM_SETCURSOR) {
        HWND over = reinterpret_cast<HWND>(wp);
        if (over == lblEmail.Handle() || over == lblWWW.Handle()) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        }
    }
    return false;
}

void ShowAbout(HWND owner) {
    Win32Shell shell;
    TfrmOm about(shell);
    about.ShowModal(owner);
}

}  // namespace tavrel
