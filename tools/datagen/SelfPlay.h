// SPDX-License-Identifier: GPL-3.0-or-later
// One game of the strong engine against itself at a fixed node count a move, from a start position and
// moves, to its end by the rules or by adjudication; what it leaves behind is the quiet positions it went
// through and the result, for the tuner.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "board/Position.h"

class PositionAnalyst;

namespace datagen {

struct GameRules {
    int64_t Nodes = 5000;  // searched a move
    int SkipPlies = 16;    // positions before this game ply (from the start position) are not kept
    // Decided: the score beyond WinScore for the same side WinPlies plies in a row (a few moves each).
    int WinScore = 1000, WinPlies = 8;
    // Drawn: from DrawFromPly on, the score within DrawScore for DrawPlies plies in a row.
    int DrawFromPly = 80, DrawScore = 10, DrawPlies = 16;
    int MaxPlies = 400;  // a game this long is called a draw
};

struct GameRecord {
    bool Finished = false;          // false: stopped before its end (nothing of it is to be written)
    int WhitePoints2 = 1;           // White's points doubled: 2 a win, 1 a draw, 0 a loss
    std::vector<std::string> Fens;  // the quiet positions, in the order played
    int Plies = 0;
};

// Whether a position searched is worth a line of data: not in check, the move played neither a capture nor
// a promotion, and the score (side to move) not a mate. Such a position's evaluation is its value.
bool IsQuiet(const bitboard::Position& pos, bitboard::Move played, int32_t score);

// The score of a mate found, in either direction (the face reports them near its infinity).
bool IsMateScore(int32_t score);

// The game's end by the rules alone, in White's points doubled; -1 while it goes on. Threefold repetition
// counts the keys of the game so far (keys[i] the position before ply i).
int RulesVerdict(const bitboard::Position& pos, const std::vector<uint64_t>& keys);

// "[1.0]", "[0.5]" or "[0.0]": the result as the data file writes it, from White's side.
const char* ResultText(int whitePoints2);

// Plays from start (a position with the opening's moves already made; plyOfStart its game ply from the
// start position) until the game ends or stop is set.
GameRecord PlayGame(PositionAnalyst& analyst, const bitboard::Position& start, int plyOfStart,
                    const GameRules& rules, const std::atomic<bool>* stop);

}  // namespace datagen
