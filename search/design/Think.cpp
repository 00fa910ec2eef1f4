// SPDX-License-Identifier: GPL-3.0-or-later
// The root: iterative deepening, the time budget, thinking reports and the game-end codes.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Platform.h"
#include "search/design/SearchBas.h"
#include "search/design/SearchMoves.h"

int SearchSeconds = 0;
int ShownDepth = 3;
int32_t BestScore = -ScoreInfinity;
int32_t LastScore = 0;
bool SingleReply = false;
std::unordered_map<std::string, std::string> RootKeyCache;

namespace {

bool RootLineIsMoveOnly = false;   // the root's best move is a repetition draw, scored without search
SearchReporter* Report = nullptr;  // whom the running Think tells

// What the running Think was asked beyond the clock, settled when it starts.
struct RootRequest {
    std::vector<MoveRec> Only;      // the root moves to search; empty: all
    std::vector<MoveRec> Excluded;  // moves of the lines already found in this iteration
    int32_t NodeLimit = 0;
    bool Endless = false;
    bool Ponder = false;  // began while pondering: the budget counts from the ponder hit
    double Budget = 0;
    double Start = 0;
    int PvIndex = 1;  // the line being searched, 1 the best
};
RootRequest Run;

bool InMoves(const std::vector<MoveRec>& moves, const MoveRec& m) {
    return std::any_of(moves.begin(), moves.end(), [&](const MoveRec& x) { return SameMove(x, m); });
}

// Leaves at the root only the moves the request lets it search, in their order.
void FilterRoot(MoveList& list) {
    int kept = 0;
    for (int i = 0; i < list.Count; ++i) {
        const MoveRec& m = list.Move[i];
        if ((!Run.Only.empty() && !InMoves(Run.Only, m)) || InMoves(Run.Excluded, m)) continue;
        list.Move[kept++] = m;
    }
    list.Count = kept;
}

// Seconds of the budget spent: while pondering none, after a hit those since the hit.
double Spent(double dElapsed) {
    if (!Run.Ponder) return dElapsed;
    if (Pondering.load()) return 0;
    return std::max(0.0, TimerSeconds() - PonderHitTime.load());
}

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

// No budget is smaller: whatever the control says, the first iterations (which always finish) get this.
constexpr double MinimumBudget = 0.01;

// The budget of the control's rules, before the clock's own limit.
double RuleBudget() {
    if (MovesPerControl != 0) {
        if (MovesPerControl == 1) return FixedMoveBudget(BaseTime, 0.0);
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

ThinkingReport ReportOf(int32_t nScore, double dSeconds) {
    ThinkingReport r{ShownDepth, nScore, dSeconds, NodeCount, PrincipalLine(), ShownDepth - 2, Run.PvIndex};
    r.CutShort = StopSearch;
    return r;
}

// One of several best lines found in an iteration.
struct FoundLine {
    MoveRec Move;
    int32_t Score;
    std::vector<MoveRec> Line;
    int32_t Result;  // the game-end code had this move been the one played
};

}  // namespace

std::vector<MoveRec> PrincipalLine() {
    std::vector<MoveRec> line;
    // The row after a repetition draw holds no continuation of it, whatever its length says.
    const int end = RootLineIsMoveOnly ? std::min(PVLength[1], 2) : PVLength[1];
    for (int c = 1; c < end && c < SearchPlies; ++c) line.push_back(PVTable[1][c]);
    return line;
}

void ArmStopCheck(int nIteration, double dDeadline) {
    StopCheck& s = IterationStop;
    s.Request = nIteration >= 2 || Run.NodeLimit > 0;
    s.Timed = nIteration >= 4 && !FixedDepthMode() && !Run.Endless;
    // Analysis and pondering also pass by the slow check: it tells the progress and watches the hit.
    s.Clock = s.Timed || Run.NodeLimit > 0 || Run.Endless || Run.Ponder;
    s.NextClockRead = 0;
    s.Deadline = dDeadline;
    s.NodeLimit = Run.NodeLimit;
}

bool SlowStopDue() {
    StopCheck& s = IterationStop;
    s.NextClockRead = NodeCount < INT32_MAX - ClockCheckNodes ? NodeCount + ClockCheckNodes : INT32_MAX;
    Progress.Nodes.store(NodeCount, std::memory_order_relaxed);
    if (s.NodeLimit > 0) {
        if (NodeCount >= s.NodeLimit) return true;
        s.NextClockRead = std::min(s.NextClockRead, s.NodeLimit);
    }
    if (!s.Timed) return false;
    if (!Run.Ponder) return TimerSeconds() >= s.Deadline;
    if (Pondering.load()) return false;
    return TimerSeconds() >= PonderHitTime.load() + Run.Budget;
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
    if (!Run.Only.empty() || !Run.Excluded.empty()) FilterRoot(list);
    OrderMoves(list, list.Count);
    if (IterationDepth == 1 && Run.Excluded.empty()) Progress.MoveCount.store(list.Count);

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
            Progress.MoveNumber.store(searched + 1, std::memory_order_relaxed);
            Progress.Move.store(PackMove(m), std::memory_order_relaxed);
            Progress.Nodes.store(NodeCount, std::memory_order_relaxed);
            if (Report && TimerSeconds() - Run.Start >= 1)
                Report->CurrentMove(m, searched + 1, IterationDepth);
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
        GameResult = NoMoveVerdict();
        return;
    }
    if (!StopSearch && Run.Excluded.empty()) Progress.MoveCount.store(searched);
    if (searched == 1 && !StopSearch && Run.Excluded.empty()) SingleReply = true;
    // The last move's score judges the game: with the fail-hard window a move that does not raise alpha
    // returns exactly alpha, so it is the best score unless the last move was a repetition scored unsearched.
    RootFacts facts;
    facts.Score = last;
    // A repetition is told only when the move played is the last repeating one met; the fifty-move draw is
    // claimed only where no root move repeats, and with a move after which the count still stands.
    facts.ThirdTime = !drawMoveText.empty() && MoveToText(best) == drawMoveText &&
                      RepetitionCount(RootKeyCache[drawMoveText]) == 2;
    facts.ClaimsFifty = drawMoveText.empty() && HalfmoveClock > 100 && !ResetsFiftyCount(best);
    GameResult = GameVerdict(GameResult, facts);
    result = best;
}

namespace {
// Several best lines in one iteration: the root searched again for each, without the moves already
// found, with a full window. Complete lines only; the first line's verdict on the game stands apart.
std::vector<FoundLine> SearchLines(int nLines, int32_t nEntryResult) {
    std::vector<FoundLine> lines;
    static MoveRec bestRow[SearchPlies];
    int bestLength = 0;
    for (int k = 1; k <= nLines; ++k) {
        Run.PvIndex = k;
        FollowPV = k == 1;  // the table holds the best line of the last iteration
        GameResult = nEntryResult;
        MoveRec move{};
        SearchRoot(move, -ScoreInfinity, ScoreInfinity, IterationDepth);
        // Cut short, a line is no line: only the very first one, of the first iteration, is played so.
        if (move.From == 0 || (StopSearch && (IterationDepth != 1 || k != 1))) break;
        lines.push_back(FoundLine{move, BestScore, PrincipalLine(), GameResult});
        Run.Excluded.push_back(move);
        if (k == 1) {
            std::memcpy(bestRow, PVTable[1], sizeof bestRow);
            bestLength = PVLength[1];
        }
        if (StopSearch) break;
    }
    // The next iteration follows the best line.
    if (!lines.empty()) {
        std::memcpy(PVTable[1], bestRow, sizeof bestRow);
        PVLength[1] = bestLength;
    }
    Run.Excluded.clear();
    Run.PvIndex = 1;
    return lines;
}

// This iteration's lines, then those of earlier ones that it did not reach (cut short), with their
// older scores.
void MergeLines(std::vector<FoundLine>& accepted, std::vector<FoundLine> fresh) {
    for (const FoundLine& old : accepted) {
        const bool there = std::any_of(fresh.begin(), fresh.end(),
                                       [&](const FoundLine& f) { return SameMove(f.Move, old.Move); });
        if (!there) fresh.push_back(old);
    }
    accepted = std::move(fresh);
}
}  // namespace

MoveRec Think(const SearchRequest& asked, const StrengthLimit& strength, SearchReporter& report) {
    Report = &report;
    BestScore = -ScoreInfinity;
    Run = RootRequest{};
    Run.Endless = asked.Endless;
    Run.Ponder = Pondering.load();
    Run.Only = asked.SearchMoves;

    // Below full strength (never in analysis): a node limit, and the move drawn among several lines.
    const bool weaker = strength.On;
    int64_t nodeLimit = asked.NodeLimit;
    if (weaker) nodeLimit = nodeLimit > 0 ? std::min(nodeLimit, strength.NodeLimit) : strength.NodeLimit;
    Run.NodeLimit = static_cast<int32_t>(std::min<int64_t>(nodeLimit, INT32_MAX));
    const int shownLines = std::clamp(asked.MultiPv, 1, MaxListMoves);
    const int lineCount = weaker ? std::max(shownLines, strength.Lines) : shownLines;

    NodeCount = 0;
    QuiescenceNodes = 0;
    const double searchStart = TimerSeconds();
    Run.Start = searchStart;
    const double ruleBudget = RuleBudget();
    const float budget = FitToClock(ruleBudget);
    Run.Budget = budget;
    TimeLimit = budget;
    // Short of time, the rules' one second means: a quick move, three iterations at most (also when the
    // clock's limit has cut the second).
    const bool quick = !FixedDepthMode() && !Run.Endless && TimeLeft <= 10 && ruleBudget == 1.0;
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
    std::vector<FoundLine> accepted;  // several lines: the best ones found so far, best first
    IterationDepth = 1;
    while (IterationDepth <= maxIterations) {
        const double elapsed = std::fabs(TimerSeconds() - searchStart);
        const double spent = Spent(elapsed);
        SearchSeconds = WholeSeconds(elapsed);
        TimeLimit = budget - spent;
        if (Run.Endless || (Run.Ponder && Pondering.load())) {
            // No clock: the depth, a node limit or the stop ends it.
        } else if (FixedDepthMode()) {
            if (IterationDepth > MaxDepth && IterationDepth > 1) break;  // sd 0 still finds a move
        } else if ((spent > 0.666 * budget && IterationDepth > 3) || (spent > budget && IterationDepth > 1)) {
            break;
        }
        if (Run.NodeLimit > 0 && NodeCount >= Run.NodeLimit && IterationDepth > 1) break;
        Progress.Iteration.store(IterationDepth);
        if (lineCount == 1) {
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
        } else {
            std::vector<FoundLine> lines = SearchLines(lineCount, entryResult);
            if (!lines.empty()) {
                ShownDepth = IterationDepth + 2;
                const double seconds = TimerSeconds() - searchStart;
                for (size_t k = 0; k < lines.size() && k < static_cast<size_t>(shownLines); ++k) {
                    ThinkingReport r{
                        ShownDepth,     lines[k].Score,         seconds, NodeCount, lines[k].Line,
                        IterationDepth, static_cast<int>(k) + 1};
                    report.IterationDone(r);
                }
                MergeLines(accepted, std::move(lines));
                toPlay = accepted[0].Move;
                acceptedResult = accepted[0].Result;
                LastScore = accepted[0].Score;
            }
            GameResult = acceptedResult;
        }
        std::memcpy(Board, saved, sizeof saved);
        std::memcpy(KillerScore, KillerScoreReset, sizeof(int32_t) * (SearchPlies - 1));
        if (SingleReply) {
            SingleReply = false;
            break;
        }
        // Cut short by the clock or asked to stop: what is left of the time or the depth is not wanted.
        if (StopSearch || StopRequested.load(std::memory_order_relaxed)) break;
        if (asked.MateMoves > 0 && MateWithin(LastScore, asked.MateMoves)) break;
        ++IterationDepth;
    }
    GameResult = acceptedResult;
    if (weaker && accepted.size() > 1) {
        std::vector<int32_t> scores;
        for (const FoundLine& f : accepted) scores.push_back(f.Score);
        const FoundLine& pick = accepted[StrengthPick(strength.Margin, scores, StrengthRandom())];
        toPlay = pick.Move;
        GameResult = pick.Result;
    }
    HoldMove(Run.Endless);

    // What the move left of its budget is kept for later moves of a conventional control.
    if (!Run.Endless) {
        const double unspent = budget - Spent(std::fabs(TimerSeconds() - searchStart));
        if (unspent > 0) TimeBank += unspent;
        if (MovesPerControl >= 2 && TimeIncrement > 0) TimeBank += TimeIncrement;
    }
    Report = nullptr;
    return toPlay;
}
