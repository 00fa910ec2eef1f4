// SPDX-License-Identifier: GPL-3.0-or-later
// The strong evaluation: the cached evaluation equal to the traced one and colour symmetry term by term, the
// blend at its ends, and the terms found where they should be on small positions.
#include <gtest/gtest.h>

#include "eval/StrongEval.h"
#include "tests/eval/EvalTestUtil.h"

namespace {

using namespace eval;
using bitboard::Black;
using bitboard::White;
using evaltest::FlippedFen;
using evaltest::PositionOf;

EvalTrace TraceOf(const std::string& fen) {
    EvalTrace trace;
    EvaluateTraced(PositionOf(fen), trace);
    return trace;
}

// Along random games, one cache for positions that share pawns but not kings or castling rights: the pawn
// table's entries and the shelter kept in them must follow. Each position and its mirror score the same,
// cached or worked out afresh, term by term.
TEST(StrongEvalCache, CachedAndMirroredPositionsScoreAsTracedAfresh) {
    EvalCache cache;
    static EvalTrace trace, flippedTrace;
    for (const std::string& fen : evaltest::RandomGamePositions(4000, 7)) {
        const std::string flipped = FlippedFen(fen);
        const bitboard::Position pos = PositionOf(fen), mirror = PositionOf(flipped);
        const int traced = EvaluateTraced(pos, trace);
        ASSERT_EQ(Evaluate(pos, cache), pos.SideToMove() == White ? traced : -traced) << fen;
        ASSERT_EQ(Evaluate(mirror, cache), Evaluate(pos, cache)) << fen << "\n" << flipped;
        EvaluateTraced(mirror, flippedTrace);
        ASSERT_EQ(trace.Value, -flippedTrace.Value) << fen;
        for (int i = 0; i < WeightCount; ++i)
            for (bitboard::Colour c : {White, Black})
                ASSERT_EQ(trace.Coefficient[i][c], flippedTrace.Coefficient[i][~c]) << fen << " weight " << i;
    }
}

TEST(StrongEvalBlend, EndsAreTheMiddlegameAndTheScaledEndgameValue) {
    const Score s(120, -40);
    EXPECT_EQ(Blend(s, MaxPhase, NormalScale), 120);
    EXPECT_EQ(Blend(s, 0, NormalScale), -40);
    EXPECT_EQ(Blend(s, 0, NormalScale / 2), -20);
    EXPECT_EQ(Blend(s, 0, 0), 0);
    EXPECT_EQ(Blend(s, MaxPhase / 2, NormalScale), 40);
    EXPECT_EQ(Blend(-s, MaxPhase / 3, NormalScale), -Blend(s, MaxPhase / 3, NormalScale));
    // Packed pairs add and multiply half by half, signs and all.
    const Score sum = Score(-3, 7) * 5 + Score(20, -30);
    EXPECT_EQ(sum.Mg(), 5);
    EXPECT_EQ(sum.Eg(), 5);

    const EvalTrace full = TraceOf(bitboard::StartFen);
    EXPECT_EQ(full.Phase, MaxPhase);
    EXPECT_EQ(full.Value, full.Terms.Mg());
    const EvalTrace pawns = TraceOf("4k3/pp6/8/8/8/8/PPP5/4K3 w - - 0 1");
    EXPECT_EQ(pawns.Phase, 0);
    EXPECT_EQ(pawns.Value, pawns.Terms.Eg());
    // Promotions beyond the usual pieces do not go past the middlegame.
    EXPECT_EQ(TraceOf("qqqqk3/8/8/8/8/8/8/QQQQK3 w - - 0 1").Phase, MaxPhase);
}

// How often a side earned a weight in a position.
struct Earned {
    const char* fen;
    const Score& weight;
    int white, black;
};

TEST(StrongEvalTerms, EachFoundWhereItStands) {
    const Weights& w = kWeights;
    const Earned cases[] = {
        // Three isolated pawns on files no enemy pawn holds, each passed.
        {"4k3/8/8/8/8/8/P1P1P3/4K3 w - - 0 1", w.Isolated, 3, 0},
        {"4k3/8/8/8/8/8/P1P1P3/4K3 w - - 0 1", w.IsolatedOpen, 3, 0},
        {"4k3/p7/8/8/8/8/P1P1P3/4K3 w - - 0 1", w.PassedRank[1], 2, 0},
        // Doubled: the rear pawn is doubled, the front one alone passed.
        {"4k3/8/8/8/8/2P5/2P5/4K3 w - - 0 1", w.Doubled, 1, 0},
        {"4k3/8/8/8/8/2P5/2P5/4K3 w - - 0 1", w.PassedRank[1], 0, 0},
        {"4k3/8/8/8/8/2P5/2P5/4K3 w - - 0 1", w.PassedRank[2], 1, 0},
        // d3 cannot be defended and c5 holds d4: backward on a file without black pawns; e4 is defended.
        {"4k3/8/8/2p5/4P3/3P4/8/4K3 w - - 0 1", w.Backward, 1, 0},
        {"4k3/8/8/2p5/4P3/3P4/8/4K3 w - - 0 1", w.BackwardOpen, 1, 0},
        {"4k3/8/8/2p5/4P3/3P4/8/4K3 w - - 0 1", w.Supported[3], 1, 0},
        {"4k3/8/8/2p5/4P3/3P4/8/4K3 w - - 0 1", w.Isolated, 0, 1},
        {"4k3/8/8/2p5/4P3/3P4/8/4K3 w - - 0 1", w.PassedRank[3], 1, 0},
        {"4k3/8/8/8/3PP3/8/8/4K3 w - - 0 1", w.Phalanx[3], 2, 0},
        // Files: a1 on a file with a black pawn only, h1 on an empty one.
        {"4k3/p7/8/8/8/8/1P6/R3K2R w KQ - 0 1", w.RookSemiOpenFile, 1, 0},
        {"4k3/p7/8/8/8/8/1P6/R3K2R w KQ - 0 1", w.RookOpenFile, 1, 0},
        {"r3k3/1P6/8/8/8/8/8/R3K3 w - - 0 1", w.RookOnSeventh, 0, 0},
        {"4k3/R7/8/8/8/8/7p/4K3 w - - 0 1", w.RookOnSeventh, 1, 0},
        // A knight on e5 held by d4, with no black pawn left to chase it: an outpost, eight squares.
        {"4k3/p7/8/4N3/3P4/8/8/4K3 w - - 0 1", w.KnightOutpost, 1, 0},
        {"4k3/p7/8/4N3/3P4/8/8/4K3 w - - 0 1", w.KnightMobility[8], 1, 0},
        {"4k3/8/3p4/4N3/3P4/8/8/4K3 w - - 0 1", w.KnightOutpost, 0, 0},
        // A pawn attacks a knight nothing defends.
        {"4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", w.ThreatByPawn[bitboard::Knight - bitboard::Pawn], 1, 0},
        {"4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", w.Hanging, 1, 0},
        {"4k3/8/4p3/3n4/4P3/8/8/4K3 w - - 0 1", w.Hanging, 0, 0},
        // The a-pawn outruns a king on h8 (Black to move), not one on d5.
        {"7k/7p/8/8/P7/8/8/4K3 b - - 0 1", w.PassedUnstoppable, 1, 0},
        {"8/7p/8/3k4/P7/8/8/4K3 b - - 0 1", w.PassedUnstoppable, 0, 0},
        {"5k2/7p/8/8/P7/8/8/4K3 b - - 0 1", w.PassedUnstoppable, 0, 0},  // just in time
        {"7k/7p/8/8/P7/8/8/n3K3 b - - 0 1", w.PassedUnstoppable, 0, 0},
        // Queen and knight at the black king; the king's shelter of three unmoved pawns.
        {"6k1/5ppp/8/6NQ/8/8/5PPP/6K1 w - - 0 1", w.DangerAttackers[bitboard::Queen - bitboard::Pawn], 0, 1},
        {"6k1/5ppp/8/6NQ/8/8/5PPP/6K1 w - - 0 1", w.DangerAttackers[bitboard::Knight - bitboard::Pawn], 0, 1},
        {"6k1/5ppp/8/6NQ/8/8/5PPP/6K1 w - - 0 1", w.DangerBase, 0, 1},
        {"6k1/5ppp/8/6NQ/8/8/5PPP/6K1 w - - 0 1", w.DangerNoQueen, 0, 0},
        {"6k1/5ppp/8/6N1/8/8/5PPP/6K1 w - - 0 1", w.DangerBase, 0, 0},
        {"6k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1", w.Shelter[0][1], 1, 1},
        {"6k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1", w.Shelter[2][1], 1, 1},
        {"6k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1", w.Storm[1][6], 1, 1},
        // A king that may still castle counts the shelter it will find.
        {"4k3/8/8/8/8/8/5PPP/4K2R w K - 0 1", w.Shelter[1][1], 1, 0},
        {"4k3/8/8/8/8/8/5PPP/4K2R w - - 0 1", w.Shelter[1][1], 0, 0},
        {"4k3/8/8/8/8/8/5PPP/4K2R w - - 0 1", w.Tempo, 1, 0},
        {"2b1kb2/8/8/8/8/8/P7/4K3 b - - 0 1", w.BishopPair, 0, 1},
    };
    for (const Earned& c : cases) {
        const EvalTrace trace = TraceOf(c.fen);
        const int i = IndexOf(kWeights, c.weight);
        EXPECT_EQ(trace.Coefficient[i][White], c.white) << c.fen << " weight " << i;
        EXPECT_EQ(trace.Coefficient[i][Black], c.black) << c.fen << " weight " << i;
    }
}

}  // namespace
