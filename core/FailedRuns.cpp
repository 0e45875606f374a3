#include "core/FailedRuns.h"

#include "core/Report.h"
#include "core/RunHistory.h"

namespace tavrel {

const char* const kFailedRunCaption = "Planlagt kørsel";

bool TellOfFailedRuns(const FailedRunsDeps& deps, const std::string& jobFileName) {
    if (jobFileName.empty()) return false;
    const RunHistory history = ReadRunHistory(deps.fs, jobFileName);
    if (history.entries.empty()) return false;
    const std::string shown = ReadShownMarker(deps.store, jobFileName);
    const std::vector<HistoryEntry> runs = UnseenFailedRuns(history, shown);
    // Moved before the question: a second window opening the job meanwhile, or a crash while
    // the box is open, must not tell of the same run again.
    const std::string marker = MarkerOf(history);
    if (marker != shown) WriteShownMarker(deps.store, jobFileName, marker);
    if (runs.empty()) return false;
    if (deps.messages.Show(FailedRunsMessage(runs), kFailedRunCaption, MsgButtons::YesNo, MsgIcon::Warning) ==
        MsgResult::Yes) {
        // A run that could not load its job wrote no report; its history line says why.
        const std::string report = SkippedReportFile(jobFileName);
        deps.shell.OpenWithShell(FileExists(deps.fs, report) ? report : HistoryFileOf(jobFileName));
    }
    return true;
}

}  // namespace tavrel
