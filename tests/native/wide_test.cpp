#include "base/Wide.h"

#include <gtest/gtest.h>

namespace tavrel {

TEST(Wide, RoundTripsEveryPlaneAndReplacesWhatIsBroken) {
    const std::string mixed = "H\xc3\xb8jde \xce\x95\xce\xbb \xe4\xb8\xad \xf0\x9f\x98\x80";
    EXPECT_EQ(FromWide(ToWide(mixed)), mixed);
    EXPECT_EQ(ToWide(""), L"");
    // The emoji is one code point, whatever the width of wchar_t.
    const std::wstring wide = ToWide("\xf0\x9f\x98\x80");
    EXPECT_EQ(wide.size(), sizeof(wchar_t) == 2 ? 2u : 1u);
    // A stray continuation byte and a truncated sequence become U+FFFD and the rest survives.
    EXPECT_EQ(FromWide(ToWide("a\x80" "b\xe4\xb8")), "a\xef\xbf\xbd" "b\xef\xbf\xbd\xef\xbf\xbd");
    // A lone surrogate (a name Windows allows) becomes U+FFFD rather than invalid UTF-8.
    std::wstring lone;
    lone += L'x';
    lone += static_cast<wchar_t>(0xD800);
    EXPECT_EQ(FromWide(lone), "x\xef\xbf\xbd");
}

}  // namespace tavrel
