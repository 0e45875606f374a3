// TStatus, the progress window: created hidden once, reused by every run, modeless and on top.
// It shows the progress window's part of a run (IRunView); the main window adds the status
// bar, the timer, the busy cursor and the message pump, and runs what the buttons ask for.
#pragma once

#include <functional>
#include <string>

#include "controls/Button.h"
#include "controls/TextBar.h"
#include "controls/Window.h"
#include "core/CopyRun.h"
#include "forms/Panel.h"
#include "forms/StatusAnimation.h"

namespace tavrel {

class TStatus : public Dialog {
public:
    // Control ids; cmdAnnuller is the cancel button, so Esc presses it.
    enum : int {
        idAnnuller = IDCANCEL,
        idMarkeret = 200,
        idKopieret,
        idTid,
        idKopier,
        idUdeladte,
        idMappe,
        idAnimate,
    };

    TStatus();
    ~TStatus() override;

    // Creates the window hidden, with the owner above which it floats.
    bool Create(HWND owner);

    // The progress window's part of IRunView.
    void SetCaption(const std::string& text);
    void SetMarkedGroupVisible(bool visible);
    void SetCopiedGroupCaption(const std::string& text);
    void SetCancelCaption(const std::string& text);
    void SetFinishButtonsVisible(bool visible);
    void ShowProgress();
    void PlayAnimation(RunClip clip, int top);
    void StopAnimation();
    void SetCounts(const std::string& examinedFiles, const std::string& examinedSize,
                   const std::string& copiedFiles, const std::string& copiedSize);
    void SetElapsed(const std::string& text);
    void SetFolderText(const std::string& text);

    // What the buttons run in the main window: cmdKopierClick runs its cmdStartClick,
    // cmdUdeladteClick its mnuUdeladteClick. OnClosed follows every close of the window.
    std::function<void()> OnKopier;
    std::function<void()> OnUdeladte;
    std::function<void()> OnClosed;

    // Every way of closing the window ends here: it asks the run to stop and hides.
    void FormCloseQuery();

    // The controls, named as in the window's design.
    TPanel grpMarkeret, GroupBox1, grpKopieret, panMappe;
    TTextBar lblFilerIalt, lblKBIalt, lblTid, lblFilerK, lblKBK, lblMappe;
    TStatusAnimation Animate1;
    Button cmdAnnuller, cmdKopier, cmdUdeladte;

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override { cmdAnnullerClick(); }

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wp, LPARAM lp);
    void FormCreate();
    void cmdAnnullerClick() { FormCloseQuery(); }
    void cmdKopierClick();
    void cmdUdeladteClick();

    HHOOK cbtHook_ = nullptr;
};

}  // namespace tavrel
