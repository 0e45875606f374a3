#include "core/AppSettings.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "base/Text.h"
#include "base/Path.h"

namespace tavrel {

namespace {

const char* const kStart = "Start";
const char* const kFiler = "Filer";

std::string RecentName(int entry) { return "Fil" + std::to_string(entry); }

// A whole decimal number, optionally signed, that fits an int; anything else is no number.
bool ParseInt(const std::string& text, int& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    long long n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        n = n * 10 + (text[i] - '0');
        if (n > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) n = -n;
    if (n < INT_MIN || n > INT_MAX) return false;
    value = static_cast<int>(n);
    return true;
}

// The last-copied stamps share "Filer" with the recent list; a job file named like one of its
// entries (or an untitled job, whose empty name is the key's default value) must not overwrite it.
bool IsStampName(const std::string& name) {
    if (name.empty()) return false;
    for (int entry = 1; entry <= 4; ++entry)
        if (EqualsNoCase(name, RecentName(entry))) return false;
    return true;
}

}  // namespace

int AppSettings::ReadInt(const std::string& subkey, const std::string& name, int def) {
    std::optional<std::string> text = store_.ReadString(subkey, name);
    int value;
    if (!text || !ParseInt(*text, value)) return def;
    return value;
}

bool AppSettings::ReadBool(const std::string& subkey, const std::string& name, bool def) {
    return ReadInt(subkey, name, def ? 1 : 0) != 0;
}

std::string AppSettings::ReadString(const std::string& subkey, const std::string& name, const std::string& def) {
    return store_.ReadString(subkey, name).value_or(def);
}

bool AppSettings::WriteInt(const std::string& subkey, const std::string& name, int value) {
    return store_.WriteString(subkey, name, std::to_string(value));
}

bool AppSettings::WriteBool(const std::string& subkey, const std::string& name, bool value) {
    return store_.WriteString(subkey, name, value ? "1" : "0");
}

bool AppSettings::WriteString(const std::string& subkey, const std::string& name, const std::string& value) {
    return store_.WriteString(subkey, name, value);
}

WindowPlacement FitPlacement(const WindowPlacement& placement, const ScreenArea& area, int minWidth, int minHeight) {
    // Every sum in 64 bits: the values come from the registry and may be anything.
    auto fit = [](int64_t start, int64_t length, int64_t low, int64_t high, int64_t minimum, int& outStart,
                  int& outLength) {
        const int64_t room = std::max<int64_t>(high - low, 0);
        length = std::clamp(length, std::min(minimum, room), room);
        outLength = static_cast<int>(length);
        outStart = static_cast<int>(std::clamp(start, low, high - length));
    };
    WindowPlacement out;
    fit(placement.left, placement.width, area.left, area.right, minWidth, out.left, out.width);
    fit(placement.top, placement.height, area.top, area.bottom, minHeight, out.top, out.height);
    return out;
}

WindowPlacement AppSettings::ReadPlacement(int pixelsPerInch) {
    WindowPlacement p;
    p.top = ReadInt(kStart, "Top", 5);
    p.left = ReadInt(kStart, "Venstre", 5);
    p.height = ReadInt(kStart, "Højde", pixelsPerInch * 420 / 96);
    p.width = ReadInt(kStart, "Bredde", pixelsPerInch * 600 / 96);
    return p;
}

void AppSettings::WriteStartValues(const WindowPlacement& placement, const std::string& jobFileName, bool floppy) {
    WriteInt(kStart, "Top", placement.top);
    WriteInt(kStart, "Venstre", placement.left);
    WriteInt(kStart, "Højde", placement.height);
    WriteInt(kStart, "Bredde", placement.width);
    WriteString(kStart, "Fil", jobFileName);
    WriteBool(kStart, "Floppy", floppy);
}

std::string AppSettings::ReadLastJob() { return ReadString(kStart, "Fil", "Drev_C.tvj"); }

bool AppSettings::ReadFloppy() { return ReadBool(kStart, "Floppy", false); }

void AppSettings::AddRecentFile(const std::string& path) {
    if (path.empty()) return;
    // The list ends at its first empty entry (as RecentFiles reads it); what a damaged or edited
    // key holds behind that is no part of it and must not come back beside the new entry.
    std::string entries[5];
    int length = 0;
    while (length < 4) {
        std::string entry = ReadString(kFiler, RecentName(length + 1), "");
        if (entry.empty()) break;
        entries[++length] = std::move(entry);
    }

    // Entry 4 is not searched: a path found only there drops out of its place and comes to the top.
    int found = 0;
    for (int k = 3; k >= 1 && found == 0; --k)
        if (entries[k] == path) found = k;

    for (int k = (found != 0 ? found - 1 : 3); k >= 1; --k)
        if (!entries[k].empty()) WriteString(kFiler, RecentName(k + 1), entries[k]);
    WriteString(kFiler, RecentName(1), path);
    const int newLength = found != 0 ? length : std::min(length + 1, 4);
    if (newLength < 4 && !ReadString(kFiler, RecentName(newLength + 1), "").empty())
        WriteString(kFiler, RecentName(newLength + 1), "");
}

std::vector<std::string> AppSettings::RecentFiles() {
    std::vector<std::string> files;
    for (int k = 1; k <= 4; ++k) {
        std::string path = ReadString(kFiler, RecentName(k), "");
        if (path.empty()) break;
        files.push_back(path);
    }
    return files;
}

std::string AppSettings::ReadLastCopied(const std::string& jobFileName) {
    std::string name = ExtractFileName(jobFileName);
    if (!IsStampName(name)) return "-";
    return ReadString(kFiler, name, "-");
}

bool AppSettings::WriteLastCopied(const std::string& jobFileName, const std::string& stamp) {
    std::string name = ExtractFileName(jobFileName);
    if (!IsStampName(name)) return false;
    return WriteString(kFiler, name, stamp);
}

}  // namespace tavrel
