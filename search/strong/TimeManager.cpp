// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/strong/TimeManager.h"

#include <algorithm>

#include "search/common/SearchRules.h"

namespace strong {

namespace {
// Seconds kept on the clock whatever happens.
double Reserve(double dLeft) {
    return std::min(0.1 + 0.05 * dLeft, 1.5);
}
// What every move costs beyond the search: the reply's trip through the pipe (and an adapter such as
// polyglot), the interface's reaction, a busy machine's delay in running the engine at all.
constexpr double MoveOverhead = 0.04;
constexpr double Floor = 0.005;
// However large the increment, one move takes at most this part of what is left: an increment as large
// as the clock must not tempt a move into spending the clock it has not yet earned back.
constexpr double LargestShare = 0.4;
}  // namespace

MoveTimes TimesFor(const Clock& clock) {
    if (clock.MoveTime > 0) {
        const double budget = FixedMoveBudget(clock.MoveTime, Floor);
        return {budget, budget};
    }
    if (clock.Left <= 0) return {Floor, Floor};  // no clock given: move at once
    const double usable = std::max(clock.Left - Reserve(clock.Left), Floor);
    const double inc = std::max(clock.Increment, 0.0);
    // Moves to share the clock among: those left in the period, or a game's likely rest.
    const int moves = clock.MovesToGo >= 1 ? std::min(clock.MovesToGo, 35) : 32;
    const double share = std::min(usable / moves + 0.75 * inc, usable * LargestShare);
    MoveTimes t;
    t.Soft = std::max(share - MoveOverhead, Floor);
    t.Hard = std::max(std::min(share * 4.5, usable * 0.5) - MoveOverhead, t.Soft);
    return t;
}

bool AnotherIteration(const MoveTimes& times, double dElapsed, double dInstability, int nDrop) {
    // A fixed time per move is there to be used: the hard limit ends the search.
    if (times.Soft >= times.Hard) return true;
    double scale = 0.7 + 0.5 * dInstability;
    if (nDrop > 25) scale *= 1.3;
    if (nDrop > 60) scale *= 1.3;
    return dElapsed < times.Soft * scale * 0.6;
}

}  // namespace strong
