#include "core/Formats.h"
#include "tests/native/support/Mapping.h"

#include <gtest/gtest.h>

using namespace tavrel;
using tavrel::test::ExpectMapping;

TEST(Formats, FileCountInsertsOneSeparatorOnly) {
    EXPECT_EQ(FormatFileCount(0), "0 filer");
    EXPECT_EQ(FormatFileCount(7), "7 filer");
    EXPECT_EQ(FormatFileCount(999), "999 filer");
    EXPECT_EQ(FormatFileCount(1000), "1.000 filer");
    EXPECT_EQ(FormatFileCount(12345), "12.345 filer");
    EXPECT_EQ(FormatFileCount(1234567), "1234.567 filer");
}

TEST(Formats, FileCountBeyond32Bits) {
    EXPECT_EQ(FormatFileCount(2147483647), "2147483.647 filer");
    EXPECT_EQ(FormatFileCount(2147483648LL), "2147483.648 filer");
    EXPECT_EQ(FormatFileCount(10000000000LL), "10000000.000 filer");
}

TEST(Formats, SizeInKilobytesAndMegabytes) {
    // The switch comes at 1000 KB, below one megabyte.
    ExpectMapping<int64_t, const char*>(FormatSize, {{0, "0,0 KB"}, {5, "0,5 KB"}, {10, "1,0 KB"}, {123, "12,3 KB"},
                                                     {9999, "999,9 KB"}, {10000, "0,9 MB"}, {10239, "0,9 MB"},
                                                     {10240, "1,0 MB"}, {1048576, "102,4 MB"}});
}

TEST(Formats, SizeOfARunOver204GigabytesStaysPositive) {
    // 204 GB is about 2^31 tenths of a kilobyte: a 32-bit counter would have wrapped.
    int64_t tenths = SizeInTenthsOfKb(204ULL * 1024 * 1024 * 1024);
    EXPECT_EQ(tenths, 2139095040LL);
    EXPECT_EQ(FormatSize(tenths), "208896,0 MB");
    EXPECT_EQ(FormatSize(2147483648LL), "209715,2 MB");
    EXPECT_EQ(FormatSize(1LL << 40), "107374182,4 MB");
    EXPECT_EQ(FormatSize(INT64_MAX).substr(0, 1), "9");
}

TEST(Formats, ElapsedTimeDoesNotFoldHours) {
    ExpectMapping<int64_t, const char*>(FormatElapsed, {{0, "00:00"}, {61, "01:01"}, {65, "01:05"}, {3599, "59:59"},
                                                        {3600, "60:00"}, {6000, "100:00"}, {125 * 60 + 7, "125:07"}});
}

TEST(Formats, ElapsedSecondsSurviveATickWrap) {
    EXPECT_EQ(ElapsedSecondsBetween(1000, 1999), 0);
    EXPECT_EQ(ElapsedSecondsBetween(1000, 62000), 61);
    // Started 2 s before the 49-day wrap, now 3.5 s after it.
    EXPECT_EQ(ElapsedSecondsBetween(0xFFFFFFFFu - 1999, 3500), 5);
    EXPECT_EQ(FormatElapsed(ElapsedSecondsBetween(0xFFFFF000u, 0x0000EA60u - 0x1000u)), "01:00");
}

TEST(Formats, BytesToTenthsRoundDown) {
    ExpectMapping<uint64_t, int64_t>(SizeInTenthsOfKb, {{0, 0}, {102, 0}, {103, 1}, {1024, 10}, {1048576, 10240}});
    // No overflow in bytes * 10 near the top of the range.
    EXPECT_EQ(SizeInTenthsOfKb(UINT64_MAX), static_cast<int64_t>((UINT64_MAX / 1024) * 10 + 9));
}

// The last-copied stamp keeps hours and minutes in the user's own form, whatever the width of
// the hour or the separator.
TEST(Formats, TimeWithoutSecondsKeepsTheUsersForm) {
    ExpectMapping<const char*, const char*>(TimeWithoutSeconds,
                                            {{"01:14:37", "01:14"}, {"23:59:59", "23:59"}, {"1:14:37 AM", "1:14 AM"},
                                             {"12:05:09 PM", "12:05 PM"}, {"13.14.37", "13.14"}, {"AM 9:07:00", "AM 9:07"}});
    // Nothing to take away: the text is kept.
    ExpectMapping<const char*, const char*>(TimeWithoutSeconds, {{"13:14", "13:14"}, {"", ""}, {"kl. 13", "kl. 13"}});
}
