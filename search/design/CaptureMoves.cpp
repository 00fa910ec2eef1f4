// SPDX-License-Identifier: GPL-3.0-or-later
// The capture search's move list, built directly. It holds exactly what GenerateMoves adds with
// CapturesOnly set, in the same order (captures, en-passant captures, every promotion and any castling
// move): from the running piece sets and attack tables where the search tracks the position, otherwise
// through the board, without walking each quiet target through the general AddMove.
#include <cstring>

#include "search/design/SearchBas.h"
#include "search/design/SearchMoves.h"

namespace {

// 1 for the codes of one side's pieces, by code.
constexpr uint8_t kWhitePiece[17] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0};
constexpr uint8_t kBlackPiece[17] = {0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0};

// Written unconditionally and kept only when it is a capture: the test is too irregular to branch on.
inline void PushIfCapture(MoveList& list, int nFrom, int nTo, const uint8_t* pEnemy) {
    const int t = Board[nTo];
    const int keep = pEnemy[t];
    if (list.Count < MaxListMoves - 1) {
        // One eight-byte store: the byte after the record belongs to the next, still unused, entry.
        const uint64_t bytes =
            static_cast<uint64_t>(nFrom) | static_cast<uint64_t>(nTo) << 8 | static_cast<uint64_t>(t) << 16;
        std::memcpy(static_cast<void*>(&list.Move[list.Count]), &bytes, sizeof bytes);
        list.Count += keep;
    } else if (keep) {
        PushMove(list, nFrom, nTo, t, 0, 0, 0);
    }
}

// Knights, bishops, rooks, queens and kings by code: their steps, and whether they slide.
struct Mover {
    int8_t Steps[8];
    uint8_t Count;
    bool Slides;
};
constexpr Mover kNone{{}, 0, false};
constexpr Mover kWhiteKnight{{8, 19, 21, 12, -8, -19, -21, -12}, 8, false};
constexpr Mover kBlackKnight{{-8, -19, -21, -12, 8, 19, 21, 12}, 8, false};
constexpr Mover kKing{{1, -1, 9, -9, 10, -10, 11, -11}, 8, false};
constexpr Mover kRook{{10, -10, 1, -1}, 4, true};
constexpr Mover kQueen{{10, -10, 1, -1, 11, -11, 9, -9}, 8, true};
constexpr Mover kBishop{{11, -11, 9, -9}, 4, true};

constexpr Mover kMovers[13] = {kNone, kNone, kNone,  kWhiteKnight, kBlackKnight, kKing,  kKing,
                               kRook, kRook, kQueen, kQueen,       kBishop,      kBishop};

void Castling(MoveList& list, int nKing, int nOwnRook) {
    const int base = nKing - 4;
    if (TouchCount[nKing] != 0) return;
    if (TouchCount[base + 7] == 0 && Board[base + 7] == nOwnRook && Board[base + 5] == EmptySquare &&
        Board[base + 6] == EmptySquare)
        PushMove(list, nKing, nKing + 2, Board[nKing + 2], 0, 0,
                 nKing == 25 ? CastleWhiteKing : CastleBlackKing);
    if (TouchCount[base] == 0 && Board[base] == nOwnRook && Board[base + 3] == EmptySquare &&
        Board[base + 2] == EmptySquare && Board[base + 1] == EmptySquare)
        PushMove(list, nKing, nKing - 2, Board[nKing - 2], 0, 0,
                 nKing == 25 ? CastleWhiteQueen : CastleBlackQueen);
}

// A pawn's captures (f8 before d8 for a pawn on e7), en passant, and every promotion.
void PawnCaptures(MoveList& list, int s, bool bWhite) {
    const int up = bWhite ? 10 : -10;
    const bool promoting = RankOf(s) == (bWhite ? 7 : 2);
    const int ghost = bWhite ? BlackGhost : WhiteGhost;
    for (int d : {up + (bWhite ? 1 : -1), up - (bWhite ? 1 : -1)}) {
        const int t = Board[s + d];
        if (bWhite ? (t % 2 != 0 || t == 0) : (t % 2 != 1 || t == EmptySquare)) continue;
        if (t == ghost)
            PushMove(list, s, s + d, t, 1, 0, 0);
        else if (promoting)
            PushPromotions(list, s, s + d, t, bWhite);
        else if (t < EmptySquare)
            PushMove(list, s, s + d, t, 0, 0, 0);
    }
    // The double step is never a promotion; the single step is one only from the seventh rank.
    if (promoting && Board[s + up] == EmptySquare) PushPromotions(list, s, s + up, EmptySquare, bWhite);
}

