// The strong search (being built): for now it plays the design's search, so that the settings and
// protocols around it can be built and tested.
#include "search/SearchBas.h"
#include "search/SearchChoice.h"

namespace {
int HashSize = DefaultHashMegabytes;
}

bool SetHashMegabytes(int nMegabytes) {
    if (nMegabytes < MinHashMegabytes || nMegabytes > MaxHashMegabytes) return false;
    HashSize = nMegabytes;
    return true;
}

int HashMegabytes() {
    return HashSize;
}

void ClearHash() {}

MoveRec StrongThink(SearchReporter& report) {
    ChosenSearch = SearchKind::Design;
    const MoveRec m = Think(report);
    ChosenSearch = SearchKind::Strong;
    return m;
}
