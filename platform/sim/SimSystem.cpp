#include "platform/sim/SimSystem.h"

#include "base/Text.h"
#include "base/Path.h"

namespace tavrel {

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const { return CompareNoCase(a, b) < 0; }

bool SimSettingsStore::Open() {
    if (failOpen) return false;
    keyExists_ = true;
    open_ = true;
    return true;
}

std::optional<std::string> SimSettingsStore::ReadString(const std::string& subkey, const std::string& name) {
    if (!open_) return std::nullopt;
    return Value(subkey, name);
}

bool SimSettingsStore::WriteString(const std::string& subkey, const std::string& name, const std::string& value) {
    if (!open_ || failWrites) return false;
    subkeys_[subkey][name] = value;
    writes_.push_back({subkey, name, value});
    return true;
}

void SimSettingsStore::Set(const std::string& subkey, const std::string& name, const std::string& value) {
    keyExists_ = true;
    subkeys_[subkey][name] = value;
}

std::optional<std::string> SimSettingsStore::Value(const std::string& subkey, const std::string& name) const {
    auto key = subkeys_.find(subkey);
    if (key == subkeys_.end()) return std::nullopt;
    auto value = key->second.find(name);
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

uint32_t SimClock::TickCount() {
    uint32_t now = tick;
    tick += autoAdvance;
    return now;
}

void SimShellInfo::SetDriveName(char letter, const std::string& name) {
    driveNames_[static_cast<char>(AsciiUpper(std::string(1, letter))[0])] = name;
}

ShellItemInfo SimShellInfo::GetInfo(const std::string& path) {
    asked.push_back(path);
    ShellItemInfo info;
    std::string folder = ExcludeTrailingBackslash(path);
    if (folder.size() == 2 && folder[1] == ':') {
        char letter = AsciiUpper(folder)[0];
        auto it = driveNames_.find(letter);
        info.displayName = it != driveNames_.end() ? it->second : "Lokal disk (" + std::string(1, letter) + ":)";
        info.icon = info.openIcon = kDriveIcon;
    } else {
        info.displayName = ExtractFileName(folder);
        info.icon = kFolderIcon;
        info.openIcon = kFolderOpenIcon;
    }
    return info;
}

MsgResult SimMessageBox::Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                              MsgIcon icon) {
    SimMessage message{text, caption, buttons, icon};
    shown.push_back(message);
    if (onShow) onShow(message);
    if (!answers.empty()) {
        MsgResult result = answers.front();
        answers.pop_front();
        return result;
    }
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    if (defaultAnswer == MsgResult::Ok) return MsgResult::Yes;
    if (defaultAnswer == MsgResult::Cancel && buttons == MsgButtons::YesNo) return MsgResult::No;
    return defaultAnswer;
}

void SimBusyCursor::Begin() {
    ++begins;
    if (++depth > maxDepth) maxDepth = depth;
}

void SimBusyCursor::End() {
    ++ends;
    if (depth > 0) --depth;
}

}  // namespace tavrel
