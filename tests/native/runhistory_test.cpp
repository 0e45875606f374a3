#include "core/RunHistory.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"

using namespace tavrel;

namespace {

const char* kJob = "C:\\Jobs\\Min backup.tvj";
const char* kLog = "C:\\Jobs\\Min backup.log";
const char* kMark = "\xEF\xBB\xBF";

HistoryEntry MakeRun(RunProgram program, RunEnd end, int64_t failed = 0, int day = 8, int hour = 22) {
    HistoryEntry e;
    e.when = LocalTime{2026, 12, day, hour, 0, 3};
    e.program = program;
    e.kind = RunKind::Copy;
    e.end = end;
    e.examined = 1234;
    e.copied = 56;
    e.failed = failed;
    e.seconds = 62;
    return e;
}

class RunHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs.AddDrive('C');
        fs.AddFolder("C:\\Jobs\\");
    }
    std::vector<std::string> FileLines() { return SplitLines(DecodeTextFile(fs.Content(kLog))); }
    SimFileSystem fs;
};

}  // namespace

TEST(RunHistoryFormat, FileBesideTheJob) {
    EXPECT_EQ(HistoryFileOf("C:\\Jobs\\Min backup.tvj"), "C:\\Jobs\\Min backup.log");
    EXPECT_EQ(HistoryFileOf("C:\\Jobs.v2\\Drev_C"), "C:\\Jobs.v2\\Drev_C.log");
    EXPECT_EQ(HistoryFileOf(""), "");
}

TEST(RunHistoryFormat, LinesAsTheUserReadsThem) {
    struct Case {
        HistoryEntry entry;
        const char* line;
    } cases[] = {
        {MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 3),
         "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1.234; kopieret 56; fejl 3; tid 0:01:02"},
        {[] {
             HistoryEntry e = MakeRun(RunProgram::Tavrel, RunEnd::Aborted);
             e.kind = RunKind::Count;
             e.when = LocalTime{2027, 1, 2, 8, 5, 9};
             e.examined = 1234567;
             e.copied = 2;
             e.seconds = 100000;  // more than a day
             return e;
         }(),
         "02-01-2027 08:05:09; tavrel; optælling; afbrudt; gennemset 1.234.567; vil blive kopieret 2; fejl 0; "
         "tid 27:46:40"},
        {[] {
             HistoryEntry e = MakeRun(RunProgram::Tavrelc, RunEnd::Failed);
             e.examined = e.copied = e.seconds = 0;
             e.note = "Jobfilen kunne ikke indlæses.\r\nLinje 2; mere";
             return e;
         }(),
         "08-12-2026 22:00:03; tavrelc; kopiering; fejl; gennemset 0; kopieret 0; fejl 0; tid 0:00:00; "
         "Jobfilen kunne ikke indlæses.  Linje 2; mere"},
        {[] {
             HistoryEntry e = MakeRun(RunProgram::Tavrelc, RunEnd::Stopped);
             e.examined = 999;
             e.copied = 1000;
             return e;
         }(),
         "08-12-2026 22:00:03; tavrelc; kopiering; stoppet; gennemset 999; kopieret 1.000; fejl 0; tid 0:01:02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(FormatHistoryLine(c.entry), c.line);
        auto back = ParseHistoryLine(c.line);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->when, c.entry.when);
        EXPECT_EQ(back->program, c.entry.program);
        EXPECT_EQ(back->kind, c.entry.kind);
        EXPECT_EQ(back->end, c.entry.end);
        EXPECT_EQ(back->examined, c.entry.examined);
        EXPECT_EQ(back->copied, c.entry.copied);
        EXPECT_EQ(back->failed, c.entry.failed);
        EXPECT_EQ(back->seconds, c.entry.seconds);
        EXPECT_EQ(back->line, c.line);
        EXPECT_EQ(FormatHistoryLine(*back), c.line);
    }
}

