// The file system as core/ sees it. Paths are UTF-8, Windows style ("C:\Data\a.txt",
// "\\server\share\x\"), folder paths end with a backslash. The Win32 implementation adds
// the long-path prefix itself where a path needs it, so callers never do.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// <windows.h> makes macros of CopyFile and DeleteFile, which would rename the methods below.
#undef CopyFile
#undef DeleteFile

namespace tavrel {

// Attribute bits, the values Windows uses.
enum : uint32_t {
    kAttrReadOnly = 0x1,
    kAttrHidden = 0x2,
    kAttrSystem = 0x4,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
    kAttrReparsePoint = 0x400,
    kInvalidAttributes = 0xFFFFFFFFu,
};

// A FILETIME value: 100-nanosecond steps since 1601-01-01 UTC.
using FileTime = uint64_t;

struct DirEntry {
    std::string name;  // name only, no folder
    uint32_t attributes = 0;
    uint64_t size = 0;
    FileTime lastWrite = 0;
    bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
};

// What went wrong with one operation: the system's error code and its text.
struct FsError {
    uint32_t code = 0;
    std::string text;
};

// Identity of a file or folder on its volume, so that two paths to one folder compare equal.
struct FileId {
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const FileId&) const = default;
};

// One open enumeration of a folder, like FindFirstFile/FindNextFile. Entries come in the
// order the file system returns them; "." and ".." are included where the platform reports them.
class IFolderEnum {
public:
    virtual ~IFolderEnum() = default;
    virtual bool Next(DirEntry& entry) = 0;  // false at the end
};

// What the caller of a copy already knows, so that the file system need not ask again: on a
// network drive every question is a round trip, and a look-up of a name that is not there may
// read the whole folder. Fields left at their defaults are unknown and asked for as before.
struct CopyHints {
    static constexpr uint64_t kUnknownSize = ~0ull;
    uint64_t sourceSize = kUnknownSize;
    uint32_t sourceAttributes = kInvalidAttributes;  // kInvalidAttributes: unknown
    // The target's attributes when targetKnown; kInvalidAttributes then means it is not there.
    bool targetKnown = false;
    uint32_t targetAttributes = kInvalidAttributes;
    // Told the bytes copied so far, now and then during the copy of a file; false stops the
    // copy, which then fails with kErrorCopyStopped and leaves no target behind.
    std::function<bool(uint64_t copied)> progress;
};

// The code of a copy stopped by its progress callback (ERROR_REQUEST_ABORTED).
constexpr uint32_t kErrorCopyStopped = 1235;

class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // Opens an enumeration of the folder (path ends with "\"); nullptr when it cannot be listed,
    // with the reason in error.
    virtual std::unique_ptr<IFolderEnum> OpenFolder(const std::string& folder, FsError* error = nullptr) = 0;

    // kInvalidAttributes when the path does not exist. A trailing backslash is allowed.
    virtual uint32_t GetAttributes(const std::string& path) = 0;

    // The entry of exactly this path (a find on the path), or nothing.
    virtual std::optional<DirEntry> FindEntry(const std::string& path) = 0;

    virtual bool CreateFolder(const std::string& path, FsError* error = nullptr) = 0;
    // Copies the contents, attributes and last-write time; replaces the target unless failIfExists.
    // Safe to call from several threads at once, as is MoveReplace, for different files.
    virtual bool CopyFile(const std::string& source, const std::string& target, bool failIfExists,
                          FsError* error = nullptr, const CopyHints* hints = nullptr) = 0;
    // Renames source over target, replacing it; both on the same volume. Of the hints only what
    // is known of the target counts.
    virtual bool MoveReplace(const std::string& source, const std::string& target, FsError* error = nullptr,
                             const CopyHints* hints = nullptr) = 0;
    virtual bool DeleteFile(const std::string& path, FsError* error = nullptr) = 0;
    // Removes an empty folder, or a folder link itself (never what it points at, where the
    // platform allows that).
    virtual bool RemoveFolder(const std::string& path, FsError* error = nullptr) = 0;
    virtual bool SetAttributes(const std::string& path, uint32_t attributes, FsError* error = nullptr) = 0;

    // Last-write time of a file opened for reading while others may read and write it.
    virtual bool GetLastWriteTime(const std::string& path, FileTime& time) = 0;
    // The time in local time in the DOS date-time form (date in the high word); nothing when the
    // time lies outside 1980..2107.
    virtual std::optional<uint32_t> ToDosDateTime(FileTime time) = 0;

    virtual std::optional<FileId> GetFileId(const std::string& path) = 0;
    // The index part of GetFileId alone. Two paths with equal FileIds have equal indexes, so
    // unequal indexes settle that two folders differ without asking for the volume, which is
    // the costly part on some platforms (under Wine a request to the mount manager).
    virtual std::optional<uint64_t> GetFileIndex(const std::string& path) = 0;

    // Whole-file reads and writes. WriteWholeFile replaces the file.
    virtual bool ReadWholeFile(const std::string& path, std::string& bytes, FsError* error = nullptr) = 0;
    virtual bool WriteWholeFile(const std::string& path, const std::string& bytes, FsError* error = nullptr) = 0;
    // Up to maxBytes of the file from offset on (fewer at its end), and the file's size, so
    // that the end of a long file can be read without reading the rest. The default reads the
    // whole file; the real file systems read only the part asked for.
    virtual bool ReadFileRange(const std::string& path, uint64_t offset, size_t maxBytes, std::string& bytes,
                               uint64_t& fileSize, FsError* error = nullptr) {
        std::string whole;
        if (!ReadWholeFile(path, whole, error)) return false;
        fileSize = whole.size();
        bytes = offset < whole.size() ? whole.substr(static_cast<size_t>(offset), maxBytes) : std::string();
        return true;
    }

    // The name of the file system of the volume that holds the path ("NTFS", "FAT32",
    // "exFAT"...), the path need not exist yet; empty when it cannot be learned.
    virtual std::string FileSystemName(const std::string& path) {
        (void)path;
        return {};
    }

    // Bit 0 = A:, bit 25 = Z:.
    virtual uint32_t LogicalDrives() = 0;
    // The current directory, without a trailing backslash unless it is a root ("C:\").
    virtual std::string CurrentDirectory() = 0;
};

// True exactly when the path's attributes can be read and include the directory attribute.
inline bool FolderExists(IFileSystem& fs, const std::string& path) {
    uint32_t a = fs.GetAttributes(path);
    return a != kInvalidAttributes && (a & kAttrDirectory) != 0;
}

inline bool FileExists(IFileSystem& fs, const std::string& path) {
    uint32_t a = fs.GetAttributes(path);
    return a != kInvalidAttributes && (a & kAttrDirectory) == 0;
}

}  // namespace tavrel
