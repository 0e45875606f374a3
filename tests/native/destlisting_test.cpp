// The walk reads each destination folder once instead of looking up and opening every
// destination file. These tests hold it to the same results as the file-by-file rules, and to
// a bounded number of file system calls per file.
#include "core/CopyRules.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "core/Formats.h"
#include "base/Text.h"
#include "base/Path.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

const FileTime kT0 = SimFileSystem::MakeFileTime(2024, 5, 1, 10, 0, 0);
const FileTime kSecond = 10000000ull;

struct Listing : ::testing::Test, WalkRig {
    Listing() {
        settings.onlyNewAndChanged = true;
        settings.fileTypes = {".BAK"};
    }
    void Copy(bool doCopy = true) { rules.CopyFolder("C:\\Data\\", "D:\\Backup\\", doCopy, 3); }
};

}  // namespace

TEST_F(Listing, ARerunLooksUpNoDestinationFileAndOpensNone) {
    for (int f = 0; f < 4; ++f)
        for (int i = 0; i < 50; ++i) {
            const std::string rel = "Mappe " + std::to_string(f) + "\\fil " + std::to_string(i) + ".txt";
            fs.AddFile("C:\\Data\\" + rel, "x", kT0 + i * 2 * kSecond);
            fs.AddFile("D:\\Backup\\Data\\" + rel, "x", kT0 + i * 2 * kSecond);
        }
    fs.ResetCounts();
    Copy();
    EXPECT_EQ(counters.ExaminedCount, 200);
    EXPECT_EQ(counters.CopiedCount, 0);
    EXPECT_EQ(fs.Calls(SimOp::FindEntry), 0);
    EXPECT_EQ(fs.Calls(SimOp::GetTime), 0);
    EXPECT_EQ(fs.Calls(SimOp::CopyFile), 0);
    // A constant number of calls per folder, none per file: five folders each enumerated on
    // both sides.
    EXPECT_EQ(fs.Calls(SimOp::OpenFolder), 10);
    EXPECT_LE(fs.Calls(SimOp::GetAttributes), 10);
    // Each folder's identity and its destination's, by index alone: no two folders here share
    // one, so the volume (the costly part) is never asked for.
    EXPECT_EQ(fs.Calls(SimOp::FileIndex), 10);
    EXPECT_EQ(fs.Calls(SimOp::FileId), 0);
}

TEST_F(Listing, AFullCopyMakesOneCopyAndOneRenamePerFileAndNothingElse) {
    for (int f = 0; f < 4; ++f)
        for (int i = 0; i < 50; ++i)
            fs.AddFile("C:\\Data\\Mappe " + std::to_string(f) + "\\fil " + std::to_string(i) + ".txt", "x", kT0);
    fs.ResetCounts();
    Copy();
    EXPECT_EQ(counters.CopiedCount, 200);
    EXPECT_EQ(fs.Calls(SimOp::CopyFile), 200);
    EXPECT_EQ(fs.Calls(SimOp::MoveReplace), 200);
    EXPECT_EQ(fs.Calls(SimOp::FindEntry), 0);
    EXPECT_EQ(fs.Calls(SimOp::GetTime), 0);
    EXPECT_LE(fs.Calls(SimOp::GetAttributes), 20);
    EXPECT_EQ(fs.Calls(SimOp::CreateFolder), 6);  // Backup, Data and the four folders
    EXPECT_EQ(fs.List("D:\\Backup\\Data\\Mappe 3\\").size(), 50u);
}

TEST_F(Listing, NamesUnderOtherLetterCaseFoldersInTheWayAndLeftoverCopies) {
    // The copy at the destination was saved under other letter case: it is the same file.
    fs.AddFile("C:\\Data\\Rapport.txt", "src", kT0);
    fs.AddFile("D:\\Backup\\Data\\RAPPORT.TXT", "dst", kT0);
    fs.AddFile("C:\\Data\\Æble.txt", "src", kT0 + 4 * kSecond);
    fs.AddFile("D:\\Backup\\Data\\æBLE.txt", "dst", kT0);
    // A folder where the source has a file: never up to date, and the copy fails as before.
    fs.AddFile("C:\\Data\\klods.txt", "src", kT0);
    fs.AddFolder("D:\\Backup\\Data\\klods.txt");
    // A copy killed half-way left its temporary file: it goes, and the real copy arrives.
    fs.AddFile("C:\\Data\\halv.txt", "whole", kT0);
    fs.AddFile("D:\\Backup\\Data\\" + TempNameFor("halv.txt"), "hal", kT0);
    Copy();
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\RAPPORT.TXT"), "dst");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\æBLE.txt"), "src");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\halv.txt"), "whole");
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\" + TempNameFor("halv.txt")));
    EXPECT_EQ(counters.CopiedCount, 2);
    EXPECT_EQ(counters.FailedCount, 1);
    EXPECT_EQ(skipped.FailureCount(), 1u);
}

