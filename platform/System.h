// The rest of the world that core/ needs: the settings store, the clock, the shell and the
// user's attention (message boxes, the busy cursor). Texts are UTF-8.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace tavrel {

// HKEY_CURRENT_USER\Software\Ambrex Software\Tavrel with its subkeys; string values only.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // Opens the key with full access, creating it when missing.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Nothing when the subkey or the value is missing (or the key is not open).
    virtual std::optional<std::string> ReadString(const std::string& subkey, const std::string& name) = 0;
    // Creates the subkey when missing. False when the key is not open or the write failed.
    virtual bool WriteString(const std::string& subkey, const std::string& name, const std::string& value) = 0;
};

// A moment on the local clock, as the calendar and the wall clock show it.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto operator<=>(const LocalTime&) const = default;
};

class IClock {
public:
    virtual ~IClock() = default;
    virtual uint32_t TickCount() = 0;      // milliseconds, wraps after 49 days
    virtual std::string ShortDateNow() = 0;  // today in the user's short date format
    virtual std::string LongTimeNow() = 0;   // now in the user's long time format
    // Now in local time, for files that are read back by the program: the user's formats
    // above vary with the user's settings, this does not.
    virtual LocalTime LocalNow() = 0;
};

class IShell {
public:
    virtual ~IShell() = default;
    // Hands a document, web address or "mailto:" target to the shell's default action; the
    // result is ignored.
    virtual void OpenWithShell(const std::string& target) = 0;
};

// What the shell shows for a drive or folder: its display name and the small icons.
struct ShellItemInfo {
    std::string displayName;
    int icon = 0;
    int openIcon = 0;
};

class IShellInfo {
public:
    virtual ~IShellInfo() = default;
    virtual ShellItemInfo GetInfo(const std::string& path) = 0;
};

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Error, Warning, Question, Information };
enum class MsgResult { Ok, Yes, No, Cancel };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual MsgResult Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                           MsgIcon icon) = 0;
};

// The hourglass: Begin shows it, End restores what was there before. Calls nest.
class IBusyCursor {
public:
    virtual ~IBusyCursor() = default;
    virtual void Begin() = 0;
    virtual void End() = 0;
};

class BusyScope {
public:
    explicit BusyScope(IBusyCursor* cursor) : cursor_(cursor) {
        if (cursor_) cursor_->Begin();
    }
    ~BusyScope() {
        if (cursor_) cursor_->End();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    IBusyCursor* cursor_;
};

}  // namespace tavrel
