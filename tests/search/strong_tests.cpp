// SPDX-License-Identifier: GPL-3.0-or-later
// The strong search: its position keys against the design's text keys, its hash table, mates it must
// find, and what it leaves behind on the board and in the game codes.
#include <atomic>
#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "search/StrongSearch.h"
#include "tests/search/SearchTestUtil.h"

namespace {

class StrongTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        ChosenSearch = SearchKind::Strong;
        ClearHash();
    }
    void TearDown() override {
        ChosenSearch = SearchKind::Design;
        EngineTest::TearDown();
    }
};

// Over random games: the key kept up to date move by move is the key worked out from scratch, the text
// key gives the same, and two positions share a key exactly when they share a text key.
TEST_F(StrongTest, KeysFollowMovesAndAgreeWithTextKeys) {
    std::mt19937 rng(7);
    std::map<std::string, uint64_t> byText;
    std::map<uint64_t, std::string> byKey;
    for (const char* fen : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                            "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"}) {
        for (int game = 0; game < 40; ++game) {
            Position(fen);
            for (int ply = 0; ply < 80; ++ply) {
                const std::vector<MoveRec> legal = LegalMoves();
                if (legal.empty()) break;
                const uint64_t before = PositionHash();
                const int ep = GhostSquare(), rights = CastleRights();
                MoveRec m = legal[rng() % legal.size()];
                const int piece = Board[m.From];
                const uint64_t moved = MovedPiecesHash(m);
                MakeGameMove(m);
                const int epAfter = EnPassantSquareAfter(m, piece);
                const uint64_t updated = before ^ moved ^ kHashKeys.BlackToMove ^ kHashKeys.EnPassant[ep] ^
                                         kHashKeys.Castle[rights] ^ kHashKeys.EnPassant[epAfter] ^
                                         kHashKeys.Castle[CastleRights()];
                const uint64_t key = PositionHash();
                const std::string text = PositionKey();
                ASSERT_EQ(updated, key) << text << " after " << MoveToText(m);
                ASSERT_EQ(HashOfPositionKey(text), key) << text;
                const auto t = byText.emplace(text, key);
                const auto k = byKey.emplace(key, text);
                ASSERT_EQ(t.first->second, key) << text;
                ASSERT_EQ(k.first->second, text);
            }
        }
    }
    EXPECT_GT(byText.size(), 5000u);
    EXPECT_EQ(HashOfPositionKey("not a key"), 0u);
}

