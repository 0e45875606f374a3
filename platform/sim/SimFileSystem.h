// An in-memory file system that behaves like Windows where the program depends on it, for
// tests: case-insensitive, case-preserving paths; enumeration in NTFS order with "." and ".."
// in every folder but a root; read-only files refused; folder links that share their target's
// contents and identity. Failures can be injected per operation and path, a hook runs before
// every operation, and every operation is counted.
#pragma once

#include "platform/FileSystem.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

enum class SimOp {
    OpenFolder,
    NextEntry,
    GetAttributes,
    FindEntry,
    CreateFolder,
    CopyFile,
    MoveReplace,
    DeleteFile,
    RemoveFolder,
    SetAttributes,
    GetTime,
    FileId,
    FileIndex,
    ReadFile,
    WriteFile,
    VolumeInfo,
    Count_  // number of operations, not an operation
};

// Windows error codes that the simulation reports, with the Danish texts of the system.
enum : uint32_t {
    kErrFileNotFound = 2,
    kErrPathNotFound = 3,
    kErrAccessDenied = 5,
    kErrNotSameDevice = 17,
    kErrNotReady = 21,
    kErrSharingViolation = 32,
    kErrFileExists = 80,
    kErrDiskFull = 112,
    kErrInvalidName = 123,
    kErrDirNotEmpty = 145,
    kErrAlreadyExists = 183,
    kErrDirectory = 267,
};
FsError SimError(uint32_t code);

class SimFileSystem : public IFileSystem {
public:
    SimFileSystem();
    ~SimFileSystem() override;

    // ---- Building the world (not counted, no hook, no injected failures) ----
    void AddDrive(char letter);
    // A drive for each letter, as "CDE".
    void AddDrives(std::string_view letters) {
        for (char letter : letters) AddDrive(letter);
    }
    // A network share root such as "\\srv\share\".
    void AddShare(const std::string& root);
    // The drive disappears with everything on it.
    void RemoveDrive(char letter);
    // The drive letter stays but the medium is gone: every operation fails with "not ready".
    void EjectMedium(char letter);
    // Creates the folder and its missing parents (the drive must exist).
    void AddFolder(const std::string& path, uint32_t attributes = 0);
    // Creates or replaces a file, creating missing parent folders.
    void AddFile(const std::string& path, const std::string& content, FileTime lastWrite = kDefaultTime,
                 uint32_t attributes = kAttrArchive);
    // A file of the given size without stored content, for sizes no test wants in memory.
    void AddBigFile(const std::string& path, uint64_t size, FileTime lastWrite = kDefaultTime,
                    uint32_t attributes = kAttrArchive);
    // A folder link (junction or symbolic link): its contents are the target's and its
    // FileId is the target's, but it can be removed by itself.
    void AddFolderLink(const std::string& path, const std::string& target);
    // The folder (or folder link) refuses to be listed, as a folder whose access list denies
    // listing to everyone: opening it fails with "access denied"; what lies beneath it can
    // still be reached by its path.
    void DenyListing(const std::string& path);
    // Removes a file, folder (with its contents) or link; false when missing.
    bool Remove(const std::string& path);
    void SetLastWrite(const std::string& path, FileTime time);
    void SetAttrs(const std::string& path, uint32_t attributes);
    // Gives the file or folder another index; two volumes may number their files alike.
    void SetIndex(const std::string& path, uint64_t index);
    // The file system of a drive or share ("NTFS" when never set). FAT, FAT12, FAT16, FAT32
    // and exFAT keep last-write times in local time with two-second steps, as those volumes
    // do: a time is stored as the local time of the moment it is written (rounded up to two
    // seconds) and read back through the local offset of the moment it is read, so a change
    // of SetLocalOffsetMinutes moves the times seen on such a volume. Set it before adding
    // files to the volume.
    void SetFileSystem(const std::string& root, const std::string& name);
    void SetFileSystem(char letter, const std::string& name) { SetFileSystem(std::string(1, letter) + ":\\", name); }

    // ---- Looking at the world (not counted) ----
    bool Exists(const std::string& path) const;
    std::optional<DirEntry> Entry(const std::string& path) const;
    // The bytes of a file; empty when there is no such file.
    std::string Content(const std::string& path) const;
    // Names in the folder in enumeration order, without "." and "..".
    std::vector<std::string> List(const std::string& folder) const;

