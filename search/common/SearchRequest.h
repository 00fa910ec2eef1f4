// SPDX-License-Identifier: GPL-3.0-or-later
// What a search is asked beyond the clock and depth of the protocol (what go, analyze or hint asked), and
// what it answers.
#pragma once
#include <cstdint>
#include <vector>

#include "board/BoardBas.h"

struct SearchRequest {
    // Analysis, an infinite search or pondering: no clock is read and no move comes from the book; the
    // search goes on until it is stopped or a limit below is reached.
    bool Endless = false;
    // The book answers timed play only; analysis and fixed limits never take it.
    bool UseBook = true;
    int64_t NodeLimit = 0;  // stop once this many nodes are searched; 0: no limit
    // For a search of its own (PositionAnalyst): the deepest iteration and the seconds it may take; 0: no
    // limit. The game's search reads sd and the clocks instead.
    int Depth = 0;
    double Seconds = 0;
    int MateMoves = 0;                 // stop once a mate in this many moves is found; 0: no limit
    int MultiPv = 1;                   // how many best lines are searched and reported
    std::vector<MoveRec> SearchMoves;  // the root moves to search; empty: all
    int StrengthElo = 0;  // an Elo to play at (MinStrengthElo to MaxStrengthElo); 0: full strength
    // TimerSeconds() when the turn began (the opponent's move was read): the clock and the thinking lines
    // count from it. 0: from the search's start.
    double Start = 0;
};

// Below full strength, what the face makes of the Elo asked for the search that plays: a smaller search
// over several lines, then a draw among the moves close to the best.
struct StrengthLimit {
    bool On = false;
    int64_t NodeLimit = 0;  // nodes one move may search
    int32_t Margin = 0;     // centipawns below the best score a move may still be drawn from
    int Lines = 1;          // best lines searched, among which the move is drawn
};

// What a search answers.
struct SearchResult {
    MoveRec Move;                  // From 0: none (Verdict says why)
    int32_t Score = 0;             // of the move's line, for the side to move
    int32_t Verdict = ResultNone;  // the game-end code the move calls for
    int Seconds = 0;               // whole seconds searched (the game window charges them)
    // The clock's bank once this move is played: what the move left of its budget in a conventional control.
    double TimeBank = 0;
    std::vector<MoveRec> Line;  // the principal line, Move first (the strong engine's; the design's: Move)
    int64_t Nodes = 0;          // searched, by every thread
};
