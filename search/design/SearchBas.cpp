// SPDX-License-Identifier: GPL-3.0-or-later
// The search below the root: fail-hard alpha-beta with a check extension, the capture search and move
// ordering by the previous principal line, captures, killers and history.
#include "search/design/SearchBas.h"

#include <cstring>
#include <utility>

#include "platform/Platform.h"
#include "search/design/SearchMoves.h"

int PVLength[SearchPlies];
MoveRec PVTable[SearchPlies][SearchPlies];
int32_t HistoryTable[BoardSize][BoardSize];
MoveRec KillerMove1[SearchPlies], KillerMove2[SearchPlies];
int32_t KillerScore[SearchPlies];
int32_t KillerScoreReset[SearchPlies];
bool FollowPV = false;
bool StopSearch = false;
StopCheck IterationStop;

int IterationDepth = 1;
double IterationStartTime = 0;
double TimeLimit = 0;

void UpdateKillers(const MoveRec& m, int32_t nScore) {
    if (nScore > KillerScore[Ply]) {
        KillerScore[Ply] = nScore;
        KillerMove2[Ply] = KillerMove1[Ply];
        KillerMove1[Ply] = m;
    }
}

void UpdatePV(const MoveRec& m) {
    const int p = Ply;
    PVTable[p][p] = m;
    const int end = PVLength[p + 1];
    for (int c = p + 1; c < end; ++c) PVTable[p][c] = PVTable[p + 1][c];
    PVLength[p] = end;
}

namespace {

// One step of the quicksort on aScores[nLow..nHigh], the items moved alongside: descending, middle pivot.
// Afterwards [nLow, j] and [i, nHigh] are still to be sorted; whatever lies between is in place. The two
// parts never touch each other, so the order in which they are sorted changes nothing.
template <typename T>
inline void Partition(int32_t* aScores, T* aItems, int nLow, int nHigh, int& i, int& j) {
    // Middle index rounded half to even: ties among equal scores land where this pivot puts them.
    const int sum = nLow + nHigh;
    int mid = sum / 2;
    if ((sum & 1) && (mid & 1)) ++mid;
    const int32_t pivot = aScores[mid];
    i = nLow, j = nHigh;
    for (;;) {
        while (aScores[i] > pivot) ++i;
        while (aScores[j] < pivot) --j;
        if (i > j) break;
        std::swap(aScores[i], aScores[j]);
        std::swap(aItems[i], aItems[j]);
        ++i;
        --j;
        if (i > j) break;
    }
}

inline int Order(int32_t a, int32_t b) {
    return (a > b) - (a < b) + 1;
}

// The quicksort compares scores only with one another, so for three or four entries its result is fixed by
// how they compare (and, for four, by whether the range starts at an even or odd index, which moves the
// middle pivot). Each pattern's result is taken once from the quicksort itself and then looked up.
struct SmallSorts {
    uint8_t Three[27][3];
    uint8_t Four[2][729][4];  // by the parity of the range's first index
    static int Key3(const int32_t* a) {
        return Order(a[0], a[1]) * 9 + Order(a[0], a[2]) * 3 + Order(a[1], a[2]);
    }
    static int Key4(const int32_t* a) {
        return Order(a[0], a[1]) * 243 + Order(a[0], a[2]) * 81 + Order(a[0], a[3]) * 27 +
               Order(a[1], a[2]) * 9 + Order(a[1], a[3]) * 3 + Order(a[2], a[3]);
    }
    SmallSorts();
    static const SmallSorts Tables;
};

template <typename T, int N>
inline void Permute(int32_t* aScores, T* aItems, int nLow, const uint8_t* pOrder) {
    T items[N];
    int32_t scores[N];
    for (int i = 0; i < N; ++i) {
        items[i] = aItems[nLow + pOrder[i]];
        scores[i] = aScores[nLow + pOrder[i]];
    }
    for (int i = 0; i < N; ++i) {
        aItems[nLow + i] = items[i];
        aScores[nLow + i] = scores[i];
    }
}

// Two, three or four entries as the quicksort would leave them; false for other sizes.
template <typename T>
inline bool SortSmall(int32_t* aScores, T* aItems, int nLow, int nHigh) {
    switch (nHigh - nLow) {
        case 1:  // two entries: equal ones change places
            if (aScores[nHigh] >= aScores[nLow]) {
                std::swap(aScores[nLow], aScores[nHigh]);
                std::swap(aItems[nLow], aItems[nHigh]);
            }
            return true;
        case 2:
            Permute<T, 3>(aScores, aItems, nLow, SmallSorts::Tables.Three[SmallSorts::Key3(aScores + nLow)]);
            return true;
        case 3:
            Permute<T, 4>(aScores, aItems, nLow,
                          SmallSorts::Tables.Four[nLow & 1][SmallSorts::Key4(aScores + nLow)]);
            return true;
    }
    return false;
}

// The quicksort itself, the upper part sorted first; bSmall: short ranges from the tables.
template <typename T, bool bSmall>
void Quicksort(int32_t* aScores, T* aItems, int nLow, int nHigh) {
    while (nHigh > nLow) {
        if (bSmall && SortSmall(aScores, aItems, nLow, nHigh)) return;
        int i, j;
        Partition(aScores, aItems, nLow, nHigh, i, j);
        Quicksort<T, bSmall>(aScores, aItems, i, nHigh);
        nHigh = j;
    }
}

SmallSorts::SmallSorts() : Three{}, Four{} {
    for (int n : {3, 4})
        for (int low : {0, 1})
            for (int code = 0; code < (n == 3 ? 27 : 256); ++code) {  // every assignment of values 0..n-1
                int32_t scores[5];
                uint8_t from[5];
                for (int i = 0, c = code; i < n; ++i, c /= n) {
                    scores[low + i] = c % n;
                    from[low + i] = static_cast<uint8_t>(i);
                }
                const int key = n == 3 ? Key3(scores + low) : Key4(scores + low);
                Quicksort<uint8_t, false>(scores, from, low, low + n - 1);
                for (int i = 0; i < n; ++i) (n == 3 ? Three[key][i] : Four[low][key][i]) = from[low + i];
            }
}

const SmallSorts SmallSorts::Tables;

}  // namespace

