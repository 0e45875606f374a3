// The new-and-changed test on volumes that keep local times: a copy on a FAT stick seems an
// hour older after the switch to summer time, and must not be copied again.
#include "core/CopyRules.h"

#include <gtest/gtest.h>

#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

constexpr FileTime kSecond = 10000000ull;
constexpr FileTime kHour = 3600 * kSecond;
// Central European time: +60 minutes in winter, +120 in summer.
constexpr int kWinter = 60;
constexpr int kSummer = 120;
// 10 January 2026, 09:00:00 UTC: a winter day.
const FileTime kWritten = SimFileSystem::MakeFileTime(2026, 1, 10, 9, 0, 0);

struct SummerTime : ::testing::Test, WalkRig {
    SummerTime() {
        fs.AddDrive('E');
        fs.SetLocalOffsetMinutes(kWinter);
        settings.onlyNewAndChanged = true;
    }
    // A fresh run (a new CopyRules each, as CopyRun makes one per run) of the marked folder.
    // A reverse run walks the folder's copy in the destination and strips the destination.
    void RunOnce(const std::string& folder, const std::string& destBase, bool reverse = false,
                 size_t stripLength = 3) {
        counters = RunCounters{};
        WalkContext context{fs, view, view, messages, settings, skipped, counters, abort, {}, {}, reverse};
        CopyRules rules(context);
        rules.CopyFolder(folder, destBase, true, stripLength);
    }

};

}  // namespace

