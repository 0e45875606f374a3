// Opens the help page that ships beside the program.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/System.h"

namespace tavrel {

// Opens Tavrel.html from the program's folder (or help\ below it) at the given part, in the
// browser that opens web addresses, so that the part is found; without such a browser the
// page opens with whatever opens .html files, at its top. A page that is not there is
// reported.
void OpenHelpPage(IFileSystem& fs, IShell& shell, IMessageBox& messages, const std::string& section);

}  // namespace tavrel
