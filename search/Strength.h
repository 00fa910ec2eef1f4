// SPDX-License-Identifier: GPL-3.0-or-later
// Playing below full strength: a smaller search over several lines, then a weighted draw among the moves
// close to the best, so that a weak level still plays natural, varied chess. Both searches use these.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Elo figures outside MinStrengthElo..MaxStrengthElo count as the nearest end of the scale.
int64_t StrengthNodeLimit(int nElo);  // nodes one move may search
int StrengthLineCount(int nElo);      // best lines to search, among which the move is drawn
int32_t StrengthMargin(int nElo);     // centipawns below the best score a move may still be drawn from
// The index of the line to play, from scores best first; dRandom is uniform in [0, 1).
size_t StrengthPick(int nElo, const std::vector<int32_t>& scores, double dRandom);
double StrengthRandom();  // uniform in [0, 1), from a generator seeded once
