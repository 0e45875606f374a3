#include "core/JobFile.h"

#include <algorithm>

#include "base/Text.h"
#include "base/Path.h"

namespace tavrel {

namespace {

// No job's text comes near this; a longer line means the file is not a job (or list) file.
constexpr size_t kMaxLineLength = 128 * 1024;

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool NeedsQuotes(const std::string& item) {
    for (char c : item)
        if (IsBlankOrControl(c) || c == ',' || c == '"') return true;
    return false;
}

// A value with a line break would end its line early and could smuggle in a second key.
std::string SingleLine(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

void AddLine(std::vector<std::string>& lines, const char* key, const std::string& value) {
    if (!value.empty()) lines.push_back(std::string(key) + "=" + SingleLine(value));
}

const char* Flag(bool on) { return on ? "1" : "0"; }

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool HasControlCharacter(std::string_view line, bool allowTab) {
    for (char c : line) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 && !(allowTab && b == '\t')) return true;
    }
    return false;
}

}  // namespace

std::string ToCommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) return "\"\"";
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += ',';
        const std::string& item = items[i];
        if (!NeedsQuotes(item)) {
            text += item;
            continue;
        }
        text += '"';
        for (char c : item) {
            if (c == '"') text += '"';
            text += c;
        }
        text += '"';
    }
    return text;
}

std::vector<std::string> FromCommaText(std::string_view text) {
    std::vector<std::string> items;
    size_t p = 0;
    const size_t end = text.size();
    while (p < end && IsBlankOrControl(text[p])) ++p;
    while (p < end) {
        std::string item;
        if (text[p] == '"') {
            // Up to the closing quote, doubled quotes made single; an unclosed quote runs to the end.
            ++p;
            while (p < end) {
                if (text[p] == '"') {
                    if (p + 1 < end && text[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            size_t start = p;
            while (p < end && !IsBlankOrControl(text[p]) && text[p] != ',') ++p;
            item.assign(text.substr(start, p - start));
        }
        items.push_back(std::move(item));
        while (p < end && IsBlankOrControl(text[p])) ++p;
        if (p < end && text[p] == ',') {
            if (p + 1 == end) items.emplace_back();
            do {
                ++p;
            } while (p < end && IsBlankOrControl(text[p]));
        }
    }
    return items;
}

void InsertFileTypeSorted(std::vector<std::string>& types, const std::string& type, const TypeOrder& order) {
    auto place = std::upper_bound(types.begin(), types.end(), type, [&](const std::string& a, const std::string& b) {
        return (order ? order(a, b) : CompareNoCase(a, b)) < 0;
    });
    types.insert(place, type);
}

void SortFileTypes(std::vector<std::string>& types, const TypeOrder& order) {
    std::stable_sort(types.begin(), types.end(), [&](const std::string& a, const std::string& b) {
        return (order ? order(a, b) : CompareNoCase(a, b)) < 0;
    });
}

std::vector<std::string> JobFileLines(const JobSettings& s) {
    std::vector<std::string> lines;
    lines.push_back("FilVer=2");
    for (const JobField& field : kJobFields) {
        if (field.flag)
            AddLine(lines, field.key, Flag(s.*field.flag));
        else if (field.text)
            AddLine(lines, field.key, s.*field.text);
        else
            AddLine(lines, field.key, ToCommaText(s.fileTypes));
    }
    return lines;
}

std::string JobFileBytes(const JobSettings& settings) { return EncodeTextFile(JoinCrLf(JobFileLines(settings))); }

TextFileLines ReadJobFileText(std::string_view bytes) {
    TextFileLines result;
    result.lines = SplitLines(DecodeTextFile(bytes));
    for (std::string& line : result.lines) {
        size_t nul = line.find('\0');
        if (nul != std::string::npos) {
            line.resize(nul);
            result.damaged = true;
        }
        if (line.size() > kMaxLineLength) {
            line.clear();
            result.damaged = true;
        }
        if (HasControlCharacter(line, true)) result.damaged = true;
    }
    return result;
}

std::string JobValue(const std::vector<std::string>& lines, std::string_view key) {
    for (const std::string& line : lines) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (EqualsNoCase(std::string_view(line).substr(0, eq), key)) return line.substr(eq + 1);
    }
    return {};
}

bool JobFlag(const std::vector<std::string>& lines, std::string_view key) { return JobValue(lines, key) == "1"; }

JobReadResult ApplyJobFileLines(const std::vector<std::string>& lines, JobSettings& s) {
    JobReadResult result;
    if (!JobValue(lines, "FilVer").empty()) {
        result.version2 = true;
        for (const JobField& field : kJobFields) {
            if (field.flag)
                s.*field.flag = JobFlag(lines, field.key);
            else if (field.text)
                s.*field.text = JobValue(lines, field.key);
            else
                for (const std::string& type : FromCommaText(JobValue(lines, field.key)))
                    InsertFileTypeSorted(s.fileTypes, type);
        }
        return result;
    }

    // Version 1 by position; a short file keeps what was read before the missing line.
    const size_t n = lines.size();
    if (n >= 1) s.includeSubfolders = lines[0] == "1";
    if (n >= 2) s.description = lines[1];
    if (n >= 3) s.destination = lines[2];
    if (n >= 4) s.onlyNewAndChanged = lines[3] == "1";
    if (n >= 5) s.onlyListedTypes = lines[4] == "1";
    result.tooShort = n < 5;
    for (size_t i = 8; i < n; ++i) InsertFileTypeSorted(s.fileTypes, lines[i]);
    return result;
}

std::string JobListFile(const std::string& jobFileName) { return ChangeFileExt(jobFileName, ".tvl"); }

std::string JobListBytes(const std::vector<std::string>& folders) {
    std::vector<std::string> lines;
    lines.reserve(folders.size());
    for (const std::string& folder : folders) lines.push_back(SingleLine(folder));
    return EncodeTextFile(JoinCrLf(lines));
}

TextFileLines ReadJobListText(std::string_view bytes) {
    TextFileLines result;
    for (std::string& line : SplitLines(DecodeTextFile(bytes))) {
        if (line.empty()) continue;
        if (line.size() > kMaxLineLength || HasControlCharacter(line, false)) {
            result.damaged = true;
            continue;
        }
        result.lines.push_back(std::move(line));
    }
    return result;
}

}  // namespace tavrel
