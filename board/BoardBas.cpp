// SPDX-License-Identifier: GPL-3.0-or-later
// The position, move generation and attack tests.
#include "board/BoardBas.h"

#include <cstring>

#include "board/SquareSets.h"

uint8_t Board[BoardSize];
uint8_t InitialBoard[BoardSize];
uint8_t SquareOfIndex[64];
const int Directions[8] = {10, -10, 1, -1, 11, -11, 9, -9};
const int KnightOffsets[8] = {8, 19, 21, 12, -8, -19, -21, -12};
int TouchCount[BoardSize];
uint8_t PieceList[MaxPieces + 1];
uint8_t PieceIndex[BoardSize];
int PieceCount = 0;

namespace {
constexpr SquareLines MakeSquareLines() {
    SquareLines t{};
    for (int a = 0; a < BoardSize; ++a)
        for (int b = 0; b < BoardSize; ++b) {
            if (a == b || !OnBoard(a) || !OnBoard(b)) continue;
            const int dr = b / 10 - a / 10, df = b % 10 - a % 10;
            if (dr != 0 && df != 0 && dr != df && dr != -df) continue;
            t.Step[a][b] = static_cast<int8_t>(10 * ((dr > 0) - (dr < 0)) + ((df > 0) - (df < 0)));
        }
    return t;
}
}  // namespace
constinit const SquareLines kSquareLines = MakeSquareLines();

bool WhiteToMove = true;
bool EnginePlaysWhite = false;
int WhiteKingSquare = 25, BlackKingSquare = 95;
int32_t WhiteCastled = 0, BlackCastled = 0, PendingCastle = 0;
bool CapturesOnly = false;
int HalfmoveClock = 0;
int Ply = 0;
int FiftyHistory[MaxPly];

float TimeLeft = 300;
double OpponentTimeLeft = 300;
int32_t MovesPerControl = 0;
double BaseTime = 0, TimeIncrement = 0;
int MaxDepth = NoDepthLimit;
double TimeBank = 0;
bool ForceMode = false;
bool OpponentIsComputer = false;
int ProtocolVersion = 0;
int32_t GameResult = ResultNone;
int32_t NodeCount = 0, QuiescenceNodes = 0;

int FileFromLetter(const std::string& s) {
    if (s.empty()) return 0;
    char c = s[0];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return static_cast<unsigned char>(c) - 96;
}

int RowBase(const std::string& s) {
    int n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
        if (n > 1000) break;  // only single digits are meaningful; never overflow
    }
    return (n + 1) * 10;
}

std::string SquareText(int sq) {
    return std::string{static_cast<char>('a' + FileOf(sq) - 1), static_cast<char>('0' + RankOf(sq))};
}

void InitSquareOfIndex() {
    for (int k = 0; k < 64; ++k) SquareOfIndex[k] = static_cast<uint8_t>((9 - k / 8) * 10 + 1 + k % 8);
}

void InitBoardTables() {
    std::memset(Board, 0, sizeof Board);
    std::memset(PieceList, 0, sizeof PieceList);
    std::memset(PieceIndex, 0, sizeof PieceIndex);
    std::memset(TouchCount, 0, sizeof TouchCount);
    std::memset(InitialBoard, 0, sizeof InitialBoard);
    static const uint8_t kWhiteBack[8] = {7, 3, 11, 9, 5, 11, 3, 7};
    static const uint8_t kBlackBack[8] = {8, 4, 12, 10, 6, 12, 4, 8};
    for (int f = 0; f < 8; ++f) {
        InitialBoard[21 + f] = kWhiteBack[f];
        InitialBoard[31 + f] = WhitePawn;
        for (int r = 41; r <= 71; r += 10) InitialBoard[r + f] = EmptySquare;
        InitialBoard[81 + f] = BlackPawn;
        InitialBoard[91 + f] = kBlackBack[f];
    }
    InitSquareOfIndex();
}

