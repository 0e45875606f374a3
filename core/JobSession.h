// The job engine as every caller uses it: the folder tree with its marks, the open job and the
// run, wired to each other once here. The main window gives it its tree view; tavrelc, the fuzz
// targets and the tests let it keep a tree in memory.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "core/AppSettings.h"
#include "core/CopyRun.h"
#include "core/DirTree.h"
#include "core/JobController.h"
#include "core/Marking.h"
#include "core/TreeView.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace tavrel {

struct JobSessionDeps {
    IFileSystem& fs;
    AppSettings& settings;
    IClock& clock;
    IMessageBox& messages;
    IJobView& jobView;
    IRunHost* runHost = nullptr;       // unset: a run without a window around it
    IProgressView* progress = nullptr;  // unset: nothing shown until CopyRun::SetProgressView
    IBusyCursor* cursor = nullptr;
    std::string programFolder;  // initial folder of the open and save dialogs
    TypeOrder fileTypeOrder = {};
    std::atomic<bool>* abort = nullptr;  // unset: AbortRequested
    RunProgram program = RunProgram::Tavrel;  // the program the job's history names
    IShell* shell = nullptr;  // the window's: opening a job tells of failed unattended runs
    int copyWorkers = 1;                 // the copies a run keeps in flight at once
};

class JobSession {
public:
    // Over the window's folder tree: its tree view and the model that fills it.
    JobSession(const JobSessionDeps& deps, ITreeView& tree, DirTreeModel& model);
    // Without a window: the folders in a tree kept in memory, named by the shell.
    JobSession(const JobSessionDeps& deps, IShellInfo& shell);
    ~JobSession();
    JobSession(const JobSession&) = delete;
    JobSession& operator=(const JobSession&) = delete;

    DirTreeModel& Model() { return model_; }
    FolderMarking& Marking() { return marking_; }
    JobController& Job() { return job_; }
    CopyRun& Run() { return run_; }

    // The drives are read anew, every node unmarked.
    void ReadDrives();
    // The job file becomes the open job: the marks are cleared and the file is loaded under its
    // name. False when a file could not be read (LoadJob).
    bool OpenJob(const std::string& path);

private:
    struct MemoryTree;
    JobSession(const JobSessionDeps& deps, MemoryTree* own);
    JobSession(const JobSessionDeps& deps, MemoryTree* own, ITreeView& tree, DirTreeModel& model);

    std::unique_ptr<MemoryTree> own_;  // the tree in memory, when there is no window
    DirTreeModel& model_;
    FolderMarking marking_;
    JobController job_;
    CopyRun run_;
};

}  // namespace tavrel
