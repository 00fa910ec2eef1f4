// Random games played on the control and on the engine's board side by side: in every position both
// must accept exactly the same moves and agree on check, mate and stalemate.
#include <gtest/gtest.h>

#include <random>

#include "BoardTestSupport.h"

#ifndef TALVOR_RANDOM_GAMES
#define TALVOR_RANDOM_GAMES 200
#endif

namespace {
std::string Join(wqzChessboard& board, const std::set<int>& s) {
    std::string out;
    for (int m : s) out += (board.SquareName(m / 100) + board.SquareName(m % 100)).toStdString() + " ";
    return out;
}

struct Tally {
    int Positions = 0, Mates = 0, Stalemates = 0, Checks = 0, Promotions = 0, EnPassant = 0, Castles = 0;
    int MovePieceProbes = 0;
};
}  // namespace

TEST(ChessboardRandomGames, ControlAndEngineAgreeMoveByMove) {
    constexpr int kGames = TALVOR_RANDOM_GAMES;
    constexpr int kMaxPlies = 100;
    wqzChessboard board;
    board.resize(8 * wqzChessboard::PieceSize, 8 * wqzChessboard::PieceSize);  // less to draw
    EventLog log(board);
    InitBoardTables();
    Tally t;
    std::mt19937 rng(20240611);

    for (int game = 0; game < kGames; ++game) {
        ResetGame();
        board.NewGame();
        for (int ply = 0; ply < kMaxPlies; ++ply) {
            ++t.Positions;
            const std::vector<MoveRec> legal = EngineLegalMoves();
            const std::set<int> engineSet = MoveSquares(legal);
            const std::set<int> controlSet = ControlLegalMoves(board);
            ASSERT_EQ(board.LayoutText(), EngineLayout()) << "game " << game << " ply " << ply;
            ASSERT_EQ(engineSet, controlSet)
                << "game " << game << " ply " << ply << " position " << PositionKey()
                << "\nengine:  " << Join(board, engineSet) << "\ncontrol: " << Join(board, controlSet);
            if (legal.empty()) break;

            // Now and then every legal move goes through MovePiece and is taken back, and some moves the
            // engine refuses are offered too: MovePiece must agree with the trial and change nothing.
            if (ply % 48 == 5) {
                const QString before = board.LayoutText();
                log.PromotionAnswer = 0;
                for (int m : engineSet) {
                    ++t.MovePieceProbes;
                    const QString from = board.SquareName(m / 100), to = board.SquareName(m % 100);
                    ASSERT_TRUE(board.MovePiece(from, to)) << m << " in " << PositionKey();
                    ASSERT_TRUE(board.UndoLastMove());
                    ASSERT_EQ(board.LayoutText(), before);
                }
                for (int i = 0; i < 16; ++i) {
                    const int from = 1 + static_cast<int>(rng() % 64), to = 1 + static_cast<int>(rng() % 64);
                    if (engineSet.count(from * 100 + to)) continue;
                    ++t.MovePieceProbes;
                    ASSERT_FALSE(board.MovePiece(board.SquareName(from), board.SquareName(to)));
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

            const bool white = WhiteToMove;
            const QString from = QString::fromStdString(SquareText(m.From));
            const QString to = QString::fromStdString(SquareText(m.To));
            QString expected;
            if (m.Promotion) {
                ++t.Promotions;
                log.PromotionAnswer = KindFromEngineCode(m.Promotion);
                expected += QStringLiteral("PawnPromotion(%1,0) ").arg(EventLog::Side(white));
            }
            if (m.EnPassant) ++t.EnPassant;
            if (m.Castle) ++t.Castles;
            expected += QStringLiteral("PieceMovement(%1,%2,%3)").arg(EventLog::Side(white), from, to);
            if (m.Captured < EmptySquare)
                expected += QStringLiteral(" PieceCapture(%1)").arg(KindFromEngineCode(m.Captured));

            log.Take();
            ASSERT_TRUE(board.MovePiece(from, to)) << from.toStdString() << to.toStdString();
            MakeGameMove(m);

            const bool check = InCheck();
            const bool noMoves = EngineLegalMoves().empty();
            if (check) {
                ++t.Checks;
                t.Mates += noMoves;
                expected += QStringLiteral(" KingInCheck(%1,%2)")
                                .arg(EventLog::Side(!white), noMoves ? "mate" : "check");
            } else if (noMoves) {
                ++t.Stalemates;
                expected += QStringLiteral(" Stalemate");
            }
            ASSERT_EQ(log.Take(), expected)
                << "game " << game << " ply " << ply << " after " << PositionKey();
        }
    }
    std::printf(
        "%d games, %d positions, %d MovePiece probes: %d checks, %d mates, %d stalemates, %d promotions, "
        "%d en passant, %d castlings\n",
        kGames, t.Positions, t.MovePieceProbes, t.Checks, t.Mates, t.Stalemates, t.Promotions, t.EnPassant,
        t.Castles);
    if (kGames >= 1000) {
        // The run must actually have reached the cases it is meant to compare.
        EXPECT_GT(t.Mates, 10);
        EXPECT_GT(t.Stalemates, 3);
        EXPECT_GT(t.Promotions, 100);
        EXPECT_GT(t.EnPassant, 20);
        EXPECT_GT(t.Castles, 50);
    }
}
