// The control's rules: move validation, castling, en passant, promotion, take-back, and the events with
// their order and parameters.
#include <gtest/gtest.h>

#include "BoardTestSupport.h"

namespace {
class Rules : public ::testing::Test {
  protected:
    void Position(const char* sPlacement, bool bWhiteToMove) {
        board.NewGame(false, 0, 0, LayoutFromFen(sPlacement), bWhiteToMove);
        log.Take();
    }
    bool Move(const QString& m) { return board.MovePiece(m.left(2), m.mid(2, 2)); }
    // Plays the moves, failing on the first one refused; returns the events of the last move.
    QString Play(const QStringList& moves) {
        for (const QString& m : moves) {
            log.Take();
            EXPECT_TRUE(Move(m)) << m.toStdString();
        }
        return log.Take();
    }
    const wqzChessboard::SquareRec& At(const char* name) {
        return board.SquareInfo(board.SquareFromName(name));
    }
    QString PieceAt(const char* name) {  // "WR", "BP", "--"
        const auto& s = At(name);
        if (!s.Occupied) return QStringLiteral("--");
        return QString(s.White ? 'W' : 'B') + QChar("KQRNBP"[s.Kind % 6]);
    }

    wqzChessboard board;
    EventLog log{board};
};

// What the engine's own board says after the move: "mate", "check", "stalemate" or "none".
std::string EngineVerdict(const char* sPlacement, bool bWhite, const char* sMove) {
    InitBoardTables();
    ResetGame();
    if (!SetBoard(std::string(sPlacement) + (bWhite ? " w" : " b") + " - - 0 1")) return "bad position";
    MoveRec m;
    if (!FindMoveFromText(sMove, m)) return "illegal";
    MakeGameMove(m);
    const bool none = EngineLegalMoves().empty();
    if (InCheck()) return none ? "mate" : "check";
    return none ? "stalemate" : "none";
}
}  // namespace

TEST_F(Rules, FirstMoveRaisesOnlyPieceMovementAndPassesTheTurn) {
    EXPECT_EQ(board.SideTurn(), 0);
    EXPECT_TRUE(Move("e2e4"));
    EXPECT_EQ(log.Take(), "PieceMovement(W,e2,e4)");
    EXPECT_EQ(board.SideTurn(), 1);
    EXPECT_EQ(board.LastMoveFrom(), 53);
    EXPECT_EQ(board.LastMoveTo(), 37);
}

TEST_F(Rules, RefusedMovesChangeNothingAndRaiseNothing) {
    const struct {
        const char* from;
        const char* to;
    } cases[] = {
        {"E2", "E4"}, {"e9", "e8"}, {"e2", "e2"}, {"", ""},     {"e2", "e4 "}, {"i2", "i4"}, {"e0", "e1"},
        {"e3", "e4"},  // empty square
        {"e7", "e5"},  // Black's piece on White's turn
        {"e2", "e5"}, {"e2", "d3"}, {"b1", "d2"}, {"a1", "a3"}, {"f1", "b5"},  {"e1", "g1"}, {"d1", "d8"},
    };
    const QString before = board.LayoutText();
    for (const auto& c : cases) {
        EXPECT_FALSE(board.MovePiece(c.from, c.to)) << c.from << c.to;
        EXPECT_EQ(board.LayoutText(), before);
    }
    EXPECT_EQ(log.Take(), "");
    EXPECT_EQ(board.UndoCount(), 0);
    EXPECT_EQ(board.SideTurn(), 0);
    EXPECT_EQ(board.LastMoveFrom(), 0);
}

