// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's thinking and its move as UCI lines.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "search/Search.h"

// "cp 25" from the side to move; "mate 3" when it mates in three moves, "mate -2" when it is mated in two.
std::string UciScore(int32_t nScore);
// "info depth 4 score cp 25 nodes 1234 nps 61700 time 20 pv e2e4 e7e5 ...", dSeconds into the search;
// empty for a report without a move (no legal move at the root). seldepth, multipv (bMultiPv) and
// hashfull come in when the report has them.
std::string UciInfoLine(const ThinkingReport& report, double dSeconds, bool bMultiPv = false);
// "bestmove e7e8q", or "bestmove 0000" for no move; "bestmove e2e4 ponder e7e5" when the line that
// chose the move goes on.
std::string UciBestMove(const MoveRec& move, const std::vector<MoveRec>& line = {});

// Sends what the search reports as info lines.
class UciThinking : public SearchReporter {
  public:
    explicit UciThinking(bool bMultiPv = false) : multiPv_(bMultiPv) {}
    void NewBest(const ThinkingReport& report) override;
    void IterationDone(const ThinkingReport& report) override;
    void BookMove(int nPly, int nBookPlies) override;
    void CurrentMove(const MoveRec& move, int nNumber, int nIteration) override;
    const std::vector<MoveRec>& LastLine() const { return lastLine_; }

  private:
    bool multiPv_;
    std::vector<MoveRec> lastLine_;  // the best line reported last
    double lastCurrentMove_ = -1;    // when the last currmove line went out
};
