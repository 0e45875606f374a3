#include "base/Text.h"
#include "base/Path.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/WinText.h"
#include "tests/win/support/TestDir.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

using namespace tavrel;

namespace {

using test::TestDir;

// A fresh folder under the test folder for one test.
std::string Fresh(Win32FileSystem& fs, const std::string& name) {
    std::string dir = TestDir() + name + "\\";
    EXPECT_TRUE(fs.CreateFolder(dir)) << dir;
    return dir;
}

std::map<std::string, DirEntry> List(IFileSystem& fs, const std::string& folder, std::vector<std::string>* order = nullptr) {
    std::map<std::string, DirEntry> entries;
    auto e = fs.OpenFolder(folder);
    if (!e) return entries;
    DirEntry entry;
    while (e->Next(entry)) {
        entries[entry.name] = entry;
        if (order) order->push_back(entry.name);
    }
    return entries;
}

bool SetTime(const std::string& path, FileTime time) {
    HANDLE h = CreateFileW(LongPath(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME ft{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    BOOL ok = SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    return ok != FALSE;
}

FileTime UtcTime(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
    SYSTEMTIME st{y, mo, 0, d, h, mi, s, 0};
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

const FileTime kT1 = UtcTime(2024, 3, 15, 10, 30, 20);

}  // namespace

TEST(WinText, ConversionsAndLongPathPrefixes) {
    std::string mixed = "Højde Ελληνικά 中文 😀";
    EXPECT_EQ(ToWide(mixed), L"H\u00f8jde \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac \u4e2d\u6587 \U0001F600");
    EXPECT_EQ(FromWide(ToWide(mixed)), mixed);
    EXPECT_EQ(ToWide(""), L"");

    EXPECT_EQ(LongPath("C:\\Data\\a.txt"), L"C:\\Data\\a.txt");
    std::string deep = "C:\\" + std::string(250, 'x');
    EXPECT_EQ(LongPath(deep), L"\\\\?\\" + ToWide(deep));
    EXPECT_EQ(LongPath("\\\\srv\\share\\" + std::string(250, 'y')), L"\\\\?\\UNC\\srv\\share\\" + ToWide(std::string(250, 'y')));
    // Relative paths and "." or ".." are resolved first, since the prefix turns that off.
    std::wstring relative = LongPath(std::string(250, 'z'));
    EXPECT_TRUE(relative.starts_with(L"\\\\?\\")) << FromWide(relative);
    EXPECT_TRUE(relative.ends_with(L"\\" + ToWide(std::string(250, 'z'))));
    EXPECT_EQ(LongPath("C:/" + std::string(250, 'x') + "/../b.txt"), L"\\\\?\\C:\\b.txt");
    EXPECT_EQ(LongPath("\\\\?\\" + deep), L"\\\\?\\" + ToWide(deep));
    // 247 characters still work without the prefix; 248 need it.
    EXPECT_EQ(LongPath("C:\\" + std::string(244, 'a')).substr(0, 4), L"C:\\a");
    EXPECT_EQ(LongPath("C:\\" + std::string(245, 'a')).substr(0, 4), L"\\\\?\\");

    EXPECT_FALSE(SystemErrorText(ERROR_ACCESS_DENIED).empty());
    EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED).back(), '\n');
}

TEST(Win32FileSystem, EnumerationReportsHiddenAndReadOnlyFilesWithSizesAndTimes) {
    ASSERT_FALSE(TestDir().empty()) << "TAVREL_TEST_DIR is not set";
    Win32FileSystem fs;
    std::string dir = Fresh(fs, "enum");
    ASSERT_TRUE(fs.WriteWholeFile(dir + "plain.txt", "12345"));
    ASSERT_TRUE(fs.WriteWholeFile(dir + "hidden.dat", std::string(3000, 'h')));
    ASSERT_TRUE(fs.WriteWholeFile(dir + "ro.txt", ""));
    ASSERT_TRUE(fs.CreateFolder(dir + "Sub"));
    ASSERT_TRUE(SetTime(dir + "plain.txt", kT1));
    ASSERT_TRUE(fs.SetAttributes(dir + "hidden.dat", kAttrHidden | kAttrArchive));
    ASSERT_TRUE(fs.SetAttributes(dir + "ro.txt", kAttrReadOnly | kAttrArchive));

    std::vector<std::string> order;
    auto entries = List(fs, dir, &order);
    ASSERT_EQ(entries.size(), 6u);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], ".");
    EXPECT_EQ(order[1], "..");
    EXPECT_EQ(entries["plain.txt"].size, 5u);
    EXPECT_EQ(entries["plain.txt"].lastWrite, kT1);
    EXPECT_EQ(entries["hidden.dat"].size, 3000u);
    EXPECT_TRUE(entries["hidden.dat"].attributes & kAttrHidden);
    EXPECT_TRUE(entries["ro.txt"].attributes & kAttrReadOnly);
    EXPECT_TRUE(entries["Sub"].IsFolder());
    EXPECT_FALSE(entries["plain.txt"].IsFolder());

