#include "controls/DirTreeT.h"

#include <exception>

#include "controls/Collation.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/WinText.h"

namespace tavrel {

namespace {

HTREEITEM Item(TreeNode node) { return reinterpret_cast<HTREEITEM>(node); }
TreeNode Node(HTREEITEM item) { return reinterpret_cast<TreeNode>(item); }

}  // namespace

TDirTreeT::TDirTreeT(IFileSystem& fs, IShellInfo& shell, IBusyCursor* cursor) : model_(*this, fs, shell, cursor) {
    // Sibling folders in the user's locale order (a Danish user gets æ, ø, å after z).
    model_.CompareNames = CompareForUser;
}

TDirTreeT::~TDirTreeT() {
    destroying_ = true;
    if (hwnd_ && ::IsWindow(hwnd_)) {
        Unsubclass();
        SetReflectTarget(hwnd_, nullptr);
        ::DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
}

bool TDirTreeT::Create(const CreateArgs& args) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    // Read-only (no label editing) and no sorting of its own: nodes stay in the order added.
    hwnd_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                  TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                              args.x, args.y, args.width, args.height, args.parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), ::GetModuleHandleW(nullptr),
                              nullptr);
    if (!hwnd_) return false;
    if (args.parent) Send(WM_SETFONT, ::SendMessageW(args.parent, WM_GETFONT, 0, 0), FALSE);
    SetReflectTarget(hwnd_, this);
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    treeProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TDirTreeT::SubclassProc)));
    // The shell's list is shared by every program: the tree view never destroys it.
    if (HIMAGELIST system = Win32ShellInfo::SmallSystemImageList())
        Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(system));
    if (args.stateImages) SetStateImages(args.stateImages);
    if (ReadOnStart) ReadDrives();
    return true;
}

void TDirTreeT::SetStateImages(HIMAGELIST images) {
    if (hwnd_) Send(TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(images));
}

TreeNode TDirTreeT::AddNode(TreeNode parent, const std::string& text, int image, int selectedImage,
                            std::intptr_t data) {
    std::wstring wide = ToWide(text);
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent == kNoNode ? TVI_ROOT : Item(parent);
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
    ins.item.pszText = wide.data();
    ins.item.iImage = image;
    ins.item.iSelectedImage = selectedImage;
    ins.item.lParam = data;
    ins.item.state = 0;
    ins.item.stateMask = TVIS_STATEIMAGEMASK;
    return Node(reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins))));
}

void TDirTreeT::ClearExpandedState(TreeNode node) {
    TVITEMW item{};
    item.mask = TVIF_STATE;
    item.hItem = Item(node);
    item.state = 0;
    item.stateMask = TVIS_EXPANDED | TVIS_EXPANDEDONCE | TVIS_EXPANDPARTIAL;
    Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TDirTreeT::DeleteChildren(TreeNode node) {
    if (node == kNoNode) return;
    TreeNode c = FirstChild(node);
    if (c == kNoNode) return;
    while (c != kNoNode) {
        TreeNode next = NextSibling(c);
        Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Item(c)));
        c = next;
    }
    // A node without children shows no button and must notify again when it gets some.
    ClearExpandedState(node);
}

void TDirTreeT::Clear() { Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)); }

TreeNode TDirTreeT::FirstChild(TreeNode node) const {
    if (!hwnd_) return kNoNode;
    if (node == kNoNode) return Node(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_ROOT, 0)));
    return Node(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(Item(node)))));
}

TreeNode TDirTreeT::NextSibling(TreeNode node) const {
    if (!hwnd_ || node == kNoNode) return kNoNode;
    return Node(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(Item(node)))));
}

TreeNode TDirTreeT::Parent(TreeNode node) const {
    if (!hwnd_ || node == kNoNode) return kNoNode;
    return Node(
        reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(Item(node)))));
}

std::string TDirTreeT::Text(TreeNode node) const {
    if (!hwnd_ || node == kNoNode) return {};
    wchar_t buf[MAX_PATH + 1] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = Item(node);
    item.pszText = buf;
    item.cchTextMax = MAX_PATH + 1;
    if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
    return FromWide(item.pszText ? item.pszText : L"");
}

std::intptr_t TDirTreeT::Data(TreeNode node) const {
    if (!hwnd_ || node == kNoNode) return 0;
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = Item(node);
    if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
}

int TDirTreeT::State(TreeNode node) const {
    if (!hwnd_ || node == kNoNode) return 0;
    auto state = static_cast<UINT>(Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(Item(node)), TVIS_STATEIMAGEMASK));
    return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
}

