// The text bar painted into memory bitmaps and checked pixel by pixel, and its repaints
// observed through the parent window's update region.
#include "controls/TextBar.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <climits>
#include <memory>

using namespace tavrel;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

class Host : public Window {};

// A memory bitmap of the text bar's size, filled with one colour before painting.
class Canvas {
public:
    Canvas(int w, int h, COLORREF fill = kGreen) : w_(w), h_(h) {
        HDC screen = ::GetDC(nullptr);
        dc_ = ::CreateCompatibleDC(screen);
        bmp_ = ::CreateCompatibleBitmap(screen, w, h);
        ::ReleaseDC(nullptr, screen);
        old_ = ::SelectObject(dc_, bmp_);
        RECT r{0, 0, w, h};
        HBRUSH b = ::CreateSolidBrush(fill);
        ::FillRect(dc_, &r, b);
        ::DeleteObject(b);
    }
    ~Canvas() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bmp_);
        ::DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_, x, y) & 0xFFFFFF; }
    // The box around every pixel that differs from the background colour, inside the area.
    RECT Ink(COLORREF background, RECT area) const {
        RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }
    bool Contains(COLORREF c, RECT area) const {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) == c) return true;
        return false;
    }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
};

class TextBarTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create({.title = "Tekstbjælke", .style = WS_OVERLAPPEDWINDOW, .x = 0, .y = 0,
                                 .width = 400, .height = 300}));
        font = ::CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                             L"Tahoma");
        host.SetFont(font);
    }
    void TearDown() override {
        host.Destroy();
        ::DeleteObject(font);
    }
    // A white bar with black text, the size of the canvases below.
    std::unique_ptr<TTextBar> Bar(TBorderStyle style, const std::string& caption = "", int w = 60, int h = 20) {
        return std::make_unique<TTextBar>(host, TTextBar::CreateArgs{.left = 10, .top = 10, .width = w, .height = h,
                                                                     .caption = caption, .borderStyle = style,
                                                                     .color = kWhite, .fontColor = clBlack});
    }
    Host host;
    HFONT font = nullptr;
};

COLORREF Sys(int index) { return ::GetSysColor(index); }

}  // namespace

TEST_F(TextBarTest, StartsWithTheDocumentedValues) {
    TTextBar bar(host);
    EXPECT_EQ(bar.Width(), 65);
    EXPECT_EQ(bar.Height(), 17);
    EXPECT_EQ(bar.BorderStyle(), bsNone);
    EXPECT_EQ(bar.BorderColor(), 0x00808080u);
    EXPECT_EQ(bar.Alignment(), taLeftJustify);
    EXPECT_EQ(bar.VerticalAlign(), vaTop);
    EXPECT_FALSE(bar.Transparent());
    EXPECT_FALSE(bar.WordWrap());
    EXPECT_EQ(bar.MargenHorz(), 0);
}

TEST_F(TextBarTest, LineAndDotOutlineTheClientEdge) {
    auto bar = Bar(bsLine);
    Canvas c(60, 20);
    bar->Paint(c.Dc());
    const COLORREF grey = RGB(128, 128, 128);
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(c.At(0, y), grey) << y;
        EXPECT_EQ(c.At(59, y), grey) << y;
    }
    for (int x = 0; x < 60; ++x) {
        EXPECT_EQ(c.At(x, 0), grey) << x;
        EXPECT_EQ(c.At(x, 19), grey) << x;
    }
    EXPECT_EQ(c.At(1, 1), kWhite);
    EXPECT_EQ(c.At(58, 18), kWhite);

    // Dotted: the same frame, with gaps that show the fill.
    auto dot = Bar(bsDot);
    dot->SetBorderColor(RGB(255, 0, 0));
    Canvas d(60, 20);
    dot->Paint(d.Dc());
    int red = 0, white = 0;
    for (int x = 0; x < 60; ++x) {
        red += d.At(x, 0) == RGB(255, 0, 0);
        white += d.At(x, 0) == kWhite;
    }
    EXPECT_GT(red, 10);
    EXPECT_GT(white, 10);
    EXPECT_EQ(d.At(1, 1), kWhite);
}

