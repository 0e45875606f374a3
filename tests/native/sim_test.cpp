#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"

#include <gtest/gtest.h>

using namespace tavrel;

namespace {

std::vector<std::string> Names(IFileSystem& fs, const std::string& folder) {
    std::vector<std::string> names;
    auto e = fs.OpenFolder(folder);
    if (!e) return names;
    DirEntry entry;
    while (e->Next(entry)) names.push_back(entry.name);
    return names;
}

const FileTime kT1 = SimFileSystem::MakeFileTime(2024, 3, 15, 10, 30, 0);

}  // namespace

TEST(SimFileSystem, EnumerationIsInUpperCaseOrderWithDotsOutsideRoots) {
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddFile("C:\\Data\\b.txt", "bb");
    fs.AddFile("C:\\Data\\_x.txt", "");
    fs.AddFile("C:\\Data\\A.txt", "a");
    fs.AddFile("C:\\Data\\.profile", "");
    fs.AddFolder("C:\\Data\\Æbler\\");
    fs.AddFolder("C:\\Data\\zeta\\");
    std::vector<std::string> expected = {".", "..", ".profile", "A.txt", "b.txt", "zeta", "_x.txt", "Æbler"};
    EXPECT_EQ(Names(fs, "C:\\Data\\"), expected);
    EXPECT_EQ(Names(fs, "C:\\"), std::vector<std::string>{"Data"});
    EXPECT_EQ(fs.OpenFolder("C:\\Missing\\"), nullptr);
    EXPECT_EQ(fs.OpenFolder("C:\\Data\\b.txt\\"), nullptr);
    EXPECT_EQ(fs.OpenFolder("Q:\\"), nullptr);
}

TEST(SimFileSystem, EntriesCarrySizeTimeAndAttributes) {
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddFile("C:\\Data\\a.txt", "12345", kT1, kAttrArchive | kAttrHidden | kAttrReadOnly);
    fs.AddBigFile("C:\\Data\\big.iso", 5000000000ull, kT1);
    fs.AddFile("C:\\Data\\plain", "", kT1, 0);
    auto e = fs.OpenFolder("c:\\DATA\\");
    ASSERT_TRUE(e);
    DirEntry entry;
    std::map<std::string, DirEntry> seen;
    while (e->Next(entry)) seen[entry.name] = entry;
    EXPECT_EQ(seen["a.txt"].size, 5u);
    EXPECT_EQ(seen["a.txt"].lastWrite, kT1);
    EXPECT_EQ(seen["a.txt"].attributes, kAttrArchive | kAttrHidden | kAttrReadOnly);
    EXPECT_EQ(seen["big.iso"].size, 5000000000ull);
    EXPECT_EQ(seen["plain"].attributes, kAttrNormal);
    EXPECT_TRUE(seen["."].IsFolder());
}

TEST(SimFileSystem, PathsIgnoreCaseButKeepIt) {
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddFile("C:\\Dokumenter\\Øvelse.TXT", "x");
    EXPECT_TRUE(fs.Exists("c:\\dokumenter\\øVELSE.txt"));
    EXPECT_TRUE(FolderExists(fs, "C:\\DOKUMENTER\\"));
    EXPECT_TRUE(FolderExists(fs, "C:\\DOKUMENTER"));
    EXPECT_TRUE(FileExists(fs, "C:\\Dokumenter\\øvelse.txt"));
    EXPECT_EQ(fs.GetAttributes("C:\\Dokumenter\\Øvelse.TXT\\"), kInvalidAttributes);
    auto found = fs.FindEntry("c:\\dokumenter\\øvelse.txt");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name, "Øvelse.TXT");
    EXPECT_FALSE(fs.FindEntry("C:\\Dokumenter\\"));
    EXPECT_FALSE(fs.FindEntry("C:\\"));
    EXPECT_TRUE(FolderExists(fs, "C:\\"));
    fs.SetCurrentDirectory("C:\\Dokumenter\\");
    EXPECT_TRUE(FileExists(fs, "Øvelse.txt"));
    EXPECT_EQ(fs.CurrentDirectory(), "C:\\Dokumenter");
}

