// Planlæg... from the main window over the simulation: the job saved first after the usual
// question, the dialog filled from the Task Scheduler, and what OK does in each case.
#include "core/PlanJob.h"

#include <gtest/gtest.h>

#include <deque>

#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "platform/sim/SimTaskScheduler.h"
#include "tests/native/support/RunFixture.h"

using namespace tavrel;

namespace {

const char* kProgram = "C:\\Programmer\\Ambrex Tavrel\\";
const char* kJob = "C:\\Jobs\\Drev_C.tvj";
const char* kFolder = "Ambrex Tavrel";
const char* kSaveQuestion =
    "Jobbet skal gemmes, før det kan planlægges.\r\n\r\nØnsker du at gemme det aktuelle job?";

class FakeView : public NullJobView {
public:
    std::deque<std::optional<std::string>> saveAnswers;
    int saveAsked = 0;
    std::optional<std::string> AskSaveJobFile(const std::string&) override {
        ++saveAsked;
        if (saveAnswers.empty()) return std::nullopt;
        auto answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
};

// The dialog as a user works it: each OK sends the next form; the dialog ends when OK lets it
// close or when the forms run out (Annuller).
class FakePlanDialog : public IPlanDialog {
public:
    std::deque<PlanForm> presses;
    int shows = 0;
    std::string shownName;
    PlanForm shownForm;
    std::string shownStatus;
    std::vector<PlanRefusal> refusals;
    bool closedByOK = false;

    void ShowPlan(const std::string& jobName, const PlanForm& form, const std::string& status,
                  const PlanOK& ok) override {
        ++shows;
        shownName = jobName;
        shownForm = form;
        shownStatus = status;
        while (!presses.empty()) {
            PlanForm pressed = presses.front();
            presses.pop_front();
            auto refusal = ok(pressed);
            if (!refusal) {
                closedByOK = true;
                return;
            }
            refusals.push_back(*refusal);
        }
    }
};

PlanForm Form(PlanKind kind, const std::string& time = "22:00", int weekday = 0, bool missed = true) {
    return PlanForm{kind, time, weekday, missed};
}

struct PlanRig {
    SimFileSystem fs;
    SimSettingsStore store;
    AppSettings settings{store};
    SimMessageBox messages;
    FakeView view;
    test::FakeJobTree tree;
    JobController job{JobControllerDeps{fs, settings, messages, view, tree, nullptr, kProgram}};
    SimTaskScheduler scheduler;
    FakePlanDialog dialog;

    PlanRig() {
        settings.Open();
        fs.AddDrive('C');
        fs.AddFolder("C:\\Jobs\\");
    }

    // A job saved under kJob, as after Åbn.
    void SavedJob() {
        view.saveAnswers.push_back(kJob);
        ASSERT_TRUE(job.SaveAs());
        messages.shown.clear();
        view.saveAsked = 0;
    }

    bool Plan() { return PlanJob(job, scheduler, dialog, kProgram); }

