// Text helpers below core/ and platform/: code pages, UTF-8, letter case, lines.
// Inside the program every string is UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// Windows-1252 <-> UTF-8. Bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D map to the same code points.
std::string Cp1252ToUtf8(std::string_view bytes);
// False (and nothing written) when a character has no Windows-1252 form.
bool Utf8ToCp1252(std::string_view utf8, std::string& bytes);
bool FitsCp1252(std::string_view utf8);
bool IsValidUtf8(std::string_view bytes);

// Text files of the program (job, list, report): Windows-1252 when the text fits it, else
// UTF-8 behind a byte-order mark. Reading accepts both; bytes after a mark that are not
// valid UTF-8 are read as Windows-1252, so any bytes give text. A file without a mark that is
// valid UTF-8 with letters beyond ASCII (as modern editors save it) is read as UTF-8.
std::string EncodeTextFile(std::string_view utf8);
std::string DecodeTextFile(std::string_view bytes);

// Splits on CR LF, CR or LF. A final line break does not give an empty last line.
std::vector<std::string> SplitLines(std::string_view text);

// Letter case. AsciiUpper folds only a-z; FoldCase also folds the Latin-1 letters (æ, ø, å...).
std::string AsciiUpper(std::string_view s);
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);
std::string FoldCase(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Case-insensitive order for folder names, like the user's locale collation for the letters
// that matter here: 0 equal, <0 a first, >0 b first.
int CompareNoCase(std::string_view a, std::string_view b);

// One code point: decoded at i (false on an invalid sequence, i unchanged then), appended.
bool DecodeUtf8(std::string_view s, size_t& i, char32_t& c);
void AppendUtf8(std::string& out, char32_t c);

// Number of characters (code points) of a UTF-8 text.
size_t Utf8Length(std::string_view s);

}  // namespace tavrel
