// SPDX-License-Identifier: GPL-3.0-or-later
// Endgame knowledge: the king-and-pawn bitbase against known positions and against the rules themselves,
// mates driven home by a short search, drawish endings scaled.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "eval/Kpk.h"
#include "eval/StrongEval.h"
#include "tests/eval/EvalTestUtil.h"

namespace {

using namespace bitboard;
using eval::KnownWin;
using evaltest::PositionOf;

// The bitbase's verdict on a position of king and pawn against king.
bool BitbaseWins(const Position& pos) {
    const Colour strong = pos.Pieces(White, Pawn) != 0 ? White : Black;
    return eval::KpkWins(strong, pos.KingSquare(strong), Lsb(pos.Pieces(Pawn)), pos.KingSquare(~strong),
                         pos.SideToMove());
}

TEST(KingPawnKing, KnownPositions) {
    const struct {
        const char* fen;
        bool wins;
    } cases[] = {
        {"4k3/8/4K3/4P3/8/8/8/8 w - - 0 1", true},   // king on the sixth in front of its pawn
        {"4k3/8/4K3/4P3/8/8/8/8 b - - 0 1", true},   // either side to move
        {"4k3/4P3/4K3/8/8/8/8/8 w - - 0 1", true},   // Kd6 or Kf6 and the pawn queens
        {"4k3/4P3/4K3/8/8/8/8/8 b - - 0 1", false},  // stalemate
        {"k7/8/K7/P7/8/8/8/8 w - - 0 1", false},     // the rook pawn against the king in its corner
        {"k7/8/K7/P7/8/8/8/8 b - - 0 1", false},
        {"7k/8/8/8/8/8/P7/K7 b - - 0 1", true},     // outside the square even with the double step
        {"8/8/8/8/2k5/8/P7/K7 b - - 0 1", false},   // inside it
        {"3k4/8/3K4/3P4/8/8/8/8 b - - 0 1", true},  // Black must give way
        {"3k4/8/3K4/3P4/8/8/8/8 w - - 0 1", true},
        {"8/8/8/8/8/4k3/4P3/4K3 w - - 0 1", false},  // the pawn held, Black keeps the opposition
        {"8/8/8/8/8/5k2/4p3/4K3 w - - 0 1", true},   // Black's pawn: Kd2 Kf2 and it queens
        {"8/8/8/8/8/5k2/4p3/4K3 b - - 0 1", false},  // Ke3 is stalemate, anything else loses the pawn
        {"8/8/8/8/8/8/4pk2/2K5 b - - 0 1", true},
    };
    for (const auto& c : cases) EXPECT_EQ(BitbaseWins(PositionOf(c.fen)), c.wins) << c.fen;
}

// What a position after a move of the bitbase's world is worth to the pawn's side: a king and pawn
// position from the bitbase, a promoted piece as the rules have it (won unless taken or stalemate).
bool ChildWins(Position& pos) {
    if (pos.Pieces(Pawn) != 0) return BitbaseWins(pos);
    if (pos.Pieces() == pos.Pieces(King)) return false;
    const MoveList replies = LegalMoves(pos);
    if (replies.Count == 0) return pos.InCheck();
    return std::none_of(replies.begin(), replies.end(), [&](Move m) { return pos.IsCapture(m); });
}

TEST(KingPawnKing, EveryVerdictFollowsFromTheMovesTheRulesAllow) {
    std::mt19937 random(25);
    int tried = 0;
    while (tried < 20000) {
        const int wk = random() % 64, bk = random() % 64, pawn = 8 + random() % 48;
        if (wk == bk || wk == pawn || bk == pawn) continue;
        Position pos;
        std::string placement;
        for (int rank = 7; rank >= 0; --rank) {
            for (int file = 0; file < 8; ++file) {
                const int sq = SquareAt(file, rank);
                placement += sq == wk ? 'K' : sq == bk ? 'k' : sq == pawn ? 'P' : '1';
            }
            if (rank > 0) placement += '/';
        }
        if (!pos.SetFen(placement + (random() % 2 ? " w" : " b") + " - - 0 1")) continue;
        ++tried;
        const MoveList moves = LegalMoves(pos);
        if (moves.Count == 0) {
            EXPECT_EQ(BitbaseWins(pos), pos.InCheck()) << pos.Fen();
            continue;
        }
        bool any = false, all = true;
        for (Move m : moves) {
            Undo undo;
            pos.Make(m, undo);
            const bool wins = ChildWins(pos);
            pos.Unmake(m, undo);
            any |= wins;
            all &= wins;
        }
        EXPECT_EQ(BitbaseWins(pos), pos.SideToMove() == White ? any : all) << pos.Fen();
    }
}

// A small alpha-beta on the strong evaluation, deepened step by step with a table of best moves, enough to
// play out a won ending; repetitions (of the game too) count as draws.
class ShortSearch {
  public:
    static constexpr int Mate = 30000;

