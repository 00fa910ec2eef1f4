// SPDX-License-Identifier: GPL-3.0-or-later
// The strong search's parts, for its own files and its tests: principal-variation search over a hash
// table, with pruning, reductions and time use of its own, on the design's board, move generation and
// evaluation.
#pragma once
#include <algorithm>
#include <cstdint>

#include "eval/Tracking.h"
#include "search/PositionHash.h"
#include "search/Search.h"
#include "search/TransTable.h"

// What a capture (or any move) wins on its square once both sides have taken there as they best can, in
// centipawns for the mover. Read from the running piece sets (StartTracking).
int StaticExchange(const MoveRec& m);
int ExchangeValue(int nCode);

extern TransTable StrongTable;

// The time one move of the strong search may take, in seconds from its start: it stops after an iteration
// past Soft (scaled by how settled the best move is), and at once at Hard.
struct MoveTimes {
    bool Timed = false;  // false: no clock is read (fixed depth, analysis)
    double Soft = 0, Hard = 0;
};
MoveTimes StrongMoveTimes(bool bEndless);

// The deepest iteration of the strong search.
constexpr int StrongMaxDepth = 64;

// Chooses the move as Think does (the same contract), with the strong search.
SearchResult StrongThink(const SearchRequest& asked, const StrengthLimit& strength, SearchReporter& report);
