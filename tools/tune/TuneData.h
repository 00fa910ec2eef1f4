// SPDX-License-Identifier: GPL-3.0-or-later
// Positions for tuning, each kept as what the evaluation made of it: how often each side earned each
// weight (White's count less Black's; the king-danger weights per king), the phase, the endgame scales,
// and the game's result. The weights can then be changed and the evaluation worked out again without the
// position, many times a second over millions of positions.
#pragma once
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "board/Position.h"

namespace tune {

struct Term {
    uint16_t Index;
    int16_t Coefficient;  // White's count less Black's
};

struct DangerTerm {
    uint16_t Index;
    int16_t Coefficient[2];  // by the colour of the king in danger
};

struct Sample {
    float Result;   // White's score: 1 a win, 0.5 a draw, 0 a loss (fractions for synthetic data)
    int32_t Value;  // the evaluation the program gave it, White's view
    uint8_t Phase;
    uint8_t Scale[2];  // the endgame scale if White, or Black, is ahead in the endgame
    uint16_t TermCount, DangerCount;
    uint32_t FirstTerm, FirstDanger;
};

class DataSet {
  public:
    // Keeps the position with the result (White's score); false for a position whose value endgame
    // knowledge decides without the weights.
    bool Add(const bitboard::Position& pos, double result);
    size_t Size() const { return samples_.size(); }
    const std::vector<Sample>& Samples() const { return samples_; }
    const Term* TermsOf(const Sample& s) const { return terms_.data() + s.FirstTerm; }
    const DangerTerm* DangersOf(const Sample& s) const { return dangers_.data() + s.FirstDanger; }
    // Results changed in place (synthetic data sets).
    void SetResult(size_t i, double result) { samples_[i].Result = float(result); }

  private:
    std::vector<Sample> samples_;
    std::vector<Term> terms_;
    std::vector<DangerTerm> dangers_;
};

// A line of a data file: a position (FEN, four to six fields) and at the end of the line a result,
// either as written by talvor-datagen ("[1.0]", "[0.5]", "[0.0]") or as in EPD sets ("1-0", "1/2-1/2",
// "0-1", quoted or not, after opcodes such as c1 or c9). False for a line that is neither.
bool ParseLine(const std::string& line, std::string& fen, double& result);

struct LoadReport {
    size_t Lines = 0, Kept = 0, Unreadable = 0, Decided = 0;
};

// Reads up to `limit` positions (0: all), reporting progress to `progress` if given.
LoadReport LoadPositions(std::istream& in, DataSet& data, size_t limit, std::ostream* progress);

}  // namespace tune
