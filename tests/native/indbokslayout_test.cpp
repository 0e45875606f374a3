#include "core/IndBoksLayout.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tavrel;

TEST(IndBoksLayout, MulDivRoundsToNearestWithHalvesAwayFromZero) {
    EXPECT_EQ(MulDivRound(63, 13, 8), 102);  // 102.375
    EXPECT_EQ(MulDivRound(19, 13, 8), 31);   // 30.875
    EXPECT_EQ(MulDivRound(41, 13, 8), 67);   // 66.625
    EXPECT_EQ(MulDivRound(14, 13, 8), 23);   // 22.75
    EXPECT_EQ(MulDivRound(5, 1, 2), 3);      // 2.5
    EXPECT_EQ(MulDivRound(-5, 1, 2), -3);
    EXPECT_EQ(MulDivRound(5, -1, 2), -3);
    EXPECT_EQ(MulDivRound(7, 1, 4), 2);  // 1.75
    EXPECT_EQ(MulDivRound(9, 1, 4), 2);  // 2.25
    EXPECT_EQ(MulDivRound(1, 1, 0), -1);
    // The product does not overflow 32 bits.
    EXPECT_EQ(MulDivRound(1'000'000, 1'000'000, 1'000'000), 1'000'000);
}

TEST(IndBoksLayout, AverageCharSizeTruncatesTheWidth) {
    CharSize c = AverageCharSizeFromExtent(339, 13);  // 6.52 per letter
    EXPECT_EQ(c.x, 6);
    EXPECT_EQ(c.y, 13);
    EXPECT_EQ(AverageCharSizeFromExtent(363, 16).x, 6);
    EXPECT_EQ(AverageCharSizeFromExtent(364, 16).x, 7);
}

TEST(IndBoksLayout, WorkedExampleSixByThirteen) {
    const IndBoksLayout l = ComputeIndBoksLayout({6, 13});
    // client width and height; prompt left and top; edit left, top and width; button top,
    // width and height; OK's left; Annuller's left
    const std::vector<int> places{l.clientWidth, l.clientHeight, l.promptLeft, l.promptTop, l.editLeft, l.editTop,
                                  l.editWidth,   l.buttonTop,    l.buttonWidth, l.buttonHeight, l.okLeft, l.cancelLeft};
    EXPECT_EQ(places, (std::vector<int>{270, 102, 12, 13, 12, 31, 246, 67, 75, 23, 100, 184}));
}

TEST(IndBoksLayout, ControlsStayInsideTheClientAreaForCommonFonts) {
    for (int x = 4; x <= 12; ++x) {
        for (int y = 10; y <= 24; ++y) {
            IndBoksLayout l = ComputeIndBoksLayout({x, y});
            SCOPED_TRACE(testing::Message() << "X=" << x << " Y=" << y);
            EXPECT_LE(l.editLeft + l.editWidth, l.clientWidth);
            EXPECT_LE(l.cancelLeft + l.buttonWidth, l.clientWidth);
            EXPECT_LT(l.okLeft + l.buttonWidth, l.cancelLeft);
            EXPECT_LE(l.buttonTop + l.buttonHeight, l.clientHeight);
            EXPECT_LT(l.promptTop, l.editTop);
        }
    }
}
