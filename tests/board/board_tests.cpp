// Move generation, make/unmake and position text.
#include <cstring>

#include "BoardTestUtil.h"
#include "tools/perft/PerftCount.h"

namespace {

struct PerftCase {
    const char* fen;
    std::vector<uint64_t> nodes;  // depth 1, 2, ...
};

const PerftCase kPerft[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", {20, 400, 8902, 197281}},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", {48, 2039, 97862}},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {14, 191, 2812, 43238}},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467}},
    {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", {6, 264, 9467}},
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379}},
    {"R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1", {218}},
};

TEST(Perft, PublishedCounts) {
    for (const PerftCase& c : kPerft) {
        SetPosition(c.fen);
        for (size_t d = 0; d < c.nodes.size(); ++d)
            EXPECT_EQ(Perft(static_cast<int>(d) + 1), c.nodes[d]) << c.fen << " depth " << d + 1;
    }
}

// Everything a make/unmake pair must give back, ghosts aside.
struct Snapshot {
    uint8_t board[BoardSize], index[BoardSize], list[MaxPieces + 1];
    int touch[BoardSize], count, wk, bk, halfmove;
    bool white;
    static Snapshot Take() {
        Snapshot s;
        std::memcpy(s.board, Board, sizeof Board);
        for (uint8_t& c : s.board)
            if (c == WhiteGhost || c == BlackGhost) c = EmptySquare;
        std::memcpy(s.index, PieceIndex, sizeof PieceIndex);
        std::memcpy(s.list, PieceList, sizeof PieceList);
        s.list[0] = 0;
        std::memcpy(s.touch, TouchCount, sizeof TouchCount);
        s.count = PieceCount, s.wk = WhiteKingSquare, s.bk = BlackKingSquare, s.halfmove = HalfmoveClock;
        s.white = WhiteToMove;
        return s;
    }
    bool operator==(const Snapshot& o) const {
        return !std::memcmp(board, o.board, sizeof board) && !std::memcmp(index, o.index, sizeof index) &&
               !std::memcmp(list + 1, o.list + 1, count) && !std::memcmp(touch, o.touch, sizeof touch) &&
               count == o.count && wk == o.wk && bk == o.bk && halfmove == o.halfmove && white == o.white;
    }
};

// Walks the tree and checks after every unmake that the position is back as it was.
int CheckRestore(int depth) {
    if (depth == 0) return 0;
    MoveList list;
    GenerateMoves(list);
    const Snapshot before = Snapshot::Take();
    int failures = 0;
    for (int i = 0; i < list.Count; ++i) {
        MoveRec& m = list.Move[i];
        MakeMove(m);
        ++Ply;
        if (IsLegalAfterMove(m)) failures += CheckRestore(depth - 1);
        --Ply;
        UnmakeMove(m);
        if (!(Snapshot::Take() == before)) ++failures;
    }
    return failures;
}

TEST(MakeUnmake, RestoresEveryArrayOverWholeTrees) {
    for (const PerftCase& c : kPerft) {
        SetPosition(c.fen);
        EXPECT_EQ(CheckRestore(3), 0) << c.fen;
    }
}

TEST(Generation, StartPositionOrder) {
    FreshGame();
    const std::vector<std::string> expected = {"b1a3", "b1c3", "g1f3", "g1h3", "a2a4", "a2a3", "b2b4",
                                               "b2b3", "c2c4", "c2c3", "d2d4", "d2d3", "e2e4", "e2e3",
                                               "f2f4", "f2f3", "g2g4", "g2g3", "h2h4", "h2h3"};
    EXPECT_EQ(MoveTexts(), expected);
}

