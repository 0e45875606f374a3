#include "platform/sim/SimTaskScheduler.h"

#include "base/Text.h"

namespace tavrel {

std::string SimTaskScheduler::Key(const std::string& folder, const std::string& name) {
    return FoldCase(folder) + "\\" + FoldCase(name);
}

bool SimTaskScheduler::Refused(TaskError& error, bool write) const {
    if (unavailable) {
        error = TaskError{0x80070422, "Tjenesten kan ikke startes, fordi den er deaktiveret.", true};
        return true;
    }
    if (write && failWrites) {
        error = TaskError{0x80070005, "Adgang nægtet.", false};
        return true;
    }
    return false;
}

TaskLookup SimTaskScheduler::GetTask(const std::string& folder, const std::string& name, TaskState& state,
                                     TaskError& error) {
    ++gets;
    if (Refused(error, false)) return TaskLookup::Failed;
    auto it = tasks_.find(Key(folder, name));
    if (it == tasks_.end()) return TaskLookup::Missing;
    state = it->second;
    return TaskLookup::Found;
}

bool SimTaskScheduler::SetTask(const std::string& folder, const std::string& name, const TaskDefinition& definition,
                               TaskError& error) {
    ++sets;
    if (Refused(error, true)) return false;
    if (likeWine && definition.trigger != TaskTrigger::Daily) {
        error = TaskError{0x80004001, "Not implemented.", false};
        return false;
    }
    folders_.insert(FoldCase(folder));
    // A new definition keeps the task's run information, as an update in the Task Scheduler does.
    TaskState& state = tasks_[Key(folder, name)];
    state.definition = definition;
    if (likeWine) {
        state.definition.trigger = TaskTrigger::Other;
        state.definition.program.clear();
        state.definition.arguments.clear();
        state.definition.workingFolder.clear();
    }
    state.enabled = true;
    return true;
}

bool SimTaskScheduler::RemoveTask(const std::string& folder, const std::string& name, TaskError& error) {
    ++removes;
    if (Refused(error, true)) return false;
    tasks_.erase(Key(folder, name));
    return true;
}

const TaskState* SimTaskScheduler::Find(const std::string& folder, const std::string& name) const {
    auto it = tasks_.find(Key(folder, name));
    return it == tasks_.end() ? nullptr : &it->second;
}

void SimTaskScheduler::Put(const std::string& folder, const std::string& name, const TaskState& state) {
    folders_.insert(FoldCase(folder));
    tasks_[Key(folder, name)] = state;
}

bool SimTaskScheduler::FolderExists(const std::string& folder) const { return folders_.count(FoldCase(folder)) != 0; }

}  // namespace tavrel
