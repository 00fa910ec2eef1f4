// SPDX-License-Identifier: GPL-3.0-or-later
// The root: iterations, game-end codes, thinking lines and the time budget.
#include <algorithm>
#include <regex>

#include "tests/search/SearchTestUtil.h"

namespace {

class ThinkTest : public EngineTest {};

const char* Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// All thinking lines, each ended by a newline.
std::string Output(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& l : lines) all += l + "\n";
    return all;
}

// The board and the piece list (slot 0 is scratch), as a search must leave them.
std::string Snapshot() {
    return std::string(Board, Board + BoardSize) + std::string(PieceList + 1, PieceList + MaxPieces + 1);
}

// A root move back into a position seen before scores the draw value unsearched (its line is the move
// alone); it is claimed when the position has occurred twice, and only if it is the move played.
TEST_F(ThinkTest, GameEndsRepetitionsAndIterations) {
    const char* afterNf3 = "rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq - 1 1";
    const struct {
        const char* fen;
        int depth;
        const char* move;  // "" for none
        int32_t result;
        const char* shown;               // the end of the thinking lines
        const char* repeated = nullptr;  // a position seen before, how often, and the draw value
        int seen = 0, draw = 0;
    } cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 2, "d1d8", ResultWhiteWins, R"(\n4 99998 0 \d+ d1d8\n$)"},
        {"3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 2, "d8d1", ResultBlackWins, R"(\n4 99998 0 \d+ d8d1\n$)"},
        // Mate in two is not a mate at once: the game goes on.
        {"7k/8/5K2/8/8/8/8/1R6 w - - 0 1", 4, "f6g6", ResultNone, R"(\n6 99996 0 \d+ f6g6 h8g8 b1b8\n$)"},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 3, "", ResultDraw,
         "^\n3 -100000 0 0\n4 -100000 0 0\n5 -100000 0 0\n$"},
        {"R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 1, "", ResultWhiteWins, "^\n3 -100000 0 0\n$"},
        {"6k1/5ppp/8/8/8/8/5PPP/r5K1 w - - 0 1", 1, "", ResultBlackWins, "^\n3 -100000 0 0\n$"},
        // Kg1 and Kg2 are covered: one reply, one iteration (its best-move line and the iteration line).
        {"7k/8/8/8/8/4n3/8/r6K w - - 0 1", 5, "h1h2", ResultNone, R"(^\n(3 -?\d+ 0 \d+ h1h2.*\n){2}$)"},
        {Start, 2, "g1f3", ResultRepetition, R"(\n4 300 0 \d+ g1f3\n$)", afterNf3, 2, 300},
        {Start, 2, "g1f3", ResultNone, R"(\n4 300 0 \d+ g1f3\n$)", afterNf3, 1, 300},
        // Early iterations prefer the repetition (worth 5000 here); the fourth finds the mate in two.
        {"7k/8/5K2/8/8/8/8/1R6 w - - 0 1", 4, "f6g6", ResultNone,
         R"( 5000 0 \d+ b1b2\n[\s\S]*f6g6 h8g8 b1b8\n$)", "7k/8/5K2/8/8/8/1R6/8 b - - 0 1", 2, 5000},
    };
    for (const auto& c : cases) {
        Lines.clear();
        Position(c.repeated ? c.repeated : c.fen);
        RepetitionTable[PositionKey()] = c.seen;
        ASSERT_TRUE(SetBoard(c.fen));
        DrawScore = static_cast<int16_t>(c.draw);
        const MoveRec m = RunThink(c.depth);
        const std::string played = m.From == 0 ? "" : MoveToText(m);
        EXPECT_EQ(played, c.move) << c.fen;
        EXPECT_EQ(Result.Verdict, c.result) << c.fen;
        const std::string shown = "\n" + Output(Lines);
        EXPECT_TRUE(std::regex_search(shown, std::regex(c.shown))) << c.fen << shown;
    }
}

// The bench's node total holds a fixed-depth search to its tree; here, what it shows and what it leaves.
TEST_F(ThinkTest, FixedDepthIsExactAndLeavesTheBoardAsItFoundIt) {
    for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                            "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"}) {
        Lines.clear();
        Position(fen);
        const std::string before = Snapshot();
        const MoveRec m = RunThink(4);
        EXPECT_EQ(Snapshot(), before) << fen;
        // Iterations 1 to 4 shown as depths 3 to 6; the move played is that of the last line (whose time a
        // slow or busy machine may put past a second).
        EXPECT_EQ(Lines.front().substr(0, 2), "3 ");
        EXPECT_TRUE(std::regex_match(Lines.back(), std::regex("6 " + std::to_string(Result.Score) +
                                                              R"( \d+ \d+ )" + MoveToText(m) + ".*")));
        EXPECT_GT(QuiescenceNodes, 0);
    }
}

