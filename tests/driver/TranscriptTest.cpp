// SPDX-License-Identifier: GPL-3.0-or-later
// The real executable behind a pipe, as a chess interface drives it: exact replies, framing included.
#include <regex>
#include <thread>

#include "PipedEngine.h"

namespace {
const std::string Feature =
    "\nfeature variants=\"normal\" ping=1 setboard=1 analyze=1 memory=1 smp=1 myname=\"Talvor\"\n"
    "\nfeature option=\"RicercaForte -check 0\"\n\nfeature option=\"Clear Hash -button\"\n"
    "\nfeature option=\"LimitaForza -check 0\"\n\nfeature option=\"ForzaElo -spin 1000 410 1780\"\n"
    "\nfeature option=\"MultiPV -spin 1 1 20\"\n\nfeature option=\"ValorePedoni -spin 100 0 10000\"\n"
    "\nfeature option=\"ValoreCavalli -spin 313 0 10000\"\n\nfeature option=\"ValoreAlfieri -spin 330 0 "
    "10000\"\n"
    "\nfeature option=\"ValoreTorri -spin 520 0 10000\"\n\nfeature option=\"ValoreRegine -spin 900 0 "
    "10000\"\n"
    "\nfeature option=\"RicercaPatta -spin 0 -10000 10000\"\n\nfeature done=1\n";

struct Engine : PipedEngine {
    explicit Engine(const std::vector<std::string>& args = {TALVOR_EXE, "-xboard"}) : PipedEngine(args) {}

