// SPDX-License-Identifier: GPL-3.0-or-later
// Move generation, make/unmake and position text.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "board/Position.h"
#include "tests/BoardTestUtil.h"
#include "tools/perft/PerftCount.h"

namespace {

const std::pair<const char*, std::vector<uint64_t>> kPerft[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", {20, 400, 8902, 197281}},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", {48, 2039, 97862}},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {14, 191, 2812, 43238}},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467}},
    {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", {6, 264, 9467}},
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379}},
    {"R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1", {218}},  // most legal moves known
};

TEST(Perft, PublishedCounts) {
    for (const auto& [fen, nodes] : kPerft) {
        SetPosition(fen);
        for (size_t d = 0; d < nodes.size(); ++d)
            EXPECT_EQ(Perft(int(d) + 1), nodes[d]) << fen << " " << d + 1;
    }
}

TEST(PositionPerft, PublishedCounts) {
    for (const auto& [fen, nodes] : kPerft) {
        bitboard::Position pos;
        ASSERT_TRUE(pos.SetFen(fen));
        for (size_t d = 0; d < nodes.size(); ++d)
            EXPECT_EQ(Perft(pos, int(d) + 1), nodes[d]) << fen << " " << d + 1;
    }
}

// Everything a make/unmake pair must give back, ghosts aside.
struct Snapshot {
    std::array<uint8_t, BoardSize> board, index;
    std::array<uint8_t, MaxPieces + 1> list;
    std::array<int, BoardSize> touch;
    int count, wk, bk, halfmove, castled[2];
    bool white;
    bool operator==(const Snapshot&) const = default;
    static Snapshot Take() {
        Snapshot s{};
        for (int i = 0; i < BoardSize; ++i) s.board[i] = Board[i] >= WhiteGhost ? EmptySquare : Board[i];
        std::memcpy(s.index.data(), PieceIndex, sizeof PieceIndex);
        std::memcpy(s.list.data() + 1, PieceList + 1, MaxPieces);  // slot 0 is scratch
        std::memcpy(s.touch.data(), TouchCount, sizeof TouchCount);
        s.count = PieceCount, s.wk = WhiteKingSquare, s.bk = BlackKingSquare, s.halfmove = HalfmoveClock;
        s.castled[0] = WhiteCastled, s.castled[1] = BlackCastled;
        s.white = WhiteToMove;
        return s;
    }
};

bool SameLists(bool bCapturesOnly) {
    MoveList fast, reference;
    CapturesOnly = bCapturesOnly;
    GenerateMoves(fast);
    ReferenceGenerateMoves(reference);
    CapturesOnly = false;
    return std::equal(fast.Move, fast.Move + fast.Count, reference.Move, reference.Move + reference.Count);
}

int GhostCount() {
    int n = 0;
    for (int sq = 0; sq < BoardSize; ++sq) n += Board[sq] >= WhiteGhost;
    return n;
}

// Every node of the tree: both generators give the same list, make/unmake gives everything back, the make
// leaves a ghost only behind a double step and starts the fifty-move count again only with a capture or a
// pawn move, and the quick legality test agrees with the plain one.
int CheckTree(int depth) {
    if (depth == 0) return 0;
    int failures = !SameLists(false) + !SameLists(true);
    MoveList list;
    GenerateMoves(list);
    const bool inCheck = InCheck();
    const Snapshot before = Snapshot::Take();
    for (int i = 0; i < list.Count; ++i) {
        MoveRec& m = list.Move[i];
        const int piece = Board[m.From];
        MakeMove(m);
        ++Ply;
        const bool pawn = piece == WhitePawn || piece == BlackPawn, capture = m.Captured < EmptySquare;
        failures += GhostCount() != (pawn && std::abs(m.To - m.From) == 20 ? 1 : 0);
        failures += HalfmoveClock != (pawn || capture ? 0 : before.halfmove + 1);
        const bool legal = IsLegalAfterMove(m);
        failures += IsLegalAfterMove(m, inCheck) != legal;
        if (legal) failures += CheckTree(depth - 1);
        --Ply;
        UnmakeMove(m);
        failures += !(Snapshot::Take() == before);
    }
    return failures;
}

TEST(WholeTrees, FastPathsAgreeWithTheRulesAndUnmakeRestores) {
    for (const auto& [fen, nodes] : kPerft) {
        SetPosition(fen);
        HalfmoveClock = 90;
        EXPECT_EQ(CheckTree(3), 0) << fen;
    }
    for (const char* fen : {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1",
                            "8/8/8/8/k2pP2R/8/8/4K3 b - e3 0 1",       // en passant opens the rank
                            "8/8/6k1/8/3pP3/8/2B5/4K3 b - e3 0 1"}) {  // or the victim's diagonal
        SetPosition(fen);
        EXPECT_EQ(CheckTree(3), 0) << fen;
    }
}

TEST(PositionText, Diagram) {
    FreshGame();
    const std::string d = BoardDiagram();
    EXPECT_EQ(d.substr(0, 22), "\r\n8\tr n b q k b n r \r\n");
    EXPECT_NE(d.find("\r\n1\tR N B Q K B N R \r\n\r\n \ta b c d e f g h\r\n"), std::string::npos);
    EnginePlaysWhite = true;
    EXPECT_EQ(BoardDiagram().substr(0, 22), "\r\n1\tR N B Q K B N R \r\n");
}

TEST(MoveText, RecognitionAndPromotionLetters) {
    for (const char* line : {"e2e4", "e7e8q", "x9y9"}) EXPECT_TRUE(IsMoveText(line)) << line;
    for (const char* line : {"go", "sd 4", "ping 1", "1-0", "e2e", "e2 e4"})
        EXPECT_FALSE(IsMoveText(line)) << line;
    SetPosition("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    MoveRec m;
    EXPECT_FALSE(FindMoveFromText("a7a8", m));
    EXPECT_TRUE(FindMoveFromText("a7a8n", m));
    EXPECT_EQ(m.Promotion, WhiteKnight);
    EXPECT_EQ(MoveToText(m), "a7a8n");
    EXPECT_FALSE(FindMoveFromText("a7a8x", m));
}

TEST(MoveText, IllegalTrialsKeepTheEnPassantMarkerRight) {
    SetPosition("4k3/3n4/8/1B6/3pP3/8/8/4K3 b - e3 0 1");  // the d7 knight is pinned
    MoveRec m;
    EXPECT_FALSE(FindMoveFromText("d7f6", m));
    EXPECT_TRUE(FindMoveFromText("d4e3", m));
    SetPosition("4k3/8/8/8/8/2b5/3P4/4K3 w - - 0 1");  // a pinned pawn's double step leaves no marker
    EXPECT_FALSE(FindMoveFromText("d2d4", m));
    EXPECT_EQ(PositionKey(), "4k3/8/8/8/8/2b5/3P4/4K3 w - -");
}

}  // namespace
