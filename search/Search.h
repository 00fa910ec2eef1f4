// SPDX-License-Identifier: GPL-3.0-or-later
// The searches' one public face, for the driver, the review and the window: a request in and a result out,
// the stop, which search plays, the opening book before either, and the settings both read (the hash
// table's size, the threads, the evaluation's values). Nothing above it includes a search of its own.
#pragma once
#include <atomic>
#include <memory>

#include "board/BoardBas.h"
#include "board/Position.h"
#include "search/common/SearchControl.h"
#include "search/common/SearchReport.h"
#include "search/common/SearchRequest.h"
#include "search/common/SearchRules.h"

// Start-up, once before the first game: the board's tables, the evaluation (its built-in values; the
// settings change them below) and the searches' memories.
void InitSearches();

// Searches the position on the board as asked, on the calling thread, telling report what it thinks:
// first the opening book, then the search chosen. The game's state is left as it was found (the result
// carries the verdict and the clock's bank for the move, for whoever plays it). A ponder or endless search
// gives its move only once it may (see HoldMove). Whoever starts it clears StopRequested first.
SearchResult Search(const SearchRequest& request, SearchReporter& report);

// The design's search is the default; the strong one is chosen by the settings file, an option or a
// command-line word. Set while no search runs, through ChooseSearch: choosing the strong engine readies it
// (its hash table's pages touched, its endgame tables built) so that no timed search pays for that. A
// search that finds it not ready readies it first.
enum class SearchKind { Design, Strong };
extern SearchKind ChosenSearch;
void ChooseSearch(SearchKind kind);

// Playing strength (SearchRequest::StrengthElo): the measured range of the two searches together.
constexpr int MinStrengthElo = 410;
constexpr int MaxStrengthElo = 1780;

// The strong engine's hash table, in megabytes. A size out of range, or one the system cannot give, is
// refused (false) and the size in force stays. The table is made and its pages touched only while the
// strong engine is chosen (or when it is chosen): the design's search costs no memory for it.
constexpr int MinHashMegabytes = 1;
constexpr int MaxHashMegabytes = 4096;
constexpr int DefaultHashMegabytes = 64;
bool SetHashMegabytes(int nMegabytes);
int HashMegabytes();
// Empties the hash table and the strong engine's histories: a new game starts without the last one's.
void ClearHash();

// Threads the strong engine searches with (the design's search uses one).
constexpr int MinSearchThreads = 1;
constexpr int MaxSearchThreads = 64;
bool SetSearchThreads(int nThreads);  // false (and the count in force kept) out of range
int SearchThreads();

// The evaluation's values the settings change, in centipawns: what each piece is worth, and the score of a
// draw. Set while no search runs; the evaluation's tables follow at once.
enum class EvalValue { Pawn, Knight, Bishop, Rook, Queen, Draw };  // in this order
int EvaluationValue(EvalValue which);
int BuiltInEvaluationValue(EvalValue which);           // what a settings file that says nothing leaves
void SetEvaluationValue(EvalValue which, int nValue);  // kept within 16 bits

// A strong engine of its own, beside the game's: its own hash table, threads and stop flag. The game review
// and the data generator use one; any number may exist, each used by one thread at a time.
namespace strong {
class Engine;
}
class PositionAnalyst {
  public:
    PositionAnalyst(int nHashMegabytes, int nThreads);
    ~PositionAnalyst();
    PositionAnalyst(const PositionAnalyst&) = delete;
    PositionAnalyst& operator=(const PositionAnalyst&) = delete;
    // Searches the position (its earlier keys count for repetitions) as asked: NodeLimit, Depth, Seconds,
    // MateMoves, MultiPv, SearchMoves (several limits: the first reached ends it; none: until stopped); never
    // the book, never below full strength. Reports through report, lines as MoveRec (MoveRecOf); the
    // result carries the best move, its score for the side to move, its line and the nodes. Without a legal
    // move: no move, and Verdict says mate or stalemate. The caller's stop flag (may be null), set from any
    // thread, ends the search within milliseconds (after its first iteration, which gives the move), also
    // when it was set before the search began.
    SearchResult Search(const bitboard::Position& position, const SearchRequest& request,
                        SearchReporter& report, const std::atomic<bool>* stop = nullptr);
    void NewGame();  // clears the hash table and histories

  private:
    std::unique_ptr<strong::Engine> engine_;
};
