// SPDX-License-Identifier: GPL-3.0-or-later
// Decided endings are valued to lead the search toward the win: the losing king to the edge (to the
// bishop's corner with bishop and knight), the winning king toward it. Scales are fractions of 64.
#include "eval/Endgames.h"

#include <algorithm>

#include "eval/Kpk.h"
#include "eval/Score.h"

namespace eval {

using namespace bitboard;

namespace {

constexpr Bitboard DarkSquares = 0xAA55AA55AA55AA55ull;  // a1 is dark

// Scales of endings where the side ahead rarely wins.
constexpr int DrawScale = 0;
constexpr int PieceUpWithoutPawnsScale = 16;   // a rook against a minor piece, and the like
constexpr int OppositeBishopsScale = 22;       // bishops on squares of different colours, nothing else
constexpr int OppositeBishopsRooksScale = 44;  // the same with rooks beside them

// Material in pawns, for judging endings (not the evaluation's values).
int Points(const Position& pos, Colour c) {
    return 3 * (pos.Count(c, Knight) + pos.Count(c, Bishop)) + 5 * pos.Count(c, Rook) +
           9 * pos.Count(c, Queen);
}

// Steps from the centre: 0 on d4, e4, d5, e5, 6 in a corner.
int CentreDistance(int sq) {
    const int file = FileOf(sq), rank = RankOf(sq);
    return (file < 4 ? 3 - file : file - 4) + (rank < 4 ? 3 - rank : rank - 4);
}

int ManhattanDistance(int a, int b) {
    return std::abs(FileOf(a) - FileOf(b)) + std::abs(RankOf(a) - RankOf(b));
}

bool BishopsOnBothColours(Bitboard bishops) {
    return (bishops & DarkSquares) != 0 && (bishops & ~DarkSquares) != 0;
}

// A bare king against pieces that can mate: toward the edge, the winner's king beside it.
int MatingValue(const Position& pos, Colour strong) {
    const int loser = pos.KingSquare(~strong), winner = pos.KingSquare(strong);
    // More material is better, up to what any mate needs: the value stays below KnownWin + 2000.
    const int material = std::min(Points(pos, strong) + pos.Count(strong, Pawn), 15);
    return KnownWin + 100 * material + 20 * CentreDistance(loser) + 10 * (7 - Distance(winner, loser));
}

// Bishop and knight mate only in a corner of the bishop's colour: the losing king is driven there, the
// winning king and the knight stay close to it (tried in played-out endings: without the knight's term a
// short search rarely mates).
int BishopKnightValue(const Position& pos, Colour strong) {
    const int loser = pos.KingSquare(~strong), winner = pos.KingSquare(strong);
    const int knight = Lsb(pos.Pieces(strong, Knight));
    const bool dark = (pos.Pieces(strong, Bishop) & DarkSquares) != 0;
    const int corner = dark ? std::min(ManhattanDistance(loser, A1), ManhattanDistance(loser, H8))
                            : std::min(ManhattanDistance(loser, A8), ManhattanDistance(loser, H1));
    return KnownWin + 600 + 30 * (14 - corner) + 20 * (7 - Distance(winner, loser)) +
           20 * (7 - Distance(knight, loser));
}

int KingPawnKingValue(const Position& pos, Colour strong) {
    const int pawn = Lsb(pos.Pieces(strong, Pawn));
    if (!KpkWins(strong, pos.KingSquare(strong), pawn, pos.KingSquare(~strong), pos.SideToMove())) return 0;
    return KnownWin + 100 + 20 * RelativeRank(strong, pawn);
}

// The value for `strong` against a bare king, if the material decides it.
bool AgainstBareKing(const Position& pos, Colour strong, int& value) {
    const int pawns = pos.Count(strong, Pawn), knights = pos.Count(strong, Knight);
    const int bishops = pos.Count(strong, Bishop);
    const bool heavy = pos.Count(strong, Rook) + pos.Count(strong, Queen) > 0;
    if (pawns > 0) {
        if (pawns > 1 || heavy || knights + bishops > 0) return false;
        value = KingPawnKingValue(pos, strong);
        return true;
    }
    if (heavy || BishopsOnBothColours(pos.Pieces(strong, Bishop)) || knights >= 3 ||
        (knights >= 1 && bishops >= 1 && knights + bishops > 2))
        value = MatingValue(pos, strong);
    else if (knights == 1 && bishops >= 1)
        value = BishopKnightValue(pos, strong);
    else
        value = 0;  // minor pieces that cannot force a mate
    return true;
}

}  // namespace

bool DecideEnding(const Position& pos, int& whiteValue) {
    for (Colour strong : {White, Black}) {
        const Colour weak = ~strong;
        if (pos.Pieces(weak) != pos.Pieces(weak, King)) continue;
        int value;
        if (!AgainstBareKing(pos, strong, value)) return false;
        whiteValue = strong == White ? value : -value;
        return true;
    }
    return false;
}

int EndgameScale(const Position& pos, Colour strong) {
    const Colour weak = ~strong;
    const int strongPoints = Points(pos, strong), weakPoints = Points(pos, weak);
    if (pos.Count(strong, Pawn) == 0 && strongPoints - weakPoints <= 3)
        return strongPoints <= 3 ? DrawScale : PieceUpWithoutPawnsScale;
    // Bishop and rook pawns only, the promotion square of the bishop's wrong colour, the defending king
    // there: no way through.
    const Bitboard pawns = pos.Pieces(strong, Pawn);
    if (pawns != 0 && strongPoints == 3 * pos.Count(strong, Bishop) &&
        !BishopsOnBothColours(pos.Pieces(strong, Bishop))) {
        for (int file : {0, 7}) {
            if ((pawns & ~FileBits(file)) != 0) continue;
            const int corner = RelativeSquare(strong, SquareAt(file, 7));
            const bool bishopCovers =
                ((pos.Pieces(strong, Bishop) & DarkSquares) != 0) == ((Bit(corner) & DarkSquares) != 0);
            if (!bishopCovers && Distance(pos.KingSquare(weak), corner) <= 1) return DrawScale;
        }
    }
    if (pos.Count(strong, Bishop) == 1 && pos.Count(weak, Bishop) == 1 &&
        BishopsOnBothColours(pos.Pieces(Bishop))) {
        const bool others = pos.Count(White, Knight) + pos.Count(Black, Knight) + pos.Count(White, Queen) +
                                pos.Count(Black, Queen) >
                            0;
        if (!others) return pos.Pieces(Rook) == 0 ? OppositeBishopsScale : OppositeBishopsRooksScale;
    }
    return NormalScale;
}

}  // namespace eval
