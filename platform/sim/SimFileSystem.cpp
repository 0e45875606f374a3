#include "platform/sim/SimFileSystem.h"

#include "base/Text.h"
#include "base/Path.h"

#include <mutex>
#include <stdexcept>

namespace tavrel {

struct SimFileSystem::Node {
    std::string name;
    bool folder = false;
    uint32_t attributes = 0;
    std::string content;
    uint64_t size = 0;
    FileTime lastWrite = 0;
    uint64_t index = 0;
    uint64_t serial = 0;
    std::string linkTarget;  // set for a folder link
    bool listDenied = false;
    Node* parent = nullptr;
    std::map<std::string, std::unique_ptr<Node>> children;  // by folded name: NTFS order

    bool IsLink() const { return !linkTarget.empty(); }
};

struct SimFileSystem::Volume {
    std::string rootName;
    std::string fileSystem = "NTFS";
    bool localTimes = false;
    bool ready = true;
    std::optional<uint64_t> freeSpace;
    Node root;
};

struct SimFileSystem::Resolved {
    Volume* volume = nullptr;
    Node* parent = nullptr;  // the folder holding the last part, links followed
    Node* node = nullptr;    // the entry itself, or null when missing
    std::string lastName;
    bool isRoot = false;
    bool trailingSlash = false;
    uint32_t error = 0;  // set when the path cannot be reached at all
};

namespace {

constexpr uint64_t kTicksPerSecond = 10000000ull;
constexpr int64_t kDays1601To1970 = 134774;
constexpr int kMaxLinkDepth = 32;

// Days since 1970-01-01 of a calendar date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

struct ParsedPath {
    std::string rootKey;
    std::vector<std::string> parts;
    bool trailingSlash = false;
};

std::vector<std::string> SplitParts(const std::string& rest) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        std::string part = rest.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    return parts;
}

// Splits a path into its root ("C:" or "\\SRV\SHARE", folded) and its names. Relative paths
// are taken from the current directory, as Windows does; so is a path that names a drive
// without a backslash after it ("C:" or "C:x"), when the current directory lies on that drive.
ParsedPath Parse(std::string path, const std::string& currentDirectory) {
    for (char& c : path)
        if (c == '/') c = '\\';
    ParsedPath parsed;
    parsed.trailingSlash = !path.empty() && path.back() == '\\';
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        std::vector<std::string> parts = SplitParts(path.substr(2));
        if (parts.size() < 2) return parsed;
        parsed.rootKey = "\\\\" + FoldCase(parts[0]) + "\\" + FoldCase(parts[1]);
        parsed.parts.assign(parts.begin() + 2, parts.end());
        return parsed;
    }
    if (path.size() >= 2 && path[1] == ':') {
        const bool driveRelative = path.size() == 2 || path[2] != '\\';
        if (driveRelative && currentDirectory.size() >= 2 && EqualsNoCase(currentDirectory.substr(0, 2), path.substr(0, 2))) {
            ParsedPath relative = Parse(IncludeTrailingBackslash(currentDirectory) + path.substr(2), "");
            relative.trailingSlash = parsed.trailingSlash;
            return relative;
        }
        parsed.rootKey = FoldCase(path.substr(0, 2));
        parsed.parts = SplitParts(path.substr(2));
        return parsed;
    }
    if (!path.empty() && path[0] == '\\') return Parse(currentDirectory.substr(0, 2) + path, currentDirectory);
    if (currentDirectory.empty()) return parsed;
    ParsedPath relative = Parse(IncludeTrailingBackslash(currentDirectory) + path, "");
    relative.trailingSlash = parsed.trailingSlash;
    return relative;
}

bool ValidName(const std::string& name) {
    if (name.empty()) return false;
    for (unsigned char c : name)
        if (c < 0x20 || std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    return true;
}

DirEntry ToEntry(const SimFileSystem::Node& node);

}  // namespace

