// SPDX-License-Identifier: GPL-3.0-or-later
// talvor-perft FEN DEPTH [--divide]: counts leaf nodes the way the search walks the tree.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/BoardBas.h"
#include "tools/perft/PerftCount.h"

// The published positions at depths deep enough to measure speed; every count must match.
static int RunSuite() {
    struct Case {
        const char* name;
        const char* fen;
        int depth;
        uint64_t nodes;
    } cases[] = {
        {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 6, 119060324},
        {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5, 193690690},
        {"position 3", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 6, 11030083},
        {"position 4", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 5, 15833292},
        {"position 5", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 5, 89941194},
    };
    uint64_t total = 0;
    double seconds = 0;
    bool ok = true;
    for (const Case& c : cases) {
        ResetGame();
        SetBoard(c.fen);
        const auto start = std::chrono::steady_clock::now();
        const uint64_t nodes = Perft(c.depth);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ok = ok && nodes == c.nodes;
        total += nodes;
        seconds += s;
        std::printf("%-11s depth %d  nodes %11llu  %s  %.2f s  %.1f M/s\n", c.name, c.depth,
                    static_cast<unsigned long long>(nodes), nodes == c.nodes ? "ok   " : "WRONG", s,
                    nodes / s / 1e6);
    }
    std::printf("total nodes %llu  seconds %.2f  nps %.0f\n", static_cast<unsigned long long>(total), seconds,
                total / seconds);
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    InitBoardTables();
    ResetGame();
    if (argc == 2 && std::strcmp(argv[1], "--suite") == 0) return RunSuite();
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: talvor-perft FEN|startpos DEPTH [--divide]\n       talvor-perft --suite\n");
        return 2;
    }
    const std::string fen = argv[1];
    if (fen != "startpos" && !SetBoard(fen)) {
        std::fprintf(stderr, "talvor-perft: not a valid position: %s\n", fen.c_str());
        return 2;
    }
    char* end = nullptr;
    const long depth = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || depth < 1 || depth > 12) {
        std::fprintf(stderr, "talvor-perft: depth must be 1..12\n");
        return 2;
    }
    const bool divide = argc > 3 && std::strcmp(argv[3], "--divide") == 0;
    const auto start = std::chrono::steady_clock::now();
    uint64_t nodes = 0;
    if (divide) {
        MoveList list;
        GenerateMoves(list);
        const int ghost = GhostSquare();
        for (int i = 0; i < list.Count; ++i) {
            MoveRec m = list.Move[i];
            MakeMove(m);
            ++Ply;
            if (IsLegalAfterMove(m)) {
                const uint64_t n = Perft(static_cast<int>(depth) - 1);
                std::printf("%s %llu\n", MoveToText(m).c_str(), static_cast<unsigned long long>(n));
                nodes += n;
            }
            --Ply;
            UnmakeMove(m);
            RestoreGhost(ghost);
        }
    } else {
        nodes = Perft(static_cast<int>(depth));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("nodes %llu\nseconds %.3f\nnps %.0f\n", static_cast<unsigned long long>(nodes), seconds,
                seconds > 0 ? nodes / seconds : 0.0);
    return 0;
}