void RebuildPieceList() {
    PieceList[0] = 0;
    PieceCount = 0;
    for (int sq = 21; sq <= 98; ++sq) {
        int code = Board[sq];
        if (code >= 1 && code <= 12 && PieceCount < MaxPieces) {
            ++PieceCount;
            PieceList[PieceCount] = static_cast<uint8_t>(sq);
            PieceIndex[sq] = static_cast<uint8_t>(PieceCount);
        } else {
            PieceIndex[sq] = 0;
        }
    }
}

// ---------------------------------------------------------------- generation

bool AddMove(MoveList& list, int nFrom, int nTo) {
    const int t = Board[nTo];
    const int p = Board[nFrom];
    if (t == OffBoard) return false;
    if (PendingCastle != 0) {
        PushMove(list, nFrom, nTo, t, 0, 0, PendingCastle);
        PendingCastle = 0;
        return true;
    }
    if ((p == WhitePawn && t == BlackGhost) || (p == BlackPawn && t == WhiteGhost)) {
        PushMove(list, nFrom, nTo, t, 1, 0, 0);
        return true;
    }
    const bool bPromoting = (p == WhitePawn && RankOf(nFrom) == 7) || (p == BlackPawn && RankOf(nFrom) == 2);
    if (t >= EmptySquare) {
        if (bPromoting)
            PushPromotions(list, nFrom, nTo, t, p == WhitePawn);
        else if (!CapturesOnly)
            PushMove(list, nFrom, nTo, t, 0, 0, 0);
        return true;
    }
    if ((t & 1) == (p & 1)) return false;
    if (bPromoting)
        PushPromotions(list, nFrom, nTo, t, p == WhitePawn);
    else
        PushMove(list, nFrom, nTo, t, 0, 0, 0);
    return false;
}

static inline void AddRays(MoveList& list, int nFrom, const int* pRays, int nRays) {
    for (int i = 0; i < nRays; ++i) {
        const int d = pRays[i];
        for (int to = nFrom + d; AddMove(list, nFrom, to); to += d) {
        }
    }
}

static inline void AddSteps(MoveList& list, int nFrom, const int* pSteps) {
    for (int i = 0; i < 8; ++i) AddMove(list, nFrom, nFrom + pSteps[i]);
}

static void AddCastling(MoveList& list, int nKing, int nOwnRook) {
    const int base = nKing - 4;  // a-file square of the home rank
    if (TouchCount[nKing] != 0) return;
    if (TouchCount[base + 7] == 0 && Board[base + 7] == nOwnRook && Board[base + 5] == EmptySquare &&
        Board[base + 6] == EmptySquare) {
        PendingCastle = nKing == 25 ? CastleWhiteKing : CastleBlackKing;
        AddMove(list, nKing, nKing + 2);
    }
    if (TouchCount[base] == 0 && Board[base] == nOwnRook && Board[base + 3] == EmptySquare &&
        Board[base + 2] == EmptySquare && Board[base + 1] == EmptySquare) {
        PendingCastle = nKing == 25 ? CastleWhiteQueen : CastleBlackQueen;
        AddMove(list, nKing, nKing - 2);
    }
}