TEST_F(ThinkTest, ThinkingLineFormats) {
    const std::pair<int32_t, const char*> scores[] = {
        {125, "+1.25"}, {0, "+0.00"}, {-5, "-0.05"}, {-100000, "-1000.00"}};
    for (const auto& [score, text] : scores) EXPECT_EQ(ScoreText(score), text);

    const struct {
        ThinkingFace face;
        bool computer;
        const char* output;
    } cases[] = {
        {ThinkingFace::Protocol, false, R"((3 \d+ 0 \d+( \w{4})+\n)+)"},
        {ThinkingFace::English, false,
         R"((Depth 3 Score \+\d+\.\d\d Time 0 Sec\. Nodes \d+ Moves( \w{4})+\n)+)"},
        {ThinkingFace::Italian, false,
         R"((Prof\. 3 Valore \+\d+\.\d\d Tempo 0 Sec\. Nodi \d+ Mosse( \w{4})+\n)+)"},
        // Against a computer each iteration line is followed by its kibitz, repeating its score and line.
        {ThinkingFace::Protocol, true,
         R"([\s\S]*\n3 (\d)(\d\d) 0 \d+(( \w{4})+)\ntellics kibitz \+\1\.\2 \(3\):\3\n)"},
    };
    for (const auto& c : cases) {
        Lines.clear();
        Position("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
        Face = c.face;
        OpponentIsComputer = c.computer;
        RunThink(1);
        EXPECT_TRUE(std::regex_match(Output(Lines), std::regex(c.output))) << Output(Lines);
    }
    // The protocol writes a promotion's letter in the principal line; the window has always shown the
    // squares alone.
    const ThinkingReport promotion{5, -40, 2.9, 1234, {MoveRec{87, 97, EmptySquare, 0, WhiteKnight, 0, 0}}};
    EXPECT_EQ(ThinkingLine(ThinkingFace::Protocol, promotion), "5 -40 200 1234 g7g8n");
    EXPECT_EQ(ThinkingLine(ThinkingFace::English, promotion),
              "Depth 5 Score -0.40 Time 2 Sec. Nodes 1234 Moves g7g8");
    // The strong search's time goes to the interface to the hundredth; the window's stays in seconds.
    ThinkingReport strong = promotion;
    strong.Hundredths = true;
    EXPECT_EQ(ThinkingLine(ThinkingFace::Protocol, strong), "5 -40 290 1234 g7g8n");
    EXPECT_EQ(ThinkingLine(ThinkingFace::English, strong), ThinkingLine(ThinkingFace::English, promotion));
}

TEST_F(ThinkTest, BudgetTable) {
    const struct {
        Clock clock;  // moves, base, increment, left, opponent's, bank
        float budget;
        double bankAfter;
    } cases[] = {
        // st: the interface restarts the clock every move, which the move must not overrun: 2% or 30 ms
        // of it is kept back, whichever is more, and never more than there is.
        {{1, 5, 0, 0.5f, 5, 0}, 4.9f, 0},
        {{1, 1, 0, 1, 1, 0}, 0.97f, 0},
        {{1, 0, 0, 0, 0, 0}, 0.01f, 0},  // never below a hundredth of a second
        {{1, 2.5, 0, 2.5f, 2.5, 0}, 2.45f, 0},
        {{40, 300, 0, 300, 300, 0}, 6.5f, 0},  // level 40 5 0
        {{40, 30, 0, 30, 30, 0}, 0.375f, 0},   // level 40 0:30 0: half the share, not 0.75 - 1
        {{40, 0, 0, 0, 0, 0}, 0.01f, 0},
        {{40, 300, 0, 300, 300, 0.9}, 6.5f, 0.9},  // a bank below 1 is not touched
        {{40, 300, 0, 300, 300, 10}, 6.5f + 6.66f, 10 - 6.66},
        {{0, 0, 0, 600, 600, 0}, 20.0f, 0},           // incremental, level clocks
        {{0, 0, 0, 600, 700, 0}, 15.0f, 0},           // behind by more than a tenth: divisor 40
        {{0, 0, 0, 600, 640, 0}, 600.0f / 35, 0},     // behind by more than a twentieth: 35
        {{0, 0, 0, 1200, 2000, 0}, 40.0f, 0},         // 900 or more left: always 30
        {{0, 0, 2, 45, 45, 0}, 3.0f, 0},              // under a minute: increment + 1
        {{0, 0, 0.1, 10, 10, 0}, 1.1f, 0},            // level 0 0:10 0.1: the increment counts
        {{0, 0, 7, 1200, 1200, 0}, 40.0f + 3.5f, 0},  // half of an odd increment
        {{0, 0, 0, 8, 8, 0}, 1.0f, 0},
        {{0, 0, 0, 0, 0, 0}, 1.0f, 0},              // sd zeroed the clocks
        {{0, 0, 10, 90, 90, 0}, 3.0f + 10, 0},      // t = 3 <= 30: the whole increment
        {{0, 0, 10, 1200, 1200, 0}, 40.0f + 5, 0},  // t > 30 and inc > 5: half the increment
        {{0, 0, 0, 61, 61, 0}, 61.0f / 30, 0},      // nothing to add when the clock is that short
        // The clock cannot pay: cut to what it can, less a reserve for the trip of the reply.
        {{40, 300, 0, 3, 300, 0}, 3 - (0.15f + 0.05f * 3), 0},
        {{0, 0, 5, 0.8f, 30, 0}, 0.8f - (0.15f + 0.05f * 0.8f), 0},
        {{0, 0, 0, 0.1f, 30, 0}, 0.1f / 4, 0},
    };
    for (const auto& c : cases) {
        SetClock(NoDepthLimit, c.clock);
        EXPECT_NEAR(AllocateTime(), c.budget, 1e-4) << "case " << &c - cases;
        EXPECT_NEAR(TimeBank, c.bankAfter, 1e-9);
    }
    // Whatever the control, the increment and the bank, the reserve stays on the clock.
    for (int32_t moves : {0, 2, 40})
        for (double inc : {0.0, 0.1, 2.0, 30.0, 57.0})
            for (float left : {0.05f, 0.3f, 0.9f, 1.5f, 3.0f, 7.0f, 20.0f, 59.0f, 61.0f, 300.0f}) {
                SetClock(NoDepthLimit, {moves, 300, inc, left, 300, 50});
                EXPECT_LE(AllocateTime(), std::max(left - (0.15f + 0.05f * left), left / 4) + 1e-4f)
                    << moves << " " << inc << " " << left;
            }
}

TEST_F(ThinkTest, TimedSearches) {
    // Eight seconds left: a one-second budget and three iterations at most.
    Position("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    EXPECT_NE(RunThink(NoDepthLimit, {0, 0, 0, 8, 8, 0}).From, 0);
    EXPECT_EQ(Lines.back().substr(0, 2), "5 ");

    Lines.clear();
    Position(Start);
    const double start = TimerSeconds();
    const MoveRec m = RunThink(NoDepthLimit, {40, 80, 0, 80, 80, 0});  // 80 / 40 - 1: one second
    const double spent = TimerSeconds() - start;
    EXPECT_GT(spent, 0.5);  // two thirds of the budget pass before an iteration is left unstarted
    EXPECT_LT(spent, 1.3);
    EXPECT_GE(std::stoi(Lines.back()), 6);  // beyond the three iterations that always finish
    // The move played is that of an iteration line, not of an interrupted iteration.
    const std::string played = "(^|\n)\\d+ " + std::to_string(Result.Score) + " \\d+ \\d+ " + MoveToText(m);
    EXPECT_TRUE(std::regex_search(Output(Lines), std::regex(played))) << Output(Lines);
    // What the move did not spend of its budget went to the bank, never less than nothing.
    EXPECT_GE(Result.TimeBank, 0.0);
    EXPECT_LE(Result.TimeBank, 1.0);
}

TEST_F(ThinkTest, UnspentBudgetIsBanked) {
    // One legal move: a single iteration, so nearly all of the 6.5 seconds are left over, then
    // the next move draws on them: 6.5 + 0.666 of the bank, and the bank keeps the rest plus what is unspent.
    double bank = 0;
    for (int move = 0; move < 2; ++move) {
        Position("7k/8/8/8/8/4n3/8/r6K w - - 0 1");
        RunThink(NoDepthLimit, {40, 300, 0, 300, 300, bank});
        EXPECT_GT(Result.TimeBank, bank + 6.0);
        EXPECT_LE(Result.TimeBank, bank + 6.5 + 1e-6);
        EXPECT_EQ(TimeBank, bank);  // the game's bank is the player's to change
        bank = Result.TimeBank;
    }
}

}  // namespace
