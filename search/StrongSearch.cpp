// SPDX-License-Identifier: GPL-3.0-or-later
// The strong search: iterative deepening with aspiration windows over a principal-variation search, a
// hash table, null-move pruning, late-move reductions and pruning, futility pruning, move order by hash
// move, exchange value, killers and history, and a capture search that skips losing captures. It shares
// the design's board, move generation (its capture list too) and evaluation, and none of the design's
// search paths.
#include "search/StrongSearch.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/Platform.h"
#include "search/design/SearchBas.h"  // GenerateCaptures, until the strong search has moves of its own

TransTable StrongTable;

namespace {

constexpr int32_t Infinite = ScoreInfinity;
constexpr int MaxSearchPly = SearchPlies - 4;  // every mate score within it reads as a mate

struct PlyState {
    uint64_t Key = 0;
    int EnPassant = 0;   // the square behind a double step just played, 0 if none
    int Rights = 0;      // CastleRights()
    int Reversible = 0;  // plies back to the last capture, pawn move or null move
    int32_t Eval = 0;
    MoveRec Killer[2];
};

// ---- Search-wide state: one search runs at a time, on the engine thread ----
PlyState Stack[SearchPlies + 2];  // by Ply, the root at 1
EvalState SavedTrack[SearchPlies + 2];
MoveList Lists[SearchPlies + 2];
int32_t Scores[SearchPlies + 2][MaxListMoves];
MoveRec Line[SearchPlies + 2][SearchPlies + 2];
int LineLength[SearchPlies + 2];
int32_t History[2][BoardSize][BoardSize];
uint8_t Reduction[64][64];
std::vector<uint64_t> GameKeys;  // the game's positions, sorted

int64_t Nodes = 0;
int64_t NodeLimit = 0;  // 0: none
int64_t NextCheck = 0;
bool Aborted = false;
bool MayAbort = false;  // a move to play is known: a stop may end the search
int SelDepth = 0;
bool RootWhite = true;
bool StartedPondering = false;
double SearchStart = 0;
MoveTimes Times;
SearchReporter* Out = nullptr;
SearchRequest Task;  // what the running search was asked

constexpr int HistoryLimit = 16384;

void InitReductions() {
    static bool done = false;
    if (done) return;
    for (int d = 1; d < 64; ++d)
        for (int m = 1; m < 64; ++m)
            Reduction[d][m] = static_cast<uint8_t>(0.75 + std::log(d) * std::log(m) / 2.25);
    done = true;
}

// The clock runs from the ponder hit, or from the turn's start (when the opponent's move was read), which
// the driver gives in MoveStartTime; a stale or missing one counts from the search's own start.
double ClockStart() {
    if (StartedPondering) return PonderHitTime.load();
    return MoveStartTime <= SearchStart && SearchStart - MoveStartTime < 1 ? MoveStartTime : SearchStart;
}

// Reads the clock and the stop request now and then; a search with a move to play may end at once.
void CheckStop() {
    NextCheck = Nodes + 1024;
    Progress.Nodes.store(Nodes, std::memory_order_relaxed);
    if (!MayAbort) return;
    if (StopRequested.load(std::memory_order_relaxed)) {
        Aborted = true;
        return;
    }
    if (Times.Timed && !Pondering.load(std::memory_order_relaxed) &&
        TimerSeconds() - ClockStart() >= Times.Hard)
        Aborted = true;
}

inline void CountStrongNode() {
    ++Nodes;
    CountNode(NodeCount);
    if (Nodes >= NextCheck) CheckStop();
    if (NodeLimit > 0 && Nodes >= NodeLimit && MayAbort) Aborted = true;
}

inline int32_t StaticEval() {
    return Tracking ? TrackedEvaluate(WhiteToMove) : Evaluate();
}

// A draw scores DrawScore for the engine's side: the setting says how much the engine wants one.
inline int32_t DrawValue() {
    return WhiteToMove == RootWhite ? DrawScore : -DrawScore;
}

inline bool IsCapture(const MoveRec& m) {
    return m.EnPassant == 1 || (Board[m.To] >= 1 && Board[m.To] <= 12);
}

inline bool HasPieces(bool bWhite) {
    const int a = bWhite ? 0 : 1;
    const uint64_t* by = Track.ByCode;
    return (by[WhiteKnight + a] | by[WhiteBishop + a] | by[WhiteRook + a] | by[WhiteQueen + a]) != 0;
}

// Neither side can mate: kings alone, or with one minor piece between them.
inline bool DeadDraw() {
    const uint64_t* by = Track.ByCode;
    if ((by[WhitePawn] | by[BlackPawn] | by[WhiteRook] | by[BlackRook] | by[WhiteQueen] | by[BlackQueen]) !=
        0)
        return false;
    const uint64_t minors = by[WhiteKnight] | by[BlackKnight] | by[WhiteBishop] | by[BlackBishop];
    return (minors & (minors - 1)) == 0;
}

// The position repeats one on the line from the root, or one of the game, with only reversible moves
// between: a draw.
bool Repeated() {
    const PlyState& s = Stack[Ply];
    for (int p = Ply - 2; p >= 1 && Ply - p <= s.Reversible; p -= 2)
        if (Stack[p].Key == s.Key) return true;
    return s.Reversible >= Ply - 1 && std::binary_search(GameKeys.begin(), GameKeys.end(), s.Key);
}

// Makes m from the node at Ply; false (and nothing changed) when it leaves the mover in check.
bool MakeStrong(MoveRec& m, bool bInCheck) {
    const PlyState& s = Stack[Ply];
    const int piece = Board[m.From];
    uint64_t key = s.Key ^ MovedPiecesHash(m) ^ kHashKeys.BlackToMove ^ kHashKeys.EnPassant[s.EnPassant] ^
                   kHashKeys.Castle[s.Rights];
    SavedTrack[Ply] = Track;
    if (Tracking) {
        TrackMove(m);
        if (!LegalBeforeMake(m, piece, bInCheck)) {
            Track = SavedTrack[Ply];
            return false;
        }
    }
    MakeMove(m);
    if (!Tracking && !IsLegalAfterMove(m)) {
        UnmakeMove(m);
        return false;
    }
    ++Ply;
    PlyState& c = Stack[Ply];
    c.EnPassant = EnPassantSquareAfter(m, piece);
    c.Rights = CastleRights();
    c.Key = key ^ kHashKeys.EnPassant[c.EnPassant] ^ kHashKeys.Castle[c.Rights];
    c.Reversible = HalfmoveClock == 0 ? 0 : s.Reversible + 1;
    return true;
}

void UnmakeStrong(const MoveRec& m) {
    --Ply;
    UnmakeMove(m);
    Track = SavedTrack[Ply];
}

// Make and unmake ask the board which squares changed; before a node's moves are generated the square
// behind a double step must be marked again, for unmaking a sibling cleared it.
inline void MarkEnPassant() {
    const int ep = Stack[Ply].EnPassant;
    if (ep != 0 && Board[ep] == EmptySquare) Board[ep] = RankOf(ep) == 3 ? WhiteGhost : BlackGhost;
}

void MakeNull() {
    ClearGhosts();
    WhiteToMove = !WhiteToMove;
    const PlyState& s = Stack[Ply];
    ++Ply;
    PlyState& c = Stack[Ply];
    c.Key = s.Key ^ kHashKeys.BlackToMove ^ kHashKeys.EnPassant[s.EnPassant];
    c.EnPassant = 0;
    c.Rights = s.Rights;
    c.Reversible = 0;
}

void UnmakeNull() {
    --Ply;
    WhiteToMove = !WhiteToMove;
    MarkEnPassant();
}

inline int32_t& HistoryOf(const MoveRec& m) {
    return History[WhiteToMove ? 0 : 1][m.From][m.To];
}

void UpdateHistory(const MoveRec& m, int nBonus) {
    int32_t& h = HistoryOf(m);
    h += nBonus - h * std::abs(nBonus) / HistoryLimit;
}

void UpdateLine(const MoveRec& m) {
    const int p = Ply;
    Line[p][p] = m;
    for (int c = p + 1; c < LineLength[p + 1]; ++c) Line[p][c] = Line[p + 1][c];
    LineLength[p] = std::max(LineLength[p + 1], p + 1);
}

// Ordering scores: the hash move, captures that do not lose by their exchange value (the most valuable
// victim first), killers, quiet moves by history, losing captures last.
void ScoreStrongMoves(const MoveList& list, int32_t* aScores, uint16_t nHashMove, bool bCapturesOnly) {
    const PlyState& s = Stack[Ply];
    for (int i = 0; i < list.Count; ++i) {
        const MoveRec& m = list.Move[i];
        int32_t score;
        if (nHashMove != 0 && PackedMove(m) == nHashMove) {
            score = 1 << 30;
        } else if (IsCapture(m) || m.Promotion != 0) {
            const int victim = m.EnPassant == 1 ? WhitePawn : Board[m.To];
            const int value = (victim >= 1 && victim <= 12 ? ExchangeValue(victim) : 0) +
                              (m.Promotion != 0 ? ExchangeValue(m.Promotion) : 0);
            const int order = value * 8 - ExchangeValue(Board[m.From]) / 100;
            if (bCapturesOnly)
                score = order;
            else
                score = StaticExchange(m) >= 0 ? (1 << 28) + order : -(1 << 28) + order;
        } else if (SameMove(m, s.Killer[0])) {
            score = (1 << 27);
        } else if (SameMove(m, s.Killer[1])) {
            score = (1 << 27) - 1;
        } else {
            score = HistoryOf(m);
        }
        aScores[i] = score;
    }
}

// The best of the moves from nFrom on, brought to nFrom.
inline MoveRec& PickNext(MoveList& list, int32_t* aScores, int nFrom) {
    int best = nFrom;
    for (int i = nFrom + 1; i < list.Count; ++i)
        if (aScores[i] > aScores[best]) best = i;
    std::swap(list.Move[nFrom], list.Move[best]);
    std::swap(aScores[nFrom], aScores[best]);
    return list.Move[nFrom];
}

// An entry searched deep enough whose bound settles the node's window: its score, in nScore.
inline bool TableDecides(const TTEntry* e, int nDepth, int32_t nAlpha, int32_t nBeta, int32_t& nScore) {
    if (e == nullptr || e->Depth < nDepth) return false;
    nScore = ScoreFromTable(e->Score, Ply);
    const Bound b = e->BoundOf();
    return b == Bound::Exact || (b == Bound::Lower && nScore >= nBeta) ||
           (b == Bound::Upper && nScore <= nAlpha);
}

inline bool InCheckNow() {
    return Tracking ? InCheckTracked() : InCheck();
}

int32_t StrongQuiesce(int32_t nAlpha, int32_t nBeta) {
    CountStrongNode();
    if (Aborted) return 0;
    SelDepth = std::max(SelDepth, Ply);
    LineLength[Ply] = Ply;
    if (HalfmoveClock >= 100 || (Tracking && DeadDraw())) return DrawValue();
    const bool pv = nBeta - nAlpha > 1;
    const TTEntry* e = StrongTable.Probe(Stack[Ply].Key);
    int32_t known;
    if (!pv && TableDecides(e, 0, nAlpha, nBeta, known)) return known;
    const bool inCheck = InCheckNow();
    if (Ply >= MaxSearchPly) return inCheck ? 0 : StaticEval();
    int32_t best = -Infinite, stand = -Infinite;
    if (!inCheck) {
        stand = best = StaticEval();
        if (stand >= nBeta) return stand;
        if (stand > nAlpha) nAlpha = stand;
    }
    MarkEnPassant();
    MoveList& list = Lists[Ply];
    CapturesOnly = !inCheck;
    if (inCheck)
        GenerateMoves(list);
    else
        GenerateCaptures(list);
    CapturesOnly = false;
    int32_t* scores = Scores[Ply];
    ScoreStrongMoves(list, scores, 0, true);
    int legal = 0;
    MoveRec bestMove{};
    for (int i = 0; i < list.Count; ++i) {
        MoveRec& m = PickNext(list, scores, i);
        if (!inCheck) {
            // A capture that cannot lift the score to alpha even unanswered, or that loses material.
            const int victim = m.EnPassant == 1 ? WhitePawn : Board[m.To];
            const int gain = (victim >= 1 && victim <= 12 ? ExchangeValue(victim) : 0) +
                             (m.Promotion != 0 ? ExchangeValue(m.Promotion) - 100 : 0);
            if (m.Promotion == 0 && stand + gain + 200 <= nAlpha) continue;
            if (StaticExchange(m) < 0) continue;
        }
        if (!MakeStrong(m, inCheck)) continue;
        ++legal;
        const int32_t score = -StrongQuiesce(-nBeta, -nAlpha);
        UnmakeStrong(m);
        if (Aborted) return 0;
        if (score > best) {
            best = score;
            if (score > nAlpha) {
                bestMove = m;
                nAlpha = score;
                UpdateLine(m);
                if (score >= nBeta) break;
            }
        }
    }
    if (inCheck && legal == 0) return Ply - Infinite;
    const Bound bound = best >= nBeta ? Bound::Lower : Bound::Upper;
    StrongTable.Store(Stack[Ply].Key, bestMove.From ? PackedMove(bestMove) : 0, ScoreToTable(best, Ply), 0,
                      bound);
    return best;
}

int32_t StrongAlphaBeta(int32_t nAlpha, int32_t nBeta, int nDepth, bool bNullAllowed) {
    if (nDepth <= 0) return StrongQuiesce(nAlpha, nBeta);
    CountStrongNode();
    if (Aborted) return 0;
    SelDepth = std::max(SelDepth, Ply);
    LineLength[Ply] = Ply;
    const bool pv = nBeta - nAlpha > 1;
    if (HalfmoveClock >= 100 || Repeated() || (Tracking && DeadDraw())) return DrawValue();
    // No line from here can beat a mate already found nearer the root.
    nAlpha = std::max(nAlpha, Ply - Infinite);
    nBeta = std::min(nBeta, Infinite - Ply - 1);
    if (nAlpha >= nBeta) return nAlpha;

    PlyState& s = Stack[Ply];
    const TTEntry* e = StrongTable.Probe(s.Key);
    const uint16_t hashMove = e ? e->Move : 0;
    int32_t known;
    if (!pv && TableDecides(e, nDepth, nAlpha, nBeta, known)) return known;
    const bool inCheck = InCheckNow();
    if (Ply >= MaxSearchPly) return inCheck ? 0 : StaticEval();
    if (inCheck) ++nDepth;
    s.Eval = inCheck ? -Infinite : StaticEval();
    Stack[Ply + 1].Killer[0] = Stack[Ply + 1].Killer[1] = MoveRec{};

    if (!pv && !inCheck && std::abs(nBeta) < MateScoreBound) {
        // Far above beta with little depth left: the opponent will not allow this.
        if (nDepth <= 6 && s.Eval - 85 * nDepth >= nBeta) return s.Eval;
        // Even passing keeps the score above beta: a move would too (not with pawns alone, for zugzwang).
        if (bNullAllowed && nDepth >= 3 && s.Eval >= nBeta && (!Tracking || HasPieces(WhiteToMove))) {
            const int r = 3 + nDepth / 4 + std::min((s.Eval - nBeta) / 200, 3);
            MakeNull();
            const int32_t score = -StrongAlphaBeta(-nBeta, -nBeta + 1, nDepth - 1 - r, false);
            UnmakeNull();
            if (Aborted) return 0;
            if (score >= nBeta) return score >= MateScoreBound ? nBeta : score;
        }
    }
    // Without a hash move a deep node is likely a new one: a shallower search orders it sooner.
    if (hashMove == 0 && nDepth >= 4 && !inCheck) --nDepth;

    MarkEnPassant();
    MoveList& list = Lists[Ply];
    CapturesOnly = false;
    GenerateMoves(list);
    int32_t* scores = Scores[Ply];
    ScoreStrongMoves(list, scores, hashMove, false);

    int32_t best = -Infinite;
    MoveRec bestMove{};
    int searched = 0;
    MoveRec quietsTried[64];
    int quiets = 0;
    const int32_t alphaAtStart = nAlpha;
    for (int i = 0; i < list.Count; ++i) {
        MoveRec& m = PickNext(list, scores, i);
        const bool quiet = !IsCapture(m) && m.Promotion == 0;
        const bool killer = SameMove(m, s.Killer[0]) || SameMove(m, s.Killer[1]);
        bool futile = false;
        if (searched > 0 && !inCheck && best > -MateScoreBound) {
            if (quiet && !killer && nDepth <= 8 && searched >= 3 + nDepth * nDepth) continue;
            if (!quiet && nDepth <= 5 && scores[i] < 0 && StaticExchange(m) < -100 * nDepth) continue;
            // Too far below alpha for a quiet move to matter, unless it gives check.
            futile = quiet && !killer && nDepth <= 6 && s.Eval + 90 + 100 * nDepth <= nAlpha;
        }
        if (!MakeStrong(m, inCheck)) continue;
        const bool givesCheck = InCheckNow();
        if (futile && !givesCheck) {
            UnmakeStrong(m);
            continue;
        }
        const int newDepth = nDepth - 1;
        int32_t score;
        if (searched == 0) {
            score = -StrongAlphaBeta(-nBeta, -nAlpha, newDepth, true);
        } else {
            int r = 0;
            if (nDepth >= 3 && searched >= (pv ? 3 : 2) && (quiet || scores[i] < 0) && !givesCheck) {
                r = Reduction[std::min(nDepth, 63)][std::min(searched, 63)];
                r -= pv + killer;
                // The move is made: its mover's history is that of the side not to move now.
                if (quiet) r -= History[WhiteToMove ? 1 : 0][m.From][m.To] / 6000;
                r = std::clamp(r, 0, newDepth - 1);
            }
            score = -StrongAlphaBeta(-nAlpha - 1, -nAlpha, newDepth - r, true);
            if (score > nAlpha && r > 0) score = -StrongAlphaBeta(-nAlpha - 1, -nAlpha, newDepth, true);
            if (score > nAlpha && score < nBeta) score = -StrongAlphaBeta(-nBeta, -nAlpha, newDepth, true);
        }
        UnmakeStrong(m);
        if (Aborted) return 0;
        ++searched;
        if (score > best) {
            best = score;
            if (score > nAlpha) {
                bestMove = m;
                nAlpha = score;
                UpdateLine(m);
                if (score >= nBeta) {
                    if (quiet) {
                        const int bonus = std::min(16 * nDepth * nDepth, 1600);
                        UpdateHistory(m, bonus);
                        for (int q = 0; q < quiets; ++q) UpdateHistory(quietsTried[q], -bonus);
                        if (!SameMove(m, s.Killer[0])) {
                            s.Killer[1] = s.Killer[0];
                            s.Killer[0] = m;
                        }
                    }
                    break;
                }
            }
        }
        if (quiet && quiets < 64) quietsTried[quiets++] = m;
    }
    if (searched == 0) return inCheck ? Ply - Infinite : DrawValue();
    const Bound bound = best >= nBeta ? Bound::Lower : nAlpha > alphaAtStart ? Bound::Exact : Bound::Upper;
    StrongTable.Store(s.Key, bestMove.From ? PackedMove(bestMove) : hashMove, ScoreToTable(best, Ply), nDepth,
                      bound);
    return best;
}

// ---- The root ----
struct RootMove {
    MoveRec Move;
    int32_t Score = -Infinite;
    int32_t Previous = -Infinite;
    std::vector<MoveRec> Line;
};
std::vector<RootMove> Root;

std::vector<MoveRec> LineFromRoot(const MoveRec& m) {
    std::vector<MoveRec> line{m};
    for (int c = 2; c < LineLength[2] && c < SearchPlies; ++c) line.push_back(Line[2][c]);
    return line;
}

ThinkingReport StrongReportOf(const RootMove& r, int nDepth, int nLine) {
    ThinkingReport t;
    t.Depth = t.Iteration = nDepth;
    t.Score = r.Score == -Infinite ? r.Previous : r.Score;
    t.Seconds = TimerSeconds() - MoveStartTime;
    t.Nodes = NodeCount;
    t.Line = r.Line;
    t.MultiPv = nLine;
    t.SelDepth = std::max(SelDepth - 1, nDepth);
    t.HashFull = StrongTable.HashFull();
    return t;
}

// Searches the root moves from nFirst on (those before are lines already chosen this iteration).
int32_t StrongRoot(int32_t nAlpha, int32_t nBeta, int nDepth, size_t nFirst, bool bReport) {
    int32_t best = -Infinite;
    const bool inCheck = InCheckNow();
    for (size_t i = nFirst; i < Root.size(); ++i) {
        RootMove& r = Root[i];
        MoveRec m = r.Move;
        Progress.MoveNumber.store(static_cast<int>(i + 1), std::memory_order_relaxed);
        Progress.Move.store(PackMove(m), std::memory_order_relaxed);
        Progress.Nodes.store(Nodes, std::memory_order_relaxed);
        if (Out && TimerSeconds() - SearchStart >= 1.0) Out->CurrentMove(m, static_cast<int>(i + 1), nDepth);
        MakeStrong(m, inCheck);
        int32_t score;
        if (i == nFirst) {
            score = -StrongAlphaBeta(-nBeta, -nAlpha, nDepth - 1, true);
        } else {
            score = -StrongAlphaBeta(-nAlpha - 1, -nAlpha, nDepth - 1, true);
            if (score > nAlpha && score < nBeta) score = -StrongAlphaBeta(-nBeta, -nAlpha, nDepth - 1, true);
        }
        UnmakeStrong(m);
        if (Aborted) break;
        if (i == nFirst || score > nAlpha) {
            r.Score = score;
            r.Line = LineFromRoot(m);
            if (score > nAlpha && i != nFirst && bReport && Out) Out->NewBest(StrongReportOf(r, nDepth, 1));
        } else {
            r.Score = -Infinite;
        }
        best = std::max(best, score);
        if (score > nAlpha) nAlpha = score;
        if (score >= nBeta) break;
    }
    return best;
}

void SortRoot(size_t nFirst) {
    std::stable_sort(Root.begin() + static_cast<long>(nFirst), Root.end(),
                     [](const RootMove& a, const RootMove& b) { return a.Score > b.Score; });
}

// One line at one depth, in windows that widen until the score falls inside.
void SearchLine(int nDepth, size_t nLine) {
    const int32_t previous = Root[nLine].Previous;
    int32_t delta = 16;
    int32_t alpha = -Infinite, beta = Infinite;
    if (nDepth >= 5 && std::abs(previous) < MateScoreBound) {
        alpha = std::max(previous - delta, -Infinite);
        beta = std::min(previous + delta, Infinite);
    }
    for (;;) {
        const int32_t score = StrongRoot(alpha, beta, nDepth, nLine, nLine == 0 && Task.MultiPv <= 1);
        SortRoot(nLine);
        if (Aborted) return;
        if (score <= alpha) {
            beta = (alpha + beta) / 2;
            alpha = std::max(score - delta, -Infinite);
        } else if (score >= beta) {
            beta = std::min(score + delta, Infinite);
        } else {
            return;
        }
        delta += delta / 2 + 8;
        if (delta > 1200) alpha = -Infinite, beta = Infinite;
    }
}

bool InSearchMoves(const MoveRec& m) {
    if (Task.SearchMoves.empty()) return true;
    for (const MoveRec& s : Task.SearchMoves)
        if (SameMove(s, m)) return true;
    return false;
}

// The legal root moves, the hash move first.
void GenerateRoot() {
    Root.clear();
    MarkEnPassant();
    MoveList& list = Lists[Ply];
    CapturesOnly = false;
    GenerateMoves(list);
    const TTEntry* e = StrongTable.Probe(Stack[Ply].Key);
    ScoreStrongMoves(list, Scores[Ply], e ? e->Move : 0, false);
    const bool inCheck = InCheckNow();
    for (int i = 0; i < list.Count; ++i) {
        MoveRec& m = PickNext(list, Scores[Ply], i);
        if (!InSearchMoves(m) || !MakeStrong(m, inCheck)) continue;
        UnmakeStrong(m);
        Root.push_back(RootMove{m, -Infinite, -Infinite, {m}});
    }
}

void StartSearchState() {
    InitReductions();
    if (StrongTable.Buckets() == 0) SetHashMegabytes(HashMegabytes());
    StrongTable.NewSearch();
    Nodes = 0;
    NextCheck = 1024;
    Aborted = false;
    MayAbort = false;
    SelDepth = 0;
    NodeCount = 0;
    QuiescenceNodes = 0;
    RootWhite = WhiteToMove;
    StartedPondering = Pondering.load();
    SearchStart = TimerSeconds();
    Times = StrongMoveTimes(Task.Endless);
    for (auto& side : History)
        for (auto& row : side)
            for (int32_t& h : row) h /= 2;
    for (PlyState& p : Stack) p.Killer[0] = p.Killer[1] = MoveRec{};
    GameKeys.clear();
    for (const auto& [text, count] : RepetitionTable)
        if (count >= 1) GameKeys.push_back(HashOfPositionKey(text));
    std::sort(GameKeys.begin(), GameKeys.end());
    Ply = 1;
    PlyState& root = Stack[1];
    root.Key = PositionHash();
    root.EnPassant = GhostSquare();
    root.Rights = CastleRights();
    root.Reversible = HalfmoveClock;
    PrepareEvaluation();
    StartTracking();
    Progress.Start.store(SearchStart, std::memory_order_relaxed);
    Progress.MoveCount.store(0, std::memory_order_relaxed);
}

// Whether to start another iteration: the soft limit, stretched while the best move keeps changing or the
// score falls.
bool TimeForAnother(double dInstability, int32_t nDrop) {
    // A fixed time per move is there to be used: the hard limit ends the search.
    if (!Times.Timed || Pondering.load(std::memory_order_relaxed) || Times.Soft >= Times.Hard) return true;
    double scale = 0.7 + 0.5 * dInstability;
    if (nDrop > 25) scale *= 1.3;
    if (nDrop > 60) scale *= 1.3;
    return TimerSeconds() - ClockStart() < Times.Soft * scale * 0.6;
}

// In timed play a mate found, for either side, with the depth well past its length: deeper iterations
// would only find the same.
bool MateSettled(int nDepth) {
    if (!Times.Timed || Pondering.load(std::memory_order_relaxed) || Root.empty()) return false;
    const int32_t s = std::abs(Root[0].Score);
    return s >= MateScoreBound && s < Infinite && nDepth >= (Infinite - s) + 2;
}

bool MateLimitReached() {
    return Task.MateMoves > 0 && !Root.empty() && MateWithin(Root[0].Score, Task.MateMoves);
}

// The game-end code the chosen move calls for.
void JudgeGame(const MoveRec& best, int32_t nScore) {
    RootFacts facts;
    facts.Score = nScore;
    facts.ClaimsFifty = HalfmoveClock > 100 && !ResetsFiftyCount(best);
    MoveRec m = best;
    MakeMove(m);
    const auto it = RepetitionTable.find(PositionKey());
    facts.ThirdTime = it != RepetitionTable.end() && it->second == 2;
    UnmakeMove(m);
    GameResult = GameVerdict(GameResult, facts);
}

}  // namespace

