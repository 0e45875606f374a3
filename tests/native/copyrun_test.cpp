#include "core/CopyRun.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

const FileTime kT0 = SimFileSystem::MakeFileTime(2024, 5, 1, 10, 0, 0);
const char* kReverseQuestion = "Ønsker du at kopiere FRA den angivne destination til de valgte kildepositioner?";

struct Run : ::testing::Test, RunRig<> {
    Run() {
        for (char d : {'C', 'D', 'E', 'F'}) fs.AddDrive(d);
        fs.AddFolder("C:\\Jobs");
        store.Open();
        clock.date = "08-12-2026";
        clock.time = "21:50:03";
        job.SetJobFileName("C:\\Jobs\\Drev_C.tvj");
        job.ChooseDestination("D:\\Backup\\");
        tree.marked = {"C:\\Data\\"};
    }
    std::string Report() { return DecodeTextFile(fs.Content("C:\\Jobs\\Drev_C.txt")); }
    std::optional<std::string> Stamp() { return store.Value("Filer", "Drev_C.tvj"); }

};

}  // namespace

TEST_F(Run, CopyRunShowsItsPhasesWritesTheReportAndRecordsTheStamp) {
    fs.AddFile("C:\\Data\\a.txt", std::string(1024, 'a'), kT0);
    fs.AddFile("C:\\Data\\b.bak", "b", kT0);
    fs.AddFile("C:\\Data\\Sub\\c.txt", std::string(3000, 'c'), kT0);
    view.onPump = [&](int) { clock.Advance(400); };
    clock.autoAdvance = 0;
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);

    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), std::string(1024, 'a'));
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Sub\\c.txt"), std::string(3000, 'c'));
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data\\b.bak"));
    EXPECT_EQ(view.log, (std::vector<std::string>{
                            "busy:on", "timer:on", "cancel:Afbryd", "finish:hidden", "show",
                            "status:Kopierer filer...", "caption:Kopierer filer...", "play:copy",
                            "group: Kopieret: ", "stop", "caption:Kopiering er afsluttet", "cancel:Luk",
                            "timer:off", "busy:off", "status:Klar"}));
    EXPECT_EQ(view.counts, (std::vector<std::string>{"3 filer", "3,9 KB", "2 filer", "3,9 KB"}));
    EXPECT_EQ(view.folderText, "");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Report(),
              "Tavrel - Ikke-kopierede filer\r\n"
              "Job C:\\Jobs\\Drev_C.tvj\r\n"
              "Antal: 1\r\n"
              "Tidspunkt: 08-12-2026 21:50:03\r\n"
              " \r\n"
              "C:\\Data\\b.bak\r\n");
    EXPECT_EQ(Stamp(), "08-12-2026 21:50");
    EXPECT_EQ(job.LastCopied(), "08-12-2026 21:50");
    EXPECT_EQ(run.FinalCaption(), "Kopiering er afsluttet");

    // The timer shows the counters and the time since the start, unaffected by a tick wrap.
    clock.tick = run.StartTick() + 61000;
    run.ShowCountsAndTime();
    EXPECT_EQ(view.elapsed, "01:01");
    EXPECT_EQ(run.ElapsedSeconds(), 61);

    // Nothing changed: the second run copies nothing, and its time starts again at zero.
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(view.elapsed, "00:00");
    EXPECT_EQ(run.Counters().CopiedCount, 0);
    EXPECT_EQ(run.Counters().ExaminedCount, 3);
}

TEST_F(Run, CountRunAsksNothingTouchesNothingAndOffersTheCopy) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("C:\\Data\\b.tmp", "b", kT0);
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    job.SetReverse(false);
    fs.ResetCounts();
    EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::Completed);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fs.Calls(SimOp::CopyFile) + fs.Calls(SimOp::CreateFolder) + fs.Calls(SimOp::DeleteFile), 0);
    EXPECT_EQ(fs.Calls(SimOp::WriteFile), 2);  // the report and the history's line
    EXPECT_TRUE(view.Logged("play:search"));
    EXPECT_TRUE(view.Logged("status:Indsamler oplysninger..."));
    EXPECT_TRUE(view.Logged("caption:Indsamler oplysninger..."));
    EXPECT_EQ(view.copiedGroup, " Vil blive kopieret: ");
    EXPECT_EQ(view.caption, "Optælling er afsluttet");
    EXPECT_TRUE(view.finishButtons);
    EXPECT_EQ(view.counts, (std::vector<std::string>{"2 filer", "0,0 KB", "1 filer", "0,0 KB"}));
    EXPECT_FALSE(Stamp().has_value());
    EXPECT_NE(Report().find("Antal: 1\r\n"), std::string::npos);
    EXPECT_NE(Report().find("C:\\Data\\b.tmp\r\n"), std::string::npos);
}

