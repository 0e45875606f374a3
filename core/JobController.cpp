#include "core/JobController.h"

#include <algorithm>
#include <functional>

#include "core/FailedRuns.h"
#include "core/JobFile.h"
#include "core/Texts.h"
#include "base/Path.h"

namespace tavrel {

namespace {

// The job's texts.
constexpr const char* kNotSavedText = "Jobbet kunne ikke gemmes i filen \"%s\".";
constexpr const char* kNotReadText = "Filen \"%s\" kunne ikke læses.";
constexpr const char* kFolderNotFileText = "Det er en mappe, ikke en fil.";
constexpr const char* kTooLargeText = "Filen er for stor til at være et job eller en mappeliste.";
constexpr const char* kDamagedJobText = "Filen \"%s\" er ikke en gyldig jobfil. Det, der kunne læses, er indlæst.";
constexpr const char* kShortJobText = "Der skete en fejl under indlæsningen af filsættet.";
constexpr const char* kDamagedListText =
    "Mappelisten \"%s\" indeholder linjer, der ikke er mapper. De er sprunget over.";
constexpr const char* kMissingFoldersText = "Følgende bibliotek(er) eksisterer ikke mere:\n";
constexpr const char* kSaveQuestion = "Ønsker du at gemme det aktuelle job?";
constexpr const char* kSaveCaption = "Gem job";
constexpr const char* kSaveToPlanQuestion = "Jobbet skal gemmes, før det kan planlægges.\r\n\r\n"
                                            "Ønsker du at gemme det aktuelle job?";
constexpr const char* kRecentGoneText = "Den valgte fil er blevet slettet.";
constexpr uint64_t kMaxJobFileSize = 64ull * 1024 * 1024;

// Ends the tree's redraw lock however the load leaves the block.
class TreeUpdateScope {
public:
    explicit TreeUpdateScope(IJobTree& tree) : tree_(tree) { tree_.BeginUpdate(); }
    ~TreeUpdateScope() { tree_.EndUpdate(); }
    TreeUpdateScope(const TreeUpdateScope&) = delete;
    TreeUpdateScope& operator=(const TreeUpdateScope&) = delete;

private:
    IJobTree& tree_;
};

}  // namespace

std::string JobCaption(const std::string& jobName) {
    return std::string(kProductName) + " " + kMajorVersion + " - " + jobName;
}

std::string JobNameOf(const std::string& jobFileName) {
    // Drops the last four characters, not bytes, so a name never ends in half a letter.
    std::string name = ExtractFileName(jobFileName);
    size_t cut = name.size();
    for (int chars = 0; chars < 4 && cut > 0; ++chars) {
        --cut;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    }
    return name.substr(0, cut);
}

JobController::JobController(const JobControllerDeps& deps)
    : fs_(deps.fs),
      appSettings_(deps.settings),
      messages_(deps.messages),
      view_(deps.view),
      tree_(deps.tree),
      cursor_(deps.cursor),
      programFolder_(deps.programFolder),
      fileTypeOrder_(deps.fileTypeOrder),
      shell_(deps.shell) {}

const std::vector<std::string>& JobController::CollectMarkedFolders() {
    markedFolders_ = tree_.CollectMarkedFolders();
    return markedFolders_;
}

void JobController::SetLastCopied(const std::string& text) {
    lastCopied_ = text;
    view_.SetLastCopied(text);
}

void JobController::ShowAll() { view_.ShowSettings(settings_); }

bool JobController::ReportFileError(const std::string& path, const FsError& error, bool writing) {
    std::string text = FillText(writing ? kNotSavedText : kNotReadText, path);
    if (!error.text.empty()) text += "\n\n" + error.text;
    messages_.Show(text, kErrorCaption, MsgButtons::Ok, MsgIcon::Error);
    return false;
}

bool JobController::ReadFile(const std::string& path, std::string& bytes, FsError& error) {
    // A folder that carries the file's name cannot be read as one, whatever the platform says.
    if (FolderExists(fs_, path)) {
        error = FsError{0, kFolderNotFileText};
        return false;
    }
    // Reading gigabytes into memory would stall the window long before anything is found.
    std::optional<DirEntry> entry = fs_.FindEntry(path);
    if (entry && entry->size > kMaxJobFileSize) {
        error = FsError{0, kTooLargeText};
        return false;
    }
    return fs_.ReadWholeFile(path, bytes, &error);
}

bool JobController::LoadJob(const std::string& path) {
    std::optional<BusyScope> busy(std::in_place, cursor_);
    view_.SetStatusText(kLoadingJobText);
    loadHadErrors_ = false;
    unreadJobFile_.clear();

    std::string bytes;
    FsError error;
    if (!ReadFile(path, bytes, error)) {
        // The window shows an untitled job, so that saving cannot replace the unread file with
        // settings that never came from it; the file is still the one to reopen next time.
        loadHadErrors_ = true;
        unreadJobFile_ = path;
        jobFileName_.clear();
        view_.SetCaption(JobCaption(kUntitledJobName));
        view_.SetStatusText(kReadyText);
        busy.reset();
        return ReportFileError(path, error, false);
    }
    ApplyJobFile(path, bytes);
    const std::string listPath = JobListFile(path);
    const ListLoad list = MarkListedFolders(listPath);

    SetLastCopied(appSettings_.ReadLastCopied(jobFileName_));
    view_.SetCaption(JobCaption(JobNameOf(jobFileName_)));
    view_.SetStartEnabled(!settings_.destination.empty());
    modified_ = false;
    view_.SetStatusText(kReadyText);
    busy.reset();

    if (!list.read || list.damaged) loadHadErrors_ = true;
    bool read = true;
    if (!list.read) {
        read = ReportFileError(listPath, list.error, false);
    } else {
        if (list.damaged)
            messages_.Show(FillText(kDamagedListText, listPath), kErrorCaption, MsgButtons::Ok, MsgIcon::Error);
        if (!list.missing.empty())
            messages_.Show(kMissingFoldersText + list.missing, kAppTitle, MsgButtons::Ok, MsgIcon::None);
    }
    // After the load's own messages: the job is on screen when the user reads of its runs.
    if (shell_) TellOfFailedRuns(FailedRunsDeps{fs_, appSettings_.Store(), messages_, *shell_}, jobFileName_);
    return read;
}

void JobController::ApplyJobFile(const std::string& path, std::string_view bytes) {
    TextFileLines job = ReadJobFileText(bytes);
    settings_.fileTypes.clear();
    JobReadResult read = ApplyJobFileLines(job.lines, settings_);
    SortFileTypes(settings_.fileTypes, fileTypeOrder_);
    ShowAll();
    loadHadErrors_ = job.damaged || read.tooShort;
    if (job.damaged) {
        messages_.Show(FillText(kDamagedJobText, path), kErrorCaption, MsgButtons::Ok, MsgIcon::Error);
    } else if (read.tooShort) {
        messages_.Show(kShortJobText, kErrorCaption, MsgButtons::Ok, MsgIcon::Error);
    }
}

JobController::ListLoad JobController::MarkListedFolders(const std::string& listPath) {
    ListLoad result;
    std::string bytes;
    result.read = ReadFile(listPath, bytes, result.error);
    TreeUpdateScope update(tree_);
    markedFolders_.clear();
    if (result.read) {
        TextFileLines list = ReadJobListText(bytes);
        result.damaged = list.damaged;
        markedFolders_ = std::move(list.lines);
        for (std::string& folder : markedFolders_) {
            // The folder as Windows reads it: the copy of "C:\\..\\Windows\\" must land at the
            // destination's "Windows", not one folder above the destination.
            folder = NormalizeFullPath(folder);
            // A line without a drive or share would mean a folder of whatever the current
            // folder is, so it is shown as not found and never copied.
            if (IsFullPath(folder) && FolderExists(fs_, folder))
                tree_.MarkLoadedFolder(folder);
            else
                result.missing += folder + "\n";
        }
    }
    tree_.CollapseAll();
    return result;
}

bool JobController::LoadIfPresent(const std::function<void()>& beforeLoad) {
    const std::string file = jobFileName_;
    if (!file.empty() && FileExists(fs_, file)) {
        if (beforeLoad) beforeLoad();
        LoadJob(file);
        return true;
    }
    view_.SetCaption(JobCaption(kUntitledJobName));
    return false;
}

void JobController::Reload() {
    tree_.ClearAllMarks();
    LoadIfPresent();
}

JobController::SaveOutcome JobController::SaveJob() {
    if (jobFileName_.empty()) return SaveJobAs();
    FsError error;
    if (!fs_.WriteWholeFile(jobFileName_, JobFileBytes(settings_), &error)) {
        ReportFileError(jobFileName_, error, true);
        return SaveOutcome::Failed;
    }
    CollectMarkedFolders();
    std::string listPath = JobListFile(jobFileName_);
    if (!fs_.WriteWholeFile(listPath, JobListBytes(markedFolders_), &error)) {
        ReportFileError(listPath, error, true);
        return SaveOutcome::Failed;
    }
    modified_ = false;
    return SaveOutcome::Saved;
}

JobController::SaveOutcome JobController::SaveJobAs() {
    std::optional<std::string> chosen = view_.AskSaveJobFile(programFolder_);
    // An empty answer would send the save straight back here.
    if (!chosen || chosen->empty()) return SaveOutcome::Cancelled;
    // A job that could not be written there is still the job of its former name: the window,
    // the report, the stamp and the next start must not point at a file that does not hold it.
    const std::string former = jobFileName_;
    jobFileName_ = *chosen;
    const SaveOutcome outcome = SaveJob();
    if (outcome != SaveOutcome::Saved) {
        jobFileName_ = former;
        return outcome;
    }
    view_.SetCaption(JobCaption(JobNameOf(*chosen)));
    return outcome;
}

bool JobController::Save() { return SaveJob() == SaveOutcome::Saved; }

bool JobController::SaveAs() { return SaveJobAs() == SaveOutcome::Saved; }

void JobController::Open() {
    std::optional<std::string> chosen = view_.AskOpenJobFile(programFolder_);
    if (!chosen || chosen->empty()) return;
    if (!Close()) return;
    jobFileName_ = *chosen;
    LoadJob(*chosen);
}

bool JobController::OfferToSave() {
    if (!modified_) return true;
    if (messages_.Show(kSaveQuestion, kSaveCaption, MsgButtons::YesNo, MsgIcon::Question) !=
        MsgResult::Yes)
        return true;
    return SaveJob() != SaveOutcome::Failed;
}

bool JobController::SaveBeforePlanning() {
    if (!modified_ && !jobFileName_.empty() && FileExists(fs_, jobFileName_)) return true;
    if (messages_.Show(kSaveToPlanQuestion, kSaveCaption, MsgButtons::YesNo, MsgIcon::Question) != MsgResult::Yes)
        return false;
    return SaveJob() == SaveOutcome::Saved;
}

bool JobController::CloseWindow(const WindowPlacement& placement, bool floppy) {
    if (!OfferToSave()) return false;
    appSettings_.WriteStartValues(placement, JobToReopen(), floppy);
    appSettings_.Close();
    return true;
}

bool JobController::Close() {
    // The edits are in no file yet: the job stays as it is, to be saved elsewhere.
    if (!OfferToSave()) return false;
    appSettings_.AddRecentFile(jobFileName_);
    jobFileName_.clear();
    unreadJobFile_.clear();
    settings_.description.clear();
    settings_.destination.clear();
    ShowAll();
    view_.SetStartEnabled(false);
    view_.SetCaption(JobCaption(kUntitledJobName));
    tree_.ClearAllMarks();
    tree_.CollapseAll();
    modified_ = false;
    return true;
}

void JobController::OpenRecent(const std::string& path) {
    if (!FileExists(fs_, path)) {
        messages_.Show(kRecentGoneText, kAppTitle, MsgButtons::Ok, MsgIcon::None);
        return;
    }
    if (!Close()) return;
    jobFileName_ = path;
    LoadJob(path);
}

void JobController::SetDescription(const std::string& text) {
    settings_.description = text;
    modified_ = true;
    ShowAll();
}

void JobController::ChooseDestination(const std::string& folder) {
    // A choice without a path (a virtual folder) keeps the shown destination but cannot be run.
    if (!folder.empty()) {
        settings_.destination = IncludeTrailingBackslash(folder);
        ShowAll();
    }
    view_.SetStartEnabled(!folder.empty());
    modified_ = true;
}

void JobController::SetFlag(bool JobSettings::*option, bool on) {
    if (option == &JobSettings::reverse) return SetReverse(on);
    settings_.*option = on;
    modified_ = true;
}

void JobController::SetReverse(bool on) {
    settings_.reverse = on;
    modified_ = true;
    ShowAll();
}

void JobController::AddFileType(const std::string& typed) {
    if (typed.empty()) return;
    InsertFileTypeSorted(settings_.fileTypes, typed[0] == '.' ? typed : "." + typed, fileTypeOrder_);
    modified_ = true;
    ShowAll();
}

void JobController::DeleteFileTypes(const std::vector<int>& indices) {
    std::vector<int> order = indices;
    std::sort(order.begin(), order.end(), std::greater<int>());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    for (int index : order)
        if (index >= 0 && static_cast<size_t>(index) < settings_.fileTypes.size())
            settings_.fileTypes.erase(settings_.fileTypes.begin() + index);
    modified_ = true;
    ShowAll();
}

}  // namespace tavrel