TEST(TransTableTest, StoreProbeReplaceAndMateScores) {
    TransTable t;
    ASSERT_TRUE(t.Resize(1));
    // A mate found 7 plies below a node at ply 5 is 2 plies below the same position met at ply 10.
    const int32_t mateAtPly12 = ScoreInfinity - 12;
    t.Store(0x1234, 0x0455, ScoreToTable(mateAtPly12, 5), 9, Bound::Exact);
    const TTEntry* e = t.Probe(0x1234);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Move, 0x0455);
    EXPECT_EQ(e->Depth, 9);
    EXPECT_EQ(e->BoundOf(), Bound::Exact);
    EXPECT_EQ(ScoreFromTable(e->Score, 5), mateAtPly12);
    EXPECT_EQ(ScoreFromTable(e->Score, 10), ScoreInfinity - 17);
    EXPECT_EQ(ScoreFromTable(ScoreToTable(-mateAtPly12, 3), 3), -mateAtPly12);
    EXPECT_EQ(ScoreFromTable(ScoreToTable(250, 40), 2), 250);  // plain scores are where they are

    // A shallower bound for the same position does not replace the deeper result; no move keeps the move.
    t.Store(0x1234, 0, 10, 2, Bound::Upper);
    EXPECT_EQ(t.Probe(0x1234)->Depth, 9);
    t.Store(0x1234, 0, 10, 8, Bound::Lower);
    EXPECT_EQ(t.Probe(0x1234)->Move, 0x0455);
    EXPECT_EQ(t.Probe(0x1234)->BoundOf(), Bound::Lower);

    // Keys sharing a bucket (the same high bits) never answer for each other, and a full table still
    // answers every probe with the right entry or none.
    const uint64_t high = 0xABCD000000000000ull;
    for (uint64_t i = 1; i <= 12; ++i)
        t.Store(high | i, static_cast<uint16_t>(i), static_cast<int32_t>(i), 1, Bound::Exact);
    int found = 0;
    for (uint64_t i = 1; i <= 12; ++i)
        if (const TTEntry* x = t.Probe(high | i); x != nullptr) {
            EXPECT_EQ(x->Score, static_cast<int32_t>(i));
            ++found;
        }
    EXPECT_EQ(found, 4);  // one bucket holds four
    EXPECT_EQ(t.Probe(high | 99), nullptr);
    std::mt19937_64 rng(3);
    for (int i = 0; i < 200000; ++i) {
        const uint64_t k = rng();
        t.Store(k, 1, static_cast<int32_t>(k & 0xFFFF), 3, Bound::Lower);
    }
    rng.seed(3);
    for (int i = 0; i < 200000; ++i) {
        const uint64_t k = rng();
        if (const TTEntry* x = t.Probe(k); x != nullptr) {
            ASSERT_EQ(x->Score, static_cast<int32_t>(k & 0xFFFF));
        }
    }
    EXPECT_GT(t.HashFull(), 900);
    t.Clear();
    EXPECT_EQ(t.Probe(high | 1), nullptr);
    EXPECT_EQ(t.HashFull(), 0);
}

TEST_F(StrongTest, FindsMatesAtFixedDepth) {
    const struct {
        const char* fen;
        const char* move;  // empty where more than one move mates as fast
        int depth, mateIn;
    } cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "d1d8", 2, 1},
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", "h5f7", 3, 1},
        {"r1b2k1r/ppp1bppp/8/1B1Q4/5q2/2P5/PPP2PPP/R3R1K1 w - - 1 1", "d5d8", 4, 2},
        {"6k1/pp4p1/2p5/2bp4/8/P5Pb/1P3rrP/2BRRN1K b - - 0 1", "g2g1", 4, 2},
        {"7k/8/8/6K1/8/8/8/R7 w - - 0 1", "", 4, 2},
        {"k7/8/4K3/8/8/8/8/7R w - - 0 1", "", 14, 5},  // a mate in 5 to 7 here: never faster than 5
    };
    for (const auto& c : cases) {
        Position(c.fen);
        ClearHash();
        const MoveRec m = RunThink(c.depth);
        if (*c.move) {
            EXPECT_EQ(MoveToText(m), c.move) << c.fen;
        }
        if (c.mateIn < 5) {
            EXPECT_EQ(Result.Score, ScoreInfinity - 2 * c.mateIn) << c.fen;
        } else {
            EXPECT_LE(Result.Score, ScoreInfinity - 2 * c.mateIn) << c.fen;
            EXPECT_GE(Result.Score, ScoreInfinity - 2 * (c.mateIn + 2)) << c.fen;
        }
    }
}

// The search gives the board back as it found it, the square behind a double step included, and the
// game codes say what the design's say: mate given, mated, stalemated, a third repetition claimed.
TEST_F(StrongTest, LeavesTheBoardAndJudgesTheGame) {
    Position("rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 3");
    const std::string key = PositionKey();
    RunThink(6);
    EXPECT_EQ(PositionKey(), key);
    EXPECT_EQ(Result.Verdict, ResultNone);

    const struct {
        const char* fen;
        int32_t result;
        bool move;
    } cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", ResultWhiteWins, true},
        {"6k1/5ppp/8/8/8/8/5PPP/3r2K1 w - - 0 1", ResultBlackWins, false},  // mated already
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", ResultDraw, false},              // stalemated
    };
    for (const auto& c : cases) {
        Position(c.fen);
        const MoveRec m = RunThink(4);
        EXPECT_EQ(Result.Verdict, c.result) << c.fen;
        EXPECT_EQ(m.From != 0, c.move) << c.fen;
    }
}

