// SPDX-License-Identifier: GPL-3.0-or-later
// One search thread's state: its own copy of the position, its stack of plies, killers and histories, its
// node count, principal lines and root moves. Worker 0 (the main one) alone reads the clock, the stop
// requests and the node limit, reports, and decides when the search ends; the helpers search the same root
// until it does, and what they find reaches it through the shared hash table.
#pragma once
#include <atomic>
#include <memory>
#include <vector>

#include "board/Position.h"
#include "eval/StrongEval.h"
#include "search/strong/Engine.h"
#include "search/strong/HashTable.h"
#include "search/strong/History.h"
#include "search/strong/Scores.h"

namespace strong {

// What every worker of one search reads: set by the engine before the workers start, then left alone.
struct SearchTask {
    const Limits* Asked = nullptr;
    Watch Watching;
    SearchReporter* Report = nullptr;
    MoveTimes Times;
    double SearchStart = 0;  // TimerSeconds() at the search's start
    bool StartedPondering = false;
};

struct RootMove {
    bitboard::Move Move;
    int Score = -Infinite;  // of this iteration; -Infinite: not settled in it
    int Previous = -Infinite;
    std::vector<bitboard::Move> Line;
};

class Worker {
  public:
    Worker(Engine& engine, int nIndex);

    // Before a search: the root, its legal moves to search (the likeliest first), the task.
    void Prepare(const bitboard::Position& root, const std::vector<RootMove>& rootMoves,
                 const SearchTask& task);
    // Iterative deepening until the search ends.
    void Deepen();
    void NewGame();

    uint64_t Nodes() const { return nodes_.load(std::memory_order_relaxed); }
    // The main worker's outcome (its chosen move and line); valid after Deepen.
    const RootMove& Chosen() const { return chosen_; }
    int CompletedDepth() const { return completedDepth_; }
    const Histories& History() const { return *histories_; }

  private:
    // Per ply: what the search keeps about the node and the move it made from there.
    struct Ply {
        bitboard::Move Move = bitboard::NoMove;  // the move being searched from this node
        bitboard::Piece Moved = 0;
        int StaticEval = NoScore;
        bitboard::Move Killers[2] = {bitboard::NoMove, bitboard::NoMove};
        FollowUpTable* FollowUp = nullptr;           // quiet moves after Move
        bitboard::Move Excluded = bitboard::NoMove;  // left out while the hash move's rivals are searched
    };
    static constexpr int StackOffset = 2;  // two plies before the root, so that ply - 2 is always there

    // ---- Deepening.cpp: the root
    void SearchLine(int nDepth, size_t nLine);
    int SearchRootMoves(int nAlpha, int nBeta, int nDepth, size_t nFirst);
    void SortRootMoves(size_t nFirst);
    bool DecideAfterIteration(int nDepth, bool bComplete, int nLines, double& dInstability);
    ThinkingReport ReportOf(const RootMove& r, int nDepth, int nLine) const;
    std::vector<MoveRec> RecordsOf(const std::vector<bitboard::Move>& line) const;
    double ClockStart() const;
    bool Pondering() const;
    void CheckStop();
    // ---- Search.cpp: below the root
    int SearchNode(int nAlpha, int nBeta, int nDepth, bool bCutNode);
    int CaptureSearch(int nAlpha, int nBeta);
    int RivalsScore(bitboard::Move hashMove, int nBound, int nDepth, bool bCutNode);
    int Evaluate() { return eval::Evaluate(pos_, evalCache_); }
    int DrawValue() const { return pos_.SideToMove() == rootSide_ ? drawScore_ : -drawScore_; }
    bool DeadDraw() const;
    bool FiftyMoveDraw() const;
    void MakeMove(bitboard::Move m, bitboard::Undo& undo);
    void UnmakeMove(bitboard::Move m, const bitboard::Undo& undo);
    void UpdateLine(bitboard::Move m);
    bool Raise(int nScore, bitboard::Move m, bool bPvNode, int nBeta, int& nBest, int& nAlpha,
               bitboard::Move& bestMove);
    void RewardCutoff(bitboard::Move best, int nDepth, const bitboard::Move* quiets, int nQuiets,
                      const bitboard::Move* captures, int nCaptures);
    void CountNode();
    bool EnterNode();

    Ply& At(int nPly) { return stack_[nPly + StackOffset]; }

    Engine& engine_;
    const int index_;
    bool IsMain() const { return index_ == 0; }

    bitboard::Position root_;
    bitboard::Position pos_;
    bitboard::Colour rootSide_ = bitboard::White;
    int drawScore_ = 0;
    const SearchTask* task_ = nullptr;
    std::vector<RootMove> rootMoves_;
    RootMove chosen_;
    int completedDepth_ = 0;

    int ply_ = 0;
    Ply stack_[MaxPly + StackOffset + 2];
    bitboard::Move lines_[MaxPly + 1][MaxPly + 1];
    int lineLength_[MaxPly + 1];
    int selDepth_ = 0;
    int rootDepth_ = 0;  // of the iteration being searched

    std::unique_ptr<Histories> histories_;
    eval::EvalCache evalCache_;
    std::atomic<uint64_t> nodes_{0};  // written by this worker alone, read by the main one
    int untilCheck_ = 0;              // nodes until the next look at the clock and the stop flags
    bool stopped_ = false;
    bool mayStop_ = false;  // main: a move to play is known, so a stop may end the search
};

}  // namespace strong
