#include "core/DirTree.h"

#include <gtest/gtest.h>

#include "core/MemoryTreeView.h"
#include "base/Text.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"

using namespace tavrel;

namespace {

// Records every notification and can refuse expansion.
struct RecordingEvents : ITreeEvents {
    explicit RecordingEvents(ITreeView& t) : tree(t) {}
    bool TreeExpanding(TreeNode node) override {
        expanding.push_back(tree.Text(node));
        return allowExpand;
    }
    void TreeCollapsing(TreeNode node) override { collapsing.push_back(tree.Text(node)); }
    void TreeSelectionChanged(TreeNode node) override { selected.push_back(node); }
    ITreeView& tree;
    bool allowExpand = true;
    std::vector<std::string> expanding, collapsing;
    std::vector<TreeNode> selected;
};

std::vector<std::string> ChildTexts(const ITreeView& tree, TreeNode parent) {
    std::vector<std::string> texts;
    for (TreeNode n = tree.FirstChild(parent); n != kNoNode; n = tree.NextSibling(n)) texts.push_back(tree.Text(n));
    return texts;
}

using Texts = std::vector<std::string>;

}  // namespace

// ---- The in-memory tree widget ----

// A tree in memory that records the events it raises.
struct TreeInMemory : ::testing::Test {
    TreeInMemory() { tree.SetEvents(&events); }
    MemoryTreeView tree;
    RecordingEvents events{tree};
};

TEST_F(TreeInMemory, ExpandAsksFirstAndNeedsChildren) {
    TreeNode a = tree.AddNode(kNoNode, "a", 0, 0, 1);
    TreeNode leaf = tree.AddNode(kNoNode, "leaf", 0, 0, 2);
    tree.AddNode(a, "a1", 0, 0, 3);

    EXPECT_FALSE(tree.Expand(leaf));
    EXPECT_TRUE(events.expanding.empty()) << "a node without children is not offered for expansion";

    events.allowExpand = false;
    EXPECT_FALSE(tree.Expand(a));
    EXPECT_FALSE(tree.IsExpanded(a));
    EXPECT_EQ(events.expanding, Texts{"a"});

    events.allowExpand = true;
    EXPECT_TRUE(tree.Expand(a));
    EXPECT_TRUE(tree.IsExpanded(a));
    EXPECT_TRUE(tree.Expand(a));
    EXPECT_EQ(events.expanding.size(), 2u) << "an open node is not asked again";

    // Losing all children closes the node.
    tree.DeleteChildren(a);
    EXPECT_FALSE(tree.IsExpanded(a));
}

TEST_F(TreeInMemory, SelectOpensCollapsedAncestorsTopDown) {
    TreeNode c = tree.AddNode(kNoNode, "C", 0, 0, 1);
    TreeNode data = tree.AddNode(c, "Data", 0, 0, 2);
    TreeNode web = tree.AddNode(data, "Web", 0, 0, 3);
    TreeNode deep = tree.AddNode(web, "Deep", 0, 0, 4);

    tree.Select(deep);
    EXPECT_EQ(events.expanding, (Texts{"C", "Data", "Web"}));
    EXPECT_EQ(tree.Selected(), deep);
    ASSERT_EQ(events.selected.size(), 1u);
    EXPECT_EQ(events.selected[0], deep);
    EXPECT_FALSE(tree.IsExpanded(deep));

    tree.Select(deep);
    EXPECT_EQ(events.selected.size(), 1u) << "selecting the selected node again changes nothing";

    // Deleting the selected node moves the selection to the node that lost its children.
    tree.DeleteChildren(data);
    EXPECT_EQ(tree.Selected(), data);
    EXPECT_FALSE(tree.Exists(deep));
    EXPECT_EQ(tree.Text(deep), "");
}

TEST_F(TreeInMemory, CollapseAllNotifiesEveryParentAndLiftsTheSelection) {
    TreeNode c = tree.AddNode(kNoNode, "C", 0, 0, 1);
    TreeNode data = tree.AddNode(c, "Data", 0, 0, 2);
    tree.AddNode(data, "Web", 0, 0, 3);
    tree.AddNode(c, "Tom", 0, 0, 4);
    TreeNode d = tree.AddNode(kNoNode, "D", 0, 0, 5);
    tree.AddNode(d, "Musik", 0, 0, 6);
    tree.AddNode(kNoNode, "E", 0, 0, 7);
    tree.Select(tree.FirstChild(data));

    tree.CollapseAll();
    // Collapsed or not, every node that has children is reported, in display order.
    EXPECT_EQ(events.collapsing, (Texts{"C", "Data", "D"}));
    EXPECT_FALSE(tree.IsExpanded(c));
    EXPECT_FALSE(tree.IsExpanded(data));
    EXPECT_EQ(tree.Selected(), c);
}

