#include "core/CmdLine.h"
#include "core/MainMenu.h"
#include "core/RunGuard.h"

#include <gtest/gtest.h>

#include "base/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

const char* kJob =
    "FilVer=2\r\nBeskiv=Demo\r\nDest=D:\\Backup\\\r\nSletDest=0\r\nUndermapper=1\r\nKunNye=1\r\n"
    "KunFiltyper=0\r\nFilTyper=.BAK,.TMP\r\nModsat=0\r\n";

class CaptionView : public NullJobView {
public:
    void SetCaption(const std::string& c) override { caption = c; }
    std::string caption;
};

struct Main : ::testing::Test, RunRig<CaptionView> {
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
    job.CloseWindow(WindowPlacement{10, 20, 300, 400}, true);

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
    job.CloseWindow(WindowPlacement{}, false);
    EXPECT_NE(DecodeTextFile(fs.Content("C:\\Jobs\\Demo.tvj")).find("Beskiv=Ny\r\n"), std::string::npos);
    EXPECT_EQ(store.Value("Start", "Floppy"), "0");
}

TEST_F(Main, RefreshRestoresTheSavedMarksOrShowsAnUntitledJob) {
    job.SetJobFileName("C:\\Jobs\\Demo.tvj");
    job.LoadJob("C:\\Jobs\\Demo.tvj");
    tree.marked.push_back("C:\\Unsaved\\");
    job.SetModified();
    job.Reload();
    EXPECT_EQ(tree.marked, (std::vector<std::string>{"C:\\Data\\"}));
    EXPECT_FALSE(job.Modified());
    EXPECT_TRUE(messages.shown.empty());

    // The remembered name of a vanished job stays, so that Gem writes there without asking.
    job.SetJobFileName("C:\\Jobs\\Drev_C.tvj");
    tree.marked.push_back("C:\\Unsaved\\");
    int loads = 0;
    EXPECT_FALSE(job.LoadIfPresent([&] { ++loads; }));
    EXPECT_EQ(loads, 0);
    job.Reload();
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

namespace {

// The job of the last session has a destination full of backups and asks to empty it first;
// so does the job on the command line, whose load meets a fault.
const char* kDeleteFirstJob =
    "FilVer=2\r\nBeskiv=Sletter\r\nDest=D:\\Backup\\\r\nSletDest=1\r\nUndermapper=1\r\nKunNye=1\r\n"
    "KunFiltyper=0\r\nFilTyper=.BAK,.TMP\r\nModsat=0\r\n";

struct BrokenLoad {
    const char* what;
    std::function<void(SimFileSystem&)> spoil;
    bool reported;  // the load shows an error, so the command must not run
};

}  // namespace

TEST_F(Main, ACommandIsNotRunWhenTheLoadOfItsJobShowedAnError) {
    const std::vector<BrokenLoad> cases = {
        {"missing list file", [](SimFileSystem& fs) { fs.Remove("C:\\Jobs\\Ny.tvl"); }, true},
        {"list file locked",
         [](SimFileSystem& fs) { fs.InjectFailure(SimOp::ReadFile, "C:\\Jobs\\Ny.tvl", kErrSharingViolation, 1); },
         true},
        {"folder in place of the list file",
         [](SimFileSystem& fs) {
             fs.Remove("C:\\Jobs\\Ny.tvl");
             fs.AddFolder("C:\\Jobs\\Ny.tvl\\");
         },
         true},
        {"job file locked",
         [](SimFileSystem& fs) { fs.InjectFailure(SimOp::ReadFile, "C:\\Jobs\\Ny.tvj", kErrSharingViolation, 1); },
         true},
        {"job file that is no job file",
         [](SimFileSystem& fs) { fs.AddFile("C:\\Jobs\\Ny.tvj", std::string("FilVer=2\r\nDest=D:\\Backup\\\r\n\0\0\x01\x02", 31)); },
         true},
        {"version-1 file that ends early",
         [](SimFileSystem& fs) { fs.AddFile("C:\\Jobs\\Ny.tvj", "1\r\nGammel\r\nD:\\Backup\\\r\n"); }, true},
        {"list with lines that are no folders",
         [](SimFileSystem& fs) { fs.AddFile("C:\\Jobs\\Ny.tvl", std::string("C:\\Data\\\r\nx\x01y\r\n")); }, true},
        // A marked folder that is gone is a notice: the rest of the job is whole and runs.
        {"marked folder gone", [](SimFileSystem& fs) { fs.AddFile("C:\\Jobs\\Ny.tvl", "C:\\Data\\\r\nC:\\Væk\\\r\n"); },
         false},
    };
    for (const BrokenLoad& c : cases) {
        for (const char* command : {"/R", "/t"}) {
            SCOPED_TRACE(std::string(c.what) + " " + command);
            SimFileSystem disk;
            for (char d : {'C', 'D'}) disk.AddDrive(d);
            disk.AddFile("C:\\Jobs\\Start.tvj", kDeleteFirstJob);
            disk.AddFile("C:\\Jobs\\Start.tvl", "C:\\Data\\\r\n");
            disk.AddFile("C:\\Jobs\\Ny.tvj", kDeleteFirstJob);
            disk.AddFile("C:\\Jobs\\Ny.tvl", "C:\\Data\\\r\n");
            disk.AddFile("C:\\Data\\a.txt", "aaaa");
            disk.AddFile("D:\\Backup\\Gammel\\backup.txt", "uerstattelig");
            SimSettingsStore registry;
            AppSettings settings{registry};
            settings.Open();
            SimMessageBox boxes;  // the worst user: Yes to every question
            FakeJobTree marks;
            JobController window{JobControllerDeps{disk, settings, boxes, jobView, marks, nullptr, "C:\\Prog\\"}};
            RecordingRunView progress;
            CopyRun copy{CopyRunDeps{window, settings, disk, clock, boxes, &progress, &progress, abort}};

            // Start-up opened the job of the last session.
            window.SetJobFileName("C:\\Jobs\\Start.tvj");
            ASSERT_TRUE(window.LoadIfPresent());
            c.spoil(disk);
            int runs = 0;
            RunCommandLine({"C:\\Jobs\\Ny.tvj", command},
                           CommandLineDeps{disk, window, marks, boxes, [&](RunMode mode) {
                                               ++runs;
                                               copy.RunCopy(mode);
                                           }});

            ASSERT_FALSE(boxes.shown.empty());
            if (!c.reported) {
                EXPECT_EQ(runs, 1);
                EXPECT_TRUE(disk.Exists("C:\\Jobs\\Ny.txt"));
                continue;
            }
            EXPECT_EQ(runs, 0);
            for (const SimMessage& m : boxes.shown) EXPECT_NE(m.caption, "Slet destinationsmappe") << m.text;
            EXPECT_EQ(boxes.shown.back().text, std::string(command[1] == 'R' ? "Kopieringen" : "Optællingen") +
                                                   " er ikke startet, fordi jobbet ikke kunne indlæses uden fejl.");
            EXPECT_EQ(boxes.shown.back().caption, "Fejl under kørsel");
            EXPECT_EQ(boxes.shown.back().icon, MsgIcon::Error);
            EXPECT_EQ(disk.Content("D:\\Backup\\Gammel\\backup.txt"), "uerstattelig");
            EXPECT_FALSE(disk.Exists("D:\\Backup\\Data"));
            EXPECT_FALSE(disk.Exists("C:\\Jobs\\Ny.txt"));
            EXPECT_FALSE(disk.Exists("C:\\Jobs\\Start.txt"));
            EXPECT_FALSE(registry.Value("Filer", "Ny.tvj"));
            EXPECT_FALSE(registry.Value("Filer", "Start.tvj"));
        }
    }
}

TEST_F(Main, AnInvalidCommandAfterAFailedLoadIsStillNamed) {
    fs.Remove("C:\\Jobs\\Demo.tvl");
    EXPECT_TRUE(Run({"C:\\Jobs\\Demo.tvj", "/x"}).empty());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, "Den angivne kommando \"/X\" er ikke gyldig.");
}

