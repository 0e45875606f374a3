// The rules of a run, folder by folder: the walk that counts, tests, filters and copies, the
// emptying of the destination, and the folder builder. They see the world only through
// IFileSystem and the run's views, so the tests run them over the simulation.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/CopyPool.h"
#include "core/JobSettings.h"
#include "core/Report.h"
#include "core/RunView.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace tavrel {

// The counters of one run. Sizes are in tenths of a kilobyte. 64-bit, so that a run over
// 204 GB does not wrap.
struct RunCounters {
    int64_t ExaminedCount = 0;
    int64_t ExaminedSize = 0;
    int64_t CopiedCount = 0;  // count run: would be copied; delete phase: deleted; copy phase: copied
    int64_t CopiedSize = 0;
    int64_t FailedCount = 0;  // copies, deletions and folder creations that failed
};

extern const char* const kCopyErrorText;    // "Der er sket en fejl under kopieringen. ..."
extern const char* const kDeleteErrorText;  // "Der er sket en fejl under sletningen."

// Copies are written under this name in the destination folder and then renamed over the
// destination file, so a copy that fails or is killed never leaves a partial file under the
// real name. The name carries a check of the file name it stands for, so IsTempName knows the
// program's own from a file the user happened to call "~tavrel-....tmp". The walks pass the
// program's own over, and a copy run removes them only in the folders it writes to.
std::string TempNameFor(const std::string& fileName);
bool IsTempName(const std::string& fileName);

// The type filter: true when a file of this name takes part in the run.
bool TypeIncluded(const JobSettings& settings, const std::string& fileName);

// P with its first stripLength bytes replaced by destBase. Paths are UTF-8; the run computes
// stripLength from the same strings, so a byte count is exact.
std::string DestinationOf(const std::string& path, const std::string& destBase, size_t stripLength);

// The folder that holds the folder (both end with "\\"): "C:\\Data\\" for "C:\\Data\\Sub\\", "C:\\"
// for "C:\\Data\\", and nothing for a root ("C:\\", "\\\\srv\\share\\"). Never a bare "C:", which
// Windows reads as the current folder on that drive.
std::string ParentFolderOf(const std::string& folder);

// A folder's identity, asked for in two steps. Its index is cheap to get; its whole FileId also
// needs the volume, which is not (under Wine each time a request to the mount manager). Folders
// whose indexes differ are different folders, so the whole identity is asked for only when the
// indexes agree. An identity that cannot be learned equals no other.
class FolderIdentity {
public:
    FolderIdentity(IFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
    FolderIdentity(const FolderIdentity&) = delete;
    FolderIdentity& operator=(const FolderIdentity&) = delete;

    bool SameAs(FolderIdentity& other);
    bool SameAs(const FileId& id);
    const std::optional<FileId>& Whole();

private:
    const std::optional<uint64_t>& Index();

    IFileSystem& fs_;
    std::string path_;
    std::optional<uint64_t> index_;
    std::optional<FileId> whole_;
    bool indexAsked_ = false;
    bool wholeAsked_ = false;
};

struct WalkContext {
    IFileSystem& fs;
    IProgressView& progress;  // the folder or file at hand
    IRunHost& host;           // the window's pending messages, before each entry
    IMessageBox& messages;
    const JobSettings& settings;  // read at each use, so a change during the run counts from then on
    SkippedFiles& skipped;
    RunCounters& counters;
    std::atomic<bool>& abort;
    // Where this run's copies land: a walk never enters them, so it never copies its own copies.
    std::vector<std::string> excludedFolders;
    // The marked folders: the delete phase never enters them nor any folder above them.
    std::vector<std::string> protectedFolders;
    // The direction of the run, fixed when it starts: a reverse run writes into the marked
    // folders themselves.
    bool reverse = false;
    // The copies in flight at once (see CopyPace): 1 copies each file on the walk's thread
    // before the walk goes on, kAdaptiveCopyWorkers lets the copies' times decide.
    int copyWorkers = 1;
};

class CopyRules {
public:
    explicit CopyRules(WalkContext& context);
    ~CopyRules();

    // Walks the folder (ending with "\"), counts, tests, filters and, with doCopy, copies.
    void CopyFolder(const std::string& folder, const std::string& destBase, bool doCopy, size_t stripLength);
    // Deletes every file beneath the folder and counts the deleted ones. A file it cannot
    // delete (a read-only one) is a failure only if the copy that follows does not replace it:
    // RecordUndeletedFiles, after the copy, lists those that are still there.
    void DeleteFolderFiles(const std::string& folder);
    void RecordUndeletedFiles();
    // Removes every folder beneath the folder that is empty, bottom up, and the folder itself.
    void RemoveFolders(const std::string& folder);
    // Creates every missing folder of the path; false when one could not be created.
    bool ForceFolders(const std::string& path);
    // The file's last-write time in the DOS form, or 0 (the earliest) when it cannot be opened
    // or its time lies outside 1980..2107.
    uint32_t FileDateOf(const std::string& path);

