// The user's locale collation, as the tree orders folder names and a sorted list box orders
// its items: letter case ignored, and the letters in the order of the user's language (a
// Danish user gets Æ, Ø, Å after Z).
#pragma once

#include <string>

namespace tavrel {

// Negative, zero or positive as a sorts before, with or after b in the user's locale.
int CompareForUser(const std::string& a, const std::string& b);
// The same in the named locale ("da-DK"); for the tests.
int CompareForLocale(const wchar_t* locale, const std::string& a, const std::string& b);

}  // namespace tavrel