// The side's pieces in slot order, each looked at through the board.
int BoardCaptures(MoveList& list) {
    list.Count = 0;
    const uint8_t* enemy = WhiteToMove ? kBlackPiece : kWhitePiece;
    // The side's pieces in slot order, gathered without a branch per slot.
    const uint8_t* mine = WhiteToMove ? kWhitePiece : kBlackPiece;
    uint8_t own[MaxPieces];
    int n = 0;
    const int count = PieceCount;
    for (int slot = 1; slot <= count; ++slot) {
        const int s = PieceList[slot];
        own[n] = static_cast<uint8_t>(s);
        n += mine[Board[s]];
    }
    for (int i = 0; i < n; ++i) {
        const int s = own[i];
        const int code = Board[s];
        if (code == WhitePawn || code == BlackPawn) {
            PawnCaptures(list, s, code == WhitePawn);
            continue;
        }
        const Mover& mover = kMovers[code];
        if (mover.Slides) {
            for (int k = 0; k < mover.Count; ++k) {
                const int d = mover.Steps[k];
                int to = s + d;
                while (Board[to] >= EmptySquare) to += d;  // empty squares and ghosts: quiet, not added
                PushIfCapture(list, s, to, enemy);
            }
        } else {
            for (int k = 0; k < 8; ++k) PushIfCapture(list, s, s + mover.Steps[k], enemy);
            if (code == WhiteKing && s == 25) Castling(list, 25, WhiteRook);
            if (code == BlackKing && s == 95) Castling(list, 95, BlackRook);
        }
    }
    return list.Count;
}

// Position of a step or ray among a piece's own, indexed by the step (to - from, or the ray's unit step)
// + 21.
struct StepOrder {
    int8_t Of[43];
};
constexpr StepOrder MakeStepOrder(const int8_t* pSteps, int nCount) {
    StepOrder t{};
    for (int k = 0; k < nCount; ++k) t.Of[pSteps[k] + 21] = static_cast<int8_t>(k);
    return t;
}
constexpr StepOrder kStepOrder[13] = {
    {},
    {},
    {},
    MakeStepOrder(kWhiteKnight.Steps, 8),
    MakeStepOrder(kBlackKnight.Steps, 8),
    MakeStepOrder(kKing.Steps, 8),
    MakeStepOrder(kKing.Steps, 8),
    MakeStepOrder(kRook.Steps, 4),
    MakeStepOrder(kRook.Steps, 4),
    MakeStepOrder(kQueen.Steps, 8),
    MakeStepOrder(kQueen.Steps, 8),
    MakeStepOrder(kBishop.Steps, 4),
    MakeStepOrder(kBishop.Steps, 4),
};

// The captures of the piece on nFrom onto nTargets, in the order of its steps or rays (at most one capture
// on each).
inline void PushTargets(MoveList& list, int nFrom, uint64_t nTargets, const StepOrder& order, bool bSlides) {
    if ((nTargets & (nTargets - 1)) == 0) {  // one
        const int to = kSets.SquareOfBit[__builtin_ctzll(nTargets)];
        PushMove(list, nFrom, to, Board[to], 0, 0, 0);
        return;
    }
    uint8_t byOrder[8];
    unsigned present = 0;
    for (; nTargets != 0; nTargets &= nTargets - 1) {
        const int to = kSets.SquareOfBit[__builtin_ctzll(nTargets)];
        const int k = order.Of[(bSlides ? LineStep(nFrom, to) : to - nFrom) + 21];
        byOrder[k] = static_cast<uint8_t>(to);
        present |= 1u << k;
    }
    for (; present != 0; present &= present - 1) {
        const int to = byOrder[__builtin_ctz(present)];
        PushMove(list, nFrom, to, Board[to], 0, 0, 0);
    }
}

constexpr uint64_t kFileA = 0x0101010101010101, kFileH = kFileA << 7;
constexpr uint64_t kRank2 = 0xFFull << 8, kRank7 = 0xFFull << 48;

