#include "core/MainLogic.h"

#include "core/CmdLine.h"

namespace tavrel {

const char* const kTabNames[2] = {"Kopiering", "Filfiltrering"};

std::string OtherTabName(int shownTab) { return kTabNames[shownTab == 0 ? 1 : 0]; }

std::string RecentMenuCaption(int entry, const std::string& path) {
    std::string caption = "&" + std::to_string(entry) + ". ";
    for (char c : path) {
        if (c == '&') caption += '&';
        caption += c;
    }
    return caption;
}

void ShowRunError(IMessageBox& messages, const std::string& text) {
    messages.Show(text, kRunErrorCaption, MsgButtons::Ok, MsgIcon::Error);
}

void RunCommandLine(const std::vector<std::string>& parameters, const CommandLineDeps& deps) {
    if (parameters.empty()) return;
    const std::string& file = parameters[0];
    // The given path becomes the job's name at once, so a later Gem writes there.
    deps.job.SetJobFileName(file);
    if (!FileExists(deps.fs, file)) {
        ShowRunError(deps.messages, FileNotFoundMessage(file));
        return;
    }
    deps.tree.ClearAllMarks();
    deps.job.LoadJob(file);
    if (parameters.size() > 2) {
        ShowRunError(deps.messages, ParameterCountMessage(static_cast<int>(parameters.size())));
        return;
    }
    if (parameters.size() == 2) {
        std::optional<RunMode> mode = ParseRunCommand(parameters[1]);
        if (!mode) {
            ShowRunError(deps.messages, InvalidCommandMessage(parameters[1]));
            return;
        }
        // What the window holds after a failed load is part this job, part the one before it
        // (or the options of a version-1 file that ended early): running that could empty a
        // destination and stamp a copy that never was.
        if (deps.job.LoadHadErrors()) {
            ShowRunError(deps.messages, NotRunAfterLoadErrorsMessage(*mode));
            return;
        }
        if (deps.run) deps.run(*mode);
    }
}

bool RunGuard::Leave() {
    if (depth_ > 0) --depth_;
    return depth_ == 0 && closePending_;
}

bool RunGuard::Run(const std::function<void()>& run) {
    if (running_ || closing_) return false;
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};
    run();
    return true;
}

RunGuard::CloseAction RunGuard::RequestClose(std::atomic<bool>& abort) {
    if (closing_) return CloseAction::Ignore;
    if (running_) abort = true;
    if (running_ || depth_ > 0) {
        closePending_ = true;
        return CloseAction::Defer;
    }
    closePending_ = false;
    closing_ = true;
    return CloseAction::Close;
}

bool FormCloseQuery(JobController& job, AppSettings& settings, const WindowPlacement& placement, bool floppy) {
    if (!job.OfferToSave()) return false;
    settings.WriteStartValues(placement, job.JobToReopen(), floppy);
    settings.Close();
    return true;
}

bool WaitsForRun(JobCommand command, const JobController& job) {
    switch (command) {
    case JobCommand::Save: return job.JobFileName().empty();
    case JobCommand::Open:
    case JobCommand::Close:
    case JobCommand::Recent:
    case JobCommand::SaveAs:
    case JobCommand::Refresh:
    case JobCommand::FloppyDrives: return true;
    }
    return true;
}

bool LoadJobIfPresent(JobController& job, IFileSystem& fs, IJobView& view, const std::function<void()>& beforeLoad) {
    const std::string file = job.JobFileName();
    if (!file.empty() && FileExists(fs, file)) {
        if (beforeLoad) beforeLoad();
        job.LoadJob(file);
        return true;
    }
    view.SetCaption(JobCaption("Ikke navngivet"));
    return false;
}

void ReloadAfterRefresh(JobController& job, IJobTree& tree, IFileSystem& fs, IJobView& view) {
    tree.ClearAllMarks();
    LoadJobIfPresent(job, fs, view);
}

}  // namespace tavrel
