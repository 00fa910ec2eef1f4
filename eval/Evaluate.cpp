// SPDX-License-Identifier: GPL-3.0-or-later
// Static evaluation: material, piece-square tables, pawn structure, rooks and queens, king shelter.
#include <cstring>

#include "eval/Evaluation.h"
#include "eval/Tracking.h"

EvalState Track;
bool Tracking = false;

namespace {
constexpr EvalSquares MakeEvalSquares() {
    EvalSquares t{};
    constexpr int kUntouched[8] = {22, 23, 26, 27, 92, 93, 96, 97};
    for (int i = 0; i < 8; ++i) t.UntouchedBit[kUntouched[i]] = static_cast<uint8_t>(1 << i);
    for (int sq = 0; sq < BoardSize; ++sq)
        for (int c = 0; c < 2; ++c)
            for (int far = 0; far < 2; ++far) {
                const int ahead = (c == 0 ? 10 : -10) * (far + 1);
                for (int j = -1; j <= 1; ++j) {
                    const int to = sq + ahead + j;
                    if (to >= 0 && to < BoardSize && OnBoard(to)) t.Shelter[c][far][sq] |= SquareBitOf(to);
                }
                if (OnBoard(sq + ahead))
                    t.ShelterShift[c][far][sq] = static_cast<uint8_t>(((sq + ahead) / 10 - 2) * 8);
            }
    return t;
}
}  // namespace
constinit const EvalSquares kEvalSquares = MakeEvalSquares();
PawnTerms PawnCache[kPawnEntries];
const CodeKind kCodeKind[17] = {{0}, {0}, {1}, {0}, {1}, {0}, {1}, {0}, {1},
                                {0}, {1}, {0}, {1}, {0}, {0}, {0}, {0}};

// Per piece code and square, with White's sign: material plus table plus the placement terms that
// depend on the square alone (a rook or queen on the seventh rank). Rebuilt with the working tables,
// so the node's evaluation adds one number per piece and looks further only at pawns, rooks, queens
// and kings.
int32_t PieceSquareSum[17][BoardSize];

namespace {

// Which pieces have terms beyond PieceSquareSum: 1 white pawn, 2 black pawn, 3 rook, queen or king.
constexpr uint8_t kExtra[17] = {0, 1, 2, 0, 0, 3, 3, 3, 3, 3, 3, 0, 0, 0, 0, 0, 0};

void BuildPieceSquareSum() {
    std::memset(PieceSquareSum, 0, sizeof PieceSquareSum);
    for (int s = 0; s < BoardSize; ++s) {
        const int rank = RankOf(s);
        PieceSquareSum[WhitePawn][s] = PawnValue + WhitePawnWork[s];
        PieceSquareSum[BlackPawn][s] = -(PawnValue + BlackPawnWork[s]);
        PieceSquareSum[WhiteKnight][s] = KnightValue + WhiteKnightTable[s];
        PieceSquareSum[BlackKnight][s] = -(KnightValue + BlackKnightTable[s]);
        PieceSquareSum[WhiteBishop][s] = BishopValue + WhiteBishopTable[s];
        PieceSquareSum[BlackBishop][s] = -(BishopValue + BlackBishopTable[s]);
        PieceSquareSum[WhiteRook][s] = RookValue + WhiteRookTable[s] + (rank == 7 ? 10 : 0);
        PieceSquareSum[BlackRook][s] = -(RookValue + BlackRookTable[s]) - (rank == 2 ? 10 : 0);
        PieceSquareSum[WhiteQueen][s] = QueenValue + (rank == 7 ? 20 : 0);
        PieceSquareSum[BlackQueen][s] = -QueenValue - (rank == 2 ? 20 : 0);
        PieceSquareSum[WhiteKing][s] = WhiteKingWork[s];
        PieceSquareSum[BlackKing][s] = -BlackKingWork[s];
    }
}

}  // namespace

namespace {
// Raised whenever the working pawn tables change: pawn terms worked out before belong to the old ones.
uint32_t PawnTablesEdition = 1;
}  // namespace

void InstallWorkingTables() {
    BuildPieceSquareSum();
    ++PawnTablesEdition;
}

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
    InstallWorkingTables();
}

