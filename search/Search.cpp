// SPDX-License-Identifier: GPL-3.0-or-later
// The face: the book before either search, the strength of the level asked for, the dispatch to the search
// chosen, and the game's state kept as it was.
#include "search/Search.h"

#include <algorithm>
#include <cstring>

#include "board/GamePosition.h"
#include "eval/Evaluation.h"
#include "eval/StrongEval.h"
#include "platform/Platform.h"
#include "search/BookBas.h"
#include "search/Strength.h"
#include "search/design/SearchBas.h"
#include "search/strong/Engine.h"

SearchKind ChosenSearch = SearchKind::Design;

namespace {
int ThreadsInForce = MinSearchThreads;
int HashInForce = DefaultHashMegabytes;

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

// ---- The game's strong engine: made when first chosen ----
std::unique_ptr<strong::Engine> GameEngineMade;

// The engine with its table of the size in force (or the largest the system gives below it), touched,
// and the endgame tables built.
strong::Engine& ReadyGameEngine() {
    if (!GameEngineMade) {
        GameEngineMade = std::make_unique<strong::Engine>();
        eval::PrepareEndgameKnowledge();
    }
    strong::Engine& engine = *GameEngineMade;
    if (engine.HashMegabytes() != HashInForce)
        for (int mb = HashInForce; mb >= MinHashMegabytes && !engine.SetHashMegabytes(mb); mb /= 2) {
        }
    engine.PrepareTable();
    engine.SetThreads(ThreadsInForce);
    return engine;
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

// The moves of a bitboard position named by design move records (searchmoves); those it lacks are left out.
std::vector<bitboard::Move> MovesOf(const bitboard::Position& pos, const std::vector<MoveRec>& records) {
    std::vector<bitboard::Move> moves;
    for (const MoveRec& r : records)
        if (const bitboard::Move m = pos.MoveOfText(MoveToText(r)); m != bitboard::NoMove) moves.push_back(m);
    return moves;
}

std::vector<MoveRec> RecordsOf(bitboard::Position pos, const std::vector<bitboard::Move>& line) {
    std::vector<MoveRec> records;
    for (bitboard::Move m : line) {
        records.push_back(MoveRecOf(pos, m));
        bitboard::Undo undo;
        pos.Make(m, undo);
    }
    return records;
}

// The request as the strong engine takes it, apart from the clock.
strong::Limits LimitsOf(const bitboard::Position& pos, const SearchRequest& request) {
    strong::Limits limits;
    limits.Nodes = request.NodeLimit;
    limits.MateMoves = request.MateMoves;
    limits.MultiPv = request.MultiPv;
    limits.RootMoves = MovesOf(pos, request.SearchMoves);
    limits.Depth = request.Depth;
    if (request.Seconds > 0) {
        limits.Timed = true;
        limits.Clock.MoveTime = request.Seconds;
    }
    limits.Start = request.Start;
    return limits;
}

// The game's clock, as the driver left it: none in analysis or at a fixed depth, st's fixed time, or the
// time left with its increment and the moves to the next control.
void ReadGameClock(const SearchRequest& request, strong::Limits& limits) {
    if (FixedDepthMode()) limits.Depth = MaxDepth;
    if (request.Endless || FixedDepthMode()) return;
    limits.Timed = true;
    if (MovesPerControl == 1) {
        limits.Clock.MoveTime = BaseTime;
        return;
    }
    limits.Clock.Left = TimeLeft;
    limits.Clock.Increment = TimeIncrement;
    limits.Clock.MovesToGo = MovesPerControl >= 2 ? MovesPerControl : 0;
}

// The game-end code the chosen move calls for, judged on the design's board of the game.
int32_t JudgeGame(const MoveRec& best, int32_t nScore) {
    RootFacts facts;
    facts.Score = nScore;
    facts.ClaimsFifty = HalfmoveClock > 100 && !ResetsFiftyCount(best);
    // Unmaking clears the square behind a double step: the board comes back whole from a copy.
    uint8_t saved[BoardSize];
    std::memcpy(saved, Board, sizeof saved);
    MoveRec m = best;
    MakeMove(m);
    const auto it = RepetitionTable.find(PositionKey());
    facts.ThirdTime = it != RepetitionTable.end() && it->second == 2;
    UnmakeMove(m);
    std::memcpy(Board, saved, sizeof saved);
    return GameVerdict(GameResult, facts);
}

// The game's move by the strong engine: the position from the design's board, the clock from the driver,
// stop and ponder through the global flags.
SearchResult StrongMove(const SearchRequest& request, const StrengthLimit& strength, SearchReporter& report) {
    strong::Engine& engine = ReadyGameEngine();
    const bitboard::Position pos = PositionOfGame();
    strong::Limits limits = LimitsOf(pos, request);
    ReadGameClock(request, limits);
    limits.Start = MoveStartTime;
    limits.DrawScore = DrawScore;
    if (strength.On) {
        limits.Nodes = limits.Nodes > 0 ? std::min(limits.Nodes, strength.NodeLimit) : strength.NodeLimit;
        limits.StrengthLines = strength.Lines;
        limits.StrengthMargin = strength.Margin;
    }
    const strong::Watch watch{&StopRequested, &Pondering, &PonderHitTime, &Progress};
    const strong::Outcome found = engine.Search(pos, limits, &report, watch);
    SearchResult result;
    result.Nodes = found.Nodes;
    result.Seconds = static_cast<int>(std::max(0.0, found.Seconds));
    if (found.Best == bitboard::NoMove || !GameMoveOf(found.Best, result.Move)) {
        GameResult = NoMoveVerdict();
        return result;
    }
    result.Score = found.Score;
    result.Line = RecordsOf(pos, found.Line);
    GameResult = JudgeGame(result.Move, found.Score);
    return result;
}
}  // namespace

void InitSearches() {
    InitSearch(EvalSettings{});
}

void ChooseSearch(SearchKind kind) {
    ChosenSearch = kind;
    if (kind == SearchKind::Strong) ReadyGameEngine();
}

bool SetHashMegabytes(int nMegabytes) {
    if (nMegabytes < MinHashMegabytes || nMegabytes > MaxHashMegabytes) return false;
    if (GameEngineMade && !GameEngineMade->SetHashMegabytes(nMegabytes)) return false;
    HashInForce = nMegabytes;
    if (ChosenSearch == SearchKind::Strong) ReadyGameEngine();
    return true;
}

int HashMegabytes() {
    return HashInForce;
}

void ClearHash() {
    if (GameEngineMade) GameEngineMade->NewGame();
}

bool SetSearchThreads(int nThreads) {
    if (nThreads < MinSearchThreads || nThreads > MaxSearchThreads) return false;
    ThreadsInForce = nThreads;
    if (GameEngineMade) GameEngineMade->SetThreads(nThreads);
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
            result = StrongMove(request, strength, report);
        } else {
            result.Move = Think(request, strength, report);
            result.Score = LastScore;
            result.Seconds = SearchSeconds;
            result.Nodes = NodeCount;
            if (result.Move.From != 0) result.Line = {result.Move};
        }
    }
    HoldMove(request.Endless);
    result.Verdict = GameResult;
    result.TimeBank = TimeBank;
    GameResult = gameCode;
    TimeBank = bank;
    return result;
}