    EXPECT_TRUE(FolderExists(fs, dir));
    EXPECT_TRUE(FolderExists(fs, ExcludeTrailingBackslash(dir)));
    EXPECT_TRUE(FileExists(fs, dir + "ro.txt"));
    EXPECT_FALSE(FolderExists(fs, dir + "plain.txt"));
    EXPECT_EQ(fs.OpenFolder(dir + "missing\\"), nullptr);

    auto found = fs.FindEntry(dir + "PLAIN.TXT");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name, "plain.txt");
    EXPECT_EQ(found->lastWrite, kT1);
    EXPECT_FALSE(fs.FindEntry(dir + "nothing.txt"));
    FileTime t = 0;
    ASSERT_TRUE(fs.GetLastWriteTime(dir + "plain.txt", t));
    EXPECT_EQ(t, kT1);
    EXPECT_FALSE(fs.GetLastWriteTime(dir + "nothing.txt", t));

    ASSERT_TRUE(fs.SetAttributes(dir + "ro.txt", kAttrNormal));
}

TEST(Win32FileSystem, CopyKeepsTimeAndAttributesAndReadOnlyFilesAreRefused) {
    Win32FileSystem fs;
    std::string dir = Fresh(fs, "copy");
    ASSERT_TRUE(fs.WriteWholeFile(dir + "a.txt", "source"));
    ASSERT_TRUE(SetTime(dir + "a.txt", kT1));
    ASSERT_TRUE(fs.SetAttributes(dir + "a.txt", kAttrArchive | kAttrHidden));

    FsError error;
    EXPECT_FALSE(fs.CopyFile(dir + "a.txt", dir + "Missing\\a.txt", false, &error));
    EXPECT_EQ(error.code, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(error.text.empty());

    ASSERT_TRUE(fs.CreateFolder(dir + "Out\\"));
    ASSERT_TRUE(fs.CopyFile(dir + "a.txt", dir + "Out\\a.txt", false, &error)) << error.text;
    auto copy = fs.FindEntry(dir + "Out\\a.txt");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->lastWrite, kT1);
    EXPECT_TRUE(copy->attributes & kAttrHidden);
    std::string bytes;
    ASSERT_TRUE(fs.ReadWholeFile(dir + "Out\\a.txt", bytes));
    EXPECT_EQ(bytes, "source");
    EXPECT_FALSE(fs.CopyFile(dir + "a.txt", dir + "Out\\a.txt", true, &error));
    EXPECT_EQ(error.code, static_cast<uint32_t>(ERROR_FILE_EXISTS));

    ASSERT_TRUE(fs.WriteWholeFile(dir + "ro.txt", "keep"));
    ASSERT_TRUE(fs.SetAttributes(dir + "ro.txt", kAttrReadOnly));
    EXPECT_FALSE(fs.DeleteFile(dir + "ro.txt", &error));
    EXPECT_EQ(error.code, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(fs.SetAttributes(dir + "ro.txt", kAttrNormal));
    EXPECT_TRUE(fs.DeleteFile(dir + "ro.txt"));
    EXPECT_FALSE(FileExists(fs, dir + "ro.txt"));

    EXPECT_FALSE(fs.RemoveFolder(dir + "Out\\", &error));
    EXPECT_EQ(error.code, static_cast<uint32_t>(ERROR_DIR_NOT_EMPTY));
    ASSERT_TRUE(fs.DeleteFile(dir + "Out\\a.txt"));
    EXPECT_TRUE(fs.RemoveFolder(dir + "Out\\"));
    EXPECT_FALSE(fs.CreateFolder(dir, &error));
    EXPECT_EQ(error.code, static_cast<uint32_t>(ERROR_ALREADY_EXISTS));
}

TEST(Win32FileSystem, ALargeCopyReportsItsBytesAndStopsWithinASecondWhenTold) {
    Win32FileSystem fs;
    const std::string dir = Fresh(fs, "large");
    const uint64_t size = 300ull << 20;
    {
        HANDLE file = CreateFileW(LongPath(dir + "big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(size);
        ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file));
        CloseHandle(file);
    }
    ASSERT_TRUE(SetTime(dir + "big.bin", kT1));
    ASSERT_TRUE(fs.SetAttributes(dir + "big.bin", kAttrArchive | kAttrHidden));
    using Clock = std::chrono::steady_clock;
    FsError error;

    // Copied whole: told of its bytes, never a second apart, the last time of all of them.
    CopyHints hints;
    hints.sourceSize = size;
    std::vector<uint64_t> seen;
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    hints.progress = [&](uint64_t copied) {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, now - last);
        last = now;
        seen.push_back(copied);
        return true;
    };
    ASSERT_TRUE(fs.CopyFile(dir + "big.bin", dir + "whole.bin", true, &error, &hints)) << error.text;
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.back(), size);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_LT(longest, std::chrono::seconds(1));
    const auto whole = fs.FindEntry(dir + "whole.bin");
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->size, size);
    EXPECT_EQ(whole->lastWrite, kT1);
    EXPECT_EQ(whole->attributes & (kAttrHidden | kAttrArchive | kAttrReadOnly), kAttrHidden | kAttrArchive);

    // Stopped at a third: the copy returns within a second and leaves nothing behind.
    Clock::time_point stoppedAt{};
    hints.progress = [&](uint64_t copied) {
        if (copied < size / 3) return true;
        stoppedAt = Clock::now();
        return false;
    };
    EXPECT_FALSE(fs.CopyFile(dir + "big.bin", dir + "stopped.bin", true, &error, &hints));
    const Clock::duration took = Clock::now() - stoppedAt;
    EXPECT_EQ(error.code, kErrorCopyStopped);
    EXPECT_NE(stoppedAt, Clock::time_point{});
    EXPECT_LT(took, std::chrono::seconds(1));
    EXPECT_FALSE(fs.FindEntry(dir + "stopped.bin"));
    ASSERT_TRUE(fs.DeleteFile(dir + "whole.bin"));
    ASSERT_TRUE(fs.DeleteFile(dir + "big.bin"));
}

