#include "core/Marking.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "core/MemoryTreeView.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"

using namespace tavrel;

namespace {

using Paths = std::vector<std::string>;

// A shell that shows some folders under names other than their names on disk.
class TranslatingShell : public SimShellInfo {
public:
    ShellItemInfo GetInfo(const std::string& path) override {
        ShellItemInfo info = SimShellInfo::GetInfo(path);
        auto it = names.find(path);
        if (it != names.end()) info.displayName = it->second;
        return info;
    }
    std::map<std::string, std::string> names;
};

// The path of a node built from the texts shown: the drive text and the folder texts joined
// with "\", cut so that it starts at the drive letter before the first ")".
std::string PathFromTexts(const ITreeView& tree, TreeNode node) {
    std::string s = tree.Text(node);
    for (TreeNode p = tree.Parent(node); p != kNoNode; p = tree.Parent(p)) s = tree.Text(p) + "\\" + s;
    size_t close = s.find(')');
    if (close == std::string::npos || close < 2) return "";
    s.erase(0, close - 2);
    s.erase(2, 1);
    return s + "\\";
}

// The marked folders as the text rule collects them.
Paths CollectByTexts(const ITreeView& tree, const DirTreeModel& model, bool ticked) {
    auto after = [&](TreeNode n) {
        while (tree.NextSibling(n) == kNoNode && tree.Parent(n) != kNoNode) n = tree.Parent(n);
        return tree.NextSibling(n);
    };
    Paths paths;
    for (TreeNode n = tree.FirstChild(kNoNode); n != kNoNode;) {
        bool placeholder = tree.Text(n) == " " && !model.IsRead(tree.Parent(n));
        int mark = tree.State(n);
        if (placeholder || (mark != Marked && mark != PartlyMarked)) {
            n = after(n);
        } else if (mark == PartlyMarked) {
            n = NextInDisplayOrder(tree, n);
        } else {
            paths.push_back(PathFromTexts(tree, n));
            n = ticked ? after(n) : NextInDisplayOrder(tree, n);
        }
    }
    return paths;
}

}  // namespace

class MarkingTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs.AddDrive('C');
        fs.AddFolder("C:\\Data\\Mail\\Old");
        fs.AddFolder("C:\\Data\\Web");
        fs.AddFolder("C:\\Programmer");
        fs.AddDrive('D');
        fs.AddFolder("D:\\Musik\\Jazz");
        tree.SetClientSize(400, 1600);
    }

    void Start() {
        model = std::make_unique<DirTreeModel>(tree, fs, shell, &cursor);
        marking = std::make_unique<FolderMarking>(
            tree, *model, [this] { return ticked; }, [this] { ++modified; });
        model->ReadDrives();
        marking->ClearAllMarks();
    }

    TreeNode Node(const std::string& path) {
        TreeNode n = model->FindNode(path);
        EXPECT_NE(n, kNoNode) << path;
        return n;
    }

    int Mark(const std::string& path) { return tree.State(Node(path)); }
    // A press on a folder, then the marks it must leave on the folders named.
    void PressExpecting(const std::string& path, std::initializer_list<std::pair<const char*, int>> marks,
                        const char* why = "") {
        Press(path);
        for (const auto& [folder, mark] : marks) EXPECT_EQ(Mark(folder), mark) << "after a press on " << path << ": " << folder << " " << why;
    }

    // A press dx pixels into the node's box (0 = its left edge).
    void PressAt(TreeNode node, int dx) {
        int row = tree.RowOf(node);
        ASSERT_GE(row, 0) << "the node is not shown";
        int left = tree.Indent() * (NodeLevel(tree, node) + 1);
        marking->ClickAt(left + dx, row * MemoryTreeView::kRowHeight + 5);
    }
    void Press(const std::string& path) { PressAt(Node(path), 8); }

    void Open(const std::string& path) { ASSERT_TRUE(tree.Expand(Node(path))) << path; }

    SimFileSystem fs;
    TranslatingShell shell;
    SimBusyCursor cursor;
    MemoryTreeView tree;
    std::unique_ptr<DirTreeModel> model;
    std::unique_ptr<FolderMarking> marking;
    bool ticked = true;
    int modified = 0;
};

