#include "fuzz/Targets.h"

#include <algorithm>
#include <atomic>
#include <map>

#include "base/Path.h"
#include "base/Text.h"
#include "core/CmdLine.h"
#include "core/AppSettings.h"
#include "core/CopyRules.h"
#include "core/FailedRuns.h"
#include "core/JobFile.h"
#include "core/JobSession.h"
#include "core/RunHistory.h"
#include "core/Schedule.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"
#include "platform/sim/SimTaskScheduler.h"

namespace tavrel::fuzz {

namespace {

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

std::string Join(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + Quote(items[i]);
    return out + "]";
}

// Names the first field in which two jobs differ; empty when they are the same.
std::string Difference(const JobSettings& a, const JobSettings& b) {
    for (const JobField& field : kJobFields) {
        if (field.flag && a.*field.flag != b.*field.flag) return field.key;
        if (field.text && a.*field.text != b.*field.text)
            return std::string(field.key) + " " + Quote(a.*field.text) + " -> " + Quote(b.*field.text);
        if (!field.flag && !field.text && a.fileTypes != b.fileTypes)
            return std::string(field.key) + " " + Join(a.fileTypes) + " -> " + Join(b.fileTypes);
    }
    return {};
}

JobSettings ReadJob(std::string_view bytes, JobReadResult* result = nullptr) {
    JobSettings settings;
    settings.fileTypes.clear();  // LoadJob empties the list before reading
    JobReadResult r = ApplyJobFileLines(ReadJobFileText(bytes).lines, settings);
    if (result) *result = r;
    return settings;
}

// The window's job view, whose open dialog chooses the given file (or is cancelled).
class ChoosingJobView : public NullJobView {
public:
    explicit ChoosingJobView(std::optional<std::string> file) : file_(std::move(file)) {}
    std::optional<std::string> AskOpenJobFile(const std::string&) override { return file_; }

private:
    std::optional<std::string> file_;
};

// The job engine over the simulated disk, as the programs compose it: every question answered
// Yes, a run that shows nothing. With a job file to choose it is the main window's engine: "Åbn
// job..." chooses that file, and with the shell opening a job tells of failed unattended runs
// and offers their report. Without one it is the engine alone, with no shell.
struct Session {
    explicit Session(SimFileSystem& disk, std::optional<std::string> chosenJob = std::nullopt)
        : jobView(chosenJob),
          session(JobSessionDeps{.fs = disk, .settings = app, .clock = clock, .messages = messages, .jobView = jobView,
                                 .programFolder = "C:\\Prog\\", .abort = &abort,
                                 .shell = chosenJob ? &shell : nullptr},
                  shellInfo) {
        app.Open();
        session.ReadDrives();
    }
    SimSettingsStore store;
    AppSettings app{store};
    SimMessageBox messages;
    SimClock clock;
    SimShellInfo shellInfo;
    SimShell shell;
    ChoosingJobView jobView;
    std::atomic<bool> abort{false};
    JobSession session;
};

std::vector<std::string> CutItems(std::string_view bytes) {
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '|') {
            items.emplace_back(bytes.substr(start, i - start));
            start = i + 1;
        }
    }
    return items;
}

}  // namespace

std::string FuzzJobFile(std::string_view bytes) {
    JobReadResult result;
    const JobSettings first = ReadJob(bytes, &result);
    if (result.version2 && result.tooShort) return "a version-2 file reported as a short version-1 file";
    if (!IsValidUtf8(first.description) || !IsValidUtf8(first.destination)) return "text read is not UTF-8";
    const std::string saved = JobFileBytes(first);
    JobReadResult again;
    const JobSettings second = ReadJob(saved, &again);
    if (!again.version2) return "a saved job does not read as version 2";
    if (std::string d = Difference(first, second); !d.empty()) return "saved and loaded again: " + d;
    if (JobFileBytes(second) != saved) return "saving twice gives different files";
    return {};
}

