#include "core/IndBoksLayout.h"

#include <gtest/gtest.h>

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
    IndBoksLayout l = ComputeIndBoksLayout({6, 13});
    EXPECT_EQ(l.clientWidth, 270);
    EXPECT_EQ(l.clientHeight, 102);
    EXPECT_EQ(l.promptLeft, 12);
    EXPECT_EQ(l.promptTop, 13);
    EXPECT_EQ(l.editLeft, 12);
    EXPECT_EQ(l.editTop, 31);
    EXPECT_EQ(l.editWidth, 246);
    EXPECT_EQ(l.buttonTop, 67);
    EXPECT_EQ(l.buttonWidth, 75);
    EXPECT_EQ(l.buttonHeight, 23);
    EXPECT_EQ(l.okLeft, 100);
    EXPECT_EQ(l.cancelLeft, 184);
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
