// talvor-perft FEN DEPTH [--divide]: counts leaf nodes the way the search walks the tree.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/BoardBas.h"
#include "tools/perft/PerftCount.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: talvor-perft FEN|startpos DEPTH [--divide]\n");
        return 2;
    }
    InitBoardTables();
    ResetGame();
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
