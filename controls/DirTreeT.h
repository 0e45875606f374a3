// TDirTreeT: the folder tree, a Win32 tree view of the drives and their folders, read as the
// user opens nodes. The reading, ordering and path lookup live in the DirTreeModel it owns;
// this class is the widget the model drives, and it handles its own notifications.
#pragma once

#include "controls/Window.h"

#include <commctrl.h>

#include <functional>
#include <string>

#include "core/DirTree.h"
#include "core/TreeView.h"

namespace tavrel {

class TDirTreeT : public ITreeView, public IReflectTarget {
public:
    struct CreateArgs {
        HWND parent = nullptr;  // a Window, which reflects the tree's notifications to it
        int x = 0, y = 0, width = 200, height = 200;
        int id = 0;
        HIMAGELIST stateImages = nullptr;
    };

    TDirTreeT(IFileSystem& fs, IShellInfo& shell, IBusyCursor* cursor = nullptr);
    ~TDirTreeT() override;
    TDirTreeT(const TDirTreeT&) = delete;
    TDirTreeT& operator=(const TDirTreeT&) = delete;

    // Creates the tree view; with ReadOnStart set the drives are read at once.
    bool Create(const CreateArgs& args);
    HWND Handle() const { return hwnd_; }
    operator HWND() const { return hwnd_; }

    // The folder logic: OnAddDir, OnExpanding, OnCollapsing and OnChange are connected there.
    DirTreeModel& Model() { return model_; }

    bool ReadOnStart = false;
    bool ShowFloppyDrives() const { return model_.ShowFloppyDrives; }
    void SetShowFloppyDrives(bool show) { model_.ShowFloppyDrives = show; }
    std::string SelectedPath() const { return model_.SelectedPath(); }
    void SetSelectedPath(const std::string& path) { model_.SetSelectedPath(path); }
    void ReadDrives() { model_.ReadDrives(); }
    void RefreshTree() { model_.RefreshTree(); }
    bool TreeReady() const { return model_.TreeReady(); }

    // The pictures of the marks (state image indices 1, 2, 4 ...); the tree does not own them.
    void SetStateImages(HIMAGELIST images);

    // A mouse press at a point of the client area, raised after the tree view's own handling
    // (selection, expand buttons). The second press of a double-click is a press too: button
    // is then WM_LBUTTONDBLCLK (or the right or middle one). A double-click on a node's state
    // picture only presses it twice; elsewhere on the row it opens or closes the node.
    std::function<void(UINT button, int x, int y)> OnMouseDown;

    // ITreeView
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
    TreeNode Selected() const override;
    void Select(TreeNode node) override;
    bool IsExpanded(TreeNode node) const override;
    bool Expand(TreeNode node) override;
    void CollapseAll() override;
    void BeginUpdate() override;
    void EndUpdate() override;
    void ScrollToTop(TreeNode node) override;
    TreeNode HitTest(int x, int y) const override;
    int Indent() const override;
    int ScrollX() const override;
    void ProcessMessages() override;
    bool Destroying() const override { return destroying_; }

    // IReflectTarget
    bool OnReflectedNotify(NMHDR* hdr, LRESULT& result) override;

private:
    // The tree view's own procedure is replaced by this one, which finds the control through
    // the window's user data. Not SetWindowSubclass: that looks its data up in a window
    // property on every message, and some systems ask the window server for each of those,
    // which made reading a folder of thousands of subfolders take seconds.
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Unsubclass();
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(hwnd_, msg, wp, lp); }
    void ClearExpandedState(TreeNode node);

    HWND hwnd_ = nullptr;
    WNDPROC treeProc_ = nullptr;
    // Declared before the model, whose constructor sets it.
    ITreeEvents* events_ = nullptr;
    DirTreeModel model_;
    int updateDepth_ = 0;
    bool destroying_ = false;
    bool collapsingAll_ = false;
    POINT doubleClickAt_{-1, -1};  // client point of the last left double-click
};

}  // namespace tavrel
