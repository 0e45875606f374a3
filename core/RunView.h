// What a run shows and what it needs of the window it runs in. The progress window (TStatus)
// is the progress view; the main window, or the console runner, is the host. Every method does
// nothing unless a view overrides it, so each implements only what it shows.
#pragma once

#include <string>

namespace tavrel {

// The stock clips of the progress window's animation; the window places each itself.
enum class RunClip { SearchFile, DeleteFile, CopyFiles };

class IProgressView {
public:
    virtual ~IProgressView() = default;
    virtual void SetCaption(const std::string&) {}
    virtual void SetMarkedGroupVisible(bool) {}                 // grpMarkeret
    virtual void SetCopiedGroupCaption(const std::string&) {}  // grpKopieret
    virtual void SetCancelCaption(const std::string&) {}       // cmdAnnuller
    virtual void SetFinishButtonsVisible(bool) {}               // cmdKopier, cmdUdeladte
    virtual void ShowProgress() {}                              // shown when hidden
    virtual void PlayAnimation(RunClip) {}                      // Animate1
    virtual void StopAnimation() {}
    // lblFilerIalt, lblKBIalt, lblFilerK, lblKBK
    virtual void SetCounts(const std::string& /*examinedFiles*/, const std::string& /*examinedSize*/,
                           const std::string& /*copiedFiles*/, const std::string& /*copiedSize*/) {}
    virtual void SetElapsed(const std::string&) {}     // lblTid
    virtual void SetFolderText(const std::string&) {}  // lblMappe: the folder or file at hand
};

class IRunHost {
public:
    virtual ~IRunHost() = default;
    // Lets the window handle its pending messages, before each marked folder and each entry of
    // a walk; a click or key there may set AbortRequested, which the walk polls right after.
    virtual void ProcessMessages() {}
    virtual void SetStatusText(const std::string&) {}  // the main window's status bar
    // Timer1, which calls CopyRun::ShowCountsAndTime once a second while the run works.
    virtual void SetTimerEnabled(bool) {}
    // The hourglass over the job's controls and the tree, from the start of the work to its end.
    virtual void SetBusyCursor(bool) {}
};

}  // namespace tavrel
