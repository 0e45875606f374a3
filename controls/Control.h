// The base of the thin wrappers of the standard controls (Button, CheckBox, Edit, ListBox...):
// it creates the child window with its parent's font and receives the notifications the
// parent reflects to it, so that a form sets events on its controls (cmdStart.onClick = ...)
// instead of switching on control ids. A wrapper lives as long as the form that holds it and
// is neither copied nor moved: its window knows it by address.
#pragma once

#include "controls/Window.h"

namespace tavrel {

class Control : public WindowHandle, public IReflectTarget {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    ~Control() override;

protected:
    // Creates the child window; false when the system refused it.
    bool CreateChild(HWND parent, const ControlArgs& args);
};

// The size of a control from its bounds.
inline ControlArgs Placed(ControlArgs args, const RECT& bounds) {
    args.x = bounds.left;
    args.y = bounds.top;
    args.width = bounds.right - bounds.left;
    args.height = bounds.bottom - bounds.top;
    return args;
}

}  // namespace tavrel