TEST(MemoryTreeView, HitTestFindsTheVisibleRowAcrossTheWholeWidth) {
    MemoryTreeView tree;
    tree.SetClientSize(200, 64);  // four rows
    TreeNode c = tree.AddNode(kNoNode, "C", 0, 0, 1);
    TreeNode data = tree.AddNode(c, "Data", 0, 0, 2);
    TreeNode web = tree.AddNode(data, "Web", 0, 0, 3);
    TreeNode d = tree.AddNode(kNoNode, "D", 0, 0, 4);

    EXPECT_EQ(tree.HitTest(0, 0), c);
    EXPECT_EQ(tree.HitTest(199, 15), c);
    EXPECT_EQ(tree.HitTest(5, 16), d) << "children of a collapsed node take no rows";
    EXPECT_EQ(tree.HitTest(5, 32), kNoNode) << "below the last row";
    EXPECT_EQ(tree.HitTest(200, 0), kNoNode) << "outside the client width";
    EXPECT_EQ(tree.HitTest(-1, 0), kNoNode);

    tree.Expand(c);
    tree.Expand(data);
    EXPECT_EQ(tree.HitTest(5, 16), data);
    EXPECT_EQ(tree.HitTest(5, 32), web);
    EXPECT_EQ(tree.HitTest(5, 48), d);
    EXPECT_EQ(tree.RowOf(web), 2);

    // Scrolling shifts the rows; the last page stays full.
    for (int i = 0; i < 4; ++i) tree.AddNode(kNoNode, "X" + std::to_string(i), 0, 0, 10 + i);
    tree.ScrollToTop(web);
    EXPECT_EQ(tree.TopRow(), 2);
    EXPECT_EQ(tree.HitTest(5, 0), web);
    EXPECT_EQ(tree.RowOf(c), -1);
    tree.ScrollToTop(tree.AddNode(kNoNode, "last", 0, 0, 20));
    EXPECT_EQ(tree.TopRow(), 9 - 4);

    EXPECT_EQ(tree.Indent(), 19);
    tree.SetIndent(12);
    EXPECT_EQ(tree.Indent(), 12);
}

TEST(MemoryTreeView, BulkUpdatesNestAndRepaintOnce) {
    MemoryTreeView tree;
    tree.BeginUpdate();
    tree.BeginUpdate();
    TreeNode a = tree.AddNode(kNoNode, "a", 0, 0, 1);
    tree.SetState(a, 2);
    tree.EndUpdate();
    EXPECT_EQ(tree.Repaints(), 0);
    EXPECT_EQ(tree.UpdateDepth(), 1);
    tree.EndUpdate();
    EXPECT_EQ(tree.Repaints(), 1);
    tree.EndUpdate();  // unbalanced: ignored
    EXPECT_EQ(tree.UpdateDepth(), 0);
    tree.SetState(a, 2);
    EXPECT_EQ(tree.Repaints(), 1) << "an unchanged state is no change";
    tree.SetState(a, 1);
    EXPECT_EQ(tree.Repaints(), 2);
    EXPECT_EQ(tree.State(a), 1);
}

// ---- The folder tree model ----

class DirTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs.AddDrive('C');
        fs.AddFolder("C:\\Windows\\System32");
        fs.AddFolder("C:\\Data\\Projekter\\2026");
        fs.AddFolder("C:\\Data\\Web");
        fs.AddFile("C:\\Data\\a.txt", "a");
        fs.AddFolder("C:\\Temp");
        fs.AddDrive('D');
        fs.AddFolder("D:\\Musik\\Jazz");
    }

    DirTreeModel& Model() {
        if (!model) {
            model = std::make_unique<DirTreeModel>(tree, fs, shell, &cursor);
            model->OnChange = [this](TreeNode node) { changes.push_back(node); };
        }
        return *model;
    }

    TreeNode Drive(char letter) { return Model().FindNode(std::string(1, letter) + ":\\"); }

    SimFileSystem fs;
    SimShellInfo shell;
    SimBusyCursor cursor;
    MemoryTreeView tree;
    std::unique_ptr<DirTreeModel> model;
    std::vector<TreeNode> changes;
};