TEST_F(Rules, SquareNamesAndNumbers) {
    for (int k = 1; k <= 64; ++k) EXPECT_EQ(board.SquareFromName(board.SquareName(k)), k);
    EXPECT_EQ(board.SquareFromName("a8"), 1);
    EXPECT_EQ(board.SquareFromName("h8"), 8);
    EXPECT_EQ(board.SquareFromName("e2"), 53);
    EXPECT_EQ(board.SquareFromName("a1"), 57);
    EXPECT_EQ(board.SquareFromName("h1"), 64);
    for (const char* bad : {"", "a", "a0", "a9", "A1", "i1", "a10", "1a"})
        EXPECT_EQ(board.SquareFromName(bad), -1);
    EXPECT_EQ(board.SquareName(0), "");
    EXPECT_EQ(board.SquareName(65), "");
    EXPECT_EQ(board.SquareIndex(5, 8), 61);
    EXPECT_EQ(board.SquareIndex(0, 1), 0);
    EXPECT_EQ(board.SquareIndex(1, 9), 0);
    // a8 is light, a1 dark.
    EXPECT_FALSE(board.SquareInfo(1).IsDark);
    EXPECT_TRUE(board.SquareInfo(57).IsDark);
    EXPECT_TRUE(board.SquareInfo(8).IsDark);
}

TEST_F(Rules, ScholarsMateReportsMoveCaptureAndMate) {
    EXPECT_EQ(Play({"e2e4", "e7e5", "f1c4", "b8c6", "d1h5", "g8f6", "h5f7"}),
              "PieceMovement(W,h5,f7) PieceCapture(5) KingInCheck(B,mate)");
    EXPECT_EQ(board.SideTurn(), 1);
}

TEST_F(Rules, Castling) {
    const struct {
        const char* placement;
        bool white;
        const char* move;
        bool legal;
        const char* rookFrom;
        const char* rookTo;
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R", true, "e1g1", true, "h1", "f1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R", true, "e1c1", true, "a1", "d1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R", false, "e8g8", true, "h8", "f8"},
        {"r3k2r/8/8/8/8/8/8/R3K2R", false, "e8c8", true, "a8", "d8"},
        {"r3k2r/8/b7/8/8/8/8/R3K2R", true, "e1g1", false, "", ""},     // passes the attacked f1
        {"r3k1r1/8/8/8/8/8/8/R3K2R", true, "e1g1", false, "", ""},     // lands on the attacked g1
        {"r3k1r1/8/8/8/8/8/8/R3K2R", true, "e1c1", true, "a1", "d1"},  // the other side is fine
        {"4k3/4r3/8/8/8/8/8/R3K2R", true, "e1g1", false, "", ""},      // out of check
        {"4k3/4r3/8/8/8/8/8/R3K2R", true, "e1c1", false, "", ""},
        {"1r2k3/8/8/8/8/8/8/R3K2R", true, "e1c1", true, "a1", "d1"},  // only the rook crosses the attacked b1
        {"3rk3/8/8/8/8/8/8/R3K2R", true, "e1c1", false, "", ""},      // d1 attacked
        {"r3k2r/8/8/8/8/8/8/R3KB1R", true, "e1g1", false, "", ""},    // bishop in the way
        {"r3k2r/8/8/8/8/8/8/RN2K2R", true, "e1c1", false, "", ""},    // knight on b1 in the way
        {"4k3/8/8/8/8/8/8/R3K3", true, "e1g1", false, "", ""},        // no rook
        {"4k3/8/8/8/8/8/8/4K2n", true, "e1g1", false, "", ""},        // a knight is not a rook
        {"4k3/8/8/8/8/8/8/4K1NR", true, "e1g1", false, "", ""},
        {"r3k2r/8/8/8/8/8/8/R3K2R", true, "e1f3", false, "", ""},  // not a king move at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.placement) + " " + c.move);
        // A start position first: an empty h1 must not keep a rook from an earlier game.
        board.NewGame();
        Position(c.placement, c.white);
        const QString before = board.LayoutText();
        const QString m = c.move;
        EXPECT_EQ(Move(m), c.legal);
        if (!c.legal) {
            EXPECT_EQ(board.LayoutText(), before);
            EXPECT_EQ(log.Take(), "");
            continue;
        }
        EXPECT_EQ(log.Take(),
                  QStringLiteral("PieceMovement(%1,%2,%3)").arg(c.white ? "W" : "B", m.left(2), m.mid(2)));
        EXPECT_EQ(PieceAt(c.rookFrom), "--");
        EXPECT_EQ(PieceAt(c.rookTo), c.white ? "WR" : "BR");
        EXPECT_EQ(PieceAt(m.mid(2).toLatin1().constData()), c.white ? "WK" : "BK");
        // Take-back puts king and rook home, unmoved: the same castling is allowed again.
        EXPECT_TRUE(board.UndoLastMove());
        EXPECT_EQ(log.Take(), QStringLiteral("MoveUndo(%1)").arg(c.white ? "W" : "B"));
        EXPECT_EQ(board.LayoutText(), before);
        EXPECT_TRUE(Move(m));
    }
}

