// The interpreter, the engine turn, the settings reader and the input assembly, in process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>

#include "board/BoardBas.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "platform/Platform.h"
#include "search/SearchBas.h"

namespace {
class Driver : public ::testing::Test {
  protected:
    void SetUp() override {
        InitBoardTables();
        ResetGame();
        InGuiMode = false;
        PositionRejected = false;
        ProtocolVersion = 0;
        BaseTime = 0;
        SetSettingsFile("/nonexistent/Talvor.ini");
        SendLineCapture = [this](const std::string& s) { sent.push_back(s); };
        QuitCapture = [this] { ++quits; };
    }
    void TearDown() override {
        SendLineCapture = nullptr;
        QuitCapture = nullptr;
        GameWindow = GameWindowHooks{};
        InGuiMode = false;
        SetSettingsFile("");
    }
    std::vector<std::string> Say(const std::string& chunk) {
        sent.clear();
        InterpretInput(chunk);
        return sent;
    }
    std::vector<std::string> sent;
    int quits = 0;
};

using Lines = std::vector<std::string>;

TEST(TextValue, ReadsTheLeadingNumber) {
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
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const double cases[][2] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},  {-1.5, -2},
                               {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-0.4, 0}, {7, 7}};
    for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c[0]), c[1]) << c[0];
}

// Each command starts from a fresh game (BaseTime 0, TimeLeft 300, MaxDepth 30).
TEST_F(Driver, ClockAndDepthCommands) {
    const struct {
        const char* cmd;
        int32_t moves, base, increment;
        double timeLeft, opponentTime;
        int depth;
    } cases[] = {
        {"level 40 5 0", 40, 300, 0, 300, 300, 30},
        {"level 0 2:30 5", 0, 150, 5, 150, 150, 30},
        {"level 0 2.5 0", 0, 150, 0, 150, 150, 30},
        {"level 0 0:2.5 0", 0, 2, 0, 2, 2, 30},  // 2.5 seconds round to 2
        {"level 0 0:3.5 0", 0, 4, 0, 4, 4, 30},
        {"level 2.5 1 0.5", 2, 60, 0, 60, 60, 30},
        {"level 40 5", 0, 0, 0, 300, 300, 30},            // too few values: ignored
        {"level 1e10 5 0", 0, 0, 0, 300, 300, 30},        // overflow: ignored
        {"level 0 99999999 0", 0, 0, 0, 300, 300, 30},    // minutes overflow once in seconds
        {"level 0 35791394:8 0", 0, 0, 0, 300, 300, 30},  // the sum overflows
        {"st 10", 1, 10, 0, 10, 10, 30},
        {"st 2.5", 1, 2, 0, 2, 2, 30},
        {"st 3.5", 1, 4, 0, 4, 4, 30},
        {"st 1e12", 0, 0, 0, 300, 300, 30},
        {"sd 4", 0, 0, 0, 0, 0, 4},
        {"sd 2.5", 0, 0, 0, 0, 0, 2},
        {"sd 0.6", 0, 0, 0, 0, 0, 1},
        {"sd 0", 0, 0, 0, 300, 300, 30},
        {"sd 0.4", 0, 0, 0, 300, 300, 30},
        {"sd -3", 0, 0, 0, 300, 300, 30},
        {"sd 40000", 0, 0, 0, 300, 300, 30},
        {"time 12345", 0, 0, 0, 123.45f, 300, 30},
        {"time 1e300", 0, 0, 0, 300, 300, 30},
        {"otim 6000", 0, 0, 0, 300, 60, 30},
        {"otim 1e400", 0, 0, 0, 300, 300, 30},
    };
    for (const auto& c : cases) {
        ResetGame();
        BaseTime = 0;
        EXPECT_TRUE(Say(std::string(c.cmd) + "\n").empty()) << c.cmd;
        EXPECT_EQ(MovesPerControl, c.moves) << c.cmd;
        EXPECT_EQ(BaseTime, c.base) << c.cmd;
        EXPECT_EQ(TimeIncrement, c.increment) << c.cmd;
        EXPECT_FLOAT_EQ(TimeLeft, static_cast<float>(c.timeLeft)) << c.cmd;
        EXPECT_DOUBLE_EQ(OpponentTimeLeft, c.opponentTime) << c.cmd;
        EXPECT_EQ(MaxDepth, c.depth) << c.cmd;
    }
}