    Move Best(Position& pos, int depth) {
        for (int d = 1; d <= depth; ++d) Search(pos, d, -Mate - 1, Mate + 1, 0);
        return Slot(pos).Best;
    }

  private:
    struct Entry {
        uint64_t Key = 0;
        Move Best = NoMove;
    };

    Entry& Slot(const Position& pos) { return table_[pos.Key() % table_.size()]; }

    int Search(Position& pos, int depth, int alpha, int beta, int ply) {
        if (ply > 0 && pos.Repeats()) return 0;
        MoveList moves = LegalMoves(pos);
        if (moves.Count == 0) return pos.InCheck() ? -Mate + ply : 0;
        if (depth <= 0) return eval::Evaluate(pos, cache_);
        Entry& entry = Slot(pos);
        // The remembered best move first, then checks: mates are found sooner.
        const Move remembered = entry.Key == pos.Key() ? entry.Best : NoMove;
        std::stable_partition(moves.Moves, moves.Moves + moves.Count,
                              [&](Move m) { return m == remembered || pos.GivesCheck(m); });
        std::stable_partition(moves.Moves, moves.Moves + moves.Count,
                              [&](Move m) { return m == remembered; });
        Move best = moves.Moves[0];
        for (Move m : moves) {
            Undo undo;
            pos.Make(m, undo);
            const int score = -Search(pos, depth - 1, -beta, -alpha, ply + 1);
            pos.Unmake(m, undo);
            if (score > alpha) alpha = score, best = m;
            if (alpha >= beta) break;
        }
        Slot(pos) = {pos.Key(), best};
        return alpha;
    }

