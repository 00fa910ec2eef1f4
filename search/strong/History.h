// SPDX-License-Identifier: GPL-3.0-or-later
// What a search thread learns about moves as it searches, for the move order and the reductions: how often a
// quiet move cut off (by colour and squares, and after the previous move and the one before it), which
// reply refuted each move, and how captures fared (by piece, square and victim). Every score is kept
// within +-HistoryMax by a gravity that pulls it back as it grows.
#pragma once
#include <cstdint>
#include <cstdlib>

#include "board/Position.h"

namespace strong {

constexpr int HistoryMax = 16384;

// One score under the gravity: a bonus moves it towards +-HistoryMax, less the nearer it is.
inline void AddBonus(int16_t& nScore, int nBonus) {
    nScore = static_cast<int16_t>(nScore + nBonus - nScore * std::abs(nBonus) / HistoryMax);
}

// The bonus (or, negated, the penalty) a move earns at a depth.
inline int HistoryBonus(int nDepth) {
    return nDepth > 9 ? 1600 : 16 * nDepth * nDepth + 32 * nDepth;
}

// The scores of quiet moves after one particular move (its piece and square): [piece][to].
using FollowUpTable = int16_t[16][64];

struct Histories {
    int16_t Quiet[2][64][64];        // [colour][from][to]
    int16_t Capture[16][64][7];      // [moving piece][to][captured type]
    bitboard::Move Counter[16][64];  // [piece][to] of the move answered: the reply that refuted it
    FollowUpTable FollowUp[16][64];  // [piece][to] of an earlier move: the quiet moves after it
    void Clear();
};

}  // namespace strong
