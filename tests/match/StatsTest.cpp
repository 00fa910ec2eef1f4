// SPDX-License-Identifier: GPL-3.0-or-later
// The match arithmetic against known values: results published by public testing frameworks (their pair
// counts with the LLR and Elo they printed), and hand-checked samples.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/match/MatchStats.h"

namespace {

// Pair counts (0 .. 2 points) with the hypotheses and the log-likelihood ratio published beside them, to the
// two decimals printed. Normalized Elo in "<a,b>"; the older logistic tests in "{a,b}".
struct Published {
    Pentanomial Pairs;
    double Elo0, Elo1;
    bool Normalized;
    double Llr;
};
const Published kPublished[] = {
    {{{2002, 72968, 180891, 74129, 2034}}, 0, 2, true, 3.22},     // fishtest STC, Stockfish pull 4493
    {{{24, 7350, 23669, 7717, 28}}, 0.5, 2.5, true, 2.94},        // its LTC
    {{{434, 4052, 8304, 4206, 492}}, 0, 4, true, 3.00},           // Monty pull 66, STC
    {{{829, 14632, 32502, 15215, 902}}, 1, 5, true, 2.93},        // its LTC
    {{{126, 3369, 7449, 3572, 147}}, 0, 3, true, 2.95},           // OpenBench, Lizard pull 68
    {{{253, 4282, 17604, 4431, 286}}, -0.25, 1.25, false, 2.94},  // fishtest 2020, Stockfish pull 3209
    {{{424, 2948, 5832, 3045, 460}}, -1, 3, false, 2.94},         // Stockfish pull 2493
};

TEST(Sprt, PublishedRatiosAndTheirBounds) {
    for (const Published& p : kPublished) {
        const SprtSettings s{.Elo0 = p.Elo0, .Elo1 = p.Elo1, .Normalized = p.Normalized};
        EXPECT_NEAR(LogLikelihoodRatio(s, p.Pairs), p.Llr, 0.005) << p.Pairs.Pairs[0] << " " << p.Elo1;
        EXPECT_NEAR(s.LowerBound(), -2.944, 0.0005);
        EXPECT_NEAR(s.UpperBound(), 2.944, 0.0005);
    }
    // The same pairs as the OpenBench report, whose Elo it printed as 2.90 +- 2.08 (95%).
    const EloEstimate e = EstimateElo(SampleOf(kPublished[4].Pairs));
    EXPECT_NEAR(e.Elo, 2.90, 0.005);
    EXPECT_NEAR(e.Error(), 2.08, 0.005);
}

// Worked out with a short independent computation (sum over the data of the two normal laws' log-density
// ratio, each count of zero taken as a thousandth).
TEST(Sprt, SmallSamplesAndTheVerdict) {
    struct Case {
        Pentanomial Pairs;
        double Normalized, Logistic;  // LLR for elo0 = 0, elo1 = 5
    };
    const Case cases[] = {
        {{{0, 0, 10, 0, 0}}, -0.0021, -4.1448},  // all draws: little spread, so logistic +5 is unlikely
        {{{5, 20, 50, 20, 5}}, -0.0207, -0.0518},
        {{{2, 10, 30, 15, 3}}, 0.1536, 0.2398},
        {{{0, 0, 0, 0, 4}}, 1.8805, 30.5261},  // a sweep: the empty classes keep it finite
        {{{0, 0, 0, 0, 0}}, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(LogLikelihoodRatio({.Elo0 = 0, .Elo1 = 5}, c.Pairs), c.Normalized, 1e-4);
        EXPECT_NEAR(LogLikelihoodRatio({.Elo0 = 0, .Elo1 = 5, .Normalized = false}, c.Pairs), c.Logistic,
                    1e-4);
    }
    const SprtSettings s{.Elo0 = 0, .Elo1 = 5};
    EXPECT_EQ(VerdictOf(s, 2.95), SprtVerdict::AcceptH1);
    EXPECT_EQ(VerdictOf(s, -2.95), SprtVerdict::AcceptH0);
    EXPECT_EQ(VerdictOf(s, 2.9), SprtVerdict::Continue);
}

TEST(Elo, FromGamesWithTheInterval) {
    struct Case {
        WinDrawLoss Games;
        double Elo, Error, Low, High, Normalized;
    };
    const double inf = INFINITY;
    const Case cases[] = {
        {{100, 200, 100}, 0, 24.114, -24.114, 24.114, 0},
        {{30, 40, 10}, 88.739, 54.234, 36.636, 145.103, 131.318},
        {{7230, 15111, 6985}, 2.903, 2.769, 0.134, 5.671, 4.169},  // the pairs above counted as games: wider
        {{10, 0, 0}, inf, inf, inf, inf, 0},
    };
    for (const Case& c : cases) {
        const EloEstimate e = EstimateElo(SampleOf(c.Games));
        for (auto [got, want] : {std::pair{e.Elo, c.Elo},
                                 {e.Error(), c.Error},
                                 {e.Low, c.Low},
                                 {e.High, c.High},
                                 {e.NormalizedElo, c.Normalized}}) {
            if (std::isinf(want))
                EXPECT_EQ(got, want) << c.Games.Wins;
            else
                EXPECT_NEAR(got, want, 0.001) << c.Games.Wins;
        }
    }
    EXPECT_NEAR(ScoreOfElo(EloOfScore(0.64)), 0.64, 1e-12);
}

TEST(Sprt, SettingsText) {
    SprtSettings s;
    std::string error;
    ASSERT_TRUE(ParseSprt("elo0=-1 elo1=3 alpha=0.1 beta=0.05 model=logistic", s, error));
    EXPECT_EQ(s.Elo0, -1);
    EXPECT_EQ(s.Elo1, 3);
    EXPECT_FALSE(s.Normalized);
    EXPECT_NEAR(s.UpperBound(), std::log(0.95 / 0.1), 1e-12);
    for (const char* bad : {"elo0=5 elo1=5", "alpha=1", "elo1=x", "gamma=2", "model=bayes", "elo0="})
        EXPECT_FALSE(ParseSprt(bad, s, error)) << bad;
    EXPECT_EQ(s.Elo1, 3);  // a rejected text changes nothing
}

}  // namespace