    const TaskState* Task() const { return scheduler.Find(kFolder, TaskNameFor(kJob)); }
};

}  // namespace

TEST(PlanJob, AJobIsSavedFirstOrNothingIsPlanned) {
    struct Case {
        const char* name;
        bool titled;            // saved under kJob before
        bool modified;
        bool fileGone;          // the job's file was deleted since
        MsgResult answer;       // to the save question
        std::optional<std::string> saveAs;  // the save dialog's answer
        bool failWrite;
        bool asked;             // the question was put
        bool planned;           // the dialog was shown
    };
    const Case cases[] = {
        {"saved and unchanged", true, false, false, MsgResult::Yes, {}, false, false, true},
        {"untitled, No", false, false, false, MsgResult::No, {}, false, true, false},
        {"untitled, save dialog cancelled", false, false, false, MsgResult::Yes, std::nullopt, false, true, false},
        {"untitled, saved", false, false, false, MsgResult::Yes, std::string(kJob), false, true, true},
        {"modified, No", true, true, false, MsgResult::No, {}, false, true, false},
        {"modified, Yes", true, true, false, MsgResult::Yes, {}, false, true, true},
        {"modified, the write fails", true, true, false, MsgResult::Yes, {}, true, true, false},
        {"its file was deleted", true, false, true, MsgResult::Yes, {}, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlanRig t;
        if (c.titled) t.SavedJob();
        if (c.modified) t.job.SetDescription("Ændret");
        if (c.fileGone) t.fs.Remove(kJob);
        if (c.failWrite) t.fs.InjectFailure(SimOp::WriteFile, "C:\\Jobs\\", 5);
        t.messages.Answer(c.answer);
        if (!c.titled) t.view.saveAnswers.push_back(c.saveAs);
        t.dialog.presses.push_back(Form(PlanKind::Daily, "02:30"));

        EXPECT_EQ(t.Plan(), c.planned);
        const bool asked = !t.messages.shown.empty() && t.messages.shown.front().text == kSaveQuestion;
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(t.dialog.shows, c.planned ? 1 : 0);
        EXPECT_EQ(t.Task() != nullptr, c.planned);
        EXPECT_EQ(t.scheduler.sets, c.planned ? 1 : 0);
        if (c.planned) {
            EXPECT_EQ(t.dialog.shownName, "Drev_C");
            EXPECT_FALSE(t.job.Modified());
            EXPECT_TRUE(t.fs.Exists(kJob));
            EXPECT_EQ(t.job.JobFileName(), kJob);
        }
        if (c.failWrite) EXPECT_TRUE(t.job.Modified());
    }
}

TEST(PlanJob, OKPlansDailyAndTheDialogShowsItWhenOpenedAgain) {
    PlanRig t;
    t.SavedJob();
    t.dialog.presses.push_back(Form(PlanKind::Daily, "2.30", 0, true));
    ASSERT_TRUE(t.Plan());
    EXPECT_EQ(t.dialog.shownStatus, "Jobbet er ikke planlagt.");
    EXPECT_EQ(t.dialog.shownForm.kind, PlanKind::Never);
    EXPECT_TRUE(t.dialog.closedByOK);
    ASSERT_TRUE(t.Task());
    EXPECT_EQ(t.Task()->definition.trigger, TaskTrigger::Daily);
    EXPECT_EQ(t.Task()->definition.hour, 2);
    EXPECT_EQ(t.Task()->definition.minute, 30);
    EXPECT_TRUE(t.Task()->definition.startWhenAvailable);
    EXPECT_EQ(t.Task()->definition.program, "C:\\Programmer\\Ambrex Tavrel\\tavrelc.exe");
    EXPECT_EQ(t.Task()->definition.arguments, "\"C:\\Jobs\\Drev_C.tvj\" /R /J");

    // Opened again: the plan as the task holds it, and its last run.
    TaskState ran = *t.Task();
    ran.lastRun = LocalTime{2026, 12, 9, 2, 30, 4};
    ran.lastResult = 1;
    t.scheduler.Put(kFolder, TaskNameFor(kJob), ran);
    t.dialog = FakePlanDialog{};
    ASSERT_TRUE(t.Plan());
    EXPECT_EQ(t.dialog.shownForm.kind, PlanKind::Daily);
    EXPECT_EQ(t.dialog.shownForm.timeText, "02:30");
    EXPECT_TRUE(t.dialog.shownForm.runWhenMissed);
    EXPECT_EQ(t.dialog.shownStatus,
              "Planlagt: Hver dag kl. 02:30, eller så snart det er muligt, hvis tidspunktet blev sprunget over.\r\n"
              "Sidst kørt: 09-12-2026 kl. 02:30. " + LastResultText(1));
    EXPECT_TRUE(t.messages.shown.empty());
}

TEST(PlanJob, WhatOKDoesInEachCase) {
    struct Case {
        const char* name;
        PlanForm form;
        bool likeWine = false;
        bool unavailable = false;
        bool existing = true;  // a daily task at 22:00 is there when the dialog opens
        // Expected:
        bool closes = true;
        const char* message = "";  // the start of the refusal's message
        std::optional<TaskTrigger> trigger;  // the task afterwards; nothing: no task
        const char* status = "";   // the refusal's status text
    };
    const Case cases[] = {
        {"weekly on a Friday", Form(PlanKind::Weekly, "07:05", 4, false), false, false, true, true, "",
         TaskTrigger::Weekly},
        {"at logon", Form(PlanKind::AtLogon, "xx"), false, false, true, true, "", TaskTrigger::Logon},
        {"Aldrig removes the task", Form(PlanKind::Never, "xx"), false, false, true, true, "", std::nullopt},
        {"Aldrig without a task", Form(PlanKind::Never), false, false, false, true, "", std::nullopt},
        {"no choice made leaves the task", Form(PlanKind::Other, ""), false, false, true, true, "",
         TaskTrigger::Daily},
        {"a time that is no time", Form(PlanKind::Daily, "25:00"), false, false, true, false,
         "\"25:00\" er ikke et klokkeslæt.", TaskTrigger::Daily,
         "Planlagt: Hver dag kl. 22:00, eller så snart det er muligt, hvis tidspunktet blev sprunget over."},
        {"an empty time", Form(PlanKind::Weekly, ""), false, false, false, false, "\"\" er ikke et klokkeslæt.",
         std::nullopt, "Jobbet er ikke planlagt."},
        {"a Task Scheduler that keeps less", Form(PlanKind::Daily, "02:30"), true, false, false, false,
         "Opgavestyring på denne computer gemte ikke hele planen", std::nullopt, "Jobbet er ikke planlagt."},
        {"one without weekly triggers", Form(PlanKind::Weekly, "02:30", 1), true, false, false, false,
         "Opgavestyring på denne computer kan ikke planlægge jobbet sådan.", std::nullopt,
         "Jobbet er ikke planlagt."},
        {"no Task Scheduler", Form(PlanKind::Daily, "02:30"), false, true, false, false,
         "Opgavestyring (Task Scheduler) er ikke tilgængelig", std::nullopt,
         "Opgavestyring (Task Scheduler) er ikke tilgængelig"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlanRig t;
        t.SavedJob();
        if (c.existing) ASSERT_FALSE(ApplyPlan(t.scheduler, kJob, kProgram, Plan{PlanKind::Daily, 22, 0, 0, true}));
        t.scheduler.likeWine = c.likeWine;
        t.scheduler.unavailable = c.unavailable;
        t.dialog.presses.push_back(c.form);
        ASSERT_TRUE(t.Plan());
        EXPECT_EQ(t.dialog.closedByOK, c.closes);
        if (c.closes) {
            EXPECT_TRUE(t.dialog.refusals.empty());
        } else {
            ASSERT_EQ(t.dialog.refusals.size(), 1u);
            EXPECT_TRUE(t.dialog.refusals[0].message.starts_with(c.message)) << t.dialog.refusals[0].message;
            EXPECT_TRUE(t.dialog.refusals[0].status.starts_with(c.status)) << t.dialog.refusals[0].status;
        }
        t.scheduler.unavailable = false;
        const TaskState* task = t.Task();
        EXPECT_EQ(task != nullptr, c.trigger.has_value());
        if (task && c.trigger) {
            EXPECT_EQ(task->definition.trigger, *c.trigger);
            if (*c.trigger == TaskTrigger::Weekly) {
                EXPECT_EQ(task->definition.weekday, 4);
                EXPECT_EQ(task->definition.hour, 7);
                EXPECT_EQ(task->definition.minute, 5);
                EXPECT_FALSE(task->definition.startWhenAvailable);
            }
        }
    }
}

TEST(PlanJob, ARefusedOKKeepsTheDialogOpenForTheNextTry) {
    PlanRig t;
    t.SavedJob();
    t.dialog.presses = {Form(PlanKind::Daily, "24:00"), Form(PlanKind::Daily, "kl. 3"), Form(PlanKind::Daily, "23:59")};
    ASSERT_TRUE(t.Plan());
    EXPECT_EQ(t.dialog.refusals.size(), 2u);
    EXPECT_TRUE(t.dialog.closedByOK);
    ASSERT_TRUE(t.Task());
    EXPECT_EQ(t.Task()->definition.hour, 23);
    EXPECT_EQ(t.Task()->definition.minute, 59);
}

TEST(PlanStatusText, WhatTheDialogSaysBelowTheChoices) {
    struct Case {
        const char* name;
        PlanStatus status;
        const char* text;
    };
    PlanStatus logon{.plan = Plan{PlanKind::AtLogon}, .hasTask = true, .lastRun = "Ikke kørt endnu."};
    PlanStatus other{
        .plan = Plan{PlanKind::Other}, .hasTask = true, .actionCurrent = false, .lastRun = "Ikke kørt endnu."};
    const Case cases[] = {
        {"no task", PlanStatus{}, "Jobbet er ikke planlagt."},
        {"at logon", logon, "Planlagt: Når du logger på.\r\nIkke kørt endnu."},
        {"changed elsewhere", other,
         "Planlagt: Som sat op i Opgavestyring.\r\nIkke kørt endnu.\r\nOpgaven i Opgavestyring starter ikke dette job "
         "med denne installations tavrelc.exe. Vælg en plan, og tryk på OK for at rette den."},
        {"the scheduler failed", PlanStatus{.hasTask = true, .error = "Planen kunne ikke læses."},
         "Planen kunne ikke læses."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlanStatusText(c.status), c.text);
    }
}
