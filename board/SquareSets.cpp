// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/SquareSets.h"

#include <initializer_list>

namespace {
constexpr SquareSets MakeSquareSets() {
    SquareSets t{};
    for (int sq = 0; sq < BoardSize; ++sq) t.SquareBit[sq] = SquareBitOf(sq);
    constexpr int kSteps[8] = {10, -10, 1, -1, 11, -11, 9, -9};
    constexpr int kKnight[8] = {8, 19, 21, 12, -8, -19, -21, -12};
    for (int sq = 0; sq < BoardSize; ++sq) {
        if (!OnBoard(sq)) continue;
        const int bit = __builtin_ctzll(t.SquareBit[sq]);
        t.BitOfSquare[sq] = static_cast<uint8_t>(bit);
        t.SquareOfBit[bit] = static_cast<uint8_t>(sq);
        for (int r = 0; r < 8; ++r) {
            if (OnBoard(sq + kSteps[r])) t.KingMask[sq] |= t.SquareBit[sq + kSteps[r]];
            if (sq + kKnight[r] >= 0 && sq + kKnight[r] < BoardSize && OnBoard(sq + kKnight[r]))
                t.KnightMask[sq] |= t.SquareBit[sq + kKnight[r]];
        }
        for (int d : {9, 11}) {
            if (OnBoard(sq + d)) t.PawnAttacks[0][sq] |= t.SquareBit[sq + d];
            if (OnBoard(sq - d)) t.PawnAttacks[1][sq] |= t.SquareBit[sq - d];
        }
        t.FileOf[sq] = static_cast<uint8_t>(sq % 10);
    }
    return t;
}
}  // namespace

constinit const SquareSets kSets = MakeSquareSets();
