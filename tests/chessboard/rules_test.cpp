// SPDX-License-Identifier: GPL-3.0-or-later
// The control's rules where random play rarely goes: castling through check, en passant and its
// take-back, promotion answers, mate and stalemate with pinned pieces, and what refused moves leave behind.
#include <gtest/gtest.h>

#include "BoardTestSupport.h"

namespace {
class ChessboardRules : public ::testing::Test {
  protected:
    void Position(const char* sPlacement, bool bWhiteToMove) {
        board.NewGame(false, 0, 0, LayoutFromFen(sPlacement), bWhiteToMove);
        log.Take();
    }
    bool Move(const QString& m) { return board.MovePiece(m.left(2), m.mid(2, 2)); }
    // Plays the moves, failing on the first one refused.
    void Play(const QString& moves) {
        for (const QString& m : moves.split(' ', Qt::SkipEmptyParts)) EXPECT_TRUE(Move(m)) << m.toStdString();
        log.Take();
    }

    wqzChessboard board;
    EventLog log{board};
};

}  // namespace

// Each move is played after the moves before it; a refused one (no placement after) must change nothing
// and raise nothing, not even the promotion question. An accepted one must give exactly the placement and
// events listed, and taking it back must restore the position, the last-move squares, and the right to
// play it again (castling rights, en passant).
TEST_F(ChessboardRules, SpecialMovesAndTheirTakeBack) {
    const char* const kPromo = "1n2k3/P7/8/8/8/2K5/7p/8";
    const char* const kWhitePromo = "PawnPromotion(W,0) PieceMovement(W,a7,a8)";
    const struct {
        const char* placement;
        bool white;
        const char *before, *move;
        const char* after = nullptr;   // nullptr: refused
        int answer = 0;                // to the promotion question
        const char* events = nullptr;  // nullptr: PieceMovement only, or nothing when refused
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R", true, "", "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R", false, "", "e8c8", "2kr3r/8/8/8/8/8/8/R3K2R"},
        {"r3k2r/8/b7/8/8/8/8/R3K2R", true, "", "e1g1"},  // passes the attacked f1
        {"r3k1r1/8/8/8/8/8/8/R3K2R", true, "", "e1g1"},  // lands on the attacked g1
        {"r3k1r1/8/8/8/8/8/8/R3K2R", true, "", "e1c1", "r3k1r1/8/8/8/8/8/8/2KR3R"},
        {"1r2k3/8/8/8/8/8/8/R3K2R", true, "", "e1c1", "1r2k3/8/8/8/8/8/8/2KR3R"},  // only the rook crosses b1
        {"4k3/4r3/8/8/8/8/8/R3K2R", true, "", "e1c1"},                             // out of check
        {"3rk3/8/8/8/8/8/8/R3K2R", true, "", "e1c1"},                              // d1 attacked
        {"4k3/8/8/8/8/8/8/4K2n", true, "", "e1g1"},                                // a knight is not a rook
        {"r3k2r/8/8/8/8/8/8/R3K2R", true, "h1h2 a8a7 h2h1 a7a8", "e1g1"},
        // En passant: no PieceCapture; only right after the double step; not when it exposes the king.
        {"4k3/3p4/8/4P3/8/8/8/4K3", false, "d7d5", "e5d6", "4k3/8/3P4/8/8/8/8/4K3"},
        {"4k3/8/8/8/3p4/8/4P3/4K3", true, "e2e4", "d4e3", "4k3/8/8/8/8/4p3/8/4K3"},
        {"4k3/3p4/8/4P3/8/8/8/4K3", false, "d7d5 e1e2 e8e7", "e5d6"},
        {"8/3p4/8/K3P2r/8/8/8/4k3", false, "d7d5", "e5d6"},
        // The answer picks the piece; anything but the mover's queen, rook, knight or bishop gives a queen.
        {kPromo, true, "", "a7a8", "Qn2k3/8/8/8/8/2K5/7p/8", 0, kWhitePromo},
        {kPromo, true, "", "a7a8", "Qn2k3/8/8/8/8/2K5/7p/8", 6, kWhitePromo},   // no second king
        {kPromo, true, "", "a7a8", "Qn2k3/8/8/8/8/2K5/7p/8", 11, kWhitePromo},  // nor a pawn
        {kPromo, true, "", "a7a8", "Qn2k3/8/8/8/8/2K5/7p/8", 3, kWhitePromo},   // nor a black piece
        {kPromo, true, "", "a7a8", "Qn2k3/8/8/8/8/2K5/7p/8", -1, kWhitePromo},
        {kPromo, true, "", "a7b8", "1Q2k3/8/8/8/8/2K5/7p/8", 0,
         "PawnPromotion(W,0) PieceMovement(W,a7,b8) PieceCapture(3) KingInCheck(B,check)"},
        {kPromo, false, "", "h2h1", "1n2k3/P7/8/8/8/2K5/8/7q", 9,  // a white knight's code
         "PawnPromotion(B,0) PieceMovement(B,h2,h1)"},
        {"4k3/r2P3K/8/8/8/8/8/8", true, "", "d7d8"},  // exposes the king: nothing is asked
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.placement) + " " + c.before + " " + c.move + " " +
                     std::to_string(c.answer));
        board.NewGame();  // an empty h1 must not keep the rook of an earlier game
        Position(c.placement, c.white);
        Play(c.before);
        const QString before = board.LayoutText(), mover = EventLog::Side(board.SideTurn() == 0);
        const int records = board.UndoCount(), lastFrom = board.LastMoveFrom(), lastTo = board.LastMoveTo();
        log.PromotionAnswer = c.answer;
        const QString m = c.move, moved = "PieceMovement(" + mover + "," + m.left(2) + "," + m.mid(2) + ")";
        EXPECT_EQ(Move(m), c.after != nullptr);
        EXPECT_EQ(log.Take(), c.events ? c.events : c.after ? moved : "");
        if (!c.after) {
            EXPECT_EQ(board.LayoutText(), before);
            EXPECT_EQ(board.UndoCount(), records);
            EXPECT_EQ(board.LastMoveTo(), lastTo);
            continue;
        }
        EXPECT_EQ(board.LayoutText(), LayoutFromFen(c.after));
        EXPECT_TRUE(board.UndoLastMove());
        EXPECT_EQ(log.Take(), "MoveUndo(" + mover + ")");
        EXPECT_EQ(board.LayoutText(), before);
        EXPECT_EQ(std::make_pair(board.LastMoveFrom(), board.LastMoveTo()), std::make_pair(lastFrom, lastTo));
        EXPECT_TRUE(Move(m));
    }
}

