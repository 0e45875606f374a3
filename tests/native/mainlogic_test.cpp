#include "core/MainLogic.h"

#include <gtest/gtest.h>

#include "core/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;
using tavrel::test::FakeJobTree;
using tavrel::test::RecordingRunView;

namespace {

const char* kJob =
    "FilVer=2\r\nBeskiv=Demo\r\nDest=D:\\Backup\\\r\nSletDest=0\r\nUndermapper=1\r\nKunNye=1\r\n"
    "KunFiltyper=0\r\nFilTyper=.BAK,.TMP\r\nModsat=0\r\n";

class CaptionView : public NullJobView {
public:
    void SetCaption(const std::string& c) override { caption = c; }
    std::string caption;
};

struct Main : ::testing::Test {
    Main() {
        for (char d : {'C', 'D'}) fs.AddDrive(d);
        fs.AddFile("C:\\Jobs\\Demo.tvj", kJob);
        fs.AddFile("C:\\Jobs\\Demo.tvl", "C:\\Data\\\r\n");
        fs.AddFile("C:\\Data\\a.txt", "aaaa");
        fs.AddFile("C:\\Data\\b.bak", "b");
        store.Open();
        clock.date = "08-12-2026";
        clock.time = "21:50:03";
    }

    std::vector<std::string> Run(std::vector<std::string> parameters) {
        std::vector<std::string> runs;
        CommandLineDeps deps{fs, job, tree, messages, [&](RunMode mode) {
                                 runs.push_back(mode == rmCopy ? "copy" : "count");
                                 run.RunCopy(mode);
                             }};
        RunCommandLine(parameters, deps);
        return runs;
    }

    SimFileSystem fs;
    SimSettingsStore store;
    AppSettings app{store};
    SimMessageBox messages;
    SimClock clock;
    CaptionView jobView;
    FakeJobTree tree;
    JobController job{JobControllerDeps{fs, app, messages, jobView, tree, nullptr, "C:\\Prog\\"}};
    RecordingRunView view;
    std::atomic<bool> abort{false};
    CopyRun run{CopyRunDeps{job, app, fs, clock, messages, view, abort}};
};

}  // namespace

TEST_F(Main, CommandLineErrorsAreShownAsRunErrorsAndRunNothing) {
    // The job opened at start stays in the window when the given file is missing.
    tree.marked = {"C:\\Start\\"};
    EXPECT_TRUE(Run({}).empty());
    EXPECT_TRUE(messages.shown.empty());

    EXPECT_TRUE(Run({"C:\\Jobs\\Mangler.tvj", "/R", "x"}).empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Den angivne fil \"C:\\Jobs\\Mangler.tvj\" findes ikke.");
    EXPECT_EQ(messages.shown[0].caption, "Fejl under kørsel");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Error);
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Mangler.tvj");
    EXPECT_EQ(tree.marked, (std::vector<std::string>{"C:\\Start\\"}));

    // A path with blanks given without quotes: the first piece names the job, which loads.
    messages.shown.clear();
    EXPECT_TRUE(Run({"C:\\Jobs\\Demo.tvj", "Kopi", "/R"}).empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Kommandolinien indeholder 3 parametre. Den skal indeholde 2: Fil efterfulgt af kommando. "
              "Bemærk, at hvis filsti og -navn indeholder mellemrum, skal det sættes i citationstegn.");
    EXPECT_EQ(tree.marked, (std::vector<std::string>{"C:\\Data\\"}));
    EXPECT_EQ(jobView.caption, "Ambrex Tavrel 2 - Demo");

    messages.shown.clear();
    EXPECT_TRUE(Run({"C:\\Jobs\\Demo.tvj", "/x"}).empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Den angivne kommando \"/X\" er ikke gyldig.");
    EXPECT_EQ(messages.shown[0].caption, "Fejl under kørsel");
    EXPECT_FALSE(fs.Exists("C:\\Jobs\\Demo.txt"));
}

