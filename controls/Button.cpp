#include "controls/Button.h"

namespace tavrel {

bool Button::Create(HWND parent, const CreateArgs& args) {
    if (!CreateChild(parent, Placed({.className = L"BUTTON", .text = args.text, .style = args.style, .id = args.id},
                                    args.bounds)))
        return false;
    if (!args.visible) Hide();
    if (!args.enabled) Enable(false);
    return true;
}

bool Button::OnReflectedCommand(int code) {
    if (code != BN_CLICKED || !onClick) return false;
    onClick();
    return true;
}

bool PressPushButton(HWND control) {
    if (!control || !::IsWindowEnabled(control)) return false;
    const LRESULT code = ::SendMessageW(control, WM_GETDLGCODE, 0, 0);
    if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) return false;
    LRESULT result = 0;
    return ReflectToControl(WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                            reinterpret_cast<LPARAM>(control), result);
}

}  // namespace tavrel
