#include "base/Text.h"
#include "base/Path.h"
#include "tests/native/support/Mapping.h"

#include <gtest/gtest.h>

using namespace tavrel;
using tavrel::test::ExpectMapping;

TEST(Text, Cp1252RoundTripsDanishLettersAndTheHighBlock) {
    std::string utf8 = "Højde æøå ÆØÅ € – “x”";
    std::string bytes;
    ASSERT_TRUE(Utf8ToCp1252(utf8, bytes));
    EXPECT_EQ(bytes, "H\xF8jde \xE6\xF8\xE5 \xC6\xD8\xC5 \x80 \x96 \x93x\x94");
    EXPECT_EQ(Cp1252ToUtf8(bytes), utf8);
}

TEST(Text, TextFilesFallBackToUtf8WithAMarkOnlyWhenNeeded) {
    EXPECT_EQ(EncodeTextFile("Dokumenter æ"), "Dokumenter \xE6");
    std::string greek = "C:\\Ελληνικά\\";
    std::string bytes = EncodeTextFile(greek);
    EXPECT_EQ(bytes, "\xEF\xBB\xBF" + greek);
    EXPECT_EQ(DecodeTextFile(bytes), greek);
    // A mark followed by bytes that are not UTF-8 still gives text. UTF-8 without a mark, as
    // Notepad saves it, stays UTF-8; Windows-1252 stays Windows-1252.
    ExpectMapping<const char*, const char*>(DecodeTextFile, {{"\xE6", "æ"}, {"\xEF\xBB\xBF\xE6", "æ"},
                                                             {"C:\\Bøger\\", "C:\\Bøger\\"},
                                                             {"C:\\B\xF8ger\\", "C:\\Bøger\\"}, {"\xC6\xD8\xC5", "ÆØÅ"}});
}

TEST(Text, SplitLinesAcceptsEveryLineEnd) {
    auto lines = SplitLines("a\r\nb\rc\nd\r\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], "b");
    EXPECT_EQ(lines[2], "c");
    EXPECT_EQ(lines[3], "d");
    EXPECT_EQ(SplitLines("x\n\ny").size(), 3u);
}

TEST(Text, CaseFoldingCoversDanishLetters) {
    EXPECT_TRUE(EqualsNoCase("c:\\windows\\", "C:\\Windows\\"));
    EXPECT_TRUE(EqualsNoCase("Æbler", "æBLER"));
    EXPECT_FALSE(EqualsAsciiNoCase("Æ", "æ"));
    EXPECT_LT(CompareNoCase("Alpha", "beta"), 0);
    EXPECT_LT(CompareNoCase("beta", "Gamma"), 0);
}

TEST(Text, PathPartsFollowTheLastDotOfTheName) {
    EXPECT_EQ(ChangeFileExt("C:\\Jobs\\Drev_C.tvj", ".txt"), "C:\\Jobs\\Drev_C.txt");
    EXPECT_EQ(ChangeFileExt("C:\\Jobs.d\\Drev_C", ".tvl"), "C:\\Jobs.d\\Drev_C.tvl");
    EXPECT_EQ(ChangeFileExt("", ".txt"), ".txt");
    EXPECT_EQ(ExtractFileExt("archive.tar.bak"), ".bak");
    EXPECT_EQ(ExtractFileExt("C:\\a.b\\noext"), "");
    EXPECT_EQ(ExtractFileName("C:\\Jobs\\Drev_C.tvj"), "Drev_C.tvj");
    EXPECT_EQ(ExtractFilePath("C:\\Jobs\\Drev_C.tvj"), "C:\\Jobs\\");
}

TEST(Text, FullPathsStartAtADriveRootOrAShare) {
    for (const char* full : {"C:\\", "C:", "c:\\Data\\", "C:/Data/", "//server/share", "\\\\server\\share", "\\\\server\\share\\Data\\"})
        EXPECT_TRUE(IsFullPath(full)) << full;
    for (const char* relative : {"", "\\", "/", "Data\\", "C", "C:Data\\", "1:\\", "\\\\", "\\\\server", "\\\\server\\",
                                 "\\\\\\share\\", "\\Data\\"})
        EXPECT_FALSE(IsFullPath(relative)) << relative;
}

TEST(Text, FullPathsAreReadAsWindowsReadsThem) {
    ExpectMapping<const char*, const char*>(NormalizeFullPath, {
        {"C:\\Backup\\", "C:\\Backup\\"},
        {"C:\\Backup", "C:\\Backup"},
        {"D:", "D:\\"},
        {"C:\\Data\\.\\", "C:\\Data\\"},
        {"C:\\Data\\..\\", "C:\\"},
        {"C:\\Data\\..\\..\\..\\Win", "C:\\Win"},
        {"C:\\a\\\\b\\.\\c\\..\\d\\", "C:\\a\\b\\d\\"},
        {"D:/Backup/Sub/../", "D:\\Backup\\"},
        {"\\\\srv\\share\\Data\\..\\..\\", "\\\\srv\\share\\"},
        {"\\\\srv\\share", "\\\\srv\\share"},
        {"C:\\...\\", "C:\\...\\"},
        {"Data\\..\\", "Data\\..\\"},
    });
}
