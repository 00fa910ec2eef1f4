// Search-internal helpers around making a move: a running evaluation kept up to date move by move, and a
// quick legality test. Both give exactly what Evaluate and IsLegalAfterMove give, only cheaper.
#pragma once
#include <cstdint>

#include "search/SearchBas.h"

// The parts of Evaluate that depend on where the pieces stand, summed as the pieces move.
// Colour rows: 0 White, 1 Black.
struct EvalState {
    int32_t Sum;              // material, tables and seventh-rank terms of every listed piece, White's side
    int8_t Pawns[2][10];      // pawns by colour and file; the edge files 0 and 9 read -1
    int16_t PawnWork[2][10];  // working pawn-table values of those pawns, summed by file
    int8_t Rooks[2][10];      // rooks by colour and file
    int8_t QueensAway[2];     // queens not on their own d1 / d8
    int8_t Kings[2];
    uint8_t PawnsKnown;       // PawnScore, RookBonus and RookScore fit this pawn placement
    int32_t PawnScore;        // isolated, doubled, passed pawns, pawns facing no enemy pawn
    int8_t RookBonus[2][10];  // a rook's file bonus by colour and file, signed from White's side
    int32_t RookScore;        // the rooks' file bonuses
    uint32_t PawnKey;         // hash of the pawn placement, to find its terms worked out before
    uint32_t Slots[2];        // piece-list slots of each colour's pieces, slot s as bit s - 1
    uint64_t ByColour[2];     // one bit per square holding a piece of the colour (a1 bit 0 ... h8 bit 63)
    uint64_t ByCode[13];      // the same by piece code
};
extern EvalState Track;
extern bool Tracking;  // Track describes the board: the capture search may use TrackedEvaluate
extern int32_t PieceSquareSum[17][BoardSize];

void StartTracking();  // Track from the piece list; Tracking false for positions it does not cover
int32_t TrackedEvaluate();
// Works out the pawn-structure and rook-file terms of the tracked placement once, for every node below
// that moves no pawn.
void KnowPawns();

// By piece code: colour row, and 1 for the kinds the state counts. Codes without a piece count nothing.
struct CodeKind {
    uint8_t Colour, Pawn, Rook, Queen, King, Home;  // Home: the queen's own square (d1 24, d8 94)
};
extern const CodeKind kCodeKind[17];
extern int16_t PawnWorkByCode[17][BoardSize];  // the working pawn table of a pawn code, 0 for other codes
extern uint32_t PawnKeyByCode[17][BoardSize];  // random bits for a pawn code on a square, 0 for other codes

// The board's squares as bits of a 64-bit set, fixed before any code runs.
struct SquareSets {
    uint64_t SquareBit[BoardSize];  // a square's bit, 0 off the board
    // The squares along each ray from a square (directions as in Directions): the first piece on a ray is
    // the lowest set bit of ray and occupancy for the rising directions (even indexes), the highest for the
    // others.
    uint64_t RayMask[BoardSize][8];
    uint8_t SquareOfBit[65];  // a bit's square; entry 64 is the border square 0
    uint64_t KnightMask[BoardSize], KingMask[BoardSize];
    uint64_t PawnAttacks[2][BoardSize];  // squares a pawn of the colour attacks
};
extern const SquareSets kSets;

// Squares a rook or bishop on a bit attacks through an occupancy (SliderAttacks.cpp).
struct SliderMagic {
    uint64_t Mask, Multiplier;
    const uint64_t* Attacks;
    unsigned Shift;
};
extern SliderMagic RookMagics[64], BishopMagics[64];
inline uint64_t RookAttacks(int nBit, uint64_t nOccupied) {
    const SliderMagic& m = RookMagics[nBit];
    return m.Attacks[((nOccupied & m.Mask) * m.Multiplier) >> m.Shift];
}
inline uint64_t BishopAttacks(int nBit, uint64_t nOccupied) {
    const SliderMagic& m = BishopMagics[nBit];
    return m.Attacks[((nOccupied & m.Mask) * m.Multiplier) >> m.Shift];
}
// The same, the lines walked square by square: what the tables are checked against.
uint64_t WalkedRookAttacks(int nBit, uint64_t nOccupied);
uint64_t WalkedBishopAttacks(int nBit, uint64_t nOccupied);

inline uint64_t TrackedOccupancy() {
    return Track.ByColour[0] | Track.ByColour[1];
}

