// ITaskScheduler over the Task Scheduler's COM interface (ITaskService): tasks in a folder
// under the root, for the current user with an interactive token (the task runs while the
// user is logged on, and no password is stored). No schtasks child process.
#pragma once

#include "platform/TaskScheduler.h"

namespace tavrel {

class Win32TaskScheduler : public ITaskScheduler {
public:
    TaskLookup GetTask(const std::string& folder, const std::string& name, TaskState& state,
                       TaskError& error) override;
    bool SetTask(const std::string& folder, const std::string& name, const TaskDefinition& definition,
                 TaskError& error) override;
    bool RemoveTask(const std::string& folder, const std::string& name, TaskError& error) override;

    // The user a logon trigger waits for: "DOMAIN\user" as the system names the current user.
    static std::string CurrentUser();
};

}  // namespace tavrel