// Each case: a file copied in winter to the destination, looked at again after the local
// offset changed, and the source perhaps changed meanwhile. The second run copies it again
// exactly when it changed, whatever the season, on every file system.
TEST_F(SummerTime, SecondRunCopiesOnlyRealChangesAcrossTheSwitch) {
    struct Case {
        const char* what;
        const char* fileSystem;  // of the destination drive E:
        int offsetLater;         // the local offset at the second run
        FileTime sourceMoved;    // added to the source's time before the second run
        bool copiedAgain;
    } cases[] = {
        {"FAT32, summer, unchanged", "FAT32", kSummer, 0, false},
        {"FAT, summer, unchanged", "FAT", kSummer, 0, false},
        {"exFAT, summer, unchanged", "exFAT", kSummer, 0, false},
        {"FAT32, winter, unchanged", "FAT32", kWinter, 0, false},
        {"NTFS, summer, unchanged", "NTFS", kSummer, 0, false},
        // A real change an hour and a half later is copied, on the stick too.
        {"FAT32, summer, changed 90 minutes later", "FAT32", kSummer, kHour + kHour / 2, true},
        {"FAT32, summer, changed two hours later", "FAT32", kSummer, 2 * kHour, true},
        {"FAT32, winter, changed a minute later", "FAT32", kWinter, 60 * kSecond, true},
        {"NTFS, winter, changed an hour later", "NTFS", kWinter, kHour, true},
        {"NTFS, summer, changed an hour later", "NTFS", kSummer, kHour, true},
        // In summer the stick's copy seems an hour older; a change of a few seconds on top of
        // that is more than the two seconds FAT rounds to.
        {"FAT32, summer, changed 4 seconds later", "FAT32", kSummer, 4 * kSecond, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs.Remove("C:\\Data");
        fs.Remove("E:\\Backup");
        fs.SetLocalOffsetMinutes(kWinter);
        fs.SetFileSystem('E', c.fileSystem);
        fs.AddFile("C:\\Data\\brev.txt", "first", kWritten);
        RunOnce("C:\\Data\\", "E:\\Backup\\");
        ASSERT_EQ(fs.Content("E:\\Backup\\Data\\brev.txt"), "first");

        fs.SetLocalOffsetMinutes(c.offsetLater);
        if (c.sourceMoved) fs.AddFile("C:\\Data\\brev.txt", "second", kWritten + c.sourceMoved);
        RunOnce("C:\\Data\\", "E:\\Backup\\");
        EXPECT_EQ(counters.CopiedCount, c.copiedAgain ? 1 : 0);
        EXPECT_EQ(fs.Content("E:\\Backup\\Data\\brev.txt"), c.copiedAgain ? "second" : "first");
    }
}

// The rule looks at the volume the copies are written to. A reverse copy writes into the
// marked folders: from a FAT stick back onto NTFS the times compare as always, onto a FAT
// volume the hour is forgiven.
TEST_F(SummerTime, ReverseCopiesLookAtTheVolumeTheyWriteTo) {
    struct Case {
        const char* what;
        const char* sourceDrive;  // the marked folder's drive, written to by the reverse copy
        const char* sourceFs;
        const char* destFs;       // the job's destination D:
        int64_t backupSeemsOff;   // how the backup's copy differs from the marked folder's file
        bool copiedBack;
    } cases[] = {
        {"onto FAT, backup an hour older", "E", "FAT32", "NTFS", -static_cast<int64_t>(kHour), false},
        {"onto FAT, backup an hour newer", "E", "FAT32", "NTFS", kHour, false},
        {"onto NTFS, backup an hour newer", "C", "NTFS", "FAT32", kHour, true},
        {"onto NTFS, backup the same", "C", "NTFS", "FAT32", 0, false},
        {"onto FAT, backup two hours newer", "E", "exFAT", "NTFS", 2 * kHour, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string drive = c.sourceDrive;
        const std::string marked = drive + ":\\Data\\";
        fs.Remove(marked);
        fs.Remove("D:\\Backup");
        fs.SetFileSystem(drive + ":\\", c.sourceFs);
        fs.SetFileSystem('D', c.destFs);
        fs.SetLocalOffsetMinutes(kWinter);
        fs.AddFile(marked + "brev.txt", "mine", kWritten);
        FileTime mine = 0;
        ASSERT_TRUE(fs.GetLastWriteTime(marked + "brev.txt", mine));
        fs.AddFile("D:\\Backup\\Data\\brev.txt", "backup", mine + static_cast<FileTime>(c.backupSeemsOff));

        RunOnce("D:\\Backup\\Data\\", drive + ":\\", true, std::string("D:\\Backup\\").size());
        EXPECT_EQ(counters.CopiedCount, c.copiedBack ? 1 : 0);
        EXPECT_EQ(fs.Content(marked + "brev.txt"), c.copiedBack ? "backup" : "mine");
    }
}

// The file system is asked once per destination volume in a run, and only for files whose
// times say copy: a folder of many files on a stick costs one question, not one per file.
TEST_F(SummerTime, FileSystemAskedOncePerVolumeAndRun) {
    fs.SetFileSystem('E', "FAT32");
    for (int i = 0; i < 20; ++i) fs.AddFile("C:\\Data\\Sub" + std::to_string(i % 4) + "\\f" + std::to_string(i), "x", kWritten);
    RunOnce("C:\\Data\\", "E:\\Backup\\");
    EXPECT_EQ(counters.CopiedCount, 20);
    fs.SetLocalOffsetMinutes(kSummer);
    fs.ResetCounts();
    RunOnce("C:\\Data\\", "E:\\Backup\\");
    EXPECT_EQ(counters.CopiedCount, 0);
    EXPECT_EQ(fs.Calls(SimOp::VolumeInfo), 1);

    // A run where every copy is as new as its source asks nothing at all.
    fs.SetLocalOffsetMinutes(kWinter);
    fs.ResetCounts();
    RunOnce("C:\\Data\\", "E:\\Backup\\");
    EXPECT_EQ(counters.CopiedCount, 0);
    EXPECT_EQ(fs.Calls(SimOp::VolumeInfo), 0);
}

// A volume whose file system cannot be learned (a medium gone, a share that does not say)
// compares as NTFS does: an hour older is copied.
TEST_F(SummerTime, UnknownFileSystemComparesAsAlways) {
    fs.AddShare("\\\\nas\\backup\\");
    fs.SetFileSystem("\\\\nas\\backup\\", "");
    fs.AddFile("C:\\Data\\brev.txt", "new", kWritten);
    fs.AddFile("\\\\nas\\backup\\Data\\brev.txt", "old", kWritten - kHour);
    RunOnce("C:\\Data\\", "\\\\nas\\backup\\");
    EXPECT_EQ(counters.CopiedCount, 1);
    EXPECT_EQ(fs.Content("\\\\nas\\backup\\Data\\brev.txt"), "new");
}
