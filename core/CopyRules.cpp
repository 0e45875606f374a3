#include "core/CopyRules.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <unordered_map>

#include "core/Formats.h"
#include "core/Texts.h"
#include "core/TimeRules.h"
#include "base/Text.h"
#include "base/Path.h"

namespace tavrel {

const char* const kCopyErrorText = "Der er sket en fejl under kopieringen. Tjek om destinationsdrevet er fyldt.";
const char* const kDeleteErrorText = "Der er sket en fejl under sletningen.";

namespace {

// The walk's texts.
constexpr const char* kFolderUnreadableText = "Mappens indhold kunne ikke læses.";
constexpr const char* kErrorCodeText = "Fejlkode ";  // a failure the system gave no text for
constexpr const char* kLookingThrough = "Gennemser ";  // lblMappe while files are left out
constexpr uint32_t kErrorAccessDenied = 5;

constexpr std::string_view kTempPrefix = "~tavrel-";
constexpr std::string_view kTempSuffix = ".tmp";
// "." and eight hex digits between the name and the suffix.
constexpr size_t kTempCheckLength = 9;
// The system's codes for a target that is already there.
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorAlreadyExists = 183;
// A name component may hold 255 characters; longer temporary names fall back to a hash.
constexpr size_t kMaxNameLength = 255;

// The drive or share a path lies on ("E:\\", "\\\\srv\\share\\"), folded: the key of its volume.
std::string VolumeRootOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return FoldCase(path.substr(0, 2)) + "\\";
    if (path.starts_with("\\\\")) {
        const size_t server = path.find('\\', 2);
        const size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
        return FoldCase(share == std::string::npos ? path : path.substr(0, share)) + "\\";
    }
    return {};
}
// From this size on a copy reports its bytes as it goes, so that the counts move and an abort
// stops it; a smaller file is copied in one go.
constexpr uint64_t kReportedCopySize = 4ull << 20;
// A copy on the walk's own thread lets the window handle its messages after this many bytes,
// or this long, whichever comes first.
constexpr uint64_t kPumpEveryBytes = 8ull << 20;
constexpr auto kPumpEvery = std::chrono::milliseconds(200);
// How long the walk waits for a copy before it lets the window handle its messages again.
constexpr auto kCopyWait = std::chrono::milliseconds(50);
// Outcomes pending per worker before the walk waits: enough to keep every worker busy, few
// enough that a long walk holds no more than a handful of names.
constexpr size_t kPendingPerWorker = 4;

// The check of a temporary name: FNV-1a over a key of the program's and the name it stands for.
// A name the user made up passes it once in four thousand million.
std::string TempCheck(std::string_view stem) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : std::string_view("Ambrex Tavrel")) hash = (hash ^ c) * 16777619u;
    for (unsigned char c : stem) hash = (hash ^ c) * 16777619u;
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(hash));
    return text;
}

std::string TempNameWithStem(std::string_view stem) {
    return std::string(kTempPrefix) + std::string(stem) + "." + TempCheck(stem) + std::string(kTempSuffix);
}

bool StartsWithDot(const std::string& name) { return !name.empty() && name[0] == '.'; }

bool SameFolderPath(const std::string& a, const std::string& b) {
    return EqualsNoCase(IncludeTrailingBackslash(a), IncludeTrailingBackslash(b));
}

}  // namespace

const std::optional<uint64_t>& FolderIdentity::Index() {
    if (!indexAsked_) {
        indexAsked_ = true;
        index_ = fs_.GetFileIndex(path_);
    }
    return index_;
}

const std::optional<FileId>& FolderIdentity::Whole() {
    if (!wholeAsked_) {
        wholeAsked_ = true;
        whole_ = fs_.GetFileId(path_);
    }
    return whole_;
}

bool FolderIdentity::SameAs(FolderIdentity& other) {
    if (Index() && other.Index() && *Index() != *other.Index()) return false;
    return Whole() && other.Whole() && *Whole() == *other.Whole();
}

bool FolderIdentity::SameAs(const FileId& id) {
    if (Index() && *Index() != id.index) return false;
    return Whole() && *Whole() == id;
}

std::string TempNameFor(const std::string& fileName) {
    std::string name = TempNameWithStem(fileName);
    if (Utf8Length(name) <= kMaxNameLength) return name;
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : fileName) hash = (hash ^ c) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return TempNameWithStem(text);
}

bool IsTempName(const std::string& fileName) {
    const std::string_view name = fileName;
    const size_t pre = kTempPrefix.size(), suf = kTempSuffix.size();
    if (name.size() <= pre + kTempCheckLength + suf) return false;
    if (!EqualsAsciiNoCase(name.substr(0, pre), kTempPrefix) ||
        !EqualsAsciiNoCase(name.substr(name.size() - suf), kTempSuffix))
        return false;
    const std::string_view middle = name.substr(pre, name.size() - pre - suf);
    const std::string_view stem = middle.substr(0, middle.size() - kTempCheckLength);
    const std::string_view check = middle.substr(stem.size());
    return check[0] == '.' && EqualsAsciiNoCase(check.substr(1), TempCheck(stem));
}

