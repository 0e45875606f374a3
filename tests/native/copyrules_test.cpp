#include "core/CopyRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "core/Formats.h"
#include "base/Path.h"
#include "base/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

const FileTime kT0 = SimFileSystem::MakeFileTime(2024, 5, 1, 10, 0, 0);

struct Walk : ::testing::Test, WalkRig {
    // A copy (or count) of one marked folder to D:\Backup\ in the normal direction.
    void Copy(const std::string& folder = "C:\\Data\\", bool doCopy = true) {
        rules.CopyFolder(folder, "D:\\Backup\\", doCopy, 3);
    }
};

}  // namespace

TEST_F(Walk, CopiesIntoTheDestinationWithoutTheDriveAndKeepsTimesAndAttributes) {
    fs.AddFile("C:\\Data\\a.txt", "alpha", kT0, kAttrArchive | kAttrHidden);
    fs.AddFile("C:\\Data\\Sub\\x.doc", std::string(2048, 'x'), kT0 + 10);
    fs.AddFolder("C:\\Data\\Empty");
    fs.AddFolder("C:\\Leer");
    Copy();
    rules.CopyFolder("C:\\Leer\\", "D:\\Backup\\", true, 3);

    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "alpha");
    EXPECT_EQ(fs.Entry("D:\\Backup\\Data\\a.txt")->lastWrite, kT0);
    EXPECT_EQ(fs.Entry("D:\\Backup\\Data\\a.txt")->attributes, kAttrArchive | kAttrHidden);
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Sub\\x.doc"), std::string(2048, 'x'));
    EXPECT_TRUE(FolderExists(fs, "D:\\Backup\\Data\\Empty\\"));
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Leer"));
    // No temporary file is left anywhere.
    EXPECT_EQ(fs.List("D:\\Backup\\Data\\"), (std::vector<std::string>{"a.txt", "Empty", "Sub"}));
    EXPECT_EQ(counters.ExaminedCount, 2);
    EXPECT_EQ(counters.ExaminedSize, 0 + 20);
    EXPECT_EQ(counters.CopiedCount, 2);
    EXPECT_EQ(counters.CopiedSize, 20);
    EXPECT_EQ(counters.FailedCount, 0);
    EXPECT_EQ(view.folderText, "C:\\Data\\Sub\\x.doc");
}

TEST_F(Walk, DotNamesAndSubfoldersWithTheOptionOff) {
    fs.AddFile("C:\\Data\\.profile", "p");
    fs.AddFile("C:\\Data\\.cache\\c.bin", "c");
    fs.AddFile("C:\\Data\\a.txt", "a");
    fs.AddFile("C:\\Data\\Sub\\b.txt", "b");
    fs.AddFile("C:\\Data\\Sub\\c.bak", "b");
    settings.includeSubfolders = false;
    Copy();
    EXPECT_EQ(fs.List("D:\\Backup\\Data\\"), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(counters.ExaminedCount, 1);
    EXPECT_TRUE(SkippedList().empty());

    settings.includeSubfolders = true;
    counters = {};
    Copy();
    EXPECT_EQ(counters.ExaminedCount, 3);
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\.profile"));
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\.cache"));
    EXPECT_EQ(SkippedList(), std::vector<std::string>{"C:\\Data\\Sub\\c.bak"});
}

TEST(TypeFilter, FirstMatchReversesWithAsciiOnlyCaseFolding) {
    JobSettings s;  // leave out .BAK and .TMP
    EXPECT_FALSE(TypeIncluded(s, "report.bak"));
    EXPECT_FALSE(TypeIncluded(s, "x.Tmp"));
    EXPECT_FALSE(TypeIncluded(s, "archive.tar.bak"));
    EXPECT_TRUE(TypeIncluded(s, "README"));
    EXPECT_TRUE(TypeIncluded(s, "a.bak.txt"));
    s.onlyListedTypes = true;
    EXPECT_TRUE(TypeIncluded(s, "report.BAK"));
    EXPECT_FALSE(TypeIncluded(s, "a.doc"));
    EXPECT_FALSE(TypeIncluded(s, "README"));
    s.fileTypes = {"BAK", ".tar.gz", ".ÆØ"};
    EXPECT_FALSE(TypeIncluded(s, "x.bak"));      // an item without its dot never matches
    EXPECT_FALSE(TypeIncluded(s, "a.tar.gz"));   // the extension is .gz
    EXPECT_TRUE(TypeIncluded(s, "a.ÆØ"));
    EXPECT_FALSE(TypeIncluded(s, "a.æø"));       // only A-Z fold
    // Duplicates: only the first match counts, so a second equal item does not reverse back.
    s.onlyListedTypes = false;
    s.fileTypes = {".BAK", ".bak"};
    EXPECT_FALSE(TypeIncluded(s, "a.bak"));
}

TEST(ParentFolder, ClimbsToTheRootAndNeverGivesABareDrive) {
    struct Case {
        const char* folder;
        const char* parent;
    };
    for (const Case& c : {Case{"C:\\Data\\Sub\\", "C:\\Data\\"}, Case{"C:\\Data\\Sub", "C:\\Data\\"},
                          Case{"C:\\Data\\", "C:\\"}, Case{"C:\\", ""}, Case{"C:", ""},
                          Case{"\\\\srv\\share\\x\\y\\", "\\\\srv\\share\\x\\"}, Case{"\\\\srv\\share\\x\\", "\\\\srv\\share\\"},
                          Case{"\\\\srv\\share\\", ""}, Case{"\\\\srv\\", ""}, Case{"", ""}, Case{"\\", ""},
                          Case{"Data\\Sub\\", "Data\\"}, Case{"Data\\", ""}}) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(ParentFolderOf(c.folder), c.parent);
    }
}

