// SPDX-License-Identifier: GPL-3.0-or-later
// The referee's rules on known positions: the end of a game, moves in standard notation, the engines'
// scores that end a game early, and where games start.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/match/Game.h"
#include "tools/match/MatchWorker.h"
#include "tools/match/Openings.h"
#include "tools/match/Referee.h"

namespace {

std::vector<std::string> Moves(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> moves;
    for (std::string m; in >> m;) moves.push_back(m);
    return moves;
}

const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

TEST(Referee, EndingsByTheRules) {
    struct Case {
        const char* Fen;
        const char* Moves;
        RulesEnding Ending;
    };
    const Case cases[] = {
        {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "", RulesEnding::Checkmate},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "", RulesEnding::Stalemate},
        {"8/8/8/4k3/8/8/3RK3/8 w - - 99 80", "", RulesEnding::None},
        {"8/8/8/4k3/8/8/3RK3/8 w - - 99 80", "d2d3", RulesEnding::FiftyMoves},
        {"7k/8/6K1/8/8/8/8/1Q6 w - - 99 80", "b1b8", RulesEnding::Checkmate},  // mate beats the hundredth ply
        {kStart, "g1f3 g8f6 f3g1 f6g8", RulesEnding::None},
        {kStart, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8", RulesEnding::Repetition},  // the start counts
        // After a double step that no pawn can take en passant the position is the same as later ones.
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "e2e4 e8d8 e1d1 d8e8 d1e1 e8d8 e1d1 d8e8 d1e1",
         RulesEnding::Repetition},
        // Where one can, it is not: two more rounds are needed.
        {"4k3/8/8/8/5p2/8/4P3/4K3 w - - 0 1", "e2e4 e8d8 e1d1 d8e8 d1e1 e8d8 e1d1 d8e8 d1e1",
         RulesEnding::None},
        {"4k3/8/8/8/5p2/8/4P3/4K3 w - - 0 1",
         "e2e4 e8d8 e1d1 d8e8 d1e1 e8d8 e1d1 d8e8 d1e1 e8d8 e1d1 d8e8 d1e1", RulesEnding::Repetition},
        {"8/8/8/4k3/8/8/4K3/8 w - - 0 1", "", RulesEnding::Material},
        {"8/8/8/4k3/8/8/4KN2/8 w - - 0 1", "", RulesEnding::Material},
        {"5b2/8/8/4k3/8/8/4K3/2B5 w - - 0 1", "", RulesEnding::Material},  // bishops on one colour
        {"2b5/8/8/4k3/8/8/4K3/2B5 w - - 0 1", "", RulesEnding::None},      // on both
        {"5n2/8/8/4k3/8/8/4K3/2N5 w - - 0 1", "", RulesEnding::None},      // a mate can be set up
        {"8/8/8/4k3/8/8/4KP2/8 w - - 0 1", "", RulesEnding::None},
        {"8/8/8/4k3/8/8/3rK3/8 w - - 0 1", "e2d2", RulesEnding::Material},  // the capture leaves two kings
    };
    Referee referee;
    for (const Case& c : cases) {
        ASSERT_TRUE(referee.Start(c.Fen)) << c.Fen;
        ASSERT_TRUE(referee.PlayAll(Moves(c.Moves))) << c.Fen << " " << c.Moves;
        EXPECT_EQ(referee.Ending(), c.Ending) << c.Fen << " " << c.Moves;
    }
}

