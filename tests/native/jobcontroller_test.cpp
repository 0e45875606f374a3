#include "core/JobController.h"

#include <gtest/gtest.h>

#include <deque>

#include "base/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "tests/native/support/Mapping.h"

using namespace tavrel;
using tavrel::test::ExpectMapping;

namespace {

using Paths = std::vector<std::string>;

// The tree as the job sees it: marked folders in marking order and the redraw lock's depth.
class FakeTree : public IJobTree {
public:
    Paths marked;
    Paths unknownDrives;  // folders on these drive letters have no node
    int lockDepth = 0;
    int clears = 0;
    int collapses = 0;

    void ClearAllMarks() override {
        marked.clear();
        ++clears;
    }
    bool MarkLoadedFolder(const std::string& folder) override {
        for (const auto& d : unknownDrives)
            if (folder.compare(0, d.size(), d) == 0) return false;
        marked.push_back(folder);
        return true;
    }
    Paths CollectMarkedFolders() override { return marked; }
    void CollapseAll() override { ++collapses; }
    void BeginUpdate() override { ++lockDepth; }
    void EndUpdate() override { --lockDepth; }
};

class FakeView : public IJobView {
public:
    JobSettings shown;
    int showCount = 0;
    std::string caption;
    bool startEnabled = false;
    Paths statusTexts;
    std::string lastCopied;
    std::deque<std::optional<std::string>> openAnswers, saveAnswers;
    Paths openAsked, saveAsked;  // the initial folders the dialogs were given

    void ShowSettings(const JobSettings& s) override {
        shown = s;
        ++showCount;
    }
    void SetCaption(const std::string& c) override { caption = c; }
    void SetStartEnabled(bool on) override { startEnabled = on; }
    void SetStatusText(const std::string& t) override { statusTexts.push_back(t); }
    void SetLastCopied(const std::string& t) override { lastCopied = t; }
    std::optional<std::string> AskOpenJobFile(const std::string& folder) override {
        openAsked.push_back(folder);
        return Next(openAnswers);
    }
    std::optional<std::string> AskSaveJobFile(const std::string& folder) override {
        saveAsked.push_back(folder);
        return Next(saveAnswers);
    }

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

const char* kDrevC =
    "FilVer=2\r\nBeskiv=Dokumenter\r\nDest=E:\\Backup\\\r\nSletDest=0\r\nUndermapper=1\r\n"
    "KunNye=1\r\nKunFiltyper=0\r\nFilTyper=.BAK,.TMP\r\nModsat=0\r\n";
const char* kMissingText = "Følgende bibliotek(er) eksisterer ikke mere:\n";

struct JobControllerTest : ::testing::Test {
    SimFileSystem fs;
    SimSettingsStore store;
    AppSettings settings{store};
    SimMessageBox messages;
    FakeView view;
    FakeTree tree;
    SimBusyCursor cursor;
    JobController job{JobControllerDeps{fs, settings, messages, view, tree, &cursor, "C:\\Programmer\\Tavrel\\"}};

    void SetUp() override {
        settings.Open();
        fs.AddDrive('C');
        fs.AddDrive('E');
        fs.AddFolder("C:\\Jobs\\");
        fs.AddFolder("C:\\Data\\");
        fs.AddFolder("C:\\Projekter\\Web\\");
        fs.AddFolder("E:\\Backup\\");
    }

    void WriteDrevC(const std::string& list = "C:\\Data\\\r\nC:\\Projekter\\Web\\\r\n") {
        fs.AddFile("C:\\Jobs\\Drev_C.tvj", kDrevC);
        fs.AddFile("C:\\Jobs\\Drev_C.tvl", list);
    }

    bool Load(const std::string& path) {
        tree.ClearAllMarks();
        job.SetJobFileName(path);
        return job.LoadJob(path);
    }