    // ---- Time ----
    static constexpr FileTime kDefaultTime = 134412396850000000ull;  // 2026-12-08 21:41:25 UTC
    static FileTime MakeFileTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    // Local time = UTC + offset; ToDosDateTime uses it.
    void SetLocalOffsetMinutes(int minutes) { localOffsetMinutes_ = minutes; }
    // The last-write time given to files written and folders created through IFileSystem.
    void SetNow(FileTime now) { now_ = now; }
    // The DOS form built from calendar values, for expected results.
    static uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second);

    // ---- Faults ----
    // Makes the operation fail on every path that starts with the prefix (case ignored; an
    // empty prefix matches every path), "times" times (-1: always), after letting "skip"
    // matching calls through. CopyFile and MoveReplace match on source or target.
    void InjectFailure(SimOp op, const std::string& pathPrefix, FsError error, int times = -1, int skip = 0);
    void InjectFailure(SimOp op, const std::string& pathPrefix, uint32_t code, int times = -1, int skip = 0) {
        InjectFailure(op, pathPrefix, SimError(code), times, skip);
    }
    void ClearFailures() { injections_.clear(); }
    // Free space of a drive or share: copies and writes beyond it fail with code 112; a copy
    // leaves a target of the bytes that fitted. Deleting and overwriting give space back.
    void SetFreeSpace(const std::string& root, uint64_t bytes);
    void SetFreeSpace(char letter, uint64_t bytes) { SetFreeSpace(std::string(1, letter) + ":\\", bytes); }
    // Called before every counted operation with its path (CopyFile and MoveReplace: the
    // source). It may change the world through the building functions, or throw.
    std::function<void(SimOp, const std::string& path)> BeforeOp;

    // ---- Counters ----
    int Calls(SimOp op) const { return counts_[static_cast<size_t>(op)]; }
    int TotalCalls() const;
    void ResetCounts() { counts_.fill(0); }

    void SetCurrentDirectory(const std::string& path) { currentDirectory_ = path; }

    // ---- IFileSystem ----
    std::unique_ptr<IFolderEnum> OpenFolder(const std::string& folder, FsError* error = nullptr) override;
    uint32_t GetAttributes(const std::string& path) override;
    std::optional<DirEntry> FindEntry(const std::string& path) override;
    bool CreateFolder(const std::string& path, FsError* error = nullptr) override;
    bool CopyFile(const std::string& source, const std::string& target, bool failIfExists,
                  FsError* error = nullptr, const CopyHints* hints = nullptr) override;
    bool MoveReplace(const std::string& source, const std::string& target, FsError* error = nullptr,
                     const CopyHints* hints = nullptr) override;
    bool DeleteFile(const std::string& path, FsError* error = nullptr) override;
    bool RemoveFolder(const std::string& path, FsError* error = nullptr) override;
    bool SetAttributes(const std::string& path, uint32_t attributes, FsError* error = nullptr) override;
    bool GetLastWriteTime(const std::string& path, FileTime& time) override;
    std::optional<uint32_t> ToDosDateTime(FileTime time) override;
    std::optional<FileId> GetFileId(const std::string& path) override;
    std::optional<uint64_t> GetFileIndex(const std::string& path) override;
    bool ReadWholeFile(const std::string& path, std::string& bytes, FsError* error = nullptr) override;
    bool WriteWholeFile(const std::string& path, const std::string& bytes, FsError* error = nullptr) override;
    bool ReadFileRange(const std::string& path, uint64_t offset, size_t maxBytes, std::string& bytes,
                       uint64_t& fileSize, FsError* error = nullptr) override;
    std::string FileSystemName(const std::string& path) override;
    uint32_t LogicalDrives() override;
    std::string CurrentDirectory() override;

    struct Node;
    struct Volume;
    // The bytes between two calls of a copy's progress callback.
    static constexpr uint64_t kProgressChunk = 1ull << 20;

private:
    struct Injection {
        SimOp op;
        std::string prefix;  // folded
        FsError error;
        int times;
        int skip;
    };
    struct Resolved;

    Resolved Resolve(const std::string& path, bool followLastLink) const;
    Node* ResolveNode(const std::string& path, bool followLastLink) const;
    Node* ForceFolderNode(const std::string& path);
    Volume* VolumeOf(const std::string& root) const;
    bool Begin(SimOp op, const std::string& path, const std::string* second, FsError* error);
    bool Fail(FsError* error, uint32_t code);
    // Begin on a path that must name something: the injected failure, a path that cannot be
    // reached and a missing entry fail as the operation would; r is the entry resolved.
    bool BeginOnExisting(SimOp op, const std::string& path, bool followLastLink, Resolved& r, FsError* error);
    bool Reserve(Volume* volume, uint64_t bytes, uint64_t* fitted);
    void Release(Volume* volume, uint64_t bytes);
    void RemoveChild(Node* parent, const std::string& key);
    // Last-write times as a volume keeps them and as they are seen (see SetFileSystem).
    FileTime StoredTime(uint64_t serial, FileTime utc) const;
    FileTime SeenTime(const Node& node) const;
    DirEntry EntryOf(const Node& node) const;

    std::map<std::string, std::unique_ptr<Volume>> volumes_;  // by folded root: "C:", "\\SRV\SHARE"
    std::vector<Injection> injections_;
    std::array<int, static_cast<size_t>(SimOp::Count_)> counts_{};
    uint64_t nextIndex_ = 1;
    uint64_t nextSerial_ = 0x1000;
    int localOffsetMinutes_ = 0;
    FileTime now_ = kDefaultTime;
    std::string currentDirectory_ = "C:\\";
    bool inHook_ = false;
    bool anyLocalTimes_ = false;  // some volume keeps local times
    // Every operation holds it, so that the copies of several threads can go through at once;
    // recursive, since the hook may change the world from inside an operation.
    mutable std::recursive_mutex mutex_;

    friend class SimFolderEnum;
};

}  // namespace tavrel