SearchResult StrongThink(const SearchRequest& asked, const StrengthLimit& strength, SearchReporter& report) {
    Out = &report;
    Task = asked;
    SearchResult result;
    const int plyAtEntry = Ply;
    uint8_t saved[BoardSize];
    std::memcpy(saved, Board, sizeof saved);
    StartSearchState();
    GenerateRoot();
    Progress.MoveCount.store(static_cast<int>(Root.size()), std::memory_order_relaxed);
    if (Root.empty()) {
        Tracking = false;
        Ply = plyAtEntry;
        GameResult = NoMoveVerdict();
        Out = nullptr;
        return result;
    }
    // Below full strength (never in analysis): fewer nodes, and the move drawn among several lines.
    const bool weaker = strength.On;
    NodeLimit = Task.NodeLimit;
    if (weaker) NodeLimit = NodeLimit > 0 ? std::min(NodeLimit, strength.NodeLimit) : strength.NodeLimit;
    const int shown = std::clamp(Task.MultiPv, 1, static_cast<int>(Root.size()));
    const int lines = weaker ? std::clamp(strength.Lines, shown, static_cast<int>(Root.size())) : shown;
    const int maxDepth = FixedDepthMode() ? std::clamp(MaxDepth, 1, StrongMaxDepth) : StrongMaxDepth;
    RootMove chosen = Root[0];
    std::vector<RootMove> finished;  // the lines of the last complete iteration, best first
    double instability = 0;
    int depth = 1;
    for (; depth <= maxDepth; ++depth) {
        Progress.Iteration.store(depth, std::memory_order_relaxed);
        for (RootMove& r : Root) r.Previous = r.Score;
        for (size_t line = 0; line < static_cast<size_t>(lines) && !Aborted; ++line) SearchLine(depth, line);
        // A stopped iteration still counts where its first line found a better move with a full window.
        const bool complete = !Aborted;
        if (complete || (Root[0].Score != -Infinite && Root[0].Score > chosen.Score && lines == 1 &&
                         !SameMove(Root[0].Move, chosen.Move))) {
            const bool changed = !SameMove(Root[0].Move, chosen.Move);
            const int32_t drop = chosen.Score - Root[0].Score;
            instability = instability / 2 + (changed ? 1 : 0);
            chosen = Root[0];
            if (complete) {
                for (int k = 0; k < shown; ++k) report.IterationDone(StrongReportOf(Root[k], depth, k + 1));
                finished.assign(Root.begin(), Root.begin() + lines);
                result.Score = chosen.Score;
            }
            MayAbort = true;
            if (complete && depth > 1 && !TimeForAnother(instability, depth > 4 ? drop : 0)) break;
        }
        if (Aborted || MateLimitReached() || MateSettled(depth)) break;
        if (Root.size() == 1 && Times.Timed && !Pondering.load()) break;  // the only move: play it now
    }
    if (weaker && finished.size() > 1) {
        std::vector<int32_t> scores;
        for (const RootMove& r : finished) scores.push_back(r.Score);
        chosen = finished[StrengthPick(strength.Margin, scores, StrengthRandom())];
    }
    Tracking = false;
    HoldMove(Task.Endless);
    result.Seconds = static_cast<int>(std::max(0.0, TimerSeconds() - SearchStart));
    JudgeGame(chosen.Move, chosen.Score);
    std::memcpy(Board, saved, sizeof saved);  // the square behind a double step, which unmaking clears
    Ply = plyAtEntry;
    Out = nullptr;
    result.Move = chosen.Move;
    return result;
}
