// SPDX-License-Identifier: GPL-3.0-or-later
// talvor --review GAMES.pgn: the games of a PGN file reviewed by the engine and written back annotated, on
// standard output or into a file, with progress and a summary of each game on standard error.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "review/Review.h"

struct ReviewArguments {
    std::string Input;   // the PGN file; "-" for standard input
    std::string Output;  // empty: standard output
    AnalysisBudget Budget = AnalysisBudget::Nodes(ReviewOptions::DefaultReviewNodes);
    ReviewSides Sides = ReviewSides::Both;
    int Threads = 1;
    bool Help = false;
};

// Whether the command line asks for a review (--review anywhere in it).
bool AsksForReview(const std::vector<std::string>& args);
// The review's arguments (the program's name left out), or none and why in error.
std::optional<ReviewArguments> ReadReviewArguments(const std::vector<std::string>& args, std::string& error);
// Runs the review the arguments ask for: 0 when every game was reviewed, 1 when a game could not be read
// (the others are still written), 2 when the arguments or the files are wrong.
int RunReviewCommand(const std::vector<std::string>& args);

// What --help says of the review.
extern const char ReviewUsageText[];
