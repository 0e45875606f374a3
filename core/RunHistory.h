// The history of a job's runs: one line per count or copy run, from the window or from
// tavrelc, in NAME.log beside the job file. The file is for the user to read in Notepad and for
// the program to read back, so a line is Danish words and numbers between "; ":
//
//   08-12-2026 22:00:03; tavrelc; kopiering; afsluttet; gennemset 1.234; kopieret 56; fejl 3; tid 0:01:02
//   09-12-2026 08:15:40; tavrel; optælling; afbrudt; gennemset 17; vil blive kopieret 2; fejl 0; tid 0:00:04
//   09-12-2026 22:00:01; tavrelc; kopiering; fejl; gennemset 0; kopieret 0; fejl 0; tid 0:00:00; Jobfilen kunne ikke indlæses.
//
// A note may follow the eight fields: why a run could not run or was stopped. The file follows
// the program's text-file rule (Windows-1252 when every line fits it, else UTF-8 behind a mark)
// and keeps its last 1 000 lines. Nothing here throws, and nothing here stops a run: a history
// that cannot be written is a Danish text for the run's result, one that cannot be read is an
// empty or shorter history.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/System.h"

namespace tavrel {

enum class RunProgram { Tavrel, Tavrelc };  // "tavrel", "tavrelc"
enum class RunKind { Count, Copy };         // "optælling", "kopiering"
enum class RunEnd {
    Completed,  // "afsluttet": ran to the end (files may still have failed)
    Aborted,    // "afbrudt": the user (Afbryd, Esc, Ctrl+C) or an error inside a walk stopped it
    Stopped,    // "stoppet": a question was not answered yes, or the job cannot run as set up
    Failed,     // "fejl": could not run, or its report could not be written
};

struct HistoryEntry {
    LocalTime when;  // the run's start, local time
    RunProgram program = RunProgram::Tavrel;
    RunKind kind = RunKind::Copy;
    RunEnd end = RunEnd::Completed;
    int64_t examined = 0;
    int64_t copied = 0;  // a count run: the files that would be copied
    int64_t failed = 0;
    int64_t seconds = 0;
    std::string note;  // one line, may be empty
    std::string line;  // the line as it stands in the file (set when read back)
};

// The history file of a job: its path with the extension ".log"; empty for an untitled job,
// which has no place of its own.
std::string HistoryFileOf(const std::string& jobFileName);

// One line of the file, without its line break, and back. ParseHistoryLine gives nothing for
// a line that is not a history line (damaged, edited, another program's).
std::string FormatHistoryLine(const HistoryEntry& entry);
std::optional<HistoryEntry> ParseHistoryLine(const std::string& line);

// The date and time as the history writes them: "08-12-2026 22:00:03".
std::string FormatHistoryTime(const LocalTime& time);

constexpr size_t kHistoryMaxLines = 1000;

// Appends the run's line to the job's history, keeping the last kHistoryMaxLines lines. The
// file is written anew beside the old one and renamed over it, so a failure leaves the old
// history whole; an existing file is read from its end only (a huge file loses its front).
// A file of that name that holds no history line at all is another program's and is left as
// it is. An untitled job has no history: nothing is written, and that is no failure.
// Returns the Danish text of what went wrong, or nothing when the line was written.
std::optional<std::string> AppendRunHistory(IFileSystem& fs, const std::string& jobFileName,
                                            const HistoryEntry& entry);

struct RunHistory {
    std::vector<HistoryEntry> entries;  // oldest first; lines that did not parse are left out
    size_t unreadLines = 0;             // lines in the part read that were not history lines
    bool front = true;                  // false when only the end of the file was read
};

// How much of the file's end the window reads: a long history opens at once.
constexpr size_t kHistoryReadBytes = 64 * 1024;

// Reads the last maxBytes of the job's history. A missing, unreadable, damaged, binary or
// huge file gives what can be parsed of it, possibly nothing.
RunHistory ReadRunHistory(IFileSystem& fs, const std::string& jobFileName, size_t maxBytes = kHistoryReadBytes);

// ---- Unattended runs that went wrong ----
//
// The window tells the user of a tavrelc run that failed or was stopped, once. It keeps, per
// job, a marker of the last run it has shown: the line of that run, in the registry value named
// by the job's full path in the subkey "Historik" (beside "Start" and "Filer", whose values stay
// as they are). Runs made in the window itself have been seen by the user as they ran, so they
// count as shown too.

// True for a tavrelc run that did not end completed, or that could not copy some files.
bool WentWrong(const HistoryEntry& entry);

// The tavrelc runs that went wrong after the marked run and after the last window run. The
// marker is found by its line; when that line is gone from the part read (the history was
// trimmed or edited), runs that started later than the marker's time count. An empty marker
// means no run has been shown yet.
std::vector<HistoryEntry> UnseenFailedRuns(const RunHistory& history, const std::string& marker);

// The marker for the newest run in the history (empty for an empty history).
std::string MarkerOf(const RunHistory& history);

extern const char* const kHistorySubkey;  // "Historik"
std::string ReadShownMarker(ISettingsStore& store, const std::string& jobFileName);
bool WriteShownMarker(ISettingsStore& store, const std::string& jobFileName, const std::string& marker);

// The message about runs that went wrong (newest last): when the newest ran and what went
// wrong, how many earlier ones did too, and the question whether to open the report.
// "Den planlagte kopiering 08-12-2026 kl. 22:00 kunne ikke kopiere 3 filer. ..."
std::string FailedRunsMessage(const std::vector<HistoryEntry>& runs);
// What went wrong in one run, as a phrase: "kunne ikke kopiere 3 filer", "blev stoppet"...
std::string WhatWentWrong(const HistoryEntry& entry);

}  // namespace tavrel