TEST_F(Driver, ProtocolVersion) {
    const struct {
        const char* cmd;
        int version;
        bool feature;
    } cases[] = {{"protover 2", 2, true}, {"protover 2.5", 2, true}, {"protover 1", 1, false},
                 {"protover", 0, false},  {"protover 3", 3, false},  {"protover 1e10", 0, false}};
    for (const auto& c : cases) {
        ProtocolVersion = 0;
        EXPECT_EQ(Say(std::string(c.cmd) + "\n").size(), c.feature ? 1u : 0u) << c.cmd;
        EXPECT_EQ(ProtocolVersion, c.version) << c.cmd;
    }
}

TEST_F(Driver, SidesForceAndGo) {
    Say("black\n");
    EXPECT_FALSE(WhiteToMove);
    EXPECT_TRUE(EnginePlaysWhite);
    EXPECT_TRUE(EngineOnMove() == false);
    Say("white\nforce\n");
    EXPECT_TRUE(WhiteToMove);
    EXPECT_FALSE(EnginePlaysWhite);
    EXPECT_TRUE(ForceMode);
    Say("go\n");
    EXPECT_TRUE(EnginePlaysWhite);
    EXPECT_FALSE(ForceMode);
    EXPECT_TRUE(EngineOnMove());
    Say("computer\n");
    EXPECT_TRUE(OpponentIsComputer);
}

TEST_F(Driver, LineFramingAndQuit) {
    EXPECT_EQ(Say("ping 1"), Lines{});  // not a line until its line feed
    EXPECT_EQ(Say("ping 1\rping 2\n"), (Lines{"pong 1", "pong 2"}));
    EXPECT_EQ(Say("ping 1\nquit\nping 2\n"), Lines{"pong 1"});
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(Say("quit"), Lines{});
    EXPECT_EQ(quits, 1);
}

TEST_F(Driver, AllseeksReadsTheSettingsFile) {
    EXPECT_EQ(Say("allseeks\n"), (Lines{"tellics seek 5 0 f", "tellics seek 10 0 f"}));
    const std::string path = testing::TempDir() + "talvor_seek.ini";
    std::ofstream(path) << "[Talvor]\nSeek1=3 2 r\n";
    SetSettingsFile(path);
    EXPECT_EQ(Say("allseeks\n"), (Lines{"tellics seek 3 2 r", "tellics seek 10 0 f"}));
    std::remove(path.c_str());
}