int32_t Evaluate() {
    // Pawns per colour (1 White, 2 Black) and file; the edge files 0 and 9 read -1, which counts as
    // "fewer than one" but never as "exactly none".
    int pawns[3][10] = {};
    pawns[1][0] = pawns[2][0] = pawns[1][9] = pawns[2][9] = -1;
    uint8_t whitePawns[MaxPieces], blackPawns[MaxPieces], others[MaxPieces];
    int whiteCount = 0, blackCount = 0, otherCount = 0;

    int32_t score = 0;  // from White's side
    const int count = PieceCount;
    for (int slot = 1; slot <= count; ++slot) {
        const int s = PieceList[slot];  // a captured piece's slot holds square 0, the border: nothing
        const int p = Board[s];
        score += PieceSquareSum[p][s];
        switch (kExtra[p]) {
            case 1:
                ++pawns[1][s % 10];
                whitePawns[whiteCount++] = static_cast<uint8_t>(s);
                break;
            case 2:
                ++pawns[2][s % 10];
                blackPawns[blackCount++] = static_cast<uint8_t>(s);
                break;
            case 3:
                others[otherCount++] = static_cast<uint8_t>(s);
                break;
        }
    }

    for (int i = 0; i < whiteCount; ++i) {
        const int s = whitePawns[i];
        const int f = s % 10;
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
    }
    for (int i = 0; i < blackCount; ++i) {
        const int s = blackPawns[i];
        const int f = s % 10;
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
    }

    for (int i = 0; i < otherCount; ++i) {
        const int s = others[i];
        const int f = s % 10;
        switch (Board[s]) {
            case WhiteRook:
                if (pawns[1][f] == 0) {  // half-open, or open with no pawn at all
                    score += 10;
                    if (pawns[2][f] == 0) score += 10;
                }
                break;
            case BlackRook:
                if (pawns[2][f] == 0) {
                    score -= 10;
                    if (pawns[1][f] == 0) score -= 10;
                }
                break;
            case WhiteQueen:
                // Out early while minor pieces still sit at home.
                if (s != 24 && (TouchCount[22] == 0 || TouchCount[23] == 0 || TouchCount[26] == 0 ||
                                TouchCount[27] == 0))
                    score -= 2;
                break;
            case BlackQueen:
                if (s != 94 && (TouchCount[92] == 0 || TouchCount[93] == 0 || TouchCount[96] == 0 ||
                                TouchCount[97] == 0))
                    score += 2;
                break;
            case WhiteKing:
                if (Middlegame) {
                    if (WhiteCastled > 0) {
                        score += 15 - 2 * WhiteCastled;
                        score += 4;
                    }
                    const int k = WhiteKingSquare;
                    for (int j = -1; j <= 1; ++j) {
                        if (Board[k + 10 + j] == WhitePawn) score += 8;
                        if (Board[k + 20 + j] == WhitePawn) score += 4;
                        if (pawns[2][f + j] == 0) score -= 16;
                    }
                }
                break;
            case BlackKing:
                if (Middlegame) {
                    if (BlackCastled > 0) {
                        score += -19 + 2 * BlackCastled;
                        score -= 4;
                    }
                    const int k = BlackKingSquare;
                    for (int j = -1; j <= 1; ++j) {
                        if (Board[k - 10 + j] == BlackPawn) score -= 8;
                        if (Board[k - 20 + j] == BlackPawn) score -= 4;
                        if (pawns[1][f + j] == 0) score += 16;
                    }
                }
                break;
        }
    }
    return WhiteToMove ? score : -score;
}

void StartTracking() {
    PrepareSliderAttacks();
    // Piece values changed since the sums were made (only a test does that): make them again.
    static int16_t built[5];
    const int16_t now[5] = {PawnValue, KnightValue, BishopValue, RookValue, QueenValue};
    if (std::memcmp(built, now, sizeof now) != 0 ||
        PieceSquareSum[WhitePawn][34] != PawnValue + WhitePawnWork[34]) {
        BuildPieceSquareSum();
        std::memcpy(built, now, sizeof now);
    }
    std::memset(&Track, 0, sizeof Track);
    for (int slot = 1; slot <= PieceCount; ++slot) {
        const int s = PieceList[slot];
        const int p = Board[s];
        if (p >= 1 && p <= 12) TrackAdd(p, s);
    }
    // Occupancy is of the board itself: every piece on it must be in the list for the two to agree.
    int onBoard = 0;
    uint64_t white = 0, black = 0;
    for (int sq = 21; sq <= 98; ++sq)
        if (Board[sq] >= 1 && Board[sq] <= 12) {
            ++onBoard;
            (Board[sq] & 1 ? white : black) |= kSets.SquareBit[sq];
        }
    for (int sq = 21; sq <= 98; ++sq)
        if (kEvalSquares.UntouchedBit[sq] != 0 && TouchCount[sq] == 0)
            Track.Untouched |= kEvalSquares.UntouchedBit[sq];
    // The king terms are taken from the king-square variables: that needs one king a side, standing there.
    const uint64_t whiteKing = Track.ByCode[WhiteKing], blackKing = Track.ByCode[BlackKing];
    Tracking = white == Track.ByColour[0] && black == Track.ByColour[1] &&
               onBoard == __builtin_popcountll(white | black) && (whiteKing & (whiteKing - 1)) == 0 &&
               (blackKing & (blackKing - 1)) == 0 &&
               (whiteKing == 0 || Board[WhiteKingSquare] == WhiteKing) &&
               (blackKing == 0 || Board[BlackKingSquare] == BlackKing);
}

