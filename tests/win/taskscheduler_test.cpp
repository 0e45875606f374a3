// The Task Scheduler through its COM interface: a task made, read back, changed and removed,
// and what the system's task store keeps of it on disk (system32\Tasks\<folder>\<name>). Wine
// keeps less than Windows; where the two differ the test says which it expects of each, so a
// Wine that learns more makes it fail and tells us.
#include "base/Path.h"
#include "base/Text.h"
#include "core/Schedule.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32TaskScheduler.h"
#include "platform/win32/WinText.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tavrel;

namespace {

bool OnWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::string TestDir() {
    const char* dir = std::getenv("TAVREL_TEST_DIR");
    return dir ? IncludeTrailingBackslash(dir) : std::string("C:\\");
}

const char* kFolder = "Ambrex Tavrel";

// The file in which the task store keeps a task: UTF-16 on Windows, UTF-8 under Wine.
std::string TaskFile(const std::string& name) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return FromWide(system) + "\\Tasks\\" + kFolder + "\\" + name;
}

std::optional<std::string> TaskXml(const std::string& name) {
    Win32FileSystem fs;
    std::string bytes;
    if (!fs.ReadWholeFile(TaskFile(name), bytes)) return std::nullopt;
    if (bytes.starts_with("\xFF\xFE"))
        return FromWide(std::wstring_view(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2));
    if (bytes.starts_with("\xEF\xBB\xBF")) return bytes.substr(3);
    return bytes;
}

TaskDefinition Definition(TaskTrigger trigger, const std::string& job) {
    Plan plan;
    plan.kind = trigger == TaskTrigger::Weekly ? PlanKind::Weekly
                : trigger == TaskTrigger::Logon ? PlanKind::AtLogon
                                                : PlanKind::Daily;
    plan.hour = 22;
    plan.minute = 5;
    plan.weekday = 2;
    return TaskFor(plan, job, "C:\\Program Files\\Ambrex Tavrel\\");
}

class TaskSchedulerTest : public ::testing::Test {
protected:
    void SetUp() override {
        TaskError error;
        ASSERT_TRUE(scheduler.RemoveTask(kFolder, name, error)) << error.text;
    }
    void TearDown() override {
        TaskError error;
        scheduler.RemoveTask(kFolder, name, error);
    }
    Win32TaskScheduler scheduler;
    const std::string job = TestDir() + "Min backup.tvj";
    const std::string name = TaskNameFor(job);
};

}  // namespace

TEST_F(TaskSchedulerTest, ATaskIsMadeReadBackChangedAndRemoved) {
    TaskState state;
    TaskError error;
    EXPECT_EQ(scheduler.GetTask(kFolder, name, state, error), TaskLookup::Missing) << error.text;
    EXPECT_EQ(scheduler.GetTask("Ambrex Tavrel findes ikke", name, state, error), TaskLookup::Missing);

    TaskDefinition daily = Definition(TaskTrigger::Daily, job);
    ASSERT_TRUE(scheduler.SetTask(kFolder, name, daily, error)) << error.text;

    // The task store on disk: the folder is made, and the task's file holds its settings.
    auto xml = TaskXml(name);
    ASSERT_TRUE(xml) << TaskFile(name);
    EXPECT_NE(xml->find("<StartWhenAvailable>true</StartWhenAvailable>"), std::string::npos) << *xml;
    EXPECT_NE(xml->find("<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"), std::string::npos);
    EXPECT_NE(xml->find("<Description>Ambrex Tavrel kopierer jobbet " + job + ".</Description>"), std::string::npos);
    EXPECT_NE(xml->find("<Author>Ambrex Tavrel</Author>"), std::string::npos);

    ASSERT_EQ(scheduler.GetTask(kFolder, name, state, error), TaskLookup::Found) << error.text;
    EXPECT_EQ(state.definition.description, daily.description);
    EXPECT_TRUE(state.definition.startWhenAvailable);
    EXPECT_TRUE(state.enabled);
    EXPECT_FALSE(state.lastRun);
    EXPECT_EQ(DescribeLastRun(state), "Ikke kørt endnu.");
    if (OnWine()) {
        // Wine's store keeps neither the trigger nor the command (nor the results of runs).
        EXPECT_EQ(xml->find("<Triggers>"), std::string::npos);
        EXPECT_EQ(xml->find("<Exec>"), std::string::npos);
        EXPECT_EQ(state.definition.trigger, TaskTrigger::Other);
        EXPECT_EQ(state.definition.program, "");
        EXPECT_FALSE(state.lastResult);
    } else {
        EXPECT_NE(xml->find("<CalendarTrigger>"), std::string::npos);
        EXPECT_NE(xml->find("<LogonType>InteractiveToken</LogonType>"), std::string::npos);
        EXPECT_EQ(state.definition.trigger, TaskTrigger::Daily);
        EXPECT_EQ(state.definition.hour, 22);
        EXPECT_EQ(state.definition.minute, 5);
        EXPECT_EQ(state.definition.program, daily.program);
        EXPECT_EQ(state.definition.arguments, "\"" + job + "\" /R /J");
        EXPECT_EQ(state.definition.workingFolder, daily.workingFolder);
    }

    // Changed: the same task takes the new definition.
    daily.startWhenAvailable = false;
    daily.description = "Ændret";
    ASSERT_TRUE(scheduler.SetTask(kFolder, name, daily, error)) << error.text;
    xml = TaskXml(name);
    ASSERT_TRUE(xml);
    EXPECT_NE(xml->find("<StartWhenAvailable>false</StartWhenAvailable>"), std::string::npos) << *xml;
    ASSERT_EQ(scheduler.GetTask(kFolder, name, state, error), TaskLookup::Found);
    EXPECT_FALSE(state.definition.startWhenAvailable);
    EXPECT_EQ(state.definition.description, "Ændret");

    // Removed, file and all; removing it again is no failure.
    EXPECT_TRUE(scheduler.RemoveTask(kFolder, name, error)) << error.text;
    EXPECT_FALSE(TaskXml(name));
    EXPECT_EQ(scheduler.GetTask(kFolder, name, state, error), TaskLookup::Missing);
    EXPECT_TRUE(scheduler.RemoveTask(kFolder, name, error)) << error.text;
}

