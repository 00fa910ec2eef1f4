// The strong search's time use: a soft limit near the move's fair share of the clock, and a hard one
// that keeps every move well inside what is left, whatever the interface's lag.
#include <algorithm>

#include "search/StrongSearch.h"

namespace {
// Seconds kept on the clock whatever happens: the reply's trip through the pipe (and an adapter such as
// polyglot), the interface's reaction, the search's unwinding.
double Safety(double dLeft) {
    return std::min(0.06 + 0.03 * dLeft, 1.0);
}
constexpr double Floor = 0.005;
}  // namespace

MoveTimes StrongMoveTimes() {
    MoveTimes t;
    if (Asked.Endless || FixedDepthMode()) return t;
    t.Timed = true;
    if (MovesPerControl == 1) {  // st: a fixed time per move, never overrun
        const double s = std::max(BaseTime - std::max(0.02 * BaseTime, 0.03), Floor);
        t.Soft = t.Hard = s;
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
    t.Soft = std::min(usable / moves + 0.75 * inc, usable * 0.4);
    t.Hard = std::min(t.Soft * 4.5, usable * 0.6);
    t.Soft = std::max(t.Soft, Floor);
    t.Hard = std::max(t.Hard, t.Soft);
    return t;
}
