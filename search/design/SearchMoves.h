// SPDX-License-Identifier: GPL-3.0-or-later
// The design's search's tests after a move is made: legality and check, read from the move and the lines
// through its squares instead of from every attacker. Both give exactly what IsLegalAfterMove and InCheck
// give, only cheaper.
#pragma once
#include "eval/Tracking.h"

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
