// The capture search's move list, built directly. It holds exactly what GenerateMoves adds with
// CapturesOnly set, in the same order (captures, en-passant captures, every promotion and any castling
// move), without walking each quiet target through the general AddMove.
#include <cstring>

#include "search/SearchBas.h"
#include "search/SearchMoves.h"

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
    uint8_t Rays[8];  // a slider's directions as indexes into RayMask
};
constexpr Mover kNone{{}, 0, false, {}};
constexpr Mover kWhiteKnight{{8, 19, 21, 12, -8, -19, -21, -12}, 8, false, {}};
constexpr Mover kBlackKnight{{-8, -19, -21, -12, 8, 19, 21, 12}, 8, false, {}};
constexpr Mover kKing{{1, -1, 9, -9, 10, -10, 11, -11}, 8, false, {}};
constexpr Mover kRook{{10, -10, 1, -1}, 4, true, {0, 1, 2, 3}};
constexpr Mover kQueen{{10, -10, 1, -1, 11, -11, 9, -9}, 8, true, {0, 1, 2, 3, 4, 5, 6, 7}};
constexpr Mover kBishop{{11, -11, 9, -9}, 4, true, {4, 5, 6, 7}};

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

}  // namespace

int GenerateCaptures(MoveList& list) {
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
        if (code == WhitePawn) {
            const bool promoting = RankOf(s) == 7;
            for (int d : {11, 9}) {
                const int t = Board[s + d];
                if (t % 2 != 0 || t == 0) continue;
                if (t == BlackGhost)
                    PushMove(list, s, s + d, t, 1, 0, 0);
                else if (promoting)
                    PushPromotions(list, s, s + d, t, true);
                else if (t < EmptySquare)
                    PushMove(list, s, s + d, t, 0, 0, 0);
            }
            // The double step is never a promotion; the single step is one only from the seventh rank.
            if (promoting && Board[s + 10] == EmptySquare) PushPromotions(list, s, s + 10, EmptySquare, true);
            continue;
        }
        if (code == BlackPawn) {
            const bool promoting = RankOf(s) == 2;
            for (int d : {-11, -9}) {
                const int t = Board[s + d];
                if (t % 2 != 1 || t == EmptySquare) continue;
                if (t == WhiteGhost)
                    PushMove(list, s, s + d, t, 1, 0, 0);
                else if (promoting)
                    PushPromotions(list, s, s + d, t, false);
                else if (t < EmptySquare)
                    PushMove(list, s, s + d, t, 0, 0, 0);
            }
            if (promoting && Board[s - 10] == EmptySquare)
                PushPromotions(list, s, s - 10, EmptySquare, false);
            continue;
        }
        const Mover& mover = kMovers[code];
        if (mover.Slides && Tracking) {
            const uint64_t occupied = Track.Occupied;
            for (int k = 0; k < mover.Count; ++k) {
                const int r = mover.Rays[k];
                const uint64_t blockers = RayMask[s][r] & occupied;
                if (blockers == 0) continue;  // open to the edge: quiet moves only
                const int bit = (r & 1) == 0 ? __builtin_ctzll(blockers) : 63 - __builtin_clzll(blockers);
                PushIfCapture(list, s, SquareOfBit[bit], enemy);
            }
        } else if (mover.Slides) {
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