// What a destination folder held when the walk came to the folder it mirrors. One enumeration
// answers the new-and-changed test and the existence checks for every entry of the folder,
// where a look-up and an open per file would cost two system calls each (and, on file systems
// that match names without regard to case by reading the folder, a read of the whole folder).
class CopyRules::DestListing {
public:
    enum class State { Unread, Listed, Absent, Unknown };

    State Get() const { return state_; }

    void Read(IFileSystem& fs, const std::string& folder) {
        auto folderEnum = fs.OpenFolder(folder);
        if (!folderEnum) {
            state_ = FolderExists(fs, folder) ? State::Unknown : State::Absent;
            return;
        }
        state_ = State::Listed;
        DirEntry entry;
        while (folderEnum->Next(entry)) {
            if (entry.name == "." || entry.name == "..") continue;
            if (!entry.IsFolder() && entry.name.size() > kTempPrefix.size() &&
                EqualsAsciiNoCase(std::string_view(entry.name).substr(0, kTempPrefix.size()), kTempPrefix)) {
                tempNamed_ = true;
                if (IsTempName(entry.name)) leftovers_.push_back(entry.name);
            }
            Put(entry);
        }
    }

    // The program's temporary copies that the folder held when it was read.
    const std::vector<std::string>& Leftovers() const { return leftovers_; }
    // Whether it held any file named like a temporary copy, the program's or not.
    bool HeldTempNames() const { return tempNamed_; }

    // The folder was created by the walk just now: it is empty.
    void Created() {
        if (state_ != State::Listed) state_ = State::Listed;
    }

    // The entry of this name: written as given, else without regard to case. A name that holds
    // letters beyond those FoldCase knows may still match under the system's own rules, so a
    // miss for it proves nothing (see MissIsCertain).
    const DirEntry* Find(const std::string& name) const {
        auto it = exact_.find(name);
        if (it != exact_.end()) return &it->second;
        auto folded = folded_.find(FoldCase(name));
        if (folded == folded_.end()) return nullptr;
        it = exact_.find(folded->second);
        return it == exact_.end() ? nullptr : &it->second;
    }

    static bool MissIsCertain(const std::string& name) {
        for (unsigned char c : name)
            if (c >= 0xC4) return false;  // a lead byte of a code point from U+0100 on
        return true;
    }

    void Put(const DirEntry& entry) {
        folded_.emplace(FoldCase(entry.name), entry.name);
        exact_[entry.name] = entry;
    }

    void Remove(const std::string& name) {
        const DirEntry* there = Find(name);
        if (!there) return;
        const std::string key = there->name;
        folded_.erase(FoldCase(key));
        exact_.erase(key);
    }

private:
    State state_ = State::Unread;
    std::unordered_map<std::string, DirEntry> exact_;
    std::unordered_map<std::string, std::string> folded_;
    std::vector<std::string> leftovers_;
    bool tempNamed_ = false;
};

bool TypeIncluded(const JobSettings& settings, const std::string& fileName) {
    bool included = !settings.onlyListedTypes;
    const std::string ext = ExtractFileExt(fileName);
    for (const std::string& type : settings.fileTypes) {
        if (EqualsAsciiNoCase(type, ext)) {
            included = !included;
            break;
        }
    }
    return included;
}

std::string ParentFolderOf(const std::string& folder) {
    const std::string path = IncludeTrailingBackslash(folder);
    size_t rootLength = 0;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        size_t found = 0;
        rootLength = path.size();
        for (size_t i = 0; i < path.size(); ++i) {
            if (path[i] == '\\' && ++found == 4) {
                rootLength = i + 1;
                break;
            }
        }
    } else if (path.size() >= 3 && path[1] == ':') {
        rootLength = 3;
    } else {
        rootLength = 1;  // "\\" alone, or a path without a root: the climb ends at its first part
    }
    if (path.size() <= rootLength) return {};
    const size_t cut = path.find_last_of('\\', path.size() - 2);
    if (cut == std::string::npos || cut + 1 < rootLength) return {};
    return path.substr(0, cut + 1);
}

std::string DestinationOf(const std::string& path, const std::string& destBase, size_t stripLength) {
    return destBase + path.substr(std::min(stripLength, path.size()));
}

// One copy handed to the pool, or a failure the walk met behind copies still pending. The
// worker writes the result and then sets done; the walk reads it only after it saw done.
struct CopyRules::Outcome {
    bool isCopy = false;
    std::string source;  // a failure: its path
    std::string target;
    std::string tempName;
    std::string foldedName;  // of the entry, to meet a second name that differs only in case
    DirEntry entry;
    DestListing* listing = nullptr;  // the folder walk's, alive until its copies are settled
    int64_t tenths = 0;
    bool tempMayExist = true;
    CopyHints hints;
    FsError error;
    bool copied = false;
    bool dropped = false;  // not begun: the run was aborted first
    bool threw = false;
    int64_t shownTenths = 0;  // of the copy under way, counted in CopiedSize so far
    std::atomic<uint64_t> bytes{0};
    std::atomic<bool> done{false};
};