void SortMoves(MoveList& aMoves, int32_t* aScores, int nLow, int nHigh) {
    Quicksort<MoveRec, true>(aScores, aMoves.Move, nLow, nHigh);
}

void ScoreMoves(const MoveList& aMoves, int nCount, int32_t* aScores) {
    const int ply = Ply;
    const MoveRec& killer1 = KillerMove1[ply];
    const MoveRec& killer2 = KillerMove2[ply];
    const bool followPV = FollowPV;
    FollowPV = false;
    const MoveRec& pv = PVTable[1][ply];
    for (int i = 0; i < nCount; ++i) {
        const MoveRec& m = aMoves.Move[i];
        int32_t s;
        if (CapturesOnly)
            s = PieceValue[m.Captured] - PieceValue[Board[m.From]];
        else
            s = m.Captured == EmptySquare ? -10000 : PieceValue[m.Captured] - PieceValue[Board[m.From]];
        if (followPV && SameMove(m, pv)) {
            s += 100000;
            FollowPV = true;
        } else {
            if (!CapturesOnly) s += HistoryTable[m.From][m.To];
            if (SameMove(m, killer1))
                s += 1000;
            else if (SameMove(m, killer2))
                s += 500;
        }
        aScores[i] = s;
    }
}

void OrderMoves(MoveList& aMoves, int nCount) {
    int32_t scores[MaxListMoves];
    ScoreMoves(aMoves, nCount, scores);
    SortMoves(aMoves, scores, 0, nCount - 1);
}

