#include "fuzz/Targets.h"

#include <atomic>
#include <map>

#include "base/Path.h"
#include "base/Text.h"
#include "core/CmdLine.h"
#include "core/CopyRules.h"
#include "core/JobFile.h"
#include "core/JobSession.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimSystem.h"

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

// The job engine over the simulated disk, as the programs compose it: no window, every
// question answered Yes, a run that shows nothing.
struct Session {
    explicit Session(SimFileSystem& disk)
        : session(JobSessionDeps{.fs = disk, .settings = app, .clock = clock, .messages = messages, .jobView = jobView,
                                 .programFolder = "C:\\Prog\\", .abort = &abort},
                  shell) {
        app.Open();
        session.ReadDrives();
    }
    SimSettingsStore store;
    AppSettings app{store};
    SimMessageBox messages;
    SimClock clock;
    SimShellInfo shell;
    NullJobView jobView;
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
    auto collapse = [](std::string path) {
        for (size_t i = 1; i < path.size();)
            if (path[i] == '\\' && path[i - 1] == '\\')
                path.erase(i, 1);
            else
                ++i;
        return IncludeTrailingBackslash(path);
    };
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
    run.RunCopy(rmCopy);
    if (!reverse)
        for (const auto& [path, content] : before) {
            if (insideDestination(path)) continue;
            if (!fs.Exists(path)) return "a copy run removed the source file " + path;
            if (fs.Content(path) != content) return "a copy run changed the source file " + path;
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

const std::vector<NamedTarget>& AllTargets() {
    static const std::vector<NamedTarget> targets = {
        {"jobfile", FuzzJobFile},   {"commatext", FuzzCommaText}, {"joblist", FuzzJobList},
        {"loadjob", FuzzLoadJob},   {"cmdline", FuzzCmdLine},     {"decodetext", FuzzDecodeText},
        {"runjob", FuzzRunJob},
    };
    return targets;
}

}  // namespace tavrel::fuzz