TEST_F(Main, AFailedSaveAtTheCloseKeepsTheWindowAndWritesNothing) {
    job.SetJobFileName("C:\\Jobs\\Demo.tvj");
    ASSERT_TRUE(job.LoadJob("C:\\Jobs\\Demo.tvj"));
    job.SetDescription("Ændret");
    tree.marked.push_back("C:\\Ny\\");
    for (const char* failing : {"C:\\Jobs\\Demo.tvj", "C:\\Jobs\\Demo.tvl"}) {
        SCOPED_TRACE(failing);
        messages.shown.clear();
        fs.InjectFailure(SimOp::WriteFile, failing, kErrDiskFull, 1);
        messages.Answer(MsgResult::Yes);
        job.CloseWindow(WindowPlacement{10, 20, 300, 400}, true);
        ASSERT_EQ(messages.shown.size(), 2u);
        EXPECT_EQ(messages.shown[1].caption, "Fejl");
        EXPECT_NE(messages.shown[1].text.find("Jobbet kunne ikke gemmes"), std::string::npos);
        // Nothing of the close has happened: the job, its edits and the open key are all there.
        EXPECT_TRUE(store.IsOpen());
        EXPECT_FALSE(store.Value("Start", "Top"));
        EXPECT_FALSE(store.Value("Start", "Fil"));
        EXPECT_TRUE(job.Modified());
        EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Demo.tvj");
        EXPECT_EQ(job.Settings().description, "Ændret");
        EXPECT_EQ(tree.marked, (std::vector<std::string>{"C:\\Data\\", "C:\\Ny\\"}));
    }

    // Saved elsewhere, the job closes.
    messages.shown.clear();
    messages.Answer(MsgResult::Yes);
    fs.AddFolder("D:\\Andet\\");
    job.SetJobFileName("D:\\Andet\\Demo.tvj");
    job.CloseWindow(WindowPlacement{10, 20, 300, 400}, true);
    EXPECT_NE(DecodeTextFile(fs.Content("D:\\Andet\\Demo.tvj")).find("Beskiv=Ændret"), std::string::npos);
    EXPECT_EQ(store.Value("Start", "Fil"), "D:\\Andet\\Demo.tvj");
    EXPECT_FALSE(store.IsOpen());
}