TEST_F(MarkingTest, ClearAllMarksReachesEveryNodeInOneRepaint) {
    Start();
    Open("C:\\");
    marking->ClearAllMarks();
    int repaints = tree.Repaints();
    tree.SetState(Node("C:\\Data\\Web\\"), Marked);
    tree.SetState(Node("D:\\"), 0);
    repaints += 2;
    marking->ClearAllMarks();
    EXPECT_EQ(tree.Repaints(), repaints + 1);
    int nodes = 0;
    for (TreeNode n = tree.FirstChild(kNoNode); n != kNoNode; n = NextInDisplayOrder(tree, n), ++nodes)
        EXPECT_EQ(tree.State(n), Unmarked) << tree.Text(n);
    EXPECT_EQ(nodes, 7) << "C:, Data, Mail, Web, Programmer, D: and its placeholder";
    EXPECT_EQ(tree.State(tree.FirstChild(Node("D:\\"))), Unmarked) << "the placeholder too";

    MemoryTreeView empty;
    DirTreeModel emptyModel(empty, fs, shell);
    FolderMarking emptyMarks(empty, emptyModel, [] { return true; }, nullptr);
    emptyMarks.ClearAllMarks();
    EXPECT_TRUE(emptyMarks.CollectMarkedFolders().empty());
}

TEST_F(MarkingTest, WithSubfoldersAMarkSpreadsDownAndUp) {
    Start();
    Open("C:\\");
    PressExpecting("C:\\Data\\", {{"C:\\Data\\", Marked}, {"C:\\Data\\Mail\\", Marked}, {"C:\\Data\\Web\\", Marked},
                                    {"C:\\", PartlyMarked}, {"D:\\", Unmarked}});
    EXPECT_EQ(modified, 1);
    PressExpecting("C:\\Programmer\\", {{"C:\\", Marked}}, "all children marked");
    PressExpecting("C:\\Data\\", {{"C:\\Data\\", Unmarked}, {"C:\\Data\\Mail\\", Unmarked}, {"C:\\", PartlyMarked}});

    tree.SetState(Node("C:\\Programmer\\"), PartlyMarked);
    PressExpecting("C:\\Programmer\\", {{"C:\\Programmer\\", Unmarked}, {"C:\\", Unmarked}});

    tree.SetState(Node("C:\\Data\\"), 0);
    PressExpecting("C:\\Data\\", {{"C:\\Data\\", Unmarked}}, "a node without a mark is unmarked by a press");
    EXPECT_EQ(modified, 5);
}

TEST_F(MarkingTest, WithoutSubfoldersOnlyTheFolderChanges) {
    ticked = false;
    Start();
    Open("C:\\");
    Open("C:\\Data\\");
    PressExpecting("C:\\Data\\Web\\", {{"C:\\Data\\Web\\", Marked}, {"C:\\Data\\Mail\\", Unmarked},
                                         {"C:\\Data\\", PartlyMarked}, {"C:\\", PartlyMarked}});

    // A marked ancestor stays marked.
    PressExpecting("C:\\Data\\", {{"C:\\Data\\", Marked}});
    PressExpecting("C:\\Data\\Mail\\", {{"C:\\Data\\", Marked}, {"C:\\Data\\Mail\\Old\\", Unmarked}},
                   "descendants keep their marks");

    // Marked with marks below: partly, then marked again.
    PressExpecting("C:\\Data\\", {{"C:\\Data\\", PartlyMarked}});
    PressExpecting("C:\\Data\\", {{"C:\\Data\\", Marked}});

    // Marked without marks below: unmarked, and the ancestors follow.
    Press("C:\\Data\\Web\\");
    PressExpecting("C:\\Data\\Mail\\", {{"C:\\Data\\", Marked}, {"C:\\", PartlyMarked}});
    PressExpecting("C:\\Data\\", {{"C:\\Data\\", Unmarked}, {"C:\\", Unmarked}});

    tree.SetState(Node("C:\\Programmer\\"), 0);
    PressExpecting("C:\\Programmer\\", {{"C:\\Programmer\\", Unmarked}}, "no mark is taken as marked");
}

