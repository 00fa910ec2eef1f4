// SPDX-License-Identifier: GPL-3.0-or-later
// Where the games start: named opening lines (a table with a column of coordinate moves) or positions
// (FEN or EPD, one a line), shuffled by a seed, each followed by optional random legal plies.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tools/match/Game.h"

// The cells of a tab-separated line (a last empty cell is dropped).
std::vector<std::string> SplitTabs(const std::string& line);
// Reads a tab-separated table with a header line naming a "uci" column (and optionally "name" and "eco"),
// or else one FEN or EPD position a line ('#' starts a comment). False with a reason when nothing usable.
bool ReadOpenings(const std::string& path, std::vector<GameStart>& openings, std::string& error);
// The shared openings table, looked for upward from the current folder and from the source tree; empty when
// there is none.
std::string DefaultOpeningsPath();

using Random = std::mt19937_64;
// A number in [0, n): the same on every system for the same seed.
size_t Draw(Random& random, size_t n);
void Shuffle(std::vector<GameStart>& openings, Random& random);
// Checks an opening on the referee and adds randomPlies random legal moves; false when the line is illegal
// or the game ends inside it (random plies are drawn again a few times before giving up).
bool PrepareStart(Referee& referee, const GameStart& opening, int randomPlies, Random& random,
                  GameStart& start);
