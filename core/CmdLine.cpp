#include "core/CmdLine.h"

#include "base/Text.h"
#include "core/Texts.h"

namespace tavrel {

const char* const kRunErrorCaption = "Fejl under kørsel";

namespace {

// The command line's texts.
constexpr const char* kFileNotFoundText = "Den angivne fil \"%s\" findes ikke.";
constexpr const char* kInvalidCommandText = "Den angivne kommando \"%s\" er ikke gyldig.";
constexpr const char* kParameterCountText =
    "Kommandolinien indeholder %s parametre. Den skal indeholde 2: Fil efterfulgt af kommando. Bemærk, at hvis "
    "filsti og -navn indeholder mellemrum, skal det sættes i citationstegn.";
constexpr const char* kNotRunText = "%s er ikke startet, fordi jobbet ikke kunne indlæses uden fejl.";
constexpr const char* kTheCopy = "Kopieringen";
constexpr const char* kTheCount = "Optællingen";

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::vector<std::string> SplitParameters(const std::string& text) {
    std::vector<std::string> parameters;
    size_t i = 0;
    while (true) {
        while (i < text.size() && IsSeparator(text[i])) ++i;
        if (i >= text.size()) break;
        std::string parameter;
        bool quoted = false;
        for (; i < text.size(); ++i) {
            char c = text[i];
            if (c == '"') {
                quoted = !quoted;
                continue;
            }
            if (!quoted && IsSeparator(c)) break;
            parameter += c;
        }
        parameters.push_back(parameter);
    }
    return parameters;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> parameters = SplitParameters(commandLine);
    if (!parameters.empty()) parameters.erase(parameters.begin());
    return parameters;
}

std::optional<RunMode> ParseRunCommand(const std::string& parameter) {
    const std::string upper = AsciiUpper(parameter);
    if (upper == "/R") return rmCopy;
    if (upper == "/T") return rmCount;
    return std::nullopt;
}

bool IsYesSwitch(const std::string& parameter) { return AsciiUpper(parameter) == "/J"; }

std::string FileNotFoundMessage(const std::string& path) {
    return FillText(kFileNotFoundText, path);
}

std::string InvalidCommandMessage(const std::string& command) {
    return FillText(kInvalidCommandText, AsciiUpper(command));
}

std::string ParameterCountMessage(int count) {
    return FillText(kParameterCountText, std::to_string(count));
}

std::string NotRunAfterLoadErrorsMessage(RunMode mode) {
    return FillText(kNotRunText, mode == rmCopy ? kTheCopy : kTheCount);
}

void ShowRunError(IMessageBox& messages, const std::string& text) {
    messages.Show(text, kRunErrorCaption, MsgButtons::Ok, MsgIcon::Error);
}

void RunCommandLine(const std::vector<std::string>& parameters, const CommandLineDeps& deps) {
    if (parameters.empty()) return;
    const std::string& file = parameters[0];
    // The given path becomes the job's name at once, so a later Gem writes there.
    deps.job.SetJobFileName(file);
    if (!FileExists(deps.fs, file)) {
        ShowRunError(deps.messages, FileNotFoundMessage(file));
        return;
    }
    deps.tree.ClearAllMarks();
    deps.job.LoadJob(file);
    if (parameters.size() > 2) {
        ShowRunError(deps.messages, ParameterCountMessage(static_cast<int>(parameters.size())));
        return;
    }
    if (parameters.size() == 2) {
        std::optional<RunMode> mode = ParseRunCommand(parameters[1]);
        if (!mode) {
            ShowRunError(deps.messages, InvalidCommandMessage(parameters[1]));
            return;
        }
        // What the window holds after a failed load is part this job, part the one before it
        // (or the options of a version-1 file that ended early): running that could empty a
        // destination and stamp a copy that never was.
        if (deps.job.LoadHadErrors()) {
            ShowRunError(deps.messages, NotRunAfterLoadErrorsMessage(*mode));
            return;
        }
        if (deps.run) deps.run(*mode);
    }
}

}  // namespace tavrel
