#include "core/Report.h"

#include "base/Text.h"
#include "base/Path.h"

namespace tavrel {

namespace {

constexpr size_t kHeadLines = 4;  // title, job, time, blank: the count goes in at the end

// The report's texts.
constexpr const char* kReportTitle = "Tavrel - Ikke-kopierede filer";
constexpr const char* kJobLabel = "Job ";
constexpr const char* kTimeLabel = "Tidspunkt: ";
constexpr const char* kCountLabel = "Antal: ";
constexpr const char* kFailuresLabel = "Fejl: ";

// One report line per entry: a line break inside a system message would split it.
std::string OneLine(std::string_view text) {
    std::string out(text);
    while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

std::string SkippedReportFile(const std::string& jobFileName) { return ChangeFileExt(jobFileName, ".txt"); }

void SkippedFiles::Begin(const std::string& jobFileName, const std::string& shortDate,
                         const std::string& longTime) {
    lines_.clear();
    failures_.clear();
    lines_.push_back(kReportTitle);
    lines_.push_back(kJobLabel + jobFileName);
    lines_.push_back(kTimeLabel + shortDate + " " + longTime);
    lines_.push_back(" ");
}

void SkippedFiles::Add(const std::string& sourcePath) {
    if (lines_.size() < kHeadLines) lines_.resize(kHeadLines);
    lines_.push_back(sourcePath);
}

void SkippedFiles::AddFailure(const std::string& path, const std::string& errorText) {
    failures_.push_back(path + " - " + OneLine(errorText));
}

size_t SkippedFiles::Count() const { return lines_.size() > kHeadLines ? lines_.size() - kHeadLines : 0; }

std::vector<std::string> SkippedFiles::Lines() const {
    std::vector<std::string> out = lines_;
    if (out.size() < kHeadLines) out.resize(kHeadLines);
    out.insert(out.begin() + 2, kCountLabel + std::to_string(Count()));
    if (!failures_.empty()) {
        out.push_back(" ");
        out.push_back(kFailuresLabel + std::to_string(failures_.size()));
        out.insert(out.end(), failures_.begin(), failures_.end());
    }
    return out;
}

std::string SkippedFiles::FileBytes() const {
    std::string text;
    for (const std::string& line : Lines()) {
        text += line;
        text += "\r\n";
    }
    return EncodeTextFile(text);
}

bool SkippedFiles::Save(IFileSystem& fs, const std::string& jobFileName, FsError* error) const {
    return fs.WriteWholeFile(SkippedReportFile(jobFileName), FileBytes(), error);
}

}  // namespace tavrel