TEST_F(Walk, FilteredFilesAreListedInWalkOrderAndShownAsBrowsing) {
    fs.AddFile("C:\\Data\\report.bak", "r");
    fs.AddFile("C:\\Data\\x.Tmp", "x");
    fs.AddFile("C:\\Data\\keep", "k");
    Copy();
    EXPECT_EQ(SkippedList(), (std::vector<std::string>{"C:\\Data\\report.bak", "C:\\Data\\x.Tmp"}));
    EXPECT_EQ(view.folderTexts.back(), "Gennemser C:\\Data\\");
    EXPECT_EQ(fs.List("D:\\Backup\\Data\\"), std::vector<std::string>{"keep"});
    EXPECT_EQ(counters.ExaminedCount, 3);
    EXPECT_EQ(counters.CopiedCount, 1);
}

TEST_F(Walk, NewAndChangedComparesInTwoSecondStepsAndIgnoresSize) {
    fs.AddFile("C:\\Data\\same.txt", "new and longer", kT0 + 1 * 10000000ull);  // 10:00:01
    fs.AddFile("D:\\Backup\\Data\\same.txt", "old", kT0);                        // 10:00:00
    fs.AddFile("C:\\Data\\changed.txt", "new", kT0 + 2 * 10000000ull);           // 10:00:02
    fs.AddFile("D:\\Backup\\Data\\changed.txt", "old", kT0);
    fs.AddFile("C:\\Data\\older.txt", "src", kT0);
    fs.AddFile("D:\\Backup\\Data\\older.txt", "dest is newer", kT0 + 3600 * 10000000ull);
    fs.AddFile("C:\\Data\\stale.bak", "b", kT0);
    fs.AddFile("D:\\Backup\\Data\\stale.bak", "b", kT0);
    Copy();
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\same.txt"), "old");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\changed.txt"), "new");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\older.txt"), "dest is newer");
    EXPECT_EQ(counters.ExaminedCount, 4);
    EXPECT_EQ(counters.CopiedCount, 1);
    // Up to date and of an excluded type: passed over before the filter, so not listed.
    EXPECT_TRUE(SkippedList().empty());

    // With the delete-first option on (even when nothing was deleted) every file is copied.
    settings.deleteDestFirst = true;
    counters = {};
    Copy();
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\same.txt"), "new and longer");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\older.txt"), "src");
    EXPECT_EQ(counters.CopiedCount, 3);

    settings.deleteDestFirst = false;
    settings.onlyNewAndChanged = false;
    counters = {};
    Copy();
    EXPECT_EQ(counters.CopiedCount, 3);
}

TEST_F(Walk, TimesOutsideTheDosRangeAreSkippedOnlyWhenExactlyEqual) {
    const FileTime old1970 = SimFileSystem::MakeFileTime(1970, 1, 2);
    const FileTime late2110 = SimFileSystem::MakeFileTime(2110, 3, 1);
    fs.AddFile("C:\\Data\\equal70.txt", "src", old1970);
    fs.AddFile("D:\\Backup\\Data\\equal70.txt", "dst", old1970);
    fs.AddFile("C:\\Data\\changed70.txt", "src", old1970 + 10000000ull);
    fs.AddFile("D:\\Backup\\Data\\changed70.txt", "dst", old1970);
    // A destination that looks later is no proof when there is no ordering.
    fs.AddFile("C:\\Data\\late.txt", "src", late2110);
    fs.AddFile("D:\\Backup\\Data\\late.txt", "dst", late2110 + 10000000ull);
    // An in-range source over a destination from before 1980: the destination counts as absent.
    fs.AddFile("C:\\Data\\normal.txt", "src", kT0);
    fs.AddFile("D:\\Backup\\Data\\normal.txt", "dst", old1970);
    Copy();
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\equal70.txt"), "dst");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\changed70.txt"), "src");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\late.txt"), "src");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\normal.txt"), "src");
    EXPECT_EQ(counters.CopiedCount, 3);
    EXPECT_EQ(rules.FileDateOf("D:\\Backup\\Data\\equal70.txt"), 0u);
    EXPECT_EQ(rules.FileDateOf("C:\\Data\\normal.txt"), SimFileSystem::DosDateTime(2024, 5, 1, 10, 0, 0));
    EXPECT_EQ(rules.FileDateOf("C:\\Data\\missing.txt"), 0u);
}

TEST_F(Walk, CountRunTestsAndFiltersButTouchesNothing) {
    fs.AddFile("C:\\Data\\a.txt", std::string(1024, 'a'), kT0);
    fs.AddFile("C:\\Data\\b.bak", "b", kT0);
    fs.AddFile("C:\\Data\\Sub\\c.txt", "c", kT0);
    fs.AddFile("D:\\Backup\\Data\\a.txt", "same time", kT0);
    fs.ResetCounts();
    Copy("C:\\Data\\", false);
    EXPECT_EQ(fs.Calls(SimOp::CopyFile) + fs.Calls(SimOp::CreateFolder) + fs.Calls(SimOp::DeleteFile) +
                  fs.Calls(SimOp::MoveReplace) + fs.Calls(SimOp::WriteFile),
              0);
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\Sub"));
    EXPECT_EQ(counters.ExaminedCount, 3);
    EXPECT_EQ(counters.ExaminedSize, 10);
    EXPECT_EQ(counters.CopiedCount, 1);  // c.txt; a.txt is up to date, b.bak left out
    EXPECT_EQ(SkippedList(), std::vector<std::string>{"C:\\Data\\b.bak"});
    EXPECT_EQ(view.folderTexts.front(), "C:\\Data\\");
}

TEST_F(Walk, ForceFoldersCreatesEachMissingLevelButNeverTheRoot) {
    fs.AddShare("\\\\srv\\share\\");
    fs.ResetCounts();
    EXPECT_TRUE(rules.ForceFolders("\\\\srv\\share\\a\\b\\"));
    EXPECT_EQ(fs.Calls(SimOp::CreateFolder), 2);
    EXPECT_TRUE(FolderExists(fs, "\\\\srv\\share\\a\\b\\"));
    EXPECT_TRUE(rules.ForceFolders("D:\\x\\y\\"));
    EXPECT_TRUE(FolderExists(fs, "D:\\x\\y\\"));
    fs.ResetCounts();
    EXPECT_TRUE(rules.ForceFolders("D:\\x\\y\\z"));  // a last part without "\" is not a folder
    EXPECT_EQ(fs.Calls(SimOp::CreateFolder), 0);
    // A file where a folder should be: the failure is recorded, not hidden.
    fs.AddFile("D:\\x\\file", "f");
    EXPECT_FALSE(rules.ForceFolders("D:\\x\\file\\deep\\"));
    EXPECT_FALSE(rules.ForceFolders("D:\\x\\file\\deep\\er\\"));
    EXPECT_EQ(counters.FailedCount, 1);
    EXPECT_EQ(skipped.FailureCount(), 1u);
}

