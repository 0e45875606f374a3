#include "controls/Collation.h"

#include "controls/Window.h"

namespace tavrel {

int CompareForLocale(const wchar_t* locale, const std::string& a, const std::string& b) {
    std::wstring wa = ToWide(a), wb = ToWide(b);
    int r = ::CompareStringEx(locale, NORM_IGNORECASE, wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                              static_cast<int>(wb.size()), nullptr, nullptr, 0);
    return r == CSTR_LESS_THAN ? -1 : r == CSTR_GREATER_THAN ? 1 : 0;
}

int CompareForUser(const std::string& a, const std::string& b) {
    return CompareForLocale(LOCALE_NAME_USER_DEFAULT, a, b);
}

}  // namespace tavrel