TEST(SimFileSystem, ReadOnlyFilesAreRefusedLikeWindows) {
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddFile("C:\\a.txt", "new", kT1);
    fs.AddFile("C:\\ro.txt", "old", kT1, kAttrReadOnly);
    FsError error;
    EXPECT_FALSE(fs.DeleteFile("C:\\ro.txt", &error));
    EXPECT_EQ(error.code, 5u);
    EXPECT_EQ(error.text, "Adgang nægtet.");
    EXPECT_FALSE(fs.CopyFile("C:\\a.txt", "C:\\ro.txt", false, &error));
    EXPECT_EQ(error.code, 5u);
    EXPECT_EQ(fs.Content("C:\\ro.txt"), "old");
    EXPECT_FALSE(fs.WriteWholeFile("C:\\ro.txt", "x", &error));
    EXPECT_TRUE(fs.SetAttributes("C:\\ro.txt", 0));
    EXPECT_EQ(fs.GetAttributes("C:\\ro.txt"), kAttrNormal);
    EXPECT_TRUE(fs.DeleteFile("C:\\ro.txt"));
    EXPECT_FALSE(fs.Exists("C:\\ro.txt"));
}

TEST(SimFileSystem, CopyKeepsTimeAndAttributesAndNeedsTheTargetFolder) {
    SimFileSystem fs;
    fs.AddDrives("CE");
    fs.AddFile("C:\\Data\\a.txt", "abc", kT1, kAttrArchive | kAttrReadOnly);
    FsError error;
    EXPECT_FALSE(fs.CopyFile("C:\\Data\\a.txt", "E:\\Backup\\a.txt", false, &error));
    EXPECT_EQ(error.code, 3u);
    EXPECT_EQ(error.text, "Den angivne sti blev ikke fundet.");
    EXPECT_TRUE(fs.CreateFolder("E:\\Backup\\"));
    ASSERT_TRUE(fs.CopyFile("C:\\Data\\a.txt", "E:\\Backup\\a.txt", false, &error));
    auto copy = fs.Entry("E:\\Backup\\a.txt");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->lastWrite, kT1);
    EXPECT_EQ(copy->attributes, kAttrArchive | kAttrReadOnly);
    EXPECT_EQ(fs.Content("E:\\Backup\\a.txt"), "abc");
    fs.AddFile("C:\\Data\\b.txt", "b");
    EXPECT_FALSE(fs.CopyFile("C:\\Data\\b.txt", "C:\\Data\\a.txt", true, &error));
    EXPECT_EQ(error.code, 80u);
    EXPECT_FALSE(fs.CopyFile("C:\\Data\\none", "E:\\Backup\\none", false, &error));
    EXPECT_EQ(error.code, 2u);
    fs.AddFile("E:\\Backup\\h.txt", "hidden", kT1, kAttrHidden);
    EXPECT_FALSE(fs.CopyFile("C:\\Data\\b.txt", "E:\\Backup\\h.txt", false, &error));
    EXPECT_EQ(error.code, 5u);
}

TEST(SimFileSystem, FoldersAreCreatedOneLevelAndRemovedOnlyWhenEmpty) {
    SimFileSystem fs;
    fs.AddDrive('D');
    FsError error;
    EXPECT_FALSE(fs.CreateFolder("D:\\x\\y\\", &error));
    EXPECT_EQ(error.code, 3u);
    EXPECT_TRUE(fs.CreateFolder("D:\\x\\"));
    EXPECT_FALSE(fs.CreateFolder("D:\\X\\", &error));
    EXPECT_EQ(error.code, 183u);
    EXPECT_TRUE(fs.CreateFolder("D:\\x\\y\\"));
    EXPECT_FALSE(fs.RemoveFolder("D:\\x\\", &error));
    EXPECT_EQ(error.code, 145u);
    EXPECT_TRUE(fs.RemoveFolder("D:\\x\\y\\"));
    EXPECT_TRUE(fs.RemoveFolder("D:\\x"));
    EXPECT_FALSE(fs.Exists("D:\\x\\"));
    fs.AddFile("D:\\f", "");
    EXPECT_FALSE(fs.RemoveFolder("D:\\f", &error));
    EXPECT_EQ(error.code, 267u);
    EXPECT_FALSE(fs.DeleteFile("D:\\nope", &error));
    EXPECT_EQ(error.code, 2u);
}