TEST_F(Run, ReverseQuestionNoClearsTheOptionAndLeavesEverythingElse) {
    fs.AddFile("C:\\Jobs\\Drev_C.txt", "previous report");
    fs.AddFile("D:\\Backup\\Data\\a.txt", "backup");
    job.SetReverse(true);
    messages.Answer(MsgResult::No);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Declined);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kReverseQuestion);
    EXPECT_EQ(messages.shown[0].caption, "Modsat kopiering");
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Warning);
    EXPECT_FALSE(job.Settings().reverse);
    EXPECT_TRUE(job.Modified());
    EXPECT_TRUE(view.log.empty());
    EXPECT_EQ(Report(), "previous report");
    EXPECT_FALSE(fs.Exists("C:\\Data\\a.txt"));
}

TEST_F(Run, ReverseCopiesBackIntoTheMarkedFoldersWithoutDeleting) {
    tree.marked = {"C:\\Data\\Sub\\", "E:\\Mail\\"};
    fs.AddFile("D:\\Backup\\Data\\Sub\\a.txt", "from backup", kT0);
    fs.AddFile("C:\\Data\\Sub\\a.txt", "newer at the source", kT0 + 3600 * 10000000ull);
    fs.AddFile("D:\\Backup\\Mail\\m.eml", "mail", kT0);
    fs.AddFile("D:\\Backup\\Other\\o.txt", "not marked", kT0);
    job.SetReverse(true);
    job.SetFlag(&JobSettings::deleteDestFirst, true);  // with reverse on: no question, no deletion
    messages.Answer(MsgResult::Yes);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(messages.shown.size(), 1u);
    // The new-and-changed test still guards the newer original.
    EXPECT_EQ(fs.Content("C:\\Data\\Sub\\a.txt"), "newer at the source");
    EXPECT_EQ(fs.Content("E:\\Mail\\m.eml"), "mail");
    EXPECT_FALSE(fs.Exists("C:\\Other"));
    EXPECT_TRUE(fs.Exists("D:\\Backup\\Other\\o.txt"));
    EXPECT_TRUE(fs.Exists("D:\\Backup\\Data\\Sub\\a.txt"));
    EXPECT_EQ(run.Counters().CopiedCount, 1);
}

// A reverse copy writes into the user's own folders. The delete option is greyed then, but its
// stored value stays: it must not switch the new-and-changed test off, or an old backup would
// overwrite today's work. "Kopier kun nye og ændrede filer" alone decides.
TEST_F(Run, InAReverseCopyOnlyTheNewAndChangedOptionDecidesWhatIsReplaced) {
    struct Case {
        bool deleteFirst, onlyNew;
        const char* newer;  // the original that is newer than its backup, after the run
        int copied;
    };
    for (const Case& c : {Case{true, true, "today's work", 1}, Case{false, true, "today's work", 1},
                          Case{true, false, "backup", 2}, Case{false, false, "backup", 2}}) {
        SCOPED_TRACE(std::string("delete option ") + (c.deleteFirst ? "on" : "off") + ", only new " +
                     (c.onlyNew ? "on" : "off"));
        fs.AddFile("D:\\Backup\\Data\\newer.txt", "backup", kT0);
        fs.AddFile("C:\\Data\\newer.txt", "today's work", kT0 + 3600 * 10000000ull);
        fs.AddFile("D:\\Backup\\Data\\older.txt", "backup", kT0 + 3600 * 10000000ull);
        fs.AddFile("C:\\Data\\older.txt", "yesterday", kT0);
        job.SetReverse(false);
        job.SetFlag(&JobSettings::deleteDestFirst, c.deleteFirst);
        job.SetFlag(&JobSettings::onlyNewAndChanged, c.onlyNew);
        job.SetReverse(true);
        messages.shown.clear();
        messages.Answer(MsgResult::Yes);
        EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
        EXPECT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(fs.Content("C:\\Data\\newer.txt"), c.newer);
        EXPECT_EQ(fs.Content("C:\\Data\\older.txt"), "backup");
        EXPECT_EQ(run.Counters().CopiedCount, c.copied);
        // A count run of the same job counts the same.
        fs.AddFile("C:\\Data\\newer.txt", "today's work", kT0 + 3600 * 10000000ull);
        fs.AddFile("C:\\Data\\older.txt", "yesterday", kT0);
        EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::Completed);
        EXPECT_EQ(run.Counters().CopiedCount, c.copied);
    }
}

