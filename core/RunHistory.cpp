#include "core/RunHistory.h"

#include <algorithm>
#include <exception>

#include "base/Path.h"
#include "base/Text.h"

namespace tavrel {

const char* const kHistorySubkey = "Historik";

namespace {

const char* const kSeparator = "; ";
const char* const kByteOrderMark = "\xEF\xBB\xBF";
// A note longer than this is cut: a history line stays a line a person reads.
constexpr size_t kMaxNoteBytes = 400;
// Appending reads at most this much of an existing file's end: far more than 1 000 lines of
// the program's own, so only a file that is not the program's loses its front.
constexpr size_t kAppendReadBytes = 1024 * 1024;

struct Word {
    const char* text;
    int value;
};

constexpr Word kPrograms[] = {{"tavrel", static_cast<int>(RunProgram::Tavrel)},
                              {"tavrelc", static_cast<int>(RunProgram::Tavrelc)}};
constexpr Word kKinds[] = {{"optælling", static_cast<int>(RunKind::Count)},
                           {"kopiering", static_cast<int>(RunKind::Copy)}};
constexpr Word kEnds[] = {{"afsluttet", static_cast<int>(RunEnd::Completed)},
                          {"afbrudt", static_cast<int>(RunEnd::Aborted)},
                          {"stoppet", static_cast<int>(RunEnd::Stopped)},
                          {"fejl", static_cast<int>(RunEnd::Failed)}};

template <size_t N>
const char* WordFor(const Word (&words)[N], int value) {
    for (const Word& word : words)
        if (word.value == value) return word.text;
    return words[0].text;
}

template <size_t N>
std::optional<int> ValueOf(const Word (&words)[N], std::string_view text) {
    for (const Word& word : words)
        if (EqualsNoCase(text, word.text)) return word.value;
    return std::nullopt;
}

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// "1.234.567": a "." between every group of three digits.
std::string GroupedNumber(int64_t n) {
    if (n < 0) n = 0;
    std::string digits = std::to_string(n);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ".");
    return digits;
}

std::optional<int64_t> ParseGroupedNumber(std::string_view text) {
    int64_t n = 0;
    int digits = 0;
    for (char c : text) {
        if (c == '.' && digits > 0) continue;
        // Eighteen digits always fit; more would overflow, and no run counts that far.
        if (c < '0' || c > '9' || ++digits > 18) return std::nullopt;
        n = n * 10 + (c - '0');
    }
    const bool digit = digits > 0;
    if (!digit) return std::nullopt;
    return n;
}

// A fixed number of digits at text[at], or nothing.
std::optional<int> DigitsAt(std::string_view text, size_t at, size_t count) {
    if (at + count > text.size()) return std::nullopt;
    int n = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        n = n * 10 + (text[i] - '0');
    }
    return n;
}

// "dd-mm-åååå tt:mm:ss"
std::optional<LocalTime> ParseTime(std::string_view text) {
    if (text.size() != 19 || text[2] != '-' || text[5] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    auto day = DigitsAt(text, 0, 2), month = DigitsAt(text, 3, 2), year = DigitsAt(text, 6, 4);
    auto hour = DigitsAt(text, 11, 2), minute = DigitsAt(text, 14, 2), second = DigitsAt(text, 17, 2);
    if (!day || !month || !year || !hour || !minute || !second) return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 60)
        return std::nullopt;
    return LocalTime{*year, *month, *day, *hour, *minute, *second};
}

// "t:mm:ss" with any number of hours.
std::string FormatDuration(int64_t seconds) {
    if (seconds < 0) seconds = 0;
    return std::to_string(seconds / 3600) + ":" + TwoDigits(static_cast<int>(seconds / 60 % 60)) + ":" +
           TwoDigits(static_cast<int>(seconds % 60));
}

std::optional<int64_t> ParseDuration(std::string_view text) {
    size_t first = text.find(':');
    if (first == std::string_view::npos || first == 0 || first > 9 || text.size() != first + 6 || text[first + 3] != ':')
        return std::nullopt;
    auto hours = ParseGroupedNumber(text.substr(0, first));
    auto minutes = DigitsAt(text, first + 1, 2), seconds = DigitsAt(text, first + 4, 2);
    if (!hours || text.substr(0, first).find('.') != std::string_view::npos || !minutes || !seconds ||
        *minutes > 59 || *seconds > 59)
        return std::nullopt;
    return *hours * 3600 + *minutes * 60 + *seconds;
}

