#include "controls/Edit.h"

namespace tavrel {

bool Edit::Create(HWND parent, const CreateArgs& args) {
    const DWORD style = ES_AUTOHSCROLL | WS_TABSTOP | (args.password ? ES_PASSWORD : 0u);
    if (!CreateChild(parent, Placed({.className = L"EDIT", .text = args.text, .style = style,
                                     .exStyle = WS_EX_CLIENTEDGE, .id = args.id},
                                    args.bounds)))
        return false;
    // The limit stops typing only; a longer text is shown in full.
    if (args.limit > 0) Send(EM_LIMITTEXT, static_cast<WPARAM>(args.limit));
    if (args.password) Send(EM_SETPASSWORDCHAR, L'*');
    return true;
}

bool Edit::OnReflectedCommand(int code) {
    if (code != EN_CHANGE || !onChange) return false;
    onChange();
    return true;
}

}  // namespace tavrel
