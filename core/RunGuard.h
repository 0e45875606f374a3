// The main window's guard around its runs: runs never nest, a close waits until the run (or a
// dialog) has unwound, and the commands that would change the running job wait for its end.
#pragma once

#include <atomic>
#include <functional>

#include "core/JobController.h"

namespace tavrel {

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

// The commands that switch, rename or rebuild the job.
enum class JobCommand { Open, Close, Recent, Save, SaveAs, Plan, Refresh, FloppyDrives };
// A run writes its report beside the job file it began with, records that file's stamp and
// walks the folders it collected, so these commands wait until it has finished: all but Gem,
// which waits only when it would ask for a name. Planlæg... may save the job under a new name
// first, so it waits as Gem som does.
bool WaitsForRun(JobCommand command, const JobController& job);

}  // namespace tavrel