// The direction of a run is fixed when it starts. Clearing "Kopier modsat" while a reverse copy
// runs must not make the stored delete option switch the test off for the rest of it.
TEST_F(Run, ClearingTheReverseOptionDuringAReverseCopyKeepsTheNewerOriginals) {
    for (char c = 'a'; c <= 'd'; ++c) {
        const std::string name = std::string(1, c) + ".txt";
        fs.AddFile("D:\\Backup\\Data\\" + name, "backup", kT0);
        fs.AddFile("C:\\Data\\" + name, "today's work", kT0 + 3600 * 10000000ull);
    }
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    job.SetReverse(true);
    messages.Answer(MsgResult::Yes);
    view.onPump = [&](int n) {
        if (n == 2) job.SetReverse(false);
    };
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    for (char c = 'a'; c <= 'd'; ++c) EXPECT_EQ(fs.Content(std::string("C:\\Data\\") + c + ".txt"), "today's work");
    EXPECT_EQ(run.Counters().CopiedCount, 0);
}

TEST_F(Run, DriveRootDestinationInBothDirections) {
    job.ChooseDestination("F:\\");
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    run.RunCopy(rmCopy);
    EXPECT_EQ(fs.Content("F:\\Data\\a.txt"), "a");

    fs.AddFile("F:\\Data\\b.txt", "b", kT0);
    job.SetReverse(true);
    messages.Answer(MsgResult::Yes);
    run.RunCopy(rmCopy);
    EXPECT_EQ(fs.Content("C:\\Data\\b.txt"), "b");
}

TEST_F(Run, FoldersOfTwoDrivesMeetInOneDestinationFolder) {
    tree.marked = {"C:\\Data\\", "E:\\Data\\"};
    job.ChooseDestination("F:\\Kopi\\");
    fs.AddFile("C:\\Data\\c.txt", "c", kT0);
    fs.AddFile("E:\\Data\\e.txt", "e", kT0);
    run.RunCopy(rmCopy);
    EXPECT_EQ(fs.List("F:\\Kopi\\Data\\"), (std::vector<std::string>{"c.txt", "e.txt"}));
}

TEST_F(Run, DeleteQuestionCancelNoAndYes) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("D:\\Backup\\Data\\a.txt", "same time", kT0);
    fs.AddFile("D:\\Backup\\old.txt", std::string(1024, 'o'), kT0);
    fs.AddFile("D:\\Backup\\.dot", "d", kT0);
    fs.AddFile("C:\\Jobs\\Drev_C.txt", "previous report");
    job.SetFlag(&JobSettings::deleteDestFirst, true);

    messages.Answer(MsgResult::Cancel);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Declined);
    EXPECT_EQ(messages.shown[0].text,
              "Ønsker du, at Tavrel skal slette alle filer og undermapper i D:\\Backup\\, før de markerede filer "
              "kopieres?");
    EXPECT_EQ(messages.shown[0].caption, "Slet destinationsmappe");
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_TRUE(view.log.empty());
    EXPECT_EQ(Report(), "previous report");
    EXPECT_TRUE(fs.Exists("D:\\Backup\\old.txt"));

    // No: nothing deleted, but the new-and-changed test stays off.
    messages.Answer(MsgResult::No);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "a");
    EXPECT_TRUE(fs.Exists("D:\\Backup\\old.txt"));
    EXPECT_FALSE(view.Logged("caption:Sletter filer..."));

    view.log.clear();
    messages.Answer(MsgResult::Yes);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_FALSE(fs.Exists("D:\\Backup\\old.txt"));
    EXPECT_TRUE(fs.Exists("D:\\Backup\\.dot"));
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "a");
    EXPECT_EQ(view.log, (std::vector<std::string>{
                            "busy:on", "timer:on", "cancel:Afbryd", "finish:hidden", "show", "marked:hidden",
                            "caption:Sletter filer...", "play:delete", "group: Slettet: ", "marked:shown",
                            "status:Kopierer filer...", "caption:Kopierer filer...", "play:copy",
                            "group: Kopieret: ", "stop", "caption:Kopiering er afsluttet", "cancel:Luk",
                            "timer:off", "busy:off", "status:Klar"}));
    EXPECT_TRUE(std::find(view.folderTexts.begin(), view.folderTexts.end(), "D:\\Backup\\old.txt") !=
                view.folderTexts.end());
    // The deletion counts are dropped when the copy begins.
    EXPECT_EQ(run.Counters().CopiedCount, 1);
}