TEST(SimFileSystem, MoveReplaceRenamesOverAnExistingFile) {
    SimFileSystem fs;
    fs.AddDrives("CD");
    fs.AddFile("C:\\Jobs\\Drev_C.tmp", "new");
    fs.AddFile("C:\\Jobs\\Drev_C.tvj", "old");
    ASSERT_TRUE(fs.MoveReplace("C:\\Jobs\\Drev_C.tmp", "C:\\Jobs\\Drev_C.tvj"));
    EXPECT_EQ(fs.Content("C:\\Jobs\\Drev_C.tvj"), "new");
    EXPECT_FALSE(fs.Exists("C:\\Jobs\\Drev_C.tmp"));
    FsError error;
    EXPECT_FALSE(fs.MoveReplace("C:\\Jobs\\Drev_C.tvj", "D:\\x.tvj", &error));
    EXPECT_EQ(error.code, 17u);
    EXPECT_FALSE(fs.MoveReplace("C:\\Jobs\\", "C:\\Jobs\\Sub\\", &error));
}

TEST(SimFileSystem, FolderLinksShareContentsAndIdentityAndAreRemovedAlone) {
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddFile("C:\\Data\\a.txt", "a");
    fs.AddFolderLink("C:\\Data\\Loop\\", "C:\\Data\\");
    EXPECT_EQ(fs.GetAttributes("C:\\Data\\Loop\\"), kAttrDirectory | kAttrReparsePoint);
    EXPECT_TRUE(FileExists(fs, "C:\\Data\\Loop\\Loop\\a.txt"));
    EXPECT_EQ(Names(fs, "C:\\Data\\Loop\\"), (std::vector<std::string>{".", "..", "a.txt", "Loop"}));
    auto direct = fs.GetFileId("C:\\Data\\");
    auto viaLink = fs.GetFileId("C:\\Data\\Loop\\Loop\\");
    ASSERT_TRUE(direct && viaLink);
    EXPECT_EQ(*direct, *viaLink);
    EXPECT_NE(*fs.GetFileId("C:\\Data\\a.txt"), *direct);
    EXPECT_TRUE(fs.RemoveFolder("C:\\Data\\Loop\\"));
    EXPECT_TRUE(fs.Exists("C:\\Data\\a.txt"));
    EXPECT_FALSE(fs.Exists("C:\\Data\\Loop\\"));
}

// Folders that deny listing to everyone: a junction of a profile, "System Volume Information",
// a folder of another user. Opening them fails with "access denied", and says so.
TEST(SimFileSystem, AFolderOrLinkThatDeniesListingSaysWhy) {
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddFile("C:\\Users\\Anna\\Music\\song.mp3", "m");
    fs.AddFolderLink("C:\\Users\\Anna\\Documents\\My Music", "C:\\Users\\Anna\\Music\\");
    fs.DenyListing("C:\\Users\\Anna\\Documents\\My Music\\");
    fs.AddFolder("C:\\System Volume Information", kAttrHidden | kAttrSystem);
    fs.DenyListing("C:\\System Volume Information");
    struct Case {
        const char* folder;
        uint32_t code;
    };
    for (const Case& c : {Case{"C:\\Users\\Anna\\Documents\\My Music\\", kErrAccessDenied},
                          Case{"C:\\System Volume Information\\", kErrAccessDenied},
                          Case{"C:\\Missing\\", kErrPathNotFound},
                          Case{"C:\\Users\\Anna\\Music\\song.mp3\\", kErrDirectory}}) {
        SCOPED_TRACE(c.folder);
        FsError error;
        EXPECT_EQ(fs.OpenFolder(c.folder, &error), nullptr);
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.text, SimError(c.code).text);
    }
    // The link's own list is what denies: its target lists, and paths through the link still lead.
    EXPECT_EQ(Names(fs, "C:\\Users\\Anna\\Music\\"), (std::vector<std::string>{".", "..", "song.mp3"}));
    EXPECT_TRUE(FileExists(fs, "C:\\Users\\Anna\\Documents\\My Music\\song.mp3"));
    EXPECT_EQ(fs.GetAttributes("C:\\Users\\Anna\\Documents\\My Music\\"), kAttrDirectory | kAttrReparsePoint);
    EXPECT_EQ(fs.GetAttributes("C:\\System Volume Information\\"), kAttrDirectory | kAttrHidden | kAttrSystem);
    EXPECT_THROW(fs.DenyListing("C:\\Users\\Anna\\Music\\song.mp3"), std::invalid_argument);
}