FsError SimError(uint32_t code) {
    switch (code) {
    case kErrFileNotFound: return {code, "Den angivne fil blev ikke fundet."};
    case kErrPathNotFound: return {code, "Den angivne sti blev ikke fundet."};
    case kErrAccessDenied: return {code, "Adgang nægtet."};
    case kErrNotSameDevice: return {code, "Systemet kan ikke flytte filen til et andet diskdrev."};
    case kErrNotReady: return {code, "Enheden er ikke klar."};
    case kErrSharingViolation:
        return {code, "Processen kan ikke få adgang til filen, fordi den bruges af en anden proces."};
    case kErrFileExists: return {code, "Filen findes."};
    case kErrDiskFull: return {code, "Der er ikke nok plads på disken."};
    case kErrInvalidName: return {code, "Syntaksen for filnavnet, mappenavnet eller diskenhedsnavnet er forkert."};
    case kErrDirNotEmpty: return {code, "Mappen er ikke tom."};
    case kErrAlreadyExists: return {code, "Der kan ikke oprettes en fil, når filen allerede findes."};
    case kErrDirectory: return {code, "Mappenavnet er ugyldigt."};
    case kErrorCopyStopped: return {code, "Anmodningen blev afbrudt."};
    default: return {code, "Fejl " + std::to_string(code) + "."};
    }
}

namespace {

DirEntry ToEntry(const SimFileSystem::Node& node) {
    DirEntry entry;
    entry.name = node.name;
    entry.attributes = node.attributes;
    if (!node.folder && entry.attributes == 0) entry.attributes = kAttrNormal;
    entry.size = node.folder ? 0 : node.size;
    entry.lastWrite = node.lastWrite;
    return entry;
}

}  // namespace

// Entries are taken when the folder is opened, as a large-fetch find buffers them: an entry
// deleted during the walk is still returned, and the operations on it then fail.
class SimFolderEnum : public IFolderEnum {
public:
    SimFolderEnum(SimFileSystem* fs, std::string folder, std::vector<DirEntry> entries)
        : fs_(fs), folder_(std::move(folder)), entries_(std::move(entries)) {}

    bool Next(DirEntry& entry) override {
        std::lock_guard<std::recursive_mutex> lock(fs_->mutex_);
        if (pos_ >= entries_.size()) return false;
        if (!fs_->Begin(SimOp::NextEntry, folder_ + entries_[pos_].name, nullptr, nullptr)) {
            pos_ = entries_.size();
            return false;
        }
        entry = entries_[pos_++];
        return true;
    }

private:
    SimFileSystem* fs_;
    std::string folder_;
    std::vector<DirEntry> entries_;
    size_t pos_ = 0;
};

SimFileSystem::SimFileSystem() = default;
SimFileSystem::~SimFileSystem() = default;

// ---- Paths ----

SimFileSystem::Volume* SimFileSystem::VolumeOf(const std::string& rootKey) const {
    auto it = volumes_.find(rootKey);
    return it == volumes_.end() ? nullptr : it->second.get();
}

SimFileSystem::Resolved SimFileSystem::Resolve(const std::string& path, bool followLastLink) const {
    static thread_local int depth = 0;
    Resolved r;
    ParsedPath parsed = Parse(path, currentDirectory_);
    r.trailingSlash = parsed.trailingSlash;
    r.volume = VolumeOf(parsed.rootKey);
    if (!r.volume) {
        r.error = kErrPathNotFound;
        return r;
    }
    if (!r.volume->ready) {
        r.error = kErrNotReady;
        return r;
    }
    if (depth > kMaxLinkDepth) {
        r.error = kErrPathNotFound;
        return r;
    }
    ++depth;
    struct DepthGuard {
        ~DepthGuard() { --depth; }
    } guard;

    Node* current = &r.volume->root;
    if (parsed.parts.empty()) {
        r.isRoot = true;
        r.node = current;
        return r;
    }
    for (size_t i = 0; i + 1 < parsed.parts.size(); ++i) {
        auto it = current->children.find(FoldCase(parsed.parts[i]));
        if (it == current->children.end() || !it->second->folder) {
            r.error = kErrPathNotFound;
            return r;
        }
        current = it->second.get();
        if (current->IsLink()) {
            current = ResolveNode(current->linkTarget, true);
            if (!current || !current->folder) {
                r.error = kErrPathNotFound;
                return r;
            }
        }
    }
    r.parent = current;
    r.lastName = parsed.parts.back();
    auto it = current->children.find(FoldCase(r.lastName));
    if (it != current->children.end()) {
        r.node = it->second.get();
        if (followLastLink && r.node->IsLink()) {
            r.node = ResolveNode(r.node->linkTarget, true);
            if (!r.node) r.error = kErrPathNotFound;
        }
    }
    return r;
}

