// SPDX-License-Identifier: GPL-3.0-or-later
// Commands written together, as interfaces write them, through the real executable in both protocols and
// with both searches: a command that stops, hits or replaces a search acts on it also when it arrives
// before the search's thread has begun. Every search gets exactly one answer, in the order asked, none
// lost and none doubled, and every wait for an answer is bounded.
//
// The randomised test plays TALVOR_BURST_ROUNDS interleavings (default 600) for each protocol and search,
// from the seed TALVOR_BURST_SEED (default 27); a longer run, e.g.:
//   TALVOR_BURST_ROUNDS=5000 TALVOR_BURST_SEED=$RANDOM build/bin/driver_transcript_tests
//   --gtest_filter='*Random*'
#include <cstdlib>
#include <random>
#include <span>
#include <sstream>
#include <thread>

#include "PipedEngine.h"

namespace {
using Lines = std::vector<std::string>;

constexpr int Repeats = 20;  // each sequence, so many times in one write
// The longest wait for an answer: far above what any takes.
constexpr int AnswerMs = 20000 * Slack;

const std::string M = Middlegame;
// The last search of a UCI exchange: its move, a1a2, comes after every answer asked before it.
constexpr char UciSentinel[] = "position fen 7k/8/8/8/8/8/8/K7 w - - 0 1\ngo depth 1 searchmoves a1a2\n";
constexpr char UciSentinelAnswer[] = "bestmove a1a2\n";
// The white moves legal both from the start and in Middlegame: searchmoves with one of them names the
// answer.
const char* const CommonMoves[] = {"a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3",
                                   "d2d4", "g2g3", "g2g4", "h2h3", "h2h4", "b1a3", "b1c3"};

struct Kind {
    bool Uci, Strong;
};
std::string Name(const testing::TestParamInfo<Kind>& info) {
    return std::string(info.param.Uci ? "Uci" : "Xboard") + (info.param.Strong ? "Strong" : "Design");
}

// The first word after sHead of each line that starts with it.
Lines WordsAfter(const std::string& sOut, const std::string& sHead) {
    Lines words;
    std::istringstream in(sOut);
    for (std::string l; std::getline(in, l);)
        if (l.rfind(sHead, 0) == 0)
            words.push_back(l.substr(sHead.size(), l.find(' ', sHead.size()) - sHead.size()));
    return words;
}
// The moves of the answers: UCI's bestmove, the xboard protocol's move.
Lines Answers(const std::string& sOut, bool bUci) {
    return WordsAfter(sOut, bUci ? "bestmove " : "move ");
}
int Count(const std::string& sOut, const std::string& sLineStart) {
    return static_cast<int>(WordsAfter(sOut, sLineStart).size());
}

struct Engine : PipedEngine {
    explicit Engine(Kind k) : PipedEngine(Args(k)), uci_(k.Uci) {
        // The book would answer before searchmoves is read.
        Write(uci_ ? "uci\nsetoption name OwnBook value false\n" : "xboard\nprotover 2\n");
    }
    static std::vector<std::string> Args(Kind k) {
        std::vector<std::string> a = {TALVOR_EXE, k.Uci ? "-uci" : "-xboard"};
        if (k.Strong) a.push_back("-strong");
        return a;
    }
    // Writes sText in pieces of 1 to nMaxPiece bytes (cut anywhere, also inside a line), with short pauses
    // or none between them, so that the engine reads it in chunks of any size.
    void WriteInPieces(const std::string& sText, size_t nMaxPiece, std::mt19937& rng) {
        for (size_t at = 0; at < sText.size();) {
            const size_t n = std::uniform_int_distribution<size_t>(1, nMaxPiece)(rng);
            ASSERT_TRUE(Write(sText.substr(at, n)));
            at += n;
            if (rng() % 8 == 0) std::this_thread::sleep_for(std::chrono::microseconds(rng() % 300));
        }
    }
    // Everything the engine says until the answers asked so far have all come: in UCI a last search,
    // whose move comes after theirs; in the xboard protocol hint and ping, which wait behind a search of
    // the engine's move, and a Hint line, which analysis never gives (it ignores hint).
    std::string Settle() {
        static int pings = 0;
        const std::string ping = "settled" + std::to_string(++pings);
        EXPECT_TRUE(Write(uci_ ? UciSentinel : "hint\nping " + ping + "\n"));
        const std::string mark = uci_ ? UciSentinelAnswer : "pong " + ping + "\n";
        if (!ReadUntil(mark, AnswerMs)) {
            ADD_FAILURE() << "no answer within " << AnswerMs << " ms: " << TakeOutput();
            return "";
        }
        const std::string out = TakeOutputThrough(mark);
        if (!uci_) {
            EXPECT_EQ(Count(out, "Hint: "), 1) << "the engine is not at rest: " << out;
        }
        return out.substr(0, out.size() - mark.size());
    }
    // The program ends by itself (quit, the end of input) within the bounded wait.
    std::string AwaitEnd() {
        EXPECT_EQ(WaitExit(AnswerMs), 0) << "the program did not end";
        return TakeOutput();
    }
    bool uci_;
};

// ---- The sequences of the report that the random interleavings below do not write, each repeated in one
// write: a ponderhit queued with its search, the engine's move asked by the opponent's, and commands those
// leave out ----

// A new game (setboard keeps the positions seen, which would soon make a repetition), set up from
// Middlegame: the engine plays White after go; the engine, Black, is on move after the move d2d4.
const std::string P = "new\nforce\nsd 40\nsetboard " + M + "\n";
const std::string U = "new\nsd 40\nsetboard " + M + "\nd2d4\n";
const std::string Fen = "position fen " + M + "\n";

struct Row {
    const char* What;
    std::string Body;
    int Answers;  // moves per repetition
};
// Each ponderhit belongs to its own ponder search, which may still wait behind the one before.
const Row UciRows[] = {{"ponder, ponderhit", Fen + "go ponder wtime 300 btime 300\nponderhit\n", 1}};
const Row XboardRows[] = {
    {"go, white", P + "go\nwhite\n", 0},
    {"go, setboard, ?", P + "go\nsetboard 4k3/8/8/8/8/8/8/R3K3 w Q - 0 1\n?\n", 1},
    {"go, sd, ?", P + "go\nsd 3\n?\n", 1},
    {"move, ?", U + "?\n", 1},
    {"move, force", U + "force\n", 0},
    {"move, undo", U + "undo\n", 0},
    {"move, new", U + "new\n", 0},
    {"move, ?, pondering after it, easy", "hard\n" + U + "?\neasy\n", 1},
    {"analyze, move, exit", P + "analyze\nd2d4\nexit\n", 0},
    {"analyze, go, exit, ?: the engine plays", P + "analyze\ngo\nexit\n?\n", 1},
};

// Sequences that end the program, once each, after a first answer in the same write.
struct Ending {
    const char* What;
    std::string Text;
    bool CloseInput;  // the end of input instead of quit
};
const Ending UciEndings[] = {
    {"infinite, quit", Fen + "go infinite\nquit\n", false},
    {"depth, quit", Fen + "go depth 30\nquit\n", false},
    {"ponder, quit", Fen + "go ponder wtime 2000 btime 2000\nquit\n", false},
    {"infinite, end of input", Fen + "go infinite\n", true},
    {"ponder, end of input", Fen + "go ponder\n", true},
};
const Ending XboardEndings[] = {
    {"go, quit", P + "go\nquit\n", false},
    {"move, quit", U + "quit\n", false},
    {"analyze, quit", P + "analyze\nquit\n", false},
    {"go, end of input", P + "go\n", true},
    {"analyze, end of input", P + "analyze\n", true},
};

class Burst : public testing::TestWithParam<Kind> {};

TEST_P(Burst, EverySearchAnsweredOnceWhenCommandsComeTogether) {
    const bool uci = GetParam().Uci;
    Engine e(GetParam());
    e.Settle();
    for (const Row& r : uci ? std::span<const Row>(UciRows) : std::span<const Row>(XboardRows)) {
        SCOPED_TRACE(r.What);
        std::string text;
        for (int i = 0; i < Repeats; ++i) text += r.Body;
        ASSERT_TRUE(e.Write(text));
        const std::string out = e.Settle();
        EXPECT_EQ(Answers(out, uci).size(), static_cast<size_t>(r.Answers * Repeats)) << out;
    }
}

// The program ends at once, also while a search runs, and without that search's move.
TEST_P(Burst, QuitAndEndOfInputEndAtOnceWithoutTheSearchMove) {
    const bool uci = GetParam().Uci;
    for (const Ending& end :
         uci ? std::span<const Ending>(UciEndings) : std::span<const Ending>(XboardEndings)) {
        SCOPED_TRACE(end.What);
        Engine e(GetParam());
        e.Settle();
        // A search answered first, in the same write: its answer comes, the last one's does not.
        const std::string first = uci ? Fen + "go infinite\nstop\n" : P + "go\n?\n";
        const auto sent = Clock::now();
        ASSERT_TRUE(e.Write(first + end.Text));
        if (end.CloseInput) e.CloseInput();
        EXPECT_EQ(Answers(e.AwaitEnd(), uci).size(), 1u);
        EXPECT_LT(MsSince(sent), 1000.0 * Slack);
    }
}

INSTANTIATE_TEST_SUITE_P(BothProtocolsBothSearches, Burst,
                         testing::Values(Kind{true, false}, Kind{true, true}, Kind{false, false},
                                         Kind{false, true}),
                         Name);

// ---- Random interleavings, each with an oracle of its answers ----

int EnvNumber(const char* sName, int nDefault) {
    const char* v = std::getenv(sName);
    return v && *v ? std::atoi(v) : nDefault;
}

// One interleaving and what it must get: the moves of the answers in order (* for any move), and the
// count of pong or readyok lines.
struct Script {
    std::string Text;
    Lines Moves;
    int Pongs = 0;
};

// UCI: positions, every kind of go (most naming their answer by searchmoves), stop, ponderhit, isready.
// Every go gets its bestmove, in order; a stop at the end ends what still runs.
Script UciScript(std::mt19937& rng) {
    static const char* const Gos[] = {"go infinite",
                                      "go depth 2",
                                      "go nodes 300",
                                      "go movetime 5",
                                      "go wtime 200 btime 200",
                                      "go ponder wtime 200 btime 200",
                                      "go ponder",
                                      "go mate 1",
                                      "go"};
    Script s;
    s.Text = rng() % 2 ? "position startpos\n" : Fen;
    const int n = 1 + rng() % 14;
    for (int i = 0; i < n; ++i) {
        const unsigned kind = rng() % 8;
        if (kind == 0) {
            s.Text += rng() % 3 == 0 ? "ucinewgame\n" : rng() % 2 ? "position startpos\n" : Fen;
        } else if (kind <= 3) {
            s.Text += Gos[rng() % std::size(Gos)];
            const bool named = rng() % 10 < 7;
            const std::string m = named ? CommonMoves[rng() % std::size(CommonMoves)] : "*";
            s.Text += (named ? " searchmoves " + m : "") + "\n";
            s.Moves.push_back(m);
        } else {
            s.Text += kind <= 5 ? "stop\n" : kind == 6 ? "ponderhit\n" : "isready\n";
            s.Pongs += kind == 7;
        }
    }
    s.Text += "stop\n";
    return s;
}

// xboard: an oracle that follows the engine's state through a small set of commands whose answers do
// not depend on timing. Searches of the engine's move run from Middlegame (F) or one ply after it (P1)
// with depth 40, so that only ? or a command that stops them ends them; analysis and pondering never
// give a move here (no move of the opponent's comes).
Script XboardScript(std::mt19937& rng) {
    enum Pos { Start, F, P1, P2 };
    Pos pos = Start;
    bool engineWhite = false, force = false, analyze = false;
    static int pings = 1000;
    Script s;
    const auto whiteToMove = [&] { return pos != P1; };
    const auto play = [&] { return !analyze && engineWhite == whiteToMove() && !force; };
    const int n = 1 + rng() % 16;
    for (int i = 0; i < n; ++i) {
        const unsigned kind = rng() % 12;
        if (kind <= 1) {
            s.Text += P + "go\n";
            force = false, engineWhite = true, pos = F;
        } else if (kind <= 3) {
            if (play()) s.Moves.push_back("*"), pos = pos == F ? P1 : P2;
            s.Text += "?\n";
        } else if (kind == 4) {
            if (pos != F && pos != P1) continue;  // later positions are not known to be quiet
            if (!play()) engineWhite = whiteToMove(), force = false;
            s.Text += "go\n";
        } else if (kind == 5) {
            s.Text += "force\n", force = true;
        } else if (kind == 6 || kind == 10) {  // a new game from the start or from Middlegame
            s.Text += kind == 6 ? "new\nsd 40\n" : "new\nsd 40\nsetboard " + M + "\n";
            pos = kind == 6 ? Start : F, engineWhite = false, force = false;
        } else if (kind == 7 || kind == 8) {
            s.Text += kind == 7 ? "analyze\n" : "exit\n";
            analyze = kind == 7;
        } else if (kind == 9) {
            s.Text += rng() % 2 ? "hard\n" : "easy\n";
        } else {
            s.Text += "ping " + std::to_string(++pings) + "\n";
            ++s.Pongs;
        }
    }
    // At rest again: analysis left, the search of the engine's move stopped without a move.
    s.Text += "exit\nnew\neasy\n";
    return s;
}

bool SameMoves(const Lines& got, const Lines& expected) {
    if (got.size() != expected.size()) return false;
    for (size_t i = 0; i < got.size(); ++i)
        if (expected[i] != "*" && expected[i] != got[i]) return false;
    return true;
}

TEST_P(Burst, RandomInterleavingsInRandomPieces) {
    const bool uci = GetParam().Uci;
    const int rounds = EnvNumber("TALVOR_BURST_ROUNDS", 600) / Slack;
    const int seed = EnvNumber("TALVOR_BURST_SEED", 27);
    std::mt19937 rng(static_cast<uint32_t>(seed) * 4 + (uci ? 2 : 0) + (GetParam().Strong ? 1 : 0));
    Engine e(GetParam());
    e.Settle();
    for (int round = 0; round < rounds; ++round) {
        const Script s = uci ? UciScript(rng) : XboardScript(rng);
        SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round) + ":\n" + s.Text);
        static const size_t MaxPieces[] = {1, 8, 64, 512, 1 << 20};
        e.WriteInPieces(s.Text, MaxPieces[rng() % std::size(MaxPieces)], rng);
        const std::string out = e.Settle();
        const Lines moves = Answers(out, uci);
        ASSERT_TRUE(SameMoves(moves, s.Moves))
            << "got " << testing::PrintToString(moves) << ", asked " << testing::PrintToString(s.Moves);
        ASSERT_EQ(Count(out, uci ? "readyok" : "pong "), s.Pongs);
    }
}

}  // namespace
