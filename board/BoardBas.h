// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's one position, move generation, make/unmake, the game record and move text.
// Module-level state shared by the whole engine; there are no position objects.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/ConstBas.h"

// Seven bytes, copied whole wherever a move is stored.
struct MoveRec {
    uint8_t From = 0;
    uint8_t To = 0;
    uint8_t Captured = 0;      // code that stood on To when generated (13, a piece, or a ghost)
    uint8_t EnPassant = 0;     // 1 for an en-passant capture
    uint8_t Promotion = 0;     // code of the piece promoted to, 0 if none
    uint8_t Castle = 0;        // CastleNone .. CastleBlackQueen
    uint8_t CapturedSlot = 0;  // piece-list slot removed by the move, written by MakeMove
    bool operator==(const MoveRec&) const = default;
};
static_assert(sizeof(MoveRec) == 7, "MoveRec is seven bytes");

// A move list: entries 0..Count-1.
struct MoveList {
    MoveRec Move[MaxListMoves];
    int Count = 0;
};

// ---- Position ----
extern uint8_t Board[BoardSize];
extern uint8_t InitialBoard[BoardSize];
extern uint8_t SquareOfIndex[64];         // FEN order index -> square (a8..h8, ..., a1..h1)
extern const int Directions[8];           // 10, -10, 1, -1, 11, -11, 9, -9
extern const int KnightOffsets[8];        // 8, 19, 21, 12, -8, -19, -21, -12
extern int TouchCount[BoardSize];         // moves that started or ended on a square: castling rights
extern uint8_t PieceList[MaxPieces + 1];  // slot -> square (slot 0 is scratch)
extern uint8_t PieceIndex[BoardSize];     // square -> slot, 0 if none
extern int PieceCount;

extern bool WhiteToMove;
extern bool EnginePlaysWhite;
extern int WhiteKingSquare, BlackKingSquare;
extern int32_t WhiteCastled;  // 0, 1 king side, 2 queen side
extern int32_t BlackCastled;  // 0, 3 king side, 4 queen side
extern int32_t PendingCastle;
extern bool CapturesOnly;
extern int HalfmoveClock;
extern int Ply;
extern int FiftyHistory[MaxPly];

// ---- Game record ----
extern std::vector<MoveRec> GameRecord;                       // slot 0 holds no move
extern std::unordered_map<std::string, int> RepetitionTable;  // position key -> times arisen
extern std::string BookLine;                                  // " " then the first game moves as text
extern int BookPly;                                           // plies recorded in BookLine, or OutOfBook
extern bool BookLoaded;

// ---- Game, clock and search state shared with the driver and the search ----
extern float TimeLeft;           // engine clock, seconds
extern double OpponentTimeLeft;  // opponent clock, seconds
extern int32_t MovesPerControl;  // 0 = whole game
extern double BaseTime;          // seconds per period (fractions count)
extern double TimeIncrement;     // seconds per move (fractions count)
extern int MaxDepth;             // sd's depth, or NoDepthLimit
// MaxDepth when no sd is in force: apart from every depth sd accepts.
constexpr int NoDepthLimit = 0;
extern double TimeBank;
extern bool ForceMode;
extern bool OpponentIsComputer;
extern int ProtocolVersion;
extern int32_t GameResult;  // ResultNone .. ResultBlackResigns
extern int32_t NodeCount;
extern int32_t QuiescenceNodes;

// ---- Squares and text ----
int FileFromLetter(const std::string& s);
int RowBase(const std::string& s);
inline int FileOf(int sq) {
    return sq % 10;
}
inline int RankOf(int sq) {
    return sq / 10 - 1;
}
std::string SquareText(int sq);  // e.g. 55 -> "e4"

// ---- Set-up ----
void InitBoardTables();  // Directions, InitialBoard, SquareOfIndex; clears the rest
void InitSquareOfIndex();
void RebuildPieceList();
void ResetGame();

