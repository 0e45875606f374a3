// The help page that ships beside the program: the part of it that belongs to what the user
// is looking at, and the address and command line that hand it to a web browser.
#pragma once

#include <string>

namespace tavrel {

// The page's file name, beside the program (and in help\ beside it in a build tree).
constexpr const char* kHelpPageName = "Tavrel.html";

// The anchor of the page's part about a tab of the main window: "kopiering" for the tab
// "Kopiering" (0), "filfiltrering" for "Filfiltrering" (1); empty for anything else.
std::string HelpSectionOfTab(int tab);

// A file address for a local path, with "#section" when a section is given: C:\Program
// Files\Tavrel.html gives file:///C:/Program%20Files/Tavrel.html. Letters outside ASCII are
// written as the percent-escaped bytes of their UTF-8 form; \\server\share\x.html gives
// file://server/share/x.html.
std::string FileUrl(const std::string& path, const std::string& section = {});

// The command line that opens the address, made from the command the system registers for
// web addresses ("\"C:\...\browser.exe\" -osint -url \"%1\""): %1 and %L stand for the
// address, %* for nothing. Empty when the command has no place for the address.
std::string BrowserCommandLine(const std::string& command, const std::string& url);

}  // namespace tavrel