TEST_F(Driver, GameWindowReplies) {
    InGuiMode = true;
    bool italian = false;
    static bool* flag;
    flag = &italian;
    GameWindow.Italian = [] { return *flag; };
    EXPECT_EQ(Say("e2e5\n"), Lines{"It's Your Turn "});
    italian = true;
    EXPECT_EQ(Say("e2e5\n"), Lines{"Tocca a te! "});
    EXPECT_EQ(Say("writeepd-a\n"), Lines{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"});
    EXPECT_EQ(Say("display-a\n"), Lines{BoardDiagram()});
    const Lines diagram = Say("setboard 7k/8/6K1/5Q2/8/8/8/8 w - -\n");
    EXPECT_EQ(diagram, Lines{BoardDiagram()});
    EXPECT_NE(diagram[0].find("7\t. . . . . . . . "), std::string::npos);
    EXPECT_EQ(Say("setboard 7k/8/6K1 w - -\n"), Lines{"tellusererror Illegal position"});
}

TEST_F(Driver, GameWindowMailboxAndOutput) {
    InGuiMode = true;
    static Lines shown;
    shown.clear();
    GameWindow.ShowLine = [](const std::string& s) { shown.push_back(s); };
    SendLineCapture = nullptr;
    EXPECT_FALSE(InputAvailable());
    GuiInputLine = "ping 3\n";
    GuiInputPending = true;
    EXPECT_TRUE(InputAvailable());
    const std::string s = ReadInput();
    EXPECT_EQ(s, "ping 3\n");
    EXPECT_FALSE(GuiInputPending);
    EXPECT_EQ(GuiInputLine, "");
    InterpretInput(s);
    EXPECT_EQ(shown, Lines{"pong 3"});
}

TEST_F(Driver, MovesAndRepetition) {
    EXPECT_EQ(Say("e2e5\n"), Lines{"Illegal Move: \r\ne2e5"});
    EXPECT_EQ(Say("force\ne2e4\ne7e5\n"), Lines{});
    EXPECT_EQ(GameRecord.size(), 3u);
    EXPECT_EQ(RepetitionTable[PositionKey()], 1);
    // The position after e7e5 held an en-passant square, so the first repeated one is after g1f3.
    EXPECT_EQ(Say("g1f3\ng8f6\nf3g1\nf6g8\ng1f3\ng8f6\nf3g1\nf6g8\n"), Lines{});
    EXPECT_EQ(Say("g1f3\n"), Lines{"1/2-1/2 {Pareggio per ripetizione mosse.}"});
    EXPECT_EQ(GameResult, ResultRepetition);
    Say("remove\n");
    EXPECT_EQ(GameResult, ResultNone);
}

TEST_F(Driver, RejectedSetboardChangesNothingAndFreezes) {
    Say("force\ne2e4\n");
    const std::string before = PositionKey();
    EXPECT_EQ(Say("setboard 8/8/8/8/8/8/8/8 w - -\n"), Lines{"tellusererror Illegal position"});
    EXPECT_EQ(PositionKey(), before);
    EXPECT_EQ(Say("e7e5\n"), Lines{"Illegal Move: \r\ne7e5"});
    Say("go\n");
    EXPECT_FALSE(EngineOnMove());
    EngineTurn();
    EXPECT_EQ(sent, Lines{});
    Say("new\n");
    EXPECT_EQ(Say("e2e4\n"), Lines{});
    EXPECT_TRUE(EngineOnMove());
}

// The lines EngineTurn sent that are not thinking output.
Lines Announcements(const Lines& sent) {
    Lines out;
    for (const std::string& s : sent)
        if (s.rfind("move ", 0) == 0 || s.find('{') != std::string::npos || s == "resign") out.push_back(s);
    return out;
}

TEST_F(Driver, EngineTurnResults) {
    const struct {
        const char* fen;
        Lines lines;
    } cases[] = {
        {"7k/5Q2/6K1/8/8/8/8/8 b - -", {"1/2-1/2 {Pareggio}"}},     // the engine is stalemated
        {"7k/6Q1/6K1/8/8/8/8/8 b - -", {"1-0 {Il Bianco Vince}"}},  // the engine is mated
    };
    for (const auto& c : cases) {
        ResetGame();
        MaxDepth = 2;
        ASSERT_TRUE(SetBoard(c.fen));
        sent.clear();
        EngineTurn();
        EXPECT_EQ(Announcements(sent), c.lines) << c.fen;
        sent.clear();
        EngineTurn();  // the game is over: nothing more
        EXPECT_EQ(sent, Lines{});
    }
}

TEST_F(Driver, EngineTurnPlaysAndChargesTheClock) {
    Say("level 0 5 5\nsd 2\n");
    TimeLeft = 100;
    TimeIncrement = 5;
    Say("e2e4\n");
    ASSERT_TRUE(EngineOnMove());
    sent.clear();
    EngineTurn();
    const Lines said = Announcements(sent);
    ASSERT_EQ(said.size(), 1u);
    ASSERT_EQ(said[0].size(), 9u);
    EXPECT_EQ(said[0].substr(0, 5), "move ");
    EXPECT_EQ(GameRecord.size(), 3u);
    EXPECT_EQ(RepetitionTable[PositionKey()], 1);
    EXPECT_TRUE(WhiteToMove);
    EXPECT_GE(LastMoveSeconds, 0);
    EXPECT_NEAR(TimeLeft, 105 - LastMoveSeconds, 1e-3);
}

TEST(StartUp, RunModeFromSwitches) {
    const struct {
        const char* line;
        bool gui;
        size_t warnings;
    } cases[] = {
        {"", true, 0},
        {"-xboard", false, 0},
        {"/xboard", false, 0},
        {"XBoard", false, 0},
        {"-XBoard", false, 0},
        {"xboard inguimode", true, 0},
        {"inguimode xboard", false, 0},
        {"-inguimode", true, 0},
        {"xboard  foo", false, 2},
        {"foo", true, 1},
        {"--xboard", true, 1},
    };
    for (const auto& c : cases) {
        std::vector<std::string> warnings;
        EXPECT_EQ(ChooseGuiMode(c.line, warnings), c.gui) << c.line;
        EXPECT_EQ(warnings.size(), c.warnings) << c.line;
        for (const std::string& w : warnings) EXPECT_EQ(w.substr(w.find('\n') + 1), c.line);
    }
}

TEST(Settings, ProfileFileRules) {
    const std::string path = testing::TempDir() + "talvor_profile.ini";
    const std::string longValue(300, 'v');
    const struct {
        const char* file;
        const char* key;
        std::string expected;
    } cases[] = {
        {"[Talvor]\nSeek1=3 2 r\n", "Seek1", "3 2 r"},
        {"[ talvor ]\r\n  SEEK1  =  3 2 r  \r\n", "seek1", "3 2 r"},
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
    };
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary) << c.file;
        EXPECT_EQ(ReadProfileString(path, "Talvor", c.key, "default"), c.expected) << c.file;
    }
    std::ofstream(path, std::ios::binary) << "[Talvor]\nSeek1=" << longValue << "\n";
    EXPECT_EQ(ReadProfileString(path, "Talvor", "Seek1", ""), longValue.substr(0, 259));
    std::remove(path.c_str());
    EXPECT_EQ(ReadProfileString(path, "Talvor", "ValoreTorri", "520"), "520");
    SetSettingsFile(path);
    EXPECT_EQ(ReadSetting("TalvorData", ""), "");
    SetSettingsFile("");
}

