// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/common/SearchRules.h"

#include <algorithm>
#include <cmath>
#include <random>

int32_t GameVerdict(int32_t nCode, const RootFacts& facts) {
    if (facts.Score <= -2000) nCode = WhiteToMove ? ResultWhiteResigns : ResultBlackResigns;
    if (facts.Score == ScoreInfinity - 2) return WhiteToMove ? ResultWhiteWins : ResultBlackWins;
    if (facts.ThirdTime)
        nCode = ResultRepetition;
    else if (facts.ClaimsFifty)
        nCode = ResultDraw;
    return nCode;
}

int32_t NoMoveVerdict() {
    if (!InCheck()) return ResultDraw;
    return WhiteToMove ? ResultBlackWins : ResultWhiteWins;
}

double FixedMoveBudget(double dSeconds, double dFloor) {
    const double reserve = std::max(0.02 * dSeconds, 0.03);
    return std::max(dSeconds - reserve, dFloor);
}

namespace {
bool IsMateScore(int32_t nScore) {
    return std::abs(nScore) >= ScoreInfinity - SearchPlies;
}
}  // namespace

size_t StrengthPick(int32_t nMargin, const std::vector<int32_t>& scores, double dRandom) {
    if (scores.size() <= 1 || IsMateScore(scores[0])) return 0;  // a mate found is always played
    const double margin = std::max(nMargin, 1);
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
