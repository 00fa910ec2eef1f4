// SPDX-License-Identifier: GPL-3.0-or-later
// The engine thinking on its own thread while commands keep coming, in process: what each command does to
// a running search. The test thread is the command thread, as the console loop is in the program; its
// timing through the real program is in TranscriptTest.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <regex>
#include <utility>

#include "board/BoardBas.h"
#include "driver/Dispatcher.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "search/Search.h"

namespace {
using Lines = std::vector<std::string>;

// Out of the book, with more to think about than any test waits for.
constexpr char Middlegame[] = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
// Limits on waiting only: the engine answers in milliseconds, a loaded machine may take much longer.
constexpr auto Patience = std::chrono::seconds(60);

// Each case runs with both searches: they share the thread, the stop and the commands.
class EngineThread : public ::testing::TestWithParam<SearchKind> {
  protected:
    void SetUp() override {
        SetSettingsFile("/nonexistent/Talvor.ini");
        InitEngine();
        ChosenSearch = GetParam();
        BookLoaded = false;
        ResetGame();
        InGuiMode = false;
        PositionRejected = false;
        SendLineCapture = [this](const std::string& s) {
            std::lock_guard<std::mutex> hold(mutex_);
            lines_.push_back(s);
            changed_.notify_all();
        };
        QuitCapture = [this] { quits_ = true; };
        Speak(XboardProtocol());
    }
    void Speak(Protocol& protocol) {
        commands_.reset();
        commands_ = std::make_unique<CommandDispatcher>(
            protocol, DispatcherHooks{[this] {
                                          std::lock_guard<std::mutex> hold(mutex_);
                                          finished_ = true;
                                          changed_.notify_all();
                                      },
                                      {}});
    }
    void TearDown() override {
        commands_.reset();
        ChosenSearch = SearchKind::Design;
        SendLineCapture = nullptr;
        QuitCapture = nullptr;
        SetSettingsFile("");
    }

    // The engine (White) starts a search it would not finish for a long while, and is past its first
    // iterations (a line of depth 5 has come).
    void StartThinking() {
        commands_->Input(std::string("new\nforce\nsetboard ") + Middlegame + "\nsd 40\ngo\n");
        ASSERT_TRUE(commands_->Thinking());
        ASSERT_TRUE(Await([this] { return Has(std::regex("^5 .*")); }));
        Take();
    }
    // Sends a chunk and returns the replies so far, thinking lines left out.
    Lines Say(const std::string& sChunk) {
        commands_->Input(sChunk);
        Lines replies;
        for (const std::string& l : Take())
            if (!std::regex_match(l, ThinkingLine)) replies.push_back(l);
        return replies;
    }
    bool AwaitLine(const std::regex& r) {
        return Await([&] { return Has(r); });
    }
    // Runs the command loop's part until the engine has stopped thinking, and returns all that came.
    Lines Settle() {
        while (commands_->Thinking()) {
            // The engine thread's word that a search finished, taken once.
            if (!Await([this] { return std::exchange(finished_, false); })) {
                ADD_FAILURE() << "the search never ended";
                break;
            }
            // The word may be that of a search already taken back: SearchEnded then waits for the next.
            commands_->SearchEnded();
        }
        return Take();
    }
    Lines Take() {
        std::lock_guard<std::mutex> hold(mutex_);
        Lines taken;
        taken.swap(lines_);
        return taken;
    }

    std::unique_ptr<CommandDispatcher> commands_;
    bool quits_ = false;
    const std::regex ThinkingLine{R"((-?\d+ ){4}.*|tellics kibitz .*|info depth .*)"};