    void ExpectWindowUsable() {
        EXPECT_EQ(tree.lockDepth, 0);
        EXPECT_EQ(cursor.depth, 0);
        ASSERT_FALSE(view.statusTexts.empty());
        EXPECT_EQ(view.statusTexts.back(), "Klar");
    }
};

}  // namespace

TEST(JobCaption, NameWithoutFolderAndLastFourCharacters) {
    EXPECT_EQ(JobCaption("Drev_C"), "Ambrex Tavrel 2 - Drev_C");
    EXPECT_EQ(JobCaption("Ikke navngivet"), "Ambrex Tavrel 2 - Ikke navngivet");
    ExpectMapping<const char*, const char*>(JobNameOf, {{"C:\\Jobs\\Drev_C.tvj", "Drev_C"}, {"Drev_C.tvj", "Drev_C"},
                                                        {"C:\\Jobs\\Kopi.a", "Ko"}, {"C:\\Jobs\\Søndagsjob", "Søndag"},
                                                        {"C:\\Jobs\\ÆØÅæ", ""}, {"", ""}});
}

TEST_F(JobControllerTest, LoadFillsTheWindowInOrder) {
    WriteDrevC();
    store.Set("Filer", "Drev_C.tvj", "07-12-2026 18:00:00");
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));

    EXPECT_EQ(view.statusTexts, (Paths{"Indlæser job...", "Klar"}));
    EXPECT_EQ(cursor.begins, 1);
    ExpectWindowUsable();
    EXPECT_EQ(view.shown.description, "Dokumenter");
    EXPECT_EQ(view.shown.destination, "E:\\Backup\\");
    EXPECT_TRUE(view.shown.includeSubfolders);
    EXPECT_EQ(view.shown.fileTypes, (Paths{".BAK", ".TMP"}));
    EXPECT_EQ(tree.marked, (Paths{"C:\\Data\\", "C:\\Projekter\\Web\\"}));
    EXPECT_EQ(job.MarkedFolders(), tree.marked);
    EXPECT_EQ(tree.collapses, 1);
    EXPECT_EQ(view.lastCopied, "07-12-2026 18:00:00");
    EXPECT_EQ(view.caption, "Ambrex Tavrel 2 - Drev_C");
    EXPECT_TRUE(view.startEnabled);
    EXPECT_FALSE(job.Modified());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Drev_C.tvj");
}

TEST_F(JobControllerTest, LoadEmptiesTheTypeListAndDisablesStartWithoutDestination) {
    job.AddFileType(".old");
    fs.AddFile("C:\\Jobs\\Tom.tvj", "FilVer=2\r\nUndermapper=0\r\n");
    fs.AddFile("C:\\Jobs\\Tom.tvl", "");
    ASSERT_TRUE(Load("C:\\Jobs\\Tom.tvj"));
    EXPECT_TRUE(job.Settings().fileTypes.empty());
    EXPECT_FALSE(view.startEnabled);
    EXPECT_EQ(view.lastCopied, "-");
    // A destination without its backslash is shown and used as written.
    fs.AddFile("C:\\Jobs\\Tom.tvj", "FilVer=2\r\nDest=E:\\Backup\r\n");
    ASSERT_TRUE(Load("C:\\Jobs\\Tom.tvj"));
    EXPECT_EQ(job.Settings().destination, "E:\\Backup");
    EXPECT_TRUE(view.startEnabled);
}

TEST_F(JobControllerTest, SaveAndLoadRoundTrip) {
    job.SetDescription("Dokumenter");
    job.ChooseDestination("E:\\Backup");
    tree.marked = {"C:\\Data\\", "C:\\Projekter\\Web\\"};
    view.saveAnswers.push_back(std::string("C:\\Jobs\\Drev_C.tvj"));
    ASSERT_TRUE(job.Save());
    EXPECT_EQ(view.saveAsked, Paths{"C:\\Programmer\\Tavrel\\"});
    EXPECT_EQ(fs.Content("C:\\Jobs\\Drev_C.tvj"), kDrevC);
    EXPECT_EQ(fs.Content("C:\\Jobs\\Drev_C.tvl"), "C:\\Data\\\r\nC:\\Projekter\\Web\\\r\n");
    EXPECT_EQ(view.caption, "Ambrex Tavrel 2 - Drev_C");
    EXPECT_FALSE(job.Modified());

    // A second window loads what the first one saved.
    FakeView view2;
    FakeTree tree2;
    JobController other{JobControllerDeps{fs, settings, messages, view2, tree2, nullptr, ""}};
    other.SetJobFileName("C:\\Jobs\\Drev_C.tvj");
    ASSERT_TRUE(other.LoadJob("C:\\Jobs\\Drev_C.tvj"));
    EXPECT_EQ(other.Settings().description, "Dokumenter");
    EXPECT_EQ(other.Settings().destination, "E:\\Backup\\");
    EXPECT_EQ(tree2.marked, tree.marked);

    // Gem on a named job writes without asking.
    job.SetFlag(&JobSettings::includeSubfolders, false);
    ASSERT_TRUE(job.Save());
    EXPECT_EQ(view.saveAsked.size(), 1u);
    EXPECT_NE(fs.Content("C:\\Jobs\\Drev_C.tvj").find("Undermapper=0\r\n"), std::string::npos);
}

