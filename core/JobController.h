// The open job of the main window: its settings, file name, modified flag and marked folders,
// and the operations that load, save, open and close it. The window shows what this holds
// through IJobView and forwards its control events here; the console runner uses it with a
// view that shows nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/AppSettings.h"
#include "core/JobFile.h"
#include "core/JobSettings.h"
#include "core/JobTree.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace tavrel {

class IJobView {
public:
    virtual ~IJobView() = default;
    // Puts every job field into the controls (description, destination and its hint, the
    // check boxes, the filter mode, the type list). chkSletDest is enabled exactly when the
    // reverse option is off.
    virtual void ShowSettings(const JobSettings& settings) = 0;
    virtual void SetCaption(const std::string& caption) = 0;      // the whole window caption
    virtual void SetStartEnabled(bool enabled) = 0;               // cmdStart
    virtual void SetStatusText(const std::string& text) = 0;      // status bar, first panel
    virtual void SetLastCopied(const std::string& text) = 0;      // lblDato
    // The open and save dialogs for job files ("Ambrex Tavrel Filsæt|*.tvj"), starting in the
    // given folder; nothing when the user cancels.
    virtual std::optional<std::string> AskOpenJobFile(const std::string& initialFolder) = 0;
    virtual std::optional<std::string> AskSaveJobFile(const std::string& initialFolder) = 0;
};

// A view that shows nothing and answers every dialog with Cancel.
class NullJobView : public IJobView {
public:
    void ShowSettings(const JobSettings&) override {}
    void SetCaption(const std::string&) override {}
    void SetStartEnabled(bool) override {}
    void SetStatusText(const std::string&) override {}
    void SetLastCopied(const std::string&) override {}
    std::optional<std::string> AskOpenJobFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> AskSaveJobFile(const std::string&) override { return std::nullopt; }
};

// "Ambrex Tavrel 2 - <name>"; the name is the file name without folder and last four characters.
std::string JobCaption(const std::string& jobName);
std::string JobNameOf(const std::string& jobFileName);

struct JobControllerDeps {
    IFileSystem& fs;
    AppSettings& settings;
    IMessageBox& messages;
    IJobView& view;
    IJobTree& tree;
    IBusyCursor* cursor = nullptr;
    std::string programFolder;  // initial folder of the open and save dialogs
    // The order of the file types, as the type list shows them; unset: CompareNoCase.
    TypeOrder fileTypeOrder = {};
    // The window's shell: with it, a job it opens tells of the unattended runs that went wrong
    // since the window last showed its history (TellOfFailedRuns). The console has none.
    IShell* shell = nullptr;
};

class JobController {
public:
    explicit JobController(const JobControllerDeps& deps);

    // --- the job's state ---
    const JobSettings& Settings() const { return settings_; }
    const std::string& JobFileName() const { return jobFileName_; }
    void SetJobFileName(const std::string& path) { jobFileName_ = path; }
    bool Modified() const { return modified_; }
    void SetModified() { modified_ = true; }
    // The last collected list, or the lines of the list file right after a load.
    const std::vector<std::string>& MarkedFolders() const { return markedFolders_; }
    // Rebuilds MarkedFolders from the tree's marks and returns it.
    const std::vector<std::string>& CollectMarkedFolders();
    const std::string& LastCopied() const { return lastCopied_; }
    void SetLastCopied(const std::string& text);

