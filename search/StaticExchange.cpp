// SPDX-License-Identifier: GPL-3.0-or-later
// Static exchange evaluation: what a capture wins once every piece that can take on its square has taken,
// the cheapest first, each side free to stop. Read from the running piece sets.
#include "search/StrongSearch.h"

namespace {
// Exchange values by piece code; a king is worth more than anything it could win.
constexpr int kExchangeValue[17] = {0,   100, 100, 320, 320, 20000, 20000, 500, 500,
                                    900, 900, 330, 330, 0,   0,     0,     0};

uint64_t AttackersOf(int nSquare, uint64_t nOccupied) {
    const uint64_t* by = Track.ByCode;
    const int bit = kSets.BitOfSquare[nSquare];
    return (kSets.PawnAttacks[1][nSquare] & by[WhitePawn]) | (kSets.PawnAttacks[0][nSquare] & by[BlackPawn]) |
           (kSets.KnightMask[nSquare] & (by[WhiteKnight] | by[BlackKnight])) |
           (kSets.KingMask[nSquare] & (by[WhiteKing] | by[BlackKing])) |
           (RookAttacks(bit, nOccupied) & (by[WhiteRook] | by[BlackRook] | by[WhiteQueen] | by[BlackQueen])) |
           (BishopAttacks(bit, nOccupied) &
            (by[WhiteBishop] | by[BlackBishop] | by[WhiteQueen] | by[BlackQueen]));
}
}  // namespace

int ExchangeValue(int nCode) {
    return kExchangeValue[nCode];
}

int StaticExchange(const MoveRec& m) {
    const int from = m.From, to = m.To, mover = Board[from];
    int captured = m.EnPassant == 1 ? (mover == WhitePawn ? BlackPawn : WhitePawn) : Board[to];
    if (captured >= EmptySquare) captured = 0;
    if (!Tracking) return kExchangeValue[captured];  // without the piece sets: what the move takes
    const uint64_t* by = Track.ByCode;
    uint64_t occupied = TrackedOccupancy() ^ kSets.SquareBit[from];
    if (m.EnPassant == 1) occupied ^= kSets.SquareBit[mover == WhitePawn ? to - 10 : to + 10];
    const uint64_t diagonal = by[WhiteBishop] | by[BlackBishop] | by[WhiteQueen] | by[BlackQueen];
    const uint64_t straight = by[WhiteRook] | by[BlackRook] | by[WhiteQueen] | by[BlackQueen];
    const int bit = kSets.BitOfSquare[to];
    uint64_t attackers = AttackersOf(to, occupied) & occupied;

    int gain[40];
    int depth = 0;
    gain[0] = kExchangeValue[captured];
    int onSquare = m.Promotion != 0 ? m.Promotion : mover;
    if (m.Promotion != 0) gain[0] += kExchangeValue[m.Promotion] - kExchangeValue[WhitePawn];
    int side = (mover & 1) ? 1 : 0;  // the colour to take next: 0 White, 1 Black
    static const int kCheapestFirst[6] = {WhitePawn, WhiteKnight, WhiteBishop,
                                          WhiteRook, WhiteQueen,  WhiteKing};
    while (depth < 38) {
        uint64_t mine = 0;
        int code = 0;
        for (int k : kCheapestFirst) {
            mine = attackers & by[k + side];
            if (mine) {
                code = k + side;
                break;
            }
        }
        if (!mine) break;
        ++depth;
        gain[depth] = kExchangeValue[onSquare] - gain[depth - 1];
        if (std::max(-gain[depth - 1], gain[depth]) < 0) break;  // neither side changes the outcome now
        onSquare = code;
        occupied ^= mine & (~mine + 1);
        // Pieces behind the one that took may now reach the square.
        attackers |= (RookAttacks(bit, occupied) & straight) | (BishopAttacks(bit, occupied) & diagonal);
        attackers &= occupied;
        side ^= 1;
    }
    while (--depth > 0) gain[depth - 1] = -std::max(-gain[depth - 1], gain[depth]);
    return gain[0];
}