std::string FuzzCommaText(std::string_view bytes) {
    const std::vector<std::string> items = FromCommaText(bytes);
    const std::string text = ToCommaText(items);
    if (FromCommaText(text) != items) return "comma text of " + Join(items) + " reads back differently";
    // Lists that a user can build (any texts, empty ones included) survive writing and reading.
    std::vector<std::string> cut = CutItems(bytes);
    if (cut.size() == 1 && cut[0].empty()) cut.clear();
    const std::string written = ToCommaText(cut);
    if (FromCommaText(written) != cut) return "list " + Join(cut) + " written as " + Quote(written) + " reads back differently";
    return {};
}

std::string FuzzJobList(std::string_view bytes) {
    const TextFileLines first = ReadJobListText(bytes);
    for (const std::string& line : first.lines)
        if (line.empty() || !IsValidUtf8(line)) return "an empty or non-UTF-8 folder line";
    const TextFileLines second = ReadJobListText(JobListBytes(first.lines));
    if (second.damaged) return "a written list reads as damaged";
    if (second.lines != first.lines) return "list " + Join(first.lines) + " reads back as " + Join(second.lines);
    return {};
}

std::string FuzzLoadJob(std::string_view bytes) {
    const size_t cut = bytes.find('\0');
    const std::string_view jobBytes = bytes.substr(0, cut);
    const std::string_view listBytes = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);

    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddDrive('D');
    fs.AddFolder("C:\\Data\\Sub\\Deep");
    fs.AddFolder("C:\\Data\\Æble");
    fs.AddFolder("C:\\Projekter\\Web");
    fs.AddFolder("D:\\Backup");
    fs.AddFolderLink("C:\\Data\\Loop", "C:\\Data");
    fs.AddFile("C:\\Jobs\\F.tvj", std::string(jobBytes));
    fs.AddFile("C:\\Jobs\\F.tvl", std::string(listBytes));

    Session world(fs);
    JobController& controller = world.session.Job();
    if (!world.session.OpenJob("C:\\Jobs\\F.tvj")) return "a readable job file failed to load";
    const JobSettings settings = controller.Settings();
    const std::vector<std::string> collected = controller.CollectMarkedFolders();
    for (const std::string& folder : collected)
        if (folder.empty() || folder.back() != '\\' || !FolderExists(fs, folder))
            return "collected " + Quote(folder) + ", which is no existing folder";

    // Saved and opened again, the job is the same job with the same marks.
    if (!controller.Save()) return "the loaded job could not be saved";
    world.session.Marking().ClearAllMarks();
    if (!controller.LoadJob("C:\\Jobs\\F.tvj")) return "the saved job failed to load";
    if (std::string d = Difference(settings, controller.Settings()); !d.empty()) return "saved and loaded again: " + d;
    const std::vector<std::string> again = controller.CollectMarkedFolders();
    if (again != collected) return "marks " + Join(collected) + " came back as " + Join(again);
    return {};
}

namespace {


// Every file below the folder with its content, by full path.
void Snapshot(SimFileSystem& fs, const std::string& folder, std::map<std::string, std::string>& files, int depth = 0) {
    if (depth > 8) return;
    for (const std::string& name : fs.List(folder)) {
        const std::string path = folder + name;
        auto entry = fs.Entry(path);
        if (!entry) continue;
        if (entry->attributes & kAttrReparsePoint) continue;
        if (entry->IsFolder())
            Snapshot(fs, path + "\\", files, depth + 1);
        else
            files[path] = fs.Content(path);
    }
}

std::string TempLeft(SimFileSystem& fs, const std::string& folder, int depth = 0) {
    if (depth > 8) return {};
    for (const std::string& name : fs.List(folder)) {
        const std::string path = folder + name;
        auto entry = fs.Entry(path);
        if (!entry || (entry->attributes & kAttrReparsePoint)) continue;
        if (IsTempName(name)) return path;
        if (entry->IsFolder())
            if (std::string t = TempLeft(fs, path + "\\", depth + 1); !t.empty()) return t;
    }
    return {};
}

}  // namespace

