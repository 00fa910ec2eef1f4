// SPDX-License-Identifier: GPL-3.0-or-later
// The search below the root: draw scores, the capture search, the check extension and what ends a search.

#include "tests/search/SearchTestUtil.h"

namespace {

class NodeTest : public EngineTest {
  protected:
    // A search at this ply below the root, from the state a one-iteration search of the position leaves.
    void Prepare(const std::string& fen, int ply = 2) {
        Position(fen);
        RunThink(1);
        FollowPV = StopSearch = false;
        IterationDepth = 1;
        NodeCount = QuiescenceNodes = 0;
        Ply = ply;
    }
    static int32_t Search(int depth) { return AlphaBeta(-ScoreInfinity, ScoreInfinity, depth); }
};

TEST_F(NodeTest, StalemateAndFiftyMovesScoreTheDrawValue) {
    for (int draw : {0, -25, 40}) {
        DrawScore = static_cast<int16_t>(draw);
        Prepare("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");  // stalemate, a queen down
        EXPECT_EQ(Search(3), draw);
        Prepare("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");  // a rook up, but the clock has run out
        HalfmoveClock = 101;
        EXPECT_EQ(Search(2), draw);
        HalfmoveClock = 98;  // the leaves stay at 100 or below
        EXPECT_GT(Search(2), 400);
    }
}

TEST_F(NodeTest, CaptureSearchSeesTheRecapture) {
    Prepare("4k3/2p5/3p4/8/8/8/8/3RK3 w - - 0 1");  // Rxd6 cxd6: nothing better than standing pat
    const int32_t standPat = Evaluate();
    EXPECT_EQ(Quiesce(-ScoreInfinity, ScoreInfinity, QuiesceDepth), standPat);
    EXPECT_GT(NodeCount, 0);
    EXPECT_EQ(QuiescenceNodes, NodeCount);
}

TEST_F(NodeTest, CheckExtensionStopsAtPly31) {
    // White in check, one capture and king moves.
    auto nodes = [this](int ply, int depth) {
        Prepare("4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", ply);
        Search(depth);
        return NodeCount;
    };
    EXPECT_GT(nodes(30, 1), nodes(31, 1));
    EXPECT_EQ(nodes(30, 1), nodes(31, 2));  // one more ply of depth is exactly what the extension gave
}

// What ends a search below the root: a request from another thread from iteration 2 on, the clock from
// iteration 4 of a timed search on; never the clock at a fixed depth.
TEST_F(NodeTest, StopRequestAndClock) {
    const struct {
        int depthLimit, iteration;
        bool requested, clockGone, stops;
    } cases[] = {
        {4, 5, false, true, false},
        {NoDepthLimit, 5, false, true, true},
        {NoDepthLimit, 3, false, true, false},
        {NoDepthLimit, 5, false, false, false},
        {4, 2, true, false, true},
        {NoDepthLimit, 2, true, false, true},
        {4, 1, true, false, false},  // the first iteration always finishes: there is a move to play
    };
    for (const auto& c : cases) {
        Prepare("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
        MaxDepth = c.depthLimit;
        ArmStopCheck(c.iteration, TimerSeconds() + (c.clockGone ? -1 : 60));
        StopRequested = c.requested;
        const int32_t score = Search(2);
        StopRequested = false;
        EXPECT_EQ(StopSearch, c.stops) << &c - cases;
        EXPECT_TRUE(!c.stops || score == 0);
    }
    ArmStopCheck(1, 0);
}

}  // namespace