SimFileSystem::Node* SimFileSystem::ResolveNode(const std::string& path, bool followLastLink) const {
    Resolved r = Resolve(path, followLastLink);
    return r.error ? nullptr : r.node;
}

SimFileSystem::Node* SimFileSystem::ForceFolderNode(const std::string& path) {
    ParsedPath parsed = Parse(path, currentDirectory_);
    Volume* volume = VolumeOf(parsed.rootKey);
    if (!volume || !volume->ready) throw std::invalid_argument("no such drive: " + path);
    Node* current = &volume->root;
    for (const std::string& part : parsed.parts) {
        auto& slot = current->children[FoldCase(part)];
        if (!slot) {
            slot = std::make_unique<Node>();
            slot->name = part;
            slot->folder = true;
            slot->attributes = kAttrDirectory;
            slot->index = nextIndex_++;
            slot->serial = current->serial;
            slot->lastWrite = StoredTime(slot->serial, now_);
            slot->parent = current;
        }
        if (!slot->folder) throw std::invalid_argument("a file stands in the way: " + path);
        current = slot.get();
        if (current->IsLink()) {
            current = ResolveNode(current->linkTarget, true);
            if (!current) throw std::invalid_argument("broken link in: " + path);
        }
    }
    return current;
}

// ---- Building ----

void SimFileSystem::AddDrive(char letter) { AddShare(std::string(1, letter) + ":\\"); }

void SimFileSystem::AddShare(const std::string& root) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ParsedPath parsed = Parse(root, "");
    if (parsed.rootKey.empty() || !parsed.parts.empty()) throw std::invalid_argument("not a root: " + root);
    auto volume = std::make_unique<Volume>();
    volume->rootName = IncludeTrailingBackslash(root);
    volume->root.name = volume->rootName;
    volume->root.folder = true;
    volume->root.attributes = kAttrDirectory;
    volume->root.index = nextIndex_++;
    volume->root.serial = nextSerial_++;
    volume->root.lastWrite = now_;
    volumes_[parsed.rootKey] = std::move(volume);
}

void SimFileSystem::RemoveDrive(char letter) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    volumes_.erase(FoldCase(std::string(1, letter) + ":"));
}

void SimFileSystem::EjectMedium(char letter) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Volume* volume = VolumeOf(FoldCase(std::string(1, letter) + ":"));
    if (!volume) return;
    volume->ready = false;
    volume->root.children.clear();
}

void SimFileSystem::AddFolder(const std::string& path, uint32_t attributes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Node* node = ForceFolderNode(path);
    if (attributes) node->attributes = attributes | kAttrDirectory;
}

void SimFileSystem::AddFile(const std::string& path, const std::string& content, FileTime lastWrite,
                            uint32_t attributes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    AddBigFile(path, content.size(), lastWrite, attributes);
    ResolveNode(path, false)->content = content;
}

void SimFileSystem::AddBigFile(const std::string& path, uint64_t size, FileTime lastWrite, uint32_t attributes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Node* parent = ForceFolderNode(ExtractFilePath(path));
    std::string name = ExtractFileName(path);
    if (!ValidName(name)) throw std::invalid_argument("bad file name: " + path);
    auto& slot = parent->children[FoldCase(name)];
    if (slot && slot->folder) throw std::invalid_argument("a folder stands there: " + path);
    if (!slot) {
        slot = std::make_unique<Node>();
        slot->index = nextIndex_++;
        slot->serial = parent->serial;
        slot->parent = parent;
    }
    slot->name = name;
    slot->attributes = attributes & ~kAttrDirectory;
    slot->content.clear();
    slot->size = size;
    slot->lastWrite = StoredTime(slot->serial, lastWrite);
}

void SimFileSystem::AddFolderLink(const std::string& path, const std::string& target) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::string folder = ExcludeTrailingBackslash(path);
    Node* parent = ForceFolderNode(ExtractFilePath(folder));
    std::string name = ExtractFileName(folder);
    auto node = std::make_unique<Node>();
    node->name = name;
    node->folder = true;
    node->attributes = kAttrDirectory | kAttrReparsePoint;
    node->index = nextIndex_++;
    node->serial = parent->serial;
    node->lastWrite = StoredTime(node->serial, now_);
    node->parent = parent;
    node->linkTarget = IncludeTrailingBackslash(target);
    parent->children[FoldCase(name)] = std::move(node);
}

