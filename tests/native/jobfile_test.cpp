#include "core/JobFile.h"

#include <gtest/gtest.h>

#include <random>

#include "base/Text.h"

using namespace tavrel;

namespace {

JobSettings DrevC() {
    JobSettings s;
    s.description = "Dokumenter";
    s.destination = "E:\\Backup\\";
    return s;
}

using Items = std::vector<std::string>;

}  // namespace

TEST(JobFile, WorkedExampleNineLinesByteForByte) {
    EXPECT_EQ(JobFileBytes(DrevC()),
              "FilVer=2\r\n"
              "Beskiv=Dokumenter\r\n"
              "Dest=E:\\Backup\\\r\n"
              "SletDest=0\r\n"
              "Undermapper=1\r\n"
              "KunNye=1\r\n"
              "KunFiltyper=0\r\n"
              "FilTyper=.BAK,.TMP\r\n"
              "Modsat=0\r\n");
}

TEST(JobFile, EmptyDescriptionAndTypesGiveSevenLines) {
    JobSettings s = DrevC();
    s.description.clear();
    s.fileTypes.clear();
    EXPECT_EQ(JobFileBytes(s),
              "FilVer=2\r\n"
              "Dest=E:\\Backup\\\r\n"
              "SletDest=0\r\n"
              "Undermapper=1\r\n"
              "KunNye=1\r\n"
              "KunFiltyper=0\r\n"
              "Modsat=0\r\n");
    JobSettings back;
    back.fileTypes.clear();
    back.description = "stale";
    ApplyJobFileLines(SplitLines(JobFileBytes(s)), back);
    EXPECT_EQ(back.description, "");
    EXPECT_TRUE(back.fileTypes.empty());
}

TEST(JobFile, AllOptionsRoundTripAndDanishTextIsWindows1252) {
    JobSettings s;
    s.description = "Søndagens kopi, \"vigtig\"";
    s.destination = "F:\\Sikkerhedskopi\\Æbler\\";
    s.deleteDestFirst = true;
    s.includeSubfolders = false;
    s.onlyNewAndChanged = false;
    s.onlyListedTypes = true;
    s.fileTypes = {".doc", ".my file", ".x,y"};
    s.reverse = true;
    std::string bytes = JobFileBytes(s);
    EXPECT_NE(bytes.find("Beskiv=S\xF8ndagens kopi, \"vigtig\"\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("FilTyper=.doc,\".my file\",\".x,y\"\r\n"), std::string::npos);
    EXPECT_NE(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0);

    JobSettings back;
    back.fileTypes.clear();
    auto read = ApplyJobFileLines(ReadJobFileText(bytes).lines, back);
    EXPECT_TRUE(read.version2);
    EXPECT_EQ(back.description, s.description);
    EXPECT_EQ(back.destination, s.destination);
    EXPECT_TRUE(back.deleteDestFirst);
    EXPECT_FALSE(back.includeSubfolders);
    EXPECT_FALSE(back.onlyNewAndChanged);
    EXPECT_TRUE(back.onlyListedTypes);
    EXPECT_EQ(back.fileTypes, s.fileTypes);
    EXPECT_TRUE(back.reverse);
}

TEST(JobFile, EveryBooleanOptionOfTheTableIsWrittenAndReadOnItsOwn) {
    int options = 0;
    for (const JobField& option : kJobFields) {
        if (!option.flag) continue;
        ++options;
        SCOPED_TRACE(option.key);
        for (bool on : {true, false}) {
            JobSettings s = DrevC();
            s.*option.flag = on;
            const std::string bytes = JobFileBytes(s);
            EXPECT_NE(bytes.find(std::string("\r\n") + option.key + "=" + (on ? "1" : "0") + "\r\n"), std::string::npos);
            JobSettings back;
            back.fileTypes.clear();
            back.*option.flag = !on;
            ApplyJobFileLines(SplitLines(bytes), back);
            EXPECT_EQ(back.*option.flag, on);
            EXPECT_EQ(JobFileBytes(back), bytes) << "the other options came back as they were";
        }
    }
    EXPECT_GE(options, 5);
}

