#include "core/RunGuard.h"

namespace tavrel {

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

bool WaitsForRun(JobCommand command, const JobController& job) {
    switch (command) {
    case JobCommand::Save: return job.JobFileName().empty();
    case JobCommand::Open:
    case JobCommand::Close:
    case JobCommand::Recent:
    case JobCommand::SaveAs:
    case JobCommand::Plan:
    case JobCommand::Refresh:
    case JobCommand::FloppyDrives: return true;
    }
    return true;
}

}  // namespace tavrel
