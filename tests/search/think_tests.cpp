// The root: iterations, game-end codes, thinking lines and the time budget.
#include <regex>
#include <sstream>

#include "tests/search/SearchTestUtil.h"

namespace {

class ThinkTest : public EngineTest {};

// Field i of a protocol thinking line "depth score centiseconds nodes move ...".
std::string Field(const std::string& line, int i) {
    std::istringstream in(line);
    std::string f;
    while (i-- >= 0 && in >> f) {
    }
    return f;
}

TEST_F(ThinkTest, GameEndsAndIterations) {
    const char* start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const struct {
        const char* fen;
        int depth, halfmove;
        const char* move;  // "" for none, "*" for any
        int32_t result;
        size_t lines;      // 0: any number
        const char* last;  // the last thinking line
    } cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 2, 0, "d1d8", ResultWhiteWins, 0, R"(4 99998 0 \d+ d1d8)"},
        {"3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 2, 0, "d8d1", ResultBlackWins, 0, R"(4 99998 0 \d+ d8d1)"},
        // Mate in two is not a mate at once: the game goes on.
        {"7k/8/5K2/8/8/8/8/1R6 w - - 0 1", 4, 0, "f6g6", ResultNone, 0, R"(6 99996 0 \d+ f6g6 h8g8 b1b8)"},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 3, 0, "", ResultDraw, 3, "5 -100000 0 0"},  // stalemate
        {"R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 1, 0, "", ResultWhiteWins, 1, "3 -100000 0 0"},
        {"6k1/5ppp/8/8/8/8/5PPP/r5K1 w - - 0 1", 1, 0, "", ResultBlackWins, 1, "3 -100000 0 0"},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 2, 101, "*", ResultDraw, 0, R"(4 0 0 \d+( \w+)+)"},  // fifty moves
        // Kg1 and Kg2 are covered: one reply, one iteration (its best-move line and the iteration line).
        {"7k/8/8/8/8/4n3/8/r6K w - - 0 1", 5, 0, "h1h2", ResultNone, 2, R"(3 -?\d+ 0 \d+ h1h2.*)"},
        {start, 0, 0, "*", ResultNone, 0, R"(3 .*)"},  // sd 0 still finds a move
    };
    for (const auto& c : cases) {
        Lines.clear();
        Position(c.fen);
        HalfmoveClock = c.halfmove;
        SetClock(c.depth);
        const MoveRec m = RunThink();
        const std::string played = m.From == 0 ? "" : MoveToText(m);
        EXPECT_EQ(std::string(c.move) == "*" && !played.empty() ? "*" : played, c.move) << c.fen;
        EXPECT_EQ(GameResult, c.result) << c.fen;
        EXPECT_EQ(c.lines ? Lines.size() : 0, c.lines) << c.fen;
        ASSERT_FALSE(Lines.empty());
        EXPECT_TRUE(std::regex_match(Lines.back(), std::regex(c.last))) << c.fen << ": " << Lines.back();
    }
}

TEST_F(ThinkTest, FixedDepthIsExactAndRepeatableAndLeavesTheBoardAsItFoundIt) {
    for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                            "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"}) {
        std::vector<std::string> runs[2];  // without the time, the one field two runs may disagree on
        for (auto& run : runs) {
            Lines.clear();
            Position(fen);
            const std::vector<uint8_t> board(Board, Board + BoardSize),
                list(PieceList + 1, PieceList + 1 + PieceCount);
            const MoveRec m = ThinkAtDepth(fen, 4);
            EXPECT_EQ(std::vector<uint8_t>(Board, Board + BoardSize), board) << fen;
            EXPECT_EQ(std::vector<uint8_t>(PieceList + 1, PieceList + 1 + PieceCount), list)
                << fen;  // slot 0 is scratch
            for (const auto& l : Lines)
                run.push_back(std::regex_replace(l, std::regex(R"(^(\S+ \S+) \S+)"), "$1"));
            run.push_back(MoveToText(m) + " " + std::to_string(NodeCount) + " " + std::to_string(LastScore));
            // Iterations 1 to 4 shown as depths 3 to 6; the move played is that of the last line.
            EXPECT_EQ(Field(Lines.front(), 0), "3");
            EXPECT_EQ(Field(Lines.back(), 0), "6");
            EXPECT_EQ(Field(Lines.back(), 4), MoveToText(m));
            EXPECT_EQ(Field(Lines.back(), 1), std::to_string(LastScore));
            EXPECT_GT(QuiescenceNodes, 0);
        }
        EXPECT_EQ(runs[0], runs[1]) << fen;
    }
}

