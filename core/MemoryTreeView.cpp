#include "core/MemoryTreeView.h"

#include <algorithm>

namespace tavrel {

MemoryTreeView::MemoryTreeView() = default;
MemoryTreeView::~MemoryTreeView() = default;

MemoryTreeView::Node* MemoryTreeView::Find(TreeNode node) {
    auto it = nodes_.find(node);
    return it == nodes_.end() ? nullptr : it->second.get();
}

const MemoryTreeView::Node* MemoryTreeView::Find(TreeNode node) const {
    auto it = nodes_.find(node);
    return it == nodes_.end() ? nullptr : it->second.get();
}

const std::vector<TreeNode>& MemoryTreeView::ChildrenOf(TreeNode node) const {
    static const std::vector<TreeNode> none;
    if (node == kNoNode) return roots_;
    const Node* n = Find(node);
    return n ? n->children : none;
}

void MemoryTreeView::Changed() {
    if (updateDepth_ == 0) ++repaints_;
}

TreeNode MemoryTreeView::AddNode(TreeNode parent, const std::string& text, int image, int selectedImage,
                                 std::intptr_t data) {
    Node* p = nullptr;
    if (parent != kNoNode && !(p = Find(parent))) return kNoNode;
    // Handles are never reused, so a handle kept past a deletion finds nothing.
    TreeNode handle = nextHandle_++;
    auto node = std::make_unique<Node>();
    node->text = text;
    node->image = image;
    node->selectedImage = selectedImage;
    node->data = data;
    node->parent = parent;
    auto& siblings = p ? p->children : roots_;
    node->indexInParent = siblings.size();
    siblings.push_back(handle);
    nodes_.emplace(handle, std::move(node));
    Changed();
    return handle;
}

void MemoryTreeView::DeleteSubtree(TreeNode node, bool& selectionLost) {
    Node* n = Find(node);
    if (!n) return;
    for (TreeNode c : n->children) DeleteSubtree(c, selectionLost);
    if (node == selected_) selectionLost = true;
    nodes_.erase(node);
}

void MemoryTreeView::DeleteChildren(TreeNode node) {
    Node* n = Find(node);
    if (!n || n->children.empty()) return;
    bool selectionLost = false;
    std::vector<TreeNode> children;
    children.swap(n->children);
    for (TreeNode c : children) DeleteSubtree(c, selectionLost);
    // Without children there is nothing to show open, and the button goes away.
    n->expanded = false;
    Changed();
    ClampTop();
    if (selectionLost) {
        // Like the tree view, the selection moves to the nearest remaining node.
        selected_ = node;
        if (events_) events_->TreeSelectionChanged(node);
    }
}

void MemoryTreeView::Clear() {
    bool hadSelection = selected_ != kNoNode;
    nodes_.clear();
    roots_.clear();
    selected_ = kNoNode;
    topRow_ = 0;
    Changed();
    if (hadSelection && events_) events_->TreeSelectionChanged(kNoNode);
}

TreeNode MemoryTreeView::FirstChild(TreeNode node) const {
    const auto& children = ChildrenOf(node);
    return children.empty() ? kNoNode : children.front();
}

TreeNode MemoryTreeView::NextSibling(TreeNode node) const {
    const Node* n = Find(node);
    if (!n) return kNoNode;
    const auto& siblings = ChildrenOf(n->parent);
    size_t next = n->indexInParent + 1;
    return next < siblings.size() ? siblings[next] : kNoNode;
}

TreeNode MemoryTreeView::Parent(TreeNode node) const {
    const Node* n = Find(node);
    return n ? n->parent : kNoNode;
}

std::string MemoryTreeView::Text(TreeNode node) const {
    const Node* n = Find(node);
    return n ? n->text : std::string();
}

std::intptr_t MemoryTreeView::Data(TreeNode node) const {
    const Node* n = Find(node);
    return n ? n->data : 0;
}

int MemoryTreeView::State(TreeNode node) const {
    const Node* n = Find(node);
    return n ? n->state : 0;
}

void MemoryTreeView::SetState(TreeNode node, int state) {
    Node* n = Find(node);
    if (!n || n->state == state) return;
    n->state = state;
    Changed();
}

int MemoryTreeView::ImageIndex(TreeNode node) const {
    const Node* n = Find(node);
    return n ? n->image : 0;
}

int MemoryTreeView::SelectedImageIndex(TreeNode node) const {
    const Node* n = Find(node);
    return n ? n->selectedImage : 0;
}

bool MemoryTreeView::IsExpanded(TreeNode node) const {
    const Node* n = Find(node);
    return n && n->expanded;
}

bool MemoryTreeView::Expand(TreeNode node) {
    Node* n = Find(node);
    if (!n) return false;
    if (n->expanded) return true;
    if (n->children.empty()) return false;
    if (events_ && !events_->TreeExpanding(node)) return false;
    // The listener may have replaced the children (a placeholder by the real folders) or
    // found none at all.
    n = Find(node);
    if (!n || n->children.empty()) return false;
    n->expanded = true;
    Changed();
    return true;
}

bool MemoryTreeView::Collapse(TreeNode node) {
    Node* n = Find(node);
    if (!n || !n->expanded || n->children.empty()) return false;
    if (events_) events_->TreeCollapsing(node);
    n = Find(node);
    if (!n) return false;
    n->expanded = false;
    Changed();
    ClampTop();
    bool selectionHidden = false;
    for (TreeNode p = Parent(selected_); p != kNoNode; p = Parent(p))
        if (p == node) selectionHidden = true;
    if (selectionHidden) {
        selected_ = node;
        if (events_) events_->TreeSelectionChanged(node);
    }
    return true;
}

void MemoryTreeView::CollapseAll() {
    std::vector<TreeNode> parents;
    for (TreeNode n = FirstChild(kNoNode); n != kNoNode; n = NextInDisplayOrder(*this, n))
        if (FirstChild(n) != kNoNode) parents.push_back(n);
    for (TreeNode p : parents) {
        if (!Exists(p)) continue;
        if (events_) events_->TreeCollapsing(p);
        if (Node* n = Find(p)) n->expanded = false;
    }
    Changed();
    topRow_ = 0;
    // The selection cannot stay hidden: it moves up to its drive, as in the tree view.
    TreeNode top = selected_;
    while (Parent(top) != kNoNode) top = Parent(top);
    if (top != selected_) {
        selected_ = top;
        if (events_) events_->TreeSelectionChanged(top);
    }
}

void MemoryTreeView::Select(TreeNode node) {
    if (node != kNoNode) {
        if (!Exists(node)) return;
        std::vector<TreeNode> ancestors;
        for (TreeNode p = Parent(node); p != kNoNode; p = Parent(p)) ancestors.push_back(p);
        for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
            if (!IsExpanded(*it)) Expand(*it);
        if (!Exists(node)) return;
    }
    if (node == selected_) {
        EnsureVisible(node);
        return;
    }
    selected_ = node;
    Changed();
    EnsureVisible(node);
    if (events_) events_->TreeSelectionChanged(node);
}

void MemoryTreeView::EndUpdate() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ == 0) {
        ++repaints_;
        ClampTop();
    }
}