// Adds (nSign 1) or removes (nSign -1) a listed piece. No branch: pieces come in no predictable order.
inline void TrackPiece(int nCode, int nSquare, int nSign) {
    const CodeKind& k = kCodeKind[nCode];
    const int f = nSquare % 10;
    Track.Sum += nSign * PieceSquareSum[nCode][nSquare];
    Track.Pawns[k.Colour][f] = static_cast<int8_t>(Track.Pawns[k.Colour][f] + nSign * k.Pawn);
    Track.PawnWork[k.Colour][f] =
        static_cast<int16_t>(Track.PawnWork[k.Colour][f] + nSign * PawnWorkByCode[nCode][nSquare]);
    Track.Rooks[k.Colour][f] = static_cast<int8_t>(Track.Rooks[k.Colour][f] + nSign * k.Rook);
    Track.QueensAway[k.Colour] =
        static_cast<int8_t>(Track.QueensAway[k.Colour] + nSign * (k.Queen & (nSquare != k.Home)));
    Track.Kings[k.Colour] = static_cast<int8_t>(Track.Kings[k.Colour] + nSign * k.King);
    Track.RookScore += nSign * k.Rook * Track.RookBonus[k.Colour][f];
    Track.PawnsKnown &= static_cast<uint8_t>(k.Pawn ^ 1);  // the pawn structure's score is due again
    Track.PawnKey ^= PawnKeyByCode[nCode][nSquare];
    Track.ByColour[k.Colour] ^= kSets.SquareBit[nSquare];  // a piece leaves or arrives
    Track.ByCode[nCode] ^= kSets.SquareBit[nSquare];
}
inline void TrackRemove(int nCode, int nSquare) {
    TrackPiece(nCode, nSquare, -1);
}
inline void TrackAdd(int nCode, int nSquare) {
    TrackPiece(nCode, nSquare, 1);
}

// Call before MakeMove(m), on the board the move is made on. Pieces missing from the piece list (a set-up
// position with more than 32) count for nothing in Evaluate, so they count for nothing here either.
inline void TrackMove(const MoveRec& m) {
    const int from = m.From, to = m.To;
    const int p = Board[from];
    const int victim = m.EnPassant == 1 ? (p == WhitePawn ? to - 10 : to + 10) : to;
    if (const int slot = PieceIndex[victim]; slot != 0) {
        const int code = Board[victim];
        TrackRemove(code, victim);
        Track.Slots[kCodeKind[code].Colour] &= ~(1u << (slot - 1));
    }
    TrackRemove(p, from);
    TrackAdd(m.Promotion != 0 ? m.Promotion : p, to);
    if (m.Castle != CastleNone) {
        static const int kCorner[5] = {0, 28, 21, 98, 91};
        static const int kRookTo[5] = {0, 26, 24, 96, 94};
        const int corner = kCorner[m.Castle];
        if (PieceIndex[corner] != 0) {
            TrackRemove(Board[corner], corner);
            TrackAdd(Board[corner], kRookTo[m.Castle]);
        }
    }
}

// The square of the first piece along ray r from nSquare, or 0 (the border) when the ray is open.
inline int FirstOnRay(int nSquare, int r) {
    const uint64_t blockers = kSets.RayMask[nSquare][r] & TrackedOccupancy();
    const int bit = blockers == 0  ? 64
                    : (r & 1) == 0 ? __builtin_ctzll(blockers)
                                   : 63 - __builtin_clzll(blockers);
    return kSets.SquareOfBit[bit];
}

// IsAttacked(nSquare, bByBlack ? 2 : 1) read from the running occupancy instead of walking the rays.
inline bool AttackedTracked(int nSquare, bool bByBlack) {
    const int king = bByBlack ? BlackKing : WhiteKing, knight = bByBlack ? BlackKnight : WhiteKnight;
    const int rook = bByBlack ? BlackRook : WhiteRook, bishop = bByBlack ? BlackBishop : WhiteBishop;
    const int queen = bByBlack ? BlackQueen : WhiteQueen;
    bool hit = bByBlack ? (Board[nSquare + 11] == BlackPawn) | (Board[nSquare + 9] == BlackPawn)
                        : (Board[nSquare - 11] == WhitePawn) | (Board[nSquare - 9] == WhitePawn);
    static constexpr int kKnight[8] = {8, 19, 21, 12, -8, -19, -21, -12};
    static constexpr int kKing[8] = {1, -1, 9, -9, 10, -10, 11, -11};
    for (int i = 0; i < 8; ++i)
        hit |= (Board[nSquare + kKnight[i]] == knight) | (Board[nSquare + kKing[i]] == king);
    for (int r = 0; r < 4; ++r) {
        const int c = Board[FirstOnRay(nSquare, r)];
        hit |= (c == rook) | (c == queen);
    }
    for (int r = 4; r < 8; ++r) {
        const int c = Board[FirstOnRay(nSquare, r)];
        hit |= (c == bishop) | (c == queen);
    }
    return hit;
}

