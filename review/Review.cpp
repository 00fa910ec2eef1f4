// SPDX-License-Identifier: GPL-3.0-or-later
#include "review/Review.h"

#include "review/SanBoard.h"
#include "search/BookBas.h"

namespace {

// The game's positions, each with the moves that lead to it.
struct GamePositions {
    std::vector<SanBoard> Boards;
    std::vector<std::string> Coordinates;  // the moves; Boards[i] comes before Coordinates[i]
};

std::optional<GamePositions> Replay(const PgnGame& game) {
    std::optional<SanBoard> board =
        game.StartFen.empty() ? SanBoard::Start() : SanBoard::FromFen(game.StartFen);
    if (!board) return std::nullopt;
    GamePositions positions;
    positions.Boards.push_back(*board);
    for (const PgnMove& move : game.Moves.Moves) {
        const std::optional<bitboard::Move> m = board->MoveOfCoordinates(move.Coordinates);
        if (!m) return std::nullopt;
        board->Play(*m);
        positions.Boards.push_back(*board);
        positions.Coordinates.push_back(move.Coordinates);
    }
    return positions;
}

// A position where the game is over needs no engine: checkmate or stalemate is on the board.
std::optional<PositionScore> FinalScore(const SanBoard& board) {
    if (board.HasLegalMove()) return std::nullopt;
    PositionScore mover = board.InCheck() ? PositionScore{Score{}, PositionScore::End::Checkmated}
                                          : PositionScore::Of(Score::Centipawns(0));
    return board.WhiteToMove() ? mover : mover.Negated();
}

// Analyses the positions from the last to the first; false when stopped.
bool AnalysePositions(const PgnGame& game, const GamePositions& game_positions, Analyser& analyser,
                      const ReviewOptions& options, std::vector<PositionReview>& positions) {
    static const std::atomic<bool> never{false};
    const std::atomic<bool>& stop = options.Stop ? *options.Stop : never;
    const std::vector<SanBoard>& boards = game_positions.Boards;
    positions.assign(boards.size(), PositionReview{});
    ReviewProgress progress;
    std::vector<bool> final(boards.size());
    for (size_t i = 0; i < boards.size(); ++i) {
        final[i] = !boards[i].HasLegalMove();
        progress.Total += final[i] ? 0 : 1;
    }
    analyser.NewGame();
    for (size_t i = boards.size(); i-- > 0;) {
        if (stop.load()) return false;
        if (final[i]) {
            positions[i].White = *FinalScore(boards[i]);
            continue;
        }
        const AnalysisRequest request{game.StartFen.empty() ? bitboard::StartFen : game.StartFen,
                                      {game_positions.Coordinates.begin(),
                                       game_positions.Coordinates.begin() + static_cast<std::ptrdiff_t>(i)},
                                      boards[i].Fen(),
                                      options.Budget};
        const std::optional<AnalysisResult> result = analyser.Analyse(request, stop);
        if (!result || stop.load()) return false;
        const PositionScore mover = PositionScore::Of(result->Eval);
        positions[i].White = boards[i].WhiteToMove() ? mover : mover.Negated();
        positions[i].Line = result->Line;
        ++progress.Done;
        if (options.Progress) options.Progress(progress);
    }
    return true;
}

MoveReview JudgeOne(const GamePositions& game, const std::vector<PositionReview>& positions, size_t i,
                    const ReviewOptions& options, bool fromStart) {
    const SanBoard& board = game.Boards[i];
    MoveReview move;
    move.Coordinates = game.Coordinates[i];
    move.San = board.San(*board.MoveOfCoordinates(move.Coordinates));
    move.ByWhite = board.WhiteToMove();
    const PositionScore before = move.ByWhite ? positions[i].White : positions[i].White.Negated();
    const PositionScore after = move.ByWhite ? positions[i + 1].White : positions[i + 1].White.Negated();
    move.Accuracy = MoveAccuracy(WinPercent(before), WinPercent(after));
    move.CentipawnLoss = CentipawnLoss(before, after);
    const std::vector<std::string>& line = positions[i].Line;
    move.Best = !line.empty() && line.front() == move.Coordinates;
    if (options.InBook && fromStart) {
        const std::vector<std::string> sofar(game.Coordinates.begin(),
                                             game.Coordinates.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        move.Book = options.InBook(sofar);
    }
    if (!move.Best && !line.empty()) {
        const std::vector<std::string> better(
            line.begin(),
            line.begin() + static_cast<std::ptrdiff_t>(std::min(line.size(), options.BetterLinePlies)));
        move.BetterLine = board.SanLine(better);
    }
    // A move that was the engine's choice, came from the book, or mates, is not marked.
    if (!move.Best && !move.Book && after.Over != PositionScore::End::Checkmating && !move.BetterLine.empty())
        move.Judged = JudgeMove(before, after);
    return move;
}

void Summarise(const std::vector<MoveReview>& moves, bool white, SideSummary& side) {
    int loss = 0;
    for (const MoveReview& m : moves) {
        if (m.ByWhite != white) continue;
        ++side.Moves;
        loss += m.CentipawnLoss;
        side.Inaccuracies += m.Judged.Mark == Judgement::Inaccuracy;
        side.Mistakes += m.Judged.Mark == Judgement::Mistake;
        side.Blunders += m.Judged.Mark == Judgement::Blunder;
    }
    side.AverageLoss = side.Moves ? loss / side.Moves : 0;
}

}  // namespace

std::optional<GameReview> ReviewGame(const PgnGame& game, Analyser& analyser, const ReviewOptions& options) {
    if (game.Error) return std::nullopt;
    const std::optional<GamePositions> replay = Replay(game);
    if (!replay) return std::nullopt;
    // The book knows lines from the standard start only.
    const bool fromStart = game.StartFen.empty() || replay->Boards.front().Fen() == SanBoard::Start().Fen();
    GameReview review;
    if (!AnalysePositions(game, *replay, analyser, options, review.Positions)) return std::nullopt;
    for (size_t i = 0; i < replay->Coordinates.size(); ++i)
        review.Moves.push_back(JudgeOne(*replay, review.Positions, i, options, fromStart));
    Summarise(review.Moves, true, review.White);
    Summarise(review.Moves, false, review.Black);
    std::vector<double> whiteWin;
    for (const PositionReview& p : review.Positions) whiteWin.push_back(WinPercent(p.White));
    const GameAccuracies accuracy = GameAccuracy(whiteWin, game.WhiteMovesFirst());
    review.White.Accuracy = accuracy.White;
    review.Black.Accuracy = accuracy.Black;
    return review;
}

namespace {

std::string JudgementComment(const MoveReview& move) {
    static const char* const names[] = {"", "Inaccuracy", "Mistake", "Blunder"};
    std::string text = names[static_cast<int>(move.Judged.Mark)];
    if (move.Judged.Mate == MateTurn::MateWalkedInto) text += ": checkmate is now unavoidable";
    if (move.Judged.Mate == MateTurn::MateLetGo) text += ": a forced checkmate is let go";
    return text + ". " + move.BetterLine.front() + " was best.";
}

}  // namespace

PgnAnnotations AnnotationsOf(const GameReview& review, ReviewSides sides, const std::string& annotator) {
    PgnAnnotations notes;
    notes.Annotator = annotator;
    for (size_t i = 0; i < review.Moves.size(); ++i) {
        const MoveReview& move = review.Moves[i];
        const PositionScore& after = review.Positions[i + 1].White;
        MoveAnnotation note;
        if (after.Over == PositionScore::End::None) note.WhiteEval = after.Eval;
        const bool sideAsked = sides == ReviewSides::Both || (sides == ReviewSides::White) == move.ByWhite;
        if (sideAsked && move.Judged.Mark != Judgement::None) {
            note.Nag = JudgementNag(move.Judged.Mark);
            note.Comment = JudgementComment(move);
            note.BetterLine = move.BetterLine;
        }
        notes.Moves.push_back(std::move(note));
    }
    return notes;
}

bool EngineBookHolds(const std::vector<std::string>& moves) {
    std::string line;
    for (const std::string& m : moves) {
        if (m.size() != 4) return false;  // the book holds no promotion
        line += m;
    }
    line.insert(0, " ");
    for (const std::string& bookLine : BookLines)
        if (bookLine.compare(0, line.size(), line) == 0) return true;
    return false;
}
