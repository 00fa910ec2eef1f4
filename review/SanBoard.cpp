// SPDX-License-Identifier: GPL-3.0-or-later
#include "review/SanBoard.h"

#include <cctype>

using bitboard::Move;
using bitboard::MoveKind;
using bitboard::PieceType;

namespace {

constexpr char PieceLetters[] = " PNBRQK";  // by piece type

PieceType PieceOfLetter(char c) {
    for (int t = bitboard::Knight; t <= bitboard::King; ++t)
        if (PieceLetters[t] == std::toupper(static_cast<unsigned char>(c))) return PieceType(t);
    return bitboard::NoPieceType;
}

bool IsFile(char c) {
    return c >= 'a' && c <= 'h';
}
bool IsRank(char c) {
    return c >= '1' && c <= '8';
}

// A move as SAN writes it, taken apart.
struct SanParts {
    PieceType Piece = bitboard::Pawn;
    int FromFile = -1, FromRank = -1;  // the disambiguation given, -1 for none
    int To = -1;
    PieceType Promotion = bitboard::NoPieceType;
    int Castle = 0;  // 1 short, 2 long
};

// Check and mate marks, suffixes and separators are left out; "0-0" and "o-o" are castling too, and a
// move may carry its whole square of departure ("Ng1f3", "e2-e4").
std::optional<SanParts> PartsOf(std::string_view san) {
    while (!san.empty() && (san.back() == '+' || san.back() == '#' || san.back() == '!' || san.back() == '?'))
        san.remove_suffix(1);
    std::string s;
    for (const char c : san) s += c == '0' || c == 'o' ? 'O' : c;
    SanParts parts;
    if (s == "O-O" || s == "O-O-O") {
        parts.Castle = s.size() == 3 ? 1 : 2;
        return parts;
    }
    std::string body(san);
    if (!body.empty() && PieceOfLetter(body.front()) != bitboard::NoPieceType && std::isupper(body.front())) {
        parts.Piece = PieceOfLetter(body.front());
        body.erase(0, 1);
    }
    // A promotion: a piece letter after the square, "=" or not.
    if (body.size() >= 3 && PieceOfLetter(body.back()) > bitboard::Pawn &&
        (IsRank(body[body.size() - 2]) || body[body.size() - 2] == '=')) {
        parts.Promotion = PieceOfLetter(body.back());
        body.pop_back();
        if (body.back() == '=') body.pop_back();
    }
    if (body.size() < 2 || !IsFile(body[body.size() - 2]) || !IsRank(body.back())) return std::nullopt;
    parts.To = bitboard::SquareAt(body[body.size() - 2] - 'a', body.back() - '1');
    body.resize(body.size() - 2);
    for (const char c : body) {
        if (IsFile(c) && parts.FromFile < 0)
            parts.FromFile = c - 'a';
        else if (IsRank(c) && parts.FromRank < 0)
            parts.FromRank = c - '1';
        else if (c != 'x' && c != ':' && c != '-')
            return std::nullopt;
    }
    return parts;
}

}  // namespace

std::optional<SanBoard> SanBoard::FromFen(std::string_view fen) {
    bitboard::Position position;
    if (!position.SetFen(fen)) return std::nullopt;
    return SanBoard(position);
}

SanBoard SanBoard::Start() {
    return SanBoard(bitboard::Position());
}

