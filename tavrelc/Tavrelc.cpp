// tavrelc JOBFIL /R|/T [/J]: runs a job from the console exactly as the window would, for
// scheduled backups. Exit codes: 0 done, 1 done with failures, 2 could not run, 3 aborted or
// stopped at a question.
#include <functional>
#include <memory>

#include "core/Abort.h"
#include "core/CmdLine.h"
#include "core/CopyPool.h"
#include "core/Formats.h"
#include "core/JobSession.h"
#include "base/Path.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32System.h"
#include "tavrelc/Console.h"

using namespace tavrel;

namespace {

enum ExitCode { kDone = 0, kDoneWithFailures = 1, kCannotRun = 2, kStopped = 3 };

// The summary's texts.
constexpr const char* kExaminedLabel = "Gennemset: ";
constexpr const char* kCopiedLabel = "Kopieret:";
constexpr const char* kWouldCopyLabel = "Vil blive kopieret:";
constexpr const char* kFailuresLabel = "Fejl: ";
constexpr const char* kTimeLabel = "Tid: ";
constexpr const char* kUnexpectedErrorLabel = "Uventet fejl: ";

// The console shows no tree, so its folders need no names or icons from the shell: the run
// goes by the stored paths. Asking the shell would load it and look at every folder the job's
// parents hold, which for a drive with a folder of thousands of subfolders is most of a rerun.
class PathNameInfo : public IShellInfo {
public:
    ShellItemInfo GetInfo(const std::string& path) override {
        ShellItemInfo info;
        const std::string trimmed = ExcludeTrailingBackslash(path);
        info.displayName = trimmed.size() <= 2 ? path : ExtractFileName(trimmed);
        return info;
    }
};

// The run's counts, its failures and its time, as the last lines on stdout.
void PrintSummary(Console& console, const CopyRun& run, RunMode mode, const std::vector<std::string>& missing,
                  IClock& clock) {
    const RunCounters& c = run.Counters();
    console.Out(run.FinalCaption());
    console.Out(kExaminedLabel + FormatFileCount(c.ExaminedCount) + ", " + FormatSize(c.ExaminedSize));
    console.Out(std::string(mode == rmCopy ? kCopiedLabel : kWouldCopyLabel) + " " +
                FormatFileCount(c.CopiedCount) + ", " + FormatSize(c.CopiedSize));
    if (c.FailedCount > 0) console.Out(kFailuresLabel + FormatFileCount(c.FailedCount));
    for (const std::string& folder : missing) console.Out(folder + " - " + kMarkedFolderMissingText);
    console.Out(kTimeLabel + FormatElapsed(ElapsedSecondsBetween(run.StartTick(), clock.TickCount())));
    if (!run.HistoryFailure().empty()) console.Out(run.HistoryFailure());
}

int RunJob(Console& console, IFileSystem& fs, const std::string& jobFile, RunMode mode, bool answerYes) {
    ConsoleMessageBox messages(console, answerYes);
    Win32Registry registry;
    AppSettings settings(registry);
    settings.Open();
    PathNameInfo shell;
    Win32Clock clock;
    NullJobView jobView;
    ConsoleRunView view(console, clock);
    JobSession session(JobSessionDeps{.fs = fs, .settings = settings, .clock = clock, .messages = messages,
                                      .jobView = jobView, .runHost = &view, .progress = &view,
                                      .programFolder = ProgramFolder(), .program = RunProgram::Tavrelc,
                                      .copyWorkers = CopyWorkersSetting()},
                       shell);
    session.ReadDrives();
    // A job whose load showed an error (a damaged or short job file, a list with lines that are
    // no folders) is not run unattended: what was read may empty a destination it never named.
    if (!session.OpenJob(jobFile) || session.Job().LoadHadErrors()) {
        // The history tells the user of it when the window opens the job next time.
        session.Run().RecordNotRun(jobFile, mode, NotRunAfterLoadErrorsMessage(mode));
        if (!session.Run().HistoryFailure().empty()) console.Out(session.Run().HistoryFailure());
        settings.Close();
        return kCannotRun;
    }

    // The window shows the folders of the job that are gone when it loads it, and the user
    // sees that. Nobody reads the console of a scheduled run: there each is a failure, so the
    // run ends with exit code 1 and records no completed copy.
    std::vector<std::string> missing;
    for (const std::string& folder : session.Job().MarkedFolders())
        if (!FolderExists(fs, folder)) missing.push_back(folder);

    CopyRun& run = session.Run();
    run.SetMissingMarkedFolders(missing);
    view.SetRun(&run);
    InstallAbortHandler();
    const RunOutcome outcome = run.RunCopy(mode);
    view.ClearStatusLine();
    settings.Close();
    if (outcome == RunOutcome::Declined || outcome == RunOutcome::Refused) {
        if (!run.HistoryFailure().empty()) console.Out(run.HistoryFailure());
        return kStopped;
    }

    PrintSummary(console, run, mode, missing, clock);
    if (outcome == RunOutcome::ReportFailed) return kCannotRun;
    if (outcome == RunOutcome::Aborted) return kStopped;
    return run.Counters().FailedCount > 0 ? kDoneWithFailures : kDone;
}

int Run(Console& console, const std::vector<std::string>& params) {
    ConsoleMessageBox errors(console, false);
    const int count = static_cast<int>(params.size());
    auto showError = [&](const std::string& text) {
        errors.Show(text, kRunErrorCaption, MsgButtons::Ok, MsgIcon::Error);
        return kCannotRun;
    };
    if (count == 0) return showError(ParameterCountMessage(0));

    Win32FileSystem fs;
    const std::string& jobFile = params[0];
    if (!FileExists(fs, jobFile)) return showError(FileNotFoundMessage(jobFile));
    if (count < 2 || count > 3 || (count == 3 && !IsYesSwitch(params[2])))
        return showError(ParameterCountMessage(count));
    const std::optional<RunMode> mode = ParseRunCommand(params[1]);
    if (!mode) return showError(InvalidCommandMessage(params[1]));
    return RunJob(console, fs, jobFile, *mode, count == 3);
}

}  // namespace

int wmain(int, wchar_t**) {
    // A drive without a medium must not stop an unattended run with a system dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    Console console;
    try {
        // The system's own command line, split by the program's rules rather than the C runtime's.
        return Run(console, SplitCommandLine(FromWide(GetCommandLineW())));
    } catch (const std::exception& e) {
        console.Err(kUnexpectedErrorLabel + std::string(e.what()) + "\r\n");
        return kCannotRun;
    }
}
