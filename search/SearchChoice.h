// SPDX-License-Identifier: GPL-3.0-or-later
// Which search plays, what one search is asked beyond the clock and depth of the protocol, and what the
// searches share with the driver while they run: the hash table's size, the strength, the progress.
#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "board/BoardBas.h"
#include "search/common/SearchControl.h"
#include "search/common/SearchReport.h"
#include "search/common/SearchRequest.h"

// The design's search is the default; the strong one is chosen by the settings file, an option or a
// command-line word. Set while no search runs.
enum class SearchKind { Design, Strong };
extern SearchKind ChosenSearch;

// What the driver asks of the next Think, beside the clock variables and MaxDepth. Set while no search
// runs; Think reads it and leaves it as it is.
extern SearchRequest Asked;

// Playing strength: 0 is full strength; otherwise an Elo figure from MinStrengthElo to MaxStrengthElo (the
// measured range of the two searches together), reached by a smaller search and a choice among near-best
// moves.
extern int StrengthElo;
constexpr int MinStrengthElo = 410;
constexpr int MaxStrengthElo = 1780;

// The strong search's hash table, in megabytes. A size out of range is refused (false) and the size in
// force stays.
constexpr int MinHashMegabytes = 1;
constexpr int MaxHashMegabytes = 4096;
constexpr int DefaultHashMegabytes = 64;
bool SetHashMegabytes(int nMegabytes);
int HashMegabytes();
void ClearHash();

// The strong search's Think: the same contract as Think (which calls it when it is chosen).
MoveRec StrongThink(SearchReporter& report);