CopyRules::CopyRules(WalkContext& context) : ctx_(context) {}

CopyRules::~CopyRules() {
    // Every walk settles its copies; the workers may still be ending.
    pool_.reset();
}

void CopyRules::RecordFailure(const std::string& path, const FsError& error) {
    if (outcomes_.empty()) {
        RecordFailureNow(path, error);
        return;
    }
    auto outcome = std::make_shared<Outcome>();
    outcome->source = path;
    outcome->error = error;
    outcome->done = true;
    outcomes_.push_back(std::move(outcome));
}

void CopyRules::RecordFailureNow(const std::string& path, const FsError& error) {
    ++ctx_.counters.FailedCount;
    std::string text = error.text;
    if (text.empty()) text = kErrorCodeText + std::to_string(error.code);
    ctx_.skipped.AddFailure(path, text);
}

bool CopyRules::EnterFolder(FolderIdentity& id) {
    for (FolderIdentity* open : openFolders_)
        if (id.SameAs(*open)) return false;
    openFolders_.push_back(&id);
    return true;
}

void CopyRules::LeaveFolder() {
    if (!openFolders_.empty()) openFolders_.pop_back();
}

bool CopyRules::IsExcluded(const std::string& folder, FolderIdentity& id) {
    // The destination may only come into being during the walk, so its identity is looked up
    // until it is known.
    excludedIds_.resize(ctx_.excludedFolders.size());
    for (size_t i = 0; i < ctx_.excludedFolders.size(); ++i) {
        if (SameFolderPath(folder, ctx_.excludedFolders[i])) return true;
        if (!excludedIds_[i]) excludedIds_[i] = ctx_.fs.GetFileId(IncludeTrailingBackslash(ctx_.excludedFolders[i]));
        if (excludedIds_[i] && id.SameAs(*excludedIds_[i])) return true;
    }
    return false;
}

void CopyRules::ResolveProtectedIds() {
    if (protectedResolved_) return;
    protectedResolved_ = true;
    // A marked folder and every folder above it: emptying any of them would reach the sources.
    for (const std::string& marked : ctx_.protectedFolders)
        for (std::string path = IncludeTrailingBackslash(marked); !path.empty(); path = ParentFolderOf(path))
            if (auto id = ctx_.fs.GetFileId(path)) protectedIds_.push_back(*id);
}

bool CopyRules::IsProtected(const std::string& folder, FolderIdentity& id) {
    ResolveProtectedIds();
    for (const std::string& marked : ctx_.protectedFolders) {
        const std::string m = IncludeTrailingBackslash(marked);
        const std::string f = IncludeTrailingBackslash(folder);
        if (m.size() >= f.size() && EqualsNoCase(m.substr(0, f.size()), f)) return true;
    }
    for (const FileId& protectedId : protectedIds_)
        if (id.SameAs(protectedId)) return true;
    return false;
}

// Only ever called on temporary copies in a folder the run writes to.
bool CopyRules::DiscardFile(const std::string& path) { return DiscardFile(ctx_.fs, path); }

bool CopyRules::DiscardFile(IFileSystem& fs, const std::string& path) {
    uint32_t attributes = fs.GetAttributes(path);
    if (attributes == kInvalidAttributes || (attributes & kAttrDirectory)) return false;
    if (attributes & kAttrReadOnly) fs.SetAttributes(path, attributes & ~kAttrReadOnly);
    return fs.DeleteFile(path);
}

void CopyRules::RemoveLeftovers(DestListing& listing, const std::string& destFolder) {
    for (const std::string& name : listing.Leftovers())
        if (DiscardFile(destFolder + name)) listing.Remove(name);
}

// Earlier versions named a temporary copy "~tavrel-NAME.tmp", without a check. Such a name
// proves nothing alone: it may be the backup of a file the user called so. It is taken for a
// leftover only beside NAME in a normal copy, and only while the source holds no file of that
// name. A reverse copy writes into the user's own folders and never does this.
void CopyRules::RemoveEarlierLeftover(DestListing& listing, const std::string& folder,
                                      const std::string& destFolder, const std::string& name) {
    const std::string earlier = std::string(kTempPrefix) + name + std::string(kTempSuffix);
    const DirEntry* there = listing.Find(earlier);
    if (!there || there->IsFolder()) return;
    const std::string found = there->name;
    if (ctx_.fs.GetAttributes(folder + earlier) != kInvalidAttributes) return;
    if (DiscardFile(destFolder + found)) listing.Remove(found);
}

bool CopyRules::CopyOneFile(const std::string& source, const std::string& target, FsError& error,
                            bool tempMayExist, const CopyHints* hints) {
    return CopyOneFile(ctx_.fs, source, target, error, tempMayExist, hints);
}

