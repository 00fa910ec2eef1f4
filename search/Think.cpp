// The root: iterative deepening, the time budget, thinking reports and the game-end codes.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Platform.h"
#include "search/BookBas.h"
#include "search/SearchBas.h"
#include "search/SearchChoice.h"
#include "search/SearchMoves.h"

double MoveStartTime = 0;
int SearchSeconds = 0;
int ShownDepth = 3;
int32_t BestScore = -ScoreInfinity;
int32_t LastScore = 0;
bool SingleReply = false;
std::unordered_map<std::string, std::string> RootKeyCache;

namespace {

bool RootLineIsMoveOnly = false;   // the root's best move is a repetition draw, scored without search
SearchReporter* Report = nullptr;  // whom the running Think tells

int WholeSeconds(double dSeconds) {
    return dSeconds > 0 ? static_cast<int>(std::floor(dSeconds)) : 0;
}

int RepetitionCount(const std::string& sKey) {
    const auto it = RepetitionTable.find(sKey);
    return it == RepetitionTable.end() ? 0 : it->second;
}

// Seconds the clock must keep when the move arrives: the reply's trip through the pipe, the interface's
// own reaction and the few milliseconds a search needs to unwind.
double ClockReserve(double dLeft) {
    return 0.15 + 0.05 * dLeft;
}

// A budget the engine's clock cannot pay is cut so that the move arrives with the reserve in hand.
// With st the interface restarts the clock for every move, and a clock at zero or below is one the
// interface never gave (sd zeroes it): both keep the budget as computed.
double CapToClock(double dBudget) {
    if (MovesPerControl == 1 || TimeLeft <= 0) return dBudget;
    double ceiling = TimeLeft - ClockReserve(TimeLeft);
    if (ceiling < TimeLeft / 4) ceiling = TimeLeft / 4;  // a tiny clock still spends a little of itself
    return std::min(dBudget, ceiling);
}

// st gives a fixed time per move, which the move must never overrun: a small part of it is kept back
// for unwinding the search and the reply's trip to the interface.
double MoveTimeBudget(double dSeconds) {
    const double reserve = std::max(0.02 * dSeconds, 0.03);
    return std::max(dSeconds - reserve, 0.0);
}

// No budget is smaller: whatever the control says, the first iterations (which always finish) get this.
constexpr double MinimumBudget = 0.01;

// The budget of the control's rules, before the clock's own limit.
double RuleBudget() {
    if (MovesPerControl != 0) {
        if (MovesPerControl == 1) return MoveTimeBudget(BaseTime);
        // A second of each move's share is kept in hand, but never more than half the share: 40 moves
        // in 30 seconds still get a budget.
        const double share = BaseTime / MovesPerControl;
        double t = share - std::min(1.0, share / 2);
        if (TimeBank >= 1) {
            t += 0.666 * TimeBank;
            TimeBank -= 0.666 * TimeBank;
        }
        return t;
    }
    const double inc = TimeIncrement;
    if (TimeLeft <= 60) return TimeLeft - 1 - inc > 1 ? inc + 1 : 1;
    int divisor = 30;
    if (TimeLeft < 900) {
        // Behind on the clock: spend less per move.
        const double d = OpponentTimeLeft - TimeLeft;
        if (OpponentTimeLeft / 10 < d)
            divisor = 40;
        else if (OpponentTimeLeft / 20 < d)
            divisor = 35;
    }
    const double t = TimeLeft / divisor;
    const double used = (t > 30 && inc > 5) ? inc / 2 : inc;
    return TimeLeft - t - used <= 1 ? t : t + used;
}

float FitToClock(double dRuleBudget) {
    return static_cast<float>(std::max(CapToClock(dRuleBudget), MinimumBudget));
}

// A move that captures or moves a pawn starts the fifty-move count again.
bool ResetsFiftyCount(const MoveRec& m) {
    const int piece = Board[m.From];
    return Board[m.To] < EmptySquare || piece == WhitePawn || piece == BlackPawn;
}

ThinkingReport ReportOf(int32_t nScore, double dSeconds) {
    return ThinkingReport{ShownDepth, nScore, dSeconds, NodeCount, PrincipalLine(), ShownDepth - 2};
}

}  // namespace