TEST(RunGuard, ACloseCalledOffLeavesRunsAndLaterClosesAsBefore) {
    RunGuard guard;
    std::atomic<bool> abort{false};
    ASSERT_EQ(guard.RequestClose(abort), RunGuard::CloseAction::Close);
    guard.CloseRefused();
    EXPECT_FALSE(guard.Closing());
    int runs = 0;
    EXPECT_TRUE(guard.Run([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(guard.RequestClose(abort), RunGuard::CloseAction::Close);
    EXPECT_FALSE(abort);
}

TEST_F(Main, AJobFileThatCouldNotBeReadAtStartIsStillTheJobToReopen) {
    // Start-up: the remembered job is locked for a moment (another program is writing it).
    store.Set("Start", "Fil", "C:\\Jobs\\Demo.tvj");
    job.SetJobFileName(app.ReadLastJob());
    fs.InjectFailure(SimOp::ReadFile, "C:\\Jobs\\Demo.tvj", kErrSharingViolation, 1);
    EXPECT_TRUE(job.LoadIfPresent());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(jobView.caption, "Ambrex Tavrel 2 - Ikke navngivet");
    // Untitled, so that Gem cannot replace the file with what it never held.
    EXPECT_EQ(job.JobFileName(), "");
    EXPECT_TRUE(job.CloseWindow(WindowPlacement{}, false));
    EXPECT_EQ(store.Value("Start", "Fil"), "C:\\Jobs\\Demo.tvj");

    // The next start opens it.
    store.Open();
    job.SetJobFileName(app.ReadLastJob());
    tree.ClearAllMarks();
    messages.shown.clear();
    EXPECT_TRUE(job.LoadIfPresent());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(jobView.caption, "Ambrex Tavrel 2 - Demo");
}

TEST_F(Main, AfterAnUnreadJobFileTheUsersOwnChoiceIsRemembered) {
    class SaveAsView : public CaptionView {
    public:
        std::optional<std::string> AskSaveJobFile(const std::string&) override { return "C:\\Jobs\\Kopi.tvj"; }
        std::optional<std::string> AskOpenJobFile(const std::string&) override { return "C:\\Jobs\\Andet.tvj"; }
    };
    struct Step {
        const char* what;
        std::function<void(JobController&)> act;
        const char* remembered;
    };
    fs.AddFile("C:\\Jobs\\Andet.tvj", kJob);
    fs.AddFile("C:\\Jobs\\Andet.tvl", "");
    const std::vector<Step> steps = {
        {"nothing", [](JobController&) {}, "C:\\Jobs\\Demo.tvj"},
        {"Luk", [](JobController& w) { w.Close(); }, ""},
        {"Gem som", [](JobController& w) { w.SaveAs(); }, "C:\\Jobs\\Kopi.tvj"},
        {"Åbn", [](JobController& w) { w.Open(); }, "C:\\Jobs\\Andet.tvj"},
        {"F5", [](JobController& w) { w.Reload(); }, "C:\\Jobs\\Demo.tvj"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        SimSettingsStore registry;
        AppSettings settings{registry};
        settings.Open();
        SaveAsView view;
        JobController window{JobControllerDeps{fs, settings, messages, view, tree, nullptr, "C:\\Prog\\"}};
        window.SetJobFileName("C:\\Jobs\\Demo.tvj");
        fs.InjectFailure(SimOp::ReadFile, "C:\\Jobs\\Demo.tvj", kErrSharingViolation, 1);
        window.LoadJob("C:\\Jobs\\Demo.tvj");
        step.act(window);
        window.CloseWindow(WindowPlacement{}, false);
        EXPECT_EQ(registry.Value("Start", "Fil"), step.remembered);
    }
}

TEST(WaitsForRun, CommandsThatWouldChangeTheRunningJobWait) {
    SimFileSystem fs;
    SimSettingsStore store;
    AppSettings app{store};
    SimMessageBox messages;
    NullJobView view;
    FakeJobTree tree;
    JobController job{JobControllerDeps{fs, app, messages, view, tree, nullptr, ""}};
    struct Case {
        JobCommand command;
        bool waitsNamed, waitsUntitled;
    };
    const std::vector<Case> cases = {
        {JobCommand::Open, true, true},         {JobCommand::Close, true, true},
        {JobCommand::Recent, true, true},       {JobCommand::SaveAs, true, true},
        {JobCommand::Save, false, true},        {JobCommand::Refresh, true, true},
        {JobCommand::FloppyDrives, true, true}, {JobCommand::Plan, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.command));
        job.SetJobFileName("C:\\Jobs\\Demo.tvj");
        EXPECT_EQ(WaitsForRun(c.command, job), c.waitsNamed);
        // Gem on an untitled job asks for a name, and a name chosen now would take the run's
        // report and stamp with it.
        job.SetJobFileName("");
        EXPECT_EQ(WaitsForRun(c.command, job), c.waitsUntitled);
    }
}