// A subfolder whose counterpart cannot be created is one failure, listed once as a folder;
// the files that therefore could not be copied follow, each once.
TEST_F(Walk, ASubfolderThatCannotBeCreatedIsListedOnce) {
    fs.AddFile("C:\\Data\\Sub\\x.txt", "x", kT0);
    fs.AddFile("C:\\Data\\Sub\\Deeper\\y.txt", "y", kT0);
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("D:\\Backup\\Data\\Sub", "a file in the way", kT0);
    Copy();
    auto lines = skipped.Lines();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.end()),
              (std::vector<std::string>{"Fejl: 3",
                                        "D:\\Backup\\Data\\Sub\\ - " + SimError(kErrAlreadyExists).text,
                                        "C:\\Data\\Sub\\Deeper\\y.txt - " + SimError(kErrPathNotFound).text,
                                        "C:\\Data\\Sub\\x.txt - " + SimError(kErrPathNotFound).text}));
    EXPECT_EQ(counters.FailedCount, 3);
    EXPECT_EQ(counters.CopiedCount, 1);
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Sub"), "a file in the way");

    // A second marked folder that lands in the same place adds only its own file.
    fs.AddDrive('F');
    fs.AddFile("F:\\Data\\Sub\\z.txt", "z", kT0);
    rules.CopyFolder("F:\\Data\\", "D:\\Backup\\", true, 3);
    EXPECT_EQ(counters.FailedCount, 4);
    EXPECT_EQ(skipped.Lines().back(), "F:\\Data\\Sub\\z.txt - " + SimError(kErrPathNotFound).text);

    // The same where the folder above is new as well (no listing to ask): still once.
    skipped.Begin("C:\\Jobs\\Drev_C.tvj", "08-12-2026", "21:50:03");
    counters = {};
    fs.InjectFailure(SimOp::CreateFolder, "E:\\", kErrAccessDenied);
    fs.AddDrive('E');
    fs.AddFolder("E:\\Kopi");
    rules.CopyFolder("C:\\Data\\", "E:\\Kopi\\", true, 3);
    EXPECT_EQ(skipped.Lines()[7], "E:\\Kopi\\Data\\ - " + SimError(kErrAccessDenied).text);
    EXPECT_EQ(counters.FailedCount, 4);  // the folder, then a.txt, y.txt and x.txt
}

TEST_F(Walk, AFailedCopyIsCountedApartAndNeverDamagesThePreviousCopy) {
    fs.AddFile("C:\\Data\\a.txt", "new a", kT0 + 100000000ull);
    fs.AddFile("D:\\Backup\\Data\\a.txt", "old a", kT0);
    fs.AddFile("C:\\Data\\b.txt", std::string(5000, 'b'), kT0 + 100000000ull);
    fs.AddFile("D:\\Backup\\Data\\b.txt", "old b", kT0);
    fs.AddFile("C:\\Data\\c.txt", "new c", kT0 + 100000000ull);
    fs.AddFile("D:\\Backup\\Data\\c.txt", "old c", kT0);
    fs.AddFile("C:\\Data\\d.txt", "new d", kT0);
    fs.InjectFailure(SimOp::CopyFile, "C:\\Data\\a.txt", kErrSharingViolation);
    fs.SetFreeSpace('D', 100);  // b.txt does not fit
    fs.InjectFailure(SimOp::MoveReplace, "D:\\Backup\\Data\\c.txt", kErrAccessDenied);
    Copy();
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "old a");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\b.txt"), "old b");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\c.txt"), "old c");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\d.txt"), "new d");  // the walk goes on
    EXPECT_EQ(fs.List("D:\\Backup\\Data\\"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "d.txt"}));
    EXPECT_EQ(counters.ExaminedCount, 4);
    EXPECT_EQ(counters.CopiedCount, 1);
    EXPECT_EQ(counters.CopiedSize, 0);
    EXPECT_EQ(counters.FailedCount, 3);
    auto lines = skipped.Lines();
    ASSERT_EQ(lines.size(), 5u + 2 + 3);
    EXPECT_EQ(lines[2], "Antal: 0");
    EXPECT_EQ(lines[5], " ");
    EXPECT_EQ(lines[6], "Fejl: 3");
    EXPECT_EQ(lines[7], "C:\\Data\\a.txt - " + SimError(kErrSharingViolation).text);
    EXPECT_EQ(lines[8], "C:\\Data\\b.txt - " + SimError(kErrDiskFull).text);
    EXPECT_EQ(lines[9], "C:\\Data\\c.txt - " + SimError(kErrAccessDenied).text);
}

TEST_F(Walk, AReadOnlyCopyIsReplacedAndTheNewOneCarriesTheSourceAttributes) {
    fs.AddFile("C:\\Data\\a.txt", "new", kT0 + 100000000ull, kAttrArchive);
    fs.AddFile("D:\\Backup\\Data\\a.txt", "old", kT0, kAttrReadOnly | kAttrArchive);
    fs.AddFile("C:\\Data\\ro.txt", "ro source", kT0, kAttrReadOnly);
    Copy();
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "new");
    EXPECT_EQ(fs.Entry("D:\\Backup\\Data\\a.txt")->attributes, kAttrArchive);
    EXPECT_EQ(fs.Entry("D:\\Backup\\Data\\ro.txt")->attributes, kAttrReadOnly);
    EXPECT_EQ(counters.CopiedCount, 2);

    // When the replacement fails even so, the old copy keeps its read-only attribute.
    fs.SetLastWrite("C:\\Data\\ro.txt", kT0 + 100000000ull);
    fs.SetAttrs("C:\\Data\\ro.txt", kAttrArchive);
    fs.InjectFailure(SimOp::MoveReplace, "D:\\Backup\\Data\\ro.txt", kErrSharingViolation);
    counters = {};
    Copy();
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\ro.txt"), "ro source");
    EXPECT_EQ(fs.Entry("D:\\Backup\\Data\\ro.txt")->attributes, kAttrReadOnly);
    EXPECT_EQ(counters.FailedCount, 1);
    EXPECT_EQ(fs.List("D:\\Backup\\Data\\"), (std::vector<std::string>{"a.txt", "ro.txt"}));
}