int ReferenceGenerateMoves(MoveList& list) {
    static const int kWhiteKnight[8] = {8, 19, 21, 12, -8, -19, -21, -12};
    static const int kBlackKnight[8] = {-8, -19, -21, -12, 8, 19, 21, 12};
    static const int kBishop[4] = {11, -11, 9, -9};
    static const int kQueen[8] = {10, -10, 1, -1, 11, -11, 9, -9};  // rook rays are its first four
    static const int kKing[8] = {1, -1, 9, -9, 10, -10, 11, -11};
    list.Count = 0;
    const int side = WhiteToMove ? 1 : 0;
    for (int slot = 1; slot <= PieceCount; ++slot) {
        const int s = PieceList[slot];
        const int code = Board[s];
        if (code == OffBoard || code > 12 || (code & 1) != side) continue;
        switch (code) {
            case WhitePawn:
                if (Board[s + 11] % 2 == 0 && Board[s + 11] != 0) AddMove(list, s, s + 11);
                if (Board[s + 9] % 2 == 0 && Board[s + 9] != 0) AddMove(list, s, s + 9);
                if (RankOf(s) == 2 && Board[s + 10] == EmptySquare && Board[s + 20] == EmptySquare)
                    AddMove(list, s, s + 20);
                if (Board[s + 10] == EmptySquare) AddMove(list, s, s + 10);
                break;
            case BlackPawn:
                if (Board[s - 11] % 2 == 1 && Board[s - 11] != EmptySquare) AddMove(list, s, s - 11);
                if (Board[s - 9] % 2 == 1 && Board[s - 9] != EmptySquare) AddMove(list, s, s - 9);
                if (RankOf(s) == 7 && Board[s - 10] == EmptySquare && Board[s - 20] == EmptySquare)
                    AddMove(list, s, s - 20);
                if (Board[s - 10] == EmptySquare) AddMove(list, s, s - 10);
                break;
            case WhiteKnight:
                AddSteps(list, s, kWhiteKnight);
                break;
            case BlackKnight:
                AddSteps(list, s, kBlackKnight);
                break;
            case WhiteBishop:
            case BlackBishop:
                AddRays(list, s, kBishop, 4);
                break;
            case WhiteRook:
            case BlackRook:
                AddRays(list, s, kQueen, 4);
                break;
            case WhiteQueen:
            case BlackQueen:
                AddRays(list, s, kQueen, 8);
                break;
            case WhiteKing:
                AddSteps(list, s, kKing);
                if (s == 25) AddCastling(list, 25, WhiteRook);
                break;
            case BlackKing:
                AddSteps(list, s, kKing);
                if (s == 95) AddCastling(list, 95, BlackRook);
                break;
        }
    }
    return list.Count;
}

// The same moves in the same order as ReferenceGenerateMoves, each target looked at once.
namespace {

// What a target square's code means for the side to move.
constexpr uint8_t kVacant = 0, kOwn = 1, kEnemy = 2, kBorder = 3;  // vacant: empty or a ghost
struct TargetKinds {
    uint8_t Kind[2][17];  // [1 when White is to move][code]
};
constexpr TargetKinds MakeTargetKinds() {
    TargetKinds t{};
    for (int white = 0; white < 2; ++white)
        for (int code = 0; code < 17; ++code)
            t.Kind[white][code] = code == OffBoard      ? kBorder
                                  : code >= EmptySquare ? kVacant
                                  : (code & 1) == white ? kOwn
                                                        : kEnemy;
    return t;
}
constexpr TargetKinds kTargetKinds = MakeTargetKinds();

// Knight and king: one look per step.
inline void StepMoves(MoveList& list, int nFrom, const int* pSteps, const uint8_t* pKind) {
    for (int i = 0; i < 8; ++i) {
        const int to = nFrom + pSteps[i];
        const int t = Board[to];
        const int kind = pKind[t];
        if (kind == kVacant ? !CapturesOnly : kind == kEnemy) PushMove(list, nFrom, to, t, 0, 0, 0);
    }
}

inline void RayMoves(MoveList& list, int nFrom, const int* pRays, int nRays, const uint8_t* pKind) {
    const bool quiet = !CapturesOnly;
    for (int r = 0; r < nRays; ++r) {
        const int d = pRays[r];
        int to = nFrom + d;
        int t = Board[to];
        for (; pKind[t] == kVacant; to += d, t = Board[to])
            if (quiet) PushMove(list, nFrom, to, t, 0, 0, 0);
        if (pKind[t] == kEnemy) PushMove(list, nFrom, to, t, 0, 0, 0);
    }
}

inline void PawnQuiet(MoveList& list, int nFrom, int nTo, int t) {
    if (!CapturesOnly) PushMove(list, nFrom, nTo, t, 0, 0, 0);
}

// One diagonal step of a pawn onto t: a capture (four of them when promoting), or en passant onto the
// enemy's ghost.
inline void PawnCapture(MoveList& list, int nFrom, int nTo, int t, int nGhost, bool bPromoting, bool bWhite) {
    if (t == nGhost)
        PushMove(list, nFrom, nTo, t, 1, 0, 0);
    else if (t >= EmptySquare && !bPromoting)  // no code stands for that, but the rules make it a quiet move
        PawnQuiet(list, nFrom, nTo, t);
    else if (bPromoting)
        PushPromotions(list, nFrom, nTo, t, bWhite);
    else
        PushMove(list, nFrom, nTo, t, 0, 0, 0);
}

void PawnMoves(MoveList& list, int s, bool bWhite) {
    // White: captures on +11 and +9 of any black code or Black's ghost, then the double and single steps;
    // Black: on -11 and -9.
    const int up = bWhite ? 10 : -10;
    const bool promoting = RankOf(s) == (bWhite ? 7 : 2);
    const int ghost = bWhite ? BlackGhost : WhiteGhost;
    for (int d : {up + (bWhite ? 1 : -1), up - (bWhite ? 1 : -1)}) {
        const int t = Board[s + d];
        if (bWhite ? (t % 2 == 0 && t != 0) : (t % 2 == 1 && t != EmptySquare))
            PawnCapture(list, s, s + d, t, ghost, promoting, bWhite);
    }
    if (Board[s + up] != EmptySquare) return;
    if (RankOf(s) == (bWhite ? 2 : 7) && Board[s + 2 * up] == EmptySquare && !CapturesOnly)
        PushMove(list, s, s + 2 * up, EmptySquare, 0, 0, 0);
    if (promoting)
        PushPromotions(list, s, s + up, EmptySquare, bWhite);
    else if (!CapturesOnly)
        PushMove(list, s, s + up, EmptySquare, 0, 0, 0);
}

void CastlingMoves(MoveList& list, int nKing, int nOwnRook) {
    const int base = nKing - 4;  // a-file square of the home rank
    if (TouchCount[nKing] != 0) return;
    if (TouchCount[base + 7] == 0 && Board[base + 7] == nOwnRook && Board[base + 5] == EmptySquare &&
        Board[base + 6] == EmptySquare)
        PushMove(list, nKing, nKing + 2, EmptySquare, 0, 0, nKing == 25 ? CastleWhiteKing : CastleBlackKing);
    if (TouchCount[base] == 0 && Board[base] == nOwnRook && Board[base + 3] == EmptySquare &&
        Board[base + 2] == EmptySquare && Board[base + 1] == EmptySquare)
        PushMove(list, nKing, nKing - 2, EmptySquare, 0, 0,
                 nKing == 25 ? CastleWhiteQueen : CastleBlackQueen);
}

}  // namespace

