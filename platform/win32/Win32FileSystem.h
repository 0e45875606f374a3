// IFileSystem on the Win32 W functions. Every path goes through LongPath, so paths of any
// length work without the callers knowing.
#pragma once

#include "platform/FileSystem.h"

#include <map>
#include <mutex>
#include <string>

namespace tavrel {

class Win32FileSystem : public IFileSystem {
public:
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
    // Asked of the system once per volume root and kept for a few seconds: long enough for
    // the files of one folder, short enough that another stick in the same drive is seen.
    std::string FileSystemName(const std::string& path) override;
    uint32_t LogicalDrives() override;
    std::string CurrentDirectory() override;

private:
    struct KnownVolume {
        std::string fileSystem;
        uint64_t askedAt = 0;  // GetTickCount64
    };
    std::map<std::wstring, KnownVolume> volumes_;  // by root, as GetVolumePathName gives it
    std::mutex volumesMutex_;  // the copies of several threads may ask at once
};

}  // namespace tavrel
