// The root: iterations, game-end codes, thinking lines and the time budget.
#include <cstring>
#include <regex>

#include "tests/search/SearchTestUtil.h"

namespace {

class ThinkTest : public EngineTest {
  protected:
    // Depth, score, centiseconds, nodes and line of a protocol thinking line.
    struct Parsed {
        int depth;
        int32_t score;
        long centiseconds;
        long nodes;
        std::string line;
    };
    static Parsed Parse(const std::string& s) {
        static const std::regex re(R"(^(\d+) (-?\d+) (\d+) (\d+)((?: [a-h][1-8][a-h][1-8][qrbn]?)*)$)");
        std::smatch m;
        EXPECT_TRUE(std::regex_match(s, m, re)) << s;
        if (m.empty()) return {};
        return {std::stoi(m[1]), std::stoi(m[2]), std::stol(m[3]), std::stol(m[4]), m[5]};
    }
    // Drops the time field, the one thing two identical searches may disagree on.
    std::vector<std::string> Untimed() const {
        std::vector<std::string> out;
        for (const auto& l : Lines) {
            const Parsed p = Parse(l);
            out.push_back(std::to_string(p.depth) + " " + std::to_string(p.score) + " " +
                          std::to_string(p.nodes) + p.line);
        }
        return out;
    }
};

TEST_F(ThinkTest, MateInOneAtDepthTwo) {
    const MoveRec m = ThinkAtDepth("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 2);
    EXPECT_EQ(MoveToText(m), "d1d8");
    EXPECT_EQ(GameResult, ResultWhiteWins);
    EXPECT_EQ(Parse(Lines.back()).score, ScoreInfinity - 2);
    EXPECT_EQ(Parse(Lines.back()).line, " d1d8");

    const MoveRec b = ThinkAtDepth("3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 2);
    EXPECT_EQ(MoveToText(b), "d8d1");
    EXPECT_EQ(GameResult, ResultBlackWins);
}

TEST_F(ThinkTest, MateInTwoAtDepthFour) {
    const MoveRec m = ThinkAtDepth("7k/8/5K2/8/8/8/8/1R6 w - - 0 1", 4);
    EXPECT_EQ(MoveToText(m), "f6g6");
    const Parsed last = Parse(Lines.back());
    EXPECT_EQ(last.depth, 6);
    EXPECT_EQ(last.score, ScoreInfinity - 4);
    EXPECT_EQ(last.line, " f6g6 h8g8 b1b8");
    EXPECT_EQ(GameResult, ResultNone);  // not a mate at once: the game goes on
}

TEST_F(ThinkTest, NoLegalMoveAtTheRoot) {
    const MoveRec m = ThinkAtDepth("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 3);
    EXPECT_EQ(m.From, 0);
    EXPECT_EQ(GameResult, ResultDraw);
    EXPECT_EQ(Lines, (std::vector<std::string>{"3 -100000 0 0", "4 -100000 0 0", "5 -100000 0 0"}));

    ThinkAtDepth("R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 1);
    EXPECT_EQ(GameResult, ResultWhiteWins);
    ThinkAtDepth("6k1/5ppp/8/8/8/8/5PPP/r5K1 w - - 0 1", 1);
    EXPECT_EQ(GameResult, ResultBlackWins);
}

TEST_F(ThinkTest, FiftyMovesPassedIsADraw) {
    Position("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    FixedDepth(2);
    HalfmoveClock = 101;
    const MoveRec m = RunThink();
    EXPECT_NE(m.From, 0);
    EXPECT_EQ(GameResult, ResultDraw);
}

TEST_F(ThinkTest, FixedDepthRunsExactlyThatManyIterations) {
    const MoveRec m = ThinkAtDepth("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 6);
    EXPECT_NE(m.From, 0);
    std::vector<int> depths;
    for (const auto& l : Lines) depths.push_back(Parse(l).depth);
    EXPECT_EQ(depths.front(), 3);  // the first line shows depth 3
    EXPECT_EQ(depths.back(), 8);
    for (size_t i = 1; i < depths.size(); ++i) EXPECT_LE(depths[i - 1], depths[i]);
    // The line of each iteration repeats the score and line of its last best move.
    EXPECT_EQ(MoveToText(m), Parse(Lines.back()).line.substr(1, 4));
    EXPECT_EQ(LastScore, Parse(Lines.back()).score);
}

TEST_F(ThinkTest, DepthZeroStillFindsAMove) {
    const MoveRec m = ThinkAtDepth("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0);
    EXPECT_NE(m.From, 0);
    EXPECT_EQ(Parse(Lines.back()).depth, 3);
}

TEST_F(ThinkTest, SameSearchTwiceSameOutput) {
    for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                            "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"}) {
        Lines.clear();
        const MoveRec first = ThinkAtDepth(fen, 4);
        const int32_t nodes = NodeCount;
        const auto lines = Untimed();
        Lines.clear();
        const MoveRec second = ThinkAtDepth(fen, 4);
        EXPECT_EQ(MoveToText(first), MoveToText(second));
        EXPECT_EQ(NodeCount, nodes);
        EXPECT_EQ(Untimed(), lines);
        EXPECT_GT(QuiescenceNodes, 0);
    }
}

TEST_F(ThinkTest, SingleLegalMoveStopsAfterOneIteration) {
    // Kg1 and Kg2 are covered by the rook and the knight: Kh2 is the one reply.
    const MoveRec m = ThinkAtDepth("7k/8/8/8/8/4n3/8/r6K w - - 0 1", 5);
    EXPECT_EQ(MoveToText(m), "h1h2");
    ASSERT_EQ(Lines.size(), 2u);  // its best-move line and the iteration line
    EXPECT_EQ(Parse(Lines[0]).depth, 3);
    EXPECT_EQ(Parse(Lines[1]).depth, 3);
    EXPECT_FALSE(SingleReply);
}

TEST_F(ThinkTest, ScoreText) {
    const std::pair<int32_t, const char*> cases[] = {{125, "+1.25"},       {-40, "-0.40"}, {0, "+0.00"},
                                                     {-5, "-0.05"},        {100, "+1.00"}, {99998, "+999.98"},
                                                     {-100000, "-1000.00"}};
    for (const auto& [score, text] : cases) EXPECT_EQ(ScoreText(score), text);
}

TEST_F(ThinkTest, GameWindowAndKibitzLines) {
    const char* fen = "4k3/8/8/8/8/8/8/R3K3 w - - 0 1";
    InGuiMode = true;
    ThinkAtDepth(fen, 1);
    static const std::regex english(
        R"(^Depth 3 Score \+\d+\.\d\d Time 0 Sec\. Nodes \d+ Moves( [a-h][1-8][a-h][1-8])+$)");
    ASSERT_FALSE(Lines.empty());
    for (const auto& l : Lines) EXPECT_TRUE(std::regex_match(l, english)) << l;

    Lines.clear();
    GameWindow.Italian = [] { return true; };
    ThinkAtDepth(fen, 1);
    static const std::regex italian(
        R"(^Prof\. 3 Valore \+\d+\.\d\d Tempo 0 Sec\. Nodi \d+ Mosse( [a-h][1-8][a-h][1-8])+$)");
    for (const auto& l : Lines) EXPECT_TRUE(std::regex_match(l, italian)) << l;

    Lines.clear();
    InGuiMode = false;
    GameWindow.Italian = nullptr;
    Position(fen);
    FixedDepth(1);
    OpponentIsComputer = true;
    RunThink();
    OpponentIsComputer = false;
    ASSERT_GE(Lines.size(), 2u);
    const Parsed iteration = Parse(Lines[Lines.size() - 2]);
    EXPECT_EQ(Lines.back(), "tellics kibitz " + ScoreText(iteration.score) + " (3):" + iteration.line);
}

TEST_F(ThinkTest, BookMissLeavesTheBookForTheGame) {
    Position("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    BookPly = 0;  // as in a game begun with a book loaded; no book move fits this position
    FixedDepth(1);
    const MoveRec m = RunThink();
    EXPECT_NE(m.From, 0);
    EXPECT_EQ(BookPly, OutOfBook);
    EXPECT_EQ(Parse(Lines.front()).depth, 3);
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
    ResetGame();
    PlayGame({"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"});
    DrawScore = 300;  // worth more than anything else here
    FixedDepth(2);
    const MoveRec m = RunThink();
    // g1f3 and b1c3... only positions seen before are draws: after g1f3 the position has occurred twice.
    EXPECT_EQ(MoveToText(m), "g1f3");
    EXPECT_EQ(GameResult, ResultRepetition);
    const Parsed last = Parse(Lines.back());
    EXPECT_EQ(last.score, 300);
    EXPECT_EQ(last.line, " g1f3");  // the draw was not searched: its line is the move alone

    // Seen once only: still a draw score, but no claim.
    ResetGame();
    PlayGame({"g1f3", "g8f6", "f3g1", "f6g8"});
    Lines.clear();
    FixedDepth(2);
    EXPECT_EQ(MoveToText(RunThink()), "g1f3");
    EXPECT_EQ(GameResult, ResultNone);
}

TEST_F(ThinkTest, GameResultFollowsTheMovePlayed) {
    // Early iterations prefer the repetition (worth 5000 here); the fourth finds the mate in two.
    const char* fen = "7k/8/5K2/8/8/8/8/1R6 w - - 0 1";
    Position("7k/8/5K2/8/8/8/1R6/8 b - - 0 1");
    RepetitionTable[PositionKey()] = 2;
    ASSERT_TRUE(SetBoard(fen));
    DrawScore = 5000;
    FixedDepth(4);
    const MoveRec m = RunThink();
    EXPECT_EQ(MoveToText(m), "f6g6");
    bool repetitionPreferred = false;
    for (const auto& l : Lines) repetitionPreferred |= Parse(l).line == " b1b2";
    EXPECT_TRUE(repetitionPreferred);
    EXPECT_EQ(GameResult, ResultNone);  // no repetition claim for a move that does not repeat
}

// ---- Time ----

struct Clock {
    int32_t moves, base, inc;
    float left;
    double opponent, bank;
};

void SetClock(const Clock& c) {
    MovesPerControl = c.moves;
    BaseTime = c.base;
    TimeIncrement = c.inc;
    TimeLeft = c.left;
    OpponentTimeLeft = c.opponent;
    TimeBank = c.bank;
    MaxDepth = NoDepthLimit;
}

TEST(AllocateTime, BudgetTable) {
    const struct {
        Clock clock;
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
        SetClock(c.clock);
        EXPECT_NEAR(AllocateTime(), c.budget, 1e-4)
            << c.clock.moves << " " << c.clock.base << " " << c.clock.inc << " " << c.clock.left;
        EXPECT_NEAR(TimeBank, c.bankAfter, 1e-9);
    }
}

TEST(AllocateTime, NeverMoreThanTheClockHolds) {
    for (int32_t moves : {0, 2, 40})
        for (int32_t inc : {0, 2, 30})
            for (float left : {0.05f, 0.3f, 0.9f, 1.5f, 3.0f, 7.0f, 20.0f, 59.0f, 61.0f, 300.0f}) {
                SetClock({moves, 300, inc, left, 300, 50});
                EXPECT_LT(AllocateTime(), left) << moves << " " << inc << " " << left;
            }
}

TEST_F(ThinkTest, ShortClockRunsAtMostThreeIterations) {
    Position("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    SetClock({0, 0, 0, 8, 8, 0});
    const double start = TimerSeconds();
    EXPECT_NE(RunThink().From, 0);
    EXPECT_LT(TimerSeconds() - start, 1.0);
    EXPECT_EQ(Parse(Lines.back()).depth, 5);
    for (const auto& l : Lines) EXPECT_LE(Parse(l).depth, 5);
}

TEST_F(ThinkTest, TimedSearchStopsWithinItsBudget) {
    Position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    SetClock({40, 80, 0, 80, 80, 0});  // 80 / 40 - 1: one second
    const double start = TimerSeconds();
    const MoveRec m = RunThink();
    const double spent = TimerSeconds() - start;
    EXPECT_NE(m.From, 0);
    EXPECT_GT(spent, 0.5);  // two thirds of the budget pass before an iteration is left unstarted
    EXPECT_LT(spent, 1.3);
    int deepest = 0;
    for (const auto& l : Lines) deepest = std::max(deepest, Parse(l).depth);
    EXPECT_GE(deepest, 6);  // beyond the three iterations that always finish
    // The move played is that of an iteration line: first move of a line carrying the last score.
    bool found = false;
    for (const auto& l : Lines) {
        const Parsed p = Parse(l);
        found |= p.score == LastScore && p.line.substr(0, 5) == " " + MoveToText(m);
    }
    EXPECT_TRUE(found);
    // What the move did not spend of its budget went to the bank, never less than nothing.
    EXPECT_GE(TimeBank, 0.0);
    EXPECT_LE(TimeBank, 1.0);
}

TEST_F(ThinkTest, UnspentBudgetIsBanked) {
    // One legal move: a single iteration, so nearly all of the 6.5 seconds are left over.
    Position("7k/8/8/8/8/4n3/8/r6K w - - 0 1");
    SetClock({40, 300, 0, 300, 300, 0});
    RunThink();
    EXPECT_GT(TimeBank, 6.0);
    EXPECT_LE(TimeBank, 6.5);
    // The next move draws on it: 6.5 + 0.666 of the bank, and the bank keeps the rest plus what is unspent.
    const double bank = TimeBank;
    Lines.clear();
    Position("7k/8/8/8/8/4n3/8/r6K w - - 0 1");
    SetClock({40, 300, 0, 300, 300, bank});
    RunThink();
    EXPECT_GT(TimeBank, bank);
    EXPECT_LE(TimeBank, bank + 6.5 + 1e-6);
}

}  // namespace

namespace {

TEST_F(ThinkTest, SelfPlayLeavesThePositionAsItFoundIt) {
    ResetGame();
    FixedDepth(3);
    for (int ply = 0; ply < 60 && GameResult == ResultNone; ++ply) {
        uint8_t board[BoardSize], list[MaxPieces + 1];
        std::memcpy(board, Board, sizeof board);
        std::memcpy(list, PieceList, sizeof list);
        const std::string key = PositionKey();
        const int count = PieceCount, halfmove = HalfmoveClock;
        const MoveRec m = RunThink();
        EXPECT_EQ(std::memcmp(board, Board, sizeof board), 0) << key;
        EXPECT_EQ(std::memcmp(list + 1, PieceList + 1, MaxPieces), 0) << key;  // slot 0 is scratch
        EXPECT_EQ(PieceCount, count);
        EXPECT_EQ(HalfmoveClock, halfmove);
        EXPECT_EQ(PositionKey(), key);
        if (m.From == 0) break;
        MoveRec found;
        ASSERT_TRUE(FindMoveFromText(MoveToText(m), found)) << key << " " << MoveToText(m);
        MakeGameMove(found);
        RecordMove(found);
        ++RepetitionTable[PositionKey()];
        Lines.clear();
    }
}

}  // namespace
