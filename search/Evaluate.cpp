// Static evaluation: material, piece-square tables, pawn structure, rooks and queens, king shelter.
#include <cstring>

#include "search/SearchBas.h"

void PrepareEvaluation() {
    // The game window's clocks are the window's business: the search never yields, so none could tick here.
    int32_t sum = 0;
    int counted = 0;
    for (int slot = 1; slot <= PieceCount && counted < 15; ++slot) {
        switch (Board[PieceList[slot]]) {
            case WhiteKnight:
            case BlackKnight:
            case WhiteBishop:
            case BlackBishop:
            case WhiteRook:
            case BlackRook:
            case WhiteQueen:
            case BlackQueen:
                sum += PieceValue[Board[PieceList[slot]]];
                ++counted;
                break;
        }
    }
    if (sum <= 1600) {
        for (int sq = 0; sq < BoardSize; ++sq) {
            WhitePawnWork[sq] = static_cast<int16_t>(3 * WhitePawnTable[sq]);
            BlackPawnWork[sq] = static_cast<int16_t>(3 * BlackPawnTable[sq]);
        }
        std::memcpy(WhiteKingWork, KingEndgameTable, sizeof WhiteKingWork);
        std::memcpy(BlackKingWork, KingEndgameTable, sizeof BlackKingWork);
        Middlegame = false;
    } else {
        std::memcpy(WhitePawnWork, WhitePawnTable, sizeof WhitePawnWork);
        std::memcpy(BlackPawnWork, BlackPawnTable, sizeof BlackPawnWork);
        std::memcpy(WhiteKingWork, WhiteKingTable, sizeof WhiteKingWork);
        std::memcpy(BlackKingWork, BlackKingTable, sizeof BlackKingWork);
        Middlegame = true;
    }
}

int32_t Evaluate() {
    // Pawns per colour (1 White, 2 Black) and file; the edge files 0 and 9 read -1, which counts as
    // "fewer than one" but never as "exactly none".
    int pawns[3][10];
    std::memset(pawns, 0, sizeof pawns);
    pawns[1][0] = pawns[2][0] = pawns[1][9] = pawns[2][9] = -1;
    const int count = PieceCount;
    for (int slot = 1; slot <= count; ++slot) {
        const int s = PieceList[slot];
        const int p = Board[s];
        if (p == WhitePawn)
            ++pawns[1][s % 10];
        else if (p == BlackPawn)
            ++pawns[2][s % 10];
    }

    int32_t score = 0;  // from White's side
    for (int slot = 1; slot <= count; ++slot) {
        const int s = PieceList[slot];
        const int f = s % 10;
        switch (Board[s]) {
            case WhitePawn: {
                score += PawnValue + WhitePawnWork[s];
                if ((s == 34 || s == 35) && Board[s + 10] < EmptySquare) score -= 6;  // blocked centre pawn
                const bool isolated = pawns[1][f - 1] < 1 && pawns[1][f + 1] < 1;
                if (isolated) {
                    score -= 20;
                    if (pawns[2][f] == 0) score -= 10;
                }
                if (pawns[1][f] > 1) score -= 8 * (pawns[1][f] - 1);
                if (pawns[2][f] == 0) {
                    score += 6;
                    if (pawns[2][f - 1] < 1 && pawns[2][f + 1] < 1) {  // passed
                        score += 30 + 3 * WhitePawnWork[s];
                        if (!isolated) score += 20;
                    }
                }
                break;
            }
            case BlackPawn: {
                score -= PawnValue + BlackPawnWork[s];
                if ((s == 84 || s == 85) && Board[s - 10] < EmptySquare) score += 6;
                const bool isolated = pawns[2][f - 1] < 1 && pawns[2][f + 1] < 1;
                if (isolated) {
                    score += 20;
                    if (pawns[1][f] == 0) score += 10;
                }
                if (pawns[2][f] > 1) score += 8 * (pawns[2][f] - 1);
                if (pawns[1][f] == 0) {
                    score -= 6;
                    if (pawns[1][f - 1] < 1 && pawns[1][f + 1] < 1) {
                        score -= 30 + 3 * BlackPawnWork[s];
                        if (!isolated) score -= 20;
                    }
                }
                break;
            }
            case WhiteKnight:
                score += KnightValue + WhiteKnightTable[s];
                break;
            case BlackKnight:
                score -= KnightValue + BlackKnightTable[s];
                break;
            case WhiteBishop:
                score += BishopValue + WhiteBishopTable[s];
                break;
            case BlackBishop:
                score -= BishopValue + BlackBishopTable[s];
                break;
            case WhiteRook:
                score += RookValue + WhiteRookTable[s];
                if (RankOf(s) == 7) score += 10;
                if (pawns[1][f] == 0) {
                    score += 10;
                    if (pawns[2][f] == 0) score += 10;
                }
                break;
            case BlackRook:
                score -= RookValue + BlackRookTable[s];
                if (RankOf(s) == 2) score -= 10;
                if (pawns[2][f] == 0) {
                    score -= 10;
                    if (pawns[1][f] == 0) score -= 10;
                }
                break;
            case WhiteQueen:
                score += QueenValue;
                if (RankOf(s) == 7) score += 20;
                // Out early while minor pieces still sit at home.
                if (s != 24 && (TouchCount[22] == 0 || TouchCount[23] == 0 || TouchCount[26] == 0 ||
                                TouchCount[27] == 0))
                    score -= 2;
                break;
            case BlackQueen:
                score -= QueenValue;
                if (RankOf(s) == 2) score -= 20;
                if (s != 94 && (TouchCount[92] == 0 || TouchCount[93] == 0 || TouchCount[96] == 0 ||
                                TouchCount[97] == 0))
                    score += 2;
                break;
            case WhiteKing:
                score += WhiteKingWork[s];
                if (Middlegame) {
                    if (WhiteCastled > 0) {
                        score += 15 - 2 * WhiteCastled;
                        score += 4;
                    }
                    const int k = WhiteKingSquare;
                    for (int i = -1; i <= 1; ++i) {
                        if (Board[k + 10 + i] == WhitePawn) score += 8;
                        if (Board[k + 20 + i] == WhitePawn) score += 4;
                        if (pawns[2][f + i] == 0) score -= 16;
                    }
                }
                break;
            case BlackKing:
                score -= BlackKingWork[s];
                if (Middlegame) {
                    if (BlackCastled > 0) {
                        score += -19 + 2 * BlackCastled;
                        score -= 4;
                    }
                    const int k = BlackKingSquare;
                    for (int i = -1; i <= 1; ++i) {
                        if (Board[k - 10 + i] == BlackPawn) score -= 8;
                        if (Board[k - 20 + i] == BlackPawn) score -= 4;
                        if (pawns[1][f + i] == 0) score += 16;
                    }
                }
                break;
        }
    }
    return WhiteToMove ? score : -score;
}
