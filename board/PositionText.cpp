// SPDX-License-Identifier: GPL-3.0-or-later
// The bitboard position's text: FEN in and out, coordinate move text.
#include <algorithm>
#include <vector>

#include "board/Position.h"

namespace bitboard {
namespace {

constexpr char kPieceLetters[] = " PNBRQK  pnbrqk";    // by piece code
constexpr std::string_view kCastlingLetters = "KQkq";  // by castling right bit

Piece PieceOfLetter(char c) {
    if (c == ' ') return NoPiece;
    const char* at = std::find(kPieceLetters, kPieceLetters + 15, c);
    return at == kPieceLetters + 15 ? NoPiece : static_cast<Piece>(at - kPieceLetters);
}

std::vector<std::string_view> Fields(std::string_view s) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        const size_t start = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
        if (i > start) fields.push_back(s.substr(start, i - start));
    }
    return fields;
}

// A whole field of digits as a number below a million, or -1.
int Number(std::string_view s) {
    if (s.empty() || s.size() > 6) return -1;
    int n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// At most 8 pawns a side, each piece beyond the initial set one pawn promoted, one king, no pawn on the
// first or last rank.
bool PossibleMaterial(const Position& p) {
    if (p.Pieces(Pawn) & (RankBits(0) | RankBits(7))) return false;
    for (Colour c : {White, Black}) {
        auto extra = [&](PieceType t, int initial) { return std::max(0, p.Count(c, t) - initial); };
        const int promoted = extra(Queen, 1) + extra(Rook, 2) + extra(Bishop, 2) + extra(Knight, 2);
        if (p.Count(c, King) != 1 || p.Count(c, Pawn) + promoted > 8) return false;
    }
    return true;
}

}  // namespace

std::string SquareName(int sq) {
    return {static_cast<char>('a' + FileOf(sq)), static_cast<char>('1' + RankOf(sq))};
}

std::string MoveText(Move m) {
    if (!m.IsReal()) return "0000";
    std::string text = SquareName(m.From()) + SquareName(m.To());
    if (m.IsPromotion()) text += kPieceLetters[MakePiece(Black, m.Promoted())];
    return text;
}

bool Position::SetFen(std::string_view fen) {
    PrepareSliderAttacks();
    const std::vector<std::string_view> f = Fields(fen);
    if (f.size() < 4) return false;
    Position p{Empty{}};
    int rank = 7, file = 0;
    for (char c : f[0]) {
        if (c == '/') {
            if (file != 8 || --rank < 0) return false;
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 8) return false;
        } else if (const Piece piece = PieceOfLetter(c); piece != NoPiece && file < 8) {
            p.PutPiece(piece, SquareAt(file++, rank));
        } else {
            return false;
        }
    }
    if (rank != 0 || file != 8 || !PossibleMaterial(p)) return false;
    if (f[1] == "w" || f[1] == "W")
        p.side_ = White;
    else if (f[1] == "b" || f[1] == "B")
        p.side_ = Black;
    else
        return false;
    if (p.IsAttackedBy(p.side_, p.KingSquare(~p.side_))) return false;

    // Castling letters and the en-passant square are read as the design's board reads them: unknown
    // castling letters are skipped, and a square no double step can have left is no en-passant square.
    for (char c : f[2]) {
        if (c == '-') break;
        const size_t bit = kCastlingLetters.find(c);
        if (bit != std::string_view::npos) p.st_.Castling |= static_cast<uint8_t>(1 << bit);
    }
    const std::string_view ep = f[3];
    if (ep.size() == 2 && ep[0] >= 'a' && ep[0] <= 'h' && ep[1] == (p.side_ == White ? '6' : '3')) {
        const Colour them = ~p.side_;
        const int sq = SquareAt(ep[0] - 'a', ep[1] - '1');
        if (p.IsEmpty(sq) && p.PieceOn(sq - PawnPush(them)) == NoPiece &&
            p.PieceOn(sq + PawnPush(them)) == MakePiece(them, Pawn))
            p.st_.EnPassant = static_cast<uint8_t>(sq);
    }
    const int fifty = f.size() > 4 ? Number(f[4]) : -1;
    const int moveNumber = f.size() > 5 ? Number(f[5]) : -1;
    p.st_.Fifty = static_cast<int16_t>(std::clamp(fifty, 0, 9999));
    p.gamePly_ = 2 * (std::clamp(moveNumber, 1, 99999) - 1) + (p.side_ == Black);
    p.ComputeKeys();
    p.ComputeCheckers();
    *this = p;
    return true;
}

std::string Position::Fen() const {
    std::string s;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const Piece piece = board_[SquareAt(file, rank)];
            if (piece == NoPiece) {
                ++empty;
                continue;
            }
            if (empty) s += static_cast<char>('0' + empty);
            empty = 0;
            s += kPieceLetters[piece];
        }
        if (empty) s += static_cast<char>('0' + empty);
        if (rank > 0) s += '/';
    }
    s += side_ == White ? " w " : " b ";
    for (int b = 0; b < 4; ++b)
        if (st_.Castling & (1 << b)) s += kCastlingLetters[b];
    if (st_.Castling == 0) s += '-';
    s += ' ';
    s += st_.EnPassant == NoSquare ? "-" : SquareName(st_.EnPassant);
    return s + " " + std::to_string(st_.Fifty) + " " + std::to_string(gamePly_ / 2 + 1);
}

Move Position::MoveOfText(std::string_view text) const {
    for (Move m : LegalMoves(*this))
        if (MoveText(m) == text) return m;
    return NoMove;
}

}  // namespace bitboard
