// UTF-8 <-> UTF-16 at the W calls, long-path prefixes and system error texts. Include this
// header instead of <windows.h> in code that also uses IFileSystem: it removes the CopyFile
// and DeleteFile macros, which would otherwise rename those methods.
#pragma once

#include <windows.h>

#undef CopyFile
#undef DeleteFile

#include <string>
#include <string_view>

namespace tavrel {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The path with "\\?\" (or "\\?\UNC\" for a network path) in front when it is 248 characters
// or longer, the limit of CreateDirectory; relative and already prefixed paths stay as they are.
std::wstring LongPath(const std::string& path);
std::wstring LongPath(std::wstring path);

// The system's text for an error code, without the trailing line break.
std::string SystemErrorText(DWORD code);

}  // namespace tavrel