void SimFileSystem::RemoveChild(Node* parent, const std::string& name) { parent->children.erase(FoldCase(name)); }

bool SimFileSystem::Remove(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r = Resolve(path, false);
    if (r.error || !r.node || r.isRoot) return false;
    RemoveChild(r.parent, r.node->name);
    return true;
}

void SimFileSystem::SetLastWrite(const std::string& path, FileTime time) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Node* node = ResolveNode(path, false);
    if (!node) throw std::invalid_argument("no such entry: " + path);
    node->lastWrite = StoredTime(node->serial, time);
}

void SimFileSystem::SetAttrs(const std::string& path, uint32_t attributes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Node* node = ResolveNode(path, false);
    if (!node) throw std::invalid_argument("no such entry: " + path);
    node->attributes = attributes;
}

void SimFileSystem::SetFileSystem(const std::string& root, const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Volume* volume = VolumeOf(Parse(root, "").rootKey);
    if (!volume) throw std::invalid_argument("no such drive: " + root);
    volume->fileSystem = name;
    const std::string folded = FoldCase(name);
    volume->localTimes = folded == "FAT" || folded == "FAT12" || folded == "FAT16" || folded == "FAT32" ||
                         folded == "EXFAT";
    if (volume->localTimes) anyLocalTimes_ = true;
}

void SimFileSystem::DenyListing(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Node* node = ResolveNode(path, false);
    if (!node || !node->folder) throw std::invalid_argument("no such folder: " + path);
    node->listDenied = true;
}

void SimFileSystem::SetIndex(const std::string& path, uint64_t index) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Node* node = ResolveNode(path, true);
    if (!node) throw std::invalid_argument("no such entry: " + path);
    node->index = index;
}

// ---- Looking ----

bool SimFileSystem::Exists(const std::string& path) const { return ResolveNode(path, false) != nullptr; }

std::optional<DirEntry> SimFileSystem::Entry(const std::string& path) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Node* node = ResolveNode(path, false);
    if (!node) return std::nullopt;
    return EntryOf(*node);
}

std::string SimFileSystem::Content(const std::string& path) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Node* node = ResolveNode(path, true);
    return node && !node->folder ? node->content : std::string();
}

std::vector<std::string> SimFileSystem::List(const std::string& folder) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::vector<std::string> names;
    Node* node = ResolveNode(folder, true);
    if (node && node->folder)
        for (const auto& [key, child] : node->children) names.push_back(child->name);
    return names;
}

// ---- Time ----

FileTime SimFileSystem::MakeFileTime(int year, int month, int day, int hour, int minute, int second) {
    int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kDays1601To1970;
    int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<FileTime>(seconds) * kTicksPerSecond;
}

uint32_t SimFileSystem::DosDateTime(int year, int month, int day, int hour, int minute, int second) {
    uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
    uint32_t time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
    return (date << 16) | time;
}

std::optional<uint32_t> SimFileSystem::ToDosDateTime(FileTime time) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int64_t seconds = static_cast<int64_t>(time / kTicksPerSecond) + int64_t(localOffsetMinutes_) * 60;
    if (seconds < 0) return std::nullopt;
    int64_t days = seconds / 86400 - kDays1601To1970;
    int64_t rest = seconds % 86400;
    int64_t year;
    unsigned month, day;
    CivilFromDays(days, year, month, day);
    if (year < 1980 || year > 2107) return std::nullopt;
    return DosDateTime(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                       static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
}

static SimFileSystem::Volume* FindVolumeBySerial(
    const std::map<std::string, std::unique_ptr<SimFileSystem::Volume>>& volumes, uint64_t serial) {
    for (const auto& [key, volume] : volumes)
        if (volume->root.serial == serial) return volume.get();
    return nullptr;
}

namespace {

constexpr int64_t kTicksPerMinute = 60 * static_cast<int64_t>(kTicksPerSecond);
constexpr int64_t kTwoSeconds = 2 * static_cast<int64_t>(kTicksPerSecond);

}  // namespace

