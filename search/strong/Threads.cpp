// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/strong/Threads.h"

namespace strong {

HelperThreads::HelperThreads(int nCount) {
    for (int i = 1; i <= nCount; ++i) threads_.emplace_back([this, i] { Loop(i); });
}

HelperThreads::~HelperThreads() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void HelperThreads::Start(std::function<void(int)> job) {
    {
        std::lock_guard lock(mutex_);
        job_ = std::move(job);
        running_ = Count();
        ++generation_;
    }
    wake_.notify_all();
}

void HelperThreads::Wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return running_ == 0; });
}

void HelperThreads::Loop(int nIndex) {
    unsigned seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return quit_ || generation_ != seen; });
        if (quit_) return;
        seen = generation_;
        const std::function<void(int)> job = job_;
        lock.unlock();
        job(nIndex);
        lock.lock();
        if (--running_ == 0) done_.notify_all();
    }
}

}  // namespace strong
