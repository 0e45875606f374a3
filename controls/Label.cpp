#include "controls/Label.h"

namespace tavrel {

bool Label::Create(HWND parent, const CreateArgs& args) {
    textColor_ = args.textColor;
    clickable_ = args.clickable;
    if (!CreateChild(parent, Placed({.className = L"STATIC", .text = args.text,
                                     .style = args.style | (args.clickable ? SS_NOTIFY : 0u), .id = args.id},
                                    args.bounds)))
        return false;
    if (args.font) SetFont(args.font, false);
    return true;
}

bool Label::OnReflectedCommand(int code) {
    if (code != STN_CLICKED || !onClick) return false;
    onClick();
    return true;
}

HBRUSH Label::OnReflectedColor(HDC dc) {
    if (textColor_ == CLR_INVALID) return nullptr;
    const bool system = (textColor_ & 0x80000000u) != 0;
    ::SetTextColor(dc, system ? ::GetSysColor(static_cast<int>(textColor_ & 0xFF)) : textColor_);
    ::SetBkMode(dc, TRANSPARENT);
    return ::GetSysColorBrush(COLOR_BTNFACE);
}

bool Label::OnReflectedSetCursor() {
    if (!clickable_) return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return true;
}

}  // namespace tavrel
