// SPDX-License-Identifier: GPL-3.0-or-later
// Texel's method: the evaluation, made a probability of winning by sigmoid(K * value), is fitted to the
// games' results by least squares. K is fitted first with the weights as they are, then every weight by
// gradient descent (Adam) over the whole data set each epoch.
#pragma once
#include <functional>
#include <vector>

#include "tools/tune/TuneData.h"
#include "tools/tune/WeightSource.h"

namespace tune {

// The evaluation of a sample (White's view) under the given weights, as the program works it out.
double ModelValue(const DataSet& data, const Sample& s, const WeightVector& weights);

// The mean squared difference between results and sigmoid(k * value).
double MeanError(const DataSet& data, const WeightVector& weights, double k, int threads);

// The K that makes the mean error least for these weights.
double FitScale(const DataSet& data, const WeightVector& weights, int threads);

// The gradient of the mean error over the weights (into `gradient`); returns the mean error.
double Gradient(const DataSet& data, const WeightVector& weights, double k, int threads,
                WeightVector& gradient);

struct AdamOptions {
    int Epochs = 500;
    double Rate = 1.0;  // centipawns a step, at most, early on
    double Beta1 = 0.9, Beta2 = 0.999;
    int Threads = 1;
    std::vector<bool> Frozen;  // by weight index: left as it is (empty: none)
    // Positions kept apart (not tuned on), their error checked every ApartEvery epochs: the weights kept
    // are those of the epoch that predicted them best, since past it the weights learn the tuning games
    // rather than chess. None: the last epoch's weights are kept.
    const DataSet* Apart = nullptr;
    int ApartEvery = 10;
    // Called after each epoch with its number (from 1), the mean error before the step and the error of
    // the positions apart after it (negative when not checked that epoch).
    std::function<void(int, double, double)> Progress;
};

struct Fitted {
    double Error = 0;       // the mean error with the weights kept
    int Epoch = 0;          // the epoch whose weights were kept (0: the starting weights)
    double ApartError = 0;  // the positions apart with the weights kept (0 when there are none)
    double ApartStart = 0;  // the positions apart with the starting weights
};

// Moves the weights toward the least mean error and leaves in them the weights kept.
Fitted Optimise(const DataSet& data, WeightVector& weights, double k, const AdamOptions& options);

}  // namespace tune
