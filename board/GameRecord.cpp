// SPDX-License-Identifier: GPL-3.0-or-later
// Game moves, the game record, take-back and a fresh game.
#include <cstring>

#include "board/BoardBas.h"

std::vector<MoveRec> GameRecord(1);
std::unordered_map<std::string, int> RepetitionTable;
std::string BookLine = " ";
int BookPly = OutOfBook;
bool BookLoaded = false;

// What a game move destroys and UnmakeMove cannot restore: the en-passant marker and the fifty-move
// count of the position before it. Kept beside GameRecord, one entry per recorded ply.
namespace {
struct GameUndo {
    uint8_t Ghost;
    int Halfmove;
};
std::vector<GameUndo> UndoRecord(1);
GameUndo PendingUndo{0, 0};
// Plies before this index belong to a game that preceded the last set-up position.
size_t FirstTakeBackPly = 1;
}  // namespace

void MakeGameMove(const MoveRec& m) {
    const int from = m.From, to = m.To;
    const int p = Board[from];
    PendingUndo = {static_cast<uint8_t>(GhostSquare()), HalfmoveClock};
    ClearGhosts();

    const bool pawn = p == WhitePawn || p == BlackPawn;
    HalfmoveClock = (Board[to] >= EmptySquare && !pawn) ? HalfmoveClock + 1 : 0;
    if (BookPly < MaxBookMoves) BookLine += MoveToText(m);
    ++BookPly;
    WhiteToMove = !WhiteToMove;

    if (m.Castle != CastleNone) {
        Board[to] = static_cast<uint8_t>(p);
        Board[from] = EmptySquare;
        MoveRookForward(m.Castle);
        ++TouchCount[to], ++TouchCount[from];
        if (m.Castle <= CastleWhiteQueen)
            WhiteKingSquare = to;
        else
            BlackKingSquare = to;
    } else if (m.EnPassant == 1) {
        const int victim = (p & 1) ? to - 10 : to + 10;
        Board[to] = static_cast<uint8_t>(p);
        Board[from] = EmptySquare;
        Board[victim] = EmptySquare;
        ++TouchCount[to], ++TouchCount[from], ++TouchCount[victim];
    } else if (p == BlackPawn && RankOf(from) == 7 && to == from - 20) {
        Board[to] = static_cast<uint8_t>(p);
        Board[from] = EmptySquare;
        Board[from - 10] = BlackGhost;
        ++TouchCount[to], ++TouchCount[from];
    } else if (p == WhitePawn && RankOf(from) == 2 && to == from + 20) {
        Board[to] = static_cast<uint8_t>(p);
        Board[from] = EmptySquare;
        Board[from + 10] = WhiteGhost;
        ++TouchCount[to], ++TouchCount[from];
    } else {
        if (m.Promotion != 0) {
            Board[to] = m.Promotion;
        } else {
            Board[to] = static_cast<uint8_t>(p);
            if (p == WhiteKing) WhiteKingSquare = to;
            if (p == BlackKing) BlackKingSquare = to;
        }
        Board[from] = EmptySquare;
        ++TouchCount[to], ++TouchCount[from];
    }
    RebuildPieceList();
}

void RecordMove(const MoveRec& m) {
    GameRecord.push_back(m);
    UndoRecord.push_back(PendingUndo);
}

void TakeBack(int n) {
    const size_t u = GameRecord.size() - 1;
    if (n <= 0 || u < FirstTakeBackPly - 1 + static_cast<size_t>(n)) return;
    for (size_t i = u; i > u - n; --i) {
        const std::string key = PositionKey();
        UnmakeMove(GameRecord[i]);
        RestoreGhost(UndoRecord[i].Ghost);
        HalfmoveClock = UndoRecord[i].Halfmove;
        if (BookLoaded) {
            if (BookPly != OutOfBook) {
                --BookPly;
                if ((BookLine.size() / 4) == i) BookLine.resize(BookLine.size() - 4);
            } else if (BookLine.size() > 4) {
                BookLine.resize(BookLine.size() - 4);
            }
        }
        auto it = RepetitionTable.find(key);
        if (it != RepetitionTable.end()) {
            if (it->second > 1)
                --it->second;
            else
                RepetitionTable.erase(it);
        }
    }
    GameRecord.resize(u - n + 1);
    UndoRecord.resize(u - n + 1);
    RebuildPieceList();
    GameResult = ResultNone;
}

void MarkSetUpPosition() {
    FirstTakeBackPly = GameRecord.size();
}

void ResetGame() {
    std::memcpy(Board, InitialBoard, sizeof Board);
    std::memset(TouchCount, 0, sizeof TouchCount);
    GameRecord.assign(1, MoveRec{});
    UndoRecord.assign(1, GameUndo{0, 0});
    FirstTakeBackPly = 1;
    RebuildPieceList();
    BookLine = " ";
    BookPly = BookLoaded ? 0 : OutOfBook;
    std::memset(FiftyHistory, 0, sizeof FiftyHistory);
    HalfmoveClock = 0;
    NodeCount = 0;
    QuiescenceNodes = 0;
    RepetitionTable.clear();
    GameResult = ResultNone;
    WhiteToMove = true;
    EnginePlaysWhite = false;
    WhiteKingSquare = 25;
    BlackKingSquare = 95;
    WhiteCastled = 0;
    BlackCastled = 0;
    MovesPerControl = 0;
    TimeIncrement = 0;
    TimeLeft = 300;
    OpponentTimeLeft = 300;
    TimeBank = 0;
    MaxDepth = NoDepthLimit;
    ForceMode = false;
    OpponentIsComputer = false;
    CapturesOnly = false;
}
