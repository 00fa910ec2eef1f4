// SPDX-License-Identifier: GPL-3.0-or-later
// What the weights cannot say about endings: positions decided by the material alone (a bare king against
// mating material, king and pawn against king, too little to mate), and endings where the side ahead
// rarely wins, whose endgame value is scaled toward a draw.
#pragma once
#include "board/Position.h"

namespace eval {

// Beyond any evaluation that weights give, below any mate score: a won ending the search need not prove.
constexpr int KnownWin = 10000;

// If the material decides how the position is valued, sets the value (White's view) and says so.
bool DecideEnding(const bitboard::Position& pos, int& whiteValue);

// The scale (0 .. NormalScale) of the endgame value when `strong` is the side ahead.
int EndgameScale(const bitboard::Position& pos, bitboard::Colour strong);

}  // namespace eval
