// CheckBox: a button with a box the system ticks and clears at each press; onClick follows.
#pragma once

#include "controls/Button.h"

namespace tavrel {

class CheckBox : public Button {
public:
    struct CreateArgs {
        std::string text;
        RECT bounds{};
        int id = 0;
        bool multiline = false;  // the text wraps within the bounds
    };

    bool Create(HWND parent, const CreateArgs& args) {
        return Button::Create(parent, {.text = args.text,
                                       .bounds = args.bounds,
                                       .id = args.id,
                                       .style = BS_AUTOCHECKBOX | WS_TABSTOP | (args.multiline ? BS_MULTILINE : 0u)});
    }

    bool Checked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
    void SetChecked(bool on) const { Send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED); }
};

}  // namespace tavrel