TEST(RunHistoryFormat, LongNotesAreCutAtAWholeLetter) {
    HistoryEntry e = MakeRun(RunProgram::Tavrelc, RunEnd::Failed);
    e.note = std::string(396, 'a') + "ø" + std::string(100, 'b');
    const std::string line = FormatHistoryLine(e);
    EXPECT_TRUE(IsValidUtf8(line));
    EXPECT_TRUE(line.ends_with(std::string(396, 'a') + "..."));
    EXPECT_EQ(ParseHistoryLine(line)->note, std::string(396, 'a') + "...");
}

// The history is written anew when it is shortened, so a cut note must not grow by its dots
// on every rewrite, whether the cut falls inside a letter or not.
TEST(RunHistoryFormat, ACutNoteIsWrittenTheSameAgain) {
    std::string trademarks(299, 'a');
    for (int i = 0; i < 100; ++i) trademarks += "\u2122";
    for (const std::string& note : {std::string(1000, 'a'), std::string(399, 'a') + "ø" + std::string(100, 'b'), trademarks,
                                    std::string(250, 'x') + "\t\r\n" + std::string(600, 'y')}) {
        HistoryEntry e = MakeRun(RunProgram::Tavrelc, RunEnd::Failed);
        e.note = note;
        const std::string line = FormatHistoryLine(e);
        std::string again = line;
        for (int rewrite = 0; rewrite < 3; ++rewrite) again = FormatHistoryLine(*ParseHistoryLine(again));
        EXPECT_EQ(again, line) << note.size();
        EXPECT_LE(ParseHistoryLine(line)->note.size(), 400u);
    }
}

TEST(RunHistoryFormat, LinesThatAreNoHistoryLines) {
    const char* good = "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1; kopieret 1; fejl 0; tid 0:00:01";
    ASSERT_TRUE(ParseHistoryLine(good));
    // Blanks around the fields and letter case are forgiven, as a hand edit may leave them.
    EXPECT_TRUE(ParseHistoryLine(" 08-12-2026 22:00:03 ;TAVRELC;Kopiering; afsluttet;gennemset 1;kopieret 1;fejl 0;tid 0:00:01"));
    const char* bad[] = {
        "",
        "Tavrel - Ikke-kopierede filer",
        "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1; kopieret 1; fejl 0",  // a field short
        "8-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1; kopieret 1; fejl 0; tid 0:00:01",
        "32-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1; kopieret 1; fejl 0; tid 0:00:01",
        "08-13-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1; kopieret 1; fejl 0; tid 0:00:01",
        "08-12-2026 24:00:03; tavrelc; kopiering; afsluttet; gennemset 1; kopieret 1; fejl 0; tid 0:00:01",
        "08-12-2026 22:00:03; xcopy; kopiering; afsluttet; gennemset 1; kopieret 1; fejl 0; tid 0:00:01",
        "08-12-2026 22:00:03; tavrelc; sletning; afsluttet; gennemset 1; kopieret 1; fejl 0; tid 0:00:01",
        "08-12-2026 22:00:03; tavrelc; kopiering; færdig; gennemset 1; kopieret 1; fejl 0; tid 0:00:01",
        "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset -1; kopieret 1; fejl 0; tid 0:00:01",
        "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset x; kopieret 1; fejl 0; tid 0:00:01",
        "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset .1; kopieret 1; fejl 0; tid 0:00:01",
        "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; kopieret 1; gennemset 1; fejl 0; tid 0:00:01",
        "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1; kopieret 1; fejl 0; tid 0:60:01",
        "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1; kopieret 1; fejl 0; tid 1:2:3",
        "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1; kopieret 1; fejl 0; tid",
        "08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 99999999999999999999999; kopieret 1; fejl 0; "
        "tid 0:00:01",
        "\x00\x01\x02\xFF",
    };
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(ParseHistoryLine(line));
    }
}

