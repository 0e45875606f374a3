#include "controls/Menu.h"

namespace tavrel {

void MenuHandle::SetText(int id, const std::string& text) const {
    std::wstring wide = ToWide(text);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = wide.data();
    ::SetMenuItemInfoW(menu_, static_cast<UINT>(id), FALSE, &info);
}

void MenuHandle::Enable(int id, bool on) const {
    ::EnableMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void MenuHandle::Check(int id, bool on) const {
    ::CheckMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

bool MenuHandle::Checked(int id) const {
    return (::GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void MenuHandle::Delete(int id) const { ::DeleteMenu(menu_, static_cast<UINT>(id), MF_BYCOMMAND); }

void MenuHandle::Insert(int position, int id, const std::string& text) const {
    ::InsertMenuW(menu_, static_cast<UINT>(position), MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(id),
                  ToWide(text).c_str());
}

void MenuHandle::InsertSeparator(int position, int id) const {
    ::InsertMenuW(menu_, static_cast<UINT>(position), MF_BYPOSITION | MF_SEPARATOR, static_cast<UINT_PTR>(id), nullptr);
}

bool CommandTable::Run(int id) const {
    const auto it = handlers_.find(id);
    if (it == handlers_.end() || !it->second) return false;
    it->second();
    return true;
}

}  // namespace tavrel
