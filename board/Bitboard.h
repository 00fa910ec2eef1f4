// SPDX-License-Identifier: GPL-3.0-or-later
// Squares, pieces and square sets of the bitboard position (a1 bit 0, b1 bit 1, ... h8 bit 63), and the
// fixed attack and line tables that its move generation, the evaluation and the exchange values read.
// Everything lives in namespace bitboard: the mailbox board keeps the plain names (FileOf, WhitePawn...).
#pragma once
#include <cstdint>

#include "board/SliderAttacks.h"

namespace bitboard {

using Bitboard = uint64_t;

enum Colour : int { White, Black };
constexpr Colour operator~(Colour c) {
    return Colour(c ^ 1);
}

enum PieceType : int { NoPieceType, Pawn, Knight, Bishop, Rook, Queen, King };

// A piece is colour * 8 + type, so that a table by piece has 16 rows; 0 is an empty square.
using Piece = uint8_t;
constexpr Piece NoPiece = 0;
constexpr Piece MakePiece(Colour c, PieceType t) {
    return Piece(c * 8 + t);
}
constexpr PieceType TypeOf(Piece p) {
    return PieceType(p & 7);
}
constexpr Colour ColourOf(Piece p) {
    return Colour(p >> 3);
}

// clang-format off
enum Square : int {
    A1, B1, C1, D1, E1, F1, G1, H1,  A2, B2, C2, D2, E2, F2, G2, H2,
    A3, B3, C3, D3, E3, F3, G3, H3,  A4, B4, C4, D4, E4, F4, G4, H4,
    A5, B5, C5, D5, E5, F5, G5, H5,  A6, B6, C6, D6, E6, F6, G6, H6,
    A7, B7, C7, D7, E7, F7, G7, H7,  A8, B8, C8, D8, E8, F8, G8, H8,
    NoSquare
};
// clang-format on
constexpr int FileOf(int sq) {
    return sq & 7;
}
constexpr int RankOf(int sq) {
    return sq >> 3;
}
constexpr int SquareAt(int file, int rank) {
    return rank * 8 + file;
}
// The square or rank as seen from c's side: Black's are mirrored top to bottom.
constexpr int RelativeSquare(Colour c, int sq) {
    return sq ^ (c * 56);
}
constexpr int RelativeRank(Colour c, int sq) {
    return RankOf(sq) ^ (c * 7);
}
// One step forward for c's pawns.
constexpr int PawnPush(Colour c) {
    return c == White ? 8 : -8;
}

constexpr Bitboard Bit(int sq) {
    return Bitboard{1} << sq;
}
constexpr Bitboard FileABits = 0x0101010101010101ull;
constexpr Bitboard Rank1Bits = 0xFFull;
constexpr Bitboard FileBits(int file) {
    return FileABits << file;
}
constexpr Bitboard RankBits(int rank) {
    return Rank1Bits << (8 * rank);
}
// c's rank r (0 = its home rank).
constexpr Bitboard RelativeRankBits(Colour c, int r) {
    return RankBits(c == White ? r : 7 - r);
}

inline int Lsb(Bitboard b) {
    return __builtin_ctzll(b);
}
inline int Msb(Bitboard b) {
    return 63 ^ __builtin_clzll(b);
}
inline int PopLsb(Bitboard& b) {
    const int sq = Lsb(b);
    b &= b - 1;
    return sq;
}
inline int PopCount(Bitboard b) {
    return __builtin_popcountll(b);
}
constexpr bool MoreThanOne(Bitboard b) {
    return (b & (b - 1)) != 0;
}

// The whole set moved one step; squares that would leave the board are dropped.
enum Direction : int {
    North = 8,
    South = -8,
    East = 1,
    West = -1,
    NorthEast = 9,
    NorthWest = 7,
    SouthEast = -7,
    SouthWest = -9
};
template <Direction D>
constexpr Bitboard Shift(Bitboard b) {
    constexpr Bitboard notA = ~FileABits, notH = ~FileBits(7);
    if constexpr (D == North) return b << 8;
    if constexpr (D == South) return b >> 8;
    if constexpr (D == East) return (b & notH) << 1;
    if constexpr (D == West) return (b & notA) >> 1;
    if constexpr (D == NorthEast) return (b & notH) << 9;
    if constexpr (D == NorthWest) return (b & notA) << 7;
    if constexpr (D == SouthEast) return (b & notH) >> 7;
    if constexpr (D == SouthWest) return (b & notA) >> 9;
    return 0;
}
// Every square some pawn of c in the set attacks.
template <Colour C>
constexpr Bitboard PawnAttacksOfSet(Bitboard pawns) {
    if constexpr (C == White) return Shift<NorthEast>(pawns) | Shift<NorthWest>(pawns);
    return Shift<SouthEast>(pawns) | Shift<SouthWest>(pawns);
}
constexpr Bitboard PawnAttacksOfSet(Colour c, Bitboard pawns) {
    return c == White ? PawnAttacksOfSet<White>(pawns) : PawnAttacksOfSet<Black>(pawns);
}

// Tables fixed at compile time.
struct AttackTables {
    Bitboard Pawn[2][64];  // [colour][square]: the two squares a pawn attacks
    Bitboard Knight[64];
    Bitboard King[64];
    Bitboard BishopLines[64];  // a bishop's attacks on an empty board
    Bitboard RookLines[64];
    Bitboard Between[64][64];  // squares strictly between two squares on a line, else 0
    Bitboard Line[64][64];     // the whole line (edge to edge) through two squares, else 0
};
extern const AttackTables kAttackTables;

inline Bitboard PawnAttacks(Colour c, int sq) {
    return kAttackTables.Pawn[c][sq];
}
inline Bitboard KnightAttacks(int sq) {
    return kAttackTables.Knight[sq];
}
inline Bitboard KingAttacks(int sq) {
    return kAttackTables.King[sq];
}
// The magic tables must be filled (PrepareSliderAttacks: every Position does it) before these are used.
inline Bitboard BishopAttacksFrom(int sq, Bitboard occupied) {
    return ::BishopAttacks(sq, occupied);
}
inline Bitboard RookAttacksFrom(int sq, Bitboard occupied) {
    return ::RookAttacks(sq, occupied);
}
inline Bitboard QueenAttacksFrom(int sq, Bitboard occupied) {
    return ::BishopAttacks(sq, occupied) | ::RookAttacks(sq, occupied);
}
// Attacks of a piece type other than the pawn.
inline Bitboard AttacksOf(PieceType t, int sq, Bitboard occupied) {
    switch (t) {
        case Knight:
            return KnightAttacks(sq);
        case Bishop:
            return BishopAttacksFrom(sq, occupied);
        case Rook:
            return RookAttacksFrom(sq, occupied);
        case Queen:
            return QueenAttacksFrom(sq, occupied);
        case King:
            return KingAttacks(sq);
        default:
            return 0;
    }
}
// Where a slider on sq could attack with nothing in its way.
inline Bitboard BishopLines(int sq) {
    return kAttackTables.BishopLines[sq];
}
inline Bitboard RookLines(int sq) {
    return kAttackTables.RookLines[sq];
}
inline Bitboard Between(int a, int b) {
    return kAttackTables.Between[a][b];
}
inline Bitboard LineThrough(int a, int b) {
    return kAttackTables.Line[a][b];
}
// Whether c lies on the line through a and b.
inline bool Aligned(int a, int b, int c) {
    return (LineThrough(a, b) & Bit(c)) != 0;
}

// How many squares a king needs to walk from a to b.
constexpr int Distance(int a, int b) {
    const int df = FileOf(a) > FileOf(b) ? FileOf(a) - FileOf(b) : FileOf(b) - FileOf(a);
    const int dr = RankOf(a) > RankOf(b) ? RankOf(a) - RankOf(b) : RankOf(b) - RankOf(a);
    return df > dr ? df : dr;
}

}  // namespace bitboard
