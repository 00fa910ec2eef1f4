// SPDX-License-Identifier: GPL-3.0-or-later
// Making and unmaking moves: the search's fast pair and the game move.
#include <cstring>

#include "board/BoardBas.h"

// Every make clears the ghosts, and almost always there is none: a rank is looked at as one word.
static inline void ClearGhostsOfRank(int nFirst, uint64_t nGhost) {
    const uint64_t ghosts = GhostBytes(nFirst, static_cast<int>(nGhost));
    if (ghosts == 0) return;
    uint64_t word;
    std::memcpy(&word, Board + nFirst, sizeof word);
    word ^= (ghosts >> 7) * (nGhost ^ EmptySquare);
    std::memcpy(Board + nFirst, &word, sizeof word);
}

void ClearGhosts() {
    ClearGhostsOfRank(41, WhiteGhost);
    ClearGhostsOfRank(71, BlackGhost);
}

int GhostSquare() {
    for (int sq = 41; sq <= 48; ++sq)
        if (Board[sq] == WhiteGhost) return sq;
    for (int sq = 71; sq <= 78; ++sq)
        if (Board[sq] == BlackGhost) return sq;
    return 0;
}

void RestoreGhost(int nSquare) {
    ClearGhosts();
    if (nSquare != 0 && Board[nSquare] == EmptySquare)
        Board[nSquare] = RankOf(nSquare) == 3 ? WhiteGhost : BlackGhost;
}

// Rook squares of a castling type: corner and destination.
struct RookMove {
    int From, To, Code;
};
static RookMove CastlingRook(int nCastle) {
    switch (nCastle) {
        case CastleWhiteKing:
            return {28, 26, WhiteRook};
        case CastleWhiteQueen:
            return {21, 24, WhiteRook};
        case CastleBlackKing:
            return {98, 96, BlackRook};
        default:
            return {91, 94, BlackRook};
    }
}

void MoveRookForward(int nCastle) {
    const RookMove r = CastlingRook(nCastle);
    Board[r.To] = static_cast<uint8_t>(r.Code);
    Board[r.From] = EmptySquare;
    ++TouchCount[r.From];
    ++TouchCount[r.To];
    if (nCastle <= CastleWhiteQueen)
        WhiteCastled = nCastle;
    else
        BlackCastled = nCastle;
}

static inline int FiftySlot() {
    return Ply >= 0 && Ply < MaxPly ? Ply : 0;
}

void MakeMove(MoveRec& m) {
    const int from = m.From, to = m.To;
    const int p = Board[from];
    m.CapturedSlot = PieceIndex[to];
    PieceList[PieceIndex[from]] = static_cast<uint8_t>(to);
    PieceList[PieceIndex[to]] = 0;
    PieceIndex[to] = PieceIndex[from];
    PieceIndex[from] = 0;

    FiftyHistory[FiftySlot()] = HalfmoveClock;
    if (Board[to] >= EmptySquare)
        HalfmoveClock = (p == WhitePawn || p == BlackPawn) ? 0 : HalfmoveClock + 1;
    else
        HalfmoveClock = 0;

    ClearGhosts();
    if (p == WhitePawn && to == from + 20) Board[from + 10] = WhiteGhost;
    if (p == BlackPawn && to == from - 20) Board[from - 10] = BlackGhost;

    if (m.EnPassant == 1) {
        const int victim = p == WhitePawn ? to - 10 : to + 10;
        Board[to] = static_cast<uint8_t>(p);
        Board[from] = EmptySquare;
        Board[victim] = EmptySquare;
        ++TouchCount[to];
        ++TouchCount[from];
        ++TouchCount[victim];
        m.CapturedSlot = PieceIndex[victim];
        PieceList[m.CapturedSlot] = 0;
        PieceIndex[victim] = 0;
        WhiteToMove = !WhiteToMove;
        return;
    }
    if (m.Castle != CastleNone) {
        const RookMove r = CastlingRook(m.Castle);
        MoveRookForward(m.Castle);
        PieceList[PieceIndex[r.From]] = static_cast<uint8_t>(r.To);
        PieceIndex[r.To] = PieceIndex[r.From];
        PieceIndex[r.From] = 0;
    }
    if (m.Promotion == 0) {
        if (p == WhiteKing) WhiteKingSquare = to;
        if (p == BlackKing) BlackKingSquare = to;
        Board[to] = static_cast<uint8_t>(p);
    } else {
        Board[to] = m.Promotion;
    }
    Board[from] = EmptySquare;
    ++TouchCount[to];
    ++TouchCount[from];
    WhiteToMove = !WhiteToMove;
}

void UnmakeMove(const MoveRec& m) {
    const int from = m.From, to = m.To;
    const int q = Board[to];
    PieceIndex[from] = PieceIndex[to];
    PieceIndex[to] = m.CapturedSlot;
    PieceList[PieceIndex[to]] = static_cast<uint8_t>(to);
    PieceList[PieceIndex[from]] = static_cast<uint8_t>(from);

    HalfmoveClock = FiftyHistory[FiftySlot()];

    if (m.Castle != CastleNone) {
        const RookMove r = CastlingRook(m.Castle);
        Board[r.From] = static_cast<uint8_t>(r.Code);
        Board[r.To] = EmptySquare;
        --TouchCount[r.From];
        --TouchCount[r.To];
        PieceIndex[r.From] = PieceIndex[r.To];
        PieceList[PieceIndex[r.From]] = static_cast<uint8_t>(r.From);
        PieceIndex[r.To] = 0;
        if (m.Castle <= CastleWhiteQueen)
            WhiteCastled = 0;
        else
            BlackCastled = 0;
    }
    if (m.EnPassant != 1) {
        if (m.Promotion != 0) {
            Board[from] = (m.Promotion & 1) ? WhitePawn : BlackPawn;
        } else {
            Board[from] = static_cast<uint8_t>(q);
            if (q == WhiteKing) WhiteKingSquare = from;
            if (q == BlackKing) BlackKingSquare = from;
        }
        Board[to] = m.Captured;
        --TouchCount[from];
        --TouchCount[to];
    } else {
        const int victim = q == WhitePawn ? to - 10 : to + 10;
        Board[from] = static_cast<uint8_t>(q);
        Board[to] = EmptySquare;
        Board[victim] = q == WhitePawn ? BlackPawn : WhitePawn;
        --TouchCount[from];
        --TouchCount[to];
        --TouchCount[victim];
        PieceIndex[victim] = m.CapturedSlot;
        PieceList[m.CapturedSlot] = static_cast<uint8_t>(victim);
        PieceIndex[to] = 0;
    }
    WhiteToMove = !WhiteToMove;
}
