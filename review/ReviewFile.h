// SPDX-License-Identifier: GPL-3.0-or-later
// The review of a whole PGN file: every game reviewed and written back annotated, in the file's order. A
// game that cannot be read (or replayed) is written as the file had it, byte for byte, so that nothing of
// the file is lost.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "review/Review.h"

struct FileReviewEvents {
    // Before a game: its index among the file's games (from 0) and how many there are.
    std::function<void(const PgnGame& game, size_t index, size_t count)> GameStarts;
    std::function<void(const ReviewProgress& progress)> Progress;
    // After a game: its review, or none and why it could not be read.
    std::function<void(const PgnGame& game, const GameReview* review, const std::string& error)> GameDone;
    // The text to write, one game at a time.
    std::function<void(const std::string& text)> Write;
};

struct FileReviewCount {
    int Reviewed = 0, Unreadable = 0;
    bool Stopped = false;  // the stop flag ended the review: the games after the last written are left out
};

FileReviewCount ReviewPgnText(std::string_view text, Analyser& analyser, const ReviewOptions& options,
                              ReviewSides sides, const std::string& annotator,
                              const FileReviewEvents& events);

// "Carlsen - Caruana, 1-0": who played and how it ended, as the tags say.
std::string GameTitle(const PgnGame& game);
// "accuracy 92.3%, average loss 18 cp, 2 inaccuracies, 0 mistakes, 1 blunder" (no accuracy without a move).
std::string SideSummaryText(const SideSummary& side);
