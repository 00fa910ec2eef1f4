// SPDX-License-Identifier: GPL-3.0-or-later
// The tuner: data lines read in both formats, its model equal to the program's evaluation, its gradient
// equal to the error's measured slope, and weights found again on a synthetic data set whose results were
// drawn from known weights.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "eval/StrongEval.h"
#include "tests/eval/EvalTestUtil.h"
#include "tools/tune/Tuner.h"

namespace {

using namespace tune;

TEST(TuneData, LinesOfBothFormats) {
    const struct {
        const char* line;
        const char* fen;
        double result;
    } good[] = {
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1 [1.0]", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 1.0},
        {"4k3/8/8/8/8/8/4P3/4K3 b - - 12 40 [0.5]", "4k3/8/8/8/8/8/4P3/4K3 b - - 12 40", 0.5},
        {"4k3/8/8/8/8/8/4P3/4K3 w - - c9 \"0-1\";", "4k3/8/8/8/8/8/4P3/4K3 w - -", 0.0},
        {"4k3/8/8/8/8/8/4P3/4K3 w - - c0 a-b match, ? 2026.12.08; c1 1/2-1/2;", "4k3/8/8/8/8/8/4P3/4K3 w - -",
         0.5},
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 1-0", "4k3/8/8/8/8/8/4P3/4K3 w - -", 1.0},
    };
    for (const auto& g : good) {
        std::string fen;
        double result = -1;
        ASSERT_TRUE(ParseLine(g.line, fen, result)) << g.line;
        EXPECT_EQ(fen, g.fen);
        EXPECT_EQ(result, g.result);
    }
    std::string fen;
    double result;
    for (const char* bad :
         {"", "4k3/8/8/8/8/8/4P3/4K3 w - -", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1 [2.0]", "1-0"})
        EXPECT_FALSE(ParseLine(bad, fen, result)) << bad;

    std::istringstream file(
        "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1 [1.0]\nnonsense\n4k3/8/8/8/8/8/8/4K3 w - - 0 1 [0.5]\n"
        "4k3/8/8/8/8/8/3QK3/8 b - - 0 1 [1.0]\n");
    DataSet data;
    const LoadReport report = LoadPositions(file, data, 0, nullptr);
    EXPECT_EQ(report.Lines, 4u);
    EXPECT_EQ(report.Unreadable, 1u);
    EXPECT_EQ(report.Decided, 3u);  // king and pawn, kings alone, queen: the weights have no say
    EXPECT_EQ(data.Size(), 0u);
}

// Positions of random games whose evaluation is not far from level: results there say something.
DataSet PlayedPositions(size_t count) {
    DataSet data;
    eval::EvalCache cache;
    for (const std::string& fen : evaltest::RandomGamePositions(8 * count, 11)) {
        const bitboard::Position pos = evaltest::PositionOf(fen);
        if (std::abs(eval::Evaluate(pos, cache)) < 500 && data.Size() < count) data.Add(pos, 0.5);
    }
    return data;
}

TEST(Tuner, ModelGivesTheProgramsEvaluationAndItsGradientTheErrorsSlope) {
    const DataSet data = PlayedPositions(2000);
    ASSERT_EQ(data.Size(), 2000u);
    const WeightVector weights = CompiledWeights();
    for (const Sample& s : data.Samples()) ASSERT_NEAR(ModelValue(data, s, weights), s.Value, 2.0);

    // Against the slope measured by a small step, for weights of every kind: a square, a mobility count,
    // king danger (squared in the middlegame), a passed pawn (mostly endgame, scaled).
    const eval::Weights& w = eval::kWeights;
    const double k = 0.005;
    WeightVector gradient;
    Gradient(data, weights, k, 2, gradient);
    for (const eval::Score* weight : {&w.PieceSquare[1][27], &w.KnightMobility[5], &w.DangerZoneAttacks,
                                      &w.DangerAttackers[4], &w.PassedRank[5], &w.Tempo})
        for (int part = 0; part < 2; ++part) {
            const int i = eval::IndexOf(w, *weight);
            WeightVector up = weights, down = weights;
            // A small step: the side ahead, whose endgame scale counts, changes with the endgame value's
            // sign.
            up[i][part] += 0.01, down[i][part] -= 0.01;
            const double slope = (MeanError(data, up, k, 1) - MeanError(data, down, k, 1)) / 0.02;
            EXPECT_NEAR(gradient[i][part], slope, 1e-2 * std::abs(slope) + 1e-9)
                << "weight " << i << " part " << part;
        }
}

TEST(Tuner, FindsTheWeightsThatMadeTheResults) {
    DataSet data = PlayedPositions(4000);
    // The truth: the compiled weights with a few changed; the results are its winning chances.
    const eval::Weights& w = eval::kWeights;
    const int knight = eval::IndexOf(w, w.PieceValue[1]), passed = eval::IndexOf(w, w.PassedRank[5]);
    const int mobility = eval::IndexOf(w, w.BishopMobility[7]);
    WeightVector truth = CompiledWeights();
    truth[knight] = {truth[knight][0] + 60, truth[knight][1] - 40};
    truth[passed][1] += 80;
    truth[mobility][0] -= 30;
    const double k = 0.006;
    for (size_t i = 0; i < data.Size(); ++i)
        data.SetResult(i, 1 / (1 + std::exp(-k * ModelValue(data, data.Samples()[i], truth))));

    EXPECT_NEAR(FitScale(data, truth, 2), k, k * 0.01);
    WeightVector weights = CompiledWeights();
    const double before = MeanError(data, weights, k, 2);
    AdamOptions adam;
    adam.Epochs = 400;
    adam.Rate = 2.0;
    adam.Threads = 2;
    const Fitted fitted = Optimise(data, weights, k, adam);
    EXPECT_EQ(fitted.Epoch, adam.Epochs);
    EXPECT_LT(fitted.Error, before / 50);
    // A weight and the others that always come with it (a piece's value, its squares, its mobility)
    // cannot be told apart: what is found again is the evaluation.
    double apart = 0;
    for (const Sample& sample : data.Samples())
        apart += std::abs(ModelValue(data, sample, weights) - ModelValue(data, sample, truth));
    EXPECT_LT(apart / data.Size(), 3.0);
}

// Positions apart whose truth lies halfway to the tuning data's: their error falls, then rises as the weights
// go on toward the tuning data's truth, and the weights kept are those of the epoch where it was least.
TEST(Tuner, KeepsTheWeightsThatPredictedThePositionsApartBest) {
    DataSet data = PlayedPositions(1500), apart = PlayedPositions(1500);
    const eval::Weights& w = eval::kWeights;
    const int knight = eval::IndexOf(w, w.PieceValue[1]);
    const double k = 0.006;
    WeightVector halfway = CompiledWeights(), far = CompiledWeights();
    halfway[knight][0] += 60, far[knight][0] += 120;
    for (size_t i = 0; i < data.Size(); ++i) {
        data.SetResult(i, 1 / (1 + std::exp(-k * ModelValue(data, data.Samples()[i], far))));
        apart.SetResult(i, 1 / (1 + std::exp(-k * ModelValue(apart, apart.Samples()[i], halfway))));
    }
    AdamOptions adam;
    adam.Epochs = 120;
    adam.Rate = 2.0;
    adam.Threads = 2;
    adam.Frozen = std::vector<bool>(far.size(), true);  // one weight moves: its path is a straight line
    adam.Frozen[knight] = false;
    WeightVector last = CompiledWeights();
    const Fitted plain = Optimise(data, last, k, adam);
    adam.Apart = &apart;
    adam.ApartEvery = 5;
    WeightVector kept = CompiledWeights();
    const Fitted early = Optimise(data, kept, k, adam);

    EXPECT_GT(early.Epoch, 0);
    EXPECT_LT(early.Epoch, adam.Epochs);
    EXPECT_EQ(early.Epoch % adam.ApartEvery, 0);
    EXPECT_DOUBLE_EQ(early.ApartError, MeanError(apart, kept, k, 2));
    EXPECT_DOUBLE_EQ(early.Error, MeanError(data, kept, k, 2));
    EXPECT_LT(early.ApartError, MeanError(apart, last, k, 2));
    EXPECT_DOUBLE_EQ(early.ApartStart, MeanError(apart, CompiledWeights(), k, 2));
    EXPECT_LT(early.ApartError, early.ApartStart);
    EXPECT_GT(early.Error, plain.Error);
}

}  // namespace
