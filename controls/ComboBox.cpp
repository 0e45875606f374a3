#include "controls/ComboBox.h"

#include <algorithm>

namespace tavrel {

bool ComboBox::Create(HWND parent, const CreateArgs& args) {
    if (!CreateChild(parent, Placed({.className = L"COMBOBOX", .text = {},
                                     .style = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, .id = args.id},
                                    args.bounds)))
        return false;
    // The height a drop-down list gets at creation is that of the box and its open list.
    const int itemHeight = static_cast<int>(Send(CB_GETITEMHEIGHT, 0));
    const RECT r = WindowRect();
    ::SetWindowPos(*this, nullptr, 0, 0, r.right - r.left,
                   (r.bottom - r.top) + std::max(1, args.dropLines) * std::max(1, itemHeight) + 2,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

int ComboBox::Count() const { return std::max(0, static_cast<int>(Send(CB_GETCOUNT))); }

void ComboBox::Add(const std::string& text) const {
    Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
}

std::string ComboBox::Text(int index) const {
    const LRESULT length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT n = Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max<LRESULT>(0, n)));
    return FromWide(text);
}

bool ComboBox::OnReflectedCommand(int code) {
    if (code != CBN_SELCHANGE || !onSelectionChanged) return false;
    onSelectionChanged();
    return true;
}

}  // namespace tavrel