  private:
    bool Await(const std::function<bool()>& done) {
        std::unique_lock<std::mutex> hold(mutex_);
        return changed_.wait_for(hold, Patience, done);
    }
    bool Has(const std::regex& r) const {
        for (const std::string& l : lines_)
            if (std::regex_match(l, r)) return true;
        return false;
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    Lines lines_;
    bool finished_ = false;
};

bool IsMove(const std::string& s) {
    return s.rfind("move ", 0) == 0;
}

// Commands that leave the search running: answered at once, or carried out when it ends (a command
// that waits keeps the ones after it behind it). ? then ends the search with its move.
TEST_P(EngineThread, CommandsBesideTheSearch) {
    const std::string decline = "tellics say Talvor: Mi dispiace ma il comando non \xC3\xA8 supportato";
    const struct {
        const char* input;
        Lines now, afterMove;
        std::function<bool()> after;
    } cases[] = {
        {"ping 5\n", {"pong 5"}, {}, [] { return true; }},
        // The clocks and the opponent are taken when the search ends, after its own clock charge.
        {"time 5000\notim 7000\ncomputer\npost\nresult 1-0 {x}\ndraw\nname x\n",
         {"1-0 {x}", "tellics decline", decline},
         {},
         [] { return TimeLeft == 50 && OpponentTimeLeft == 70 && OpponentIsComputer; }},
        {"e2e4\nping 6\n", {}, {"Illegal move: e2e4", "pong 6"}, [] { return true; }},
        // go asks for the side to move, which the engine is thinking for already.
        {"go\nping 7\n", {"pong 7"}, {}, [] { return EnginePlaysWhite && !WhiteToMove; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        StartThinking();
        EXPECT_EQ(Say(c.input), c.now);
        EXPECT_TRUE(commands_->Thinking());
        const Lines after = Say("?\n");
        EXPECT_FALSE(commands_->Thinking());
        ASSERT_FALSE(after.empty());
        EXPECT_TRUE(IsMove(after.front())) << after.front();
        EXPECT_EQ(Lines(after.begin() + 1, after.end()), c.afterMove);
        EXPECT_EQ(GameRecord.size(), 2u);
        EXPECT_TRUE(c.after());
    }
}

// Commands that stop the search first: no move comes, then the command is carried out as when idle.
TEST_P(EngineThread, CommandsThatStopTheSearch) {
    const struct {
        const char* input;
        std::function<bool()> after;
    } cases[] = {
        {"force\n", [] { return ForceMode && GameRecord.size() == 1; }},
        {"new\n", [] { return PositionKey() == "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"; }},
        {"white\n", [] { return !EnginePlaysWhite; }},
        {"setboard 4k3/8/8/8/8/8/8/4K2R b K - 0 1\n", [] { return !WhiteToMove; }},
        {"level 40 5 0\nforce\n", [] { return MovesPerControl == 40 && BaseTime == 300; }},
        // The program ends: no move, and no search starts again.
        {"quit\nforce\n", [this] { return quits_ && !ForceMode; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        StartThinking();  // after new: nothing in the time bank
        Say(c.input);
        for (const std::string& l : Settle()) EXPECT_FALSE(IsMove(l)) << l;
        EXPECT_FALSE(commands_->Thinking());
        EXPECT_TRUE(c.after());
        EXPECT_EQ(GameResult, ResultNone);
        EXPECT_DOUBLE_EQ(TimeBank, 0);  // a stopped search leaves nothing behind
        quits_ = false;
        commands_->Input("new\n");
    }
}

// A new depth stops the search and starts the next at once; the first search's late word that it ended
// must not stop the second, which plays its move after all its iterations.
TEST_P(EngineThread, NewLimitsStartTheSearchAgain) {
    StartThinking();
    commands_->Input("sd 2\n");  // the second search may be over before Input returns: Settle takes all
    EXPECT_TRUE(commands_->Thinking());
    const Lines lines = Settle();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(IsMove(lines.back())) << lines.back();
    // The last iteration ran: depth 2, which the design's search shows as 4.
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 2), GetParam() == SearchKind::Design ? "4 " : "2 ");
    EXPECT_EQ(GameRecord.size(), 2u);
}

// UCI: commands that set the position and the limits wait for the search; isready does not. stop gives
// the infinite search's move, then the go that waited runs with its own position.
TEST_P(EngineThread, UciCommandsWhileGoInfinite) {
    Speak(UciProtocol());
    commands_->Input(std::string("position fen ") + Middlegame + "\ngo infinite\n");
    ASSERT_TRUE(AwaitLine(std::regex("info depth 4 .*")));
    EXPECT_EQ(Say("position fen 7k/8/8/8/8/4n3/8/r6K w - - 0 1\ngo depth 2\nisready\n"), Lines{"readyok"});
    EXPECT_TRUE(commands_->Thinking());
    Lines moves;
    const auto keepMoves = [&moves](const Lines& lines) {
        for (const std::string& l : lines)
            if (l.rfind("bestmove", 0) == 0) moves.push_back(l.substr(0, l.find(" ponder")));
    };
    // The infinite search's move comes before stop returns; the next search's may come as early.
    keepMoves(Say("stop\n"));
    ASSERT_FALSE(moves.empty());
    if (moves.size() == 1) {
        ASSERT_TRUE(AwaitLine(std::regex("bestmove h1h2( ponder .*)?")));
    }
    keepMoves(Settle());
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_TRUE(std::regex_match(moves[0], std::regex("bestmove [a-h][1-8][a-h][1-8]"))) << moves[0];
    EXPECT_NE(moves[0], "bestmove h1h2");
    EXPECT_EQ(moves[1], "bestmove h1h2");
    EXPECT_EQ(PositionKey(), "7k/8/8/8/8/4n3/8/r6K w - -");  // the engine's board is the interface's
}

// The game window's own changes (its menus) act as a command that stops the search: after the lines
// before them, whose searches all end without a move, also one that a waiting line started; then the
// turn that is due starts.
TEST_P(EngineThread, WindowChangesStopEveryTurnAskedBeforeThem) {
    Speak(UciProtocol());
    commands_->Input(std::string("position fen ") + Middlegame + "\ngo infinite\ngo depth 30\n");
    EXPECT_TRUE(commands_->Thinking());
    bool changed = false;
    commands_->Act([&] { changed = !commands_->Thinking(); });
    EXPECT_TRUE(changed);
    EXPECT_FALSE(commands_->Thinking());
    for (const std::string& l : Settle()) EXPECT_NE(l.rfind("bestmove", 0), 0u) << l;
    Speak(XboardProtocol());
    commands_->Input(std::string("new\nforce\nsd 40\nsetboard ") + Middlegame + "\n");
    commands_->Act([] { ForceMode = false, EnginePlaysWhite = true; });
    EXPECT_TRUE(commands_->Thinking());
    commands_->Act([] { ForceMode = true; });
    EXPECT_FALSE(commands_->Thinking());
    for (const std::string& l : Settle()) EXPECT_FALSE(IsMove(l)) << l;
}

INSTANTIATE_TEST_SUITE_P(BothSearches, EngineThread,
                         ::testing::Values(SearchKind::Design, SearchKind::Strong), [](const auto& info) {
                             return info.param == SearchKind::Design ? "Design" : "Strong";
                         });

}  // namespace
