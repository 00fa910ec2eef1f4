// SPDX-License-Identifier: GPL-3.0-or-later
// The searches' one public face, for the driver, the review and the window: a request in and a result out,
// the stop, which search plays, the opening book before either, and the settings both read (the hash
// table's size, the threads, the evaluation's values). Nothing above it includes a search of its own.
#pragma once
#include "board/BoardBas.h"
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
// command-line word. Set while no search runs.
enum class SearchKind { Design, Strong };
extern SearchKind ChosenSearch;

// Playing strength (SearchRequest::StrengthElo): the measured range of the two searches together.
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

// Threads to search with. Stored for the strong engine that comes: neither search uses more than one yet.
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
