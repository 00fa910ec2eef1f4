// SPDX-License-Identifier: GPL-3.0-or-later
// Which search plays, what one search is asked beyond the clock and depth of the protocol, and what the
// searches share with the driver while they run: the hash table's size, the strength, the progress.
#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "board/BoardBas.h"
#include "search/SearchReport.h"

// The design's search is the default; the strong one is chosen by the settings file, an option or a
// command-line word. Set while no search runs.
enum class SearchKind { Design, Strong };
extern SearchKind ChosenSearch;

// What the driver asks of the next Think, beside the clock variables and MaxDepth. Set while no search
// runs; Think reads it and leaves it as it is.
struct SearchRequest {
    // Analysis, an infinite search or pondering: no clock is read and no move comes from the book; the
    // search goes on until it is stopped or a limit below is reached.
    bool Endless = false;
    // The book answers timed play only; analysis and fixed limits never take it.
    bool UseBook = true;
    int64_t NodeLimit = 0;             // stop once this many nodes are searched; 0: no limit
    int MateMoves = 0;                 // stop once a mate in this many moves is found; 0: no limit
    int MultiPv = 1;                   // how many best lines are searched and reported
    std::vector<MoveRec> SearchMoves;  // the root moves to search; empty: all
};
extern SearchRequest Asked;

// Pondering: while Pondering holds, a timed search reads no clock. The driver clears it at a ponder hit
// and stores the time then in PonderHitTime (TimerSeconds()): the budget counts from there.
extern std::atomic<bool> Pondering;
extern std::atomic<double> PonderHitTime;
// The two words a search may wait for, given from another thread: a stop (StopRequested) and a ponder
// hit at dTime. Each wakes a search that waits for it at once.
void RequestSearchStop();
void MarkPonderHit(double dTime);
// Waits, without polling, until fDone() holds; fDone reads what the two words above set.
void WaitForSearchWord(bool (*fDone)());

// Playing strength: 0 is full strength; otherwise an Elo figure from MinStrengthElo to MaxStrengthElo (the
// measured range of the two searches together), reached by a smaller search and a choice among near-best
// moves.
extern int StrengthElo;
constexpr int MinStrengthElo = 410;
constexpr int MaxStrengthElo = 1780;

// The strong search's hash table, in megabytes. A size out of range is refused (false) and the size in
// force stays.
constexpr int MinHashMegabytes = 1;
constexpr int MaxHashMegabytes = 4096;
constexpr int DefaultHashMegabytes = 64;
bool SetHashMegabytes(int nMegabytes);
int HashMegabytes();
void ClearHash();

// Where the running search stands, for a status request while it thinks (read on another thread).
struct SearchProgress {
    std::atomic<int> Iteration{0};
    std::atomic<int> MoveNumber{0};  // of the root move being searched, from 1
    std::atomic<int> MoveCount{0};   // legal root moves
    std::atomic<uint32_t> Move{0};   // PackMove of that move
    std::atomic<int64_t> Nodes{0};
    std::atomic<double> Start{0};  // TimerSeconds() when the search began
};
extern SearchProgress Progress;
inline uint32_t PackMove(const MoveRec& m) {
    return m.From | m.To << 8 | m.Promotion << 16;
}
// The squares and promotion of a packed move: all its text needs.
inline MoveRec UnpackMove(uint32_t n) {
    MoveRec m;
    m.From = static_cast<uint8_t>(n);
    m.To = static_cast<uint8_t>(n >> 8);
    m.Promotion = static_cast<uint8_t>(n >> 16);
    return m;
}

// The strong search's Think: the same contract as Think (which calls it when it is chosen).
MoveRec StrongThink(SearchReporter& report);
