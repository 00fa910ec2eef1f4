// Leaf count of the legal-move tree, walked with the search's own make/test/unmake pattern.
#pragma once
#include <cstdint>

#include "board/BoardBas.h"

inline uint64_t Perft(int nDepth) {
    if (nDepth == 0) return 1;
    MoveList list;
    GenerateMoves(list);
    uint64_t nodes = 0;
    for (int i = 0; i < list.Count; ++i) {
        MoveRec& m = list.Move[i];
        MakeMove(m);
        ++Ply;
        if (IsLegalAfterMove(m)) nodes += nDepth == 1 ? 1 : Perft(nDepth - 1);
        --Ply;
        UnmakeMove(m);
    }
    return nodes;
}
