// One run of the open job: the questions, the delete phase, the walk of every marked folder,
// the report and the last-copied stamp. The progress window shows it (IProgressView), the main
// window or the console runner hosts it (IRunHost); the message boxes go through IMessageBox.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/AppSettings.h"
#include "core/CopyRules.h"
#include "core/JobController.h"
#include "core/Report.h"
#include "core/RunHistory.h"
#include "core/RunView.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace tavrel {

enum RunMode { rmCopy = 0, rmCount = 1 };

enum class RunOutcome {
    Completed,      // ran to the end; FailedCount may still be above 0
    Aborted,        // AbortRequested stopped it (or an error inside a walk)
    Declined,       // a question ended it before it began (No to reverse, Cancel to delete)
    Refused,        // the job cannot be run as it stands (message shown)
    ReportFailed,   // ran, but its report could not be written (message shown)
    AlreadyRunning, // another run is under way; nothing was done
};

struct CopyRunDeps {
    JobController& job;
    AppSettings& settings;
    IFileSystem& fs;
    IClock& clock;
    IMessageBox& messages;
    IRunHost* host;          // unset: a run without a window around it
    IProgressView* progress;  // unset: nothing shown until SetProgressView
    std::atomic<bool>& abort;
    RunProgram program = RunProgram::Tavrel;  // named in the job's history
    // The copies in flight at once (see WalkContext); tavrelc and the window take
    // CopyWorkersSetting().
    int copyWorkers = 1;
};

class CopyRun {
public:
    explicit CopyRun(const CopyRunDeps& deps);

    RunOutcome RunCopy(RunMode mode);
    // The progress window is made after the main window, which composes the run: it is handed
    // over once it is there.
    void SetProgressView(IProgressView* view);
    // Marked folders of the job that were not there when it was loaded. The window tells the
    // user of them as it loads the job; an unattended run has nobody to read that, so each of
    // them is a failure of every run that follows (listed under "Fejl:" in the report).
    void SetMissingMarkedFolders(std::vector<std::string> folders) { missingFolders_ = std::move(folders); }
    // Timer1Timer: the counts and the elapsed time into the progress window.
    void ShowCountsAndTime();

    bool Running() const { return running_; }
    const RunCounters& Counters() const { return counters_; }
    uint32_t StartTick() const { return startTick_; }
    int64_t ElapsedSeconds() const { return elapsedSeconds_; }
    const SkippedFiles& Skipped() const { return skipped_; }
    // The caption the progress window showed last ("Kopiering er afsluttet"...).
    const std::string& FinalCaption() const { return finalCaption_; }
    // Why the last run's line could not be added to the job's history (empty when it was, or
    // when the job has no history). The window shows it in the status bar and in the final
    // notice; tavrelc prints it.
    const std::string& HistoryFailure() const { return historyFailure_; }
    // A run that could not start because the job did not load: its line in the history of the
    // job file named (the job itself may have lost its name in the load).
    void RecordNotRun(const std::string& jobFileName, RunMode mode, const std::string& note);

private:
    // What the questions settled for one run.
    struct Plan {
        RunMode mode;
        bool reverse = false;
        std::string dest{};  // the destination folder, ending with "\"
        bool deletePhase = false;
        std::vector<std::string> marked{};  // collected for the delete phase, which spares them
    };
    // The questions the options call for, and the checks before any work: an outcome when the
    // run ends here.
    std::optional<RunOutcome> AskQuestions(Plan& plan);
    void BeginWork();
    void ShowPhase(const char* caption, RunClip clip, const char* copiedGroup);
    void EmptyDestination(const Plan& plan, WalkContext& context, CopyRules& rules);
    void CopyMarkedFolders(const Plan& plan, WalkContext& context, CopyRules& rules);
    RunOutcome Finish(const Plan& plan);
    void RecordCompletedCopy();
    // The run's line in the job's history; a failure is kept in historyFailure_, never raised.
    void RecordHistory(const std::string& jobFileName, RunMode mode, RunEnd end, const std::string& note);
    bool DestinationHoldsMarkedFolder(const std::string& dest, const std::vector<std::string>& marked,
                                      std::string& found);
    void ShowCounts();

    CopyRunDeps d_;
    IRunHost& host_;
    IProgressView* progress_;
    bool running_ = false;
    RunCounters counters_;
    uint32_t startTick_ = 0;
    int64_t elapsedSeconds_ = 0;
    SkippedFiles skipped_;
    std::string finalCaption_;
    std::vector<std::string> missingFolders_;
    LocalTime startedAt_;      // the run's start, for its history line
    uint32_t historyTick_ = 0;  // ticks at that start, before any question
    std::string stopNote_;      // why AskQuestions ended the run
    std::string historyFailure_;
};

// The report's text for a marked folder that is not there.
extern const char* const kMarkedFolderMissingText;  // "Mappen findes ikke."

}  // namespace tavrel