std::string FuzzRunJob(std::string_view bytes) {
    const size_t cut = bytes.find('\0');
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddDrive('D');
    fs.AddShare("\\\\srv\\share\\");
    const FileTime t0 = SimFileSystem::MakeFileTime(2024, 5, 1, 10);
    fs.AddFile("C:\\Data\\a.txt", "alpha", t0);
    fs.AddFile("C:\\Data\\b.bak", "beta", t0);
    fs.AddFile("C:\\Data\\Sub\\c.doc", std::string(3000, 'c'), t0, kAttrReadOnly);
    fs.AddFile("C:\\Data\\Æble\\d.txt", "delta", t0);
    fs.AddFolder("C:\\Data\\Tom");
    fs.AddFolderLink("C:\\Data\\Sub\\Loop", "C:\\Data");
    fs.AddFile("C:\\Andet\\e.txt", "epsilon", t0);
    fs.AddFile("D:\\Backup\\Data\\a.txt", "old alpha", t0 - 100000000ull);
    fs.AddFile("C:\\Jobs\\F.tvj", std::string(bytes.substr(0, cut)));
    fs.AddFile("C:\\Jobs\\F.tvl", cut == std::string_view::npos ? std::string() : std::string(bytes.substr(cut + 1)));

    Session world(fs);  // every question answered Yes
    JobController& controller = world.session.Job();
    CopyRun& run = world.session.Run();
    world.session.OpenJob("C:\\Jobs\\F.tvj");

    std::map<std::string, std::string> before;
    for (const std::string& folder : controller.CollectMarkedFolders()) Snapshot(fs, folder, before);

    run.RunCopy(rmCount);
    for (const auto& [path, content] : before)
        if (fs.Content(path) != content || !fs.Exists(path)) return "a count run changed " + path;
    const bool reverse = controller.Settings().reverse;
    // Files inside the destination are its contents, which the user may have it empty first,
    // even where the destination lies inside a marked folder.
    // A marked folder inside the destination stays, though: emptying never reaches it.
    // The folder the question named: Windows reads "C:\\Data\\.\\" as C:\\Data\\.
    auto collapse = [](const std::string& path) { return IncludeTrailingBackslash(NormalizeFullPath(path)); };
    const std::string dest = collapse(controller.Settings().destination);
    auto within = [](const std::string& path, const std::string& folder) {
        return path.size() > folder.size() && EqualsNoCase(path.substr(0, folder.size()), folder);
    };
    auto insideDestination = [&](const std::string& path) {
        if (dest == "\\" || !within(path, dest)) return false;
        for (const std::string& folder : controller.MarkedFolders()) {
            const std::string m = collapse(folder);
            if ((EqualsNoCase(m, dest) || within(m, dest)) && within(path, m)) return false;
        }
        return true;
    };
    // A file inside the destination may also be where another marked folder's file is copied
    // to (a marked folder that lies inside the destination); then it may become that copy.
    auto copiedOnto = [&](const std::string& path) {
        for (const std::string& folder : controller.MarkedFolders()) {
            const std::string m = collapse(folder);
            const std::string landing = DestinationOf(m, dest, 3);
            if (m.size() < 3 || !within(path, landing)) continue;
            const std::string source = m + path.substr(landing.size());
            if (!EqualsNoCase(source, path) && fs.Exists(source) && fs.Content(source) == fs.Content(path)) return true;
        }
        return false;
    };
    run.RunCopy(rmCopy);
    if (!reverse)
        for (const auto& [path, content] : before) {
            // The file's path as Windows reads it: a marked folder may be written "D:\\x\\..\\".
            const std::string at = NormalizeFullPath(path);
            if (insideDestination(at)) continue;
            if (!fs.Exists(path)) return "a copy run removed the source file " + path;
            if (fs.Content(path) != content && !copiedOnto(at)) return "a copy run changed the source file " + path;
        }
    for (const char* root : {"C:\\", "D:\\", "\\\\srv\\share\\"})
        if (std::string t = TempLeft(fs, root); !t.empty()) return "a temporary copy was left: " + t;
    for (const SimMessage& m : world.messages.shown)
        if (m.text == kCopyErrorText || m.text == kDeleteErrorText) return "the walk stopped on an error: " + m.text;
    return {};
}

