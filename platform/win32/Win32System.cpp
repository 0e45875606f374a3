#include "platform/win32/Win32System.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "base/Path.h"

namespace tavrel {

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    // A path that fills the buffer may have been cut short: the buffer grows until it does not.
    while (true) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size() || path.size() >= 65536) {
            path.resize(std::min<size_t>(n, path.size()));
            break;
        }
        path.resize(path.size() * 2);
    }
    return ExtractFilePath(FromWide(path));
}

// ---- Registry ----

Win32Registry::Win32Registry(std::string keyPath, HKEY root) : keyPath_(std::move(keyPath)), root_(root) {}

Win32Registry::~Win32Registry() { Close(); }

bool Win32Registry::Open() {
    Close();
    HKEY key = nullptr;
    if (RegCreateKeyExW(root_, ToWide(keyPath_).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    key_ = key;
    return true;
}

void Win32Registry::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

std::optional<std::string> Win32Registry::ReadString(const std::string& subkey, const std::string& name) {
    if (!key_) return std::nullopt;
    HKEY sub = nullptr;
    if (RegOpenKeyExW(key_, ToWide(subkey).c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) return std::nullopt;
    std::wstring wideName = ToWide(name);
    std::optional<std::string> result;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(sub, wideName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(sub, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) ==
            ERROR_SUCCESS) {
            // The stored value may or may not end with its terminator.
            std::wstring value(buffer.data(), bytes / sizeof(wchar_t));
            while (!value.empty() && value.back() == L'\0') value.pop_back();
            result = FromWide(value);
        }
    }
    RegCloseKey(sub);
    return result;
}

bool Win32Registry::WriteString(const std::string& subkey, const std::string& name, const std::string& value) {
    if (!key_) return false;
    HKEY sub = nullptr;
    if (RegCreateKeyExW(key_, ToWide(subkey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &sub, nullptr) !=
        ERROR_SUCCESS)
        return false;
    std::wstring wide = ToWide(value);
    DWORD bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    LONG rc = RegSetValueExW(sub, ToWide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()), bytes);
    RegCloseKey(sub);
    return rc == ERROR_SUCCESS;
}

// ---- Clock ----

uint32_t Win32Clock::TickCount() { return GetTickCount(); }

std::string Win32Clock::ShortDateNow() {
    wchar_t buffer[128] = {};
    if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, 128, nullptr)) return {};
    return FromWide(buffer);
}

std::string Win32Clock::LongTimeNow() {
    wchar_t buffer[128] = {};
    if (!GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, nullptr, nullptr, buffer, 128)) return {};
    return FromWide(buffer);
}

LocalTime Win32Clock::LocalNow() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

// ---- Shell ----

void Win32Shell::OpenWithShell(const std::string& target) {
    ShellExecuteW(nullptr, nullptr, ToWide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

// What the shell itself says of a path: its display name and its small icons, closed and open.
ShellItemInfo AskShell(const std::string& path) {
    ShellItemInfo info;
    std::wstring wide = ToWide(path);
    SHFILEINFOW sfi{};
    if (SHGetFileInfoW(wide.c_str(), 0, &sfi, sizeof(sfi), SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
        info.displayName = FromWide(sfi.szDisplayName);
        info.icon = sfi.iIcon;
    }
    SHFILEINFOW open{};
    if (SHGetFileInfoW(wide.c_str(), 0, &open, sizeof(open), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON))
        info.openIcon = open.iIcon;
    else
        info.openIcon = info.icon;
    return info;
}

}  // namespace

bool Win32ShellInfo::PlainFolder(const std::string& path, ShellItemInfo& info) {
    const std::string folder = ExcludeTrailingBackslash(path);
    const std::string name = ExtractFileName(folder);
    // Drive roots keep their label and drive icon.
    if (name.empty()) return false;
    const DWORD attrs = GetFileAttributesW(LongPath(folder).c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (attrs & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    if (folderIcon_ < 0) {
        // The first plain folder is asked for in full; every plain folder has its icons.
        ShellItemInfo first = AskShell(path);
        // A shell that could not answer is asked again for the next folder.
        if (first.icon == 0 && first.openIcon == 0) {
            first.displayName = name;
            info = first;
            return true;
        }
        folderIcon_ = first.icon;
        openFolderIcon_ = first.openIcon;
    }
    info.displayName = name;
    info.icon = folderIcon_;
    info.openIcon = openFolderIcon_;
    return true;
}

ShellItemInfo Win32ShellInfo::GetInfo(const std::string& path) {
    ShellItemInfo info;
    if (PlainFolder(path, info)) return info;
    return AskShell(path);
}

HIMAGELIST Win32ShellInfo::SmallSystemImageList() {
    wchar_t windows[MAX_PATH] = {};
    if (!GetWindowsDirectoryW(windows, MAX_PATH)) wcscpy(windows, L"C:\\");
    SHFILEINFOW sfi{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(windows, 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

// ---- Message boxes and the cursor ----

MsgResult Win32MessageBox::Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                                MsgIcon icon) {
    UINT flags = 0;
    switch (buttons) {
    case MsgButtons::Ok: flags |= MB_OK; break;
    case MsgButtons::YesNo: flags |= MB_YESNO; break;
    case MsgButtons::YesNoCancel: flags |= MB_YESNOCANCEL; break;
    }
    switch (icon) {
    case MsgIcon::None: break;
    case MsgIcon::Error: flags |= MB_ICONERROR; break;
    case MsgIcon::Warning: flags |= MB_ICONWARNING; break;
    case MsgIcon::Question: flags |= MB_ICONQUESTION; break;
    case MsgIcon::Information: flags |= MB_ICONINFORMATION; break;
    }
    switch (MessageBoxW(owner_, ToWide(text).c_str(), ToWide(caption).c_str(), flags)) {
    case IDYES: return MsgResult::Yes;
    case IDNO: return MsgResult::No;
    case IDCANCEL: return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
    default: return MsgResult::Ok;
    }
}

void Win32BusyCursor::Begin() {
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    if (depth_++ == 0) previous_ = SetCursor(wait);
    else SetCursor(wait);
}

void Win32BusyCursor::End() {
    if (depth_ == 0) return;
    if (--depth_ == 0) SetCursor(previous_);
}

bool Win32BusyCursor::OnSetCursor() const {
    if (depth_ == 0) return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

}  // namespace tavrel