TEST_F(DirTreeTest, DriveLevelFollowsTheMaskFromCToZ) {
    fs.AddDrive('A');
    fs.AddDrive('B');
    Model().ReadDrives();
    EXPECT_EQ(ChildTexts(tree, kNoNode), (Texts{"Lokal disk (C:)", "Lokal disk (D:)"}));

    model->ShowFloppyDrives = true;
    model->ReadDrives();
    EXPECT_EQ(ChildTexts(tree, kNoNode), (Texts{"Lokal disk (A:)", "Lokal disk (B:)", "Lokal disk (C:)",
                                                "Lokal disk (D:)"}));
    TreeNode first = tree.FirstChild(kNoNode);
    EXPECT_EQ(model->NodePath(first), "A:\\");
    EXPECT_EQ(model->FindNode("a:"), first) << "the first drive is a real entry, not a placeholder";
    EXPECT_EQ(tree.ImageIndex(first), SimShellInfo::kDriveIcon);
    EXPECT_TRUE(model->TreeReady());
    EXPECT_EQ(cursor.depth, 0);
    EXPECT_GE(cursor.begins, 2);

    fs.AddDrive('X');
    fs.AddDrive('Y');
    fs.AddDrive('Z');
    fs.AddFolder("Z:\\Net");
    model->ShowFloppyDrives = false;
    model->ReadDrives();
    EXPECT_EQ(ChildTexts(tree, kNoNode), (Texts{"Lokal disk (C:)", "Lokal disk (D:)", "Lokal disk (X:)",
                                                "Lokal disk (Y:)", "Lokal disk (Z:)"}));
    // The last letter is probed like the others.
    EXPECT_NE(tree.FirstChild(Drive('Z')), kNoNode);
    EXPECT_EQ(tree.FirstChild(Drive('Y')), kNoNode);
}

TEST_F(DirTreeTest, ProbingGivesAnExpandButtonOnlyForRealSubfolders) {
    fs.AddDrive('E');
    fs.AddFile("E:\\only.txt", "x");
    fs.AddDrive('F');
    fs.AddFile("F:\\file.txt", "x");
    fs.AddFolder("F:\\$Hidden", kAttrHidden | kAttrSystem);
    fs.AddDrive('G');
    for (char c = 'a'; c <= 'j'; ++c) fs.AddFolder(std::string("G:\\") + c);
    fs.ResetCounts();
    Model().ReadDrives();

    EXPECT_FALSE(HasChildren(tree, Drive('E')));
    TreeNode placeholder = tree.FirstChild(Drive('F'));
    ASSERT_NE(placeholder, kNoNode);
    EXPECT_EQ(tree.Text(placeholder), " ");
    EXPECT_EQ(tree.Data(placeholder), 0);
    EXPECT_EQ(tree.NextSibling(placeholder), kNoNode);
    EXPECT_EQ(model->NodePath(placeholder), "");
    EXPECT_EQ(ChildTexts(tree, Drive('G')), Texts{" "});
    // Drives are only probed: one listing each, stopped at the first subfolder.
    EXPECT_EQ(fs.Calls(SimOp::OpenFolder), 5);
    EXPECT_LT(fs.Calls(SimOp::NextEntry), 16);
    EXPECT_FALSE(model->IsRead(Drive('G')));
}

TEST_F(DirTreeTest, ExpandingReadsTheNodeAndOneLevelAheadOnlyOnce) {
    fs.AddFolder("C:\\beta");
    fs.AddFolder("C:\\Alpha");
    fs.AddFolder("C:\\Gamma");
    fs.AddFile("C:\\aaa.txt", "");
    Model().ReadDrives();
    TreeNode c = Drive('C');
    fs.ResetCounts();
    ASSERT_TRUE(tree.Expand(c));

    EXPECT_EQ(ChildTexts(tree, c), (Texts{"Alpha", "beta", "Data", "Gamma", "Temp", "Windows"}));
    EXPECT_TRUE(model->IsRead(c));
    TreeNode data = model->FindNode("C:\\DATA\\");
    ASSERT_NE(data, kNoNode);
    EXPECT_EQ(model->NodePath(data), "C:\\Data\\");
    EXPECT_TRUE(model->IsRead(data));
    EXPECT_EQ(ChildTexts(tree, data), (Texts{"Projekter", "Web"}));
    EXPECT_FALSE(HasChildren(tree, model->FindNode("C:\\Temp\\")));
    EXPECT_FALSE(model->IsRead(model->FindNode("C:\\Data\\Projekter\\")));
    EXPECT_EQ(tree.ImageIndex(data), SimShellInfo::kFolderIcon);
    EXPECT_EQ(tree.SelectedImageIndex(data), SimShellInfo::kFolderOpenIcon);
    EXPECT_EQ(fs.Calls(SimOp::OpenFolder), 7) << "the drive and each of its six folders";

    // Reopening reads nothing; opening a child reads only its children's folders.
    tree.Collapse(c);
    fs.ResetCounts();
    ASSERT_TRUE(tree.Expand(c));
    EXPECT_EQ(fs.TotalCalls(), 0);
    ASSERT_TRUE(tree.Expand(data));
    EXPECT_EQ(fs.Calls(SimOp::OpenFolder), 2);
    EXPECT_EQ(cursor.depth, 0);
}

