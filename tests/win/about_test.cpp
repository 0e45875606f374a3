// The About window in a real window: its texts, the fonts that follow the user-interface font
// and those that do not, the addresses that open with the shell, and the ways to close it.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/Brand.h"
#include "forms/CopyOm.h"
#include "forms/UiFont.h"
#include "tests/win/support/FormsTest.h"

using namespace tavrel;
using namespace tavrel::test;

TEST(About, FontsFollowTheUiFontWhereDesignedAndTheAddressesOpenWithTheShell) {
    UiFontName = "Tahoma";
    RecordingShell shell;
    TfrmOm about(shell);
    ASSERT_TRUE(about.Create(nullptr));
    EXPECT_EQ(about.GetText(), "Om");
    RECT client = about.ClientRect();
    EXPECT_EQ(client.right, Scale(323));
    EXPECT_EQ(client.bottom, Scale(232));
    ExpectTexts({{about.lblBrand, "Ambrex"}, {about.lblProg, "Tavrel"}, {about.lblVersion, "Version 2.1.0"},
                 {about.lblCopyright, kCopyrightLine}, {about.lblEmail, "tavrel@ambrex.dk"},
                 {about.lblWWW, "https://www.ambrex.dk/tavrel"}});
    EXPECT_NE(about.imgProg.Send(STM_GETICON), 0);

    for (HWND h : {about.lblBrand.Handle(), about.lblCopyright.Handle(), about.Label1.Handle()})
        EXPECT_EQ(FaceOf(h), "Tahoma");
    for (HWND h : {about.lblVersion.Handle(), about.lblEmail.Handle(), about.Label2.Handle(), about.lblWWW.Handle()})
        EXPECT_EQ(FaceOf(h), "MS Sans Serif");
    EXPECT_EQ(FaceOf(about.lblProg), "Verdana");
    LOGFONTW brand = LogFontOf(about.lblBrand), email = LogFontOf(about.lblEmail), www = LogFontOf(about.lblWWW);
    EXPECT_EQ(brand.lfWeight, FW_BOLD);
    EXPECT_EQ(brand.lfHeight, -Scale(13));
    EXPECT_TRUE(email.lfUnderline);
    EXPECT_TRUE(www.lfUnderline);
    EXPECT_EQ(www.lfHeight, -Scale(13));
    RECT web = ChildRect(about.lblWWW);
    EXPECT_EQ(web.left, Scale(120));
    EXPECT_EQ(web.right - web.left, Scale(185));

    // A mouse click on either address; the pointer is a hand over them.
    for (HWND h : {about.lblEmail.Handle(), about.lblWWW.Handle()}) {
        ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"mailto:tavrel@ambrex.dk", "https://www.ambrex.dk/tavrel"}));
    ::SendMessageW(about, WM_SETCURSOR, reinterpret_cast<WPARAM>(about.lblEmail.Handle()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    UiFontName.clear();
}

namespace {

// Presses a key in the About window once its modal loop runs.
WPARAM g_key = 0;
void CALLBACK PressKey(HWND, UINT, UINT_PTR id, DWORD) {
    HWND about = ::FindWindowW(L"#32770", L"Om");
    if (!about) return;
    ::KillTimer(nullptr, id);
    if (g_key == VK_F4)
        ::PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        ::PostMessageW(::GetDlgItem(about, IDOK), WM_KEYDOWN, g_key, 0);
}

}  // namespace

TEST(About, EnterEscAndTheCloseBoxEndTheModalWindow) {
    RecordingShell shell;
    struct Case { WPARAM key; INT_PTR result; };
    for (Case c : {Case{VK_RETURN, IDOK}, Case{VK_ESCAPE, IDCANCEL}, Case{VK_F4, IDCANCEL}}) {
        g_key = c.key;
        TfrmOm about(shell);
        ::SetTimer(nullptr, 0, 50, PressKey);
        EXPECT_EQ(about.ShowModal(nullptr), c.result);
        EXPECT_EQ(::FindWindowW(L"#32770", L"Om"), nullptr);
    }
    EXPECT_TRUE(shell.opened.empty());
}