void TDirTreeT::SetState(TreeNode node, int state) {
    if (!hwnd_ || node == kNoNode) return;
    TVITEMW item{};
    item.mask = TVIF_STATE;
    item.hItem = Item(node);
    item.state = INDEXTOSTATEIMAGEMASK(state);
    item.stateMask = TVIS_STATEIMAGEMASK;
    Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

TreeNode TDirTreeT::Selected() const {
    if (!hwnd_) return kNoNode;
    return Node(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TDirTreeT::Select(TreeNode node) {
    if (!hwnd_) return;
    if (node != kNoNode) {
        // Open the collapsed ancestors from the top, each with its notification, so that the
        // folders below are read before the tree view shows them.
        std::vector<TreeNode> ancestors;
        for (TreeNode p = Parent(node); p != kNoNode; p = Parent(p)) ancestors.push_back(p);
        for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
            if (!IsExpanded(*it)) Expand(*it);
    }
    Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Item(node)));
}

bool TDirTreeT::IsExpanded(TreeNode node) const {
    if (!hwnd_ || node == kNoNode) return false;
    return (Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(Item(node)), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

bool TDirTreeT::Expand(TreeNode node) {
    if (!hwnd_ || node == kNoNode) return false;
    if (IsExpanded(node)) return true;
    if (FirstChild(node) == kNoNode) return false;
    // Without this the tree view notifies only the first time a node opens.
    TVITEMW item{};
    item.mask = TVIF_STATE;
    item.hItem = Item(node);
    item.stateMask = TVIS_EXPANDEDONCE;
    Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(Item(node)));
    return IsExpanded(node) && FirstChild(node) != kNoNode;
}

void TDirTreeT::CollapseAll() {
    if (!hwnd_) return;
    std::vector<TreeNode> parents;
    for (TreeNode n = FirstChild(kNoNode); n != kNoNode; n = NextInDisplayOrder(*this, n))
        if (FirstChild(n) != kNoNode) parents.push_back(n);
    // Every node with children is told once, collapsed or not; the tree view's own
    // notifications are not passed on meanwhile.
    collapsingAll_ = true;
    for (TreeNode p : parents) {
        if (events_) events_->TreeCollapsing(p);
        Send(TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(Item(p)));
    }
    collapsingAll_ = false;
}

void TDirTreeT::BeginUpdate() {
    if (updateDepth_++ == 0 && hwnd_) Send(WM_SETREDRAW, FALSE);
}

void TDirTreeT::EndUpdate() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ == 0 && hwnd_) {
        Send(WM_SETREDRAW, TRUE);
        ::InvalidateRect(hwnd_, nullptr, TRUE);
    }
}

void TDirTreeT::ScrollToTop(TreeNode node) {
    if (hwnd_ && node != kNoNode) Send(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(Item(node)));
}

TreeNode TDirTreeT::HitTest(int x, int y) const {
    if (!hwnd_) return kNoNode;
    TVHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    auto item = reinterpret_cast<HTREEITEM>(Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    // Anywhere on the row counts: indent, button, pictures, text and the space after it.
    const UINT row = TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT;
    return (hit.flags & row) ? Node(item) : kNoNode;
}

int TDirTreeT::Indent() const { return hwnd_ ? static_cast<int>(Send(TVM_GETINDENT)) : 0; }

int TDirTreeT::ScrollX() const {
    // The tree view scrolls sideways in pixels.
    if (!hwnd_ || !(::GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_HSCROLL)) return 0;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    return ::GetScrollInfo(hwnd_, SB_HORZ, &info) ? info.nPos : 0;
}

void TDirTreeT::ProcessMessages() { tavrel::ProcessMessages(); }

bool TDirTreeT::OnReflectedNotify(NMHDR* hdr, LRESULT& result) {
    if (hdr->hwndFrom != hwnd_) return false;
    switch (hdr->code) {
    case TVN_ITEMEXPANDINGW: {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(hdr);
        TreeNode node = Node(nm->itemNew.hItem);
        result = FALSE;
        if ((nm->action & TVE_EXPAND) && !(nm->itemNew.state & TVIS_EXPANDED)) {
            if (events_ && !events_->TreeExpanding(node)) result = TRUE;
            // The folders were read just now; a node found without any does not open.
            if (FirstChild(node) == kNoNode) result = TRUE;
        } else if ((nm->action & TVE_COLLAPSE) && !collapsingAll_) {
            if (events_) events_->TreeCollapsing(node);
        }
        return true;
    }
    case TVN_SELCHANGEDW: {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(hdr);
        if (events_ && !destroying_) events_->TreeSelectionChanged(Node(nm->itemNew.hItem));
        result = 0;
        return true;
    }
    case TVN_BEGINLABELEDITW:
        result = TRUE;  // read-only
        return true;
    case NM_DBLCLK: {
        // A double-click on the state picture is two presses on the mark box; it must not also
        // open or close the folder, which the tree view would do unless told it was handled.
        TVHITTESTINFO hit{};
        hit.pt = doubleClickAt_;
        Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        result = (hit.flags & TVHT_ONITEMSTATEICON) ? TRUE : FALSE;
        return true;
    }
    default:
        return false;
    }
}

void TDirTreeT::Unsubclass() {
    if (!hwnd_ || !treeProc_) return;
    ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeProc_));
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    treeProc_ = nullptr;
}

LRESULT CALLBACK TDirTreeT::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TDirTreeT*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->treeProc_) return ::DefWindowProcW(hwnd, msg, wp, lp);
    const WNDPROC treeProc = self->treeProc_;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        // The tree view's NM_DBLCLK, sent while it handles the message, carries no point.
        if (msg == WM_LBUTTONDBLCLK)
            self->doubleClickAt_ = POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        // The tree view selects, opens or closes first; the marks are handled afterwards.
        LRESULT r = ::CallWindowProcW(treeProc, hwnd, msg, wp, lp);
        try {
            if (self->OnMouseDown && ::IsWindow(hwnd))
                self->OnMouseDown(msg, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        } catch (const std::exception& e) {
            // Nothing may unwind into the tree view.
            ::MessageBoxW(::GetAncestor(hwnd, GA_ROOT), ToWide(e.what()).c_str(), L"Fejl", MB_OK | MB_ICONERROR);
        } catch (...) {
            ::MessageBoxW(::GetAncestor(hwnd, GA_ROOT), ToWide(kUnknownErrorText).c_str(), L"Fejl", MB_OK | MB_ICONERROR);
        }
        return r;
    }
    case WM_NCDESTROY:
        self->Unsubclass();
        SetReflectTarget(hwnd, nullptr);
        self->hwnd_ = nullptr;
        break;
    default:
        break;
    }
    return ::CallWindowProcW(treeProc, hwnd, msg, wp, lp);
}

}  // namespace tavrel