// IsLegalAfterMove(m) and InCheck() on the tracked position.
inline bool LegalTracked(const MoveRec& m) {
    switch (m.Castle) {
        case CastleWhiteKing:
            return !AttackedTracked(25, true) && !AttackedTracked(26, true) && !AttackedTracked(27, true);
        case CastleWhiteQueen:
            return !AttackedTracked(25, true) && !AttackedTracked(24, true) && !AttackedTracked(23, true);
        case CastleBlackKing:
            return !AttackedTracked(95, false) && !AttackedTracked(96, false) && !AttackedTracked(97, false);
        case CastleBlackQueen:
            return !AttackedTracked(95, false) && !AttackedTracked(94, false) && !AttackedTracked(93, false);
    }
    return WhiteToMove ? !AttackedTracked(BlackKingSquare, false) : !AttackedTracked(WhiteKingSquare, true);
}
inline bool InCheckTracked() {
    return WhiteToMove ? AttackedTracked(WhiteKingSquare, true) : AttackedTracked(BlackKingSquare, false);
}

// IsLegalAfterMove(m) after MakeMove(m), given the moving piece and whether the mover stood in check.
// Out of check, a move by anything but the king (no castling, no en passant, whose victim leaves its own
// square) can only expose the king along the line through the square it left.
inline bool LegalAfterMove(const MoveRec& m, int nPiece, bool bWasInCheck) {
    if (bWasInCheck || m.Castle != CastleNone || m.EnPassant != 0 || nPiece == WhiteKing ||
        nPiece == BlackKing)
        return Tracking ? LegalTracked(m) : IsLegalAfterMove(m);
    const bool whiteMoved = !WhiteToMove;
    const int k = whiteMoved ? WhiteKingSquare : BlackKingSquare;
    if (m.From == k || m.To == k) return Tracking ? LegalTracked(m) : IsLegalAfterMove(m);
    return !OpensLineToKing(k, m.From, whiteMoved);
}

// InCheck() right after MakeMove(m), when before m the side now to move was not in check (true below the
// root: every node was reached by a legal move). Only the moved piece, or a line it opened, can give check.
inline bool InCheckAfter(const MoveRec& m) {
    if (m.Castle != CastleNone || m.EnPassant != 0) return Tracking ? InCheckTracked() : InCheck();
    const int from = m.From, to = m.To;
    const int q = Board[to];
    const int k = WhiteToMove ? WhiteKingSquare : BlackKingSquare;
    if (to == k || from == k) return Tracking ? InCheckTracked() : InCheck();
    // A king gives no check of its own: next to the other king it would have stood in check itself.
    const int toward = LineStep(to, k);
    const bool straight = toward == 10 || toward == -10 || toward == 1 || toward == -1;
    switch (q) {
        case WhitePawn:
            if (k == to + 9 || k == to + 11) return true;
            break;
        case BlackPawn:
            if (k == to - 9 || k == to - 11) return true;
            break;
        case WhiteKnight:
        case BlackKnight: {
            const int d = k > to ? k - to : to - k;
            if (d == 8 || d == 12 || d == 19 || d == 21) return true;
            break;
        }
        case WhiteBishop:
        case BlackBishop:
        case WhiteRook:
        case BlackRook:
        case WhiteQueen:
        case BlackQueen: {
            const bool diagonalPiece = q == WhiteBishop || q == BlackBishop;
            const bool straightPiece = q == WhiteRook || q == BlackRook;
            if (toward != 0 && !(straight && diagonalPiece) && !(!straight && straightPiece)) {
                int s = to + toward;
                while (s != k && Board[s] >= EmptySquare) s += toward;
                if (s == k) return true;
            }
            break;
        }
    }
    return OpensLineToKing(k, from, WhiteToMove);
}