TEST_F(Main, OneParameterOpensTheJobWithExactlyItsOwnMarks) {
    tree.marked = {"C:\\Start\\", "C:\\Other\\"};
    EXPECT_TRUE(Run({"C:\\Jobs\\Demo.tvj"}).empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(tree.marked, (std::vector<std::string>{"C:\\Data\\"}));
    EXPECT_EQ(job.Settings().destination, "D:\\Backup\\");
    EXPECT_FALSE(job.Modified());
    EXPECT_FALSE(fs.Exists("D:\\Backup"));
}

TEST_F(Main, CountCommandWritesTheReportAndCopiesNothing) {
    EXPECT_EQ(Run({"C:\\Jobs\\Demo.tvj", "/t"}), (std::vector<std::string>{"count"}));
    EXPECT_FALSE(fs.Exists("D:\\Backup"));
    EXPECT_EQ(run.FinalCaption(), "Optælling er afsluttet");
    EXPECT_EQ(view.counts, (std::vector<std::string>{"2 filer", "0,0 KB", "1 filer", "0,0 KB"}));
    EXPECT_NE(DecodeTextFile(fs.Content("C:\\Jobs\\Demo.txt")).find("C:\\Data\\b.bak"), std::string::npos);
    EXPECT_FALSE(store.Value("Filer", "Demo.tvj"));
}

TEST_F(Main, CopyCommandCopiesAndRecordsTheStamp) {
    EXPECT_EQ(Run({"C:\\Jobs\\Demo.tvj", "/r"}), (std::vector<std::string>{"copy"}));
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "aaaa");
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\b.bak"));
    EXPECT_EQ(run.FinalCaption(), "Kopiering er afsluttet");
    EXPECT_EQ(store.Value("Filer", "Demo.tvj"), "08-12-2026 21:50");
    EXPECT_TRUE(messages.shown.empty());
}