TEST_F(JobControllerTest, MissingFolderIsListedAndDroppedAtTheNextSave) {
    WriteDrevC(EncodeTextFile("C:\\Data\\\r\nC:\\Slettet\\\r\nC:\\Projekter\\Web\\\r\nC:\\Også væk\\\r\n"));
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, std::string(kMissingText) + "C:\\Slettet\\\nC:\\Også væk\\\n");
    EXPECT_EQ(messages.shown[0].caption, "Tavrel");
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(tree.marked, (Paths{"C:\\Data\\", "C:\\Projekter\\Web\\"}));
    EXPECT_EQ(job.MarkedFolders().size(), 4u);
    ASSERT_TRUE(job.Save());
    EXPECT_EQ(fs.Content("C:\\Jobs\\Drev_C.tvl"), "C:\\Data\\\r\nC:\\Projekter\\Web\\\r\n");
}

// A list line without a drive or share resolves against the program's current folder, which
// the user never chose; copying it would copy a whole drive under a mangled name.
TEST_F(JobControllerTest, ListLinesWithoutADriveAreNotFoundFolders) {
    fs.SetCurrentDirectory("C:\\");
    WriteDrevC(EncodeTextFile("\\\r\n/\r\nData\\\r\nC:Data\\\r\n.\\\r\nC:\\Projekter\\Web\\\r\n"));
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, std::string(kMissingText) + "\\\n/\nData\\\nC:Data\\\n.\\\n");
    EXPECT_EQ(tree.marked, (Paths{"C:\\Projekter\\Web\\"}));
    EXPECT_EQ(job.CollectMarkedFolders(), (Paths{"C:\\Projekter\\Web\\"}));
}