std::string FuzzCmdLine(std::string_view bytes) {
    const std::string line(bytes);
    const std::vector<std::string> parameters = SplitParameters(line);
    std::string quoted;
    for (const std::string& p : parameters) {
        for (char c : p)
            if (c == '"') return "a parameter kept a double quote";
        quoted += (quoted.empty() ? "" : " ") + Quote(p);
    }
    if (SplitParameters(quoted) != parameters) return "parameters " + Join(parameters) + " quoted do not split back";
    const std::vector<std::string> afterProgram = SplitCommandLine(line);
    if (afterProgram.size() != (parameters.empty() ? 0 : parameters.size() - 1))
        return "the program's path is not the only token dropped";
    if (ParseRunCommand(line) && AsciiUpper(line) != "/R" && AsciiUpper(line) != "/T") return "a command accepted loosely";
    return {};
}

std::string FuzzDecodeText(std::string_view bytes) {
    const std::string text = DecodeTextFile(bytes);
    if (!IsValidUtf8(text)) return "decoded text is not UTF-8";
    const std::string encoded = EncodeTextFile(text);
    const std::string again = DecodeTextFile(encoded);
    if (again != text) return "text " + Quote(text) + " saved reads back as " + Quote(again);
    // The lines of a file are the lines of its text.
    for (const std::string& line : SplitLines(text))
        if (line.find_first_of("\r\n") != std::string::npos) return "a line holds a line break";
    return {};
}

namespace {

// Cuts the bytes at NUL bytes into at most count parts; missing parts are empty.
std::vector<std::string> CutAtNul(std::string_view bytes, size_t count) {
    std::vector<std::string> parts;
    while (parts.size() + 1 < count) {
        const size_t cut = bytes.find('\0');
        if (cut == std::string_view::npos) break;
        parts.emplace_back(bytes.substr(0, cut));
        bytes.remove_prefix(cut + 1);
    }
    parts.emplace_back(bytes);
    parts.resize(count);
    return parts;
}

std::string SameRun(const HistoryEntry& a, const HistoryEntry& b) {
    if (a.when != b.when) return "the time";
    if (a.program != b.program || a.kind != b.kind || a.end != b.end) return "the program, kind or end";
    if (a.examined != b.examined || a.copied != b.copied || a.failed != b.failed) return "a count";
    if (a.seconds != b.seconds) return "the time taken";
    if (a.note != b.note) return "the note " + Quote(a.note) + " -> " + Quote(b.note);
    return {};
}

// Every file on the disk with what the program could change of it.
struct FileState {
    std::string content;
    uint32_t attributes = 0;
    FileTime written = 0;
    bool operator==(const FileState&) const = default;
};
using DiskState = std::map<std::string, FileState>;

void TakeState(SimFileSystem& fs, const std::string& folder, DiskState& state, int depth = 0) {
    if (depth > 8) return;
    for (const std::string& name : fs.List(folder)) {
        const std::string path = folder + name;
        auto entry = fs.Entry(path);
        if (!entry) continue;
        state[path] = FileState{entry->IsFolder() ? std::string() : fs.Content(path), entry->attributes,
                                entry->lastWrite};
        if (entry->IsFolder() && !(entry->attributes & kAttrReparsePoint)) TakeState(fs, path + "\\", state, depth + 1);
    }
}

DiskState StateOf(SimFileSystem& fs) {
    DiskState state;
    for (const char* root : {"C:\\", "D:\\", "\\\\srv\\share\\"}) TakeState(fs, root, state);
    return state;
}

// What differs between two states of the disk, named by one path; empty when nothing does.
std::string Changed(const DiskState& before, const DiskState& after) {
    for (const auto& [path, file] : before) {
        auto found = after.find(path);
        if (found == after.end()) return "removed " + path;
        if (!(found->second == file)) return "changed " + path;
    }
    for (const auto& [path, file] : after)
        if (!before.count(path)) return "created " + path;
    return {};
}

// The operations that change a disk; opening a job makes none of them.
constexpr SimOp kChangingOps[] = {SimOp::CreateFolder, SimOp::CopyFile,      SimOp::MoveReplace, SimOp::DeleteFile,
                                  SimOp::RemoveFolder, SimOp::SetAttributes, SimOp::WriteFile};
const char* OpName(SimOp op) {
    switch (op) {
    case SimOp::CreateFolder: return "CreateFolder";
    case SimOp::CopyFile: return "CopyFile";
    case SimOp::MoveReplace: return "MoveReplace";
    case SimOp::DeleteFile: return "DeleteFile";
    case SimOp::RemoveFolder: return "RemoveFolder";
    case SimOp::SetAttributes: return "SetAttributes";
    case SimOp::WriteFile: return "WriteFile";
    default: return "?";
    }
}

}  // namespace

