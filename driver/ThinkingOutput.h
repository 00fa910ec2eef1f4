// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's thinking as lines: the xboard protocol's, or the game window's in English or Italian.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "driver/IOBas.h"
#include "search/Search.h"

enum class ThinkingFace { Protocol, English, Italian };

std::string ScoreText(int32_t nScore);  // 125 -> "+1.25", -40 -> "-0.40"
std::string ThinkingLine(ThinkingFace face, const ThinkingReport& report);

// Sends what the search reports as lines, tagged as one turn's.
class ThinkingOutput : public SearchReporter {
  public:
    // bKibitz: each finished iteration is also told to the chess server, for a computer opponent.
    ThinkingOutput(ThinkingFace face, bool bKibitz, LineTag tag) : face_(face), kibitz_(bKibitz), tag_(tag) {}
    void NewBest(const ThinkingReport& report) override;
    void IterationDone(const ThinkingReport& report) override;
    void BookMove(int nPly, int nBookPlies) override;
    // The best line of the last finished iteration (empty after a book move).
    const std::vector<MoveRec>& LastLine() const { return lastLine_; }

  private:
    ThinkingFace face_;
    bool kibitz_;
    LineTag tag_;
    std::vector<MoveRec> lastLine_;
};