    // --- loading and saving ---
    // Fills the settings and the tree from the job file and its list file (the caller cleared
    // the marks and set JobFileName). Messages about a short version-1 file, folders that no
    // longer exist and unreadable files are shown; false when a file could not be read.
    bool LoadJob(const std::string& path);
    // True when the last LoadJob showed an error: a file it could not read, a job file that is
    // damaged or too short, a list with lines that are no folders. Such a job is not run from
    // the command line. Folders that no longer exist are a notice, not an error.
    bool LoadHadErrors() const { return loadHadErrors_; }
    // The job to reopen at the next start: JobFileName, or, while the window is untitled
    // because the last load could not read its job file, that file. A file that was locked
    // for a moment is tried again rather than forgotten.
    const std::string& JobToReopen() const { return jobFileName_.empty() ? unreadJobFile_ : jobFileName_; }
    // Loads the job named by JobFileName when that file exists (true); otherwise the window
    // shows an untitled job and JobFileName keeps its value, so that Gem writes there without
    // asking. beforeLoad runs just before the load (the splash's "Indlæser job...").
    bool LoadIfPresent(const std::function<void()>& beforeLoad = {});
    // After the tree was read anew (Opdater): the marks are cleared and the job is loaded again
    // from its file, dropping unsaved changes without a question.
    void Reload();
    // Gem: saves under JobFileName, or asks for a name when there is none. False when the
    // job was not saved (cancelled or a write error, which is reported).
    bool Save();
    // Gem som...: a save that fails keeps the job's former name.
    bool SaveAs();
    // Åbn job...: asks for a job file, closes the open job and loads the chosen one.
    void Open();
    // Luk: offers to save, records the recent file, empties the window. False when a save was
    // tried and failed: the job then stays open and modified, so it can be saved elsewhere.
    bool Close();
    // A recent-file entry was chosen (its path).
    void OpenRecent(const std::string& path);
    // Asks "Ønsker du at gemme det aktuelle job?" when modified; Yes saves. False when the save
    // failed (the failure is shown) and the job must stay open. A cancelled save dialog is the
    // user's answer: the job goes unsaved, as after No.
    bool OfferToSave();
    // Planlæg...: the Task Scheduler runs the job from its file, so an untitled or modified job,
    // or one whose file is gone, is saved first after the usual question. True when the job is
    // in its file as the window shows it; No, a cancelled save dialog or a failed save (which
    // is reported) give false, and nothing is to be planned.
    bool SaveBeforePlanning();
    // The window closes (FormCloseQuery): a modified job is offered for saving, then the
    // window's placement, the job to reopen and the floppy option are written and the settings
    // key is closed. False when the save failed: the window stays with the job unsaved, and
    // nothing is written.
    bool CloseWindow(const WindowPlacement& placement, bool floppy);

    // --- the option controls ---
    void SetDescription(const std::string& text);      // accepted description input
    // A destination chosen in the folder browser: empty = a choice without a path.
    void ChooseDestination(const std::string& folder);
    // A check box of the job: the option behind it takes the box's state and the job is Modified.
    // The filter mode is one too: optKun (true) / optUdelad (false).
    void SetFlag(bool JobSettings::*option, bool on);
    // The reverse option also decides whether the delete option can be chosen.
    void SetReverse(bool on);
    void AddFileType(const std::string& typed);  // cmdTilfoejClick
    // cmdSletClick: deletes the items at the given indices (any order); Modified even when none.
    void DeleteFileTypes(const std::vector<int>& indices);

private:
    enum class SaveOutcome { Saved, Cancelled, Failed };
    // What reading the list file gave: the folders that are gone, one a line.
    struct ListLoad {
        bool read = false;
        bool damaged = false;
        FsError error;
        std::string missing;
    };
    // The job file's settings into the job and the window; a damaged or short file is reported.
    void ApplyJobFile(const std::string& path, std::string_view bytes);
    // The list file's folders become the job's marked folders, marked in the tree where they exist.
    ListLoad MarkListedFolders(const std::string& listPath);
    SaveOutcome SaveJob();
    SaveOutcome SaveJobAs();
    void ShowAll();
    bool ReportFileError(const std::string& path, const FsError& error, bool writing);
    // Reads a job or list file; a folder of that name is an error, not an empty file.
    bool ReadFile(const std::string& path, std::string& bytes, FsError& error);

    IFileSystem& fs_;
    AppSettings& appSettings_;
    IMessageBox& messages_;
    IJobView& view_;
    IJobTree& tree_;
    IBusyCursor* cursor_;
    std::string programFolder_;
    TypeOrder fileTypeOrder_;
    IShell* shell_;

    JobSettings settings_;
    std::string jobFileName_;
    bool modified_ = false;
    bool loadHadErrors_ = false;
    std::string unreadJobFile_;  // the job file the last load could not read
    std::vector<std::string> markedFolders_;
    std::string lastCopied_ = "-";
};

}  // namespace tavrel