FileTime SimFileSystem::StoredTime(uint64_t serial, FileTime utc) const {
    if (!anyLocalTimes_) return utc;
    const Volume* volume = FindVolumeBySerial(volumes_, serial);
    if (!volume || !volume->localTimes) return utc;
    const int64_t local = static_cast<int64_t>(utc) + localOffsetMinutes_ * kTicksPerMinute;
    return static_cast<FileTime>((local + kTwoSeconds - 1) / kTwoSeconds * kTwoSeconds);
}

FileTime SimFileSystem::SeenTime(const Node& node) const {
    if (!anyLocalTimes_) return node.lastWrite;
    const Volume* volume = FindVolumeBySerial(volumes_, node.serial);
    if (!volume || !volume->localTimes) return node.lastWrite;
    return static_cast<FileTime>(static_cast<int64_t>(node.lastWrite) - localOffsetMinutes_ * kTicksPerMinute);
}

DirEntry SimFileSystem::EntryOf(const Node& node) const {
    DirEntry entry = ToEntry(node);
    entry.lastWrite = SeenTime(node);
    return entry;
}

// ---- Faults and counting ----

void SimFileSystem::InjectFailure(SimOp op, const std::string& pathPrefix, FsError error, int times, int skip) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    injections_.push_back({op, FoldCase(pathPrefix), std::move(error), times, skip});
}

void SimFileSystem::SetFreeSpace(const std::string& root, uint64_t bytes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Volume* volume = VolumeOf(Parse(root, "").rootKey);
    if (!volume) throw std::invalid_argument("no such drive: " + root);
    volume->freeSpace = bytes;
}

int SimFileSystem::TotalCalls() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int total = 0;
    for (int n : counts_) total += n;
    return total;
}

bool SimFileSystem::Begin(SimOp op, const std::string& path, const std::string* second, FsError* error) {
    ++counts_[static_cast<size_t>(op)];
    if (BeforeOp && !inHook_) {
        inHook_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{inHook_};
        BeforeOp(op, path);
    }
    std::string folded = FoldCase(path);
    std::string foldedSecond = second ? FoldCase(*second) : std::string();
    for (Injection& injection : injections_) {
        if (injection.op != op || injection.times == 0) continue;
        bool match = folded.starts_with(injection.prefix) || (second && foldedSecond.starts_with(injection.prefix));
        if (!match) continue;
        if (injection.skip > 0) {
            --injection.skip;
            continue;
        }
        if (injection.times > 0) --injection.times;
        if (error) *error = injection.error;
        return false;
    }
    return true;
}

bool SimFileSystem::Fail(FsError* error, uint32_t code) {
    if (error) *error = SimError(code);
    return false;
}

bool SimFileSystem::BeginOnExisting(SimOp op, const std::string& path, bool followLastLink, Resolved& r,
                                    FsError* error) {
    if (!Begin(op, path, nullptr, error)) return false;
    r = Resolve(path, followLastLink);
    if (r.error) return Fail(error, r.error);
    if (!r.node) return Fail(error, kErrFileNotFound);
    return true;
}

bool SimFileSystem::Reserve(Volume* volume, uint64_t bytes, uint64_t* fitted) {
    if (!volume || !volume->freeSpace) return true;
    if (bytes <= *volume->freeSpace) {
        *volume->freeSpace -= bytes;
        return true;
    }
    if (fitted) *fitted = *volume->freeSpace;
    volume->freeSpace = 0;
    return false;
}

void SimFileSystem::Release(Volume* volume, uint64_t bytes) {
    if (volume && volume->freeSpace) *volume->freeSpace += bytes;
}

// ---- IFileSystem ----

std::unique_ptr<IFolderEnum> SimFileSystem::OpenFolder(const std::string& folder, FsError* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::OpenFolder, folder, nullptr, error)) return nullptr;
    auto refused = [&](uint32_t code) -> std::unique_ptr<IFolderEnum> {
        Fail(error, code);
        return nullptr;
    };
    // A link's own access list is checked before it leads anywhere.
    Resolved own = Resolve(folder, false);
    if (!own.error && own.node && own.node->listDenied) return refused(kErrAccessDenied);
    Resolved r = Resolve(folder, true);
    if (r.error) return refused(r.error);
    if (!r.node) return refused(kErrPathNotFound);
    if (!r.node->folder) return refused(kErrDirectory);
    if (r.node->listDenied) return refused(kErrAccessDenied);
    std::vector<DirEntry> entries;
    if (!r.isRoot) {
        DirEntry dot{".", kAttrDirectory, 0, SeenTime(*r.node)};
        entries.push_back(dot);
        dot.name = "..";
        entries.push_back(dot);
    }
    for (const auto& [key, child] : r.node->children) entries.push_back(EntryOf(*child));
    return std::make_unique<SimFolderEnum>(this, IncludeTrailingBackslash(folder), std::move(entries));
}

