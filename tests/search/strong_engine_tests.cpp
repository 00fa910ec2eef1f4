// SPDX-License-Identifier: GPL-3.0-or-later
// The strong engine as a whole, through the face's PositionAnalyst and the engine object: limits, lines,
// draws inside the tree, determinism with one thread, the hash table shared by two threads, and the stop
// while several threads search. The ThreadSanitizer build runs these (label engine_thread).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "board/Position.h"
#include "platform/Platform.h"
#include "search/Search.h"
#include "search/strong/Engine.h"
#include "search/strong/HashTable.h"

namespace {

using namespace bitboard;
using Clock = std::chrono::steady_clock;

#if defined(__SANITIZE_THREAD__)
constexpr int Slow = 10;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr int Slow = 10;
#else
constexpr int Slow = 1;
#endif
#else
constexpr int Slow = 1;
#endif

struct Recorder : SearchReporter {
    void NewBest(const ThinkingReport&) override {}
    void IterationDone(const ThinkingReport& r) override { Done.push_back(r); }
    void BookMove(int, int) override {}
    std::vector<ThinkingReport> Done;
};

Position At(const char* fen) {
    Position pos;
    EXPECT_TRUE(pos.SetFen(fen)) << fen;
    return pos;
}

SearchRequest ToDepth(int depth) {
    SearchRequest r;
    r.Depth = depth;
    return r;
}

const char* const Middlegame = "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";

// Each limit ends the search; a mate comes with its line; a position without moves has a verdict instead of
// a move. (Root moves and several lines are the game's search's too: the request tests run them.)
TEST(StrongAnalyst, LimitsLinesAndVerdicts) {
    PositionAnalyst analyst(16, 1);
    Recorder rec;
    SearchResult r = analyst.Search(At(Middlegame), ToDepth(6), rec);
    ASSERT_FALSE(rec.Done.empty());
    EXPECT_EQ(rec.Done.back().Iteration, 6);
    EXPECT_NE(r.Move.From, 0);
    EXPECT_FALSE(r.Line.empty());
    EXPECT_EQ(r.Line.front(), r.Move);

    SearchRequest nodes;
    nodes.NodeLimit = 3000;
    r = analyst.Search(At(Middlegame), nodes, rec);
    EXPECT_GE(r.Nodes, 3000);
    EXPECT_LE(r.Nodes, 3001);

    SearchRequest seconds;
    seconds.Seconds = 0.3;
    const auto start = Clock::now();
    r = analyst.Search(At(Middlegame), seconds, rec);
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_LT(took, 0.3 + 0.05 * Slow);
    EXPECT_GT(took, 0.2);

    r = analyst.Search(At("r1b2k1r/ppp1bppp/8/1B1Q4/5q2/2P5/PPP2PPP/R3R1K1 w - - 1 1"), ToDepth(5), rec);
    EXPECT_EQ(r.Score, ScoreInfinity - 4);  // mate in two
    ASSERT_EQ(r.Line.size(), 3u);
    EXPECT_EQ(MoveToText(r.Line[2]), "e1e8");

    // A stop flag set before the search: one iteration, then the answer.
    const std::atomic<bool> stopped{true};
    r = analyst.Search(At(Middlegame), SearchRequest{}, rec, &stopped);
    EXPECT_NE(r.Move.From, 0);
    EXPECT_LT(r.Nodes, 2000);

    r = analyst.Search(At("6k1/5ppp/8/8/8/8/5PPP/3r2K1 w - - 0 1"), ToDepth(3), rec);
    EXPECT_EQ(r.Move.From, 0);
    EXPECT_EQ(r.Verdict, ResultBlackWins);
    r = analyst.Search(At("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"), ToDepth(3), rec);
    EXPECT_EQ(r.Verdict, ResultDraw);
}

// The fifty-move count and repetitions inside the tree: a won ending at the count's last ply is a draw
// unless a capture starts it again; a perpetual check saves a lost position. (The game's earlier positions
// are the strong tests' to try.)
TEST(StrongAnalyst, FiftyMovesAndRepetitionsInTheTree) {
    PositionAnalyst analyst(16, 1);
    Recorder rec;
    EXPECT_GT(analyst.Search(At("8/8/8/8/8/2k5/8/K6R w - - 90 80"), ToDepth(5), rec).Score, 5000);
    EXPECT_EQ(analyst.Search(At("8/8/8/8/8/2k5/8/K6R w - - 99 80"), ToDepth(5), rec).Score, 0);
    const SearchResult take = analyst.Search(At("8/8/8/8/8/2k5/7n/K6R w - - 99 80"), ToDepth(5), rec);
    EXPECT_EQ(MoveToText(take.Move), "h1h2");
    // A mate on the count's last ply still wins; a move that would allow one only after it draws.
    EXPECT_GT(analyst.Search(At("k7/8/1K6/8/8/8/8/7R w - - 99 80"), ToDepth(5), rec).Score, 5000);
    EXPECT_EQ(analyst.Search(At("k7/8/1K6/8/8/8/8/7R b - - 99 80"), ToDepth(5), rec).Score, 0);

    // Two rooks up, Black mates unless White checks for ever: Qe8+ Kh7 Qh5+ Kg8.
    const SearchResult perpetual =
        analyst.Search(At("6k1/6p1/8/7Q/8/8/rr4PP/7K w - - 0 1"), ToDepth(10), rec);
    EXPECT_EQ(MoveToText(perpetual.Move), "h5e8");
    EXPECT_EQ(perpetual.Score, 0);
}

// With one thread a fixed-depth search is the same every time, on a fresh engine or after a new game.
TEST(StrongAnalyst, OneThreadIsDeterministic) {
    Recorder rec;
    PositionAnalyst a(8, 1), b(8, 1);
    const SearchResult x = a.Search(At(Middlegame), ToDepth(9), rec);
    const SearchResult y = b.Search(At(Middlegame), ToDepth(9), rec);
    a.NewGame();
    const SearchResult z = a.Search(At(Middlegame), ToDepth(9), rec);
    EXPECT_EQ(x.Nodes, y.Nodes);
    EXPECT_EQ(x.Nodes, z.Nodes);
    EXPECT_EQ(x.Move, y.Move);
    EXPECT_EQ(x.Score, z.Score);
}

// Two threads writing and reading the same buckets: an entry read is always one that was written whole.
TEST(StrongHashTableThreads, EntriesNeverTorn) {
    strong::HashTable table;
    ASSERT_TRUE(table.Resize(1));
    table.Clear();
    // Few distinct buckets, so that the threads meet in them.
    auto keyOf = [](uint64_t i) { return (i % 64) << 58 | (i * 0x9E3779B97F4A7C15ull >> 8); };
    auto scoreOf = [](uint64_t key) { return static_cast<int>(key % 20000) - 10000; };
    std::atomic<int> torn{0};
    auto work = [&](uint64_t seed) {
        std::mt19937_64 rng(seed);
        strong::HashHit hit;
        for (int i = 0; i < 200000 / Slow; ++i) {
            const uint64_t key = keyOf(rng() % 4096);
            if (rng() % 2)
                table.Store(key, Move(static_cast<uint16_t>(key)), scoreOf(key), scoreOf(key >> 3),
                            static_cast<int>(key % 60), strong::Bound::Exact);
            else if (table.Probe(key, hit) && (hit.Score != scoreOf(key) || hit.Eval != scoreOf(key >> 3) ||
                                               hit.Move.Code() != static_cast<uint16_t>(key)))
                ++torn;
        }
    };
    std::thread a(work, 1), b(work, 2);
    a.join();
    b.join();
    EXPECT_EQ(torn.load(), 0);
}

// Several threads: a stop ends every thread within milliseconds, from Engine::Stop or from the flag the
// caller watches, and the answer is a legal move; the threads search again at once afterwards.
TEST(StrongEngineThreads, StopEndsEveryThread) {
    strong::Engine engine;
    ASSERT_TRUE(engine.SetHashMegabytes(16));
    engine.PrepareTable();
    engine.SetThreads(4);
    const Position root = At(Middlegame);
    const bitboard::MoveList legal = LegalMoves(root);
    std::atomic<bool> outside{false};
    for (int round = 0; round < 4; ++round) {
        outside.store(false);
        strong::Outcome found;
        std::atomic<bool> done{false};
        std::thread search([&] {
            strong::Watch watch;
            watch.Stop = &outside;
            found = engine.Search(root, strong::Limits{}, nullptr, watch);
            done.store(true);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + 20 * round));
        EXPECT_FALSE(done.load());
        const auto asked = Clock::now();
        if (round % 2)
            outside.store(true);
        else
            engine.Stop();
        search.join();
        // Four threads on a loaded machine: the bound tells a stop checked often from one that is not.
        EXPECT_LT(std::chrono::duration<double>(Clock::now() - asked).count(), 0.5 * Slow);
        EXPECT_TRUE(legal.Contains(found.Best));
        EXPECT_GT(found.Nodes, 0);
    }
    // A fixed depth on four threads still answers with a legal move and its line.
    strong::Limits limits;
    limits.Depth = 8;
    const strong::Outcome deep = engine.Search(root, limits, nullptr);
    EXPECT_TRUE(legal.Contains(deep.Best));
    EXPECT_EQ(deep.Depth, 8);
}

}  // namespace
