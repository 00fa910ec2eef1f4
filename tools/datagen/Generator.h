// SPDX-License-Identifier: GPL-3.0-or-later
// Self-play games on several threads at once, one engine a thread, their quiet positions appended to a
// data file a whole game at a time, until the file holds the positions asked for or the run is stopped.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "tools/datagen/SelfPlay.h"
#include "tools/match/Game.h"

namespace datagen {

struct Settings {
    std::string Out;              // the data file, appended to
    int64_t Positions = 1000000;  // the file's target line count
    int RandomPlies = 8;          // random legal plies after each opening line
    int Threads = 1;              // games at once, an engine each
    int HashMegabytes = 16;       // each engine's
    uint64_t Seed = 1;
    GameRules Rules;
};

// Counts the whole lines of a data file (0 when there is none) and cuts off a last line without its end:
// the remains of a write that was killed, which would otherwise run into the next game's first line.
// -1 when the file cannot be read or cut.
int64_t PrepareDataFile(const std::string& path);

// The seed of one game: the same run seed, file length at start and game number give the same game. The
// length keeps a resumed run from playing again the games its first part wrote.
uint64_t GameSeed(uint64_t seed, int64_t linesAtStart, uint64_t game);

// The position one game starts from: an opening line drawn by the seed, then random legal plies (drawn
// again when they end the game). False when the opening is not legal.
bool StartOfGame(const std::vector<GameStart>& openings, int randomPlies, uint64_t seed,
                 bitboard::Position& start, int& plyOfStart);

class Generator {
  public:
    Generator(const Settings& settings, std::vector<GameStart> openings);
    // Plays until the target is reached or stop is set (games in play are then dropped). False with a
    // reason when the file cannot be read or written.
    bool Run(std::atomic<bool>& stop, std::string& error);

    // For the progress line, from any thread while Run runs.
    int64_t LinesAtStart() const { return linesAtStart_; }
    int64_t Written() const { return written_.load(); }  // positions this run
    int64_t Games() const { return games_.load(); }      // games this run

  private:
    void Work(std::atomic<bool>& stop);
    bool Append(const GameRecord& game, std::atomic<bool>& stop);

    Settings settings_;
    std::vector<GameStart> openings_;
    int64_t linesAtStart_ = 0;
    std::atomic<int64_t> written_{0}, games_{0};
    std::atomic<uint64_t> nextGame_{0};
    std::atomic<bool> writeFailed_{false};
    std::mutex fileLock_;  // one game's lines at a time
    std::FILE* file_ = nullptr;
};

}  // namespace datagen
