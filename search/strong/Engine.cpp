// SPDX-License-Identifier: GPL-3.0-or-later
// One search of the engine: the root's legal moves (the hash move first), every worker given the root,
// the helpers woken, the main worker searching on the caller's thread, then every helper stopped and waited
// for before the answer leaves.
#include "search/strong/Engine.h"

#include "platform/Platform.h"
#include "search/strong/HashTable.h"
#include "search/strong/MovePicker.h"
#include "search/strong/Threads.h"
#include "search/strong/Worker.h"

namespace strong {

using namespace bitboard;

Engine::Engine() : table_(std::make_unique<HashTable>()) {
    SetThreads(1);
}

Engine::~Engine() = default;

bool Engine::SetHashMegabytes(int nMegabytes) {
    if (nMegabytes < 1) return false;
    const bool wasTouched = table_->Touched();
    if (!table_->Resize(static_cast<size_t>(nMegabytes))) return false;
    if (wasTouched) table_->Clear();
    return true;
}

int Engine::HashMegabytes() const {
    return static_cast<int>(table_->Megabytes());
}

void Engine::PrepareTable() {
    if (!table_->Touched()) table_->Clear();
}

void Engine::SetThreads(int nThreads) {
    nThreads = std::clamp(nThreads, 1, MaxThreads);
    if (nThreads == Threads()) return;
    helpers_.reset();  // joins the helpers before their workers go
    workers_.clear();
    for (int i = 0; i < nThreads; ++i) workers_.push_back(std::make_unique<Worker>(*this, i));
    helpers_ = std::make_unique<HelperThreads>(nThreads - 1);
}

int Engine::Threads() const {
    return static_cast<int>(workers_.size());
}

void Engine::NewGame() {
    if (table_->Touched()) table_->Clear();
    for (auto& w : workers_) w->NewGame();
}

namespace {
// The legal root moves to search, in the order a node would try them: the hash move first.
std::vector<RootMove> RootMovesOf(const Position& root, const std::vector<Move>& only, const HashTable& table,
                                  const Histories& histories) {
    HashHit hit;
    const Move hashMove = table.Probe(root.Key(), hit) ? hit.Move : NoMove;
    MovePicker picker(root, hashMove, histories, Ordering{});
    std::vector<RootMove> moves;
    for (Move m; (m = picker.Next()) != NoMove;)
        if (only.empty() || std::find(only.begin(), only.end(), m) != only.end())
            moves.push_back(RootMove{m, -Infinite, -Infinite, {m}});
    return moves;
}
}  // namespace

Outcome Engine::Search(const Position& root, const Limits& limits, SearchReporter* report,
                       const Watch& watch) {
    stop_.store(false, std::memory_order_relaxed);
    stopAll_.store(false, std::memory_order_relaxed);
    table_->NewSearch();
    SearchTask task;
    task.Asked = &limits;
    task.Watching = watch;
    task.Report = report;
    task.SearchStart = TimerSeconds();
    task.StartedPondering = watch.Pondering && watch.Pondering->load();
    if (limits.Timed) task.Times = TimesFor(limits.Clock);
    if (watch.Progress) {
        watch.Progress->Start.store(task.SearchStart, std::memory_order_relaxed);
        watch.Progress->MoveCount.store(0, std::memory_order_relaxed);
    }

    Outcome outcome;
    const std::vector<RootMove> rootMoves =
        RootMovesOf(root, limits.RootMoves, *table_, workers_[0]->History());
    if (watch.Progress)
        watch.Progress->MoveCount.store(static_cast<int>(rootMoves.size()), std::memory_order_relaxed);
    if (rootMoves.empty()) {
        outcome.Score = root.InCheck() ? -ScoreInfinity : 0;
        return outcome;
    }
    for (auto& w : workers_) w->Prepare(root, rootMoves, task);
    helpers_->Start([this](int nIndex) { workers_[static_cast<size_t>(nIndex)]->Deepen(); });
    Worker& main = *workers_[0];
    main.Deepen();
    stopAll_.store(true, std::memory_order_relaxed);
    helpers_->Wait();

    const RootMove& chosen = main.Chosen();
    outcome.Best = chosen.Move;
    outcome.Score = ReportedScore(chosen.Score == -Infinite ? chosen.Previous : chosen.Score);
    outcome.Line = chosen.Line;
    for (const auto& w : workers_) outcome.Nodes += static_cast<int64_t>(w->Nodes());
    outcome.Depth = main.CompletedDepth();
    outcome.Seconds = TimerSeconds() - task.SearchStart;
    return outcome;
}

}  // namespace strong