// ---- Move generation and attacks ----
// Appends a move; a full list takes no more.
inline void PushMove(MoveList& list, int nFrom, int nTo, int nCaptured, int nEnPassant, int nPromotion,
                     int nCastle) {
    if (list.Count >= MaxListMoves) return;
    MoveRec& m = list.Move[list.Count++];
    m.From = static_cast<uint8_t>(nFrom);
    m.To = static_cast<uint8_t>(nTo);
    m.Captured = static_cast<uint8_t>(nCaptured);
    m.EnPassant = static_cast<uint8_t>(nEnPassant);
    m.Promotion = static_cast<uint8_t>(nPromotion);
    m.Castle = static_cast<uint8_t>(nCastle);
    m.CapturedSlot = 0;
}
// The four promotions of one pawn move: queen, rook, knight, bishop.
inline void PushPromotions(MoveList& list, int nFrom, int nTo, int nCaptured, bool bWhite) {
    const int base = bWhite ? 0 : 1;
    PushMove(list, nFrom, nTo, nCaptured, 0, WhiteQueen + base, 0);
    PushMove(list, nFrom, nTo, nCaptured, 0, WhiteRook + base, 0);
    PushMove(list, nFrom, nTo, nCaptured, 0, WhiteKnight + base, 0);
    PushMove(list, nFrom, nTo, nCaptured, 0, WhiteBishop + base, 0);
}
int GenerateMoves(MoveList& list);
// The same list built move by move through AddMove, as the rules read; GenerateMoves is checked against it.
int ReferenceGenerateMoves(MoveList& list);
bool AddMove(MoveList& list, int nFrom, int nTo);
bool IsAttacked(int nSquare, int nColour);  // nColour 2 = Black attacks, else White
bool InCheck();
bool IsLegalAfterMove(const MoveRec& m);
// IsLegalAfterMove(m) when it is known whether the mover stood in check before m: out of check, most moves
// need only a look along the line from the king through the square the piece left.
bool IsLegalAfterMove(const MoveRec& m, bool bWasInCheck);

// Fixed geometry of the mailbox, complete before any code runs.
struct SquareLines {
    int8_t Step[BoardSize][BoardSize];  // unit step from a square towards another on its line, or 0
};
extern const SquareLines kSquareLines;
inline int LineStep(int nFrom, int nTo) {
    return kSquareLines.Step[nFrom][nTo];
}
// After MakeMove of a move by a piece other than the king, neither castling nor en passant: whether the
// king on nKing (White's when bWhiteKing) now stands open to an enemy slider along the line through the
// square nFrom the piece left. For a king not attacked before the move, nothing else can attack it now.
inline bool OpensLineToKing(int nKing, int nFrom, bool bWhiteKing) {
    const int step = LineStep(nKing, nFrom);
    if (step == 0) return false;
    int s = nKing + step;
    while (Board[s] >= EmptySquare) s += step;  // empty squares and ghosts; the border stops the walk
    const int c = Board[s];
    const bool straight = step == 10 || step == -10 || step == 1 || step == -1;
    if (bWhiteKing) return c == BlackQueen || c == (straight ? BlackRook : BlackBishop);
    return c == WhiteQueen || c == (straight ? WhiteRook : WhiteBishop);
}

// ---- Making moves ----
void MakeMove(MoveRec& m);
void UnmakeMove(const MoveRec& m);
void MakeGameMove(const MoveRec& m);
void RecordMove(const MoveRec& m);
void TakeBack(int n);
// Called by SetBoard: take-backs stop at the set-up position.
void MarkSetUpPosition();
int GhostSquare();  // the square holding a ghost, 0 if none
void ClearGhosts();
void MoveRookForward(int nCastle);  // the rook's half of a castling move, with its counters and flag
void RestoreGhost(int nSquare);  // clears every ghost, then marks nSquare (0: none) as the en-passant square

// The eight squares from nFirst (a rank's a-file square) read as one word: 0x80 in the byte of each square
// holding nGhost, 0 elsewhere. Ghosts stand on the third and sixth ranks only, and rarely at all.
inline uint64_t GhostBytes(int nFirst, int nGhost) {
    constexpr uint64_t kOnes = 0x0101010101010101, kLow7 = 0x7F7F7F7F7F7F7F7F;
    uint64_t word;
    std::memcpy(&word, Board + nFirst, sizeof word);
    const uint64_t x = word ^ (kOnes * static_cast<uint64_t>(nGhost));
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// ---- Text ----
std::vector<std::string> SplitAtBlanks(const std::string& s);  // fields between single blanks
std::string Lower(std::string s);                              // ASCII letters only, as commands are

// ---- Display ----
std::string BoardDiagram();
std::string PieceLetter(int nCode);

// ---- Move text ----
std::string MoveToText(const MoveRec& m);
bool IsMoveText(const std::string& sLine);
bool FindMoveFromText(const std::string& sLine, MoveRec& found);
// The legal moves of the board, in generation order; the board is left as it was.
std::vector<MoveRec> LegalMoves();

#include "board/EPDBas.h"
