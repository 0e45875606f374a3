// The three-state marks of the folder tree: what a press on a box does, how a change spreads
// to ancestors and descendants, the marks of newly read folders, and the list of marked
// folders that a job stores and a run walks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/DirTree.h"
#include "core/JobTree.h"
#include "core/TreeView.h"

namespace tavrel {

enum FolderMark : int { Unmarked = 1, Marked = 2, PartlyMarked = 4 };

class FolderMarking : public IJobTree {
public:
    // includeSubfolders reads chkUnderMapper at the moment of each use; setModified marks the
    // job as changed after a mark was toggled by the mouse. The constructor connects itself to
    // the model's OnExpanding and OnCollapsing.
    FolderMarking(ITreeView& tree, DirTreeModel& model, std::function<bool()> includeSubfolders,
                  std::function<void()> setModified);

    // A press at (x, y) in the tree's client area: on a node's box it toggles the mark.
    void ClickAt(int x, int y);
    // The children of a node that opens take its mark (the model raises this).
    void MarkOpenedChildren(TreeNode node);
    // The press that collapsed a node is not a press on a box as well (the model raises this).
    void PressCollapsed(TreeNode node);

    int ChildMarkSummary(TreeNode node) const;
    void UpdateParentMarks(TreeNode node);
    void SetSubtreeMark(TreeNode node, int mark);
    TreeNode NextAfterSubtree(TreeNode node) const;

    // IJobTree. A loaded folder that exists but has no node (its drive is not listed, as A:
    // and B: while floppy drives are hidden) is kept and collected with the marked folders,
    // so that saving the job does not drop it; ClearAllMarks forgets it.
    void ClearAllMarks() override;
    bool MarkLoadedFolder(const std::string& folder) override;
    std::vector<std::string> CollectMarkedFolders() override;
    void CollapseAll() override;
    void BeginUpdate() override;
    void EndUpdate() override;

    bool IgnoreNextClick() const { return ignoreNextClick_; }
    // The loaded folders kept without a node, in the order they were loaded.
    const std::vector<std::string>& UnshownFolders() const { return unshown_; }

private:
    ITreeView& tree_;
    DirTreeModel& model_;
    std::function<bool()> includeSubfolders_;
    std::function<void()> setModified_;
    bool ignoreNextClick_ = false;
    std::vector<std::string> unshown_;
};

}  // namespace tavrel
