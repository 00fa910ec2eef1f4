// SPDX-License-Identifier: GPL-3.0-or-later
// The data generator: which positions it keeps, the result it gives them, how a file is resumed, and a
// short run whose file the tuner reads.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "search/Search.h"
#include "tools/datagen/Generator.h"
#include "tools/datagen/SelfPlay.h"
#include "tools/tune/TuneData.h"

namespace {

using bitboard::Position;

Position At(const std::string& fen) {
    Position pos;
    EXPECT_TRUE(pos.SetFen(fen)) << fen;
    return pos;
}

std::string TempPath(const std::string& name) {
    return (testing::TempDir().empty() ? "/tmp/" : testing::TempDir()) + "datagen_" +
           std::to_string(getpid()) + "_" + name;
}

std::vector<std::string> LinesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(DataGen, QuietFilter) {
    struct Case {
        const char* fen;
        const char* move;
        int32_t score;
        bool quiet;
    } const cases[] = {
        {bitboard::StartFen, "e2e4", 30, true},
        {bitboard::StartFen, "g1f3", -500, true},
        // a capture, en passant too
        {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", "e4d5", 20, false},
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "e5f6", 20, false},
        // a promotion without a capture
        {"8/P6k/8/8/8/8/6K1/8 w - - 0 1", "a7a8q", 900, false},
        {"8/P6k/8/8/8/8/6K1/8 w - - 0 1", "g2f3", 900, true},
        // in check
        {"rnb1kbnr/pppp1ppp/8/4p3/5P1q/8/PPPPP1PP/RNBQKBNR w KQkq - 1 3", "g2g3", -50, false},
        // a mate found, either way
        {bitboard::StartFen, "e2e4", ScoreInfinity - 7, false},
        {bitboard::StartFen, "e2e4", 6 - ScoreInfinity, false},
    };
    for (const Case& c : cases) {
        const Position pos = At(c.fen);
        const bitboard::Move m = pos.MoveOfText(c.move);
        ASSERT_NE(m, bitboard::NoMove) << c.fen << " " << c.move;
        EXPECT_EQ(datagen::IsQuiet(pos, m, c.score), c.quiet) << c.fen << " " << c.move;
    }
}

// The result is White's whichever side moves, and the rules end a game before any search.
TEST(DataGen, ResultFromWhitesSide) {
    struct Case {
        const char* fen;
        int whitePoints2;
    } const cases[] = {
        {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", 2},  // Black is mated
        {"6k1/8/8/8/8/8/5PPP/r5K1 w - - 0 1", 0},  // White is mated
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 1},     // stalemate
        {"8/8/4k3/8/8/2B5/4K3/8 w - - 0 1", 1},    // a bishop cannot mate
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 2},  // White mates in one
        {"r5k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", 0},  // Black mates in one
        {"8/8/8/3k4/8/8/8/3K3q w - - 0 1", 0},     // a queen ahead: adjudicated for Black
    };
    PositionAnalyst analyst(4, 1);
    datagen::GameRules rules;
    rules.Nodes = 2000;
    for (const Case& c : cases) {
        const datagen::GameRecord game = datagen::PlayGame(analyst, At(c.fen), 40, rules, nullptr);
        EXPECT_TRUE(game.Finished) << c.fen;
        EXPECT_EQ(game.WhitePoints2, c.whitePoints2) << c.fen;
    }
    EXPECT_STREQ(datagen::ResultText(2), "[1.0]");
    EXPECT_STREQ(datagen::ResultText(1), "[0.5]");
    EXPECT_STREQ(datagen::ResultText(0), "[0.0]");
}

// Threefold repetition: the same position a third time, counting only since the last pawn move.
TEST(DataGen, Repetition) {
    Position pos = At("6k1/8/8/8/8/8/8/R5K1 w - - 0 1");
    std::vector<uint64_t> keys;
    int verdicts[8];
    const char* moves[] = {"a1a2", "g8h8", "a2a1", "h8g8", "a1a2", "g8h8", "a2a1", "h8g8"};
    for (int i = 0; i < 8; ++i) {
        keys.push_back(pos.Key());
        bitboard::Undo undo;
        pos.Make(pos.MoveOfText(moves[i]), undo);
        verdicts[i] = datagen::RulesVerdict(pos, keys);
    }
    for (int i = 0; i < 7; ++i) EXPECT_EQ(verdicts[i], -1) << i;
    EXPECT_EQ(verdicts[7], 1);
}

