// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed tables of board/Bitboard.h, worked out while compiling.
#include "board/Bitboard.h"

#include <initializer_list>

namespace bitboard {
namespace {

constexpr bool OnBoard(int nFile, int nRank) {
    return nFile >= 0 && nFile < 8 && nRank >= 0 && nRank < 8;
}

// The squares a step pattern reaches from sq, once each step.
constexpr Bitboard Steps(int sq, const int (*pSteps)[2], int nSteps) {
    Bitboard b = 0;
    for (int i = 0; i < nSteps; ++i) {
        const int f = FileOf(sq) + pSteps[i][0], r = RankOf(sq) + pSteps[i][1];
        if (OnBoard(f, r)) b |= Bit(SquareAt(f, r));
    }
    return b;
}

constexpr int kKnightSteps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
constexpr int kKingSteps[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
constexpr int kPawnSteps[2][2][2] = {{{-1, 1}, {1, 1}}, {{-1, -1}, {1, -1}}};

constexpr int Sign(int n) {
    return (n > 0) - (n < 0);
}

// Between and Line for two squares on a shared rank, file or diagonal.
constexpr void FillLines(AttackTables& t, int a, int b) {
    const int df = FileOf(b) - FileOf(a), dr = RankOf(b) - RankOf(a);
    if (a == b || (df != 0 && dr != 0 && df != dr && df != -dr)) return;
    const int sf = Sign(df), sr = Sign(dr);
    for (int f = FileOf(a) + sf, r = RankOf(a) + sr; SquareAt(f, r) != b; f += sf, r += sr)
        t.Between[a][b] |= Bit(SquareAt(f, r));
    Bitboard line = Bit(a);
    for (int dir : {1, -1})
        for (int f = FileOf(a) + dir * sf, r = RankOf(a) + dir * sr; OnBoard(f, r);
             f += dir * sf, r += dir * sr)
            line |= Bit(SquareAt(f, r));
    t.Line[a][b] = line;
}

constexpr AttackTables MakeTables() {
    AttackTables t{};
    for (int sq = 0; sq < 64; ++sq) {
        t.Knight[sq] = Steps(sq, kKnightSteps, 8);
        t.King[sq] = Steps(sq, kKingSteps, 8);
        t.Pawn[White][sq] = Steps(sq, kPawnSteps[White], 2);
        t.Pawn[Black][sq] = Steps(sq, kPawnSteps[Black], 2);
        for (int other = 0; other < 64; ++other) FillLines(t, sq, other);
    }
    for (int sq = 0; sq < 64; ++sq)
        for (int other = 0; other < 64; ++other) {
            const bool straight = FileOf(sq) == FileOf(other) || RankOf(sq) == RankOf(other);
            if (t.Line[sq][other]) (straight ? t.RookLines : t.BishopLines)[sq] |= Bit(other);
        }
    return t;
}

}  // namespace

constexpr AttackTables kAttackTables = MakeTables();

}  // namespace bitboard