int GenerateMoves(MoveList& list) {
    static const int kWhiteKnight[8] = {8, 19, 21, 12, -8, -19, -21, -12};
    static const int kBlackKnight[8] = {-8, -19, -21, -12, 8, 19, 21, 12};
    static const int kBishop[4] = {11, -11, 9, -9};
    static const int kQueen[8] = {10, -10, 1, -1, 11, -11, 9, -9};  // rook rays are its first four
    static const int kKing[8] = {1, -1, 9, -9, 10, -10, 11, -11};
    list.Count = 0;
    const bool white = WhiteToMove;
    const uint8_t* kind = kTargetKinds.Kind[white];
    for (int slot = 1; slot <= PieceCount; ++slot) {
        const int s = PieceList[slot];
        const int code = Board[s];
        if (kind[code] != kOwn) continue;
        switch (code) {
            case WhitePawn:
            case BlackPawn:
                PawnMoves(list, s, white);
                break;
            case WhiteKnight:
                StepMoves(list, s, kWhiteKnight, kind);
                break;
            case BlackKnight:
                StepMoves(list, s, kBlackKnight, kind);
                break;
            case WhiteBishop:
            case BlackBishop:
                RayMoves(list, s, kBishop, 4, kind);
                break;
            case WhiteRook:
            case BlackRook:
                RayMoves(list, s, kQueen, 4, kind);
                break;
            case WhiteQueen:
            case BlackQueen:
                RayMoves(list, s, kQueen, 8, kind);
                break;
            case WhiteKing:
                StepMoves(list, s, kKing, kind);
                if (s == 25) CastlingMoves(list, 25, WhiteRook);
                break;
            case BlackKing:
                StepMoves(list, s, kKing, kind);
                if (s == 95) CastlingMoves(list, 95, BlackRook);
                break;
        }
    }
    return list.Count;
}

