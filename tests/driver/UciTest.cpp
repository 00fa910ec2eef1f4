// SPDX-License-Identifier: GPL-3.0-or-later
// The real executable in UCI mode behind a pipe, as a UCI interface drives it.
#include <regex>

#include "PipedEngine.h"

namespace {
struct UciEngine : PipedEngine {
    UciEngine() : PipedEngine({TALVOR_EXE, "-uci"}) {}
    // The lines, then isready: everything before its readyok.
    std::string Exchange(const std::string& sLines) {
        EXPECT_TRUE(Write(sLines + "isready\n"));
        const std::string out = Await("readyok\n");
        return out.substr(0, out.size() - 8);
    }
    // A go and its answer: the info lines and the bestmove line.
    std::string Search(const std::string& sLines) {
        EXPECT_TRUE(Write(sLines));
        const std::string thinking = Await("bestmove ");
        return thinking + Await("\n");
    }
};

// The last thinking line before the move (a current-move line may come after it).
std::string LastInfo(const std::string& sOut) {
    const size_t end = sOut.rfind("\nbestmove ");
    const size_t start = sOut.rfind("info depth ", end);
    if (start == std::string::npos || end == std::string::npos) return "";
    return sOut.substr(start, sOut.find('\n', start) - start);
}

// The move of the last bestmove line, without its ponder move.
std::string BestMove(const std::string& sOut) {
    const size_t at = sOut.rfind("bestmove ");
    return at == std::string::npos ? "" : sOut.substr(at + 9, sOut.find_first_of(" \n", at + 9) - at - 9);
}

const std::regex InfoLine(
    R"(info depth \d+ score (cp -?\d+|mate -?\d+) nodes \d+ nps \d+ time \d+ pv( [a-h][1-8][a-h][1-8][qrbn]?)+)");

TEST(Uci, HandshakeOptionsAndBadInput) {
    UciEngine e;
    // The options themselves: OptionsTableTest.
    EXPECT_TRUE(std::regex_match(e.Exchange("uci\n"),
                                 std::regex("id name Talvor\nid author the TalvorWBE developers\n"
                                            "(option name [^\n]+\n)+uciok\n")));
    const struct {
        const char* input;
        const char* reply;
    } cases[] = {
        {"ucinewgame\nsetoption name ValoreRegine value 950\nsetoption name ownbook value false\n", ""},
        {"debug on\nponderhit\nnonsense\n\n", ""},
        {"setoption value 3\n", "info string setoption needs: setoption name NAME value VALUE\n"},
        {"position startpos moves e2e4 e7e5 g1f3 b8c6 f1b5 g8f6 e1g1\n", ""},
        {"position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8n e8d7\n", ""},
        {"position fen 8/8/8 w - - 0 1\n",
         "info string not a position Talvor can play: '8/8/8 w - - 0 1'; the position stays as it was\n"},
        {"position fen 4k3/8/8/8/8/8/8/4K3 w - - x 1\n",
         "info string not a position Talvor can play: '4k3/8/8/8/8/8/8/4K3 w - - x 1'; the position stays as "
         "it was\n"},
        {"position startpos moves e2e4 e2e4\n",
         "info string illegal move e2e4 (move 2 of the position); the position stays as it was\n"},
        {"position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8\n",  // a promotion names its piece
         "info string illegal move a7a8 (move 1 of the position); the position stays as it was\n"},
        {"position\n", "info string position needs startpos or fen\n"},
        {"position startpos e2e4\n", "info string position: 'e2e4' where moves should be\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(e.Exchange(c.input), c.reply) << c.input;
}

// Each go form and request ends in one bestmove, and only the position last set well counts.
TEST(Uci, GoFormsRequestsAndPositions) {
    UciEngine e;
    const struct {
        const char* input;
        const char* best;               // "" for any move
        const char* shows;              // in the last info line
        const char* pattern = nullptr;  // or else: the whole output matches it
    } cases[] = {
        // Only Kh2 is legal: one iteration. A refused position leaves this one in place.
        {"setoption name OwnBook value false\n"
         "position fen 7k/8/8/8/8/4n3/8/r6K w - - 0 1\nposition fen 8/8 w - -\ngo depth 3\n",
         "h1h2", "depth 1 "},
        {"position fen 7k/8/5K2/8/8/8/8/1R6 w - - 0 1\ngo depth 4\n", "f6g6", "depth 4 score mate 2 "},
        {"position fen 7k/p7/6K1/8/8/8/8/1R6 b - - 0 1\ngo depth 3\n", "", "score mate -1 "},
        {"position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1\ngo movetime 200\n", "a7a8q", " pv a7a8q"},
        // Castling is the king's move, and here the only mate: Rf1+ alone lets the king out to g2.
        {"position fen 8/8/8/8/4ppp1/4pkp1/8/2N1K2R w K - 0 1\ngo depth 2\n", "e1g1", "score mate 1 "},
        {"position fen r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1 moves a2a3 a7a6\ngo depth 2\n", "",
         "depth 2 "},
        // A rook up, but fifty moves without a capture or a pawn move: every move draws.
        {"position fen 4k3/8/8/8/8/8/8/R3K3 w - - 100 60\ngo depth 2\n", "", "score cp 0 "},
        {"position startpos moves e2e4\ngo wtime 10000 btime 10000 winc 100 binc 100\n", "", ""},
        {"ucinewgame\nposition fen 2rq1rk1/pp1bppbp/3p1np1/4n3/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 0 12\n"
         "go btime 2000 wtime 9000 movestogo 20\n",
         "", ""},
        // Mated and stalemated: no move, and no thinking to show.
        {"position fen R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1\ngo depth 3\n", "0000", "", "bestmove 0000\n"},
        {"position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo movetime 100\n", "0000", "", "bestmove 0000\n"},
        // The book, when the moves from the start position are one of its lines.
        {"setoption name OwnBook value true\nposition startpos moves e2e4\ngo movetime 5000\n", "", "",
         "info string book move 1/30\nbestmove \\w{4}\n"},
        {"position startpos\ngo nodes 0 depth 0 wibble movetime 100\n", "", "",
         "info string go: wibble is not supported and is ignored\ninfo string go: depth 0 is not from 1 to "
         "32767\n"
         "info string go: nodes 0 is not a positive number\n[^]*"},
        // Three lines of depth 3, best first, three different first moves; the move and its ponder move
        // are those of the best line.
        {"setoption name MultiPV value 3\nposition startpos moves e2e4 e7e5 g1f3\ngo depth 3\n", "", "",
         R"([^]*info depth 3 multipv 1 score cp (-?\d+) [^\n]* pv (\w+) (\w+)[^\n]*\ninfo depth 3 multipv 2 score cp (-?\d+) [^\n]* pv (\w+)[^\n]*\ninfo depth 3 multipv 3 score cp (-?\d+) [^\n]* pv (\w+)[^\n]*\nbestmove \2 ponder \3\n)"},
        {"setoption name MultiPV value 1\nposition startpos\ngo depth 3 searchmoves a2a3 h2h3 e2e5\n", "", "",
         R"(info string go: searchmoves e2e5 is not a legal move here and is left out\n([^\n]* pv (a2a3|h2h3)[^\n]*\n)+bestmove (a2a3|h2h3)( ponder \w+)?\n)"},
        {"position startpos\ngo nodes 20000\n", "", "",
         R"((info depth \d+ score cp -?\d+ nodes (\d{1,4}|1\d{4}|20[0-9]{3}) [^\n]*\n)+bestmove \w+( ponder \w+)?\n)"},
        {"position fen 7k/8/5K2/8/8/8/8/1R6 w - - 0 1\ngo mate 2\n", "f6g6", "", R"([^]*score mate 2 [^]*)"},
        // Analysis mode and a book position: the book is not asked.
        {"setoption name UCI_AnalyseMode value true\nposition startpos\ngo movetime 300\n", "", "",
         R"((info depth [^\n]*\n)+bestmove \w+( ponder \w+)?\n)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const auto start = Clock::now();
        const std::string out = e.Search(c.input);
        EXPECT_LT(MsSince(start), 5000.0 * Slack);
        if (*c.best) {
            EXPECT_EQ(BestMove(out), c.best) << out;
        }
        EXPECT_TRUE(std::regex_match(BestMove(out), std::regex("[a-h][1-8][a-h][1-8][qrbn]?|0000"))) << out;
        EXPECT_EQ(out.find("bestmove"), out.rfind("bestmove")) << out;  // one answer to one go
        if (!c.pattern) {
            EXPECT_TRUE(std::regex_match(LastInfo(out), InfoLine)) << out;
            EXPECT_NE(LastInfo(out).find(c.shows), std::string::npos) << out;
            continue;
        }
        std::smatch m;
        ASSERT_TRUE(std::regex_match(out, m, std::regex(c.pattern))) << out;
        if (m.size() == 8) {  // the MultiPV lines
            EXPECT_GE(std::stoi(m[1]), std::stoi(m[4]));
            EXPECT_GE(std::stoi(m[4]), std::stoi(m[6]));
            EXPECT_TRUE(m[2] != m[5] && m[5] != m[7] && m[2] != m[7]) << out;
        }
    }
}

// go infinite and go ponder: readyok at once meanwhile, no bestmove before stop or ponderhit (not even when
// the search has nothing more to do, nor when the ponder search's clock has run out), then the move: at
// once after stop, as a timed search after ponderhit; thinking, never a book move.
TEST(Uci, InfiniteUntilStop) {
    UciEngine e;
    const std::string ponder = "fen " + Middlegame + "\ngo ponder wtime 2000 btime 2000";
    const struct {
        std::string go;  // the position and the go
        const char* end;
        int waitMs, boundMs;  // the ponder search waits longer than a 2 s clock's budget
    } cases[] = {
        {"startpos\ngo infinite", "stop", 300, 1000},
        {"startpos moves e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 a7a6\ngo infinite", "stop", 300, 1000},
        {"fen 7k/8/8/8/8/4n3/8/r6K w - - 0 1\ngo infinite", "stop", 300, 1000},
        {"fen R5k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1\ngo infinite", "stop", 300, 1000},
        {ponder, "ponderhit", 1500, 1500},
        {ponder, "stop", 1500, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.go + ", " + c.end);
        ASSERT_TRUE(e.Write("position " + c.go + "\n"));
        std::this_thread::sleep_for(std::chrono::milliseconds(c.waitMs));
        auto sent = Clock::now();
        const std::string during = e.Exchange("");
        EXPECT_LT(MsSince(sent), 500.0 * Slack);
        EXPECT_EQ(during.find("bestmove"), std::string::npos) << during;
        sent = Clock::now();
        ASSERT_TRUE(e.Write(std::string(c.end) + "\n"));
        std::string out = e.Await("bestmove ");
        out += e.Await("\n");
        EXPECT_LT(MsSince(sent), c.boundMs * Slack);
        EXPECT_TRUE(std::regex_match(BestMove(out), std::regex("[a-h][1-8][a-h][1-8][qrbn]?|0000"))) << out;
        EXPECT_EQ((during + out).find("book"), std::string::npos) << during << out;
        EXPECT_EQ((during + out).find("info depth") == std::string::npos, BestMove(out) == "0000")
            << during << out;
        EXPECT_EQ(e.Exchange("stop\n"), "");  // nothing to stop: no second answer
    }
}

// The same search as in xboard mode: at a fixed depth the same node count and move, for each search as
// UCI's option (a check option's value in any case) and xboard's command-line word choose it; the two
// searches differ.
TEST(Uci, FixedDepthSearchesAsXboardDoes) {
    const char* fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
    std::string nodes[2];
    for (int strong : {0, 1}) {
        UciEngine uci;
        const std::string info =
            LastInfo(uci.Search(std::string(strong ? "setoption name RicercaForte value TRUE\n" : "") +
                                "position fen " + fen + "\ngo depth 4\n"));
        std::smatch m;
        ASSERT_TRUE(std::regex_search(info, m, std::regex(R"(nodes (\d+) .* pv (\w+))"))) << info;
        std::vector<std::string> args{TALVOR_EXE, "-xboard"};
        if (strong) args.push_back("-strong");
        EngineProcess xboard(args);
        ASSERT_TRUE(xboard.Write("new\nforce\nsetboard " + std::string(fen) + "\nsd 4\ngo\n"));
        ASSERT_TRUE(xboard.ReadUntil("\nmove ", 20000 * Slack));
        const std::string lines = xboard.TakeOutput();
        std::smatch x;
        ASSERT_TRUE(std::regex_search(lines, x, std::regex(R"(\n\d+ -?\d+ \d+ (\d+) (\w+)[^\n]*\n\nmove )")))
            << lines;
        EXPECT_EQ(m[1], x[1]);
        EXPECT_EQ(m[2], x[2]);
        nodes[strong] = m[1];
    }
    EXPECT_NE(nodes[0], nodes[1]);
}

}  // namespace
