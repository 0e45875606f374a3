// The one pair of conversions between the program's UTF-8 and the wide strings of the W
// functions (UTF-16 on Windows). Invalid input becomes U+FFFD, as the system's own converter
// does, so a broken name never stops a conversion.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

std::wstring ToWide(std::string_view utf8);
std::string FromWide(std::wstring_view wide);

}  // namespace tavrel
