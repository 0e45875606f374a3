#include "core/CopyPool.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace tavrel {

int CopyWorkersFrom(const char* text) {
    if (!text || !*text) return kDefaultCopyWorkers;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > kMaxCopyWorkers) return kDefaultCopyWorkers;
    return static_cast<int>(value);
}

int CopyWorkersSetting() { return CopyWorkersFrom(std::getenv("TAVREL_WORKERS")); }

CopyPace::CopyPace(int setting)
    : adaptive_(setting == kAdaptiveCopyWorkers),
      most_(adaptive_ ? kMostAdaptiveWorkers : setting),
      limit_(adaptive_ ? 1 : setting) {}

void CopyPace::Observe(std::chrono::microseconds elapsed, int inFlight) {
    if (!adaptive_) return;
    const double share = static_cast<double>(elapsed.count()) / std::max(inFlight, 1);
    share_ = seen_ ? 0.75 * share_ + 0.25 * share : share;
    seen_ = true;
    limit_ = share_ >= static_cast<double>(kSlowShare.count()) ? most_ : 1;
}

CopyPool::CopyPool(int workers) {
    for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

CopyPool::~CopyPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void CopyPool::Submit(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void CopyPool::WaitForOne(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait_for(lock, timeout, [this] { return oneFinished_; });
    oneFinished_ = false;
}

void CopyPool::Work() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            oneFinished_ = true;
        }
        finished_.notify_all();
    }
}

}  // namespace tavrel
