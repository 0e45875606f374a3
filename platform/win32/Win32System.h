// The settings store, clock, shell, message boxes and busy cursor on Win32.
#pragma once

#include "platform/System.h"
#include "platform/win32/WinText.h"

#include <commctrl.h>

namespace tavrel {

// The folder of the running program, ending with a backslash: where the help page and the
// default folder of the job dialogs are.
std::string ProgramFolder();

class Win32Registry : public ISettingsStore {
public:
    static constexpr const char* kDefaultKey = "Software\\Ambrex Software\\Tavrel";
    explicit Win32Registry(std::string keyPath = kDefaultKey, HKEY root = HKEY_CURRENT_USER);
    ~Win32Registry() override;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return key_ != nullptr; }
    std::optional<std::string> ReadString(const std::string& subkey, const std::string& name) override;
    bool WriteString(const std::string& subkey, const std::string& name, const std::string& value) override;

private:
    std::string keyPath_;
    HKEY root_;
    HKEY key_ = nullptr;
};

class Win32Clock : public IClock {
public:
    uint32_t TickCount() override;
    std::string ShortDateNow() override;
    std::string LongTimeNow() override;
    LocalTime LocalNow() override;
};

class Win32Shell : public IShell {
public:
    void OpenWithShell(const std::string& target) override;
};

class Win32ShellInfo : public IShellInfo {
public:
    ShellItemInfo GetInfo(const std::string& path) override;
    // The shell's image list of small icons, which the indices of GetInfo refer to. Owned by
    // the system: never destroy it.
    static HIMAGELIST SmallSystemImageList();

private:
    // The shell reads a folder's desktop.ini (its own name, its own icon) only when the folder
    // carries the system or read-only attribute. Every other folder shows its own name and the
    // plain folder icons, which are asked for once and kept.
    bool PlainFolder(const std::string& path, ShellItemInfo& info);
    int folderIcon_ = -1;
    int openFolderIcon_ = -1;
};

class Win32MessageBox : public IMessageBox {
public:
    explicit Win32MessageBox(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND Owner() const { return owner_; }
    MsgResult Show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) override;

private:
    HWND owner_;
};

class Win32BusyCursor : public IBusyCursor {
public:
    void Begin() override;
    void End() override;
    int Depth() const { return depth_; }
    // For WM_SETCURSOR: while busy, sets the hourglass and returns true (the message is then
    // handled), since the system would otherwise put back the class cursor at the next move.
    bool OnSetCursor() const;

private:
    int depth_ = 0;
    HCURSOR previous_ = nullptr;
};

}  // namespace tavrel
