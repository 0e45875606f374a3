#include "controls/StatusBar.h"

#include <commctrl.h>

namespace tavrel {

bool StatusBar::Create(HWND parent, const CreateArgs& args) {
    return CreateChild(parent, {.className = STATUSCLASSNAMEW,
                                .text = {},
                                .style = args.sizeGrip ? static_cast<DWORD>(SBARS_SIZEGRIP) : 0u,
                                .id = args.id});
}

void StatusBar::SetParts(const std::vector<int>& rightEdges) const {
    Send(SB_SETPARTS, rightEdges.size(), reinterpret_cast<LPARAM>(rightEdges.data()));
}

void StatusBar::SetText(int part, const std::string& text, UINT flags) const {
    Send(SB_SETTEXTW, static_cast<WPARAM>(part) | flags, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
}

std::string StatusBar::Text(int part) const {
    const LRESULT length = LOWORD(Send(SB_GETTEXTLENGTHW, static_cast<WPARAM>(part)));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    Send(SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return FromWide(text);
}

}  // namespace tavrel