TEST_F(Run, EmptyingADestinationThatHoldsAMarkedFolderIsRefused) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    for (const char* dest : {"C:\\Data\\", "C:\\", "c:\\data\\"}) {
        messages.shown.clear();
        job.ChooseDestination(dest);
        messages.Answer(MsgResult::Yes);
        EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Refused) << dest;
        ASSERT_EQ(messages.shown.size(), 2u);
        EXPECT_NE(messages.shown[1].text.find("indeholder den markerede mappe C:\\Data\\"), std::string::npos);
        EXPECT_EQ(fs.Content("C:\\Data\\a.txt"), "a");
        EXPECT_TRUE(view.log.empty());
    }
    // The same folder under another name: a link to it.
    fs.AddFolderLink("E:\\Alias", "C:\\Data\\");
    job.ChooseDestination("E:\\Alias\\");
    messages.Answer(MsgResult::Yes);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Refused);
    EXPECT_EQ(fs.Content("C:\\Data\\a.txt"), "a");
}

// A destination without a drive is a folder of whatever the current folder is; a planned run
// starts in the system's folder, and emptying "\\" would empty a whole drive.
TEST_F(Run, ADestinationWithoutADriveIsRefusedBeforeAnythingIsTouched) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("D:\\Backup\\old.txt", "old", kT0);
    fs.AddFile("D:\\keep.txt", "keep", kT0);
    fs.SetCurrentDirectory("D:\\");
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    for (const char* dest : {"Backup\\", "\\", ".", "D:Backup\\", "\\Backup"}) {
        messages.shown.clear();
        job.ChooseDestination(dest);
        messages.Answer(MsgResult::Yes);
        EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Refused) << dest;
        ASSERT_EQ(messages.shown.size(), 1u) << dest;
        EXPECT_EQ(messages.shown[0].text, "Destinationsmappen " + job.Settings().destination +
                                              " er ikke angivet med drev eller netværkssti, f.eks. D:\\Backup\\, så "
                                              "Tavrel kopierer ikke.");
        EXPECT_EQ(fs.Content("D:\\Backup\\old.txt"), "old");
        EXPECT_EQ(fs.Content("D:\\keep.txt"), "keep");
        EXPECT_EQ(fs.List("D:\\Backup\\"), (std::vector<std::string>{"old.txt"}));
        EXPECT_TRUE(view.log.empty());
    }
    // Counting only reads, and a full path copies as before.
    EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::Completed);
    job.SetFlag(&JobSettings::deleteDestFirst, false);
    job.ChooseDestination("D:/Backup/");
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(run.Counters().CopiedCount, 1);
}

// A hand-edited destination with ".." parts is the folder Windows makes of it; the question
// before emptying names that folder, not the text that hides it.
TEST_F(Run, TheEmptyingQuestionNamesTheFolderADottedDestinationIs) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("D:\\Backup\\old.txt", "old", kT0);
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    job.ChooseDestination("D:\\Backup\\Sub\\..\\.\\");
    messages.Answer(MsgResult::Yes);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown[0].text,
              "Ønsker du, at Tavrel skal slette alle filer og undermapper i D:\\Backup\\, før de markerede filer kopieres?");
    EXPECT_FALSE(fs.Exists("D:\\Backup\\old.txt"));
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "a");
}

