// SPDX-License-Identifier: GPL-3.0-or-later
// The face: the book before either search, the strength of the level asked for, the dispatch to the search
// chosen, and the game's state kept as it was.
#include "search/Search.h"

#include <algorithm>

#include "eval/Evaluation.h"
#include "platform/Platform.h"
#include "search/BookBas.h"
#include "search/Strength.h"
#include "search/StrongSearch.h"
#include "search/design/SearchBas.h"

SearchKind ChosenSearch = SearchKind::Design;

namespace {
int ThreadsInForce = MinSearchThreads;

// Each value the settings change, with its built-in default, in the order of EvalValue.
struct ValueSlot {
    int16_t* Value;
    int16_t EvalSettings::*BuiltIn;
};
const ValueSlot kValueSlots[] = {
    {&PawnValue, &EvalSettings::PawnValue},     {&KnightValue, &EvalSettings::KnightValue},
    {&BishopValue, &EvalSettings::BishopValue}, {&RookValue, &EvalSettings::RookValue},
    {&QueenValue, &EvalSettings::QueenValue},   {&DrawScore, &EvalSettings::DrawScore},
};
const ValueSlot& SlotOf(EvalValue which) {
    return kValueSlots[static_cast<int>(which)];
}

// Timed play of a game begun from the start takes the book's move while it has one; analysis and fixed
// limits leave the book, and its place in the game, as they are.
bool BookAnswers(const SearchRequest& request, SearchReporter& report, SearchResult& result) {
    if (BookPly >= MaxBookMoves || !request.UseBook || request.Endless) return false;
    MoveRec book{};
    BookProbe(book);
    if (book.From == 0) {
        BookPly = OutOfBook;
        return false;
    }
    report.BookMove(BookPly, MaxBookMoves);
    result.Move = book;  // no score, no time: the game window charges nothing for it
    return true;
}

// Never in analysis.
StrengthLimit StrengthOf(const SearchRequest& request) {
    if (request.StrengthElo == 0 || request.Endless) return {};
    return StrengthFor(request.StrengthElo, ChosenSearch);
}
}  // namespace

void InitSearches() {
    InitSearch(EvalSettings{});
}

bool SetSearchThreads(int nThreads) {
    if (nThreads < MinSearchThreads || nThreads > MaxSearchThreads) return false;
    ThreadsInForce = nThreads;
    return true;
}

int SearchThreads() {
    return ThreadsInForce;
}

int EvaluationValue(EvalValue which) {
    return *SlotOf(which).Value;
}

int BuiltInEvaluationValue(EvalValue which) {
    return EvalSettings{}.*SlotOf(which).BuiltIn;
}

void SetEvaluationValue(EvalValue which, int nValue) {
    *SlotOf(which).Value = static_cast<int16_t>(std::clamp(nValue, INT16_MIN, INT16_MAX));
    InstallWorkingTables();
}

SearchResult Search(const SearchRequest& request, SearchReporter& report) {
    // The searches read the game's code and the clock's bank and leave their verdict and what the move
    // left of its budget there: the result carries both, and the game keeps its own.
    const int32_t gameCode = GameResult;
    const double bank = TimeBank;
    Ply = 0;
    const double now = TimerSeconds();
    MoveStartTime = request.Start > 0 ? request.Start : now;
    Progress.Iteration.store(0);
    Progress.MoveNumber.store(0);
    Progress.Nodes.store(0);
    Progress.Start.store(now);

    SearchResult result;
    if (!BookAnswers(request, report, result)) {
        const StrengthLimit strength = StrengthOf(request);
        if (ChosenSearch == SearchKind::Strong) {
            result = StrongThink(request, strength, report);
        } else {
            result.Move = Think(request, strength, report);
            result.Score = LastScore;
            result.Seconds = SearchSeconds;
        }
    }
    HoldMove(request.Endless);
    result.Verdict = GameResult;
    result.TimeBank = TimeBank;
    GameResult = gameCode;
    TimeBank = bank;
    return result;
}
