#include "controls/ListBox.h"

#include <algorithm>

namespace tavrel {

bool ListBox::Create(HWND parent, const CreateArgs& args) {
    const DWORD style =
        LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | (args.multiSelect ? LBS_EXTENDEDSEL : 0u);
    return CreateChild(parent, Placed({.className = L"LISTBOX", .text = {}, .style = style, .exStyle = WS_EX_CLIENTEDGE,
                                       .id = args.id},
                                      args.bounds));
}

int ListBox::Count() const { return std::max(0, static_cast<int>(Send(LB_GETCOUNT))); }

std::string ListBox::Text(int index) const {
    const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT n = Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max<LRESULT>(0, n)));
    return FromWide(text);
}

std::vector<std::string> ListBox::Texts() const {
    std::vector<std::string> texts;
    for (int i = 0, n = Count(); i < n; ++i) texts.push_back(Text(i));
    return texts;
}

std::vector<int> ListBox::SelectedIndices() const {
    const int count = static_cast<int>(Send(LB_GETSELCOUNT));
    std::vector<int> selected(static_cast<size_t>(std::max(count, 0)));
    if (count > 0) Send(LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(selected.data()));
    return selected;
}

void ListBox::Add(const std::string& text) const {
    Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
}

void ListBox::Insert(int index, const std::string& text) const {
    Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(ToWide(text).c_str()));
}

void ListBox::SetRedraw(bool on) const {
    Send(WM_SETREDRAW, on ? TRUE : FALSE);
    if (on) Invalidate();
}

bool ListBox::OnReflectedCommand(int code) {
    if (code != LBN_SELCHANGE || !onSelectionChanged) return false;
    onSelectionChanged();
    return true;
}

}  // namespace tavrel
