#include "controls/BrowseDr.h"

#include <objbase.h>
#include <shlobj.h>

namespace tavrel {

namespace {

constexpr int kStatusLineId = 14147;

struct ChildSearch {
    int id;
    const std::wstring* text;
    HWND found;
};

BOOL CALLBACK FindChild(HWND child, LPARAM lp) {
    auto* s = reinterpret_cast<ChildSearch*>(lp);
    if (s->text) {
        wchar_t cls[16] = {};
        ::GetClassNameW(child, cls, 16);
        if (_wcsicmp(cls, L"Static") != 0) return TRUE;
        wchar_t buf[1024] = {};
        ::GetWindowTextW(child, buf, 1024);
        if (*s->text == buf) s->found = child;
    } else if (::GetDlgCtrlID(child) == s->id) {
        s->found = child;
    }
    return s->found ? FALSE : TRUE;
}

std::string PathOfItem(LPCITEMIDLIST item) {
    wchar_t buf[MAX_PATH + 1] = {};
    if (!item || !::SHGetPathFromIDListW(item, buf)) return {};
    return FromWide(buf);
}

}  // namespace

TBrowseDirectoryDlg::TBrowseDirectoryDlg(IFileSystem& fs, HWND parentControl) : ParentControl(parentControl), fs_(fs) {}

void TBrowseDirectoryDlg::SetSelection(const std::string& value) {
    if (value == selection_) return;
    selection_ = value;
    if (!selection_.empty() && selection_.back() != '\\' && IsExistingDirectory(fs_, selection_)) selection_ += '\\';
    SendSelection();
}

void TBrowseDirectoryDlg::SetStatusText(const std::string& value) {
    if (value == statusText_) return;
    statusText_ = value;
    SendStatusText();
}

void TBrowseDirectoryDlg::SetFitStatusText(bool value) {
    if (value == fitStatusText_) return;
    fitStatusText_ = value;
    SendStatusText();
}

void TBrowseDirectoryDlg::SetEnableOKButton(bool value) {
    if (value == enableOK_) return;
    enableOK_ = value;
    if (dialog_) ::SendMessageW(dialog_, BFFM_ENABLEOK, 0, enableOK_ ? 1 : 0);
}

std::string TBrowseDirectoryDlg::Caption() const {
    if (!dialog_) return caption_;
    wchar_t buf[256] = {};
    ::GetWindowTextW(dialog_, buf, 256);
    return FromWide(buf);
}

void TBrowseDirectoryDlg::SetCaption(const std::string& value) {
    caption_ = value;
    if (dialog_) ::SetWindowTextW(dialog_, ToWide(caption_).c_str());
}

void TBrowseDirectoryDlg::SendSelection() const {
    if (!dialog_ || selection_.empty()) return;
    std::wstring path = ToWide(NormalizeSelectionPath(selection_));
    ::SendMessageW(dialog_, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
}

HWND TBrowseDirectoryDlg::FindStatusLine() const {
    if (!dialog_) return nullptr;
    if (statusLine_ && ::IsWindow(statusLine_)) return statusLine_;
    ChildSearch byId{kStatusLineId, nullptr, nullptr};
    ::EnumChildWindows(dialog_, FindChild, reinterpret_cast<LPARAM>(&byId));
    if (byId.found) return statusLine_ = byId.found;
    // Shells whose status line has another id: the static control showing the text sent.
    if (sentStatus_.empty()) return nullptr;
    ChildSearch byText{0, &sentStatus_, nullptr};
    ::EnumChildWindows(dialog_, FindChild, reinterpret_cast<LPARAM>(&byText));
    return statusLine_ = byText.found;
}

std::string TBrowseDirectoryDlg::ComputeStatusText() const {
    if (!fitStatusText_ || statusText_.empty()) return statusText_;
    HWND line = FindStatusLine();
    if (!line) return statusText_;
    HDC dc = ::GetDC(line);
    if (!dc) return statusText_;
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(line, WM_GETFONT, 0, 0)));
    auto width = [dc](const std::string& s) {
        std::wstring w = ToWide(s);
        SIZE size{};
        if (!::GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size)) return 0;
        return static_cast<int>(size.cx);
    };
    RECT r{};
    ::GetWindowRect(line, &r);
    const int available = r.right - r.left;
    std::string result = IsExistingDirectory(fs_, statusText_) ? FitPathToWidth(statusText_, available, width)
                                                                : FitTextToWidth(statusText_, available, width);
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(line, dc);
    return result;
}

