// The report of the files that a run's type filter left out, written beside the job file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tavrel {

// The job file's path with its extension replaced by ".txt" (".txt" alone for an untitled job).
std::string SkippedReportFile(const std::string& jobFileName);

class SkippedFiles {
public:
    // Clears the list and adds the head lines; date and time are those of the run's start.
    void Begin(const std::string& jobFileName, const std::string& shortDate, const std::string& longTime);
    void Add(const std::string& sourcePath);
    // A file operation that failed: listed after the skipped files, with the system's text.
    void AddFailure(const std::string& path, const std::string& errorText);
    // Number of skipped files listed so far (head lines not counted).
    size_t Count() const;
    size_t FailureCount() const { return failures_.size(); }
    // The whole report as lines: head, "Antal: n", the skipped files, then, only when some
    // operation failed, " ", "Fejl: n" and one line per failure.
    std::vector<std::string> Lines() const;
    // The report file's bytes (CR LF after every line; Windows-1252, or UTF-8 with a mark
    // when a path needs letters outside it).
    std::string FileBytes() const;
    // Writes the report to SkippedReportFile(jobFileName).
    bool Save(IFileSystem& fs, const std::string& jobFileName, FsError* error = nullptr) const;

private:
    std::vector<std::string> lines_;  // head lines (without the count) then skipped files
    std::vector<std::string> failures_;
};

}  // namespace tavrel