TEST_F(MarkingTest, OnlyAPressInsideTheBoxCounts) {
    Start();
    Open("C:\\");
    TreeNode data = Node("C:\\Data\\");
    for (int dx : {-5, 0, 16, 30}) {
        PressAt(data, dx);
        EXPECT_EQ(tree.State(data), Unmarked) << dx;
    }
    PressAt(data, 1);
    EXPECT_EQ(tree.State(data), Marked);
    PressAt(data, 15);
    EXPECT_EQ(tree.State(data), Unmarked);

    // Drive boxes sit one indentation in; a wider indentation moves them.
    tree.SetIndent(30);
    TreeNode d = Node("D:\\");
    marking->ClickAt(19 + 8, tree.RowOf(d) * 16 + 5);
    EXPECT_EQ(tree.State(d), Unmarked);
    PressAt(d, 8);
    EXPECT_EQ(tree.State(d), Marked);

    int before = modified;
    marking->ClickAt(38, 1500);  // below the last row
    EXPECT_EQ(modified, before);
}

TEST_F(MarkingTest, TheFirstPressAfterACollapseOnlyClearsTheFlag) {
    Start();
    Open("C:\\");
    marking->CollapseAll();
    EXPECT_TRUE(marking->IgnoreNextClick());
    Press("C:\\");
    EXPECT_EQ(Mark("C:\\"), Unmarked);
    EXPECT_FALSE(marking->IgnoreNextClick());
    EXPECT_EQ(modified, 0);
    Press("C:\\");
    EXPECT_EQ(Mark("C:\\"), Marked);

    // A collapse by the user is the same.
    Open("C:\\");
    tree.Collapse(Node("C:\\"));
    Press("D:\\");
    EXPECT_EQ(Mark("D:\\"), Unmarked);
}

TEST_F(MarkingTest, NewlyReadFoldersTakeTheirMarkWhenOpened) {
    Start();
    Open("C:\\");
    Press("C:\\Data\\");
    Open("C:\\Data\\");
    Open("C:\\Data\\Mail\\");
    EXPECT_EQ(Mark("C:\\Data\\Mail\\Old\\"), Marked);

    // A marked drive that was never opened: its folders arrive marked.
    Press("D:\\");
    EXPECT_EQ(tree.State(tree.FirstChild(Node("D:\\"))), Marked) << "the placeholder";
    Open("D:\\");
    EXPECT_EQ(Mark("D:\\Musik\\"), Marked);

    // Without subfolders they arrive unmarked.
    ticked = false;
    fs.AddDrive('E');
    fs.AddFolder("E:\\Foto\\2025");
    model->RefreshTree();
    marking->ClearAllMarks();
    Press("E:\\");
    EXPECT_EQ(Mark("E:\\"), Marked);
    Open("E:\\");
    EXPECT_EQ(Mark("E:\\"), Marked);
    EXPECT_EQ(Mark("E:\\Foto\\"), Unmarked);
    EXPECT_EQ(Mark("E:\\Foto\\2025\\"), Unmarked);

    // A folder with marks below keeps them when opened again.
    Press("E:\\Foto\\");
    tree.Collapse(Node("E:\\"));
    Press("E:\\");  // cleared flag
    Open("E:\\");
    EXPECT_EQ(Mark("E:\\Foto\\"), Marked);
}

TEST_F(MarkingTest, RemovedMediumChangesNoMark) {
    Start();
    Press("D:\\");
    fs.EjectMedium('D');
    EXPECT_FALSE(tree.Expand(Node("D:\\")));
    EXPECT_EQ(Mark("D:\\"), Marked);
    EXPECT_FALSE(HasChildren(tree, Node("D:\\")));
    EXPECT_EQ(marking->CollectMarkedFolders(), Paths{"D:\\"});
}