// The program's temporary copies carry a check of the name they stand for, so that a file the
// user happened to call "~tavrel-something.tmp" is never taken for one of them.
TEST(TempNames, OnlyTheProgramsOwnNamesAreRecognised) {
    const std::string longName(250, 'n');
    for (const std::string& name : {std::string("big.iso"), std::string("a"), std::string("Æble – 日本語.txt"),
                                    std::string("~tavrel-x.tmp"), std::string(".profile"), longName}) {
        SCOPED_TRACE(name);
        const std::string temp = TempNameFor(name);
        EXPECT_TRUE(temp.starts_with("~tavrel-"));
        EXPECT_TRUE(temp.ends_with(".tmp"));
        EXPECT_LE(Utf8Length(temp), 255u);
        EXPECT_TRUE(IsTempName(temp));
        EXPECT_NE(temp, TempNameFor(name + "x"));
    }
    EXPECT_NE(TempNameFor("big.iso").find("big.iso"), std::string::npos);  // a reader can tell whose it is
    std::string changed = TempNameFor("big.iso");
    changed[8] = 'B';  // another name under the same check
    for (const std::string& name : {std::string("~tavrel-notes.tmp"), std::string("~TAVREL-big.iso.TMP"),
                                    std::string("~tavrel-big.iso.tmp"), std::string("~tavrel-big.iso.0123abcd.tmp"),
                                    std::string("~tavrel-.tmp"), std::string("~tavrel-..tmp"), std::string("tavrel-x.tmp"),
                                    changed, TempNameFor("a") + ".txt", std::string("~tavrel-x.12345678"), std::string("")}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(IsTempName(name));
    }
}

// Nothing in a folder that is read is ever deleted, changed or made writable: files named like a
// temporary copy there are the user's, or copies cut short in another run whose folder this one
// only reads. The user's are copied like any file; the program's own are passed over.
TEST_F(Walk, FilesNamedLikeTemporaryCopiesInAReadFolderAreNeverTouched) {
    settings.fileTypes.clear();  // nothing filtered: the .tmp names take part
    const std::string own = TempNameFor("big.iso");
    fs.AddFile("C:\\Data\\~tavrel-notes.tmp", "the user's notes", kT0, kAttrReadOnly);
    fs.AddFile("C:\\Data\\~TAVREL-big.iso.TMP", "the user's too", kT0);
    fs.AddFile("C:\\Data\\" + own, "half a file", kT0, kAttrReadOnly | kAttrArchive);
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    for (bool doCopy : {false, true}) {
        SCOPED_TRACE(doCopy ? "copy" : "count");
        counters = {};
        fs.ResetCounts();
        Copy("C:\\Data\\", doCopy);
        EXPECT_EQ(fs.Content("C:\\Data\\~tavrel-notes.tmp"), "the user's notes");
        EXPECT_EQ(fs.Entry("C:\\Data\\~tavrel-notes.tmp")->attributes, kAttrReadOnly);
        EXPECT_EQ(fs.Content("C:\\Data\\~TAVREL-big.iso.TMP"), "the user's too");
        EXPECT_EQ(fs.Content("C:\\Data\\" + own), "half a file");
        EXPECT_EQ(fs.Entry("C:\\Data\\" + own)->attributes, kAttrReadOnly | kAttrArchive);
        EXPECT_EQ(counters.ExaminedCount, 3);
        EXPECT_EQ(counters.CopiedCount, 3);  // counted as copied, or as to be copied
    }
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\~tavrel-notes.tmp"), "the user's notes");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\~TAVREL-big.iso.TMP"), "the user's too");
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\" + own));
    EXPECT_TRUE(SkippedList().empty());
    EXPECT_EQ(counters.FailedCount, 0);
    // The second run finds the user's copies up to date: nothing is removed at the destination.
    counters = {};
    Copy();
    EXPECT_EQ(counters.CopiedCount, 0);
    EXPECT_EQ(fs.List("D:\\Backup\\Data\\"),
              (std::vector<std::string>{"a.txt", "~TAVREL-big.iso.TMP", "~tavrel-notes.tmp"}));
}

// Where a run writes, the program's own leftovers go, also those of files it does not copy
// again; whatever else is there stays.
TEST_F(Walk, OwnLeftoversGoOnlyWhereACopyRunWrites) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("D:\\Backup\\Data\\a.txt", "a", kT0);  // up to date: not copied again
    fs.AddFile("D:\\Backup\\Data\\" + TempNameFor("a.txt"), "half of a", kT0, kAttrReadOnly);
    fs.AddFile("D:\\Backup\\Data\\" + TempNameFor("gone.txt"), "half of a deleted file", kT0);
    fs.AddFile("D:\\Backup\\Data\\~tavrel-mine.tmp", "someone's own", kT0);
    fs.AddFile("D:\\Backup\\Data\\" + TempNameFor("gone.txt") + "x", "not a leftover", kT0);
    const auto before = fs.List("D:\\Backup\\Data\\");
    Copy("C:\\Data\\", false);
    EXPECT_EQ(fs.List("D:\\Backup\\Data\\"), before);  // a count run changes nothing
    Copy();
    EXPECT_EQ(fs.List("D:\\Backup\\Data\\"),
              (std::vector<std::string>{"a.txt", TempNameFor("gone.txt") + "x", "~tavrel-mine.tmp"}));
    EXPECT_EQ(counters.CopiedCount, 0);
    EXPECT_EQ(counters.FailedCount, 0);
}

