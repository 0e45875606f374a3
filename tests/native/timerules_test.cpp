#include "core/TimeRules.h"

#include <gtest/gtest.h>

#include "platform/sim/SimFileSystem.h"

using namespace tavrel;

namespace {

constexpr FileTime kSecond = 10000000ull;
constexpr FileTime kHour = 3600 * kSecond;

// Central European time: +60 minutes in winter, +120 in summer. In 2026 summer time starts
// on 29 March at 01:00 UTC and ends on 25 October at 01:00 UTC.
constexpr int kWinter = 60;
constexpr int kSummer = 120;

}  // namespace

TEST(TimeRules, FileSystemsThatKeepLocalTimes) {
    struct Case {
        const char* name;
        bool local;
    } cases[] = {
        {"FAT", true},  {"FAT12", true}, {"FAT16", true}, {"FAT32", true}, {"exFAT", true}, {"EXFAT", true},
        {"fat32", true}, {"NTFS", false}, {"ReFS", false}, {"", false},    {"FAT32 ", false}, {"vfat", false},
        {"UDF", false},  {"CDFS", false}, {"FAT64", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KeepsLocalTimes(c.name), c.local);
    }
}

TEST(TimeRules, OneHourApartToTheTwoSecondsEitherWay) {
    const FileTime t = SimFileSystem::MakeFileTime(2026, 3, 28, 12, 0, 0);
    struct Case {
        const char* what;
        FileTime other;
        bool apart;
    } cases[] = {
        {"one hour later", t + kHour, true},
        {"one hour earlier", t - kHour, true},
        {"one hour and two seconds", t + kHour + 2 * kSecond, true},
        {"one hour less two seconds", t - kHour + 2 * kSecond, true},
        {"one hour and three seconds", t + kHour + 3 * kSecond, false},
        {"59 minutes 57 seconds", t - kHour + 3 * kSecond, false},
        {"same time", t, false},
        {"one second", t + kSecond, false},
        {"two hours", t + 2 * kHour, false},
        {"half an hour", t + kHour / 2, false},
        {"a day and an hour", t + 25 * kHour, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OneHourApart(t, c.other), c.apart);
        EXPECT_EQ(OneHourApart(c.other, t), c.apart);
    }
}

TEST(TimeRules, OnlyVolumesWithLocalTimesForgiveTheHour) {
    const FileTime source = SimFileSystem::MakeFileTime(2026, 1, 10, 9, 0, 0);
    EXPECT_TRUE(UnchangedAcrossSummerTime("FAT32", source, source - kHour));
    EXPECT_TRUE(UnchangedAcrossSummerTime("exFAT", source, source + kHour));
    EXPECT_FALSE(UnchangedAcrossSummerTime("NTFS", source, source - kHour));
    EXPECT_FALSE(UnchangedAcrossSummerTime("", source, source - kHour));
    // A file really changed at another time is still changed on FAT.
    EXPECT_FALSE(UnchangedAcrossSummerTime("FAT32", source, source - 2 * kHour));
    EXPECT_FALSE(UnchangedAcrossSummerTime("FAT32", source, source - kHour / 2));
}

