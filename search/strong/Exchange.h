// SPDX-License-Identifier: GPL-3.0-or-later
// Static exchange: what a move wins on its square once both sides have taken there, each with its cheapest
// piece first and each free to stop, told as a yes or no against a threshold (all the search asks).
#pragma once
#include "board/Position.h"

namespace strong {

// Centipawns a piece is worth in an exchange: a knight and a bishop alike, so that taking one with the other
// is an even trade.
constexpr int ExchangeValues[7] = {0, 100, 325, 325, 500, 975, 0};
constexpr int ExchangeValue(bitboard::PieceType type) {
    return ExchangeValues[type];
}

// Whether the exchange the move starts wins at least nThreshold centipawns for the mover. Castling wins
// nothing; a promotion counts the piece it makes, less the pawn.
bool ExchangeAtLeast(const bitboard::Position& pos, bitboard::Move m, int nThreshold);

}  // namespace strong
