#include "core/DirTree.h"

#include <algorithm>

#include "base/Text.h"
#include "base/Path.h"

namespace tavrel {

// A node's data value is its index in nodePaths_ plus one. The placeholder child of an unread
// drive carries 0, so it can never be taken for the first drive, whose entry has index 0.
namespace {

constexpr char kUnread = 'u';
constexpr char kRead = 'i';
constexpr const char* kPlaceholderText = " ";

int DriveIndex(char letter) {
    if (letter >= 'a' && letter <= 'z') return letter - 'a';
    if (letter >= 'A' && letter <= 'Z') return letter - 'A';
    return -1;
}

bool IsSubfolder(const DirEntry& entry) { return entry.IsFolder() && entry.name != "." && entry.name != ".."; }

}  // namespace

DirTreeModel::DirTreeModel(ITreeView& tree, IFileSystem& fs, IShellInfo& shell, IBusyCursor* cursor)
    : tree_(tree), fs_(fs), shell_(shell), cursor_(cursor) {
    for (int i = 0; i < 26; ++i) lastPaths_[i] = std::string(1, static_cast<char>('A' + i)) + ":\\";
    std::string current = fs_.CurrentDirectory();
    if (current.size() >= 2 && current[1] == ':') {
        int drive = DriveIndex(current[0]);
        if (drive >= 0) lastPaths_[drive] = IncludeTrailingBackslash(current);
    }
    tree_.SetEvents(this);
}

DirTreeModel::~DirTreeModel() {
    treeReady_ = false;
    tree_.SetEvents(nullptr);
}

bool DirTreeModel::Allowed(const std::string& path) const { return !OnAddDir || OnAddDir(path); }

std::string DirTreeModel::NodePath(TreeNode node) const {
    if (node == kNoNode) return {};
    std::intptr_t data = tree_.Data(node);
    if (data <= 0 || static_cast<size_t>(data) > nodePaths_.size()) return {};
    return nodePaths_[data - 1].substr(1);
}

bool DirTreeModel::IsRead(TreeNode node) const {
    if (node == kNoNode) return false;
    std::intptr_t data = tree_.Data(node);
    if (data <= 0 || static_cast<size_t>(data) > nodePaths_.size()) return false;
    return nodePaths_[data - 1][0] == kRead;
}

TreeNode DirTreeModel::FindNode(const std::string& path) const {
    if (path.empty()) return kNoNode;
    std::string wanted = IncludeTrailingBackslash(path);
    for (TreeNode n = tree_.FirstChild(kNoNode); n != kNoNode; n = NextInDisplayOrder(tree_, n))
        if (EqualsNoCase(NodePath(n), wanted)) return n;
    return kNoNode;
}

TreeNode DirTreeModel::AddNode(TreeNode parent, const std::string& folder) {
    std::string path = IncludeTrailingBackslash(folder);
    ShellItemInfo info = shell_.GetInfo(path);
    nodePaths_.push_back(std::string(1, kUnread) + path);
    return tree_.AddNode(parent, info.displayName, info.icon, info.openIcon,
                         static_cast<std::intptr_t>(nodePaths_.size()));
}

void DirTreeModel::ReadDrives() {
    treeReady_ = false;
    BusyScope busy(cursor_);
    nodePaths_.clear();
    tree_.BeginUpdate();
    tree_.Clear();
    tree_.ProcessMessages();

    uint32_t mask = fs_.LogicalDrives();
    // Every letter up to Z:, where network drives are often mapped; A: and B: only with the
    // floppy drives shown.
    for (int i = ShowFloppyDrives ? 0 : 2; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
        if (!Allowed(root)) continue;
        TreeNode drive = AddNode(kNoNode, root);
        ProbeFolder(drive);
    }

    treeReady_ = true;
    tree_.EndUpdate();
    if (TreeNode selected = tree_.Selected()) tree_.ScrollToTop(selected);
}

void DirTreeModel::ProbeFolder(TreeNode node) {
    if (IsRead(node)) return;
    std::string path = NodePath(node);
    if (path.empty()) return;
    auto folder = fs_.OpenFolder(path);
    if (!folder) return;
    // One acceptable subfolder is enough for the expand button; the rest waits for ReadFolder.
    DirEntry entry;
    while (folder->Next(entry)) {
        if (!IsSubfolder(entry)) continue;
        if (!Allowed(path + entry.name + "\\")) continue;
        tree_.AddNode(node, kPlaceholderText, 0, 0, 0);
        break;
    }
}

void DirTreeModel::ReadFolder(TreeNode node) {
    if (node == kNoNode) return;
    std::intptr_t data = tree_.Data(node);
    if (data <= 0 || static_cast<size_t>(data) > nodePaths_.size()) return;
    size_t index = static_cast<size_t>(data - 1);
    if (nodePaths_[index][0] == kRead) return;

    tree_.DeleteChildren(node);
    nodePaths_[index][0] = kRead;
    std::string path = nodePaths_[index].substr(1);

    std::vector<std::string> names;
    if (auto folder = fs_.OpenFolder(path)) {
        DirEntry entry;
        while (folder->Next(entry))
            if (IsSubfolder(entry) && Allowed(path + entry.name + "\\")) names.push_back(entry.name);
    }
    std::stable_sort(names.begin(), names.end(), [this](const std::string& a, const std::string& b) {
        return (CompareNames ? CompareNames(a, b) : CompareNoCase(a, b)) < 0;
    });
    for (const auto& name : names) AddNode(node, path + name);
}

bool DirTreeModel::TreeExpanding(TreeNode node) {
    {
        BusyScope busy(cursor_);
        ReadFolder(node);
        // One level ahead, so every child that has subfolders shows its expand button.
        for (TreeNode c = tree_.FirstChild(node); c != kNoNode; c = tree_.NextSibling(c)) ReadFolder(c);
    }
    return OnExpanding ? OnExpanding(node) : true;
}

void DirTreeModel::TreeCollapsing(TreeNode node) {
    if (OnCollapsing) OnCollapsing(node);
}

void DirTreeModel::TreeSelectionChanged(TreeNode node) {
    if (tree_.Destroying() || !treeReady_) return;
    std::string path = NodePath(node);
    if (!path.empty()) {
        int drive = DriveIndex(path[0]);
        if (drive >= 0) lastPaths_[drive] = path;
    }
    if (OnChange) OnChange(node);
}

std::string DirTreeModel::SelectedPath() const {
    TreeNode selected = tree_.Selected();
    std::string path = NodePath(selected);
    return path.empty() ? "?" : path;
}

void DirTreeModel::SetSelectedPath(const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && path.back() != '\\') path += '\\';
    if (EqualsNoCase(path, SelectedPath())) return;
    // A drive root is taken as it is: a drive without a medium still has its node.
    if (Utf8Length(path) != 3 && !FolderExists(fs_, path)) return;
    if (std::count(path.begin(), path.end(), '\\') == 0) return;

