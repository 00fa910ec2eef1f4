// SPDX-License-Identifier: GPL-3.0-or-later
// The worker process of a match: reads games to play, one line each, plays them with its own two engines on
// its own referee board, and writes each finished game back as one report.
#pragma once
#include <string>

#include "tools/match/Match.h"

struct GameJob {
    long long Round = 0;
    bool FirstIsWhite = true;
    GameStart Start;
};
std::string EncodeJob(const GameJob& job);
bool DecodeJob(const std::string& line, GameJob& job);

struct GameReport {
    long long Round = 0;
    int WhitePoints2 = 1;
    Fault Failure = Fault::None;
    bool FaultByWhite = false;
    ClockUse Clocks[2];  // White's, Black's
    std::string Reason, Pgn;
    std::string FatalError;  // set instead of a game when the worker cannot go on
};
std::string EncodeReport(const GameReport& report);
// Takes one whole report off the front of buffer; false while it is not all there.
bool TakeReport(std::string& buffer, GameReport& report);

// Plays the jobs read from jobFd until its end, writing reports to reportFd; never returns.
[[noreturn]] void WorkerMain(const MatchConfig& config, int jobFd, int reportFd);
