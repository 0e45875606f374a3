#include "core/CopyRun.h"

#include "core/Formats.h"
#include "core/Texts.h"
#include "base/Text.h"
#include "base/Path.h"

namespace tavrel {

const char* const kMarkedFolderMissingText = "Mappen findes ikke.";

namespace {

// The run's texts.
constexpr const char* kReverseQuestion =
    "Ønsker du at kopiere FRA den angivne destination til de valgte kildepositioner?";
constexpr const char* kReverseCaption = "Modsat kopiering";
constexpr const char* kDeleteQuestion =
    "Ønsker du, at Tavrel skal slette alle filer og undermapper i %s, før de markerede filer kopieres?";
constexpr const char* kDeleteCaption = "Slet destinationsmappe";
constexpr const char* kDeleteRefused =
    "Destinationsmappen %s indeholder den markerede mappe %s.\n"
    "Tavrel sletter ikke indholdet af destinationsmappen, da det også ville slette de filer, der skal kopieres.";
constexpr const char* kNoDestination = "Der er ikke valgt nogen destinationsmappe.";
constexpr const char* kDestinationNotFull =
    "Destinationsmappen %s er ikke angivet med drev eller netværkssti, f.eks. D:\\Backup\\, så Tavrel kopierer ikke.";
constexpr const char* kReportNotWritten = "Rapporten over udeladte filer kunne ikke gemmes i %s:\n%s";
// The notice after a run with failures, for what the run did: a count run only reads folders.
constexpr const char* kCountFailuresNotice = "%s kunne ikke læses, så optællingen er ikke fuldstændig.";
constexpr const char* kCopyFailuresNotice = "%s kunne ikke kopieres.";
constexpr const char* kDeleteCopyFailuresNotice = "%s kunne ikke slettes eller kopieres.";
constexpr const char* kFailuresWhereOne = " Den står under \"Fejl:\" i rapporten %s.";
constexpr const char* kFailuresWhereMany = " De står under \"Fejl:\" i rapporten %s.";
constexpr const char* kOneFolder = " mappe";
constexpr const char* kFolders = " mapper";
constexpr const char* kOneFileOrFolder = " fil eller mappe";
constexpr const char* kFilesOrFolders = " filer eller mapper";
constexpr const char* kCollecting = "Indsamler oplysninger...";
constexpr const char* kDeleting = "Sletter filer...";
constexpr const char* kCopying = "Kopierer filer...";
constexpr const char* kCountDone = "Optælling er afsluttet";
constexpr const char* kCopyDone = "Kopiering er afsluttet";
constexpr const char* kCountGroupCaption = " Vil blive kopieret: ";
constexpr const char* kDeletedGroupCaption = " Slettet: ";
constexpr const char* kAbortCaption = "Afbryd";
constexpr const char* kCloseCaption = "Luk";
// Why a run stopped, as its history line tells it.
constexpr const char* kReverseDeclinedNote = "Kopieringen den modsatte vej blev ikke bekræftet.";
constexpr const char* kDeleteDeclinedNote = "Spørgsmålet om at slette destinationsmappen først blev ikke besvaret.";
constexpr const char* kReportFailedNote = "Rapporten over udeladte filer kunne ikke gemmes: %s";

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string FailuresNotice(RunMode mode, bool deletePhase, int64_t failed, const std::string& reportFile) {
    const bool one = failed == 1;
    const std::string n = std::to_string(failed);
    std::string text;
    if (mode == rmCount)
        text = FillText(kCountFailuresNotice, n + (one ? kOneFolder : kFolders));
    else
        text = FillText(deletePhase ? kDeleteCopyFailuresNotice : kCopyFailuresNotice,
                    n + (one ? kOneFileOrFolder : kFilesOrFolders));
    return text + FillText(one ? kFailuresWhereOne : kFailuresWhereMany, reportFile);
}

// A run without a host or before its progress window is there: nothing is shown.
IRunHost g_noHost;
IProgressView g_noProgress;

}  // namespace

CopyRun::CopyRun(const CopyRunDeps& deps)
    : d_(deps), host_(deps.host ? *deps.host : g_noHost), progress_(deps.progress ? deps.progress : &g_noProgress) {}

void CopyRun::SetProgressView(IProgressView* view) { progress_ = view ? view : &g_noProgress; }

bool CopyRun::DestinationHoldsMarkedFolder(const std::string& dest, const std::vector<std::string>& marked,
                                           std::string& found) {
    const auto destId = d_.fs.GetFileId(dest);
    for (const std::string& folder : marked) {
        const std::string m = IncludeTrailingBackslash(folder);
        if (StartsWithNoCase(m, dest)) {
            found = m;
            return true;
        }
        // The same folder may be reached under another name (a mapped drive, a link).
        if (!destId) continue;
        for (std::string path = m; !path.empty(); path = ParentFolderOf(path)) {
            auto id = d_.fs.GetFileId(path);
            if (id && *id == *destId) {
                found = m;
                return true;
            }
        }
    }
    return false;
}

void CopyRun::ShowCounts() {
    progress_->SetCounts(FormatFileCount(counters_.ExaminedCount), FormatSize(counters_.ExaminedSize),
                      FormatFileCount(counters_.CopiedCount), FormatSize(counters_.CopiedSize));
}

void CopyRun::ShowCountsAndTime() {
    ShowCounts();
    elapsedSeconds_ = ElapsedSecondsBetween(startTick_, d_.clock.TickCount());
    progress_->SetElapsed(FormatElapsed(elapsedSeconds_));
}

RunOutcome CopyRun::RunCopy(RunMode mode) {
    // The windows stay usable during a run, so a second Start can arrive from inside the
    // message processing of the first.
    if (running_) return RunOutcome::AlreadyRunning;
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};

