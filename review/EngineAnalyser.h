// SPDX-License-Identifier: GPL-3.0-or-later
// The analyser a review uses: an engine of the review's own, beside the one that plays, so that a review
// may run on a thread of its own while a game goes on.
#pragma once
#include <memory>

#include "review/Review.h"

// The hash table of a review's engine, in megabytes: enough for the default budget (a position's search
// and what the later positions left there).
constexpr int ReviewHashMegabytes = 64;

std::unique_ptr<Analyser> NewEngineAnalyser(int nThreads);