// Runs on the walk's thread or on a worker: it touches nothing but the file system.
bool CopyRules::CopyOneFile(IFileSystem& fs, const std::string& source, const std::string& target, FsError& error,
                            bool tempMayExist, const CopyHints* hints) {
    const std::string temp = ExtractFilePath(target) + TempNameFor(ExtractFileName(target));
    if (tempMayExist) DiscardFile(fs, temp);
    // What is known of the source goes with the copy; what is known of the target only with
    // the rename, since the copy writes the temporary name.
    CopyHints toTemp;
    if (hints) {
        toTemp.sourceSize = hints->sourceSize;
        toTemp.sourceAttributes = hints->sourceAttributes;
        toTemp.progress = hints->progress;
    }
    // Where the temporary name is known to be free, the copy need not look for a file to
    // replace; one that appeared meanwhile is removed and the copy made again.
    bool copied = fs.CopyFile(source, temp, !tempMayExist, &error, &toTemp);
    if (!copied && !tempMayExist && (error.code == kErrorFileExists || error.code == kErrorAlreadyExists)) {
        DiscardFile(fs, temp);
        copied = fs.CopyFile(source, temp, false, &error, &toTemp);
    }
    if (!copied) {
        DiscardFile(fs, temp);
        return false;
    }
    if (fs.MoveReplace(temp, target, &error, hints)) return true;
    // A read-only copy at the destination refuses to be replaced: lift the attribute only for
    // the replacement, and put it back if the replacement still fails.
    const uint32_t old = fs.GetAttributes(target);
    if (old != kInvalidAttributes && !(old & kAttrDirectory) && (old & kAttrReadOnly) &&
        fs.SetAttributes(target, old & ~kAttrReadOnly)) {
        if (fs.MoveReplace(temp, target, &error)) return true;
        fs.SetAttributes(target, old);
    }
    DiscardFile(fs, temp);
    return false;
}

CopyHints CopyRules::HintsFor(const DestListing& listing, const DirEntry& entry) {
    CopyHints hints;
    hints.sourceSize = entry.size;
    hints.sourceAttributes = entry.attributes;
    if (listing.Get() == DestListing::State::Listed) {
        if (const DirEntry* there = listing.Find(entry.name)) {
            hints.targetKnown = true;
            hints.targetAttributes = there->attributes;
        } else if (DestListing::MissIsCertain(entry.name)) {
            hints.targetKnown = true;  // not there
        }
    }
    return hints;
}

uint32_t CopyRules::FileDateOf(const std::string& path) {
    FileTime time = 0;
    if (!ctx_.fs.GetLastWriteTime(path, time)) return 0;
    return ctx_.fs.ToDosDateTime(time).value_or(0);
}

bool CopyRules::AsNew(FileTime destTime, FileTime sourceTime, const std::string& target) {
    auto sourceDos = ctx_.fs.ToDosDateTime(sourceTime);
    auto destDos = ctx_.fs.ToDosDateTime(destTime);
    if (sourceDos && destDos ? *destDos >= *sourceDos : destTime == sourceTime) return true;
    // A volume that keeps local times shows its files an hour off after a summer-time switch.
    // Only a copy that seems older is asked about, so the volume is asked only then.
    return UnchangedAcrossSummerTime(TargetFileSystem(target), sourceTime, destTime);
}

const std::string& CopyRules::TargetFileSystem(const std::string& target) {
    const std::string root = VolumeRootOf(target);
    auto known = targetFileSystems_.find(root);
    if (known == targetFileSystems_.end())
        known = targetFileSystems_.emplace(root, root.empty() ? std::string() : ctx_.fs.FileSystemName(target)).first;
    return known->second;
}

bool CopyRules::DestinationUpToDate(const std::string& target, const DirEntry& source) {
    auto entry = ctx_.fs.FindEntry(target);
    if (!entry || entry->IsFolder()) return false;
    FileTime destTime = 0;
    if (!ctx_.fs.GetLastWriteTime(target, destTime)) return false;
    return AsNew(destTime, source.lastWrite, target);
}

bool CopyRules::UpToDateIn(DestListing& listing, const std::string& target, const DirEntry& source) {
    switch (listing.Get()) {
    case DestListing::State::Absent:
        return false;
    case DestListing::State::Listed:
        if (const DirEntry* there = listing.Find(source.name))
            return !there->IsFolder() && AsNew(there->lastWrite, source.lastWrite, target);
        if (DestListing::MissIsCertain(source.name)) return false;
        break;
    default:
        break;
    }
    return DestinationUpToDate(target, source);
}

// A folder that could not be created is listed once, as a folder: the walk of its contents,
// and of a second marked folder that lands in it, find it among the failed ones.
bool CopyRules::CreateSubfolder(const std::string& folder) {
    for (const std::string& failed : failedFolders_)
        if (EqualsNoCase(failed, folder)) return false;
    FsError error;
    if (ctx_.fs.CreateFolder(folder, &error)) return true;
    failedFolders_.push_back(folder);
    RecordFailure(folder, error);
    return false;
}

