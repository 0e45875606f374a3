// Button: a push button. onClick follows every press: the mouse, Space, or Enter as the window
// delivers it. CheckBox and RadioButton are buttons too.
#pragma once

#include <functional>
#include <string>

#include "controls/Control.h"

namespace tavrel {

class Button : public Control {
public:
    struct CreateArgs {
        std::string text;
        RECT bounds{};  // in the parent's client pixels
        int id = 0;
        DWORD style = BS_PUSHBUTTON | WS_TABSTOP;
        bool enabled = true;
        bool visible = true;
    };

    bool Create(HWND parent, const CreateArgs& args);

    std::function<void()> onClick;
    // Raises onClick as a press would, without moving the keyboard or drawing the press.
    void Click() const {
        if (onClick) onClick();
    }

    // A picture beside the text (the button does not own the icon).
    void SetPicture(HICON icon) const { Send(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)); }
    HICON Picture() const { return reinterpret_cast<HICON>(Send(BM_GETIMAGE, IMAGE_ICON)); }

protected:
    bool OnReflectedCommand(int code) override;
};

// Enter on a window that is no dialog: presses the enabled push button (of ours) that has the
// keyboard, as a dialog does. False when the control is no such button.
bool PressPushButton(HWND control);

}  // namespace tavrel
