// SPDX-License-Identifier: GPL-3.0-or-later
// Square sets the evaluation asks about pawns: the files beside one, the squares ahead of it, the squares
// an enemy pawn must not hold or attack for it to be passed.
#pragma once
#include "board/Bitboard.h"

namespace eval {

using bitboard::Bitboard;
using bitboard::Colour;

struct PawnMasks {
    Bitboard AdjacentFiles[8];
    Bitboard RanksAhead[2][8];   // [colour][rank]: every rank beyond it, seen from that colour's side
    Bitboard FileAhead[2][64];   // the squares ahead of a square on its file
    Bitboard AttackSpan[2][64];  // the squares ahead on the files beside: where the pawn may yet attack
    Bitboard PassedSpan[2][64];  // both: no enemy pawn there makes the pawn passed
};

constexpr PawnMasks MakePawnMasks() {
    using namespace bitboard;
    PawnMasks m{};
    for (int f = 0; f < 8; ++f)
        m.AdjacentFiles[f] = (f > 0 ? FileBits(f - 1) : 0) | (f < 7 ? FileBits(f + 1) : 0);
    for (int r = 0; r < 8; ++r)
        for (int beyond = r + 1; beyond < 8; ++beyond) {
            m.RanksAhead[White][r] |= RankBits(beyond);
            m.RanksAhead[Black][7 - r] |= RankBits(7 - beyond);
        }
    for (int c = 0; c < 2; ++c)
        for (int sq = 0; sq < 64; ++sq) {
            const Bitboard ahead = m.RanksAhead[c][RankOf(sq)];
            m.FileAhead[c][sq] = ahead & FileBits(FileOf(sq));
            m.AttackSpan[c][sq] = ahead & m.AdjacentFiles[FileOf(sq)];
            m.PassedSpan[c][sq] = m.FileAhead[c][sq] | m.AttackSpan[c][sq];
        }
    return m;
}

inline constexpr PawnMasks kPawnMasks = MakePawnMasks();

}  // namespace eval