TEST(Win32FileSystem, WhatTheCallerKnowsOfTheTargetIsNotAskedAgain) {
    Win32FileSystem fs;
    const std::string dir = Fresh(fs, "hints");
    ASSERT_TRUE(fs.WriteWholeFile(dir + "target.txt", "old"));
    ASSERT_TRUE(fs.WriteWholeFile(dir + "new.tmp", "new"));
    FsError error;
    // Said to be read-only, the target is refused as a read-only one is, without a look.
    CopyHints readOnly;
    readOnly.targetKnown = true;
    readOnly.targetAttributes = kAttrReadOnly;
    EXPECT_FALSE(fs.MoveReplace(dir + "new.tmp", dir + "target.txt", &error, &readOnly));
    EXPECT_EQ(error.code, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    std::string bytes;
    ASSERT_TRUE(fs.ReadWholeFile(dir + "target.txt", bytes));
    EXPECT_EQ(bytes, "old");
    // Said to be a plain file, it is replaced.
    CopyHints plain;
    plain.targetKnown = true;
    plain.targetAttributes = kAttrArchive;
    EXPECT_TRUE(fs.MoveReplace(dir + "new.tmp", dir + "target.txt", &error, &plain)) << error.text;
    ASSERT_TRUE(fs.ReadWholeFile(dir + "target.txt", bytes));
    EXPECT_EQ(bytes, "new");
    // A copy told the source's size and attributes copies as without them.
    CopyHints source;
    source.sourceSize = 3;
    source.sourceAttributes = kAttrArchive;
    ASSERT_TRUE(fs.CopyFile(dir + "target.txt", dir + "copy.txt", false, &error, &source)) << error.text;
    ASSERT_TRUE(fs.ReadWholeFile(dir + "copy.txt", bytes));
    EXPECT_EQ(bytes, "new");
}

TEST(Win32FileSystem, MoveReplaceAndWholeFileWritesReplaceTheOldFile) {
    Win32FileSystem fs;
    std::string dir = Fresh(fs, "move");
    ASSERT_TRUE(fs.WriteWholeFile(dir + "job.tvj", "old"));
    ASSERT_TRUE(fs.WriteWholeFile(dir + "job.new", "new"));
    ASSERT_TRUE(fs.MoveReplace(dir + "job.new", dir + "job.tvj"));
    std::string bytes;
    ASSERT_TRUE(fs.ReadWholeFile(dir + "job.tvj", bytes));
    EXPECT_EQ(bytes, "new");
    EXPECT_FALSE(FileExists(fs, dir + "job.new"));

    std::string binary("a\0b\r\n\xE6\xFF", 7);
    ASSERT_TRUE(fs.WriteWholeFile(dir + "job.tvj", binary));
    ASSERT_TRUE(fs.ReadWholeFile(dir + "job.tvj", bytes));
    EXPECT_EQ(bytes, binary);
    ASSERT_TRUE(fs.SetAttributes(dir + "job.tvj", kAttrHidden));
    ASSERT_TRUE(fs.WriteWholeFile(dir + "job.tvj", ""));
    EXPECT_TRUE(fs.GetAttributes(dir + "job.tvj") & kAttrHidden);
    ASSERT_TRUE(fs.ReadWholeFile(dir + "job.tvj", bytes));
    EXPECT_EQ(bytes, "");

    // A write that cannot replace the file leaves it whole and leaves no temporary file behind.
    ASSERT_TRUE(fs.WriteWholeFile(dir + "locked.tvj", "keep me"));
    ASSERT_TRUE(fs.SetAttributes(dir + "locked.tvj", kAttrReadOnly));
    FsError error;
    EXPECT_FALSE(fs.WriteWholeFile(dir + "locked.tvj", "lost", &error));
    EXPECT_NE(error.code, 0u);
    ASSERT_TRUE(fs.ReadWholeFile(dir + "locked.tvj", bytes));
    EXPECT_EQ(bytes, "keep me");
    auto entries = List(fs, dir);
    EXPECT_EQ(entries.size(), 4u);  // ".", "..", job.tvj, locked.tvj
    EXPECT_EQ(error.code, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(fs.SetAttributes(dir + "locked.tvj", kAttrNormal));

    // Held open by another program without sharing: the rename fails, the old bytes stay.
    HANDLE held = CreateFileW(LongPath(dir + "locked.tvj").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fs.WriteWholeFile(dir + "locked.tvj", "lost", &error));
    EXPECT_NE(error.code, 0u);
    CloseHandle(held);
    ASSERT_TRUE(fs.ReadWholeFile(dir + "locked.tvj", bytes));
    EXPECT_EQ(bytes, "keep me");
    EXPECT_EQ(List(fs, dir).size(), 4u);

    EXPECT_FALSE(fs.WriteWholeFile(dir + "NoFolder\\x.tvj", "x", &error));
    EXPECT_EQ(error.code, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(fs.ReadWholeFile(dir + "none.tvj", bytes, &error));
    EXPECT_EQ(error.code, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST(Win32FileSystem, LongPathsAndNamesOutsideWindows1252) {
    Win32FileSystem fs;
    std::string dir = Fresh(fs, "long");
    const std::string greek = "Ελληνικά φάκελος";
    const std::string cjk = "中文文件夹";
    std::string path = dir;
    int level = 0;
    while (Utf8Length(path) < 300) {
        path += (level % 2 ? cjk : greek) + " " + std::to_string(level) + std::string(20, 'x') + "\\";
        ASSERT_TRUE(fs.CreateFolder(path)) << level;
        ++level;
    }
    ASSERT_GT(Utf8Length(path), 260u);
    std::string file = path + "αρχείο 文件.txt";
    ASSERT_TRUE(fs.WriteWholeFile(file, "deep"));
    ASSERT_TRUE(FileExists(fs, file));
    auto entries = List(fs, path);
    ASSERT_EQ(entries.count("αρχείο 文件.txt"), 1u);
    EXPECT_EQ(entries["αρχείο 文件.txt"].size, 4u);

    std::string copy = path + "κόπια.txt";
    ASSERT_TRUE(fs.CopyFile(file, copy, false));
    std::string bytes;
    ASSERT_TRUE(fs.ReadWholeFile(copy, bytes));
    EXPECT_EQ(bytes, "deep");
    FileTime t = 0;
    EXPECT_TRUE(fs.GetLastWriteTime(copy, t));
    EXPECT_TRUE(fs.GetFileId(copy).has_value());
    EXPECT_TRUE(fs.FindEntry(copy).has_value());
    ASSERT_TRUE(fs.MoveReplace(copy, file));
    ASSERT_TRUE(fs.DeleteFile(file));
    EXPECT_FALSE(FileExists(fs, file));

    // Remove the folders bottom up.
    while (path.size() > dir.size()) {
        ASSERT_TRUE(fs.RemoveFolder(path)) << path;
        path = ExtractFilePath(ExcludeTrailingBackslash(path));
    }
    EXPECT_EQ(List(fs, dir).size(), 2u);
}

TEST(Win32FileSystem, FileIdsIdentifyAFolderHoweverItIsNamed) {
    Win32FileSystem fs;
    std::string dir = Fresh(fs, "ids");
    ASSERT_TRUE(fs.CreateFolder(dir + "A\\"));
    ASSERT_TRUE(fs.CreateFolder(dir + "B\\"));
    auto a1 = fs.GetFileId(dir + "A\\");
    auto a2 = fs.GetFileId(AsciiUpper(dir) + "a");
    auto a3 = fs.GetFileId(dir + "B\\..\\A\\");
    auto b = fs.GetFileId(dir + "B\\");
    ASSERT_TRUE(a1 && a2 && a3 && b);
    EXPECT_EQ(*a1, *a2);
    EXPECT_EQ(*a1, *a3);
    EXPECT_NE(*a1, *b);
    EXPECT_FALSE(fs.GetFileId(dir + "C\\"));
    // The index alone is the index of the whole identity, under every name of the folder.
    for (const std::string& name : {dir + "A\\", AsciiUpper(dir) + "a", dir + "B\\..\\A\\"})
        EXPECT_EQ(fs.GetFileIndex(name), a1->index) << name;
    EXPECT_EQ(fs.GetFileIndex(dir + "B\\"), b->index);
    EXPECT_FALSE(fs.GetFileIndex(dir + "C\\"));

    // A folder link reaches the same folder. Wine cannot make one, but shows the host's
    // symbolic links as links: on a merged-/usr system Z:\bin is one to Z:\usr\bin.
    uint32_t linkAttributes = fs.GetAttributes("Z:\\bin");
    if (linkAttributes == kInvalidAttributes || !(linkAttributes & kAttrReparsePoint))
        GTEST_SKIP() << "no folder link to look at";
    auto viaLink = fs.GetFileId("Z:\\bin\\");
    auto direct = fs.GetFileId("Z:\\usr\\bin\\");
    ASSERT_TRUE(viaLink && direct);
    EXPECT_EQ(*viaLink, *direct);
    EXPECT_EQ(fs.GetFileIndex("Z:\\bin\\"), direct->index);
    EXPECT_NE(*viaLink, *fs.GetFileId("Z:\\usr\\"));
}

TEST(Win32FileSystem, DosTimesAreLocalAndOnlyForYears1980To2107) {
    Win32FileSystem fs;
    auto dos = fs.ToDosDateTime(kT1);
    ASSERT_TRUE(dos);
    // Back from the DOS form to UTC lands on the original time, to the two-second step.
    FILETIME local{}, utc{};
    ASSERT_TRUE(DosDateTimeToFileTime(static_cast<WORD>(*dos >> 16), static_cast<WORD>(*dos), &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    FileTime back = (static_cast<FileTime>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
    EXPECT_LE(kT1 - back, 20000000u);
    EXPECT_EQ((*dos & 0x1F), 10u);  // 20 seconds in steps of two
    EXPECT_EQ(fs.ToDosDateTime(kT1 + 10000000), dos);  // 21 seconds: the same step

    EXPECT_FALSE(fs.ToDosDateTime(UtcTime(1979, 12, 30, 12, 0, 0)));
    EXPECT_TRUE(fs.ToDosDateTime(UtcTime(1980, 1, 2, 12, 0, 0)));
    EXPECT_TRUE(fs.ToDosDateTime(UtcTime(2107, 12, 30, 12, 0, 0)));
    EXPECT_FALSE(fs.ToDosDateTime(UtcTime(2108, 1, 2, 12, 0, 0)));
    EXPECT_FALSE(fs.ToDosDateTime(0));
}

TEST(Win32FileSystem, DrivesAndCurrentDirectory) {
    Win32FileSystem fs;
    uint32_t drives = fs.LogicalDrives();
    EXPECT_TRUE(drives & (1u << ('C' - 'A')));
    EXPECT_TRUE(drives & (1u << ('T' - 'A')));
    std::string current = fs.CurrentDirectory();
    EXPECT_TRUE(FolderExists(fs, current)) << current;
    EXPECT_TRUE(current.size() == 3 || current.back() != '\\') << current;
    EXPECT_TRUE(FolderExists(fs, "T:\\"));
    EXPECT_NE(fs.OpenFolder("C:\\"), nullptr);
}

TEST(Win32Registry, StringsRoundTripWithDanishValueNames) {
    const std::string keyPath = "Software\\Ambrex Software\\Tavrel platform test";
    RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(keyPath).c_str());
    {
        Win32Registry store(keyPath);
        EXPECT_FALSE(store.WriteString("Start", "Top", "5"));
        EXPECT_FALSE(store.ReadString("Start", "Top"));
        ASSERT_TRUE(store.Open());
        EXPECT_TRUE(store.IsOpen());
        EXPECT_FALSE(store.ReadString("Start", "Højde"));
        EXPECT_TRUE(store.WriteString("Start", "Højde", "420"));
        EXPECT_TRUE(store.WriteString("Start", "Fil", "C:\\Jobs\\Ærø 中文.tvj"));
        EXPECT_TRUE(store.WriteString("Start", "Tom", ""));
        EXPECT_TRUE(store.WriteString("Filer", "Drev_C.tvj", "08-12-2026 21:41:25"));
        store.Close();
        EXPECT_FALSE(store.IsOpen());
        EXPECT_FALSE(store.ReadString("Start", "Højde"));
    }
    Win32Registry again(keyPath);
    ASSERT_TRUE(again.Open());
    EXPECT_EQ(again.ReadString("Start", "Højde"), "420");
    EXPECT_EQ(again.ReadString("START", "HØJDE"), "420");
    EXPECT_EQ(again.ReadString("Start", "Fil"), "C:\\Jobs\\Ærø 中文.tvj");
    EXPECT_EQ(again.ReadString("Start", "Tom"), "");
    EXPECT_EQ(again.ReadString("Filer", "Drev_C.tvj"), "08-12-2026 21:41:25");
    EXPECT_FALSE(again.ReadString("Nope", "Fil"));
    again.Close();

    // The value name is stored in UTF-16 as "Højde", with the letter ø.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, ToWide(keyPath + "\\Start").c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    wchar_t value[32] = {};
    DWORD size = sizeof(value);
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"H\u00f8jde", nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(value, L"420");
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(keyPath).c_str()), ERROR_SUCCESS);
}

// Plain folders are named and drawn without asking the shell for each one; the answer must
// still be the shell's own, and folders the shell may customise still go to the shell.
TEST(Win32System, ShellInfoOfPlainFoldersMatchesTheShell) {
    CoInitialize(nullptr);
    Win32FileSystem fs;
    const std::string root = Fresh(fs, "shellinfo");
    const std::string plain = root + "Bilag 2024 \u00e6\u00f8\u00e5";
    const std::string locked = root + "Skrivebeskyttet";
    ASSERT_TRUE(fs.CreateFolder(plain));
    ASSERT_TRUE(fs.CreateFolder(locked));
    ASSERT_TRUE(SetFileAttributesW(ToWide(locked).c_str(), FILE_ATTRIBUTE_READONLY));
    auto shellSays = [](const std::string& path) {
        ShellItemInfo info;
        SHFILEINFOW sfi{};
        SHGetFileInfoW(ToWide(path).c_str(), 0, &sfi, sizeof(sfi), SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        info.displayName = FromWide(sfi.szDisplayName);
        info.icon = sfi.iIcon;
        SHFILEINFOW open{};
        SHGetFileInfoW(ToWide(path).c_str(), 0, &open, sizeof(open), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
        info.openIcon = open.iIcon;
        return info;
    };
    Win32ShellInfo shell;
    for (const std::string& path : {plain, plain + "\\", locked, locked + "\\", plain}) {
        ShellItemInfo ours = shell.GetInfo(path);
        ShellItemInfo theirs = shellSays(path);
        EXPECT_EQ(ours.displayName, theirs.displayName) << path;
        EXPECT_EQ(ours.icon, theirs.icon) << path;
        EXPECT_EQ(ours.openIcon, theirs.openIcon) << path << " icons " << ours.icon << "/" << theirs.icon;
    }
    EXPECT_EQ(shell.GetInfo(plain + "\\").displayName, ExtractFileName(plain));
    // A drive root keeps the shell's label, never a bare "C:".
    EXPECT_NE(shell.GetInfo("C:\\").displayName, "C:");
    SetFileAttributesW(ToWide(locked).c_str(), FILE_ATTRIBUTE_NORMAL);
    CoUninitialize();
}

TEST(Win32System, ClockShellInfoAndBusyCursor) {
    Win32Clock clock;
    EXPECT_FALSE(clock.ShortDateNow().empty());
    EXPECT_FALSE(clock.LongTimeNow().empty());
    uint32_t first = clock.TickCount();
    Sleep(200);
    EXPECT_GE(clock.TickCount() - first, 100u);

    CoInitialize(nullptr);
    Win32ShellInfo shell;
    EXPECT_NE(Win32ShellInfo::SmallSystemImageList(), nullptr);
    ShellItemInfo drive = shell.GetInfo("C:\\");
    EXPECT_FALSE(drive.displayName.empty());
    ShellItemInfo folder = shell.GetInfo(TestDir());
    EXPECT_EQ(folder.displayName, ExtractFileName(ExcludeTrailingBackslash(TestDir())));
    CoUninitialize();

    Win32BusyCursor cursor;
    cursor.Begin();
    cursor.Begin();
    EXPECT_EQ(cursor.Depth(), 2);
    EXPECT_TRUE(cursor.OnSetCursor());
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    cursor.End();
    cursor.End();
    cursor.End();
    EXPECT_EQ(cursor.Depth(), 0);
    EXPECT_FALSE(cursor.OnSetCursor());
}

namespace {

// Answers the next message box with the given caption by pressing a button, and notes its text.
struct BoxAnswerer {
    std::wstring caption;
    int button;
    std::wstring text;
    bool hasCancel = false;
    std::thread worker;

    BoxAnswerer(std::wstring c, int b) : caption(std::move(c)), button(b) {
        worker = std::thread([this] {
            for (int i = 0; i < 1500; ++i) {
                HWND box = FindWindowW(L"#32770", caption.c_str());
                if (box) {
                    wchar_t buffer[256] = {};
                    GetDlgItemTextW(box, 0xFFFF, buffer, 256);
                    text = buffer;
                    hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
                    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
                    return;
                }
                Sleep(20);
            }
        });
    }
    ~BoxAnswerer() {
        if (worker.joinable()) worker.join();
    }
};

}  // namespace

TEST(Win32System, ProgramFolderIsTheFolderOfTheRunningProgram) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    wchar_t self[MAX_PATH * 4] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    EXPECT_EQ(folder + ExtractFileName(FromWide(std::wstring_view(self, n))), FromWide(std::wstring_view(self, n)));
    Win32FileSystem fs;
    EXPECT_TRUE(FolderExists(fs, folder));
}

TEST(Win32MessageBox, ButtonsMapToResultsAndTextsArriveWhole) {
    Win32MessageBox box;
    {
        BoxAnswerer answer(L"Gem job", IDNO);
        EXPECT_EQ(box.Show("Vil du gemme ændringerne i Drev_C?", "Gem job", MsgButtons::YesNoCancel, MsgIcon::Question),
                  MsgResult::No);
        answer.worker.join();
        EXPECT_EQ(FromWide(answer.text), "Vil du gemme ændringerne i Drev_C?");
        EXPECT_TRUE(answer.hasCancel);
    }
    {
        BoxAnswerer answer(L"Slet destinationsmappe", IDYES);
        EXPECT_EQ(box.Show("Slet?", "Slet destinationsmappe", MsgButtons::YesNo, MsgIcon::Warning), MsgResult::Yes);
    }
    {
        BoxAnswerer answer(L"Gem job", IDCANCEL);
        EXPECT_EQ(box.Show("Gem?", "Gem job", MsgButtons::YesNoCancel, MsgIcon::Question), MsgResult::Cancel);
    }
    {
        BoxAnswerer answer(L"Ελληνικά 中文", IDOK);
        EXPECT_EQ(box.Show("Den valgte fil er blevet slettet.", "Ελληνικά 中文", MsgButtons::Ok, MsgIcon::None),
                  MsgResult::Ok);
    }
}
