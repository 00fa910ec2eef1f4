// SPDX-License-Identifier: GPL-3.0-or-later
// The model is the evaluation's own arithmetic in floating point: linear terms summed, the king danger
// squared (capped as the program caps it), middlegame and endgame blended by the phase with the endgame
// scaled by the side ahead. Its gradient follows the same steps back.
#include "tools/tune/Tuner.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "eval/StrongEval.h"

namespace tune {

namespace {

using eval::MaxPhase;
using eval::NormalScale;

double Sigmoid(double x) {
    return 1.0 / (1.0 + std::exp(-x));
}

// The parts of a sample's value before the blend.
struct Parts {
    double Mg = 0, Eg = 0;
    double DangerMg[2] = {0, 0}, DangerEg[2] = {0, 0};  // by the king in danger
};

Parts PartsOf(const DataSet& data, const Sample& s, const WeightVector& w) {
    Parts p;
    const Term* terms = data.TermsOf(s);
    for (int i = 0; i < s.TermCount; ++i) {
        p.Mg += terms[i].Coefficient * w[terms[i].Index][0];
        p.Eg += terms[i].Coefficient * w[terms[i].Index][1];
    }
    const DangerTerm* dangers = data.DangersOf(s);
    for (int i = 0; i < s.DangerCount; ++i)
        for (int c = 0; c < 2; ++c) {
            p.DangerMg[c] += dangers[i].Coefficient[c] * w[dangers[i].Index][0];
            p.DangerEg[c] += dangers[i].Coefficient[c] * w[dangers[i].Index][1];
        }
    for (int c = 0; c < 2; ++c) {
        const double sign = c == 0 ? -1.0 : 1.0;  // White's danger costs White
        const double mg = std::clamp(p.DangerMg[c], 0.0, double(eval::DangerMgCap));
        p.Mg += sign * mg * mg / eval::DangerMgDivisor;
        p.Eg += sign * std::max(p.DangerEg[c], 0.0) / eval::DangerEgDivisor;
    }
    return p;
}

// The blend's factors: value = Mg * mgShare + Eg * egShare.
void Shares(const Sample& s, double eg, double& mgShare, double& egShare) {
    const int scale = s.Scale[eg > 0 ? 0 : 1];
    mgShare = double(s.Phase) / MaxPhase;
    egShare = double(MaxPhase - s.Phase) / MaxPhase * scale / NormalScale;
}

// Runs work(first, end, slot) over the samples in `threads` slices at once.
template <class Work>
void InSlices(size_t count, int threads, Work work) {
    threads = std::max(1, threads);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        const size_t first = count * t / threads, end = count * (t + 1) / threads;
        pool.emplace_back(work, first, end, t);
    }
    for (std::thread& th : pool) th.join();
}

}  // namespace

double ModelValue(const DataSet& data, const Sample& s, const WeightVector& weights) {
    const Parts p = PartsOf(data, s, weights);
    double mgShare, egShare;
    Shares(s, p.Eg, mgShare, egShare);
    return p.Mg * mgShare + p.Eg * egShare;
}

double MeanError(const DataSet& data, const WeightVector& weights, double k, int threads) {
    std::vector<double> sums(std::max(1, threads), 0.0);
    const auto& samples = data.Samples();
    InSlices(samples.size(), threads, [&](size_t first, size_t end, int slot) {
        double sum = 0;
        for (size_t i = first; i < end; ++i) {
            const double d = samples[i].Result - Sigmoid(k * ModelValue(data, samples[i], weights));
            sum += d * d;
        }
        sums[slot] = sum;
    });
    double total = 0;
    for (double s : sums) total += s;
    return samples.empty() ? 0 : total / samples.size();
}

double FitScale(const DataSet& data, const WeightVector& weights, int threads) {
    // The error is smooth and has one least point in K: golden-section search on a wide bracket.
    double low = 0.0001, high = 0.05;
    const double ratio = (std::sqrt(5.0) - 1) / 2;
    double a = high - ratio * (high - low), b = low + ratio * (high - low);
    double ea = MeanError(data, weights, a, threads), eb = MeanError(data, weights, b, threads);
    while (high - low > 1e-7) {
        if (ea < eb) {
            high = b, b = a, eb = ea;
            a = high - ratio * (high - low);
            ea = MeanError(data, weights, a, threads);
        } else {
            low = a, a = b, ea = eb;
            b = low + ratio * (high - low);
            eb = MeanError(data, weights, b, threads);
        }
    }
    return (low + high) / 2;
}