TEST_F(Run, ADestinationInsideAMarkedFolderIsNeverWalked) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("C:\\Data\\Sub\\b.txt", "b", kT0);
    job.ChooseDestination("C:\\Data\\Backup\\");
    job.SetFlag(&JobSettings::onlyNewAndChanged, false);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
        EXPECT_EQ(run.Counters().ExaminedCount, 2);
    }
    EXPECT_EQ(fs.List("C:\\Data\\Backup\\Data\\"), (std::vector<std::string>{"a.txt", "Sub"}));

    // A destination that is the marked folder itself: the copies go to C:\Data\Data\ once.
    fs.Remove("C:\\Data\\Backup");
    job.ChooseDestination("C:\\Data\\");
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
        EXPECT_EQ(run.Counters().ExaminedCount, 2);
    }
    EXPECT_EQ(fs.List("C:\\Data\\Data\\"), (std::vector<std::string>{"a.txt", "Sub"}));
    EXPECT_FALSE(fs.Exists("C:\\Data\\Data\\Data"));
}

TEST_F(Run, AbortDuringCopyKeepsTheOldStampAndReportsWhatWasLeftOut) {
    store.Set("Filer", "Drev_C.tvj", "01-12-2026 10:00");
    job.SetLastCopied("01-12-2026 10:00");
    fs.AddFile("C:\\Data\\1.bak", "x", kT0);
    for (char c = 'a'; c <= 'h'; ++c) fs.AddFile(std::string("C:\\Data\\") + c + ".txt", "x", kT0);
    fs.AddFile("C:\\Data\\z.bak", "x", kT0);
    view.onPump = [&](int n) {
        if (n == 6) abort = true;  // the loop's pump, then ., .., 1.bak, a.txt
    };
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Aborted);
    EXPECT_EQ(view.caption, "Kopiering er afsluttet");
    EXPECT_EQ(view.cancel, "Luk");
    EXPECT_EQ(Stamp(), "01-12-2026 10:00");
    EXPECT_EQ(job.LastCopied(), "01-12-2026 10:00");
    EXPECT_EQ(run.Counters().CopiedCount, 1);
    EXPECT_NE(Report().find("Antal: 1\r\n"), std::string::npos);
    EXPECT_EQ(Report().find("z.bak"), std::string::npos);
}

TEST_F(Run, AbortDuringTheDeletePhaseCopiesNothing) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("D:\\Backup\\x.txt", "x", kT0);
    fs.AddFile("D:\\Backup\\y.txt", "y", kT0);
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    messages.Answer(MsgResult::Yes);
    view.onPump = [&](int n) {
        if (n == 4) abort = true;  // ., .., x.txt, then y.txt
    };
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Aborted);
    EXPECT_FALSE(fs.Exists("D:\\Backup\\x.txt"));
    EXPECT_TRUE(fs.Exists("D:\\Backup\\y.txt"));
    EXPECT_FALSE(fs.Exists("D:\\Backup\\Data"));
    EXPECT_FALSE(Stamp().has_value());
}

TEST_F(Run, FailuresAreReportedAndTheRunIsNotRecordedAsComplete) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("C:\\Data\\b.txt", "b", kT0);
    fs.AddFile("C:\\Data\\c.bak", "c", kT0);
    fs.InjectFailure(SimOp::CopyFile, "C:\\Data\\a.txt", kErrSharingViolation);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(run.Counters().FailedCount, 1);
    EXPECT_EQ(run.Counters().CopiedCount, 1);
    EXPECT_FALSE(Stamp().has_value());
    EXPECT_EQ(Report(),
              "Tavrel - Ikke-kopierede filer\r\n"
              "Job C:\\Jobs\\Drev_C.tvj\r\n"
              "Antal: 1\r\n"
              "Tidspunkt: 08-12-2026 21:50:03\r\n"
              " \r\n"
              "C:\\Data\\c.bak\r\n"
              " \r\n"
              "Fejl: 1\r\n"
              "C:\\Data\\a.txt - " +
                  SimError(kErrSharingViolation).text + "\r\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("C:\\Jobs\\Drev_C.txt"), std::string::npos);

    // A destination folder that cannot be created (a file stands in its place).
    fs.ClearFailures();
    fs.AddFile("E:\\Blocked", "a file");
    job.ChooseDestination("E:\\Blocked\\Kopi\\");
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(run.Counters().CopiedCount, 0);
    EXPECT_GE(run.Counters().FailedCount, 3);
    EXPECT_EQ(fs.Content("E:\\Blocked"), "a file");
}