TEST_F(TextBarTest, FieldPaintsOnlyTheCornerMarks) {
    auto bar = Bar(bsField, "", 40, 20);
    bar->SetBorderColor(RGB(0, 0, 255));
    Canvas c(40, 20);
    bar->Paint(c.Dc());
    const COLORREF blue = RGB(0, 0, 255);
    // Top left: five pixels each way, corner included.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(c.At(i, 0), blue) << i;
        EXPECT_EQ(c.At(0, i), blue) << i;
        EXPECT_EQ(c.At(39 - i, 0), blue) << i;
        EXPECT_EQ(c.At(39, i), blue) << i;
        EXPECT_EQ(c.At(39 - i, 19), blue) << i;
        EXPECT_EQ(c.At(39, 19 - i), blue) << i;
        EXPECT_EQ(c.At(i, 19), blue) << i;
        EXPECT_EQ(c.At(0, 19 - i), blue) << i;
    }
    EXPECT_EQ(c.At(5, 0), kWhite);
    EXPECT_EQ(c.At(0, 5), kWhite);
    EXPECT_EQ(c.At(34, 0), kWhite);
    EXPECT_EQ(c.At(39, 5), kWhite);
    EXPECT_EQ(c.At(20, 0), kWhite);
    EXPECT_EQ(c.At(0, 10), kWhite);
}

TEST_F(TextBarTest, ThreeDEdgesUseTheButtonColours) {
    struct Case {
        TBorderStyle style;
        COLORREF outerA, outerB, innerA, innerB;
    };
    const COLORREF sh = Sys(COLOR_BTNSHADOW), hi = Sys(COLOR_BTNHIGHLIGHT), face = Sys(COLOR_BTNFACE);
    const Case cases[] = {
        {bsLight, sh, hi, kWhite, kWhite},
        {bsMedium, RGB(0, 0, 0), hi, kWhite, kWhite},
        {bsHeavy, sh, hi, RGB(0, 0, 0), face},
        {bsFrame, sh, hi, hi, sh},
        {bsRaisedFrame, hi, sh, sh, hi},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.style));
        auto bar = Bar(k.style, "", 30, 12);
        Canvas c(30, 12);
        bar->Paint(c.Dc());
        EXPECT_EQ(c.At(0, 0), k.outerA);
        EXPECT_EQ(c.At(0, 10), k.outerA);
        EXPECT_EQ(c.At(28, 0), k.outerA);
        EXPECT_EQ(c.At(29, 0), k.outerB);   // top-right corner
        EXPECT_EQ(c.At(0, 11), k.outerB);   // bottom-left corner
        EXPECT_EQ(c.At(29, 11), k.outerB);
        EXPECT_EQ(c.At(1, 1), k.innerA);
        EXPECT_EQ(c.At(27, 1), k.innerA);
        EXPECT_EQ(c.At(28, 1), k.innerB);
        EXPECT_EQ(c.At(1, 10), k.innerB);
        EXPECT_EQ(c.At(2, 2), kWhite);
    }
}

TEST_F(TextBarTest, TextIsInsetByBorderMarginAndOnePixel) {
    struct Case {
        TBorderStyle style;
        int margenHorz, margenVert, inset, insetY;
    };
    const Case cases[] = {{bsNone, 0, 0, 1, 1}, {bsLine, 0, 0, 3, 3}, {bsLight, 4, 2, 7, 5}, {bsNone, -1, 0, 0, 1}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "style " << int(k.style) << " margin " << k.margenHorz);
        auto bar = Bar(k.style, "MMMMMMMMMMMMMMMMMMMMMMMM", 80, 30);
        bar->SetMargenHorz(k.margenHorz);
        bar->SetMargenVert(k.margenVert);
        Canvas c(80, 30);
        bar->Paint(c.Dc());
        int b = BorderShrink(k.style);
        RECT ink = c.Ink(kWhite, RECT{b, b, 80 - b, 30 - b});
        // The glyphs start at the text rectangle (an "M" has at most a pixel of bearing) and,
        // being longer than the bar, are clipped at its right side.
        EXPECT_GE(ink.left, k.inset);
        EXPECT_LE(ink.left, k.inset + 1);
        EXPECT_GE(ink.top, k.insetY);
        EXPECT_LE(ink.right, 80 - k.inset);
        EXPECT_GE(ink.right, 80 - k.inset - 12);
    }
}

