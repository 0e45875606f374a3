// The main window's decisions that need no window: the command line carried out at the first
// show, the guard that keeps runs from nesting and holds a close back until the run has
// unwound, the closing of the window, the refresh, and the captions of the menu items that
// change at run time.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "core/AppSettings.h"
#include "core/CopyRun.h"
#include "core/JobController.h"
#include "core/JobTree.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace tavrel {

// The tab names of TabControl1; mnuTab carries the name of the tab not shown.
extern const char* const kTabNames[2];
std::string OtherTabName(int shownTab);

// The caption of recent-file item n (1..4): "&n. " and the path. A "&" in the path is doubled
// so that the menu shows it instead of underlining the letter after it.
std::string RecentMenuCaption(int entry, const std::string& path);

// ShowRunError: the command line's messages, caption "Fejl under kørsel", error icon.
void ShowRunError(IMessageBox& messages, const std::string& text);

struct CommandLineDeps {
    IFileSystem& fs;
    JobController& job;
    IJobTree& tree;
    IMessageBox& messages;
    std::function<void(RunMode)> run;  // cmdStartClick / cmdInfoClick
};

// FormShow: the job file of parameter 1 becomes the open job; "/R" and "/T" run it. A job
// whose load showed an error is not run: the window stays on what was loaded, and the user
// is told that the command was not carried out.
void RunCommandLine(const std::vector<std::string>& parameters, const CommandLineDeps& deps);

// Runs never nest: the windows stay usable during a run, so a second Start, Information or
// the progress window's Start can arrive from inside the first run's message processing.
// Nor may the window close under a handler that is still working: a close that arrives while
// a handler runs a nested message loop (a run, a dialog, a message box) waits until the
// outermost handler has returned; during a run it also aborts the run, which then finishes its
// last steps (counts, report, stamp) while the settings key is still open.
class RunGuard {
public:
    enum class CloseAction { Close, Defer, Ignore };

    bool Running() const { return running_; }
    bool ClosePending() const { return closePending_; }
    bool Closing() const { return closing_; }

    // Brackets a handler that may run a nested message loop. Leave of the outermost one returns
    // true when a close waits, which the window then carries out.
    void Enter() { ++depth_; }
    bool Leave();
    // Calls run unless a run is under way or the window is closing (then false).
    bool Run(const std::function<void()>& run);
    // A request to close the window. Defer: the close waits (and, during a run, abort is set);
    // Ignore: a second request while the first close is still asking its question.
    CloseAction RequestClose(std::atomic<bool>& abort);
    // The close that RequestClose let through was called off (a save that failed): the window
    // stays, and runs and later closes go on as before.
    void CloseRefused() { closing_ = false; }

private:
    bool running_ = false;
    bool closePending_ = false;
    bool closing_ = false;
    int depth_ = 0;
};

// FormCloseQuery: offers to save a modified job, then writes the window's placement, the job to
// reopen and the floppy option, and closes the settings key. False when the save failed: the
// window stays open with the job unsaved, and nothing is written.
bool FormCloseQuery(JobController& job, AppSettings& settings, const WindowPlacement& placement, bool floppy);

// The commands that switch, rename or rebuild the job.
enum class JobCommand { Open, Close, Recent, Save, SaveAs, Refresh, FloppyDrives };
// A run writes its report beside the job file it began with, records that file's stamp and
// walks the folders it collected, so these commands wait until it has finished: all but Gem,
// which waits only when it would ask for a name.
bool WaitsForRun(JobCommand command, const JobController& job);

// Loads the job named by JobFileName when that file exists (true); otherwise the window shows
// an untitled job and JobFileName keeps its value, so that Gem writes there without asking.
// beforeLoad runs just before the load (the splash's "Indlæser job...").
bool LoadJobIfPresent(JobController& job, IFileSystem& fs, IJobView& view,
                      const std::function<void()>& beforeLoad = {});

// mnuOpdaterClick after the tree has been rebuilt: the marks are cleared and the job is loaded
// again from its file, dropping unsaved changes without a question.
void ReloadAfterRefresh(JobController& job, IJobTree& tree, IFileSystem& fs, IJobView& view);

}  // namespace tavrel