// "label 1.234": the number after the label, or nothing.
std::optional<int64_t> Counted(std::string_view field, std::string_view label) {
    if (field.size() <= label.size() + 1 || !EqualsNoCase(field.substr(0, label.size()), label) ||
        field[label.size()] != ' ')
        return std::nullopt;
    return ParseGroupedNumber(field.substr(label.size() + 1));
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The note on one line and of a readable length, cut at a whole character. A cut note with
// its dots fits the length itself, so a line read and written again stays the same line.
std::string OneLineNote(const std::string& note) {
    std::string out;
    for (char c : note) out += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    std::string_view trimmed = Trim(out);
    std::string result(trimmed);
    if (result.size() > kMaxNoteBytes) {
        size_t cut = kMaxNoteBytes - 3;
        while (cut > 0 && (static_cast<unsigned char>(result[cut]) & 0xC0) == 0x80) --cut;
        result.resize(cut);
        result += "...";
    }
    return result;
}

// The lines of the part of the file read. A part that starts inside the file starts inside a
// line, which is left out. After a mark (the file's first bytes) each line is decoded by
// itself, so one damaged line does not turn the others into wrong letters. Without a mark the
// part is decoded as one text, as the whole file would be: the writer chose Windows-1252 for
// the whole text, in which one line alone may look like UTF-8.
std::vector<std::string> DecodeLines(const std::string& head, const std::string& part, bool fromStart) {
    const bool marked = head.starts_with(kByteOrderMark);
    std::string_view text = part;
    if (fromStart && marked) text.remove_prefix(3);
    if (!fromStart) {
        const size_t end = text.find_first_of("\r\n");
        text = end == std::string_view::npos ? std::string_view() : text.substr(end);
        // The break that ended the cut line; "\r\n" counts as one.
        if (text.starts_with("\r\n")) text.remove_prefix(2);
        else if (!text.empty()) text.remove_prefix(1);
    }
    if (!marked) return SplitLines(DecodeTextFile(text));
    std::vector<std::string> lines = SplitLines(text);
    for (std::string& line : lines) line = DecodeTextFile(kByteOrderMark + line);
    return lines;
}

struct FilePart {
    std::vector<std::string> lines;
    bool fromStart = true;
};

// The lines of the last maxBytes of the file. False with the error when the file exists but
// cannot be read; a missing file is an empty part.
bool ReadEnd(IFileSystem& fs, const std::string& path, size_t maxBytes, FilePart& part, FsError& error) {
    std::string head, tail;
    uint64_t size = 0;
    if (!fs.ReadFileRange(path, 0, 3, head, size, &error)) return false;
    const uint64_t offset = size > maxBytes ? size - maxBytes : 0;
    if (!fs.ReadFileRange(path, offset, maxBytes, tail, size, &error)) return false;
    part.fromStart = offset == 0;
    part.lines = DecodeLines(head, tail, part.fromStart);
    return true;
}

std::string WriteFailure(const std::string& path, const std::string& reason) {
    return "Kørselshistorikken " + path + " kunne ikke skrives: " + reason;
}

}  // namespace

std::string HistoryFileOf(const std::string& jobFileName) {
    if (jobFileName.empty()) return {};
    return ChangeFileExt(jobFileName, ".log");
}

std::string FormatHistoryTime(const LocalTime& time) {
    std::string year = std::to_string(std::clamp(time.year, 0, 9999));
    year.insert(0, 4 - year.size(), '0');
    return TwoDigits(time.day) + "-" + TwoDigits(time.month) + "-" + year + " " + TwoDigits(time.hour) + ":" +
           TwoDigits(time.minute) + ":" + TwoDigits(time.second);
}