// "C:" without a backslash is the current folder when that lies on C:, as on Windows; a path
// with the backslash is the drive's root.
TEST(SimFileSystem, ADriveWithoutABackslashIsTheCurrentFolderOnThatDrive) {
    SimFileSystem fs;
    fs.AddDrives("CD");
    fs.AddFile("C:\\Work\\w.txt", "w");
    fs.AddFile("C:\\r.txt", "r");
    fs.AddFile("D:\\d.txt", "d");
    fs.SetCurrentDirectory("C:\\Work");
    EXPECT_EQ(*fs.GetFileId("C:"), *fs.GetFileId("C:\\Work\\"));
    EXPECT_EQ(*fs.GetFileId("c:"), *fs.GetFileId("C:\\Work\\"));
    EXPECT_NE(*fs.GetFileId("C:\\"), *fs.GetFileId("C:\\Work\\"));
    EXPECT_TRUE(FileExists(fs, "C:w.txt"));
    EXPECT_FALSE(FileExists(fs, "C:r.txt"));
    EXPECT_TRUE(FileExists(fs, "C:\\r.txt"));
    // Another drive has no current folder here: its root.
    EXPECT_TRUE(FileExists(fs, "D:d.txt"));
    EXPECT_EQ(*fs.GetFileId("D:"), *fs.GetFileId("D:\\"));
}

TEST(SimFileSystem, InjectedFailuresMatchOperationPrefixAndCount) {
    SimFileSystem fs;
    fs.AddDrives("CE");
    fs.AddFolder("E:\\B\\");
    for (char c : std::string("abc")) fs.AddFile(std::string("C:\\D\\") + c, "x");
    fs.InjectFailure(SimOp::CopyFile, "e:\\b\\", FsError{99, "Brudt."}, 1, 1);
    FsError error;
    EXPECT_TRUE(fs.CopyFile("C:\\D\\a", "E:\\B\\a", false, &error));
    EXPECT_FALSE(fs.CopyFile("C:\\D\\b", "E:\\B\\b", false, &error));
    EXPECT_EQ(error.code, 99u);
    EXPECT_EQ(error.text, "Brudt.");
    EXPECT_FALSE(fs.Exists("E:\\B\\b"));
    EXPECT_TRUE(fs.CopyFile("C:\\D\\c", "E:\\B\\c", false, &error));
    fs.InjectFailure(SimOp::OpenFolder, "C:\\D", kErrAccessDenied);
    EXPECT_EQ(fs.OpenFolder("C:\\D\\"), nullptr);
    fs.InjectFailure(SimOp::GetTime, "", kErrSharingViolation);
    FileTime t = 0;
    EXPECT_FALSE(fs.GetLastWriteTime("C:\\D\\a", t));
    EXPECT_EQ(fs.Calls(SimOp::CopyFile), 3);
    EXPECT_EQ(fs.Calls(SimOp::OpenFolder), 1);
    fs.ClearFailures();
    EXPECT_TRUE(fs.GetLastWriteTime("C:\\D\\a", t));
    fs.ResetCounts();
    EXPECT_EQ(fs.TotalCalls(), 0);
}

TEST(SimFileSystem, AFullDiskLeavesAPartialCopyAndKeepsWholeFileWritesIntact) {
    SimFileSystem fs;
    fs.AddDrives("CE");
    fs.AddFile("C:\\a", "0123456789");
    fs.AddFile("E:\\job.tvj", "old");
    fs.SetFreeSpace('E', 14);
    FsError error;
    EXPECT_TRUE(fs.CopyFile("C:\\a", "E:\\a", false));
    EXPECT_FALSE(fs.CopyFile("C:\\a", "E:\\b", false, &error));
    EXPECT_EQ(error.code, 112u);
    EXPECT_EQ(error.text, "Der er ikke nok plads på disken.");
    EXPECT_EQ(fs.Content("E:\\b"), "0123");
    EXPECT_FALSE(fs.WriteWholeFile("E:\\job.tvj", "much longer text", &error));
    EXPECT_EQ(fs.Content("E:\\job.tvj"), "old");
    EXPECT_TRUE(fs.DeleteFile("E:\\a"));
    EXPECT_TRUE(fs.WriteWholeFile("E:\\job.tvj", "0123456789"));
    EXPECT_EQ(fs.Content("E:\\job.tvj"), "0123456789");
}

