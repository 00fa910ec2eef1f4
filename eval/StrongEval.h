// SPDX-License-Identifier: GPL-3.0-or-later
// The strong engine's evaluation of a bitboard position: every term a middlegame and an endgame value from
// the weight table (Weights.h), blended by the phase, the endgame part scaled in drawish endings, decided
// endings valued by knowledge. One call per node; what it keeps between calls lives in the caller's cache
// (one per search thread), so evaluations on different threads never share anything written.
#pragma once
#include "board/Position.h"
#include "eval/Endgames.h"
#include "eval/EvalTrace.h"
#include "eval/PawnTable.h"

namespace eval {

// What one search thread keeps between evaluations.
struct EvalCache {
    PawnTable Pawns;
};

// Builds what the evaluation otherwise builds the first time it needs it (the king-and-pawn bitbase: about
// 30 ms), so that no timed search pays for it: call it when the strong engine is chosen.
void PrepareEndgameKnowledge();

// Centipawns for the side to move. Endings won by knowledge score from KnownWin to KnownWin + 2000; the
// weights alone stay far below KnownWin in any position a game can reach.
int Evaluate(const bitboard::Position& pos, EvalCache& cache);

// The same value (White's view, also in trace.Value), with every term's count written to the trace.
int EvaluateTraced(const bitboard::Position& pos, EvalTrace& trace);

// The phase of the position: 0 (kings and pawns) .. MaxPhase.
int PhaseOf(const bitboard::Position& pos);

// What the king danger (summed from the Danger weights) costs its side: grows with its square in the
// middlegame, straight in the endgame; nothing below zero.
constexpr int DangerMgDivisor = 720, DangerEgDivisor = 20;
constexpr int DangerMgCap = 2400;  // keeps the cost within a score's 16 bits
constexpr Score DangerCost(Score danger) {
    const int mg = danger.Mg() < 0 ? 0 : danger.Mg() > DangerMgCap ? DangerMgCap : danger.Mg();
    const int eg = danger.Eg() < 0 ? 0 : danger.Eg();
    return Score(mg * mg / DangerMgDivisor, eg / DangerEgDivisor);
}

}  // namespace eval