std::string FuzzOpenJob(std::string_view bytes) {
    const std::vector<std::string> parts = CutAtNul(bytes, 3);
    const std::string job = "C:\\Jobs\\F.tvj";
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddDrive('D');
    fs.AddShare("\\\\srv\\share\\");
    const FileTime t0 = SimFileSystem::MakeFileTime(2024, 5, 1, 10);
    fs.AddFile("C:\\Data\\a.txt", "alpha", t0);
    fs.AddFile("C:\\Data\\Sub\\c.doc", std::string(3000, 'c'), t0, kAttrReadOnly);
    fs.AddFile("C:\\Data\\Æble\\d.txt", "delta", t0);
    fs.AddFolder("C:\\Data\\Tom");
    fs.AddFolderLink("C:\\Data\\Sub\\Loop", "C:\\Data");
    fs.AddFile("D:\\Backup\\Data\\a.txt", "old alpha", t0 - 100000000ull);
    fs.AddFile("D:\\Backup\\Gammel\\g.txt", "kun i destinationen", t0);
    fs.AddFile("\\\\srv\\share\\Backup\\s.txt", "share", t0);
    fs.AddFile(job, parts[0], t0);
    fs.AddFile("C:\\Jobs\\F.tvl", parts[1], t0);
    fs.AddFile("C:\\Jobs\\F.log", parts[2], t0);

    Session world(fs, job);
    bool ran = false;
    const DiskState before = StateOf(fs);
    fs.ResetCounts();
    auto check = [&](const char* how) -> std::string {
        if (ran) return std::string(how) + " started a run";
        for (SimOp op : kChangingOps)
            if (fs.Calls(op) != 0) return std::string(how) + " made a " + OpName(op) + " operation";
        if (std::string d = Changed(before, StateOf(fs)); !d.empty()) return std::string(how) + " " + d;
        if (!EqualsNoCase(world.session.Job().JobFileName(), job)) return std::string(how) + " did not open the job";
        return {};
    };
    // A double-click on the file: the command line holds the file and no command.
    RunCommandLine({job}, CommandLineDeps{fs, world.session.Job(), world.session.Marking(), world.messages,
                                          [&](RunMode) { ran = true; }});
    if (std::string fault = check("opening from the command line"); !fault.empty()) return fault;
    // Åbn job... in the menu, and the open of the job engine itself.
    world.session.Job().Open();
    if (std::string fault = check("Åbn job"); !fault.empty()) return fault;
    world.session.OpenJob(job);
    if (std::string fault = check("opening the job"); !fault.empty()) return fault;
    return {};
}

