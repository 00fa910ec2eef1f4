// SPDX-License-Identifier: GPL-3.0-or-later
// Below the root: a principal-variation search, fail-soft, over the hash table, with mate distance pruning,
// reverse futility, null move, internal iterative reduction, late-move pruning, futility and exchange
// pruning of moves never made, late-move reductions, a check extension and a singular extension; then a
// capture search. Draws by repetition (of the line or the game), the fifty-move rule and bare kings.
#include <algorithm>
#include <array>
#include <cmath>

#include "search/strong/Exchange.h"
#include "search/strong/MovePicker.h"
#include "search/strong/Worker.h"

namespace strong {

using namespace bitboard;

namespace {

// Plies a late move is reduced by, by depth and by how many moves came before it.
const auto kReductions = [] {
    std::array<std::array<uint8_t, 64>, 64> r{};
    for (int d = 1; d < 64; ++d)
        for (int m = 1; m < 64; ++m) r[d][m] = static_cast<uint8_t>(0.75 + std::log(d) * std::log(m) / 2.25);
    return r;
}();

// The hash entry's bound settles the window: its score is the node's.
bool BoundDecides(const HashHit& hit, int nScore, int nAlpha, int nBeta) {
    return hit.Kind == Bound::Exact || (hit.Kind == Bound::Lower && nScore >= nBeta) ||
           (hit.Kind == Bound::Upper && nScore <= nAlpha);
}

// The key after a move, near enough to fetch its bucket early: castling rights are left as they were.
uint64_t KeyAfter(const Position& pos, Move m) {
    const SquareKeys& k = kSquareKeys;
    const Piece moved = pos.MovedPiece(m);
    uint64_t key = pos.Key() ^ k.BlackToMove ^ k.Piece[moved][m.From()] ^ k.Piece[moved][m.To()] ^
                   k.EnPassant[pos.EnPassantSquare()];
    if (const Piece victim = pos.PieceOn(m.To()); victim != NoPiece) key ^= k.Piece[victim][m.To()];
    return key;
}

}  // namespace

void Worker::CountNode() {
    nodes_.store(nodes_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    if (--untilCheck_ <= 0) CheckStop();
    // A node limit is exact with one thread: the same search stops at the same node.
    if (IsMain() && mayStop_ && task_->Asked->Nodes > 0 &&
        Nodes() >= static_cast<uint64_t>(task_->Asked->Nodes) && engine_.workers_.size() == 1)
        stopped_ = true;
}

// The fifty-move count draws once it reaches 100 plies, unless the last of them mated.
bool Worker::FiftyMoveDraw() const {
    if (pos_.Fifty() < 100) return false;
    if (!pos_.InCheck()) return true;
    Move moves[MaxMoves];
    return GenerateLegal(pos_, moves) != moves;
}

bool Worker::DeadDraw() const {
    return pos_.Pieces(Pawn) == 0 && pos_.Pieces(Rook, Queen) == 0 &&
           !MoreThanOne(pos_.Pieces(Knight, Bishop));
}

void Worker::MakeMove(Move m, Undo& undo) {
    engine_.table_->Prefetch(KeyAfter(pos_, m));
    Ply& here = At(ply_);
    here.Move = m;
    here.Moved = pos_.MovedPiece(m);
    here.FollowUp = &histories_->FollowUp[here.Moved][m.To()];
    pos_.Make(m, undo);
    ++ply_;
}

void Worker::UnmakeMove(Move m, const Undo& undo) {
    --ply_;
    pos_.Unmake(m, undo);
}

void Worker::UpdateLine(Move m) {
    const int p = ply_;
    lines_[p][p] = m;
    for (int c = p + 1; c < lineLength_[p + 1]; ++c) lines_[p][c] = lines_[p + 1][c];
    lineLength_[p] = std::max(lineLength_[p + 1], p + 1);
}

// A searched move's score against the node's best and window: the best, alpha, the best move and the line
// follow it; true when it cuts off.
bool Worker::Raise(int nScore, Move m, bool bPvNode, int nBeta, int& nBest, int& nAlpha, Move& bestMove) {
    if (nScore <= nBest) return false;
    nBest = nScore;
    if (nScore <= nAlpha) return false;
    bestMove = m;
    nAlpha = nScore;
    if (bPvNode) UpdateLine(m);
    return nScore >= nBeta;
}

// The move that cut off gains, the moves tried before it lose: quiet moves in the histories by squares and
// after the last two moves, captures in the capture history; a quiet move becomes a killer and the counter
// move to the move before it.
void Worker::RewardCutoff(Move best, int nDepth, const Move* quiets, int nQuiets, const Move* captures,
                          int nCaptures) {
    Histories& h = *histories_;
    const int bonus = HistoryBonus(nDepth);
    const Colour us = pos_.SideToMove();
    FollowUpTable* const followUps[2] = {At(ply_ - 1).FollowUp, At(ply_ - 2).FollowUp};
    auto quietBonus = [&](Move m, int b) {
        AddBonus(h.Quiet[us][m.From()][m.To()], b);
        const Piece p = pos_.MovedPiece(m);
        for (FollowUpTable* f : followUps)
            if (f) AddBonus((*f)[p][m.To()], b);
    };
    auto captureBonus = [&](Move m, int b) {
        AddBonus(h.Capture[pos_.MovedPiece(m)][m.To()][TypeOf(pos_.CapturedPiece(m))], b);
    };
    if (!pos_.IsCaptureOrPromotion(best)) {
        quietBonus(best, bonus);
        for (int i = 0; i < nQuiets; ++i) quietBonus(quiets[i], -bonus);
        Ply& here = At(ply_);
        if (here.Killers[0] != best) {
            here.Killers[1] = here.Killers[0];
            here.Killers[0] = best;
        }
        const Ply& before = At(ply_ - 1);
        if (before.Move.IsReal()) h.Counter[before.Moved][before.Move.To()] = best;
    } else {
        captureBonus(best, bonus);
    }
    for (int i = 0; i < nCaptures; ++i) captureBonus(captures[i], -bonus);
}

// The best any move but the hash move reaches, searched to half the depth with a null window at nBound.
int Worker::RivalsScore(Move hashMove, int nBound, int nDepth, bool bCutNode) {
    Ply& here = At(ply_);
    here.Excluded = hashMove;
    const int score = SearchNode(nBound - 1, nBound, (nDepth - 1) / 2, bCutNode);
    here.Excluded = NoMove;
    return score;
}

// Every node begins so: counted, its line emptied, its ply noted as reached; false once the search stops.
bool Worker::EnterNode() {
    CountNode();
    lineLength_[ply_] = ply_;
    selDepth_ = std::max(selDepth_, ply_);
    return !stopped_;
}

int Worker::SearchNode(int nAlpha, int nBeta, int nDepth, bool bCutNode) {
    if (nDepth <= 0) return CaptureSearch(nAlpha, nBeta);
    if (!EnterNode()) return 0;
    const int ply = ply_;
    const bool pvNode = nBeta - nAlpha > 1;
    if (FiftyMoveDraw() || pos_.Repeats() || DeadDraw()) return DrawValue();
    const bool inCheck = pos_.InCheck();
    if (ply >= MaxPly) return inCheck ? 0 : Evaluate();
    // No line from here can beat a mate already found nearer the root.
    nAlpha = std::max(nAlpha, MatedAt(ply));
    nBeta = std::min(nBeta, MateAt(ply + 1));
    if (nAlpha >= nBeta) return nAlpha;

    Ply& here = At(ply);
    // Searching the hash move's rivals: the entry is the whole node's, so it neither decides nor is written.
    const Move excluded = here.Excluded;
    HashHit hit;
    const bool hashed = engine_.table_->Probe(pos_.Key(), hit);
    const int hashScore = hashed ? ScoreFromTable(hit.Score, ply) : NoScore;
    if (!pvNode && hashed && excluded == NoMove && hit.Depth >= nDepth &&
        BoundDecides(hit, hashScore, nAlpha, nBeta))
        return hashScore;

    At(ply + 1).Killers[0] = At(ply + 1).Killers[1] = NoMove;
    int eval = NoScore;
    if (inCheck) {
        here.StaticEval = NoScore;
        ++nDepth;
    } else {
        here.StaticEval = eval = hashed && hit.Eval != NoScore ? hit.Eval : Evaluate();
        // A bound of the hash table on the same side says more than the static evaluation.
        if (hashed && hit.Kind != (hashScore > eval ? Bound::Upper : Bound::Lower)) eval = hashScore;
    }
    const bool improving =
        !inCheck && (At(ply - 2).StaticEval == NoScore || here.StaticEval > At(ply - 2).StaticEval);

    if (!pvNode && !inCheck && excluded == NoMove && !IsMate(nBeta)) {
        // Far above beta with little depth left: the opponent will not allow this.
        // (Not on a win known to the evaluation: the search is to find the mate.)
        if (nDepth <= 6 && eval - 85 * (nDepth - improving) >= nBeta && eval < eval::KnownWin) return eval;
        // Even passing keeps the score above beta: a move would too (not with pawns alone, for zugzwang).
        if (At(ply - 1).Move != NullMove && nDepth >= 3 && eval >= nBeta && here.StaticEval >= nBeta &&
            pos_.HasPieces(pos_.SideToMove())) {
            const int r = 3 + nDepth / 4 + std::min((eval - nBeta) / 200, 3);
            Undo undo;
            here.Move = NullMove;
            here.Moved = NoPiece;
            here.FollowUp = nullptr;
            pos_.MakeNull(undo);
            ++ply_;
            const int score = -SearchNode(-nBeta, -nBeta + 1, nDepth - 1 - r, !bCutNode);
            --ply_;
            pos_.UnmakeNull(undo);
            if (stopped_) return 0;
            if (score >= nBeta) return IsMate(score) ? nBeta : score;
        }
    }
    // Without a hash move a deep node is likely a new one: a shallower search orders it sooner.
    Move hashMove = hashed ? hit.Move : NoMove;
    if (hashMove == NoMove && nDepth >= 4 && !inCheck) --nDepth;

    Ordering ordering;
    ordering.Killers[0] = here.Killers[0];
    ordering.Killers[1] = here.Killers[1];
    const Ply& before = At(ply - 1);
    if (before.Move.IsReal()) ordering.Counter = histories_->Counter[before.Moved][before.Move.To()];
    ordering.FollowUps[0] = before.FollowUp;
    ordering.FollowUps[1] = At(ply - 2).FollowUp;
    MovePicker picker(pos_, hashMove, *histories_, ordering);

    // A deep hash move that held at about this depth may be the only move: worth a look at its rivals.
    const bool maySingular = excluded == NoMove && hashMove != NoMove && nDepth >= 8 &&
                             hit.Depth >= nDepth - 3 && hit.Kind != Bound::Upper && !IsMate(hashScore) &&
                             ply < 2 * rootDepth_;
    const int alphaAtStart = nAlpha;
    int best = -Infinite, moveCount = 0, searched = 0, nQuiets = 0, nCaptures = 0;
    Move bestMove = NoMove, quiets[64], captures[32];
    const Colour us = pos_.SideToMove();
    for (Move m; (m = picker.Next()) != NoMove;) {
        if (m == excluded) continue;
        ++moveCount;
        const bool quiet = !pos_.IsCaptureOrPromotion(m);
        const bool killer = m == ordering.Killers[0] || m == ordering.Killers[1] || m == ordering.Counter;
        const bool givesCheck = pos_.GivesCheck(m);
        const bool losing = picker.GaveLosingCapture();
        if (searched > 0 && !inCheck && best > -MateBound) {
            if (quiet && !killer && !givesCheck) {
                // Late quiet moves of a shallow node are not worth searching.
                if (nDepth <= 8 && searched >= (3 + nDepth * nDepth) / (2 - improving)) continue;
                // Too far below alpha for a quiet move to matter.
                if (nDepth <= 6 && eval + 90 + 100 * nDepth <= nAlpha) continue;
            }
            if (!quiet && losing && nDepth <= 5 && !ExchangeAtLeast(pos_, m, -100 * nDepth)) continue;
            if (quiet && nDepth <= 6 && !ExchangeAtLeast(pos_, m, -25 * nDepth * nDepth)) continue;
        }
        int extension = 0;
        if (maySingular && m == hashMove) {
            const int bound = hashScore - 2 * nDepth;
            const int rivals = RivalsScore(m, bound, nDepth, bCutNode);
            if (stopped_) return 0;
            // Alone in holding the node: a ply deeper. Rivals that beat beta too: the node fails high.
            if (rivals < bound)
                extension = 1;
            else if (bound >= nBeta)
                return bound;
        }
        Undo undo;
        MakeMove(m, undo);
        const int newDepth = nDepth - 1 + extension;
        int score;
        if (searched == 0) {
            score = -SearchNode(-nBeta, -nAlpha, newDepth, false);
        } else {
            int r = 0;
            if (nDepth >= 3 && searched >= (pvNode ? 3 : 2) && (quiet || losing) && !givesCheck) {
                r = kReductions[std::min(nDepth, 63)][std::min(searched, 63)];
                r -= pvNode + killer;
                r += bCutNode + !improving;
                if (quiet) {
                    int history = histories_->Quiet[us][m.From()][m.To()];
                    for (const FollowUpTable* f : ordering.FollowUps)
                        if (f) history += (*f)[At(ply).Moved][m.To()];
                    r -= history / 8192;
                }
                r = std::clamp(r, 0, newDepth - 1);
            }
            score = -SearchNode(-nAlpha - 1, -nAlpha, newDepth - r, true);
            if (score > nAlpha && r > 0) score = -SearchNode(-nAlpha - 1, -nAlpha, newDepth, !bCutNode);
            if (pvNode && score > nAlpha && score < nBeta)
                score = -SearchNode(-nBeta, -nAlpha, newDepth, false);
        }
        UnmakeMove(m, undo);
        if (stopped_) return 0;
        ++searched;
        if (Raise(score, m, pvNode, nBeta, best, nAlpha, bestMove)) {
            RewardCutoff(m, nDepth, quiets, nQuiets, captures, nCaptures);
            break;
        }
        if (quiet && nQuiets < 64)
            quiets[nQuiets++] = m;
        else if (!quiet && nCaptures < 32)
            captures[nCaptures++] = m;
    }
    if (moveCount == 0) return excluded != NoMove ? nAlpha : inCheck ? MatedAt(ply) : DrawValue();
    const Bound bound = best >= nBeta ? Bound::Lower : nAlpha > alphaAtStart ? Bound::Exact : Bound::Upper;
    if (excluded == NoMove)
        engine_.table_->Store(pos_.Key(), bestMove, ScoreToTable(best, ply), here.StaticEval, nDepth, bound);
    return best;
}

int Worker::CaptureSearch(int nAlpha, int nBeta) {
    if (!EnterNode()) return 0;
    const int ply = ply_;
    const bool pvNode = nBeta - nAlpha > 1;
    if (FiftyMoveDraw() || DeadDraw()) return DrawValue();
    HashHit hit;
    const bool hashed = engine_.table_->Probe(pos_.Key(), hit);
    const int hashScore = hashed ? ScoreFromTable(hit.Score, ply) : NoScore;
    if (!pvNode && hashed && BoundDecides(hit, hashScore, nAlpha, nBeta)) return hashScore;
    const bool inCheck = pos_.InCheck();
    if (ply >= MaxPly) return inCheck ? 0 : Evaluate();

    int best = -Infinite, stand = NoScore, rawEval = NoScore;
    if (!inCheck) {
        rawEval = stand = hashed && hit.Eval != NoScore ? hit.Eval : Evaluate();
        if (hashed && hit.Kind != (hashScore > stand ? Bound::Upper : Bound::Lower)) stand = hashScore;
        best = stand;
        if (stand >= nBeta) {
            if (!hashed)
                engine_.table_->Store(pos_.Key(), NoMove, ScoreToTable(stand, ply), rawEval, 0, Bound::Lower);
            return stand;
        }
        nAlpha = std::max(nAlpha, stand);
    }
    MovePicker picker(pos_, hashed ? hit.Move : NoMove, *histories_);
    const int alphaAtStart = nAlpha;
    int moveCount = 0;
    Move bestMove = NoMove;
    for (Move m; (m = picker.Next()) != NoMove;) {
        ++moveCount;
        if (!inCheck) {
            // A capture that cannot lift the score to alpha even unanswered, or that loses material.
            const int gain = ExchangeValue(TypeOf(pos_.CapturedPiece(m)));
            if (!m.IsPromotion() && stand + gain + 200 <= nAlpha) continue;
            if (!ExchangeAtLeast(pos_, m, 0)) continue;
        }
        Undo undo;
        MakeMove(m, undo);
        const int score = -CaptureSearch(-nBeta, -nAlpha);
        UnmakeMove(m, undo);
        if (stopped_) return 0;
        if (Raise(score, m, pvNode, nBeta, best, nAlpha, bestMove)) break;
    }
    if (inCheck && moveCount == 0) return MatedAt(ply);
    const Bound bound = best >= nBeta ? Bound::Lower : nAlpha > alphaAtStart ? Bound::Exact : Bound::Upper;
    engine_.table_->Store(pos_.Key(), bestMove, ScoreToTable(best, ply), rawEval, 0, bound);
    return best;
}

}  // namespace strong
