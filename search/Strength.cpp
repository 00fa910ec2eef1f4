// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/Strength.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "search/SearchBas.h"
#include "search/SearchChoice.h"

namespace {
// 0 at the bottom of the scale, 1 at the top.
double ScalePosition(int nElo) {
    const int elo = std::clamp(nElo, MinStrengthElo, MaxStrengthElo);
    return static_cast<double>(elo - MinStrengthElo) / (MaxStrengthElo - MinStrengthElo);
}

bool IsMateScore(int32_t nScore) {
    return std::abs(nScore) >= ScoreInfinity - SearchPlies;
}
}  // namespace

// Geometric from 200 nodes to 200000: each step of the scale is worth about the same in play, and a
// doubling of the nodes is what a fixed step of Elo roughly costs.
int64_t StrengthNodeLimit(int nElo) {
    return std::llround(200.0 * std::pow(1000.0, ScalePosition(nElo)));
}

int StrengthLineCount(int nElo) {
    return static_cast<int>(std::lround(6 - 4 * ScalePosition(nElo)));
}

// At the bottom more than a knight, so a piece is sometimes left; from the middle of the scale less
// than one, so only the search's own misjudgements lose material.
int32_t StrengthMargin(int nElo) {
    return static_cast<int32_t>(std::lround(400 - 360 * ScalePosition(nElo)));
}

size_t StrengthPick(int nElo, const std::vector<int32_t>& scores, double dRandom) {
    if (scores.size() <= 1 || IsMateScore(scores[0])) return 0;  // a mate found is always played
    const double margin = StrengthMargin(nElo);
    // Weights fall off with the loss: a move a third of the margin worse is drawn e times less often.
    std::vector<double> weights;
    double total = 0;
    for (int32_t s : scores) {
        const double loss = static_cast<double>(scores[0]) - s;
        if (loss > margin || IsMateScore(s)) break;
        weights.push_back(std::exp(-3 * loss / margin));
        total += weights.back();
    }
    double r = std::clamp(dRandom, 0.0, 1.0) * total;
    for (size_t i = 0; i < weights.size(); ++i) {
        if (r < weights[i]) return i;
        r -= weights[i];
    }
    return weights.empty() ? 0 : weights.size() - 1;
}

double StrengthRandom() {
    static std::mt19937 generator{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}
