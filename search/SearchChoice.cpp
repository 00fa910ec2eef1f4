// SPDX-License-Identifier: GPL-3.0-or-later
// The state the searches share with the driver: which search, what it is asked, the strength, the
// progress of the running search.
#include "search/SearchChoice.h"

#include "search/SearchBas.h"

SearchKind ChosenSearch = SearchKind::Design;
SearchRequest Asked;
std::atomic<bool> Pondering{false};
std::atomic<double> PonderHitTime{0};
int StrengthElo = 0;
SearchProgress Progress;

namespace {
// Changes after each word, so that a waiter that read it before the word cannot sleep through it.
std::atomic<uint32_t> SearchWord{0};

void WakeWaitingSearch() {
    SearchWord.fetch_add(1);
    SearchWord.notify_all();
}
}  // namespace

void RequestSearchStop() {
    StopRequested.store(true);
    StopRequested.notify_all();
    WakeWaitingSearch();
}

void MarkPonderHit(double dTime) {
    PonderHitTime.store(dTime);
    Pondering.store(false);
    WakeWaitingSearch();
}

void WaitForSearchWord(bool (*fDone)()) {
    for (;;) {
        const uint32_t seen = SearchWord.load();
        if (fDone()) return;
        SearchWord.wait(seen);
    }
}
