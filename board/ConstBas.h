// SPDX-License-Identifier: GPL-3.0-or-later
// Named constants of the engine's board encoding.
#pragma once
#include <cstdint>

// Piece codes: White odd, Black even; 13 and above count as empty.
constexpr int OffBoard = 0;
constexpr int WhitePawn = 1;
constexpr int BlackPawn = 2;
constexpr int WhiteKnight = 3;
constexpr int BlackKnight = 4;
constexpr int WhiteKing = 5;
constexpr int BlackKing = 6;
constexpr int WhiteRook = 7;
constexpr int BlackRook = 8;
constexpr int WhiteQueen = 9;
constexpr int BlackQueen = 10;
constexpr int WhiteBishop = 11;
constexpr int BlackBishop = 12;
constexpr int EmptySquare = 13;
constexpr int WhiteGhost = 15;  // en-passant marker behind a white double step (rank 3)
constexpr int BlackGhost = 16;  // en-passant marker behind a black double step (rank 6)

constexpr int BoardSize = 120;  // 10 x 12 mailbox
constexpr int MaxPieces = 32;   // piece-list slots 1..32
// Room for every pseudo-legal move of any accepted position (218 is the known maximum of legal moves).
constexpr int MaxListMoves = 256;
constexpr int MaxPly = 500;       // FiftyHistory bounds 0..499
constexpr int MaxBookMoves = 30;  // moves kept in BookLine
constexpr int OutOfBook = 31;     // BookPly sentinel

// Castle field of MoveRec.
constexpr int CastleNone = 0;
constexpr int CastleWhiteKing = 1;
constexpr int CastleWhiteQueen = 2;
constexpr int CastleBlackKing = 3;
constexpr int CastleBlackQueen = 4;

// GameResult codes.
constexpr int ResultNone = 0;
constexpr int ResultWhiteWins = 1;
constexpr int ResultBlackWins = 2;
constexpr int ResultDraw = 3;
constexpr int ResultRepetition = 4;
constexpr int ResultWhiteResigns = 5;
constexpr int ResultBlackResigns = 6;
