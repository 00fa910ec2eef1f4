// SPDX-License-Identifier: GPL-3.0-or-later
// A match of game pairs between two UCI engines, several games at once: each running game lives in a
// worker process of its own (the rules library's board is one set of globals), which keeps its two engines
// from game to game and sends each finished game back; this process counts, tests and writes the games.
#pragma once
#include <cstdint>
#include <string>

#include "tools/match/Game.h"
#include "tools/match/MatchStats.h"
#include "tools/match/UciEngine.h"

struct MatchConfig {
    EngineEntry Engines[2];  // the first is the one measured: results are from its view
    Limits Limit;
    ScoreRules Rules;
    std::string OpeningsPath;
    uint64_t Seed = 1;
    int RandomPlies = 0;
    long long Games = 0;  // 0: no cap (until the SPRT decides, or 100 games without one)
    int Concurrency = 1;
    bool Sprt = false;
    SprtSettings SprtTest;
    std::string PgnPath, SummaryPath;
    int ReportEveryPairs = 10;
    double StartSeconds = 30;  // the longest wait for uciok or readyok
    bool Restart = false;      // fresh engine processes for every game
};

// Plays the match, prints progress on standard error and the result on standard output; the exit status:
// 0 played, 1 could not start (engines, openings, files).
int RunMatch(const MatchConfig& config);
