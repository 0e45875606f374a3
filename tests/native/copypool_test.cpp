// Runs with several copies in flight against the same runs one file after the other: the
// destination, the report, the counts, the messages and the outcome must not tell them apart.
// An abort during such a run leaves no temporary file and no partial copy.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>
#include <tuple>

#include "core/CopyPool.h"
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

// The simulation with a drive that makes every copy wait, as a network drive does, outside
// the simulation's lock; it keeps the most copies that were under way at once.
class WaitingDisk : public SimFileSystem {
public:
    bool CopyFile(const std::string& source, const std::string& target, bool failIfExists, FsError* error,
                  const CopyHints* hints) override {
        const int now = ++inFlight;
        for (int most = mostInFlight; now > most && !mostInFlight.compare_exchange_weak(most, now);) {
        }
        if (wait.count()) std::this_thread::sleep_for(wait);
        const bool ok = SimFileSystem::CopyFile(source, target, failIfExists, error, hints);
        --inFlight;
        return ok;
    }
    std::chrono::milliseconds wait{0};
    std::atomic<int> inFlight{0}, mostInFlight{0};
};

// One job over its own simulated disks, run with the given number of copies in flight.
struct PoolWorld : RunRig<NullJobView, RecordingRunView, WaitingDisk> {
    explicit PoolWorld(int workers) : RunRig(workers) {
        fs.AddDrives("CDE");
        fs.AddFolder("C:\\Jobs");
        store.Open();
        clock.date = "09-12-2026";
        clock.time = "12:00:00";
        job.SetJobFileName("C:\\Jobs\\Drev_C.tvj");
        job.ChooseDestination("D:\\Backup\\");
        tree.marked = {"C:\\Data\\"};
    }

    // Every file and folder beneath the folder: path, content, time and attributes.
    using Snapshot = std::map<std::string, std::tuple<std::string, FileTime, uint32_t>>;
    Snapshot Take(const std::string& folder) const {
        Snapshot shot;
        Collect(folder, shot);
        return shot;
    }
    void Collect(const std::string& folder, Snapshot& shot) const {
        for (const std::string& name : fs.List(folder)) {
            const std::string path = folder + name;
            const DirEntry entry = *fs.Entry(path);
            if (entry.IsFolder()) {
                shot[path + "\\"] = {"", 0, entry.attributes};
                Collect(path + "\\", shot);
            } else {
                shot[path] = {fs.Content(path), entry.lastWrite, entry.attributes};
            }
        }
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> texts;
        for (const SimMessage& m : messages.shown) texts.push_back(m.text);
        return texts;
    }

};

// What a run left behind and told.
struct RunResult {
    RunOutcome outcome;
    RunCounters counters;
    PoolWorld::Snapshot destination, sources;
    std::string report;
    std::vector<std::string> shown;
};

RunResult RunWith(int workers, const std::function<void(PoolWorld&)>& build, RunMode mode = rmCopy) {
    PoolWorld world(workers);
    build(world);
    RunResult result;
    result.outcome = world.run.RunCopy(mode);
    result.counters = world.run.Counters();
    result.destination = world.Take("D:\\");
    result.sources = world.Take("C:\\");
    result.report = world.fs.Content("C:\\Jobs\\Drev_C.txt");
    result.shown = world.Shown();
    return result;
}

void Files(PoolWorld& w, const std::string& folder, int count, const std::string& stem, FileTime time = kNew) {
    for (int i = 0; i < count; ++i)
        w.fs.AddFile(folder + stem + std::to_string(i) + (i % 7 == 3 ? ".bak" : ".txt"),
                     stem + std::string(100 * (i % 5 + 1), static_cast<char>('a' + i % 26)), time);
}

struct Tree {
    const char* name;
    std::function<void(PoolWorld&)> build;
};