    // Sends the lines, then a ping, and returns everything the engine wrote before the pong.
    std::string Exchange(const std::string& sLines) {
        const std::string pong = "\npong " + std::to_string(++pings) + "\n";
        EXPECT_TRUE(Write(sLines + "ping " + std::to_string(pings) + "\n"));
        EXPECT_TRUE(ReadUntil(pong, 5000)) << "no " << pong;
        const std::string out = TakeOutputThrough(pong);
        return out.size() >= pong.size() ? out.substr(0, out.size() - pong.size()) : out;
    }
    int pings = 0;
};

const std::regex MoveLine("\nmove [a-h][1-8][a-h][1-8][qrbn]?\n");

struct Case {
    const char* input;
    std::string expected;
};

TEST(Transcript, CommandTableInOrder) {
    Engine e;
    e.Exchange("");
    kill(e.Pid(), SIGINT);  // interfaces interrupt the engine; it must carry on
    const Case cases[] = {
        {"xboard\nrandom\nhard\neasy\n?\npost\nnopost\nname Someone\nrating 2000 1800\ncomputer\n", ""},
        {"draw\n",
         "\ntellics decline\n\ntellics say Talvor: Mi dispiace ma il comando non \xC3\xA8 supportato\n"},
        {"protover 1\n", ""},
        {"protover 2\n", Feature},
        {"draw\n",
         "\ntellics decline\n\ntellopponent Talvor: Mi dispiace ma il comando non \xC3\xA8 supportato\n"},
        {"ping \n", "\npong \n"},
        {"result 1-0 {White mates}\n", "\n1-0 {White mates}\n"},
        {"allseeks\n", "\ntellics seek 5 0 f\n\ntellics seek 10 0 f\n"},
        // Not ours: no reply, and no reply to the game window's own commands in console mode.
        {"exit\nperft 3\nbench\nhint-a\nwriteepd-a\ndisplay-a\nPING 1\n", ""},
        // Carriage returns end lines too.
        {"ping 5\r\nping 6\r", "\npong 5\n\npong 6\n"},
        {"new\ne2e5\n", "\nIllegal move: e2e5\n"},
        {"new\nforce\ne2e4\ne7e5\ne7e5\nE2E4\n", "\nIllegal move: e7e5\n\nIllegal move: E2E4\n"},
        // A promotion needs its letter.
        {"force\nsetboard 4k3/P7/8/8/8/8/8/4K3 w - -\na7a8\n", "\nIllegal move: a7a8\n"},
        {"a7a8n\n", ""},
        {"new\nforce\nremove\ne2e4\n", ""},  // nothing to take back: e2e4 is still White's move
        {"new\nforce\ne2e4\nremove\ne2e4\n", "\nIllegal move: e2e4\n"},  // one ply only: nothing taken
        {"new\nforce\ne2e4\nd7d5\nremove\ne2e4\n", ""},
        // undo takes back one ply, within the same limits.
        {"new\nforce\ne2e4\nundo\ne2e4\n", ""},
        {"new\nforce\nundo\ne2e4\nd7d5\nundo\nundo\ne2e4\ne7e5\n", ""},
        // The en-passant right of the position before a take-back comes back.
        {"new\nforce\ne2e4\na7a6\ne4e5\nd7d5\na2a3\na6a5\nremove\ne5d6\n", ""},
        {"new\nforce\ne2e4\na7a6\ne4e5\nd7d5\na2a3\nundo\ne5d6\n", ""},
        // Moves made before a setboard are not taken back.
        {"new\nforce\ne2e4\ne7e5\nsetboard 4k3/8/8/8/8/8/8/4K3 w - - 0 1\nremove\ne1e2\n", ""},
        {"new\nforce\ne2e4\nsetboard 4k3/8/8/8/8/8/8/4K3 b - - 0 1\nundo\ne8e7\n", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(e.Exchange(c.input), c.expected) << c.input;
}

TEST(Transcript, EngineAnswersMovesAndGo) {
    Engine e;
    // After a move; after go right after new (the engine takes White); and, as interfaces other than XBoard
    // start a game, after force, the opening moves and go (the engine takes the side to move, Black here).
    for (const char* input : {"new\nsd 2\ne2e4\n", "new\nsd 2\ngo\n", "new\nsd 2\nforce\ne2e4\ngo\n",
                              "new\nsd 2\nforce\ne2e4\ne7e5\ng1f3\nb8c6\ngo\n"}) {
        e.Exchange(input);
        e.Await("\nmove ");
        const std::string out = e.Exchange("");
        EXPECT_TRUE(std::regex_search("\nmove " + out, MoveLine)) << input << out;
    }
    // white and black name the side to move; the engine plays the other one.
    EXPECT_EQ(e.Exchange("new\nsd 2\nblack\n"), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(e.Exchange(""), "");
    e.Exchange("e7e5\n");
    e.Await("\nmove ");
}

TEST(Transcript, RepetitionDrawIsAnnouncedAndStopsTheEngine) {
    Engine e;
    EXPECT_EQ(e.Exchange("new\nforce\ng1f3\ng8f6\nf3g1\nf6g8\ng1f3\ng8f6\nf3g1\nf6g8\n"), "");
    EXPECT_EQ(e.Exchange("g1f3\n"), "\n1/2-1/2 {Pareggio per ripetizione mosse.}\n");
    // The game is over: go does not make the engine move.
    EXPECT_EQ(e.Exchange("sd 1\ngo\n"), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(e.Exchange(""), "");
    // A take-back reopens the game: the engine plays on.
    EXPECT_EQ(e.Exchange("remove\ngo\n"), "");
    e.Await("\nmove ");
}

// After 101 plies without a capture or a pawn move the engine (Black) claims the draw only with a move after
// which the count still stands: with its queen it takes the knight and plays on; without a capture it
// claims with its move.
TEST(Transcript, FiftyMoveClaim) {
    // Kings on cycles of 7 and 8 squares: no position comes back within 56 moves. White's last move leaves
    // the cycle, so that no reply of Black's returns to a position seen before (a repetition is claimed
    // before the count).
    const char* white[] = {"a1", "b1", "c1", "c2", "b3", "a3", "a2"};
    const char* black[] = {"f8", "g8", "h8", "h7", "h6", "g6", "f6", "f7"};
    std::string plies;
    for (int i = 0; i < 50; ++i)
        plies +=
            std::string(white[i % 7]) + white[(i + 1) % 7] + "\n" + black[i % 8] + black[(i + 1) % 8] + "\n";
    plies += std::string(white[50 % 7]) + "b2\n";
    const Case cases[] = {{"3q1k2/8/8/8/3N4/8/8/K7", "\nmove d8d4\n"},
                          {"3q1k2/8/8/8/8/8/8/K7", "\n1/2-1/2 {Regola delle 50 mosse}\n"}};
    for (const Case& c : cases) {
        Engine e;
        EXPECT_EQ(e.Exchange("new\nforce\nsetboard " + std::string(c.input) + " w - - 0 1\n" + plies), "");
        ASSERT_TRUE(e.Write("sd 3\ngo\n"));
        const std::string out = e.Await(c.expected);
        const std::string after = e.Exchange("");
        if (c.expected.find("move") != std::string::npos)
            EXPECT_EQ(after.find("1/2-1/2"), std::string::npos) << after;
        else
            EXPECT_TRUE(std::regex_search(
                out, std::regex("\nmove [a-h][1-8][a-h][1-8]\n\n1/2-1/2 \\{Regola delle 50 mosse\\}\n$")))
                << out;
    }
}

TEST(Transcript, RejectedSetboardFreezesUntilNew) {
    Engine e;
    EXPECT_EQ(e.Exchange("new\nforce\nsetboard 7k/p7/6K1/5Q2/8/8/8/8 w - -\nf5d5\n"), "");
    EXPECT_EQ(e.Exchange("setboard 7k/p7/6K1/5Q2/8/8/8 w - -\n"), "\ntellusererror Illegal position\n");
    EXPECT_EQ(e.Exchange("e2e4\na7a6\n"), "\nIllegal move: e2e4\n\nIllegal move: a7a6\n");
    EXPECT_EQ(e.Exchange("sd 1\ngo\n"), "");  // never plays on from a position the interface refused
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(e.Exchange(""), "");
    EXPECT_EQ(e.Exchange("setboard 7k/8/6K1/5Q2/8/8/8/8 w - -\nforce\nf5f7\n"), "");
    EXPECT_EQ(e.Exchange("setboard nonsense\nnew\nforce\ne2e4\n"), "\ntellusererror Illegal position\n");
}

TEST(Transcript, GameEndLines) {
    Engine e;
    // The engine (Black) is stalemated, then mated: only the result line.
    for (const Case& c : {Case{"7k/5Q2/6K1/8/8/8/8/8", "\n1/2-1/2 {Pareggio}\n"},
                          Case{"7k/6Q1/6K1/8/8/8/8/8", "\n1-0 {Il Bianco Vince}\n"}}) {
        EXPECT_EQ(e.Exchange(std::string("new\nsetboard ") + c.input + " b - -\n"), "");
        EXPECT_EQ(e.Await(c.expected).find("move "), std::string::npos) << c.input;
    }
}

TEST(Transcript, LinesSplitAcrossWritesAreAssembled) {
    Engine e;
    ASSERT_TRUE(e.Write("pi"));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(e.Write("ng 7"));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(e.Exchange("\n"), "\npong 7\n");
    // A line straddling the 2048-byte read boundary, and a line longer than one read.
    const std::string filler(2044, 'x');
    EXPECT_EQ(e.Exchange(filler + "\nping 8\n"), "\npong 8\n");
    const std::string longArg(5000, '7');
    EXPECT_EQ(e.Exchange("ping " + longArg + "\n"), "\npong " + longArg + "\n");
    // An unterminated line beyond 64 KiB is dropped whole; the lines after it are handled.
    EXPECT_EQ(e.Exchange("ping 9" + std::string(70000, '9') + "\n"), "");
    EXPECT_EQ(e.Exchange("ping 10\n"), "\npong 10\n");
    // However many reads its tail takes, all of it is the dropped line's: nothing in it is a command.
    // 65,537 bytes: the read that takes the last of them is the one that starts dropping the line.
    ASSERT_TRUE(e.Write("ping 11" + std::string(65530, '1')));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(e.Write(std::string(100, '1')));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(e.Exchange("ping 12\n"), "");
    EXPECT_EQ(e.Exchange("ping 13\n"), "\npong 13\n");
}

// Input that ends without a line feed, and quit, which drops the rest of its chunk.
TEST(Transcript, EndOfInputAndQuitEndTheProgram) {
    const Case cases[] = {{"protover 2\nping 3", Feature + "\npong 3\n"},
                          {"ping 1\nquit\nping 2\n", "\npong 1\n"}};
    for (const Case& c : cases) {
        Engine e;
        ASSERT_TRUE(e.Write(c.input));
        e.CloseInput();
        EXPECT_EQ(e.WaitExit(3000), 0);
        EXPECT_EQ(e.TakeOutput(), c.expected) << c.input;
    }
}

// ---- While the engine thinks ----
// sd 30 is a depth like any other: the search goes on past three iterations until ? asks for the move.
// Short controls count as given: 40 moves in 30 seconds is no budget below zero (one iteration), and an
// increment of 0.1 s is no increment of 0 (the one-second rule of a short clock: three iterations).
TEST(WhileThinking, DepthAndShortControls) {
    Engine e;
    e.Exchange("new\nsd 30\nsetboard " + Middlegame + "\nwhite\ngo\n");
    e.Await("\n6 ");
    ASSERT_TRUE(e.Write("?\n"));
    e.Await("\nmove ");
    for (const char* level : {"level 40 0:30 0", "level 0 0:10 0.1"}) {
        e.Exchange(std::string("new\n") + level + "\nsetboard " + Middlegame + "\n");
        ASSERT_TRUE(e.Write("go\n"));
        const std::string out = e.Await("\nmove ");
        EXPECT_NE(out.find(std::string(level).ends_with("0.1") ? "\n6 " : "\n5 "), std::string::npos) << out;
    }
}

// st N: the move comes inside N seconds. Measured as an interface sees it, so a machine busy elsewhere can
// delay one move; a search that spends the whole time (as it once did) is late in every position.
TEST(WhileThinking, MovesUnderStArriveInTime) {
    if (Slack > 1) GTEST_SKIP() << "a sanitizer's build is too slow to keep time";
    Engine e;
    int late = 0;
    for (const auto& [fen, side] : std::vector<std::pair<std::string, std::string>>{
             {"r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", "white"},
             {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", "white"},
             {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "white"},
             {"2rq1rk1/pp1bppbp/3p1np1/4n3/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 0 12", "black"}}) {
        e.Exchange("new\nst 2\nsetboard " + fen + "\n");
        const auto sent = Clock::now();
        ASSERT_TRUE(e.Write(side + "\ngo\n"));  // the side to move, and the engine plays it
        e.Await("\nmove ", 10000);
        const double ms = MsSince(sent);
        late += ms >= 2000;
        EXPECT_LT(ms, 3000.0) << fen;
    }
    EXPECT_LE(late, 1);
}

// At extreme clocks the move still comes in time, in both protocols and both searches: a tiny clock with
// a large increment, one move to the control, a clock far behind the opponent's, a clock of 0, and a fixed
// time beside a large clock. The bound is generous: the engine's own limits stop it by 0.8 s here, where
// each of these faults once took 2 s or more.
TEST(WhileThinking, ExtremeClocksStillMoveInTime) {
    if (Slack > 1) GTEST_SKIP() << "a sanitizer's build is too slow to keep time";
    const std::pair<const char*, const char*> cases[] = {
        {"-uci", "go wtime 1000 btime 1000 winc 5000 binc 5000"},
        {"-uci", "go wtime 1000 btime 1000 movestogo 1"},
        {"-uci", "go wtime 1000 btime 600000"},
        {"-uci", "go wtime 0 btime 1000"},
        {"-uci", "go movetime 500 wtime 600000 btime 600000"},
        {"-xboard", "level 0 0:01 5\ntime 100\notim 100\ngo"},
        {"-xboard", "level 1 1 0\ntime 100\notim 6000\ngo"},
        {"-xboard", "st 0.5\ntime 60000\notim 60000\ngo"},
    };
    for (bool strong : {false, true})
        for (const auto& [mode, limits] : cases) {
            SCOPED_TRACE(std::string(mode) + (strong ? " -strong " : " ") + limits);
            const bool uci = std::string(mode) == "-uci";
            PipedEngine e(strong ? std::vector<std::string>{TALVOR_EXE, mode, "-strong"}
                                 : std::vector<std::string>{TALVOR_EXE, mode});
            e.Write(uci ? "position fen " + Middlegame + "\nisready\n"
                        : "new\nforce\nsetboard " + Middlegame + "\nping 1\n");
            e.Await(uci ? "readyok\n" : "pong 1\n");
            const auto sent = Clock::now();
            ASSERT_TRUE(e.Write(std::string(limits) + "\n"));
            e.Await(uci ? "bestmove " : "\nmove ");
            EXPECT_LT(MsSince(sent), 1500.0);
        }
}

// Switches start with - or / in any case. Unknown ones (one empty) are warned about on standard error, each
// warning quoting the whole command line; the protocol channel stays clean.
TEST(Transcript, SwitchesAndWarnings) {
    Engine e({TALVOR_EXE, "/XBoard", "", "foo"});
    EXPECT_EQ(e.Exchange("protover 2\n"), Feature);
    const std::string& err = e.ErrorOutput();
    const size_t first = err.find("\n/XBoard  foo\n");
    EXPECT_NE(first, std::string::npos) << err;
    EXPECT_NE(err.find("\n/XBoard  foo\n", first + 1), std::string::npos) << err;
}
// ---- Analysis, hint, book, pondering ----
// Analysis thinks about the position and moves nothing; moves and undo start it again, . tells where it
// stands, exit ends it. It leaves the book where it was: the game's first move still comes from it.
TEST(Transcript, AnalysisFollowsTheGameAndLeavesIt) {
    Engine e;
    e.Exchange("protover 2\nnew\nforce\npost\nanalyze\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(std::regex_search(e.Exchange(".\n"),
                                  std::regex(R"(\nstat01: \d+ \d+ \d+ \d+ 20( [a-h][1-8][a-h][1-8])?\n)")));
    const std::regex AnalysisLine(
        R"(\n\d+ -?\d+ \d+ \d+ [a-h]([1-8])[a-h][1-8][qrbn]?( [a-h][1-8][a-h][1-8][qrbn]?)*\n)");
    const struct {
        const char* input;
        const char* ranks;  // where the moving side's pieces start from
    } steps[] = {{"e2e4\n", "[78]"}, {"undo\n", "[12]"}, {"d2d4\nd7d5\n", "[12]"}, {"remove\n", "[12]"}};
    for (const auto& s : steps) {
        e.Exchange(s.input);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const std::string out = e.Exchange("");
        std::string rank;  // of the first move of the last thinking line
        std::smatch m;
        for (auto it = out.cbegin(); std::regex_search(it, out.cend(), m, AnalysisLine); it = m[0].second - 1)
            rank = m[1];
        EXPECT_TRUE(std::regex_match(rank, std::regex(s.ranks))) << s.input << out;
        EXPECT_EQ(out.find("move "), std::string::npos) << out;
    }
    e.Exchange("exit\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(e.Exchange(".\n"), "");  // no analysis, no thinking
    ASSERT_TRUE(e.Write("go\n"));
    std::string played = e.Await("\nmove ");
    played += e.Await("\n");
    EXPECT_NE(played.find("{Book 0/30}"), std::string::npos) << played;
}

TEST(Transcript, HintAndBook) {
    Engine e;
    e.Exchange("protover 2\nnew\n");
    EXPECT_TRUE(std::regex_match(e.Exchange("bk\n"),
                                 std::regex(R"((\n [a-h][1-8][a-h][1-8] \d+% \(\d+ lines?\)\n)+\n\n)")));
    EXPECT_TRUE(std::regex_match(e.Exchange("hint\n"), std::regex("\nHint: [a-h][1-8][a-h][1-8]\n")));
    // Out of the book: no book moves, and the hint comes from a short search.
    EXPECT_EQ(e.Exchange("setboard 7k/8/6K1/8/8/8/8/1R6 w - - 0 1\nbk\n"), "\n no book moves here\n\n\n");
    EXPECT_EQ(e.Exchange("hint\n"), "\nHint: b1b8\n");
}

// hard: after its move the engine thinks on the reply it expects. No move comes before that reply is
// played (a hit: the move follows as in any turn); another reply (a miss) is answered from the real
// position; go ends the pondering and plays the side on move; force ends it, so that the expected reply
// then brings no move. The engine's replies must be legal where they are played: a fresh engine in force
// mode takes the game back without an Illegal move. Both searches: they share the pondering.
TEST(Transcript, PonderHitMissAndWhatEndsIt) {
    // Closed pawns: the engine's king and pawn moves never reach a6 or a5 in one move.
    const std::string fen = "4k3/p7/1p1p4/2pP4/2P5/1P6/P7/4K3 w - - 0 1";
    enum Then { Hit, Miss, Go, Force };
    const char* const names[] = {"hit", "miss", "go", "force"};
    for (bool strong : {false, true})
        for (Then then : {Hit, Miss, Go, Force}) {
            SCOPED_TRACE(std::string(strong ? "strong, " : "design, ") + names[then]);
            Engine e(strong ? std::vector<std::string>{TALVOR_EXE, "-xboard", "-strong"}
                            : std::vector<std::string>{TALVOR_EXE, "-xboard"});
            e.Exchange("new\nhard\nforce\nsetboard " + fen + "\nst 1\n");
            ASSERT_TRUE(e.Write("go\n"));
            const std::string first = e.Await("\nmove ");
            const std::string move1 = e.Await("\n");
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // more than the move's budget
            const std::string during = e.Exchange("?\n.\nhint\n");         // . is for analysis alone
            EXPECT_EQ(during.find("\nmove "), std::string::npos) << during;
            EXPECT_EQ(during.find("stat01"), std::string::npos) << during;
            // The reply pondered on, which hint names, is the second move of a line of the engine's move (the
            // last line shown may be one cut short by the clock, with the move alone).
            std::smatch hint;
            ASSERT_TRUE(std::regex_search(during, hint, std::regex("\nHint: ([a-h][1-8][a-h][1-8])\n")))
                << during;
            const std::string expected = hint[1];
            EXPECT_NE(first.find(" " + move1.substr(0, 4) + " " + expected), std::string::npos)
                << first << during;
            // What the engine's second move follows: the reply played (none after go).
            const std::string reply = then == Go           ? ""
                                      : then != Miss       ? expected + "\n"
                                      : expected == "a7a6" ? "a7a5\n"
                                                           : "a7a6\n";
            if (then == Force) {
                ASSERT_TRUE(e.Write("force\n" + reply));
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                const std::string none = e.Exchange("");
                EXPECT_EQ(none.find("\nmove "), std::string::npos) << none;
            }
            const auto sent = Clock::now();
            ASSERT_TRUE(e.Write(then == Go || then == Force ? "go\n" : reply));
            e.Await("\nmove ", 5000);
            const std::string move2 = e.Await("\n");
            EXPECT_LT(MsSince(sent), 3000.0 * Slack);
            Engine check;
            EXPECT_EQ(check.Exchange("new\nforce\nsetboard " + fen + "\n" + move1 + reply + move2), "");
        }
}
}  // namespace
