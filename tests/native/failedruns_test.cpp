#include "core/FailedRuns.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/CmdLine.h"
#include "core/JobFile.h"
#include "core/JobSession.h"
#include "core/RunHistory.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"

using namespace tavrel;

namespace {

const char* kJob = "C:\\Jobs\\Nat.tvj";
const char* kLog = "C:\\Jobs\\Nat.log";
const char* kReport = "C:\\Jobs\\Nat.txt";

HistoryEntry Line(RunProgram program, RunEnd end, int64_t failed, int day, int hour = 22) {
    HistoryEntry e;
    e.when = LocalTime{2026, 12, day, hour, 0, 3};
    e.program = program;
    e.end = end;
    e.examined = 10;
    e.copied = 10 - failed;
    e.failed = failed;
    return e;
}
const auto Window = RunProgram::Tavrel;
const auto Console = RunProgram::Tavrelc;

// A job's history, the registry and the user's answers; a table test makes one per case.
struct TellRig {
    TellRig() {
        fs.AddDrive('C');
        fs.AddFolder("C:\\Jobs");
        store.Open();
    }
    void Write(const std::vector<HistoryEntry>& entries) {
        for (const HistoryEntry& e : entries) ASSERT_FALSE(AppendRunHistory(fs, kJob, e).has_value());
    }
    bool TellNow(const std::string& job = kJob) { return TellOfFailedRuns(FailedRunsDeps{fs, store, messages, shell}, job); }

    SimFileSystem fs;
    SimSettingsStore store;
    SimMessageBox messages;
    SimShell shell;
};

struct Tell : ::testing::Test, TellRig {};

}  // namespace

// Which histories call for the message, and what it says.
TEST_F(Tell, OnlyUnattendedRunsThatWentWrongAndWereNotShown) {
    struct Case {
        const char* what;
        std::vector<HistoryEntry> history;
        const char* text;  // nothing: no message
    } cases[] = {
        {"no history", {}, nullptr},
        {"window runs only", {Line(Window, RunEnd::Completed, 3, 7), Line(Window, RunEnd::Aborted, 0, 8)}, nullptr},
        {"an unattended run that went well", {Line(Console, RunEnd::Completed, 0, 8)}, nullptr},
        {"three files failed", {Line(Console, RunEnd::Completed, 3, 8)},
         "Den planlagte kopiering 08-12-2026 kl. 22:00 kunne ikke kopiere 3 filer."},
        {"stopped", {Line(Console, RunEnd::Stopped, 0, 8, 23)}, "Den planlagte kopiering 08-12-2026 kl. 23:00 blev stoppet."},
        {"could not run", {Line(Console, RunEnd::Failed, 0, 9, 3)}, "Den planlagte kopiering 09-12-2026 kl. 03:00 kunne ikke køre."},
        {"seen since in the window",
         {Line(Console, RunEnd::Completed, 3, 8), Line(Window, RunEnd::Completed, 0, 9, 8)}, nullptr},
        {"two failed nights, the newest named",
         {Line(Console, RunEnd::Completed, 1, 7), Line(Console, RunEnd::Aborted, 2, 8)},
         "Den planlagte kopiering 08-12-2026 kl. 22:00 blev afbrudt og kunne ikke kopiere 2 filer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TellRig t;
        t.Write(c.history);
        EXPECT_EQ(t.TellNow(), c.text != nullptr);
        ASSERT_EQ(t.messages.shown.size(), c.text ? 1u : 0u);
        if (!c.text) continue;
        const SimMessage& shown = t.messages.shown[0];
        EXPECT_TRUE(shown.text.starts_with(c.text)) << shown.text;
        EXPECT_NE(shown.text.find("Vil du se rapporten"), std::string::npos);
        EXPECT_EQ(shown.caption, "Planlagt kørsel");
        EXPECT_EQ(shown.buttons, MsgButtons::YesNo);
    }
}

// Once per failed run: the marker moves on, and a later failure is told of again.
TEST_F(Tell, EachFailedRunIsToldOnce) {
    Write({Line(Console, RunEnd::Completed, 3, 8)});
    messages.defaultAnswer = MsgResult::No;
    EXPECT_TRUE(TellNow());
    EXPECT_FALSE(TellNow());
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(shell.opened.empty());
    // The marker is the run's line, under the job's full path.
    ASSERT_TRUE(store.Value("Historik", kJob).has_value());
    EXPECT_TRUE(store.Value("Historik", kJob)->starts_with("08-12-2026 22:00:03; tavrelc"));

    Write({Line(Console, RunEnd::Completed, 0, 9), Line(Console, RunEnd::Failed, 0, 10)});
    EXPECT_TRUE(TellNow());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[1].text.starts_with("Den planlagte kopiering 10-12-2026 kl. 22:00 kunne ikke køre."));
    // The run told of before is not counted again.
    EXPECT_EQ(messages.shown[1].text.find("før den"), std::string::npos) << messages.shown[1].text;
    EXPECT_FALSE(TellNow());
}

