// Shared pieces of the engine tests: a progress view and host that record what a run showed, a
// job tree whose marked folders the test sets directly, and the rig of a run over the simulation.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "core/AppSettings.h"
#include "core/CopyRules.h"
#include "core/CopyRun.h"
#include "core/JobController.h"
#include "core/JobTree.h"
#include "core/Report.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"

namespace tavrel::test {

class RecordingRunView : public IProgressView, public IRunHost {
public:
    void SetFolderText(const std::string& text) override {
        folderText = text;
        folderTexts.push_back(text);
    }
    void ProcessMessages() override {
        ++pumps;
        if (onPump) onPump(pumps);
    }
    void SetCaption(const std::string& text) override { Keep(caption, "caption:", text); }
    void SetMarkedGroupVisible(bool visible) override { Log(visible ? "marked:shown" : "marked:hidden"); }
    void SetCopiedGroupCaption(const std::string& text) override { Keep(copiedGroup, "group:", text); }
    void SetCancelCaption(const std::string& text) override { Keep(cancel, "cancel:", text); }
    void SetFinishButtonsVisible(bool visible) override {
        Keep(finishButtons, visible, "finish:shown", "finish:hidden");
    }
    void ShowProgress() override { Log("show"); }
    void PlayAnimation(RunClip clip) override {
        const char* names[] = {"search", "delete", "copy"};
        Log(std::string("play:") + names[static_cast<int>(clip)]);
    }
    void StopAnimation() override { Log("stop"); }
    void SetCounts(const std::string& a, const std::string& b, const std::string& c, const std::string& d) override {
        counts = {a, b, c, d};
    }
    void SetElapsed(const std::string& text) override { elapsed = text; }
    void SetStatusText(const std::string& text) override { Keep(status, "status:", text); }
    void SetTimerEnabled(bool enabled) override { Keep(timer, enabled, "timer:on", "timer:off"); }
    void SetBusyCursor(bool busy) override { Keep(cursorBusy, busy, "busy:on", "busy:off"); }

    // The value shown kept in its field, and the showing logged.
    void Keep(std::string& field, const char* tag, const std::string& text) {
        field = text;
        Log(tag + text);
    }
    void Keep(bool& field, bool value, const char* whenOn, const char* whenOff) {
        field = value;
        Log(value ? whenOn : whenOff);
    }
    void Log(const std::string& what) { log.push_back(what); }
    bool Logged(const std::string& what) const {
        for (const auto& l : log)
            if (l == what) return true;
        return false;
    }

    std::vector<std::string> log;
    std::string folderText, caption, copiedGroup, cancel, status, elapsed;
    std::vector<std::string> folderTexts;
    std::vector<std::string> counts;
    bool finishButtons = false, timer = false, cursorBusy = false;
    int pumps = 0;
    std::function<void(int)> onPump;
};

class FakeJobTree : public IJobTree {
public:
    void ClearAllMarks() override { marked.clear(); }
    bool MarkLoadedFolder(const std::string& folder) override {
        marked.push_back(folder);
        return true;
    }
    std::vector<std::string> CollectMarkedFolders() override {
        ++collects;
        return marked;
    }
    void CollapseAll() override {}
    void BeginUpdate() override {}
    void EndUpdate() override {}

    std::vector<std::string> marked;
    int collects = 0;
};

// A job and its run over the simulated disk, registry, clock and message boxes, the marked
// folders set by the test (tree.marked). The host records the run unless a test brings its
// own; a host that is also a progress view gets the progress too. The disk may be a
// simulation of the test's own making.
template <class JobView = NullJobView, class Host = RecordingRunView, class Disk = SimFileSystem>
struct RunRig {
    RunRig() : abort(ownAbort) {}
    explicit RunRig(std::atomic<bool>& abortFlag) : abort(abortFlag) {}
    // A run that keeps this many copies in flight.
    explicit RunRig(int copyWorkers) : abort(ownAbort), workers(copyWorkers) {}

    static IProgressView* ProgressOf(Host& host) {
        if constexpr (std::is_base_of_v<IProgressView, Host>)
            return &host;
        else
            return nullptr;
    }

    std::atomic<bool> ownAbort{false};
    std::atomic<bool>& abort;
    int workers = 1;
    Disk fs;
    SimSettingsStore store;
    AppSettings app{store};
    SimMessageBox messages;
    SimClock clock;
    JobView jobView;
    FakeJobTree tree;
    JobController job{JobControllerDeps{fs, app, messages, jobView, tree, nullptr, "C:\\Prog\\"}};
    Host view;
    CopyRun run{CopyRunDeps{job, app, fs, clock, messages, &view, ProgressOf(view), abort, RunProgram::Tavrel, workers}};
};

// The walk of one marked folder at a time, without a job: drives C: and D:, the settings, the
// report begun for C:\Jobs\Drev_C.tvj, the counts; the rules read `context`.
struct WalkRig {
    WalkRig() {
        fs.AddDrives("CD");
        skipped.Begin("C:\\Jobs\\Drev_C.tvj", "08-12-2026", "21:50:03");
    }
    // The report's lines below its head: the files left out, then the failures.
    std::vector<std::string> SkippedList() const {
        auto lines = skipped.Lines();
        return std::vector<std::string>(lines.begin() + 5, lines.end());
    }

    SimFileSystem fs;
    RecordingRunView view;
    SimMessageBox messages;
    JobSettings settings;
    SkippedFiles skipped;
    RunCounters counters;
    std::atomic<bool> abort{false};
    WalkContext context{fs, view, view, messages, settings, skipped, counters, abort, {}, {}};
    CopyRules rules{context};
};

}  // namespace tavrel::test
