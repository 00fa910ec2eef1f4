// SPDX-License-Identifier: GPL-3.0-or-later
// The strong search as the game runs it through the face: mates it must find, what it leaves behind on the
// board and in the game codes, the game's repetitions, and an endless search without moves.
#include <atomic>
#include <chrono>
#include <thread>

#include "tests/search/SearchTestUtil.h"

namespace {

class StrongTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        Use(SearchKind::Strong);
    }
};

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