// A file system that lists one folder with names that differ only in letter case, as a
// case-sensitive folder or a network server may.
class CaseSensitiveFolderFs : public SimFileSystem {
public:
    std::unique_ptr<IFolderEnum> OpenFolder(const std::string& folder, FsError* error = nullptr) override {
        if (folder != "C:\\Data\\") return SimFileSystem::OpenFolder(folder, error);
        struct List : IFolderEnum {
            std::vector<DirEntry> entries;
            size_t next = 0;
            bool Next(DirEntry& entry) override {
                if (next == entries.size()) return false;
                entry = entries[next++];
                return true;
            }
        };
        auto list = std::make_unique<List>();
        for (const char* name : {".", "..", "b", "a", "notes.txt", "A", "B"})
            list->entries.push_back({name, std::string(name).find('.') == 0 || name[1] == 0 ? kAttrDirectory : 0u});
        return list;
    }
};

TEST_F(DirTreeTest, TheWindowsCollationOrdersTheFolders) {
    fs.AddFolder("C:\\Zebra");
    fs.AddFolder("C:\\Åer");
    fs.AddFolder("C:\\Æbler");
    // A Danish collation puts Æ and Å after Z; the model takes whatever order it is given.
    const std::string danish = "ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ";
    Model().CompareNames = [&](const std::string& a, const std::string& b) {
        auto rank = [&](const std::string& s) {
            std::string f = FoldCase(s.substr(0, s[0] & 0x80 ? 2 : 1));
            return danish.find(f);
        };
        return rank(a) < rank(b) ? -1 : rank(a) > rank(b) ? 1 : 0;
    };
    Model().ReadDrives();
    TreeNode c = Drive('C');
    ASSERT_TRUE(tree.Expand(c));
    EXPECT_EQ(ChildTexts(tree, c), (Texts{"Data", "Temp", "Windows", "Zebra", "Æbler", "Åer"}));
}

TEST(DirTree, NamesThatCompareEqualEachGetANodeInTheOrderListed) {
    CaseSensitiveFolderFs fs;
    fs.AddDrive('C');
    fs.AddFolder("C:\\Data");
    SimShellInfo shell;
    MemoryTreeView tree;
    DirTreeModel model(tree, fs, shell);
    model.ReadDrives();
    model.SetSelectedPath("C:\\Data\\");
    TreeNode data = tree.Selected();
    ASSERT_EQ(model.NodePath(data), "C:\\Data\\");
    EXPECT_EQ(ChildTexts(tree, data), (Texts{"a", "A", "b", "B"}));
    std::vector<std::string> paths;
    for (TreeNode n = tree.FirstChild(data); n != kNoNode; n = tree.NextSibling(n)) paths.push_back(model.NodePath(n));
    EXPECT_EQ(paths, (Texts{"C:\\Data\\a\\", "C:\\Data\\A\\", "C:\\Data\\b\\", "C:\\Data\\B\\"}));
}

TEST_F(DirTreeTest, ChangesOnDiskShowOnlyAfterARefresh) {
    Model().ReadDrives();
    ASSERT_TRUE(tree.Expand(Drive('C')));
    TreeNode windows = model->FindNode("C:\\Windows\\");
    fs.Remove("C:\\Windows\\System32");
    fs.AddFolder("C:\\Ny");
    // Windows was read one level ahead, so it still shows System32.
    ASSERT_TRUE(tree.Expand(windows));
    EXPECT_EQ(ChildTexts(tree, windows), Texts{"System32"});
    TreeNode system32 = tree.FirstChild(windows);
    EXPECT_FALSE(tree.Expand(system32));
    EXPECT_EQ(model->FindNode("C:\\Ny\\"), kNoNode);

    model->RefreshTree();
    EXPECT_NE(model->FindNode("C:\\Ny\\"), kNoNode);
}

