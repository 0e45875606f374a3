// Planlæg... in the main window: the job is saved first, the dialog shows its plan as the Task
// Scheduler has it, and OK carries out the plan chosen. The dialog itself only shows; what it
// shows and what OK does are decided here.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/JobController.h"
#include "core/Schedule.h"

namespace tavrel {

// OK refused: the Danish message to show while the dialog stays open with the user's choices,
// and the status text as the Task Scheduler now has it (a failed write may have changed it).
struct PlanRefusal {
    std::string message;
    std::string status;
};
// What OK in the dialog does with the form as the user left it: nothing when the dialog may close.
using PlanOK = std::function<std::optional<PlanRefusal>(const PlanForm&)>;

class IPlanDialog {
public:
    virtual ~IPlanDialog() = default;
    // Shows the dialog for the job of that name modally, with the form filled in and the
    // status text below the choices. ok runs at each OK; Annuller, Esc and the close box end
    // it without a call.
    virtual void ShowPlan(const std::string& jobName, const PlanForm& form, const std::string& status,
                      const PlanOK& ok) = 0;
};

// The lines below the choices: the plan the Task Scheduler holds and its last run, or why it
// could not be asked.
std::string PlanStatusText(const PlanStatus& status);

// OK: the form read (a time that is no time keeps the dialog open with a message) and the
// plan carried out by ApplyPlan. A form on which no choice was made (the task was changed in
// the Task Scheduler and the user chose nothing else) leaves the task as it is.
std::optional<std::string> PlanFromForm(ITaskScheduler& scheduler, const std::string& jobFileName,
                                        const std::string& programFolder, const PlanForm& form);

// The whole command: false when the job was not saved, and then no dialog is shown.
bool PlanJob(JobController& job, ITaskScheduler& scheduler, IPlanDialog& dialog, const std::string& programFolder);

}  // namespace tavrel
