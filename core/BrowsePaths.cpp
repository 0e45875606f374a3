#include "core/BrowsePaths.h"

#include "base/Text.h"
#include "base/Path.h"

namespace tavrel {

namespace {

constexpr int kRootIds[] = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007, 0x0008, 0x0009,
    0x000A, 0x000B, 0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0xFEFE,
};

constexpr uint32_t kOptionFlags[] = {0x0001, 0x0002, 0x0008, 0x1000, 0x2000, 0x4000};

constexpr uint32_t kAttrVolumeLabel = 0x8;

// Removes the last character (a whole UTF-8 sequence, never half of one).
void DropLastCharacter(std::string& s) {
    if (s.empty()) return;
    size_t i = s.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
    s.erase(i);
}

}  // namespace

int RootFolderId(TRootID root) {
    auto i = static_cast<size_t>(root);
    return i < std::size(kRootIds) ? kRootIds[i] : kRootIds[0];
}

uint32_t OptionsToShellFlags(TBrowseFlags options) {
    uint32_t flags = 0;
    for (size_t i = 0; i < std::size(kOptionFlags); ++i)
        if (options & (1u << i)) flags |= kOptionFlags[i];
    return flags;
}

uint32_t BrowseShellFlags(TBrowseFlags options, bool withStatusLine) {
    return OptionsToShellFlags(options) | (withStatusLine ? kBifStatusText : 0);
}

std::string DropFirstFolder(std::string s) {
    if (s == "\\") return {};
    bool leadingBackslash = !s.empty() && s[0] == '\\';
    if (leadingBackslash) s.erase(0, 1);
    // A "...\" left by an earlier step.
    if (!s.empty() && s[0] == '.') s.erase(0, std::min<size_t>(4, s.size()));
    size_t slash = s.find('\\');
    s = slash == std::string::npos ? std::string() : "...\\" + s.substr(slash + 1);
    if (leadingBackslash) s.insert(0, "\\");
    return s;
}

std::string FitPathToWidth(const std::string& path, int available, const TextWidthFn& width) {
    std::string result = path;
    std::string dir = ExtractFilePath(path);
    std::string name = path.substr(dir.size());
    std::string drive;
    if (dir.size() >= 2 && dir[1] == ':') {
        drive = dir.substr(0, 2);
        dir.erase(0, 2);
    }
    while ((!dir.empty() || !drive.empty()) && width(result) > available) {
        if (dir == "\\...\\") {
            drive.clear();
            dir = "...\\";
        } else if (dir.empty()) {
            drive.clear();
        } else {
            dir = DropFirstFolder(dir);
            // "C:" right before the name would read as a path relative to the drive's
            // current folder, which is another folder; drop the drive with the last folder.
            if (dir.empty()) drive.clear();
        }
        result = drive + dir + name;
    }
    return result;
}

std::string FitTextToWidth(const std::string& text, int available, const TextWidthFn& width) {
    std::string result = text;
    std::string t = text;
    while (!t.empty() && width(result) > available) {
        DropLastCharacter(t);
        result = t + "...";
    }
    return result;
}

std::string NormalizeSelectionPath(const std::string& path) {
    if (path.empty()) return path;
    if (path.size() < 4 && path.size() >= 2 && path[1] == ':') return path.size() == 2 ? path + "\\" : path;
    return ExcludeTrailingBackslash(path);
}

bool IsExistingDirectory(IFileSystem& fs, const std::string& path) {
    if (path.size() == 3 && path[1] == ':' && path[2] == '\\') {
        int n = static_cast<unsigned char>(AsciiUpper(path.substr(0, 1))[0]) - 'A';
        return n >= 0 && n <= 31 && (fs.LogicalDrives() >> n & 1u) != 0;
    }
    // A pattern would match some other entry than the path itself.
    if (path.find_first_of("*?") != std::string::npos) return false;
    std::string p = ExcludeTrailingBackslash(path);
    if (p.empty()) return false;
    std::optional<DirEntry> e = fs.FindEntry(p);
    if (!e || (e->attributes & (kAttrHidden | kAttrSystem | kAttrVolumeLabel)) != 0) return false;
    return e->IsFolder();
}

}  // namespace tavrel
