#include "base/Wide.h"

#include "base/Text.h"

namespace tavrel {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// wchar_t is UTF-16 on Windows and UTF-32 on Linux, where the native tests run.
constexpr bool kUtf16 = sizeof(wchar_t) == 2;

void AppendWide(std::wstring& out, char32_t c) {
    if (kUtf16 && c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

// The next code point of a wide string; a lone surrogate or a value beyond Unicode gives U+FFFD.
char32_t NextWide(std::wstring_view s, size_t& i) {
    const char32_t c = static_cast<char32_t>(s[i++]);
    if (!kUtf16) return (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) ? kReplacement : c;
    if (c < 0xD800 || c > 0xDFFF) return c;
    if (c <= 0xDBFF && i < s.size()) {
        const char32_t low = static_cast<char32_t>(s[i]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++i;
            return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return kReplacement;
}

}  // namespace

std::wstring ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t c;
        if (!DecodeUtf8(utf8, i, c)) {
            c = kReplacement;
            ++i;
        }
        AppendWide(out, c);
    }
    return out;
}

std::string FromWide(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size();) AppendUtf8(out, NextWide(wide, i));
    return out;
}

}  // namespace tavrel