    BusyScope busy(cursor_);
    tree_.BeginUpdate();
    TreeNode found = kNoNode;
    TreeNode parent = kNoNode;
    for (size_t end = path.find('\\'); end != std::string::npos; end = path.find('\\', end + 1)) {
        std::string prefix = path.substr(0, end + 1);
        found = kNoNode;
        for (TreeNode n = tree_.FirstChild(parent); n != kNoNode; n = tree_.NextSibling(n))
            if (EqualsNoCase(NodePath(n), prefix)) {
                found = n;
                break;
            }
        if (found == kNoNode) break;
        if (!IsRead(found)) ReadFolder(found);
        parent = found;
    }
    if (found != kNoNode) {
        tree_.Select(found);
        tree_.ScrollToTop(found);
    }
    tree_.EndUpdate();
}

void DirTreeModel::RefreshTree() {
    std::string remembered = SelectedPath();
    ReadDrives();
    SetSelectedPath(remembered);
    TreeNode first = tree_.FirstChild(kNoNode);
    if (first == kNoNode) return;
    if (tree_.Selected() == kNoNode) SetSelectedPath(remembered.substr(0, 3));
    if (tree_.Selected() != kNoNode) return;

    std::string firstPath = NodePath(first);
    int drive = firstPath.empty() ? -1 : DriveIndex(firstPath[0]);
    if (drive < 0) return;
    const std::string last = lastPaths_[drive];
    SetSelectedPath(last);
    // The current directory may be spelled in other letter case than the folder on disk; the
    // folder was still found then, and stays selected.
    if (!EqualsNoCase(SelectedPath(), IncludeTrailingBackslash(last))) {
        // Selecting raises the change handling; when the node is selected already, run it here.
        if (tree_.Selected() != first)
            tree_.Select(first);
        else
            TreeSelectionChanged(first);
    }
}

}  // namespace tavrel