TEST_F(RunHistoryTest, AppendingKeepsTheOrderAndWindowsLineBreaks) {
    EXPECT_FALSE(AppendRunHistory(fs, kJob, MakeRun(RunProgram::Tavrel, RunEnd::Completed, 0, 1)));
    EXPECT_FALSE(AppendRunHistory(fs, kJob, MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 2, 2)));
    const std::string bytes = fs.Content(kLog);
    EXPECT_EQ(bytes,
              "01-12-2026 22:00:03; tavrel; kopiering; afsluttet; gennemset 1.234; kopieret 56; fejl 0; tid 0:01:02\r\n"
              "02-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1.234; kopieret 56; fejl 2; tid 0:01:02\r\n");
    RunHistory history = ReadRunHistory(fs, kJob);
    ASSERT_EQ(history.entries.size(), 2u);
    EXPECT_EQ(history.entries[1].failed, 2);
    EXPECT_TRUE(history.front);
    EXPECT_EQ(history.unreadLines, 0u);
}

TEST_F(RunHistoryTest, EncodingFollowsTheWholeFileBothWays) {
    // Danish letters fit Windows-1252: one byte, no mark.
    HistoryEntry count = MakeRun(RunProgram::Tavrel, RunEnd::Completed);
    count.kind = RunKind::Count;
    ASSERT_FALSE(AppendRunHistory(fs, kJob, count));
    EXPECT_NE(fs.Content(kLog).find("opt\xE6lling"), std::string::npos);
    EXPECT_FALSE(fs.Content(kLog).starts_with(kMark));

    // A note with Greek letters turns the whole file into UTF-8 with a mark, the older lines too.
    HistoryEntry greek = MakeRun(RunProgram::Tavrelc, RunEnd::Failed);
    greek.note = "Mappen C:\\Ελληνικά findes ikke.";
    ASSERT_FALSE(AppendRunHistory(fs, kJob, greek));
    std::string bytes = fs.Content(kLog);
    EXPECT_TRUE(bytes.starts_with(kMark));
    EXPECT_NE(bytes.find("optælling"), std::string::npos);
    RunHistory history = ReadRunHistory(fs, kJob);
    ASSERT_EQ(history.entries.size(), 2u);
    EXPECT_EQ(history.entries[0].kind, RunKind::Count);
    EXPECT_EQ(history.entries[1].note, greek.note);

    // Once the Greek line is trimmed away the file is Windows-1252 again.
    for (size_t i = 0; i < kHistoryMaxLines; ++i) ASSERT_FALSE(AppendRunHistory(fs, kJob, count));
    bytes = fs.Content(kLog);
    EXPECT_FALSE(bytes.starts_with(kMark));
    EXPECT_EQ(bytes.find("\xCE"), std::string::npos);
    EXPECT_EQ(FileLines().size(), kHistoryMaxLines);
}

TEST_F(RunHistoryTest, AWindows1252FileIsReadAsOneText) {
    // "Ã¦" in Windows-1252 is the two bytes that are "æ" in UTF-8; beside a line with a
    // Windows-1252 "æ" the file is Windows-1252 as a whole, and so is that line.
    HistoryEntry odd = MakeRun(RunProgram::Tavrelc, RunEnd::Failed, 0, 1);
    odd.note = "Ã¦";
    HistoryEntry count = MakeRun(RunProgram::Tavrel, RunEnd::Completed, 0, 2);
    count.kind = RunKind::Count;
    ASSERT_FALSE(AppendRunHistory(fs, kJob, odd));
    ASSERT_FALSE(AppendRunHistory(fs, kJob, count));
    ASSERT_FALSE(fs.Content(kLog).starts_with(kMark));
    for (size_t bytes : {kHistoryReadBytes, size_t{150}}) {
        SCOPED_TRACE(bytes);
        RunHistory history = ReadRunHistory(fs, kJob, bytes);
        ASSERT_FALSE(history.entries.empty());
        EXPECT_EQ(history.entries.back().kind, RunKind::Count);
        if (history.entries.size() == 2) EXPECT_EQ(history.entries[0].note, "Ã¦");
    }
    EXPECT_EQ(ReadRunHistory(fs, kJob).entries.size(), 2u);
    ASSERT_FALSE(AppendRunHistory(fs, kJob, count));
    EXPECT_EQ(ReadRunHistory(fs, kJob).entries[0].note, "Ã¦");
}

