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

void CopyPace::Begin(int limit, Clock::time_point now) {
    // The copies begun under the earlier limit end first: they are not counted.
    skip_ = limit_;
    limit_ = limit;
    counted_ = 0;
    began_ = now;
}

void CopyPace::Finished(Clock::time_point now) {
    if (!adaptive_) return;
    if (!started_) {
        started_ = true;
        began_ = now;
        return;
    }
    if (skip_ > 0) {
        if (--skip_ == 0) began_ = now;
        return;
    }
    ++counted_;
    switch (phase_) {
    case Phase::TryOne:
        if (counted_ < kTrialCopies) return;
        one_ = now - began_;
        phase_ = Phase::TryMost;
        Begin(most_, now);
        return;
    case Phase::TryMost:
        if (counted_ < kTrialCopies) return;
        most_time_ = now - began_;
        phase_ = Phase::Settled;
        Begin(most_time_ < one_ ? most_ : 1, now);
        return;
    case Phase::Settled:
        if (counted_ < kSettledCopies) return;
        phase_ = Phase::TryOne;
        Begin(1, now);
        return;
    }
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
