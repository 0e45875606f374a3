// The command line: how it splits into parameters, the commands, and the messages about it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/CopyRun.h"

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

}  // namespace tavrel
