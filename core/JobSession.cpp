#include "core/JobSession.h"

#include "core/Abort.h"
#include "core/MemoryTreeView.h"

namespace tavrel {

struct JobSession::MemoryTree {
    MemoryTree(IFileSystem& fs, IShellInfo& shell, IBusyCursor* cursor) : model(view, fs, shell, cursor) {}
    MemoryTreeView view;
    DirTreeModel model;
};

JobSession::JobSession(const JobSessionDeps& deps, ITreeView& tree, DirTreeModel& model)
    : JobSession(deps, nullptr, tree, model) {}

JobSession::JobSession(const JobSessionDeps& deps, IShellInfo& shell)
    : JobSession(deps, new MemoryTree(deps.fs, shell, deps.cursor)) {}

JobSession::JobSession(const JobSessionDeps& deps, MemoryTree* own) : JobSession(deps, own, own->view, own->model) {}

// The marks ask the job whether a mark takes its subfolders along, and tell it of a change;
// the job reads and sets the marks and the run walks the folders they give.
JobSession::JobSession(const JobSessionDeps& deps, MemoryTree* own, ITreeView& tree, DirTreeModel& model)
    : own_(own),
      model_(model),
      marking_(tree, model, [this] { return job_.Settings().includeSubfolders; }, [this] { job_.SetModified(); }),
      job_(JobControllerDeps{deps.fs, deps.settings, deps.messages, deps.jobView, marking_, deps.cursor,
                             deps.programFolder, deps.fileTypeOrder, deps.shell}),
      run_(CopyRunDeps{job_, deps.settings, deps.fs, deps.clock, deps.messages, deps.runHost, deps.progress,
                       deps.abort ? *deps.abort : AbortRequested, deps.program, deps.copyWorkers}) {}

JobSession::~JobSession() = default;

void JobSession::ReadDrives() {
    model_.ReadDrives();
    marking_.ClearAllMarks();
}

bool JobSession::OpenJob(const std::string& path) {
    marking_.ClearAllMarks();
    job_.SetJobFileName(path);
    return job_.LoadJob(path);
}

}  // namespace tavrel
