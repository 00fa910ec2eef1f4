// SPDX-License-Identifier: GPL-3.0-or-later
// From the design's board to the bitboard position, through the text key both read the same way.
#include "board/GamePosition.h"

#include <algorithm>
#include <vector>

using bitboard::Colour;
using bitboard::PieceType;
using bitboard::Position;

namespace {

// Whether an earlier position could come back: reversible moves keep the pawns, the material and the
// castling rights, so a position that differs in any of them never returns.
// The mailbox square of a bit: a1 is 21, h8 98.
constexpr uint8_t MailboxOf(int nBit) {
    return static_cast<uint8_t>((nBit / 8 + 2) * 10 + nBit % 8 + 1);
}

// The design's piece code of a bitboard piece: White's code of the type, Black's one more.
int CodeOf(bitboard::Piece p) {
    constexpr int kCode[7] = {EmptySquare, WhitePawn,  WhiteKnight, WhiteBishop,
                              WhiteRook,   WhiteQueen, WhiteKing};
    return p == bitboard::NoPiece ? EmptySquare : kCode[bitboard::TypeOf(p)] + bitboard::ColourOf(p);
}

bool MayRecur(const Position& earlier, const Position& now) {
    if (earlier.PawnKey() != now.PawnKey() || earlier.CastlingRights() != now.CastlingRights()) return false;
    for (Colour c : {bitboard::White, bitboard::Black})
        for (PieceType t : {bitboard::Knight, bitboard::Bishop, bitboard::Rook, bitboard::Queen})
            if (earlier.Count(c, t) != now.Count(c, t)) return false;
    return true;
}

}  // namespace

Position PositionOfGame() {
    // The game's plies give the move number; the side to move fixes its parity.
    const int plies = static_cast<int>(GameRecord.size()) - 1;
    const int moveNumber = plies / 2 + 1;
    Position pos;
    pos.SetFen(PositionKey() + " " + std::to_string(std::max(0, HalfmoveClock)) + " " +
               std::to_string(moveNumber));
    std::vector<uint64_t> earlier;
    Position p;
    for (const auto& [text, count] : RepetitionTable)
        if (count >= 1 && p.SetFen(text) && p.Key() != pos.Key() && MayRecur(p, pos))
            earlier.push_back(p.Key());
    std::sort(earlier.begin(), earlier.end());
    pos.SetEarlierKeys(earlier);
    return pos;
}

bool GameMoveOf(bitboard::Move m, MoveRec& found) {
    return FindMoveFromText(bitboard::MoveText(m), found);
}

MoveRec MoveRecOf(const Position& pos, bitboard::Move m) {
    using bitboard::MoveKind;
    MoveRec r;
    r.From = MailboxOf(m.From());
    r.To = MailboxOf(m.To());
    const bitboard::Colour us = pos.SideToMove();
    r.Captured = static_cast<uint8_t>(CodeOf(pos.PieceOn(m.To())));
    if (m.Kind() == MoveKind::EnPassant) {
        r.EnPassant = 1;
        r.Captured = us == bitboard::White ? BlackGhost : WhiteGhost;  // the square the enemy pawn passed
    } else if (m.Kind() == MoveKind::Promotion) {
        r.Promotion = static_cast<uint8_t>(CodeOf(bitboard::MakePiece(us, m.Promoted())));
    } else if (m.Kind() == MoveKind::Castling) {
        const bool kingSide = m.To() > m.From();
        r.Castle =
            static_cast<uint8_t>(us == bitboard::White ? (kingSide ? CastleWhiteKing : CastleWhiteQueen)
                                                       : (kingSide ? CastleBlackKing : CastleBlackQueen));
    }
    return r;
}
