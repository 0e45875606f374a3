// The job file (".tvj", key=value lines, version 2; the positional version 1 is still read)
// and its companion list of marked folders (".tvl"). Both are Windows-1252 when the text fits,
// else UTF-8 behind a byte-order mark; lines end in CR LF.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/JobSettings.h"

namespace tavrel {

// Comma text: items joined by ",", an item with a blank, control character, comma or quote
// enclosed in quotes (quotes doubled); one empty item is "\"\"".
std::string ToCommaText(const std::vector<std::string>& items);
std::vector<std::string> FromCommaText(std::string_view text);

// The order of file types: negative, zero or positive as a sorts before, with or after b.
// The window gives the user's locale collation without regard to case; unset, CompareNoCase.
using TypeOrder = std::function<int(const std::string& a, const std::string& b)>;

// Inserts a file type after every item that sorts before or equal to it, ignoring case.
void InsertFileTypeSorted(std::vector<std::string>& types, const std::string& type, const TypeOrder& order = {});
// Sorts the types in that order; equal ones keep their places.
void SortFileTypes(std::vector<std::string>& types, const TypeOrder& order);

// The lines of a version-2 job file in key order; keys with empty values are left out.
std::vector<std::string> JobFileLines(const JobSettings& settings);
// The file's bytes: every line followed by CR LF, encoded.
std::string JobFileBytes(const JobSettings& settings);

// The lines of a text file as read from disk. A file that is not text (NUL bytes, control
// characters, a line too long to be any job's text) is marked damaged; lines are cut at a
// NUL and overlong lines read as empty, so what remains can still be used.
struct TextFileLines {
    std::vector<std::string> lines;
    bool damaged = false;
};
TextFileLines ReadJobFileText(std::string_view bytes);

// The value of the first line whose text before its first "=" equals the key, ignoring case:
// everything after that "=". Empty when no line has the key.
std::string JobValue(const std::vector<std::string>& lines, std::string_view key);
// True exactly when the key's value is "1".
bool JobFlag(const std::vector<std::string>& lines, std::string_view key);

struct JobReadResult {
    bool version2 = false;
    bool tooShort = false;  // a version-1 file that ended before line 5
};
// Applies the job file's lines to the settings: version 2 when a FilVer value exists, else
// version 1 by position. File types are added sorted to the list as it stands (the caller
// empties it first). Version 1 leaves delete-first and reverse as they were.
JobReadResult ApplyJobFileLines(const std::vector<std::string>& lines, JobSettings& settings);

// The companion list: the job file's path with ".tvl" in place of its extension.
std::string JobListFile(const std::string& jobFileName);
std::string JobListBytes(const std::vector<std::string>& folders);
// One folder per line (CR LF, CR or LF). Empty lines are skipped; lines that cannot be a path
// (control characters, overlong) are skipped and mark the list damaged.
TextFileLines ReadJobListText(std::string_view bytes);

}  // namespace tavrel
