// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/PositionHash.h"

uint64_t PositionHash() {
    uint64_t k = 0;
    int ghost = 0;
    for (int sq = 21; sq <= 98; ++sq) {
        const int p = Board[sq];
        if (p >= 1 && p <= 12) k ^= kHashKeys.Piece[p][sq];
        if (p == WhiteGhost || p == BlackGhost) ghost = sq;
    }
    k ^= kHashKeys.Castle[CastleRights()] ^ kHashKeys.EnPassant[ghost];
    return WhiteToMove ? k : k ^ kHashKeys.BlackToMove;
}