TEST_F(ThinkTest, ThinkingLineFormats) {
    const std::pair<int32_t, const char*> scores[] = {{125, "+1.25"},     {-40, "-0.40"},
                                                      {0, "+0.00"},       {-5, "-0.05"},
                                                      {99998, "+999.98"}, {-100000, "-1000.00"}};
    for (const auto& [score, text] : scores) EXPECT_EQ(ScoreText(score), text);

    const char* fen = "4k3/8/8/8/8/8/8/R3K3 w - - 0 1";
    const struct {
        bool gui, italian;
        const char* pattern;
    } cases[] = {
        {false, false, R"(3 \d+ 0 \d+( [a-h][1-8][a-h][1-8])+)"},
        {true, false, R"(Depth 3 Score \+\d+\.\d\d Time 0 Sec\. Nodes \d+ Moves( [a-h][1-8][a-h][1-8])+)"},
        {true, true, R"(Prof\. 3 Valore \+\d+\.\d\d Tempo 0 Sec\. Nodi \d+ Mosse( [a-h][1-8][a-h][1-8])+)"},
    };
    for (const auto& c : cases) {
        Lines.clear();
        InGuiMode = c.gui;
        GameWindow.Italian = c.italian ? +[] { return true; } : nullptr;
        ThinkAtDepth(fen, 1);
        ASSERT_FALSE(Lines.empty());
        for (const auto& l : Lines) EXPECT_TRUE(std::regex_match(l, std::regex(c.pattern))) << l;
    }
    // Against a computer each iteration line is followed by its kibitz.
    InGuiMode = false;
    Lines.clear();
    Position(fen);
    SetClock(1);
    OpponentIsComputer = true;
    RunThink();
    std::smatch m;
    ASSERT_GE(Lines.size(), 2u);
    ASSERT_TRUE(std::regex_match(Lines[Lines.size() - 2], m, std::regex(R"(3 (\d+) 0 \d+(.*))")));
    EXPECT_EQ(Lines.back(), "tellics kibitz " + ScoreText(std::stoi(m.str(1))) + " (3):" + m.str(2));
}

// Plays game moves as the interpreter does, counting each position that arises.
void PlayGame(const std::vector<const char*>& moves) {
    for (const char* text : moves) {
        MoveRec m;
        ASSERT_TRUE(FindMoveFromText(text, m)) << text;
        MakeGameMove(m);
        RecordMove(m);
        ++RepetitionTable[PositionKey()];
    }
}

TEST_F(ThinkTest, RootMoveIntoARepeatedPositionIsADraw) {
    PlayGame({"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"});
    DrawScore = 300;  // worth more than anything else here
    SetClock(2);
    // Only positions seen before are draws: after g1f3 the position has occurred twice, a claim.
    EXPECT_EQ(MoveToText(RunThink()), "g1f3");
    EXPECT_EQ(GameResult, ResultRepetition);
    EXPECT_TRUE(std::regex_match(Lines.back(), std::regex(R"(4 300 0 \d+ g1f3)")));  // the move alone

    ResetGame();  // seen once only: still a draw score, but no claim
    PlayGame({"g1f3", "g8f6", "f3g1", "f6g8"});
    SetClock(2);
    EXPECT_EQ(MoveToText(RunThink()), "g1f3");
    EXPECT_EQ(GameResult, ResultNone);
}

TEST_F(ThinkTest, GameResultIsThatOfTheIterationWhoseMoveIsPlayed) {
    // Early iterations prefer the repetition (worth 5000 here); the fourth finds the mate in two.
    Position("7k/8/5K2/8/8/8/1R6/8 b - - 0 1");
    RepetitionTable[PositionKey()] = 2;
    ASSERT_TRUE(SetBoard("7k/8/5K2/8/8/8/8/1R6 w - - 0 1"));
    DrawScore = 5000;
    SetClock(4);
    EXPECT_EQ(MoveToText(RunThink()), "f6g6");
    bool repetitionPreferred = false;
    for (const auto& l : Lines) repetitionPreferred |= Field(l, 4) == "b1b2";
    EXPECT_TRUE(repetitionPreferred);
    EXPECT_EQ(GameResult, ResultNone);  // no repetition claim for a move that does not repeat
}

