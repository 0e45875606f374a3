// Every run of a saved job leaves one line in its history, however it ends; a history that
// cannot be written is told with the run's result and changes nothing else.
#include "core/CopyRun.h"

#include <gtest/gtest.h>

#include "core/JobFile.h"
#include "base/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

const FileTime kT0 = SimFileSystem::MakeFileTime(2024, 5, 1, 10, 0, 0);
const char* kJob = "C:\\Jobs\\Drev_C.tvj";
const char* kLog = "C:\\Jobs\\Drev_C.log";

// One job and its run; a table test makes one per case.
struct Rig : RunRig<> {
    Rig() {
        for (char d : {'C', 'D'}) fs.AddDrive(d);
        fs.AddFolder("C:\\Jobs");
        store.Open();
        clock.local = LocalTime{2026, 12, 9, 22, 0, 3};
        job.SetJobFileName(kJob);
        job.ChooseDestination("D:\\Backup\\");
        tree.marked = {"C:\\Data\\"};
        fs.AddFile("C:\\Data\\a.txt", "a", kT0);
        fs.AddFile("C:\\Data\\b.txt", "b", kT0);
    }
    std::vector<std::string> Lines() { return SplitLines(DecodeTextFile(fs.Content(kLog))); }
    HistoryEntry LastEntry() {
        auto lines = Lines();
        EXPECT_FALSE(lines.empty());
        auto entry = lines.empty() ? std::nullopt : ParseHistoryLine(lines.back());
        EXPECT_TRUE(entry.has_value()) << (lines.empty() ? "" : lines.back());
        return entry.value_or(HistoryEntry{});
    }

    CopyRun consoleRun{CopyRunDeps{job, app, fs, clock, messages, nullptr, nullptr, abort, RunProgram::Tavrelc}};
};

struct History : ::testing::Test, Rig {};

}  // namespace

TEST_F(History, ACopyRunAppendsItsLine) {
    clock.autoAdvance = 0;
    view.onPump = [&](int) { clock.Advance(20000); };
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with(
        "09-12-2026 22:00:03; tavrel; kopiering; afsluttet; gennemset 2; kopieret 2; fejl 0; tid 0:0"))
        << lines[0];
    EXPECT_EQ(LastEntry().failed, 0);
    EXPECT_GE(LastEntry().seconds, 20);
    EXPECT_TRUE(run.HistoryFailure().empty());
    EXPECT_EQ(view.status, "Klar");

    // The next run's line follows it; the first stays as it was.
    clock.local.minute = 30;
    EXPECT_EQ(consoleRun.RunCopy(rmCount), RunOutcome::Completed);
    const auto after = Lines();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], lines[0]);
    EXPECT_TRUE(after[1].starts_with(
        "09-12-2026 22:30:03; tavrelc; optælling; afsluttet; gennemset 2; vil blive kopieret 0; fejl 0; tid "))
        << after[1];
}