std::string FormatHistoryLine(const HistoryEntry& entry) {
    const bool count = entry.kind == RunKind::Count;
    std::string line = FormatHistoryTime(entry.when);
    for (const std::string& field :
         {std::string(WordFor(kPrograms, static_cast<int>(entry.program))),
          std::string(WordFor(kKinds, static_cast<int>(entry.kind))),
          std::string(WordFor(kEnds, static_cast<int>(entry.end))), "gennemset " + GroupedNumber(entry.examined),
          (count ? "vil blive kopieret " : "kopieret ") + GroupedNumber(entry.copied),
          "fejl " + GroupedNumber(entry.failed), "tid " + FormatDuration(entry.seconds)}) {
        line += kSeparator;
        line += field;
    }
    const std::string note = OneLineNote(entry.note);
    if (!note.empty()) line += kSeparator + note;
    return line;
}

std::optional<HistoryEntry> ParseHistoryLine(const std::string& line) {
    std::vector<std::string_view> fields;
    std::string_view rest = line;
    while (fields.size() < 8) {
        size_t at = rest.find(';');
        if (at == std::string_view::npos) {
            fields.push_back(Trim(rest));
            rest = {};
            break;
        }
        fields.push_back(Trim(rest.substr(0, at)));
        rest.remove_prefix(at + 1);
    }
    if (fields.size() != 8) return std::nullopt;

    HistoryEntry entry;
    auto when = ParseTime(fields[0]);
    auto program = ValueOf(kPrograms, fields[1]);
    auto kind = ValueOf(kKinds, fields[2]);
    auto end = ValueOf(kEnds, fields[3]);
    auto examined = Counted(fields[4], "gennemset");
    auto copied = Counted(fields[5], "kopieret");
    if (!copied) copied = Counted(fields[5], "vil blive kopieret");
    auto failed = Counted(fields[6], "fejl");
    std::optional<int64_t> seconds;
    if (fields[7].size() > 4 && EqualsNoCase(fields[7].substr(0, 4), "tid ")) seconds = ParseDuration(fields[7].substr(4));
    if (!when || !program || !kind || !end || !examined || !copied || !failed || !seconds) return std::nullopt;
    entry.when = *when;
    entry.program = static_cast<RunProgram>(*program);
    entry.kind = static_cast<RunKind>(*kind);
    entry.end = static_cast<RunEnd>(*end);
    entry.examined = *examined;
    entry.copied = *copied;
    entry.failed = *failed;
    entry.seconds = *seconds;
    entry.note = std::string(Trim(rest));
    entry.line = line;
    return entry;
}

std::optional<std::string> AppendRunHistory(IFileSystem& fs, const std::string& jobFileName,
                                            const HistoryEntry& entry) {
    const std::string path = HistoryFileOf(jobFileName);
    if (path.empty()) return std::nullopt;
    try {
        FilePart part;
        if (fs.GetAttributes(path) != kInvalidAttributes) {
            FsError error;
            if (!ReadEnd(fs, path, kAppendReadBytes, part, error)) return WriteFailure(path, error.text);
            const bool ours = std::any_of(part.lines.begin(), part.lines.end(),
                                          [](const std::string& line) { return ParseHistoryLine(line).has_value(); });
            const bool blank = std::all_of(part.lines.begin(), part.lines.end(),
                                           [](const std::string& line) { return Trim(line).empty(); });
            if (!ours && !blank)
                return WriteFailure(path, "Filen findes, men er ikke en kørselshistorik, så den bliver ikke ændret.");
        }
        std::vector<std::string>& lines = part.lines;
        lines.push_back(FormatHistoryLine(entry));
        const size_t drop = lines.size() > kHistoryMaxLines ? lines.size() - kHistoryMaxLines : 0;
        std::string text;
        for (size_t i = drop; i < lines.size(); ++i) {
            text += lines[i];
            text += "\r\n";
        }
        // The whole file is written again, so it always follows the encoding rule as one: a
        // line that needs UTF-8 turns the file into UTF-8, and back when that line is trimmed.
        FsError error;
        if (!fs.WriteWholeFile(path, EncodeTextFile(text), &error)) return WriteFailure(path, error.text);
        return std::nullopt;
    } catch (const std::exception& e) {
        return WriteFailure(path, e.what());
    } catch (...) {
        return WriteFailure(path, "ukendt fejl.");
    }
}