TEST_F(TextBarTest, AmpersandIsShownAsItself) {
    auto bar = Bar(bsNone, "A&B", 120, 20);
    Canvas c(120, 20);
    bar->Paint(c.Dc());
    HDC dc = c.Dc();
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE withAmp{}, without{};
    ::GetTextExtentPoint32W(dc, L"A&B", 3, &withAmp);
    ::GetTextExtentPoint32W(dc, L"AB", 2, &without);
    ::SelectObject(dc, old);
    RECT ink = c.Ink(kWhite, RECT{0, 0, 120, 20});
    int inkWidth = ink.right - 1;
    EXPECT_GT(inkWidth, without.cx + 1);
    EXPECT_LE(std::abs(inkWidth - withAmp.cx), 2);
}

TEST_F(TextBarTest, CentredTextIsOneLineAndTopTextHonoursLineBreaks) {
    auto bar = Bar(bsNone, "Linje\r\nLinje", 100, 60);
    Canvas top(100, 60);
    bar->Paint(top.Dc());
    TEXTMETRICW tm{};
    HDC dc = top.Dc();
    HGDIOBJ old = ::SelectObject(dc, font);
    ::GetTextMetricsW(dc, &tm);
    ::SelectObject(dc, old);
    RECT twoLines = top.Ink(kWhite, RECT{0, 0, 100, 60});
    EXPECT_GT(twoLines.bottom - twoLines.top, tm.tmHeight);

    bar->SetVerticalAlign(vaCenter);
    Canvas mid(100, 60);
    bar->Paint(mid.Dc());
    RECT oneLine = mid.Ink(kWhite, RECT{0, 0, 100, 60});
    EXPECT_LE(oneLine.bottom - oneLine.top, tm.tmHeight);
    int centre = (oneLine.top + oneLine.bottom) / 2;
    EXPECT_NEAR(centre, 30, tm.tmHeight / 2);

    bar->SetVerticalAlign(vaBottom);
    Canvas low(100, 60);
    bar->Paint(low.Dc());
    RECT bottomLine = low.Ink(kWhite, RECT{0, 0, 100, 60});
    EXPECT_LE(bottomLine.bottom, 59);
    EXPECT_GT(bottomLine.top, 59 - tm.tmHeight - 1);
}

TEST_F(TextBarTest, WordWrapBreaksLongCaptions) {
    auto bar = Bar(bsNone, "ord ord ord ord ord ord ord ord", 60, 80);
    Canvas flat(60, 80);
    bar->Paint(flat.Dc());
    bar->SetWordWrap(true);
    Canvas wrapped(60, 80);
    bar->Paint(wrapped.Dc());
    RECT a = flat.Ink(kWhite, RECT{0, 0, 60, 80}), b = wrapped.Ink(kWhite, RECT{0, 0, 60, 80});
    EXPECT_GT(b.bottom - b.top, 2 * (a.bottom - a.top));
}

TEST_F(TextBarTest, DisabledTextIsGreyAndTheBorderUnchanged) {
    auto bar = Bar(bsLine, "MMMM", 60, 20);
    bar->SetEnabled(false);
    Canvas c(60, 20);
    bar->Paint(c.Dc());
    EXPECT_TRUE(c.Contains(Sys(COLOR_GRAYTEXT), RECT{3, 3, 57, 17}));
    EXPECT_FALSE(c.Contains(RGB(0, 0, 0), RECT{3, 3, 57, 17}));
    EXPECT_EQ(c.At(0, 0), RGB(128, 128, 128));
}

