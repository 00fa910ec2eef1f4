// SPDX-License-Identifier: GPL-3.0-or-later
// The interpreter, the engine turn, the settings reader and the game-window loop, in process.
// Line framing, input assembly and most replies are checked against the real program in TranscriptTest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <fstream>
#include <limits>

#include "board/BoardBas.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "platform/Platform.h"
#include "search/Search.h"

namespace {
using Lines = std::vector<std::string>;

class Driver : public ::testing::Test {
  protected:
    void SetUp() override {
        InitBoardTables();
        ResetGame();
        InGuiMode = false;
        PositionRejected = false;
        BaseTime = 0;
        SetSettingsFile("/nonexistent/Talvor.ini");
        SendLineCapture = [this](const std::string& s) { sent.push_back(s); };
    }
    void TearDown() override {
        SendLineCapture = nullptr;
        GameWindow = GameWindowHooks{};
        InGuiMode = false;
        SetSettingsFile("");
    }
    Lines Say(const std::string& chunk) {
        sent.clear();
        InterpretInput(chunk);
        return sent;
    }
    Lines sent;
};

TEST(TextValue, ReadsTheLeadingNumberAndRoundsHalfEven) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12345", 12345}, {" 4 5", 45},    {"\t1\n2", 12}, {"-3.5", -3.5}, {"+7x", 7},  {"1e3", 1000},
        {"1D2", 100},     {"2.5e-1", .25}, {"1 e 2", 100}, {".5", .5},     {"5e", 5},   {"1.2.3", 1.2},
        {"abc", 0},       {"", 0},         {"-", 0},       {"1:30", 1},    {"0x10", 0}, {"1e-999", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(TextValue(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(TextValue("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(TextValue("-1e999"), -std::numeric_limits<double>::infinity());
    const double halves[][2] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},  {-1.5, -2},
                                {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-0.4, 0}, {7, 7}};
    for (const auto& c : halves) EXPECT_EQ(RoundHalfEven(c[0]), c[1]) << c[0];
}

// Moves per control, base, increment, both clocks, depth and protocol version, in one line.
std::string ClockState() {
    char s[120];
    std::snprintf(s, sizeof s, "%d %g %g %g %g %d %d", MovesPerControl, BaseTime, TimeIncrement, TimeLeft,
                  OpponentTimeLeft, MaxDepth, ProtocolVersion);
    return s;
}

// Each command starts from a fresh game. Moves per period and depths round half to even; seconds count as
// given. Too few values, overflow (of a value, of minutes in seconds, of the sum) or a depth out of range
// leave everything as it was. sd 30 is a depth like any other, apart from new's "no limit" (0).
TEST_F(Driver, ClockDepthAndVersionCommands) {
    const std::string fresh = "0 0 0 300 300 0 0";
    std::vector<std::pair<const char*, std::string>> cases = {
        {"level 40 5 0", "40 300 0 300 300 0 0"},
        {"level 0 2:30 5", "0 150 5 150 150 0 0"},
        {"level 0 2.5 0", "0 150 0 150 150 0 0"},
        {"level 0 0:2.5 0", "0 2.5 0 2.5 2.5 0 0"},
        {"level 40 0:30 0", "40 30 0 30 30 0 0"},
        {"level 0 0:10 0.1", "0 10 0.1 10 10 0 0"},
        {"level 2.5 1 0.5", "2 60 0.5 60 60 0 0"},
        {"st 10", "1 10 0 10 10 0 0"},
        {"st 2.5", "1 2.5 0 2.5 2.5 0 0"},
        {"sd 4", "0 0 0 0 0 4 0"},
        {"sd 2.5", "0 0 0 0 0 2 0"},
        {"sd 0.6", "0 0 0 0 0 1 0"},
        {"sd 30", "0 0 0 0 0 30 0"},
        {"sd 32767", "0 0 0 0 0 32767 0"},
        {"time 12345", "0 0 0 123.45 300 0 0"},
        {"otim 6000", "0 0 0 300 60 0 0"},
        {"protover 2.5", "0 0 0 300 300 0 2"},
        {"protover 3", "0 0 0 300 300 0 3"},
    };
    for (const char* cmd :
         {"level 40 5", "level 1e10 5 0", "level 0 99999999 0", "level 0 35791394:8 0", "st 1e12", "sd 0.4",
          "sd -3", "sd 40000", "time 1e300", "otim 1e400", "protover 1e10"})
        cases.emplace_back(cmd, fresh);
    for (const auto& [cmd, state] : cases) {
        ResetGame();
        BaseTime = 0;
        ProtocolVersion = 0;
        const size_t replies = Say(std::string(cmd) + "\n").size();
        // Version 2 lists its features and options.
        EXPECT_EQ(replies, state.back() == '2' ? 13u : 0u) << cmd;
        EXPECT_EQ(ClockState(), state) << cmd;
    }
}

// Each limit command replaces whatever limit came before it: after sd, level and st play by the clock
// again; after either, sd plays by depth alone.
TEST_F(Driver, EachLimitCommandReplacesTheOneBefore) {
    const char* limits[] = {"level 0 2:30 5", "level 40 5 0", "st 10", "sd 4"};
    for (const char* second : limits) {
        ResetGame();
        Say(std::string(second) + "\n");
        const std::string alone = ClockState();
        for (const char* first : limits) {
            ResetGame();
            Say(std::string(first) + "\n" + second + "\n");
            EXPECT_EQ(ClockState(), alone) << first << ", then " << second;
        }
    }
}

TEST_F(Driver, EngineTurnPlaysAndChargesTheClock) {
    Say("sd 2\ne2e4\n");  // a depth limit clears the time control
    TimeLeft = 100;
    TimeIncrement = 5;
    ASSERT_TRUE(EngineOnMove());
    sent.clear();
    EngineTurn();
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](auto& s) { return s.rfind("move ", 0) == 0; }), 1);
    EXPECT_EQ(GameRecord.size(), 3u);
    EXPECT_EQ(RepetitionTable[PositionKey()], 1);  // the reply counts towards repetition
    EXPECT_GE(LastMoveSeconds, 0);
    EXPECT_NEAR(TimeLeft, 105 - LastMoveSeconds, 1e-3);
}

