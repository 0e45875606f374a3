// tavrel.exe: the splash while the drives are read, the main window with the job of the last
// session, the progress window, the command line, and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/Window.h"
#include "core/CmdLine.h"
#include "forms/CopyMain.h"
#include "forms/CopySplash.h"
#include "forms/CopyStatus.h"

using namespace tavrel;

namespace {

// The command line after the program's path, split as the program always has: blanks
// separate, double quotes group and are dropped.
std::vector<std::string> CommandLineParameters() { return SplitCommandLine(FromWide(::GetCommandLineW())); }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // 1. The splash, painted at once: "Undersøger drev..." while the tree reads the drives.
    auto splash = std::make_unique<TfrmSplash>();
    splash->ShowSplash(nullptr);

    // 2. The application: common controls; the title "Tavrel" is the caption of plain notices.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    // 3. The main window; its creation reads the settings, the drives and the last job, and
    // closes the splash.
    TfrmCopyMain main;
    bool created = main.CreateMain(
        [&splash](const std::string& text) {
            if (splash) splash->SetProgramText(text);
        },
        [&splash] {
            // Destroyed, not hidden first: hiding a captioned window makes some X window
            // systems wait for a window manager's answer, two seconds where there is none.
            splash.reset();
        });
    splash.reset();
    if (!created) return 1;

    // 4. The progress window, hidden until a run shows it.
    TStatus status;
    status.Create(main);
    main.SetStatusWindow(&status);

    // The command line runs before the window is first shown.
    main.FormShow(CommandLineParameters(), showCommand);

    // 5. The progress window gets its dialog keys, the main window its shortcuts.
    return main.MessageLoop();
}
