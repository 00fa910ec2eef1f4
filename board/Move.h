// SPDX-License-Identifier: GPL-3.0-or-later
// A move of the bitboard position in 16 bits, what a hash entry, a killer or a line stores.
#pragma once
#include <cstdint>
#include <string>

#include "board/Bitboard.h"

namespace bitboard {

enum class MoveKind : int { Normal = 0, Promotion = 1, EnPassant = 2, Castling = 3 };

// Bits 0-5 the square moved from, 6-11 the square moved to, 12-13 the promotion (knight, bishop, rook,
// queen), 14-15 the kind. Castling is the king's two-square move (e1g1), as the move text writes it. The
// code 0 (a1a1) is no move; b1b1 is the null move. Constructed from nothing, a Move is left unset, so that
// move arrays cost nothing to declare; Move{} is no move.
class Move {
  public:
    Move() = default;
    constexpr explicit Move(uint16_t nCode) : code_(nCode) {}
    static constexpr Move Normal(int nFrom, int nTo) { return Move(static_cast<uint16_t>(nFrom | nTo << 6)); }
    static constexpr Move Promotion(int nFrom, int nTo, PieceType promoted) {
        return Move(static_cast<uint16_t>(nFrom | nTo << 6 | (promoted - Knight) << 12 | 1 << 14));
    }
    static constexpr Move EnPassant(int nFrom, int nTo) {
        return Move(static_cast<uint16_t>(nFrom | nTo << 6 | 2 << 14));
    }
    // The king's move: e1g1, e1c1, e8g8 or e8c8.
    static constexpr Move Castling(int nFrom, int nTo) {
        return Move(static_cast<uint16_t>(nFrom | nTo << 6 | 3 << 14));
    }

    constexpr int From() const { return code_ & 63; }
    constexpr int To() const { return (code_ >> 6) & 63; }
    constexpr MoveKind Kind() const { return MoveKind(code_ >> 14); }
    // The piece type promoted to; meaningful only for MoveKind::Promotion.
    constexpr PieceType Promoted() const { return PieceType(((code_ >> 12) & 3) + Knight); }
    constexpr bool IsPromotion() const { return Kind() == MoveKind::Promotion; }
    constexpr uint16_t Code() const { return code_; }
    // Neither no move nor the null move.
    constexpr bool IsReal() const { return From() != To(); }
    constexpr bool operator==(const Move&) const = default;

  private:
    uint16_t code_;
};
constexpr Move NoMove{uint16_t{0}};
constexpr Move NullMove{uint16_t{1 | 1 << 6}};

// Coordinate text: "e2e4", "e7e8q", castling as the king's move "e1g1"; "0000" for no move or the null
// move (what UCI writes for them).
std::string MoveText(Move m);
std::string SquareName(int sq);  // "a1" .. "h8"

// Room for every move of any position (218 is the largest number known to be legal in one).
constexpr int MaxMoves = 256;
struct MoveList {
    Move Moves[MaxMoves];
    int Count = 0;
    const Move* begin() const { return Moves; }
    const Move* end() const { return Moves + Count; }
    bool Contains(Move m) const {
        for (int i = 0; i < Count; ++i)
            if (Moves[i] == m) return true;
        return false;
    }
};

}  // namespace bitboard