bool CopyRules::NewAndChangedTestApplies() const {
    if (!ctx_.settings.onlyNewAndChanged) return false;
    // With the delete option on, a normal copy replaces every copy, emptied first or not. A
    // reverse copy writes into the user's own folders: there the option plays no part, or an
    // old backup would overwrite newer work.
    return ctx_.reverse || !ctx_.settings.deleteDestFirst;
}

bool CopyRules::ForceFolders(const std::string& path) {
    std::string root;
    size_t pos;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        size_t found = 0;
        pos = path.size();
        for (size_t i = 0; i < path.size(); ++i) {
            if (path[i] == '\\' && ++found == 4) {
                pos = i + 1;
                break;
            }
        }
    } else {
        pos = std::min<size_t>(3, path.size());
    }
    root = path.substr(0, pos);
    bool ok = true;
    while (pos < path.size()) {
        size_t end = path.find('\\', pos);
        if (end == std::string::npos) break;  // a last component without "\" is not a folder
        root = path.substr(0, end + 1);
        pos = end + 1;
        if (FolderExists(ctx_.fs, root)) continue;
        if (!CreateSubfolder(root)) {
            ok = false;
            break;
        }
    }
    return ok;
}

void CopyRules::CopyFolder(const std::string& folder, const std::string& destBase, bool doCopy,
                           size_t stripLength) {
    FolderIdentity id(ctx_.fs, folder);
    Walk(folder, id, destBase, doCopy, stripLength);
}

// A folder that is there but cannot be listed holds files this run does not copy: that must
// show in the report and keep the run from counting as complete. Windows itself denies listing
// to everyone of some folders that hold nothing of the user's: the junctions of every profile
// ("Application Data", "Dokumenter\Min musik", ...) and the hidden system folders such as
// "System Volume Information" on every drive. Those are passed over, or every run of a job that
// marks a profile or a drive would fail. A link whose target cannot be reached is no such case.
void CopyRules::FolderNotListed(const std::string& folder, uint32_t attributes, const FsError& error) {
    // Gone meanwhile, or never there: nothing to copy.
    const uint32_t now = ctx_.fs.GetAttributes(folder);
    if (now == kInvalidAttributes || !(now & kAttrDirectory)) return;
    // What the parent's listing said of the folder itself, where there was one.
    if (attributes == kInvalidAttributes) attributes = now;
    if (error.code == kErrorAccessDenied) {
        const bool link = (attributes & kAttrReparsePoint) != 0;
        const bool hiddenSystem = (attributes & (kAttrHidden | kAttrSystem)) == (kAttrHidden | kAttrSystem);
        if (link || hiddenSystem) return;
    }
    RecordFailure(folder, FsError{0, kFolderUnreadableText});
}

// One folder of a walk and the destination folder it is copied to.
struct CopyRules::FolderWalk {
    const std::string& folder;
    const std::string& destBase;
    bool doCopy;
    size_t stripLength;
    std::string destFolder;
    // Without a destination (a count run of a job that has none) there is nothing to compare.
    bool hasDest = false;
    // A folder whose destination is itself (a destination above the marked folder on the same
    // drive) has nothing to copy.
    bool ontoItself = false;
    bool destFailed = false;
    // Once the destination folder is known to be there it is not looked for again.
    bool destReady = false;
    DestListing listing{};
};

void CopyRules::Walk(const std::string& folder, FolderIdentity& id, const std::string& destBase,
                     bool doCopy, size_t stripLength, bool destCreated, uint32_t attributes) {
    InsideFolder(id, kCopyErrorText, true, [&] {
        FolderWalk walk{folder, destBase, doCopy, stripLength, DestinationOf(folder, destBase, stripLength)};
        walk.hasDest = !destBase.empty();
        walk.ontoItself = walk.hasDest && SameFolderPath(folder, walk.destFolder);
        // A folder the walk has just created cannot be the one it walks, and holds nothing yet.
        if (walk.hasDest && !walk.ontoItself && !destCreated) {
            FolderIdentity destId(ctx_.fs, walk.destFolder);
            walk.ontoItself = id.SameAs(destId);
        }
        walk.destReady = destCreated;
        if (destCreated) walk.listing.Created();
        // The copies of the folder read its listing when they end: they are settled before the
        // walk leaves it, also when an error ends the walk.
        struct Settle {
            CopyRules& rules;
            ~Settle() {
                while (!rules.outcomes_.empty()) {
                    try {
                        rules.WaitForCopies(0);
                    } catch (...) {
                    }
                }
            }
        } settle{*this};
        FsError listError;
        if (!ForEachEntry(folder, true, [&](const DirEntry& entry) { HandleEntry(walk, entry); }, &listError))
            FolderNotListed(folder, attributes, listError);
        if (!outcomes_.empty()) WaitForCopies(0);
    });
}

