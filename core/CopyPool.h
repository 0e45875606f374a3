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

// The number of copies a run keeps in flight unless TAVREL_WORKERS says otherwise (1 to 16;
// 1 copies on the walk's own thread, one file after the other).
constexpr int kDefaultCopyWorkers = 4;
constexpr int kMaxCopyWorkers = 16;
// TAVREL_WORKERS when it holds a number from 1 to kMaxCopyWorkers, else kDefaultCopyWorkers.
int CopyWorkersSetting();
// The same rule for a given text (nullptr: not set).
int CopyWorkersFrom(const char* text);

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