TEST_F(Run, NoMarkedFolderStillCompletesAndAMissingDestinationBackslashIsAdded) {
    tree.marked.clear();
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(view.counts, (std::vector<std::string>{"0 filer", "0,0 KB", "0 filer", "0,0 KB"}));
    EXPECT_NE(Report().find("Antal: 0\r\n"), std::string::npos);
    EXPECT_EQ(Stamp(), "08-12-2026 21:50");
    // A time format with a one-digit hour: the stamp keeps hours and minutes, not "1:14:".
    clock.time = "1:14:37 AM";
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(Stamp(), "08-12-2026 1:14 AM");

    // A hand-edited job without the final backslash.
    fs.AddFile("C:\\Jobs\\Hand.tvj", "FilVer=2\r\nDest=E:\\Backup\r\nKunNye=1\r\nUndermapper=1\r\n");
    fs.AddFile("C:\\Jobs\\Hand.tvl", "C:\\Data\\\r\n");
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    job.SetJobFileName("C:\\Jobs\\Hand.tvj");
    ASSERT_TRUE(job.LoadJob("C:\\Jobs\\Hand.tvj"));
    EXPECT_EQ(job.Settings().destination, "E:\\Backup");
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(fs.Content("E:\\Backup\\Data\\a.txt"), "a");
    EXPECT_FALSE(fs.Exists("E:\\BackupData"));

    // A hand-edited folder line that climbs above its drive's root: the copies still land in
    // the destination, never beside it.
    fs.AddFile("C:\\Jobs\\Hand.tvl", "C:\\..\\Data\\\r\n");
    fs.Remove("E:\\Backup");
    ASSERT_TRUE(job.LoadJob("C:\\Jobs\\Hand.tvj"));
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(fs.Content("E:\\Backup\\Data\\a.txt"), "a");
    EXPECT_FALSE(fs.Exists("E:\\Data"));
}

TEST_F(Run, NoDestinationRefusesACopyAndAnUnwritableReportIsShown) {
    job.Close();  // empties the destination and the marks
    job.SetJobFileName("C:\\Jobs\\Drev_C.tvj");
    tree.marked = {"C:\\Data\\"};
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Refused);
    EXPECT_TRUE(view.log.empty());
    EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::Completed);
    EXPECT_EQ(run.Counters().CopiedCount, 1);

    messages.shown.clear();
    fs.InjectFailure(SimOp::WriteFile, "C:\\Jobs\\", kErrAccessDenied);
    EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::ReportFailed);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("C:\\Jobs\\Drev_C.txt"), std::string::npos);
    EXPECT_EQ(view.status, "Klar");
}

TEST_F(Run, ASecondRunDuringARunDoesNothing) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    std::optional<RunOutcome> inner;
    view.onPump = [&](int) {
        if (!inner) inner = run.RunCopy(rmCount);
    };
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(inner, RunOutcome::AlreadyRunning);
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(tree.collects, 1);
}