    // The history tells when the run began, also when a question ends it.
    startedAt_ = d_.clock.LocalNow();
    historyTick_ = d_.clock.TickCount();
    stopNote_.clear();
    historyFailure_.clear();
    Plan plan{mode};
    if (std::optional<RunOutcome> stop = AskQuestions(plan)) {
        RecordHistory(d_.job.JobFileName(), mode, RunEnd::Stopped, stopNote_);
        if (!historyFailure_.empty()) host_.SetStatusText(historyFailure_);
        return *stop;
    }
    BeginWork();
    // The direction is fixed for the whole run, whatever happens to the option meanwhile; the
    // other settings are read at each use, so a change during the run counts from then on.
    plan.reverse = d_.job.Settings().reverse;
    WalkContext context{d_.fs, *progress_, host_, d_.messages, d_.job.Settings(), skipped_, counters_, d_.abort,
                        {}, {}, plan.reverse, d_.copyWorkers};
    CopyRules rules(context);
    if (mode == rmCount) {
        host_.SetStatusText(kCollecting);
        ShowPhase(kCollecting, RunClip::SearchFile, kCountGroupCaption);
    } else {
        if (plan.deletePhase) EmptyDestination(plan, context, rules);
        host_.SetStatusText(kCopying);
        counters_.CopiedSize = 0;
        counters_.CopiedCount = 0;
        ShowPhase(kCopying, RunClip::CopyFiles, kCopiedGroupCaption);
    }
    CopyMarkedFolders(plan, context, rules);
    return Finish(plan);
}

