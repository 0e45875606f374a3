// TfrmCopyMain, the main window: the folder tree, the job's options on two tabs, the menus and
// the status bar. The job itself lives in JobController and the marks in FolderMarking; the
// window shows them (IJobView), and each control's event (cmdStart.onClick...) calls on them.
// Runs go through CopyRun, shown in the progress window TStatus. The controls' texts and places
// are in forms/CopyMainDesign.h.
#pragma once

#include "platform/win32/WinText.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <commctrl.h>

#include "controls/BrowseDr.h"
#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/DirTreeT.h"
#include "controls/Edit.h"
#include "controls/Label.h"
#include "controls/ListBox.h"
#include "controls/Menu.h"
#include "controls/StatusBar.h"
#include "controls/TabControl.h"
#include "controls/TextBar.h"
#include "controls/Window.h"
#include "core/AppSettings.h"
#include "core/CmdLine.h"
#include "core/CopyRun.h"
#include "core/JobController.h"
#include "core/JobSession.h"
#include "core/MainMenu.h"
#include "core/RunGuard.h"
#include "core/Marking.h"
#include "forms/CopyMainDesign.h"
#include "forms/Panel.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32System.h"

namespace tavrel {

class TStatus;

class TfrmCopyMain : public Window, private IJobView {
public:
    TfrmCopyMain();
    ~TfrmCopyMain() override;

    // Creates the window hidden; FormCreate runs inside. splashText changes the splash's line
    // while the last job loads; closeSplash hides and destroys it.
    bool CreateMain(std::function<void(const std::string&)> splashText, std::function<void()> closeSplash);
    // The progress window, created after the main window.
    void SetStatusWindow(TStatus* status);
    // FormShow: the command line is carried out, then the window becomes visible.
    void FormShow(const std::vector<std::string>& parameters, int showCommand);

    // Keyboard handling of a message meant for this window or its controls: the shortcuts, the
    // dialog keys and Esc. True when the message was handled.
    bool PreTranslate(MSG& msg);
    // Lets pending messages run once (the run's pump), with the keyboard handling above.
    void PumpMessages();
    // The program's message loop, with the keyboard handling above; the exit code of WM_QUIT.
    int MessageLoop();

    // For the program entry and the tests.
    JobController& Job() { return *job_; }
    bool Running() const { return guard_.Running(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnCreate() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnClose() override;
    bool OnDestroy() override;
    bool OnTimer(UINT_PTR id) override;
    bool OnKeyDown(UINT key, LPARAM flags) override;

private:
    class RunView;
    friend class RunView;
    // Brackets a handler that may run a nested message loop; a close that arrived meanwhile is
    // carried out when the outermost one returns.
    class HandlerScope {
    public:
        explicit HandlerScope(TfrmCopyMain& w) : w_(w) { w_.guard_.Enter(); }
        ~HandlerScope();

    private:
        TfrmCopyMain& w_;
    };

    // Start-up (CopyMain.cpp).
    void FormCreate();
    void FormResize();
    void ApplyPlacement(const WindowPlacement& p);
    WindowPlacement CurrentPlacement() const;

    // Layout (CopyMainLayout.cpp).
    void CreateControls();
    void CreatePan1();
    void CreatePan2();
    void CreateJobBoxes();
    TPanel& PanelOf(design::OptionPanel panel);
    void LayoutControls();

    // IJobView
    void ShowSettings(const JobSettings& settings) override;
    void ShowFileTypes(const std::vector<std::string>& types);
    void SetCaption(const std::string& caption) override;
    void SetStartEnabled(bool enabled) override;
    void SetStatusText(const std::string& text) override;
    void SetLastCopied(const std::string& text) override;
    std::optional<std::string> AskOpenJobFile(const std::string& initialFolder) override;
    std::optional<std::string> AskSaveJobFile(const std::string& initialFolder) override;

    // Events (CopyMainMenu.cpp): each control's and menu item's handler.
    void BindEvents();
    void BindMenu();
    // Wraps a handler that may run a nested message loop (a dialog, a run) in a HandlerScope.
    std::function<void()> Handler(std::function<void()> handler);
    void TabControl1Change();
    void mnuTabClick();
    void menuVisClick(MenuHandle menu);
    void menuFilerClick(MenuHandle menu);
    void cmdDestClick();
    void cmdBeskrivelseClick();
    void txtNyTypeChange();
    void cmdTilfoejClick();
    void txtNyTypeKeyDown(UINT key);
    void cmdSletClick();
    void lbFiltyperClick();
    // A click of the job box of the table's line: the option takes the box's state.
    void JobBoxClick(size_t line);
    void AfbrydKeyDown(UINT key);
    void EnterKey();
    void cmdStartClick();
    void cmdInfoClick();
    void RunJob(RunMode mode);
    void mnuSidsteFilClick(int entry);
    void mnuPlanlaegClick();
    void mnuOpdaterClick();
    void mnuDiskettedrevClick();
    void mnuUdeladteClick();
    void mnuHistorikClick();
    void mnuHjaelpClick();
    void menuOmClick();
    void mnuAfslutClick();
    // True when the menu command must wait for the run under way (and is not carried out).
    bool WaitsForRunNow(int id) const;
    void SetBusyCursor(bool busy);
    bool BusyCursorAt(HWND hit) const;
    // The control that has the keyboard, remembered while the window is active and given the
    // keyboard again when the window is activated.
    void RememberFocus();
    void RestoreFocus();

    // The platform.
    Win32FileSystem fs_;
    Win32Registry registry_;
    Win32Clock clock_;
    Win32Shell shell_;
    Win32ShellInfo shellInfo_;
    Win32MessageBox messages_;
    Win32BusyCursor cursor_;
    AppSettings settings_{registry_};

    // The job, the tree with its marks, the run.
    std::unique_ptr<TDirTreeT> DirTreeT1;
    std::unique_ptr<RunView> runView_;
    std::unique_ptr<JobSession> session_;
    FolderMarking* marking_ = nullptr;
    JobController* job_ = nullptr;
    CopyRun* run_ = nullptr;
    std::unique_ptr<TBrowseDirectoryDlg> BrwDirDlg1;
    TStatus* status_ = nullptr;
    RunGuard guard_;
    DWORD lastQueueLook_ = 0;  // tick count of the run's last look at the message queue

    std::function<void(const std::string&)> splashText_;
    std::function<void()> closeSplash_;

    // The controls.
    HIMAGELIST imlSmaa = nullptr;
    HACCEL accel_ = nullptr;
    HFONT font_ = nullptr;
    MenuHandle menu_;
    CommandTable commands_;
    TabControl TabControl1;
    Label lblDirT, lblDatoL, lblFiltyper, lblNyType;
    StatusBar StatusBar1;
    TPanel Panel2, pan1, pan2, gbDest, gbFiltyper;
    ListBox lbFiltyper;
    Edit txtNyType;
    Button cmdTilfoej, cmdSlet, cmdBeskrivelse, cmdDest, cmdInfo, cmdStart;
    // The job's check boxes, one for each line of design::kJobBoxes.
    std::vector<std::unique_ptr<CheckBox>> jobBoxes_;
    std::unique_ptr<TTextBar> lblBeskrivelse, lblDato, lblDest;

    std::vector<std::string> recentPaths_;  // the paths behind mnuSidsteFil1..4
    HWND lastFocus_ = nullptr;
};

}  // namespace tavrel