namespace {

// Isolated, doubled and passed pawns and pawns on files without enemy pawns, from the per-file counts
// (edge files 0 and 9 read -1: "fewer than one" but never "none") and table sums.
int32_t PawnStructure(const int (&pawns)[2][10], const int (&work)[2][10]) {
    int32_t score = 0;
    for (int f = 1; f <= 8; ++f) {
        const int white = pawns[0][f], black = pawns[1][f];
        if (white > 0) {
            const bool isolated = pawns[0][f - 1] < 1 && pawns[0][f + 1] < 1;
            if (isolated) {
                score -= 20 * white;
                if (black == 0) score -= 10 * white;
            }
            if (white > 1) score -= 8 * (white - 1) * white;
            if (black == 0) {
                score += 6 * white;
                if (pawns[1][f - 1] < 1 && pawns[1][f + 1] < 1) {
                    score += 30 * white + 3 * work[0][f];
                    if (!isolated) score += 20 * white;
                }
            }
        }
        if (black > 0) {
            const bool isolated = pawns[1][f - 1] < 1 && pawns[1][f + 1] < 1;
            if (isolated) {
                score += 20 * black;
                if (white == 0) score += 10 * black;
            }
            if (black > 1) score += 8 * (black - 1) * black;
            if (white == 0) {
                score -= 6 * black;
                if (pawns[0][f - 1] < 1 && pawns[0][f + 1] < 1) {
                    score -= 30 * black + 3 * work[1][f];
                    if (!isolated) score -= 20 * black;
                }
            }
        }
    }
    return score;
}

void WorkOut(PawnTerms& e, uint64_t nWhite, uint64_t nBlack) {
    int pawns[2][10] = {{-1, 0, 0, 0, 0, 0, 0, 0, 0, -1}, {-1, 0, 0, 0, 0, 0, 0, 0, 0, -1}};
    int work[2][10] = {};
    const int16_t* tables[2] = {WhitePawnWork, BlackPawnWork};
    for (int c = 0; c < 2; ++c)
        for (uint64_t b = c == 0 ? nWhite : nBlack; b != 0; b &= b - 1) {
            const int sq = kSets.SquareOfBit[__builtin_ctzll(b)];
            ++pawns[c][sq % 10];
            work[c][sq % 10] += tables[c][sq];
        }
    e.White = nWhite;
    e.Black = nBlack;
    e.Edition = PawnTablesEdition;
    e.Score = PawnStructure(pawns, work);
    std::memset(e.RookFiles, 0, sizeof e.RookFiles);
    e.KingAt[0] = e.KingAt[1] = 0;
    for (int f = 1; f <= 8; ++f) {
        // Rooks on files without own pawns, more on files without any.
        const uint8_t file = static_cast<uint8_t>(1 << (f - 1));
        const bool noWhite = pawns[0][f] == 0, noBlack = pawns[1][f] == 0;
        if (noWhite) e.RookFiles[0][0] |= file;
        if (noBlack) e.RookFiles[1][0] |= file;
        if (noWhite && noBlack) e.RookFiles[0][1] |= file, e.RookFiles[1][1] |= file;
        int openWhite = 0, openBlack = 0;  // files around f without enemy pawns (an edge reads -1: never)
        for (int j = -1; j <= 1; ++j) {
            openWhite += pawns[1][f + j] == 0;
            openBlack += pawns[0][f + j] == 0;
        }
        e.KingFiles[0][f - 1] = static_cast<int8_t>(-16 * openWhite);
        e.KingFiles[1][f - 1] = static_cast<int8_t>(16 * openBlack);
    }
}

PawnTerms& TermsOfPawns(uint64_t nWhite, uint64_t nBlack) {
    PawnTerms& e = PawnEntryOf(nWhite, nBlack);
    if (e.White != nWhite || e.Black != nBlack || e.Edition != PawnTablesEdition) WorkOut(e, nWhite, nBlack);
    return e;
}

// The pieces of a set, counted: sets here hold a few pieces at most.
inline int Count(uint64_t nSet) {
    int n = 0;
    for (; nSet != 0; nSet &= nSet - 1) ++n;
    return n;
}

// A middlegame king's shelter (own pawns one and two ranks ahead on its file and the files beside it) and
// its penalty for open files around it, White's sign; colour 0 White, 1 Black.
int KingTerms(const PawnTerms& pawns, int nColour, int nKing) {
    static constexpr uint8_t kPawnsIn[8] = {0, 1, 1, 2, 1, 2, 2, 3};  // pawns among three adjacent files
    const auto& shelter = kEvalSquares.Shelter[nColour];
    const auto& shift = kEvalSquares.ShelterShift[nColour];
    const uint64_t own = nColour == 0 ? pawns.White : pawns.Black;
    const int f = kSets.FileOf[nKing];
    // A king on the a-file has no file to its left: the three files start at its own.
    const int low = f == 1 ? 0 : f - 2;
    const int cover = 8 * kPawnsIn[((own & shelter[0][nKing]) >> (shift[0][nKing] + low)) & 7] +
                      4 * kPawnsIn[((own & shelter[1][nKing]) >> (shift[1][nKing] + low)) & 7];
    return (nColour == 0 ? cover : -cover) + pawns.KingFiles[nColour][f - 1];
}

}  // namespace

