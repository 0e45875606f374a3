// TTextBar: a window-less label painted on its parent window, with one of ten border styles,
// alignment, margins, word wrap, transparency and a hover hint.
#pragma once

#include <string>

#include "controls/Window.h"
#include "core/TextBarLayout.h"

namespace tavrel {

// A colour: 0x00BBGGRR, or 0xFF0000nn for the system colour nn.
using TColor = uint32_t;
constexpr TColor clBlack = 0x00000000;
constexpr TColor clGray = 0x00808080;
constexpr TColor clWindowText = 0xFF000008;
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clBtnShadow = 0xFF000010;
constexpr TColor clGrayText = 0xFF000011;
constexpr TColor clBtnHighlight = 0xFF000014;
COLORREF ColorToRGB(TColor color);

class TTextBar : public GraphicControl {
public:
    struct CreateArgs {
        int left = 0, top = 0, width = 65, height = 17;
        std::string caption;
        TAlignment alignment = taLeftJustify;
        TBorderStyle borderStyle = bsNone;
        TColor borderColor = clGray;
        int margenHorz = 0, margenVert = 0;
        bool transparent = false;
        TVerticalAlign verticalAlign = vaTop;
        bool wordWrap = false;
        TColor color = clBtnFace;
        TColor fontColor = clWindowText;
        HFONT font = nullptr;  // nullptr: the parent window's font
        std::string hint;
    };

    TTextBar(Window& parent, const CreateArgs& args);
    explicit TTextBar(Window& parent) : TTextBar(parent, CreateArgs{}) {}
    ~TTextBar() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor v);
    int MargenHorz() const { return margenHorz_; }
    void SetMargenHorz(int v);
    int MargenVert() const { return margenVert_; }
    void SetMargenVert(int v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TVerticalAlign VerticalAlign() const { return verticalAlign_; }
    void SetVerticalAlign(TVerticalAlign v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor v);
    void SetFont(HFONT font);

    void Paint(HDC dc) override;
    // The tooltip window that shows the hint, once there is one.
    HWND Tooltip() const { return tooltip_; }

protected:
    // The text to draw; a descendant may draw something else than the caption.
    virtual std::string GetDisplayText() const { return caption_; }
    void BoundsChanged() override;

private:
    template <class T>
    void Change(T& field, T value) {
        if (field == value) return;
        field = value;
        Invalidate();
    }
    void UpdateTool();

    std::string caption_, hint_;
    TAlignment alignment_;
    TBorderStyle borderStyle_;
    TColor borderColor_;
    int margenHorz_, margenVert_;
    bool transparent_;
    TVerticalAlign verticalAlign_;
    bool wordWrap_;
    TColor color_, fontColor_;
    HFONT font_;
    HWND tooltip_ = nullptr;
};

}  // namespace tavrel
