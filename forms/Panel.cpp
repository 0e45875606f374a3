#include "forms/Panel.h"

#include "forms/UiFont.h"

namespace tavrel {

bool TPanel::CreatePanel(const CreateArgs& args) {
    caption_ = args.caption;
    bool ok = Create({.className = L"TavrelPanel",
                      .title = args.caption,
                      .style = WS_CHILD | WS_CLIPSIBLINGS | (args.visible ? WS_VISIBLE : 0u),
                      .exStyle = args.controlParent ? static_cast<DWORD>(WS_EX_CONTROLPARENT) : 0u,
                      .x = args.bounds.left,
                      .y = args.bounds.top,
                      .width = args.bounds.right - args.bounds.left,
                      .height = args.bounds.bottom - args.bounds.top,
                      .parent = args.parent,
                      .menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)),
                      .classStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW});
    if (ok && args.font) SetFont(args.font, false);
    return ok;
}

void TPanel::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    SetText(caption);
    Invalidate();
}

void TPanel::OnPaint(HDC dc, const RECT&) {
    if (caption_.empty()) return;
    RECT client = ClientRect();
    HGDIOBJ oldFont = ::SelectObject(dc, GetFont() ? GetFont() : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, L"Xg", 2, &extent);
    // The frame's top line runs through the middle of the caption, as in a group box.
    RECT frame = client;
    frame.top = extent.cy / 2;
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    std::wstring text = ToWide(caption_);
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    RECT textRect{Scale(8), 0, client.right - 2, extent.cy};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    ::SelectObject(dc, oldFont);
}

}  // namespace tavrel
