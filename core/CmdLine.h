// The command line: how it splits into parameters, the commands, the messages about it, and
// how the window carries it out at its first show.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/CopyRun.h"
#include "core/JobController.h"
#include "core/JobTree.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace tavrel {

// Splits a whole command line (as the system hands it over, the program's path first) into
// its parameters after the program's path. Blanks and control characters separate; inside
// double quotes blanks do not; the quotes themselves are dropped.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// The same splitting without dropping a first token.
std::vector<std::string> SplitParameters(const std::string& text);

// "/R" and "/T" in any letter case; nothing for any other text.
std::optional<RunMode> ParseRunCommand(const std::string& parameter);
// "/J" in any letter case: the console runner answers its questions with Yes.
bool IsYesSwitch(const std::string& parameter);

extern const char* const kRunErrorCaption;  // "Fejl under kørsel"
std::string FileNotFoundMessage(const std::string& path);
// The command as the message shows it: upper-cased.
std::string InvalidCommandMessage(const std::string& command);
std::string ParameterCountMessage(int count);
// The window's answer to "/R" or "/T" for a job whose load showed an error.
std::string NotRunAfterLoadErrorsMessage(RunMode mode);

// ShowRunError: the command line's messages, caption "Fejl under kørsel", error icon.
void ShowRunError(IMessageBox& messages, const std::string& text);

struct CommandLineDeps {
    IFileSystem& fs;
    JobController& job;
    IJobTree& tree;
    IMessageBox& messages;
    std::function<void(RunMode)> run;  // cmdStartClick / cmdInfoClick
};

// FormShow: the job file of parameter 1 becomes the open job; "/R" and "/T" run it. A job
// whose load showed an error is not run: the window stays on what was loaded, and the user
// is told that the command was not carried out.
void RunCommandLine(const std::vector<std::string>& parameters, const CommandLineDeps& deps);

}  // namespace tavrel