std::string FuzzHistory(std::string_view bytes) {
    const std::string job = "C:\\Jobs\\F.tvj", path = "C:\\Jobs\\F.log";
    SimFileSystem fs;
    fs.AddDrive('C');
    fs.AddFile(path, std::string(bytes));
    for (size_t readBytes : {kHistoryReadBytes, size_t(100)}) {
        const RunHistory history = ReadRunHistory(fs, job, readBytes);
        for (const HistoryEntry& entry : history.entries) {
            if (!IsValidUtf8(entry.line)) return "a history line read is not UTF-8";
            const std::string written = FormatHistoryLine(entry);
            const std::optional<HistoryEntry> again = ParseHistoryLine(written);
            if (!again) return "the line " + Quote(entry.line) + " written anew as " + Quote(written) + " does not read";
            // The writer makes a note one line of plain blanks, so only a written note must
            // come back as it was.
            HistoryEntry plain = entry;
            plain.note = again->note;
            if (std::string d = SameRun(plain, *again); !d.empty())
                return "the line " + Quote(entry.line) + " written anew as " + Quote(written) + " changes " + d;
            if (FormatHistoryLine(*again) != written) return "the line " + Quote(written) + " is written differently again";
            if (!IsValidUtf8(WhatWentWrong(entry))) return "what went wrong is not UTF-8";
        }
        // The newest run shown, nothing after it is unseen; every unseen run went wrong.
        if (!UnseenFailedRuns(history, MarkerOf(history)).empty()) return "a run after the newest counts as unseen";
        const std::vector<HistoryEntry> unseen = UnseenFailedRuns(history, "");
        for (const HistoryEntry& entry : unseen)
            if (!WentWrong(entry)) return "a run that went well counts as gone wrong";
        if (!IsValidUtf8(FailedRunsMessage(unseen))) return "the message of failed runs is not UTF-8";
        for (const HistoryEntry& entry : history.entries)
            if (UnseenFailedRuns(history, entry.line).size() > unseen.size())
                return "a marker makes more runs unseen than none";
    }

    // A run appended: the new line is the newest entry; when the file is not taken, it is
    // left exactly as it was.
    HistoryEntry run;
    run.when = LocalTime{2026, 12, 9, 22, 0, 3};
    run.program = RunProgram::Tavrelc;
    run.end = RunEnd::Aborted;
    run.examined = 1234;
    run.copied = 56;
    run.failed = 3;
    run.seconds = 62;
    run.note = "Afbrudt af brugeren.";
    const RunHistory before = ReadRunHistory(fs, job, SIZE_MAX);
    if (std::optional<std::string> failure = AppendRunHistory(fs, job, run)) {
        if (fs.Content(path) != bytes) return "a refused append changed the file";
        if (before.entries.size() != 0) return "an append to a history was refused: " + *failure;
        return {};
    }
    const RunHistory after = ReadRunHistory(fs, job, SIZE_MAX);
    if (after.entries.empty()) return "the appended run is not in the history";
    if (std::string d = SameRun(run, after.entries.back()); !d.empty()) return "the appended run reads back with " + d;
    // Runs read before the append stay, the oldest dropped only beyond the limit.
    const size_t kept = std::min(before.entries.size(), kHistoryMaxLines - 1);
    if (before.front && bytes.size() < 4096 && after.entries.size() < kept + 1)
        return "the append lost runs: " + std::to_string(before.entries.size()) + " before, " +
               std::to_string(after.entries.size()) + " after";
    return {};
}