// How each kind of ending stands in the history.
TEST_F(History, EveryEndingIsRecorded) {
    struct Case {
        const char* what;
        RunMode mode;
        std::function<void(Rig&)> arrange;
        RunOutcome outcome;
        RunEnd end;
        int64_t examined, copied, failed;
        const char* noteStart;
    } cases[] = {
        {"completed", rmCopy, [](Rig&) {}, RunOutcome::Completed, RunEnd::Completed, 2, 2, 0, ""},
        {"a file failed", rmCopy,
         [](Rig& t) { t.fs.InjectFailure(SimOp::CopyFile, "C:\\Data\\b.txt", 5); },
         RunOutcome::Completed, RunEnd::Completed, 2, 1, 1, ""},
        {"a count", rmCount, [](Rig&) {}, RunOutcome::Completed, RunEnd::Completed, 2, 2, 0, ""},
        {"aborted", rmCopy, [](Rig& t) { t.view.onPump = [&t](int) { t.abort = true; }; },
         RunOutcome::Aborted, RunEnd::Aborted, 0, 0, 0, ""},
        {"reverse declined", rmCopy,
         [](Rig& t) {
             t.job.SetReverse(true);
             t.messages.Answer(MsgResult::No);
         },
         RunOutcome::Declined, RunEnd::Stopped, 0, 0, 0, "Kopieringen den modsatte vej blev ikke bekræftet."},
        {"emptying cancelled", rmCopy,
         [](Rig& t) {
             t.job.SetFlag(&JobSettings::deleteDestFirst, true);
             t.messages.Answer(MsgResult::Cancel);
         },
         RunOutcome::Declined, RunEnd::Stopped, 0, 0, 0, "Spørgsmålet om at slette destinationsmappen"},
        {"no destination", rmCopy,
         [](Rig& t) {
             t.fs.AddFile(kJob, JobFileBytes(JobSettings{}));
             t.fs.AddFile("C:\\Jobs\\Drev_C.tvl", JobListBytes({"C:\\Data\\"}));
             ASSERT_TRUE(t.job.LoadJob(kJob));
             ASSERT_EQ(t.job.Settings().destination, "");
         },
         RunOutcome::Refused,
         RunEnd::Stopped, 0, 0, 0, "Der er ikke valgt nogen destinationsmappe."},
        {"report not written", rmCopy,
         [](Rig& t) { t.fs.InjectFailure(SimOp::WriteFile, "C:\\Jobs\\Drev_C.txt", 5); },
         RunOutcome::ReportFailed, RunEnd::Failed, 2, 2, 0, "Rapporten over udeladte filer kunne ikke gemmes:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig t;
        c.arrange(t);
        EXPECT_EQ(t.run.RunCopy(c.mode), c.outcome);
        ASSERT_EQ(t.Lines().size(), 1u);
        const HistoryEntry entry = t.LastEntry();
        EXPECT_EQ(entry.program, RunProgram::Tavrel);
        EXPECT_EQ(entry.kind, c.mode == rmCount ? RunKind::Count : RunKind::Copy);
        EXPECT_EQ(entry.end, c.end);
        EXPECT_EQ(entry.when, (LocalTime{2026, 12, 9, 22, 0, 3}));
        EXPECT_EQ(entry.examined, c.examined);
        EXPECT_EQ(entry.copied, c.copied);
        EXPECT_EQ(entry.failed, c.failed);
        EXPECT_TRUE(entry.note.starts_with(c.noteStart)) << entry.note;
        if (!*c.noteStart) EXPECT_EQ(entry.note, "");
    }
}

TEST_F(History, AnUntitledJobHasNoHistory) {
    job.SetJobFileName("");
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_FALSE(fs.Exists(kLog));
    EXPECT_TRUE(run.HistoryFailure().empty());
    EXPECT_EQ(view.status, "Klar");
}

// The run does its work and keeps its outcome; the user reads why the history is missing a
// line in the status bar, and in the notice when there is one.
TEST_F(History, AHistoryThatCannotBeWrittenIsToldAndStopsNothing) {
    fs.InjectFailure(SimOp::WriteFile, kLog, 5);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "a");
    EXPECT_TRUE(store.Value("Filer", "Drev_C.tvj").has_value());  // the completed copy is stamped
    EXPECT_TRUE(run.HistoryFailure().starts_with("Kørselshistorikken C:\\Jobs\\Drev_C.log kunne ikke skrives"))
        << run.HistoryFailure();
    EXPECT_EQ(view.status, run.HistoryFailure());
    EXPECT_TRUE(messages.shown.empty());

    // With failures the notice carries the line too.
    fs.InjectFailure(SimOp::CopyFile, "C:\\Data\\b.txt", 5);
    fs.SetLastWrite("C:\\Data\\b.txt", kT0 + 100000000);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("kunne ikke kopieres"), std::string::npos);
    EXPECT_NE(messages.shown[0].text.find("\n\nKørselshistorikken C:\\Jobs\\Drev_C.log kunne ikke skrives"),
              std::string::npos)
        << messages.shown[0].text;
    EXPECT_EQ(view.status, "Klar");

    // A run stopped by a question says so in the status bar.
    job.SetReverse(true);
    messages.Answer(MsgResult::No);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Declined);
    EXPECT_EQ(view.status, run.HistoryFailure());
    EXPECT_FALSE(run.HistoryFailure().empty());

    // A job folder that takes no file at all: one notice names the report and the history.
    fs.ClearFailures();
    fs.InjectFailure(SimOp::WriteFile, "C:\\Jobs\\", 5);
    messages.shown.clear();
    EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::ReportFailed);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("C:\\Jobs\\Drev_C.txt"), std::string::npos);
    EXPECT_NE(messages.shown[0].text.find("Kørselshistorikken C:\\Jobs\\Drev_C.log"), std::string::npos);
    EXPECT_EQ(view.status, "Klar");

    // Once it can be written again, the next run writes its line and the status is Klar.
    fs.ClearFailures();
    EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::Completed);
    EXPECT_TRUE(run.HistoryFailure().empty());
    EXPECT_EQ(view.status, "Klar");
    EXPECT_EQ(Lines().size(), 1u);
}

// A file of that name that is not a history (another program's, or damaged beyond reading) is
// left as it is, and the run goes on; a huge history is cut to its last lines.
TEST_F(History, DamagedOrHugeHistoryNeverStopsARun) {
    const std::string binary = std::string("\x00\x01\x02PK\x03\x04", 9) + std::string(5000, '\xff');
    fs.AddFile(kLog, binary);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\b.txt"), "b");
    EXPECT_EQ(fs.Content(kLog), binary);
    EXPECT_NE(run.HistoryFailure().find("ikke en kørselshistorik"), std::string::npos) << run.HistoryFailure();

    HistoryEntry old;
    old.when = LocalTime{2025, 1, 1, 12, 0, 0};
    const std::string line = FormatHistoryLine(old) + "\r\n";
    std::string huge;
    while (huge.size() < 8 * 1024 * 1024) huge += line;
    fs.AddFile(kLog, huge);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_TRUE(run.HistoryFailure().empty()) << run.HistoryFailure();
    const auto lines = Lines();
    EXPECT_EQ(lines.size(), kHistoryMaxLines);
    EXPECT_EQ(lines.back().substr(0, 19), "09-12-2026 22:00:03");
}

// A tavrelc run whose job did not load writes its line beside the job file it was given, even
// though the job lost its name in the failed load.
TEST_F(History, AJobThatDidNotLoadIsAFailedRun) {
    job.SetJobFileName("");
    consoleRun.RecordNotRun(kJob, rmCopy, "Kopieringen er ikke startet, fordi jobbet ikke kunne indlæses uden fejl.");
    EXPECT_TRUE(consoleRun.HistoryFailure().empty());
    const HistoryEntry entry = LastEntry();
    EXPECT_EQ(entry.program, RunProgram::Tavrelc);
    EXPECT_EQ(entry.end, RunEnd::Failed);
    EXPECT_EQ(entry.examined + entry.copied + entry.failed, 0);
    EXPECT_EQ(entry.note, "Kopieringen er ikke startet, fordi jobbet ikke kunne indlæses uden fejl.");
    EXPECT_TRUE(WentWrong(entry));
}
