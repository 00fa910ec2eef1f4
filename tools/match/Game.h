// SPDX-License-Identifier: GPL-3.0-or-later
// One game between two UCI engines under the referee: clocks or fixed limits, every move checked, the end
// by the rules, by the engines' scores when both agree, or by an engine's fault.
#pragma once
#include <limits>
#include <string>
#include <vector>

#include "tools/match/Referee.h"
#include "tools/match/UciEngine.h"

struct Limits {
    double Base = 0, Increment = 0;  // seconds; a clock when Base > 0
    long long Nodes = 0;
    int Depth = 0;
    double MoveTime = 0;          // seconds a move (go movetime)
    double MarginSeconds = 0.02;  // how late past its clock (or movetime) a move may still arrive
    double HangSeconds = 60;      // the longest wait for a move where no clock bounds it
    bool HasClock() const { return Base > 0; }
    bool Any() const { return HasClock() || Nodes > 0 || Depth > 0 || MoveTime > 0; }
    std::string Describe() const;  // "5+0.05", "nodes 5000", ...
    // The go command of the side to move with the two clocks (seconds) as they stand.
    std::string GoCommand(const double clocks[2]) const;
};

// Ending a game early on the engines' own scores (off with Enabled = false).
struct ScoreRules {
    bool Enabled = true;
    int WinMoves = 4, WinScore = 1000;  // both engines at or beyond this, that many moves each
    int DrawFromMove = 40, DrawMoves = 8, DrawScore = 10;  // after that move, both within this
};

// Where a game starts: a position and the moves played from it before the engines take over.
struct GameStart {
    std::string Fen;
    std::vector<std::string> Moves;
    std::string Name, Eco;  // of the opening, for the record
    int RandomPlies = 0;    // of Moves, the last ones drawn at random
};

enum class Fault { None, IllegalMove, TimeLoss, Crash, Hang, FalseClaim };
const char* FaultName(Fault fault);  // "illegal move", "time loss", ...

struct PlyNote {
    std::string San;
    bool White = true;
    bool Book = false;  // from the opening, not an engine
    SearchInfo Info;
    double Seconds = 0;
};

// How one side used its clock.
struct ClockUse {
    double LeastLeft = std::numeric_limits<double>::infinity();  // seconds left after a move, at its lowest
    double Thinking = 0;
    int Moves = 0;
    int LateMoves = 0;  // moves that came after the clock ran out, within the margin
};

struct GameOutcome {
    int WhitePoints2 = 1;                // White's points doubled: 2 win, 1 draw, 0 loss
    std::string Reason;                  // one sentence: "White mates", "Black loses on time (...)", ...
    std::string Termination = "normal";  // the PGN Termination tag's value
    Fault Failure = Fault::None;
    bool FaultByWhite = false;
    std::vector<PlyNote> Plies;
    ClockUse Clocks[2];  // White's, Black's
    std::string StartFen;
    std::string Result() const { return WhitePoints2 == 2 ? "1-0" : WhitePoints2 == 0 ? "0-1" : "1/2-1/2"; }
};

// Plays the game on referee; engines[0] has White. The engines stay as they are (a faulty one may need a
// restart: Failure says so).
GameOutcome PlayGame(Referee& referee, UciEngine* engines[2], const GameStart& start, const Limits& limits,
                     const ScoreRules& rules);

// The score rules' verdict after the last ply: 2 White wins, 0 Black wins, 1 draw, -1 none. fullMove is
// the number of the move about to be played.
int ScoreVerdict(const std::vector<PlyNote>& plies, int fullMove, const ScoreRules& rules);