// A file copied in winter to a FAT32 stick and to an NTFS disk, looked at again after the switch
// to summer time and after the switch back: on the stick it seems an hour older in summer, and
// the rule says unchanged exactly there.
TEST(TimeRules, CopiesOnAFatStickAcrossBothSwitches) {
    SimFileSystem fs;
    fs.AddDrives("CEF");
    fs.SetFileSystem('E', "FAT32");
    fs.SetLocalOffsetMinutes(kWinter);
    // Written 10 January 10:00:01 local (09:00:01 UTC): an odd second, which FAT rounds.
    const FileTime written = SimFileSystem::MakeFileTime(2026, 1, 10, 9, 0, 1);
    fs.AddFile("C:\\Data\\brev.txt", "x", written);
    ASSERT_TRUE(fs.CopyFile("C:\\Data\\brev.txt", "E:\\brev.txt", false));
    ASSERT_TRUE(fs.CopyFile("C:\\Data\\brev.txt", "F:\\brev.txt", false));

    struct Moment {
        const char* what;
        int offset;
        bool fatSeemsShifted;
    } moments[] = {
        {"winter, as copied", kWinter, false},
        {"summer (after 29 March)", kSummer, true},
        {"winter again (after 25 October)", kWinter, false},
    };
    for (const Moment& m : moments) {
        SCOPED_TRACE(m.what);
        fs.SetLocalOffsetMinutes(m.offset);
        FileTime source = 0, onFat = 0, onNtfs = 0;
        ASSERT_TRUE(fs.GetLastWriteTime("C:\\Data\\brev.txt", source));
        ASSERT_TRUE(fs.GetLastWriteTime("E:\\brev.txt", onFat));
        ASSERT_TRUE(fs.GetLastWriteTime("F:\\brev.txt", onNtfs));
        EXPECT_EQ(onNtfs, source);
        EXPECT_EQ(fs.FindEntry("E:\\brev.txt")->lastWrite, onFat);
        if (m.fatSeemsShifted) {
            // The stick's copy seems older than its source: without the rule it would be copied
            // again, since its time in the DOS form is earlier.
            EXPECT_LT(*fs.ToDosDateTime(onFat), *fs.ToDosDateTime(source));
            EXPECT_TRUE(UnchangedAcrossSummerTime(fs.FileSystemName("E:\\brev.txt"), source, onFat));
        } else {
            // Two-second steps only: as new as the source, as today's comparison already sees.
            EXPECT_GE(onFat, source);
            EXPECT_LT(onFat - source, 2 * kSecond);
            EXPECT_FALSE(UnchangedAcrossSummerTime(fs.FileSystemName("E:\\brev.txt"), source, onFat));
        }
        EXPECT_FALSE(UnchangedAcrossSummerTime(fs.FileSystemName("F:\\brev.txt"), source, onNtfs + kHour));
    }
    // The source changed in summer, an hour after the copy was made: that is a real change, and
    // only the stick's apparent hour is forgiven, not the change.
    fs.SetLocalOffsetMinutes(kSummer);
    fs.SetLastWrite("C:\\Data\\brev.txt", written + 2 * kHour);
    FileTime source = 0, onFat = 0;
    ASSERT_TRUE(fs.GetLastWriteTime("C:\\Data\\brev.txt", source));
    ASSERT_TRUE(fs.GetLastWriteTime("E:\\brev.txt", onFat));
    EXPECT_FALSE(UnchangedAcrossSummerTime("FAT32", source, onFat));
}

TEST(SimVolumes, FileSystemNamesPerDriveAndShare) {
    SimFileSystem fs;
    fs.AddDrives("CE");
    fs.AddShare("\\\\nas\\backup\\");
    fs.SetFileSystem('E', "exFAT");
    fs.SetFileSystem("\\\\NAS\\Backup\\", "SMB");
    struct Case {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\", "NTFS"},
        {"C:\\Findes\\ikke\\endnu\\", "NTFS"},  // a destination not made yet
        {"e:\\backup\\a.txt", "exFAT"},
        {"\\\\nas\\backup\\x\\", "SMB"},
        {"Q:\\", ""},  // no such drive
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(fs.FileSystemName(c.path), c.name);
    }
    EXPECT_EQ(fs.Calls(SimOp::VolumeInfo), 5);
    fs.EjectMedium('E');
    EXPECT_EQ(fs.FileSystemName("E:\\"), "");
    fs.InjectFailure(SimOp::VolumeInfo, "C:\\", kErrAccessDenied);
    EXPECT_EQ(fs.FileSystemName("C:\\Data\\"), "");
}

TEST(SimVolumes, ReadFileRangeGivesThePartAndTheSize) {
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddFile("C:\\a.txt", "0123456789");
    fs.AddBigFile("C:\\big.bin", 5000000000ull);
    struct Case {
        const char* path;
        uint64_t offset;
        size_t max;
        std::string bytes;
        uint64_t size;
    } cases[] = {
        {"C:\\a.txt", 0, 3, "012", 10},
        {"C:\\a.txt", 7, 100, "789", 10},
        {"C:\\a.txt", 10, 5, "", 10},
        {"C:\\a.txt", 99, 5, "", 10},
        {"C:\\big.bin", 5000000000ull - 4, 8, std::string(4, '\0'), 5000000000ull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " @" + std::to_string(c.offset));
        std::string bytes = "old";
        uint64_t size = 0;
        ASSERT_TRUE(fs.ReadFileRange(c.path, c.offset, c.max, bytes, size));
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_EQ(size, c.size);
    }
    std::string bytes;
    uint64_t size = 0;
    FsError error;
    EXPECT_FALSE(fs.ReadFileRange("C:\\missing.txt", 0, 3, bytes, size, &error));
    EXPECT_EQ(error.code, kErrFileNotFound);
    fs.InjectFailure(SimOp::ReadFile, "C:\\a.txt", kErrSharingViolation);
    EXPECT_FALSE(fs.ReadFileRange("C:\\a.txt", 0, 3, bytes, size, &error));
    EXPECT_EQ(error.code, kErrSharingViolation);
}
