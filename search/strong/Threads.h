// SPDX-License-Identifier: GPL-3.0-or-later
// The helper threads of one engine: started once, parked on a condition variable between searches (cheaper
// than starting threads for every move), woken together for a search and waited for before it returns, so
// that no helper runs once its search is over. Destroying them ends and joins them.
#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace strong {

class HelperThreads {
  public:
    explicit HelperThreads(int nCount);
    ~HelperThreads();
    HelperThreads(const HelperThreads&) = delete;
    HelperThreads& operator=(const HelperThreads&) = delete;

    int Count() const { return static_cast<int>(threads_.size()); }
    // Every helper runs job(its index, from 1); returns at once.
    void Start(std::function<void(int)> job);
    // Blocks until every helper has finished the job.
    void Wait();

  private:
    void Loop(int nIndex);

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::function<void(int)> job_;
    unsigned generation_ = 0;  // one more for every job
    int running_ = 0;
    bool quit_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace strong