// Ja opens the report of the run, or the history where the run wrote no report.
TEST_F(Tell, YesOpensTheReportOrElseTheHistory) {
    Write({Line(Console, RunEnd::Failed, 0, 8)});
    messages.Answer(MsgResult::Yes);
    EXPECT_TRUE(TellNow());
    EXPECT_EQ(shell.opened, (std::vector<std::string>{kLog}));

    fs.AddFile(kReport, "Tavrel - Ikke-kopierede filer\r\n");
    Write({Line(Console, RunEnd::Completed, 2, 9)});
    messages.Answer(MsgResult::Yes);
    EXPECT_TRUE(TellNow());
    EXPECT_EQ(shell.opened, (std::vector<std::string>{kLog, kReport}));
}

TEST_F(Tell, UntitledDamagedOrUnreadableHistoriesSayNothing) {
    EXPECT_FALSE(TellNow(""));
    fs.AddFile(kLog, std::string("\x00\xff\xfe garbage; tavrelc; fejl\r\n\x01", 30));
    EXPECT_FALSE(TellNow());
    fs.AddFile(kLog, FormatHistoryLine(Line(Console, RunEnd::Completed, 3, 8)) + "\r\n");
    fs.InjectFailure(SimOp::ReadFile, kLog, 32);
    EXPECT_FALSE(TellNow());
    EXPECT_TRUE(messages.shown.empty());
    // A registry that cannot be written still tells, but only as often as the runs go wrong.
    fs.ClearFailures();
    store.failWrites = true;
    EXPECT_TRUE(TellNow());
}

// A long history is read from its end, where the newest runs are.
TEST_F(Tell, ALongHistoryTellsOfItsNewestRun) {
    std::string text;
    const std::string line = FormatHistoryLine(Line(Window, RunEnd::Completed, 0, 1)) + "\r\n";
    while (text.size() < 20 * 1024 * 1024) text += line;
    text += FormatHistoryLine(Line(Console, RunEnd::Completed, 4, 8)) + "\r\n";
    fs.AddFile(kLog, text);
    EXPECT_TRUE(TellNow());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("kunne ikke kopiere 4 filer"), std::string::npos);
}