CopyRules::DestListing& CopyRules::Listed(FolderWalk& walk) {
    if (walk.listing.Get() == DestListing::State::Unread && walk.hasDest) {
        walk.listing.Read(ctx_.fs, walk.destFolder);
        // A copy run writes here (unless the folder is its own destination, which it also
        // reads): copies of its own that an earlier run left half-done go.
        if (walk.doCopy && !walk.ontoItself) RemoveLeftovers(walk.listing, walk.destFolder);
    }
    return walk.listing;
}

// A copy run makes the destination folder when the walk meets the first entry to put there.
void CopyRules::PrepareDestination(FolderWalk& walk) {
    if (!walk.doCopy || walk.destFailed || walk.destReady) return;
    if (Listed(walk).Get() == DestListing::State::Listed || FolderExists(ctx_.fs, walk.destFolder)) {
        walk.destReady = true;
        return;
    }
    walk.destFailed = !ForceFolders(walk.destFolder);
    walk.destReady = !walk.destFailed;
    if (walk.destReady && walk.listing.Get() == DestListing::State::Absent) walk.listing.Created();
}

void CopyRules::HandleEntry(FolderWalk& walk, const DirEntry& entry) {
    // A copy of the program's own that a run cut short, in a folder this run reads: neither
    // copied nor removed.
    if (!entry.IsFolder() && IsTempName(entry.name)) return;
    // A name that differs only in case from a copy under way lands on the same target: that
    // copy is settled first, as it would be one file after the other.
    if (!outcomes_.empty()) {
        const std::string folded = FoldCase(entry.name);
        for (const auto& outcome : outcomes_) {
            if (outcome->isCopy && outcome->listing == &walk.listing && outcome->foldedName == folded) {
                WaitForCopies(0);
                break;
            }
        }
    }
    if (!walk.doCopy) ctx_.progress.SetFolderText(walk.folder);
    PrepareDestination(walk);
    if (entry.IsFolder())
        WalkSubfolder(walk, entry);
    else
        HandleFile(walk, entry);
}

void CopyRules::WalkSubfolder(FolderWalk& walk, const DirEntry& entry) {
    if (!ctx_.settings.includeSubfolders) return;
    const std::string sub = walk.folder + entry.name + "\\";
    FolderIdentity subId(ctx_.fs, sub);
    if (IsExcluded(sub, subId)) return;
    bool created = false;
    if (walk.doCopy && !walk.destFailed) {
        const std::string target = walk.destFolder + entry.name;
        const DirEntry* there =
            walk.listing.Get() == DestListing::State::Listed ? walk.listing.Find(entry.name) : nullptr;
        if (!(there && there->IsFolder()) && !FolderExists(ctx_.fs, target)) created = CreateSubfolder(target + "\\");
    }
    Walk(sub, subId, walk.destBase, walk.doCopy, walk.stripLength, created, entry.attributes);
}

void CopyRules::HandleFile(FolderWalk& walk, const DirEntry& entry) {
    const std::string source = walk.folder + entry.name;
    const std::string target = walk.destFolder + entry.name;
    const int64_t tenths = SizeInTenthsOfKb(entry.size);
    ++ctx_.counters.ExaminedCount;
    ctx_.counters.ExaminedSize += tenths;
    if (walk.ontoItself) return;
    DestListing& listing = walk.listing;
    if (walk.doCopy && !ctx_.reverse && listing.Get() == DestListing::State::Listed && listing.HeldTempNames())
        RemoveEarlierLeftover(listing, walk.folder, walk.destFolder, entry.name);
    if (walk.hasDest && NewAndChangedTestApplies() && UpToDateIn(Listed(walk), target, entry)) return;
    if (!TypeIncluded(ctx_.settings, entry.name)) {
        ctx_.skipped.Add(source);
        ctx_.progress.SetFolderText(kLookingThrough + walk.folder);
        return;
    }
    if (walk.doCopy && ctx_.copyWorkers != 1) {
        QueueCopy(walk, entry, source, target, tenths);
        return;
    }
    if (walk.doCopy && !CopyEntry(listing, entry, source, target)) return;
    ++ctx_.counters.CopiedCount;
    ctx_.counters.CopiedSize += tenths;
}