std::vector<MoveRec> PrincipalLine() {
    std::vector<MoveRec> line;
    // The row after a repetition draw holds no continuation of it, whatever its length says.
    const int end = RootLineIsMoveOnly ? std::min(PVLength[1], 2) : PVLength[1];
    for (int c = 1; c < end && c < SearchPlies; ++c) line.push_back(PVTable[1][c]);
    return line;
}

void ArmStopCheck(int nIteration, double dDeadline) {
    IterationStop.Request = nIteration >= 2;
    IterationStop.Clock = nIteration >= 4 && !FixedDepthMode();
    IterationStop.NextClockRead = 0;
    IterationStop.Deadline = dDeadline;
}

float AllocateTime() {
    return FitToClock(RuleBudget());
}

void SearchRoot(MoveRec& result, int32_t nAlpha, int32_t nBeta, int nDepth) {
    IterationStartTime = TimerSeconds();
    ArmStopCheck(IterationDepth, IterationStartTime + TimeLimit);
    SingleReply = false;
    CapturesOnly = false;
    StopSearch = false;
    Ply = 1;
    PVLength[1] = 1;
    RootLineIsMoveOnly = false;
    std::string drawMoveText;
    result = MoveRec{};

    if (InCheck()) ++nDepth;
    MoveList list;
    GenerateMoves(list);
    OrderMoves(list, list.Count);

    MoveRec best{};
    int searched = 0;
    int32_t last = 0;
    StartTracking();
    for (int i = 0; i < list.Count; ++i) {
        MoveRec& m = list.Move[i];
        const EvalState saved = Track;
        TrackMove(m);
        MakeMove(m);
        ++Ply;
        const bool legal = IsLegalAfterMove(m);
        bool counts = false, repeated = false;
        int32_t score = 0;
        if (legal) {
            CountNode(NodeCount);
            const std::string t = MoveToText(m);
            auto key = RootKeyCache.find(t);
            if (key == RootKeyCache.end()) key = RootKeyCache.emplace(t, PositionKey()).first;
            if (RepetitionCount(key->second) >= 1) {
                // Back into a position seen before: a draw, not searched.
                drawMoveText = t;
                score = DrawScore;
                repeated = true;
            } else {
                score = -AlphaBeta(-nBeta, -nAlpha, nDepth - 1);
            }
            counts = !StopSearch || searched == 0;
            ++searched;
            last = score;
        }
        --Ply;
        UnmakeMove(m);
        Track = saved;
        if (legal && counts && score > nAlpha) {
            AddHistory(m, nDepth);
            if (!StopSearch) UpdateKillers(m, score);
            best = m;
            nAlpha = BestScore = score;
            UpdatePV(m);
            // Unsearched, the draw's row of the table is whatever an earlier search left there: the
            // table stays as it is (the next iteration's ordering reads it), the line shown is the move.
            RootLineIsMoveOnly = repeated;
            ShownDepth = IterationDepth + 2;
            if (Report) Report->NewBest(ReportOf(BestScore, TimerSeconds() - MoveStartTime));
        }
        if (StopSearch && searched >= 1) break;
    }

    Tracking = false;
    if (searched == 0) {
        if (InCheck())
            GameResult = WhiteToMove ? ResultBlackWins : ResultWhiteWins;
        else
            GameResult = ResultDraw;
        return;
    }
    if (searched == 1 && !StopSearch) SingleReply = true;
    if (last <= -2000) GameResult = WhiteToMove ? ResultWhiteResigns : ResultBlackResigns;
    if (last == ScoreInfinity - 2) {  // the move mates at once
        GameResult = WhiteToMove ? ResultWhiteWins : ResultBlackWins;
        result = best;
        return;
    }
    if (!drawMoveText.empty()) {
        if (MoveToText(best) == drawMoveText && RepetitionCount(RootKeyCache[drawMoveText]) == 2)
            GameResult = ResultRepetition;
    } else if (HalfmoveClock > 100 && !ResetsFiftyCount(best)) {
        // Claimed only with a move after which the count still stands: a capture or a pawn move ends it.
        GameResult = ResultDraw;
    }
    result = best;
}