// Mate and stalemate come from trying every move, so pins and en passant count as they should.
TEST_F(ChessboardRules, MateAndStalemateVerdicts) {
    const struct {
        const char* placement;
        bool white;
        const char *move, *events;  // after the PieceMovement
    } cases[] = {
        // The knight on f6 could block on g8 or e8, but it is pinned by the bishop on a1.
        {"7k/7p/4Nn2/8/8/8/R7/B1K5", true, "a2a8", "KingInCheck(B,mate)"},
        // The pawn on h7 could take the checking knight, but it is pinned by the rook on h1.
        {"7k/7p/8/3BN3/8/8/8/B1K4R", true, "e5g6", "KingInCheck(B,mate)"},
        // Taking the checking pawn en passant is the way out.
        {"8/1Q6/8/k7/2p5/2N5/1P6/7K", true, "b2b4", "KingInCheck(B,check)"},
        // The pinned knight on b7 has squares to go to, but no legal move: stalemate.
        {"k1N5/1n1N4/8/8/8/8/8/6KB", true, "g1f2", "Stalemate"},
        // Double check: taking one checker does not help, only the king can answer.
        {"3rkq2/3p1pb1/8/8/4N3/8/8/4R1K1", true, "e4f6", "KingInCheck(B,mate)"},
        {"3rk3/3p1pb1/8/8/4N3/8/8/4R1K1", true, "e4f6", "KingInCheck(B,check)"},
        {"8/8/8/8/8/5k2/4q3/7K", false, "e2g2", "KingInCheck(W,mate)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.placement) + " " + c.move);
        Position(c.placement, c.white);
        const QString m = c.move;
        EXPECT_TRUE(Move(m));
        EXPECT_EQ(log.Take(), "PieceMovement(" + EventLog::Side(c.white) + "," + m.left(2) + "," + m.mid(2) +
                                  ") " + c.events);
    }
    // The way out of the en-passant case really is playable.
    Position("8/1Q6/8/k7/2p5/2N5/1P6/7K", true);
    Play("b2b4 c4b3");
}

// Bad square names and layouts: refused or survived, never a crash or a changed position.
TEST_F(ChessboardRules, BadNamesAndLayoutsBreakNothing) {
    for (const QString m :
         {"E2-E4", "e9-e8", "e2-e2", "-", "e2-e4 ", "i2-i4", "e0-e1", "a10-a3", "e3-e4", "e7-e5"})
        EXPECT_FALSE(board.MovePiece(m.section('-', 0, 0), m.section('-', 1))) << m.toStdString();
    EXPECT_FALSE(board.UndoLastMove());
    EXPECT_EQ(board.LayoutText(), wqzChessboard::StartLayout);
    EXPECT_EQ(log.Take(), "");
    for (const QString& layout : {QString(), QStringLiteral("WK"), QStringLiteral("ZZ").repeated(64),
                                  QStringLiteral("WKWK"), QString(wqzChessboard::StartLayout).left(100)}) {
        board.NewGame(false, 0, 0, layout, true);
        for (int from = 1; from <= 64; ++from)
            for (int to = 1; to <= 64; ++to) board.MovePiece(board.SquareName(from), board.SquareName(to));
        while (board.UndoLastMove()) {
        }
    }
    board.NewGame();
    EXPECT_EQ(board.LayoutText(), wqzChessboard::StartLayout);
}