TEST_F(ThinkTest, BudgetTable) {
    const struct {
        Clock clock;  // moves, base, increment, left, opponent's, bank
        float budget;
        double bankAfter;
    } cases[] = {
        {{1, 5, 0, 5, 5, 0}, 5.0f, 0},             // st 5
        {{1, 5, 0, 0.5f, 5, 0}, 5.0f, 0},          // st: the interface restarts the clock every move
        {{40, 300, 0, 300, 300, 0}, 6.5f, 0},      // level 40 5 0
        {{40, 300, 0, 300, 300, 0.9}, 6.5f, 0.9},  // a bank below 1 is not touched
        {{40, 300, 0, 300, 300, 10}, 6.5f + 6.66f, 10 - 6.66},
        {{0, 0, 0, 600, 600, 0}, 20.0f, 0},        // incremental, level clocks
        {{0, 0, 0, 600, 700, 0}, 15.0f, 0},        // behind by more than a tenth: divisor 40
        {{0, 0, 0, 600, 640, 0}, 600.0f / 35, 0},  // behind by more than a twentieth: 35
        {{0, 0, 0, 1200, 2000, 0}, 40.0f, 0},      // 900 or more left: always 30
        {{0, 0, 2, 45, 45, 0}, 3.0f, 0},           // under a minute: increment + 1
        {{0, 0, 0, 2.5f, 2.5f, 0}, 1.0f, 0},
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
        EXPECT_NEAR(AllocateTime(), c.budget, 1e-4)
            << c.clock.moves << " " << c.clock.base << " " << c.clock.inc << " " << c.clock.left;
        EXPECT_NEAR(TimeBank, c.bankAfter, 1e-9);
    }
    // Whatever the control and the bank, never more than the clock holds.
    for (int32_t moves : {0, 2, 40})
        for (int32_t inc : {0, 2, 30})
            for (float left : {0.05f, 0.3f, 0.9f, 1.5f, 3.0f, 7.0f, 20.0f, 59.0f, 61.0f, 300.0f}) {
                SetClock(NoDepthLimit, {moves, 300, inc, left, 300, 50});
                EXPECT_LT(AllocateTime(), left) << moves << " " << inc << " " << left;
            }
}

TEST_F(ThinkTest, TimedSearches) {
    // Eight seconds left: a one-second budget and three iterations at most.
    Position("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    SetClock(NoDepthLimit, {0, 0, 0, 8, 8, 0});
    EXPECT_NE(RunThink().From, 0);
    EXPECT_EQ(Field(Lines.back(), 0), "5");

    Lines.clear();
    Position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    SetClock(NoDepthLimit, {40, 80, 0, 80, 80, 0});  // 80 / 40 - 1: one second
    const double start = TimerSeconds();
    const MoveRec m = RunThink();
    const double spent = TimerSeconds() - start;
    EXPECT_GT(spent, 0.5);  // two thirds of the budget pass before an iteration is left unstarted
    EXPECT_LT(spent, 1.3);
    EXPECT_GE(std::stoi(Field(Lines.back(), 0)), 6);  // beyond the three iterations that always finish
    // The move played is that of an iteration line, not of an interrupted iteration.
    bool found = false;
    for (const auto& l : Lines)
        found |= Field(l, 1) == std::to_string(LastScore) && Field(l, 4) == MoveToText(m);
    EXPECT_TRUE(found);
    // What the move did not spend of its budget went to the bank, never less than nothing.
    EXPECT_GE(TimeBank, 0.0);
    EXPECT_LE(TimeBank, 1.0);
}

TEST_F(ThinkTest, UnspentBudgetIsBanked) {
    // One legal move: a single iteration, so nearly all of the 6.5 seconds are left over, then
    // the next move draws on them: 6.5 + 0.666 of the bank, and the bank keeps the rest plus what is unspent.
    double bank = 0;
    for (int move = 0; move < 2; ++move) {
        Position("7k/8/8/8/8/4n3/8/r6K w - - 0 1");
        SetClock(NoDepthLimit, {40, 300, 0, 300, 300, bank});
        RunThink();
        EXPECT_GT(TimeBank, bank + 6.0);
        EXPECT_LE(TimeBank, bank + 6.5 + 1e-6);
        bank = TimeBank;
    }
}

}  // namespace