TEST(SimFileSystem, TheHookRunsBeforeEachOperationAndMayChangeTheWorld) {
    SimFileSystem fs;
    fs.AddDrives("CE");
    fs.AddFolder("E:\\B\\");
    fs.AddFile("C:\\D\\a", "a");
    fs.AddFile("C:\\D\\b", "b");
    std::vector<std::string> seen;
    fs.BeforeOp = [&](SimOp op, const std::string& path) {
        seen.push_back(path);
        if (op == SimOp::NextEntry && path == "C:\\D\\a") fs.Remove("C:\\D\\b");
    };
    auto e = fs.OpenFolder("C:\\D\\");
    DirEntry entry;
    std::vector<std::string> names;
    while (e->Next(entry)) names.push_back(entry.name);
    // The entries were fetched before b vanished; copying it now fails.
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a", "b"}));
    FsError error;
    EXPECT_FALSE(fs.CopyFile("C:\\D\\b", "E:\\B\\b", false, &error));
    EXPECT_EQ(error.code, 2u);
    EXPECT_EQ(seen.front(), "C:\\D\\");
    EXPECT_EQ(fs.Calls(SimOp::NextEntry), 4);

    fs.BeforeOp = [](SimOp, const std::string&) { throw std::bad_alloc(); };
    EXPECT_THROW(fs.DeleteFile("C:\\D\\a"), std::bad_alloc);
    EXPECT_TRUE(fs.Exists("C:\\D\\a"));
}

TEST(SimFileSystem, DrivesCanVanishOrLoseTheirMedium) {
    SimFileSystem fs;
    fs.AddDrives("ACD");
    fs.AddShare("\\\\srv\\share\\");
    EXPECT_EQ(fs.LogicalDrives(), 0b1101u);
    EXPECT_TRUE(fs.CreateFolder("\\\\SRV\\Share\\a\\"));
    EXPECT_TRUE(FolderExists(fs, "\\\\srv\\share\\A\\"));
    fs.AddFile("D:\\x", "x");
    fs.EjectMedium('D');
    FsError error;
    EXPECT_FALSE(fs.CreateFolder("D:\\y\\", &error));
    EXPECT_EQ(error.code, 21u);
    EXPECT_FALSE(FolderExists(fs, "D:\\"));
    EXPECT_EQ(fs.LogicalDrives(), 0b1101u);
    fs.RemoveDrive('D');
    EXPECT_EQ(fs.LogicalDrives(), 0b0101u);
    EXPECT_FALSE(fs.CreateFolder("D:\\y\\", &error));
    EXPECT_EQ(error.code, 3u);
}

TEST(SimFileSystem, DosDateTimeUsesLocalTimeAndOnlyYears1980To2107) {
    SimFileSystem fs;
    FileTime t = SimFileSystem::MakeFileTime(2024, 3, 15, 10, 30, 59);
    uint32_t expected = ((2024 - 1980) << 25) | (3 << 21) | (15 << 16) | (10 << 11) | (30 << 5) | 29;
    EXPECT_EQ(fs.ToDosDateTime(t), expected);
    EXPECT_EQ(SimFileSystem::DosDateTime(2024, 3, 15, 10, 30, 59), expected);
    // Two seconds apart in the same step compare equal.
    EXPECT_EQ(fs.ToDosDateTime(t - 10000000), expected);
    fs.SetLocalOffsetMinutes(60);
    EXPECT_EQ(fs.ToDosDateTime(t), SimFileSystem::DosDateTime(2024, 3, 15, 11, 30, 59));
    fs.SetLocalOffsetMinutes(0);
    EXPECT_EQ(fs.ToDosDateTime(SimFileSystem::MakeFileTime(1980, 1, 1)), SimFileSystem::DosDateTime(1980, 1, 1, 0, 0, 0));
    EXPECT_FALSE(fs.ToDosDateTime(SimFileSystem::MakeFileTime(1979, 12, 31, 23, 59, 59)));
    EXPECT_EQ(fs.ToDosDateTime(SimFileSystem::MakeFileTime(2107, 12, 31, 23, 59, 58)),
              SimFileSystem::DosDateTime(2107, 12, 31, 23, 59, 58));
    EXPECT_FALSE(fs.ToDosDateTime(SimFileSystem::MakeFileTime(2108, 1, 1)));
    EXPECT_FALSE(fs.ToDosDateTime(0));
    EXPECT_EQ(SimFileSystem::MakeFileTime(2026, 12, 8, 21, 41, 25), SimFileSystem::kDefaultTime);
    EXPECT_EQ(SimFileSystem::MakeFileTime(1601, 1, 1), 0u);
}