// A reverse copy reads the backup and writes into the marked folders: leftovers in the backup
// stay, the program's own in the marked folder go, the user's files stay in both.
TEST_F(Walk, AReverseCopyRemovesOwnLeftoversOnlyInTheMarkedFolders) {
    settings.fileTypes.clear();
    context.reverse = true;
    fs.AddFile("D:\\Backup\\Data\\a.txt", "a", kT0);
    fs.AddFile("D:\\Backup\\Data\\" + TempNameFor("b.txt"), "half in the backup", kT0);
    fs.AddFile("D:\\Backup\\Data\\~tavrel-y.tmp", "a backup of the user's file", kT0);
    fs.AddFile("C:\\Data\\" + TempNameFor("c.txt"), "half in the original", kT0);
    fs.AddFile("C:\\Data\\~tavrel-x.tmp", "the user's", kT0);
    fs.AddFile("C:\\Data\\~tavrel-a.txt.tmp", "the user's, named like an old leftover", kT0);
    rules.CopyFolder("D:\\Backup\\Data\\", "C:\\", true, 10);
    EXPECT_EQ(fs.List("D:\\Backup\\Data\\"), (std::vector<std::string>{"a.txt", TempNameFor("b.txt"), "~tavrel-y.tmp"}));
    EXPECT_EQ(fs.List("C:\\Data\\"), (std::vector<std::string>{"a.txt", "~tavrel-a.txt.tmp", "~tavrel-x.tmp", "~tavrel-y.tmp"}));
    EXPECT_EQ(fs.Content("C:\\Data\\~tavrel-a.txt.tmp"), "the user's, named like an old leftover");
}

// Earlier versions left "~tavrel-NAME.tmp" beside NAME. Such a name is no proof by itself, so
// it goes only in a normal copy, beside NAME, when the source holds no file of that name
// (where it does, the destination's is the backup of that file).
TEST_F(Walk, LeftoversOfEarlierVersionsGoOnlyBesideTheirFileInANormalCopy) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("D:\\Backup\\Data\\a.txt", "a", kT0);
    fs.AddFile("D:\\Backup\\Data\\~tavrel-a.txt.tmp", "an old leftover", kT0, kAttrReadOnly);
    fs.AddFile("D:\\Backup\\Data\\~tavrel-gone.txt.tmp", "no file beside it", kT0);
    fs.AddFile("C:\\Data\\b.txt", "b", kT0);
    fs.AddFile("C:\\Data\\~tavrel-b.txt.tmp", "the user's own", kT0);
    fs.AddFile("D:\\Backup\\Data\\~tavrel-b.txt.tmp", "the user's own", kT0);
    Copy();
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\~tavrel-a.txt.tmp"));
    EXPECT_TRUE(fs.Exists("D:\\Backup\\Data\\~tavrel-gone.txt.tmp"));
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\~tavrel-b.txt.tmp"), "the user's own");
    EXPECT_EQ(fs.Content("C:\\Data\\~tavrel-b.txt.tmp"), "the user's own");
    EXPECT_EQ(counters.FailedCount, 0);
}

// Windows keeps some folders from everyone: the junctions of every profile ("Application Data",
// "Dokumenter\Min musik") and "System Volume Information" on every drive. They hold nothing of
// the user's and must not make every run a failed one. Any other folder that cannot be listed
// holds files the run does not copy, and is a failure.
TEST_F(Walk, FoldersThatWindowsKeepsFromEveryoneArePassedOverAndOthersAreFailures) {
    fs.AddDrive('E');
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("C:\\Music\\song.mp3", "m", kT0);
    fs.AddFile("C:\\Pictures\\pic.jpg", "p", kT0);
    fs.AddFile("C:\\Hemmeligt\\h.txt", "h", kT0);
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        bool failure;
    };
    const std::vector<Case> cases = {
        {"Min musik", [&](const std::string& p) { fs.AddFolderLink(p, "C:\\Music\\"); fs.DenyListing(p); }, false},
        {"Application Data", [&](const std::string& p) {
             fs.AddFolderLink(p, "C:\\Music\\");
             fs.SetAttrs(p, kAttrDirectory | kAttrReparsePoint | kAttrHidden | kAttrSystem);
             fs.DenyListing(p);
         }, false},
        {"System Volume Information", [&](const std::string& p) {
             fs.AddFolder(p, kAttrHidden | kAttrSystem);
             fs.AddFile(p + "\\tracking.log", "t", kT0);
             fs.DenyListing(p);
         }, false},
        {"Mine billeder", [&](const std::string& p) { fs.AddFolderLink(p, "C:\\Pictures\\"); }, false},  // listed: walked
        {"Privat", [&](const std::string& p) { fs.AddFile(p + "\\p.txt", "p", kT0); fs.DenyListing(p); }, true},
        {"Skjult", [&](const std::string& p) { fs.AddFolder(p, kAttrHidden); fs.DenyListing(p); }, true},
        {"Systemmappe", [&](const std::string& p) { fs.AddFolder(p, kAttrSystem); fs.DenyListing(p); }, true},
        // A link that leads to a folder that denies listing refuses as a whole, as the profile's
        // junctions do; the folder it leads to is a failure when it is walked itself.
        {"Genvej", [&](const std::string& p) { fs.AddFolderLink(p, "C:\\Hemmeligt\\"); fs.DenyListing("C:\\Hemmeligt\\"); }, false},
        // A link whose target cannot be reached is no refusal: what it leads to may be elsewhere.
        {"Netdrev", [&](const std::string& p) { fs.AddFolderLink(p, "E:\\Net\\"); fs.AddFolder("E:\\Net"); fs.RemoveDrive('E'); }, true},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        c.make(std::string("C:\\Data\\") + c.name);
        if (c.failure) expected.push_back(std::string("C:\\Data\\") + c.name + "\\ - Mappens indhold kunne ikke læses.");
    }
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        return FoldCase(a) < FoldCase(b);
    });
    for (bool doCopy : {false, true}) {
        SCOPED_TRACE(doCopy ? "copy" : "count");
        skipped.Begin("C:\\Jobs\\Drev_C.tvj", "08-12-2026", "21:50:03");
        counters = {};
        Copy("C:\\Data\\", doCopy);
        auto lines = skipped.Lines();
        ASSERT_GE(lines.size(), 7u);
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 7, lines.end()), expected);
        EXPECT_EQ(counters.FailedCount, static_cast<int64_t>(expected.size()));
        EXPECT_EQ(counters.ExaminedCount, 2);  // a.txt and, through the listed link, pic.jpg
    }
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Mine billeder\\pic.jpg"), "p");
    counters = {};
    Copy("C:\\Hemmeligt\\");
    EXPECT_EQ(counters.FailedCount, 1);

    // A marked folder of either kind, walked on its own.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        counters = {};
        Copy(std::string("C:\\Data\\") + c.name + "\\");
        EXPECT_EQ(counters.FailedCount, c.failure ? 1 : 0);
    }
}

