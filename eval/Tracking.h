// SPDX-License-Identifier: GPL-3.0-or-later
// The evaluation kept up to date move by move: where the pieces stand as square sets, the sum of their
// material and table values, and the pawn terms of each pawn placement met. Both searches read it, also
// for quick legality and check tests on the tracked position; each gives exactly what Evaluate,
// IsLegalAfterMove and InCheck give, only cheaper.
#pragma once
#include <cstdint>

#include "board/SliderAttacks.h"
#include "board/SquareSets.h"
#include "eval/Evaluation.h"

// What Evaluate takes from the pawns alone, worked out once per placement of the pawns.
struct alignas(64) PawnTerms {  // one cache line
    uint64_t White, Black;      // the placement
    uint32_t Edition;           // of the working pawn tables
    int32_t Score;              // isolated, doubled, passed pawns, pawns on files without enemy pawns
    // Files (bit 0 the a-file) that give a rook a bonus: without own pawns (10), and without any (10 more).
    uint8_t RookFiles[2][2];
    int8_t KingFiles[2][8];  // a middlegame king's penalty for the files around it without enemy pawns
    // The last king square each colour's middlegame king terms were worked out for (0: none), and those
    // terms (shelter and open files): kings seldom move while the pawns stand still.
    uint8_t KingAt[2];
    int16_t KingTerms[2];
};

