// SPDX-License-Identifier: GPL-3.0-or-later
// The review of a game: every position analysed at a fixed budget, from the last back to the first (so
// that what the later positions found is at hand for the earlier ones), each move judged by what it cost
// its side, and a summary per side. The engine is reached through the Analyser; the game is only read.
#pragma once
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "review/Judgement.h"
#include "review/Pgn.h"
#include "review/PgnWriter.h"

// How much the analyser may spend on one position.
struct AnalysisBudget {
    enum class Kind { Nodes, Seconds, Depth };
    Kind Type = Kind::Nodes;
    double Amount = 0;

    static AnalysisBudget Nodes(double n) { return AnalysisBudget{Kind::Nodes, n}; }
    static AnalysisBudget Seconds(double s) { return AnalysisBudget{Kind::Seconds, s}; }
    static AnalysisBudget Depth(int d) { return AnalysisBudget{Kind::Depth, static_cast<double>(d)}; }
};

// One position to analyse: the game's start and the moves that lead to it (so that the analyser can see
// repetitions), and the position itself.
struct AnalysisRequest {
    std::string StartFen;
    std::vector<std::string> Moves;  // in coordinates (e2e4, e7e8q), castling as the king's move
    std::string Fen;
    AnalysisBudget Budget;
};

struct AnalysisResult {
    Score Eval;                     // for the side to move
    std::vector<std::string> Line;  // the best line in coordinates, its best move first
};

class Analyser {
  public:
    virtual ~Analyser() = default;
    // Before the first position of a game: what one game's review learnt must not colour the next one's.
    virtual void NewGame() {}
    // Empty when stop was set before a result was found; it should be honoured within a fraction of a
    // second.
    virtual std::optional<AnalysisResult> Analyse(const AnalysisRequest& request,
                                                  const std::atomic<bool>& stop) = 0;
};

struct ReviewProgress {
    int Done = 0, Total = 0;  // positions analysed, of those the game has to analyse
};

struct ReviewOptions {
    AnalysisBudget Budget = AnalysisBudget::Nodes(DefaultReviewNodes);
    // Whether the opening book holds a line: the moves from the standard start, in coordinates. Unset: no
    // book (EngineBookHolds is the engine's own).
    std::function<bool(const std::vector<std::string>&)> InBook;
    std::function<void(const ReviewProgress&)> Progress;  // called on the reviewing thread
    const std::atomic<bool>* Stop = nullptr;
    size_t BetterLinePlies = 10;

    static constexpr double DefaultReviewNodes = 1000000;
};

struct PositionReview {
    PositionScore White;            // what the position is worth for White
    std::vector<std::string> Line;  // the engine's best line in coordinates; empty where the game is over
};

struct MoveReview {
    std::string San, Coordinates;
    bool ByWhite = true;
    bool Book = false;  // in the opening book: not judged
    bool Best = false;  // the engine's own choice: not judged
    MoveJudgement Judged;
    double Accuracy = 100;
    int CentipawnLoss = 0;
    std::vector<std::string> BetterLine;  // in SAN from the position before the move; empty when Best
};

struct SideSummary {
    int Moves = 0;
    std::optional<double> Accuracy;  // none without a move
    int AverageLoss = 0;             // centipawns a move
    int Inaccuracies = 0, Mistakes = 0, Blunders = 0;
};

struct GameReview {
    std::vector<PositionReview> Positions;  // the start, then after each move
    std::vector<MoveReview> Moves;
    SideSummary White, Black;
};

// Reviews the main line of a game that was read without error. Empty when the game has an error or the
// review was stopped.
std::optional<GameReview> ReviewGame(const PgnGame& game, Analyser& analyser, const ReviewOptions& options);

enum class ReviewSides { Both, White, Black };

// What the review adds to the game's PGN: every move's evaluation, and for the sides asked for, the
// marks, the better move and its line.
PgnAnnotations AnnotationsOf(const GameReview& review, ReviewSides sides, const std::string& annotator);

// Whether the engine's opening book holds a line of moves from the standard start (any ply weights).
bool EngineBookHolds(const std::vector<std::string>& moves);
