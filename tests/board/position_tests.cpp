// SPDX-License-Identifier: GPL-3.0-or-later
// The bitboard position on its own: leaf counts, the counters a move changes, checks found without a make,
// move codes that are no move, the repetition test and the text.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "board/Position.h"
#include "tools/perft/PerftCount.h"

namespace {

using namespace bitboard;

// A position and the moves made on it, to be taken back in turn.
struct Line {
    Position Pos;
    std::vector<std::pair<Move, Undo>> Made;

    explicit Line(const std::string& fen) { EXPECT_TRUE(Pos.SetFen(fen)) << fen; }
    // Makes blank-separated moves given as text, each required legal.
    void Play(const std::string& moves) {
        std::istringstream in(moves);
        for (std::string text; in >> text;) {
            const Move m = Pos.MoveOfText(text);
            ASSERT_NE(m, NoMove) << text << " in " << Pos.Fen();
            Made.emplace_back(m, Undo{});
            Pos.Make(m, Made.back().second);
        }
    }
    void TakeBack() {
        Pos.Unmake(Made.back().first, Made.back().second);
        Made.pop_back();
    }
    // The castling field of the FEN.
    std::string Castling() const {
        std::istringstream in(Pos.Fen());
        std::string field;
        for (int i = 0; i < 3; ++i) in >> field;
        return field;
    }
};

// The key worked out from scratch.
uint64_t FreshKey(const Position& pos) {
    Position fresh;
    EXPECT_TRUE(fresh.SetFen(pos.Fen()));
    return fresh.Key();
}

TEST(PositionPerft, PublishedCounts) {
    const std::pair<const char*, std::vector<uint64_t>> cases[] = {
        {StartFen, {20, 400, 8902, 197281}},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", {48, 2039, 97862}},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {14, 191, 2812, 43238}},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467}},
        {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", {6, 264, 9467}},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379}},
        {"R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1", {218}},
    };
    for (const auto& [fen, nodes] : cases) {
        Position pos;
        ASSERT_TRUE(pos.SetFen(fen));
        for (size_t d = 0; d < nodes.size(); ++d)
            EXPECT_EQ(Perft(pos, int(d) + 1), nodes[d]) << fen << " " << d + 1;
    }
}

TEST(PositionCounters, FiftyMoveClockResetByPawnMovesAndCapturesAndRestoredByUnmake) {
    Line line("4k3/8/8/3p4/8/2N5/4P3/4K3 w - - 10 30");
    const struct {
        const char* move;
        int fifty;
    } steps[] = {{"c3b5", 11}, {"e8d7", 12}, {"e2e4", 0}, {"d7e6", 1}, {"b5c3", 2}, {"d5e4", 0}, {"c3e4", 0}};
    std::vector<int> before;
    for (const auto& s : steps) {
        before.push_back(line.Pos.Fifty());
        line.Play(s.move);
        EXPECT_EQ(line.Pos.Fifty(), s.fifty) << s.move;
    }
    EXPECT_EQ(line.Pos.GamePly(), 2 * 29 + 7);
    EXPECT_EQ(line.Pos.Fen(), "8/8/4k3/8/4N3/8/8/4K3 b - - 0 33");
    while (!line.Made.empty()) {
        line.TakeBack();
        EXPECT_EQ(line.Pos.Fifty(), before[line.Made.size()]);
    }
    EXPECT_EQ(line.Pos.Fen(), "4k3/8/8/3p4/8/2N5/4P3/4K3 w - - 10 30");
}

TEST(PositionCounters, CastlingRightsLostByKingAndRookMovesAndRookCaptures) {
    const struct {
        const char *fen, *moves, *castling;
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "a1a8", "Kk"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "h1h8", "Qq"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1e2", "kq"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1 e8c8", "-"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "a1b1 h8h7", "Kq"},
        {"4k2r/8/8/8/8/8/1B6/4K3 w k - 0 1", "b2h8", "-"},          // a bishop takes the corner rook
        {"r3k2r/8/8/8/8/1n6/8/R3K2R b KQkq - 0 1", "b3a1", "Kkq"},  // a knight takes it
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "a1a2 a8a7 a2a1 a7a8", "Kk"},  // back home, still lost
    };
    for (const auto& c : cases) {
        Line line(c.fen);
        line.Play(c.moves);
        EXPECT_EQ(line.Castling(), c.castling) << c.fen << " " << c.moves;
        EXPECT_EQ(line.Pos.Key(), FreshKey(line.Pos)) << c.moves;
        while (!line.Made.empty()) line.TakeBack();
        EXPECT_EQ(line.Pos.Fen(), c.fen);
    }
}

