// The folder tree in a real tree view over real folders on the scratch drive T:.
#include "controls/DirTreeT.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "core/Marking.h"
#include "base/Text.h"
#include "base/Path.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32System.h"
#include "tests/win/support/TestDir.h"

using namespace tavrel;

namespace {

class Host : public Window {};

void MakeFolder(const std::string& path, DWORD attributes = 0) {
    ::CreateDirectoryW(ToWide(path).c_str(), nullptr);
    if (attributes) ::SetFileAttributesW(ToWide(path).c_str(), attributes);
}

void MakeFile(const std::string& path) {
    HANDLE h = ::CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
}

class DirTreeTest : public testing::Test {
protected:
    void SetUp() override {
        base = test::TestDir();
        ASSERT_FALSE(base.empty()) << "run through run-win-test.sh";
        // Alpha holds only a hidden folder, beta only a file, Gamma a chain of folders.
        MakeFolder(base + "beta");
        MakeFile(base + "beta\\fil.txt");
        MakeFolder(base + "Alpha");
        MakeFolder(base + "Alpha\\.skjult", FILE_ATTRIBUTE_HIDDEN);
        MakeFolder(base + "Gamma");
        MakeFolder(base + "Gamma\\Sub");
        MakeFolder(base + "Gamma\\Sub\\Dyb");
        MakeFile(base + "Gamma\\note.txt");

        ASSERT_TRUE(host.Create({.title = "Mappetræ", .x = 0, .y = 0, .width = 500, .height = 600}));
        host.SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
        tree = std::make_unique<TDirTreeT>(fs, shell, &cursor);
        tree->ReadOnStart = true;
        tree->Model().OnExpanding = [this](TreeNode n) {
            expanded.push_back(tree->Model().NodePath(n));
            return true;
        };
        tree->Model().OnCollapsing = [this](TreeNode n) { collapsed.push_back(tree->Model().NodePath(n)); };
        tree->Model().OnChange = [this](TreeNode) { ++changes; };
    }
    void TearDown() override {
        tree.reset();
        host.Destroy();
    }
    void CreateTree() {
        ASSERT_TRUE(tree->Create({.parent = host, .x = 0, .y = 0, .width = 480, .height = 560}));
        host.Show();
        host.Update();
    }
    TreeNode Node(const std::string& path) const { return tree->Model().FindNode(path); }
    std::vector<std::string> ChildPaths(TreeNode node) const {
        std::vector<std::string> out;
        for (TreeNode c = tree->FirstChild(node); c != kNoNode; c = tree->NextSibling(c))
            out.push_back(tree->Model().NodePath(c));
        return out;
    }

    std::string base;
    Win32FileSystem fs;
    Win32ShellInfo shell;
    Win32BusyCursor cursor;
    Host host;
    std::unique_ptr<TDirTreeT> tree;
    std::vector<std::string> expanded, collapsed;
    int changes = 0;
};

}  // namespace

TEST_F(DirTreeTest, ReadsTheDrivesWhenCreatedWithReadOnStart) {
    EXPECT_FALSE(tree->TreeReady());
    CreateTree();
    EXPECT_TRUE(tree->TreeReady());
    EXPECT_EQ(tree->SelectedPath(), "?");
    std::vector<std::string> drives = ChildPaths(kNoNode);
    ASSERT_FALSE(drives.empty());
    bool haveT = false;
    DWORD listed = 0;
    for (const std::string& d : drives) {
        ASSERT_EQ(d.size(), 3u) << d;
        EXPECT_NE(d[0], 'A');
        if (d == "T:\\") haveT = true;
        listed |= 1u << (d[0] - 'A');
    }
    ASSERT_TRUE(haveT);
    // Every drive from C: to Z: is listed (Wine maps Z: to the host's root).
    EXPECT_EQ(listed, ::GetLogicalDrives() & ~3u);
    // Drive letter order, and the shell's name with the letter in parentheses.
    for (size_t i = 1; i < drives.size(); ++i) EXPECT_LT(drives[i - 1], drives[i]);
    EXPECT_NE(tree->Text(Node("T:\\")).find("(T:)"), std::string::npos) << tree->Text(Node("T:\\"));
    // Unread drives with folders carry one placeholder child " " for their button.
    TreeNode t = Node("T:\\");
    ASSERT_NE(tree->FirstChild(t), kNoNode);
    EXPECT_EQ(tree->Text(tree->FirstChild(t)), " ");
    EXPECT_EQ(tree->NextSibling(tree->FirstChild(t)), kNoNode);
    EXPECT_EQ(tree->Data(tree->FirstChild(t)), 0);
}

