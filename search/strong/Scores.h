// SPDX-License-Identifier: GPL-3.0-or-later
// The strong engine's score scale: centipawns, with mates far above anything the evaluation gives, small
// enough for a hash entry's 16 bits; and how scores leave the engine (the scale of search/common).
#pragma once
#include <cstdint>

#include "search/common/SearchRules.h"

namespace strong {

constexpr int MaxPly = 128;  // the deepest ply a line may reach; the per-ply stacks hold a few more
constexpr int MaxIteration = 64;
constexpr int Mate = 32000;               // mated at the root; a mate found at ply p scores Mate - p
constexpr int MateBound = Mate - MaxPly;  // beyond it in either direction, a mate
constexpr int Infinite = Mate + 1;
constexpr int NoScore = Mate + 2;  // no score at all (an empty hash entry's evaluation)

constexpr int MatedAt(int ply) {
    return ply - Mate;
}
constexpr int MateAt(int ply) {
    return Mate - ply;
}
constexpr bool IsMate(int score) {
    return score >= MateBound || score <= -MateBound;
}

// Mate scores count from the root; in the hash table they count from the node, so an entry serves the same
// position at any ply.
constexpr int ScoreToTable(int score, int ply) {
    return score >= MateBound ? score + ply : score <= -MateBound ? score - ply : score;
}
constexpr int ScoreFromTable(int score, int ply) {
    return score >= MateBound ? score - ply : score <= -MateBound ? score + ply : score;
}

// The score as reports and results give it: centipawns, a mate as ScoreInfinity less its plies counted
// with the root as ply 1 (mate in one: ScoreInfinity - 2), as both searches' reports count them.
constexpr int32_t ReportedScore(int score) {
    if (score >= MateBound) return ScoreInfinity - (Mate - score) - 1;
    if (score <= -MateBound) return -ScoreInfinity + (Mate + score) + 1;
    return score;
}

}  // namespace strong