TEST(JobFile, GreekTextFallsBackToUtf8WithAMark) {
    JobSettings s = DrevC();
    s.destination = "E:\\Ελληνικά\\";
    std::string bytes = JobFileBytes(s);
    ASSERT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0);
    JobSettings back;
    ApplyJobFileLines(ReadJobFileText(bytes).lines, back);
    EXPECT_EQ(back.destination, "E:\\Ελληνικά\\");

    std::string list = JobListBytes({"C:\\Data\\", "C:\\Ελληνικά\\"});
    EXPECT_EQ(list, "\xEF\xBB\xBF" "C:\\Data\\\r\nC:\\Ελληνικά\\\r\n");
    EXPECT_EQ(ReadJobListText(list).lines, (Items{"C:\\Data\\", "C:\\Ελληνικά\\"}));
}

TEST(JobFile, LineBreaksInValuesCannotAddKeys) {
    JobSettings s = DrevC();
    s.description = "a\r\nDest=C:\\Windows\\";
    auto lines = SplitLines(JobFileBytes(s));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(JobValue(lines, "Dest"), "E:\\Backup\\");
}

TEST(CommaText, WritingQuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(ToCommaText({}), "");
    EXPECT_EQ(ToCommaText({""}), "\"\"");
    EXPECT_EQ(ToCommaText({".BAK", ".TMP"}), ".BAK,.TMP");
    EXPECT_EQ(ToCommaText({"a b"}), "\"a b\"");
    EXPECT_EQ(ToCommaText({"a,b"}), "\"a,b\"");
    EXPECT_EQ(ToCommaText({"say \"hi\""}), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(ToCommaText({"tab\there"}), "\"tab\there\"");
    EXPECT_EQ(ToCommaText({"a", ""}), "a,");
    EXPECT_EQ(ToCommaText({"", "a"}), ",a");
    EXPECT_EQ(ToCommaText({".æøå"}), ".æøå");
}

TEST(CommaText, ReadingRules) {
    EXPECT_EQ(FromCommaText(""), Items{});
    EXPECT_EQ(FromCommaText("   "), Items{});
    EXPECT_EQ(FromCommaText("\"\""), Items{""});
    EXPECT_EQ(FromCommaText(".BAK,.TMP"), (Items{".BAK", ".TMP"}));
    // Leading blanks skipped; a blank outside quotes ends an item.
    EXPECT_EQ(FromCommaText("  a b"), (Items{"a", "b"}));
    EXPECT_EQ(FromCommaText("a ,  b"), (Items{"a", "b"}));
    // Quoted items keep blanks and commas; doubled quotes become one.
    EXPECT_EQ(FromCommaText("\"a b\",\"x,y\",\"q\"\"q\""), (Items{"a b", "x,y", "q\"q"}));
    // A comma directly at the end adds one empty item; a comma followed by blanks does not.
    EXPECT_EQ(FromCommaText("a,"), (Items{"a", ""}));
    EXPECT_EQ(FromCommaText("a,  "), (Items{"a"}));
    EXPECT_EQ(FromCommaText(",a"), (Items{"", "a"}));
    EXPECT_EQ(FromCommaText("a,,b"), (Items{"a", "", "b"}));
    // Text straight after a closing quote starts a new item; an unclosed quote runs to the end.
    EXPECT_EQ(FromCommaText("\"a\"b"), (Items{"a", "b"}));
    EXPECT_EQ(FromCommaText("\"abc"), (Items{"abc"}));
}

TEST(CommaText, RandomListsRoundTrip) {
    std::mt19937 rng(20261208);
    const std::string alphabet = "ab .,\"\tæ";
    for (int round = 0; round < 2000; ++round) {
        Items items(rng() % 5);
        for (auto& item : items) {
            size_t len = rng() % 5;
            for (size_t i = 0; i < len; ++i) {
                size_t k = rng() % alphabet.size();
                // "æ" is two bytes; take both or neither.
                if (alphabet[k] & 0x80) {
                    item += "æ";
                    continue;
                }
                item += alphabet[k];
            }
        }
        // Empty items included, every list comes back unchanged.
        EXPECT_EQ(FromCommaText(ToCommaText(items)), items) << ToCommaText(items);
    }
}

TEST(JobFile, KeysIgnoreCaseAndBlanksBelongToKeyOrValue) {
    Items lines = {"filver=2", "DEST=E:\\x\\", "SletDest= 1", " KunNye=1", "Undermapper =1", "Modsat=1=2",
                   "Beskiv=a=b", "Beskiv=second"};
    EXPECT_EQ(JobValue(lines, "FilVer"), "2");
    EXPECT_EQ(JobValue(lines, "Dest"), "E:\\x\\");
    EXPECT_EQ(JobValue(lines, "Beskiv"), "a=b");  // the first line wins
    EXPECT_EQ(JobValue(lines, "KunNye"), "");     // " KunNye" is another key
    EXPECT_EQ(JobValue(lines, "Undermapper"), "");
    EXPECT_EQ(JobValue(lines, "Undermapper "), "1");
    EXPECT_EQ(JobValue(lines, "Mangler"), "");

    JobSettings s;
    auto read = ApplyJobFileLines(lines, s);
    EXPECT_TRUE(read.version2);
    EXPECT_FALSE(s.deleteDestFirst);  // " 1" is not "1"
    EXPECT_FALSE(s.onlyNewAndChanged);
    EXPECT_FALSE(s.includeSubfolders);
    EXPECT_FALSE(s.reverse);  // "1=2"
}

TEST(JobFile, MissingFlagsReadAsOff) {
    JobSettings s;
    s.deleteDestFirst = true;
    s.reverse = true;
    ApplyJobFileLines({"FilVer=2", "Undermapper=1", "KunNye=yes"}, s);
    EXPECT_FALSE(s.deleteDestFirst);
    EXPECT_FALSE(s.reverse);
    EXPECT_TRUE(s.includeSubfolders);
    EXPECT_FALSE(s.onlyNewAndChanged);
}

TEST(JobFile, TypesAreSortedIgnoringCaseAndKeepDuplicates) {
    JobSettings s;
    s.fileTypes.clear();
    ApplyJobFileLines({"FilVer=2", "FilTyper=.tmp,.BAK,.Doc,.bak,.TMP"}, s);
    EXPECT_EQ(s.fileTypes, (Items{".BAK", ".bak", ".Doc", ".tmp", ".TMP"}));
    InsertFileTypeSorted(s.fileTypes, ".txt");
    InsertFileTypeSorted(s.fileTypes, ".TXT");
    InsertFileTypeSorted(s.fileTypes, ".a");
    EXPECT_EQ(s.fileTypes, (Items{".a", ".BAK", ".bak", ".Doc", ".tmp", ".TMP", ".txt", ".TXT"}));
}

TEST(JobFile, Version1ByPosition) {
    JobSettings s;
    s.fileTypes.clear();
    s.deleteDestFirst = true;
    s.reverse = true;
    Items lines = {"0", "Gammelt job", "D:\\Kopi\\", "0", "1", "x", "y", "z", ".ZIP", ".arj", ".Bak"};
    auto read = ApplyJobFileLines(lines, s);
    EXPECT_FALSE(read.version2);
    EXPECT_FALSE(read.tooShort);
    EXPECT_FALSE(s.includeSubfolders);
    EXPECT_EQ(s.description, "Gammelt job");
    EXPECT_EQ(s.destination, "D:\\Kopi\\");
    EXPECT_FALSE(s.onlyNewAndChanged);
    EXPECT_TRUE(s.onlyListedTypes);
    EXPECT_EQ(s.fileTypes, (Items{".arj", ".Bak", ".ZIP"}));
    // Not part of version 1: left as they were.
    EXPECT_TRUE(s.deleteDestFirst);
    EXPECT_TRUE(s.reverse);

    // An empty FilVer value is no version.
    JobSettings e;
    EXPECT_FALSE(ApplyJobFileLines({"FilVer=", "x", "y", "z", "w"}, e).version2);
    EXPECT_EQ(e.description, "x");
}

TEST(JobFile, Version1ShortFileKeepsWhatWasRead) {
    JobSettings s;
    s.onlyNewAndChanged = false;
    s.onlyListedTypes = true;
    auto read = ApplyJobFileLines({"1", "Kort", "E:\\Kort\\"}, s);
    EXPECT_TRUE(read.tooShort);
    EXPECT_TRUE(s.includeSubfolders);
    EXPECT_EQ(s.description, "Kort");
    EXPECT_EQ(s.destination, "E:\\Kort\\");
    EXPECT_FALSE(s.onlyNewAndChanged);
    EXPECT_TRUE(s.onlyListedTypes);

    JobSettings five;
    EXPECT_FALSE(ApplyJobFileLines({"1", "a", "b", "1", "0"}, five).tooShort);
    JobSettings empty;
    EXPECT_TRUE(ApplyJobFileLines({}, empty).tooShort);
    EXPECT_EQ(empty.description, "");
}

TEST(JobFile, ListFileNameAndLines) {
    EXPECT_EQ(JobListFile("C:\\Jobs\\Drev_C.tvj"), "C:\\Jobs\\Drev_C.tvl");
    EXPECT_EQ(JobListFile("C:\\Jobs.old\\Drev_C"), "C:\\Jobs.old\\Drev_C.tvl");
    EXPECT_EQ(JobListBytes({"C:\\Data\\", "C:\\Projekter\\Web\\"}), "C:\\Data\\\r\nC:\\Projekter\\Web\\\r\n");
    EXPECT_EQ(JobListBytes({}), "");
    auto list = ReadJobListText("C:\\Data\\\rC:\\Projekter\\Web\\\n\r\nD:\\\r\n");
    EXPECT_FALSE(list.damaged);
    EXPECT_EQ(list.lines, (Items{"C:\\Data\\", "C:\\Projekter\\Web\\", "D:\\"}));
    EXPECT_EQ(ReadJobListText("C:\\\xC6" "bler\\").lines, Items{"C:\\Æbler\\"});
}

TEST(JobFile, BinaryAndHugeFilesDoNotBreakTheReaders) {
    std::string binary;
    std::mt19937 rng(7);
    for (int i = 0; i < 200000; ++i) binary += static_cast<char>(rng() & 0xFF);
    auto job = ReadJobFileText(binary);
    EXPECT_TRUE(job.damaged);
    for (const auto& line : job.lines) EXPECT_EQ(line.find('\0'), std::string::npos);
    JobSettings s;
    ApplyJobFileLines(job.lines, s);
    auto list = ReadJobListText(binary);
    EXPECT_TRUE(list.damaged);
    for (const auto& line : list.lines)
        for (char c : line) EXPECT_GE(static_cast<unsigned char>(c), 0x20);

    std::string huge = "FilVer=2\r\nBeskiv=" + std::string(3 * 1024 * 1024, 'x') + "\r\nDest=E:\\\r\n";
    auto hugeJob = ReadJobFileText(huge);
    EXPECT_TRUE(hugeJob.damaged);
    JobSettings h;
    ApplyJobFileLines(hugeJob.lines, h);
    EXPECT_EQ(h.description, "");
    EXPECT_EQ(h.destination, "E:\\");

    auto nul = ReadJobFileText(std::string("FilVer=2\r\nDest=E:\\\0junk\r\n", 25));
    EXPECT_TRUE(nul.damaged);
    EXPECT_EQ(JobValue(nul.lines, "Dest"), "E:\\");

    EXPECT_FALSE(ReadJobFileText(JobFileBytes(DrevC())).damaged);
    EXPECT_FALSE(ReadJobFileText("FilVer=2\r\nBeskiv=a\tb\r\n").damaged);
}
