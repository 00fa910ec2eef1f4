// SPDX-License-Identifier: GPL-3.0-or-later
// The review's analyser: the strong engine through the face's PositionAnalyst, an engine of its own with
// its own hash table and stop, so that it searches beside the game's without touching it.
#include "review/EngineAnalyser.h"

#include "board/Position.h"
#include "search/Search.h"

namespace {

// The review wants the result alone: nothing is shown while a position is searched.
class SilentReporter : public SearchReporter {
  public:
    void NewBest(const ThinkingReport&) override {}
    void IterationDone(const ThinkingReport&) override {}
    void BookMove(int, int) override {}
};

// The engine's score (for the side to move) as the review counts it: a mate in moves, or centipawns.
Score ScoreOf(int32_t value) {
    if (value >= ScoreInfinity - SearchPlies) return Score::MateIn((ScoreInfinity - value + 1) / 2);
    if (value <= SearchPlies - ScoreInfinity) return Score::MateIn(-((ScoreInfinity + value) / 2));
    return Score::Centipawns(value);
}

SearchRequest RequestOf(const AnalysisBudget& budget) {
    SearchRequest request;
    request.UseBook = false;
    switch (budget.Type) {
        case AnalysisBudget::Kind::Nodes:
            request.NodeLimit = static_cast<int64_t>(budget.Amount);
            break;
        case AnalysisBudget::Kind::Seconds:
            request.Seconds = budget.Amount;
            break;
        case AnalysisBudget::Kind::Depth:
            request.Depth = static_cast<int>(budget.Amount);
            break;
    }
    return request;
}

// The position to search, with the keys of the game's earlier positions for its repetitions.
std::optional<bitboard::Position> PositionOf(const AnalysisRequest& request) {
    bitboard::Position walk;
    if (!walk.SetFen(request.StartFen)) return std::nullopt;
    std::vector<uint64_t> earlier;
    for (const std::string& text : request.Moves) {
        const bitboard::Move m = walk.MoveOfText(text);
        if (m == bitboard::NoMove) return std::nullopt;
        earlier.push_back(walk.Key());
        bitboard::Undo undo;
        walk.Make(m, undo);
    }
    bitboard::Position position;
    if (!position.SetFen(request.Fen)) return std::nullopt;
    position.SetEarlierKeys(earlier);
    return position;
}

class EngineAnalyser : public Analyser {
  public:
    explicit EngineAnalyser(int nThreads) : analyst_(ReviewHashMegabytes, nThreads) {}

    void NewGame() override { analyst_.NewGame(); }

    std::optional<AnalysisResult> Analyse(const AnalysisRequest& request,
                                          const std::atomic<bool>& stop) override {
        const std::optional<bitboard::Position> position = PositionOf(request);
        if (!position || stop.load()) return std::nullopt;
        SilentReporter silent;
        const SearchResult found = analyst_.Search(*position, RequestOf(request.Budget), silent, &stop);
        if (stop.load() || found.Move.From == 0) return std::nullopt;
        AnalysisResult result{ScoreOf(found.Score), {}};
        for (const MoveRec& m : found.Line) result.Line.push_back(MoveToText(m));
        if (result.Line.empty()) result.Line.push_back(MoveToText(found.Move));
        return result;
    }

  private:
    PositionAnalyst analyst_;
};

}  // namespace

std::unique_ptr<Analyser> NewEngineAnalyser(int nThreads) {
    return std::make_unique<EngineAnalyser>(nThreads);
}
