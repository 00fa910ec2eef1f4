// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic of a match: Elo from a score with its 95% interval, and the sequential probability ratio
// test on game pairs (the generalised SPRT's normal approximation, as the public testing frameworks run it).
#pragma once
#include <array>
#include <cmath>
#include <string>

// Games from the first engine's view.
struct WinDrawLoss {
    int Wins = 0, Draws = 0, Losses = 0;
    int Games() const { return Wins + Draws + Losses; }
};

// Game pairs (one opening, colours swapped) by the first engine's points in the pair: Pairs[k] holds the
// pairs in which it scored k/2 points (0, 0.5, 1, 1.5, 2).
struct Pentanomial {
    std::array<int, 5> Pairs{};
    int Count() const { return Pairs[0] + Pairs[1] + Pairs[2] + Pairs[3] + Pairs[4]; }
};

// Mean score per game (0..1) and the variance of one unit's score: a game for W/D/L, a pair's mean score for
// pentanomial counts. Units is how many there were.
struct ScoreSample {
    double Mean = 0.5, Variance = 0;
    double Units = 0;
    bool PerPair = false;  // a pair's score varies less than a game's: the normalized scale must know
};
ScoreSample SampleOf(const WinDrawLoss& wdl);
ScoreSample SampleOf(const Pentanomial& penta);

double EloOfScore(double score);  // +-infinity at 1 and 0
double ScoreOfElo(double elo);

struct EloEstimate {
    double Elo = 0, Low = 0, High = 0;  // the estimate and its 95% interval (may be infinite)
    double Error() const { return std::isinf(High) || std::isinf(Low) ? INFINITY : (High - Low) / 2; }
    double NormalizedElo = 0;  // the score's distance from even in standard deviations of one game, scaled
};
EloEstimate EstimateElo(const ScoreSample& sample);

struct SprtSettings {
    double Elo0 = 0, Elo1 = 5, Alpha = 0.05, Beta = 0.05;
    bool Normalized =
        true;  // hypotheses in normalized Elo (the default of the public frameworks); else logistic
    double LowerBound() const;  // accept H0 at or below
    double UpperBound() const;  // accept H1 at or above
};
// Reads "elo0=0 elo1=5 alpha=0.05 beta=0.05 model=normalized|logistic" (any subset, any order); false with a
// reason on bad text.
bool ParseSprt(const std::string& text, SprtSettings& settings, std::string& error);
// The log-likelihood ratio of H1 against H0 for the pairs played so far.
double LogLikelihoodRatio(const SprtSettings& settings, const Pentanomial& penta);
enum class SprtVerdict { Continue, AcceptH0, AcceptH1 };
SprtVerdict VerdictOf(const SprtSettings& settings, double llr);
