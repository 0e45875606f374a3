// The input box: one modal dialog that asks for a single line of text.
#pragma once

#include <string>

namespace tavrel {

// Shows the dialog centred on the screen with the prompt above an edit field holding value.
// True when the user confirmed (OK or Enter); value then holds the edited text. False for
// Cancel, Esc or the close box, value unchanged. password shows "*" for every character.
// The dialog is owned by the program's main window (the top-level owner of the active window),
// so it has no taskbar button of its own; the other windows of the program are disabled while
// it is open.
bool IndBoksQuery(const std::string& caption, const std::string& prompt, const std::string& okCaption,
                  const std::string& cancelCaption, std::string& value, bool password = false);

}  // namespace tavrel