TEST(Generation, PromotionCapturesComeBeforePushesInPieceOrder) {
    SetPosition("3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1");
    MoveList list;
    GenerateMoves(list);
    std::vector<MoveRec> pawn;
    for (int i = 0; i < list.Count; ++i)
        if (list.Move[i].From == 85) pawn.push_back(list.Move[i]);
    ASSERT_EQ(pawn.size(), 8u);
    const int pieces[4] = {WhiteQueen, WhiteRook, WhiteKnight, WhiteBishop};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(MoveToText(pawn[i]), std::string("e7d8") + "qrnb"[i]);
        EXPECT_EQ(pawn[i].Captured, BlackRook);
        EXPECT_EQ(pawn[i].Promotion, pieces[i]);
        EXPECT_EQ(MoveToText(pawn[4 + i]), std::string("e7e8") + "qrnb"[i]);
        EXPECT_EQ(pawn[4 + i].Captured, EmptySquare);
    }
    MakeMove(pawn[1]);
    EXPECT_EQ(Board[94], WhiteRook);
    UnmakeMove(pawn[1]);
    EXPECT_EQ(Board[85], WhitePawn);
    EXPECT_EQ(Board[94], BlackRook);
}

TEST(Generation, CapturesOnlyKeepsPromotionsAndCastling) {
    SetPosition("4k3/1P6/8/8/8/8/8/R3K2R w KQ - 0 1");
    CapturesOnly = true;
    const std::vector<std::string> texts = MoveTexts();
    CapturesOnly = false;
    const std::vector<std::string> expected = {"e1g1", "e1c1", "b7b8q", "b7b8r", "b7b8n", "b7b8b"};
    EXPECT_EQ(texts, expected);
}

TEST(Generation, EnPassantRecordAndAttackThroughGhost) {
    FreshGame();
    Play("e2e4");
    EXPECT_EQ(Board[45], WhiteGhost);
    ASSERT_TRUE(SetBoard("4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1"));
    MoveRec m;
    ASSERT_TRUE(FindMoveFromText("d4e3", m));
    EXPECT_EQ(m.EnPassant, 1);
    EXPECT_EQ(m.Captured, WhiteGhost);
    MakeMove(m);
    EXPECT_EQ(Board[55], EmptySquare);
    EXPECT_EQ(PieceIndex[55], 0);
    UnmakeMove(m);
    EXPECT_EQ(Board[55], WhitePawn);
    EXPECT_EQ(Board[45], EmptySquare);
    // A ghost never blocks a ray.
    ASSERT_TRUE(SetBoard("4k3/8/8/8/4P3/8/8/4K2r w - - 0 1"));
    Board[26] = WhiteGhost;
    EXPECT_TRUE(IsAttacked(25, 2));
}

TEST(Attacks, PawnsKnightsAndBlockedDiagonals) {
    struct Case {
        const char* fen;
        int square;
        int colour;
        bool attacked;
    } cases[] = {
        {"4k3/8/8/8/1b6/8/8/4K3 w - - 0 1", 25, 2, true},
        {"4k3/8/8/8/1b6/8/3P4/4K3 w - - 0 1", 25, 2, false},
        {"4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", 25, 2, true},  // black pawn d2 attacks e1
        {"4k3/8/8/8/8/8/4p3/4K3 w - - 0 1", 25, 2, false},
        {"4k3/8/8/8/8/8/8/2n1K3 w - - 0 1", 25, 2, false},
        {"4k3/8/8/8/8/3n4/8/4K3 w - - 0 1", 25, 2, true},
        {"4k3/3P4/8/8/8/8/8/4K3 b - - 0 1", 95, 1, true},  // white pawn d7 attacks e8
        {"4k3/4P3/8/8/8/8/8/4K3 b - - 0 1", 95, 1, false},
    };
    for (const Case& c : cases) {
        SetPosition(c.fen);
        EXPECT_EQ(IsAttacked(c.square, c.colour), c.attacked) << c.fen;
    }
}