TEST_F(TaskSchedulerTest, WeeklyAndLogonTriggers) {
    for (TaskTrigger trigger : {TaskTrigger::Weekly, TaskTrigger::Logon}) {
        SCOPED_TRACE(static_cast<int>(trigger));
        TaskError error;
        const bool set = scheduler.SetTask(kFolder, name, Definition(trigger, job), error);
        if (OnWine()) {
            // Wine makes daily triggers only.
            EXPECT_FALSE(set);
            EXPECT_EQ(error.code, 0x80004001u) << error.text;
            EXPECT_FALSE(error.unavailable);
            EXPECT_TRUE(TaskErrorMessage(error, "gemmes").starts_with("Opgavestyring på denne computer kan ikke"));
            continue;
        }
        ASSERT_TRUE(set) << error.text;
        TaskState state;
        ASSERT_EQ(scheduler.GetTask(kFolder, name, state, error), TaskLookup::Found);
        EXPECT_EQ(state.definition.trigger, trigger);
        if (trigger == TaskTrigger::Weekly) EXPECT_EQ(state.definition.weekday, 2);
    }
}

// The plan from the dialog on this system: planned on Windows; under Wine refused with a plain
// message, and nothing left behind in the store.
TEST_F(TaskSchedulerTest, APlanIsCarriedOutOrPlainlyRefused) {
    Plan plan;
    plan.kind = PlanKind::Daily;
    plan.hour = 6;
    plan.minute = 30;
    auto error = ApplyPlan(scheduler, job, "C:\\Program Files\\Ambrex Tavrel\\", plan);
    PlanStatus status = ReadPlan(scheduler, job, "C:\\Program Files\\Ambrex Tavrel\\");
    EXPECT_EQ(status.error, "");
    if (OnWine()) {
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->starts_with("Opgavestyring på denne computer gemte ikke hele planen")) << *error;
        EXPECT_FALSE(status.hasTask);
        EXPECT_FALSE(TaskXml(name));
    } else {
        EXPECT_FALSE(error) << *error;
        EXPECT_TRUE(status.hasTask);
        EXPECT_EQ(status.plan, plan);
        EXPECT_TRUE(status.actionCurrent);
    }
    EXPECT_FALSE(ApplyPlan(scheduler, job, "C:\\Program Files\\Ambrex Tavrel\\", Plan{}));
    EXPECT_FALSE(ReadPlan(scheduler, job, "C:\\").hasTask);
}

TEST(TaskSchedulerUser, TheCurrentUserHasAName) {
    const std::string user = Win32TaskScheduler::CurrentUser();
    EXPECT_FALSE(user.empty());
    EXPECT_NE(user.find('\\'), std::string::npos) << user;  // DOMAIN\user
}
