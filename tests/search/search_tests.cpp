// SPDX-License-Identifier: GPL-3.0-or-later
// The search below the root: draw scores, the capture search, the check extension, and the move sort.
#include <algorithm>

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

// The quicksort as written, whose order for ties decides between equally scored moves: middle pivot
// rounded half to even, upper part first.
void ReferenceSort(std::vector<int>& ids, std::vector<int32_t>& a, int lo, int hi) {
    if (hi <= lo) return;
    const int sum = lo + hi;
    const int mid = sum % 2 == 0 ? sum / 2 : (sum / 2) % 2 == 0 ? sum / 2 : sum / 2 + 1;
    const int32_t pivot = a[mid];
    int i = lo, j = hi;
    for (;;) {
        while (a[i] > pivot) ++i;
        while (a[j] < pivot) --j;
        if (i > j) break;
        std::swap(a[i], a[j]);
        std::swap(ids[i], ids[j]);
        ++i;
        --j;
        if (i > j) break;
    }
    ReferenceSort(ids, a, i, hi);
    ReferenceSort(ids, a, lo, j);
}

// SortMoves on any range, and the node's order read as far as a random cut-off: the same as the procedure.
TEST(SortMoves, SameOrderAsTheProcedureOnAnyRange) {
    static MoveOrder order;
    uint32_t x = 77;
    for (int trial = 0; trial < 4000; ++trial) {
        x = x * 1103515245u + 12345u;
        const int n = 1 + static_cast<int>(x >> 16) % 40;
        const int lo = static_cast<int>(x >> 8) % 3, hi = lo + n - 1;
        const int spread = 1 + static_cast<int>(x >> 24) % 5;  // few distinct values: many ties
        std::vector<int32_t> a(hi + 1), b;
        std::vector<int> ids(hi + 1);
        MoveList list;
        for (int i = 0; i <= hi; ++i) {
            x = x * 1103515245u + 12345u;
            a[i] = static_cast<int32_t>(x >> 20) % spread;
            ids[i] = i;
            list.Move[i].From = static_cast<uint8_t>(i);
        }
        b = a;
        // The node's order starts at index 0, and the pivot depends on where a range starts.
        std::vector<int32_t> fromZero(a.begin() + lo, a.end());
        std::vector<int> zeroIds(n);
        for (int i = 0; i < n; ++i) zeroIds[i] = i;
        std::copy(fromZero.begin(), fromZero.end(), order.Score);
        order.Start(n);
        ReferenceSort(zeroIds, fromZero, 0, n - 1);
        ReferenceSort(ids, a, lo, hi);
        SortMoves(list, b.data(), lo, hi);
        for (int i = lo; i <= hi; ++i)
            ASSERT_EQ(list.Move[i].From, ids[i]) << "trial " << trial << " at " << i;
        EXPECT_EQ(a, b);
        const int read = trial % 2 == 0 ? n : 1 + static_cast<int>(x >> 12) % n;
        for (int i = 0; i < read; ++i) ASSERT_EQ(order.At(i), zeroIds[i]) << "trial " << trial << " at " << i;
    }
}

}  // namespace