// A position the game has seen is a draw to the search: up a queen it avoids the repetition; down a
// queen it makes it, and claims the third one.
TEST_F(StrongTest, RepetitionsOfTheGameCountAsDraws) {
    auto play = [](int plies) {
        const char* shuffle[] = {"g1f1", "h8g8", "f1g1", "g8h8"};
        Position("7k/8/8/8/8/8/q7/6K1 w - - 0 1");
        RepetitionTable.clear();
        ++RepetitionTable[PositionKey()];
        for (int i = 0; i < plies; ++i) {
            MoveRec m;
            ASSERT_TRUE(FindMoveFromText(shuffle[i % 4], m));
            MakeGameMove(m);
            RecordMove(m);
            ++RepetitionTable[PositionKey()];
        }
    };
    play(7);  // Black to move: Kh8 would bring the start position back a third time
    EXPECT_NE(MoveToText(RunThink(6)), "g8h8");
    EXPECT_EQ(Result.Verdict, ResultNone);
    play(10);  // White to move: Kg1 makes a position the third time
    EXPECT_EQ(MoveToText(RunThink(6)), "f1g1");
    EXPECT_EQ(Result.Verdict, ResultRepetition);
}

// An endless search of a position without moves holds until it is stopped, as any analysis does: ended
// at once, the analysis would start again and again.
TEST_F(StrongTest, EndlessSearchWithoutMovesWaitsForTheStop) {
    Position("R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1");
    SearchRequest analysis;
    analysis.Endless = true;
    StopRequested.store(false);
    std::atomic<bool> done{false};
    ThinkingOutput thinking(Face, false, {});
    std::thread search([&] {
        Result = Search(analysis, thinking);
        done.store(true);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(done.load());
    RequestSearchStop();
    search.join();
    EXPECT_EQ(Result.Move.From, 0);
    EXPECT_EQ(Result.Verdict, ResultWhiteWins);
}

}  // namespace

namespace {
// The strong search's time per move: never more than the clock can pay after its reserve, a fixed time
// per move never overrun, no clock read at a fixed depth or in analysis.
TEST(StrongTime, LimitsFitTheClock) {
    const struct {
        int32_t moves;
        double base, inc;
        float left;
        int depth;
        bool endless, timed;
    } cases[] = {
        {0, 30, 0.3, 30, 0, false, true},   {0, 30, 0.3, 2.5, 0, false, true},
        {0, 5, 0.05, 0.16, 0, false, true}, {0, 60, 0, 0.02, 0, false, true},
        {40, 300, 0, 120, 0, false, true},  {2, 1, 0, 1, 0, false, true},
        {1, 2.5, 0, 2.5, 0, false, true},   {1, 0.05, 0, 0.05, 0, false, true},
        {0, 0, 0, 0, 6, false, false},      {0, 30, 0.3, 30, 0, true, false},
    };
    for (const auto& c : cases) {
        SetClock(c.depth, Clock{c.moves, c.base, c.inc, c.left});
        const MoveTimes t = StrongMoveTimes(c.endless);
        SCOPED_TRACE(testing::Message() << c.moves << " " << c.base << " " << c.inc << " " << c.left);
        EXPECT_EQ(t.Timed, c.timed);
        if (!t.Timed) continue;
        EXPECT_GT(t.Soft, 0);
        EXPECT_LE(t.Soft, t.Hard);
        if (c.moves == 1) {
            EXPECT_LT(t.Hard, c.base);  // st: the whole time, less what the reply needs
            EXPECT_GT(t.Hard, c.base * 0.9 - 0.03);
        } else {
            EXPECT_LE(t.Hard, std::max(c.left * 0.5 - 0.04, 0.005));
        }
    }
    SetClock(0);
}
}  // namespace
