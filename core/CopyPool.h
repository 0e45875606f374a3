// A few threads that copy files while the walk goes on deciding what to copy. On drives where
// every request waits for an answer (network and USB drives) several files in flight overlap
// their waits. The pool knows nothing of copies: it runs the tasks it is given, in the order
// given, and tells whoever waits that one finished.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tavrel {

// The copies a run keeps in flight: a number from 1 to kMaxCopyWorkers (1 copies on the walk's
// own thread, one file after the other), or kAdaptiveCopyWorkers: one copy at a time while the
// copies are quick (a local disk, where under Wine more threads only get in each other's way),
// up to kMostAdaptiveWorkers while each copy mostly waits (a network or USB drive).
constexpr int kAdaptiveCopyWorkers = 0;
constexpr int kMostAdaptiveWorkers = 4;
constexpr int kMaxCopyWorkers = 16;
constexpr int kDefaultCopyWorkers = kAdaptiveCopyWorkers;
// TAVREL_WORKERS when it holds a number from 1 to kMaxCopyWorkers, else kDefaultCopyWorkers.
int CopyWorkersSetting();
// The same rule for a given text (nullptr: not set).
int CopyWorkersFrom(const char* text);

// How many copies to keep in flight, learnt from what the copies of small files take: the
// time of each, shared by the copies under way beside it, is the time it cost the run. Below
// kSlowShare the copies are quick and one at a time is best; above it they wait on the drive.
class CopyPace {
public:
    static constexpr std::chrono::microseconds kSlowShare{4000};

    explicit CopyPace(int setting);
    int Threads() const { return most_; }
    int Limit() const { return limit_; }
    // A small file's copy took `elapsed` while `inFlight` copies (itself included) were under way.
    void Observe(std::chrono::microseconds elapsed, int inFlight);

private:
    bool adaptive_;
    int most_;
    int limit_;
    double share_ = 0;  // microseconds, a moving average
    bool seen_ = false;
};

class CopyPool {
public:
    explicit CopyPool(int workers);
    // Runs what is queued still, then ends the threads.
    ~CopyPool();
    CopyPool(const CopyPool&) = delete;
    CopyPool& operator=(const CopyPool&) = delete;

    void Submit(std::function<void()> task);
    // Returns when a task has finished since the last call, or after the timeout.
    void WaitForOne(std::chrono::milliseconds timeout);

private:
    void Work();

    std::mutex mutex_;
    std::condition_variable wake_;      // a task was queued, or the pool ends
    std::condition_variable finished_;  // a task ended
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    bool oneFinished_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace tavrel
