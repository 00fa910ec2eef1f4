// SPDX-License-Identifier: GPL-3.0-or-later
// Until the strong engine offers an analyst of its own, a short material search stands in: alpha-beta to a
// few plies with a capture search, on the bitboard position. It finds what a club player hangs, nothing
// subtle.
#include "review/EngineAnalyser.h"

#include <algorithm>

#include "board/Position.h"

namespace {

using namespace bitboard;

constexpr int MateValue = 30000, MaxPlies = 64;
constexpr int PieceValues[] = {0, 100, 300, 300, 500, 900, 0};

int Material(const Position& p) {
    int score = 0;
    for (PieceType t : {Pawn, Knight, Bishop, Rook, Queen})
        score += PieceValues[t] * (p.Count(White, t) - p.Count(Black, t));
    return p.SideToMove() == White ? score : -score;
}

class MaterialSearch {
  public:
    MaterialSearch(const std::atomic<bool>& stop, int64_t nodeLimit) : stop_(stop), limit_(nodeLimit) {}
    bool Out() const { return nodes_ >= limit_ || stop_.load(std::memory_order_relaxed); }

    int Search(Position& p, int depth, int alpha, int beta, int ply, std::vector<Move>& line) {
        ++nodes_;
        line.clear();
        const MoveList moves = LegalMoves(p);
        if (moves.Count == 0) return p.InCheck() ? ply - MateValue : 0;
        if (ply > 0 && (p.Fifty() >= 100 || p.Repeats())) return 0;
        if (depth <= 0 || ply >= MaxPlies) return Quiesce(p, alpha, beta, ply);
        std::vector<Move> child;
        for (const Move m : Ordered(p, moves)) {
            if (Out()) break;
            Undo u;
            p.Make(m, u);
            const int score = -Search(p, depth - 1, -beta, -alpha, ply + 1, child);
            p.Unmake(m, u);
            if (score > alpha) {
                alpha = score;
                line.assign(1, m);
                line.insert(line.end(), child.begin(), child.end());
                if (alpha >= beta) break;
            }
        }
        return alpha;
    }

  private:
    int Quiesce(Position& p, int alpha, int beta, int ply) {
        ++nodes_;
        const bool inCheck = p.InCheck();
        const int standPat = inCheck ? ply - MateValue : Material(p);
        if (standPat >= beta || ply >= MaxPlies) return inCheck ? Material(p) : standPat;
        alpha = std::max(alpha, standPat);
        // In check every evasion is tried: a mate is seen as such.
        Move buffer[MaxMoves];
        Move* end = inCheck ? GenerateEvasions(p, buffer) : GenerateCaptures(p, buffer);
        for (Move* m = buffer; m != end && !Out(); ++m) {
            if (!p.IsLegal(*m)) continue;
            Undo u;
            p.Make(*m, u);
            const int score = -Quiesce(p, -beta, -alpha, ply + 1);
            p.Unmake(*m, u);
            if (score >= beta) return score;
            alpha = std::max(alpha, score);
        }
        return alpha;
    }

    // Captures of the most valuable piece first.
    static std::vector<Move> Ordered(const Position& p, const MoveList& moves) {
        std::vector<Move> ordered(moves.begin(), moves.end());
        std::stable_sort(ordered.begin(), ordered.end(), [&](Move a, Move b) {
            return PieceValues[TypeOf(p.CapturedPiece(a))] > PieceValues[TypeOf(p.CapturedPiece(b))];
        });
        return ordered;
    }

    const std::atomic<bool>& stop_;
    int64_t limit_;
    int64_t nodes_ = 0;
};

Score ScoreOf(int value) {
    if (value >= MateValue - MaxPlies) return Score::MateIn((MateValue - value + 1) / 2);
    if (value <= -MateValue + MaxPlies) return Score::MateIn(-(MateValue + value) / 2);
    return Score::Centipawns(value);
}

class MaterialAnalyser : public Analyser {
  public:
    std::optional<AnalysisResult> Analyse(const AnalysisRequest& request,
                                          const std::atomic<bool>& stop) override {
        Position p;
        if (!p.SetFen(request.Fen)) return std::nullopt;
        const int maxDepth =
            request.Budget.Type == AnalysisBudget::Kind::Depth ? std::max(1, int(request.Budget.Amount)) : 4;
        const int64_t limit =
            request.Budget.Type == AnalysisBudget::Kind::Nodes ? int64_t(request.Budget.Amount) : 2000000;
        MaterialSearch search(stop, limit);
        std::optional<AnalysisResult> best;
        for (int depth = 1; depth <= maxDepth; ++depth) {
            std::vector<Move> line;
            const int value = search.Search(p, depth, -MateValue, MateValue, 0, line);
            if (best && search.Out()) break;  // an iteration cut short is not trusted
            best = AnalysisResult{ScoreOf(value), {}};
            for (const Move m : line) best->Line.push_back(MoveText(m));
            if (search.Out()) break;
        }
        if (stop.load()) return std::nullopt;
        return best;
    }
};

}  // namespace

std::unique_ptr<Analyser> NewEngineAnalyser(int) {
    return std::make_unique<MaterialAnalyser>();
}
