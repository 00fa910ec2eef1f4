// SPDX-License-Identifier: GPL-3.0-or-later
// The bitboard position: pieces, keys, check information, make/unmake and the move tests.
#include "board/Position.h"

#include <algorithm>

namespace bitboard {
namespace {

// The castling rights a move from or to a square takes away.
constexpr struct CastleMasks {
    uint8_t Of[64];
    constexpr CastleMasks() : Of{} {
        Of[E1] = WhiteKingSide | WhiteQueenSide;
        Of[H1] = WhiteKingSide;
        Of[A1] = WhiteQueenSide;
        Of[E8] = BlackKingSide | BlackQueenSide;
        Of[H8] = BlackKingSide;
        Of[A8] = BlackQueenSide;
    }
} kCastleMask;

// The rook's squares of a castling move, given the king's.
struct CastlingRook {
    int From, To;
};
constexpr CastlingRook RookOfCastling(int nKingFrom, int nKingTo) {
    return nKingTo > nKingFrom ? CastlingRook{nKingFrom + 3, nKingFrom + 1}
                               : CastlingRook{nKingFrom - 4, nKingFrom - 1};
}

}  // namespace

Position::Position() : Position(Empty{}) {
    SetFen(StartFen);
}

void Position::Clear() {
    std::fill(std::begin(board_), std::end(board_), NoPiece);
    std::fill(std::begin(byType_), std::end(byType_), 0);
    byColour_[White] = byColour_[Black] = 0;
    std::fill(std::begin(pieceCount_), std::end(pieceCount_), 0);
    side_ = White;
    gamePly_ = 0;
    st_ = PositionState{};
    st_.EnPassant = NoSquare;
    ringTop_ = 0;
    std::fill(std::begin(keyRing_), std::end(keyRing_), 0);
}

void Position::ComputeKeys() {
    const SquareKeys& keys = kSquareKeys;
    uint64_t key = 0, pawnKey = 0;
    for (Bitboard b = Pieces(); b;) {
        const int sq = PopLsb(b);
        key ^= keys.Piece[board_[sq]][sq];
        if (TypeOf(board_[sq]) == Pawn) pawnKey ^= keys.Piece[board_[sq]][sq];
    }
    key ^= keys.Castle[st_.Castling] ^ keys.EnPassant[st_.EnPassant];
    st_.Key = side_ == Black ? key ^ keys.BlackToMove : key;
    st_.PawnKey = pawnKey;
}

void Position::ComputeCheckers() {
    const Colour us = side_;
    const int king = KingSquare(us);
    const Bitboard occupied = Pieces();
    st_.Checkers = ((PawnAttacks(us, king) & byType_[Pawn]) | (KnightAttacks(king) & byType_[Knight]) |
                    (BishopAttacksFrom(king, occupied) & Pieces(Bishop, Queen)) |
                    (RookAttacksFrom(king, occupied) & Pieces(Rook, Queen))) &
                   byColour_[~us];
    st_.PinsReady = false;
}

void Position::ComputePins() const {
    const Colour us = side_, them = ~us;
    const int enemyKing = KingSquare(them);
    const Bitboard occupied = Pieces();
    st_.Blockers[us] = SliderBlockers(byColour_[them], KingSquare(us), st_.Pinners[us]);
    st_.Blockers[them] = SliderBlockers(byColour_[us], enemyKing, st_.Pinners[them]);
    st_.CheckSquares[NoPieceType] = 0;
    st_.CheckSquares[Pawn] = PawnAttacks(them, enemyKing);
    st_.CheckSquares[Knight] = KnightAttacks(enemyKing);
    st_.CheckSquares[Bishop] = BishopAttacksFrom(enemyKing, occupied);
    st_.CheckSquares[Rook] = RookAttacksFrom(enemyKing, occupied);
    st_.CheckSquares[Queen] = st_.CheckSquares[Bishop] | st_.CheckSquares[Rook];
    st_.CheckSquares[King] = 0;
    st_.PinsReady = true;
}

Bitboard Position::AttackersTo(int sq, Bitboard occupied) const {
    return (PawnAttacks(Black, sq) & Pieces(White, Pawn)) | (PawnAttacks(White, sq) & Pieces(Black, Pawn)) |
           (KnightAttacks(sq) & byType_[Knight]) | (KingAttacks(sq) & byType_[King]) |
           (RookAttacksFrom(sq, occupied) & Pieces(Rook, Queen)) |
           (BishopAttacksFrom(sq, occupied) & Pieces(Bishop, Queen));
}

bool Position::IsAttackedBy(Colour c, int sq, Bitboard occupied) const {
    const Bitboard by = byColour_[c];
    return (PawnAttacks(~c, sq) & byType_[Pawn] & by) || (KnightAttacks(sq) & byType_[Knight] & by) ||
           (KingAttacks(sq) & byType_[King] & by) ||
           (BishopAttacksFrom(sq, occupied) & Pieces(Bishop, Queen) & by) ||
           (RookAttacksFrom(sq, occupied) & Pieces(Rook, Queen) & by);
}

Bitboard Position::AttacksBy(Colour c) const {
    const Bitboard occupied = Pieces();
    Bitboard attacks = PawnAttacksOfSet(c, Pieces(c, Pawn)) | KingAttacks(KingSquare(c));
    for (Bitboard b = Pieces(c, Knight); b;) attacks |= KnightAttacks(PopLsb(b));
    for (Bitboard b = Pieces(c, Bishop, Queen); b;) attacks |= BishopAttacksFrom(PopLsb(b), occupied);
    for (Bitboard b = Pieces(c, Rook, Queen); b;) attacks |= RookAttacksFrom(PopLsb(b), occupied);
    return attacks;
}

Bitboard Position::SliderBlockers(Bitboard sliders, int sq, Bitboard& pinners) const {
    Bitboard blockers = 0;
    pinners = 0;
    Bitboard snipers =
        ((RookLines(sq) & Pieces(Rook, Queen)) | (BishopLines(sq) & Pieces(Bishop, Queen))) & sliders;
    // A slider behind another slider of the set is not blocked by it: the front one attacks itself.
    const Bitboard occupied = Pieces() ^ snipers;
    while (snipers) {
        const int s = PopLsb(snipers);
        const Bitboard between = Between(sq, s) & occupied;
        if (between == 0 || MoreThanOne(between)) continue;
        blockers |= between;
        if (between & byColour_[~ColourOf(board_[s])]) pinners |= Bit(s);
    }
    return blockers;
}

Piece Position::CapturedPiece(Move m) const {
    switch (m.Kind()) {
        case MoveKind::EnPassant:
            return MakePiece(~side_, Pawn);
        case MoveKind::Castling:
            return NoPiece;
        default:
            return board_[m.To()];
    }
}

bool Position::Repeats() const {
    const int window =
        std::min<int>(st_.Reversible, static_cast<int>(std::min<uint32_t>(ringTop_, KeyRingSize - 1)));
    for (int i = 1; i <= window; ++i)
        if (keyRing_[(ringTop_ - i) & (KeyRingSize - 1)] == st_.Key) return true;
    return false;
}

void Position::SetEarlierKeys(std::span<const uint64_t> keys) {
    for (uint64_t k : keys) keyRing_[ringTop_++ & (KeyRingSize - 1)] = k;
    st_.Reversible = static_cast<int16_t>(std::min<size_t>(keys.size(), KeyRingSize - 1));
}

// ---------------------------------------------------------------- making moves

void Position::Make(Move m, Undo& undo) {
    undo.State = st_;
    PushKey();
    const SquareKeys& keys = kSquareKeys;
    const Colour us = side_;
    const int from = m.From(), to = m.To();
    const Piece piece = board_[from];
    uint64_t key = st_.Key ^ keys.BlackToMove ^ keys.EnPassant[st_.EnPassant];
    st_.EnPassant = NoSquare;
    ++st_.Fifty;
    ++st_.Reversible;
    Piece captured = NoPiece;
    if (m.Kind() == MoveKind::Castling) {
        const CastlingRook rook = RookOfCastling(from, to);
        const Piece r = MakePiece(us, Rook);
        MovePiece(from, to);
        MovePiece(rook.From, rook.To);
        key ^= keys.Piece[piece][from] ^ keys.Piece[piece][to] ^ keys.Piece[r][rook.From] ^
               keys.Piece[r][rook.To];
    } else {
        const int victim = m.Kind() == MoveKind::EnPassant ? to - PawnPush(us) : to;
        captured = board_[victim];
        if (captured != NoPiece) {
            RemovePiece(victim);
            key ^= keys.Piece[captured][victim];
            if (TypeOf(captured) == Pawn) st_.PawnKey ^= keys.Piece[captured][victim];
            st_.Fifty = st_.Reversible = 0;
        }
        MovePiece(from, to);
        key ^= keys.Piece[piece][from] ^ keys.Piece[piece][to];
        if (TypeOf(piece) == Pawn) {
            st_.Fifty = st_.Reversible = 0;
            st_.PawnKey ^= keys.Piece[piece][from];
            if (m.Kind() == MoveKind::Promotion) {
                const Piece promoted = MakePiece(us, m.Promoted());
                RemovePiece(to);
                PutPiece(promoted, to);
                key ^= keys.Piece[piece][to] ^ keys.Piece[promoted][to];
            } else {
                st_.PawnKey ^= keys.Piece[piece][to];
                if ((from ^ to) == 16) {
                    st_.EnPassant = static_cast<uint8_t>((from + to) / 2);
                    key ^= keys.EnPassant[st_.EnPassant];
                }
            }
        }
    }
    const uint8_t lost = kCastleMask.Of[from] | kCastleMask.Of[to];
    if (st_.Castling & lost) {
        key ^= keys.Castle[st_.Castling];
        st_.Castling &= static_cast<uint8_t>(~lost);
        key ^= keys.Castle[st_.Castling];
    }
    st_.Captured = captured;
    st_.Key = key;
    side_ = ~us;
    ++gamePly_;
    if (m.Kind() == MoveKind::Normal && undo.State.PinsReady)
        CheckersAfter(from, to, TypeOf(piece), undo.State);
    else
        ComputeCheckers();
}

// What GivesCheck reads before the move tells the checkers after it, without the attack tables, unless a
// piece stepped off a line to the king.
void Position::CheckersAfter(int nFrom, int nTo, PieceType moved, const PositionState& before) {
    const Colour them = ~side_;
    const int king = KingSquare(side_);
    Bitboard checkers = before.CheckSquares[moved] & Bit(nTo);
    if ((before.Blockers[side_] & Bit(nFrom)) && !Aligned(nFrom, nTo, king)) {
        const Bitboard occupied = Pieces();
        checkers |= ((BishopAttacksFrom(king, occupied) & Pieces(them, Bishop, Queen)) |
                     (RookAttacksFrom(king, occupied) & Pieces(them, Rook, Queen)));
    }
    st_.Checkers = checkers;
    st_.PinsReady = false;
}

void Position::Unmake(Move m, const Undo& undo) {
    side_ = ~side_;
    --gamePly_;
    --ringTop_;
    const Colour us = side_;
    const int from = m.From(), to = m.To();
    if (m.Kind() == MoveKind::Castling) {
        const CastlingRook rook = RookOfCastling(from, to);
        MovePiece(to, from);
        MovePiece(rook.To, rook.From);
    } else {
        if (m.Kind() == MoveKind::Promotion) {
            RemovePiece(to);
            PutPiece(MakePiece(us, Pawn), to);
        }
        MovePiece(to, from);
        if (st_.Captured != NoPiece)
            PutPiece(st_.Captured, m.Kind() == MoveKind::EnPassant ? to - PawnPush(us) : to);
    }
    st_ = undo.State;
}

void Position::MakeNull(Undo& undo) {
    undo.State = st_;
    PushKey();
    st_.Key ^= kSquareKeys.BlackToMove ^ kSquareKeys.EnPassant[st_.EnPassant];
    st_.EnPassant = NoSquare;
    ++st_.Fifty;
    st_.Reversible = 0;
    st_.Captured = NoPiece;
    side_ = ~side_;
    ++gamePly_;
    ComputeCheckers();
}

void Position::UnmakeNull(const Undo& undo) {
    side_ = ~side_;
    --gamePly_;
    --ringTop_;
    st_ = undo.State;
}

// ---------------------------------------------------------------- move tests

bool Position::CastlingAllowed(bool bKingSide) const {
    const Colour us = side_;
    const int right = us == White ? (bKingSide ? WhiteKingSide : WhiteQueenSide)
                                  : (bKingSide ? BlackKingSide : BlackQueenSide);
    const int king = RelativeSquare(us, E1);
    const int rookFrom = RelativeSquare(us, bKingSide ? H1 : A1);
    if (!(st_.Castling & right) || InCheck() || board_[king] != MakePiece(us, King) ||
        board_[rookFrom] != MakePiece(us, Rook) || (Between(king, rookFrom) & Pieces()))
        return false;
    // The king crosses one square and lands on the next: neither may be attacked.
    const int step = bKingSide ? 1 : -1;
    return !IsAttackedBy(~us, king + step) && !IsAttackedBy(~us, king + 2 * step);
}

bool Position::IsPseudoLegal(Move m) const {
    const Colour us = side_;
    const int from = m.From(), to = m.To();
    const Piece piece = board_[from];
    // A promotion piece on another kind of move is no code the generators write.
    if (!m.IsReal() || piece == NoPiece || ColourOf(piece) != us || (byColour_[us] & Bit(to)) ||
        (!m.IsPromotion() && m.Promoted() != Knight))
        return false;
    const PieceType type = TypeOf(piece);
    switch (m.Kind()) {
        case MoveKind::Castling:
            return type == King && from == RelativeSquare(us, E1) &&
                   (to == RelativeSquare(us, G1) || to == RelativeSquare(us, C1)) &&
                   CastlingAllowed(to > from);
        case MoveKind::EnPassant:
            if (type != Pawn || to != st_.EnPassant || !(PawnAttacks(us, from) & Bit(to))) return false;
            break;
        default: {
            const bool lastRank = RelativeRank(us, to) == 7;
            if (type == Pawn) {
                if (lastRank != m.IsPromotion()) return false;
                const int push = PawnPush(us);
                const bool capture = (PawnAttacks(us, from) & Bit(to) & byColour_[~us]) != 0;
                const bool single = to == from + push && IsEmpty(to);
                const bool twice = to == from + 2 * push && RelativeRank(us, from) == 1 && IsEmpty(to) &&
                                   IsEmpty(from + push);
                if (!capture && !single && !twice) return false;
            } else if (m.IsPromotion() || !(AttacksOf(type, from, Pieces()) & Bit(to))) {
                return false;
            }
        }
    }
    // In check, a move other than the king's must take the single checker or step between.
    if (InCheck() && type != King) {
        if (MoreThanOne(st_.Checkers)) return false;
        const Bitboard target = Between(KingSquare(us), Lsb(st_.Checkers)) | st_.Checkers;
        Bitboard landing = Bit(to);
        if (m.Kind() == MoveKind::EnPassant) landing |= Bit(to - PawnPush(us));
        if (!(landing & target)) return false;
    }
    return true;
}

bool Position::IsLegal(Move m) const {
    const Colour us = side_, them = ~us;
    const int from = m.From(), to = m.To();
    const int king = KingSquare(us);
    if (m.Kind() == MoveKind::EnPassant) {
        // Two pawns leave the line at once: look at the king again with the board as it will be.
        const int victim = to - PawnPush(us);
        const Bitboard occupied = (Pieces() ^ Bit(from) ^ Bit(victim)) | Bit(to);
        return !(AttackersTo(king, occupied) & byColour_[them] & ~Bit(victim));
    }
    if (m.Kind() == MoveKind::Castling) return true;
    if (from == king) return !IsAttackedBy(them, to, Pieces() ^ Bit(from));
    return !(Pins().Blockers[us] & Bit(from)) || Aligned(from, to, king);
}

bool Position::GivesCheck(Move m) const {
    const Colour us = side_;
    const int from = m.From(), to = m.To();
    const int king = KingSquare(~us);
    const PositionState& st = Pins();
    if (!m.IsPromotion() && (st.CheckSquares[TypeOf(board_[from])] & Bit(to))) return true;
    // Discovered: the piece leaves the line between one of ours and the enemy king.
    if ((st.Blockers[~us] & Bit(from)) && !Aligned(from, to, king)) return true;
    switch (m.Kind()) {
        case MoveKind::Normal:
            return false;
        case MoveKind::Promotion:
            return (AttacksOf(m.Promoted(), to, Pieces() ^ Bit(from)) & Bit(king)) != 0;
        case MoveKind::EnPassant: {
            // The taken pawn may open a line too.
            const Bitboard occupied = (Pieces() ^ Bit(from) ^ Bit(to - PawnPush(us))) | Bit(to);
            return (RookAttacksFrom(king, occupied) & Pieces(us, Rook, Queen)) ||
                   (BishopAttacksFrom(king, occupied) & Pieces(us, Bishop, Queen));
        }
        case MoveKind::Castling: {
            const CastlingRook rook = RookOfCastling(from, to);
            const Bitboard occupied = (Pieces() ^ Bit(from) ^ Bit(rook.From)) | Bit(to) | Bit(rook.To);
            return (RookAttacksFrom(rook.To, occupied) & Bit(king)) != 0;
        }
    }
    return false;
}

bool Position::operator==(const Position& o) const {
    const PositionState &a = Pins(), &b = o.Pins();
    const bool sameState =
        a.Key == b.Key && a.PawnKey == b.PawnKey && a.Checkers == b.Checkers &&
        a.Blockers[0] == b.Blockers[0] && a.Blockers[1] == b.Blockers[1] && a.Pinners[0] == b.Pinners[0] &&
        a.Pinners[1] == b.Pinners[1] &&
        std::equal(std::begin(a.CheckSquares), std::end(a.CheckSquares), std::begin(b.CheckSquares)) &&
        a.Castling == b.Castling && a.EnPassant == b.EnPassant && a.Captured == b.Captured &&
        a.Fifty == b.Fifty && a.Reversible == b.Reversible;
    return sameState && std::equal(std::begin(board_), std::end(board_), std::begin(o.board_)) &&
           std::equal(std::begin(byType_), std::end(byType_), std::begin(o.byType_)) &&
           byColour_[0] == o.byColour_[0] && byColour_[1] == o.byColour_[1] &&
           std::equal(std::begin(pieceCount_), std::end(pieceCount_), std::begin(o.pieceCount_)) &&
           side_ == o.side_ && gamePly_ == o.gamePly_ && ringTop_ == o.ringTop_;
}

}  // namespace bitboard
