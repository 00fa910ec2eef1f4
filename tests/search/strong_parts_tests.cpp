// SPDX-License-Identifier: GPL-3.0-or-later
// The strong engine's parts on their own: the move picker over random positions and random stored moves,
// static exchanges of known outcome, the time manager on extreme clocks, and the hash table's entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "board/Position.h"
#include "search/strong/Exchange.h"
#include "search/strong/HashTable.h"
#include "search/strong/MovePicker.h"
#include "search/strong/Scores.h"
#include "search/strong/TimeManager.h"

namespace {

using namespace bitboard;
using strong::MovePicker;

// Positions of every kind met along random games from a few starts.
std::vector<Position> RandomPositions(int nGames, uint32_t nSeed) {
    std::mt19937 rng(nSeed);
    std::vector<Position> found;
    for (const char* fen :
         {StartFen, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
          "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"}) {
        for (int g = 0; g < nGames; ++g) {
            Position pos;
            EXPECT_TRUE(pos.SetFen(fen));
            for (int ply = 0; ply < 60; ++ply) {
                const bitboard::MoveList legal = LegalMoves(pos);
                if (legal.Count == 0) break;
                found.push_back(pos);
                Undo undo;
                pos.Make(legal.Moves[rng() % legal.Count], undo);
            }
        }
    }
    return found;
}

// A stored move as the search may hand it over: one of the position's, one of any position, or garbage.
Move SomeMove(const bitboard::MoveList& legal, std::mt19937& rng) {
    switch (rng() % 4) {
        case 0:
            return legal.Count ? legal.Moves[rng() % legal.Count] : NoMove;
        case 1:
            return NoMove;
        default:
            return Move(static_cast<uint16_t>(rng()));
    }
}

std::unique_ptr<strong::Histories> RandomHistories(std::mt19937& rng) {
    auto h = std::make_unique<strong::Histories>();
    h->Clear();
    for (auto& side : h->Quiet)
        for (auto& row : side)
            for (int16_t& v : row) v = static_cast<int16_t>(static_cast<int>(rng() % 4001) - 2000);
    for (auto& piece : h->Capture)
        for (auto& sq : piece)
            for (int16_t& v : sq) v = static_cast<int16_t>(static_cast<int>(rng() % 4001) - 2000);
    return h;
}

// Every legal move exactly once, the hash move first when it is one; no move that is not legal, whatever the
// hash move, killers and counter move say. The capture search gets the captures (the queen's promotions
// among them), or every evasion in check.
TEST(StrongMovePicker, EveryLegalMoveOnceHashMoveFirst) {
    std::mt19937 rng(11);
    const auto histories = RandomHistories(rng);
    strong::FollowUpTable followUp{};
    int withHashMove = 0;
    for (const Position& pos : RandomPositions(12, 5)) {
        const bitboard::MoveList legal = LegalMoves(pos);
        const Move hashMove = SomeMove(legal, rng);
        strong::Ordering ordering;
        ordering.Killers[0] = SomeMove(legal, rng);
        ordering.Killers[1] = SomeMove(legal, rng);
        ordering.Counter = SomeMove(legal, rng);
        ordering.FollowUps[0] = rng() % 2 ? &followUp : nullptr;
        MovePicker picker(pos, hashMove, *histories, ordering);
        std::vector<Move> given;
        for (Move m; (m = picker.Next()) != NoMove;) {
            ASSERT_TRUE(legal.Contains(m)) << pos.Fen() << " " << MoveText(m);
            given.push_back(m);
        }
        ASSERT_EQ(given.size(), static_cast<size_t>(legal.Count)) << pos.Fen();
        std::set<uint16_t> codes;
        for (Move m : given) codes.insert(m.Code());
        ASSERT_EQ(codes.size(), given.size());
        if (legal.Contains(hashMove)) {
            EXPECT_EQ(given.front(), hashMove);
            ++withHashMove;
        }

        MovePicker captures(pos, hashMove, *histories);
        std::set<uint16_t> expected, got;
        for (Move m : legal)
            if (pos.InCheck() || (m.IsPromotion() ? m.Promoted() == Queen : pos.IsCapture(m)))
                expected.insert(m.Code());
        for (Move m; (m = captures.Next()) != NoMove;) ASSERT_TRUE(got.insert(m.Code()).second);
        ASSERT_EQ(got, expected) << pos.Fen();
    }
    EXPECT_GT(withHashMove, 100);
}

// Losing captures come after every quiet move, winning ones before them.
TEST(StrongMovePicker, CapturesByExchange) {
    Position pos;
    // Qxd5 loses the queen to the pawn on e6; exd5 wins a knight... here cxd5 wins the knight outright.
    ASSERT_TRUE(pos.SetFen("4k3/8/4p3/3n4/2P5/8/3Q4/4K3 w - - 0 1"));
    auto h = std::make_unique<strong::Histories>();
    h->Clear();
    MovePicker picker(pos, NoMove, *h, strong::Ordering{});
    std::vector<std::string> order;
    for (Move m; (m = picker.Next()) != NoMove;) order.push_back(MoveText(m));
    EXPECT_EQ(order.front(), "c4d5");
    EXPECT_EQ(order.back(), "d2d5");
}

// Exchanges whose outcome is known: the threshold test says yes up to the value and no above it.
TEST(StrongExchange, KnownExchanges) {
    const struct {
        const char* fen;
        const char* move;
        int value;
    } cases[] = {
        {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5", 100},      // a free pawn
        {"4k3/2p5/3p4/4P3/8/8/8/4K3 w - - 0 1", "e5d6", 0},      // pawn for pawn
        {"4k3/1p6/2n5/8/4B3/8/8/4K3 w - - 0 1", "e4c6", 0},      // bishop for knight: even
        {"4k3/8/3p4/4r3/8/5N2/8/4K3 w - - 0 1", "f3e5", 175},    // knight for rook
        {"4k3/8/3p4/4p3/8/8/8/4Q2K w - - 0 1", "e1e5", -875},    // queen for pawn
        {"3rk3/8/8/3p4/8/8/3R4/3RK3 w - - 0 1", "d2d5", 100},    // the rook behind defends
        {"4k3/8/2n5/1B6/3p4/4P3/8/4K3 w - - 0 1", "e3d4", 100},  // the defender is pinned
        {"4k3/8/2n5/8/3p4/4P3/8/4K3 w - - 0 1", "e3d4", 0},      // ... and here it is not
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 100},      // en passant
        {"7k/P7/8/8/8/8/8/K7 w - - 0 1", "a7a8q", 875},          // a promotion
        {"1r5k/P7/8/8/8/8/8/K7 w - - 0 1", "a7a8q", -100},       // ... taken at once
        {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 0},         // castling
        {"4k3/8/8/3r4/8/8/8/3RK3 w - - 0 1", "d1d5", 500},       // a free rook
        {"4k3/4p3/3r4/8/8/8/8/3RK3 w - - 0 1", "d1d6", 0},       // rook for rook
    };
    for (const auto& c : cases) {
        Position pos;
        ASSERT_TRUE(pos.SetFen(c.fen)) << c.fen;
        const Move m = pos.MoveOfText(c.move);
        ASSERT_NE(m, NoMove) << c.fen << " " << c.move;
        EXPECT_TRUE(strong::ExchangeAtLeast(pos, m, c.value)) << c.fen << " " << c.move;
        EXPECT_FALSE(strong::ExchangeAtLeast(pos, m, c.value + 1)) << c.fen << " " << c.move;
    }
}

// Extreme clocks: never more than the clock can pay, a fixed time used but never overrun, an increment as
// large as the clock no licence to spend the clock.
TEST(StrongTimeManager, ExtremeClocks) {
    const struct {
        strong::Clock clock;
        double maxHard, minSoft;
    } cases[] = {
        {{0, 1.0, 5.0, 0}, 0.45, 0.1},     // tiny clock, large increment: at most a share of the clock
        {{0, 0.05, 5.0, 0}, 0.03, 0.001},  // a few milliseconds left
        {{0, 0, 0, 0}, 0.006, 0.001},      // clock at 0: move at once
        {{0, 300, 0, 0}, 45, 5},           // a long game
        {{0, 10, 0, 1}, 5, 2},             // one move to the control
        {{0, 10, 0, 40}, 1.5, 0.1},        // forty moves to go
        {{0.1, 0, 0, 0}, 0.07, 0.06},      // movetime 100 ms: used, never overrun
        {{2.0, 0, 0, 0}, 1.97, 1.9},       // st 2
        {{0.01, 0, 0, 0}, 0.01, 0.001},    // movetime 10 ms
    };
    for (const auto& c : cases) {
        const strong::MoveTimes t = strong::TimesFor(c.clock);
        SCOPED_TRACE(testing::Message() << c.clock.MoveTime << " " << c.clock.Left << " " << c.clock.Increment
                                        << " " << c.clock.MovesToGo);
        EXPECT_LE(t.Hard, c.maxHard);
        EXPECT_GE(t.Soft, c.minSoft);
        EXPECT_LE(t.Soft, t.Hard);
        if (c.clock.MoveTime > 0) {
            EXPECT_EQ(t.Soft, t.Hard);
        } else {
            EXPECT_LT(t.Hard, std::max(c.clock.Left, 0.01));
        }
    }
    // Past the soft limit no new iteration starts; an unsettled best move stretches it.
    const strong::MoveTimes t{1.0, 3.0};
    EXPECT_TRUE(strong::AnotherIteration(t, 0.3, 0, 0));
    EXPECT_FALSE(strong::AnotherIteration(t, 0.6, 0, 0));
    EXPECT_TRUE(strong::AnotherIteration(t, 0.6, 2, 0));
    EXPECT_TRUE(
        strong::AnotherIteration(strong::MoveTimes{1, 1}, 5, 0, 0));  // a fixed time: the hard limit ends it
}

// An entry gives back what was stored, mate scores move with the ply, a shallower bound keeps the deeper
// result, and keys sharing a bucket never answer for each other.
TEST(StrongHashTable, StoreProbeReplace) {
    strong::HashTable t;
    ASSERT_TRUE(t.Resize(1));
    t.Clear();
    const Move m = Move::Normal(E2, E4);
    const int mateAtPly12 = strong::MateAt(12);
    t.Store(0x1234, m, strong::ScoreToTable(mateAtPly12, 5), -35, 9, strong::Bound::Exact);
    strong::HashHit hit;
    ASSERT_TRUE(t.Probe(0x1234, hit));
    EXPECT_EQ(hit.Move, m);
    EXPECT_EQ(hit.Eval, -35);
    EXPECT_EQ(hit.Depth, 9);
    EXPECT_EQ(hit.Kind, strong::Bound::Exact);
    EXPECT_EQ(strong::ScoreFromTable(hit.Score, 5), mateAtPly12);
    EXPECT_EQ(strong::ScoreFromTable(hit.Score, 10), strong::MateAt(17));
    EXPECT_FALSE(t.Probe(0x1235, hit));

    t.Store(0x1234, NoMove, 10, strong::NoScore, 2, strong::Bound::Upper);
    ASSERT_TRUE(t.Probe(0x1234, hit));
    EXPECT_EQ(hit.Depth, 9);
    t.Store(0x1234, NoMove, 10, strong::NoScore, 8, strong::Bound::Lower);
    ASSERT_TRUE(t.Probe(0x1234, hit));
    EXPECT_EQ(hit.Move, m);  // no move stored: the one known is kept, and the evaluation too
    EXPECT_EQ(hit.Eval, -35);
    EXPECT_EQ(hit.Kind, strong::Bound::Lower);

    const uint64_t high = 0xABCD000000000000ull;
    for (uint64_t i = 1; i <= 12; ++i) t.Store(high | i, m, static_cast<int>(i), 0, 1, strong::Bound::Exact);
    int found = 0;
    for (uint64_t i = 1; i <= 12; ++i)
        if (t.Probe(high | i, hit)) {
            EXPECT_EQ(hit.Score, static_cast<int>(i));
            ++found;
        }
    EXPECT_EQ(found, 4);  // one bucket holds four
    EXPECT_GT(t.HashFull(), 0);
    t.Clear();
    EXPECT_FALSE(t.Probe(high | 1, hit));
    EXPECT_EQ(t.HashFull(), 0);

    // A deep entry of searches long past gives way before a shallow one of this search.
    for (uint64_t i = 1; i <= 2; ++i) t.Store(high | i, m, 0, 0, 20, strong::Bound::Exact);
    for (int s = 0; s < 3; ++s) t.NewSearch();
    for (uint64_t i = 3; i <= 5; ++i) t.Store(high | i, m, 0, 0, i == 5 ? 1 : 2, strong::Bound::Exact);
    for (uint64_t i = 3; i <= 5; ++i) EXPECT_TRUE(t.Probe(high | i, hit)) << i;
    EXPECT_FALSE(t.Probe(high | 1, hit));
}

}  // namespace
