// SPDX-License-Identifier: GPL-3.0-or-later
// Position keys of 64 bits: the hash table's index and the repetition test of both strong searches. One set
// of numbers, read by mailbox square (the design's board) or by bit (the bitboard position), so that a
// position has the same key on either board, and the same as its text key gives (HashOfPositionKey).
#pragma once
#include <cstdint>
#include <string>

#include "board/ConstBas.h"

struct HashKeys {
    uint64_t Piece[13][BoardSize];  // by piece code and mailbox square
    uint64_t Castle[16];  // by castling rights: bit 0 White king side, 1 queen side, 2 and 3 Black's
    uint64_t EnPassant[BoardSize];  // by the square behind a double step; square 0 (none) is 0
    uint64_t BlackToMove;
};
extern const HashKeys kHashKeys;

// The key of a text key (placement, side, castling, en-passant square); 0 for a text it cannot read.
uint64_t HashOfPositionKey(const std::string& sKey);

namespace bitboard {

// The same numbers by bitboard piece (colour * 8 + type) and bit.
struct SquareKeys {
    uint64_t Piece[16][64];
    uint64_t EnPassant[65];  // [64], no square, is 0
    uint64_t Castle[16];
    uint64_t BlackToMove;
};
extern const SquareKeys kSquareKeys;

}  // namespace bitboard
