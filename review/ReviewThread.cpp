// SPDX-License-Identifier: GPL-3.0-or-later
#include "review/ReviewThread.h"

ReviewThread::ReviewThread(std::unique_ptr<Analyser> analyser) : analyser_(std::move(analyser)) {}

ReviewThread::~ReviewThread() {
    Cancel();
    Join();
}

void ReviewThread::Start(const PgnGame& game, ReviewOptions options, Finished finished) {
    Cancel();
    Join();
    stop_.store(false);
    options.Stop = &stop_;
    thread_ = std::thread([this, game, options = std::move(options), finished = std::move(finished)] {
        std::optional<GameReview> review = ReviewGame(game, *analyser_, options);
        if (stop_.load()) review.reset();
        finished(std::move(review));
    });
}

void ReviewThread::Cancel() {
    stop_.store(true);
}

void ReviewThread::Join() {
    if (thread_.joinable()) thread_.join();
}