MoveRec Think(SearchReporter& report) {
    Report = &report;
    BestScore = -ScoreInfinity;
    if (BookPly < MaxBookMoves) {
        MoveRec book{};
        BookProbe(book);
        if (book.From != 0) {
            BestScore = 0;
            LastScore = 0;
            SearchSeconds = 0;  // the game window charges this to the engine's clock
            report.BookMove(BookPly, MaxBookMoves);
            Report = nullptr;
            return book;
        }
        BookPly = OutOfBook;
    }
    if (ChosenSearch == SearchKind::Strong) {
        Report = nullptr;
        return StrongThink(report);
    }

    NodeCount = 0;
    QuiescenceNodes = 0;
    const double searchStart = TimerSeconds();
    const double ruleBudget = RuleBudget();
    const float budget = FitToClock(ruleBudget);
    TimeLimit = budget;
    // Short of time, the rules' one second means: a quick move, three iterations at most (also when the
    // clock's limit has cut the second).
    const bool quick = !FixedDepthMode() && TimeLeft <= 10 && ruleBudget == 1.0;
    const int maxIterations = quick ? 3 : MaxIterationCount;

    uint8_t saved[BoardSize];
    std::memcpy(saved, Board, sizeof saved);
    std::memset(HistoryTable, 0, sizeof HistoryTable);
    for (auto& row : PVTable)
        for (auto& m : row) m = MoveRec{};
    PrepareEvaluation();
    for (int p = 0; p < SearchPlies; ++p) KillerMove1[p] = KillerMove2[p] = MoveRec{};
    std::memcpy(KillerScore, KillerScoreReset, sizeof(int32_t) * (SearchPlies - 1));
    RootKeyCache.clear();

    // Only the accepted iteration's verdict stands: an earlier or dropped iteration may have judged
    // another move (a repetition, a resignation) than the one that is played.
    const int32_t entryResult = GameResult;
    int32_t acceptedResult = entryResult;
    MoveRec toPlay{};
    IterationDepth = 1;
    while (IterationDepth <= maxIterations) {
        const double elapsed = std::fabs(TimerSeconds() - searchStart);
        SearchSeconds = WholeSeconds(elapsed);
        TimeLimit = budget - elapsed;
        if (FixedDepthMode()) {
            if (IterationDepth > MaxDepth && IterationDepth > 1) break;  // sd 0 still finds a move
        } else if ((elapsed > 0.666 * budget && IterationDepth > 3) ||
                   (elapsed > budget && IterationDepth > 1)) {
            break;
        }
        FollowPV = true;
        GameResult = entryResult;
        MoveRec iterationMove{};
        SearchRoot(iterationMove, -ScoreInfinity, ScoreInfinity, IterationDepth);
        if (StopSearch && IterationDepth != 1) {
            GameResult = acceptedResult;
        } else {
            toPlay = iterationMove;
            acceptedResult = GameResult;
            LastScore = BestScore;
            ShownDepth = IterationDepth + 2;
            report.IterationDone(ReportOf(LastScore, TimerSeconds() - searchStart));
        }
        std::memcpy(Board, saved, sizeof saved);
        std::memcpy(KillerScore, KillerScoreReset, sizeof(int32_t) * (SearchPlies - 1));
        if (SingleReply) {
            SingleReply = false;
            break;
        }
        // Cut short by the clock or asked to stop: what is left of the time or the depth is not wanted.
        if (StopSearch || StopRequested.load(std::memory_order_relaxed)) break;
        ++IterationDepth;
    }
    GameResult = acceptedResult;

    // What the move left of its budget is kept for later moves of a conventional control.
    const double unspent = budget - std::fabs(TimerSeconds() - searchStart);
    if (unspent > 0) TimeBank += unspent;
    if (MovesPerControl >= 2 && TimeIncrement > 0) TimeBank += TimeIncrement;
    Report = nullptr;
    return toPlay;
}
