// SPDX-License-Identifier: GPL-3.0-or-later
// FEN set-up and the position key.
#include "board/EPDBas.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "board/BoardBas.h"

static int CodeOfLetter(char c) {
    static const char kLetters[] = "PpNnKkRrQqBb";
    const char* hit = c ? std::strchr(kLetters, c) : nullptr;
    return hit ? static_cast<int>(hit - kLetters) + 1 : 0;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::vector<std::string> SplitAtBlanks(const std::string& s) {
    std::vector<std::string> fields(1);
    for (char c : s) {
        if (c == ' ')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// Reads the placement into squares[64] (FEN order); false unless it is exactly 8 ranks of 8 squares.
static bool ReadPlacement(const std::string& s, uint8_t squares[64]) {
    int k = 0, inRank = 0, ranks = 1;
    for (char c : s) {
        if (c == '/') {
            if (inRank != 8) return false;
            inRank = 0;
            ++ranks;
        } else if (c >= '1' && c <= '8') {
            inRank += c - '0';
            if (inRank > 8) return false;
            for (int i = 0; i < c - '0'; ++i) squares[k++] = EmptySquare;
        } else if (int code = CodeOfLetter(c)) {
            if (++inRank > 8) return false;
            squares[k++] = static_cast<uint8_t>(code);
        } else {
            return false;
        }
        if (ranks > 8) return false;
    }
    return ranks == 8 && inRank == 8;
}

// The en-passant field counts only where a pawn really just made a double step past it.
static int EnPassantSquare(const std::string& s, bool bWhiteToMove) {
    if (s.size() != 2 || s[0] < 'a' || s[0] > 'h') return 0;
    const int rank = s[1] - '0';
    const int sq = FileFromLetter(s) + RowBase(s.substr(1));
    if (bWhiteToMove) {
        if (rank != 6 || Board[sq] != EmptySquare || Board[sq - 10] != BlackPawn ||
            Board[sq + 10] != EmptySquare)
            return 0;
    } else {
        if (rank != 3 || Board[sq] != EmptySquare || Board[sq + 10] != WhitePawn ||
            Board[sq - 10] != EmptySquare)
            return 0;
    }
    return sq;
}

// Material that promotions can produce: at most 8 pawns, and every piece beyond the initial set costs one.
static bool PossibleMaterial(const uint8_t squares[64]) {
    int count[13] = {};
    for (int k = 0; k < 64; ++k) {
        const int code = squares[k];
        if (code > 12) continue;
        ++count[code];
        if ((code == WhitePawn || code == BlackPawn) && (k < 8 || k >= 56)) return false;  // rank 8 or 1
    }
    for (int colour = 0; colour < 2; ++colour) {
        auto extra = [&](int code, int initial) { return std::max(0, count[code + colour] - initial); };
        const int promoted =
            extra(WhiteQueen, 1) + extra(WhiteRook, 2) + extra(WhiteBishop, 2) + extra(WhiteKnight, 2);
        if (count[WhiteKing + colour] != 1 || count[WhitePawn + colour] + promoted > 8) return false;
    }
    return true;
}

bool SetBoard(const std::string& sFen) {
    const std::vector<std::string> f = SplitAtBlanks(sFen);
    if (f.size() < 4) return false;
    uint8_t squares[64];
    if (!ReadPlacement(f[0], squares)) return false;
    std::string side = f[1];
    for (char& c : side) c = static_cast<char>(c == 'W' ? 'w' : c == 'B' ? 'b' : c);
    if (side != "w" && side != "b") return false;
    if (!PossibleMaterial(squares)) return false;

    // Try the position on a copy of the state, so a rejected text changes nothing.
    uint8_t savedBoard[BoardSize];
    std::memcpy(savedBoard, Board, sizeof Board);
    const bool savedWhiteToMove = WhiteToMove;
    const int savedKings[2] = {WhiteKingSquare, BlackKingSquare};
    for (int k = 0; k < 64; ++k) {
        Board[SquareOfIndex[k]] = squares[k];
        if (squares[k] == WhiteKing) WhiteKingSquare = SquareOfIndex[k];
        if (squares[k] == BlackKing) BlackKingSquare = SquareOfIndex[k];
    }
    WhiteToMove = side == "w";
    const bool opponentInCheck =
        WhiteToMove ? IsAttacked(BlackKingSquare, 1) : IsAttacked(WhiteKingSquare, 2);
    if (opponentInCheck) {
        std::memcpy(Board, savedBoard, sizeof Board);
        WhiteToMove = savedWhiteToMove;
        WhiteKingSquare = savedKings[0];
        BlackKingSquare = savedKings[1];
        return false;
    }

    BookPly = OutOfBook;
    for (int& t : TouchCount) t = 257;
    for (char c : f[2]) {
        if (c == '-') break;
        if (c == 'K') TouchCount[25] = TouchCount[28] = 0;
        if (c == 'Q') TouchCount[25] = TouchCount[21] = 0;
        if (c == 'k') TouchCount[95] = TouchCount[98] = 0;
        if (c == 'q') TouchCount[95] = TouchCount[91] = 0;
    }
    if (f[3] != "-") {
        if (int sq = EnPassantSquare(f[3], WhiteToMove)) Board[sq] = WhiteToMove ? BlackGhost : WhiteGhost;
    }
    RebuildPieceList();
    MarkSetUpPosition();
    return true;
}

std::string PositionKey() {
    std::string placement, rank, ep = "-";
    int empty = 0;
    auto flush = [&] {
        placement += '/';
        placement += rank;
        if (empty) placement += static_cast<char>('0' + empty);
        rank.clear();
        empty = 0;
    };
    for (int k = 0; k < 64; ++k) {
        if (k > 0 && k % 8 == 0) flush();
        const int sq = SquareOfIndex[k];
        const int code = Board[sq];
        if (code == EmptySquare) {
            ++empty;
        } else if (code == WhiteGhost || code == BlackGhost) {
            ++empty;
            ep = SquareText(sq);
        } else {
            if (empty) rank += static_cast<char>('0' + empty);
            rank += PieceLetter(code);
            empty = 0;
        }
    }
    flush();
    std::string castling;
    if (TouchCount[25] == 0 && TouchCount[28] == 0) castling += 'K';
    if (TouchCount[25] == 0 && TouchCount[21] == 0) castling += 'Q';
    if (TouchCount[95] == 0 && TouchCount[98] == 0) castling += 'k';
    if (TouchCount[95] == 0 && TouchCount[91] == 0) castling += 'q';
    if (castling.empty()) castling = "-";
    return placement.substr(1) + (WhiteToMove ? " w " : " b ") + castling + " " + ep;
}
