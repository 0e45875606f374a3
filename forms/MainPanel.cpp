#include "forms/MainPanel.h"

#include "forms/UiFont.h"

namespace tavrel {

bool TMainPanel::CreatePanel(const CreateArgs& args) {
    caption_ = args.caption;
    framed_ = args.framed || !args.caption.empty();
    // WS_EX_CONTROLPARENT lets the dialog keys (Tab, mnemonics) reach the controls inside.
    bool ok = Create({.className = L"TavrelMainPanel",
                      .title = args.caption,
                      .style = WS_CHILD | WS_CLIPSIBLINGS | (args.visible ? WS_VISIBLE : 0u),
                      .exStyle = WS_EX_CONTROLPARENT,
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

LRESULT TMainPanel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
        return ::SendMessageW(::GetParent(hwnd_), msg, wp, lp);
    default:
        return Window::HandleMessage(msg, wp, lp);
    }
}

void TMainPanel::OnPaint(HDC dc, const RECT&) {
    if (!framed_) return;
    RECT client = ClientRect();
    HGDIOBJ oldFont = ::SelectObject(dc, GetFont() ? GetFont() : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, L"Xg", 2, &extent);
    // The frame's top line runs through the middle of the caption, as in a group box.
    RECT frame = client;
    frame.top = extent.cy / 2;
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    std::wstring text = ToWide(caption_);
    if (!text.empty()) {
        ::SetBkMode(dc, OPAQUE);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        RECT textRect{Scale(8), 0, client.right - 2, extent.cy};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                    DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
    ::SelectObject(dc, oldFont);
}

}  // namespace tavrel
