// SPDX-License-Identifier: GPL-3.0-or-later
// talvor-bench [DEPTH] [--lines] [--strong]: searches a fixed set of positions at a fixed depth without the
// book and prints the total node count (a signature of the search: it changes only when the search does),
// the time and the speed. --strong runs the strong search, each position on a cleared hash table.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "driver/ThinkingOutput.h"
#include "platform/Platform.h"
#include "search/Search.h"

namespace {

// Openings, middlegames with both kings castled or not, tactics, and endgames of several kinds.
const char* const kPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8",
    "2rq1rk1/pp1bppbp/3p1np1/4n3/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 0 12",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1",
    "4r1k1/pp3ppp/2p5/3p4/3P1Pq1/2P3P1/PP1Q2KP/4R3 b - - 0 25",
    "r1b1k2r/ppppnppp/2n2q2/2b5/3NP3/2P1B3/PP3PPP/RN1QKB1R w KQkq - 0 7",
    "8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1",
};

}  // namespace

int main(int argc, char** argv) {
    int depth = 5;
    bool lines = false, strong = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lines") == 0) {
            lines = true;
        } else if (std::strcmp(argv[i], "--strong") == 0) {
            strong = true;
        } else {
            char* end = nullptr;
            const long d = std::strtol(argv[i], &end, 10);
            if (*end != '\0' || d < 1 || d > 30) {
                std::fprintf(stderr, "usage: talvor-bench [DEPTH 1..30] [--lines] [--strong]\n");
                return 2;
            }
            depth = static_cast<int>(d);
        }
    }
    InitEngine();
    InGuiMode = false;
    if (strong) ChosenSearch = SearchKind::Strong;
    SendLineCapture = [lines](const std::string& s) {
        if (lines) std::printf("  %s\n", s.c_str());
    };

    int64_t total = 0;
    const double start = TimerSeconds();
    const std::clock_t cpuStart = std::clock();
    for (const char* fen : kPositions) {
        ResetGame();
        BookLoaded = false;
        if (!SetBoard(fen)) {
            std::fprintf(stderr, "talvor-bench: bad position %s\n", fen);
            return 1;
        }
        MaxDepth = depth;
        GameResult = 0;
        if (strong) ClearHash();
        if (lines) std::printf("%s\n", fen);
        ThinkingOutput thinking(ThinkingFace::Protocol, false, {});
        const SearchResult found = Search(SearchRequest{}, thinking);
        std::printf("%-70s %-6s %10lld\n", fen, MoveToText(found.Move).c_str(),
                    static_cast<long long>(found.Nodes));
        total += found.Nodes;
    }
    const double seconds = TimerSeconds() - start;
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    // Processor time matters on a shared machine, where the wall clock also counts other programs.
    std::printf("depth %d\nnodes %lld\nseconds %.3f\nnps %.0f\ncpu-seconds %.3f\ncpu-nps %.0f\n", depth,
                static_cast<long long>(total), seconds,
                seconds > 0 ? static_cast<double>(total) / seconds : 0.0, cpu,
                cpu > 0 ? static_cast<double>(total) / cpu : 0.0);
    return 0;
}
