// SPDX-License-Identifier: GPL-3.0-or-later
// The exchange is played out as a swap list kept in one number: after each capture it holds what the side
// to take next stands to win by stopping, and the side that cannot do better than the threshold by going on
// stops there.
#include "search/strong/Exchange.h"

namespace strong {

using namespace bitboard;

namespace {
// The cheapest of the side's pieces in attackers, and its type.
PieceType Cheapest(const Position& pos, Bitboard attackers, Colour side, Bitboard& piece) {
    for (PieceType t : {Pawn, Knight, Bishop, Rook, Queen, King}) {
        const Bitboard mine = attackers & pos.Pieces(side, t);
        if (mine) {
            piece = mine & (~mine + 1);
            return t;
        }
    }
    piece = 0;
    return NoPieceType;
}
}  // namespace

bool ExchangeAtLeast(const Position& pos, Move m, int nThreshold) {
    if (m.Kind() == MoveKind::Castling) return nThreshold <= 0;
    const int from = m.From(), to = m.To();
    const PieceType moved = m.IsPromotion() ? m.Promoted() : TypeOf(pos.MovedPiece(m));
    int balance = ExchangeValue(TypeOf(pos.CapturedPiece(m))) - nThreshold;
    if (m.IsPromotion()) balance += ExchangeValue(m.Promoted()) - ExchangeValue(Pawn);
    if (balance < 0) return false;  // even unanswered, the move falls short
    balance = ExchangeValue(moved) - balance;
    if (balance <= 0) return true;  // even losing the piece that moved, it reaches the threshold

    Bitboard occupied = pos.Pieces() ^ Bit(from) ^ Bit(to);
    if (m.Kind() == MoveKind::EnPassant) occupied ^= Bit(to - PawnPush(pos.SideToMove()));
    const Bitboard diagonal = pos.Pieces(Bishop, Queen), straight = pos.Pieces(Rook, Queen);
    Bitboard attackers = pos.AttackersTo(to, occupied) & occupied;
    Colour side = pos.SideToMove();
    bool moverWins = true;  // with the capture made and no answer yet
    for (;;) {
        side = ~side;
        attackers &= occupied;
        Bitboard mine = attackers & pos.Pieces(side);
        // A pinned piece may not take while its pinner stands.
        if (pos.Pinners(side) & occupied) mine &= ~pos.BlockersForKing(side);
        if (!mine) break;
        Bitboard piece;
        const PieceType type = Cheapest(pos, mine, side, piece);
        if (type == King) {
            // The king may take only where nothing takes it back.
            if (attackers & pos.Pieces(~side) & ~piece) break;
            moverWins = !moverWins;
            break;
        }
        moverWins = !moverWins;
        // What the side that just took stands to win if the other side stops now, from the taker's view.
        balance = ExchangeValue(type) - balance;
        if (balance < (moverWins ? 1 : 0)) break;
        occupied ^= piece;
        if (type == Pawn || type == Bishop || type == Queen)
            attackers |= BishopAttacksFrom(to, occupied) & diagonal;
        if (type == Rook || type == Queen) attackers |= RookAttacksFrom(to, occupied) & straight;
    }
    return moverWins;
}

}  // namespace strong