TEST_F(MarkingTest, CollectedFoldersFollowTheSubfolderOption) {
    Start();
    EXPECT_TRUE(marking->CollectMarkedFolders().empty());
    Open("C:\\");
    Press("C:\\Data\\");
    Open("C:\\Data\\");
    Open("C:\\Data\\Mail\\");
    EXPECT_EQ(marking->CollectMarkedFolders(), Paths{"C:\\Data\\"});

    // Marked with subfolders opened, then the option off: each opened folder is listed.
    ticked = false;
    EXPECT_EQ(marking->CollectMarkedFolders(),
              (Paths{"C:\\Data\\", "C:\\Data\\Mail\\", "C:\\Data\\Mail\\Old\\", "C:\\Data\\Web\\"}));

    ticked = true;
    Press("C:\\Data\\");
    ticked = false;
    Press("C:\\Data\\");
    Press("C:\\Data\\Web\\");
    EXPECT_EQ(marking->CollectMarkedFolders(), (Paths{"C:\\Data\\", "C:\\Data\\Web\\"}));
}

TEST_F(MarkingTest, AnUnopenedMarkedDriveIsListedByItsRoot) {
    Start();
    Press("D:\\");
    ticked = false;
    EXPECT_EQ(marking->CollectMarkedFolders(), Paths{"D:\\"}) << "the marked placeholder is no folder";
    EXPECT_EQ(CollectByTexts(tree, *model, false), Paths{"D:\\"});
}

TEST_F(MarkingTest, CollectedPathsAreTheNamesOnDisk) {
    fs.AddDrive('E');
    fs.AddFolder("E:\\Users\\Public\\Documents");
    fs.AddFolder("E:\\Users\\Default");
    fs.AddDrive('F');
    fs.AddFolder("F:\\Sikkerhed");
    fs.AddDrive('G');
    fs.AddFolder("G:\\Kopi");
    fs.AddFolder("G:\\Andet");
    shell.names["E:\\Users\\"] = "Brugere";
    shell.names["E:\\Users\\Public\\"] = "Offentlig";
    shell.SetDriveName('F', "Backup (ny) (F:)");
    shell.SetDriveName('G', "Lokal disk");
    Start();
    marking->MarkLoadedFolder("E:\\Users\\Public\\");
    Press("F:\\");
    marking->MarkLoadedFolder("G:\\Kopi\\");

    EXPECT_EQ(marking->CollectMarkedFolders(), (Paths{"E:\\Users\\Public\\", "F:\\", "G:\\Kopi\\"}));
    // What the names shown would have given: a path that does not exist, no drive at all, and
    // no path for a drive whose letter is hidden.
    EXPECT_EQ(CollectByTexts(tree, *model, true), (Paths{"E:\\Brugere\\Offentlig\\", "ny (F:)\\", ""}));
}

TEST_F(MarkingTest, LoadedFoldersAreMarkedWithTheirAncestors) {
    fs.AddDrive('A');
    fs.AddFolder("A:\\Disk");
    Start();
    EXPECT_TRUE(marking->MarkLoadedFolder("c:\\data\\mail"));
    EXPECT_EQ(Mark("C:\\Data\\Mail\\"), Marked);
    EXPECT_EQ(Mark("C:\\Data\\Mail\\Old\\"), Marked) << "its loaded subfolder";
    EXPECT_EQ(Mark("C:\\Data\\"), PartlyMarked);
    EXPECT_EQ(Mark("C:\\Data\\Web\\"), Unmarked) << "read on the way and marked when its parent opened";
    EXPECT_EQ(Mark("C:\\"), PartlyMarked);
    EXPECT_TRUE(marking->MarkLoadedFolder("C:\\Data\\Web\\"));
    EXPECT_EQ(Mark("C:\\Data\\"), Marked);

    EXPECT_FALSE(marking->MarkLoadedFolder("A:\\Disk\\")) << "floppy drives are hidden";
    EXPECT_FALSE(marking->MarkLoadedFolder("C:\\Findes ikke\\"));
    EXPECT_FALSE(marking->MarkLoadedFolder(""));
    EXPECT_EQ(Mark("C:\\"), PartlyMarked) << "nothing else is marked in the tree";
    // The folders the tree cannot show stay in the job, by drive letter among the others.
    EXPECT_EQ(marking->CollectMarkedFolders(), (Paths{"A:\\Disk\\", "C:\\Data\\", "C:\\Findes ikke\\"}));
    EXPECT_EQ(modified, 0) << "loading is no change of the job";

    ticked = false;
    marking->ClearAllMarks();
    EXPECT_TRUE(marking->MarkLoadedFolder("C:\\Data\\"));
    EXPECT_TRUE(marking->MarkLoadedFolder("D:\\Musik\\Jazz\\"));
    EXPECT_EQ(Mark("C:\\Data\\Mail\\"), Unmarked);
    EXPECT_EQ(Mark("D:\\Musik\\"), PartlyMarked);
    EXPECT_EQ(marking->CollectMarkedFolders(), (Paths{"C:\\Data\\", "D:\\Musik\\Jazz\\"}));
}