namespace {

// The window and the console over one disk and one registry: tavrelc runs the job at night,
// the window opens it in the morning.
class OpenView : public NullJobView {
public:
    std::optional<std::string> AskOpenJobFile(const std::string&) override { return chosen; }
    std::string chosen;
};

struct Morning : ::testing::Test {
    Morning() {
        for (char d : {'C', 'D'}) fs.AddDrive(d);
        store.Open();
        JobSettings job;
        job.destination = "D:\\Backup\\";
        fs.AddFile(kJob, JobFileBytes(job));
        fs.AddFile("C:\\Jobs\\Nat.tvl", JobListBytes({"C:\\Data\\"}));
        fs.AddFile("C:\\Data\\a.txt", "a");
        fs.AddFile("C:\\Data\\b.txt", "b");
        fs.AddFile("C:\\Andet.tvj", JobFileBytes(job));
        view.chosen = kJob;
    }
    // tavrelc JOB /R /J with a file that cannot be copied.
    void NightRun() {
        SimMessageBox answers;
        NullJobView none;
        JobSession night(JobSessionDeps{.fs = fs, .settings = app, .clock = clock, .messages = answers,
                                        .jobView = none, .programFolder = "C:\\Prog\\", .abort = &abort,
                                        .program = RunProgram::Tavrelc},
                         shellInfo);
        night.ReadDrives();
        ASSERT_TRUE(night.OpenJob(kJob));
        fs.InjectFailure(SimOp::CopyFile, "C:\\Data\\b.txt", 5, 1);
        ASSERT_EQ(night.Run().RunCopy(rmCopy), RunOutcome::Completed);
        ASSERT_EQ(night.Run().Counters().FailedCount, 1);
    }
    JobSession& Window() {
        window = std::make_unique<JobSession>(
            JobSessionDeps{.fs = fs, .settings = app, .clock = clock, .messages = messages, .jobView = view,
                           .programFolder = "C:\\Prog\\", .abort = &abort, .shell = &shell},
            shellInfo);
        window->ReadDrives();
        return *window;
    }

    SimFileSystem fs;
    SimSettingsStore store;
    AppSettings app{store};
    SimClock clock;
    SimShellInfo shellInfo;
    SimShell shell;
    SimMessageBox messages;
    OpenView view;
    std::atomic<bool> abort{false};
    std::unique_ptr<JobSession> window;
};

}  // namespace

TEST_F(Morning, EveryWayTheWindowOpensAJobTellsOfTheFailedNight) {
    struct Case {
        const char* what;
        std::function<void(JobSession&)> open;
    } cases[] = {
        {"start-up's last job",
         [](JobSession& s) {
             s.Job().SetJobFileName(kJob);
             s.Job().LoadIfPresent();
         }},
        {"Åbn", [](JobSession& s) { s.Job().Open(); }},
        {"a recent file", [](JobSession& s) { s.Job().OpenRecent(kJob); }},
        {"the command line",
         [this](JobSession& s) {
             RunCommandLine({kJob}, CommandLineDeps{fs, s.Job(), s.Marking(), messages, {}});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store.Set("Historik", kJob, "");
        messages.shown.clear();
        NightRun();
        JobSession& s = Window();
        s.Job().SetJobFileName("C:\\Andet.tvj");
        c.open(s);
        ASSERT_EQ(s.Job().JobFileName(), kJob);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_NE(messages.shown[0].text.find("kunne ikke kopiere 1 fil."), std::string::npos) << messages.shown[0].text;

        // The second start shows nothing.
        messages.shown.clear();
        JobSession& again = Window();
        again.Job().SetJobFileName("C:\\Andet.tvj");
        c.open(again);
        EXPECT_TRUE(messages.shown.empty());
    }
}

// The console opens jobs too, and tells nobody: its own run is not a thing to show.
TEST_F(Morning, TheConsoleShowsNothingAndMovesNoMarker) {
    NightRun();
    NightRun();
    EXPECT_FALSE(store.Value("Historik", kJob).has_value());
    // Two failed nights: the window names the newest and counts the other.
    Window().OpenJob(kJob);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("Den planlagte kørsel før den gik også galt."), std::string::npos)
        << messages.shown[0].text;
}

// A run in the window counts as seen: the user watched it end.
TEST_F(Morning, AWindowRunAfterTheNightCountsAsSeen) {
    NightRun();
    clock.local.hour = 23;
    {
        SimMessageBox answers;
        NullJobView none;
        JobSession day(JobSessionDeps{.fs = fs, .settings = app, .clock = clock, .messages = answers,
                                      .jobView = none, .programFolder = "C:\\Prog\\", .abort = &abort},
                       shellInfo);
        day.ReadDrives();
        ASSERT_TRUE(day.OpenJob(kJob));
        ASSERT_EQ(day.Run().RunCopy(rmCount), RunOutcome::Completed);
    }
    Window().OpenJob(kJob);
    EXPECT_TRUE(messages.shown.empty());
}