TEST_F(Rules, CastlingRightsLostByMovingKingOrRook) {
    Position("r3k2r/8/8/8/8/8/8/R3K2R", true);
    Play({"e1f1", "e8d8", "f1e1", "d8e8"});
    EXPECT_FALSE(Move("e1g1"));
    EXPECT_FALSE(Move("e1c1"));

    Position("r3k2r/8/8/8/8/8/8/R3K2R", true);
    Play({"h1h2", "a8a7", "h2h1", "a7a8"});
    EXPECT_FALSE(Move("e1g1"));
    EXPECT_TRUE(Move("e1c1"));
    EXPECT_FALSE(Move("e8c8"));
    EXPECT_TRUE(Move("e8g8"));
}

TEST_F(Rules, EnPassantCaptureAndItsUndo) {
    Position("4k3/3p4/8/4P3/8/8/8/4K3", false);
    EXPECT_TRUE(Move("d7d5"));
    EXPECT_TRUE(board.EnPassantIsPossible());
    log.Take();
    EXPECT_TRUE(Move("e5d6"));
    EXPECT_EQ(log.Take(), "PieceMovement(W,e5,d6)");  // no PieceCapture for en passant
    EXPECT_EQ(PieceAt("d5"), "--");
    EXPECT_EQ(PieceAt("d6"), "WP");
    EXPECT_EQ(PieceAt("e5"), "--");
    EXPECT_EQ(board.UndoRecord(1).MoveType, 3);

    EXPECT_TRUE(board.UndoLastMove());
    EXPECT_EQ(log.Take(), "MoveUndo(W)");
    EXPECT_EQ(PieceAt("d5"), "BP");
    EXPECT_EQ(PieceAt("e5"), "WP");
    EXPECT_EQ(PieceAt("d6"), "--");
    EXPECT_TRUE(board.EnPassantIsPossible());  // the double step is the newest move again
    EXPECT_TRUE(Move("e5d6"));

    // Black takes en passant the other way.
    Position("4k3/8/8/8/3p4/8/4P3/4K3", true);
    EXPECT_TRUE(Move("e2e4"));
    EXPECT_TRUE(Move("d4e3"));
    EXPECT_EQ(PieceAt("e4"), "--");
    EXPECT_EQ(PieceAt("e3"), "BP");
    EXPECT_TRUE(board.UndoLastMove());
    EXPECT_EQ(PieceAt("e4"), "WP");
    EXPECT_EQ(PieceAt("d4"), "BP");
    EXPECT_EQ(PieceAt("e3"), "--");
}

TEST_F(Rules, EnPassantOnlyRightAfterTheDoubleStep) {
    Position("4k3/3p4/8/4P3/8/8/8/4K3", false);
    Play({"d7d5", "e1e2", "e8e7"});
    EXPECT_FALSE(Move("e5d6"));

    // Taking back a double step that followed an ordinary move leaves no en-passant chance behind.
    Position("4k3/3p4/8/4P3/8/8/8/4K3", true);
    Play({"e1e2", "d7d5"});
    EXPECT_TRUE(board.UndoLastMove());
    EXPECT_FALSE(board.EnPassantIsPossible());
    Play({"d7d6", "e2e1", "d6d5"});
    EXPECT_FALSE(Move("e5d6"));  // a single step: nothing to take en passant
}

