// SPDX-License-Identifier: GPL-3.0-or-later
// What a search is asked beyond the clock: book use, node and mate limits, root moves, several lines,
// and a strength below the full one.
#include <set>

#include "search/Strength.h"
#include "tests/search/SearchTestUtil.h"

namespace {

// Each case runs with both searches.
class RequestTest : public EngineTest, public ::testing::WithParamInterface<SearchKind> {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        Use(GetParam());
    }
    // Every thinking report, as the search gives it.
    struct Recorder : SearchReporter {
        void NewBest(const ThinkingReport&) override {}
        void IterationDone(const ThinkingReport& r) override { Done.push_back(r); }
        void BookMove(int, int) override {}
        std::vector<ThinkingReport> Done;
    };
    MoveRec Run(Recorder& rec, int depth, const SearchRequest& request = {}) {
        SetClock(depth);
        GameResult = ResultNone;
        StopRequested.store(false);
        Last = Search(request, rec);
        return Last.Move;
    }
    SearchResult Last;
    static bool Legal(const MoveRec& m) {
        MoveRec found;
        return m.From != 0 && FindMoveFromText(MoveToText(m), found);
    }
};

const char* Middlegame = "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";

// Each search's scale: its ends hold off the scale, a higher Elo never asks a weaker setting, and the top
// does not choose to leave a knight.
TEST(Strength, ScaleAndPick) {
    for (SearchKind kind : {SearchKind::Design, SearchKind::Strong}) {
        const StrengthLimit bottom = StrengthFor(MinStrengthElo, kind),
                            top = StrengthFor(MaxStrengthElo, kind);
        EXPECT_EQ(StrengthFor(MinStrengthElo - 500, kind).NodeLimit, bottom.NodeLimit);
        EXPECT_EQ(StrengthFor(MaxStrengthElo + 500, kind).NodeLimit, top.NodeLimit);
        EXPECT_LT(bottom.NodeLimit, top.NodeLimit);
        EXPECT_LT(top.Margin, 313);
        for (int elo = MinStrengthElo; elo < MaxStrengthElo; elo += 25) {
            const StrengthLimit a = StrengthFor(elo, kind), b = StrengthFor(elo + 25, kind);
            EXPECT_TRUE(a.NodeLimit <= b.NodeLimit && a.Margin >= b.Margin) << elo;
        }
    }
    // The strong search makes more of a node: the same Elo gives it fewer, and its low levels, far below
    // its full strength, still differ from one another.
    EXPECT_LT(StrengthFor(1400, SearchKind::Strong).NodeLimit,
              StrengthFor(1400, SearchKind::Design).NodeLimit);
    EXPECT_LT(StrengthFor(900, SearchKind::Strong).NodeLimit,
              StrengthFor(1200, SearchKind::Strong).NodeLimit);
    const struct {
        int32_t margin;
        std::vector<int32_t> scores;
        double random;
        size_t pick;
    } cases[] = {
        {100, {50}, 0.99, 0},                         // one line
        {100, {ScoreInfinity - 3, 40, 30}, 0.99, 0},  // a mate is always played
        {100, {50, -400, -500}, 0.99, 0},             // far worse moves are never drawn
        {400, {50, -300}, 0.99, 1},                   // a wide margin may draw them
        {100, {50, 50, 50}, 0.0, 0},                  // equal moves: an even draw
        {100, {50, 50, 50}, 0.5, 1},
        {100, {50, 50, 50}, 0.99, 2},
        {100, {50, 40, -ScoreInfinity + 4}, 0.99, 1},  // never a move into mate
        {0, {50, 50}, 0.99, 1},                        // no margin: only moves as good as the best
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrengthPick(c.margin, c.scores, c.random), c.pick) << c.margin << " " << c.random;
}

