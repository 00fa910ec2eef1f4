// SPDX-License-Identifier: GPL-3.0-or-later
// The bitbase is worked out with the pawn's side as White, the pawn on files a to d (the board mirrored
// otherwise): every position is first judged where the rules decide it (illegal, pawn lost, stalemate,
// promotion), then positions are judged from their successors until nothing changes; what is still
// open then is a draw (White cannot force a win).
#include "eval/Kpk.h"

#include <cstdint>
#include <vector>

namespace eval {

using namespace bitboard;

namespace {

constexpr int PawnSquares = 24;  // files a..d, ranks 2..7
constexpr int Positions = 2 * 64 * 64 * PawnSquares;

enum Outcome : uint8_t { Illegal, Open, Draw, Win };

struct Layout {
    Colour Side;
    int WhiteKing, BlackKing, Pawn;
};

int IndexOf(Colour side, int whiteKing, int blackKing, int pawn) {
    const int pawnIndex = (RankOf(pawn) - 1) * 4 + FileOf(pawn);
    return side + 2 * (whiteKing + 64 * (blackKing + 64 * pawnIndex));
}

Layout LayoutOf(int index) {
    Layout l;
    l.Side = Colour(index & 1);
    index >>= 1;
    l.WhiteKing = index & 63;
    l.BlackKing = (index >> 6) & 63;
    const int pawnIndex = index >> 12;
    l.Pawn = SquareAt(pawnIndex % 4, pawnIndex / 4 + 1);
    return l;
}

// Black's king after a promotion on q to a queen or rook, Black to move: whether White wins. It loses the
// piece if it can take it undefended, and a king with no move out of check is mated, without one drawn.
bool PromotionWins(PieceType piece, int whiteKing, int blackKing, int q) {
    const Bitboard occupied = Bit(whiteKing) | Bit(q);
    // Black's king stays out of the occupancy: it cannot step back along the piece's line.
    const Bitboard pieceAttacks = AttacksOf(piece, q, occupied);
    if ((KingAttacks(blackKing) & Bit(q)) != 0 && (KingAttacks(whiteKing) & Bit(q)) == 0) return false;
    const Bitboard guarded = pieceAttacks | KingAttacks(whiteKing);
    const Bitboard escapes = KingAttacks(blackKing) & ~guarded & ~Bit(q);
    const bool check = (pieceAttacks & Bit(blackKing)) != 0;
    return escapes != 0 || check;
}

Outcome Initial(int index) {
    const Layout l = LayoutOf(index);
    const int wk = l.WhiteKing, bk = l.BlackKing, p = l.Pawn;
    if (wk == bk || wk == p || bk == p || Distance(wk, bk) <= 1) return Illegal;
    const bool blackInCheck = (PawnAttacks(White, p) & Bit(bk)) != 0;
    if (l.Side == White && blackInCheck) return Illegal;
    if (l.Side == Black) {
        if (Distance(bk, p) == 1 && Distance(wk, p) > 1) return Draw;  // the pawn falls
        const Bitboard guarded = KingAttacks(wk) | PawnAttacks(White, p);
        if ((KingAttacks(bk) & ~guarded & ~Bit(p)) == 0) return blackInCheck ? Win : Draw;
    }
    return Open;
}

class Solver {
  public:
    Solver() : outcome_(Positions) {
        for (int i = 0; i < Positions; ++i) outcome_[i] = Initial(i);
        for (bool changed = true; changed;) {
            changed = false;
            for (int i = 0; i < Positions; ++i)
                if (outcome_[i] == Open) {
                    const Outcome now = Judge(LayoutOf(i));
                    if (now != Open) outcome_[i] = now, changed = true;
                }
        }
    }
    bool Wins(int index) const { return outcome_[index] == Win; }

  private:
    // Successors' outcomes gathered: White needs one win, Black one draw.
    struct Tally {
        bool AnyWin = false, AnyDraw = false, AnyOpen = false;
        void Add(Outcome o) {
            AnyWin |= o == Win;
            AnyDraw |= o == Draw;
            AnyOpen |= o == Open;
        }
    };

    Outcome Judge(const Layout& l) const {
        Tally t;
        if (l.Side == White) {
            WhiteMoves(l, t);
            return t.AnyWin ? Win : t.AnyOpen ? Open : Draw;
        }
        for (Bitboard b = KingAttacks(l.BlackKing); b != 0;) {
            const int to = PopLsb(b);
            if (to == l.Pawn) {
                if (Distance(l.WhiteKing, to) > 1) t.Add(Draw);
            } else {
                t.Add(outcome_[IndexOf(White, l.WhiteKing, to, l.Pawn)]);
            }
        }
        return t.AnyDraw ? Draw : t.AnyOpen ? Open : Win;
    }

    void WhiteMoves(const Layout& l, Tally& t) const {
        for (Bitboard b = KingAttacks(l.WhiteKing); b != 0;) {
            const int to = PopLsb(b);
            if (to != l.Pawn) t.Add(Child(to, l.BlackKing, l.Pawn));
        }
        const int step = l.Pawn + 8;
        if (step == l.WhiteKing || step == l.BlackKing) return;
        if (RankOf(step) == 7) {
            const bool wins = PromotionWins(Queen, l.WhiteKing, l.BlackKing, step) ||
                              PromotionWins(Rook, l.WhiteKing, l.BlackKing, step);
            t.Add(wins ? Win : Draw);
            return;
        }
        t.Add(Child(l.WhiteKing, l.BlackKing, step));
        if (RankOf(l.Pawn) == 1 && step + 8 != l.WhiteKing && step + 8 != l.BlackKing)
            t.Add(Child(l.WhiteKing, l.BlackKing, step + 8));
    }

    Outcome Child(int whiteKing, int blackKing, int pawn) const {
        return outcome_[IndexOf(Black, whiteKing, blackKing, pawn)];
    }

    std::vector<Outcome> outcome_;
};

class Bitbase {
  public:
    Bitbase() : bits_(Positions / 64) {
        PrepareSliderAttacks();  // the promoted piece's attacks
        const Solver solved;
        for (int i = 0; i < Positions; ++i)
            if (solved.Wins(i)) bits_[i / 64] |= uint64_t{1} << (i % 64);
    }
    bool Wins(int index) const { return (bits_[index / 64] >> (index % 64)) & 1; }

  private:
    std::vector<uint64_t> bits_;
};

}  // namespace

bool KpkWins(Colour strong, int strongKing, int pawn, int weakKing, Colour sideToMove) {
    static const Bitbase bitbase;  // made once, by whichever thread asks first
    // Seen from the pawn's side, its pawn on the queen's half of the board.
    const int flip = (strong == Black ? 56 : 0) ^ (FileOf(pawn) >= 4 ? 7 : 0);
    const Colour side = sideToMove == strong ? White : Black;
    return bitbase.Wins(IndexOf(side, strongKing ^ flip, weakKing ^ flip, pawn ^ flip));
}

}  // namespace eval
