// SPDX-License-Identifier: GPL-3.0-or-later
// How good a move was, from the evaluations before and after it: winning chances, accuracy, centipawn loss
// and the marks (inaccuracy, mistake, blunder). The figures follow the formulas the large chess sites
// publish, so that a player sees the numbers they know.
#pragma once
#include <optional>
#include <vector>

// An evaluation from one side's point of view: centipawns, or a forced mate in so many moves (positive:
// this side mates; negative: this side is mated). A mate value is never 0: a position that is already
// checkmate has no evaluation of its own (see PositionScore).
struct Score {
    enum class Kind { Centipawns, Mate };
    Kind Type = Kind::Centipawns;
    int Value = 0;

    static Score Centipawns(int cp) { return Score{Kind::Centipawns, cp}; }
    static Score MateIn(int moves) { return Score{Kind::Mate, moves}; }
    bool IsMate() const { return Type == Kind::Mate; }
    Score Negated() const { return Score{Type, -Value}; }
    bool operator==(const Score&) const = default;
};

// The largest advantage the figures tell apart: beyond it (and for any mate) a side is simply winning.
constexpr int CentipawnCeiling = 1000;

// What a position is worth for one side, as the figures count it: its score, or checkmate on the board.
struct PositionScore {
    enum class End { None, Checkmated, Checkmating };  // the side is checkmated / has checkmated
    Score Eval;
    End Over = End::None;

    static PositionScore Of(Score s) { return PositionScore{s, End::None}; }
    PositionScore Negated() const;
    // Centipawns within +-CentipawnCeiling; a mate or a checkmate counts as the ceiling.
    int CappedCentipawns() const;
};

// Winning chances in percent, 0..100 (50 is even), from the capped centipawns.
double WinPercent(int cappedCentipawns);
double WinPercent(const PositionScore& s);

// One move's accuracy, 0..100, from the mover's winning chances before and after it.
double MoveAccuracy(double winBefore, double winAfter);

enum class Judgement { None, Inaccuracy, Mistake, Blunder };
// Why a mate changed the judgement, if one did.
enum class MateTurn { None, MateWalkedInto, MateLetGo };

struct MoveJudgement {
    Judgement Mark = Judgement::None;
    MateTurn Mate = MateTurn::None;
};

// The mark for a move from the mover's scores before and after it. A move that keeps a forced mate, even
// a longer one, is never marked; walking into a forced mate or letting one go is marked by how lost or
// won the position still is. The caller leaves out a move that was the engine's own choice.
MoveJudgement JudgeMove(const PositionScore& before, const PositionScore& after);

// Accuracy of each side over a game: the mean of the volatility-weighted mean and the harmonic mean of
// the move accuracies. whiteWin holds White's winning chances in the first position and after each move;
// whiteMovesFirst tells who made the first move. Empty for a side that made no move.
struct GameAccuracies {
    std::optional<double> White, Black;
};
GameAccuracies GameAccuracy(const std::vector<double>& whiteWin, bool whiteMovesFirst);

// The centipawns a move lost for its mover (never negative), from the mover's scores before and after.
int CentipawnLoss(const PositionScore& before, const PositionScore& after);