// Resuming counts the whole lines and cuts off a line a kill left unfinished.
TEST(DataGen, ResumeCountsWholeLines) {
    struct Case {
        const char* text;  // nullptr: no file
        int64_t lines;
        const char* after;
    } const cases[] = {
        {nullptr, 0, nullptr},
        {"", 0, ""},
        {"a [1.0]\nb [0.5]\nc [0.0]\n", 3, "a [1.0]\nb [0.5]\nc [0.0]\n"},
        {"a [1.0]\nb [0.5]\nc [0.", 2, "a [1.0]\nb [0.5]\n"},
        {"half a line", 0, ""},
    };
    for (const Case& c : cases) {
        const std::string path = TempPath("resume");
        std::remove(path.c_str());
        if (c.text) std::ofstream(path, std::ios::binary) << c.text;
        EXPECT_EQ(datagen::PrepareDataFile(path), c.lines) << (c.text ? c.text : "(none)");
        if (c.after) {
            std::ifstream in(path, std::ios::binary);
            std::stringstream all;
            all << in.rdbuf();
            EXPECT_EQ(all.str(), c.after);
        }
        std::remove(path.c_str());
    }
}

// The same seed and game number give the same game; another number another start.
TEST(DataGen, GamesRepeatBySeed) {
    const std::vector<GameStart> openings = {
        {bitboard::StartFen, {"e2e4", "e7e5"}, "", "", 0},
        {bitboard::StartFen, {"d2d4", "d7d5", "c2c4"}, "", "", 0},
    };
    PositionAnalyst analyst(4, 1);
    datagen::GameRules rules;
    rules.Nodes = 300;
    std::vector<std::string> first;
    for (int run = 0; run < 2; ++run) {
        Position start;
        int ply = 0;
        ASSERT_TRUE(datagen::StartOfGame(openings, 8, datagen::GameSeed(7, 0, 3), start, ply));
        EXPECT_TRUE(ply == 10 || ply == 11);
        const datagen::GameRecord game = datagen::PlayGame(analyst, start, ply, rules, nullptr);
        ASSERT_TRUE(game.Finished);
        if (run == 0)
            first = game.Fens;
        else
            EXPECT_EQ(game.Fens, first);
    }
    EXPECT_NE(datagen::GameSeed(7, 0, 3), datagen::GameSeed(7, 0, 4));
    EXPECT_NE(datagen::GameSeed(7, 0, 3), datagen::GameSeed(7, 50, 3));
}

int RunCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Fifty positions at 500 nodes a move, then twenty more on resuming, all read by the tuner.
TEST(DataGen, ShortRunFeedsTheTuner) {
    const std::string data = TempPath("run.txt"), weights = TempPath("weights.cpp");
    std::remove(data.c_str());
    // The test's own openings: a clean checkout has no shared table beside it.
    const std::string run = std::string(DATAGEN_EXE) + " --nodes 500 --threads 2 --seed 5 --openings " +
                            OPENINGS_FILE + " -o " + data;
    ASSERT_EQ(RunCommand(run + " --positions 50 2>/dev/null"), 0);
    const std::vector<std::string> before = LinesOf(data);
    ASSERT_GE(before.size(), 50u);
    ASSERT_EQ(RunCommand(run + " --positions " + std::to_string(before.size() + 20) + " 2>/dev/null"), 0);
    const std::vector<std::string> after = LinesOf(data);
    ASSERT_GE(after.size(), before.size() + 20);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));

    std::ifstream in(data);
    tune::DataSet set;
    const tune::LoadReport report = tune::LoadPositions(in, set, 0, nullptr);
    EXPECT_EQ(report.Lines, after.size());
    EXPECT_EQ(report.Unreadable, 0u);
    EXPECT_GT(report.Kept, 0u);
    EXPECT_EQ(
        RunCommand(std::string(TUNE_EXE) + " " + data + " --epochs 1 --out " + weights + " >/dev/null 2>&1"),
        0);
    std::remove(data.c_str());
    std::remove(weights.c_str());
}

}  // namespace
