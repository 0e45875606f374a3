#include "core/TextBarLayout.h"

#include <optional>

namespace tavrel {

namespace {

constexpr uint32_t kAlignmentFlags[] = {0x0 /*DT_LEFT*/, 0x2 /*DT_RIGHT*/, 0x1 /*DT_CENTER*/};
constexpr uint32_t kWordWrapFlags[] = {0x0, 0x10 /*DT_WORDBREAK*/};
constexpr uint32_t kVerticalFlags[] = {0x0 /*DT_TOP*/, 0x24 /*DT_VCENTER|DT_SINGLELINE*/,
                                       0x28 /*DT_BOTTOM|DT_SINGLELINE*/};
constexpr uint32_t kExpandTabs = 0x40, kNoPrefix = 0x800;

// A 3-D edge on (l, t, r, b): A over the left column and the top row, B over the right column
// and the bottom row, both corners included; B is drawn second.
void AddEdge(std::vector<BorderShape>& out, BorderPen a, BorderPen b, int l, int t, int r, int bt) {
    out.push_back({a, false, false, {{l, bt - 1}, {l, t}, {r - 1, t}}});
    out.push_back({b, false, false, {{r - 1, t}, {r - 1, bt - 1}, {l - 1, bt - 1}}});
}

// The pens of one 3-D edge: over the left and top, then over the right and bottom.
struct EdgePens {
    BorderPen topLeft, bottomRight;
};

// A border of one edge round (0, 0, w, h), and a second one pixel inside it where given.
void AddEdges(std::vector<BorderShape>& out, EdgePens outer, std::optional<EdgePens> inner, int w, int h) {
    AddEdge(out, outer.topLeft, outer.bottomRight, 0, 0, w, h);
    if (inner) AddEdge(out, inner->topLeft, inner->bottomRight, 1, 1, w - 1, h - 1);
}

}  // namespace

std::vector<BorderShape> BorderShapes(TBorderStyle style, int w, int h) {
    using P = BorderPen;
    std::vector<BorderShape> out;
    switch (style) {
    case bsLight:
        AddEdges(out, {P::BtnShadow, P::BtnHighlight}, std::nullopt, w, h);
        break;
    case bsMedium:
        AddEdges(out, {P::Black, P::BtnHighlight}, std::nullopt, w, h);
        break;
    case bsHeavy:
        AddEdges(out, {P::BtnShadow, P::BtnHighlight}, EdgePens{P::Black, P::BtnFace}, w, h);
        break;
    case bsFrame:
        AddEdges(out, {P::BtnShadow, P::BtnHighlight}, EdgePens{P::BtnHighlight, P::BtnShadow}, w, h);
        break;
    case bsRaisedFrame:
        AddEdges(out, {P::BtnHighlight, P::BtnShadow}, EdgePens{P::BtnShadow, P::BtnHighlight}, w, h);
        break;
    case bsField:
        out.push_back({P::BorderColor, false, false, {{0, 4}, {0, 0}, {5, 0}}});
        out.push_back({P::BorderColor, false, false, {{w - 5, 0}, {w - 1, 0}, {w - 1, 5}}});
        out.push_back({P::BorderColor, false, false, {{w - 1, h - 5}, {w - 1, h - 1}, {w - 6, h - 1}}});
        out.push_back({P::BorderColor, false, false, {{4, h - 1}, {0, h - 1}, {0, h - 6}}});
        break;
    case bsDot:
        out.push_back({P::BorderColor, true, true, {{0, 0}, {w, h}}});
        break;
    case bsLine:
        out.push_back({P::BorderColor, false, true, {{0, 0}, {w, h}}});
        break;
    case bsNone:
    case bsFocused:
        break;
    }
    return out;
}

int BorderShrink(TBorderStyle style) { return style == bsNone ? 0 : 2; }

TextBarRect TextRectOf(TBorderStyle style, int width, int height, int margenHorz, int margenVert) {
    int s = BorderShrink(style);
    int dx = s + margenHorz + 1, dy = s + margenVert + 1;
    return {dx, dy, width - dx, height - dy};
}

uint32_t TextBarDrawFlags(TAlignment alignment, bool wordWrap, TVerticalAlign verticalAlign) {
    uint32_t a = alignment <= taCenter ? kAlignmentFlags[alignment] : 0;
    uint32_t v = verticalAlign <= vaBottom ? kVerticalFlags[verticalAlign] : 0;
    return kExpandTabs | kNoPrefix | a | kWordWrapFlags[wordWrap ? 1 : 0] | v;
}

}  // namespace tavrel