// ---- A strong engine of one's own ----

PositionAnalyst::PositionAnalyst(int nHashMegabytes, int nThreads)
    : engine_(std::make_unique<strong::Engine>()) {
    eval::PrepareEndgameKnowledge();
    const int mb = std::clamp(nHashMegabytes, MinHashMegabytes, MaxHashMegabytes);
    for (int m = mb; m >= MinHashMegabytes && !engine_->SetHashMegabytes(m); m /= 2) {
    }
    engine_->PrepareTable();
    engine_->SetThreads(std::clamp(nThreads, MinSearchThreads, MaxSearchThreads));
}

PositionAnalyst::~PositionAnalyst() = default;

SearchResult PositionAnalyst::Search(const bitboard::Position& position, const SearchRequest& request,
                                     SearchReporter& report, const std::atomic<bool>* stop) {
    const strong::Limits limits = LimitsOf(position, request);
    strong::Watch watch;
    watch.Stop = stop;
    const strong::Outcome found = engine_->Search(position, limits, &report, watch);
    SearchResult result;
    result.Nodes = found.Nodes;
    result.Seconds = static_cast<int>(std::max(0.0, found.Seconds));
    if (found.Best == bitboard::NoMove) {
        const bool white = position.SideToMove() == bitboard::White;
        result.Verdict = !position.InCheck() ? ResultDraw : white ? ResultBlackWins : ResultWhiteWins;
        return result;
    }
    result.Score = found.Score;
    result.Line = RecordsOf(position, found.Line);
    result.Move = result.Line.front();
    return result;
}

void PositionAnalyst::NewGame() {
    engine_->NewGame();
}