TEST_F(Walk, LinksAreFollowedButALoopIsWalkedOnlyOnce) {
    fs.AddFile("C:\\Data\\a.txt", "a");
    fs.AddFile("C:\\Data\\Sub\\b.txt", "b");
    fs.AddFolderLink("C:\\Data\\Sub\\Up", "C:\\Data\\");  // back to an ancestor
    fs.AddFile("C:\\Other\\o.txt", "o");
    fs.AddFolderLink("C:\\Data\\Ext", "C:\\Other\\");    // elsewhere: its files are copied
    // A link the platform does not report as one (a host link under Wine) loops just the same.
    fs.AddFolderLink("C:\\Data\\Sub\\Hidden", "C:\\Data\\Sub\\");
    fs.SetAttrs("C:\\Data\\Sub\\Hidden", kAttrDirectory);
    Copy();
    EXPECT_EQ(counters.ExaminedCount, 3);
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Ext\\o.txt"), "o");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Sub\\b.txt"), "b");
}

// Identities are compared by index first; only the volume tells apart folders on two drives that
// number their folders alike, so none of these may be taken for a loop, the destination or a
// marked folder.
TEST_F(Walk, FoldersOfTwoDrivesWithTheSameIndexAreStillTwoFolders) {
    fs.AddDrive('E');
    fs.AddFile("C:\\Data\\a.txt", "a");
    fs.AddFile("C:\\Data\\Sub\\b.txt", "b");
    fs.AddFile("E:\\Other\\o.txt", "o");
    fs.AddFolderLink("C:\\Data\\Ext", "E:\\Other\\");
    fs.AddFolder("D:\\Backup\\Data\\");
    fs.AddFile("D:\\Old\\old.txt", "old");
    const uint64_t data = *fs.GetFileIndex("C:\\Data\\");
    const uint64_t sub = *fs.GetFileIndex("C:\\Data\\Sub\\");
    fs.SetIndex("E:\\Other\\", data);          // the link's target and an open folder
    fs.SetIndex("D:\\Backup\\Data\\", data);    // the destination of the marked folder
    fs.SetIndex("D:\\Backup\\", sub);           // an excluded folder and a walked one
    fs.SetIndex("D:\\Old\\", data);             // emptied, beside a marked folder
    context.excludedFolders = {"D:\\Backup\\"};
    context.protectedFolders = {"C:\\Data\\"};
    Copy();
    EXPECT_EQ(counters.ExaminedCount, 3);
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "a");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Sub\\b.txt"), "b");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Ext\\o.txt"), "o");

    rules.DeleteFolderFiles("D:\\Old\\");
    rules.RemoveFolders("D:\\Old\\");
    EXPECT_FALSE(fs.Exists("D:\\Old"));
    EXPECT_EQ(fs.Content("C:\\Data\\a.txt"), "a");
}

// A file system that gives no identities (a network share without file indexes): no folder
// equals another, so every subfolder is walked and the destination is still left out by name.
TEST_F(Walk, WithoutIdentitiesEveryFolderIsWalked) {
    fs.AddFile("C:\\Data\\a.txt", "a");
    fs.AddFile("C:\\Data\\Sub\\b.txt", "b");
    fs.AddFile("C:\\Data\\Sub\\Deeper\\c.txt", "c");
    fs.AddFile("C:\\Data\\Backup\\Data\\old.txt", "an earlier copy");
    fs.InjectFailure(SimOp::FileIndex, "", kErrAccessDenied);
    fs.InjectFailure(SimOp::FileId, "", kErrAccessDenied);
    context.excludedFolders = {"C:\\Data\\Backup\\"};
    rules.CopyFolder("C:\\Data\\", "C:\\Data\\Backup\\", true, 3);
    EXPECT_EQ(counters.ExaminedCount, 3);
    EXPECT_EQ(fs.Content("C:\\Data\\Backup\\Data\\Sub\\Deeper\\c.txt"), "c");
    EXPECT_FALSE(fs.Exists("C:\\Data\\Backup\\Data\\Backup"));
}

TEST_F(Walk, ExcludedFoldersAreNotWalked) {
    fs.AddFile("C:\\Data\\a.txt", "a");
    fs.AddFile("C:\\Data\\Backup\\Data\\a.txt", "an earlier copy");
    context.excludedFolders = {"C:\\Data\\Backup\\"};
    rules.CopyFolder("C:\\Data\\", "C:\\Data\\Backup\\", true, 3);
    EXPECT_EQ(counters.ExaminedCount, 1);
    EXPECT_FALSE(fs.Exists("C:\\Data\\Backup\\Data\\Backup"));
}

TEST_F(Walk, AFolderThatIsItsOwnDestinationCopiesNothing) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.ResetCounts();
    settings.onlyNewAndChanged = false;
    rules.CopyFolder("C:\\Data\\", "C:\\", true, 3);
    EXPECT_EQ(counters.ExaminedCount, 1);
    EXPECT_EQ(counters.CopiedCount, 0);
    EXPECT_EQ(fs.Calls(SimOp::CopyFile), 0);
    EXPECT_EQ(fs.Content("C:\\Data\\a.txt"), "a");
}

