// The input box's layout, every position and size derived from the average character size of
// its font: X is the average character width, Y the character height.
#pragma once

#include <cstdint>

namespace tavrel {

// a * b / c rounded to the nearest integer, halves away from zero, as Win32 MulDiv; -1 for c = 0.
constexpr int MulDivRound(int a, int b, int c) {
    if (c == 0) return -1;
    int64_t p = static_cast<int64_t>(a) * b;
    bool negative = (p < 0) != (c < 0);
    int64_t ap = p < 0 ? -p : p;
    int64_t ac = c < 0 ? -static_cast<int64_t>(c) : c;
    int64_t q = (ap + ac / 2) / ac;
    return static_cast<int>(negative ? -q : q);
}

struct CharSize {
    int x = 0;
    int y = 0;
};

// The average character size from the extent of the 52 letters "A".."Z" "a".."z".
constexpr CharSize AverageCharSizeFromExtent(int extentWidth, int extentHeight) {
    return {extentWidth / 52, extentHeight};
}

struct IndBoksLayout {
    int clientWidth, clientHeight;
    int promptLeft, promptTop;
    int editLeft, editTop, editWidth;
    int buttonTop, buttonWidth, buttonHeight;
    int okLeft, cancelLeft;
};

constexpr IndBoksLayout ComputeIndBoksLayout(CharSize c) {
    const int x = c.x, y = c.y;
    IndBoksLayout l{};
    l.clientWidth = MulDivRound(180, x, 4);
    l.clientHeight = MulDivRound(63, y, 8);
    l.promptLeft = MulDivRound(8, x, 4);
    l.promptTop = MulDivRound(8, y, 8);
    l.editLeft = l.promptLeft;
    l.editTop = MulDivRound(19, y, 8);
    l.editWidth = MulDivRound(164, x, 4);
    l.buttonTop = MulDivRound(41, y, 8);
    l.buttonWidth = MulDivRound(50, x, 4);
    l.buttonHeight = MulDivRound(14, y, 8);
    // The lefts divide by 3, which puts the buttons towards the right edge.
    l.okLeft = MulDivRound(50, x, 3);
    l.cancelLeft = MulDivRound(92, x, 3);
    return l;
}

}  // namespace tavrel