std::string FuzzSchedule(std::string_view bytes) {
    // A task as the Task Scheduler hands it back: 16 bytes of numbers, then its texts and the
    // job's path between NUL bytes.
    std::string head(bytes.substr(0, std::min<size_t>(16, bytes.size())));
    head.resize(16, '\0');
    const std::vector<std::string> texts = CutAtNul(bytes.size() > 16 ? bytes.substr(16) : std::string_view(), 5);
    auto byte = [&](size_t i) { return static_cast<unsigned char>(head[i]); };
    TaskState state;
    state.definition.trigger = static_cast<TaskTrigger>(byte(0) % 4);
    // Mostly sound values, sometimes any: the numbers of a task edited elsewhere.
    auto number = [&](size_t i, int range) { return byte(i) & 0x80 ? static_cast<signed char>(byte(i + 1)) : byte(i + 1) % range; };
    state.definition.hour = number(1, 24);
    state.definition.minute = number(3, 60);
    state.definition.weekday = number(5, 7);
    state.definition.startWhenAvailable = byte(7) & 1;
    state.enabled = byte(7) & 2;
    if (byte(7) & 4) state.lastRun = LocalTime{2000 + byte(8), byte(9) % 14, byte(10) % 33, byte(11) % 25, byte(12) % 61, 0};
    if (byte(7) & 8) state.lastResult = static_cast<uint32_t>(byte(13)) << 24 | byte(14) << 16 | byte(15);
    state.definition.program = texts[0];
    state.definition.arguments = texts[1];
    state.definition.workingFolder = texts[2];
    state.definition.description = texts[3];
    const std::string job = texts[4].empty() ? "C:\\Jobs\\F.tvj" : texts[4];
    const std::string folder = "C:\\Prog\\";

    const std::string name = TaskNameFor(job);
    if (!IsValidUtf8(name) || name.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return "task name " + Quote(name) + " is no name the Task Scheduler takes";
    if (!EqualsNoCase(TaskNameFor(AsciiUpper(job)), name)) return "the task name depends on the letter case of the path";

    SimTaskScheduler scheduler;
    scheduler.Put(kTaskFolder, name, state);
    const PlanStatus status = ReadPlan(scheduler, job, folder);
    if (!status.hasTask || !status.error.empty()) return "the task was not read";
    const Plan& plan = status.plan;
    if (plan.kind == PlanKind::Never) return "a task read as no plan";
    if (plan.hour < 0 || plan.hour > 23 || plan.minute < 0 || plan.minute > 59 || plan.weekday < 0 || plan.weekday > 6)
        return "a plan with a time out of range: " + std::to_string(plan.hour) + ":" + std::to_string(plan.minute);
    for (const std::string& text : {DescribePlan(plan), status.lastRun, LastResultText(state.lastResult.value_or(0))})
        if (text.empty() || !IsValidUtf8(text)) return "an empty or non-UTF-8 text: " + Quote(text);

    // The dialog opened on the task and closed with OK: a plan it can show is written anew as
    // it was read, one it cannot show leaves the task as the Task Scheduler has it.
    const std::variant<Plan, std::string> read = ReadForm(FormFor(plan));
    if (plan.kind == PlanKind::Other) {
        if (!std::holds_alternative<std::string>(read)) return "a task the dialog cannot show reads as a plan";
        const std::optional<std::string> failure = ApplyPlan(scheduler, job, folder, plan);
        if (failure && !failure->starts_with("Jobbet kan kun planlægges")) return "keeping a task as it is failed";
        if (scheduler.sets != 0 || scheduler.removes != 0) return "a task the dialog cannot show was written";
        return {};
    }
    if (!std::holds_alternative<Plan>(read)) return "the plan read does not fill the dialog: " + std::get<std::string>(read);
    // What the dialog shows of the plan: a weekday only for a weekly plan, a time for a timed one.
    auto shown = [](Plan p) {
        if (p.kind != PlanKind::Weekly) p.weekday = 0;
        if (p.kind == PlanKind::AtLogon) p = Plan{PlanKind::AtLogon};
        return p;
    };
    if (!(shown(std::get<Plan>(read)) == shown(plan))) return "the dialog changes the plan read";
    if (std::optional<std::string> failure = ApplyPlan(scheduler, job, folder, plan)) {
        // Only a job without a full path cannot be planned.
        if (!failure->starts_with("Jobbet kan kun planlægges")) return "writing the plan read failed: " + *failure;
        return {};
    }
    const PlanStatus again = ReadPlan(scheduler, job, folder);
    if (!(shown(again.plan) == shown(plan)) || !again.actionCurrent) return "the plan written anew reads back differently";
    return {};
}

std::string FuzzSettings(std::string_view bytes) {
    // The program's registry values as another version, a hand edit or damage may leave them:
    // the values of "Start" and "Filer" between NUL bytes; an empty part is a missing value.
    static const std::pair<const char*, const char*> kValues[] = {
        {"Start", "Top"},  {"Start", "Venstre"}, {"Start", "Højde"}, {"Start", "Bredde"}, {"Start", "Fil"},
        {"Start", "Floppy"}, {"Filer", "Fil1"},  {"Filer", "Fil2"},  {"Filer", "Fil3"},   {"Filer", "Fil4"},
    };
    const std::vector<std::string> parts = CutAtNul(bytes, std::size(kValues) + 1);
    SimSettingsStore store;
    for (size_t i = 0; i < std::size(kValues); ++i)
        if (!parts[i].empty()) store.Set(kValues[i].first, kValues[i].second, parts[i]);
    AppSettings settings(store);
    settings.Open();

    // A number read is the number written: the next start reads the window where it was.
    const WindowPlacement placement = settings.ReadPlacement(96);
    settings.WriteStartValues(placement, settings.ReadLastJob(), settings.ReadFloppy());
    const WindowPlacement again = settings.ReadPlacement(96);
    if (again.top != placement.top || again.left != placement.left || again.height != placement.height ||
        again.width != placement.width)
        return "the window placement written and read again moved";

    // The recent files: at most four, none empty; one added comes first, and at most once
    // among the ones the list held without repeats.
    const std::vector<std::string> recent = settings.RecentFiles();
    if (recent.size() > 4) return "more than four recent files";
    for (const std::string& file : recent)
        if (file.empty()) return "an empty recent file";
    const std::string added = parts.back().empty() ? "C:\\Jobs\\Ny.tvj" : parts.back();
    settings.AddRecentFile(added);
    const std::vector<std::string> after = settings.RecentFiles();
    if (after.empty() || after.front() != added) return "the file added is not the first recent file";
    if (after.size() > 4) return "more than four recent files after adding one";
    std::vector<std::string> unique = recent;
    std::sort(unique.begin(), unique.end());
    if (std::adjacent_find(unique.begin(), unique.end()) == unique.end() &&
        std::count(after.begin(), after.end(), added) != 1)
        return "the file added stands twice in the recent files";
    // Every file the list held stays in it unless four newer ones pushed it out.
    for (size_t i = 0; i < recent.size() && i < 3; ++i)
        if (recent[i] != added && std::find(after.begin(), after.end(), recent[i]) == after.end())
            return "the recent file " + Quote(recent[i]) + " was lost";
    return {};
}

const std::vector<NamedTarget>& AllTargets() {
    static const std::vector<NamedTarget> targets = {
        {"jobfile", FuzzJobFile},   {"commatext", FuzzCommaText}, {"joblist", FuzzJobList},
        {"loadjob", FuzzLoadJob},   {"cmdline", FuzzCmdLine},     {"decodetext", FuzzDecodeText},
        {"runjob", FuzzRunJob},     {"openjob", FuzzOpenJob},     {"history", FuzzHistory},
        {"schedule", FuzzSchedule}, {"settings", FuzzSettings},
    };
    return targets;
}

}  // namespace tavrel::fuzz