std::optional<RunOutcome> CopyRun::AskQuestions(Plan& plan) {
    const JobSettings& settings = d_.job.Settings();
    const bool copy = plan.mode == rmCopy;
    // Without a destination every copy would land relative to the current folder.
    if (copy && settings.destination.empty()) {
        stopNote_ = kNoDestination;
        d_.messages.Show(kNoDestination, kAppTitle, MsgButtons::Ok, MsgIcon::Warning);
        return RunOutcome::Refused;
    }
    // "Backup" or "\\" alone would mean a folder of whatever the current folder is, which a
    // planned run does not choose; emptying it first could empty a drive.
    if (copy && !IsFullPath(settings.destination)) {
        stopNote_ = FillText(kDestinationNotFull, settings.destination);
        d_.messages.Show(stopNote_, kAppTitle, MsgButtons::Ok, MsgIcon::Warning);
        return RunOutcome::Refused;
    }
    if (copy && settings.reverse &&
        d_.messages.Show(kReverseQuestion, kReverseCaption, MsgButtons::YesNo, MsgIcon::Warning) != MsgResult::Yes) {
        d_.job.SetReverse(false);
        stopNote_ = kReverseDeclinedNote;
        return RunOutcome::Declined;
    }

    // The run's time, in the report too, is when its direction is settled.
    startTick_ = d_.clock.TickCount();
    skipped_.Begin(d_.job.JobFileName(), d_.clock.ShortDateNow(), d_.clock.LongTimeNow());
    // A hand-edited job may lack the final backslash; the paths below rely on it.
    // "C:\Data\..\" is C:\ to Windows: the question names the folder that would be emptied.
    const std::string destination = NormalizeFullPath(settings.destination);
    plan.dest = destination.empty() ? std::string() : IncludeTrailingBackslash(destination);

    if (copy && settings.deleteDestFirst && !settings.reverse) {
        const MsgResult answer = d_.messages.Show(FillText(kDeleteQuestion, destination), kDeleteCaption,
                                                  MsgButtons::YesNoCancel, MsgIcon::Warning);
        if (answer != MsgResult::Yes && answer != MsgResult::No) {
            stopNote_ = kDeleteDeclinedNote;
            return RunOutcome::Declined;
        }
        plan.deletePhase = answer == MsgResult::Yes;
    }
    if (!plan.deletePhase) return std::nullopt;
    plan.marked = d_.job.CollectMarkedFolders();
    std::string found;
    if (DestinationHoldsMarkedFolder(plan.dest, plan.marked, found)) {
        stopNote_ = FillText(kDeleteRefused, plan.dest, found);
        d_.messages.Show(stopNote_, kDeleteCaption, MsgButtons::Ok, MsgIcon::Warning);
        return RunOutcome::Refused;
    }
    return std::nullopt;
}

void CopyRun::BeginWork() {
    host_.SetBusyCursor(true);
    host_.SetTimerEnabled(true);
    d_.abort = false;
    counters_ = RunCounters{};
    for (const std::string& folder : missingFolders_) {
        ++counters_.FailedCount;
        skipped_.AddFailure(folder, kMarkedFolderMissingText);
    }
    elapsedSeconds_ = 0;
    // The time shows the new run from its start; a run shorter than one timer tick would
    // otherwise leave the field empty or showing the previous run's time.
    progress_->SetElapsed(FormatElapsed(0));
    progress_->SetCancelCaption(kAbortCaption);
    progress_->SetFinishButtonsVisible(false);
    progress_->ShowProgress();
}

void CopyRun::ShowPhase(const char* caption, RunClip clip, const char* copiedGroup) {
    progress_->SetCaption(caption);
    progress_->PlayAnimation(clip);
    progress_->SetCopiedGroupCaption(copiedGroup);
}

void CopyRun::EmptyDestination(const Plan& plan, WalkContext& context, CopyRules& rules) {
    progress_->SetMarkedGroupVisible(false);
    ShowPhase(kDeleting, RunClip::DeleteFile, kDeletedGroupCaption);
    context.protectedFolders = plan.marked;
    rules.DeleteFolderFiles(plan.dest);
    rules.RemoveFolders(plan.dest);
    progress_->SetMarkedGroupVisible(true);
}

void CopyRun::CopyMarkedFolders(const Plan& plan, WalkContext& context, CopyRules& rules) {
    const std::vector<std::string> marked = d_.job.CollectMarkedFolders();
    const std::string& dest = plan.dest;
    const size_t stripLength = plan.reverse ? dest.size() : 3;
    // Where the copies land is never walked: in the normal direction the destination and the
    // counterpart of every marked folder in it, in the reverse direction the marked folders.
    context.excludedFolders.clear();
    if (plan.reverse) {
        context.excludedFolders = marked;
    } else if (!dest.empty()) {
        context.excludedFolders.push_back(dest);
        for (const std::string& folder : marked) context.excludedFolders.push_back(DestinationOf(folder, dest, 3));
    }
    for (const std::string& entry : marked) {
        host_.ProcessMessages();
        if (d_.abort) break;
        // A reverse copy walks the folder's copy in the destination and writes into the folder.
        if (plan.reverse)
            rules.CopyFolder(dest + entry.substr(std::min<size_t>(3, entry.size())), entry.substr(0, 3),
                             plan.mode == rmCopy, stripLength);
        else
            rules.CopyFolder(entry, dest, plan.mode == rmCopy, stripLength);
    }
    rules.RecordUndeletedFiles();
}

