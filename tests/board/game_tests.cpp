// SPDX-License-Identifier: GPL-3.0-or-later
// Game moves, take-back, repetition counts and the book line.
#include "tests/BoardTestUtil.h"

namespace {

TEST(GameRecord, RepetitionCountsAndTheirTakeBack) {
    FreshGame();
    const std::string start = PositionKey();
    Play("g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8");
    EXPECT_EQ(RepetitionTable[start], 2);  // the first occurrence, before any move, is never counted
    Play("g1f3");
    EXPECT_EQ(RepetitionTable[PositionKey()], 3);
    TakeBack(2);
    EXPECT_EQ(RepetitionTable[PositionKey()], 2);
}

TEST(GameRecord, TakeBackRestoresPositionBookLineAndResult) {
    InitBoardTables();
    BookLoaded = true;
    ResetGame();
    const std::string start = PositionKey();
    Play("e2e4 e7e5");
    EXPECT_EQ(BookLine, " e2e4e7e5");
    GameResult = ResultRepetition;
    TakeBack(2);
    EXPECT_EQ(PositionKey(), start);
    EXPECT_EQ(BookLine, " ");
    EXPECT_EQ(BookPly, 0);
    EXPECT_EQ(GameResult, ResultNone);
    EXPECT_TRUE(RepetitionTable.empty());
    TakeBack(2);  // nothing recorded: nothing happens
    EXPECT_EQ(PositionKey(), start);
    // Out of book after a set-up position with a short book line: nothing to drop, nothing fails. No
    // take-back reaches across the set-up to the moves before it.
    Play("e2e4 e7e5 g1f3");
    TakeBack(2);
    ASSERT_TRUE(SetBoard("4k3/8/8/8/8/8/8/4K2R w K - 0 1"));
    Play("e1g1 e8d7");
    TakeBack(2);
    EXPECT_EQ(BookLine, " e2e4");
    for (int i = 0; i < 2; ++i, TakeBack(2)) EXPECT_EQ(PositionKey(), "4k3/8/8/8/8/8/8/4K2R w K -");
    BookLoaded = false;
}

TEST(GameRecord, TakeBackRestoresEnPassantAndFiftyMoveCount) {
    SetPosition("4k3/8/8/8/3p4/8/4P3/R3K3 w - - 0 1");
    HalfmoveClock = 17;
    Play("a1a2 e8d8 e2e4");
    const std::string afterDoubleStep = PositionKey();
    EXPECT_EQ(afterDoubleStep, "3k4/8/8/8/3pP3/8/R7/4K3 b - e3");
    Play("d8c8 e1d1");
    TakeBack(2);
    EXPECT_EQ(PositionKey(), afterDoubleStep);
    Play("d4e3");  // still possible after the take-back
    TakeBack(2);
    EXPECT_EQ(PositionKey(), "3k4/8/8/8/3p4/8/R3P3/4K3 w - -");
    EXPECT_EQ(HalfmoveClock, 19);
}

// Each kind of game move: the position after it, the fifty-move count (a capture or a pawn move starts it
// again), and the take-back.
TEST(GameRecord, GameMovesOfEveryKindAndTheirTakeBack) {
    const struct {
        const char *fen, *move, *key;
        int halfmove;
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq -", 8},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", "2kr3r/8/8/8/8/8/8/R3K2R w KQ -", 8},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "4k3/8/3P4/8/8/8/8/4K3 b - -", 0},
        {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a2a1r", "4k3/8/8/8/8/8/8/r3K3 w - -", 0},
        {"4k3/p7/8/8/8/8/8/4K3 b - - 0 1", "a7a5", "4k3/8/8/p7/8/8/8/4K3 w - a6", 0},
        {"4k3/8/8/8/8/8/p7/R3K3 w - - 0 1", "a1a2", "4k3/8/8/8/8/8/R7/4K3 b - -", 0},
    };
    for (const auto& c : cases) {
        SetPosition(c.fen);
        HalfmoveClock = 7;
        Play(c.move);
        EXPECT_EQ(PositionKey(), c.key) << c.move;
        EXPECT_EQ(HalfmoveClock, c.halfmove) << c.move;
        TakeBack(1);
        EXPECT_EQ(PositionKey() + " 0 1", c.fen) << c.move;
    }
}

}  // namespace
