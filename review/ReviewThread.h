// SPDX-License-Identifier: GPL-3.0-or-later
// A review on a thread of its own, so that whoever asked for it (the game window) goes on meanwhile. One
// review at a time; the analyser is kept from one review to the next. The callbacks run on the review's
// thread: a window posts what they carry to its own.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "review/Review.h"

class ReviewThread {
  public:
    // Called once a review ends: its result, or none when it was cancelled or the game cannot be replayed.
    using Finished = std::function<void(std::optional<GameReview> review)>;

    explicit ReviewThread(std::unique_ptr<Analyser> analyser);
    ~ReviewThread();  // cancels a running review and waits for its thread
    ReviewThread(const ReviewThread&) = delete;
    ReviewThread& operator=(const ReviewThread&) = delete;

    // Starts reviewing a copy of the game; a review still running is cancelled first. options.Stop is the
    // thread's own.
    void Start(const PgnGame& game, ReviewOptions options, Finished finished);
    // Returns at once; the review's thread ends within a moment and calls its Finished with none.
    void Cancel();

  private:
    void Join();
    std::unique_ptr<Analyser> analyser_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