// ---------------------------------------------------------------- attacks

bool IsAttacked(int nSquare, int nColour) {
    const bool black = nColour == 2;
    const int king = black ? BlackKing : WhiteKing;
    const int rook = black ? BlackRook : WhiteRook;
    const int queen = black ? BlackQueen : WhiteQueen;
    const int bishop = black ? BlackBishop : WhiteBishop;
    const int knight = black ? BlackKnight : WhiteKnight;
    const int pawn = black ? BlackPawn : WhitePawn;
    for (int i = 0; i < 4; ++i) {
        const int d = Directions[i];
        if (Board[nSquare + d] == king) return true;
        for (int s = nSquare + d; Board[s] != OffBoard; s += d) {
            const int c = Board[s];
            if (c == rook || c == queen) return true;
            if (c < EmptySquare) break;
        }
    }
    for (int i = 4; i < 8; ++i) {
        const int d = Directions[i];
        const int c1 = Board[nSquare + d];
        if (c1 == pawn && (black ? d > 0 : d < 0)) return true;
        if (c1 == king) return true;
        for (int s = nSquare + d; Board[s] != OffBoard; s += d) {
            const int c = Board[s];
            if (c == bishop || c == queen) return true;
            if (c < EmptySquare) break;
        }
    }
    for (int i = 0; i < 8; ++i)
        if (Board[nSquare + KnightOffsets[i]] == knight) return true;
    return false;
}

bool IsLegalAfterMove(const MoveRec& m, bool bWasInCheck) {
    const int piece = Board[m.To];  // the mover, or what it promoted to: never a king then
    if (bWasInCheck || m.Castle != CastleNone || m.EnPassant != 0 || piece == WhiteKing || piece == BlackKing)
        return IsLegalAfterMove(m);
    const bool whiteMoved = !WhiteToMove;
    const int k = whiteMoved ? WhiteKingSquare : BlackKingSquare;
    if (m.From == k || m.To == k) return IsLegalAfterMove(m);  // a king square that holds no king
    return !OpensLineToKing(k, m.From, whiteMoved);
}

bool InCheck() {
    return WhiteToMove ? IsAttacked(WhiteKingSquare, 2) : IsAttacked(BlackKingSquare, 1);
}

bool IsLegalAfterMove(const MoveRec& m) {
    switch (m.Castle) {
        case CastleWhiteKing:
            return !IsAttacked(25, 2) && !IsAttacked(26, 2) && !IsAttacked(27, 2);
        case CastleWhiteQueen:
            return !IsAttacked(25, 2) && !IsAttacked(24, 2) && !IsAttacked(23, 2);
        case CastleBlackKing:
            return !IsAttacked(95, 1) && !IsAttacked(96, 1) && !IsAttacked(97, 1);
        case CastleBlackQueen:
            return !IsAttacked(95, 1) && !IsAttacked(94, 1) && !IsAttacked(93, 1);
    }
    return WhiteToMove ? !IsAttacked(BlackKingSquare, 1) : !IsAttacked(WhiteKingSquare, 2);
}

// ---------------------------------------------------------------- display

std::string PieceLetter(int nCode) {
    static const char kLetters[] = ".PpNnKkRrQqBb";
    return std::string(1, nCode >= 1 && nCode <= 12 ? kLetters[nCode] : '.');
}

std::string BoardDiagram() {
    std::string s = "\r\n";
    for (int row = 0; row < 8; ++row) {
        // Seen from Black's side rank 1 is on top; files stay a to h to match the footer.
        const int rank = EnginePlaysWhite ? row + 1 : 8 - row;
        s += static_cast<char>('0' + rank);
        s += '\t';
        for (int f = 1; f <= 8; ++f) {
            s += PieceLetter(Board[(rank + 1) * 10 + f]);
            s += ' ';
        }
        s += "\r\n";
    }
    s += "\r\n \ta b c d e f g h\r\n";
    return s;
}
