// SPDX-License-Identifier: GPL-3.0-or-later
// Search start-up: the search memories, the board tables and the evaluation's values and tables.
#include <cstring>

#include "search/SearchBas.h"

void InitSearch(const SearchSettings& settings) {
    std::memset(PVLength, 0, sizeof PVLength);
    for (auto& row : PVTable)
        for (auto& m : row) m = MoveRec{};
    std::memset(HistoryTable, 0, sizeof HistoryTable);
    for (int p = 0; p < SearchPlies; ++p) {
        KillerMove1[p] = KillerMove2[p] = MoveRec{};
        KillerScore[p] = 0;
        KillerScoreReset[p] = -ScoreInfinity;
    }
    // Board, piece list, touch counts, the start position and the FEN square table.
    InitBoardTables();

    PawnValue = settings.PawnValue;
    KnightValue = settings.KnightValue;
    BishopValue = settings.BishopValue;
    RookValue = settings.RookValue;
    QueenValue = settings.QueenValue;
    DrawScore = settings.DrawScore;
    FillEvaluationTables();
}