std::vector<TreeNode> MemoryTreeView::VisibleNodes() const {
    std::vector<TreeNode> rows;
    std::vector<TreeNode> stack(roots_.rbegin(), roots_.rend());
    while (!stack.empty()) {
        TreeNode n = stack.back();
        stack.pop_back();
        rows.push_back(n);
        const Node* node = Find(n);
        if (node && node->expanded) stack.insert(stack.end(), node->children.rbegin(), node->children.rend());
    }
    return rows;
}

int MemoryTreeView::AbsoluteRow(TreeNode node) const {
    for (TreeNode p = Parent(node); p != kNoNode; p = Parent(p))
        if (!IsExpanded(p)) return -1;
    auto rows = VisibleNodes();
    auto it = std::find(rows.begin(), rows.end(), node);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

int MemoryTreeView::RowsPerPage() const { return std::max(1, clientHeight_ / kRowHeight); }

void MemoryTreeView::ClampTop() {
    int maxTop = std::max(0, static_cast<int>(VisibleNodes().size()) - RowsPerPage());
    topRow_ = std::clamp(topRow_, 0, maxTop);
}

void MemoryTreeView::EnsureVisible(TreeNode node) {
    int row = AbsoluteRow(node);
    if (row < 0) return;
    if (row < topRow_) topRow_ = row;
    if (row >= topRow_ + RowsPerPage()) topRow_ = row - RowsPerPage() + 1;
    ClampTop();
}

void MemoryTreeView::ScrollToTop(TreeNode node) {
    int row = AbsoluteRow(node);
    if (row < 0) return;
    topRow_ = row;
    ClampTop();
}

void MemoryTreeView::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    ClampTop();
}

int MemoryTreeView::RowOf(TreeNode node) const {
    int row = AbsoluteRow(node);
    if (row < topRow_) return -1;
    row -= topRow_;
    return row < RowsPerPage() ? row : -1;
}

TreeNode MemoryTreeView::HitTest(int x, int y) const {
    if (x < 0 || x >= clientWidth_ || y < 0 || y >= clientHeight_) return kNoNode;
    auto rows = VisibleNodes();
    size_t row = static_cast<size_t>(topRow_ + y / kRowHeight);
    return row < rows.size() ? rows[row] : kNoNode;
}

}  // namespace tavrel
