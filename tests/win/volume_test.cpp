// The real volume and file calls under the history and the summer-time rule: the file system's
// name of the scratch drive, the end of a file read by itself, the local clock, and the run
// history written and read on a disk.
#include "base/Path.h"
#include "base/Text.h"
#include "core/RunHistory.h"
#include "core/TimeRules.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/WinText.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tavrel;

namespace {

std::string TestDir() {
    const char* dir = std::getenv("TAVREL_TEST_DIR");
    return dir ? IncludeTrailingBackslash(dir) : std::string("C:\\");
}

std::string SystemsOwnName(const std::string& root) {
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(ToWide(root).c_str(), nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1))
        return {};
    return FromWide(name);
}

}  // namespace

TEST(Volume, TheScratchDrivesFileSystemIsRead) {
    Win32FileSystem fs;
    const std::string root = TestDir().substr(0, 3);
    const std::string name = fs.FileSystemName(TestDir());
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name, SystemsOwnName(root));
    // A file, a folder not made yet and the root lie on the same volume.
    fs.WriteWholeFile(TestDir() + "a.txt", "x");
    EXPECT_EQ(fs.FileSystemName(TestDir() + "a.txt"), name);
    EXPECT_EQ(fs.FileSystemName(TestDir() + "Ny\\mappe\\endnu ikke lavet\\"), name);
    EXPECT_EQ(fs.FileSystemName(root), name);
    EXPECT_EQ(fs.FileSystemName("C:\\Windows\\"), SystemsOwnName("C:\\"));
    // A share that does not answer gives no name rather than a wrong one.
    EXPECT_EQ(fs.FileSystemName("\\\\tavrel-findes-ikke\\deling\\x\\"), "");
    EXPECT_FALSE(KeepsLocalTimes(""));
    // What Wine reports for a host folder; printed for the record.
    std::printf("File system of %s: %s\n", root.c_str(), name.c_str());
}

TEST(Volume, TheEndOfAFileIsReadByItself) {
    Win32FileSystem fs;
    const std::string path = TestDir() + "lang.txt";
    std::string text;
    for (int i = 0; i < 100000; ++i) text += static_cast<char>('a' + i % 26);
    ASSERT_TRUE(fs.WriteWholeFile(path, text));
    struct Case {
        uint64_t offset;
        size_t max;
        size_t size;
    } cases[] = {{0, 3, 3}, {99990, 100, 10}, {100000, 10, 0}, {500000, 10, 0}, {50000, 20000, 20000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        std::string bytes = "old";
        uint64_t size = 0;
        ASSERT_TRUE(fs.ReadFileRange(path, c.offset, c.max, bytes, size));
        EXPECT_EQ(size, 100000u);
        EXPECT_EQ(bytes, text.substr(std::min<size_t>(c.offset, text.size()), c.size));
    }
    std::string bytes;
    uint64_t size = 0;
    FsError error;
    EXPECT_FALSE(fs.ReadFileRange(TestDir() + "findes ikke.txt", 0, 3, bytes, size, &error));
    EXPECT_EQ(error.code, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST(Volume, TheLocalClockIsTheSystemsLocalTime) {
    Win32Clock clock;
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    LocalTime now = clock.LocalNow();
    GetLocalTime(&after);
    EXPECT_GE(now, (LocalTime{before.wYear, before.wMonth, before.wDay, before.wHour, before.wMinute, before.wSecond}));
    EXPECT_LE(now, (LocalTime{after.wYear, after.wMonth, after.wDay, after.wHour, after.wMinute, after.wSecond}));
}

TEST(Volume, TheRunHistoryOnADisk) {
    Win32FileSystem fs;
    const std::string job = TestDir() + "Historik\\Min backup.tvj";
    ASSERT_TRUE(fs.CreateFolder(TestDir() + "Historik\\"));
    HistoryEntry entry;
    entry.when = Win32Clock().LocalNow();
    entry.program = RunProgram::Tavrelc;
    entry.kind = RunKind::Copy;
    entry.end = RunEnd::Completed;
    entry.failed = 3;
    for (int i = 0; i < 1010; ++i) {
        entry.examined = i;
        ASSERT_FALSE(AppendRunHistory(fs, job, entry));
    }
    std::string bytes;
    ASSERT_TRUE(fs.ReadWholeFile(TestDir() + "Historik\\Min backup.log", bytes));
    EXPECT_EQ(SplitLines(bytes).size(), kHistoryMaxLines);
    RunHistory history = ReadRunHistory(fs, job);
    EXPECT_FALSE(history.front);
    ASSERT_FALSE(history.entries.empty());
    EXPECT_EQ(history.entries.back().examined, 1009);
    EXPECT_EQ(UnseenFailedRuns(history, "").size(), history.entries.size());
    EXPECT_TRUE(UnseenFailedRuns(history, MarkerOf(history)).empty());
    // No temporary file is left beside it.
    std::vector<std::string> names;
    auto e = fs.OpenFolder(TestDir() + "Historik\\");
    DirEntry d;
    while (e && e->Next(d))
        if (!d.IsFolder()) names.push_back(d.name);
    EXPECT_EQ(names, std::vector<std::string>{"Min backup.log"});
    // A read-only history is reported, not thrown, and stays as it was.
    ASSERT_TRUE(fs.SetAttributes(TestDir() + "Historik\\Min backup.log", kAttrReadOnly));
    auto failure = AppendRunHistory(fs, job, entry);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->starts_with("Kørselshistorikken " + TestDir() + "Historik\\Min backup.log kunne ikke skrives: "))
        << *failure;
    std::string after;
    ASSERT_TRUE(fs.ReadWholeFile(TestDir() + "Historik\\Min backup.log", after));
    EXPECT_EQ(after, bytes);
    fs.SetAttributes(TestDir() + "Historik\\Min backup.log", kAttrArchive);
}
