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
// own thread, one file after the other), or kAdaptiveCopyWorkers: one or kMostAdaptiveWorkers,
// whichever copies more files per second (see CopyPace).
constexpr int kAdaptiveCopyWorkers = 0;
constexpr int kMostAdaptiveWorkers = 4;
constexpr int kMaxCopyWorkers = 16;
constexpr int kDefaultCopyWorkers = kAdaptiveCopyWorkers;
// TAVREL_WORKERS when it holds a number from 1 to kMaxCopyWorkers, else kDefaultCopyWorkers.
int CopyWorkersSetting();
// The same rule for a given text (nullptr: not set).
int CopyWorkersFrom(const char* text);

// How many copies to keep in flight, learnt by trying: the pace copies a stretch of files one
// at a time and a stretch with all its workers, keeps what copied more files per second, and
// tries again now and then, since the drive or its load may change. On a drive where each copy
// waits (a network or USB drive) several in flight win; on a local disk under Wine, where the
// copies mostly need the processor, one at a time does.
class CopyPace {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kTrialCopies = 16;     // copies timed in each trial
    static constexpr int kSettledCopies = 256;  // copies between two rounds of trials

    // setting: a fixed number (1 to kMaxCopyWorkers) or kAdaptiveCopyWorkers.
    explicit CopyPace(int setting);
    int Threads() const { return most_; }
    int Limit() const { return limit_; }
    // A copy has ended at `now`.
    void Finished(Clock::time_point now);

private:
    void Begin(int limit, Clock::time_point now);

    bool adaptive_;
    int most_;
    int limit_;
    enum class Phase { TryOne, TryMost, Settled } phase_ = Phase::TryOne;
    int counted_ = 0;  // copies ended in this phase
    int skip_ = 0;     // copies of the earlier limit still to end, not counted
    Clock::time_point began_{};
    bool started_ = false;
    Clock::duration one_{}, most_time_{};  // what each trial's copies took
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
