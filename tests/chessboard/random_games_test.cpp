// SPDX-License-Identifier: GPL-3.0-or-later
// Random games played on the control and on the engine's board side by side: in every position both
// must accept exactly the same moves, and the control must raise exactly the events the engine's verdict
// implies.
#include <gtest/gtest.h>

#include <random>

#include "BoardTestSupport.h"

#ifndef TALVOR_RANDOM_GAMES
#define TALVOR_RANDOM_GAMES 200
#endif

TEST(ChessboardRandomGames, ControlAndEngineAgreeMoveByMove) {
    wqzChessboard board;
    board.resize(8 * wqzChessboard::PieceSize, 8 * wqzChessboard::PieceSize);  // less to draw
    EventLog log(board);
    InitBoardTables();
    std::mt19937 rng(20240611);
    int mates = 0, stalemates = 0, promotions = 0, enPassant = 0, castles = 0;

    for (int game = 0; game < TALVOR_RANDOM_GAMES; ++game) {
        ResetGame();
        board.NewGame();
        QString lastTo;
        for (int ply = 0; ply < 100; ++ply) {
            const auto where = [&] { return "game " + std::to_string(game) + " ply " + std::to_string(ply); };
            const std::vector<MoveRec> legal = LegalMoves();
            std::set<std::string> engineSet;  // the promotion piece is asked for separately
            for (const MoveRec& m : legal) engineSet.insert(SquareText(m.From) + SquareText(m.To));
            ASSERT_EQ(board.LayoutText(), LayoutFromFen(PositionKey())) << where();
            ASSERT_EQ(ControlLegalMoves(board), engineSet) << where() << " " << PositionKey();
            // The trial moves behind the legality, mate and stalemate checks leave no trace.
            ASSERT_EQ(board.UndoCount(), ply) << where();
            ASSERT_EQ(board.EnPassantIsPossible(), GhostSquare() != 0) << where();
            ASSERT_EQ(board.SquareName(board.LastMoveTo()).toStdString(), lastTo.toStdString()) << where();
            if (legal.empty()) break;

            // Now and then every legal move goes through MovePiece and is taken back, and random moves the
            // engine refuses are offered too: MovePiece must agree with the trial and change nothing.
            if (ply % 48 == 5) {
                const QString before = board.LayoutText();
                log.PromotionAnswer = 0;
                for (const std::string& m : engineSet) {
                    ASSERT_TRUE(board.MovePiece(QString::fromStdString(m.substr(0, 2)),
                                                QString::fromStdString(m.substr(2))));
                    ASSERT_TRUE(board.UndoLastMove());
                    ASSERT_EQ(board.LayoutText(), before);
                    // En passant after a take-back only if the newest move left is a double step.
                    ASSERT_EQ(board.EnPassantIsPossible(), GhostSquare() != 0) << m;
                }
                for (int i = 0; i < 16; ++i) {
                    const QString from = board.SquareName(1 + rng() % 64),
                                  to = board.SquareName(1 + rng() % 64);
                    if (engineSet.count((from + to).toStdString())) continue;
                    ASSERT_FALSE(board.MovePiece(from, to));
                    ASSERT_EQ(board.LayoutText(), before);
                }
                log.Take();
            }

            // Prefer captures most of the time: games then reach the endings where mate and stalemate happen.
            // En passant, castling and promotion are rare in random play: take them whenever offered.
            std::vector<MoveRec> captures, special;
            for (const MoveRec& m : legal) {
                if (m.Captured < EmptySquare) captures.push_back(m);
                if (m.EnPassant || m.Castle || m.Promotion) special.push_back(m);
            }
            const std::vector<MoveRec>& pool = !special.empty()                        ? special
                                               : (!captures.empty() && rng() % 4 != 0) ? captures
                                                                                       : legal;
            const MoveRec m = pool[rng() % pool.size()];
            promotions += m.Promotion != 0;
            enPassant += m.EnPassant;
            castles += m.Castle != 0;

            const bool white = WhiteToMove;
            const QString from = QString::fromStdString(SquareText(m.From));
            const QString to = QString::fromStdString(SquareText(m.To));
            QString expected;
            if (m.Promotion) {
                log.PromotionAnswer = KindFromEngineCode(m.Promotion);
                expected += QStringLiteral("PawnPromotion(%1,0) ").arg(EventLog::Side(white));
            }
            expected += QStringLiteral("PieceMovement(%1,%2,%3)").arg(EventLog::Side(white), from, to);
            if (m.Captured < EmptySquare)
                expected += QStringLiteral(" PieceCapture(%1)").arg(KindFromEngineCode(m.Captured));

            log.Take();
            ASSERT_TRUE(board.MovePiece(from, to));
            MakeGameMove(m);
            lastTo = to;

            const bool noMoves = LegalMoves().empty();
            if (InCheck()) {
                mates += noMoves;
                expected += QStringLiteral(" KingInCheck(%1,%2)")
                                .arg(EventLog::Side(!white), noMoves ? "mate" : "check");
            } else if (noMoves) {
                ++stalemates;
                expected += QStringLiteral(" Stalemate");
            }
            ASSERT_EQ(log.Take(), expected) << where() << " after " << PositionKey();
        }
    }
    if (TALVOR_RANDOM_GAMES >= 1000) {
        // The run must actually have reached the cases it is meant to compare.
        EXPECT_GT(mates, 10);
        EXPECT_GT(stalemates, 3);
        EXPECT_GT(promotions, 100);
        EXPECT_GT(enPassant, 20);
        EXPECT_GT(castles, 50);
    }
}
