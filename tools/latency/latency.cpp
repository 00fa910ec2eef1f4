// SPDX-License-Identifier: GPL-3.0-or-later
// talvor-latency: how quickly the engine answers. Writes "ping N", waits for "pong N", 1000 times over,
// against the real executable, and prints the median and worst round trip. With --thinking the engine
// thinks at depth 40 meanwhile, as it answers.
// Usage: talvor-latency [TALVOR] [ROUND-TRIPS] [--thinking]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tools/latency/EngineProcess.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const auto flag = std::find(args.begin(), args.end(), "--thinking");
    const bool thinking = flag != args.end();
    if (thinking) args.erase(flag);
    const std::string engine = !args.empty() ? args[0] : ProgramFolder() + "/talvor";
    const int trips = args.size() > 1 ? std::max(1, std::atoi(args[1].c_str())) : 1000;
    EngineProcess process({engine, "-xboard"});
    if (!process.Write("xboard\nprotover 2\n") || !process.ReadUntil("done=1\n", 5000)) {
        std::fprintf(stderr, "talvor-latency: %s does not answer protover 2\n", engine.c_str());
        return 1;
    }
    // A middlegame out of the book; the engine is past its first iterations when the pings begin.
    if (thinking &&
        (!process.Write("new\nsd 40\nsetboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R "
                        "w KQkq - 2 3\nwhite\ngo\n") ||
         !process.ReadUntil("\n5 ", 10000))) {
        std::fprintf(stderr, "talvor-latency: %s does not think\n", engine.c_str());
        return 1;
    }
    process.TakeOutput();
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(trips));
    for (int i = 1; i <= trips; ++i) {
        const std::string n = std::to_string(i);
        const auto start = std::chrono::steady_clock::now();
        if (!process.Write("ping " + n + "\n") || !process.ReadUntil("\npong " + n + "\n", 5000)) {
            std::fprintf(stderr, "talvor-latency: no pong %s\n", n.c_str());
            return 1;
        }
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        process.TakeOutputThrough("\npong " + n + "\n");
    }
    process.Write("quit\n");
    process.WaitExit(2000);
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted.size() % 2 ? sorted[sorted.size() / 2]
                                            : (sorted[sorted.size() / 2 - 1] + sorted[sorted.size() / 2]) / 2;
    std::printf("round trips: %d\nmedian: %.4f ms\nworst: %.4f ms\n", trips, median, sorted.back());
    return 0;
}