// The checks that keep the delete phase away from the marked folders climb from each marked
// folder to its drive. The drive is its root "C:\"; a bare "C:" would be the current folder on
// that drive, which would then be spared (or a destination refused) for no reason.
TEST_F(Run, TheClimbToTheDriveEndsAtItsRootNotAtTheCurrentFolder) {
    for (const char* current : {"C:\\Backup\\", "C:\\Backup\\Old\\", "c:\\backup\\old"}) {
        SCOPED_TRACE(current);
        fs.AddFile("C:\\Data\\a.txt", "a", kT0);
        fs.AddFile("C:\\Backup\\stale.txt", "s", kT0);
        fs.AddFile("C:\\Backup\\Old\\stale.txt", "s", kT0);
        fs.SetCurrentDirectory(current);
        job.ChooseDestination("C:\\Backup\\");
        job.SetFlag(&JobSettings::deleteDestFirst, true);
        messages.shown.clear();
        messages.Answer(MsgResult::Yes);
        EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
        EXPECT_EQ(messages.shown.size(), 1u);  // the question only, no refusal
        EXPECT_FALSE(fs.Exists("C:\\Backup\\stale.txt"));
        EXPECT_FALSE(fs.Exists("C:\\Backup\\Old"));
        EXPECT_EQ(fs.Content("C:\\Backup\\Data\\a.txt"), "a");
        EXPECT_EQ(fs.Content("C:\\Data\\a.txt"), "a");
    }
    // The root itself is still protected: a destination that is the drive of a marked folder.
    fs.SetCurrentDirectory("C:\\Backup\\");
    job.ChooseDestination("C:\\");
    messages.Answer(MsgResult::Yes);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Refused);
    EXPECT_EQ(fs.Content("C:\\Data\\a.txt"), "a");
}