TEST_F(DirTreeTest, OrderWithoutDotsAndButtonsOnlyWhereSubfoldersAre) {
    CreateTree();
    tree->SetSelectedPath(base);
    TreeNode b = Node(base);
    ASSERT_NE(b, kNoNode);
    ASSERT_TRUE(tree->Expand(b));
    std::vector<std::string> want = {base + "Alpha\\", base + "beta\\", base + "Gamma\\"};
    EXPECT_EQ(ChildPaths(b), want);
    // Children are read one level ahead: the hidden folder gives Alpha a button, beta has none.
    EXPECT_NE(tree->FirstChild(Node(base + "Alpha\\")), kNoNode);
    EXPECT_EQ(tree->FirstChild(Node(base + "beta\\")), kNoNode);
    EXPECT_NE(tree->FirstChild(Node(base + "Gamma\\")), kNoNode);
    ASSERT_TRUE(::GetFileAttributesW(ToWide(base + "Alpha\\.skjult").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    std::vector<std::string> hidden = {base + "Alpha\\.skjult\\"};
    EXPECT_EQ(ChildPaths(Node(base + "Alpha\\")), hidden);
    // A node without subfolders does not open.
    EXPECT_FALSE(tree->Expand(Node(base + "beta\\")));
}

TEST_F(DirTreeTest, SelectedPathOpensTheTreeAndReadsBackWithABackslash) {
    CreateTree();
    tree->SetSelectedPath(base + "Gamma\\Sub");
    EXPECT_EQ(tree->SelectedPath(), base + "Gamma\\Sub\\");
    // Every collapsed ancestor opened with its notification, from the drive down.
    for (const std::string& p : {std::string("T:\\"), base, base + "Gamma\\"}) {
        EXPECT_TRUE(tree->IsExpanded(Node(p))) << p;
        EXPECT_NE(std::find(expanded.begin(), expanded.end(), p), expanded.end()) << p;
    }
    EXPECT_EQ(expanded.front(), "T:\\");

    // The same folder in other letter case, with or without the backslash, changes nothing.
    int before = changes;
    tree->SetSelectedPath(AsciiUpper(base + "gamma\\sub\\"));
    tree->SetSelectedPath(base + "gamma\\SUB");
    EXPECT_EQ(changes, before);
    EXPECT_EQ(tree->SelectedPath(), base + "Gamma\\Sub\\");

    // A missing folder and the empty string leave the selection.
    tree->SetSelectedPath(base + "Mangler\\");
    tree->SetSelectedPath("");
    EXPECT_EQ(tree->SelectedPath(), base + "Gamma\\Sub\\");

    // A drive with or without its backslash.
    tree->SetSelectedPath("T:");
    EXPECT_EQ(tree->SelectedPath(), "T:\\");
    tree->SetSelectedPath(base + "Alpha");
    tree->SetSelectedPath("t:\\");
    EXPECT_EQ(tree->SelectedPath(), "T:\\");
    EXPECT_GT(changes, before);
}

TEST_F(DirTreeTest, RefreshAfterTheSelectedFolderWasDeletedSelectsItsDrive) {
    CreateTree();
    tree->SetSelectedPath(base + "Gamma\\Sub\\Dyb\\");
    ASSERT_EQ(tree->SelectedPath(), base + "Gamma\\Sub\\Dyb\\");
    ASSERT_TRUE(::RemoveDirectoryW(ToWide(base + "Gamma\\Sub\\Dyb").c_str()));
    // Deleted after it was listed: it stays until the refresh.
    EXPECT_NE(Node(base + "Gamma\\Sub\\Dyb\\"), kNoNode);
    tree->RefreshTree();
    EXPECT_EQ(tree->SelectedPath(), "T:\\");
    EXPECT_TRUE(tree->TreeReady());

    // A refresh keeps a folder that still exists.
    tree->SetSelectedPath(base + "Gamma\\Sub\\");
    tree->RefreshTree();
    EXPECT_EQ(tree->SelectedPath(), base + "Gamma\\Sub\\");
    // The folder is gone now and so is its button.
    EXPECT_EQ(tree->FirstChild(Node(base + "Gamma\\Sub\\")), kNoNode);
}

TEST_F(DirTreeTest, AddDirFilterKeepsFoldersOut) {
    tree->Model().OnAddDir = [this](const std::string& path) { return !EqualsNoCase(path, base + "beta\\"); };
    CreateTree();
    tree->SetSelectedPath(base + "Alpha\\");
    std::vector<std::string> want = {base + "Alpha\\", base + "Gamma\\"};
    EXPECT_EQ(ChildPaths(Node(base)), want);
}

TEST_F(DirTreeTest, CollapseAllTellsEveryNodeWithChildren) {
    CreateTree();
    tree->SetSelectedPath(base + "Gamma\\Sub\\");
    collapsed.clear();
    std::vector<std::string> parents;
    for (TreeNode n = tree->FirstChild(kNoNode); n != kNoNode; n = NextInDisplayOrder(*tree, n))
        if (tree->FirstChild(n) != kNoNode) parents.push_back(tree->Model().NodePath(n));
    tree->CollapseAll();
    EXPECT_EQ(collapsed, parents);
    for (TreeNode n = tree->FirstChild(kNoNode); n != kNoNode; n = NextInDisplayOrder(*tree, n))
        EXPECT_FALSE(tree->IsExpanded(n)) << tree->Model().NodePath(n);
    // Opening again notifies again.
    expanded.clear();
    EXPECT_TRUE(tree->Expand(Node("T:\\")));
    EXPECT_EQ(expanded, std::vector<std::string>{"T:\\"});
}

TEST_F(DirTreeTest, StateImagesHoldTheMarks) {
    CreateTree();
    HIMAGELIST marks = ImageList_Create(16, 16, ILC_COLOR24, 5, 0);
    tree->SetStateImages(marks);
    TreeNode t = Node("T:\\");
    EXPECT_EQ(tree->State(t), 0);
    for (int mark : {1, 2, 4, 0}) {
        tree->SetState(t, mark);
        EXPECT_EQ(tree->State(t), mark);
        UINT raw = static_cast<UINT>(
            ::SendMessageW(*tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(t), TVIS_STATEIMAGEMASK));
        EXPECT_EQ(raw & TVIS_STATEIMAGEMASK, static_cast<UINT>(INDEXTOSTATEIMAGEMASK(mark)));
    }
    tree->SetStateImages(nullptr);
    ImageList_Destroy(marks);
}

TEST_F(DirTreeTest, HitTestTakesTheWholeRow) {
    CreateTree();
    tree->SetSelectedPath(base + "Alpha\\");
    TreeNode alpha = Node(base + "Alpha\\");
    RECT text{};
    *reinterpret_cast<HTREEITEM*>(&text) = reinterpret_cast<HTREEITEM>(alpha);
    ASSERT_TRUE(::SendMessageW(*tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text)));
    int y = (text.top + text.bottom) / 2;
    EXPECT_EQ(tree->HitTest(text.left + 2, y), alpha);
    EXPECT_EQ(tree->HitTest(text.right + 30, y), alpha) << "right of the text";
    EXPECT_EQ(tree->HitTest(2, y), alpha) << "in the indentation";
    EXPECT_EQ(tree->HitTest(text.left + 2, -3), kNoNode) << "above the client area";
    EXPECT_EQ(tree->HitTest(600, y), kNoNode) << "right of the client area";
    EXPECT_GT(tree->Indent(), 0);
}

TEST_F(DirTreeTest, MouseDownIsRaisedAfterTheTreeViewsOwnHandling) {
    CreateTree();
    tree->SetSelectedPath(base + "Alpha\\");
    TreeNode gamma = Node(base + "Gamma\\");
    ASSERT_NE(gamma, kNoNode);
    ASSERT_FALSE(tree->IsExpanded(gamma));
    struct Press {
        UINT button;
        int x, y;
        TreeNode selected;
        bool gammaOpen;
    };
    std::vector<Press> presses;
    tree->OnMouseDown = [&](UINT button, int x, int y) {
        presses.push_back({button, x, y, tree->Selected(), tree->IsExpanded(gamma)});
    };
    auto click = [&](int x, int y) {
        ::PostMessageW(*tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::PostMessageW(*tree, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        for (int i = 0; i < 20; ++i) {
            ProcessMessages();
            ::Sleep(10);
        }
    };
    RECT text{};
    *reinterpret_cast<HTREEITEM*>(&text) = reinterpret_cast<HTREEITEM>(gamma);
    ASSERT_TRUE(::SendMessageW(*tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text)));
    int y = (text.top + text.bottom) / 2;
    click(text.left + 3, y);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].button, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(presses[0].x, text.left + 3);
    EXPECT_EQ(presses[0].y, y);
    EXPECT_EQ(presses[0].selected, gamma) << "the tree selected the node before the event";
    EXPECT_EQ(tree->SelectedPath(), base + "Gamma\\");

    // A press on the node's expand button: the node opens first.
    int buttonX = -1;
    for (int x = 0; x < text.left && buttonX < 0; ++x) {
        TVHITTESTINFO hit{};
        hit.pt = POINT{x, y};
        ::SendMessageW(*tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.flags & TVHT_ONITEMBUTTON) buttonX = x + 2;
    }
    ASSERT_GE(buttonX, 0) << "no expand button left of the text";
    click(buttonX, y);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_TRUE(presses[1].gammaOpen);
}

namespace {

// Marks on a real tree view: presses sent as the mouse sends them, the marks read back.
class TreeMarksTest : public DirTreeTest {
protected:
    void CreateMarkedTree(int width) {
        marks = ImageList_Create(16, 16, ILC_COLOR24, 5, 0);
        HBITMAP bmp = ::CreateBitmap(16 * 5, 16, 1, 32, nullptr);
        ImageList_Add(marks, bmp, nullptr);
        ::DeleteObject(bmp);
        ASSERT_TRUE(tree->Create({.parent = host, .x = 0, .y = 0, .width = width, .height = 400,
                                  .stateImages = marks}));
        host.Show();
        marking = std::make_unique<FolderMarking>(*tree, tree->Model(), [] { return true; }, [this] { ++presses; });
        tree->OnMouseDown = [this](UINT, int x, int y) { marking->ClickAt(x, y); };
        marking->ClearAllMarks();
        Pump();
    }
    void TearDown() override {
        marking.reset();
        DirTreeTest::TearDown();
        if (marks) ImageList_Destroy(marks);
    }
    static void Pump() {
        for (int i = 0; i < 20; ++i) {
            ProcessMessages();
            ::Sleep(10);
        }
    }
    // The messages of one click, or of a double-click, at a client point.
    void Click(POINT p) {
        ::PostMessageW(*tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ::PostMessageW(*tree, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        Pump();
    }
    void DoubleClick(POINT p) {
        ::PostMessageW(*tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ::PostMessageW(*tree, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        ::PostMessageW(*tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ::PostMessageW(*tree, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        Pump();
    }
    RECT TextRect(TreeNode node) const {
        RECT r{};
        *reinterpret_cast<HTREEITEM*>(&r) = reinterpret_cast<HTREEITEM>(node);
        ::SendMessageW(*tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    // The middle of the node's mark box as the marks reckon it, which must be where the tree
    // view draws the state picture.
    POINT Box(TreeNode node) const {
        RECT text = TextRect(node);
        POINT p{tree->Indent() * (NodeLevel(*tree, node) + 1) - tree->ScrollX() + 8, (text.top + text.bottom) / 2};
        TVHITTESTINFO hit{};
        hit.pt = p;
        ::SendMessageW(*tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        EXPECT_TRUE(hit.flags & TVHT_ONITEMSTATEICON) << "x " << p.x << ", flags " << hit.flags;
        EXPECT_EQ(reinterpret_cast<TreeNode>(hit.hItem), node);
        return p;
    }
    POINT Label(TreeNode node) const {
        RECT text = TextRect(node);
        return POINT{text.left + 3, (text.top + text.bottom) / 2};
    }

    HIMAGELIST marks = nullptr;
    std::unique_ptr<FolderMarking> marking;
    int presses = 0;
};

}  // namespace

TEST_F(TreeMarksTest, ADoubleClickOnABoxIsTwoPressesAndOpensNothing) {
    CreateMarkedTree(480);
    tree->SetSelectedPath(base + "beta\\");  // opens the folders down to base
    TreeNode gamma = Node(base + "Gamma\\");
    TreeNode alpha = Node(base + "Alpha\\");
    ASSERT_FALSE(tree->IsExpanded(gamma));
    Click(Box(gamma));
    ASSERT_EQ(tree->State(gamma), Marked);
    DoubleClick(Box(gamma));
    EXPECT_EQ(presses, 3);
    EXPECT_EQ(tree->State(gamma), Marked) << "marked, unmarked, marked";
    EXPECT_FALSE(tree->IsExpanded(gamma)) << "a double-click on the box does not open the folder";
    // Nor does it close an open one.
    ASSERT_TRUE(tree->Expand(alpha));
    DoubleClick(Box(alpha));
    EXPECT_EQ(presses, 5);
    EXPECT_TRUE(tree->IsExpanded(alpha));
    EXPECT_EQ(tree->State(alpha), Unmarked);
}

TEST_F(TreeMarksTest, ADoubleClickThatClosesAFolderLeavesTheNextPressAlone) {
    CreateMarkedTree(480);
    tree->SetSelectedPath(base + "beta\\");  // opens the folders down to base
    TreeNode gamma = Node(base + "Gamma\\");
    TreeNode alpha = Node(base + "Alpha\\");
    // Opened and closed by double-clicks on its name, as a user does.
    DoubleClick(Label(gamma));
    ASSERT_TRUE(tree->IsExpanded(gamma));
    DoubleClick(Label(gamma));
    ASSERT_FALSE(tree->IsExpanded(gamma));
    EXPECT_FALSE(marking->IgnoreNextClick()) << "the double-click that closed it used up the flag";
    EXPECT_EQ(presses, 0) << "presses on a name change no mark";
    Click(Box(alpha));
    EXPECT_EQ(tree->State(alpha), Marked);
    EXPECT_EQ(presses, 1);
}

TEST_F(TreeMarksTest, BoxesOfASidewaysScrolledTreeAreHit) {
    const std::string deep = base + "Lang\\En mappe med et meget langt navn, der ikke kan ses i et smalt træ\\"
                                    "Og endnu en mappe med et langt navn\\Dyb";
    for (size_t end = deep.find('\\', base.size()); end != std::string::npos; end = deep.find('\\', end + 1))
        MakeFolder(deep.substr(0, end));
    MakeFolder(deep);
    CreateMarkedTree(160);
    tree->SetSelectedPath(deep);
    TreeNode node = tree->Selected();
    ASSERT_EQ(tree->Model().NodePath(node), deep + "\\");
    for (int i = 0; i < 40 && tree->ScrollX() < 60; ++i) {
        ::SendMessageW(*tree, WM_HSCROLL, SB_LINERIGHT, 0);
        Pump();
    }
    ASSERT_GE(tree->ScrollX(), 60) << "the tree scrolls sideways";
    const int before = presses;
    Click(Box(node));
    EXPECT_EQ(presses, before + 1);
    EXPECT_EQ(tree->State(node), Marked);
}
