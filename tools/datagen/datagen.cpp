// SPDX-License-Identifier: GPL-3.0-or-later
// talvor-datagen: positions for tuning the strong evaluation, from the strong engine playing itself at a
// fixed node count a move; see docs/tuning.md.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "search/Search.h"
#include "tools/datagen/Generator.h"
#include "tools/match/Openings.h"

namespace {

const char* const UsageText =
    "usage: talvor-datagen -o FILE [--positions N] [--nodes N] [--threads J] [--random-plies N]\n"
    "                      [--seed S] [--openings FILE] [--hash MB]\n"
    "  -o FILE           data file, appended to; a run continues toward --positions from what it holds\n"
    "  --positions N     lines the file should hold in the end (default 1000000)\n"
    "  --nodes N         nodes searched a move (default 5000)\n"
    "  --threads J       games at once, one engine each (default: the number of cores)\n"
    "  --random-plies N  random legal plies after each opening line (default 8)\n"
    "  --seed S          the games' seed (default: drawn and shown)\n"
    "  --openings FILE   opening lines (default: the shared openings table)\n"
    "  --hash MB         each engine's hash table (default 16)\n";

std::atomic<bool> StopAll{false};

extern "C" void OnInterrupt(int) {
    StopAll = true;
}

[[noreturn]] void Fail(const std::string& message) {
    std::cerr << "talvor-datagen: " << message << "\n";
    std::exit(2);
}

long long Number(const std::string& flag, const char* text, long long least) {
    char* end = nullptr;
    const long long n = text ? std::strtoll(text, &end, 10) : 0;
    if (!text || *end != '\0' || end == text || n < least)
        Fail(flag + " needs a number of at least " + std::to_string(least));
    return n;
}

struct Options {
    datagen::Settings Settings;
    std::string Openings;
    bool SeedGiven = false;
};

Options ReadOptions(int argc, char** argv) {
    Options o;
    o.Settings.Threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (flag == "--help" || flag == "-h") {
            std::cout << UsageText;
            std::exit(0);
        }
        ++i;
        if (flag == "-o") {
            if (!value) Fail("-o needs a file");
            o.Settings.Out = value;
        } else if (flag == "--positions") {
            o.Settings.Positions = Number(flag, value, 1);
        } else if (flag == "--nodes") {
            o.Settings.Rules.Nodes = Number(flag, value, 1);
        } else if (flag == "--threads") {
            o.Settings.Threads = static_cast<int>(Number(flag, value, 1));
        } else if (flag == "--random-plies") {
            o.Settings.RandomPlies = static_cast<int>(Number(flag, value, 0));
        } else if (flag == "--seed") {
            o.Settings.Seed = static_cast<uint64_t>(Number(flag, value, 0));
            o.SeedGiven = true;
        } else if (flag == "--hash") {
            o.Settings.HashMegabytes = static_cast<int>(Number(flag, value, MinHashMegabytes));
        } else if (flag == "--openings") {
            if (!value) Fail("--openings needs a file");
            o.Openings = value;
        } else {
            Fail("unknown option " + flag + " (--help lists them)");
        }
    }
    if (o.Settings.Out.empty()) Fail("no data file: give -o FILE (--help lists the options)");
    return o;
}

std::string Duration(double seconds) {
    const long long s = static_cast<long long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return text;
}

// Positions in the file, games, positions a second this run, and the time left at that pace.
void ShowProgress(const datagen::Generator& g, int64_t target, double seconds, bool terminal, bool last) {
    const int64_t written = g.Written(), total = g.LinesAtStart() + written;
    const double rate = seconds > 0 ? written / seconds : 0;
    const std::string left = rate > 0 && total < target ? Duration((target - total) / rate) : "-";
    std::fprintf(stderr, "%s%lld/%lld positions, %lld games, %.1f positions/s, %s left%s",
                 terminal ? "\r" : "", static_cast<long long>(total), static_cast<long long>(target),
                 static_cast<long long>(g.Games()), rate, left.c_str(), terminal && !last ? "   " : "\n");
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
    Options o = ReadOptions(argc, argv);
    if (!o.SeedGiven)
        o.Settings.Seed = std::random_device{}() | static_cast<uint64_t>(std::random_device{}()) << 32;
    if (o.Openings.empty()) o.Openings = DefaultOpeningsPath();
    if (o.Openings.empty()) Fail("no openings file found: give --openings FILE");
    std::vector<GameStart> openings;
    std::string error;
    if (!ReadOpenings(o.Openings, openings, error)) Fail(error);

    InitSearches();
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    std::fprintf(stderr, "talvor-datagen: %zu openings, seed %llu, %lld nodes a move, %d threads\n",
                 openings.size(), static_cast<unsigned long long>(o.Settings.Seed),
                 static_cast<long long>(o.Settings.Rules.Nodes), o.Settings.Threads);

    datagen::Generator generator(o.Settings, std::move(openings));
    bool ok = true;
    std::thread runner([&] { ok = generator.Run(StopAll, error); });
    const bool terminal = isatty(STDERR_FILENO) != 0;
    const auto start = std::chrono::steady_clock::now();
    auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    // The runner ends when the target is reached or on a stop; until then, a line now and then.
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        double shown = 0;
        while (!done.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const double now = seconds();
            if (now - shown >= (terminal ? 1.0 : 30.0)) {
                ShowProgress(generator, o.Settings.Positions, now, terminal, false);
                shown = now;
            }
        }
    });
    runner.join();
    done = true;
    watcher.join();
    ShowProgress(generator, o.Settings.Positions, seconds(), terminal, true);
    if (!ok) Fail(error);
    if (generator.LinesAtStart() + generator.Written() < o.Settings.Positions)
        std::fprintf(stderr,
                     "talvor-datagen: stopped, the games in play dropped; the same command goes on\n");
    return 0;
}
