// The splash window in a real window: shown at once with its texts and fonts, the copyright
// keeping its right edge, and only hidden when closed.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/Brand.h"
#include "forms/CopySplash.h"
#include "forms/UiFont.h"
#include "tests/win/support/FormsTest.h"

using namespace tavrel;
using namespace tavrel::test;

TEST(Splash, ShowsAtOnceWithItsTextsAndKeepsTheCopyrightsRightEdge) {
    UiFontName.clear();
    TfrmSplash splash;
    ASSERT_TRUE(splash.ShowSplash());
    EXPECT_TRUE(splash.IsVisible());
    EXPECT_EQ(splash.GetText(), "Ambrex Tavrel");
    RECT client = splash.ClientRect();
    EXPECT_EQ(client.right, Scale(406));
    EXPECT_EQ(client.bottom, Scale(107));
    ExpectTexts({{splash.lblProduct, "Ambrex Tavrel"}, {splash.lblver, "2"}, {splash.lblProgram, "Undersøger drev..."},
                 {splash.lblCopyright, kCopyrightLine}});
    EXPECT_EQ(std::string(kCopyrightLine).substr(std::string(kCopyrightLine).size() - 8), "        ");
    EXPECT_EQ(ChildRect(splash.lblCopyright).right, Scale(424));
    EXPECT_EQ(ChildRect(splash.lblver).left, Scale(336));
    EXPECT_GE(ChildRect(splash.cmdOK).top, client.bottom) << "the OK button lies below the client area";
    EXPECT_NE(splash.imgIkon.Send(STM_GETICON), 0);

    // Fonts: the form keeps "MS Sans Serif" at start; the two big labels have Verdana, bold.
    EXPECT_EQ(FaceOf(splash.lblProgram), "MS Sans Serif");
    EXPECT_EQ(FaceOf(splash.lblCopyright), "MS Sans Serif");
    LOGFONTW product = LogFontOf(splash.lblProduct), version = LogFontOf(splash.lblver);
    EXPECT_EQ(FromWide(product.lfFaceName), "Verdana");
    EXPECT_EQ(product.lfHeight, -Scale(24));
    EXPECT_EQ(product.lfWeight, FW_BOLD);
    EXPECT_EQ(version.lfHeight, -Scale(64));

    // The start-up changes the program line; a longer copyright grows to the left.
    splash.SetProgramText("Indlæser job...");
    EXPECT_EQ(splash.lblProgram.GetText(), "Indlæser job...");
    RECT before = ChildRect(splash.lblCopyright);
    FitLabel(splash.lblCopyright, std::string("En længere linje ") + kCopyrightLine, true);
    RECT after = ChildRect(splash.lblCopyright);
    EXPECT_EQ(after.right, before.right);
    EXPECT_LT(after.left, before.left);

    // Closing only hides it.
    ::PostMessageW(splash, WM_CLOSE, 0, 0);
    PumpFor(50);
    EXPECT_FALSE(splash.IsVisible());
    EXPECT_TRUE(splash.IsWindow());
}

