// SPDX-License-Identifier: GPL-3.0-or-later
// FEN, SAN and PGN as the game window writes and reads them, on the chessboard control's rules.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "gui/chessboard/wqzChessboard.h"
#include "gui/window/ChessNotation.h"

// Readable texts in the test's messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

constexpr char Start[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// "e2e4", "a7a8n": coordinate text, which must come back as it went in.
std::vector<GameMove> Moves(const QString& sMoves) {
    std::vector<GameMove> out;
    for (const QString& m : sMoves.split(' ', Qt::SkipEmptyParts)) {
        out.push_back(MoveOfCoordinates(m, m[3] == '8'));  // only a pawn reaching its last rank promotes
        EXPECT_EQ(CoordinateText(out.back()), m);
    }
    return out;
}

QString MoveText(const QString& sFen, const QString& sMoves) {
    const QString pgn = PgnText({"E", "S", "D", "R", "W", "B", "*"}, *ReadFen(sFen), Moves(sMoves));
    return pgn.mid(pgn.indexOf("\n\n") + 2).trimmed();
}

TEST(ChessNotation, MovesInSan) {
    const struct {
        const char *Fen, *Moves, *Text;
    } cases[] = {
        {Start, "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5c6 d7c6 e1g1",
         "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Bxc6 dxc6 5. O-O *"},
        {Start, "e2e4 a7a6 e4e5 d7d5 e5d6", "1. e4 a6 2. e5 d5 3. exd6 *"},  // en passant
        {Start, "f2f3 e7e5 g2g4 d8h4", "1. f3 e5 2. g4 Qh4# *"},
        {"r3k3/8/8/8/8/8/8/R3K3 b Qq - 0 1", "e8c8 a1a8", "1... O-O-O 2. Ra8+ *"},
        {"4k3/8/8/8/8/8/4K3/R6R w - - 0 1", "a1d1", "1. Rad1 *"},     // by file
        {"4k3/8/8/8/R7/8/4K3/R7 w - - 0 1", "a4a2", "1. R4a2 *"},     // by rank
        {"4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1", "a1b2", "1. Qa1b2 *"},  // file and rank
        {"4r2k/8/8/8/8/8/4N3/1N2K3 w - - 0 1", "b1c3", "1. Nc3 *"},   // the other knight is pinned
        {"1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7b8q", "1. axb8=Q+ *"},
        {"1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8b", "1. a8=B *"},
        {"4k3/8/8/8/8/8/1p5K/8 b - - 3 40", "b2b1r h2g3", "40... b1=R 41. Kg3 *"},
        {"7k/5Q2/8/8/8/8/8/6K1 w - - 0 1", "f7g7 h8g7", "1. Qg7+ Kxg7 *"},
        {Start, "e2e4 e7e5 e1e3", "1. e4 e5 *"},  // a move that is not legal ends the list
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Moves);
        EXPECT_EQ(MoveText(c.Fen, c.Moves), c.Text);
    }
}

TEST(ChessNotation, PgnTagsAndLines) {
    const PgnTags tags{"TalvorWBE game", "?", "2024.06.11", "-", "?", "Talvor \"WBE\"", "1/2-1/2"};
    QString moves;
    for (int i = 0; i < 20; ++i) moves += " g1f3 g8f6 f3g1 f6g8";
    const QString pgn = PgnText(tags, *ReadFen(Start), Moves(moves));
    EXPECT_TRUE(
        pgn.startsWith("[Event \"TalvorWBE game\"]\n[Site \"?\"]\n[Date \"2024.06.11\"]\n[Round \"-\"]\n"
                       "[White \"?\"]\n[Black \"Talvor \\\"WBE\\\"\"]\n[Result \"1/2-1/2\"]\n\n1. Nf3 Nf6"))
        << pgn.toStdString();
    EXPECT_FALSE(pgn.contains("FEN"));
    EXPECT_TRUE(pgn.endsWith(" 40. Ng1 Ng8 1/2-1/2\n"));
    for (const QString& line : pgn.split('\n')) EXPECT_LT(line.size(), 80) << line.toStdString();

    // A game from a set-up position names it.
    const QString fen = "4k3/8/8/8/8/8/1p5K/8 b - - 3 40";
    EXPECT_TRUE(
        PgnText(tags, *ReadFen(fen), {}).contains("[SetUp \"1\"]\n[FEN \"" + fen + "\"]\n\n1/2-1/2\n"));
}

