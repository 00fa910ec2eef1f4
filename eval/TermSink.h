// SPDX-License-Identifier: GPL-3.0-or-later
// Where the terms of an evaluation add up: a score per side, and when traced, a count per weight as well.
#pragma once
#include "board/Bitboard.h"
#include "eval/EvalTrace.h"
#include "eval/Weights.h"

namespace eval {

template <bool Traced>
class TermSink {
  public:
    explicit TermSink(EvalTrace* trace) : trace_(trace) {}

    // Gives side c the weight n times.
    void Add(bitboard::Colour c, const Score& weight, int n = 1) {
        sum_[c] += weight * n;
        if constexpr (Traced) trace_->Coefficient[IndexOf(kWeights, weight)][c] += int16_t(n);
    }
    // Gives side c a value worked out before (a table's): traced, its terms went to the trace there.
    void AddValue(bitboard::Colour c, Score value) { sum_[c] += value; }
    Score Of(bitboard::Colour c) const { return sum_[c]; }
    // White's terms less Black's.
    Score Net() const { return sum_[bitboard::White] - sum_[bitboard::Black]; }
    EvalTrace* Trace() const { return trace_; }

  private:
    Score sum_[2];
    EvalTrace* trace_;
};

}  // namespace eval