// The same list from the running piece sets. A first pass, kind by kind, finds the pieces with something to
// take at the cost of a mask test or a table look-up each; the second writes their moves in slot order,
// which is the generator's order.
int TrackedCaptures(MoveList& list) {
    const int us = WhiteToMove ? 0 : 1;  // added to a white piece's code, the code of the side's piece
    const uint64_t enemy = Track.ByColour[us ^ 1];
    const uint64_t occupied = enemy | Track.ByColour[us];
    uint64_t targets[MaxPieces + 1];  // by slot: the enemy pieces a knight, slider or king attacks
    uint32_t movers = 0;              // slots with moves to write, slot s as bit s - 1
    auto mover = [&](int nSquare, uint64_t nTargets) {
        const int slot = PieceIndex[nSquare];
        targets[slot] = nTargets;
        movers |= 1u << (slot - 1);
    };

    // Pawns with a piece, or the enemy's ghost, to take, and those about to promote.
    const uint64_t pawns = Track.ByCode[WhitePawn + us];
    // The ghost's rank as one word, its marked bytes gathered into the bits of that rank.
    const uint64_t ghosts = GhostBytes(us == 0 ? 71 : 41, us == 0 ? BlackGhost : WhiteGhost);
    const uint64_t prey = enemy | (((ghosts >> 7) * 0x0102040810204080ull) >> 56) << (us == 0 ? 40 : 16);
    uint64_t pawnsToSee =
        us == 0 ? ((((prey & ~kFileA) >> 9) | ((prey & ~kFileH) >> 7)) & pawns) | (pawns & kRank7)
                : ((((prey & ~kFileH) << 9) | ((prey & ~kFileA) << 7)) & pawns) | (pawns & kRank2);
    for (; pawnsToSee != 0; pawnsToSee &= pawnsToSee - 1)
        mover(kSets.SquareOfBit[__builtin_ctzll(pawnsToSee)], 0);
    for (uint64_t b = Track.ByCode[WhiteKnight + us]; b != 0; b &= b - 1) {
        const int s = kSets.SquareOfBit[__builtin_ctzll(b)];
        if (const uint64_t t = kSets.KnightMask[s] & enemy; t != 0) mover(s, t);
    }
    for (uint64_t b = Track.ByCode[WhiteBishop + us]; b != 0; b &= b - 1) {
        const int bit = __builtin_ctzll(b);
        if (const uint64_t t = BishopAttacks(bit, occupied) & enemy; t != 0) mover(kSets.SquareOfBit[bit], t);
    }
    for (uint64_t b = Track.ByCode[WhiteRook + us]; b != 0; b &= b - 1) {
        const int bit = __builtin_ctzll(b);
        if (const uint64_t t = RookAttacks(bit, occupied) & enemy; t != 0) mover(kSets.SquareOfBit[bit], t);
    }
    for (uint64_t b = Track.ByCode[WhiteQueen + us]; b != 0; b &= b - 1) {
        const int bit = __builtin_ctzll(b);
        const uint64_t t = (RookAttacks(bit, occupied) | BishopAttacks(bit, occupied)) & enemy;
        if (t != 0) mover(kSets.SquareOfBit[bit], t);
    }
    const int home = us == 0 ? 25 : 95;  // castling moves come with the king's captures
    for (uint64_t b = Track.ByCode[WhiteKing + us]; b != 0; b &= b - 1) {
        const int s = kSets.SquareOfBit[__builtin_ctzll(b)];
        if (const uint64_t t = kSets.KingMask[s] & enemy; t != 0 || s == home) mover(s, t);
    }

    list.Count = 0;
    for (; movers != 0; movers &= movers - 1) {
        const int slot = __builtin_ctz(movers) + 1;
        const int s = PieceList[slot], code = Board[s];
        if (code == WhitePawn || code == BlackPawn) {
            PawnCaptures(list, s, code == WhitePawn);
            continue;
        }
        if (targets[slot] != 0) PushTargets(list, s, targets[slot], kStepOrder[code], kMovers[code].Slides);
        if ((code == WhiteKing || code == BlackKing) && s == home) Castling(list, s, WhiteRook + us);
    }
    return list.Count;
}

}  // namespace

int GenerateCaptures(MoveList& list) {
    return Tracking ? TrackedCaptures(list) : BoardCaptures(list);
}
