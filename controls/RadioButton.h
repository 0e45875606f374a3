// RadioButton: one choice of a group; the system checks it at a press and clears the others
// of its group (the buttons from one with startsGroup to the next such). onClick follows.
#pragma once

#include "controls/CheckBox.h"

namespace tavrel {

class RadioButton : public CheckBox {
public:
    struct CreateArgs {
        std::string text;
        RECT bounds{};
        int id = 0;
        bool startsGroup = false;  // the first of its group, where Tab stops
    };

    bool Create(HWND parent, const CreateArgs& args) {
        return Button::Create(parent, {.text = args.text,
                                       .bounds = args.bounds,
                                       .id = args.id,
                                       .style = BS_AUTORADIOBUTTON | (args.startsGroup ? WS_GROUP | WS_TABSTOP : 0u)});
    }
};

}  // namespace tavrel
