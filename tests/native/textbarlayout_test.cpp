#include "core/TextBarLayout.h"

#include <gtest/gtest.h>

#include <string>

using namespace tavrel;

namespace {

// Paints the shapes into a grid the way GDI does with a one-pixel pen: each polyline segment
// from its start up to (not including) its end, the last point of a polyline left out.
class Grid {
public:
    Grid(int w, int h) : w_(w), h_(h), cells_(static_cast<size_t>(w * h), '.') {}

    void Draw(const std::vector<BorderShape>& shapes) {
        for (const BorderShape& s : shapes) {
            char c = Letter(s.pen);
            if (s.rectangle) {
                int r = s.points[1].x - 1, b = s.points[1].y - 1;
                for (int x = 0; x <= r; ++x) Set(x, 0, c), Set(x, b, c);
                for (int y = 0; y <= b; ++y) Set(0, y, c), Set(r, y, c);
                continue;
            }
            for (size_t i = 0; i + 1 < s.points.size(); ++i) {
                BorderPoint p = s.points[i], q = s.points[i + 1];
                ASSERT_TRUE(p.x == q.x || p.y == q.y) << "border lines are straight";
                int dx = (q.x > p.x) - (q.x < p.x), dy = (q.y > p.y) - (q.y < p.y);
                for (int x = p.x, y = p.y; x != q.x || y != q.y; x += dx, y += dy) Set(x, y, c);
            }
        }
    }
    char At(int x, int y) const { return cells_[static_cast<size_t>(y * w_ + x)]; }
    std::string Row(int y) const { return cells_.substr(static_cast<size_t>(y * w_), static_cast<size_t>(w_)); }
    std::string Column(int x) const {
        std::string s;
        for (int y = 0; y < h_; ++y) s += At(x, y);
        return s;
    }

private:
    static char Letter(BorderPen p) {
        switch (p) {
        case BorderPen::BtnShadow: return 's';
        case BorderPen::BtnHighlight: return 'h';
        case BorderPen::BtnFace: return 'f';
        case BorderPen::Black: return 'k';
        case BorderPen::BorderColor: return 'b';
        }
        return '?';
    }
    void Set(int x, int y, char c) {
        // Points outside the area (the "left - 1" ends) are clipped away.
        if (x >= 0 && y >= 0 && x < w_ && y < h_) cells_[static_cast<size_t>(y * w_ + x)] = c;
    }
    int w_, h_;
    std::string cells_;
};

Grid Paint(TBorderStyle style, int w, int h) {
    Grid g(w, h);
    g.Draw(BorderShapes(style, w, h));
    return g;
}

}  // namespace

std::string Picture(TBorderStyle style, int w, int h) {
    Grid g = Paint(style, w, h);
    std::string s;
    for (int y = 0; y < h; ++y) s += g.Row(y) + "\n";
    return s;
}

TEST(TextBarLayout, ThreeDEdgesGiveTheSecondColourBothOuterCorners) {
    EXPECT_EQ(Picture(bsLight, 8, 5),
              "sssssssh\n"
              "s......h\n"
              "s......h\n"
              "s......h\n"
              "hhhhhhhh\n");
    EXPECT_EQ(Picture(bsMedium, 8, 5),
              "kkkkkkkh\n"
              "k......h\n"
              "k......h\n"
              "k......h\n"
              "hhhhhhhh\n");
}

TEST(TextBarLayout, DoubleEdgesNestOnePixelIn) {
    EXPECT_EQ(Picture(bsHeavy, 8, 5),
              "sssssssh\n"
              "skkkkkfh\n"
              "sk....fh\n"
              "sffffffh\n"
              "hhhhhhhh\n");
    EXPECT_EQ(Picture(bsFrame, 8, 5),
              "sssssssh\n"
              "shhhhhsh\n"
              "sh....sh\n"
              "sssssssh\n"
              "hhhhhhhh\n");
    EXPECT_EQ(Picture(bsRaisedFrame, 8, 5),
              "hhhhhhhs\n"
              "hssssshs\n"
              "hs....hs\n"
              "hhhhhhhs\n"
              "ssssssss\n");
}

TEST(TextBarLayout, FieldCornerMarksAreFivePixelArms) {
    EXPECT_EQ(Picture(bsField, 14, 12),
              "bbbbb....bbbbb\n"
              "b............b\n"
              "b............b\n"
              "b............b\n"
              "b............b\n"
              "..............\n"
              "..............\n"
              "b............b\n"
              "b............b\n"
              "b............b\n"
              "b............b\n"
              "bbbbb....bbbbb\n");
}

TEST(TextBarLayout, LineAndDotOutlineTheWholeClientArea) {
    for (TBorderStyle st : {bsLine, bsDot}) {
        EXPECT_EQ(Picture(st, 6, 4),
                  "bbbbbb\n"
                  "b....b\n"
                  "b....b\n"
                  "bbbbbb\n");
    }
    EXPECT_TRUE(BorderShapes(bsDot, 6, 4)[0].dotted);
    EXPECT_FALSE(BorderShapes(bsLine, 6, 4)[0].dotted);
    EXPECT_TRUE(BorderShapes(bsNone, 6, 4).empty());
    EXPECT_TRUE(BorderShapes(bsFocused, 6, 4).empty());
}

TEST(TextBarLayout, TextRectangleIsInsetByBorderMarginAndOne) {
    EXPECT_EQ(TextRectOf(bsNone, 65, 17, 0, 0), (TextBarRect{1, 1, 64, 16}));
    EXPECT_EQ(TextRectOf(bsLine, 65, 17, 0, 0), (TextBarRect{3, 3, 62, 14}));
    EXPECT_EQ(TextRectOf(bsFocused, 65, 17, 2, 1), (TextBarRect{5, 4, 60, 13}));
    // -1 cancels the fixed pixel; more widens the rectangle beyond the border.
    EXPECT_EQ(TextRectOf(bsNone, 65, 17, -1, 0), (TextBarRect{0, 1, 65, 16}));
    EXPECT_EQ(TextRectOf(bsLine, 65, 17, -4, 0), (TextBarRect{-1, 3, 66, 14}));
    for (int st = bsLight; st <= bsLine; ++st) EXPECT_EQ(BorderShrink(static_cast<TBorderStyle>(st)), 2);
}

TEST(TextBarLayout, DrawFlagsFromTheThreeTables) {
    EXPECT_EQ(TextBarDrawFlags(taLeftJustify, false, vaTop), 0x840u);
    EXPECT_EQ(TextBarDrawFlags(taCenter, true, vaTop), 0x851u);
    EXPECT_EQ(TextBarDrawFlags(taLeftJustify, true, vaCenter), 0x874u);
    EXPECT_EQ(TextBarDrawFlags(taRightJustify, false, vaBottom), 0x86Au);
    EXPECT_EQ(TextBarDrawFlags(taCenter, false, vaCenter), 0x865u);
    EXPECT_TRUE(UsesBorderColor(bsField));
    EXPECT_TRUE(UsesBorderColor(bsDot));
    EXPECT_TRUE(UsesBorderColor(bsLine));
    EXPECT_FALSE(UsesBorderColor(bsLight));
    EXPECT_FALSE(UsesBorderColor(bsFocused));
}
