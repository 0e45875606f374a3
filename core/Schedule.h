// The plan of a job: whether and when the Task Scheduler runs it unattended with
// tavrelc.exe "<job>" /R /J, and the logic of the "Planlæg..." dialog. One task per job, in the
// task folder "Ambrex Tavrel", for the current user.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/System.h"
#include "platform/TaskScheduler.h"

namespace tavrel {

enum class PlanKind {
    Never,    // "Aldrig": no task
    Daily,    // "Hver dag kl. TT:MM"
    Weekly,   // "Hver uge (ugedag) kl. TT:MM"
    AtLogon,  // "Når jeg logger på"
    Other,    // read back only: the task was changed in the Task Scheduler itself
};

struct Plan {
    PlanKind kind = PlanKind::Never;
    int hour = 22;
    int minute = 0;
    int weekday = 0;             // 0 mandag .. 6 søndag
    bool runWhenMissed = true;   // "Kør, så snart det er muligt, hvis et tidspunkt blev sprunget over"
    bool operator==(const Plan&) const = default;
};

extern const char* const kTaskFolder;  // "Ambrex Tavrel"

// "mandag" .. "søndag"; weekday 0 is Monday.
const char* WeekdayName(int weekday);

// A time of day typed as TT:MM: one or two digits for the hour (0-23), a colon or a dot, and
// two digits for the minute (00-59); blanks around it are allowed. Nothing for anything else.
struct ClockTime {
    int hour = 0;
    int minute = 0;
};
std::optional<ClockTime> ParseClockTime(std::string_view text);
std::string FormatClockTime(int hour, int minute);  // "07:05"

// The task's name for a job: the job file's name without folder and extension, with the
// characters the Task Scheduler refuses in a name replaced by "_", cut to a readable length,
// and followed by a check of the job's whole path in brackets: "Min backup (1a2b3c4d)". The
// check keeps two jobs of the same name in different folders apart, and since it is computed
// from the path (letter case ignored, as Windows does), the same job always finds its task
// again without anything stored about it.
std::string TaskNameFor(const std::string& jobFileName);

// The task that carries out the plan: tavrelc.exe from the program's folder with the job in
// quotes, /R and /J, started in the job's folder. The plan's kind must not be Never or Other.
TaskDefinition TaskFor(const Plan& plan, const std::string& jobFileName, const std::string& programFolder);
// The plan a task stands for; a trigger the dialog cannot show reads as Other. The action is
// not looked at: OK in the dialog writes it anew (so a task made by an older installation in
// another folder is mended by it).
Plan PlanOf(const TaskDefinition& task);

// "Aldrig", "Hver dag kl. 22:00", "Hver mandag kl. 22:00", "Når du logger på", ...; with
// runWhenMissed a time plan adds ", eller så snart det er muligt bagefter".
std::string DescribePlan(const Plan& plan);
// What the task's last result code means, for the exit codes of tavrelc (0-3) and the
// scheduler's own codes: "Afsluttet.", "Afsluttet, men en eller flere filer ...".
std::string LastResultText(uint32_t code);
// "Sidst kørt: 08-12-2026 kl. 22:00. Afsluttet." or "Ikke kørt endnu."
std::string DescribeLastRun(const TaskState& state);

// ---- The dialog ----

// What the dialog shows and the user changes: the option chosen, the time as typed, the
// weekday and the check box.
struct PlanForm {
    PlanKind kind = PlanKind::Never;
    std::string timeText = "22:00";
    int weekday = 0;
    bool runWhenMissed = true;
};
PlanForm FormFor(const Plan& plan);

// Which controls take input for the option chosen.
struct PlanFormEnabled {
    bool time = false;
    bool weekday = false;
    bool runWhenMissed = false;
};
PlanFormEnabled EnabledFor(PlanKind kind);

// The plan the form describes, or the Danish message of what is wrong with it (a time that is
// no time of day).
std::variant<Plan, std::string> ReadForm(const PlanForm& form);

// What the dialog shows when it opens: the plan as the Task Scheduler has it, the last run,
// and a message when the scheduler cannot be asked.
struct PlanStatus {
    Plan plan;
    bool hasTask = false;
    // False when the task starts something else than this program's tavrelc with this job (a
    // task of an installation in another folder, or one changed by hand); OK writes it anew.
    bool actionCurrent = true;
    std::string lastRun;  // DescribeLastRun, empty when there is no task
    std::string error;    // Danish, empty when the scheduler answered
};
PlanStatus ReadPlan(ITaskScheduler& scheduler, const std::string& jobFileName, const std::string& programFolder);

// OK in the dialog: creates or updates the job's task, or removes it for Never. Nothing when
// it worked, else the Danish message. An untitled job (empty name) or a job path that is not
// absolute cannot be planned. The task is read back after it is written; one that the Task
// Scheduler did not keep whole (Wine keeps neither trigger nor command) is removed again and
// reported, since it would never run.
std::optional<std::string> ApplyPlan(ITaskScheduler& scheduler, const std::string& jobFileName,
                                     const std::string& programFolder, const Plan& plan);

// The Danish message for a failure of the scheduler; what: "læses", "gemmes", "fjernes". A
// scheduler without the service, and one without the kind of trigger asked for (E_NOTIMPL),
// get messages of their own.
std::string TaskErrorMessage(const TaskError& error, const std::string& what);

}  // namespace tavrel