RunHistory ReadRunHistory(IFileSystem& fs, const std::string& jobFileName, size_t maxBytes) {
    RunHistory history;
    const std::string path = HistoryFileOf(jobFileName);
    if (path.empty()) return history;
    try {
        FilePart part;
        FsError error;
        if (!ReadEnd(fs, path, maxBytes, part, error)) return history;
        history.front = part.fromStart;
        for (const std::string& line : part.lines) {
            if (auto entry = ParseHistoryLine(line)) history.entries.push_back(std::move(*entry));
            else if (!line.empty()) ++history.unreadLines;
        }
    } catch (...) {
        // What was parsed before the failure (out of memory) is kept.
    }
    return history;
}

bool WentWrong(const HistoryEntry& entry) {
    return entry.program == RunProgram::Tavrelc && (entry.end != RunEnd::Completed || entry.failed > 0);
}

std::vector<HistoryEntry> UnseenFailedRuns(const RunHistory& history, const std::string& marker) {
    const auto& entries = history.entries;
    size_t from = 0;
    if (!marker.empty()) {
        auto found = std::find_if(entries.rbegin(), entries.rend(), [&](const HistoryEntry& e) { return e.line == marker; });
        if (found != entries.rend()) {
            from = static_cast<size_t>(entries.rend() - found);
        } else if (auto shown = ParseHistoryLine(marker)) {
            while (from < entries.size() && entries[from].when <= shown->when) ++from;
        }
    }
    for (size_t i = entries.size(); i > from; --i)
        if (entries[i - 1].program == RunProgram::Tavrel) {
            from = i;
            break;
        }
    std::vector<HistoryEntry> runs;
    for (size_t i = from; i < entries.size(); ++i)
        if (WentWrong(entries[i])) runs.push_back(entries[i]);
    return runs;
}

std::string MarkerOf(const RunHistory& history) {
    return history.entries.empty() ? std::string() : history.entries.back().line;
}

std::string ReadShownMarker(ISettingsStore& store, const std::string& jobFileName) {
    if (jobFileName.empty()) return {};
    return store.ReadString(kHistorySubkey, jobFileName).value_or("");
}

bool WriteShownMarker(ISettingsStore& store, const std::string& jobFileName, const std::string& marker) {
    if (jobFileName.empty()) return false;
    return store.WriteString(kHistorySubkey, jobFileName, marker);
}

std::string WhatWentWrong(const HistoryEntry& entry) {
    const bool count = entry.kind == RunKind::Count;
    std::string failures;
    if (entry.failed > 0) {
        const std::string files = GroupedNumber(entry.failed) + (entry.failed == 1 ? " fil" : " filer");
        failures = count ? "stødte på " + GroupedNumber(entry.failed) + " fejl" : "kunne ikke kopiere " + files;
    }
    std::string what;
    switch (entry.end) {
    case RunEnd::Completed: what = failures; break;
    case RunEnd::Aborted: what = failures.empty() ? "blev afbrudt" : "blev afbrudt og " + failures; break;
    case RunEnd::Stopped: what = "blev stoppet"; break;
    case RunEnd::Failed: what = "kunne ikke køre"; break;
    }
    if (!entry.note.empty()) what += " (" + entry.note + ")";
    return what;
}

std::string FailedRunsMessage(const std::vector<HistoryEntry>& runs) {
    if (runs.empty()) return {};
    const HistoryEntry& last = runs.back();
    const LocalTime& t = last.when;
    std::string text = std::string(last.kind == RunKind::Count ? "Den planlagte optælling " : "Den planlagte kopiering ") +
                       TwoDigits(t.day) + "-" + TwoDigits(t.month) + "-" + std::to_string(t.year) + " kl. " +
                       TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + " " + WhatWentWrong(last) + ".";
    if (runs.size() == 2) text += "\r\n\r\nDen planlagte kørsel før den gik også galt.";
    else if (runs.size() > 2)
        text += "\r\n\r\nDe " + GroupedNumber(static_cast<int64_t>(runs.size() - 1)) +
                " planlagte kørsler før den gik også galt.";
    text += "\r\n\r\nVil du se rapporten over den seneste kørsel?";
    return text;
}

}  // namespace tavrel