TEST_F(RunHistoryTest, KeepsTheLastThousandLines) {
    for (int i = 0; i < 1005; ++i) {
        HistoryEntry e = MakeRun(RunProgram::Tavrelc, RunEnd::Completed);
        e.examined = i;
        ASSERT_FALSE(AppendRunHistory(fs, kJob, e));
    }
    std::vector<std::string> lines = FileLines();
    ASSERT_EQ(lines.size(), kHistoryMaxLines);
    EXPECT_EQ(ParseHistoryLine(lines.front())->examined, 5);
    EXPECT_EQ(ParseHistoryLine(lines.back())->examined, 1004);
    // The window reads the end only: the newest runs, and not the front.
    RunHistory tail = ReadRunHistory(fs, kJob, 4096);
    EXPECT_FALSE(tail.front);
    ASSERT_FALSE(tail.entries.empty());
    EXPECT_LT(tail.entries.size(), 50u);
    EXPECT_EQ(tail.entries.back().examined, 1004);
    EXPECT_EQ(tail.unreadLines, 0u);  // the cut first line is not counted as damaged
    for (size_t i = 1; i < tail.entries.size(); ++i)
        EXPECT_EQ(tail.entries[i].examined, tail.entries[i - 1].examined + 1);
}

TEST_F(RunHistoryTest, AUtf8FileReadFromItsEndKeepsItsLetters) {
    std::string text = kMark;
    for (int i = 0; i < 3000; ++i) {
        HistoryEntry e = MakeRun(RunProgram::Tavrelc, RunEnd::Failed);
        e.note = "Ελληνικά " + std::to_string(i);
        text += FormatHistoryLine(e) + "\r\n";
    }
    fs.AddFile(kLog, text);
    RunHistory history = ReadRunHistory(fs, kJob);
    EXPECT_FALSE(history.front);
    ASSERT_FALSE(history.entries.empty());
    EXPECT_EQ(history.entries.back().note, "Ελληνικά 2999");
    EXPECT_EQ(history.unreadLines, 0u);
    // The read is bounded: 64 KB of the end, however long the file.
    EXPECT_LT(history.entries.size() * 100, kHistoryReadBytes + 200);
}

TEST_F(RunHistoryTest, DamagedHugeAndBinaryFilesNeverStopAnything) {
    const std::string good = FormatHistoryLine(MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 1));
    struct Case {
        const char* what;
        std::function<void()> make;
        size_t entries;
    } cases[] = {
        {"missing", [] {}, 0},
        {"empty", [&] { fs.AddFile(kLog, ""); }, 0},
        {"garbage between good lines",
         [&] { fs.AddFile(kLog, good + "\r\n\x01\x02\xFF\xFE garbage\r\n\r\n" + good + "\n" + good); }, 3},
        {"a UTF-8 file with one broken line",
         [&] { fs.AddFile(kLog, kMark + good + "\r\nbroken \xE6\xFF\r\n" + good + "; \xC3\xA6\r\n"); }, 2},
        {"huge, no content", [&] { fs.AddBigFile(kLog, 50000000000ull); }, 0},
        {"one line longer than the part read", [&] { fs.AddFile(kLog, std::string(200000, 'x')); }, 0},
        {"a folder", [&] { fs.AddFolder(kLog); }, 0},
        {"unreadable", [&] {
             fs.AddFile(kLog, good);
             fs.InjectFailure(SimOp::ReadFile, kLog, kErrSharingViolation);
         }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs.Remove(kLog);
        fs.ClearFailures();
        c.make();
        RunHistory history;
        ASSERT_NO_THROW(history = ReadRunHistory(fs, kJob));
        EXPECT_EQ(history.entries.size(), c.entries);
        for (const HistoryEntry& e : history.entries) EXPECT_EQ(e.failed, 1);
    }
    fs.ClearFailures();
    fs.Remove(kLog);
    fs.AddFile(kLog, kMark + good + "\r\nbroken \xE6\xFF\r\n");
    RunHistory history = ReadRunHistory(fs, kJob);
    EXPECT_EQ(history.unreadLines, 1u);
}

