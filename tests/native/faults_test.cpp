// Runs that meet a hostile disk: full at the k-th copy, refused, locked or vanishing files,
// folders and destinations that go away during the walk, a report that cannot be written.
// Whatever happens, the run ends as it should, its counts and report tell the truth, and no
// file at the destination is left partial or older than it was.
#include <gtest/gtest.h>

#include <map>

#include "core/CopyRun.h"
#include "base/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

const FileTime kOld = SimFileSystem::MakeFileTime(2024, 1, 1, 8, 0, 0);
const FileTime kNew = SimFileSystem::MakeFileTime(2024, 6, 1, 8, 0, 0);

struct World : RunRig<> {
    World() {
        for (char d : {'C', 'D'}) fs.AddDrive(d);
        fs.AddFolder("C:\\Jobs");
        store.Open();
        job.SetJobFileName("C:\\Jobs\\Drev_C.tvj");
        job.ChooseDestination("D:\\Backup\\");
        tree.marked = {"C:\\Data\\"};
        // Eight files in two folders; every other one has an older copy at the destination.
        for (int i = 0; i < 8; ++i) {
            const std::string rel = (i < 5 ? "Data\\f" : "Data\\Sub\\f") + std::to_string(i) + ".txt";
            const std::string fresh = "new " + std::to_string(i) + std::string(300 * (i + 1), 'n');
            fs.AddFile("C:\\" + rel, fresh, kNew);
            sources.push_back("C:\\" + rel);
            newContent["D:\\Backup\\" + rel] = fresh;
            if (i % 2 == 0) {
                const std::string old = "old " + std::to_string(i);
                fs.AddFile("D:\\Backup\\" + rel, old, kOld);
                oldContent["D:\\Backup\\" + rel] = old;
            }
        }
        fs.AddFile("C:\\Data\\left.bak", "filtered", kNew);
    }

    std::string Report() { return DecodeTextFile(fs.Content("C:\\Jobs\\Drev_C.txt")); }
    bool Stamped() { return store.Value("Filer", "Drev_C.tvj").has_value(); }

    // Every destination file is its old copy or the new one, never anything in between, and
    // no temporary copy is left. Returns how many hold the new content.
    int CheckDestination() {
        int fresh = 0;
        for (const auto& [path, content] : newContent) {
            if (!fs.Exists(path)) {
                EXPECT_EQ(oldContent.count(path), 0u) << path << " lost its old copy";
                continue;
            }
            const std::string now = fs.Content(path);
            if (now == content) {
                ++fresh;
                EXPECT_EQ(fs.Entry(path)->lastWrite, kNew) << path;
            } else {
                if (!oldContent.count(path)) {
                    ADD_FAILURE() << path << " is partial";
                    continue;
                }
                EXPECT_EQ(now, oldContent[path]) << path << " is neither old nor new";
                EXPECT_EQ(fs.Entry(path)->lastWrite, kOld) << path;
            }
        }
        NoTemporaryFiles("D:\\");
        return fresh;
    }
    void NoTemporaryFiles(const std::string& folder) {
        for (const std::string& name : fs.List(folder)) {
            EXPECT_FALSE(IsTempName(name)) << folder + name;
            if (fs.Entry(folder + name)->IsFolder()) NoTemporaryFiles(folder + name + "\\");
        }
    }
    // A second run with the fault gone brings the destination level and records the copy.
    void SecondRunLevels() {
        fs.ClearFailures();
        fs.BeforeOp = nullptr;
        messages.shown.clear();
        EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
        EXPECT_EQ(run.Counters().FailedCount, 0);
        EXPECT_EQ(CheckDestination(), 8);
        EXPECT_TRUE(Stamped());
        EXPECT_TRUE(messages.shown.empty());
    }
    // The report's error section names exactly these sources, and the counts add up.
    void ExpectFailures(const std::vector<std::string>& failed) {
        const RunCounters& c = run.Counters();
        EXPECT_EQ(c.FailedCount, static_cast<int64_t>(failed.size()));
        EXPECT_EQ(c.ExaminedCount, 9);
        EXPECT_EQ(c.CopiedCount + c.FailedCount, 8);
        const std::string report = Report();
        EXPECT_NE(report.find("Antal: 1\r\n"), std::string::npos);
        EXPECT_NE(report.find("C:\\Data\\left.bak\r\n"), std::string::npos);
        if (failed.empty()) {
            EXPECT_EQ(report.find("Fejl: "), std::string::npos);
            return;
        }
        EXPECT_NE(report.find("Fejl: " + std::to_string(failed.size()) + "\r\n"), std::string::npos) << report;
        for (const std::string& path : failed) EXPECT_NE(report.find(path + " - "), std::string::npos) << path;
        EXPECT_FALSE(Stamped());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_NE(messages.shown[0].text.find("C:\\Jobs\\Drev_C.txt"), std::string::npos);
    }

    std::vector<std::string> sources;
    std::map<std::string, std::string> newContent, oldContent;
};

struct Faults : ::testing::Test, World {};

}  // namespace

