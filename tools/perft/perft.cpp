// SPDX-License-Identifier: GPL-3.0-or-later
// talvor-perft [--strong] FEN DEPTH [--divide]: counts leaf nodes the way the search walks the tree, on the
// design's board or (--strong) on the strong engine's bitboard position.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/BoardBas.h"
#include "board/Position.h"
#include "tools/perft/PerftCount.h"

namespace {

// The leaf count of a position on one board or the other; false when the text is no position.
bool CountLeaves(const std::string& sFen, int nDepth, bool bStrong, uint64_t& nodes) {
    if (bStrong) {
        bitboard::Position pos;
        if (sFen != "startpos" && !pos.SetFen(sFen)) return false;
        nodes = Perft(pos, nDepth);
        return true;
    }
    ResetGame();
    if (sFen != "startpos" && !SetBoard(sFen)) return false;
    nodes = Perft(nDepth);
    return true;
}

// The leaf count below each legal move, printed move by move; the total.
uint64_t Divide(const std::string& sFen, int nDepth, bool bStrong) {
    uint64_t nodes = 0;
    auto print = [&](const std::string& text, uint64_t n) {
        std::printf("%s %llu\n", text.c_str(), static_cast<unsigned long long>(n));
        nodes += n;
    };
    if (bStrong) {
        bitboard::Position pos;
        if (sFen != "startpos") pos.SetFen(sFen);
        bitboard::Undo undo;
        for (bitboard::Move m : bitboard::LegalMoves(pos)) {
            pos.Make(m, undo);
            print(bitboard::MoveText(m), Perft(pos, nDepth - 1));
            pos.Unmake(m, undo);
        }
        return nodes;
    }
    ResetGame();
    if (sFen != "startpos") SetBoard(sFen);
    MoveList list;
    GenerateMoves(list);
    const int ghost = GhostSquare();
    for (int i = 0; i < list.Count; ++i) {
        MoveRec m = list.Move[i];
        MakeMove(m);
        ++Ply;
        if (IsLegalAfterMove(m)) print(MoveToText(m), Perft(nDepth - 1));
        --Ply;
        UnmakeMove(m);
        RestoreGhost(ghost);
    }
    return nodes;
}

}  // namespace

// The published positions at depths deep enough to measure speed; every count must match.
static int RunSuite(bool bStrong) {
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
        const auto start = std::chrono::steady_clock::now();
        uint64_t nodes = 0;
        CountLeaves(c.fen, c.depth, bStrong, nodes);
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
    const bool strong = argc > 1 && std::strcmp(argv[1], "--strong") == 0;
    if (strong) --argc, ++argv;
    if (argc == 2 && std::strcmp(argv[1], "--suite") == 0) return RunSuite(strong);
    if (argc < 3) {
        std::fprintf(
            stderr,
            "usage: talvor-perft [--strong] FEN|startpos DEPTH [--divide]\n"
            "       talvor-perft [--strong] --suite\n"
            "--strong counts on the strong engine's bitboard position, else on the design's board\n");
        return 2;
    }
    const std::string fen = argv[1];
    char* end = nullptr;
    const long depth = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || depth < 1 || depth > 12) {
        std::fprintf(stderr, "talvor-perft: depth must be 1..12\n");
        return 2;
    }
    const bool divide = argc > 3 && std::strcmp(argv[3], "--divide") == 0;
    const auto start = std::chrono::steady_clock::now();
    uint64_t nodes = 0;
    if (!CountLeaves(fen, 0, strong, nodes)) {
        std::fprintf(stderr, "talvor-perft: not a valid position: %s\n", fen.c_str());
        return 2;
    }
    if (divide)
        nodes = Divide(fen, static_cast<int>(depth), strong);
    else
        CountLeaves(fen, static_cast<int>(depth), strong, nodes);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("nodes %llu\nseconds %.3f\nnps %.0f\n", static_cast<unsigned long long>(nodes), seconds,
                seconds > 0 ? nodes / seconds : 0.0);
    return 0;
}
