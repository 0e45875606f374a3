#include "core/Schedule.h"

#include <gtest/gtest.h>

#include "base/Text.h"
#include "core/CmdLine.h"
#include "platform/sim/SimTaskScheduler.h"

using namespace tavrel;

namespace {

const char* kJob = "C:\\Users\\Anna\\Documents\\Min backup.tvj";
const char* kProgram = "C:\\Program Files\\Ambrex Tavrel\\";

Plan Daily(int hour, int minute, bool missed = true) {
    Plan p;
    p.kind = PlanKind::Daily;
    p.hour = hour;
    p.minute = minute;
    p.runWhenMissed = missed;
    return p;
}

Plan Weekly(int weekday, int hour, int minute) {
    Plan p = Daily(hour, minute);
    p.kind = PlanKind::Weekly;
    p.weekday = weekday;
    return p;
}

}  // namespace

TEST(Schedule, ClockTimesAsTyped) {
    struct Case {
        const char* text;
        int hour, minute;  // -1: not a time
    } cases[] = {
        {"22:00", 22, 0},  {"7:05", 7, 5},    {"07:05", 7, 5},  {"0:00", 0, 0},   {"23:59", 23, 59},
        {" 22:30 ", 22, 30}, {"22.30", 22, 30}, {"24:00", -1, -1}, {"12:60", -1, -1}, {"7:5", -1, -1},
        {"123:00", -1, -1}, {":30", -1, -1},  {"22:", -1, -1},  {"22", -1, -1},   {"", -1, -1},
        {"2a:00", -1, -1},  {"22:0x", -1, -1}, {"-1:00", -1, -1}, {"22:00:00", -1, -1}, {"22 : 00", -1, -1},
        {"kl. 22", -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        auto time = ParseClockTime(c.text);
        if (c.hour < 0) {
            EXPECT_FALSE(time);
        } else {
            ASSERT_TRUE(time);
            EXPECT_EQ(time->hour, c.hour);
            EXPECT_EQ(time->minute, c.minute);
        }
    }
    EXPECT_EQ(FormatClockTime(7, 5), "07:05");
    EXPECT_EQ(FormatClockTime(22, 0), "22:00");
}

TEST(Schedule, TaskNamesAreSafeReadableAndOnePerJob) {
    struct Case {
        const char* job;
        const char* start;
    } cases[] = {
        {"C:\\Users\\Anna\\Documents\\Min backup.tvj", "Min backup ("},
        {"C:\\Jobs\\Drev_C.tvj", "Drev_C ("},
        {"C:\\Jobs\\Fotos 2026.v2.tvj", "Fotos 2026.v2 ("},
        {"C:\\Jobs\\Æbler & pærer.tvj", "Æbler & pærer ("},
        {"\\\\nas\\job\\Ελληνικά.tvj", "Ελληνικά ("},
        // A job name may hold what a file name may hold; the Task Scheduler refuses less, but
        // names made of those characters alone, or ending in dots, would be refused or changed.
        {"C:\\Jobs\\...tvj", "Job ("},
        {"C:\\Jobs\\ name. .tvj", "name ("},
        {"C:\\Jobs\\.tvj", "Job ("},
        {"C:\\Jobs\\Job", "Job ("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.job);
        const std::string name = TaskNameFor(c.job);
        EXPECT_TRUE(name.starts_with(c.start)) << name;
        EXPECT_EQ(name.size(), std::string(c.start).size() + 9);
        EXPECT_TRUE(name.ends_with(")"));
        for (char bad : std::string("\\/:*?\"<>|")) EXPECT_EQ(name.find(bad), std::string::npos) << name;
    }
    // Characters the scheduler refuses in a name never reach it, however the name came about
    // (a job named with them through an old version or another tool).
    const std::string odd = TaskNameFor(std::string("C:\\Jobs\\a*b?c\"d<e>f|g\x01h.tvj"));
    EXPECT_TRUE(odd.starts_with("a_b_c_d_e_f_g_h (")) << odd;
    // Long names are cut to 60 characters, whole letters.
    std::string longName;
    for (int i = 0; i < 100; ++i) longName += "ø";
    const std::string cut = TaskNameFor("C:\\Jobs\\" + longName + ".tvj");
    EXPECT_TRUE(IsValidUtf8(cut));
    EXPECT_EQ(Utf8Length(cut), 60u + 11u);

    // The same job always gives the same task, whatever the letter case of its path (task
    // names ignore letter case, as file names do) or its separators.
    EXPECT_TRUE(EqualsNoCase(TaskNameFor(kJob), TaskNameFor("c:\\users\\ANNA\\documents\\min backup.tvj")));
    EXPECT_EQ(TaskNameFor(kJob), TaskNameFor("C:/Users/Anna/Documents/Min backup.tvj"));
    // Two jobs of the same name in different folders get different tasks.
    EXPECT_NE(TaskNameFor(kJob), TaskNameFor("D:\\Backup\\Min backup.tvj"));
    EXPECT_NE(TaskNameFor("C:\\A\\Job.tvj"), TaskNameFor("C:\\B\\Job.tvj"));
    // Fixed across builds and computers, since the name stored in the Task Scheduler must be
    // found again: FNV-1a of the upper-cased path "C:\\JOBS\\DREV_C.TVJ".
    EXPECT_EQ(TaskNameFor("C:\\Jobs\\Drev_C.tvj"), "Drev_C (4d11bf85)");
}

TEST(Schedule, TheTaskRunsTavrelcFromTheProgramsFolderWithTheJob) {
    TaskDefinition task = TaskFor(Weekly(4, 21, 30), kJob, kProgram);
    EXPECT_EQ(task.trigger, TaskTrigger::Weekly);
    EXPECT_EQ(task.weekday, 4);
    EXPECT_EQ(task.hour, 21);
    EXPECT_EQ(task.minute, 30);
    EXPECT_TRUE(task.startWhenAvailable);
    EXPECT_EQ(task.program, "C:\\Program Files\\Ambrex Tavrel\\tavrelc.exe");
    EXPECT_EQ(task.arguments, "\"C:\\Users\\Anna\\Documents\\Min backup.tvj\" /R /J");
    EXPECT_EQ(task.workingFolder, "C:\\Users\\Anna\\Documents");
    EXPECT_NE(task.description.find(kJob), std::string::npos);
    // tavrelc reads the arguments back as the job, /R and /J, blanks in the path and all.
    EXPECT_EQ(SplitParameters(task.arguments), (std::vector<std::string>{kJob, "/R", "/J"}));
    EXPECT_EQ(TaskFor(Daily(1, 2), "D:\\Job.tvj", "C:\\Tavrel").workingFolder, "D:\\");
    EXPECT_EQ(TaskFor(Daily(1, 2), "D:\\Job.tvj", "C:\\Tavrel").program, "C:\\Tavrel\\tavrelc.exe");
    // Catching up on a missed start belongs to the plans with a time of day.
    Plan logon;
    logon.kind = PlanKind::AtLogon;
    logon.runWhenMissed = true;
    EXPECT_FALSE(TaskFor(logon, kJob, kProgram).startWhenAvailable);
    EXPECT_EQ(TaskFor(logon, kJob, kProgram).trigger, TaskTrigger::Logon);
    EXPECT_FALSE(TaskFor(Daily(22, 0, false), kJob, kProgram).startWhenAvailable);
}

TEST(Schedule, PlansReadBackFromTheirTasks) {
    Plan logon;
    logon.kind = PlanKind::AtLogon;
    for (const Plan& plan : {Daily(22, 0), Daily(6, 45, false), Weekly(0, 8, 0), Weekly(6, 23, 59), logon}) {
        SCOPED_TRACE(DescribePlan(plan));
        EXPECT_EQ(PlanOf(TaskFor(plan, kJob, kProgram)), plan);
    }
    TaskDefinition other;
    other.trigger = TaskTrigger::Other;
    EXPECT_EQ(PlanOf(other).kind, PlanKind::Other);
    TaskDefinition broken = TaskFor(Daily(22, 0), kJob, kProgram);
    broken.hour = 25;
    EXPECT_EQ(PlanOf(broken).kind, PlanKind::Other);
    broken = TaskFor(Weekly(3, 22, 0), kJob, kProgram);
    broken.weekday = 7;
    EXPECT_EQ(PlanOf(broken).kind, PlanKind::Other);
}

TEST(Schedule, ADailyTaskCarryingAWeekdayIsWrittenBackAsTheDailyPlanItIs) {
    // A daily trigger has no weekday; a task that carries one anyway (edited elsewhere) reads
    // as the plan the dialog shows, which OK writes back.
    for (int weekday : {-1, 3, 7, 99}) {
        SCOPED_TRACE(weekday);
        TaskDefinition daily = TaskFor(Daily(6, 30), kJob, kProgram);
        daily.weekday = weekday;
        const Plan plan = PlanOf(daily);
        EXPECT_EQ(plan, Daily(6, 30));
        SimTaskScheduler scheduler;
        scheduler.Put(kTaskFolder, TaskNameFor(kJob), TaskState{daily});
        EXPECT_EQ(ApplyPlan(scheduler, kJob, kProgram, ReadPlan(scheduler, kJob, kProgram).plan), std::nullopt);
        EXPECT_EQ(ReadPlan(scheduler, kJob, kProgram).plan, Daily(6, 30));
    }
}

TEST(Schedule, PlansAndResultsInDanish) {
    Plan logon;
    logon.kind = PlanKind::AtLogon;
    Plan other;
    other.kind = PlanKind::Other;
    struct Case {
        Plan plan;
        const char* text;
    } cases[] = {
        {Plan{}, "Aldrig"},
        {Daily(22, 0, false), "Hver dag kl. 22:00"},
        {Daily(7, 5), "Hver dag kl. 07:05, eller så snart det er muligt, hvis tidspunktet blev sprunget over"},
        {[] { Plan p = Weekly(2, 18, 30); p.runWhenMissed = false; return p; }(), "Hver onsdag kl. 18:30"},
        {[] { Plan p = Weekly(6, 9, 0); p.runWhenMissed = false; return p; }(), "Hver søndag kl. 09:00"},
        {logon, "Når du logger på"},
        {other, "Som sat op i Opgavestyring"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DescribePlan(c.plan), c.text);
    }
    EXPECT_STREQ(WeekdayName(0), "mandag");
    EXPECT_STREQ(WeekdayName(5), "lørdag");
    EXPECT_STREQ(WeekdayName(7), "");

    // The exit codes of tavrelc mean what the user guide says; the scheduler's own codes too.
    struct Result {
        uint32_t code;
        const char* start;
    } results[] = {
        {0, "Afsluttet."},
        {1, "Afsluttet, men en eller flere filer eller mapper kunne ikke kopieres"},
        {2, "Kunne ikke køre"},
        {3, "Stoppet"},
        {0x00041303, "Ikke kørt endnu."},
        {0x00041301, "Kører nu."},
        {0x80070002, "tavrelc.exe blev ikke fundet."},
        {0x8004131F, "Blev ikke startet, fordi den forrige kørsel stadig var i gang."},
        {4, "Ukendt resultat (kode 4)."},
        {0x80004005, "Ukendt resultat (kode 0x80004005)."},
    };
    for (const Result& r : results) {
        SCOPED_TRACE(r.code);
        EXPECT_TRUE(LastResultText(r.code).starts_with(r.start)) << LastResultText(r.code);
    }

    TaskState state;
    EXPECT_EQ(DescribeLastRun(state), "Ikke kørt endnu.");
    state.lastResult = 0x00041303;
    EXPECT_EQ(DescribeLastRun(state), "Ikke kørt endnu.");
    state.lastRun = LocalTime{2026, 12, 8, 22, 0, 4};
    state.lastResult = 1;
    EXPECT_EQ(DescribeLastRun(state), "Sidst kørt: 08-12-2026 kl. 22:00. " + LastResultText(1));
    state.lastResult.reset();
    EXPECT_EQ(DescribeLastRun(state), "Sidst kørt: 08-12-2026 kl. 22:00.");
    state.lastRun.reset();
    state.lastResult = 3;
    EXPECT_EQ(DescribeLastRun(state), "Seneste resultat: " + LastResultText(3));
}

TEST(ScheduleDialog, TheFormEnablesWhatTheOptionUses) {
    struct Case {
        PlanKind kind;
        bool time, weekday, missed;
    } cases[] = {
        {PlanKind::Never, false, false, false},
        {PlanKind::Daily, true, false, true},
        {PlanKind::Weekly, true, true, true},
        {PlanKind::AtLogon, false, false, false},
        {PlanKind::Other, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        PlanFormEnabled e = EnabledFor(c.kind);
        EXPECT_EQ(e.time, c.time);
        EXPECT_EQ(e.weekday, c.weekday);
        EXPECT_EQ(e.runWhenMissed, c.missed);
    }
}

TEST(ScheduleDialog, FormToPlanAndBack) {
    PlanForm form = FormFor(Plan{});
    EXPECT_EQ(form.kind, PlanKind::Never);
    EXPECT_EQ(form.timeText, "22:00");
    EXPECT_TRUE(form.runWhenMissed);

    form = FormFor(Weekly(3, 6, 5));
    EXPECT_EQ(form.timeText, "06:05");
    EXPECT_EQ(form.weekday, 3);
    auto plan = ReadForm(form);
    ASSERT_TRUE(std::holds_alternative<Plan>(plan));
    EXPECT_EQ(std::get<Plan>(plan), Weekly(3, 6, 5));

    // A time that is no time of day is refused for the time plans only.
    form.timeText = "25:00";
    auto refused = ReadForm(form);
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_EQ(std::get<std::string>(refused),
              "\"25:00\" er ikke et klokkeslæt. Skriv tidspunktet som TT:MM, for eksempel 22:00.");
    form.kind = PlanKind::Daily;
    EXPECT_TRUE(std::holds_alternative<std::string>(ReadForm(form)));
    form.kind = PlanKind::AtLogon;
    ASSERT_TRUE(std::holds_alternative<Plan>(ReadForm(form)));
    EXPECT_EQ(std::get<Plan>(ReadForm(form)).kind, PlanKind::AtLogon);
    form.kind = PlanKind::Never;
    EXPECT_EQ(std::get<Plan>(ReadForm(form)).kind, PlanKind::Never);
    // A task changed in the Task Scheduler shows no option; OK needs one chosen.
    form.kind = PlanKind::Other;
    EXPECT_EQ(std::get<std::string>(ReadForm(form)), "Vælg, hvornår jobbet skal køre.");
    form = FormFor(Weekly(3, 6, 5));
    form.weekday = 9;
    EXPECT_EQ(std::get<std::string>(ReadForm(form)), "Vælg en ugedag.");
}

TEST(ScheduleTasks, CreateReadUpdateRemove) {
    SimTaskScheduler scheduler;
    PlanStatus status = ReadPlan(scheduler, kJob, kProgram);
    EXPECT_FALSE(status.hasTask);
    EXPECT_EQ(status.plan.kind, PlanKind::Never);
    EXPECT_EQ(status.error, "");

    EXPECT_FALSE(ApplyPlan(scheduler, kJob, kProgram, Daily(22, 0)));
    EXPECT_TRUE(scheduler.FolderExists("Ambrex Tavrel"));
    const TaskState* task = scheduler.Find("Ambrex Tavrel", TaskNameFor(kJob));
    ASSERT_TRUE(task);
    EXPECT_EQ(task->definition.arguments, "\"C:\\Users\\Anna\\Documents\\Min backup.tvj\" /R /J");

    status = ReadPlan(scheduler, kJob, kProgram);
    EXPECT_TRUE(status.hasTask);
    EXPECT_TRUE(status.actionCurrent);
    EXPECT_EQ(status.plan, Daily(22, 0));
    EXPECT_EQ(status.lastRun, "Ikke kørt endnu.");

    // The scheduler ran it; an update keeps what it knows of the run.
    TaskState ran = *task;
    ran.lastRun = LocalTime{2026, 12, 8, 22, 0, 1};
    ran.lastResult = 1;
    scheduler.Put("Ambrex Tavrel", TaskNameFor(kJob), ran);
    EXPECT_FALSE(ApplyPlan(scheduler, kJob, kProgram, Weekly(5, 10, 15)));
    status = ReadPlan(scheduler, kJob, kProgram);
    EXPECT_EQ(status.plan, Weekly(5, 10, 15));
    EXPECT_EQ(status.lastRun, "Sidst kørt: 08-12-2026 kl. 22:00. " + LastResultText(1));
    EXPECT_EQ(scheduler.TaskCount(), 1u);

    // The same job under another spelling of its path is the same task; another job is another.
    EXPECT_FALSE(ApplyPlan(scheduler, "c:\\users\\anna\\documents\\MIN BACKUP.TVJ", kProgram, Daily(1, 0)));
    EXPECT_EQ(scheduler.TaskCount(), 1u);
    EXPECT_FALSE(ApplyPlan(scheduler, "D:\\Min backup.tvj", kProgram, Daily(2, 0)));
    EXPECT_EQ(scheduler.TaskCount(), 2u);

    // Aldrig removes it, and removing what is not there is no failure.
    EXPECT_FALSE(ApplyPlan(scheduler, kJob, kProgram, Plan{}));
    EXPECT_FALSE(ApplyPlan(scheduler, kJob, kProgram, Plan{}));
    EXPECT_EQ(scheduler.TaskCount(), 1u);
    EXPECT_FALSE(ReadPlan(scheduler, kJob, kProgram).hasTask);
}

TEST(ScheduleTasks, ATaskOfAnotherInstallationIsShownAsNotCurrent) {
    SimTaskScheduler scheduler;
    TaskState old;
    old.definition = TaskFor(Daily(22, 0), kJob, "D:\\Gammel\\Tavrel\\");
    scheduler.Put(kTaskFolder, TaskNameFor(kJob), old);
    PlanStatus status = ReadPlan(scheduler, kJob, kProgram);
    EXPECT_TRUE(status.hasTask);
    EXPECT_FALSE(status.actionCurrent);
    EXPECT_EQ(status.plan, Daily(22, 0));
    // OK writes the action anew.
    EXPECT_FALSE(ApplyPlan(scheduler, kJob, kProgram, status.plan));
    EXPECT_TRUE(ReadPlan(scheduler, kJob, kProgram).actionCurrent);
    // A plan changed in the Task Scheduler is left as it is when the dialog keeps it.
    TaskState changed = *scheduler.Find(kTaskFolder, TaskNameFor(kJob));
    changed.definition.trigger = TaskTrigger::Other;
    scheduler.Put(kTaskFolder, TaskNameFor(kJob), changed);
    status = ReadPlan(scheduler, kJob, kProgram);
    EXPECT_EQ(status.plan.kind, PlanKind::Other);
    const int sets = scheduler.sets;
    EXPECT_FALSE(ApplyPlan(scheduler, kJob, kProgram, status.plan));
    EXPECT_EQ(scheduler.sets, sets);
    EXPECT_EQ(scheduler.Find(kTaskFolder, TaskNameFor(kJob))->definition.trigger, TaskTrigger::Other);
}

TEST(ScheduleTasks, FailuresAreDanishMessages) {
    SimTaskScheduler scheduler;
    struct Case {
        const char* what;
        std::string job;
        Plan plan;
        const char* message;
    } refused[] = {
        {"untitled", "", Daily(22, 0), "Jobbet skal gemmes, før det kan planlægges."},
        {"relative path", "Min backup.tvj", Daily(22, 0),
         "Jobbet kan kun planlægges, når det er gemt med en fuld sti (for eksempel C:\\Backup\\Job.tvj): Min backup.tvj"},
        {"no time of day", kJob, Daily(24, 0), "Tidspunktet er ikke et klokkeslæt."},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        auto error = ApplyPlan(scheduler, c.job, kProgram, c.plan);
        ASSERT_TRUE(error);
        EXPECT_EQ(*error, c.message);
    }
    EXPECT_EQ(scheduler.sets + scheduler.removes, 0);

    scheduler.failWrites = true;
    auto error = ApplyPlan(scheduler, kJob, kProgram, Daily(22, 0));
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "Planen kunne ikke gemmes i Opgavestyring: Adgang nægtet.");
    error = ApplyPlan(scheduler, kJob, kProgram, Plan{});
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "Planen kunne ikke fjernes i Opgavestyring: Adgang nægtet.");

    scheduler.unavailable = true;
    PlanStatus status = ReadPlan(scheduler, kJob, kProgram);
    EXPECT_TRUE(status.error.starts_with(
        "Opgavestyring (Task Scheduler) er ikke tilgængelig på denne computer, så jobbet kan ikke planlægges herfra."))
        << status.error;
    EXPECT_FALSE(status.hasTask);
    error = ApplyPlan(scheduler, kJob, kProgram, Daily(22, 0));
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->starts_with("Opgavestyring (Task Scheduler) er ikke tilgængelig"));
}