void TBrowseDirectoryDlg::SendStatusText() const {
    if (!dialog_) return;
    bool known = statusLine_ != nullptr;
    std::wstring text = ToWide(ComputeStatusText());
    sentStatus_ = text;
    ::SendMessageW(dialog_, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // The first text sent finds a status line that has no known id; fit it now.
    if (!known && fitStatusText_ && FindStatusLine()) {
        std::wstring fitted = ToWide(ComputeStatusText());
        if (fitted != text) {
            sentStatus_ = fitted;
            ::SendMessageW(dialog_, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(fitted.c_str()));
        }
    }
}

void TBrowseDirectoryDlg::DoInitialized(HWND dialog) {
    dialog_ = dialog;
    if (Center) {
        RECT r{};
        ::GetWindowRect(dialog, &r);
        int x = (::GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
        int y = (::GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
        ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SendMessageW(dialog, BFFM_ENABLEOK, 0, enableOK_ ? 1 : 0);
    if (!statusText_.empty()) SendStatusText();
    if (!selection_.empty()) {
        SendSelection();
        // Selecting makes the shell decide on the OK button again; the caller's choice stands.
        ::SendMessageW(dialog, BFFM_ENABLEOK, 0, enableOK_ ? 1 : 0);
    }
    if (!caption_.empty()) ::SetWindowTextW(dialog, ToWide(caption_).c_str());
    if (OnCreate) OnCreate(*this);
}

void TBrowseDirectoryDlg::DoSelChanged(HWND, const void* item) {
    if (!ShowSelectionInStatus && !OnSelChanged) return;
    std::string path = PathOfItem(static_cast<LPCITEMIDLIST>(item));
    if (ShowSelectionInStatus) SetStatusText(path);
    if (OnSelChanged) OnSelChanged(*this, path);
}

int CALLBACK TBrowseDirectoryDlg::BrowseCallback(HWND hwnd, UINT msg, LPARAM lp, LPARAM data) {
    auto* self = reinterpret_cast<TBrowseDirectoryDlg*>(data);
    if (!self) return 0;
    // Nothing may unwind through the shell: the first failure closes the dialog and Execute
    // rethrows it.
    try {
        if (msg == BFFM_INITIALIZED)
            self->DoInitialized(hwnd);
        else if (msg == BFFM_SELCHANGED)
            self->DoSelChanged(hwnd, reinterpret_cast<const void*>(lp));
    } catch (...) {
        if (!self->failure_) self->failure_ = std::current_exception();
        ::PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

bool TBrowseDirectoryDlg::Execute(HWND owner) {
    HWND ownerWindow = ParentControl ? ParentControl : owner;
    HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    failure_ = nullptr;
    statusLine_ = nullptr;
    sentStatus_.clear();

    LPITEMIDLIST root = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(ownerWindow, RootFolderId(Root), &root))) root = nullptr;
    wchar_t displayName[MAX_PATH + 1] = {};
    std::wstring title = ToWide(Title);
    BROWSEINFOW bi{};
    bi.hwndOwner = ownerWindow;
    bi.pidlRoot = root;
    bi.pszDisplayName = displayName;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BrowseShellFlags(Options, !statusText_.empty());
    bi.lpfn = BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(this);

    bool result = false;
    std::string path;
    if (LPITEMIDLIST item = ::SHBrowseForFolderW(&bi)) {
        path = PathOfItem(item);
        imageIndex_ = bi.iImage;
        result = true;
        ::CoTaskMemFree(item);
    }
    if (root) ::CoTaskMemFree(root);
    dialog_ = nullptr;
    statusLine_ = nullptr;
    if (SUCCEEDED(com)) ::CoUninitialize();

    if (failure_) {
        std::exception_ptr f = failure_;
        failure_ = nullptr;
        std::rethrow_exception(f);
    }
    SetSelection(result ? path : std::string());
    return result;
}

}  // namespace tavrel