bool CopyRules::CopyEntry(DestListing& listing, const DirEntry& entry, const std::string& source,
                          const std::string& target) {
    ctx_.progress.SetFolderText(source);
    const std::string tempName = TempNameFor(entry.name);
    const bool listed = listing.Get() == DestListing::State::Listed;
    const bool tempMayExist = !listed || listing.Find(tempName) || !DestListing::MissIsCertain(tempName);
    CopyHints hints = HintsFor(listing, entry);
    // A large file lets the window handle its messages during its copy, shows its bytes in the
    // copied size as they go, and stops at an abort.
    int64_t shown = 0;
    if (entry.size >= kReportedCopySize) {
        const int64_t tenths = SizeInTenthsOfKb(entry.size);
        uint64_t pumpedAt = 0;
        auto pumpedWhen = std::chrono::steady_clock::now();
        hints.progress = [&, tenths](uint64_t copied) {
            const int64_t now = std::min(SizeInTenthsOfKb(copied), tenths);
            ctx_.counters.CopiedSize += now - shown;
            shown = now;
            const auto clock = std::chrono::steady_clock::now();
            if (copied < entry.size && (copied - pumpedAt >= kPumpEveryBytes || clock - pumpedWhen >= kPumpEvery)) {
                pumpedAt = copied;
                pumpedWhen = clock;
                ctx_.host.ProcessMessages();
            }
            return !ctx_.abort;
        };
    }
    FsError error;
    const bool copied = CopyOneFile(source, target, error, tempMayExist, &hints);
    ctx_.counters.CopiedSize -= shown;
    // A file the delete phase left here is settled now: replaced, or reported with this copy
    // that failed.
    if (!undeletedLeft_.empty()) undeletedLeft_.erase(FoldCase(target));
    if (!copied) {
        if (!StoppedByAbort(error)) RecordFailure(source, error);
        return false;
    }
    if (listed) {
        // A second source name that differs only in case meets this copy.
        listing.Remove(tempName);
        DirEntry put = entry;
        if (const DirEntry* there = listing.Find(entry.name)) put.name = there->name;
        listing.Put(put);
    }
    return true;
}

// A copy the user stopped with Afbryd is no failure: the run ends as aborted.
bool CopyRules::StoppedByAbort(const FsError& error) const { return error.code == kErrorCopyStopped && ctx_.abort; }

void CopyRules::QueueCopy(FolderWalk& walk, const DirEntry& entry, const std::string& source,
                          const std::string& target, int64_t tenths) {
    DestListing& listing = walk.listing;
    ctx_.progress.SetFolderText(source);
    auto outcome = std::make_shared<Outcome>();
    outcome->isCopy = true;
    outcome->source = source;
    outcome->target = target;
    outcome->tempName = TempNameFor(entry.name);
    outcome->foldedName = FoldCase(entry.name);
    outcome->entry = entry;
    outcome->listing = &listing;
    outcome->tenths = tenths;
    const bool listed = listing.Get() == DestListing::State::Listed;
    outcome->tempMayExist =
        !listed || listing.Find(outcome->tempName) || !DestListing::MissIsCertain(outcome->tempName);
    outcome->hints = HintsFor(listing, entry);
    // A file the delete phase left here is settled by this copy: replaced, or reported with it.
    if (!undeletedLeft_.empty()) undeletedLeft_.erase(FoldCase(target));
    if (!pool_) {
        pace_.emplace(ctx_.copyWorkers);
        pool_ = std::make_unique<CopyPool>(pace_->Threads());
    }
    WaitForRoom();
    outcomes_.push_back(outcome);
    IFileSystem& fs = ctx_.fs;
    std::atomic<bool>& abort = ctx_.abort;
    pool_->Submit([outcome, &fs, &abort] {
        Outcome& o = *outcome;
        if (abort) {
            o.dropped = true;
        } else {
            if (o.entry.size >= kReportedCopySize) {
                o.hints.progress = [&o, &abort](uint64_t copied) {
                    o.bytes = copied;
                    return !abort;
                };
            }
            try {
                o.copied = CopyOneFile(fs, o.source, o.target, o.error, o.tempMayExist, &o.hints);
            } catch (...) {
                o.threw = true;
            }
        }
        o.done = true;
    });
    WaitForCopies(kPendingPerWorker * static_cast<size_t>(pace_->Threads()));
}

void CopyRules::WaitForRoom() {
    for (;;) {
        CollectCopies();
        int unfinished = 0;
        for (const auto& outcome : outcomes_)
            if (outcome->isCopy && !outcome->done) ++unfinished;
        if (unfinished < pace_->Limit()) return;
        ctx_.host.ProcessMessages();
        pool_->WaitForOne(kCopyWait);
    }
}

void CopyRules::CollectCopies() {
    while (!outcomes_.empty() && outcomes_.front()->done) {
        std::shared_ptr<Outcome> outcome = std::move(outcomes_.front());
        outcomes_.pop_front();
        ApplyOutcome(*outcome);
    }
    for (const auto& outcome : outcomes_) {
        if (!outcome->isCopy || outcome->done) continue;
        const int64_t now = std::min(SizeInTenthsOfKb(outcome->bytes), outcome->tenths);
        ctx_.counters.CopiedSize += now - outcome->shownTenths;
        outcome->shownTenths = now;
    }
}

void CopyRules::WaitForCopies(size_t left) {
    for (;;) {
        CollectCopies();
        if (outcomes_.size() <= left) return;
        // The walk runs on the window's thread: it stays responsive, and Afbryd reaches the
        // copies under way, which stop, and the queued ones, which never begin.
        ctx_.host.ProcessMessages();
        pool_->WaitForOne(kCopyWait);
    }
}