uint32_t SimFileSystem::GetAttributes(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::GetAttributes, path, nullptr, nullptr)) return kInvalidAttributes;
    Resolved r = Resolve(path, false);
    if (r.error || !r.node) return kInvalidAttributes;
    if (r.trailingSlash && !r.node->folder) return kInvalidAttributes;
    return EntryOf(*r.node).attributes;
}

std::optional<DirEntry> SimFileSystem::FindEntry(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::FindEntry, path, nullptr, nullptr)) return std::nullopt;
    Resolved r = Resolve(path, false);
    if (r.error || !r.node || r.isRoot || r.trailingSlash) return std::nullopt;
    return EntryOf(*r.node);
}

bool SimFileSystem::CreateFolder(const std::string& path, FsError* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::CreateFolder, path, nullptr, error)) return false;
    Resolved r = Resolve(path, true);
    if (r.error) return Fail(error, r.error);
    if (r.isRoot) return Fail(error, kErrAccessDenied);
    if (!r.parent) return Fail(error, kErrPathNotFound);
    if (r.node) return Fail(error, kErrAlreadyExists);
    if (!ValidName(r.lastName)) return Fail(error, kErrInvalidName);
    auto node = std::make_unique<Node>();
    node->name = r.lastName;
    node->folder = true;
    node->attributes = kAttrDirectory;
    node->index = nextIndex_++;
    node->serial = r.parent->serial;
    node->lastWrite = StoredTime(node->serial, now_);
    node->parent = r.parent;
    r.parent->children[FoldCase(r.lastName)] = std::move(node);
    return true;
}

namespace {

// Why a copy may not land on an existing file, or 0 when it may.
uint32_t OverwriteRefusal(const SimFileSystem::Node& from, const SimFileSystem::Node& to, bool failIfExists) {
    if (to.folder) return kErrAccessDenied;
    if (&to == &from) return kErrSharingViolation;
    if (failIfExists) return kErrFileExists;
    if (to.attributes & kAttrReadOnly) return kErrAccessDenied;
    // Windows refuses to overwrite a hidden or system file with one that lacks the attribute.
    const uint32_t guarded = to.attributes & (kAttrHidden | kAttrSystem);
    return (from.attributes & guarded) != guarded ? kErrAccessDenied : 0;
}

}  // namespace

bool SimFileSystem::CopyFile(const std::string& source, const std::string& target, bool failIfExists,
                             FsError* error, const CopyHints* hints) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::CopyFile, source, &target, error)) return false;
    Resolved s = Resolve(source, true);
    if (s.error) return Fail(error, s.error);
    if (!s.node || s.trailingSlash) return Fail(error, kErrFileNotFound);
    if (s.node->folder) return Fail(error, kErrAccessDenied);
    Resolved t = Resolve(target, true);
    if (t.error) return Fail(error, t.error);
    if (t.isRoot || !t.parent || t.trailingSlash) return Fail(error, kErrPathNotFound);
    if (!ValidName(t.lastName)) return Fail(error, kErrInvalidName);
    Node* from = s.node;
    Node* to = t.node;
    if (to) {
        if (uint32_t refused = OverwriteRefusal(*from, *to, failIfExists)) return Fail(error, refused);
    }
    Volume* volume = FindVolumeBySerial(volumes_, t.parent->serial);
    std::string content = from->content;
    uint64_t size = from->size;
    uint32_t attributes = from->attributes;
    FileTime lastWrite = SeenTime(*from);
    if (to) Release(volume, to->size);
    uint64_t fitted = 0;
    bool fits = Reserve(volume, size, &fitted);
    if (!to) {
        auto node = std::make_unique<Node>();
        node->name = t.lastName;
        node->index = nextIndex_++;
        node->serial = t.parent->serial;
        node->parent = t.parent;
        to = node.get();
        t.parent->children[FoldCase(t.lastName)] = std::move(node);
    }
    if (!fits) {
        // The bytes written before the disk filled stay behind, as on a real disk.
        to->content = content.substr(0, std::min<uint64_t>(fitted, content.size()));
        to->size = fitted;
        to->attributes = kAttrArchive;
        to->lastWrite = StoredTime(to->serial, now_);
        return Fail(error, kErrDiskFull);
    }
    // A copy with a progress callback is told of every chunk, as a copy routine of the system
    // is; stopped, it leaves no target.
    if (hints && hints->progress) {
        for (uint64_t copied = std::min(size, kProgressChunk);; copied = std::min(size, copied + kProgressChunk)) {
            if (!hints->progress(copied)) {
                Release(volume, size);
                RemoveChild(t.parent, t.lastName);
                return Fail(error, kErrorCopyStopped);
            }
            if (copied >= size) break;
        }
    }
    to->content = std::move(content);
    to->size = size;
    to->attributes = attributes;
    to->lastWrite = StoredTime(to->serial, lastWrite);
    return true;
}

