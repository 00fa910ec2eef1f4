// SPDX-License-Identifier: GPL-3.0-or-later
// Leaf count of the legal-move tree, walked with the search's own make/test/unmake pattern.
#pragma once
#include <cstdint>

#include "board/BoardBas.h"
#include "board/Position.h"

// bQuick: legality decided knowing whether the side to move stands in check, as the search does; otherwise
// by the plain test after every move.
inline uint64_t Perft(int nDepth, bool bQuick = true) {
    if (nDepth <= 0) return 1;
    // One list per remaining depth (a list on the stack would be zero-filled at every node); no count
    // deeper than the table could ever finish.
    static MoveList lists[32];
    MoveList& list = lists[nDepth < 32 ? nDepth : 31];
    GenerateMoves(list);
    const bool inCheck = bQuick && InCheck();
    uint64_t nodes = 0;
    for (int i = 0; i < list.Count; ++i) {
        MoveRec& m = list.Move[i];
        MakeMove(m);
        ++Ply;
        if (bQuick ? IsLegalAfterMove(m, inCheck) : IsLegalAfterMove(m))
            nodes += nDepth == 1 ? 1 : Perft(nDepth - 1, bQuick);
        --Ply;
        UnmakeMove(m);
    }
    return nodes;
}

// The same count on the bitboard position: legal moves generated, each made and taken back, the leaves too.
inline uint64_t Perft(bitboard::Position& pos, int nDepth) {
    if (nDepth <= 0) return 1;
    bitboard::Move moves[bitboard::MaxMoves];
    const bitboard::Move* end = bitboard::GenerateLegal(pos, moves);
    uint64_t nodes = 0;
    bitboard::Undo undo;
    for (const bitboard::Move* m = moves; m != end; ++m) {
        pos.Make(*m, undo);
        nodes += nDepth == 1 ? 1 : Perft(pos, nDepth - 1);
        pos.Unmake(*m, undo);
    }
    return nodes;
}
