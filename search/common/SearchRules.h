// SPDX-License-Identifier: GPL-3.0-or-later
// What both searches follow alike: the score scale, the game-end verdict on the move chosen at the root,
// a mate limit, the reserve a fixed time per move keeps, and the draw among near-best lines that plays
// below full strength.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/BoardBas.h"

// ---- Scores and depths ----
constexpr int32_t ScoreInfinity = 100000;  // initial root window; Ply - ScoreInfinity: mated at Ply
constexpr int SearchPlies = 100;           // rows of every per-ply table
// The deepest iteration a request may ask for: below it the design's check extension (plies 1 to 30) and
// capture search (30 plies) still fit the per-ply tables. A deeper sd searches this deep.
constexpr int MaxIterationCount = 30;

// Mate for the side to move in at most nMoves moves (a side mated at ply p scores p - ScoreInfinity).
inline bool MateWithin(int32_t nScore, int nMoves) {
    return nScore >= ScoreInfinity - SearchPlies && (ScoreInfinity - nScore + 1) / 2 <= nMoves;
}
// Counters stop at their largest value instead of overflowing in a very long search.
inline void CountNode(int32_t& nCounter) {
    nCounter += nCounter != INT32_MAX;
}
inline bool SameMove(const MoveRec& a, const MoveRec& b) {
    return a.From == b.From && a.To == b.To && a.Promotion == b.Promotion;
}
// sd (or a depth asked over UCI) is in force: the depth ends the search, not the clock.
inline bool FixedDepthMode() {
    return MaxDepth != NoDepthLimit;
}

// ---- The game's end ----
// What a search knows of the move it chose at the root.
struct RootFacts {
    int32_t Score = 0;         // the score that judges resignation and a mate at once
    bool ThirdTime = false;    // the move brings about a position for the third time
    bool ClaimsFifty = false;  // past the fifty-move count, a move that does not start it again
};
// The game-end code (ResultNone .. ResultBlackResigns) the chosen move calls for, judged on the board
// before it is played, from nCode, the game's code as the search found it. In this order, each rule that
// applies replacing the code: a score of -2000 or less resigns; a mate at once wins (and nothing after
// it counts); a third repetition draws, else a fifty-move claim draws.
int32_t GameVerdict(int32_t nCode, const RootFacts& facts);
// No legal move: mated or stalemated.
int32_t NoMoveVerdict();
// A move that captures or moves a pawn starts the fifty-move count again (read before it is made).
inline bool ResetsFiftyCount(const MoveRec& m) {
    const int piece = Board[m.From];
    return Board[m.To] < EmptySquare || piece == WhitePawn || piece == BlackPawn;
}

// ---- Time ----
// A fixed time per move (st, movetime) must never be overrun: a small part of it is kept back for
// unwinding the search and the reply's trip to the interface. The seconds left to search, at least dFloor.
double FixedMoveBudget(double dSeconds, double dFloor);

// ---- Below full strength ----
// The index of the line to play among lines scored best first: a weighted draw among those within
// nMargin centipawns of the best, never a mate given up or a move into mate. dRandom is uniform in [0, 1).
size_t StrengthPick(int32_t nMargin, const std::vector<int32_t>& scores, double dRandom);
double StrengthRandom();  // uniform in [0, 1), from a generator seeded once
