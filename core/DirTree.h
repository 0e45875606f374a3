// The folder tree's logic: drives and folders read lazily into any ITreeView, the full path
// behind every node, ordering, opening a path, refreshing. The Win32 control TDirTreeT and the
// console runner's in-memory tree both drive their widget through this model.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/TreeView.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace tavrel {

class DirTreeModel : public ITreeEvents {
public:
    DirTreeModel(ITreeView& tree, IFileSystem& fs, IShellInfo& shell, IBusyCursor* cursor = nullptr);
    ~DirTreeModel() override;

    // Filter asked before each drive ("C:\") or folder (full path with "\") is added;
    // returning false keeps it out. Unset: everything is added.
    std::function<bool(const std::string& filename)> OnAddDir;
    // Raised after a node's folders (and their subfolders) were read; false refuses expansion.
    std::function<bool(TreeNode node)> OnExpanding;
    std::function<void(TreeNode node)> OnCollapsing;
    std::function<void(TreeNode node)> OnChange;

    bool ShowFloppyDrives = false;
    // Order of sibling folder names, case-insensitive; the window supplies the user's locale
    // collation (Danish puts æ, ø, å after z). Unset: core/Text.h CompareNoCase.
    std::function<int(const std::string& a, const std::string& b)> CompareNames;

    // Clears the tree and rebuilds the drive level (C: to Z:, A: and B: with floppy drives).
    void ReadDrives();
    // Rebuilds the drive level and reselects the selected folder as far as it still exists.
    void RefreshTree();
    bool TreeReady() const { return treeReady_; }

    // The selected node's path with a trailing backslash, or "?".
    std::string SelectedPath() const;
    // Opens the tree down to the folder and selects it; unchanged when it cannot be located.
    void SetSelectedPath(const std::string& path);

    // The stored path of a node ("C:\Data\"), or empty for the placeholder / unknown nodes.
    std::string NodePath(TreeNode node) const;
    // True when the node's folders have been read ("i").
    bool IsRead(TreeNode node) const;
    // The node whose stored path equals the path (case-insensitive) among the loaded nodes.
    TreeNode FindNode(const std::string& path) const;

    // Reads a node's subfolders if not yet read (ReadFolder), and each child's (CanExpand).
    void ReadFolder(TreeNode node);

    // ITreeEvents
    bool TreeExpanding(TreeNode node) override;  // CanExpand
    void TreeCollapsing(TreeNode node) override;
    void TreeSelectionChanged(TreeNode node) override;  // Change

    const std::array<std::string, 26>& LastPaths() const { return lastPaths_; }

private:
    TreeNode AddNode(TreeNode parent, const std::string& path);
    void ProbeFolder(TreeNode node);
    bool Allowed(const std::string& path) const;

    ITreeView& tree_;
    IFileSystem& fs_;
    IShellInfo& shell_;
    IBusyCursor* cursor_;
    std::vector<std::string> nodePaths_;  // read-state letter + path
    std::array<std::string, 26> lastPaths_;
    bool treeReady_ = false;
};

}  // namespace tavrel