// Copies land at the destination plus the folder's path after its drive, so a folder written
// with ".." parts would put them beside the destination instead of in it.
TEST_F(JobControllerTest, ListLinesAreReadAsWindowsReadsThem) {
    WriteDrevC(EncodeTextFile("C:\\..\\Data\\\r\nC:\\\\Projekter\\.\\Web\\\r\nC:/Data/../Slettet/\r\n"));
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    EXPECT_EQ(tree.marked, (Paths{"C:\\Data\\", "C:\\Projekter\\Web\\"}));
    EXPECT_EQ(job.CollectMarkedFolders(), (Paths{"C:\\Data\\", "C:\\Projekter\\Web\\"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, std::string(kMissingText) + "C:\\Slettet\\\n");
}

TEST_F(JobControllerTest, MissingFolderMessageComesAfterTheWindowIsReady) {
    WriteDrevC("C:\\Væk\\\r\n");
    bool checked = false;
    messages.onShow = [&](const SimMessage&) {
        checked = true;
        EXPECT_EQ(tree.lockDepth, 0);
        EXPECT_EQ(cursor.depth, 0);
        EXPECT_FALSE(job.Modified());
        EXPECT_EQ(view.caption, "Ambrex Tavrel 2 - Drev_C");
    };
    job.SetModified();
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    EXPECT_TRUE(checked);
}

TEST_F(JobControllerTest, FolderWithoutTreeNodeIsNotMarkedNorMissing) {
    fs.AddDrive('Q');
    fs.AddFolder("Q:\\Net\\");
    tree.unknownDrives = {"Q:"};
    WriteDrevC("Q:\\Net\\\r\nC:\\Data\\\r\n");
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(tree.marked, Paths{"C:\\Data\\"});
}

TEST_F(JobControllerTest, Version1ShortFileShowsTheMessageAndStillReadsTheList) {
    fs.AddFile("C:\\Jobs\\Gammel.tvj", "1\r\nGammelt job\r\nE:\\Backup\\\r\n");
    fs.AddFile("C:\\Jobs\\Gammel.tvl", "C:\\Data\\\r\n");
    messages.onShow = [&](const SimMessage& m) {
        if (m.caption == "Fejl") EXPECT_EQ(tree.lockDepth, 0) << "shown while reading the job file";
    };
    ASSERT_TRUE(Load("C:\\Jobs\\Gammel.tvj"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Der skete en fejl under indlæsningen af filsættet.");
    EXPECT_EQ(messages.shown[0].caption, "Fejl");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Error);
    EXPECT_EQ(job.Settings().description, "Gammelt job");
    EXPECT_EQ(job.Settings().destination, "E:\\Backup\\");
    EXPECT_EQ(tree.marked, Paths{"C:\\Data\\"});
    EXPECT_FALSE(job.Modified());
}

TEST_F(JobControllerTest, Version1KeepsDeleteFirstAndReverse) {
    job.SetReverse(true);
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    fs.AddFile("C:\\Jobs\\V1.tvj", "0\r\nBeskrivelse\r\nE:\\Backup\\\r\n1\r\n0\r\n\r\n\r\n\r\n.TMP\r\n.bak\r\n");
    fs.AddFile("C:\\Jobs\\V1.tvl", "");
    ASSERT_TRUE(Load("C:\\Jobs\\V1.tvj"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(job.Settings().reverse);
    EXPECT_TRUE(job.Settings().deleteDestFirst);
    EXPECT_FALSE(job.Settings().includeSubfolders);
    EXPECT_EQ(job.Settings().fileTypes, (Paths{".bak", ".TMP"}));
}

TEST_F(JobControllerTest, ModifiedRules) {
    auto check = [&](const char* what, auto&& action) {
        WriteDrevC();
        ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
        ASSERT_FALSE(job.Modified());
        action();
        EXPECT_TRUE(job.Modified()) << what;
    };
    check("description", [&] { job.SetDescription(""); });
    check("destination", [&] { job.ChooseDestination("E:\\Andet\\"); });
    check("destination without a path", [&] { job.ChooseDestination(""); });
    check("delete first", [&] { job.SetFlag(&JobSettings::deleteDestFirst, true); });
    check("subfolders", [&] { job.SetFlag(&JobSettings::includeSubfolders, false); });
    check("only new", [&] { job.SetFlag(&JobSettings::onlyNewAndChanged, false); });
    check("filter mode", [&] { job.SetFlag(&JobSettings::onlyListedTypes, true); });
    check("reverse", [&] { job.SetReverse(true); });
    check("a box through the option it stands for", [&] { job.SetFlag(&JobSettings::includeSubfolders, false); });
    check("add type", [&] { job.AddFileType("txt"); });
    check("delete nothing", [&] { job.DeleteFileTypes({}); });
    check("tree mark", [&] { job.SetModified(); });

    ASSERT_TRUE(job.Save());
    EXPECT_FALSE(job.Modified());
    job.SetModified();
    messages.Answer(MsgResult::No);
    job.Close();
    EXPECT_FALSE(job.Modified());
}

TEST_F(JobControllerTest, DestinationChoices) {
    WriteDrevC();
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    job.ChooseDestination("");
    EXPECT_FALSE(view.startEnabled);
    EXPECT_EQ(job.Settings().destination, "E:\\Backup\\");
    job.ChooseDestination("E:\\Nyt");
    EXPECT_TRUE(view.startEnabled);
    EXPECT_EQ(job.Settings().destination, "E:\\Nyt\\");
    EXPECT_EQ(view.shown.destination, "E:\\Nyt\\");
    job.ChooseDestination("F:\\");
    EXPECT_EQ(job.Settings().destination, "F:\\");
}

TEST_F(JobControllerTest, FileTypeEditing) {
    job.AddFileType("txt");
    job.AddFileType(".TXT");
    job.AddFileType(".a b");
    EXPECT_EQ(job.Settings().fileTypes, (Paths{".a b", ".BAK", ".TMP", ".txt", ".TXT"}));
    EXPECT_EQ(view.shown.fileTypes, job.Settings().fileTypes);
    job.DeleteFileTypes({4, 0, 4, 99, -1});
    EXPECT_EQ(job.Settings().fileTypes, (Paths{".BAK", ".TMP", ".txt"}));
    EXPECT_EQ(view.shown.fileTypes, job.Settings().fileTypes);
}

TEST_F(JobControllerTest, ReverseReachesTheView) {
    job.SetFlag(&JobSettings::deleteDestFirst, true);
    job.SetReverse(true);
    EXPECT_TRUE(view.shown.reverse);
    // The check of delete-first stays; the view only disables the box.
    EXPECT_TRUE(view.shown.deleteDestFirst);
    job.SetReverse(false);
    EXPECT_FALSE(view.shown.reverse);
    // The reverse box reached through its option shows the same.
    job.SetFlag(&JobSettings::reverse, true);
    EXPECT_TRUE(job.Settings().reverse);
    EXPECT_TRUE(view.shown.reverse);
}

TEST_F(JobControllerTest, CloseAsksSavesRecordsAndEmpties) {
    WriteDrevC();
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    job.SetFlag(&JobSettings::onlyListedTypes, true);
    messages.Answer(MsgResult::Yes);
    job.Close();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Ønsker du at gemme det aktuelle job?");
    EXPECT_EQ(messages.shown[0].caption, "Gem job");
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Question);
    EXPECT_NE(fs.Content("C:\\Jobs\\Drev_C.tvj").find("KunFiltyper=1"), std::string::npos);

    EXPECT_EQ(settings.RecentFiles(), Paths{"C:\\Jobs\\Drev_C.tvj"});
    EXPECT_EQ(job.JobFileName(), "");
    EXPECT_EQ(view.caption, "Ambrex Tavrel 2 - Ikke navngivet");
    EXPECT_FALSE(view.startEnabled);
    EXPECT_EQ(view.shown.description, "");
    EXPECT_EQ(view.shown.destination, "");
    // Options and types carry over to the untitled job.
    EXPECT_TRUE(view.shown.onlyListedTypes);
    EXPECT_EQ(view.shown.fileTypes, (Paths{".BAK", ".TMP"}));
    EXPECT_TRUE(tree.marked.empty());
    EXPECT_GE(tree.collapses, 2);
}

TEST_F(JobControllerTest, CloseAnsweredNoWritesNothing) {
    WriteDrevC();
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    job.SetDescription("Ændret");
    fs.ResetCounts();
    messages.Answer(MsgResult::No);
    job.Close();
    EXPECT_EQ(fs.Calls(SimOp::WriteFile), 0);
    EXPECT_EQ(fs.Content("C:\\Jobs\\Drev_C.tvj"), kDrevC);
    EXPECT_EQ(settings.RecentFiles(), Paths{"C:\\Jobs\\Drev_C.tvj"});
}

TEST_F(JobControllerTest, ClosingAnUnmodifiedUntitledJobAsksNothingAndRecordsNothing) {
    job.Close();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(settings.RecentFiles().empty());
}

TEST_F(JobControllerTest, CancelledSaveDialogChangesNothing) {
    job.SetDescription("Ny");
    fs.ResetCounts();
    EXPECT_FALSE(job.Save());
    EXPECT_EQ(view.saveAsked.size(), 1u);
    EXPECT_EQ(fs.Calls(SimOp::WriteFile), 0);
    EXPECT_TRUE(job.Modified());
    EXPECT_EQ(job.JobFileName(), "");
    view.saveAnswers.push_back(std::string());
    EXPECT_FALSE(job.SaveAs());
    EXPECT_EQ(fs.Calls(SimOp::WriteFile), 0);

    // Closing an untitled, modified job: Yes shows the dialog, cancelling it still closes.
    messages.Answer(MsgResult::Yes);
    job.Close();
    EXPECT_EQ(view.saveAsked.size(), 3u);
    EXPECT_EQ(fs.Calls(SimOp::WriteFile), 0);
    EXPECT_FALSE(job.Modified());
}

TEST_F(JobControllerTest, WriteFailureIsReportedAndKeepsModified) {
    job.SetJobFileName("C:\\Jobs\\Drev_C.tvj");
    job.SetModified();
    fs.InjectFailure(SimOp::WriteFile, "C:\\Jobs\\Drev_C.tvj", kErrAccessDenied, 1);
    EXPECT_FALSE(job.Save());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Fejl");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Error);
    EXPECT_NE(messages.shown[0].text.find("C:\\Jobs\\Drev_C.tvj"), std::string::npos);
    EXPECT_NE(messages.shown[0].text.find(SimError(kErrAccessDenied).text), std::string::npos);
    EXPECT_TRUE(job.Modified());
    EXPECT_FALSE(fs.Exists("C:\\Jobs\\Drev_C.tvl"));

    // The list file failing after the job file was written also keeps the job unsaved.
    fs.InjectFailure(SimOp::WriteFile, "C:\\Jobs\\Drev_C.tvl", kErrDiskFull, 1);
    EXPECT_FALSE(job.Save());
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[1].text.find("Drev_C.tvl"), std::string::npos);
    EXPECT_TRUE(job.Modified());
    EXPECT_TRUE(job.Save());
    EXPECT_FALSE(job.Modified());
}

TEST_F(JobControllerTest, OpenAsksToSaveOnlyAfterTheChoice) {
    WriteDrevC();
    fs.AddFile("C:\\Jobs\\Andet.tvj", "FilVer=2\r\nBeskiv=Andet\r\n");
    fs.AddFile("C:\\Jobs\\Andet.tvl", "");
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    job.SetDescription("Ændret");

    // Cancelled: nothing happens, no question.
    job.Open();
    EXPECT_EQ(view.openAsked, Paths{"C:\\Programmer\\Tavrel\\"});
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Drev_C.tvj");
    EXPECT_TRUE(job.Modified());

    view.openAnswers.push_back(std::string("C:\\Jobs\\Andet.tvj"));
    messages.onShow = [&](const SimMessage&) { EXPECT_EQ(view.openAsked.size(), 2u); };
    messages.Answer(MsgResult::No);
    job.Open();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Andet.tvj");
    EXPECT_EQ(job.Settings().description, "Andet");
    EXPECT_TRUE(tree.marked.empty());
    EXPECT_EQ(view.caption, "Ambrex Tavrel 2 - Andet");
    EXPECT_EQ(settings.RecentFiles(), Paths{"C:\\Jobs\\Drev_C.tvj"});
    EXPECT_EQ(fs.Content("C:\\Jobs\\Drev_C.tvj"), kDrevC);
}

TEST_F(JobControllerTest, RecentFileThatWasDeleted) {
    WriteDrevC();
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    job.SetDescription("Ændret");
    job.OpenRecent("C:\\Jobs\\Væk.tvj");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Den valgte fil er blevet slettet.");
    EXPECT_EQ(messages.shown[0].caption, "Tavrel");
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Drev_C.tvj");
    EXPECT_EQ(job.Settings().description, "Ændret");
    EXPECT_TRUE(job.Modified());
    EXPECT_TRUE(settings.RecentFiles().empty());

    // A folder named like the job file is not a job file either.
    fs.AddFolder("C:\\Jobs\\Mappe.tvj\\");
    job.OpenRecent("C:\\Jobs\\Mappe.tvj");
    EXPECT_EQ(messages.shown.back().text, "Den valgte fil er blevet slettet.");
}

TEST_F(JobControllerTest, RecentFileThatExistsReplacesTheJob) {
    WriteDrevC();
    fs.AddFile("C:\\Jobs\\Andet.tvj", "FilVer=2\r\nDest=E:\\Backup\\\r\n");
    fs.AddFile("C:\\Jobs\\Andet.tvl", "C:\\Data\\\r\n");
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    job.OpenRecent("C:\\Jobs\\Andet.tvj");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Andet.tvj");
    EXPECT_EQ(tree.marked, Paths{"C:\\Data\\"});
    EXPECT_EQ(settings.RecentFiles(), Paths{"C:\\Jobs\\Drev_C.tvj"});
}

TEST_F(JobControllerTest, UnreadableJobFileLeavesAnUntitledUsableWindow) {
    WriteDrevC();
    fs.InjectFailure(SimOp::ReadFile, "C:\\Jobs\\Drev_C.tvj", kErrSharingViolation, 1);
    job.AddFileType(".keep");
    EXPECT_FALSE(Load("C:\\Jobs\\Drev_C.tvj"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Fejl");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Error);
    EXPECT_NE(messages.shown[0].text.find("C:\\Jobs\\Drev_C.tvj"), std::string::npos);
    EXPECT_NE(messages.shown[0].text.find(SimError(kErrSharingViolation).text), std::string::npos);
    ExpectWindowUsable();
    // Saving must not replace the file that could not be read.
    EXPECT_EQ(job.JobFileName(), "");
    EXPECT_EQ(view.caption, "Ambrex Tavrel 2 - Ikke navngivet");
    EXPECT_EQ(job.Settings().fileTypes.size(), 3u);
}

TEST_F(JobControllerTest, FolderNamedLikeTheJobFileIsAnError) {
    fs.AddFolder("C:\\Jobs\\Mappe.tvj\\");
    EXPECT_FALSE(Load("C:\\Jobs\\Mappe.tvj"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Fejl");
    ExpectWindowUsable();
}

TEST_F(JobControllerTest, GiantFileIsRefusedWithoutReadingIt) {
    fs.AddBigFile("C:\\Jobs\\Kæmpe.tvj", 5ull * 1024 * 1024 * 1024);
    fs.ResetCounts();
    EXPECT_FALSE(Load("C:\\Jobs\\Kæmpe.tvj"));
    EXPECT_EQ(fs.Calls(SimOp::ReadFile), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("for stor"), std::string::npos);
    ExpectWindowUsable();
}

TEST_F(JobControllerTest, UnreadableListFileIsReportedAfterTheJobLoaded) {
    fs.AddFile("C:\\Jobs\\Drev_C.tvj", kDrevC);
    EXPECT_FALSE(Load("C:\\Jobs\\Drev_C.tvj"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Fejl");
    EXPECT_NE(messages.shown[0].text.find("C:\\Jobs\\Drev_C.tvl"), std::string::npos);
    ExpectWindowUsable();
    EXPECT_EQ(job.Settings().description, "Dokumenter");
    EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Drev_C.tvj");
    EXPECT_EQ(view.caption, "Ambrex Tavrel 2 - Drev_C");
    EXPECT_TRUE(tree.marked.empty());
}

TEST_F(JobControllerTest, BinaryAndHugeJobFilesLoadWhatTheyCanAndSaySo) {
    std::string binary;
    for (int i = 0; i < 100000; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    fs.AddFile("C:\\Jobs\\Bin.tvj", binary);
    fs.AddFile("C:\\Jobs\\Bin.tvl", binary);
    Load("C:\\Jobs\\Bin.tvj");
    ExpectWindowUsable();
    ASSERT_GE(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[0].text.find("ikke en gyldig jobfil"), std::string::npos);
    EXPECT_EQ(messages.shown[0].caption, "Fejl");
    EXPECT_NE(messages.shown[1].text.find("Mappelisten"), std::string::npos);

    messages.shown.clear();
    std::string huge = "FilVer=2\r\nDest=" + std::string(4 * 1024 * 1024, 'E') + "\r\n";
    fs.AddFile("C:\\Jobs\\Stor.tvj", huge);
    fs.AddFile("C:\\Jobs\\Stor.tvl", "C:\\Data\\\r\n" + std::string(2 * 1024 * 1024, 'x') + "\r\n");
    Load("C:\\Jobs\\Stor.tvj");
    ExpectWindowUsable();
    EXPECT_EQ(job.Settings().destination, "");
    EXPECT_EQ(tree.marked, Paths{"C:\\Data\\"});
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].caption, "Fejl");
    EXPECT_EQ(messages.shown[1].caption, "Fejl");
}

TEST_F(JobControllerTest, UntitledSaveAsWithGreekNameWritesUtf8) {
    fs.AddFolder("C:\\Ελληνικά\\");
    tree.marked = {"C:\\Ελληνικά\\"};
    job.ChooseDestination("E:\\Backup\\");
    view.saveAnswers.push_back(std::string("C:\\Jobs\\Græsk.tvj"));
    ASSERT_TRUE(job.SaveAs());
    EXPECT_EQ(fs.Content("C:\\Jobs\\Græsk.tvl"), "\xEF\xBB\xBF" "C:\\Ελληνικά\\\r\n");
    EXPECT_EQ(fs.Content("C:\\Jobs\\Græsk.tvj").find("\xEF\xBB\xBF"), std::string::npos);
    EXPECT_EQ(view.caption, "Ambrex Tavrel 2 - Græsk");
    tree.marked.clear();
    ASSERT_TRUE(Load("C:\\Jobs\\Græsk.tvj"));
    EXPECT_EQ(tree.marked, Paths{"C:\\Ελληνικά\\"});
}

TEST_F(JobControllerTest, ASaveThatFailsWhileClosingKeepsTheJobOpenAndModified) {
    struct Closer {
        const char* what;
        std::function<void()> close;
    };
    fs.AddFile("C:\\Jobs\\Andet.tvj", "FilVer=2\r\nBeskiv=Andet\r\n");
    fs.AddFile("C:\\Jobs\\Andet.tvl", "");
    const std::vector<Closer> closers = {
        {"Luk", [&] { job.Close(); }},
        {"Åbn", [&] {
             view.openAnswers.push_back(std::string("C:\\Jobs\\Andet.tvj"));
             job.Open();
         }},
        {"recent file", [&] { job.OpenRecent("C:\\Jobs\\Andet.tvj"); }},
    };
    for (const Closer& closer : closers) {
        for (const char* failing : {"C:\\Jobs\\Drev_C.tvj", "C:\\Jobs\\Drev_C.tvl"}) {
            SCOPED_TRACE(std::string(closer.what) + ", failing " + failing);
            WriteDrevC();
            ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
            job.SetDescription("Ændret");
            tree.marked.push_back("C:\\Jobs\\");
            messages.shown.clear();
            fs.InjectFailure(SimOp::WriteFile, failing, kErrAccessDenied, 1);
            messages.Answer(MsgResult::Yes);
            closer.close();

            ASSERT_EQ(messages.shown.size(), 2u);
            EXPECT_EQ(messages.shown[0].caption, "Gem job");
            EXPECT_NE(messages.shown[1].text.find("Jobbet kunne ikke gemmes i filen"), std::string::npos);
            EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Drev_C.tvj");
            EXPECT_EQ(view.caption, "Ambrex Tavrel 2 - Drev_C");
            EXPECT_TRUE(job.Modified());
            EXPECT_EQ(job.Settings().description, "Ændret");
            EXPECT_EQ(view.shown.description, "Ændret");
            EXPECT_EQ(job.Settings().destination, "E:\\Backup\\");
            EXPECT_TRUE(view.startEnabled);
            EXPECT_EQ(tree.marked, (Paths{"C:\\Data\\", "C:\\Projekter\\Web\\", "C:\\Jobs\\"}));
            EXPECT_TRUE(settings.RecentFiles().empty());
            view.openAnswers.clear();
        }
    }

    // Saved elsewhere with Gem som, the job closes as usual.
    view.saveAnswers.push_back(std::string("E:\\Backup\\Drev_C.tvj"));
    ASSERT_TRUE(job.SaveAs());
    job.Close();
    EXPECT_EQ(job.JobFileName(), "");
    EXPECT_NE(DecodeTextFile(fs.Content("E:\\Backup\\Drev_C.tvj")).find("Beskiv=Ændret"), std::string::npos);
    EXPECT_EQ(fs.Content("E:\\Backup\\Drev_C.tvl"), "C:\\Data\\\r\nC:\\Projekter\\Web\\\r\nC:\\Jobs\\\r\n");
}

TEST_F(JobControllerTest, AnUntitledJobWhoseSaveFailsStaysOpenButACancelledDialogCloses) {
    job.SetDescription("Ny");
    tree.marked = {"C:\\Data\\"};
    view.saveAnswers.push_back(std::string("C:\\Jobs\\Ny.tvj"));
    fs.InjectFailure(SimOp::WriteFile, "C:\\Jobs\\Ny.tvj", kErrDiskFull, 1);
    messages.Answer(MsgResult::Yes);
    job.Close();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].caption, "Fejl");
    EXPECT_TRUE(job.Modified());
    EXPECT_EQ(job.JobFileName(), "");
    EXPECT_EQ(tree.marked, Paths{"C:\\Data\\"});
    EXPECT_EQ(job.Settings().description, "Ny");

    // No name chosen: the user's answer, and the close goes on as after No.
    messages.Answer(MsgResult::Yes);
    job.Close();
    EXPECT_FALSE(job.Modified());
    EXPECT_TRUE(tree.marked.empty());
    EXPECT_FALSE(fs.Exists("C:\\Jobs\\Ny.tvj"));
}

TEST_F(JobControllerTest, SaveAsThatFailsKeepsTheFormerName) {
    WriteDrevC();
    ASSERT_TRUE(Load("C:\\Jobs\\Drev_C.tvj"));
    job.SetDescription("Ændret");
    for (const char* failing : {"E:\\Nyt.tvj", "E:\\Nyt.tvl"}) {
        SCOPED_TRACE(failing);
        view.saveAnswers.push_back(std::string("E:\\Nyt.tvj"));
        fs.InjectFailure(SimOp::WriteFile, failing, kErrAccessDenied, 1);
        EXPECT_FALSE(job.SaveAs());
        EXPECT_EQ(job.JobFileName(), "C:\\Jobs\\Drev_C.tvj");
        EXPECT_EQ(view.caption, "Ambrex Tavrel 2 - Drev_C");
        EXPECT_TRUE(job.Modified());
    }
    EXPECT_EQ(fs.Content("C:\\Jobs\\Drev_C.tvj"), kDrevC);
}

TEST_F(JobControllerTest, LoadHadErrorsForEveryErrorTheLoadShows) {
    struct Case {
        const char* what;
        std::string job, list;  // empty list: no list file
        std::function<void()> spoil;
        bool errors;
    };
    const std::vector<Case> cases = {
        {"whole job", kDrevC, "C:\\Data\\\r\n", [] {}, false},
        {"marked folder gone", kDrevC, "C:\\Data\\\r\nC:\\Væk\\\r\n", [] {}, false},
        {"empty list", kDrevC, "\r\n", [] {}, false},
        {"no list file", kDrevC, "", [] {}, true},
        {"list locked", kDrevC, "C:\\Data\\\r\n",
         [&] { fs.InjectFailure(SimOp::ReadFile, "C:\\Jobs\\J.tvl", kErrSharingViolation, 1); }, true},
        {"job locked", kDrevC, "C:\\Data\\\r\n",
         [&] { fs.InjectFailure(SimOp::ReadFile, "C:\\Jobs\\J.tvj", kErrSharingViolation, 1); }, true},
        {"short version 1", "1\r\nx\r\nE:\\Backup\\\r\n", "C:\\Data\\\r\n", [] {}, true},
        {"damaged job", std::string("FilVer=2\r\n\0\x01\x02", 13), "C:\\Data\\\r\n", [] {}, true},
        {"damaged list", kDrevC, std::string("C:\\Data\\\r\n\x01\x02\r\n"), [] {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs.Remove("C:\\Jobs\\J.tvl");
        fs.AddFile("C:\\Jobs\\J.tvj", c.job);
        if (!c.list.empty()) fs.AddFile("C:\\Jobs\\J.tvl", c.list);
        c.spoil();
        messages.shown.clear();
        Load("C:\\Jobs\\J.tvj");
        EXPECT_EQ(job.LoadHadErrors(), c.errors);
        bool errorShown = false;
        for (const SimMessage& m : messages.shown) errorShown |= m.caption == "Fejl";
        EXPECT_EQ(errorShown, c.errors);
        ExpectWindowUsable();
    }
}
