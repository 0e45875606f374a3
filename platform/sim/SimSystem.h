// In-memory stand-ins for the settings store, clock, shell, message boxes and busy cursor,
// for tests. Each records what the program did with it.
#pragma once

#include "platform/System.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tavrel {

// Registry key and value names ignore letter case, as the registry does.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

class SimSettingsStore : public ISettingsStore {
public:
    using Values = std::map<std::string, std::string, NoCaseLess>;
    struct Write {
        std::string subkey, name, value;
    };

    bool Open() override;
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    std::optional<std::string> ReadString(const std::string& subkey, const std::string& name) override;
    bool WriteString(const std::string& subkey, const std::string& name, const std::string& value) override;

    // For tests: preset values, look at everything, and see the writes in their order.
    void Set(const std::string& subkey, const std::string& name, const std::string& value);
    std::optional<std::string> Value(const std::string& subkey, const std::string& name) const;
    bool KeyExists() const { return keyExists_; }
    bool HasSubkey(const std::string& subkey) const { return subkeys_.count(subkey) != 0; }
    const std::map<std::string, Values, NoCaseLess>& All() const { return subkeys_; }
    const std::vector<Write>& Writes() const { return writes_; }
    void ClearWrites() { writes_.clear(); }
    bool failOpen = false;    // Open fails, as when access is denied
    bool failWrites = false;  // every write fails

private:
    bool open_ = false;
    bool keyExists_ = false;
    std::map<std::string, Values, NoCaseLess> subkeys_;
    std::vector<Write> writes_;
};

class SimClock : public IClock {
public:
    uint32_t TickCount() override;
    std::string ShortDateNow() override { return date; }
    std::string LongTimeNow() override { return time; }
    LocalTime LocalNow() override { return local; }
    void Advance(uint32_t ms) { tick += ms; }

    uint32_t tick = 1000000;
    uint32_t autoAdvance = 0;  // added after each TickCount call
    std::string date = "08-12-2026";
    std::string time = "21:41:25";
    LocalTime local{2026, 12, 8, 21, 41, 25};
};

class SimShell : public IShell {
public:
    void OpenWithShell(const std::string& target) override { opened.push_back(target); }
    std::vector<std::string> opened;
};

class SimShellInfo : public IShellInfo {
public:
    ShellItemInfo GetInfo(const std::string& path) override;
    // Display name of a drive, for example SetDriveName('D', "Backup (D:)").
    void SetDriveName(char letter, const std::string& name);

    static constexpr int kFolderIcon = 3;
    static constexpr int kFolderOpenIcon = 4;
    static constexpr int kDriveIcon = 8;
    std::vector<std::string> asked;

private:
    std::map<char, std::string> driveNames_;
};

struct SimMessage {
    std::string text;
    std::string caption;
    MsgButtons buttons;
    MsgIcon icon;
};

class SimMessageBox : public IMessageBox {
public:
    MsgResult Show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) override;
    // Answers given in turn; when none is left, OK boxes answer Ok and the others defaultAnswer.
    void Answer(MsgResult result) { answers.push_back(result); }

    std::deque<MsgResult> answers;
    MsgResult defaultAnswer = MsgResult::Yes;
    std::vector<SimMessage> shown;
    // Runs while the box is "open", for tests that look at the program's state at that moment.
    std::function<void(const SimMessage&)> onShow;
};

class SimBusyCursor : public IBusyCursor {
public:
    void Begin() override;
    void End() override;

    int depth = 0;
    int maxDepth = 0;
    int begins = 0;
    int ends = 0;
};

}  // namespace tavrel
