#include "core/Schedule.h"

#include <cstdio>

#include "base/Path.h"
#include "base/Text.h"

namespace tavrel {

const char* const kTaskFolder = "Ambrex Tavrel";

namespace {

// Characters of the job's name that make a readable task name; a long name is cut here.
constexpr size_t kTaskNameCharacters = 60;

const char* const kWeekdays[] = {"mandag", "tirsdag", "onsdag", "torsdag", "fredag", "lørdag", "søndag"};

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// FNV-1a: small, and the same on every build and every computer, which a name stored in the
// Task Scheduler needs.
uint32_t PathCheck(const std::string& path) {
    const std::string key = FoldCase(path);
    uint32_t hash = 2166136261u;
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

bool RefusedInTaskName(char32_t c) {
    return c < 0x20 || c == 0x7F || std::u32string_view(U"\\/:*?\"<>|").find(c) != std::u32string_view::npos;
}

bool IsAbsolute(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) {
        const char d = static_cast<char>(path[0] & ~0x20);
        return d >= 'A' && d <= 'Z';
    }
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

std::string TavrelcPath(const std::string& programFolder) {
    return IncludeTrailingBackslash(programFolder) + "tavrelc.exe";
}

bool IsTimePlan(PlanKind kind) { return kind == PlanKind::Daily || kind == PlanKind::Weekly; }

// E_NOTIMPL: the system's Task Scheduler lacks the kind of trigger asked for.
constexpr uint32_t kNotImplemented = 0x80004001;

// The parts of two plans that the task carries out.
bool SamePlan(const Plan& a, const Plan& b) {
    if (a.kind != b.kind) return false;
    if (!IsTimePlan(a.kind)) return true;
    return a.hour == b.hour && a.minute == b.minute && a.runWhenMissed == b.runWhenMissed &&
           (a.kind != PlanKind::Weekly || a.weekday == b.weekday);
}

bool RunsJob(const TaskDefinition& task, const std::string& jobFileName, const std::string& programFolder) {
    const TaskDefinition wanted = TaskFor(Plan{}, jobFileName, programFolder);
    return EqualsNoCase(task.program, wanted.program) && EqualsNoCase(task.arguments, wanted.arguments);
}

}  // namespace

const char* WeekdayName(int weekday) { return weekday >= 0 && weekday < 7 ? kWeekdays[weekday] : ""; }

std::optional<ClockTime> ParseClockTime(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    const size_t sep = text.find_first_of(":.");
    if (sep == std::string_view::npos || sep == 0 || sep > 2 || text.size() != sep + 3) return std::nullopt;
    int hour = 0, minute = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == sep) continue;
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        int& part = i < sep ? hour : minute;
        part = part * 10 + (text[i] - '0');
    }
    if (hour > 23 || minute > 59) return std::nullopt;
    return ClockTime{hour, minute};
}

std::string FormatClockTime(int hour, int minute) { return TwoDigits(hour) + ":" + TwoDigits(minute); }

std::string TaskNameFor(const std::string& jobFileName) {
    std::string path = jobFileName;
    for (char& c : path)
        if (c == '/') c = '\\';
    std::string file = ExtractFileName(path);
    const std::string ext = ExtractFileExt(file);
    std::string base = file.substr(0, file.size() - ext.size());
    std::string name;
    size_t characters = 0;
    for (size_t i = 0; i < base.size() && characters < kTaskNameCharacters;) {
        char32_t c;
        if (!DecodeUtf8(base, i, c)) {
            c = U'_';
            ++i;
        }
        AppendUtf8(name, RefusedInTaskName(c) ? U'_' : c);
        ++characters;
    }
    // Windows drops blanks and dots at the end of a name, and a name of blanks is no name.
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    if (name.empty()) name = "Job";
    char check[16];
    std::snprintf(check, sizeof check, "%08x", PathCheck(path));
    return name + " (" + check + ")";
}

TaskDefinition TaskFor(const Plan& plan, const std::string& jobFileName, const std::string& programFolder) {
    TaskDefinition task;
    switch (plan.kind) {
    case PlanKind::Weekly: task.trigger = TaskTrigger::Weekly; break;
    case PlanKind::AtLogon: task.trigger = TaskTrigger::Logon; break;
    default: task.trigger = TaskTrigger::Daily; break;
    }
    task.hour = plan.hour;
    task.minute = plan.minute;
    task.weekday = plan.weekday;
    task.startWhenAvailable = IsTimePlan(plan.kind) && plan.runWhenMissed;
    task.program = TavrelcPath(programFolder);
    task.arguments = "\"" + jobFileName + "\" /R /J";
    task.workingFolder = ExcludeTrailingBackslash(ExtractFilePath(jobFileName));
    if (task.workingFolder.size() == 2 && task.workingFolder[1] == ':') task.workingFolder += "\\";
    task.description = "Ambrex Tavrel kopierer jobbet " + jobFileName + ".";
    return task;
}