TEST_F(RunHistoryTest, AppendingToADamagedHistoryKeepsItsLines) {
    const std::string good = FormatHistoryLine(MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 1, 1));
    fs.AddFile(kLog, good + "\r\nen linje skrevet af brugeren\r\n");
    ASSERT_FALSE(AppendRunHistory(fs, kJob, MakeRun(RunProgram::Tavrel, RunEnd::Completed, 0, 2)));
    std::vector<std::string> lines = FileLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], good);
    EXPECT_EQ(lines[1], "en linje skrevet af brugeren");
}

TEST_F(RunHistoryTest, AHugeHistoryLosesOnlyItsFront) {
    // 3 MB of history lines: appending reads the last megabyte and keeps 1 000 lines of it.
    std::string text;
    for (int i = 0; text.size() < 3 * 1024 * 1024; ++i) {
        HistoryEntry e = MakeRun(RunProgram::Tavrelc, RunEnd::Completed);
        e.examined = i;
        e.note = std::string(900, 'n');
        text += FormatHistoryLine(e) + "\r\n";
    }
    fs.AddFile(kLog, text);
    HistoryEntry last = MakeRun(RunProgram::Tavrel, RunEnd::Completed);
    last.examined = 7;
    ASSERT_FALSE(AppendRunHistory(fs, kJob, last));
    std::vector<std::string> lines = FileLines();
    EXPECT_LE(lines.size(), kHistoryMaxLines);
    EXPECT_GT(lines.size(), 1000u * 1024 / 1100);  // a megabyte of lines of about 1 000 bytes
    EXPECT_EQ(ParseHistoryLine(lines.back())->examined, 7);
    for (const std::string& line : lines) EXPECT_TRUE(ParseHistoryLine(line)) << line.substr(0, 40);
}

TEST(RunHistoryWrite, FailuresAreDanishTextsAndLeaveTheOldFile) {
    const std::string old = FormatHistoryLine(MakeRun(RunProgram::Tavrelc, RunEnd::Completed)) + "\r\n";
    struct Case {
        const char* what;
        std::function<void(SimFileSystem&)> make;
        const char* reason;
    } cases[] = {
        {"read-only history", [](SimFileSystem& fs) { fs.SetAttrs(kLog, kAttrReadOnly | kAttrArchive); },
         "Adgang nægtet."},
        {"disk full", [](SimFileSystem& fs) { fs.SetFreeSpace('C', 10); }, "Der er ikke nok plads på disken."},
        {"cannot be read", [](SimFileSystem& fs) { fs.InjectFailure(SimOp::ReadFile, kLog, kErrSharingViolation); },
         "Processen kan ikke få adgang til filen, fordi den bruges af en anden proces."},
        {"cannot be written", [](SimFileSystem& fs) { fs.InjectFailure(SimOp::WriteFile, kLog, kErrAccessDenied); },
         "Adgang nægtet."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimFileSystem fs;
        fs.AddDrive('C');
        fs.AddFile(kLog, old);
        c.make(fs);
        std::optional<std::string> error;
        ASSERT_NO_THROW(error = AppendRunHistory(fs, kJob, MakeRun(RunProgram::Tavrel, RunEnd::Completed)));
        ASSERT_TRUE(error);
        EXPECT_EQ(*error, std::string("Kørselshistorikken ") + kLog + " kunne ikke skrives: " + c.reason);
        EXPECT_EQ(fs.Content(kLog), old);
    }
    // A job on a drive that is gone.
    SimFileSystem fs;
    fs.AddDrive('C');
    auto error = AppendRunHistory(fs, "Q:\\Job.tvj", MakeRun(RunProgram::Tavrel, RunEnd::Completed));
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "Kørselshistorikken Q:\\Job.log kunne ikke skrives: Den angivne sti blev ikke fundet.");
}