TEST_F(Faults, DiskFullAtEveryCopyInTurn) {
    for (int k = 1; k <= 9; ++k) {
        SCOPED_TRACE("disk full from copy " + std::to_string(k));
        World world;  // a fresh disk for every k
        world.fs.InjectFailure(SimOp::CopyFile, "D:\\", kErrDiskFull, -1, k - 1);
        EXPECT_EQ(world.run.RunCopy(rmCopy), RunOutcome::Completed);
        const int copied = std::min(k - 1, 8);
        EXPECT_EQ(world.run.Counters().CopiedCount, copied);
        EXPECT_EQ(world.CheckDestination(), copied);
        world.ExpectFailures(std::vector<std::string>(world.sources.begin() + copied, world.sources.end()));
        world.SecondRunLevels();
    }
}

TEST_F(Faults, DiskFullByFreeSpaceNeverLeavesAPartialCopy) {
    // From no room at all to room for most: a copy that does not fit fails part-way written.
    int partlyDone = 0;
    for (uint64_t space : {0ull, 700ull, 2500ull, 6000ull, 9000ull}) {
        SCOPED_TRACE("free space " + std::to_string(space));
        World world;
        world.fs.SetFreeSpace('D', space);
        world.run.RunCopy(rmCopy);
        const int fresh = world.CheckDestination();
        partlyDone += fresh > 0 && fresh < 8;
        EXPECT_EQ(world.run.Counters().CopiedCount, fresh);
        EXPECT_EQ(world.run.Counters().FailedCount, 8 - fresh);
        EXPECT_EQ(world.Stamped(), fresh == 8);
        world.fs.SetFreeSpace('D', 1ull << 30);
        world.SecondRunLevels();
    }
    EXPECT_GE(partlyDone, 2);
}

TEST_F(Faults, EveryErrorOnEveryFileIsCountedListedAndHarmless) {
    for (uint32_t code : {kErrAccessDenied, kErrSharingViolation, kErrDiskFull, kErrNotReady}) {
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE("error " + std::to_string(code) + " on file " + std::to_string(i));
            World world;
            world.fs.InjectFailure(SimOp::CopyFile, world.sources[i], code);
            EXPECT_EQ(world.run.RunCopy(rmCopy), RunOutcome::Completed);
            EXPECT_EQ(world.CheckDestination(), 7);
            world.ExpectFailures({world.sources[i]});
            EXPECT_NE(world.Report().find(world.sources[i] + " - " + SimError(code).text), std::string::npos);
            world.SecondRunLevels();
        }
    }
}

TEST_F(Faults, ARenameOverTheOldCopyThatFailsKeepsTheOldCopy) {
    fs.InjectFailure(SimOp::MoveReplace, "D:\\Backup\\Data\\f2.txt", kErrAccessDenied);
    fs.InjectFailure(SimOp::MoveReplace, "D:\\Backup\\Data\\Sub\\f5.txt", kErrSharingViolation);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(CheckDestination(), 6);
    ExpectFailures({"C:\\Data\\f2.txt", "C:\\Data\\Sub\\f5.txt"});
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\f2.txt"), "old 2");
    SecondRunLevels();
}

TEST_F(Faults, AFileThatVanishesBeforeItsCopyIsReportedNotCounted) {
    fs.BeforeOp = [&](SimOp op, const std::string& path) {
        if (op == SimOp::CopyFile && path == "C:\\Data\\f2.txt") fs.Remove(path);
    };
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(CheckDestination(), 7);
    ExpectFailures({"C:\\Data\\f2.txt"});
    // The old copy of the vanished file stays: a backup keeps what it has.
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\f2.txt"), "old 2");
    EXPECT_FALSE(messages.shown[0].text.empty());
}

TEST_F(Faults, AFolderDeletedDuringTheWalk) {
    // Sub goes away while the walk is still in its parent folder.
    fs.BeforeOp = [&](SimOp op, const std::string& path) {
        if (op == SimOp::CopyFile && path == "C:\\Data\\f0.txt") fs.Remove("C:\\Data\\Sub");
    };
    EXPECT_NE(run.RunCopy(rmCopy), RunOutcome::Aborted);
    EXPECT_FALSE(abort);
    const RunCounters& c = run.Counters();
    // Sub's files were never seen, or seen and failed: either way nothing is claimed copied.
    EXPECT_EQ(c.CopiedCount, 5);
    EXPECT_EQ(c.ExaminedCount - 1, c.CopiedCount + c.FailedCount);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(fs.Content("D:\\Backup\\Data\\f" + std::to_string(i) + ".txt"),
                                          newContent["D:\\Backup\\Data\\f" + std::to_string(i) + ".txt"]);
    // The older copies of Sub's files are kept untouched.
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Sub\\f6.txt"), "old 6");
    NoTemporaryFiles("D:\\");
    EXPECT_EQ(Stamped(), c.FailedCount == 0);
}

