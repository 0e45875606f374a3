#include "controls/Control.h"

namespace tavrel {

Control::~Control() {
    // The window may outlive the wrapper by a little (its parent destroys it); it must not
    // report to an object that is gone.
    if (hwnd_ && ::IsWindow(hwnd_)) SetReflectTarget(hwnd_, nullptr);
}

bool Control::CreateChild(HWND parent, const ControlArgs& args) {
    if (hwnd_ && ::IsWindow(hwnd_)) SetReflectTarget(hwnd_, nullptr);
    hwnd_ = CreateControl(parent, args);
    if (!hwnd_) return false;
    SetReflectTarget(hwnd_, this);
    return true;
}

}  // namespace tavrel
