// An in-memory Task Scheduler for tests: tasks by folder and name (letter case ignored, as
// the Task Scheduler does), failures on demand, and the run information a test sets.
#pragma once

#include "platform/TaskScheduler.h"

#include <map>
#include <set>
#include <string>

namespace tavrel {

class SimTaskScheduler : public ITaskScheduler {
public:
    TaskLookup GetTask(const std::string& folder, const std::string& name, TaskState& state,
                       TaskError& error) override;
    bool SetTask(const std::string& folder, const std::string& name, const TaskDefinition& definition,
                 TaskError& error) override;
    bool RemoveTask(const std::string& folder, const std::string& name, TaskError& error) override;

    // ---- For tests ----
    // A task as it stands, or nullptr.
    const TaskState* Find(const std::string& folder, const std::string& name) const;
    // Puts a task in place directly, as one made in the Task Scheduler itself would be.
    void Put(const std::string& folder, const std::string& name, const TaskState& state);
    size_t TaskCount() const { return tasks_.size(); }
    bool FolderExists(const std::string& folder) const;

    bool unavailable = false;     // every call fails as on a system without the service
    bool failWrites = false;      // SetTask and RemoveTask fail with access denied
    // As Wine's Task Scheduler: only daily triggers can be made (others fail with E_NOTIMPL),
    // and a task is kept without its trigger and its command.
    bool likeWine = false;
    int sets = 0, removes = 0, gets = 0;

private:
    static std::string Key(const std::string& folder, const std::string& name);
    bool Refused(TaskError& error, bool write) const;

    std::map<std::string, TaskState> tasks_;  // by folded "folder\name"
    std::set<std::string> folders_;  // folded folder names
};

}  // namespace tavrel