bool SimFileSystem::MoveReplace(const std::string& source, const std::string& target, FsError* error,
                                const CopyHints*) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::MoveReplace, source, &target, error)) return false;
    Resolved s = Resolve(source, false);
    if (s.error) return Fail(error, s.error);
    if (!s.node) return Fail(error, kErrFileNotFound);
    if (s.isRoot) return Fail(error, kErrAccessDenied);
    Resolved t = Resolve(target, false);
    if (t.error) return Fail(error, t.error);
    if (t.isRoot || !t.parent) return Fail(error, kErrPathNotFound);
    if (!ValidName(t.lastName)) return Fail(error, kErrInvalidName);
    if (t.parent->serial != s.node->serial) return Fail(error, kErrNotSameDevice);
    for (Node* p = t.parent; p; p = p->parent)
        if (p == s.node) return Fail(error, kErrAccessDenied);
    if (t.node && t.node != s.node) {
        if (t.node->folder || s.node->folder) return Fail(error, kErrAccessDenied);
        if (t.node->attributes & kAttrReadOnly) return Fail(error, kErrAccessDenied);
        Release(FindVolumeBySerial(volumes_, t.parent->serial), t.node->size);
        RemoveChild(t.parent, t.node->name);
    }
    auto it = s.parent->children.find(FoldCase(s.node->name));
    std::unique_ptr<Node> node = std::move(it->second);
    s.parent->children.erase(it);
    node->name = t.lastName;
    node->parent = t.parent;
    t.parent->children[FoldCase(t.lastName)] = std::move(node);
    return true;
}

bool SimFileSystem::DeleteFile(const std::string& path, FsError* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (!BeginOnExisting(SimOp::DeleteFile, path, false, r, error)) return false;
    if (r.node->folder) return Fail(error, kErrAccessDenied);
    if (r.node->attributes & kAttrReadOnly) return Fail(error, kErrAccessDenied);
    Release(FindVolumeBySerial(volumes_, r.parent->serial), r.node->size);
    RemoveChild(r.parent, r.node->name);
    return true;
}

bool SimFileSystem::RemoveFolder(const std::string& path, FsError* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (!BeginOnExisting(SimOp::RemoveFolder, path, false, r, error)) return false;
    if (r.isRoot) return Fail(error, kErrAccessDenied);
    if (!r.node->folder) return Fail(error, kErrDirectory);
    if (!r.node->IsLink()) {
        if (!r.node->children.empty()) return Fail(error, kErrDirNotEmpty);
        if (r.node->attributes & kAttrReadOnly) return Fail(error, kErrAccessDenied);
    }
    RemoveChild(r.parent, r.node->name);
    return true;
}

bool SimFileSystem::SetAttributes(const std::string& path, uint32_t attributes, FsError* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (!BeginOnExisting(SimOp::SetAttributes, path, false, r, error)) return false;
    constexpr uint32_t kSettable = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive | 0x100 | 0x1000 | 0x2000;
    uint32_t kept = r.node->attributes & (kAttrDirectory | kAttrReparsePoint);
    r.node->attributes = kept | (attributes & kSettable);
    return true;
}

