// SPDX-License-Identifier: GPL-3.0-or-later
// The design's search: its start-up, the search below the root, the root, iterative deepening and time
// control.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/BoardBas.h"
#include "eval/Evaluation.h"
#include "platform/Platform.h"
#include "search/common/SearchControl.h"
#include "search/common/SearchReport.h"
#include "search/common/SearchRequest.h"
#include "search/common/SearchRules.h"

// The search's memories, the board's tables and the evaluation. Called once at start-up, before the first
// game.
void InitSearch(const EvalSettings& settings);
// Chooses the engine's move, telling report what it thinks; From == 0 means none (GameResult says why).
// Below full strength the face gives the limits of the level asked for.
MoveRec Think(const SearchRequest& asked, const StrengthLimit& strength, SearchReporter& report);

extern int SearchSeconds;  // whole seconds spent by the running/last search

// ---- Scores ----
// ScoreInfinity, SearchPlies and MaxIterationCount: search/common/SearchRules.h.
constexpr int QuiesceDepth = 30;  // capture plies allowed below a full-width leaf

// ---- Search memories ----
extern int PVLength[SearchPlies];
extern MoveRec PVTable[SearchPlies][SearchPlies];  // [ply row][ply column]
extern int32_t HistoryTable[BoardSize][BoardSize];
extern MoveRec KillerMove1[SearchPlies], KillerMove2[SearchPlies];
extern int32_t KillerScore[SearchPlies];
extern int32_t KillerScoreReset[SearchPlies];
extern bool FollowPV;
extern bool StopSearch;

// ---- Ending a search early ----
// StopRequested (search/common/SearchControl.h) ends the running search as soon as it can.
// What the nodes of the running iteration watch. The request counts from iteration 2 on, so there is
// always a searched move to play (from iteration 1 under a node limit, whose first root move still
// counts); the clock from iteration 4 of a timed search on.
struct StopCheck {
    bool Request = false;
    bool Clock = false;         // every ClockCheckNodes nodes, the slow check below runs
    bool Timed = false;         // the slow check reads the clock
    int32_t NextClockRead = 0;  // NodeCount at which the slow check runs again
    double Deadline = 0;        // TimerSeconds() at which the budget is spent
    int32_t NodeLimit = 0;      // 0: none
};
extern StopCheck IterationStop;
// Reading the clock costs more than a node does: it is read once every so many nodes (capture nodes
// count, so a large capture search below one node cannot hold it off).
constexpr int32_t ClockCheckNodes = 1024;
void ArmStopCheck(int nIteration, double dDeadline);
// The clock, the node limit and pondering, read once every ClockCheckNodes nodes.
bool SlowStopDue();
inline bool StopDue() {
    StopCheck& s = IterationStop;
    if (!s.Request) return false;
    if (StopRequested.load(std::memory_order_relaxed)) return true;
    if (!s.Clock || NodeCount < s.NextClockRead) return false;
    return SlowStopDue();
}

// ---- Iteration state ----
extern int IterationDepth;
extern int ShownDepth;
extern int32_t BestScore;
extern int32_t LastScore;
extern double IterationStartTime;
extern double TimeLimit;
extern bool SingleReply;
extern std::unordered_map<std::string, std::string> RootKeyCache;  // root move text -> key after it

// ---- Search ----
// What GenerateMoves gives with CapturesOnly set, in the same order; built faster for the capture search.
int GenerateCaptures(MoveList& list);
int32_t AlphaBeta(int32_t nAlpha, int32_t nBeta, int nDepth);
int32_t Quiesce(int32_t nAlpha, int32_t nBeta, int nDepth);
void OrderMoves(MoveList& aMoves, int nCount);
void SortMoves(MoveList& aMoves, int32_t* aScores, int nLow, int nHigh);
// The scores OrderMoves sorts by.
void ScoreMoves(const MoveList& aMoves, int nCount, int32_t* aScores);
// The order SortMoves gives nCount scored moves, settled only as far as it is read: a node that cuts off
// after its first move leaves the rest unsorted. The moves stay where they are; At(i) is the index of the
// move SortMoves would put at position i. Scores go into Score before Start.
struct MoveOrder {
    int32_t Score[MaxListMoves];
    uint8_t Index[MaxListMoves];
    void Start(int nCount);
    int At(int nPosition) {
        if (nPosition < Settled) return Index[nPosition];
        if (nPosition == 0 && First >= 0) return First;
        while (nPosition >= Settled) Settle();
        return Index[nPosition];
    }

  private:
    void Settle();  // sorts the leftmost range still pending until its first position is in place
    struct Range {
        int16_t Low, High;
    } Pending[MaxListMoves];  // the leftmost on top
    int Top = 0, Settled = 0, Count = 0;
    // A longer list's best move where no other move shares its score: first in any order by score, so the
    // sort waits until a later move is wanted, which a cut-off often spares. -1: none.
    int First = -1;
};
void SearchRoot(MoveRec& result, int32_t nAlpha, int32_t nBeta, int nDepth);
float AllocateTime();

// Bookkeeping shared by the root and the nodes below it.
inline void AddHistory(const MoveRec& m, int nDepth) {
    int32_t& h = HistoryTable[m.From][m.To];
    h = h < INT32_MAX / 2 ? h + nDepth : h;  // far below where an ordering score could overflow
}
void UpdateKillers(const MoveRec& m, int32_t nScore);
void UpdatePV(const MoveRec& m);

// ---- Thinking ----
std::vector<MoveRec> PrincipalLine();  // the root move and its continuation, from PVTable row 1