void MoveOrder::Start(int nCount) {
    Count = nCount;
    Top = 0;
    First = -1;
    // Most capture searches have four moves or fewer: their order is read off the tables at once.
    switch (nCount) {
        case 0:
        case 1:
            Index[0] = 0;
            Settled = nCount;
            return;
        case 2:
            Index[0] = Score[1] >= Score[0];  // equal ones change places
            Index[1] = !Index[0];
            Settled = nCount;
            return;
        case 3:
            std::memcpy(Index, SmallSorts::Tables.Three[SmallSorts::Key3(Score)], 3);
            Settled = nCount;
            return;
        case 4:
            std::memcpy(Index, SmallSorts::Tables.Four[0][SmallSorts::Key4(Score)], 4);
            Settled = nCount;
            return;
    }
    // Positions in order, eight at a time (the array has room for the rounding up).
    for (int i = 0; i < nCount; i += 8) {
        const uint64_t eight = 0x0706050403020100ull + 0x0101010101010101ull * static_cast<uint64_t>(i);
        std::memcpy(Index + i, &eight, sizeof eight);
    }
    if (nCount > 1) Pending[Top++] = {0, static_cast<int16_t>(nCount - 1)};
    Settled = Top > 0 ? 0 : nCount;
    int32_t best = Score[0];
    int at = 0, same = 1;
    for (int i = 1; i < nCount; ++i) {  // without a branch on the scores
        const int32_t s = Score[i];
        const bool above = s > best;
        same = above ? 1 : same + (s == best);
        at = above ? i : at;
        best = above ? s : best;
    }
    First = same == 1 ? at : -1;
}

void MoveOrder::Settle() {
    int lo = Pending[Top - 1].Low, hi = Pending[Top - 1].High;
    --Top;
    while (hi > lo) {
        if (SortSmall(Score, Index, lo, hi)) break;
        int i, j;
        Partition(Score, Index, lo, hi, i, j);
        if (i < hi) Pending[Top++] = {static_cast<int16_t>(i), static_cast<int16_t>(hi)};
        hi = j;
    }
    Settled = Top > 0 ? Pending[Top - 1].Low : Count;
}