TEST(ScheduleTasks, ASchedulerThatKeepsLessThanItWasGivenIsReported) {
    SimTaskScheduler scheduler;
    scheduler.likeWine = true;
    // The daily task is taken but kept without trigger and command: it would never run.
    auto error = ApplyPlan(scheduler, kJob, kProgram, Daily(22, 0));
    ASSERT_TRUE(error);
    EXPECT_EQ(*error,
              "Opgavestyring på denne computer gemte ikke hele planen (tidspunktet eller kommandoen mangler), så "
              "jobbet er ikke planlagt. Opret opgaven i Opgavestyring selv, som vejledningen beskriver.");
    EXPECT_EQ(scheduler.TaskCount(), 0u);
    // Kinds of trigger it does not have are refused in plain words.
    Plan logon;
    logon.kind = PlanKind::AtLogon;
    for (const Plan& plan : {Weekly(1, 22, 0), logon}) {
        SCOPED_TRACE(DescribePlan(plan));
        error = ApplyPlan(scheduler, kJob, kProgram, plan);
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->starts_with("Opgavestyring på denne computer kan ikke planlægge jobbet sådan."))
            << *error;
        EXPECT_EQ(scheduler.TaskCount(), 0u);
    }
    // A task that lost its trigger shows as set up elsewhere, and as not running this job.
    TaskState kept;
    kept.definition.trigger = TaskTrigger::Other;
    scheduler.Put(kTaskFolder, TaskNameFor(kJob), kept);
    PlanStatus status = ReadPlan(scheduler, kJob, kProgram);
    EXPECT_EQ(status.plan.kind, PlanKind::Other);
    EXPECT_FALSE(status.actionCurrent);
    EXPECT_EQ(status.lastRun, "Ikke kørt endnu.");
}
