// Menus and commands: a handle to a menu the window does not own, with its items by command
// id, and the table of the commands a window carries out (menu items, accelerators, and the
// IDOK and IDCANCEL that the dialog keys send), so that no form switches on ids.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "controls/Window.h"

namespace tavrel {

class CommandTable {
public:
    void On(int id, std::function<void()> handler) { handlers_[id] = std::move(handler); }
    // Carries out the command; false when the table has none of that id.
    bool Run(int id) const;

private:
    std::map<int, std::function<void()>> handlers_;
};

class MenuHandle {
public:
    MenuHandle(HMENU menu = nullptr) : menu_(menu) {}
    operator HMENU() const { return menu_; }

    MenuHandle SubMenu(int position) const { return ::GetSubMenu(menu_, position); }
    int Count() const { return ::GetMenuItemCount(menu_); }
    // The items by command id: text, grey or not, check mark, removal.
    void SetText(int id, const std::string& text) const;
    void Enable(int id, bool on) const;
    void Check(int id, bool on) const;
    bool Checked(int id) const;
    void Delete(int id) const;
    // New items at a position (0 first).
    void Insert(int position, int id, const std::string& text) const;
    void InsertSeparator(int position, int id) const;

private:
    HMENU menu_;
};

}  // namespace tavrel
