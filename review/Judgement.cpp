// SPDX-License-Identifier: GPL-3.0-or-later
#include "review/Judgement.h"

#include <algorithm>
#include <cmath>

namespace {

// The logistic fit of winning chances to centipawns the figures are known by.
constexpr double WinSlope = 0.00368208;

// Winning chances as -1..1.
double WinningChances(int cappedCentipawns) {
    const double chances = 2 / (1 + std::exp(-WinSlope * cappedCentipawns)) - 1;
    return std::clamp(chances, -1.0, 1.0);
}

std::optional<int> MateOf(const PositionScore& s) {
    if (s.Over == PositionScore::End::Checkmating) return 1;
    if (s.Over == PositionScore::End::Checkmated) return -1;
    if (s.Eval.IsMate()) return s.Eval.Value;
    return std::nullopt;
}

// A centipawn score as the mate rules read it: a mate has none, and counts as 0.
int RawCentipawns(const PositionScore& s) {
    return MateOf(s) ? 0 : s.Eval.Value;
}

// Marks by how far the winning chances (-1..1) fell: 0.1, 0.2 and 0.3 are 5, 10 and 15 points of win%.
Judgement ByChancesLost(double lost) {
    if (lost >= 0.3) return Judgement::Blunder;
    if (lost >= 0.2) return Judgement::Mistake;
    if (lost >= 0.1) return Judgement::Inaccuracy;
    return Judgement::None;
}

// A forced mate walked into or let go: the worse the position already was for the mover (walked into),
// or the better it still is (let go), the milder the mark.
Judgement ByAdvantageLeft(int centipawns) {
    if (centipawns > 999) return Judgement::Inaccuracy;
    if (centipawns > 700) return Judgement::Mistake;
    return Judgement::Blunder;
}

}  // namespace

PositionScore PositionScore::Negated() const {
    End over = Over;
    if (Over == End::Checkmated) over = End::Checkmating;
    if (Over == End::Checkmating) over = End::Checkmated;
    return PositionScore{Eval.Negated(), over};
}

int PositionScore::CappedCentipawns() const {
    if (const std::optional<int> mate = MateOf(*this))
        return *mate > 0 ? CentipawnCeiling : -CentipawnCeiling;
    return std::clamp(Eval.Value, -CentipawnCeiling, CentipawnCeiling);
}

double WinPercent(int cappedCentipawns) {
    return 50 + 50 * WinningChances(cappedCentipawns);
}

double WinPercent(const PositionScore& s) {
    return WinPercent(s.CappedCentipawns());
}

double MoveAccuracy(double winBefore, double winAfter) {
    if (winAfter >= winBefore) return 100;
    const double drop = winBefore - winAfter;
    // The fitted curve, plus one point for what an engine at a fixed budget cannot see.
    const double raw = 103.1668100711649 * std::exp(-0.04354415386753951 * drop) - 3.166924740191411;
    return std::clamp(raw + 1, 0.0, 100.0);
}

MoveJudgement JudgeMove(const PositionScore& before, const PositionScore& after) {
    const std::optional<int> mateBefore = MateOf(before), mateAfter = MateOf(after);
    if (!mateBefore && !mateAfter) {
        const double lost =
            WinningChances(before.CappedCentipawns()) - WinningChances(after.CappedCentipawns());
        return MoveJudgement{ByChancesLost(lost), MateTurn::None};
    }
    if (!mateBefore && *mateAfter < 0)
        return MoveJudgement{ByAdvantageLeft(-RawCentipawns(before)), MateTurn::MateWalkedInto};
    if (mateBefore && *mateBefore > 0 && (!mateAfter || *mateAfter < 0))
        return MoveJudgement{ByAdvantageLeft(RawCentipawns(after)), MateTurn::MateLetGo};
    // A mate kept (even a slower one), found, or still suffered, or one escaped: no mark.
    return MoveJudgement{};
}

int CentipawnLoss(const PositionScore& before, const PositionScore& after) {
    return std::max(0, before.CappedCentipawns() - after.CappedCentipawns());
}

namespace {

double StandardDeviation(const std::vector<double>& xs) {
    double mean = 0;
    for (const double x : xs) mean += x;
    mean /= static_cast<double>(xs.size());
    double variance = 0;
    for (const double x : xs) variance += (x - mean) * (x - mean);
    return std::sqrt(variance / static_cast<double>(xs.size()));
}

// The weight of each move: how much the winning chances swing around it. The window is a tenth of the
// game (2 to 8 positions); the first moves share the first window.
std::vector<double> VolatilityWeights(const std::vector<double>& whiteWin) {
    const size_t moves = whiteWin.size() - 1;
    const size_t window = std::clamp<size_t>(moves / 10, 2, 8);
    std::vector<double> weights;
    for (size_t i = 0; i < moves; ++i) {
        const size_t start = i + 2 <= window ? 0 : i + 2 - window;
        const size_t end = std::min(start + window, whiteWin.size());
        const std::vector<double> xs(whiteWin.begin() + static_cast<std::ptrdiff_t>(start),
                                     whiteWin.begin() + static_cast<std::ptrdiff_t>(end));
        weights.push_back(std::clamp(StandardDeviation(xs), 0.5, 12.0));
    }
    return weights;
}

struct SideAccuracies {
    std::vector<double> Accuracy, Weight;

    std::optional<double> Combined() const {
        if (Accuracy.empty()) return std::nullopt;
        double weighted = 0, weightSum = 0, inverseSum = 0;
        for (size_t i = 0; i < Accuracy.size(); ++i) {
            weighted += Accuracy[i] * Weight[i];
            weightSum += Weight[i];
            inverseSum += 1 / std::max(1.0, Accuracy[i]);
        }
        const double harmonic = static_cast<double>(Accuracy.size()) / inverseSum;
        return (weighted / weightSum + harmonic) / 2;
    }
};

}  // namespace

GameAccuracies GameAccuracy(const std::vector<double>& whiteWin, bool whiteMovesFirst) {
    if (whiteWin.size() < 2) return {};
    const std::vector<double> weights = VolatilityWeights(whiteWin);
    SideAccuracies white, black;
    for (size_t i = 0; i + 1 < whiteWin.size(); ++i) {
        const bool whiteMoved = (i % 2 == 0) == whiteMovesFirst;
        const double before = whiteMoved ? whiteWin[i] : 100 - whiteWin[i];
        const double after = whiteMoved ? whiteWin[i + 1] : 100 - whiteWin[i + 1];
        SideAccuracies& side = whiteMoved ? white : black;
        side.Accuracy.push_back(MoveAccuracy(before, after));
        side.Weight.push_back(weights[i]);
    }
    return GameAccuracies{white.Combined(), black.Combined()};
}