TEST(Castling, ThroughCheckIsGeneratedButIllegal) {
    SetPosition("4k3/8/8/8/8/8/5r2/R3K2R w KQ - 0 1");
    MoveRec m;
    EXPECT_FALSE(FindMoveFromText("e1g1", m));  // f1 attacked
    EXPECT_TRUE(FindMoveFromText("e1c1", m));
    EXPECT_EQ(m.Castle, CastleWhiteQueen);
    MakeMove(m);
    EXPECT_EQ(Board[24], WhiteRook);
    EXPECT_EQ(WhiteCastled, CastleWhiteQueen);
    UnmakeMove(m);
    EXPECT_EQ(Board[21], WhiteRook);
    EXPECT_EQ(TouchCount[21], 0);
    EXPECT_EQ(WhiteCastled, 0);
}

TEST(Castling, CapturedCornerRookLosesTheRightForGood) {
    SetPosition("4k3/8/8/8/8/8/6b1/R3K2R b KQ - 0 1");
    Play("g2h1");
    EXPECT_GT(TouchCount[28], 0);
    EXPECT_EQ(PositionKey(), "4k3/8/8/8/8/8/8/R3K2b w Q -");
}

TEST(PositionText, RoundTrips) {
    const char* fens[] = {
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "7k/p7/6K1/5Q2/8/8/8/8 w - -",
        "r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6",
        "8/8/8/8/8/8/8/k6K b - -",
    };
    for (const char* fen : fens) {
        FreshGame();
        ASSERT_TRUE(SetBoard(fen)) << fen;
        EXPECT_EQ(PositionKey(), fen);
        ASSERT_TRUE(SetBoard(std::string(fen) + " 12 40"));
        EXPECT_EQ(PositionKey(), fen);
    }
}

TEST(PositionText, UpperCaseSideAndMoveCountersIgnored) {
    FreshGame();
    HalfmoveClock = 7;
    ASSERT_TRUE(SetBoard("7k/8/8/8/8/8/8/K7 W - - 33 90"));
    EXPECT_TRUE(WhiteToMove);
    EXPECT_EQ(HalfmoveClock, 7);
}

TEST(PositionText, BadTextChangesNothing) {
    const char* bad[] = {
        "",
        "8/8/8/8/8/8/8/K6k w -",      // three fields
        "8/8/8/8/8/8/8/K6k x - -",    // side
        "8/8/8/8/8/8/K6k w - -",      // seven ranks
        "8/8/8/8/8/8/8/8/K6k w - -",  // nine ranks
        "8/8/8/8/8/8/8/K5k w - -",    // seven squares on a rank
        "8/8/8/8/8/8/8/K6k1 w - -",   // nine squares on a rank
        "8/8/8/8/8/8/8/K5xk w - -",   // unknown letter
        "8/8/8/8/8/8/8/K6K w - -",    // no black king
        "k7/8/8/8/8/8/8/K5Kk w - -",  // two kings
        "k7/8/8/8/8/8/8/1K5r w - -",  // ok side to move in check is fine...
        "k7/8/8/8/8/8/8/1K5r b - -",  // ...but not the side that just moved
        "qqqqqqqq/qqqqqqqq/qqqqqqqq/qqqqqqqk/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQK w - -",  // 64 pieces
        "8/8/8/8/8/8/8/K6k w - - 0 1 ",
        "P7/8/8/8/8/8/8/K6k w - -",            // pawn on the last rank
        "8/8/8/8/8/8/8/K5pk w - -",            // pawn on the first rank
        "QQQQQQQQ/QQ6/8/8/8/8/8/K6k w - -",    // ten queens
        "k7/8/8/8/8/QQQQQQQQ/Q7/K7 b - -",     // nine queens: possible
        "NNNN4/8/8/8/8/8/PPPPPPP1/K6k w - -",  // seven pawns and two extra knights
    };
    const bool accepted[] = {false, false, false, false, false, false, false, false, false, false,
                             true,  false, false, true,  false, false, false, true,  false};
    for (size_t i = 0; i < std::size(bad); ++i) {
        FreshGame();
        Play("e2e4");
        const std::string key = PositionKey();
        EXPECT_EQ(SetBoard(bad[i]), accepted[i]) << bad[i];
        if (!accepted[i]) {
            EXPECT_EQ(PositionKey(), key) << bad[i];
            EXPECT_EQ(PieceCount, 32);
            EXPECT_EQ(WhiteKingSquare, 25);
        }
    }
}