TEST_F(RunHistoryTest, AnotherProgramsLogIsLeftAlone) {
    const std::string foreign = "2026-12-08 22:00 Backup started\r\n2026-12-08 22:10 Backup done\r\n";
    fs.AddFile(kLog, foreign);
    auto error = AppendRunHistory(fs, kJob, MakeRun(RunProgram::Tavrel, RunEnd::Completed));
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("ikke en kørselshistorik"), std::string::npos);
    EXPECT_EQ(fs.Content(kLog), foreign);
    // Blank lines alone are nobody's: the history starts there.
    fs.AddFile(kLog, "\r\n\r\n");
    EXPECT_FALSE(AppendRunHistory(fs, kJob, MakeRun(RunProgram::Tavrel, RunEnd::Completed)));
    EXPECT_EQ(ReadRunHistory(fs, kJob).entries.size(), 1u);
}

TEST_F(RunHistoryTest, AnUntitledJobHasNoHistory) {
    EXPECT_FALSE(AppendRunHistory(fs, "", MakeRun(RunProgram::Tavrel, RunEnd::Completed)));
    EXPECT_EQ(fs.Calls(SimOp::WriteFile), 0);
    EXPECT_TRUE(ReadRunHistory(fs, "").entries.empty());
}

TEST(RunHistoryFailures, WhichRunsWentWrong) {
    struct Case {
        const char* what;
        HistoryEntry entry;
        bool wrong;
    } cases[] = {
        {"tavrelc completed", MakeRun(RunProgram::Tavrelc, RunEnd::Completed), false},
        {"tavrelc with failed files", MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 3), true},
        {"tavrelc aborted", MakeRun(RunProgram::Tavrelc, RunEnd::Aborted), true},
        {"tavrelc stopped", MakeRun(RunProgram::Tavrelc, RunEnd::Stopped), true},
        {"tavrelc could not run", MakeRun(RunProgram::Tavrelc, RunEnd::Failed), true},
        {"window run with failed files", MakeRun(RunProgram::Tavrel, RunEnd::Completed, 3), false},
        {"window run aborted", MakeRun(RunProgram::Tavrel, RunEnd::Aborted), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(WentWrong(c.entry), c.wrong);
    }
}

TEST(RunHistoryFailures, OncePerRunAfterTheMarkerAndTheLastWindowRun) {
    auto line = [](HistoryEntry e) {
        e.line = FormatHistoryLine(e);
        return e;
    };
    RunHistory history;
    history.entries = {
        line(MakeRun(RunProgram::Tavrelc, RunEnd::Failed, 0, 1)),     // 0
        line(MakeRun(RunProgram::Tavrel, RunEnd::Completed, 0, 2)),   // 1: seen in the window
        line(MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 4, 3)),  // 2
        line(MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 0, 4)),  // 3
        line(MakeRun(RunProgram::Tavrelc, RunEnd::Stopped, 0, 5)),    // 4
    };
    auto days = [](const std::vector<HistoryEntry>& runs) {
        std::vector<int> out;
        for (const HistoryEntry& e : runs) out.push_back(e.when.day);
        return out;
    };
    struct Case {
        const char* what;
        std::string marker;
        std::vector<int> days;
    } cases[] = {
        {"nothing shown yet: after the last window run", "", {3, 5}},
        {"marker on a failed run", history.entries[2].line, {5}},
        {"marker on the newest run", history.entries[4].line, {}},
        {"marker before the window run", history.entries[0].line, {3, 5}},
        // The marked line was trimmed away or edited: its time decides.
        {"marker gone, time between", FormatHistoryLine(MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 9, 3, 23)), {5}},
        {"marker gone, time after all", FormatHistoryLine(MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 0, 9)), {}},
        {"marker that is no line", "rubbish", {3, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(days(UnseenFailedRuns(history, c.marker)), c.days);
    }
    EXPECT_EQ(MarkerOf(history), history.entries[4].line);
    EXPECT_EQ(MarkerOf(RunHistory{}), "");
    // After the window has shown them and moved the marker, they are not shown again.
    EXPECT_TRUE(UnseenFailedRuns(history, MarkerOf(history)).empty());
}

