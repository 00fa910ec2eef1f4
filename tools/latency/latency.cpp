// talvor-latency: how quickly the engine answers. Writes "ping N", waits for "pong N", 1000 times over,
// against the real executable, and prints the median and worst round trip.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tools/latency/EngineProcess.h"

int main(int argc, char** argv) {
    const std::string engine = argc > 1 ? argv[1] : ProgramFolder() + "/talvor";
    const int trips = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    EngineProcess process({engine, "-xboard"});
    if (!process.Write("xboard\nprotover 2\n") || !process.ReadUntil("done=1\n", 5000)) {
        std::fprintf(stderr, "talvor-latency: %s does not answer protover 2\n", engine.c_str());
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
        process.TakeOutput();
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
