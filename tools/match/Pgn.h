// SPDX-License-Identifier: GPL-3.0-or-later
// A played game as PGN: the seven tag roster, the start position, opening and limits, every move in
// standard notation with the engine's score, depth and time as a comment, and the reason the game ended.
// A game's text ends with a blank line.
#pragma once
#include <string>

#include "tools/match/Game.h"

struct PgnHeader {
    std::string Event = "talvor-match", Site = "?", Date, Round, White, Black, TimeControl = "-";
};

std::string FormatPgn(const PgnHeader& header, const GameStart& start, const GameOutcome& game);
// The comment of an engine's move: "+0.35/12 0.123s", "-M3/20 0.050s", or the time alone without a score.
std::string MoveComment(const PlyNote& ply);