TEST(RunHistoryFailures, MarkerLivesInItsOwnSubkeyByTheJobsPath) {
    SimSettingsStore store;
    store.Open();
    store.Set("Filer", "Min backup.tvj", "08-12-2026 22:00");
    store.Set("Filer", "Fil1", "C:\\Jobs\\Min backup.tvj");
    ASSERT_TRUE(WriteShownMarker(store, "C:\\Jobs\\Min backup.tvj", "linje A"));
    ASSERT_TRUE(WriteShownMarker(store, "D:\\Andre\\Min backup.tvj", "linje B"));
    EXPECT_EQ(ReadShownMarker(store, "c:\\jobs\\MIN BACKUP.tvj"), "linje A");  // as the registry: case ignored
    EXPECT_EQ(ReadShownMarker(store, "D:\\Andre\\Min backup.tvj"), "linje B");
    EXPECT_EQ(ReadShownMarker(store, "E:\\Ny.tvj"), "");
    // The values the program had before stay as they were.
    EXPECT_EQ(store.Value("Filer", "Min backup.tvj"), "08-12-2026 22:00");
    EXPECT_EQ(store.Value("Filer", "Fil1"), "C:\\Jobs\\Min backup.tvj");
    EXPECT_EQ(store.All().at("Historik").size(), 2u);
    EXPECT_FALSE(WriteShownMarker(store, "", "x"));
    EXPECT_EQ(ReadShownMarker(store, ""), "");
}

TEST(RunHistoryFailures, TheMessageNamesWhenAndWhat) {
    HistoryEntry files = MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 3);
    HistoryEntry one = MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 1);
    HistoryEntry aborted = MakeRun(RunProgram::Tavrelc, RunEnd::Aborted, 2);
    HistoryEntry stopped = MakeRun(RunProgram::Tavrelc, RunEnd::Stopped);
    HistoryEntry failed = MakeRun(RunProgram::Tavrelc, RunEnd::Failed);
    failed.note = "Jobfilen kunne ikke indlæses.";
    HistoryEntry count = MakeRun(RunProgram::Tavrelc, RunEnd::Completed, 2);
    count.kind = RunKind::Count;
    struct Case {
        HistoryEntry entry;
        const char* what;
    } cases[] = {
        {files, "kunne ikke kopiere 3 filer"},
        {one, "kunne ikke kopiere 1 fil"},
        {aborted, "blev afbrudt og kunne ikke kopiere 2 filer"},
        {stopped, "blev stoppet"},
        {failed, "kunne ikke køre (Jobfilen kunne ikke indlæses.)"},
        {count, "stødte på 2 fejl"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(WhatWentWrong(c.entry), c.what);
    }
    EXPECT_EQ(FailedRunsMessage({files}),
              "Den planlagte kopiering 08-12-2026 kl. 22:00 kunne ikke kopiere 3 filer.\r\n\r\n"
              "Vil du se rapporten over den seneste kørsel?");
    EXPECT_EQ(FailedRunsMessage({stopped, files}),
              "Den planlagte kopiering 08-12-2026 kl. 22:00 kunne ikke kopiere 3 filer.\r\n\r\n"
              "Den planlagte kørsel før den gik også galt.\r\n\r\n"
              "Vil du se rapporten over den seneste kørsel?");
    EXPECT_NE(FailedRunsMessage({stopped, stopped, stopped, failed}).find("De 3 planlagte kørsler før den"),
              std::string::npos);
    EXPECT_EQ(FailedRunsMessage({}), "");
}