// The delete phase cannot delete a read-only copy; the copy phase then replaces it. Only what
// is still wrong when the run ends is a failure: a run that leaves the destination exactly as
// asked is complete, and one file that stays wrong is reported once.
TEST_F(Run, AReadOnlyCopyThatTheDeletePhaseLeavesAndTheCopyReplacesIsNoFailure) {
    fs.AddFile("C:\\Data\\a.txt", "new a", kT0 + 100000000ull);
    fs.AddFile("C:\\Data\\Sub\\b.txt", "new b", kT0 + 100000000ull);
    fs.AddFile("D:\\Backup\\Data\\a.txt", "old a", kT0, kAttrReadOnly);
    fs.AddFile("D:\\Backup\\Data\\Sub\\B.TXT", "old b", kT0, kAttrReadOnly | kAttrArchive);
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    messages.Answer(MsgResult::Yes);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "new a");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Sub\\b.txt"), "new b");
    EXPECT_EQ(run.Counters().FailedCount, 0);
    EXPECT_EQ(run.Counters().CopiedCount, 2);
    EXPECT_EQ(messages.shown.size(), 1u);  // the question, no failure notice
    EXPECT_EQ(Report().find("Fejl:"), std::string::npos);
    EXPECT_EQ(Stamp(), "08-12-2026 21:50");

    // A read-only file that nothing replaces stays wrong: one failure. So does one whose
    // replacement fails, reported once, with the copy that failed.
    store.Set("Filer", "Drev_C.tvj", "01-12-2026 10:00");
    fs.SetAttrs("D:\\Backup\\Data\\a.txt", kAttrReadOnly);
    fs.SetAttrs("D:\\Backup\\Data\\Sub\\b.txt", kAttrReadOnly);
    fs.AddFile("D:\\Backup\\Data\\gone.txt", "deleted at the source", kT0, kAttrReadOnly);
    fs.InjectFailure(SimOp::CopyFile, "C:\\Data\\Sub\\b.txt", kErrSharingViolation);
    messages.shown.clear();
    messages.Answer(MsgResult::Yes);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(run.Counters().FailedCount, 2);
    const std::string report = Report();
    EXPECT_NE(report.find("Fejl: 2\r\n"
                          "C:\\Data\\Sub\\b.txt - " + SimError(kErrSharingViolation).text + "\r\n"
                          "D:\\Backup\\Data\\gone.txt - " + SimError(kErrAccessDenied).text + "\r\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "new a");
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\Sub\\b.txt"), "new b");
    EXPECT_EQ(Stamp(), "01-12-2026 10:00");
}

// The notice after a run with failures says what the run did: a count reads folders only, a
// copy copies, and only a copy that emptied the destination first also deletes.
TEST_F(Run, TheFailureNoticeIsWordedForWhatTheRunDid) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    fs.AddFile("C:\\Data\\Privat\\p.txt", "p", kT0);
    fs.DenyListing("C:\\Data\\Privat");
    const std::string report = "C:\\Jobs\\Drev_C.txt";
    struct Case {
        const char* what;
        std::function<void()> setUp;
        RunMode mode;
        std::string notice;
    };
    const std::vector<Case> cases = {
        {"count, one folder", [] {}, rmCount,
         "1 mappe kunne ikke læses, så optællingen er ikke fuldstændig. Den står under \"Fejl:\" i rapporten " +
             report + "."},
        {"count, two folders", [&] { fs.AddFolder("C:\\Data\\Andet"); fs.DenyListing("C:\\Data\\Andet"); }, rmCount,
         "2 mapper kunne ikke læses, så optællingen er ikke fuldstændig. De står under \"Fejl:\" i rapporten " +
             report + "."},
        {"copy", [&] { fs.Remove("C:\\Data\\Andet"); }, rmCopy,
         "1 fil eller mappe kunne ikke kopieres. Den står under \"Fejl:\" i rapporten " + report + "."},
        {"copy after emptying", [&] {
             job.SetFlag(&JobSettings::deleteDestFirst, true);
             messages.Answer(MsgResult::Yes);
             fs.AddFile("D:\\Backup\\locked.txt", "l", kT0, kAttrReadOnly);
         }, rmCopy,
         "2 filer eller mapper kunne ikke slettes eller kopieres. De står under \"Fejl:\" i rapporten " + report +
             "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.setUp();
        messages.shown.clear();
        EXPECT_EQ(run.RunCopy(c.mode), RunOutcome::Completed);
        ASSERT_FALSE(messages.shown.empty());
        EXPECT_EQ(messages.shown.back().text, c.notice);
        EXPECT_EQ(messages.shown.back().caption, "Tavrel");
        EXPECT_EQ(messages.shown.back().icon, MsgIcon::Warning);
    }
}

// A marked folder that has vanished (an unplugged USB disk, a renamed folder) is a failure of
// a run that is told of it: listed in the report, no stamp; the other folders are copied.
TEST_F(Run, MissingMarkedFoldersAreFailuresOfTheRunThatIsToldOfThem) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    run.SetMissingMarkedFolders({"E:\\Usb\\Billeder\\", "C:\\Omdøbt\\"});
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "a");
    EXPECT_EQ(run.Counters().FailedCount, 2);
    EXPECT_EQ(run.Counters().CopiedCount, 1);
    EXPECT_FALSE(Stamp().has_value());
    EXPECT_NE(Report().find(" \r\nFejl: 2\r\nE:\\Usb\\Billeder\\ - Mappen findes ikke.\r\n"
                            "C:\\Omdøbt\\ - Mappen findes ikke.\r\n"),
              std::string::npos)
        << Report();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.starts_with("2 filer eller mapper kunne ikke kopieres. ")) << messages.shown[0].text;

    // Every run is told again, a count as well; a run that ends at a question records nothing.
    EXPECT_EQ(run.RunCopy(rmCount), RunOutcome::Completed);
    EXPECT_EQ(run.Counters().FailedCount, 2);
    fs.AddFile("C:\\Jobs\\Drev_C.txt", "previous report");
    job.SetReverse(true);
    messages.Answer(MsgResult::No);
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Declined);
    EXPECT_EQ(Report(), "previous report");

    // A run told of none is as before.
    run.SetMissingMarkedFolders({});
    EXPECT_EQ(run.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(run.Counters().FailedCount, 0);
    EXPECT_EQ(Stamp(), "08-12-2026 21:50");
}

TEST_F(Run, ARunWithoutAWindowShowsNothingUntilItIsGivenAProgressView) {
    fs.AddFile("C:\\Data\\a.txt", "a", kT0);
    CopyRun bare{CopyRunDeps{job, app, fs, clock, messages, nullptr, nullptr, abort}};
    EXPECT_EQ(bare.RunCopy(rmCopy), RunOutcome::Completed);
    EXPECT_EQ(fs.Content("D:\\Backup\\Data\\a.txt"), "a");
    EXPECT_TRUE(view.log.empty());

    // The progress window comes after the run was composed; the host stays without one.
    bare.SetProgressView(&view);
    EXPECT_EQ(bare.RunCopy(rmCount), RunOutcome::Completed);
    EXPECT_TRUE(view.Logged("caption:Optælling er afsluttet"));
    EXPECT_EQ(view.counts, (std::vector<std::string>{"1 filer", "0,0 KB", "0 filer", "0,0 KB"}));
    EXPECT_FALSE(view.Logged("timer:on"));
    EXPECT_EQ(view.pumps, 0);
}