TEST_F(Walk, AbortStopsAtTheNextEntryAndAnUnexpectedErrorStopsTheRun) {
    for (char c = 'a'; c <= 'j'; ++c) fs.AddFile(std::string("C:\\Data\\") + c + ".txt", "x");
    view.onPump = [&](int n) {
        if (n == 5) abort = true;  // "." and ".." take the first two
    };
    Copy();
    EXPECT_EQ(counters.CopiedCount, 2);

    abort = false;
    view.onPump = nullptr;
    counters = {};
    fs.BeforeOp = [](SimOp op, const std::string& path) {
        if (op == SimOp::CopyFile && path == "C:\\Data\\Sub\\s.txt") throw std::bad_alloc();
    };
    fs.AddFile("C:\\Data\\Sub\\s.txt", "s");
    fs.AddFile("C:\\Data\\Sub\\t.txt", "t");
    settings.onlyNewAndChanged = false;
    Copy();
    EXPECT_TRUE(abort);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Der er sket en fejl under kopieringen. Tjek om destinationsdrevet er fyldt.");
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\Sub\\t.txt"));
}

TEST_F(Walk, UnicodeNamesAndLongPathsAreCopiedWhole) {
    std::string deep = "C:\\Data\\";
    while (deep.size() < 300) deep += "Et meget langt mappenavn med æøå\\";
    const std::string name = "Ελληνικά – 日本語 ✓.txt";
    fs.AddFile(deep + name, "unicode", kT0);
    Copy();
    const std::string target = "D:\\Backup\\" + deep.substr(3) + name;
    EXPECT_GT(target.size(), 260u);
    EXPECT_EQ(fs.Content(target), "unicode");
    EXPECT_EQ(counters.CopiedCount, 1);
}

TEST_F(Walk, CountersHold64BitSizes) {
    fs.AddBigFile("C:\\Data\\huge1.img", 150ull << 30, kT0);
    fs.AddBigFile("C:\\Data\\huge2.img", 150ull << 30, kT0);
    Copy("C:\\Data\\", false);
    EXPECT_EQ(counters.ExaminedSize, 2 * SizeInTenthsOfKb(150ull << 30));
    EXPECT_GT(counters.CopiedSize, int64_t(2147483647));
}

TEST_F(Walk, DeletePhaseLeavesDotFilesLinksAndMarkedFoldersAndListsRefusals) {
    fs.AddFile("D:\\Backup\\a.txt", std::string(2048, 'a'));
    fs.AddFile("D:\\Backup\\.keep", "k");
    fs.AddFile("D:\\Backup\\Sub\\b.txt", "b");
    fs.AddFile("D:\\Backup\\Dotted\\.config\\c", "c");
    fs.AddFile("D:\\Backup\\Dotted\\x.txt", "x");
    fs.AddFile("D:\\Backup\\ro.txt", "r", kT0, kAttrReadOnly);
    fs.AddFile("D:\\Backup\\" + TempNameFor("z"), "half");
    fs.AddFile("C:\\Elsewhere\\precious.txt", "p");
    fs.AddFolderLink("D:\\Backup\\Link", "C:\\Elsewhere\\");
    fs.AddFile("C:\\Data\\src.txt", "s");
    fs.AddFolderLink("D:\\Backup\\HostLink", "C:\\Data\\");
    fs.SetAttrs("D:\\Backup\\HostLink", kAttrDirectory);
    context.protectedFolders = {"C:\\Data\\"};

    rules.DeleteFolderFiles("D:\\Backup\\");
    rules.RemoveFolders("D:\\Backup\\");
    rules.RecordUndeletedFiles();  // no copy followed: the refusal stands

    EXPECT_EQ(counters.CopiedCount, 3);  // a.txt, b.txt, x.txt
    EXPECT_EQ(counters.CopiedSize, 20);
    EXPECT_EQ(counters.FailedCount, 1);
    EXPECT_EQ(skipped.Lines().back(), "D:\\Backup\\ro.txt - " + SimError(kErrAccessDenied).text);
    EXPECT_TRUE(fs.Exists("D:\\Backup\\.keep"));
    EXPECT_TRUE(fs.Exists("D:\\Backup\\Dotted\\.config\\c"));
    EXPECT_TRUE(fs.Exists("D:\\Backup\\ro.txt"));
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Sub"));
    EXPECT_FALSE(fs.Exists("D:\\Backup\\" + TempNameFor("z")));
    EXPECT_TRUE(fs.Exists("D:\\Backup\\Link"));
    EXPECT_EQ(fs.Content("C:\\Elsewhere\\precious.txt"), "p");
    EXPECT_EQ(fs.Content("C:\\Data\\src.txt"), "s");
    EXPECT_TRUE(FolderExists(fs, "C:\\Data\\"));
}

TEST_F(Walk, AnEmptiedDestinationIsRemovedAndAnAbortStopsTheDeletion) {
    for (char c = 'a'; c <= 'f'; ++c) fs.AddFile(std::string("D:\\Backup\\S\\") + c, "x");
    view.onPump = [&](int n) {
        if (n == 7) abort = true;  // ., .., S, then ., .., a, b
    };
    rules.DeleteFolderFiles("D:\\Backup\\");
    EXPECT_EQ(counters.CopiedCount, 1);
    rules.RemoveFolders("D:\\Backup\\");
    EXPECT_TRUE(fs.Exists("D:\\Backup\\S\\f"));

    abort = false;
    view.onPump = nullptr;
    rules.DeleteFolderFiles("D:\\Backup\\");
    rules.RemoveFolders("D:\\Backup\\");
    EXPECT_FALSE(fs.Exists("D:\\Backup"));
    EXPECT_TRUE(fs.Exists("D:\\"));
}

