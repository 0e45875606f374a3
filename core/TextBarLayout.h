// The text bar's geometry without a window: the lines of each border style for a given size,
// the text rectangle inside border and margins, and the DrawText flags of the properties.
#pragma once

#include <cstdint>
#include <vector>

namespace tavrel {

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TBorderStyle : uint8_t {
    bsNone, bsLight, bsMedium, bsHeavy, bsFrame, bsRaisedFrame, bsField, bsDot, bsFocused, bsLine,
};
enum TVerticalAlign : uint8_t { vaTop, vaCenter, vaBottom };

// The colour of a border line, resolved by the painter.
enum class BorderPen : uint8_t { BtnShadow, BtnHighlight, BtnFace, Black, BorderColor };

struct BorderPoint {
    int x, y;
    bool operator==(const BorderPoint&) const = default;
};

// A polyline whose last point is not painted, or (rectangle) an outline over the whole
// client rectangle, columns 0 and W-1 and rows 0 and H-1.
struct BorderShape {
    BorderPen pen;
    bool dotted = false;
    bool rectangle = false;
    std::vector<BorderPoint> points;
};

struct TextBarRect {
    int left, top, right, bottom;
    bool operator==(const TextBarRect&) const = default;
};

// The border shapes of the style in drawing order, for a client area width x height.
std::vector<BorderShape> BorderShapes(TBorderStyle style, int width, int height);
// How far the border moves the text rectangle in from every side.
int BorderShrink(TBorderStyle style);
// The rectangle the text is drawn into: inside the border, then the margin plus one pixel.
TextBarRect TextRectOf(TBorderStyle style, int width, int height, int margenHorz, int margenVert);

// The DrawText format: tabs expanded, "&" shown as itself, and the three property tables.
uint32_t TextBarDrawFlags(TAlignment alignment, bool wordWrap, TVerticalAlign verticalAlign);

// Whether BorderColor shows in the style (so that a change of it needs a repaint).
inline bool UsesBorderColor(TBorderStyle style) { return style == bsField || style == bsDot || style == bsLine; }

}  // namespace tavrel
