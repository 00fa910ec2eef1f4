// SPDX-License-Identifier: GPL-3.0-or-later
// The evaluation's values and its fixed tables: piece values for ordering and the piece-square tables.
#include <cstring>

#include "eval/Evaluation.h"

int16_t PawnValue = 100, KnightValue = 313, BishopValue = 330, RookValue = 520, QueenValue = 900;
int16_t DrawScore = 0;
int PieceValue[17];

int16_t WhitePawnTable[BoardSize], BlackPawnTable[BoardSize];
int16_t WhiteKingTable[BoardSize], BlackKingTable[BoardSize];
int16_t KingEndgameTable[BoardSize];
int16_t WhiteKnightTable[BoardSize], BlackKnightTable[BoardSize];
int16_t WhiteBishopTable[BoardSize], BlackBishopTable[BoardSize];
int16_t WhiteRookTable[BoardSize], BlackRookTable[BoardSize];
int16_t WhitePawnWork[BoardSize], BlackPawnWork[BoardSize];
int16_t WhiteKingWork[BoardSize], BlackKingWork[BoardSize];
bool Middlegame = false;

namespace {

// White's view, rank 8 first, files a to h: the way the tables are read on a diagram.
// clang-format off
constexpr int kPawn[64] = {
     0,  0,  0,  0,  0,  0,  0,  0,
     5, 10, 15, 20, 20, 15, 10,  5,
     4,  4, 12, 16, 16, 12,  4,  4,
     3,  3,  9, 12, 12,  9,  3,  3,
     2,  2,  6,  8,  8,  6,  2,  2,
     1,  1,  2,  4,  4,  2,  1,  1,
     0,  0,  0, -4, -4,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
};
constexpr int kKnight[64] = {
    -20, -10, -10, -10, -10, -10, -10, -20,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   2,   5,   5,   5,   5,   2, -10,
    -10,   2,   5,  10,  10,   5,   2, -10,
    -10,   0,   5,  10,  10,   5,   0, -10,
    -10,   2,   5,   5,   5,   5,   2, -10,
    -10,   0,   0,   1,   1,   0,   0, -10,
    -20, -10, -10, -10, -10, -10, -10, -20,
};
constexpr int kBishop[64] = {
    -5, -5, -5, -5, -5, -5, -5, -5,
    -5,  0,  0,  0,  0,  0,  0, -5,
    -5,  0,  2,  2,  2,  2,  0, -5,
    -5,  4,  3,  3,  3,  3,  4, -5,
    -3,  2, 10,  3,  3, 10,  2, -3,
    -5,  4,  6, 10, 10,  6,  4, -5,
    -5, 10,  0, 10, 10,  0, 10, -5,
    -5, -5, -5, -5, -5, -5, -5, -5,
};
constexpr int kRook[64] = {
    6, 6, 4, 6, 6, 4, 6, 6,
    8, 8, 6, 8, 8, 6, 8, 8,
    6, 6, 4, 6, 6, 4, 6, 6,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 2, 4, 4, 2, 0, 0,
    0, 0, 2, 4, 4, 2, 0, 0,
};
constexpr int kKing[64] = {
    -70, -70, -70, -70, -70, -70, -70, -70,
    -60, -60, -60, -60, -60, -60, -60, -60,
    -50, -50, -50, -50, -50, -50, -50, -50,
    -40, -40, -40, -40, -40, -40, -40, -40,
    -30, -30, -30, -30, -30, -30, -30, -30,
    -20, -20, -20, -20, -20, -20, -20, -20,
     -4,  -4, -10, -10, -10, -10,  -4,  -4,
      3,  10,  10,   0,   0,   5,  10,   3,
};
constexpr int kKingEndgame[64] = {
    -5, -3, -1,  0,  0, -1, -3, -5,
    -3,  5,  5,  5,  5,  5,  5, -3,
    -1,  5, 10, 10, 10, 10,  5, -1,
     0,  5, 10, 15, 15, 10,  5,  0,
     0,  5, 10, 15, 15, 10,  5,  0,
    -1,  5, 10, 10, 10, 10,  5, -1,
    -3,  5,  5,  5,  5,  5,  5, -3,
    -5, -3, -1,  0,  0, -1, -3, -5,
};
constexpr int kPieceValue[17] = {0, 100, 100, 313, 313, 5000, 5000, 520, 520, 900, 900, 330, 330, 0, 0, 100, 100};
// clang-format on

struct SquareList {
    int v[BoardSize];
};

// 120 values by mailbox square; bMirror gives Black's table (rank r read from rank 9 - r).
SquareList ToSquares(const int* aDiagram, bool bMirror) {
    SquareList list{};
    for (int rank = 1; rank <= 8; ++rank) {
        const int row = bMirror ? rank - 1 : 8 - rank;  // diagram row holding this rank's values
        for (int file = 1; file <= 8; ++file) list.v[10 * (rank + 1) + file] = aDiagram[row * 8 + file - 1];
    }
    return list;
}

}  // namespace

void FillTable(int16_t* aTable, const int* aValues) {
    std::memset(aTable, 0, sizeof(int16_t) * BoardSize);
    for (int i = 0; i < BoardSize; ++i) aTable[i] = static_cast<int16_t>(aValues[i]);
}

// Piece values and piece-square tables; the order of the tables is the order they were always filled in.
void FillEvaluationTables() {
    std::memcpy(PieceValue, kPieceValue, sizeof PieceValue);
    std::memset(WhitePawnWork, 0, sizeof WhitePawnWork);
    std::memset(BlackPawnWork, 0, sizeof BlackPawnWork);
    std::memset(WhiteKingWork, 0, sizeof WhiteKingWork);
    std::memset(BlackKingWork, 0, sizeof BlackKingWork);
    FillTable(WhitePawnTable, ToSquares(kPawn, false).v);
    FillTable(BlackPawnTable, ToSquares(kPawn, true).v);
    FillTable(WhiteKingTable, ToSquares(kKing, false).v);
    FillTable(BlackKingTable, ToSquares(kKing, true).v);
    FillTable(KingEndgameTable, ToSquares(kKingEndgame, false).v);
    FillTable(WhiteBishopTable, ToSquares(kBishop, false).v);
    FillTable(BlackBishopTable, ToSquares(kBishop, true).v);
    FillTable(WhiteKnightTable, ToSquares(kKnight, false).v);
    FillTable(BlackKnightTable, ToSquares(kKnight, true).v);
    FillTable(WhiteRookTable, ToSquares(kRook, false).v);
    FillTable(BlackRookTable, ToSquares(kRook, true).v);
    InstallWorkingTables();
}

void InitEvaluation(const EvalSettings& settings) {
    PawnValue = settings.PawnValue;
    KnightValue = settings.KnightValue;
    BishopValue = settings.BishopValue;
    RookValue = settings.RookValue;
    QueenValue = settings.QueenValue;
    DrawScore = settings.DrawScore;
    FillEvaluationTables();
}
