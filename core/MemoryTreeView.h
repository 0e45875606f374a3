// A tree widget without a window: nodes with text, images, state and data, expand flags, a
// selection, rows of a fixed height for hit testing. It behaves like the Win32 tree view where
// the folder tree and the marks depend on it (expansion notifications that can be refused,
// selection that opens the collapsed ancestors, a full collapse that notifies every parent).
// The console runner uses it as its folder tree, and the tests use it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/TreeView.h"

namespace tavrel {

class MemoryTreeView : public ITreeView {
public:
    static constexpr int kRowHeight = 16;

    MemoryTreeView();
    ~MemoryTreeView() override;

    void SetEvents(ITreeEvents* events) override { events_ = events; }

    TreeNode AddNode(TreeNode parent, const std::string& text, int image, int selectedImage,
                     std::intptr_t data) override;
    void DeleteChildren(TreeNode node) override;
    void Clear() override;

    TreeNode FirstChild(TreeNode node) const override;
    TreeNode NextSibling(TreeNode node) const override;
    TreeNode Parent(TreeNode node) const override;

    std::string Text(TreeNode node) const override;
    std::intptr_t Data(TreeNode node) const override;
    int State(TreeNode node) const override;
    void SetState(TreeNode node, int state) override;

    TreeNode Selected() const override { return selected_; }
    void Select(TreeNode node) override;
    bool IsExpanded(TreeNode node) const override;
    bool Expand(TreeNode node) override;
    void CollapseAll() override;

    void BeginUpdate() override { ++updateDepth_; }
    void EndUpdate() override;
    void ScrollToTop(TreeNode node) override;

    TreeNode HitTest(int x, int y) const override;
    int Indent() const override { return indent_; }
    int ScrollX() const override { return scrollX_; }

    void ProcessMessages() override {}

    // ---- Beyond the interface ----
    void SetIndent(int pixels) { indent_ = pixels; }
    // Scrolls the rows sideways: the content moves the given pixels to the left.
    void SetScrollX(int pixels) { scrollX_ = pixels; }
    void SetClientSize(int width, int height);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }

    // Collapses one node as a press on its button would (TreeCollapsing first); false when
    // it was not expanded.
    bool Collapse(TreeNode node);
    // The node's row counted from the top of the client area, or -1 when it is not shown
    // (a collapsed ancestor) or scrolled above the top.
    int RowOf(TreeNode node) const;
    // The nodes shown, in display order, from the first row of the tree (scrolling ignored).
    std::vector<TreeNode> VisibleNodes() const;
    int TopRow() const { return topRow_; }
    int ImageIndex(TreeNode node) const;
    int SelectedImageIndex(TreeNode node) const;
    bool Exists(TreeNode node) const { return nodes_.count(node) != 0; }
    size_t NodeCount() const { return nodes_.size(); }

    int UpdateDepth() const { return updateDepth_; }
    // How often the view would have been repainted: once per change made outside a bulk
    // update, once per outermost EndUpdate.
    int Repaints() const { return repaints_; }

private:
    struct Node {
        std::string text;
        int image = 0;
        int selectedImage = 0;
        int state = 0;
        std::intptr_t data = 0;
        TreeNode parent = kNoNode;
        // Children are only ever appended or removed all at once, so the position stays valid.
        size_t indexInParent = 0;
        std::vector<TreeNode> children;
        bool expanded = false;
    };

    Node* Find(TreeNode node);
    const Node* Find(TreeNode node) const;
    const std::vector<TreeNode>& ChildrenOf(TreeNode node) const;
    void DeleteSubtree(TreeNode node, bool& selectionLost);
    void Changed();
    void ClampTop();
    void EnsureVisible(TreeNode node);
    int AbsoluteRow(TreeNode node) const;
    int RowsPerPage() const;

    std::unordered_map<TreeNode, std::unique_ptr<Node>> nodes_;
    std::vector<TreeNode> roots_;
    TreeNode nextHandle_ = 1;
    TreeNode selected_ = kNoNode;
    ITreeEvents* events_ = nullptr;
    int indent_ = 19;
    int scrollX_ = 0;
    int clientWidth_ = 640;
    int clientHeight_ = 480;
    int topRow_ = 0;
    int updateDepth_ = 0;
    int repaints_ = 0;
};

}  // namespace tavrel
