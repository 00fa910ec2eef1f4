// SPDX-License-Identifier: GPL-3.0-or-later
// Position keys of 64 bits for the strong search: the hash table's index and its repetition test. The
// design's search keeps its text keys (PositionKey); two positions share a hash key exactly when they
// share a text key, barring a collision.
#pragma once
#include <cstdint>
#include <string>

#include "board/BoardBas.h"
#include "board/Zobrist.h"

// Castling rights as the text key reads them: bit 0 White king side, 1 White queen side, 2 and 3 Black's.
inline int CastleRights() {
    return (TouchCount[25] == 0 && TouchCount[28] == 0) | (TouchCount[25] == 0 && TouchCount[21] == 0) << 1 |
           (TouchCount[95] == 0 && TouchCount[98] == 0) << 2 |
           (TouchCount[95] == 0 && TouchCount[91] == 0) << 3;
}

// The key of the board as it stands, worked out from scratch.
uint64_t PositionHash();

// What a move does to the key apart from castling rights and the en-passant square: read on the board
// before the move is made.
inline uint64_t MovedPiecesHash(const MoveRec& m) {
    const int from = m.From, to = m.To, p = Board[from];
    uint64_t k = kHashKeys.Piece[p][from] ^ kHashKeys.Piece[m.Promotion != 0 ? m.Promotion : p][to];
    if (m.EnPassant == 1) {
        const int victim = p == WhitePawn ? to - 10 : to + 10;
        k ^= kHashKeys.Piece[p == WhitePawn ? BlackPawn : WhitePawn][victim];
    } else if (Board[to] >= 1 && Board[to] <= 12) {
        k ^= kHashKeys.Piece[Board[to]][to];
    }
    if (m.Castle != CastleNone) {
        static const int kCorner[5] = {0, 28, 21, 98, 91};
        static const int kRookTo[5] = {0, 26, 24, 96, 94};
        const int rook = m.Castle <= CastleWhiteQueen ? WhiteRook : BlackRook;
        k ^= kHashKeys.Piece[rook][kCorner[m.Castle]] ^ kHashKeys.Piece[rook][kRookTo[m.Castle]];
    }
    return k;
}

// The square a move leaves behind it for an en-passant capture, 0 if none.
inline int EnPassantSquareAfter(const MoveRec& m, int nPiece) {
    if (nPiece == WhitePawn && m.To == m.From + 20) return m.From + 10;
    if (nPiece == BlackPawn && m.To == m.From - 20) return m.From - 10;
    return 0;
}
