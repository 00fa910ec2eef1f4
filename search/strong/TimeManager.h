// SPDX-License-Identifier: GPL-3.0-or-later
// How long one move may think: a soft limit near the move's fair share of the clock, past which no new
// iteration starts (stretched while the best move is unsettled), and a hard one that ends the search at once
// and keeps every move well inside what is left, whatever the interface's lag.
#pragma once

namespace strong {

// The clock as the interface gave it, in seconds.
struct Clock {
    double MoveTime = 0;  // a fixed time for this move (st, movetime): used in full, never overrun
    double Left = 0;      // otherwise the time left on the clock (0: move at once)
    double Increment = 0;
    int MovesToGo = 0;  // moves to the next time control; 0: the whole game
};

struct MoveTimes {
    double Soft = 0, Hard = 0;
};

MoveTimes TimesFor(const Clock& clock);

// Whether a search that has spent dElapsed of its times may start another iteration: the soft limit
// stretched while the best move keeps changing (dInstability, about 0 to 2) or the score falls (nDrop
// centipawns since the last iteration).
bool AnotherIteration(const MoveTimes& times, double dElapsed, double dInstability, int nDrop);

}  // namespace strong