const std::vector<Tree>& Trees() {
    static const std::vector<Tree> trees = {
        {"many files in one folder", [](PoolWorld& w) { Files(w, "C:\\Data\\", 60, "f"); }},
        {"nested folders, empty ones among them",
         [](PoolWorld& w) {
             Files(w, "C:\\Data\\", 5, "top");
             for (int a = 0; a < 4; ++a) {
                 Files(w, "C:\\Data\\A" + std::to_string(a) + "\\", 9, "mid");
                 for (int b = 0; b < 3; ++b) Files(w, "C:\\Data\\A" + std::to_string(a) + "\\B" + std::to_string(b) + "\\", 4, "leaf");
             }
             w.fs.AddFolder("C:\\Data\\Empty\\Deeper");
         }},
        {"new and changed against older, equal and newer copies",
         [](PoolWorld& w) {
             Files(w, "C:\\Data\\", 30, "f");
             Files(w, "C:\\Data\\Sub\\", 12, "s");
             for (int i = 0; i < 30; i += 3) w.fs.AddFile("D:\\Backup\\Data\\f" + std::to_string(i) + ".txt", "old", kOld);
             for (int i = 1; i < 30; i += 3) w.fs.AddFile("D:\\Backup\\Data\\f" + std::to_string(i) + ".txt", "same", kNew);
             w.fs.AddFile("D:\\Backup\\Data\\Sub\\s2.txt", "newer", kNew + 100000000);
         }},
        {"every copy replaced, read-only and hidden ones among them",
         [](PoolWorld& w) {
             w.job.SetFlag(&JobSettings::onlyNewAndChanged, false);
             Files(w, "C:\\Data\\", 20, "f");
             for (int i = 0; i < 20; i += 2)
                 w.fs.AddFile("D:\\Backup\\Data\\f" + std::to_string(i) + ".txt", "old", kOld,
                              i % 4 ? kAttrReadOnly : kAttrHidden | kAttrArchive);
         }},
        {"copies, renames and a folder that fail, in several folders",
         [](PoolWorld& w) {
             Files(w, "C:\\Data\\", 25, "f");
             Files(w, "C:\\Data\\Sub\\", 25, "s");
             Files(w, "C:\\Data\\Sub\\Locked\\", 3, "l");
             Files(w, "C:\\Data\\Z\\", 8, "z");
             for (const char* path : {"C:\\Data\\f2.txt", "C:\\Data\\f16.txt", "C:\\Data\\Sub\\s0.txt",
                                      "C:\\Data\\Sub\\s23.txt", "C:\\Data\\Z\\z7.txt"})
                 w.fs.InjectFailure(SimOp::CopyFile, path, kErrSharingViolation);
             w.fs.InjectFailure(SimOp::MoveReplace, "D:\\Backup\\Data\\f9.txt", kErrAccessDenied);
             w.fs.InjectFailure(SimOp::MoveReplace, "D:\\Backup\\Data\\Z\\z1.txt", kErrDiskFull);
             w.fs.InjectFailure(SimOp::CreateFolder, "D:\\Backup\\Data\\Sub\\Locked", kErrAccessDenied);
         }},
        {"the destination emptied first, a read-only file refusing",
         [](PoolWorld& w) {
             w.job.SetFlag(&JobSettings::deleteDestFirst, true);
             Files(w, "C:\\Data\\", 15, "f");
             w.fs.AddFile("D:\\Backup\\Data\\f4.txt", "old", kOld, kAttrReadOnly);
             w.fs.AddFile("D:\\Backup\\Gone\\x.txt", "x", kOld);
             w.fs.AddFile("D:\\Backup\\stuck.txt", "s", kOld, kAttrReadOnly);
         }},
        {"two marked folders of two drives meet in one destination folder",
         [](PoolWorld& w) {
             w.tree.marked = {"C:\\Data\\", "E:\\Data\\"};
             Files(w, "C:\\Data\\", 20, "f");
             Files(w, "E:\\Data\\", 20, "f", kNew + 50000000);
             Files(w, "E:\\Data\\", 10, "e");
         }},
        {"leftovers of a run cut short",
         [](PoolWorld& w) {
             Files(w, "C:\\Data\\", 20, "f");
             w.fs.AddFile("D:\\Backup\\Data\\" + TempNameFor("f5.txt"), "half", kOld);
             w.fs.AddFile("D:\\Backup\\Data\\" + TempNameFor("gone.txt"), "half", kOld);
         }},
    };
    return trees;
}

}  // namespace

TEST(CopyPool, EveryTreeComesOutAsOneFileAfterTheOther) {
    for (const Tree& tree : Trees()) {
        for (int workers : {kAdaptiveCopyWorkers, 2, 4, 16}) {
            SCOPED_TRACE(std::string(tree.name) + ", " + std::to_string(workers) + " workers");
            const RunResult one = RunWith(1, tree.build);
            const RunResult many = RunWith(workers, tree.build);
            EXPECT_EQ(many.outcome, one.outcome);
            EXPECT_EQ(many.counters.ExaminedCount, one.counters.ExaminedCount);
            EXPECT_EQ(many.counters.ExaminedSize, one.counters.ExaminedSize);
            EXPECT_EQ(many.counters.CopiedCount, one.counters.CopiedCount);
            EXPECT_EQ(many.counters.CopiedSize, one.counters.CopiedSize);
            EXPECT_EQ(many.counters.FailedCount, one.counters.FailedCount);
            EXPECT_EQ(many.destination, one.destination);
            EXPECT_EQ(many.sources, one.sources);
            EXPECT_EQ(many.report, one.report);
            EXPECT_EQ(many.shown, one.shown);
            // The trees are made to copy something; a run that copied nothing would prove nothing.
            EXPECT_GT(one.counters.CopiedCount, 0);
        }
    }
}

