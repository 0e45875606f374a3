// The user's locale collation that orders the tree's folders and the file types.
#include "controls/Collation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace tavrel;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> items, const wchar_t* locale) {
    std::stable_sort(items.begin(), items.end(), [locale](const std::string& a, const std::string& b) {
        return (locale ? CompareForLocale(locale, a, b) : CompareForUser(a, b)) < 0;
    });
    return items;
}

}  // namespace

TEST(Collation, ADanishUserGetsTheDanishLettersAfterZ) {
    EXPECT_EQ(Sorted({".å", ".ø", ".Z", ".æ", ".a", "._"}, L"da-DK"),
              (std::vector<std::string>{"._", ".a", ".Z", ".æ", ".ø", ".å"}));
}

TEST(Collation, LetterCaseIsIgnored) {
    for (const wchar_t* locale : {L"da-DK", L"en-US"}) {
        SCOPED_TRACE(std::string(locale, locale + wcslen(locale)));
        EXPECT_EQ(CompareForLocale(locale, ".bak", ".BAK"), 0);
        EXPECT_EQ(CompareForLocale(locale, ".ÆRØ", ".ærø"), 0);
        EXPECT_LT(CompareForLocale(locale, ".b", ".BAK"), 0);
        EXPECT_GT(CompareForLocale(locale, ".TMP", ".bak"), 0);
    }
}

TEST(Collation, TheUsersOwnLocaleIsAsked) {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    ASSERT_GT(::GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH), 0);
    const std::vector<std::string> items = {".å", ".ø", ".Z", ".æ", ".a", "._", ".b"};
    EXPECT_EQ(Sorted(items, nullptr), Sorted(items, name));
}
