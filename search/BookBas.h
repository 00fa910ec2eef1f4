// SPDX-License-Identifier: GPL-3.0-or-later
// The opening book: lines of coordinate moves with per-line ply masks.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/BoardBas.h"

// Loads the book at sPath (relative paths are taken from the program folder; empty for no book); true if
// any line was read.
bool LoadBookFrom(const std::string& sPath);
void BookProbe(MoveRec& result);  // a legal book move for the current game line, or all zero
// The distinct legal moves the book offers now (what BookProbe picks from at random).
std::vector<MoveRec> BookMoveChoices();
// Those moves with their weights: the book lines that go on with each (the draw among them is even).
struct BookChoice {
    MoveRec Move;
    int Lines = 0;
};
std::vector<BookChoice> BookMoveWeights();
bool BookLineAllowed(const std::string& sLine, int n);
std::string WeightFileName(const std::string& sPath);
int32_t DefaultBookWeight();
int RandomInRange(int lo, int hi);

// What the loader keeps. Lines are stored once each, in file order.
extern std::vector<std::string> BookLines;
extern int32_t BookLineCount;
extern std::unordered_map<std::string, int32_t> BookWeights;  // line text -> ply mask
extern std::vector<std::string> FirstMoves;                   // moves offered for the game's first ply
extern int FirstMoveCount;

// Bounds that keep a damaged or foreign file from exhausting memory or start-up time.
constexpr int32_t MaxBookLines = 200000;
constexpr int64_t MaxBookBytes = 32 * 1024 * 1024;
constexpr size_t MaxBookLineLength = 1 + 4 * MaxBookMoves;  // a blank and 30 moves: all BookLine can hold
