// SPDX-License-Identifier: GPL-3.0-or-later
// The game the driver holds on the design's board, as a bitboard position to search from: pieces, side,
// castling rights, en-passant square, halfmove clock, and the game's earlier positions for the repetition
// test. The design's board is only read.
#pragma once
#include "board/BoardBas.h"
#include "board/Position.h"

bitboard::Position PositionOfGame();
// The design's move record of a legal move of the position on the design's board; false if it has none.
bool GameMoveOf(bitboard::Move m, MoveRec& found);
// The design's move record of a legal move of a bitboard position, read from that position alone (for the
// moves of a line, which the design's board has not reached).
MoveRec MoveRecOf(const bitboard::Position& pos, bitboard::Move m);
