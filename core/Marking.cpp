#include "core/Marking.h"

#include <algorithm>

#include "base/Text.h"
#include "base/Path.h"

namespace tavrel {

namespace {
// Width of the state picture (the check box) left of a node's icon.
constexpr int kBoxWidth = 16;
}  // namespace

FolderMarking::FolderMarking(ITreeView& tree, DirTreeModel& model, std::function<bool()> includeSubfolders,
                             std::function<void()> setModified)
    : tree_(tree),
      model_(model),
      includeSubfolders_(std::move(includeSubfolders)),
      setModified_(std::move(setModified)) {
    model_.OnExpanding = [this](TreeNode node) {
        MarkOpenedChildren(node);
        return true;
    };
    model_.OnCollapsing = [this](TreeNode node) { PressCollapsed(node); };
}

void FolderMarking::ClickAt(int x, int y) {
    // The tree view has already handled this press; after a collapse by mouse it is the same
    // press that collapsed the node, and it must not toggle a mark as well.
    if (ignoreNextClick_) {
        ignoreNextClick_ = false;
        return;
    }
    TreeNode node = tree_.HitTest(x, y);
    if (node == kNoNode) return;
    // The box moves left with the rows when the tree is scrolled sideways.
    int left = tree_.Indent() * (NodeLevel(tree_, node) + 1) - tree_.ScrollX();
    if (!(left < x && x < left + kBoxWidth)) return;

    bool ticked = includeSubfolders_();
    int mark;
    switch (tree_.State(node)) {
        case Unmarked:
            mark = Marked;
            break;
        case PartlyMarked:
            mark = ticked ? Unmarked : Marked;
            break;
        default:  // Marked, or no mark yet
            if (ticked) {
                mark = Unmarked;
            } else {
                int below = ChildMarkSummary(node);
                mark = (below == Marked || below == PartlyMarked) ? PartlyMarked : Unmarked;
            }
            break;
    }
    tree_.SetState(node, mark);
    if (TreeNode parent = tree_.Parent(node)) UpdateParentMarks(parent);
    if (ticked && HasChildren(tree_, node)) SetSubtreeMark(node, mark);
    if (setModified_) setModified_();
}

int FolderMarking::ChildMarkSummary(TreeNode node) const {
    TreeNode child = tree_.FirstChild(node);
    if (child == kNoNode) return 0;
    bool anyUnmarked = false, anyMarked = false, anyPartly = false;
    for (; child != kNoNode; child = tree_.NextSibling(child)) {
        switch (tree_.State(child)) {
            case Unmarked: anyUnmarked = true; break;
            case Marked: anyMarked = true; break;
            case PartlyMarked: anyPartly = true; break;
            default: break;
        }
    }
    if (anyPartly || (anyMarked && anyUnmarked)) return PartlyMarked;
    if (anyUnmarked) return Unmarked;
    if (anyMarked) return Marked;
    return 0;
}

void FolderMarking::UpdateParentMarks(TreeNode node) {
    bool ticked = includeSubfolders_();
    for (; node != kNoNode; node = tree_.Parent(node)) {
        int below = ChildMarkSummary(node);
        if (ticked)
            tree_.SetState(node, below);
        else if (tree_.State(node) != Marked)
            tree_.SetState(node, (below == Marked || below == PartlyMarked) ? PartlyMarked : Unmarked);
    }
}

void FolderMarking::SetSubtreeMark(TreeNode node, int mark) {
    // Walked without recursion: folder trees can be far deeper than the call stack allows.
    TreeNode n = tree_.FirstChild(node);
    while (n != kNoNode) {
        tree_.SetState(n, mark);
        TreeNode next = tree_.FirstChild(n);
        while (next == kNoNode && n != node) {
            next = tree_.NextSibling(n);
            if (next == kNoNode) {
                n = tree_.Parent(n);
                if (n == node) break;
            }
        }
        n = next;
    }
}

void FolderMarking::MarkOpenedChildren(TreeNode node) {
    int mark = tree_.State(node);
    if (includeSubfolders_() && mark != PartlyMarked) {
        SetSubtreeMark(node, mark);
        return;
    }
    int below = ChildMarkSummary(node);
    if (below != Marked && below != PartlyMarked) SetSubtreeMark(node, Unmarked);
}

void FolderMarking::PressCollapsed(TreeNode) { ignoreNextClick_ = true; }

void FolderMarking::ClearAllMarks() {
    unshown_.clear();
    tree_.BeginUpdate();
    for (TreeNode n = tree_.FirstChild(kNoNode); n != kNoNode; n = NextInDisplayOrder(tree_, n))
        tree_.SetState(n, Unmarked);
    tree_.EndUpdate();
}

TreeNode FolderMarking::NextAfterSubtree(TreeNode node) const {
    TreeNode n = node;
    while (tree_.NextSibling(n) == kNoNode && tree_.Parent(n) != kNoNode) n = tree_.Parent(n);
    return tree_.NextSibling(n);
}

bool FolderMarking::MarkLoadedFolder(const std::string& folder) {
    model_.SetSelectedPath(folder);
    TreeNode node = tree_.Selected();
    if (node == kNoNode || !EqualsNoCase(model_.SelectedPath(), IncludeTrailingBackslash(folder))) {
        // The job still holds the folder; only the tree cannot show it.
        if (folder.empty()) return false;
        const std::string path = IncludeTrailingBackslash(folder);
        if (std::none_of(unshown_.begin(), unshown_.end(), [&](const std::string& p) { return EqualsNoCase(p, path); }))
            unshown_.push_back(path);
        return false;
    }
    tree_.SetState(node, Marked);
    if (TreeNode parent = tree_.Parent(node)) UpdateParentMarks(parent);
    if (includeSubfolders_() && HasChildren(tree_, node)) SetSubtreeMark(node, Marked);
    return true;
}

std::vector<std::string> FolderMarking::CollectMarkedFolders() {
    std::vector<std::string> folders;
    bool ticked = includeSubfolders_();
    TreeNode node = tree_.FirstChild(kNoNode);
    while (node != kNoNode) {
        // The model's stored path is the folder's name on disk; the node's text is only what
        // the shell shows, which may be translated or hide the drive letter.
        std::string path = model_.NodePath(node);
        int mark = tree_.State(node);
        if (path.empty() || (mark != Marked && mark != PartlyMarked)) {
            node = NextAfterSubtree(node);
        } else if (mark == PartlyMarked) {
            node = NextInDisplayOrder(tree_, node);
        } else {
            folders.push_back(path);
            node = ticked ? NextAfterSubtree(node) : NextInDisplayOrder(tree_, node);
        }
    }
    // The folders without a node go among the others by drive letter, as the tree would list
    // them; a path that does not start with a drive letter goes last.
    auto driveOf = [](const std::string& p) {
        char c = p.size() >= 2 && p[1] == ':' ? p[0] : 0;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return c >= 'A' && c <= 'Z' ? c - 'A' : 26;
    };
    for (const std::string& kept : unshown_) {
        if (std::any_of(folders.begin(), folders.end(), [&](const std::string& p) { return EqualsNoCase(p, kept); }))
            continue;
        auto at = std::find_if(folders.begin(), folders.end(),
                               [&](const std::string& p) { return driveOf(p) > driveOf(kept); });
        folders.insert(at, kept);
    }
    return folders;
}

void FolderMarking::CollapseAll() { tree_.CollapseAll(); }
void FolderMarking::BeginUpdate() { tree_.BeginUpdate(); }
void FolderMarking::EndUpdate() { tree_.EndUpdate(); }

}  // namespace tavrel
