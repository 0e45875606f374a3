#include "core/PlanJob.h"

#include <variant>

namespace tavrel {

namespace {

constexpr const char* kNotPlanned = "Jobbet er ikke planlagt.";
constexpr const char* kPlannedAs = "Planlagt: ";
constexpr const char* kOtherAction =
    "Opgaven i Opgavestyring starter ikke dette job med denne installations tavrelc.exe. Vælg en plan, og tryk "
    "på OK for at rette den.";

}  // namespace

std::string PlanStatusText(const PlanStatus& status) {
    if (!status.error.empty()) return status.error;
    if (!status.hasTask) return kNotPlanned;
    std::string text = kPlannedAs + DescribePlan(status.plan) + ".";
    if (!status.lastRun.empty()) text += "\r\n" + status.lastRun;
    if (!status.actionCurrent) text += "\r\n" + std::string(kOtherAction);
    return text;
}

std::optional<std::string> PlanFromForm(ITaskScheduler& scheduler, const std::string& jobFileName,
                                        const std::string& programFolder, const PlanForm& form) {
    if (form.kind == PlanKind::Other) return std::nullopt;
    auto read = ReadForm(form);
    if (auto* message = std::get_if<std::string>(&read)) return *message;
    return ApplyPlan(scheduler, jobFileName, programFolder, std::get<Plan>(read));
}

bool PlanJob(JobController& job, ITaskScheduler& scheduler, IPlanDialog& dialog, const std::string& programFolder) {
    if (!job.SaveBeforePlanning()) return false;
    // The name is taken now: the dialog is modal, so the job cannot change under it.
    const std::string jobFileName = job.JobFileName();
    const PlanStatus status = ReadPlan(scheduler, jobFileName, programFolder);
    const PlanOK ok = [&](const PlanForm& form) -> std::optional<PlanRefusal> {
        auto message = PlanFromForm(scheduler, jobFileName, programFolder, form);
        if (!message) return std::nullopt;
        return PlanRefusal{*message, PlanStatusText(ReadPlan(scheduler, jobFileName, programFolder))};
    };
    dialog.ShowPlan(JobNameOf(jobFileName), FormFor(status.plan), PlanStatusText(status), ok);
    return true;
}

}  // namespace tavrel
