// Shared pieces of the engine tests: a progress view and host that record what a run showed, and a
// job tree whose marked folders the test sets directly.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/CopyRun.h"
#include "core/JobTree.h"

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
    void SetCaption(const std::string& text) override {
        caption = text;
        Log("caption:" + text);
    }
    void SetMarkedGroupVisible(bool visible) override { Log(visible ? "marked:shown" : "marked:hidden"); }
    void SetCopiedGroupCaption(const std::string& text) override {
        copiedGroup = text;
        Log("group:" + text);
    }
    void SetCancelCaption(const std::string& text) override {
        cancel = text;
        Log("cancel:" + text);
    }
    void SetFinishButtonsVisible(bool visible) override {
        finishButtons = visible;
        Log(visible ? "finish:shown" : "finish:hidden");
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
    void SetStatusText(const std::string& text) override {
        status = text;
        Log("status:" + text);
    }
    void SetTimerEnabled(bool enabled) override {
        timer = enabled;
        Log(enabled ? "timer:on" : "timer:off");
    }
    void SetBusyCursor(bool busy) override {
        cursorBusy = busy;
        Log(busy ? "busy:on" : "busy:off");
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

}  // namespace tavrel::test