TEST(CopyPool, FailuresAreReportedInWalkOrder) {
    const RunResult many = RunWith(4, Trees()[4].build);
    const std::string report = DecodeTextFile(many.report);
    const std::vector<std::string> failing = {
        "C:\\Data\\f2.txt - ",       "C:\\Data\\f9.txt - ",   "C:\\Data\\f16.txt - ", "C:\\Data\\Sub\\s0.txt - ",
        "C:\\Data\\Sub\\s23.txt - ", "C:\\Data\\Z\\z1.txt - ", "C:\\Data\\Z\\z7.txt - ",
    };
    // The folder that cannot be made fails, and then each file that would go into it.
    const std::string head = "Fejl: 11\r\n";
    const size_t at = report.find(head);
    ASSERT_NE(at, std::string::npos) << report;
    std::vector<std::string> found;
    for (size_t line = at + head.size(); line < report.size();) {
        const size_t end = report.find("\r\n", line);
        if (end == std::string::npos) break;
        const size_t dash = report.find(" - ", line);
        if (dash < end) found.push_back(report.substr(line, dash + 3 - line));
        line = end + 2;
    }
    // The walk's own order of the folder: the simulation lists names as NTFS sorts them.
    PoolWorld probe(1);
    Trees()[4].build(probe);
    std::vector<std::string> expected;
    std::function<void(const std::string&, bool)> walk = [&](const std::string& folder, bool locked) {
        for (const std::string& name : probe.fs.List(folder)) {
            const std::string path = folder + name;
            if (probe.fs.Entry(path)->IsFolder()) {
                if (name == "Locked") expected.push_back("D:\\Backup\\Data\\Sub\\Locked\\ - ");
                walk(path + "\\", name == "Locked");
                continue;
            }
            for (const std::string& failed : failing)
                if (failed == path + " - " || (locked && failed == failing[0])) expected.push_back(path + " - ");
        }
    };
    walk("C:\\Data\\", false);
    EXPECT_EQ(found, expected) << report;
    EXPECT_EQ(many.counters.FailedCount, 11);
}

TEST(CopyPool, AnAbortLeavesNoTemporaryFileAndNoPartialCopy) {
    // Aborted from the window at different moments, and from inside a copy under way.
    struct Case {
        const char* name;
        int abortAtPump;   // 0: not from the window
        int abortAtCopy;   // 0: not from a copy
    };
    const Case cases[] = {
        {"at the first entry", 1, 0}, {"after a few entries", 6, 0}, {"deep in the walk", 40, 0},
        {"while the third copy begins", 0, 3}, {"while the 30th copy begins", 0, 30},
    };
    for (const Case& c : cases) {
        for (int workers : {1, kAdaptiveCopyWorkers, 4}) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(workers) + " workers");
            PoolWorld w(workers);
            w.job.SetFlag(&JobSettings::onlyNewAndChanged, false);
            Files(w, "C:\\Data\\", 40, "f");
            Files(w, "C:\\Data\\Sub\\", 40, "s");
            for (int i = 0; i < 40; i += 2) w.fs.AddFile("D:\\Backup\\Data\\f" + std::to_string(i) + ".txt", "old", kOld);
            if (c.abortAtPump)
                w.view.onPump = [&](int n) {
                    if (n == c.abortAtPump) w.abort = true;
                };
            std::atomic<int> copies{0};
            if (c.abortAtCopy)
                w.fs.BeforeOp = [&](SimOp op, const std::string&) {
                    if (op == SimOp::CopyFile && ++copies == c.abortAtCopy) w.abort = true;
                };
            EXPECT_EQ(w.run.RunCopy(rmCopy), RunOutcome::Aborted);
            w.fs.BeforeOp = nullptr;
            // Every destination file is its old copy or the whole new one.
            int fresh = 0;
            for (const auto& [path, item] : w.Take("D:\\")) {
                const std::string name = path.substr(path.find_last_of('\\') + 1);
                EXPECT_FALSE(IsTempName(name)) << path;
                if (path.back() == '\\') continue;
                const std::string source = "C:\\" + path.substr(10);
                if (std::get<0>(item) == "old") {
                    EXPECT_EQ(std::get<1>(item), kOld) << path;
                    continue;
                }
                EXPECT_EQ(std::get<0>(item), w.fs.Content(source)) << path;
                EXPECT_EQ(std::get<1>(item), kNew) << path;
                ++fresh;
            }
            EXPECT_EQ(w.run.Counters().CopiedCount, fresh);
            EXPECT_LT(fresh, 80);
            EXPECT_EQ(w.run.Counters().FailedCount, 0);
        }
    }
}