Plan PlanOf(const TaskDefinition& task) {
    Plan plan;
    switch (task.trigger) {
    case TaskTrigger::Daily: plan.kind = PlanKind::Daily; break;
    case TaskTrigger::Weekly: plan.kind = PlanKind::Weekly; break;
    case TaskTrigger::Logon: plan.kind = PlanKind::AtLogon; break;
    case TaskTrigger::Other: plan.kind = PlanKind::Other; break;
    }
    if (IsTimePlan(plan.kind)) {
        if (task.hour < 0 || task.hour > 23 || task.minute < 0 || task.minute > 59) plan.kind = PlanKind::Other;
        if (plan.kind == PlanKind::Weekly && (task.weekday < 0 || task.weekday > 6)) plan.kind = PlanKind::Other;
    }
    if (plan.kind != PlanKind::Other) {
        plan.hour = task.hour;
        plan.minute = task.minute;
        // Only a weekly trigger has a day; whatever else a task carries is not part of its plan.
        plan.weekday = plan.kind == PlanKind::Weekly ? task.weekday : 0;
        if (IsTimePlan(plan.kind)) plan.runWhenMissed = task.startWhenAvailable;
    }
    if (plan.kind == PlanKind::AtLogon || plan.kind == PlanKind::Other) {
        plan.hour = 22;
        plan.minute = 0;
        plan.weekday = 0;
    }
    return plan;
}

std::string DescribePlan(const Plan& plan) {
    std::string text;
    switch (plan.kind) {
    case PlanKind::Never: return "Aldrig";
    case PlanKind::AtLogon: return "Når du logger på";
    case PlanKind::Other: return "Som sat op i Opgavestyring";
    case PlanKind::Daily: text = "Hver dag kl. " + FormatClockTime(plan.hour, plan.minute); break;
    case PlanKind::Weekly:
        text = std::string("Hver ") + WeekdayName(plan.weekday) + " kl. " + FormatClockTime(plan.hour, plan.minute);
        break;
    }
    if (plan.runWhenMissed) text += ", eller så snart det er muligt, hvis tidspunktet blev sprunget over";
    return text;
}

std::string LastResultText(uint32_t code) {
    switch (code) {
    case 0: return "Afsluttet.";
    case 1: return "Afsluttet, men en eller flere filer eller mapper kunne ikke kopieres (se rapporten).";
    case 2:
        return "Kunne ikke køre: jobfilen findes ikke, jobbet kunne ikke indlæses, eller rapporten kunne ikke skrives.";
    case 3:
        return "Stoppet: afbrudt, et spørgsmål blev ikke besvaret med ja, eller jobbet kan ikke køres, som det er "
               "sat op.";
    case 0x00041300:  // ready: registered, not yet run
    case 0x00041303: return "Ikke kørt endnu.";
    case 0x00041301: return "Kører nu.";
    case 0x00041302: return "Opgaven er slået fra.";
    case 0x00041306: return "Blev afbrudt i Opgavestyring.";
    case 0x8004131F: return "Blev ikke startet, fordi den forrige kørsel stadig var i gang.";
    case 0x80070002: return "tavrelc.exe blev ikke fundet. Er Ambrex Tavrel flyttet eller afinstalleret?";
    case 0x800710E0:
        return "Opgavestyring startede den ikke (for eksempel fordi computeren kørte på batteri).";
    case 0xC000013A: return "Blev afbrudt, fordi konsollen blev lukket, eller Windows lukkede ned.";
    default: break;
    }
    char text[64];
    if (code < 0x10000) std::snprintf(text, sizeof text, "Ukendt resultat (kode %u).", code);
    else std::snprintf(text, sizeof text, "Ukendt resultat (kode 0x%08X).", code);
    return text;
}

std::string DescribeLastRun(const TaskState& state) {
    const bool neverRun = !state.lastResult || *state.lastResult == 0x00041303 || *state.lastResult == 0x00041300;
    if (!state.lastRun && neverRun) return "Ikke kørt endnu.";
    std::string text;
    if (state.lastRun) {
        const LocalTime& t = *state.lastRun;
        text = "Sidst kørt: " + TwoDigits(t.day) + "-" + TwoDigits(t.month) + "-" + std::to_string(t.year) + " kl. " +
               FormatClockTime(t.hour, t.minute) + ".";
    } else {
        text = "Seneste resultat:";
    }
    if (state.lastResult) text += " " + LastResultText(*state.lastResult);
    return text;
}

PlanForm FormFor(const Plan& plan) {
    return PlanForm{plan.kind, FormatClockTime(plan.hour, plan.minute), plan.weekday, plan.runWhenMissed};
}

