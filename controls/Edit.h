// Edit: a one-line edit field. onChange follows every change of its text, typed or set.
#pragma once

#include <functional>
#include <string>

#include "controls/Control.h"

namespace tavrel {

class Edit : public Control {
public:
    struct CreateArgs {
        std::string text;
        RECT bounds{};
        int id = 0;
        int limit = 0;          // the most characters the user may type; 0: the system's
        bool password = false;  // shows "*" for every character
    };

    bool Create(HWND parent, const CreateArgs& args);

    std::string Text() const { return GetText(); }
    void SelectAll() const { Send(EM_SETSEL, 0, -1); }

    std::function<void()> onChange;

protected:
    bool OnReflectedCommand(int code) override;
};

}  // namespace tavrel