// Console input assembly, with a pipe standing in for standard input.
class ConsoleInput : public ::testing::Test {
  protected:
    void SetUp() override {
        InGuiMode = false;
        ASSERT_EQ(pipe(fds), 0);
        saved = dup(0);
        dup2(fds[0], 0);
        close(fds[0]);
        ResetInputAssembly();
    }
    void TearDown() override {
        dup2(saved, 0);
        close(saved);
        if (fds[1] >= 0) close(fds[1]);
        ResetInputAssembly();
    }
    void Put(const std::string& s) {
        ASSERT_EQ(write(fds[1], s.data(), s.size()), static_cast<ssize_t>(s.size()));
    }
    int fds[2] = {-1, -1};
    int saved = -1;
};

TEST_F(ConsoleInput, OnlyWholeLinesAreReturned) {
    EXPECT_FALSE(WaitForInput(0));
    Put("ping 1\nping");
    EXPECT_TRUE(WaitForInput(100));
    EXPECT_EQ(ReadInput(), "ping 1\n");
    EXPECT_FALSE(InputAvailable());
    Put(" 2\n");
    EXPECT_EQ(ReadInput(), "ping 2\n");
    // At most 2048 bytes a read; the line across the boundary comes whole with the second read.
    const std::string first(2044, 'a');
    Put(first + "\nping 3\n");
    EXPECT_EQ(ReadInput(), first + "\n");
    EXPECT_EQ(ReadInput(), "ping 3\n");
}

TEST_F(ConsoleInput, OverlongLineIsDropped) {
    const std::string block(2048, 'x');
    for (int i = 0; i < 40; ++i) {
        Put(block);
        EXPECT_EQ(ReadInput(), "");
    }
    Put("tail of the long line\nping 4\n");
    EXPECT_EQ(ReadInput(), "\nping 4\n");
}

TEST_F(ConsoleInput, EndOfInputHandsOverTheLastPiece) {
    Put("ping 5\nquit");
    close(fds[1]);
    fds[1] = -1;
    EXPECT_EQ(ReadInput(), "ping 5\n");
    EXPECT_FALSE(ConsoleInputClosed);
    EXPECT_TRUE(InputAvailable());
    EXPECT_EQ(ReadInput(), "quit\n");
    EXPECT_TRUE(ConsoleInputClosed);
    EXPECT_FALSE(InputAvailable());
    EXPECT_EQ(ReadInput(), "");
}
}  // namespace