TEST(PositionCounters, EnPassantSquareAfterEveryDoubleStepAndNullMove) {
    Line line(StartFen);
    line.Play("e2e4");  // no pawn can take, and still the square is kept, as the text keys keep it
    EXPECT_EQ(line.Pos.EnPassantSquare(), E3);
    EXPECT_EQ(line.Pos.Key(), FreshKey(line.Pos));
    line.Play("g8f6");
    EXPECT_EQ(line.Pos.EnPassantSquare(), NoSquare);
    line.Play("e4e5 d7d5");
    const Position before = line.Pos;
    Undo undo;
    line.Pos.MakeNull(undo);
    EXPECT_EQ(line.Pos.SideToMove(), Black);
    EXPECT_EQ(line.Pos.EnPassantSquare(), NoSquare);
    EXPECT_EQ(line.Pos.Key(), FreshKey(line.Pos));
    line.Pos.UnmakeNull(undo);
    EXPECT_TRUE(line.Pos == before);
    EXPECT_NE(line.Pos.MoveOfText("e5d6"), NoMove);
}

TEST(PositionChecks, GivesCheckWithoutMaking) {
    const struct {
        const char *fen, *move;
        bool check;
    } cases[] = {
        {"4k3/8/8/1N6/8/8/8/4K3 w - - 0 1", "b5d6", true},
        {"4k3/8/8/1N6/8/8/8/4K3 w - - 0 1", "b5a7", false},
        {"4k3/8/8/8/4B3/8/8/K3R3 w - - 0 1", "e4d5", true},   // discovered
        {"4k3/8/8/8/8/4P3/8/K3R3 w - - 0 1", "e3e4", false},  // along the line: still in the way
        {"4k3/8/8/8/8/8/4K3/4R3 w - - 0 1", "e2d2", true},    // the king uncovers its rook
        {"4k3/8/8/8/8/8/4K3/4R3 w - - 0 1", "e2e3", false},
        {"4k3/1P6/8/8/8/8/8/K7 w - - 0 1", "b7b8q", true},
        {"4k3/1P6/8/8/8/8/8/K7 w - - 0 1", "b7b8r", true},
        {"4k3/1P6/8/8/8/8/8/K7 w - - 0 1", "b7b8n", false},
        {"1r2k3/P7/8/8/8/8/8/K7 w - - 0 1", "a7b8q", true},
        {"8/6P1/8/8/8/6k1/8/K7 w - - 0 1", "g7g8q", true},    // through the square it left
        {"8/8/8/R2pP2k/8/8/8/4K3 w - d6 0 1", "e5d6", true},  // the taken pawn opens the rank
        {"8/2k5/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", true},  // the taker checks
        {"8/8/8/3pP3/8/8/8/k3K3 w - d6 0 1", "e5d6", false},
        {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", true},  // the castling rook checks
        {"3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", true},
        {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", false},
        {"8/8/8/8/8/8/8/2k1K2R w K - 0 1", "e1g1", true},  // along the rank the king has left
        {"r3k3/8/8/8/8/8/8/3K4 b q - 0 1", "e8c8", true},
    };
    for (const auto& c : cases) {
        Position pos;
        ASSERT_TRUE(pos.SetFen(c.fen)) << c.fen;
        const Move m = pos.MoveOfText(c.move);
        ASSERT_NE(m, NoMove) << c.fen << " " << c.move;
        EXPECT_EQ(pos.GivesCheck(m), c.check) << c.fen << " " << c.move;
        Undo undo;
        pos.Make(m, undo);
        EXPECT_EQ(pos.InCheck(), c.check) << c.fen << " " << c.move;
    }
}

TEST(PositionMoves, CodesThatAreNoMoveHere) {
    const struct {
        const char* fen;
        Move move;
    } cases[] = {
        {StartFen, NoMove},
        {StartFen, NullMove},
        {StartFen, Move::Normal(E4, E5)},                             // nothing there
        {StartFen, Move::Normal(E7, E5)},                             // not the side to move
        {StartFen, Move::Normal(E2, E5)},                             // three steps
        {StartFen, Move::Normal(F1, C4)},                             // through a pawn
        {StartFen, Move::Normal(G1, E2)},                             // onto its own piece
        {StartFen, Move::EnPassant(E2, D3)},                          // no en-passant square
        {"4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", Move::Normal(E2, E3)},  // blocked
        {"4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", Move::Normal(E2, E4)},
        {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", Move::Normal(A7, A8)},  // a promotion without its piece
        {"4k3/8/P7/8/8/8/8/4K3 w - - 0 1", Move::Promotion(A6, A7, Queen)},
        {"4k3/8/8/8/8/8/8/4K1NR w K - 0 1", Move::Castling(E1, G1)},   // a piece in the way
        {"4k3/8/8/8/8/8/5r2/4K2R w K - 0 1", Move::Castling(E1, G1)},  // across an attacked square
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", Move::Castling(E1, G1)},    // no right
        {"4k3/8/8/8/8/8/8/4K2R w Q - 0 1", Move::Castling(E1, C1)},    // the right, no rook
        {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", Move::Normal(E1, G1)},      // castling needs its kind
        {"4k3/8/8/8/4r3/8/8/R3K3 w Q - 0 1", Move::Castling(E1, C1)},  // in check
        {"4k3/8/8/8/4r3/8/8/R3K2N w - - 0 1", Move::Normal(H1, G3)},   // does nothing against the check
        {"4k3/8/8/8/1b2r3/R7/8/4K3 w - - 0 1", Move::Normal(A3, E3)},  // double check: the king must move
    };
    for (const auto& c : cases) {
        Position pos;
        ASSERT_TRUE(pos.SetFen(c.fen)) << c.fen;
        EXPECT_FALSE(pos.IsPseudoLegal(c.move)) << c.fen << " " << MoveText(c.move);
        EXPECT_FALSE(LegalMoves(pos).Contains(c.move)) << c.fen << " " << MoveText(c.move);
    }
}

TEST(PositionRepetition, WithinTheReversibleMovesAndAmongTheGamesKeys) {
    Line line(StartFen);
    line.Play("g1f3 g8f6 f3g1");
    EXPECT_FALSE(line.Pos.Repeats());
    line.Play("f6g8");
    EXPECT_TRUE(line.Pos.Repeats());
    line.Play("e2e4 g8f6 g1f3 f6g8 f3g1");  // after e2e4 the en-passant square made it another position
    EXPECT_FALSE(line.Pos.Repeats());
    line.Play("g8f6");
    EXPECT_TRUE(line.Pos.Repeats());
    Undo undo;  // nothing before a null move counts: a bishop's triangle brings back the position before it
    line.Pos.MakeNull(undo);
    line.Play("f6g8 f1e2 g8f6 e2d3 f6g8 d3f1 g8f6");
    EXPECT_FALSE(line.Pos.Repeats());

    // Keys of the game before this position: a move back to one of them repeats it.
    Line earlier("4k3/8/8/8/8/8/8/4K1N1 w - - 0 1");
    earlier.Play("g1f3 e8d8 f3g1 d8e8 g1f3");
    Line later("4k3/8/8/8/8/8/8/4K1N1 w - - 0 1");
    const uint64_t keys[] = {12345, earlier.Pos.Key()};
    later.Pos.SetEarlierKeys(keys);
    EXPECT_FALSE(later.Pos.Repeats());
    later.Play("g1h3");
    EXPECT_FALSE(later.Pos.Repeats());
    later.TakeBack();
    later.Play("g1f3");
    EXPECT_TRUE(later.Pos.Repeats());
}

TEST(PositionText, FenRoundTripsAndRejectsWhatCannotBe) {
    for (const char* fen : {StartFen, "r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 3 41",
                            "8/8/8/8/8/8/8/k6K b - - 99 120", "4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 7"}) {
        Position pos;
        ASSERT_TRUE(pos.SetFen(fen)) << fen;
        EXPECT_EQ(pos.Fen(), fen);
    }
    Position pos;
    ASSERT_TRUE(pos.SetFen("4k3/8/8/8/8/8/8/4K3   W - -"));  // counters left out, blanks doubled, W
    EXPECT_EQ(pos.Fen(), "4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    for (const char* bad :
         {"", "4k3/8/8/8/8/8/8/4K3 w -", "4k3/8/8/8/8/8/8/4K3 x - -", "4k3/8/8/8/8/8/4K3 w - -",
          "4k3/8/8/8/8/8/8/4K2 w - -", "4k3/8/8/8/8/8/8/4K4 w - -", "4k3/8/8/8/8/8/8/8 w - -",
          "P3k3/8/8/8/8/8/8/4K3 w - -", "4k2R/8/8/8/8/8/8/4K3 w - -"}) {
        EXPECT_FALSE(pos.SetFen(bad)) << bad;
        EXPECT_EQ(pos.Fen(), "4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    }
}

TEST(PositionText, MovesInCoordinateText) {
    Position pos;
    ASSERT_TRUE(pos.SetFen("r3k3/1P6/8/8/8/8/8/4K2R w K - 0 1"));
    EXPECT_EQ(pos.MoveOfText("b7a8n"), Move::Promotion(B7, A8, Knight));
    EXPECT_EQ(pos.MoveOfText("e1g1"), Move::Castling(E1, G1));
    EXPECT_EQ(pos.MoveOfText("b7b8"), NoMove);  // a promotion needs its letter
    EXPECT_EQ(pos.MoveOfText("e1e3"), NoMove);
    EXPECT_EQ(MoveText(Move::Promotion(B7, A8, Queen)), "b7a8q");
    EXPECT_EQ(MoveText(NullMove), "0000");
}

}  // namespace