TEST_F(Faults, AFolderThatCannotBeListedIsNotAQuietSuccess) {
    fs.InjectFailure(SimOp::OpenFolder, "C:\\Data\\Sub\\", kErrAccessDenied);
    run.RunCopy(rmCopy);
    EXPECT_EQ(CheckDestination(), 5);
    EXPECT_EQ(run.Counters().CopiedCount, 5);
    // The three files of Sub were not backed up, so this copy is not a complete one.
    EXPECT_EQ(run.Counters().FailedCount, 1);
    EXPECT_NE(Report().find("C:\\Data\\Sub\\ - "), std::string::npos) << Report();
    EXPECT_FALSE(Stamped());
    SecondRunLevels();
}

TEST_F(Faults, TheDestinationGoesAwayDuringTheRun) {
    // The medium is pulled after the third copy: every later copy fails and says so.
    int copies = 0;
    fs.BeforeOp = [&](SimOp op, const std::string&) {
        if (op == SimOp::CopyFile && ++copies == 4) fs.EjectMedium('D');
    };
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(run.Counters().CopiedCount, 3);
    EXPECT_EQ(run.Counters().CopiedCount + run.Counters().FailedCount >= 8, true);
    EXPECT_FALSE(Stamped());
    ASSERT_EQ(messages.shown.size(), 1u);

    // The destination folder deleted half-way is made again and the run goes on.
    World world;
    int seen = 0;
    world.fs.BeforeOp = [&](SimOp op, const std::string&) {
        if (op == SimOp::CopyFile && ++seen == 3) world.fs.Remove("D:\\Backup");
    };
    EXPECT_EQ(world.run.RunCopy(rmCopy), RunOutcome::Completed);
    world.fs.BeforeOp = nullptr;
    world.NoTemporaryFiles("D:\\");
    // What was copied before the deletion is gone with it; the run does not claim it is there.
    const RunCounters& c = world.run.Counters();
    EXPECT_EQ(c.CopiedCount + c.FailedCount, 8);
    world.SecondRunLevels();
}

TEST_F(Faults, AReportThatCannotBeWrittenLeavesThePreviousReportWhole) {
    EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::Completed);
    const std::string before = fs.Content("C:\\Jobs\\Drev_C.txt");
    ASSERT_FALSE(before.empty());
    messages.shown.clear();
    // The new report is longer than the old one and finds no room.
    fs.AddFile("C:\\Data\\more.bak", "filtered too", kNew);
    fs.SetFreeSpace('C', 0);
    clock.time = "23:59:59";
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::ReportFailed);
    EXPECT_EQ(CheckDestination(), 8);
    EXPECT_EQ(fs.Content("C:\\Jobs\\Drev_C.txt"), before);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Fejl");
    EXPECT_NE(messages.shown[0].text.find("C:\\Jobs\\Drev_C.txt"), std::string::npos);
    EXPECT_NE(messages.shown[0].text.find(SimError(kErrDiskFull).text), std::string::npos);
    EXPECT_EQ(view.status, "Klar");
    EXPECT_FALSE(view.timer);
    EXPECT_FALSE(view.cursorBusy);

    // A job folder that has become a read-only medium: the same, with its own reason.
    fs.SetFreeSpace('C', 1ull << 30);
    fs.InjectFailure(SimOp::WriteFile, "C:\\Jobs\\", kErrAccessDenied);
    messages.shown.clear();
    EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::ReportFailed);
    EXPECT_EQ(fs.Content("C:\\Jobs\\Drev_C.txt"), before);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find(SimError(kErrAccessDenied).text), std::string::npos);
}

TEST_F(Faults, AReverseCopyThatRunsOutOfRoomNeverDamagesAnOriginal) {
    // Reverse runs write into the marked folders themselves: there a partial file would be a
    // damaged original.
    for (int k = 1; k <= 5; ++k) {
        SCOPED_TRACE("disk full from copy " + std::to_string(k));
        World w;
        w.job.SetReverse(true);
        std::map<std::string, std::string> original, restored;
        for (int i = 0; i < 8; i += 2) {
            const std::string rel = (i < 5 ? "Data\\f" : "Data\\Sub\\f") + std::to_string(i) + ".txt";
            const std::string backup = "backup " + std::to_string(i) + std::string(500, 'b');
            w.fs.AddFile("D:\\Backup\\" + rel, backup, kNew + 100000000ull);
            original["C:\\" + rel] = w.fs.Content("C:\\" + rel);
            restored["C:\\" + rel] = backup;
        }
        w.fs.InjectFailure(SimOp::CopyFile, "C:\\", kErrDiskFull, -1, k - 1);
        EXPECT_EQ(w.run.RunCopy(rmCopy), RunOutcome::Completed);
        int back = 0;
        for (const auto& [path, content] : original) {
            const std::string now = w.fs.Content(path);
            EXPECT_TRUE(now == content || now == restored[path]) << path;
            back += now == restored[path];
        }
        EXPECT_EQ(back, std::min(k - 1, 4));
        EXPECT_EQ(w.run.Counters().CopiedCount, back);
        EXPECT_EQ(w.run.Counters().FailedCount, 4 - back);
        w.NoTemporaryFiles("C:\\");
        EXPECT_EQ(w.Stamped(), back == 4);
    }
}
