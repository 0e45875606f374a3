// TabControl: a row of tabs over a page; the form shows the controls of the tab in front.
// onSelectionChanged follows a change of the tab by mouse or keyboard (not by Select).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/Control.h"

#include <commctrl.h>

namespace tavrel {

class TabControl : public Control {
public:
    struct CreateArgs {
        std::vector<std::string> tabs;
        RECT bounds{};
        int id = 0;
    };

    bool Create(HWND parent, const CreateArgs& args);

    void Add(const std::string& text) const;
    int Count() const { return static_cast<int>(Send(TCM_GETITEMCOUNT)); }
    int Selected() const { return static_cast<int>(Send(TCM_GETCURSEL)); }
    void Select(int index) const { Send(TCM_SETCURSEL, static_cast<WPARAM>(index)); }
    // The page below the tabs, for the control at the given bounds (in the same coordinates).
    RECT PageRect(const RECT& bounds) const;

    std::function<void()> onSelectionChanged;

protected:
    bool OnReflectedNotify(NMHDR* hdr, LRESULT& result) override;
};

}  // namespace tavrel
