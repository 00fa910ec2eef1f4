// SPDX-License-Identifier: GPL-3.0-or-later
// What runs beside a search, shared by both searches and whoever starts them: the stop and ponder flags,
// the wait for them once a move is found, and where the running search stands.
#pragma once
#include <atomic>
#include <cstdint>

#include "board/BoardBas.h"

// Set from another thread to end the running search as soon as it can; the move of the last finished
// iteration is kept. Whoever starts a search clears it first.
extern std::atomic<bool> StopRequested;
// Pondering: while Pondering holds, a timed search reads no clock. A ponder hit clears it and stores the
// time then in PonderHitTime (TimerSeconds()): the budget counts from there.
extern std::atomic<bool> Pondering;
extern std::atomic<double> PonderHitTime;

// Sets StopRequested, and wakes a search that holds its move.
void RequestSearchStop();
// The move pondered on was played: the search goes on as a timed one, its budget counted from now.
void PonderHitNow();
// A search that has its move gives it only when it may: an endless one (analysis, an infinite search) once
// it is stopped, a ponder search once the move pondered on is played or it is stopped. Blocks until then,
// without polling.
void HoldMove(bool bEndless);

// TimerSeconds() when the engine's turn began: thinking lines count their time from it.
extern double MoveStartTime;

// Where the running search stands, for a status request while it thinks (read on another thread).
struct SearchProgress {
    std::atomic<int> Iteration{0};
    std::atomic<int> MoveNumber{0};  // of the root move being searched, from 1
    std::atomic<int> MoveCount{0};   // legal root moves
    std::atomic<uint32_t> Move{0};   // PackMove of that move
    std::atomic<int64_t> Nodes{0};
    std::atomic<double> Start{0};  // TimerSeconds() when the search began
};
extern SearchProgress Progress;
inline uint32_t PackMove(const MoveRec& m) {
    return m.From | m.To << 8 | m.Promotion << 16;
}
// The squares and promotion of a packed move: all its text needs.
inline MoveRec UnpackMove(uint32_t n) {
    MoveRec m;
    m.From = static_cast<uint8_t>(n);
    m.To = static_cast<uint8_t>(n >> 8);
    m.Promotion = static_cast<uint8_t>(n >> 16);
    return m;
}