    std::vector<Entry> table_ = std::vector<Entry>(1 << 16);
    eval::EvalCache cache_;
};

// Both sides search; the moves until the side to move is mated, or -1 if not within the limit.
int MovesToMate(Position& pos, int depth, int limit) {
    ShortSearch search;
    std::vector<Undo> undo(2 * limit + 2);
    for (int ply = 0; ply < 2 * limit + 1; ++ply) {
        if (LegalMoves(pos).Count == 0) return pos.InCheck() ? (ply + 1) / 2 : -1;
        pos.Make(search.Best(pos, depth), undo[ply]);
    }
    return -1;
}

TEST(DecidedEndings, MatesComeWithinTheFiftyMoveRule) {
    const struct {
        const char* fen;
        Bitboard mateSquares;  // where the losing king may stand when mated
    } cases[] = {
        // Bishop and knight mate in a corner of the bishop's colour only: a8 or h1 for b1's, from the wrong
        // one.
        {"7k/8/8/8/8/8/8/KBN5 w - - 0 1", Bit(A8) | Bit(B8) | Bit(A7) | Bit(H1) | Bit(G1) | Bit(H2)},
        {"k7/8/8/3K4/8/8/8/6BN w - - 0 1", Bit(H8) | Bit(G8) | Bit(H7) | Bit(A1) | Bit(B1) | Bit(A2)},
        {"8/8/8/4k3/8/8/8/R3K3 w - - 0 1", ~Bitboard{0}},
        {"8/8/8/3k4/8/8/8/3QK3 b - - 0 1", ~Bitboard{0}},
    };
    for (const auto& c : cases) {
        Position pos = PositionOf(c.fen);
        const int moves = MovesToMate(pos, 5, 50);
        EXPECT_GE(moves, 1) << c.fen << " ended at " << pos.Fen();
        EXPECT_NE(c.mateSquares & Bit(pos.KingSquare(pos.SideToMove())), 0u)
            << c.fen << " mated at " << pos.Fen();
    }
}

TEST(DecidedEndings, ValuedByWhatTheMaterialCanDo) {
    eval::EvalCache cache;
    auto value = [&](const char* fen) { return eval::Evaluate(PositionOf(fen), cache); };
    EXPECT_EQ(value("4k3/8/8/8/8/8/8/4KN2 w - - 0 1"), 0);
    EXPECT_EQ(value("4k3/8/8/8/8/8/8/3NKN2 b - - 0 1"), 0);
    EXPECT_EQ(value("4k3/8/8/8/8/8/8/3BKB2 w - - 0 1"), 0);  // bishops on squares of one colour
    EXPECT_GT(value("4k3/8/8/8/8/8/8/2B1KB2 w - - 0 1"), KnownWin);
    EXPECT_LT(value("4k3/8/8/8/8/8/8/3BKN2 b - - 0 1"), -KnownWin);
    EXPECT_EQ(value("k7/8/K7/P7/8/8/8/8 w - - 0 1"), 0);
    EXPECT_GT(value("4k3/8/4K3/4P3/8/8/8/8 b - - 0 1"), -KnownWin - 1000);
    EXPECT_LT(value("4k3/8/4K3/4P3/8/8/8/8 b - - 0 1"), -KnownWin);
}

TEST(DrawishEndings, ScaledTowardADraw) {
    static eval::EvalTrace trace;
    auto scaleOf = [&](const char* fen) {
        eval::EvaluateTraced(PositionOf(fen), trace);
        return trace.Scale[White];
    };
    // Bishops of opposite colours with a pawn more, against the same with bishops of one colour.
    const char* opposite = "4k3/5p2/3b4/8/8/3B4/4PP2/4K3 w - - 0 1";
    const char* same = "4k3/5p2/4b3/8/8/3B4/4PP2/4K3 w - - 0 1";
    EXPECT_LT(scaleOf(opposite), eval::NormalScale / 2);
    EXPECT_EQ(scaleOf(same), eval::NormalScale);
    eval::EvalCache cache;
    EXPECT_LT(eval::Evaluate(PositionOf(opposite), cache), eval::Evaluate(PositionOf(same), cache) / 2);
    // No pawns and at most a minor piece up; a minor piece alone against pawns.
    EXPECT_LT(scaleOf("4k3/8/8/3n4/8/8/8/R3K3 w - - 0 1"), eval::NormalScale / 2);
    EXPECT_EQ(scaleOf("4k3/p7/8/8/8/8/8/2B1K3 w - - 0 1"), 0);
    EXPECT_EQ(scaleOf("4k3/8/8/3n4/8/8/8/Q3K3 w - - 0 1"), eval::NormalScale);
    // The rook pawn and the bishop that does not cover its promotion square.
    EXPECT_EQ(scaleOf("k7/8/8/8/P7/8/8/2B1K3 w - - 0 1"), 0);  // a dark-squared bishop: a8 is light
    EXPECT_EQ(scaleOf("k7/8/8/8/P7/8/8/3BK3 w - - 0 1"), eval::NormalScale);
    EXPECT_EQ(scaleOf("8/8/1k6/8/P7/8/8/2B1K3 w - - 0 1"), eval::NormalScale);  // the king too far
}

}  // namespace
