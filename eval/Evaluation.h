// SPDX-License-Identifier: GPL-3.0-or-later
// The design's evaluation: material, piece-square tables, pawn structure, rooks and queens, king shelter,
// in centipawns for the side to move, on the design's board.
#pragma once
#include <cstdint>

#include "board/BoardBas.h"

// The values the settings file gives the evaluation.
struct EvalSettings {
    int16_t PawnValue = 100, KnightValue = 313, BishopValue = 330, RookValue = 520, QueenValue = 900;
    int16_t DrawScore = 0;
};
// The values and the tables. Called once at start-up, before the first game.
void InitEvaluation(const EvalSettings& settings);

// ---- Settings-backed values (set by InitEvaluation; options may change them between searches) ----
extern int16_t PawnValue, KnightValue, BishopValue, RookValue, QueenValue;
extern int16_t DrawScore;
// Fixed value by piece code for ordering and the game phase, whatever the settings say.
extern int PieceValue[17];

// ---- Piece-square tables, by mailbox square ----
extern int16_t WhitePawnTable[BoardSize], BlackPawnTable[BoardSize];
extern int16_t WhiteKingTable[BoardSize], BlackKingTable[BoardSize];
extern int16_t KingEndgameTable[BoardSize];
extern int16_t WhiteKnightTable[BoardSize], BlackKnightTable[BoardSize];
extern int16_t WhiteBishopTable[BoardSize], BlackBishopTable[BoardSize];
extern int16_t WhiteRookTable[BoardSize], BlackRookTable[BoardSize];
// Pawn and king tables of the phase chosen at the root of the running search.
extern int16_t WhitePawnWork[BoardSize], BlackPawnWork[BoardSize];
extern int16_t WhiteKingWork[BoardSize], BlackKingWork[BoardSize];
extern bool Middlegame;

// Fixed piece values and the eleven piece-square tables; clears the working tables.
void FillEvaluationTables();
// Clears aTable, then stores the 120 values (truncated to 16 bits) in square order.
void FillTable(int16_t* aTable, const int* aValues);

// ---- Evaluation ----
void PrepareEvaluation();     // chooses the phase once per search
void InstallWorkingTables();  // derives the per-node sums from the working tables and the settings
int32_t Evaluate();           // centipawns for the side to move
