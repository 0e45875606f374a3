// IFileSystem on the Win32 W functions. Every path goes through LongPath, so paths of any
// length work without the callers knowing.
#pragma once

#include "platform/FileSystem.h"

namespace tavrel {

class Win32FileSystem : public IFileSystem {
public:
    std::unique_ptr<IFolderEnum> OpenFolder(const std::string& folder, FsError* error = nullptr) override;
    uint32_t GetAttributes(const std::string& path) override;
    std::optional<DirEntry> FindEntry(const std::string& path) override;
    bool CreateFolder(const std::string& path, FsError* error = nullptr) override;
    bool CopyFile(const std::string& source, const std::string& target, bool failIfExists,
                  FsError* error = nullptr) override;
    bool MoveReplace(const std::string& source, const std::string& target, FsError* error = nullptr) override;
    bool DeleteFile(const std::string& path, FsError* error = nullptr) override;
    bool RemoveFolder(const std::string& path, FsError* error = nullptr) override;
    bool SetAttributes(const std::string& path, uint32_t attributes, FsError* error = nullptr) override;
    bool GetLastWriteTime(const std::string& path, FileTime& time) override;
    std::optional<uint32_t> ToDosDateTime(FileTime time) override;
    std::optional<FileId> GetFileId(const std::string& path) override;
    std::optional<uint64_t> GetFileIndex(const std::string& path) override;
    bool ReadWholeFile(const std::string& path, std::string& bytes, FsError* error = nullptr) override;
    bool WriteWholeFile(const std::string& path, const std::string& bytes, FsError* error = nullptr) override;
    uint32_t LogicalDrives() override;
    std::string CurrentDirectory() override;
};

}  // namespace tavrel
