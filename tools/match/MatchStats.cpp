// SPDX-License-Identifier: GPL-3.0-or-later
// Elo, its interval and the SPRT from the published formulas (M. Van den Bergh's notes on the GSPRT and on
// normalized Elo): the log-likelihood ratio of two hypotheses about the mean score, each a normal law with
// the variance measured so far.
#include "tools/match/MatchStats.h"

#include <cmath>
#include <limits>
#include <sstream>

namespace {

constexpr double kZ95 = 1.959963984540054;               // two-sided 95% quantile of the normal law
const double kNormalizedScale = 800.0 / std::log(10.0);  // normalized Elo per standard deviation of score

template <size_t N>
ScoreSample SampleOfCounts(const std::array<double, N>& counts, const std::array<double, N>& scores) {
    ScoreSample s;
    for (size_t i = 0; i < N; ++i) s.Units += counts[i];
    if (s.Units <= 0) return s;
    double sum = 0;
    for (size_t i = 0; i < N; ++i) sum += counts[i] * scores[i];
    s.Mean = sum / s.Units;
    double squares = 0;
    for (size_t i = 0; i < N; ++i) squares += counts[i] * (scores[i] - s.Mean) * (scores[i] - s.Mean);
    s.Variance = squares / s.Units;
    return s;
}

constexpr std::array<double, 5> kPairScores = {0, 0.25, 0.5, 0.75, 1};

std::array<double, 5> CountsOf(const Pentanomial& p, double ifZero) {
    std::array<double, 5> c{};
    for (int k = 0; k < 5; ++k) c[k] = p.Pairs[k] == 0 ? ifZero : p.Pairs[k];
    return c;
}

// Standard deviation of one game's score behind a sample.
double GameDeviation(const ScoreSample& s) {
    return std::sqrt(s.PerPair ? 2 * s.Variance : s.Variance);
}

}  // namespace

ScoreSample SampleOf(const WinDrawLoss& wdl) {
    return SampleOfCounts<3>({double(wdl.Losses), double(wdl.Draws), double(wdl.Wins)}, {0, 0.5, 1});
}

ScoreSample SampleOf(const Pentanomial& penta) {
    ScoreSample s = SampleOfCounts<5>(CountsOf(penta, 0), kPairScores);
    s.PerPair = true;
    return s;
}

double EloOfScore(double score) {
    if (score <= 0) return -std::numeric_limits<double>::infinity();
    if (score >= 1) return std::numeric_limits<double>::infinity();
    return -400 * std::log10(1 / score - 1);
}

double ScoreOfElo(double elo) {
    return 1 / (1 + std::pow(10, -elo / 400));
}

EloEstimate EstimateElo(const ScoreSample& sample) {
    EloEstimate e;
    if (sample.Units <= 0) return e;
    const double margin = kZ95 * std::sqrt(sample.Variance / sample.Units);
    e.Elo = EloOfScore(sample.Mean);
    e.Low = EloOfScore(sample.Mean - margin);
    e.High = EloOfScore(sample.Mean + margin);
    const double deviation = GameDeviation(sample);
    if (deviation > 0) e.NormalizedElo = (sample.Mean - 0.5) / deviation * kNormalizedScale;
    return e;
}

double SprtSettings::LowerBound() const {
    return std::log(Beta / (1 - Alpha));
}

double SprtSettings::UpperBound() const {
    return std::log((1 - Beta) / Alpha);
}

bool ParseSprt(const std::string& text, SprtSettings& settings, std::string& error) {
    std::istringstream in(text);
    SprtSettings s = settings;
    for (std::string field; in >> field;) {
        const size_t eq = field.find('=');
        const std::string key = field.substr(0, eq),
                          value = eq == std::string::npos ? "" : field.substr(eq + 1);
        if (key == "model") {
            if (value != "normalized" && value != "logistic") {
                error = "model must be normalized or logistic";
                return false;
            }
            s.Normalized = value == "normalized";
            continue;
        }
        double* target = key == "elo0"    ? &s.Elo0
                         : key == "elo1"  ? &s.Elo1
                         : key == "alpha" ? &s.Alpha
                         : key == "beta"  ? &s.Beta
                                          : nullptr;
        char* end = nullptr;
        const double v = value.empty() ? 0 : std::strtod(value.c_str(), &end);
        if (!target || value.empty() || *end != '\0' || !std::isfinite(v)) {
            error = "cannot read '" + field + "' (elo0=, elo1=, alpha=, beta=, model=)";
            return false;
        }
        *target = v;
    }
    if (!(s.Elo0 < s.Elo1) || !(s.Alpha > 0 && s.Alpha < 1) || !(s.Beta > 0 && s.Beta < 1)) {
        error = "needs elo0 < elo1 and alpha, beta between 0 and 1";
        return false;
    }
    settings = s;
    return true;
}

double LogLikelihoodRatio(const SprtSettings& settings, const Pentanomial& penta) {
    if (penta.Count() == 0) return 0;
    // An empty class would make a lopsided sample's variance zero and the ratio infinite: it counts as a
    // thousandth of a pair, as the public frameworks do.
    ScoreSample s = SampleOfCounts<5>(CountsOf(penta, 1e-3), kPairScores);
    s.PerPair = true;
    if (s.Variance <= 0) return 0;
    double s0, s1;
    if (settings.Normalized) {
        const double deviation = GameDeviation(s);
        s0 = 0.5 + settings.Elo0 / kNormalizedScale * deviation;
        s1 = 0.5 + settings.Elo1 / kNormalizedScale * deviation;
    } else {
        s0 = ScoreOfElo(settings.Elo0);
        s1 = ScoreOfElo(settings.Elo1);
    }
    return s.Units * (s1 - s0) * (2 * s.Mean - s0 - s1) / (2 * s.Variance);
}

SprtVerdict VerdictOf(const SprtSettings& settings, double llr) {
    if (llr >= settings.UpperBound()) return SprtVerdict::AcceptH1;
    if (llr <= settings.LowerBound()) return SprtVerdict::AcceptH0;
    return SprtVerdict::Continue;
}
