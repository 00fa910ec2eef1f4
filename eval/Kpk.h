// SPDX-License-Identifier: GPL-3.0-or-later
// King and pawn against king, solved: every position's result by retrograde analysis, held a bit a
// position (24 KB), made the first time it is asked for.
#pragma once
#include "board/Bitboard.h"

namespace eval {

// Whether the side with the pawn wins with best play (else it is a draw). Squares of a legal position.
bool KpkWins(bitboard::Colour strong, int strongKing, int pawn, int weakKing, bitboard::Colour sideToMove);

}  // namespace eval