TEST(SimFileSystem, WholeFilesRoundTripAndWritingNeedsTheFolder) {
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddFolder("C:\\Jobs\\");
    std::string bytes("a\0b\xE6", 4);
    ASSERT_TRUE(fs.WriteWholeFile("C:\\Jobs\\x.tvl", bytes));
    std::string back;
    ASSERT_TRUE(fs.ReadWholeFile("C:\\JOBS\\X.TVL", back));
    EXPECT_EQ(back, bytes);
    FsError error;
    EXPECT_FALSE(fs.WriteWholeFile("C:\\Nope\\x.tvl", bytes, &error));
    EXPECT_EQ(error.code, 3u);
    EXPECT_FALSE(fs.ReadWholeFile("C:\\Jobs\\y.tvl", back, &error));
    EXPECT_EQ(error.code, 2u);
    EXPECT_FALSE(fs.WriteWholeFile("C:\\Jobs\\a?b", bytes, &error));
    EXPECT_EQ(error.code, 123u);
    fs.SetAttrs("C:\\Jobs\\x.tvl", kAttrHidden);
    ASSERT_TRUE(fs.WriteWholeFile("C:\\Jobs\\x.tvl", "new"));
    EXPECT_EQ(fs.Entry("C:\\Jobs\\x.tvl")->attributes, kAttrArchive | kAttrHidden);
}

TEST(SimSettingsStore, ValuesNeedAnOpenKeyAndIgnoreCase) {
    SimSettingsStore store;
    EXPECT_FALSE(store.WriteString("Start", "Top", "5"));
    EXPECT_FALSE(store.KeyExists());
    ASSERT_TRUE(store.Open());
    EXPECT_TRUE(store.KeyExists());
    EXPECT_FALSE(store.HasSubkey("Start"));
    EXPECT_FALSE(store.ReadString("Start", "Top"));
    EXPECT_TRUE(store.WriteString("Start", "Højde", "420"));
    EXPECT_TRUE(store.WriteString("Start", "Top", "7"));
    EXPECT_EQ(store.ReadString("start", "HØJDE"), "420");
    ASSERT_EQ(store.Writes().size(), 2u);
    EXPECT_EQ(store.Writes()[0].name, "Højde");
    store.Close();
    EXPECT_FALSE(store.ReadString("Start", "Top"));
    EXPECT_EQ(store.Value("Start", "Top"), "7");
}

TEST(SimSystem, MessageBoxesAnswerInTurnThenByDefault) {
    SimMessageBox box;
    box.Answer(MsgResult::No);
    EXPECT_EQ(box.Show("Gem?", "Gem job", MsgButtons::YesNoCancel, MsgIcon::Question), MsgResult::No);
    EXPECT_EQ(box.Show("Hej", "Tavrel", MsgButtons::Ok, MsgIcon::None), MsgResult::Ok);
    EXPECT_EQ(box.Show("Slet?", "Slet destinationsmappe", MsgButtons::YesNo, MsgIcon::Warning), MsgResult::Yes);
    box.defaultAnswer = MsgResult::Cancel;
    EXPECT_EQ(box.Show("Slet?", "x", MsgButtons::YesNo, MsgIcon::Warning), MsgResult::No);
    ASSERT_EQ(box.shown.size(), 4u);
    EXPECT_EQ(box.shown[0].caption, "Gem job");
    EXPECT_EQ(box.shown[2].icon, MsgIcon::Warning);

    SimBusyCursor cursor;
    {
        BusyScope outer(&cursor);
        BusyScope inner(&cursor);
        EXPECT_EQ(cursor.depth, 2);
    }
    EXPECT_EQ(cursor.depth, 0);
    EXPECT_EQ(cursor.maxDepth, 2);

    SimShellInfo info;
    info.SetDriveName('d', "Backup (D:)");
    EXPECT_EQ(info.GetInfo("C:\\").displayName, "Lokal disk (C:)");
    EXPECT_EQ(info.GetInfo("D:\\").displayName, "Backup (D:)");
    ShellItemInfo folder = info.GetInfo("C:\\Data\\Projekter\\");
    EXPECT_EQ(folder.displayName, "Projekter");
    EXPECT_EQ(folder.icon, 3);
    EXPECT_EQ(folder.openIcon, 4);

    SimClock clock;
    clock.autoAdvance = 250;
    uint32_t first = clock.TickCount();
    EXPECT_EQ(clock.TickCount() - first, 250u);
    EXPECT_EQ(clock.ShortDateNow(), "08-12-2026");
}