TEST_F(MarkingTest, AScrolledTreeMovesTheBoxesLeft) {
    Start();
    Open("C:\\");
    TreeNode data = Node("C:\\Data\\");
    const int y = tree.RowOf(data) * MemoryTreeView::kRowHeight + 5;
    const int left = tree.Indent() * 2;  // level 1
    struct Case {
        int scroll, x;
        bool counts;
    };
    // The box spans left - scroll < x < left - scroll + 16.
    const Case cases[] = {
        {0, left + 8, true},       {25, left + 8, false},       {25, left - 25 + 1, true},
        {25, left - 25 + 15, true}, {25, left - 25, false},      {25, left - 25 + 16, false},
        {30, left - 30 + 8, true}, {30, left - 30 + 16 + 25, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("scroll " + std::to_string(c.scroll) + ", x " + std::to_string(c.x));
        tree.SetScrollX(c.scroll);
        const int before = tree.State(data);
        marking->ClickAt(c.x, y);
        EXPECT_EQ(tree.State(data) != before, c.counts);
    }
}

TEST_F(MarkingTest, LoadedFoldersWithoutANodeStayInTheJob) {
    fs.AddDrive('A');
    fs.AddFolder("A:\\Disk");
    fs.AddDrive('Q');
    fs.AddFolder("Q:\\Net\\Del");
    fs.AddDrive('Z');
    fs.AddFolder("Z:\\Kontor");
    fs.AddFolder("Z:\\Arkiv");
    Start();
    // Q: is kept out of the tree as another program might filter it; A: is a hidden floppy.
    model->OnAddDir = [](const std::string& path) { return path.rfind("Q:", 0) != 0; };
    model->ReadDrives();
    marking->ClearAllMarks();

    EXPECT_TRUE(marking->MarkLoadedFolder("Z:\\Kontor\\")) << "Z: is listed like any drive";
    EXPECT_FALSE(marking->MarkLoadedFolder("Q:\\Net\\Del"));
    EXPECT_TRUE(marking->MarkLoadedFolder("C:\\Data\\Web\\"));
    EXPECT_FALSE(marking->MarkLoadedFolder("A:\\Disk\\"));
    EXPECT_FALSE(marking->MarkLoadedFolder("a:\\DISK\\")) << "kept once";
    EXPECT_EQ(marking->UnshownFolders(), (Paths{"Q:\\Net\\Del\\", "A:\\Disk\\"}));

    const Paths job = {"A:\\Disk\\", "C:\\Data\\Web\\", "Q:\\Net\\Del\\", "Z:\\Kontor\\"};
    EXPECT_EQ(marking->CollectMarkedFolders(), job);
    // Collecting again (every save and run does) gives the same list.
    EXPECT_EQ(marking->CollectMarkedFolders(), job);
    // Unmarking what the tree shows leaves what it cannot show.
    PressAt(Node("C:\\Data\\Web\\"), 8);
    EXPECT_EQ(marking->CollectMarkedFolders(), (Paths{"A:\\Disk\\", "Q:\\Net\\Del\\", "Z:\\Kontor\\"}));

    // Closing the job or switching the floppy drives clears all marks, these too.
    marking->ClearAllMarks();
    EXPECT_TRUE(marking->UnshownFolders().empty());
    EXPECT_TRUE(marking->CollectMarkedFolders().empty());
}

TEST_F(MarkingTest, NextAfterSubtreeSkipsTheWholeSubtree) {
    Start();
    Open("C:\\");
    Open("C:\\Data\\");
    EXPECT_EQ(marking->NextAfterSubtree(Node("C:\\Data\\")), Node("C:\\Programmer\\"));
    EXPECT_EQ(marking->NextAfterSubtree(Node("C:\\Data\\Web\\")), Node("C:\\Programmer\\"));
    EXPECT_EQ(marking->NextAfterSubtree(Node("C:\\Programmer\\")), Node("D:\\"));
    EXPECT_EQ(marking->NextAfterSubtree(Node("D:\\")), kNoNode);
    EXPECT_EQ(marking->ChildMarkSummary(Node("C:\\Programmer\\")), 0);
}

// Random presses, openings, collapses and loads, checked after every step against what must
// always hold: shown folders carry a mark, each parent agrees with its children, and the
// collected list names each marked folder by its path on disk.
class MarkingRandomTest : public MarkingTest, public ::testing::WithParamInterface<int> {};

TEST_P(MarkingRandomTest, MarksStayConsistent) {
    std::mt19937 random(static_cast<unsigned>(GetParam()));
    ticked = GetParam() % 2 == 0;
    fs.AddFolder("C:\\Data\\Web\\Billeder\\Ferie");
    fs.AddFolder("C:\\Data\\Web\\css");
    fs.AddFolder("C:\\Programmer\\Tavrel\\Sprog");
    fs.AddFolder("D:\\Musik\\Klassisk\\Bach");
    fs.AddFolder("D:\\Film");
    fs.AddDrive('E');
    fs.AddFolder("E:\\Arkiv\\2024");
    const Paths folders = {"C:\\Data\\Web\\Billeder\\", "C:\\Programmer\\Tavrel\\Sprog\\", "D:\\Musik\\Klassisk\\",
                           "E:\\Arkiv\\", "C:\\Data\\Mail\\Old\\", "D:\\Film\\"};
    Start();

    for (int step = 0; step < 300; ++step) {
        auto rows = tree.VisibleNodes();
        TreeNode node = rows[random() % rows.size()];
        switch (random() % 5) {
            case 0:
            case 1: PressAt(node, 8); break;
            case 2: tree.Expand(node); break;
            case 3: tree.Collapse(node); break;
            default: marking->MarkLoadedFolder(folders[random() % folders.size()]); break;
        }
        SCOPED_TRACE("step " + std::to_string(step));

        for (TreeNode n : tree.VisibleNodes()) ASSERT_NE(tree.State(n), 0) << model->NodePath(n);
        for (TreeNode n = tree.FirstChild(kNoNode); n != kNoNode; n = NextInDisplayOrder(tree, n)) {
            bool childrenMarked = HasChildren(tree, n);
            for (TreeNode c = tree.FirstChild(n); c != kNoNode; c = tree.NextSibling(c))
                if (tree.State(c) == 0) childrenMarked = false;
            if (!childrenMarked) continue;
            int below = marking->ChildMarkSummary(n);
            if (ticked)
                ASSERT_EQ(tree.State(n), below) << model->NodePath(n);
            else if (tree.State(n) != Marked)
                ASSERT_EQ(tree.State(n), below == Unmarked ? Unmarked : PartlyMarked) << model->NodePath(n);
        }

        Paths collected = marking->CollectMarkedFolders();
        ASSERT_EQ(collected, CollectByTexts(tree, *model, ticked));
        for (const auto& path : collected) {
            ASSERT_EQ(tree.State(model->FindNode(path)), Marked) << path;
            if (ticked)
                for (const auto& other : collected)
                    ASSERT_FALSE(other != path && path.rfind(other, 0) == 0) << path << " lies in " << other;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, MarkingRandomTest, ::testing::Range(1, 9));