// Pawn placements met before. An entry serves only the placement and tables it was worked out for.
constexpr int kPawnEntries = 4096;
extern PawnTerms PawnCache[kPawnEntries];
inline PawnTerms& PawnEntryOf(uint64_t nWhite, uint64_t nBlack) {
    const uint64_t mix = (nWhite ^ (nBlack * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
    return PawnCache[mix >> (64 - 12)];
}

// Where the pieces stand, kept up to date move by move, and the part of Evaluate that is a sum over them.
// Colour rows: 0 White, 1 Black.
struct EvalState {
    int32_t Sum;           // material, tables and seventh-rank terms of every listed piece, White's side
    uint64_t ByColour[2];  // one bit per square holding a piece of the colour (a1 bit 0 ... h8 bit 63)
    uint64_t ByCode[13];   // the same by piece code
    uint8_t Untouched;  // b1, c1, f1, g1, b8, c8, f8, g8 (bits 0..7) while no move has started or ended there
    PawnTerms* PawnEntry;  // the pawn terms last used here: a hint, checked before use
};
extern EvalState Track;
extern bool Tracking;  // Track describes the board: the capture search may use TrackedEvaluate
extern int32_t PieceSquareSum[17][BoardSize];

void StartTracking();  // Track from the piece list; Tracking false for positions it does not cover
// Evaluate() of the tracked position with bWhiteToMove to move. It reads Track and the castling flags, never
// the board, so it can judge a move's position before the move is made on the board.
int32_t TrackedEvaluate(bool bWhiteToMove);

// By piece code: colour row. Codes without a piece read White and are never tracked.
struct CodeKind {
    uint8_t Colour;
};
extern const CodeKind kCodeKind[17];

// The squares whose evaluation terms need more than their bit, fixed before any code runs.
struct EvalSquares {
    uint8_t UntouchedBit[BoardSize];  // a square's bit in EvalState::Untouched, 0 for the others
    // The squares one and two ranks in front of a king of the colour, and the shift that brings each
    // group's rank down to the lowest byte.
    uint64_t Shelter[2][2][BoardSize];
    uint8_t ShelterShift[2][2][BoardSize];
};
extern const EvalSquares kEvalSquares;

inline uint64_t TrackedOccupancy() {
    return Track.ByColour[0] | Track.ByColour[1];
}

// Adds (nSign 1) or removes (nSign -1) a listed piece.
inline void TrackPiece(int nCode, int nSquare, int nSign) {
    const uint64_t bit = kSets.SquareBit[nSquare];
    Track.Sum += nSign * PieceSquareSum[nCode][nSquare];
    Track.ByColour[kCodeKind[nCode].Colour] ^= bit;
    Track.ByCode[nCode] ^= bit;
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
    if (PieceIndex[victim] != 0) TrackRemove(Board[victim], victim);
    Track.Untouched &=
        static_cast<uint8_t>(~(kEvalSquares.UntouchedBit[from] | kEvalSquares.UntouchedBit[to]));
    const int arriving = m.Promotion != 0 ? m.Promotion : p;
    const uint64_t fromBit = kSets.SquareBit[from], toBit = kSets.SquareBit[to];
    Track.Sum += PieceSquareSum[arriving][to] - PieceSquareSum[p][from];
    Track.ByColour[kCodeKind[p].Colour] ^= fromBit | toBit;
    Track.ByCode[p] ^= fromBit;
    Track.ByCode[arriving] ^= toBit;
    if (m.Castle != CastleNone) {
        static const int kCorner[5] = {0, 28, 21, 98, 91};
        static const int kRookTo[5] = {0, 26, 24, 96, 94};
        const int corner = kCorner[m.Castle];
        if (PieceIndex[corner] != 0) {
            TrackRemove(Board[corner], corner);
            TrackAdd(Board[corner], kRookTo[m.Castle]);
        }
        Track.Untouched &=
            static_cast<uint8_t>(~kEvalSquares.UntouchedBit[kRookTo[m.Castle]]);  // the corners are none
    }
}

// IsAttacked(nSquare, bByBlack ? 2 : 1) read from the running piece sets.
inline bool AttackedTracked(int nSquare, bool bByBlack) {
    const int a = bByBlack ? 1 : 0;  // added to a white piece's code, the attacker's code
    const uint64_t* by = Track.ByCode;
    const int bit = kSets.BitOfSquare[nSquare];
    const uint64_t occupied = TrackedOccupancy();
    // A pawn attacks nSquare from where a pawn of the other colour on nSquare would attack.
    return ((kSets.PawnAttacks[a ^ 1][nSquare] & by[WhitePawn + a]) |
            (kSets.KnightMask[nSquare] & by[WhiteKnight + a]) |
            (kSets.KingMask[nSquare] & by[WhiteKing + a]) |
            (RookAttacks(bit, occupied) & (by[WhiteRook + a] | by[WhiteQueen + a])) |
            (BishopAttacks(bit, occupied) & (by[WhiteBishop + a] | by[WhiteQueen + a]))) != 0;
}

// The pawn terms of the tracked pawns, kept in Track.PawnEntry for the positions searched from here: most
// moves leave the pawns as they are.
PawnTerms& KnowPawnTerms();

// Starts fetching into the cache the pawn terms of the position after each move of a list that changes the
// pawns: they are read when the move's turn comes, and fetched meanwhile they cost nothing.
inline void PrefetchPawnTerms(const MoveList& list) {
    for (int i = 0; i < list.Count; ++i) {
        const MoveRec& m = list.Move[i];
        const int from = m.From, to = m.To, p = Board[from];
        uint64_t pawns[2] = {Track.ByCode[WhitePawn], Track.ByCode[BlackPawn]};
        const uint64_t before = pawns[0] ^ pawns[1];
        if (p == WhitePawn || p == BlackPawn) {
            pawns[p - 1] ^= kSets.SquareBit[from];
            if (m.Promotion == 0) pawns[p - 1] ^= kSets.SquareBit[to];
        }
        const int victim = m.EnPassant != 0 ? (p == WhitePawn ? to - 10 : to + 10) : to;
        if (m.EnPassant != 0 || m.Captured == WhitePawn || m.Captured == BlackPawn)
            pawns[Board[victim] - 1] ^= kSets.SquareBit[victim];
        if ((pawns[0] ^ pawns[1]) != before) __builtin_prefetch(&PawnEntryOf(pawns[0], pawns[1]));
    }
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
// IsLegalAfterMove(m) read before m is made on the board, from Track as TrackMove(m) left it; nPiece is
// the moving piece, bWasInCheck whether the mover stands in check.
inline bool LegalBeforeMake(const MoveRec& m, int nPiece, bool bWasInCheck) {
    const bool white = WhiteToMove;  // still the mover
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
    const bool king = nPiece == WhiteKing || nPiece == BlackKing;
    const int k = king ? m.To : (white ? WhiteKingSquare : BlackKingSquare);
    // Out of check, another piece's move can expose the king only along the line through the square it
    // leaves (en passant empties a second square).
    if (!bWasInCheck && !king && m.EnPassant == 0 && LineStep(k, m.From) == 0) return true;
    return !AttackedTracked(k, white);
}

inline bool InCheckTracked() {
    return WhiteToMove ? AttackedTracked(WhiteKingSquare, true) : AttackedTracked(BlackKingSquare, false);
}
