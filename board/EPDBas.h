// SPDX-License-Identifier: GPL-3.0-or-later
// Position text: FEN set-up and the four-field position key.
#pragma once
#include <string>

// Sets the position from FEN; on bad text changes nothing and returns false.
bool SetBoard(const std::string& sFen);
// Placement, side, castling, en-passant square: the key of every repetition table.
std::string PositionKey();
