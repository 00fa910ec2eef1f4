// SPDX-License-Identifier: GPL-3.0-or-later
// The root: iterative deepening, each line in aspiration windows that widen until the score falls inside,
// several lines one after the other (each over the root moves not chosen yet), and the main worker's duties:
// the reports, the clock, the stop requests and the decision to start another iteration.
#include <algorithm>

#include "board/GamePosition.h"
#include "platform/Platform.h"
#include "search/strong/Worker.h"

namespace strong {

using namespace bitboard;

Worker::Worker(Engine& engine, int nIndex)
    : engine_(engine), index_(nIndex), histories_(std::make_unique<Histories>()) {
    histories_->Clear();
}

void Worker::NewGame() {
    histories_->Clear();
}

void Worker::Prepare(const Position& root, const std::vector<RootMove>& rootMoves, const SearchTask& task) {
    root_ = pos_ = root;
    rootSide_ = root.SideToMove();
    drawScore_ = task.Asked->DrawScore;
    task_ = &task;
    rootMoves_ = rootMoves;
    chosen_ = rootMoves_.front();
    completedDepth_ = 0;
    ply_ = 0;
    for (Ply& p : stack_) p = Ply{};
    selDepth_ = 0;
    nodes_.store(0, std::memory_order_relaxed);
    untilCheck_ = 1024;
    stopped_ = false;
    mayStop_ = false;
}

// ---- The main worker's watch ----

bool Worker::Pondering() const {
    return task_->Watching.Pondering && task_->Watching.Pondering->load(std::memory_order_relaxed);
}

// The clock runs from the ponder hit, or from the turn's start (when the opponent's move was read); a stale
// or missing start counts from the search's own.
double Worker::ClockStart() const {
    if (task_->StartedPondering && task_->Watching.PonderHitTime)
        return task_->Watching.PonderHitTime->load();
    const double start = task_->Asked->Start, search = task_->SearchStart;
    return start > 0 && start <= search && search - start < 1 ? start : search;
}

// Every thousand nodes or so: helpers look whether the main worker is done; the main worker whether it must
// end (stopped, out of time, out of nodes), once it has a move to play.
void Worker::CheckStop() {
    untilCheck_ = 1024;
    if (!IsMain()) {
        if (engine_.stopAll_.load(std::memory_order_relaxed)) stopped_ = true;
        return;
    }
    uint64_t nodes = 0;
    for (const auto& w : engine_.workers_) nodes += w->Nodes();
    if (SearchProgress* p = task_->Watching.Progress)
        p->Nodes.store(static_cast<int64_t>(nodes), std::memory_order_relaxed);
    if (!mayStop_) return;
    const Limits& asked = *task_->Asked;
    const std::atomic<bool>* outside = task_->Watching.Stop;
    if (engine_.stop_.load(std::memory_order_relaxed) ||
        (outside && outside->load(std::memory_order_relaxed)) ||
        (asked.Nodes > 0 && nodes >= static_cast<uint64_t>(asked.Nodes)) ||
        (asked.Timed && !Pondering() && TimerSeconds() - ClockStart() >= task_->Times.Hard))
        stopped_ = true;
}

// ---- Reports ----

std::vector<MoveRec> Worker::RecordsOf(const std::vector<Move>& line) const {
    std::vector<MoveRec> records;
    Position pos = root_;
    for (Move m : line) {
        if (!pos.IsPseudoLegal(m) || !pos.IsLegal(m)) break;
        records.push_back(MoveRecOf(pos, m));
        Undo undo;
        pos.Make(m, undo);
    }
    return records;
}

ThinkingReport Worker::ReportOf(const RootMove& r, int nDepth, int nLine) const {
    ThinkingReport t;
    t.Depth = t.Iteration = nDepth;
    t.Score = ReportedScore(r.Score == -Infinite ? r.Previous : r.Score);
    const double start = task_->Asked->Start > 0 ? task_->Asked->Start : task_->SearchStart;
    t.Seconds = TimerSeconds() - start;
    for (const auto& w : engine_.workers_) t.Nodes += static_cast<int64_t>(w->Nodes());
    t.Line = RecordsOf(r.Line);
    t.MultiPv = nLine;
    t.SelDepth = std::max(selDepth_, nDepth);
    t.HashFull = engine_.table_->HashFull();
    t.Hundredths = true;
    return t;
}

// ---- The root ----

// Searches the root moves from nFirst on (those before are lines already chosen this iteration).
int Worker::SearchRootMoves(int nAlpha, int nBeta, int nDepth, size_t nFirst) {
    int best = -Infinite;
    SearchReporter* report = IsMain() ? task_->Report : nullptr;
    SearchProgress* progress = IsMain() ? task_->Watching.Progress : nullptr;
    const bool reportBest = report && nFirst == 0 && task_->Asked->MultiPv <= 1;
    for (size_t i = nFirst; i < rootMoves_.size(); ++i) {
        RootMove& r = rootMoves_[i];
        const Move m = r.Move;
        if (progress) {
            progress->MoveNumber.store(static_cast<int>(i + 1), std::memory_order_relaxed);
            progress->Move.store(PackMove(MoveRecOf(root_, m)), std::memory_order_relaxed);
        }
        if (report && TimerSeconds() - task_->SearchStart >= 1.0)
            report->CurrentMove(MoveRecOf(root_, m), static_cast<int>(i + 1), nDepth);
        lineLength_[1] = 1;
        Undo undo;
        MakeMove(m, undo);
        int score;
        if (i == nFirst) {
            score = -SearchNode(-nBeta, -nAlpha, nDepth - 1, false);
        } else {
            score = -SearchNode(-nAlpha - 1, -nAlpha, nDepth - 1, true);
            if (score > nAlpha && score < nBeta) score = -SearchNode(-nBeta, -nAlpha, nDepth - 1, false);
        }
        UnmakeMove(m, undo);
        if (stopped_) break;
        if (i == nFirst || score > nAlpha) {
            r.Score = score;
            r.Line.assign(1, m);
            for (int c = 1; c < lineLength_[1]; ++c) r.Line.push_back(lines_[1][c]);
            if (score > nAlpha && i != nFirst && reportBest) report->NewBest(ReportOf(r, nDepth, 1));
        } else {
            r.Score = -Infinite;
        }
        best = std::max(best, score);
        nAlpha = std::max(nAlpha, score);
        if (score >= nBeta) break;
    }
    return best;
}

void Worker::SortRootMoves(size_t nFirst) {
    std::stable_sort(rootMoves_.begin() + static_cast<long>(nFirst), rootMoves_.end(),
                     [](const RootMove& a, const RootMove& b) { return a.Score > b.Score; });
}

// One line at one depth, in windows that widen until the score falls inside.
void Worker::SearchLine(int nDepth, size_t nLine) {
    rootDepth_ = nDepth;
    const int previous = rootMoves_[nLine].Previous;
    int delta = 16;
    int alpha = -Infinite, beta = Infinite;
    if (nDepth >= 5 && !IsMate(previous) && previous != -Infinite) {
        alpha = std::max(previous - delta, -Infinite);
        beta = std::min(previous + delta, Infinite);
    }
    for (;;) {
        const int score = SearchRootMoves(alpha, beta, nDepth, nLine);
        SortRootMoves(nLine);
        if (stopped_) return;
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

// The main worker, after an iteration (or one cut short whose first line found a better move): takes the
// best line, reports, and says whether the search is over.
bool Worker::DecideAfterIteration(int nDepth, bool bComplete, int nLines, double& dInstability) {
    const RootMove& first = rootMoves_[0];
    const bool better =
        first.Score != -Infinite && first.Score > chosen_.Score && nLines == 1 && first.Move != chosen_.Move;
    const Limits& asked = *task_->Asked;
    const bool timed = asked.Timed && !Pondering();
    if (bComplete || better) {
        const bool changed = first.Move != chosen_.Move;
        const int drop = chosen_.Score - first.Score;
        dInstability = dInstability / 2 + (changed ? 1 : 0);
        chosen_ = first;
        if (bComplete) {
            completedDepth_ = nDepth;
            if (task_->Report) {
                const int shown = std::clamp(asked.MultiPv, 1, static_cast<int>(rootMoves_.size()));
                for (int k = 0; k < shown; ++k)
                    task_->Report->IterationDone(ReportOf(rootMoves_[k], nDepth, k + 1));
            }
        }
        mayStop_ = true;
        CheckStop();  // a stop that came before the move was known ends the search now
        if (bComplete && nDepth > 1 && timed &&
            !AnotherIteration(task_->Times, TimerSeconds() - ClockStart(), dInstability,
                              nDepth > 4 ? drop : 0))
            return true;
    }
    if (stopped_) return true;
    const int reported = ReportedScore(chosen_.Score);
    if (asked.MateMoves > 0 && MateWithin(reported, asked.MateMoves)) return true;
    // In timed play a mate found, for either side, with the depth well past its length: deeper iterations
    // would only find the same.
    if (timed && IsMate(chosen_.Score) && chosen_.Score != -Infinite &&
        nDepth >= Mate - std::abs(chosen_.Score) + 2)
        return true;
    return rootMoves_.size() == 1 && timed;  // the only move: play it now
}

void Worker::Deepen() {
    const Limits& asked = *task_->Asked;
    const int count = static_cast<int>(rootMoves_.size());
    const int shown = std::clamp(asked.MultiPv, 1, count);
    const int lines = asked.StrengthLines > 0 ? std::clamp(asked.StrengthLines, shown, count) : shown;
    const int maxDepth = asked.Depth > 0 ? std::min(asked.Depth, MaxIteration) : MaxIteration;
    std::vector<RootMove> finished;  // the main worker's lines of the last complete iteration
    double instability = 0;
    for (int depth = 1; depth <= maxDepth; ++depth) {
        if (IsMain() && task_->Watching.Progress)
            task_->Watching.Progress->Iteration.store(depth, std::memory_order_relaxed);
        for (RootMove& r : rootMoves_) r.Previous = r.Score;
        for (int line = 0; line < lines && !stopped_; ++line) SearchLine(depth, static_cast<size_t>(line));
        if (!IsMain()) {
            if (stopped_) return;
            continue;
        }
        const bool complete = !stopped_;
        if (complete) finished.assign(rootMoves_.begin(), rootMoves_.begin() + lines);
        if (DecideAfterIteration(depth, complete, lines, instability)) break;
    }
    if (!IsMain() || asked.StrengthLines == 0 || finished.size() < 2) return;
    // Below full strength: the move drawn among the lines of the last complete iteration.
    std::vector<int32_t> scores;
    for (const RootMove& r : finished) scores.push_back(ReportedScore(r.Score));
    chosen_ = finished[StrengthPick(asked.StrengthMargin, scores, StrengthRandom())];
}

}  // namespace strong
