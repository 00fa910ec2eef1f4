// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/datagen/SelfPlay.h"

#include <algorithm>
#include <cstdlib>

#include "search/Search.h"

namespace datagen {

namespace {

using namespace bitboard;

class SilentReporter : public SearchReporter {
  public:
    void NewBest(const ThinkingReport&) override {}
    void IterationDone(const ThinkingReport&) override {}
    void BookMove(int, int) override {}
};

// Nothing but the kings, or one minor piece, or bishops all on squares of one colour: no mate is possible.
bool InsufficientMaterial(const Position& pos) {
    if (pos.Pieces(Pawn, Rook) || pos.Pieces(Queen)) return false;
    const Bitboard knights = pos.Pieces(Knight), bishops = pos.Pieces(Bishop);
    if (knights) return PopCount(knights | bishops) == 1;
    constexpr Bitboard DarkSquares = 0xAA55AA55AA55AA55ull;
    return (bishops & DarkSquares) == 0 || (bishops & ~DarkSquares) == 0;
}

// Counts plies in a row the adjudication rules hold, and says when one of them decides.
class Adjudicator {
  public:
    explicit Adjudicator(const GameRules& rules) : rules_(rules) {}

    // The verdict after a search at game ply ply with this score from White's side; -1 none.
    int Judge(int ply, int32_t whiteScore) {
        const int side = whiteScore >= rules_.WinScore ? 1 : whiteScore <= -rules_.WinScore ? -1 : 0;
        winRun_ = side != 0 && side == winSide_ ? winRun_ + 1 : side != 0 ? 1 : 0;
        winSide_ = side;
        if (winRun_ >= rules_.WinPlies) return winSide_ > 0 ? 2 : 0;
        drawRun_ = ply >= rules_.DrawFromPly && std::abs(whiteScore) <= rules_.DrawScore ? drawRun_ + 1 : 0;
        if (drawRun_ >= rules_.DrawPlies) return 1;
        return -1;
    }

  private:
    const GameRules& rules_;
    int winSide_ = 0, winRun_ = 0, drawRun_ = 0;
};

}  // namespace

bool IsMateScore(int32_t score) {
    // Mates count down from the face's infinity by the plies to them; no evaluation comes near.
    return std::abs(score) >= ScoreInfinity - 1000;
}

bool IsQuiet(const Position& pos, Move played, int32_t score) {
    return !pos.InCheck() && !pos.IsCaptureOrPromotion(played) && !IsMateScore(score);
}

int RulesVerdict(const Position& pos, const std::vector<uint64_t>& keys) {
    if (LegalMoves(pos).Count == 0) return !pos.InCheck() ? 1 : pos.SideToMove() == White ? 0 : 2;
    if (pos.Fifty() >= 100 || InsufficientMaterial(pos)) return 1;
    // Only the positions since the last capture or pawn move can be the same again.
    const size_t back = std::min<size_t>(keys.size(), static_cast<size_t>(pos.Fifty()));
    const auto count = std::count(keys.end() - static_cast<std::ptrdiff_t>(back), keys.end(), pos.Key());
    return count >= 2 ? 1 : -1;
}

const char* ResultText(int whitePoints2) {
    return whitePoints2 == 2 ? "[1.0]" : whitePoints2 == 0 ? "[0.0]" : "[0.5]";
}

GameRecord PlayGame(PositionAnalyst& analyst, const Position& start, int plyOfStart, const GameRules& rules,
                    const std::atomic<bool>* stop) {
    GameRecord game;
    Position pos = start;
    std::vector<uint64_t> keys;
    Adjudicator adjudicator(rules);
    SilentReporter silent;
    SearchRequest request;
    request.UseBook = false;
    request.NodeLimit = rules.Nodes;
    analyst.NewGame();
    for (int ply = plyOfStart;; ++ply) {
        int verdict = RulesVerdict(pos, keys);
        if (verdict < 0 && ply - plyOfStart >= rules.MaxPlies) verdict = 1;
        if (verdict >= 0) {
            game.Finished = true;
            game.WhitePoints2 = verdict;
            return game;
        }
        const SearchResult found = analyst.Search(pos, request, silent, stop);
        if ((stop && stop->load()) || found.Move.From == 0) return game;
        const Move move = pos.MoveOfText(MoveToText(found.Move));
        if (move == NoMove) return game;
        if (ply >= rules.SkipPlies && IsQuiet(pos, move, found.Score)) game.Fens.push_back(pos.Fen());
        const int32_t whiteScore = pos.SideToMove() == White ? found.Score : -found.Score;
        verdict = adjudicator.Judge(ply, whiteScore);
        if (verdict >= 0) {
            game.Finished = true;
            game.WhitePoints2 = verdict;
            return game;
        }
        keys.push_back(pos.Key());
        Undo undo;
        pos.Make(move, undo);
        ++game.Plies;
    }
}

}  // namespace datagen