namespace {

// One move list and its order per ply, made once: a node's list lives while its children use those of
// deeper plies, and a fresh list on the stack would cost its whole zero-filled size at every node.
struct NodeMoves {
    MoveList List;
    MoveOrder Order;
};
NodeMoves PlyMoves[SearchPlies + 1];

inline NodeMoves& MovesOfPly() {
    return PlyMoves[Ply >= 0 && Ply <= SearchPlies ? Ply : SearchPlies];
}

constexpr int32_t kNotEvaluated = INT32_MIN;  // a node's own evaluation, not worked out yet

int32_t QuiesceNode(int32_t nAlpha, int32_t nBeta, int nDepth, const MoveRec* pLast, int32_t nStand);

// Searches move m from a node: false if it is illegal, else true with its score in nScore. search(stand)
// searches the child once m is made, stand being the child's evaluation if already known. With the running
// evaluation the move is judged on Track before it touches the board, and a child that its evaluation
// alone decides (a capture search with no depth left, bChildAtZero, or whose stand-pat value reaches its
// beta, nChildBeta) is scored without making the move: both give what the child would return. bLeaves:
// the child is a capture search.
template <typename Search>
inline bool SearchMove(MoveRec& m, bool bInCheck, bool bLeaves, bool bChildAtZero, int32_t nChildBeta,
                       int32_t& nScore, Search search) {
    const EvalState saved = Track;
    const int piece = Board[m.From];
    TrackMove(m);
    int32_t stand = kNotEvaluated;
    if (Tracking) {
        if (!LegalBeforeMake(m, piece, bInCheck)) {
            Track = saved;
            return false;
        }
        if (bLeaves && m.Castle == CastleNone) {  // castling changes the castling flags the evaluation reads
            stand = TrackedEvaluate(!WhiteToMove);
            if (bChildAtZero || stand >= nChildBeta) {
                nScore = -stand;
                Track = saved;
                return true;
            }
        }
    }
    MakeMove(m);
    ++Ply;
    const bool legal = Tracking || LegalAfterMove(m, piece, bInCheck);
    if (legal) nScore = -search(stand);
    --Ply;
    UnmakeMove(m);
    Track = saved;
    return legal;
}

// InCheck() at a node reached by pLast (null: not known to be reached by a legal move).
inline bool SideInCheck(const MoveRec* pLast) {
    if (Tracking) return InCheckTracked();
    return pLast != nullptr ? InCheckAfter(*pLast) : InCheck();
}

inline int32_t StandPat() {
    return Tracking ? TrackedEvaluate(WhiteToMove) : Evaluate();
}

// A node below the root; pLast is the move that led to it, or null when it is not known to have been
// reached by a legal move (then its check state is computed from scratch).
int32_t QuiesceNode(int32_t nAlpha, int32_t nBeta, int nDepth, const MoveRec* pLast, int32_t nStand) {
    const int32_t stand = nStand != kNotEvaluated ? nStand : StandPat();
    if (nDepth == 0) return stand;
    if (stand >= nBeta) return stand;
    if (stand > nAlpha) nAlpha = stand;
    PVLength[Ply] = Ply;

    NodeMoves& moves = MovesOfPly();
    MoveList& list = moves.List;
    CapturesOnly = true;
    GenerateCaptures(list);
    ScoreMoves(list, list.Count, moves.Order.Score);
    CapturesOnly = false;
    moves.Order.Start(list.Count);
    if (Tracking) PrefetchPawnTerms(list);

    const bool inCheck = list.Count > 0 && SideInCheck(pLast);
    for (int i = 0; i < list.Count; ++i) {
        MoveRec& m = list.Move[moves.Order.At(i)];
        int32_t score = 0;
        if (!SearchMove(m, inCheck, true, nDepth == 1, -nAlpha, score, [&](int32_t childStand) {
                return QuiesceNode(-nBeta, -nAlpha, nDepth - 1, &m, childStand);
            }))
            continue;
        CountNode(NodeCount);
        CountNode(QuiescenceNodes);
        if (score > nAlpha) {
            UpdateKillers(m, score);
            if (score >= nBeta) return nBeta;
            nAlpha = score;
            UpdatePV(m);
        }
    }
    return nAlpha;
}

int32_t SearchNode(int32_t nAlpha, int32_t nBeta, int nDepth, const MoveRec* pLast, int32_t nStand) {
    // A request from another thread, or in a timed search the clock, ends the search here.
    if (StopDue()) {
        StopSearch = true;
        return 0;
    }
    if (nDepth == 0) return QuiesceNode(nAlpha, nBeta, QuiesceDepth, pLast, nStand);
    const bool inCheck = SideInCheck(pLast);
    if (inCheck && Ply < 31) ++nDepth;
    PVLength[Ply] = Ply;

    NodeMoves& moves = MovesOfPly();
    MoveList& list = moves.List;
    GenerateMoves(list);
    ScoreMoves(list, list.Count, moves.Order.Score);
    moves.Order.Start(list.Count);

    bool anyLegal = false;
    if (nDepth == 1 && Tracking) {  // the children are capture searches, judged by their evaluation
        KnowPawnTerms();
        PrefetchPawnTerms(list);
    }
    for (int i = 0; i < list.Count; ++i) {
        MoveRec& m = list.Move[moves.Order.At(i)];
        int32_t score = 0;
        // A child at depth 0 is a capture search; one scored without being made never looks at the clock,
        // which the next node searched does.
        if (!SearchMove(m, inCheck, nDepth == 1, false, -nAlpha, score, [&](int32_t childStand) {
                return SearchNode(-nBeta, -nAlpha, nDepth - 1, &m, childStand);
            }))
            continue;
        CountNode(NodeCount);
        anyLegal = true;
        if (StopSearch) return 0;
        if (score > nAlpha) {
            AddHistory(m, nDepth);
            UpdateKillers(m, score);
            if (score >= nBeta) return nBeta;
            nAlpha = score;
            UpdatePV(m);
        }
    }
    if (anyLegal) return HalfmoveClock > 100 ? DrawScore : nAlpha;
    return InCheck() ? Ply - ScoreInfinity : DrawScore;
}

}  // namespace

int32_t Quiesce(int32_t nAlpha, int32_t nBeta, int nDepth) {
    return QuiesceNode(nAlpha, nBeta, nDepth, nullptr, kNotEvaluated);
}

int32_t AlphaBeta(int32_t nAlpha, int32_t nBeta, int nDepth) {
    return SearchNode(nAlpha, nBeta, nDepth, nullptr, kNotEvaluated);
}