void CopyRules::ApplyOutcome(Outcome& outcome) {
    if (!outcome.isCopy) {
        RecordFailureNow(outcome.source, outcome.error);
        return;
    }
    ctx_.counters.CopiedSize -= outcome.shownTenths;
    outcome.shownTenths = 0;
    if (outcome.dropped) return;
    // An unforeseen error inside the copy ends the walk here, as it would on the walk's thread.
    if (outcome.threw) throw std::runtime_error("copy failed unexpectedly");
    if (!outcome.copied && StoppedByAbort(outcome.error)) return;
    if (!outcome.copied) {
        RecordFailureNow(outcome.source, outcome.error);
        return;
    }
    DestListing& listing = *outcome.listing;
    if (listing.Get() == DestListing::State::Listed) {
        // A second source name that differs only in case meets this copy.
        listing.Remove(outcome.tempName);
        DirEntry put = outcome.entry;
        if (const DirEntry* there = listing.Find(outcome.entry.name)) put.name = there->name;
        listing.Put(put);
    }
    pace_->Finished(std::chrono::steady_clock::now());
    ++ctx_.counters.CopiedCount;
    ctx_.counters.CopiedSize += outcome.tenths;
}

bool CopyRules::ForEachEntry(const std::string& folder, bool pump, const std::function<void(const DirEntry&)>& visit,
                             FsError* error) {
    auto folderEnum = ctx_.fs.OpenFolder(folder, error);
    if (!folderEnum) return false;
    DirEntry entry;
    while (folderEnum->Next(entry)) {
        if (pump) {
            ctx_.host.ProcessMessages();
            if (ctx_.abort) break;
        }
        if (StartsWithDot(entry.name)) continue;
        visit(entry);
    }
    return true;
}

void CopyRules::InsideFolder(FolderIdentity& id, const char* errorText, bool stopRun, const std::function<void()>& work) {
    // A link back to a folder the walk is already inside would make it endless.
    if (!EnterFolder(id)) return;
    try {
        work();
    } catch (...) {
        if (stopRun) ctx_.abort = true;
        ctx_.messages.Show(errorText, kAppTitle, MsgButtons::Ok, MsgIcon::Error);
    }
    LeaveFolder();
}

void CopyRules::DeleteFolderFiles(const std::string& folder) {
    FolderIdentity id(ctx_.fs, folder);
    DeleteFolderFiles(folder, id);
}

void CopyRules::DeleteFolderFiles(const std::string& folder, FolderIdentity& id) {
    InsideFolder(id, kDeleteErrorText, true, [&] {
        ForEachEntry(folder, true, [&](const DirEntry& entry) {
            const std::string path = folder + entry.name;
            if (entry.IsFolder()) {
                // A link is left where it is: emptying it would empty what it points at.
                if (entry.attributes & kAttrReparsePoint) return;
                const std::string sub = path + "\\";
                FolderIdentity subId(ctx_.fs, sub);
                if (!IsProtected(sub, subId)) DeleteFolderFiles(sub, subId);
                return;
            }
            if (IsTempName(entry.name)) {
                DiscardFile(path);
                return;
            }
            DeleteOneFile(path, entry);
        });
    });
}

void CopyRules::DeleteOneFile(const std::string& path, const DirEntry& entry) {
    ctx_.progress.SetFolderText(path);
    FsError error;
    if (!ctx_.fs.DeleteFile(path, &error)) {
        undeleted_.emplace_back(path, error);
        undeletedLeft_.insert(FoldCase(path));
        return;
    }
    ++ctx_.counters.CopiedCount;
    ctx_.counters.CopiedSize += SizeInTenthsOfKb(entry.size);
}

void CopyRules::RecordUndeletedFiles() {
    for (const auto& [path, error] : undeleted_)
        if (undeletedLeft_.count(FoldCase(path))) RecordFailure(path, error);
    undeleted_.clear();
    undeletedLeft_.clear();
}

void CopyRules::RemoveFolders(const std::string& folder) {
    FolderIdentity id(ctx_.fs, folder);
    RemoveFolders(folder, id);
}

void CopyRules::RemoveFolders(const std::string& folder, FolderIdentity& id) {
    InsideFolder(id, kDeleteErrorText, false, [&] {
        ForEachEntry(folder, false, [&](const DirEntry& entry) {
            if (!entry.IsFolder() || (entry.attributes & kAttrReparsePoint)) return;
            const std::string sub = folder + entry.name + "\\";
            FolderIdentity subId(ctx_.fs, sub);
            if (!IsProtected(sub, subId)) RemoveFolders(sub, subId);
        });
        // A folder that still holds something stays; a link is never removed here, since on
        // some platforms that removes its target.
        const uint32_t attributes = ctx_.fs.GetAttributes(folder);
        if (attributes != kInvalidAttributes && !(attributes & kAttrReparsePoint) && !IsProtected(folder, id))
            ctx_.fs.RemoveFolder(folder);
    });
}

}  // namespace tavrel
