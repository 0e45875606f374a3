// <windows.h> for the program, with long-path prefixes and system error texts for the W calls
// (the UTF-8 conversions are base/Wide.h, included here). Include this header instead of
// <windows.h> in code that also uses IFileSystem: it removes the CopyFile and DeleteFile
// macros, which would otherwise rename those methods.
#pragma once

#include <windows.h>

#undef CopyFile
#undef DeleteFile

#include <string>
#include <string_view>

#include "base/Wide.h"

namespace tavrel {

// The path with "\\?\" (or "\\?\UNC\" for a network path) in front when it is 248 characters
// or longer, the limit of CreateDirectory; relative and already prefixed paths stay as they are.
std::wstring LongPath(const std::string& path);
std::wstring LongPath(std::wstring path);

// The system's text for an error code, without the trailing line break.
std::string SystemErrorText(DWORD code);

}  // namespace tavrel