TEST(ChessNotation, FenReadAndWritten) {
    const struct {
        const char* Fen;
        const char* Read;  // as written back; empty when refused
        FenFault Fault;
    } cases[] = {
        {Start, Start, FenFault::None},
        {"  rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR   b KQkq e3\n",
         "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", FenFault::None},
        // Rights the pieces do not allow, and an en-passant square no pawn explains, are dropped.
        {"4k2r/8/8/8/8/8/8/R3K3 w KQkq e6 5 30", "4k2r/8/8/8/8/8/8/R3K3 w Qk - 5 30", FenFault::None},
        {"4k3/8/8/8/8/8/8/4K3 W - - 0 0", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", FenFault::None},
        {"4k3/8/8/8/8/8/8/4K3 w -", "", FenFault::Fields},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1 extra", "", FenFault::Fields},
        {"4k3/8/8/8/8/8/4K3 w - - 0 1", "", FenFault::Placement},
        {"4k3/8/8/8/8/8/8/4K4 w - - 0 1", "", FenFault::Placement},
        {"4k3/8/8/8/8/8/8/4X3 w - - 0 1", "", FenFault::Placement},
        {"4k3/8/8/8/8/8/8/8 w - - 0 1", "", FenFault::Kings},
        {"4k3/8/8/8/8/8/8/3KK3 w - - 0 1", "", FenFault::Kings},
        {"4k2P/8/8/8/8/8/8/4K3 w - - 0 1", "", FenFault::Pawns},
        {"QQQQkQQQ/QQ6/8/8/8/8/8/4K3 b - - 0 1", "QQQQkQQQ/QQ6/8/8/8/8/8/4K3 b - - 0 1", FenFault::None},
        // One queen more than 8 pawns give.
        {"QQQQkQQQ/QQQ5/8/8/8/8/8/4K3 b - - 0 1", "", FenFault::Material},
        {"4k3/8/8/8/8/8/8/4K3 x - - 0 1", "", FenFault::Side},
        {"4k3/8/8/8/8/8/8/4K3 w qK - 0 1", "", FenFault::Castling},
        {"4k3/8/8/8/8/8/8/4K3 w - e4 0 1", "", FenFault::EnPassant},
        {"4k3/8/8/8/8/8/8/4K3 w - - -1 1", "", FenFault::Counters},
        {"4k2R/8/8/8/8/8/8/4K3 w - - 0 1", "", FenFault::Check},  // Black, not to move, is in check
        {"", "", FenFault::Fields},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fen);
        FenFault fault = FenFault::Kings;
        const std::optional<FenPosition> p = ReadFen(c.Fen, &fault);
        EXPECT_EQ(fault, c.Fault);
        EXPECT_EQ(p ? FenText(*p) : QString(), c.Read);
    }
}

// What the board holds is what FEN says: castling from unmoved kings and rooks, en passant after a double
// step; set up from FEN, the board moves by the rights it was given.
TEST(ChessNotation, BoardPositionAsFen) {
    wqzChessboard board;
    EXPECT_EQ(FenText(PositionOf(board)), Start);
    for (auto [from, to] : {std::pair{"e2", "e4"}, {"e7", "e6"}, {"e1", "e2"}, {"d7", "d5"}})
        ASSERT_TRUE(board.MovePiece(from, to));
    EXPECT_EQ(FenText(PositionOf(board)), "rnbqkbnr/ppp2ppp/4p3/3p4/4P3/8/PPPPKPPP/RNBQ1BNR w kq d6 0 1");

    const FenPosition p = *ReadFen("r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 0 1");
    board.SetPosition(p.Layout, p.WhiteToMove, p.Castling, p.EnPassantFile);
    EXPECT_EQ(FenText(PositionOf(board)), FenText(p));
    EXPECT_TRUE(board.MovePiece("e5", "d6"));  // en passant
    EXPECT_TRUE(board.UndoLastMove());
    EXPECT_TRUE(board.IsLegalMove(61, 63) && !board.IsLegalMove(61, 59));  // O-O yes, O-O-O no
    EXPECT_EQ(FenText(PositionOf(board)), FenText(p));                     // the take-back keeps en passant
}

}  // namespace
