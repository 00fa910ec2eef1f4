// SPDX-License-Identifier: GPL-3.0-or-later
// The strong engine: an object that owns its hash table, its workers (one a thread, Lazy SMP: every thread
// searches the same root and they share the table) and its stop flag. Nothing of it is global: the game
// has one, a game review or a data generator makes others beside it, each used by one thread at a time.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "board/Position.h"
#include "search/common/SearchControl.h"
#include "search/common/SearchReport.h"
#include "search/strong/TimeManager.h"

namespace strong {

// What one search is asked.
struct Limits {
    int Depth = 0;                          // the deepest iteration; 0: no limit
    int64_t Nodes = 0;                      // stop after this many nodes of every thread; 0: no limit
    int MateMoves = 0;                      // stop once a mate in this many moves is found; 0: no limit
    int MultiPv = 1;                        // best lines searched and reported
    std::vector<bitboard::Move> RootMoves;  // the root moves to search; empty: every legal move
    bool Timed = false;                     // the clock below limits the search
    strong::Clock Clock;
    double Start = 0;   // TimerSeconds() the clock and the thinking lines count from; 0: the search's start
    int DrawScore = 0;  // what a draw is worth to the side to move at the root
    // Below full strength: the move is drawn among so many lines, within the margin of the best (centipawns)
    // of the last complete iteration. 0 lines: full strength.
    int StrengthLines = 0;
    int StrengthMargin = 0;
};

// What the one who started a search lets it watch, beside Engine::Stop. Any may be null.
struct Watch {
    const std::atomic<bool>* Stop = nullptr;
    const std::atomic<bool>* Pondering = nullptr;        // while it holds, no clock counts
    const std::atomic<double>* PonderHitTime = nullptr;  // when the clock started counting after a hit
    SearchProgress* Progress = nullptr;                  // written as the search goes, for a status request
};

struct Outcome {
    bitboard::Move Best = bitboard::NoMove;  // NoMove: the position has no legal move
    int32_t Score = 0;                       // of Best's line, as reports give it (mates from ScoreInfinity)
    std::vector<bitboard::Move> Line;        // Best first
    int64_t Nodes = 0;                       // of every thread
    int Depth = 0;                           // the last complete iteration
    double Seconds = 0;
};

class Worker;
class HelperThreads;
class HashTable;

class Engine {
  public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // The hash table's size: false (and the size in force kept) when the memory cannot be had. A new table
    // is mapped untouched; PrepareTable touches it.
    bool SetHashMegabytes(int nMegabytes);
    int HashMegabytes() const;
    // Touches every page of the table (once), so that no search pays for the page faults.
    void PrepareTable();
    // Threads to search with, 1 to MaxThreads.
    static constexpr int MaxThreads = 64;
    void SetThreads(int nThreads);
    int Threads() const;
    // A new game: the hash table and every history emptied.
    void NewGame();

    // Searches the position (its earlier keys count for repetitions) on the calling thread, with the helper
    // threads beside it; report (may be null) hears the thinking on the calling thread.
    Outcome Search(const bitboard::Position& root, const Limits& limits, SearchReporter* report,
                   const Watch& watch = {});
    // From any thread: the running search ends within milliseconds, with the best move it has (once its
    // first iteration is done, which takes a moment). A stop before a search starts is not kept for it.
    void Stop() { stop_.store(true, std::memory_order_relaxed); }

  private:
    friend class Worker;
    std::unique_ptr<HashTable> table_;
    std::vector<std::unique_ptr<Worker>> workers_;  // [0] searches on the caller's thread
    std::unique_ptr<HelperThreads> helpers_;
    std::atomic<bool> stop_{false};     // asked from outside
    std::atomic<bool> stopAll_{false};  // the main worker is done: every helper ends
};

}  // namespace strong
