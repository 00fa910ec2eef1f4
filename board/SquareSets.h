// SPDX-License-Identifier: GPL-3.0-or-later
// The mailbox's squares as bits of a 64-bit set (a1 bit 0 ... h8 bit 63), and the squares a knight, a king
// or a pawn reaches from each: what square-set code on the mailbox board needs beside the slider attacks.
#pragma once
#include <cstdint>

#include "board/ConstBas.h"

// Fixed before any code runs.
struct SquareSets {
    uint64_t SquareBit[BoardSize];   // a square's bit, 0 off the board
    uint8_t BitOfSquare[BoardSize];  // the index of that bit
    uint8_t SquareOfBit[64];
    uint64_t KnightMask[BoardSize], KingMask[BoardSize];
    uint64_t PawnAttacks[2][BoardSize];  // squares a pawn of the colour (0 White, 1 Black) attacks
    uint8_t FileOf[BoardSize];
};
extern const SquareSets kSets;

// Whether a mailbox square lies on the board.
constexpr bool OnBoard(int nSquare) {
    return nSquare >= 21 && nSquare <= 98 && nSquare % 10 != 0 && nSquare % 10 != 9;
}
// A square's bit, 0 off the board: kSets.SquareBit where a constant is needed.
constexpr uint64_t SquareBitOf(int nSquare) {
    return OnBoard(nSquare) ? uint64_t{1} << ((nSquare / 10 - 2) * 8 + nSquare % 10 - 1) : 0;
}