std::optional<Move> SanBoard::MoveOfSan(std::string_view san, std::string* why) const {
    const std::optional<SanParts> parts = PartsOf(san);
    if (!parts) {
        if (why) *why = "not a move";
        return std::nullopt;
    }
    const bitboard::MoveList legal = bitboard::LegalMoves(position_);
    std::optional<Move> found;
    int matches = 0;
    for (const Move m : legal) {
        if (parts->Castle) {
            if (m.Kind() != MoveKind::Castling || (bitboard::FileOf(m.To()) == 6) != (parts->Castle == 1))
                continue;
        } else {
            if (bitboard::TypeOf(position_.PieceOn(m.From())) != parts->Piece || m.To() != parts->To)
                continue;
            if (parts->FromFile >= 0 && bitboard::FileOf(m.From()) != parts->FromFile) continue;
            if (parts->FromRank >= 0 && bitboard::RankOf(m.From()) != parts->FromRank) continue;
            // A pawn moves straight on unless its file is named: "d6" is no capture from e5.
            if (parts->Piece == bitboard::Pawn && parts->FromFile < 0 &&
                bitboard::FileOf(m.From()) != bitboard::FileOf(m.To()))
                continue;
            if (m.IsPromotion() != (parts->Promotion != bitboard::NoPieceType)) continue;
            if (m.IsPromotion() && m.Promoted() != parts->Promotion) continue;
        }
        found = m;
        ++matches;
    }
    if (matches == 1) return found;
    if (why) *why = matches == 0 ? "illegal move" : "ambiguous move";
    return std::nullopt;
}

std::optional<Move> SanBoard::MoveOfCoordinates(std::string_view text) const {
    const Move m = position_.MoveOfText(text);
    if (m == bitboard::NoMove) return std::nullopt;
    return m;
}

std::string SanBoard::San(Move move) const {
    std::string san;
    const PieceType piece = bitboard::TypeOf(position_.PieceOn(move.From()));
    const bool capture = position_.IsCapture(move);
    if (move.Kind() == MoveKind::Castling) {
        san = bitboard::FileOf(move.To()) == 6 ? "O-O" : "O-O-O";
    } else if (piece == bitboard::Pawn) {
        if (capture) san = std::string(1, static_cast<char>('a' + bitboard::FileOf(move.From()))) + "x";
        san += bitboard::SquareName(move.To());
        if (move.IsPromotion()) san += std::string("=") + PieceLetters[move.Promoted()];
    } else {
        san = PieceLetters[piece];
        // Named by file if that tells it from the others that reach the square, else by rank, else both.
        bool rival = false, rivalOnFile = false, rivalOnRank = false;
        const bitboard::MoveList legal = bitboard::LegalMoves(position_);
        for (const Move m : legal) {
            if (m == move || m.To() != move.To() || bitboard::TypeOf(position_.PieceOn(m.From())) != piece)
                continue;
            rival = true;
            rivalOnFile |= bitboard::FileOf(m.From()) == bitboard::FileOf(move.From());
            rivalOnRank |= bitboard::RankOf(m.From()) == bitboard::RankOf(move.From());
        }
        const std::string from = bitboard::SquareName(move.From());
        if (rival && (!rivalOnFile || rivalOnRank)) san += from[0];
        if (rival && rivalOnFile) san += from[1];
        if (capture) san += "x";
        san += bitboard::SquareName(move.To());
    }
    if (position_.GivesCheck(move)) {
        SanBoard after = *this;
        after.Play(move);
        san += after.HasLegalMove() ? "+" : "#";
    }
    return san;
}

std::string SanBoard::Coordinates(Move move) const {
    return bitboard::MoveText(move);
}

void SanBoard::Play(Move move) {
    bitboard::Undo undo;
    position_.Make(move, undo);
}

std::vector<std::string> SanBoard::SanLine(const std::vector<std::string>& coordinates) const {
    std::vector<std::string> sans;
    SanBoard board = *this;
    for (const std::string& text : coordinates) {
        const std::optional<Move> m = board.MoveOfCoordinates(text);
        if (!m) break;
        sans.push_back(board.San(*m));
        board.Play(*m);
    }
    return sans;
}

bool SanBoard::WhiteToMove() const {
    return position_.SideToMove() == bitboard::White;
}

bool SanBoard::InCheck() const {
    return position_.InCheck();
}

bool SanBoard::HasLegalMove() const {
    const bitboard::MoveList legal = bitboard::LegalMoves(position_);
    return legal.Count > 0;
}

std::string SanBoard::Fen() const {
    return position_.Fen();
}
