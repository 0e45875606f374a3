// ComboBox: a drop-down list to choose one text from (no typing). onSelectionChanged follows a
// choice by mouse or keyboard.
#pragma once

#include <functional>
#include <string>

#include "controls/Control.h"

namespace tavrel {

class ComboBox : public Control {
public:
    struct CreateArgs {
        RECT bounds{};     // the closed box; the list drops below it
        int id = 0;
        int dropLines = 8;  // the items the open list shows at once
    };

    bool Create(HWND parent, const CreateArgs& args);

    int Count() const;
    void Add(const std::string& text) const;
    // The chosen item's index, or -1 for none.
    int Selected() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void Select(int index) const { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
    std::string Text(int index) const;

    std::function<void()> onSelectionChanged;

protected:
    bool OnReflectedCommand(int code) override;
};

}  // namespace tavrel