TEST_F(Walk, ALargeCopyShowsItsBytesAsItGoesAndStopsAtAnAbort) {
    const FileTime kOldCopy = kT0 - 10000000000ull;
    const uint64_t size = 1ull << 30;
    for (bool aborted : {false, true}) {
        SCOPED_TRACE(aborted ? "aborted during the copy" : "copied whole");
        SimFileSystem disk;
        disk.AddDrive('C');
        disk.AddDrive('D');
        disk.AddBigFile("C:\\Data\\film.mkv", size, kT0);
        disk.AddFile("D:\\Backup\\Data\\film.mkv", "old film", kOldCopy);
        RecordingRunView window;
        RunCounters counts;
        std::atomic<bool> stop{false};
        WalkContext walk{disk, window, window, messages, settings, skipped, counts, stop, {}, {}};
        CopyRules copier{walk};
        // The window's messages run during the copy (the copied size then counts bytes of it)
        // and Afbryd there stops it.
        std::vector<int64_t> during;
        window.onPump = [&](int) {
            if (counts.CopiedSize == 0) return;
            during.push_back(counts.CopiedSize);
            if (aborted && during.size() == 3) stop = true;
        };
        copier.CopyFolder("C:\\Data\\", "D:\\Backup\\", true, 3);

        ASSERT_GE(during.size(), 3u);
        EXPECT_TRUE(std::is_sorted(during.begin(), during.end()));
        EXPECT_LT(during.back(), SizeInTenthsOfKb(size));
        EXPECT_EQ(disk.List("D:\\Backup\\Data\\"), std::vector<std::string>{"film.mkv"});
        EXPECT_EQ(counts.FailedCount, 0);
        if (aborted) {
            EXPECT_EQ(during.size(), 3u);
            EXPECT_EQ(disk.Content("D:\\Backup\\Data\\film.mkv"), "old film");
            EXPECT_EQ(disk.Entry("D:\\Backup\\Data\\film.mkv")->lastWrite, kOldCopy);
            EXPECT_EQ(counts.CopiedCount, 0);
            EXPECT_EQ(counts.CopiedSize, 0);
        } else {
            EXPECT_EQ(disk.Entry("D:\\Backup\\Data\\film.mkv")->size, size);
            EXPECT_EQ(disk.Entry("D:\\Backup\\Data\\film.mkv")->lastWrite, kT0);
            EXPECT_GE(during.size(), size / (8ull << 20) - 1);
            EXPECT_EQ(counts.CopiedCount, 1);
            EXPECT_EQ(counts.CopiedSize, SizeInTenthsOfKb(size));
        }
    }
}

namespace {

// Keeps what each copy and rename was told of its files.
class HintRecordingFs : public SimFileSystem {
public:
    bool CopyFile(const std::string& source, const std::string& target, bool failIfExists, FsError* error,
                  const CopyHints* hints) override {
        copies.emplace(ExtractFileName(source), hints ? *hints : CopyHints{});
        return SimFileSystem::CopyFile(source, target, failIfExists, error, hints);
    }
    bool MoveReplace(const std::string& source, const std::string& target, FsError* error,
                     const CopyHints* hints) override {
        renames.emplace(ExtractFileName(target), hints ? *hints : CopyHints{});  // the first try
        return SimFileSystem::MoveReplace(source, target, error, hints);
    }
    std::map<std::string, CopyHints> copies, renames;
};

}  // namespace

TEST(CopyHints, WhatTheWalkKnowsGoesWithEachCopyAndRename) {
    HintRecordingFs disk;
    disk.AddDrive('C');
    disk.AddDrive('D');
    disk.AddFile("C:\\Data\\new.txt", std::string(1234, 'n'), kT0, kAttrArchive | kAttrHidden);
    disk.AddFile("C:\\Data\\ro.txt", "r", kT0);
    disk.AddFile("C:\\Data\\plain.txt", "p", kT0);
    disk.AddFile("C:\\Data\\\xCE\xA9mega.txt", "o", kT0);  // a miss of this name proves nothing
    disk.AddFile("C:\\Data\\Fresh\\f.txt", "f", kT0);
    disk.AddFile("D:\\Backup\\Data\\ro.txt", "old", kT0 - 100000000, kAttrReadOnly);
    disk.AddFile("D:\\Backup\\Data\\plain.txt", "old", kT0 - 100000000, kAttrArchive);
    RecordingRunView window;
    SimMessageBox boxes;
    JobSettings job;
    SkippedFiles report;
    RunCounters counts;
    std::atomic<bool> stop{false};
    WalkContext walk{disk, window, window, boxes, job, report, counts, stop, {}, {}};
    CopyRules copier{walk};
    copier.CopyFolder("C:\\Data\\", "D:\\Backup\\", true, 3);
    ASSERT_EQ(counts.CopiedCount, 5);

    struct Case {
        std::string name;
        bool targetKnown;
        uint32_t targetAttributes;
        uint64_t size;
        uint32_t sourceAttributes;
    };
    const Case cases[] = {
        {"new.txt", true, kInvalidAttributes, 1234, kAttrArchive | kAttrHidden},
        {"ro.txt", true, kAttrReadOnly, 1, kAttrArchive},
        {"plain.txt", true, kAttrArchive, 1, kAttrArchive},
        {"\xCE\xA9mega.txt", false, kInvalidAttributes, 1, kAttrArchive},
        {"f.txt", true, kInvalidAttributes, 1, kAttrArchive},  // in a folder the walk made
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(disk.copies.count(c.name));
        ASSERT_TRUE(disk.renames.count(c.name));
        const CopyHints& copy = disk.copies[c.name];
        EXPECT_EQ(copy.sourceSize, c.size);
        EXPECT_EQ(copy.sourceAttributes, c.sourceAttributes);
        EXPECT_FALSE(copy.targetKnown);  // the copy writes the temporary name
        const CopyHints& rename = disk.renames[c.name];
        EXPECT_EQ(rename.targetKnown, c.targetKnown);
        EXPECT_EQ(rename.targetAttributes, c.targetAttributes);
    }
    EXPECT_EQ(disk.Content("D:\\Backup\\Data\\ro.txt"), "r");
}
