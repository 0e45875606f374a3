// TBrowseDirectoryDlg: the shell's folder browser as plain data. The caller fills the fields,
// runs Execute and reads Selection. The setters also act on the open dialog, so the events
// may use them.
#pragma once

#include "controls/Window.h"

#include <exception>
#include <functional>
#include <string>

#include "core/BrowsePaths.h"
#include "platform/FileSystem.h"

namespace tavrel {

class TBrowseDirectoryDlg {
public:
    // fs answers whether a path is an existing folder (preselection, status-text shortening).
    explicit TBrowseDirectoryDlg(IFileSystem& fs, HWND parentControl = nullptr);
    virtual ~TBrowseDirectoryDlg() = default;
    TBrowseDirectoryDlg(const TBrowseDirectoryDlg&) = delete;
    TBrowseDirectoryDlg& operator=(const TBrowseDirectoryDlg&) = delete;

    HWND ParentControl;
    std::string Title;
    TRootID Root = TRootID::idDesktop;
    TBrowseFlags Options = 0;
    bool Center = true;
    bool ShowSelectionInStatus = false;
    std::function<void(TBrowseDirectoryDlg& sender, const std::string& newSel)> OnSelChanged;
    std::function<void(TBrowseDirectoryDlg& sender)> OnCreate;

    const std::string& Selection() const { return selection_; }
    void SetSelection(const std::string& value);
    const std::string& StatusText() const { return statusText_; }
    void SetStatusText(const std::string& value);
    bool FitStatusText() const { return fitStatusText_; }
    void SetFitStatusText(bool value);
    bool EnableOKButton() const { return enableOK_; }
    void SetEnableOKButton(bool value);
    // The open dialog's title (at most 255 characters), else the stored text.
    std::string Caption() const;
    void SetCaption(const std::string& value);
    // The shell's system-image-list index of the chosen folder after a confirmed Execute.
    int ImageIndex() const { return imageIndex_; }
    HWND DialogHandle() const { return dialog_; }

    // Shows the dialog modally, owned by ParentControl or else by owner. True when the user
    // confirmed; Selection then holds the folder (empty for an item without a path), and is
    // empty after a cancel.
    virtual bool Execute(HWND owner = nullptr);

protected:
    virtual void DoInitialized(HWND dialog);
    virtual void DoSelChanged(HWND dialog, const void* item);

private:
    static int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM lp, LPARAM data);
    std::string ComputeStatusText() const;
    HWND FindStatusLine() const;
    void SendStatusText() const;
    void SendSelection() const;

    IFileSystem& fs_;
    std::string selection_, statusText_, caption_;
    bool fitStatusText_ = true;
    bool enableOK_ = true;
    int imageIndex_ = -1;
    HWND dialog_ = nullptr;
    // The status text as last sent unshortened, to recognise the status line without its id.
    mutable std::wstring sentStatus_;
    mutable HWND statusLine_ = nullptr;
    std::exception_ptr failure_;
};

}  // namespace tavrel