TEST(CopyPool, ALargeFileStopsAtAnAbortAndKeepsTheOldCopy) {
    for (int workers : {1, 4}) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        PoolWorld w(workers);
        w.job.SetFlag(&JobSettings::onlyNewAndChanged, false);
        w.fs.AddBigFile("C:\\Data\\film.mkv", 3ull << 30, kNew);
        w.fs.AddFile("D:\\Backup\\Data\\film.mkv", "old film", kOld);
        // The user presses Afbryd as the large copy begins (the copy under way learns of it at
        // its next chunk).
        w.fs.BeforeOp = [&](SimOp op, const std::string& path) {
            if (op == SimOp::CopyFile && path == "C:\\Data\\film.mkv") w.abort = true;
        };
        EXPECT_EQ(w.run.RunCopy(rmCopy), RunOutcome::Aborted);
        EXPECT_EQ(w.fs.Content("D:\\Backup\\Data\\film.mkv"), "old film");
        EXPECT_EQ(w.fs.Entry("D:\\Backup\\Data\\film.mkv")->lastWrite, kOld);
        EXPECT_EQ(w.fs.List("D:\\Backup\\Data\\"), (std::vector<std::string>{"film.mkv"}));
        // Stopped by the user, the copy is no failure, and its bytes leave the copied size.
        EXPECT_EQ(w.run.Counters().CopiedCount, 0);
        EXPECT_EQ(w.run.Counters().CopiedSize, 0);
        EXPECT_EQ(w.run.Counters().FailedCount, 0);
        EXPECT_TRUE(w.Shown().empty());
    }
}

TEST(CopyPool, TheWorkersSettingTakesOnlyANumberFromOneToSixteen) {
    const std::pair<const char*, int> cases[] = {
        {nullptr, kDefaultCopyWorkers}, {"", kDefaultCopyWorkers}, {"1", 1}, {"3", 3}, {"16", 16},
        {"0", kDefaultCopyWorkers}, {"17", kDefaultCopyWorkers}, {"-2", kDefaultCopyWorkers},
        {"4x", kDefaultCopyWorkers}, {"fire", kDefaultCopyWorkers},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text ? text : "(not set)");
        EXPECT_EQ(CopyWorkersFrom(text), expected);
    }
}

TEST(CopyPool, ThePaceKeepsWhatCopiesMoreFilesASecondAndTriesAgainLater) {
    using Clock = CopyPace::Clock;
    using ms = std::chrono::milliseconds;
    // A drive on which a copy costs `one` alone and `most` (each, seen from the run) with
    // every worker busy.
    struct Case {
        const char* name;
        ms one, most;
        int settled;  // the limit after the trials
    };
    const Case cases[] = {
        {"a local disk: one at a time wins", ms(1), ms(2), 1},
        {"a network drive: several in flight win", ms(48), ms(23), kMostAdaptiveWorkers},
        {"a drive where it makes no difference keeps one", ms(5), ms(5), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CopyPace pace(kAdaptiveCopyWorkers);
        EXPECT_EQ(pace.Threads(), kMostAdaptiveWorkers);
        Clock::time_point now{};
        std::vector<int> limits;
        auto copy = [&] {
            now += pace.Limit() == 1 ? c.one : c.most;
            pace.Finished(now);
            limits.push_back(pace.Limit());
        };
        for (int i = 0; i < 1 + CopyPace::kTrialCopies; ++i) copy();
        EXPECT_EQ(limits.front(), 1);
        EXPECT_EQ(pace.Limit(), kMostAdaptiveWorkers) << "trying every worker";
        for (int i = 0; i < 1 + CopyPace::kTrialCopies; ++i) copy();
        EXPECT_EQ(pace.Limit(), c.settled);
        // Settled for a while, then both are tried again.
        int changes = 0;
        for (int i = 0; i < CopyPace::kSettledCopies + 8; ++i) {
            const int before = pace.Limit();
            copy();
            changes += pace.Limit() != before;
        }
        EXPECT_EQ(changes, c.settled == 1 ? 0 : 1);
        EXPECT_EQ(pace.Limit(), 1) << "the next round of trials begins alone";
    }
    // A fixed number never changes.
    CopyPace fixed(3);
    EXPECT_EQ(fixed.Threads(), 3);
    for (int i = 0; i < 100; ++i) fixed.Finished(Clock::time_point{} + std::chrono::seconds(i));
    EXPECT_EQ(fixed.Limit(), 3);
}

TEST(CopyPool, LeftToItselfThePoolKeepsSeveralCopiesInFlightOnADriveWhereCopiesWait) {
    PoolWorld w(kAdaptiveCopyWorkers);
    Files(w, "C:\\Data\\", 140, "f");
    w.fs.wait = std::chrono::milliseconds(20);
    EXPECT_EQ(w.run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(w.run.Counters().CopiedCount, 120);  // twenty of them are .bak
    EXPECT_EQ(w.fs.mostInFlight, kMostAdaptiveWorkers);
}