PawnTerms& KnowPawnTerms() {
    // Mostly the pawns of the position searched just before: their terms are at hand.
    PawnTerms* known = Track.PawnEntry;
    const uint64_t white = Track.ByCode[WhitePawn], black = Track.ByCode[BlackPawn];
    if (known == nullptr || known->White != white || known->Black != black ||
        known->Edition != PawnTablesEdition)
        Track.PawnEntry = known = &TermsOfPawns(white, black);
    return *known;
}

int32_t TrackedEvaluate(bool bWhiteToMove) {
    const uint64_t* by = Track.ByCode;
    PawnTerms& pawns = KnowPawnTerms();
    int32_t score = Track.Sum + pawns.Score;
    // A file mask times one bit per rank: the squares of those files.
    constexpr uint64_t kRanks = 0x0101010101010101;
    const uint8_t(&files)[2][2] = pawns.RookFiles;
    score += 10 * (Count(by[WhiteRook] & files[0][0] * kRanks) + Count(by[WhiteRook] & files[0][1] * kRanks));
    score -= 10 * (Count(by[BlackRook] & files[1][0] * kRanks) + Count(by[BlackRook] & files[1][1] * kRanks));
    // Blocked centre pawns.
    const uint64_t occupied = TrackedOccupancy();
    const uint64_t* bit = kSets.SquareBit;
    if ((by[WhitePawn] & bit[34]) && (occupied & bit[44])) score -= 6;
    if ((by[WhitePawn] & bit[35]) && (occupied & bit[45])) score -= 6;
    if ((by[BlackPawn] & bit[84]) && (occupied & bit[74])) score += 6;
    if ((by[BlackPawn] & bit[85]) && (occupied & bit[75])) score += 6;
    // Queens out while a minor piece's home square is untouched.
    if ((Track.Untouched & 0x0F) != 0) score -= 2 * Count(by[WhiteQueen] & ~bit[24]);
    if ((Track.Untouched & 0xF0) != 0) score += 2 * Count(by[BlackQueen] & ~bit[94]);
    if (Middlegame) {
        if (WhiteCastled > 0) score += 15 - 2 * WhiteCastled + 4;
        if (BlackCastled > 0) score += -19 + 2 * BlackCastled - 4;
        for (int c = 0; c < 2; ++c) {
            const uint64_t king = by[WhiteKing + c];
            if (king == 0) continue;
            const int k = kSets.SquareOfBit[__builtin_ctzll(king)];
            if (pawns.KingAt[c] != k) {
                pawns.KingAt[c] = static_cast<uint8_t>(k);
                pawns.KingTerms[c] = static_cast<int16_t>(KingTerms(pawns, c, k));
            }
            score += pawns.KingTerms[c];
        }
    }
    return bWhiteToMove ? score : -score;
}
