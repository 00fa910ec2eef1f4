// SPDX-License-Identifier: GPL-3.0-or-later
// The bitboard position on its own: the counters a move changes, checks found without a make, the
// repetition test and the text. (Its leaf counts stand beside the design board's; random games against that
// board check its moves, keys and checks at every ply.)
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "board/Position.h"

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
};

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

// A rook taken on its corner takes its side's right with it. (The random games against the design's board
// compare the rights after every move.)
TEST(PositionCounters, CastlingRightLostWithTheRookTakenOnItsCorner) {
    const struct {
        const char *fen, *move, *after;
    } cases[] = {
        {"4k2r/8/8/8/8/8/1B6/4K3 w k - 0 1", "b2h8", "4k2B/8/8/8/8/8/8/4K3 b - - 0 1"},
        {"r3k2r/8/8/8/8/1n6/8/R3K2R b KQkq - 0 1", "b3a1", "r3k2r/8/8/8/8/8/8/n3K2R w Kkq - 0 2"},
    };
    for (const auto& c : cases) {
        Line line(c.fen);
        line.Play(c.move);
        EXPECT_EQ(line.Pos.Fen(), c.after);
    }
}

TEST(PositionCounters, NullMoveClearsTheEnPassantSquare) {
    Line line(StartFen);
    line.Play("e2e4 g8f6 e4e5 d7d5");
    const Position before = line.Pos;
    Undo undo;
    line.Pos.MakeNull(undo);
    EXPECT_EQ(line.Pos.SideToMove(), Black);
    EXPECT_EQ(line.Pos.EnPassantSquare(), NoSquare);
    Position fresh;  // the key worked out from scratch
    ASSERT_TRUE(fresh.SetFen(line.Pos.Fen()));
    EXPECT_EQ(line.Pos.Key(), fresh.Key());
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
        {"4k3/8/8/8/4B3/8/8/K3R3 w - - 0 1", "e4d5", true},   // discovered
        {"4k3/8/8/8/8/4P3/8/K3R3 w - - 0 1", "e3e4", false},  // along the line: still in the way
        {"4k3/8/8/8/8/8/4K3/4R3 w - - 0 1", "e2d2", true},    // the king uncovers its rook
        {"4k3/1P6/8/8/8/8/8/K7 w - - 0 1", "b7b8q", true},
        {"4k3/1P6/8/8/8/8/8/K7 w - - 0 1", "b7b8n", false},
        {"1r2k3/P7/8/8/8/8/8/K7 w - - 0 1", "a7b8q", true},
        {"8/6P1/8/8/8/6k1/8/K7 w - - 0 1", "g7g8q", true},    // through the square it left
        {"8/8/8/R2pP2k/8/8/8/4K3 w - d6 0 1", "e5d6", true},  // the taken pawn opens the rank
        {"8/2k5/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", true},  // the taker checks
        {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", true},     // the castling rook checks
        {"8/8/8/8/8/8/8/2k1K2R w K - 0 1", "e1g1", true},     // along the rank the king has left
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

// In double check only the king may move: a block or a capture that answers one checker is no move. (The
// random games try other codes against the legal moves at every ply.)
TEST(PositionMoves, OnlyTheKingMovesInDoubleCheck) {
    Position pos;
    ASSERT_TRUE(pos.SetFen("4k3/8/8/8/1b2r3/R7/8/4K3 w - - 0 1"));
    for (const Move m : {Move::Normal(A3, E3), Move::Normal(A3, C3)})
        EXPECT_FALSE(pos.IsPseudoLegal(m)) << MoveText(m);
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

TEST(PositionText, FenRoundTrips) {
    for (const char* fen : {StartFen, "r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 3 41",
                            "8/8/8/8/8/8/8/k6K b - - 99 120", "4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 7"}) {
        Position pos;
        ASSERT_TRUE(pos.SetFen(fen)) << fen;
        EXPECT_EQ(pos.Fen(), fen);
    }
    Position pos;
    ASSERT_TRUE(pos.SetFen("4k3/8/8/8/8/8/8/4K3   W - -"));  // counters left out, blanks doubled, W
    EXPECT_EQ(pos.Fen(), "4k3/8/8/8/8/8/8/4K3 w - - 0 1");
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
