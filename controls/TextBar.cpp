#include "controls/TextBar.h"

#include <commctrl.h>

namespace tavrel {

COLORREF ColorToRGB(TColor color) {
    if ((color & 0xFF000000u) == 0xFF000000u) return ::GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0x00FFFFFFu);
}

TTextBar::TTextBar(Window& parent, const CreateArgs& a)
    : GraphicControl(parent),
      caption_(a.caption),
      alignment_(a.alignment),
      borderStyle_(a.borderStyle),
      borderColor_(a.borderColor),
      margenHorz_(a.margenHorz),
      margenVert_(a.margenVert),
      transparent_(a.transparent),
      verticalAlign_(a.verticalAlign),
      wordWrap_(a.wordWrap),
      color_(a.color),
      fontColor_(a.fontColor),
      font_(a.font) {
    SetBounds(a.left, a.top, a.width, a.height);
    SetHint(a.hint);
}

TTextBar::~TTextBar() {
    if (tooltip_ && ::IsWindow(tooltip_)) ::DestroyWindow(tooltip_);
}

void TTextBar::SetCaption(const std::string& caption) { Change(caption_, caption); }
void TTextBar::SetAlignment(TAlignment v) { Change(alignment_, v); }
void TTextBar::SetBorderStyle(TBorderStyle v) { Change(borderStyle_, v); }
void TTextBar::SetMargenHorz(int v) { Change(margenHorz_, v); }
void TTextBar::SetMargenVert(int v) { Change(margenVert_, v); }
void TTextBar::SetTransparent(bool v) { Change(transparent_, v); }
void TTextBar::SetVerticalAlign(TVerticalAlign v) { Change(verticalAlign_, v); }
void TTextBar::SetWordWrap(bool v) { Change(wordWrap_, v); }
void TTextBar::SetColor(TColor v) { Change(color_, v); }
void TTextBar::SetFontColor(TColor v) { Change(fontColor_, v); }
void TTextBar::SetFont(HFONT font) { Change(font_, font); }

void TTextBar::SetBorderColor(TColor v) {
    if (borderColor_ == v) return;
    borderColor_ = v;
    // The other styles do not show the colour, so they need no repaint.
    if (UsesBorderColor(borderStyle_)) Invalidate();
}

void TTextBar::SetHint(const std::string& hint) {
    if (hint == hint_ && (tooltip_ || hint.empty())) return;
    hint_ = hint;
    UpdateTool();
}

void TTextBar::BoundsChanged() { UpdateTool(); }

// One tooltip per text bar, over the bar's rectangle of the parent; it exists while there is a
// hint to show.
void TTextBar::UpdateTool() {
    HWND parent = Parent().Handle();
    if (!parent) return;
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = parent;
    ti.uId = reinterpret_cast<UINT_PTR>(this);
    if (hint_.empty()) {
        if (tooltip_) ::SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        return;
    }
    std::wstring text = ToWide(hint_);
    ti.uFlags = TTF_SUBCLASS;
    ti.rect = Bounds();
    ti.lpszText = text.data();
    if (!tooltip_) {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
        if (!tooltip_) return;
        // Long paths wrap instead of running off the screen.
        ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
    }
    TTTOOLINFOW existing{};
    existing.cbSize = TTTOOLINFOW_V2_SIZE;
    existing.hwnd = parent;
    existing.uId = ti.uId;
    if (::SendMessageW(tooltip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&existing))) {
        ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
        ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    } else {
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void TTextBar::Paint(HDC dc) {
    // A hint set before the parent had its window gets its tooltip now.
    if (!hint_.empty() && !tooltip_) UpdateTool();
    const int w = Width(), h = Height();
    RECT client{0, 0, w, h};
    if (!transparent_) {
        HBRUSH brush = ::CreateSolidBrush(ColorToRGB(color_));
        ::FillRect(dc, &client, brush);
        ::DeleteObject(brush);
    }
    HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    int oldBk = ::SetBkMode(dc, TRANSPARENT);

    for (const BorderShape& s : BorderShapes(borderStyle_, w, h)) {
        COLORREF c = 0;
        switch (s.pen) {
        case BorderPen::BtnShadow: c = ::GetSysColor(COLOR_BTNSHADOW); break;
        case BorderPen::BtnHighlight: c = ::GetSysColor(COLOR_BTNHIGHLIGHT); break;
        case BorderPen::BtnFace: c = ::GetSysColor(COLOR_BTNFACE); break;
        case BorderPen::Black: c = RGB(0, 0, 0); break;
        case BorderPen::BorderColor: c = ColorToRGB(borderColor_); break;
        }
        HPEN pen = ::CreatePen(s.dotted ? PS_DOT : PS_SOLID, 1, c);
        HGDIOBJ oldPen = ::SelectObject(dc, pen);
        if (s.rectangle) {
            ::Rectangle(dc, s.points[0].x, s.points[0].y, s.points[1].x, s.points[1].y);
        } else {
            POINT pts[8];
            int n = 0;
            for (const BorderPoint& p : s.points) pts[n++] = POINT{p.x, p.y};
            ::Polyline(dc, pts, n);
        }
        ::SelectObject(dc, oldPen);
        ::DeleteObject(pen);
    }

    TextBarRect tr = TextRectOf(borderStyle_, w, h, margenHorz_, margenVert_);
    RECT r{tr.left, tr.top, tr.right, tr.bottom};
    HFONT font = font_ ? font_ : Parent().GetFont();
    if (!font) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    COLORREF oldColor = ::SetTextColor(dc, Enabled() ? ColorToRGB(fontColor_) : ::GetSysColor(COLOR_GRAYTEXT));
    std::wstring text = ToWide(GetDisplayText());
    // Without DT_NOCLIP the text is clipped at its rectangle.
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                TextBarDrawFlags(alignment_, wordWrap_, verticalAlign_));
    ::SetTextColor(dc, oldColor);
    ::SelectObject(dc, oldFont);

    if (borderStyle_ == bsFocused) ::DrawFocusRect(dc, &client);
    ::SetBkMode(dc, oldBk);
    ::SelectObject(dc, oldBrush);
}

}  // namespace tavrel