TEST_F(DirTreeTest, RemovedMediumLeavesTheDriveWithoutChildren) {
    Model().ReadDrives();
    TreeNode d = Drive('D');
    ASSERT_TRUE(HasChildren(tree, d));
    fs.EjectMedium('D');
    EXPECT_FALSE(tree.Expand(d));
    EXPECT_FALSE(HasChildren(tree, d));
    EXPECT_FALSE(tree.IsExpanded(d));
    EXPECT_TRUE(model->IsRead(d));

    fs.ResetCounts();
    model->ReadDrives();
    EXPECT_FALSE(HasChildren(tree, Drive('D')));
    EXPECT_EQ(ChildTexts(tree, kNoNode).size(), 2u) << "a drive without a medium is still listed";
}

TEST_F(DirTreeTest, SelectedPathOpensTheTreeDownToTheFolder) {
    Model().ReadDrives();
    EXPECT_EQ(model->SelectedPath(), "?");

    model->SetSelectedPath("C:\\Windows");
    EXPECT_EQ(model->SelectedPath(), "C:\\Windows\\");
    EXPECT_EQ(tree.Selected(), model->FindNode("C:\\Windows\\"));
    EXPECT_TRUE(tree.IsExpanded(Drive('C')));
    EXPECT_TRUE(model->IsRead(tree.Selected()));
    EXPECT_EQ(model->LastPaths()[2], "C:\\Windows\\");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(cursor.depth, 0);
    EXPECT_EQ(tree.UpdateDepth(), 0);

    // The same folder in other letter case: nothing is asked and nothing changes.
    fs.ResetCounts();
    model->SetSelectedPath("c:\\windows\\");
    EXPECT_EQ(fs.TotalCalls(), 0);
    EXPECT_EQ(changes.size(), 1u);

    model->SetSelectedPath("c:\\data\\projekter\\2026");
    EXPECT_EQ(model->SelectedPath(), "C:\\Data\\Projekter\\2026\\") << "the names on disk, not the names asked for";
    EXPECT_TRUE(tree.IsExpanded(model->FindNode("C:\\Data\\Projekter\\")));
}

TEST_F(DirTreeTest, SelectedPathTakesDriveRootsWithoutAsking) {
    Model().ReadDrives();
    fs.EjectMedium('D');
    model->SetSelectedPath("D:");
    EXPECT_EQ(tree.Selected(), Drive('D'));
    EXPECT_EQ(model->SelectedPath(), "D:\\");
    model->SetSelectedPath("C:\\");
    EXPECT_EQ(tree.Selected(), Drive('C'));
}

TEST_F(DirTreeTest, SelectedPathLeavesTheSelectionWhenTheFolderCannotBeFound) {
    fs.AddDrive('A');
    fs.AddFolder("A:\\Disk");
    fs.AddDrive('Y');
    fs.AddFolder("Y:\\Net");
    Model().ReadDrives();
    ASSERT_TRUE(tree.Expand(Drive('C')));
    fs.AddFolder("C:\\Temp\\Senere");  // after Temp was read
    model->SetSelectedPath("C:\\Data");
    size_t before = changes.size();

    for (const char* path : {"C:\\Findes ikke\\", "", "A:\\Disk\\", "Q:\\", "C:\\Temp\\Senere\\"}) {
        model->SetSelectedPath(path);
        EXPECT_EQ(model->SelectedPath(), "C:\\Data\\") << path;
    }
    EXPECT_EQ(changes.size(), before);
    // Y: is listed, so its folders are found.
    model->SetSelectedPath("Y:\\Net");
    EXPECT_EQ(model->SelectedPath(), "Y:\\Net\\");
    EXPECT_EQ(tree.UpdateDepth(), 0);
    EXPECT_EQ(cursor.depth, 0);
}