TEST(PositionText, EnPassantFieldOnlyWhereACaptureIsPossible) {
    struct Case {
        const char* fen;
        const char* key_ep;
    } cases[] = {
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "d6"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d3", "-"},    // wrong rank for White to move
        {"4k3/8/8/4P3/8/8/8/4K3 w - d6", "-"},     // no pawn that could have stepped
        {"4k3/8/3n4/3pP3/8/8/8/4K3 w - d6", "-"},  // never written over a piece
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3", "d3"},
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - z9", "-"},
    };
    for (const Case& c : cases) {
        SetPosition(c.fen);
        const std::string key = PositionKey();
        EXPECT_EQ(key.substr(key.rfind(' ') + 1), c.key_ep) << c.fen;
    }
}

TEST(PositionText, StartDiagram) {
    FreshGame();
    const std::string d = BoardDiagram();
    EXPECT_EQ(d.substr(0, 22), "\r\n8\tr n b q k b n r \r\n");
    EXPECT_NE(d.find("\r\n2\tP P P P P P P P \r\n1\tR N B Q K B N R \r\n\r\n \ta b c d e f g h\r\n"),
              std::string::npos);
    EnginePlaysWhite = true;
    EXPECT_EQ(BoardDiagram().substr(0, 22), "\r\n1\tR N B Q K B N R \r\n");
}

TEST(MoveText, RecognitionAndGameWindowPromotion) {
    struct Case {
        const char* line;
        bool move;
    } cases[] = {{"e2e4", true},    {"e7e8q", true}, {"x9y9", true}, {"go", false}, {"sd 4", false},
                 {"ping 1", false}, {"1-0", false},  {"e2e", false}, {"", false},   {"e2 e4", false}};
    for (const Case& c : cases) EXPECT_EQ(IsMoveText(c.line), c.move) << c.line;

    SetPosition("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    MoveRec m;
    EXPECT_FALSE(FindMoveFromText("a7a8", m));
    EXPECT_TRUE(FindMoveFromText("a7a8n", m));
    EXPECT_EQ(m.Promotion, WhiteKnight);
    InGuiMode = true;
    EXPECT_TRUE(FindMoveFromText("a7a8", m));
    EXPECT_EQ(m.Promotion, WhiteQueen);
    EXPECT_EQ(PromotionLetter, "q");
    EXPECT_TRUE(FindMoveFromText("a7a8r", m));  // the window names a person's choice
    EXPECT_EQ(m.Promotion, WhiteRook);
    EXPECT_FALSE(FindMoveFromText("a7a8x", m));
    InGuiMode = false;
}

TEST(MoveText, PinnedPieceTrialKeepsEnPassant) {
    // The d7 knight is pinned; trying it must not cost Black the en-passant capture.
    SetPosition("4k3/3n4/8/1B6/3pP3/8/8/4K3 b - e3 0 1");
    MoveRec m;
    EXPECT_FALSE(FindMoveFromText("d7f6", m));
    EXPECT_TRUE(FindMoveFromText("d4e3", m));
    // Nor may an illegal double-step trial leave a marker behind.
    SetPosition("4k3/8/8/8/8/2b5/3P4/4K3 w - - 0 1");
    EXPECT_FALSE(FindMoveFromText("d2d4", m));
    EXPECT_EQ(GhostSquare(), 0);
    EXPECT_EQ(PositionKey(), "4k3/8/8/8/8/2b5/3P4/4K3 w - -");
}

}  // namespace
