// SPDX-License-Identifier: GPL-3.0-or-later
// What a search is asked beyond the clock and depth of the protocol: what go, analyze or hint asked.
#pragma once
#include <cstdint>
#include <vector>

#include "board/BoardBas.h"

struct SearchRequest {
    // Analysis, an infinite search or pondering: no clock is read and no move comes from the book; the
    // search goes on until it is stopped or a limit below is reached.
    bool Endless = false;
    // The book answers timed play only; analysis and fixed limits never take it.
    bool UseBook = true;
    int64_t NodeLimit = 0;             // stop once this many nodes are searched; 0: no limit
    int MateMoves = 0;                 // stop once a mate in this many moves is found; 0: no limit
    int MultiPv = 1;                   // how many best lines are searched and reported
    std::vector<MoveRec> SearchMoves;  // the root moves to search; empty: all
};