TEST(Referee, StandardNotation) {
    struct Case {
        const char* Fen;
        const char* Move;
        const char* San;
    };
    const Case cases[] = {
        {kStart, "g1f3", "Nf3"},
        {"4k3/8/8/8/8/8/8/R4RK1 w - - 0 1", "a1d1", "Rad1"},
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1a3", "R1a3"},
        {"4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1", "a1b2", "Qa1b2"},
        {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5", "exd5"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "exd6"},
        {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8q", "a8=Q+"},
        {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8n", "a8=N"},
        {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", "O-O"},
        {"r3k3/8/8/8/8/8/8/3K4 b q - 0 1", "e8c8", "O-O-O+"},
        {"7k/8/6K1/8/8/8/8/1Q6 w - - 0 1", "b1b8", "Qb8#"},
    };
    Referee referee;
    for (const Case& c : cases) {
        ASSERT_TRUE(referee.Start(c.Fen)) << c.Fen;
        const std::optional<MoveRec> m = referee.Find(c.Move);
        ASSERT_TRUE(m) << c.Fen << " " << c.Move;
        EXPECT_EQ(referee.Play(*m), c.San) << c.Fen;
    }
    ASSERT_TRUE(referee.Start(kStart));
    for (const char* refused : {"e2e5", "e1g1", "e7e5", "a2a1q", "", "(none)"})
        EXPECT_FALSE(referee.Find(refused));
    EXPECT_FALSE(referee.Start("8/8/8/8/8/8/8/8 w - - 0 1"));
    ASSERT_TRUE(referee.Start("4k3/8/8/8/8/8/8/4K3 b - - 7 31"));
    EXPECT_EQ(referee.Fen(), "4k3/8/8/8/8/8/8/4K3 b - - 7 31");
    referee.PlayAll({"e8d8"});
    EXPECT_EQ(referee.FullMove(), 32);
}

// Engine plies whose scores, from White's view in centipawns, are given; each side's own view is stored.
std::vector<PlyNote> Scored(const std::vector<int>& whiteView, bool mate = false) {
    std::vector<PlyNote> plies;
    for (size_t i = 0; i < whiteView.size(); ++i) {
        const bool white = i % 2 == 0;
        plies.push_back({"", white, false, {true, mate, white ? whiteView[i] : -whiteView[i]}});
    }
    return plies;
}

TEST(ScoreRules, WinsAndDraws) {
    const ScoreRules rules;
    const std::vector<int> eight(8, 1000), sixteenQuiet(16, 10);
    EXPECT_EQ(ScoreVerdict(Scored(eight), 20, rules), 2);
    EXPECT_EQ(ScoreVerdict(Scored(std::vector<int>(8, -1200)), 20, rules), 0);
    EXPECT_EQ(ScoreVerdict(Scored(std::vector<int>(7, 1000)), 20, rules), -1);  // four moves each
    std::vector<int> oneShort = eight;
    oneShort[3] = 999;
    EXPECT_EQ(ScoreVerdict(Scored(oneShort), 20, rules), -1);
    EXPECT_EQ(ScoreVerdict(Scored({5, 5, 5, 5, 5, 5, 5, 5}, true), 20, rules),
              2);  // White mates, Black agrees
    std::vector<PlyNote> book = Scored(eight);
    book[0].Book = true;
    EXPECT_EQ(ScoreVerdict(book, 20, rules), -1);
    std::vector<PlyNote> silent = Scored(eight);
    silent[7].Info.HasScore = false;
    EXPECT_EQ(ScoreVerdict(silent, 20, rules), -1);

    EXPECT_EQ(ScoreVerdict(Scored(sixteenQuiet), 41, rules), 1);
    EXPECT_EQ(ScoreVerdict(Scored(sixteenQuiet), 40, rules), -1);  // not before move 40 is over
    std::vector<int> oneLoud = sixteenQuiet;
    oneLoud[15] = -11;
    EXPECT_EQ(ScoreVerdict(Scored(oneLoud), 41, rules), -1);
    EXPECT_EQ(ScoreVerdict(Scored(std::vector<int>(15, 0)), 41, rules), -1);
}

std::string TempFile(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

TEST(Openings, TablesPositionsAndRandomPlies) {
    std::vector<GameStart> table, positions;
    std::string error;
    ASSERT_TRUE(ReadOpenings(TempFile("o.tsv",
                                      "eco\tname\tpgn\tuci\nA00\tFool\t-\tf2f3 e7e5 g2g4 d8h4\n"
                                      "C20\tKing's Pawn\t-\te2e4 e7e5\nB00\tBad\t-\te2e5\n"),
                             table, error))
        << error;
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[1].Name, "King's Pawn");
    EXPECT_EQ(table[1].Eco, "C20");
    ASSERT_TRUE(ReadOpenings(TempFile("o.epd",
                                      "# positions\n4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id \"pawn\";\n"
                                      "4k3/8/8/8/8/8/4P3/4K3 b - - 3 40\n"),
                             positions, error))
        << error;
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_EQ(positions[0].Fen, "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    EXPECT_EQ(positions[0].Name, "pawn");
    EXPECT_EQ(positions[1].Fen, "4k3/8/8/8/8/8/4P3/4K3 b - - 3 40");
    EXPECT_FALSE(ReadOpenings(TempFile("none.tsv", "eco\tname\n"), positions, error));

    Referee referee;
    Random a(7), b(7);
    GameStart first, second;
    EXPECT_FALSE(PrepareStart(referee, table[0], 0, a, first));  // ends in mate
    EXPECT_FALSE(PrepareStart(referee, table[2], 0, a, first));  // illegal
    ASSERT_TRUE(PrepareStart(referee, table[1], 6, a, first));
    ASSERT_TRUE(PrepareStart(referee, table[1], 6, b, second));
    EXPECT_EQ(first.Moves.size(), 8u);
    EXPECT_EQ(first.Moves, second.Moves);  // the same seed, the same plies
    EXPECT_TRUE(referee.Start(first.Fen) && referee.PlayAll(first.Moves));
}

// What a worker sends back arrives in pieces; each report is taken whole, and only when all of it is there.
TEST(WorkerReports, TakenWholeFromPieces) {
    GameReport sent;
    sent.Round = 37;
    sent.WhitePoints2 = 0;
    sent.Failure = Fault::TimeLoss;
    sent.FaultByWhite = true;
    sent.Clocks[0] = {0.0123, 4.5, 40, 2};
    sent.Clocks[1].Moves = 39;  // no clock: its least time left stays infinite
    sent.Reason = "White (a) loses on time\t(no move)";
    sent.Pgn = "[Event \"x\"]\n\n1. e4 {book} 0-1\n\n";
    const std::string one = EncodeReport(sent), bytes = one + one;
    const size_t cut = one.size() + one.size() / 2;
    std::string buffer = bytes.substr(0, cut);
    GameReport got;
    ASSERT_TRUE(TakeReport(buffer, got));
    EXPECT_FALSE(TakeReport(buffer, got));  // the second is not all there yet
    buffer += bytes.substr(cut);
    ASSERT_TRUE(TakeReport(buffer, got));
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(got.Round, 37);
    EXPECT_EQ(got.WhitePoints2, 0);
    EXPECT_EQ(got.Failure, Fault::TimeLoss);
    EXPECT_TRUE(got.FaultByWhite);
    EXPECT_NEAR(got.Clocks[0].LeastLeft, 0.0123, 1e-9);
    EXPECT_EQ(got.Clocks[0].LateMoves, 2);
    EXPECT_TRUE(std::isinf(got.Clocks[1].LeastLeft));
    EXPECT_EQ(got.Clocks[1].Moves, 39);
    EXPECT_EQ(got.Reason, "White (a) loses on time (no move)");
    EXPECT_EQ(got.Pgn, sent.Pgn);

    const GameJob job{8, false, {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", {"e2e4", "e8d7"}, "A name", "", 1}};
    GameJob back;
    ASSERT_TRUE(DecodeJob(EncodeJob(job), back));
    EXPECT_EQ(back.Round, 8);
    EXPECT_FALSE(back.FirstIsWhite);
    EXPECT_EQ(back.Start.Fen, job.Start.Fen);
    EXPECT_EQ(back.Start.Moves, job.Start.Moves);
    EXPECT_EQ(back.Start.Name, "A name");
    EXPECT_EQ(back.Start.RandomPlies, 1);
}

}  // namespace
