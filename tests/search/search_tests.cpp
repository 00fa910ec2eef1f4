// The search below the root: mate and draw scores, the capture search, extensions and move ordering.
#include <cstring>

#include "tests/search/SearchTestUtil.h"

namespace {

class NodeTest : public EngineTest {
  protected:
    // The state Think leaves before its first iteration, without searching the root.
    static void Prepare(const std::string& fen) {
        Position(fen);
        FixedDepth(10);
        PrepareEvaluation();
        for (auto& row : PVTable)
            for (auto& m : row) m = MoveRec{};
        for (int p = 0; p < SearchPlies; ++p) {
            KillerMove1[p] = KillerMove2[p] = MoveRec{};
            KillerScore[p] = -ScoreInfinity;
        }
        std::memset(HistoryTable, 0, sizeof HistoryTable);
        FollowPV = false;
        StopSearch = false;
        IterationDepth = 1;
        NodeCount = 0;
    }
};

TEST_F(NodeTest, MatedSideScoresPlyMinusInfinity) {
    Prepare("R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1");  // back-rank mate delivered
    Ply = 3;
    EXPECT_EQ(AlphaBeta(-ScoreInfinity, ScoreInfinity, 2), 3 - ScoreInfinity);
    Ply = 1;
    EXPECT_EQ(AlphaBeta(-ScoreInfinity, ScoreInfinity, 1), 1 - ScoreInfinity);
}

TEST_F(NodeTest, StalemateAndFiftyMovesScoreTheDrawValue) {
    for (int draw : {0, -25, 40}) {
        DrawScore = static_cast<int16_t>(draw);
        Prepare("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");  // stalemate, a queen down
        Ply = 2;
        EXPECT_EQ(AlphaBeta(-ScoreInfinity, ScoreInfinity, 3), draw);

        Prepare("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");  // a rook up, but the clock has run out
        HalfmoveClock = 101;
        Ply = 2;
        EXPECT_EQ(AlphaBeta(-ScoreInfinity, ScoreInfinity, 2), draw);
        HalfmoveClock = 98;  // the leaves stay at 100 or below
        EXPECT_GT(AlphaBeta(-ScoreInfinity, ScoreInfinity, 2), 400);
    }
}

TEST_F(NodeTest, StandPatAboveBetaIsReturnedAsItIs) {
    Prepare("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    Ply = 2;
    EXPECT_EQ(Quiesce(-ScoreInfinity, 100, QuiesceDepth), 540);
    EXPECT_EQ(NodeCount, 0);
    // Below beta and no captures: alpha as raised by the stand-pat value.
    EXPECT_EQ(Quiesce(-ScoreInfinity, 1000, QuiesceDepth), 540);
    EXPECT_EQ(Quiesce(600, 1000, QuiesceDepth), 600);
    EXPECT_EQ(Quiesce(-ScoreInfinity, 100, 0), 540);  // no capture plies left: the evaluation
}

TEST_F(NodeTest, CaptureSearchResolvesExchanges) {
    // Rook takes a pawn defended by a pawn: the capture search sees the recapture.
    Prepare("4k3/2p5/3p4/8/8/8/8/3RK3 w - - 0 1");
    Ply = 2;
    const int32_t standPat = Evaluate();
    EXPECT_EQ(Quiesce(-ScoreInfinity, ScoreInfinity, QuiesceDepth), standPat);
    EXPECT_GT(NodeCount, 0);
    EXPECT_EQ(QuiescenceNodes, NodeCount);
}

TEST_F(NodeTest, CheckExtensionStopsAtPly31) {
    const char* fen = "4k3/8/8/8/8/8/3q4/4K3 w - - 0 1";  // White in check, one capture and king moves
    Prepare(fen);
    Ply = 30;
    AlphaBeta(-ScoreInfinity, ScoreInfinity, 1);
    const int32_t extended = NodeCount;
    Prepare(fen);
    Ply = 31;
    AlphaBeta(-ScoreInfinity, ScoreInfinity, 1);
    const int32_t plain = NodeCount;
    EXPECT_GT(extended, plain);
    Prepare(fen);
    Ply = 31;
    AlphaBeta(-ScoreInfinity, ScoreInfinity, 2);
    EXPECT_EQ(NodeCount, extended);  // one more ply of depth is exactly what the extension gave
}

TEST_F(NodeTest, FixedDepthIsNeverInterruptedByTime) {
    Prepare("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    IterationDepth = 5;
    TimeLimit = -1;  // long gone
    IterationStartTime = TimerSeconds();
    Ply = 2;
    AlphaBeta(-ScoreInfinity, ScoreInfinity, 2);
    EXPECT_FALSE(StopSearch);
    MaxDepth = NoDepthLimit;
    EXPECT_EQ(AlphaBeta(-ScoreInfinity, ScoreInfinity, 2), 0);
    EXPECT_TRUE(StopSearch);
    StopSearch = false;
    IterationDepth = 3;  // the first three iterations always finish
    AlphaBeta(-ScoreInfinity, ScoreInfinity, 1);
    EXPECT_FALSE(StopSearch);
}

// The quicksort's own order for ties: what decides between equally scored moves.
TEST(SortMoves, DescendingWithTiesWhereTheMiddlePivotPutsThem) {
    const struct {
        std::vector<int32_t> scores;
        std::vector<int> order;  // original indexes, best first
    } cases[] = {
        {{5, 5}, {1, 0}},
        {{5, 5, 5}, {2, 1, 0}},
        {{5, 5, 5, 5}, {2, 3, 0, 1}},
        {{1, 3, 2}, {1, 2, 0}},
        {{7}, {0}},
        {{3, 1, 3, 1, 3}, {2, 4, 0, 3, 1}},
    };
    for (const auto& c : cases) {
        MoveList list;
        std::vector<int32_t> scores = c.scores;
        list.Count = static_cast<int>(scores.size());
        for (int i = 0; i < list.Count; ++i) list.Move[i].From = static_cast<uint8_t>(i);
        SortMoves(list, scores.data(), 0, list.Count - 1);
        std::vector<int> order;
        for (int i = 0; i < list.Count; ++i) order.push_back(list.Move[i].From);
        EXPECT_EQ(order, c.order);
        for (int i = 0; i < list.Count; ++i) EXPECT_EQ(scores[i], c.scores[order[i]]);
    }
    // Any length: descending, and the scores travel with their moves.
    uint32_t x = 12345;
    for (int n = 1; n < 60; ++n) {
        MoveList list;
        list.Count = n;
        std::vector<int32_t> scores(n), original(n);
        for (int i = 0; i < n; ++i) {
            x = x * 1103515245u + 12345u;
            scores[i] = original[i] = static_cast<int32_t>(x >> 28) - 8;
            list.Move[i].From = static_cast<uint8_t>(i);
        }
        SortMoves(list, scores.data(), 0, n - 1);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(scores[i], original[list.Move[i].From]);
            if (i > 0) {
                EXPECT_GE(scores[i - 1], scores[i]);
            }
        }
    }
}

// The procedure as written: middle pivot rounded half to even, upper part first.
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
    Prepare("4k3/8/8/3p4/4P3/8/8/R3K2N w - - 0 1");
    Ply = 1;
    MoveRec exd5{}, a1a7{}, h1g3{}, h1f2{};
    for (auto [text, rec] : {std::pair{"e4d5", &exd5}, {"a1a7", &a1a7}, {"h1g3", &h1g3}, {"h1f2", &h1f2}}) {
        MoveRec found;
        ASSERT_TRUE(FindMoveFromText(text, found));
        *rec = found;
    }
    PVTable[1][1] = a1a7;
    KillerMove1[1] = h1g3;
    KillerMove2[1] = h1f2;
    HistoryTable[h1f2.From][h1f2.To] = 600;  // beats the first killer by history
    FollowPV = true;
    MoveList list;
    GenerateMoves(list);
    OrderMoves(list, list.Count);
    EXPECT_TRUE(FollowPV);
    EXPECT_EQ(MoveToText(list.Move[0]), "a1a7");  // the previous line's move first
    EXPECT_EQ(MoveToText(list.Move[1]), "e4d5");  // the capture next
    EXPECT_EQ(MoveToText(list.Move[2]), "h1f2");  // -10000 + 600 + 500
    EXPECT_EQ(MoveToText(list.Move[3]), "h1g3");  // -10000 + 1000

    PVTable[1][1] = MoveRec{};  // no such move here: the line is left
    GenerateMoves(list);
    OrderMoves(list, list.Count);
    EXPECT_FALSE(FollowPV);
    EXPECT_EQ(MoveToText(list.Move[0]), "e4d5");
}

}  // namespace