TEST_F(Rules, EnPassantThatExposesTheKingIsRefused) {
    Position("8/3p4/8/K3P2r/8/8/8/4k3", false);
    EXPECT_TRUE(Move("d7d5"));
    log.Take();
    const QString before = board.LayoutText();
    EXPECT_FALSE(Move("e5d6"));
    EXPECT_EQ(board.LayoutText(), before);
    EXPECT_EQ(log.Take(), "");
    EXPECT_EQ(board.UndoCount(), 1);
    EXPECT_EQ(board.LastMoveTo(), board.SquareFromName("d5"));
}

TEST_F(Rules, PromotionChoices) {
    const struct {
        bool white;
        const char* move;
        int answer;
        const char* piece;
        const char* events;
    } cases[] = {
        {true, "a7a8", 0, "WQ", "PawnPromotion(W,0) PieceMovement(W,a7,a8)"},
        {true, "a7a8", 9, "WN", "PawnPromotion(W,0) PieceMovement(W,a7,a8)"},
        {true, "a7a8", 8, "WR", "PawnPromotion(W,0) PieceMovement(W,a7,a8)"},
        {true, "a7a8", 10, "WB", "PawnPromotion(W,0) PieceMovement(W,a7,a8)"},
        {true, "a7a8", 6, "WQ", "PawnPromotion(W,0) PieceMovement(W,a7,a8)"},   // no second king
        {true, "a7a8", 11, "WQ", "PawnPromotion(W,0) PieceMovement(W,a7,a8)"},  // nor a pawn
        {true, "a7a8", 3, "WQ", "PawnPromotion(W,0) PieceMovement(W,a7,a8)"},   // nor a black piece
        {true, "a7a8", -1, "WQ", "PawnPromotion(W,0) PieceMovement(W,a7,a8)"},
        {true, "a7b8", 0, "WQ",
         "PawnPromotion(W,0) PieceMovement(W,a7,b8) PieceCapture(3) KingInCheck(B,check)"},
        {true, "a7b8", 9, "WN", "PawnPromotion(W,0) PieceMovement(W,a7,b8) PieceCapture(3)"},
        {false, "h2h1", 0, "BQ", "PawnPromotion(B,0) PieceMovement(B,h2,h1)"},
        {false, "h2h1", 9, "BQ", "PawnPromotion(B,0) PieceMovement(B,h2,h1)"},  // a white knight's code
        {false, "h2h1", 3, "BN", "PawnPromotion(B,0) PieceMovement(B,h2,h1)"},
        {false, "h2h1", 2, "BR", "PawnPromotion(B,0) PieceMovement(B,h2,h1)"},
        {false, "h2h1", 4, "BB", "PawnPromotion(B,0) PieceMovement(B,h2,h1)"},
        {false, "h2h1", 5, "BQ", "PawnPromotion(B,0) PieceMovement(B,h2,h1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.move) + " answer " + std::to_string(c.answer));
        Position("1n2k3/P7/8/8/8/2K5/7p/8", c.white);
        const QString before = board.LayoutText();
        log.PromotionAnswer = c.answer;
        const QString m = c.move;
        EXPECT_TRUE(Move(m));
        EXPECT_EQ(log.Take(), c.events);
        EXPECT_EQ(PieceAt(m.mid(2).toLatin1().constData()), c.piece);
        EXPECT_TRUE(At(m.mid(2).toLatin1().constData()).Moved);
        EXPECT_EQ(board.UndoRecord(0).MoveType, 4);
        EXPECT_TRUE(board.UndoLastMove());
        EXPECT_EQ(board.LayoutText(), before);
    }
}

TEST_F(Rules, PromotionThatExposesTheKingAsksNothing) {
    Position("4k3/r2P3K/8/8/8/8/8/8", true);
    const QString before = board.LayoutText();
    EXPECT_FALSE(Move("d7d8"));
    EXPECT_EQ(log.Take(), "");
    EXPECT_EQ(board.LayoutText(), before);
    EXPECT_EQ(board.UndoCount(), 0);
}

TEST_F(Rules, PinnedPieceCannotMove) {
    Position("4k3/4r3/8/8/8/8/4B3/4K3", true);
    EXPECT_FALSE(Move("e2d3"));
    EXPECT_EQ(log.Take(), "");
    EXPECT_EQ(board.UndoCount(), 0);
    EXPECT_EQ(board.SideTurn(), 0);
    EXPECT_TRUE(Move("e1d1"));
}

TEST_F(Rules, EveryMoveTypeIsTakenBackExactly) {
    const QStringList moves = {"e2e4", "d7d5", "e4d5", "c7c5", "d5c6", "g8f6", "c6b7", "e7e6",
                               "b7a8", "f8e7", "g1f3", "e8g8", "f1e2", "b8c6", "e1g1"};
    std::vector<QString> layouts{board.LayoutText()};
    std::vector<std::pair<int, int>> lastMoves{{0, 0}};
    for (const QString& m : moves) {
        ASSERT_TRUE(Move(m)) << m.toStdString();
        layouts.push_back(board.LayoutText());
        lastMoves.push_back({board.LastMoveFrom(), board.LastMoveTo()});
    }
    // Ordinary, capture, en passant, promotion with capture, both castlings.
    std::vector<int> types;
    for (int i = 0; i < board.UndoCount(); ++i) types.push_back(board.UndoRecord(i).MoveType);
    EXPECT_EQ(types, (std::vector<int>{0, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 1, 0, 0, 1}));
    log.Take();
    for (int i = static_cast<int>(moves.size()); i > 0; --i) {
        ASSERT_TRUE(board.UndoLastMove());
        EXPECT_EQ(log.Take(), QStringLiteral("MoveUndo(%1)").arg(i % 2 ? "W" : "B"));
        EXPECT_EQ(board.LayoutText(), layouts[i - 1]) << "after taking back move " << i;
        EXPECT_EQ(board.LastMoveFrom(), lastMoves[i - 1].first);
        EXPECT_EQ(board.LastMoveTo(), lastMoves[i - 1].second);
        EXPECT_EQ(board.SideTurn(), (i - 1) % 2);
    }
    EXPECT_EQ(board.WhiteKingPosition(), 61);
    EXPECT_EQ(board.BlackKingPosition(), 5);
    EXPECT_FALSE(board.UndoLastMove());
    EXPECT_EQ(log.Take(), "");
    // The same game can be played again: the Moved flags came back too.
    for (const QString& m : moves) ASSERT_TRUE(Move(m)) << m.toStdString();
    EXPECT_EQ(board.LayoutText(), layouts.back());
}

TEST_F(Rules, UndoRightAfterNewGameDoesNothing) {
    EXPECT_FALSE(board.UndoLastMove());
    EXPECT_EQ(log.Take(), "");
    EXPECT_TRUE(board.IsUndoListEmpty());
}

// Mate and stalemate come from trying every move, so pins and en passant count as they should. Each
// position is also put to the engine's board, which must give the same verdict.
TEST_F(Rules, MateAndStalemateVerdicts) {
    const struct {
        const char* placement;
        bool white;
        const char* move;
        const char* verdict;
        const char* lastEvent;
    } cases[] = {
        // The knight on f6 could block on g8 or e8, but it is pinned by the bishop on a1.
        {"7k/7p/4Nn2/8/8/8/R7/B1K5", true, "a2a8", "mate", "KingInCheck(B,mate)"},
        // The pawn on h7 could take the checking knight, but it is pinned by the rook on h1.
        {"7k/7p/8/3BN3/8/8/8/B1K4R", true, "e5g6", "mate", "KingInCheck(B,mate)"},
        // Taking the checking pawn en passant is the way out.
        {"8/1Q6/8/k7/2p5/2N5/1P6/7K", true, "b2b4", "check", "KingInCheck(B,check)"},
        // The pinned knight on b7 has squares to go to, but no legal move: stalemate.
        {"k1N5/1n1N4/8/8/8/8/8/6KB", true, "g1f2", "stalemate", "Stalemate"},
        {"7k/5K2/8/6Q1/8/8/8/8", true, "g5g6", "stalemate", "Stalemate"},
        {"6k1/3r1ppp/8/8/8/8/8/R5K1", true, "a1a8", "check", "KingInCheck(B,check)"},  // the rook blocks
        {"6k1/5ppp/8/8/8/8/8/R5K1", true, "a1a8", "mate", "KingInCheck(B,mate)"},
        // Double check: taking one checker does not help, only the king can answer.
        {"3rkq2/3p1pb1/8/8/4N3/8/8/4R1K1", true, "e4f6", "mate", "KingInCheck(B,mate)"},
        {"3rk3/3p1pb1/8/8/4N3/8/8/4R1K1", true, "e4f6", "check", "KingInCheck(B,check)"},
        {"6rk/6pp/8/6N1/8/8/8/6K1", true, "g5f7", "mate", "KingInCheck(B,mate)"},  // smothered
        {"k7/8/1K6/8/8/8/8/7R", true, "h1h7", "none", "PieceMovement(W,h1,h7)"},
        {"8/8/8/8/8/5k2/4q3/7K", false, "e2g2", "mate", "KingInCheck(W,mate)"},
        {"8/8/8/8/8/5k2/4q3/7K", false, "e2f1", "check", "KingInCheck(W,check)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.placement) + " " + c.move);
        EXPECT_EQ(EngineVerdict(c.placement, c.white, c.move), c.verdict);
        Position(c.placement, c.white);
        EXPECT_TRUE(Move(c.move));
        const QStringList events = log.Events;
        EXPECT_EQ(events.value(events.size() - 1).toStdString(), c.lastEvent);
        EXPECT_TRUE(events.value(0).startsWith("PieceMovement"));
        EXPECT_EQ(board.SideTurn(), c.white ? 1 : 0);
    }
    // The way out of the en-passant case really is playable, and is taken back cleanly.
    Position("8/1Q6/8/k7/2p5/2N5/1P6/7K", true);
    const QString before = board.LayoutText();
    Play({"b2b4", "c4b3"});
    EXPECT_EQ(PieceAt("b4"), "--");
    EXPECT_EQ(PieceAt("b3"), "BP");
    board.UndoLastMove();
    board.UndoLastMove();
    EXPECT_EQ(board.LayoutText(), before);
}

// The trial moves of the mate and stalemate tests leave no trace: position, undo list, en-passant state
// and the highlighted squares are as before.
TEST_F(Rules, TrialMovesLeaveNoTrace) {
    Position("4k3/3p4/8/4P3/8/8/8/4K3", false);
    Play({"d7d5"});
    const QString before = board.LayoutText();
    const int records = board.UndoCount();
    for (int from = 1; from <= 64; ++from)
        for (int to = 1; to <= 64; ++to) board.IsLegalMove(from, to);
    EXPECT_FALSE(board.IsStalemate(true, board.WhiteKingPosition()));
    EXPECT_FALSE(board.IsCheckmate(true, board.WhiteKingPosition()));
    EXPECT_EQ(board.LayoutText(), before);
    EXPECT_EQ(board.UndoCount(), records);
    EXPECT_TRUE(board.EnPassantIsPossible());
    EXPECT_EQ(board.EnPassantFileNumber(), 4);
    EXPECT_EQ(board.LastMoveTo(), board.SquareFromName("d5"));
    EXPECT_EQ(log.Take(), "");
    EXPECT_TRUE(Move("e5d6"));
}

TEST_F(Rules, MalformedLayoutsDoNotBreakTheControl) {
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
