// SPDX-License-Identifier: GPL-3.0-or-later
// Search start-up: the search memories, the board tables, then the evaluation.
#include <cstring>

#include "search/design/SearchBas.h"

void InitSearch(const EvalSettings& settings) {
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
    InitEvaluation(settings);
}
