// Evaluation, its tables and the settings numbers.
#include "tests/search/SearchTestUtil.h"

namespace {

class EvalTest : public EngineTest {
  protected:
    // Evaluate as the capture search sees it at the root of a search of this position.
    static int32_t EvalOf(const std::string& fen) {
        Position(fen);
        PrepareEvaluation();
        return Evaluate();
    }
};

TEST(SettingNumber, LeadingNumberRoundedHalfToEvenWithin16Bits) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"100", 100},     {"120abc", 120},    {"abc", 0},   {"", 0},     {"99.5", 100},    {"100.5", 100},
        {"-5", -5},       {" 1 2", 12},       {"1e2", 100}, {"1d1", 10}, {"2.5e", 2},      {"-0.5", 0},
        {"40000", 32767}, {"-40000", -32768}, {"+7", 7},    {".6", 1},   {"1e999", 32767},
    };
    for (const auto& c : cases) EXPECT_EQ(SettingNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST_F(EvalTest, DefaultsWithoutSettingsFile) {
    EXPECT_EQ(PawnValue, 100);
    EXPECT_EQ(KnightValue, 313);
    EXPECT_EQ(BishopValue, 330);
    EXPECT_EQ(RookValue, 520);
    EXPECT_EQ(QueenValue, 900);
    EXPECT_EQ(PieceValue[WhiteGhost], 100);
    EXPECT_EQ(PieceValue[BlackKing], 5000);
    EXPECT_EQ(PieceValue[EmptySquare], 0);
}

TEST_F(EvalTest, BlackTablesMirrorWhiteRankForRank) {
    const std::pair<const int16_t*, const int16_t*> pairs[] = {
        {WhitePawnTable, BlackPawnTable},     {WhiteKingTable, BlackKingTable},
        {WhiteKnightTable, BlackKnightTable}, {WhiteBishopTable, BlackBishopTable},
        {WhiteRookTable, BlackRookTable},     {KingEndgameTable, KingEndgameTable},
    };
    for (const auto& [white, black] : pairs)
        for (int rank = 1; rank <= 8; ++rank)
            for (int file = 1; file <= 8; ++file)
                EXPECT_EQ(black[10 * (rank + 1) + file], white[10 * (10 - rank) + file]) << rank << file;
    EXPECT_EQ(BlackPawnTable[84], -4);
    EXPECT_EQ(WhitePawnTable[34], -4);
    EXPECT_EQ(WhiteKingTable[22], 10);    // b1
    EXPECT_EQ(WhiteBishopTable[53], 10);  // c4
    EXPECT_EQ(WhiteRookTable[83], 6);     // c7
    for (int sq : {0, 10, 20, 29, 30, 99, 100, 119}) EXPECT_EQ(WhiteKnightTable[sq], 0) << sq;
}

TEST_F(EvalTest, StartPositionIsLevelForEitherSide) {
    EXPECT_EQ(EvalOf("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 0);
    EXPECT_EQ(EvalOf("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"), 0);
    EXPECT_TRUE(Middlegame);
}

TEST_F(EvalTest, AfterKingsPawnTwoTermsChange) {
    // e-pawn 8 instead of -4, and the e1 king loses the pawn in front of it: 12 - 8, seen from Black.
    EXPECT_EQ(EvalOf("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"), -4);
}

// Endgames with bare kings on e1/e8 (endgame table 0 there) isolate the pawn and rook terms.
TEST_F(EvalTest, PawnAndRookTermsOnHandCheckedEndgames) {
    const struct {
        const char* fen;
        int32_t score;
    } cases[] = {
        // a7 pawn, kings a8/h1 (-5 each way): 100 + 15 - 20 - 10 + 6 + 30 + 45, no +20 (isolated).
        {"k7/P7/8/8/8/8/8/7K w - - 0 1", 166},
        {"4k3/8/8/8/8/8/P7/4K3 w - - 0 1", 106},  // a2: 100 - 30 + 6 + 30
        // a2 and a3 each pay 8 for the doubled file; a3 adds 3 + 9 from its endgame table value.
        {"4k3/8/8/8/8/P7/P7/4K3 w - - 0 1", 98 + 110},
        {"4k3/8/8/8/P7/P7/P7/4K3 w - - 0 1", (100 - 30 - 16 + 6 + 30) * 3 + 3 + 9 + 6 + 18},
        // Connected passers: not isolated, so +20 each and no isolation penalty.
        {"4k3/8/8/8/8/8/PP6/4K3 w - - 0 1", 2 * (100 + 6 + 30 + 20)},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 540},                // open file +20
        {"4k3/p7/8/8/8/8/8/R3K3 w - - 0 1", 530 - 106},         // half-open +10; black passer -106
        {"4k3/8/8/8/8/8/P7/R3K3 w - - 0 1", 520 + 106},         // own pawn: nothing for the rook
        {"4k3/R7/8/8/8/8/8/4K3 w - - 0 1", 520 + 8 + 10 + 20},  // seventh rank
        {"4k3/8/8/8/8/8/8/R3K3 b - - 0 1", -540},
    };
    for (const auto& c : cases) EXPECT_EQ(EvalOf(c.fen), c.score) << c.fen;
    EXPECT_FALSE(Middlegame);
}

TEST_F(EvalTest, BlockedCentrePawnAndEarlyQueen) {
    const int32_t base = EvalOf("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    // A knight on d3 blocks the d2 pawn (-6) and gains 5 - (-10) on its table.
    Position("rnbqkbnr/pppppppp/8/8/8/3N4/PPPPPPPP/R1BQKBNR w KQkq - 0 1");
    PrepareEvaluation();
    EXPECT_EQ(Evaluate() - base, -6 + 15);
    // SetBoard touches every square, so only a fresh game shows the queen term: queen to h5 with g1 at home.
    ResetGame();
    BookLoaded = false;
    for (const char* m : {"e2e4", "e7e5", "d1h5"}) {
        MoveRec r;
        ASSERT_TRUE(FindMoveFromText(m, r));
        MakeGameMove(r);
        RecordMove(r);
    }
    PrepareEvaluation();
    const int32_t withQueenOut = Evaluate();  // Black to move
    // With the minor pieces' squares touched the queen term goes: White's score rises by 2 (Black to move).
    EXPECT_EQ(TouchCount[27], 0);
    TouchCount[22] = TouchCount[23] = TouchCount[26] = TouchCount[27] = 1;
    EXPECT_EQ(Evaluate() - withQueenOut, -2);
}

TEST_F(EvalTest, CastlingBonusOnlyInTheMiddlegame) {
    const int32_t base = EvalOf("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    WhiteCastled = 1;
    EXPECT_EQ(Evaluate() - base, 17);
    WhiteCastled = 2;
    EXPECT_EQ(Evaluate() - base, 15);
    WhiteCastled = 0;
    BlackCastled = 3;
    EXPECT_EQ(Evaluate() - base, -17);
    BlackCastled = 4;
    EXPECT_EQ(Evaluate() - base, -15);
    BlackCastled = 0;

    const int32_t endgame = EvalOf("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    WhiteCastled = 1;
    BlackCastled = 3;
    EXPECT_EQ(Evaluate(), endgame);
    WhiteCastled = BlackCastled = 0;
}

TEST_F(EvalTest, PhaseThresholdUsesFixedPieceValues) {
    // Two queens (1800) are a middlegame; queen and rook (1420) an endgame, whatever the settings say.
    EvalOf("3qk3/8/8/8/8/8/8/3QK3 w - - 0 1");
    EXPECT_TRUE(Middlegame);
    EvalOf("3qk3/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_FALSE(Middlegame);
    const int16_t saved = QueenValue;
    QueenValue = 2000;
    const int32_t before = EvalOf("3qk3/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_FALSE(Middlegame);
    QueenValue = saved;
    EXPECT_EQ(EvalOf("3qk3/8/8/8/8/8/8/R3K3 w - - 0 1") - before, 1100);
    EXPECT_EQ(PieceValue[BlackQueen], 900);
}

TEST_F(EvalTest, CapturedSlotsCountForNothing) {
    Position("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    PrepareEvaluation();
    const int32_t before = Evaluate();
    ++PieceCount;  // a slot holding square 0, as a captured piece leaves it during a search
    PieceList[PieceCount] = 0;
    EXPECT_EQ(Evaluate(), before);
    --PieceCount;
}

}  // namespace