    // The new-and-changed test: true when the file at target is as new as the source entry.
    // Times compare in the DOS form (two-second steps, local time). A time that has no DOS form
    // (before 1980, after 2107) on either side gives no ordering, so the copy is passed over
    // only when the two raw times are exactly equal: a changed file is never skipped.
    bool DestinationUpToDate(const std::string& target, const DirEntry& source);

private:
    class DestListing;
    struct FolderWalk;
    struct Outcome;
    bool NewAndChangedTestApplies() const;
    bool CreateSubfolder(const std::string& folder);
    // attributes: the folder's as its parent listed them, or kInvalidAttributes when unknown.
    void Walk(const std::string& folder, FolderIdentity& id, const std::string& destBase, bool doCopy,
              size_t stripLength, bool destCreated = false, uint32_t attributes = kInvalidAttributes);
    DestListing& Listed(FolderWalk& walk);
    void PrepareDestination(FolderWalk& walk);
    void HandleEntry(FolderWalk& walk, const DirEntry& entry);
    void WalkSubfolder(FolderWalk& walk, const DirEntry& entry);
    void HandleFile(FolderWalk& walk, const DirEntry& entry);
    // Copies one file of the walk to its target; false (the failure recorded) when it failed.
    bool CopyEntry(DestListing& listing, const DirEntry& entry, const std::string& source, const std::string& target);
    void FolderNotListed(const std::string& folder, uint32_t attributes, const FsError& error);
    void DeleteFolderFiles(const std::string& folder, FolderIdentity& id);
    void DeleteOneFile(const std::string& path, const DirEntry& entry);
    void RemoveFolders(const std::string& folder, FolderIdentity& id);
    // Lists the folder and hands each entry to visit, leaving out the names that begin with a
    // dot. With pump the window's messages run before each entry, and AbortRequested ends the
    // listing. False when the folder cannot be listed (the reason in error).
    bool ForEachEntry(const std::string& folder, bool pump, const std::function<void(const DirEntry&)>& visit,
                      FsError* error = nullptr);
    // Does the work of one folder of a walk, unless the walk is inside it already (a link back
    // to it would make the walk endless). An unexpected error there is shown and, with stopRun,
    // stops the run.
    void InsideFolder(FolderIdentity& id, const char* errorText, bool stopRun, const std::function<void()>& work);
    bool UpToDateIn(DestListing& listing, const std::string& target, const DirEntry& source);
    bool AsNew(FileTime destTime, FileTime sourceTime, const std::string& target);
    // The file system of the volume the target lies on, asked once per volume and run.
    const std::string& TargetFileSystem(const std::string& target);
    bool CopyOneFile(const std::string& source, const std::string& target, FsError& error, bool tempMayExist = true);
    // Hands the copy to the pool; its outcome is applied in walk order by CollectCopies.
    void QueueCopy(FolderWalk& walk, const DirEntry& entry, const std::string& source, const std::string& target,
                   int64_t tenths);
    // Applies the outcomes at the front that are settled, and the bytes of the copies under way
    // to the copied size.
    void CollectCopies();
    // Waits, the window's messages running, until at most `left` outcomes are pending.
    void WaitForCopies(size_t left);
    // Waits in the same way until fewer copies than the pace allows are unfinished.
    void WaitForRoom();
    void ApplyOutcome(Outcome& outcome);
    bool StoppedByAbort(const FsError& error) const;
    // The hints of one copy from what the walk knows of its source and of the target's folder.
    static CopyHints HintsFor(const DestListing& listing, const DirEntry& entry);
    bool CopyOneFile(const std::string& source, const std::string& target, FsError& error, bool tempMayExist = true,
                     const CopyHints* hints = nullptr);
    static bool CopyOneFile(IFileSystem& fs, const std::string& source, const std::string& target, FsError& error,
                            bool tempMayExist, const CopyHints* hints);
    bool DiscardFile(const std::string& path);
    static bool DiscardFile(IFileSystem& fs, const std::string& path);
    void RemoveLeftovers(DestListing& listing, const std::string& destFolder);
    void RemoveEarlierLeftover(DestListing& listing, const std::string& folder, const std::string& destFolder,
                               const std::string& name);
    // A failure goes to the report in walk order: behind the outcomes of copies still pending.
    void RecordFailure(const std::string& path, const FsError& error);
    void RecordFailureNow(const std::string& path, const FsError& error);
    bool IsExcluded(const std::string& folder, FolderIdentity& id);
    bool IsProtected(const std::string& folder, FolderIdentity& id);
    bool EnterFolder(FolderIdentity& id);
    void LeaveFolder();
    void ResolveProtectedIds();

    WalkContext& ctx_;
    std::vector<FolderIdentity*> openFolders_;  // the folders the walk is inside, to stop at a loop
    std::vector<std::optional<FileId>> excludedIds_;
    std::vector<FileId> protectedIds_;
    std::vector<std::string> failedFolders_;
    // Files the delete phase could not delete, in its order, and (folded) those of them that
    // the copy has not yet replaced or tried to.
    std::vector<std::pair<std::string, FsError>> undeleted_;
    std::unordered_set<std::string> undeletedLeft_;
    bool protectedResolved_ = false;
    std::unordered_map<std::string, std::string> targetFileSystems_;  // by folded volume root
    std::unique_ptr<CopyPool> pool_;
    std::optional<CopyPace> pace_;
    // The copies handed to the pool and the failures behind them, in walk order.
    std::deque<std::shared_ptr<Outcome>> outcomes_;
};

}  // namespace tavrel