// A weak level: legal and varied moves, within its node limit (the clock is generous).
TEST_P(RequestTest, LowStrengthPlaysLegalVariedMovesWithinItsNodes) {
    SearchRequest weak;
    weak.StrengthElo = MinStrengthElo;
    std::set<std::string> moves;
    for (int i = 0; i < 12; ++i) {
        Position(Middlegame);
        Recorder rec;
        const MoveRec m = Run(rec, 0, weak);
        EXPECT_TRUE(Legal(m)) << MoveToText(m);
        EXPECT_LE(NodeCount, StrengthFor(MinStrengthElo, GetParam()).NodeLimit + ClockCheckNodes);
        moves.insert(MoveToText(m));
    }
    EXPECT_GE(moves.size(), 2u);
}

// Node and mate limits, root moves and several lines.
TEST_P(RequestTest, LimitsRootMovesAndLines) {
    Position(Middlegame);
    SearchRequest request;
    request.NodeLimit = 500;  // inside the first iterations: a move all the same
    Recorder nodes;
    EXPECT_TRUE(Legal(Run(nodes, 30, request)));
    EXPECT_LE(NodeCount, 500 + ClockCheckNodes);

    request = SearchRequest{};
    Position("7k/8/5K2/8/8/8/8/1R6 w - - 0 1");
    request.MateMoves = 2;
    Recorder mate;
    EXPECT_EQ(MoveToText(Run(mate, 30, request)), "f6g6");
    EXPECT_LT(mate.Done.back().Iteration, 8);  // it stopped once the mate was found

    request = SearchRequest{};
    Position(Middlegame);
    MoveRec a3, h3;
    ASSERT_TRUE(FindMoveFromText("a2a3", a3) && FindMoveFromText("h2h3", h3));
    request.SearchMoves = {a3, h3};
    Recorder only;
    const std::string m = MoveToText(Run(only, 3, request));
    EXPECT_TRUE(m == "a2a3" || m == "h2h3") << m;

    request = SearchRequest{};
    request.MultiPv = 3;
    Position(Middlegame);
    Recorder lines;
    const MoveRec best = Run(lines, 3, request);
    std::vector<ThinkingReport> last(lines.Done.end() - 3, lines.Done.end());
    std::set<std::string> first;
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(last[k].MultiPv, k + 1);
        EXPECT_EQ(last[k].Iteration, 3);
        first.insert(MoveToText(last[k].Line[0]));
        if (k > 0) {
            EXPECT_LE(last[k].Score, last[k - 1].Score);
        }
    }
    EXPECT_EQ(first.size(), 3u);
    EXPECT_EQ(MoveToText(best), MoveToText(last[0].Line[0]));
    EXPECT_EQ(Last.Score, last[0].Score);  // the result's score is the best line's
}

// Near the fifty-move limit a won ending is kept only by a move that starts the count again: in the tree
// (at 100 every other move draws at once), and at the root, where a capture or a pawn move is no claim
// and a quiet move at 101 claims the draw.
TEST_P(RequestTest, FiftyMoveCountInTheTreeAndAtTheRoot) {
    const struct {
        const char* fen;
        int halfmove;
        std::set<std::string> moves;  // empty: any
        int32_t result;
    } cases[] = {
        {"8/8/8/4k3/8/8/P7/K7 w - - 0 1", 100, {"a2a3", "a2a4"}, ResultNone},
        {"k7/8/8/8/8/8/p7/7K b - - 0 1", 101, {"a2a1q"}, ResultNone},
        {"4k3/8/8/8/8/8/q7/R3K3 w - - 0 1", 101, {"a1a2"}, ResultNone},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 101, {}, ResultDraw},
    };
    for (const auto& c : cases) {
        Position(c.fen);
        HalfmoveClock = c.halfmove;
        Recorder rec;
        const std::string m = MoveToText(Run(rec, 3));
        EXPECT_TRUE(c.moves.empty() || c.moves.contains(m)) << c.fen << " " << m;
        EXPECT_EQ(Last.Verdict, c.result) << c.fen;
    }
}

INSTANTIATE_TEST_SUITE_P(BothSearches, RequestTest, ::testing::Values(SearchKind::Design, SearchKind::Strong),
                         [](const auto& info) {
                             return info.param == SearchKind::Design ? "Design" : "Strong";
                         });

}  // namespace