TEST_F(TextBarTest, TransparentLeavesTheBackgroundAlone) {
    auto bar = Bar(bsLine);
    bar->SetTransparent(true);
    Canvas c(60, 20, kGreen);
    bar->Paint(c.Dc());
    EXPECT_EQ(c.At(5, 5), kGreen);
    EXPECT_EQ(c.At(58, 18), kGreen);
    EXPECT_EQ(c.At(0, 0), RGB(128, 128, 128));
}

TEST_F(TextBarTest, FocusedDrawsTheFocusFrameOverTheWholeArea) {
    auto bar = Bar(bsFocused, "MMMMMMMMMMMMMMMMMMMM");
    bar->SetMargenHorz(-3);
    Canvas c(60, 20);
    bar->Paint(c.Dc());
    int changedTop = 0, changedLeft = 0;
    for (int x = 0; x < 60; ++x) changedTop += c.At(x, 0) != kWhite;
    for (int y = 0; y < 20; ++y) changedLeft += c.At(0, y) != kWhite;
    EXPECT_GE(changedTop, 20);
    EXPECT_GE(changedLeft, 7);
    EXPECT_EQ(c.At(1, 1), kWhite);
}

TEST_F(TextBarTest, SettersRepaintOnlyOnChange) {
    host.Show();
    host.Update();
    auto bar = Bar(bsLight, "Klar");
    auto pending = [&] {
        RECT r;
        bool any = ::GetUpdateRect(host, &r, FALSE) != FALSE;
        ::ValidateRect(host, nullptr);
        return any;
    };
    pending();
    bar->SetCaption("Klar");
    EXPECT_FALSE(pending());
    bar->SetCaption("Kopierer");
    EXPECT_TRUE(pending());
    bar->SetBorderColor(RGB(255, 0, 0));
    EXPECT_FALSE(pending()) << "bsLight does not show the border colour";
    EXPECT_EQ(bar->BorderColor(), static_cast<TColor>(RGB(255, 0, 0)));
    for (TBorderStyle st : {bsField, bsDot, bsLine}) {
        bar->SetBorderStyle(st);
        pending();
        bar->SetBorderColor(bar->BorderColor() ^ 0xFF);
        EXPECT_TRUE(pending()) << int(st);
        bar->SetBorderColor(bar->BorderColor());
        EXPECT_FALSE(pending()) << int(st);
    }
    bar->SetAlignment(taLeftJustify);
    bar->SetMargenHorz(0);
    bar->SetWordWrap(false);
    bar->SetTransparent(false);
    bar->SetVerticalAlign(vaTop);
    EXPECT_FALSE(pending());
    bar->SetAlignment(taCenter);
    EXPECT_TRUE(pending());
    bar->SetVerticalAlign(vaBottom);
    EXPECT_TRUE(pending());
    // The invalid area is the bar's own rectangle.
    bar->SetWordWrap(true);
    RECT r;
    ASSERT_TRUE(::GetUpdateRect(host, &r, FALSE));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right, 70);
    EXPECT_EQ(r.bottom, 30);
}

TEST_F(TextBarTest, HintIsSetAtRunTime) {
    auto bar = Bar(bsLine, "C:\\Backup\\");
    EXPECT_EQ(bar->Tooltip(), nullptr);
    bar->SetHint("C:\\Backup\\Æble\\");
    ASSERT_NE(bar->Tooltip(), nullptr);
    wchar_t buf[256] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = host;
    ti.uId = reinterpret_cast<UINT_PTR>(bar.get());
    ti.lpszText = buf;
    ::SendMessageW(bar->Tooltip(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
    EXPECT_EQ(FromWide(buf), "C:\\Backup\\Æble\\");
    bar->SetHint("D:\\");
    ::SendMessageW(bar->Tooltip(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
    EXPECT_EQ(FromWide(buf), "D:\\");
    EXPECT_EQ(::SendMessageW(bar->Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    bar->SetHint("");
    EXPECT_EQ(::SendMessageW(bar->Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 0);
}