TEST_F(Listing, ANameBeyondTheKnownLettersThatIsNotListedIsAskedOfTheSystem) {
    // Whether "Ωμέγα.txt" matches another spelling is the file system's rule, not the
    // listing's: a miss sends the walk to the file-by-file look-up.
    fs.AddFile("C:\\Data\\Ωμέγα.txt", "src", kT0);
    fs.AddFile("C:\\Data\\plain.txt", "src", kT0);
    fs.AddFile("D:\\Backup\\Data\\other.txt", "dst", kT0);
    fs.ResetCounts();
    Copy(false);
    EXPECT_EQ(fs.Calls(SimOp::FindEntry), 1);
    EXPECT_EQ(counters.CopiedCount, 2);
}

TEST_F(Listing, ADestinationThatCannotBeListedFallsBackToLookingUpEachFile) {
    fs.AddFile("C:\\Data\\a.txt", "src", kT0);
    fs.AddFile("C:\\Data\\b.txt", "src", kT0 + 4 * kSecond);
    fs.AddFile("D:\\Backup\\Data\\a.txt", "dst", kT0);
    fs.AddFile("D:\\Backup\\Data\\b.txt", "dst", kT0);
    fs.InjectFailure(SimOp::OpenFolder, "D:\\Backup\\Data", kErrAccessDenied);
    Copy();
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "dst");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\b.txt"), "src");
    EXPECT_EQ(counters.CopiedCount, 1);
    EXPECT_EQ(fs.Calls(SimOp::FindEntry), 2);
}