double Gradient(const DataSet& data, const WeightVector& w, double k, int threads, WeightVector& gradient) {
    const int slots = std::max(1, threads);
    std::vector<WeightVector> partial(slots, WeightVector(w.size(), {0.0, 0.0}));
    std::vector<double> errors(slots, 0.0);
    const auto& samples = data.Samples();
    InSlices(samples.size(), threads, [&](size_t first, size_t end, int slot) {
        WeightVector& g = partial[slot];
        double error = 0;
        for (size_t n = first; n < end; ++n) {
            const Sample& s = samples[n];
            const Parts p = PartsOf(data, s, w);
            double mgShare, egShare;
            Shares(s, p.Eg, mgShare, egShare);
            const double sigma = Sigmoid(k * (p.Mg * mgShare + p.Eg * egShare));
            error += (s.Result - sigma) * (s.Result - sigma);
            // d(error)/d(value), without the 2/N applied once at the end.
            const double slope = (sigma - s.Result) * sigma * (1 - sigma) * k;
            const double mg = slope * mgShare, eg = slope * egShare;
            const Term* terms = data.TermsOf(s);
            for (int i = 0; i < s.TermCount; ++i) {
                g[terms[i].Index][0] += mg * terms[i].Coefficient;
                g[terms[i].Index][1] += eg * terms[i].Coefficient;
            }
            // The danger's cost: 2d/720 per unit of danger in the middlegame (below the cap), 1/20 in the
            // endgame, while the danger is above zero.
            double mgSlope[2], egSlope[2];
            for (int c = 0; c < 2; ++c) {
                const double sign = c == 0 ? -1.0 : 1.0;
                const double d = p.DangerMg[c];
                mgSlope[c] = d > 0 && d < eval::DangerMgCap ? sign * mg * 2 * d / eval::DangerMgDivisor : 0;
                egSlope[c] = p.DangerEg[c] > 0 ? sign * eg / eval::DangerEgDivisor : 0;
            }
            const DangerTerm* dangers = data.DangersOf(s);
            for (int i = 0; i < s.DangerCount; ++i)
                for (int c = 0; c < 2; ++c) {
                    g[dangers[i].Index][0] += mgSlope[c] * dangers[i].Coefficient[c];
                    g[dangers[i].Index][1] += egSlope[c] * dangers[i].Coefficient[c];
                }
        }
        errors[slot] = error;
    });
    const double n = std::max<size_t>(1, samples.size());
    gradient.assign(w.size(), {0.0, 0.0});
    double error = 0;
    for (int t = 0; t < slots; ++t) {
        error += errors[t];
        for (size_t i = 0; i < w.size(); ++i)
            for (int j = 0; j < 2; ++j) gradient[i][j] += 2 * partial[t][i][j] / n;
    }
    return error / n;
}

Fitted Optimise(const DataSet& data, WeightVector& weights, double k, const AdamOptions& options) {
    WeightVector gradient, moment(weights.size(), {0.0, 0.0}), velocity(weights.size(), {0.0, 0.0});
    const bool apart = options.Apart && options.Apart->Size() > 0 && options.ApartEvery > 0;
    Fitted kept;
    WeightVector best;
    if (apart) {
        kept.ApartStart = kept.ApartError = MeanError(*options.Apart, weights, k, options.Threads);
        best = weights;
    }
    double beta1Power = 1, beta2Power = 1;
    for (int epoch = 1; epoch <= options.Epochs; ++epoch) {
        const double error = Gradient(data, weights, k, options.Threads, gradient);
        beta1Power *= options.Beta1;
        beta2Power *= options.Beta2;
        for (size_t i = 0; i < weights.size(); ++i) {
            if (!options.Frozen.empty() && options.Frozen[i]) continue;
            for (int j = 0; j < 2; ++j) {
                const double g = gradient[i][j];
                moment[i][j] = options.Beta1 * moment[i][j] + (1 - options.Beta1) * g;
                velocity[i][j] = options.Beta2 * velocity[i][j] + (1 - options.Beta2) * g * g;
                const double m = moment[i][j] / (1 - beta1Power), v = velocity[i][j] / (1 - beta2Power);
                weights[i][j] -= options.Rate * m / (std::sqrt(v) + 1e-12);
            }
        }
        double apartError = -1;
        if (apart && epoch % options.ApartEvery == 0) {
            apartError = MeanError(*options.Apart, weights, k, options.Threads);
            if (apartError < kept.ApartError)
                kept.ApartError = apartError, kept.Epoch = epoch, best = weights;
        }
        if (options.Progress) options.Progress(epoch, error, apartError);
    }
    if (apart)
        weights = best;
    else
        kept.Epoch = options.Epochs;
    kept.Error = MeanError(data, weights, k, options.Threads);
    return kept;
}

}  // namespace tune
