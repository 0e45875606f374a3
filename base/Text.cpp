#include "base/Text.h"

#include <algorithm>
#include <cstdint>

namespace tavrel {

namespace {

// Code points of the bytes 0x80..0x9F in Windows-1252; the five unused bytes keep their value.
constexpr char32_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool ToCp1252(char32_t c, char& out) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        out = static_cast<char>(c);
        return true;
    }
    for (int k = 0; k < 32; ++k) {
        if (kHigh1252[k] == c) {
            out = static_cast<char>(0x80 + k);
            return true;
        }
    }
    return false;
}

char32_t FoldChar(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    if (c == 0x0161 || c == 0x0153 || c == 0x017E) return c - 1;  // š œ ž
    if (c == 0xFF) return 0x0178;                                  // ÿ
    return c;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one code point at i; false on an invalid sequence (i unchanged then).
bool DecodeUtf8(std::string_view s, size_t& i, char32_t& c) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        c = b;
        ++i;
        return true;
    }
    int len;
    char32_t min;
    if ((b & 0xE0) == 0xC0) {
        len = 2;
        c = b & 0x1F;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        len = 3;
        c = b & 0x0F;
        min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        len = 4;
        c = b & 0x07;
        min = 0x10000;
    } else {
        return false;
    }
    if (i + len > s.size()) return false;
    for (int k = 1; k < len; ++k) {
        unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return false;
        c = (c << 6) | (t & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += len;
    return true;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        unsigned char b = static_cast<unsigned char>(ch);
        if (b < 0x80) out += ch;
        else if (b < 0xA0) AppendUtf8(out, kHigh1252[b - 0x80]);
        else AppendUtf8(out, b);
    }
    return out;
}

bool Utf8ToCp1252(std::string_view utf8, std::string& bytes) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t c;
        if (!DecodeUtf8(utf8, i, c)) return false;
        char b;
        if (!ToCp1252(c, b)) return false;
        out += b;
    }
    bytes = std::move(out);
    return true;
}

bool FitsCp1252(std::string_view utf8) {
    std::string ignored;
    return Utf8ToCp1252(utf8, ignored);
}

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    char32_t c;
    while (i < bytes.size())
        if (!DecodeUtf8(bytes, i, c)) return false;
    return true;
}

std::string EncodeTextFile(std::string_view utf8) {
    std::string bytes;
    // Windows-1252 bytes that happen to be valid UTF-8, or to begin like its mark (a text
    // "Î±" or "ï»¿..."), would read back as other text, so such text goes out as UTF-8.
    if (Utf8ToCp1252(utf8, bytes) && DecodeTextFile(bytes) == utf8) return bytes;
    return "\xEF\xBB\xBF" + std::string(utf8);
}

std::string DecodeTextFile(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        std::string_view rest = bytes.substr(3);
        if (IsValidUtf8(rest)) return std::string(rest);
        return Cp1252ToUtf8(rest);
    }
    // Editors such as Notepad save UTF-8 without a mark. Windows-1252 text with letters above
    // 0x7F is almost never valid UTF-8, so a file that is valid UTF-8 and uses multi-byte
    // sequences is read as UTF-8.
    bool highBytes = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    if (highBytes && IsValidUtf8(bytes)) return std::string(bytes);
    return Cp1252ToUtf8(bytes);
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::string FoldCase(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        char32_t c;
        if (DecodeUtf8(s, i, c)) {
            AppendUtf8(out, FoldChar(c));
        } else {
            out += s[i];
            ++i;
        }
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && EqualsAsciiNoCase(a, b)) return true;
    return FoldCase(a) == FoldCase(b);
}

int CompareNoCase(std::string_view a, std::string_view b) {
    std::string fa = FoldCase(a), fb = FoldCase(b);
    // Code point order of the folded text; UTF-8 byte order gives the same.
    int r = fa.compare(fb);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

size_t Utf8Length(std::string_view s) {
    size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace tavrel
