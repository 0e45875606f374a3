// The window tells the user of an unattended run that went wrong: when it opens a job whose
// history holds a tavrelc run that failed or was stopped after the last run it has shown, it
// says when that run was and what went wrong, and offers to open the report. The marker in
// the registry moves on before the question, so each such run is told of once.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/System.h"

namespace tavrel {

extern const char* const kFailedRunCaption;  // "Planlagt kørsel"

struct FailedRunsDeps {
    IFileSystem& fs;
    ISettingsStore& store;
    IMessageBox& messages;
    IShell& shell;
};

// After the job was opened in the window. Reads only the end of the history, so a long or
// damaged one opens as quickly as any; an untitled job has none. True when the message was
// shown.
bool TellOfFailedRuns(const FailedRunsDeps& deps, const std::string& jobFileName);

}  // namespace tavrel