bool SimFileSystem::GetLastWriteTime(const std::string& path, FileTime& time) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::GetTime, path, nullptr, nullptr)) return false;
    Resolved r = Resolve(path, true);
    if (r.error || !r.node || r.node->folder) return false;
    time = SeenTime(*r.node);
    return true;
}

std::optional<FileId> SimFileSystem::GetFileId(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::FileId, path, nullptr, nullptr)) return std::nullopt;
    Resolved r = Resolve(path, true);
    if (r.error || !r.node) return std::nullopt;
    return FileId{r.node->serial, r.node->index};
}

std::optional<uint64_t> SimFileSystem::GetFileIndex(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::FileIndex, path, nullptr, nullptr)) return std::nullopt;
    Resolved r = Resolve(path, true);
    if (r.error || !r.node) return std::nullopt;
    return r.node->index;
}

bool SimFileSystem::ReadWholeFile(const std::string& path, std::string& bytes, FsError* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (!BeginOnExisting(SimOp::ReadFile, path, true, r, error)) return false;
    if (r.node->folder) return Fail(error, kErrAccessDenied);
    bytes = r.node->content;
    return true;
}

bool SimFileSystem::WriteWholeFile(const std::string& path, const std::string& bytes, FsError* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::WriteFile, path, nullptr, error)) return false;
    Resolved r = Resolve(path, true);
    if (r.error) return Fail(error, r.error);
    if (r.isRoot || !r.parent || r.trailingSlash) return Fail(error, kErrPathNotFound);
    if (!ValidName(r.lastName)) return Fail(error, kErrInvalidName);
    Node* node = r.node;
    if (node && node->folder) return Fail(error, kErrAccessDenied);
    if (node && (node->attributes & kAttrReadOnly)) return Fail(error, kErrAccessDenied);
    // The file is written beside the old one and renamed over it, so a full disk leaves the
    // old file as it was.
    Volume* volume = FindVolumeBySerial(volumes_, r.parent->serial);
    if (volume && volume->freeSpace && bytes.size() > *volume->freeSpace + (node ? node->size : 0))
        return Fail(error, kErrDiskFull);
    if (node) Release(volume, node->size);
    Reserve(volume, bytes.size(), nullptr);
    if (!node) {
        auto fresh = std::make_unique<Node>();
        fresh->name = r.lastName;
        fresh->serial = r.parent->serial;
        fresh->parent = r.parent;
        node = fresh.get();
        r.parent->children[FoldCase(r.lastName)] = std::move(fresh);
    }
    // The new file takes the old one's place and keeps it hidden or system.
    uint32_t kept = node->attributes & (kAttrHidden | kAttrSystem);
    node->index = nextIndex_++;
    node->content = bytes;
    node->size = bytes.size();
    node->attributes = kAttrArchive | kept;
    node->lastWrite = StoredTime(node->serial, now_);
    return true;
}

bool SimFileSystem::ReadFileRange(const std::string& path, uint64_t offset, size_t maxBytes, std::string& bytes,
                                  uint64_t& fileSize, FsError* error) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (!BeginOnExisting(SimOp::ReadFile, path, true, r, error)) return false;
    if (r.node->folder) return Fail(error, kErrAccessDenied);
    // A big file without stored content reads as zero bytes, as AddBigFile's files do.
    fileSize = r.node->size;
    bytes.clear();
    if (offset < fileSize) {
        const uint64_t count = std::min<uint64_t>(maxBytes, fileSize - offset);
        bytes.assign(static_cast<size_t>(count), '\0');
        if (offset < r.node->content.size())
            r.node->content.copy(bytes.data(), std::min<size_t>(count, r.node->content.size() - offset), offset);
    }
    return true;
}

std::string SimFileSystem::FileSystemName(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!Begin(SimOp::VolumeInfo, path, nullptr, nullptr)) return {};
    Resolved r = Resolve(path, true);
    if (!r.volume || !r.volume->ready) return {};
    return r.volume->fileSystem;
}

uint32_t SimFileSystem::LogicalDrives() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    uint32_t mask = 0;
    for (const auto& [key, volume] : volumes_)
        if (key.size() == 2 && key[1] == ':' && key[0] >= 'A' && key[0] <= 'Z') mask |= 1u << (key[0] - 'A');
    return mask;
}

std::string SimFileSystem::CurrentDirectory() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::string dir = currentDirectory_;
    if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
    return dir;
}

}  // namespace tavrel
