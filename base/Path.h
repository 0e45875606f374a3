// Path helpers. Paths use "\" as separator; a folder path ends with "\" (a drive root is "C:\").
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

std::string IncludeTrailingBackslash(std::string_view path);
std::string ExcludeTrailingBackslash(std::string_view path);
// True for a path from a drive's root ("C:\..." or "C:/...", or "C:" alone, which the program
// has always read as the root) or a share ("\\server\share..."); a path without one ("Data",
// "\Data", "C:Data") means a different place in every current folder.
bool IsFullPath(std::string_view path);
// A full path with its "." and ".." parts resolved and doubled separators made one, as
// Windows reads it ("C:\Data\..\" is "C:\"); "/" becomes "\", a trailing separator stays and
// a drive alone gets its root's. Any other path comes back as it is.
std::string NormalizeFullPath(std::string_view path);
// The name after the last "\" or ":".
std::string ExtractFileName(std::string_view path);
// The folder part up to and including the last "\" or ":".
std::string ExtractFilePath(std::string_view path);
// The text of the file name from its last "." on, dot included; empty when the name has none.
std::string ExtractFileExt(std::string_view path);
// Replaces the extension of the file name (from its last "." on) or appends ext.
std::string ChangeFileExt(std::string_view path, std::string_view ext);

}  // namespace tavrel