TEST_F(DirTreeTest, RefreshKeepsTheSelectionAsFarAsItStillExists) {
    Model().ReadDrives();
    model->SetSelectedPath("C:\\Data\\Web\\");
    model->RefreshTree();
    EXPECT_EQ(model->SelectedPath(), "C:\\Data\\Web\\");

    fs.Remove("C:\\Data\\Web");
    model->RefreshTree();
    EXPECT_EQ(model->SelectedPath(), "C:\\") << "a deleted folder gives way to its drive";

    // The drive itself is gone: the first drive's last folder is opened.
    model->SetSelectedPath("C:\\Windows\\");
    model->SetSelectedPath("D:\\Musik\\Jazz\\");
    fs.RemoveDrive('D');
    model->RefreshTree();
    EXPECT_EQ(model->SelectedPath(), "C:\\Windows\\");

    // And when that folder is gone too, the first drive node is selected and reported.
    fs.AddDrive('D');
    fs.AddFolder("D:\\Musik");
    model->RefreshTree();
    model->SetSelectedPath("D:\\Musik\\");
    fs.Remove("C:\\Windows");
    fs.RemoveDrive('D');
    changes.clear();
    model->RefreshTree();
    EXPECT_EQ(tree.Selected(), tree.FirstChild(kNoNode));
    EXPECT_EQ(model->SelectedPath(), "C:\\");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], tree.Selected());
}

TEST_F(DirTreeTest, LastPathsStartAtTheCurrentDirectory) {
    fs.AddFolder("C:\\Arbejde");
    fs.SetCurrentDirectory("C:\\Arbejde");
    Model();
    EXPECT_EQ(model->LastPaths()[2], "C:\\Arbejde\\");
    EXPECT_EQ(model->LastPaths()[0], "A:\\");
    EXPECT_EQ(model->LastPaths()[25], "Z:\\");

    // With nothing selected a refresh opens the first drive at its last folder.
    model->ReadDrives();
    model->RefreshTree();
    EXPECT_EQ(model->SelectedPath(), "C:\\Arbejde\\");
}

TEST_F(DirTreeTest, ACurrentDirectoryInOtherLetterCaseIsStillOpened) {
    fs.AddFolder("C:\\Arbejde");
    fs.SetCurrentDirectory("c:\\ARBEJDE");
    Model().ReadDrives();
    model->RefreshTree();
    EXPECT_EQ(model->SelectedPath(), "C:\\Arbejde\\");
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(DirTreeTest, SelectionChangesCountOnlyOnceTheDrivesAreRead) {
    Model().ReadDrives();
    model->SetSelectedPath("D:\\Musik\\");
    changes.clear();
    // Rebuilding empties the tree, which drops the selection while TreeReady is off.
    model->ReadDrives();
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(model->SelectedPath(), "?");
    EXPECT_EQ(model->LastPaths()[3], "D:\\Musik\\");
}

TEST_F(DirTreeTest, OnAddDirFiltersDrivesProbesAndReads) {
    fs.AddDrive('E');
    fs.AddFolder("E:\\Temp");
    std::vector<std::string> asked;
    Model().OnAddDir = [&](const std::string& path) {
        asked.push_back(path);
        return path != "D:\\" && path != "C:\\Temp\\" && path != "E:\\Temp\\";
    };
    model->ReadDrives();
    EXPECT_EQ(ChildTexts(tree, kNoNode), (Texts{"Lokal disk (C:)", "Lokal disk (E:)"}));
    EXPECT_FALSE(HasChildren(tree, Drive('E'))) << "its only folder is filtered out of the probe";
    EXPECT_NE(std::find(asked.begin(), asked.end(), "E:\\Temp\\"), asked.end());

    ASSERT_TRUE(tree.Expand(Drive('C')));
    EXPECT_EQ(ChildTexts(tree, Drive('C')), (Texts{"Data", "Windows"}));
    EXPECT_NE(std::find(asked.begin(), asked.end(), "C:\\Data\\Web\\"), asked.end());

    model->SetSelectedPath("C:\\Temp\\");
    EXPECT_EQ(model->SelectedPath(), "?");
}

TEST_F(DirTreeTest, OnExpandingSeesTheNewFoldersAndMayRefuse) {
    Model().ReadDrives();
    std::vector<size_t> childCounts;
    model->OnExpanding = [&](TreeNode node) {
        childCounts.push_back(ChildTexts(tree, node).size());
        return false;
    };
    EXPECT_FALSE(tree.Expand(Drive('C')));
    EXPECT_FALSE(tree.IsExpanded(Drive('C')));
    EXPECT_EQ(childCounts, std::vector<size_t>{3});
    int collapses = 0;
    model->OnExpanding = nullptr;
    model->OnCollapsing = [&](TreeNode) { ++collapses; };
    ASSERT_TRUE(tree.Expand(Drive('C')));
    tree.CollapseAll();
    EXPECT_EQ(collapses, 4) << "C:, Data, Windows and D:";
}
