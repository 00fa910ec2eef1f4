// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/common/SearchControl.h"

#include "platform/Platform.h"

std::atomic<bool> StopRequested{false};
std::atomic<bool> Pondering{false};
std::atomic<double> PonderHitTime{0};
double MoveStartTime = 0;
SearchProgress Progress;

namespace {
// Raised whenever a stop or a ponder hit may let a held move go: a holding search sleeps on it.
std::atomic<uint32_t> Signals{0};

void Signal() {
    Signals.fetch_add(1);
    Signals.notify_all();
}
}  // namespace

void RequestSearchStop() {
    StopRequested.store(true);
    Signal();
}

void PonderHitNow() {
    PonderHitTime.store(TimerSeconds());
    Pondering.store(false);
    Signal();
}

void HoldMove(bool bEndless) {
    for (;;) {
        // Read before the flags: a signal given after they are read changes it, and the wait returns.
        const uint32_t seen = Signals.load();
        if (StopRequested.load() || (!bEndless && !Pondering.load())) return;
        Signals.wait(seen);
    }
}
