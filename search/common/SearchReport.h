// SPDX-License-Identifier: GPL-3.0-or-later
// What the search tells whoever runs it, and what it is given to start with. The search formats no text
// and knows nothing of protocols or windows: the driver turns these reports into lines.
#pragma once
#include <cstdint>
#include <vector>

#include "board/BoardBas.h"

// One thinking report: a new best root move, or a finished iteration.
struct ThinkingReport {
    int Depth = 0;              // the depth shown in thinking lines (the design's search: iteration + 2)
    int32_t Score = 0;          // centipawns, from the engine's side
    double Seconds = 0;         // since the turn began (best moves) or the search began (iterations)
    int64_t Nodes = 0;          // root and full-width nodes so far, capture nodes included
    std::vector<MoveRec> Line;  // the principal line, the root move first
    int Iteration = 0;          // the depth searched, as UCI shows it
    int MultiPv = 1;            // which of the best lines this is, 1 the best
    int SelDepth = 0;           // the deepest ply reached; 0 when the search does not count it
    int HashFull = -1;          // per mille of the hash table in use; -1 when the search has none
    bool CutShort = false;      // found as the search was being stopped: its score is of a search cut short
    bool Hundredths = false;    // the protocol's time to the hundredth (the design's: whole seconds)
};

// Called on the thread that searches, while it searches.
class SearchReporter {
  public:
    virtual ~SearchReporter() = default;
    virtual void NewBest(const ThinkingReport& report) = 0;
    // An iteration finished and its move is now the one to play. With several lines asked for, once per
    // line, the best first.
    virtual void IterationDone(const ThinkingReport& report) = 0;
    // The move comes from the opening book: nPly of nBookPlies.
    virtual void BookMove(int nPly, int nBookPlies) = 0;
    // The root move the search turns to now (nNumber counts from 1), told only once it has run a while.
    virtual void CurrentMove(const MoveRec& /*move*/, int /*nNumber*/, int /*nIteration*/) {}
};