TEST(RunGuard, RunsNeverNestAndACloseDuringARunWaitsForItsEnd) {
    RunGuard guard;
    std::atomic<bool> abort{false};
    int runs = 0, nested = 0;
    RunGuard::CloseAction during = RunGuard::CloseAction::Close;
    guard.Enter();  // cmdStartClick
    EXPECT_TRUE(guard.Run([&] {
        ++runs;
        // A second Start from the message processing of the first run does nothing.
        EXPECT_FALSE(guard.Run([&] { ++nested; }));
        during = guard.RequestClose(abort);
        EXPECT_TRUE(abort);
        EXPECT_TRUE(guard.Running());
    }));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(during, RunGuard::CloseAction::Defer);
    EXPECT_FALSE(guard.Running());
    EXPECT_TRUE(guard.Leave());

    // The posted close now goes through; a second request while it asks its question is ignored,
    // and so is a run started from that question's message processing.
    EXPECT_EQ(guard.RequestClose(abort), RunGuard::CloseAction::Close);
    EXPECT_FALSE(guard.ClosePending());
    EXPECT_EQ(guard.RequestClose(abort), RunGuard::CloseAction::Ignore);
    EXPECT_FALSE(guard.Run([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
}

TEST(RunGuard, ACloseDuringADialogWaitsWithoutAborting) {
    RunGuard guard;
    std::atomic<bool> abort{false};
    guard.Enter();  // cmdDestClick
    guard.Enter();  // a message box inside it
    EXPECT_EQ(guard.RequestClose(abort), RunGuard::CloseAction::Defer);
    EXPECT_FALSE(abort);
    EXPECT_FALSE(guard.Leave());
    EXPECT_TRUE(guard.Leave());
    EXPECT_EQ(guard.RequestClose(abort), RunGuard::CloseAction::Close);

    RunGuard idle;
    idle.Enter();
    EXPECT_FALSE(idle.Leave());
    EXPECT_EQ(idle.RequestClose(abort), RunGuard::CloseAction::Close);
}

TEST(RunGuard, AnExceptionInsideARunLeavesTheGuardFree) {
    RunGuard guard;
    EXPECT_THROW(guard.Run([] { throw std::runtime_error("x"); }), std::runtime_error);
    EXPECT_FALSE(guard.Running());
}

TEST_F(Main, ClosingAnsweredNoWritesTheSettingsButNotTheJob) {
    job.SetJobFileName("C:\\Jobs\\Demo.tvj");
    tree.ClearAllMarks();
    job.LoadJob("C:\\Jobs\\Demo.tvj");
    job.SetDescription("Ændret");
    messages.Answer(MsgResult::No);
    FormCloseQuery(job, app, WindowPlacement{10, 20, 300, 400}, true);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Ønsker du at gemme det aktuelle job?");
    EXPECT_EQ(messages.shown[0].caption, "Gem job");
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(fs.Content("C:\\Jobs\\Demo.tvj"), kJob);
    EXPECT_EQ(store.Value("Start", "Top"), "10");
    EXPECT_EQ(store.Value("Start", "Venstre"), "20");
    EXPECT_EQ(store.Value("Start", "Højde"), "300");
    EXPECT_EQ(store.Value("Start", "Bredde"), "400");
    EXPECT_EQ(store.Value("Start", "Fil"), "C:\\Jobs\\Demo.tvj");
    EXPECT_EQ(store.Value("Start", "Floppy"), "1");
    EXPECT_FALSE(store.IsOpen());
    // Nothing reaches a closed key.
    EXPECT_FALSE(app.WriteLastCopied("Demo.tvj", "x"));
}

TEST_F(Main, ClosingAnsweredYesSavesTheJobFirst) {
    job.SetJobFileName("C:\\Jobs\\Demo.tvj");
    job.LoadJob("C:\\Jobs\\Demo.tvj");
    job.SetDescription("Ny");
    messages.Answer(MsgResult::Yes);
    FormCloseQuery(job, app, WindowPlacement{}, false);
    EXPECT_NE(DecodeTextFile(fs.Content("C:\\Jobs\\Demo.tvj")).find("Beskiv=Ny\r\n"), std::string::npos);
    EXPECT_EQ(store.Value("Start", "Floppy"), "0");
}

TEST_F(Main, RefreshRestoresTheSavedMarksOrShowsAnUntitledJob) {
    job.SetJobFileName("C:\\Jobs\\Demo.tvj");
    job.LoadJob("C:\\Jobs\\Demo.tvj");
    tree.marked.push_back("C:\\Unsaved\\");
    job.SetModified();
    ReloadAfterRefresh(job, tree, fs, jobView);
    EXPECT_EQ(tree.marked, (std::vector<std::string>{"C:\\Data\\"}));
    EXPECT_FALSE(job.Modified());
    EXPECT_TRUE(messages.shown.empty());

    // The remembered name of a vanished job stays, so that Gem writes there without asking.
    job.SetJobFileName("C:\\Jobs\\Drev_C.tvj");
    tree.marked.push_back("C:\\Unsaved\\");
    int loads = 0;
    EXPECT_FALSE(LoadJobIfPresent(job, fs, jobView, [&] { ++loads; }));
    EXPECT_EQ(loads, 0);
    ReloadAfterRefresh(job, tree, fs, jobView);
    EXPECT_TRUE(tree.marked.empty());
    EXPECT_EQ(jobView.caption, "Ambrex Tavrel 2 - Ikke navngivet");
    EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Drev_C.tvj");
}

TEST(MenuCaptions, RecentItemsAndTheOtherTab) {
    EXPECT_EQ(RecentMenuCaption(1, "C:\\Jobs\\Drev_C.tvj"), "&1. C:\\Jobs\\Drev_C.tvj");
    EXPECT_EQ(RecentMenuCaption(4, "D:\\A&B\\x.tvj"), "&4. D:\\A&&B\\x.tvj");
    EXPECT_EQ(OtherTabName(0), "Filfiltrering");
    EXPECT_EQ(OtherTabName(1), "Kopiering");
}