// Random trees and random destinations, with names under other letter case, Danish letters,
// times in the same two-second step, before 1980, newer copies, read-only copies, leftover
// temporary files and excluded types. The outcome must be what the rules give file by file,
// judged from the world before the run.
TEST_F(Listing, RandomWorldsGiveTheOutcomeOfTheFileByFileRules) {
    const std::vector<std::string> stems = {"a", "B", "æble", "Øl", "rapport", "Åben", "x y", "data.tar"};
    const std::vector<std::string> exts = {".txt", ".bak", ".DOC", ""};
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SimFileSystem world;
        world.AddDrive('C');
        world.AddDrive('D');
        std::mt19937 rng(seed);
        auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
        std::vector<std::string> folders = {"C:\\Data\\"};
        for (int i = 0; i < 6; ++i)
            folders.push_back(folders[pick(folders.size())] + "Sub" + std::to_string(i) + "\\");
        for (const std::string& f : folders) world.AddFolder(f);
        for (int i = 0; i < 60; ++i) {
            const std::string folder = folders[pick(folders.size())];
            const std::string name = stems[pick(stems.size())] + std::to_string(pick(5)) + exts[pick(exts.size())];
            if (world.Exists(folder + name)) continue;
            const FileTime t = pick(10) == 0 ? SimFileSystem::MakeFileTime(1975, 1, 1) + pick(3) * kSecond
                                             : kT0 + pick(40) * kSecond;
            world.AddFile(folder + name, "src" + std::to_string(i), t);
            const std::string dest = "D:\\Backup\\" + (folder + name).substr(3);
            std::string destName = dest;
            if (pick(4) == 0) destName = ExtractFilePath(dest) + AsciiUpper(name);
            switch (pick(7)) {
            case 0: break;  // not copied yet
            case 1: world.AddFile(destName, "dst", t); break;
            case 2: world.AddFile(destName, "dst", t + kSecond); break;  // same two-second step or the next
            case 3: world.AddFile(destName, "dst", t - 2 * kSecond); break;
            case 4: world.AddFile(destName, "dst", t + 3600 * kSecond); break;
            case 5: world.AddFile(destName, "dst", t, kAttrArchive | kAttrReadOnly); break;
            case 6: world.AddFile(ExtractFilePath(dest) + TempNameFor(name), "half", t); break;
            }
        }

        // The expected outcome, file by file, in the order the walk meets the files.
        struct Expect {
            std::string target, content;
            FileTime time;
        };
        std::vector<Expect> expected;
        std::vector<std::string> expectedSkipped;
        int64_t examined = 0, copied = 0;
        std::function<void(const std::string&)> visit = [&](const std::string& folder) {
            for (const std::string& name : world.List(folder)) {
                const std::string path = folder + name;
                const DirEntry e = *world.Entry(path);
                if (e.IsFolder()) {
                    visit(path + "\\");
                    continue;
                }
                ++examined;
                const std::string target = "D:\\Backup\\" + path.substr(3);
                auto d = world.Entry(target);
                bool upToDate = false;
                if (d && !d->IsFolder()) {
                    auto sd = world.ToDosDateTime(e.lastWrite), dd = world.ToDosDateTime(d->lastWrite);
                    upToDate = (sd && dd) ? *dd >= *sd : d->lastWrite == e.lastWrite;
                }
                if (upToDate) {
                    expected.push_back({target, world.Content(target), d->lastWrite});
                    continue;
                }
                if (!TypeIncluded(settings, name)) {
                    expectedSkipped.push_back(path);
                    if (d) expected.push_back({target, world.Content(target), d->lastWrite});
                    continue;
                }
                ++copied;
                expected.push_back({target, world.Content(path), e.lastWrite});
            }
        };
        visit("C:\\Data\\");

        SkippedFiles report;
        report.Begin("C:\\Jobs\\Drev_C.tvj", "08-12-2026", "21:50:03");
        RunCounters c;
        RunCounters countRun;
        WalkContext walk{world, view, view, messages, settings, report, countRun, abort, {}, {}};
        CopyRules(walk).CopyFolder("C:\\Data\\", "D:\\Backup\\", false, 3);
        WalkContext copyWalk{world, view, view, messages, settings, report, c, abort, {}, {}};
        report.Begin("C:\\Jobs\\Drev_C.tvj", "08-12-2026", "21:50:03");
        CopyRules(copyWalk).CopyFolder("C:\\Data\\", "D:\\Backup\\", true, 3);

        SCOPED_TRACE("seed " + std::to_string(seed));
        EXPECT_EQ(countRun.CopiedCount, copied);
        EXPECT_EQ(countRun.ExaminedCount, examined);
        EXPECT_EQ(c.ExaminedCount, examined);
        EXPECT_EQ(c.CopiedCount, copied);
        EXPECT_EQ(c.FailedCount, 0);
        auto lines = report.Lines();
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.end()), expectedSkipped);
        for (const Expect& x : expected) {
            EXPECT_EQ(world.Content(x.target), x.content) << x.target;
            ASSERT_TRUE(world.Entry(x.target)) << x.target;
            EXPECT_EQ(world.Entry(x.target)->lastWrite, x.time) << x.target;
        }
        // No temporary file of the program's is left in a folder the copy wrote to.
        for (const std::string& f : folders)
            for (const std::string& name : world.List("D:\\Backup\\" + f.substr(3)))
                EXPECT_FALSE(IsTempName(name)) << f << name;
    }
}

TEST_F(Listing, ATemporaryFileThatAppearsDuringTheRunIsReplacedAndAFailedCopyStaysFailed) {
    fs.AddFile("C:\\Data\\a.txt", "alpha", kT0);
    fs.AddFile("C:\\Data\\b.txt", "beta", kT0);
    fs.AddFolder("D:\\Backup\\Data");
    // After the destination was read, another run leaves a temporary copy of a.txt.
    bool once = false;
    fs.BeforeOp = [&](SimOp op, const std::string& path) {
        if (op == SimOp::CopyFile && path == "C:\\Data\\a.txt" && !once) {
            once = true;
            fs.AddFile("D:\\Backup\\Data\\" + TempNameFor("a.txt"), "stale", kT0);
        }
    };
    // A copy that fails for want of room fails once and is reported, not tried again.
    fs.InjectFailure(SimOp::CopyFile, "C:\\Data\\b.txt", kErrDiskFull, 1);
    Copy();
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "alpha");
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\" + TempNameFor("a.txt")));
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\b.txt"));
    EXPECT_EQ(counters.CopiedCount, 1);
    EXPECT_EQ(counters.FailedCount, 1);
}
