// SPDX-License-Identifier: GPL-3.0-or-later
// Move generation of the bitboard position: captures, quiet moves and check evasions, each a set of
// targets the pieces' attacks are cut down to.
#include "board/Position.h"

namespace bitboard {
namespace {

enum class Gen { Captures, Quiets, Evasions };

// A capture search wants the queen only; the rest come with the quiet moves.
template <Gen G>
inline Move* Promotions(Move* out, int nFrom, int nTo) {
    if constexpr (G != Gen::Quiets) *out++ = Move::Promotion(nFrom, nTo, Queen);
    if constexpr (G != Gen::Captures) {
        *out++ = Move::Promotion(nFrom, nTo, Rook);
        *out++ = Move::Promotion(nFrom, nTo, Bishop);
        *out++ = Move::Promotion(nFrom, nTo, Knight);
    }
    return out;
}

// Moves onto every square of a set by the pawns one step (delta) behind it.
inline Move* PawnSteps(Move* out, Bitboard targets, int nDelta) {
    while (targets) {
        const int to = PopLsb(targets);
        *out++ = Move::Normal(to - nDelta, to);
    }
    return out;
}

template <Gen G>
inline Move* PawnPromotions(Move* out, Bitboard targets, int nDelta) {
    while (targets) {
        const int to = PopLsb(targets);
        out = Promotions<G>(out, to - nDelta, to);
    }
    return out;
}

// target: for evasions, the checker and the squares between it and the king.
template <Colour Us, Gen G>
Move* PawnMoves(const Position& pos, Move* out, Bitboard target) {
    constexpr Colour Them = Us == White ? Black : White;
    constexpr Direction Up = Us == White ? North : South;
    constexpr Direction UpRight = Us == White ? NorthEast : SouthEast;
    constexpr Direction UpLeft = Us == White ? NorthWest : SouthWest;
    constexpr Bitboard Rank7 = RelativeRankBits(Us, 6), Rank3 = RelativeRankBits(Us, 2);
    const Bitboard empty = ~pos.Pieces();
    const Bitboard enemies = G == Gen::Evasions ? pos.Pieces(Them) & target : pos.Pieces(Them);
    const Bitboard pawns = pos.Pieces(Us, Pawn);
    const Bitboard promoting = pawns & Rank7, others = pawns & ~Rank7;

    if constexpr (G != Gen::Captures) {
        Bitboard one = Shift<Up>(others) & empty;
        Bitboard two = Shift<Up>(one & Rank3) & empty;
        if constexpr (G == Gen::Evasions) one &= target, two &= target;
        out = PawnSteps(out, one, Up);
        out = PawnSteps(out, two, 2 * Up);
    }
    if (promoting) {
        Bitboard push = Shift<Up>(promoting) & empty;
        if constexpr (G == Gen::Evasions) push &= target;
        out = PawnPromotions<G>(out, Shift<UpRight>(promoting) & enemies, UpRight);
        out = PawnPromotions<G>(out, Shift<UpLeft>(promoting) & enemies, UpLeft);
        out = PawnPromotions<G>(out, push, Up);
    }
    if constexpr (G != Gen::Quiets) {
        out = PawnSteps(out, Shift<UpRight>(others) & enemies, UpRight);
        out = PawnSteps(out, Shift<UpLeft>(others) & enemies, UpLeft);
        const int ep = pos.EnPassantSquare();
        // Out of check by en passant only by taking the checker or landing between.
        if (ep != NoSquare && (G != Gen::Evasions || (target & (Bit(ep) | Bit(ep - Up))))) {
            for (Bitboard from = others & PawnAttacks(Them, ep); from;)
                *out++ = Move::EnPassant(PopLsb(from), ep);
        }
    }
    return out;
}

template <PieceType T>
Move* PieceMoves(const Position& pos, Move* out, Colour us, Bitboard target) {
    const Bitboard occupied = pos.Pieces();
    for (Bitboard pieces = pos.Pieces(us, T); pieces;) {
        const int from = PopLsb(pieces);
        Bitboard to;
        if constexpr (T == Knight) to = KnightAttacks(from);
        if constexpr (T == Bishop) to = BishopAttacksFrom(from, occupied);
        if constexpr (T == Rook) to = RookAttacksFrom(from, occupied);
        if constexpr (T == Queen) to = QueenAttacksFrom(from, occupied);
        for (to &= target; to;) *out++ = Move::Normal(from, PopLsb(to));
    }
    return out;
}

template <Colour Us, Gen G>
Move* Generate(const Position& pos, Move* out) {
    const int king = pos.KingSquare(Us);
    Bitboard target = G == Gen::Captures ? pos.Pieces(~Us) : ~pos.Pieces();
    if constexpr (G == Gen::Evasions) {
        const Bitboard checkers = pos.Checkers();
        target = MoreThanOne(checkers) ? 0 : Between(king, Lsb(checkers)) | checkers;
    }
    if (target) {
        out = PawnMoves<Us, G>(pos, out, target);
        out = PieceMoves<Knight>(pos, out, Us, target);
        out = PieceMoves<Bishop>(pos, out, Us, target);
        out = PieceMoves<Rook>(pos, out, Us, target);
        out = PieceMoves<Queen>(pos, out, Us, target);
    }
    const Bitboard kingTarget = G == Gen::Evasions   ? ~pos.Pieces(Us)
                                : G == Gen::Captures ? pos.Pieces(~Us)
                                                     : ~pos.Pieces();
    for (Bitboard to = KingAttacks(king) & kingTarget; to;) *out++ = Move::Normal(king, PopLsb(to));
    if constexpr (G == Gen::Quiets) {
        if (pos.CastlingAllowed(true)) *out++ = Move::Castling(king, king + 2);
        if (pos.CastlingAllowed(false)) *out++ = Move::Castling(king, king - 2);
    }
    return out;
}

template <Gen G>
Move* GenerateFor(const Position& pos, Move* out) {
    return pos.SideToMove() == White ? Generate<White, G>(pos, out) : Generate<Black, G>(pos, out);
}

}  // namespace

Move* GenerateCaptures(const Position& pos, Move* out) {
    return GenerateFor<Gen::Captures>(pos, out);
}

Move* GenerateQuiets(const Position& pos, Move* out) {
    return GenerateFor<Gen::Quiets>(pos, out);
}

Move* GenerateEvasions(const Position& pos, Move* out) {
    return GenerateFor<Gen::Evasions>(pos, out);
}

Move* GeneratePseudoLegal(const Position& pos, Move* out) {
    if (pos.InCheck()) return GenerateEvasions(pos, out);
    return GenerateQuiets(pos, GenerateCaptures(pos, out));
}

Move* GenerateLegal(const Position& pos, Move* out) {
    Move* end = GeneratePseudoLegal(pos, out);
    // Only the king, a pinned piece and en passant can leave the king in check.
    const Colour us = pos.SideToMove();
    const Bitboard suspects = pos.Pinned(us) | pos.Pieces(us, King);
    for (Move* m = out; m != end;) {
        if (((suspects & Bit(m->From())) || m->Kind() == MoveKind::EnPassant) && !pos.IsLegal(*m))
            *m = *--end;
        else
            ++m;
    }
    return end;
}

MoveList LegalMoves(const Position& pos) {
    MoveList list;
    list.Count = static_cast<int>(GenerateLegal(pos, list.Moves) - list.Moves);
    return list;
}

}  // namespace bitboard
