// TStatus, the progress window: created hidden once, reused by every run, modeless and on top.
// It is the run's progress view; the main window hosts the run (the status bar, the timer, the
// busy cursor and the message pump) and runs what the buttons ask for.
#pragma once

#include <functional>
#include <string>

#include "controls/Button.h"
#include "controls/TextBar.h"
#include "controls/Window.h"
#include "core/RunView.h"
#include "forms/Panel.h"
#include "forms/StatusAnimation.h"

namespace tavrel {

class TStatus : public Dialog, public IProgressView {
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

    // IProgressView
    void SetCaption(const std::string& text) override;
    void SetMarkedGroupVisible(bool visible) override;
    void SetCopiedGroupCaption(const std::string& text) override;
    void SetCancelCaption(const std::string& text) override;
    void SetFinishButtonsVisible(bool visible) override;
    void ShowProgress() override;
    // The search clip lies 16 down, reaching under lblMappe; the others at the top.
    void PlayAnimation(RunClip clip) override;
    void StopAnimation() override;
    void SetCounts(const std::string& examinedFiles, const std::string& examinedSize,
                   const std::string& copiedFiles, const std::string& copiedSize) override;
    void SetElapsed(const std::string& text) override;
    // The folder or file at hand. A run meets thousands a second, and painting each took
    // longer than copying it: a name is painted at once after a pause of kFolderTextInterval,
    // else by a timer when the interval is over; an empty text is painted at once.
    void SetFolderText(const std::string& text) override;

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
    bool OnTimer(UINT_PTR id) override;

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wp, LPARAM lp);
    void FormCreate();
    void cmdAnnullerClick() { FormCloseQuery(); }
    void cmdKopierClick();
    void cmdUdeladteClick();
    void FlushFolderText();

    HHOOK cbtHook_ = nullptr;
    std::string pendingFolderText_;
    DWORD lastFolderPaint_ = 0;
    bool folderTimerSet_ = false;
};

}  // namespace tavrel