RunOutcome CopyRun::Finish(const Plan& plan) {
    ShowCounts();
    progress_->StopAnimation();
    const bool aborted = d_.abort;
    finalCaption_ = plan.mode == rmCount ? kCountDone : kCopyDone;
    progress_->SetCaption(finalCaption_);
    if (plan.mode == rmCount)
        progress_->SetFinishButtonsVisible(true);
    else if (!aborted && counters_.FailedCount == 0)  // a run that failed somewhere is no completed copy
        RecordCompletedCopy();
    progress_->SetFolderText("");
    progress_->SetCancelCaption(kCloseCaption);

    RunOutcome outcome = aborted ? RunOutcome::Aborted : RunOutcome::Completed;
    FsError error;
    const std::string reportFile = SkippedReportFile(d_.job.JobFileName());
    const bool reportSaved = skipped_.Save(d_.fs, d_.job.JobFileName(), &error);
    host_.SetTimerEnabled(false);
    host_.SetBusyCursor(false);
    if (!reportSaved) outcome = RunOutcome::ReportFailed;
    RecordHistory(d_.job.JobFileName(), plan.mode,
                  !reportSaved ? RunEnd::Failed : aborted ? RunEnd::Aborted : RunEnd::Completed,
                  reportSaved ? std::string() : FillText(kReportFailedNote, error.text));
    // A history that could not be written is told with the run's result, where the user looks:
    // in the notice after the run when there is one, else in the status bar.
    const bool notice = !reportSaved || counters_.FailedCount > 0;
    const std::string historyLine = historyFailure_.empty() ? std::string() : "\n\n" + historyFailure_;
    host_.SetStatusText(historyFailure_.empty() || notice ? kReadyText : historyFailure_);
    if (!reportSaved) {
        d_.messages.Show(FillText(kReportNotWritten, reportFile, error.text) + historyLine, kErrorCaption,
                         MsgButtons::Ok, MsgIcon::Error);
    } else if (counters_.FailedCount > 0) {
        d_.messages.Show(FailuresNotice(plan.mode, plan.deletePhase, counters_.FailedCount, reportFile) + historyLine,
                         kAppTitle, MsgButtons::Ok, MsgIcon::Warning);
    }
    return outcome;
}

void CopyRun::RecordHistory(const std::string& jobFileName, RunMode mode, RunEnd end, const std::string& note) {
    HistoryEntry entry;
    entry.when = startedAt_;
    entry.program = d_.program;
    entry.kind = mode == rmCount ? RunKind::Count : RunKind::Copy;
    entry.end = end;
    if (end != RunEnd::Stopped) {
        entry.examined = counters_.ExaminedCount;
        entry.copied = counters_.CopiedCount;
        entry.failed = counters_.FailedCount;
    }
    entry.seconds = ElapsedSecondsBetween(historyTick_, d_.clock.TickCount());
    entry.note = note;
    historyFailure_ = AppendRunHistory(d_.fs, jobFileName, entry).value_or("");
}

void CopyRun::RecordNotRun(const std::string& jobFileName, RunMode mode, const std::string& note) {
    startedAt_ = d_.clock.LocalNow();
    historyTick_ = d_.clock.TickCount();
    counters_ = RunCounters{};
    RecordHistory(jobFileName, mode, RunEnd::Failed, note);
}

void CopyRun::RecordCompletedCopy() {
    // Hours and minutes as the user writes them; five characters of the long time would give
    // "1:14:" where the hour has one digit.
    const std::string stamp = d_.clock.ShortDateNow() + " " + TimeWithoutSeconds(d_.clock.LongTimeNow());
    d_.job.SetLastCopied(stamp);
    d_.settings.WriteLastCopied(ExtractFileName(d_.job.JobFileName()), stamp);
}

}  // namespace tavrel