PlanFormEnabled EnabledFor(PlanKind kind) {
    return PlanFormEnabled{IsTimePlan(kind), kind == PlanKind::Weekly, IsTimePlan(kind)};
}

std::variant<Plan, std::string> ReadForm(const PlanForm& form) {
    Plan plan;
    plan.kind = form.kind;
    plan.runWhenMissed = form.runWhenMissed;
    if (form.kind == PlanKind::Other) return std::string("Vælg, hvornår jobbet skal køre.");
    if (IsTimePlan(form.kind)) {
        auto time = ParseClockTime(form.timeText);
        if (!time) return "\"" + form.timeText + "\" er ikke et klokkeslæt. Skriv tidspunktet som TT:MM, for eksempel 22:00.";
        plan.hour = time->hour;
        plan.minute = time->minute;
    }
    if (form.kind == PlanKind::Weekly) {
        if (form.weekday < 0 || form.weekday > 6) return std::string("Vælg en ugedag.");
        plan.weekday = form.weekday;
    }
    return plan;
}

std::string TaskErrorMessage(const TaskError& error, const std::string& what) {
    if (error.code == kNotImplemented)
        return "Opgavestyring på denne computer kan ikke planlægge jobbet sådan. Vælg en anden plan, eller opret "
               "opgaven i Opgavestyring selv.\r\n\r\n(" + error.text + ")";
    if (error.unavailable)
        return "Opgavestyring (Task Scheduler) er ikke tilgængelig på denne computer, så jobbet kan ikke planlægges "
               "herfra." +
               (error.text.empty() ? std::string() : "\r\n\r\n" + error.text);
    return "Planen kunne ikke " + what + " i Opgavestyring: " + (error.text.empty() ? "ukendt fejl." : error.text);
}

PlanStatus ReadPlan(ITaskScheduler& scheduler, const std::string& jobFileName, const std::string& programFolder) {
    PlanStatus status;
    if (jobFileName.empty()) return status;
    TaskState state;
    TaskError error;
    switch (scheduler.GetTask(kTaskFolder, TaskNameFor(jobFileName), state, error)) {
    case TaskLookup::Found:
        status.plan = PlanOf(state.definition);
        status.hasTask = true;
        status.actionCurrent = RunsJob(state.definition, jobFileName, programFolder);
        status.lastRun = DescribeLastRun(state);
        break;
    case TaskLookup::Missing: break;
    case TaskLookup::Failed: status.error = TaskErrorMessage(error, "læses"); break;
    }
    return status;
}

std::optional<std::string> ApplyPlan(ITaskScheduler& scheduler, const std::string& jobFileName,
                                     const std::string& programFolder, const Plan& plan) {
    if (jobFileName.empty()) return std::string("Jobbet skal gemmes, før det kan planlægges.");
    if (!IsAbsolute(jobFileName))
        return "Jobbet kan kun planlægges, når det er gemt med en fuld sti (for eksempel C:\\Backup\\Job.tvj): " +
               jobFileName;
    if (plan.kind == PlanKind::Other) return std::nullopt;  // left as the Task Scheduler has it
    TaskError error;
    const std::string name = TaskNameFor(jobFileName);
    if (plan.kind == PlanKind::Never) {
        if (!scheduler.RemoveTask(kTaskFolder, name, error)) return TaskErrorMessage(error, "fjernes");
        return std::nullopt;
    }
    if (plan.hour < 0 || plan.hour > 23 || plan.minute < 0 || plan.minute > 59 || plan.weekday < 0 || plan.weekday > 6)
        return std::string("Tidspunktet er ikke et klokkeslæt.");
    if (!scheduler.SetTask(kTaskFolder, name, TaskFor(plan, jobFileName, programFolder), error))
        return TaskErrorMessage(error, "gemmes");
    // A Task Scheduler may take a task and keep less of it than it was given (Wine keeps no
    // trigger and no command). Such a task would never run the job while the dialog said it
    // was planned, so it is read back, and one that does not hold the plan is taken away again.
    TaskState state;
    switch (scheduler.GetTask(kTaskFolder, name, state, error)) {
    case TaskLookup::Found:
        if (SamePlan(PlanOf(state.definition), plan) && RunsJob(state.definition, jobFileName, programFolder))
            return std::nullopt;
        break;
    case TaskLookup::Missing: break;
    case TaskLookup::Failed: return "Planen blev gemt, men kunne ikke læses igen fra Opgavestyring: " + error.text;
    }
    scheduler.RemoveTask(kTaskFolder, name, error);
    return std::string(
        "Opgavestyring på denne computer gemte ikke hele planen (tidspunktet eller kommandoen mangler), så jobbet "
        "er ikke planlagt. Opret opgaven i Opgavestyring selv, som vejledningen beskriver.");
}

}  // namespace tavrel
