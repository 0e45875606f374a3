// The tree widget as the folder tree and the marks use it. The Win32 tree view of the main
// window implements it, and so does MemoryTreeView (the console runner and the tests).
#pragma once

#include <cstdint>
#include <string>

namespace tavrel {

using TreeNode = std::uintptr_t;  // 0 = no node
constexpr TreeNode kNoNode = 0;

// Notifications the widget raises; the folder tree model listens.
class ITreeEvents {
public:
    virtual ~ITreeEvents() = default;
    // Before a collapsed node expands (by the user, by Expand or by Select). False refuses.
    virtual bool TreeExpanding(TreeNode node) = 0;
    // Before a node with children collapses (by the user or by CollapseAll).
    virtual void TreeCollapsing(TreeNode node) = 0;
    // After the selection changed.
    virtual void TreeSelectionChanged(TreeNode node) = 0;
};

class ITreeView {
public:
    virtual ~ITreeView() = default;

    virtual void SetEvents(ITreeEvents* events) = 0;

    // Appends a node as the last child of parent (kNoNode: as the last top-level node).
    virtual TreeNode AddNode(TreeNode parent, const std::string& text, int image, int selectedImage,
                             std::intptr_t data) = 0;
    virtual void DeleteChildren(TreeNode node) = 0;
    virtual void Clear() = 0;

    // FirstChild(kNoNode) is the first top-level node.
    virtual TreeNode FirstChild(TreeNode node) const = 0;
    virtual TreeNode NextSibling(TreeNode node) const = 0;
    virtual TreeNode Parent(TreeNode node) const = 0;

    virtual std::string Text(TreeNode node) const = 0;
    virtual std::intptr_t Data(TreeNode node) const = 0;
    // The state image index: 0 = no mark shown.
    virtual int State(TreeNode node) const = 0;
    virtual void SetState(TreeNode node, int state) = 0;

    virtual TreeNode Selected() const = 0;
    // Selects the node; collapsed ancestors expand first, raising TreeExpanding for each.
    virtual void Select(TreeNode node) = 0;
    virtual bool IsExpanded(TreeNode node) const = 0;
    // Expands the node (raising TreeExpanding); false when refused or it has no children.
    virtual bool Expand(TreeNode node) = 0;
    // Collapses every node, raising TreeCollapsing for each node that has children.
    virtual void CollapseAll() = 0;

    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    virtual void ScrollToTop(TreeNode node) = 0;

    // The node whose row holds the point (client coordinates), or kNoNode.
    virtual TreeNode HitTest(int x, int y) const = 0;
    // The indentation of one level, in pixels.
    virtual int Indent() const = 0;
    // How far the rows are scrolled to the left, in pixels (0 when not scrolled sideways).
    virtual int ScrollX() const = 0;

    // Lets pending window messages run once (a no-op without a window).
    virtual void ProcessMessages() = 0;
    // True while the widget is being destroyed.
    virtual bool Destroying() const { return false; }
};

// Helpers over the interface.
inline int NodeLevel(const ITreeView& tree, TreeNode node) {
    int level = 0;
    for (TreeNode p = tree.Parent(node); p != kNoNode; p = tree.Parent(p)) ++level;
    return level;
}

inline bool HasChildren(const ITreeView& tree, TreeNode node) { return tree.FirstChild(node) != kNoNode; }

// The next node in display order: first child, else next sibling, else the next sibling of
// the nearest ancestor that has one.
inline TreeNode NextInDisplayOrder(const ITreeView& tree, TreeNode node) {
    if (TreeNode c = tree.FirstChild(node)) return c;
    for (TreeNode n = node; n != kNoNode; n = tree.Parent(n))
        if (TreeNode s = tree.NextSibling(n)) return s;
    return kNoNode;
}

}  // namespace tavrel
