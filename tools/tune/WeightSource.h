// SPDX-License-Identifier: GPL-3.0-or-later
// The weight table written as C++ source (eval/WeightValues.cpp): named fields, values rounded.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "eval/Weights.h"

namespace tune {

// A weight's middlegame and endgame values while tuning.
using WeightPair = std::array<double, 2>;
using WeightVector = std::vector<WeightPair>;  // WeightCount pairs, in table order

// The table the program was built with.
WeightVector CompiledWeights();

// The source file: a comment line from `note`, then the table.
std::string WeightSource(const WeightVector& weights, const std::string& note);

}  // namespace tune
