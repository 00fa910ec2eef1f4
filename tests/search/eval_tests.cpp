// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluation: hand-checked scores, the phase, and the settings numbers.
#include "eval/Tracking.h"
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
    const std::pair<const char*, int> cases[] = {
        {"100", 100},     {"120abc", 120},    {"abc", 0},   {"", 0},     {"99.5", 100},    {"100.5", 100},
        {"-5", -5},       {" 1 2", 12},       {"1e2", 100}, {"1d1", 10}, {"2.5e", 2},      {"-0.5", 0},
        {"40000", 32767}, {"-40000", -32768}, {"+7", 7},    {".6", 1},   {"1e999", 32767},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(SettingNumber(text), value) << '"' << text << '"';
}

// Endgames with bare kings on e1/e8 (endgame table 0 there) isolate the pawn and rook terms.
TEST_F(EvalTest, HandCheckedScores) {
    const struct {
        const char* fen;
        int32_t score;
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0},  // Black's tables mirror White's
        // e-pawn 8 instead of -4, and the e1 king loses the pawn in front of it: 12 - 8, seen from Black.
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", -4},
        // A knight on d3 blocks the d2 pawn (-6) and gains 5 - (-10) on its table.
        {"rnbqkbnr/pppppppp/8/8/8/3N4/PPPPPPPP/R1BQKBNR w KQkq - 0 1", -6 + 15},
        // a7 pawn, kings a8/h1 (-5 each way): 100 + 15 - 20 - 10 + 6 + 30 + 45, no +20 (isolated).
        {"k7/P7/8/8/8/8/8/7K w - - 0 1", 166},
        {"4k3/8/8/8/8/8/P7/4K3 w - - 0 1", 106},  // a2: 100 - 30 + 6 + 30
        // a2 and a3 each pay 8 for the doubled file; a3 adds 3 + 9 from its endgame table value.
        {"4k3/8/8/8/8/P7/P7/4K3 w - - 0 1", 98 + 110},
        // Connected passers: not isolated, so +20 each and no isolation penalty.
        {"4k3/8/8/8/8/8/PP6/4K3 w - - 0 1", 2 * (100 + 6 + 30 + 20)},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 540},                // open file +20
        {"4k3/p7/8/8/8/8/8/R3K3 w - - 0 1", 530 - 106},         // half-open +10; black passer -106
        {"4k3/8/8/8/8/8/P7/R3K3 w - - 0 1", 520 + 106},         // own pawn: nothing for the rook
        {"4k3/R7/8/8/8/8/8/4K3 w - - 0 1", 520 + 8 + 10 + 20},  // seventh rank
    };
    for (const auto& c : cases) EXPECT_EQ(EvalOf(c.fen), c.score) << c.fen;
}

TEST_F(EvalTest, PhaseThresholdUsesFixedPieceValues) {
    // Two queens (1800) are a middlegame; queen and rook (1420) an endgame, whatever the settings say.
    EvalOf("3qk3/8/8/8/8/8/8/3QK3 w - - 0 1");
    EXPECT_TRUE(Middlegame);
    const int16_t saved = QueenValue;
    QueenValue = 2000;
    EvalOf("3qk3/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_FALSE(Middlegame);
    QueenValue = saved;
}

}  // namespace
