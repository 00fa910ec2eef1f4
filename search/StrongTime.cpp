// SPDX-License-Identifier: GPL-3.0-or-later
// The strong search's time use: a soft limit near the move's fair share of the clock, and a hard one
// that keeps every move well inside what is left, whatever the interface's lag.
#include <algorithm>

#include "search/StrongSearch.h"

namespace {
// Seconds kept on the clock whatever happens, and what every move costs beyond the search: the reply's
// trip through the pipe (and an adapter such as polyglot), the interface's reaction, a busy machine's
// delay in running the engine at all.
double Safety(double dLeft) {
    return std::min(0.1 + 0.05 * dLeft, 1.5);
}
constexpr double MoveOverhead = 0.04;
constexpr double Floor = 0.005;
}  // namespace

MoveTimes StrongMoveTimes(bool bEndless) {
    MoveTimes t;
    if (bEndless || FixedDepthMode()) return t;
    t.Timed = true;
    if (MovesPerControl == 1) {  // st: a fixed time per move, never overrun
        t.Soft = t.Hard = FixedMoveBudget(BaseTime, Floor);
        return t;
    }
    const double left = TimeLeft;
    if (left <= 0) {  // no clock given: move at once
        t.Soft = t.Hard = Floor;
        return t;
    }
    const double inc = std::max(TimeIncrement, 0.0);
    const double usable = std::max(left - Safety(left), Floor);
    // Moves to share the clock among: those left in the period, or a game's likely rest.
    const int moves = MovesPerControl >= 2 ? std::min(MovesPerControl, 35) : 32;
    const double share = std::min(usable / moves + 0.75 * inc, usable * 0.4);
    t.Soft = std::max(share - MoveOverhead, Floor);
    t.Hard = std::max(std::min(share * 4.5, usable * 0.5) - MoveOverhead, t.Soft);
    return t;
}
