// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/datagen/Generator.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "search/Search.h"
#include "tools/match/Openings.h"

namespace datagen {

int64_t PrepareDataFile(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) return -1;
    int64_t lines = 0, wholeBytes = 0, bytes = 0;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            ++bytes;
            if (buffer[i] != '\n') continue;
            ++lines;
            wholeBytes = bytes;
        }
    }
    if (wholeBytes < bytes && truncate(path.c_str(), static_cast<off_t>(wholeBytes)) != 0) return -1;
    return lines;
}

uint64_t GameSeed(uint64_t seed, int64_t linesAtStart, uint64_t game) {
    // SplitMix64 over the three: nearby numbers give unrelated seeds.
    uint64_t z = seed ^ (static_cast<uint64_t>(linesAtStart) * 0x9E3779B97F4A7C15ull) ^
                 ((game + 1) * 0xD1B54A32D192ED03ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

bool StartOfGame(const std::vector<GameStart>& openings, int randomPlies, uint64_t seed,
                 bitboard::Position& start, int& plyOfStart) {
    using namespace bitboard;
    Random random(seed);
    const GameStart& opening = openings[Draw(random, openings.size())];
    Position base;
    if (!base.SetFen(opening.Fen)) return false;
    for (const std::string& text : opening.Moves) {
        const Move m = base.MoveOfText(text);
        if (m == NoMove) return false;
        Undo undo;
        base.Make(m, undo);
    }
    for (int attempt = 0; attempt < 10; ++attempt) {
        start = base;
        int ply = 0;
        for (; ply < randomPlies; ++ply) {
            const bitboard::MoveList legal = LegalMoves(start);
            if (legal.Count == 0) break;
            Undo undo;
            start.Make(legal.Moves[Draw(random, static_cast<size_t>(legal.Count))], undo);
        }
        if (ply == randomPlies && LegalMoves(start).Count > 0) {
            plyOfStart = static_cast<int>(opening.Moves.size()) + randomPlies;
            return true;
        }
    }
    return false;
}

Generator::Generator(const Settings& settings, std::vector<GameStart> openings)
    : settings_(settings), openings_(std::move(openings)) {}

bool Generator::Run(std::atomic<bool>& stop, std::string& error) {
    linesAtStart_ = PrepareDataFile(settings_.Out);
    if (linesAtStart_ < 0) {
        error = "cannot read " + settings_.Out;
        return false;
    }
    if (linesAtStart_ >= settings_.Positions) return true;
    file_ = std::fopen(settings_.Out.c_str(), "a");
    if (!file_) {
        error = "cannot write " + settings_.Out;
        return false;
    }
    std::vector<std::thread> workers;
    for (int i = 0; i < std::max(1, settings_.Threads); ++i)
        workers.emplace_back([this, &stop] { Work(stop); });
    for (std::thread& t : workers) t.join();
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (writeFailed_.load() || !closed) {
        error = "cannot write " + settings_.Out;
        return false;
    }
    return true;
}

void Generator::Work(std::atomic<bool>& stop) {
    PositionAnalyst analyst(settings_.HashMegabytes, 1);
    while (!stop.load()) {
        const uint64_t game = nextGame_.fetch_add(1);
        bitboard::Position start;
        int plyOfStart = 0;
        if (!StartOfGame(openings_, settings_.RandomPlies, GameSeed(settings_.Seed, linesAtStart_, game),
                         start, plyOfStart))
            continue;
        const GameRecord record = PlayGame(analyst, start, plyOfStart, settings_.Rules, &stop);
        if (!record.Finished || !Append(record, stop)) return;
    }
}

bool Generator::Append(const GameRecord& game, std::atomic<bool>& stop) {
    std::string text;
    for (const std::string& fen : game.Fens) text += fen + " " + ResultText(game.WhitePoints2) + "\n";
    std::lock_guard<std::mutex> hold(fileLock_);
    // Once the target is reached the games still in play are dropped, as on a stop.
    if (stop.load()) return false;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0) {
        writeFailed_ = true;
        stop = true;
        return false;
    }
    ++games_;
    if (linesAtStart_ + (written_ += static_cast<int64_t>(game.Fens.size())) >= settings_.Positions)
        stop = true;
    return true;
}

}  // namespace datagen