// The game window's own commands, and a refused set-up that leaves the position as it was.
TEST_F(Driver, GameWindowReplies) {
    InGuiMode = true;
    const Lines diagram = Say("setboard 7k/8/6K1/5Q2/8/8/8/8 w - -\n");  // the window shows the new board
    EXPECT_NE(diagram.at(0).find("7\t. . . . . . . . "), std::string::npos);
    EXPECT_EQ(Say("setboard 7k/8/6K1 w - -\n"), Lines{"tellusererror Illegal position"});
    EXPECT_EQ(Say("display-a\n"), diagram);
    EXPECT_EQ(Say("writeepd-a\n"), Lines{"7k/8/6K1/5Q2/8/8/8/8 w - -"});
}

// The window's link, with posted calls kept in a queue (an urgent one ahead) until the test runs them.
TEST_F(Driver, GameWindowMailboxAndStaleLines) {
    InGuiMode = true;
    SendLineCapture = nullptr;
    static std::deque<std::function<void()>> queue;
    static Lines shown;
    GameWindow.Post = [](std::function<void()> f, bool bUrgent) {
        bUrgent ? queue.push_front(std::move(f)) : queue.push_back(std::move(f));
    };
    GameWindow.ShowLine = [](const std::string& s, int) { shown.push_back(s); };
    auto runQueue = [] {
        for (; !queue.empty(); queue.pop_front()) queue.front()();
    };
    // Two feeds in one handler: the mailbox is read once, after it, and the last text wins.
    FeedEngine("ping 1\n");
    FeedEngine("ping 2\n");
    EXPECT_EQ(queue.size(), 1u);
    runQueue();
    EXPECT_EQ(shown, Lines{"pong 2"});
    EXPECT_FALSE(GuiInputPending);
    // A new game fed behind a turn's move still on its way: the new game is read first, and the move is
    // dropped when it arrives; other lines always arrive.
    shown.clear();
    SendLine("move e7e5", LineTag{OutputGame(), 3});
    SendLine("pong 3");
    FeedEngine("new\nping 4\n");
    runQueue();
    EXPECT_EQ(shown, (Lines{"pong 3", "pong 4"}));
    // A window promotion without its letter is the queen; with one, that piece.
    for (const auto& [line, piece] :
         std::vector<std::pair<std::string, int>>{{"a7a8", WhiteQueen}, {"a7a8r", WhiteRook}}) {
        Say("new\nforce\nsetboard 4k3/P7/8/8/8/8/8/4K3 w - -\n" + line + "\n");
        ASSERT_EQ(GameRecord.size(), 2u) << line;
        EXPECT_EQ(GameRecord[1].Promotion, piece);
    }
    runQueue();
}

TEST_F(Driver, SettingsFileRules) {
    const std::string path = testing::TempDir() + "talvor_profile.ini";
    const std::string longValue(300, 'v');
    const struct {
        std::string file;
        const char* key;
        std::string expected;
    } cases[] = {
        {"[Talvor]\nSeek1=3 2 r\n", "Seek1", "3 2 r"},
        {"[ talvor ]\r\n  SEEK1  =  3 2 r  \r\n", "seek1", "3 2 r"},
        {"[TALVOR]\nFORZAELO=1200\n", "ForzaElo", "1200"},
        {"[Talvor]\nSeek1=\"  quoted \"\n", "Seek1", "  quoted "},
        {"[Talvor]\nSeek1='x'\n", "Seek1", "x"},
        {"[Talvor]\nSeek1=\"x'\n", "Seek1", "\"x'"},
        {"[Talvor]\n;Seek1=x\nSeek1=y\n", "Seek1", "y"},
        {";[Talvor]\nSeek1=x\n", "Seek1", "default"},
        {"[Talvor]\nSeek1=a\nSeek1=b\n", "Seek1", "a"},
        {"[Other]\nSeek1=a\n[Talvor]\nSeek1=b\n", "Seek1", "b"},
        {"[Talvor]\nSeek1=a=b\n", "Seek1", "a=b"},
        {"[Talvor]\nSeek1=\n", "Seek1", ""},
        {"[Talvor]\nSeek2=x\n", "Seek1", "default"},
        {"\xEF\xBB\xBF[Talvor]\nSeek1=bom\n", "Seek1", "bom"},
        {"[Talvor]\nSeek1", "Seek1", "default"},
        {"[Talvor]\nSeek1=" + longValue + "\n", "Seek1", longValue.substr(0, 259)},
    };
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary) << c.file;
        EXPECT_EQ(ReadProfileString(path, "Talvor", c.key, "default"), c.expected) << c.file;
    }
    // allseeks takes each seek from the settings file, falling back to its default.
    std::ofstream(path) << "[Talvor]\nSeek1=3 2 r\n";
    SetSettingsFile(path);
    EXPECT_EQ(Say("allseeks\n"), (Lines{"tellics seek 3 2 r", "tellics seek 10 0 f"}));
    std::remove(path.c_str());
    EXPECT_EQ(ReadProfileString(path, "Talvor", "ValoreTorri", "520"), "520");  // no file
}
}  // namespace
