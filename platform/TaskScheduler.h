// The Windows Task Scheduler as core/ sees it: one task at a time, in a task folder under the
// root, for the current user. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/System.h"

namespace tavrel {

enum class TaskTrigger {
    Daily,   // every day at hour:minute
    Weekly,  // every week on weekday at hour:minute
    Logon,   // when the user logs on
    Other,   // read back only: a trigger (or several) that the program does not set itself
};

struct TaskDefinition {
    TaskTrigger trigger = TaskTrigger::Daily;
    int hour = 0;
    int minute = 0;
    int weekday = 0;                  // 0 Monday .. 6 Sunday
    bool startWhenAvailable = false;  // run as soon as possible after a missed start
    std::string program;              // the full path of the program to start
    std::string arguments;
    std::string workingFolder;
    std::string description;
};

struct TaskState {
    TaskDefinition definition;
    bool enabled = true;
    std::optional<LocalTime> lastRun;      // nothing when it has not run (or the system will not say)
    std::optional<uint32_t> lastResult;    // the exit code or the scheduler's own result code
};

// Why an operation failed. unavailable: the Task Scheduler cannot be reached at all (the
// service is off, the system has none); the caller says so in plain words instead of code.
struct TaskError {
    uint32_t code = 0;
    std::string text;  // the system's text for the code, or what step failed
    bool unavailable = false;
};

enum class TaskLookup { Found, Missing, Failed };

class ITaskScheduler {
public:
    virtual ~ITaskScheduler() = default;
    // folder is a name under the root ("Ambrex Tavrel"), name the task's name in it.
    virtual TaskLookup GetTask(const std::string& folder, const std::string& name, TaskState& state,
                               TaskError& error) = 0;
    // Creates the folder when it is missing, and creates the task or replaces its definition,
    // to run as the current user while that user is logged on.
    virtual bool SetTask(const std::string& folder, const std::string& name, const TaskDefinition& definition,
                         TaskError& error) = 0;
    // True also when there was no such task.
    virtual bool RemoveTask(const std::string& folder, const std::string& name, TaskError& error) = 0;
};

}  // namespace tavrel
