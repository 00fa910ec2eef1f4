// SPDX-License-Identifier: GPL-3.0-or-later
// The search's shortcuts (capture list, running evaluation, legality and check after a move) against the
// board's own routines, over random games that reach castling, en passant and promotions.
#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "search/design/SearchMoves.h"
#include "tests/search/SearchTestUtil.h"

namespace {

class ShortcutTest : public EngineTest {
  protected:
    // The running evaluation started on this position (the start position for none), one ply below a root.
    static void StartTracked(const char* fen) {
        fen ? Position(fen) : FreshGame();
        PrepareEvaluation();
        StartTracking();
        ASSERT_TRUE(Tracking) << PositionKey();
        Ply = 1;
    }
    void TearDown() override {
        Tracking = false;
        Ply = 0;
        EngineTest::TearDown();
    }
};

// The running placement (piece sets, sums) equals the one tracking would start from on this board.
bool PlacementAsIfStarted() {
    const EvalState running = Track;
    StartTracking();
    const EvalState fresh = Track;
    Track = running;
    return std::memcmp(running.ByCode, fresh.ByCode, sizeof fresh.ByCode) == 0 &&
           std::memcmp(running.ByColour, fresh.ByColour, sizeof fresh.ByColour) == 0 &&
           running.Sum == fresh.Sum && running.Untouched == fresh.Untouched;
}

TEST(SliderAttacks, EveryTableEntryAgreesWithWalkedLines) {
    PrepareSliderAttacks();
    const struct {
        const SliderMagic* magics;
        uint64_t (*looked)(int, uint64_t);
        uint64_t (*walked)(int, uint64_t);
    } kinds[] = {{RookMagics, RookAttacks, WalkedRookAttacks},
                 {BishopMagics, BishopAttacks, WalkedBishopAttacks}};
    // Every occupancy of the squares that matter, for every square; the squares outside change nothing.
    for (const auto& kind : kinds)
        for (int bit = 0; bit < 64; ++bit) {
            const uint64_t mask = kind.magics[bit].Mask, noise = ~mask & 0x9E3779B97F4A7C15ull;
            int wrong = 0;
            uint64_t subset = 0;
            do {
                wrong += kind.looked(bit, subset | noise) != kind.walked(bit, subset | noise);
                subset = (subset - mask) & mask;
            } while (subset != 0);
            EXPECT_EQ(wrong, 0) << bit;
        }
}

TEST_F(ShortcutTest, AgreeWithTheBoardOnRandomGames) {
    std::mt19937 random(2024);
    for (const char* fen :
         {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
          "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
          "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
          "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
          "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1",
          "8/8/6k1/8/3pP3/8/2B5/4K3 b - e3 0 1",  // en passant would open the victim's diagonal
          // Middlegame kings on the edge files behind their pawns, queens out early.
          "1r4rk/6pp/2n5/3q4/8/2NQ1P1P/PP2P3/KR4N1 w - - 0 1",
          "kr4r1/pp6/2nq4/8/8/3Q1N2/6PP/1R4RK b - - 0 1"}) {
        for (int game = 0; game < 40; ++game) {
            StartTracked(fen);
            for (int step = 0; step < 60; ++step) {
                const std::string key = PositionKey();
                ASSERT_EQ(TrackedEvaluate(WhiteToMove), Evaluate()) << key;
                ASSERT_TRUE(PlacementAsIfStarted()) << key;
                MoveList reference, quick, list;
                CapturesOnly = true;
                GenerateMoves(reference);
                CapturesOnly = false;
                GenerateCaptures(quick);
                EXPECT_TRUE(std::equal(quick.Move, quick.Move + quick.Count, reference.Move,
                                       reference.Move + reference.Count))
                    << key;

                const bool inCheck = InCheck();
                GenerateMoves(list);
                std::vector<MoveRec> legal;
                for (int i = 0; i < list.Count; ++i) {
                    MoveRec m = list.Move[i];
                    const int piece = Board[m.From];
                    const EvalState before = Track;
                    TrackMove(m);
                    // Judged before the move is made on the board, as the nodes judge their children.
                    const bool judgedLegal = LegalBeforeMake(m, piece, inCheck);
                    const int32_t judgedScore = TrackedEvaluate(!WhiteToMove);
                    MakeMove(m);
                    ++Ply;
                    const bool expected = IsLegalAfterMove(m);
                    EXPECT_EQ(judgedLegal, expected) << key << " " << MoveToText(m);
                    if (m.Castle == CastleNone) {
                        EXPECT_EQ(judgedScore, Evaluate()) << key << " " << MoveToText(m);
                    }
                    EXPECT_EQ(LegalAfterMove(m, piece, inCheck), expected) << key << " " << MoveToText(m);
                    EXPECT_TRUE(!expected || InCheckAfter(m) == InCheck()) << key << " " << MoveToText(m);
                    --Ply;
                    UnmakeMove(m);
                    Track = before;
                    if (expected) legal.push_back(list.Move[i]);
                }
                if (legal.empty()) break;
                MoveRec m = legal[random() % legal.size()];
                TrackMove(m);
                MakeMove(m);
                ++Ply;
            }
        }
    }
}

// Positions and games too particular for random moves to find, checked at the start and after every move.
TEST_F(ShortcutTest, RunningEvaluationAlongChosenGames) {
    const struct {
        const char* fen;
        std::vector<const char*> moves;
    } games[] = {
        // The pawn terms worked out from the pawn sets: edge files, files with three pawns, passers beside
        // isolated pawns, kings beside open files, in both phases.
        {"4k3/8/8/8/P7/P7/P7/4K3 w - - 0 1", {}},                          // tripled and isolated, a-file
        {"4k3/7p/7p/8/8/8/6PP/4K3 b - - 0 1", {}},                         // doubled h-pawns against g and h
        {"4k3/p1p4p/8/1P6/8/8/P6P/4K3 w - - 0 1", {}},                     // a passer between enemy pawns
        {"6k1/5p1p/6p1/8/8/1P6/PP6/1K6 w - - 0 1", {}},                    // passers far apart
        {"r1bq1rk1/pp3ppp/8/3p4/8/8/PP3PPP/R1BQ1RK1 w - - 0 1", {}},       // middlegame, open centre files
        {"1k1r3r/ppp5/8/8/8/8/5PPP/R4RK1 b - - 0 1", {}},                  // kings behind their pawns
        {"rnbqkbnr/p1p1p1p1/8/8/8/8/1P1P1P1P/RNBQKBNR w KQkq - 0 1", {}},  // no two files alike
        // From the start (a set-up position counts every minor piece's square as touched): the queen
        // leaves d1 while g1 alone stays untouched.
        {nullptr, {"b2b3", "e7e5", "c1b2", "b8c6", "b1c3", "g8f6", "e2e3", "f8e7", "f1e2", "e8g8", "d1c1"}},
        // Queens out early, one taken by the other.
        {nullptr, {"e2e3", "e7e6", "d1h5", "d8h4", "b1c3", "h4h5"}},
        {nullptr, {"e2e4", "e7e5", "d1h5", "d8g5", "h5g5"}},
        // Black's queen out while its minor pieces leave home, the c8 bishop last.
        {nullptr,
         {"e2e4", "e7e5", "g1f3", "d8f6", "b1c3", "b8c6", "d2d3", "g8h6", "a2a3", "f8e7", "h2h3", "d7d6",
          "b2b3", "c8d7"}},
        // Both sides castle, then a king walks to the edge behind its pawns.
        {"r3k2r/pppq1ppp/2n2n2/4p3/4P3/2N2N2/PPPQ1PPP/R3K2R w KQkq - 0 1",
         {"e1g1", "e8c8", "g1h1", "c8b8", "h1g1", "b8a8"}},
    };
    for (const auto& game : games) {
        StartTracked(game.fen);
        EXPECT_EQ(TrackedEvaluate(WhiteToMove), Evaluate()) << PositionKey();
        for (const char* text : game.moves) {
            MoveRec m;
            ASSERT_TRUE(FindMoveFromText(text, m)) << text;
            TrackMove(m);
            MakeMove(m);
            ++Ply;
            EXPECT_EQ(TrackedEvaluate(WhiteToMove), Evaluate()) << PositionKey() << " after " << text;
            EXPECT_TRUE(PlacementAsIfStarted()) << PositionKey() << " after " << text;
        }
    }
}

}  // namespace
