// The search below the root: mate and draw scores, the capture search, extensions and move ordering.
#include <cstring>

#include "tests/search/SearchTestUtil.h"

namespace {

class NodeTest : public EngineTest {
  protected:
    // The state Think leaves before its first iteration, without searching the root; the search at Ply.
    static void Prepare(const std::string& fen, int ply = 2) {
        Position(fen);
        SetClock(10);
        PrepareEvaluation();
        for (auto& row : PVTable)
            for (auto& m : row) m = MoveRec{};
        for (int p = 0; p < SearchPlies; ++p) {
            KillerMove1[p] = KillerMove2[p] = MoveRec{};
            KillerScore[p] = -ScoreInfinity;
        }
        std::memset(HistoryTable, 0, sizeof HistoryTable);
        FollowPV = StopSearch = false;
        IterationDepth = 1;
        NodeCount = QuiescenceNodes = 0;
        Ply = ply;
    }
    static int32_t Search(int depth) { return AlphaBeta(-ScoreInfinity, ScoreInfinity, depth); }
};

TEST_F(NodeTest, MatedSideScoresPlyMinusInfinity) {
    Prepare("R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 3);  // back-rank mate delivered
    EXPECT_EQ(Search(2), 3 - ScoreInfinity);
    Ply = 1;
    EXPECT_EQ(Search(1), 1 - ScoreInfinity);
}

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

TEST_F(NodeTest, CaptureSearch) {
    Prepare("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_EQ(Quiesce(-ScoreInfinity, 100, QuiesceDepth), 540);  // stand-pat above beta, no node
    EXPECT_EQ(NodeCount, 0);
    EXPECT_EQ(Quiesce(600, 1000, QuiesceDepth), 600);  // no captures: alpha
    // Rook takes a pawn defended by a pawn: the capture search sees the recapture.
    Prepare("4k3/2p5/3p4/8/8/8/8/3RK3 w - - 0 1");
    const int32_t standPat = Evaluate();
    EXPECT_EQ(Quiesce(-ScoreInfinity, ScoreInfinity, QuiesceDepth), standPat);
    EXPECT_GT(NodeCount, 0);
    EXPECT_EQ(QuiescenceNodes, NodeCount);
}

TEST_F(NodeTest, CheckExtensionStopsAtPly31) {
    // White in check, one capture and king moves.
    auto nodes = [](int ply, int depth) {
        Prepare("4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", ply);
        Search(depth);
        return NodeCount;
    };
    EXPECT_GT(nodes(30, 1), nodes(31, 1));
    EXPECT_EQ(nodes(30, 1), nodes(31, 2));  // one more ply of depth is exactly what the extension gave
}

TEST_F(NodeTest, FixedDepthIsNeverInterruptedByTime) {
    Prepare("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    IterationDepth = 5;
    TimeLimit = -1;  // long gone
    IterationStartTime = TimerSeconds();
    Search(2);
    EXPECT_FALSE(StopSearch);
    MaxDepth = NoDepthLimit;
    EXPECT_EQ(Search(2), 0);
    EXPECT_TRUE(StopSearch);
    StopSearch = false;
    IterationDepth = 3;  // the first three iterations always finish
    Search(1);
    EXPECT_FALSE(StopSearch);
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

TEST(SortMoves, SameOrderAsTheProcedureOnAnyRange) {
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
        ReferenceSort(ids, a, lo, hi);
        SortMoves(list, b.data(), lo, hi);
        for (int i = lo; i <= hi; ++i)
            ASSERT_EQ(list.Move[i].From, ids[i]) << "trial " << trial << " at " << i;
        EXPECT_EQ(a, b);
    }
}

TEST_F(NodeTest, OrderingPrincipalLineCapturesKillersHistory) {
    Prepare("4k3/8/8/3p4/4P3/8/8/R3K2N w - - 0 1", 1);
    auto move = [](const char* text) {
        MoveRec m{};
        EXPECT_TRUE(FindMoveFromText(text, m)) << text;
        return m;
    };
    auto order = [] {
        MoveList list;
        GenerateMoves(list);
        OrderMoves(list, list.Count);
        std::string s;
        for (int i = 0; i < 4; ++i) s += MoveToText(list.Move[i]) + " ";
        return s;
    };
    PVTable[1][1] = move("a1a7");
    KillerMove1[1] = move("h1g3");
    KillerMove2[1] = move("h1f2");
    HistoryTable[move("h1f2").From][move("h1f2").To] = 600;  // beats the first killer by history
    FollowPV = true;
    // The previous line's move, the capture, then -10000 + 600 + 500 before -10000 + 1000.
    EXPECT_EQ(order(), "a1a7 e4d5 h1f2 h1g3 ");
    EXPECT_TRUE(FollowPV);
    PVTable[1][1] = MoveRec{};  // no such move here: the line is left
    EXPECT_EQ(order().substr(0, 5), "e4d5 ");
    EXPECT_FALSE(FollowPV);
}

}  // namespace
