// SPDX-License-Identifier: GPL-3.0-or-later
// What the tuner needs of one evaluation: how often each side earned each weight, the phase and the
// endgame scale, so that the evaluation can be worked out again for any weights without the position.
#pragma once
#include <cstdint>

#include "eval/Weights.h"

namespace eval {

struct EvalTrace {
    // [weight][colour]: how many times that side earned the weight. For the king-danger weights the
    // colour is that of the king in danger.
    int16_t Coefficient[WeightCount][2];
    Score Terms;  // every term added up before the blend: White's less Black's
    int Phase;
    int Scale[2];  // the endgame scale, if White or Black is the side ahead in the endgame
    bool Decided;  // endgame knowledge gave the value on its own: no weight explains it
    int Value;     // the evaluation, White's view
};

}  // namespace eval
