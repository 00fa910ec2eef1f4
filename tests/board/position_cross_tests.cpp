// SPDX-License-Identifier: GPL-3.0-or-later
// The bitboard position against the design's board, in random games from varied positions: at every ply
// the same legal moves, the same key as the text key gives, the same text; checks, pseudo-legality and
// unmake on every move; the conversion of the design's game, and the FEN text both boards take or refuse.
#include <algorithm>
#include <random>
#include <sstream>

#include "board/GamePosition.h"
#include "board/Position.h"
#include "tests/BoardTestUtil.h"

namespace {

using bitboard::Move;
using bitboard::Position;

const char* const kStarts[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 0 1",
    "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1",
    "r3k3/8/8/8/8/8/8/4K2R w KQkq - 0 1",  // rights without their rooks, as the text may give them
    "8/8/8/8/k2pP2R/8/8/4K3 b - e3 0 1",
    "8/8/6k1/8/3pP3/8/2B5/4K3 b - e3 0 1",
    "4k3/1P4P1/8/2pP4/8/8/1p4p1/4K3 w - c6 0 1",
    "8/8/4k3/8/8/3K4/8/R7 w - - 0 1",  // few pieces: positions come back
    "8/3k4/8/8/2N5/8/3K4/5B2 b - - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 0 1",
};

// Sanitizer builds run a tenth of the games.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TALVOR_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TALVOR_SANITIZED 1
#endif
#endif
#ifdef TALVOR_SANITIZED
constexpr int kGamesPerStart = 15;
#else
constexpr int kGamesPerStart = 150;
#endif
constexpr int kGamePlies = 120;

std::string FirstFields(const std::string& s, int n) {
    std::istringstream in(s);
    std::string field, out;
    for (int i = 0; i < n && in >> field; ++i) out += (i ? " " : "") + field;
    return out;
}

std::vector<std::string> Texts(const Move* begin, const Move* end) {
    std::vector<std::string> texts;
    for (const Move* m = begin; m != end; ++m) texts.push_back(bitboard::MoveText(*m));
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::vector<std::string> DesignMoveTexts() {
    std::vector<std::string> texts;
    for (const MoveRec& m : LegalMoves()) texts.push_back(MoveToText(m));
    std::sort(texts.begin(), texts.end());
    return texts;
}

// What the position works out move by move, worked out afresh from its text.
std::string StateDifference(const Position& pos) {
    Position fresh;
    if (!fresh.SetFen(pos.Fen())) return "its own FEN is not read back: " + pos.Fen();
    if (fresh.Fen() != pos.Fen()) return "FEN round trip " + fresh.Fen();
    if (fresh.Key() != pos.Key() || fresh.PawnKey() != pos.PawnKey()) return "keys";
    if (fresh.Checkers() != pos.Checkers()) return "checkers";
    for (bitboard::Colour c : {bitboard::White, bitboard::Black}) {
        if (fresh.BlockersForKing(c) != pos.BlockersForKing(c) || fresh.Pinners(c) != pos.Pinners(c))
            return "blockers";
        for (int t = bitboard::Pawn; t <= bitboard::King; ++t)
            if (pos.Count(c, bitboard::PieceType(t)) !=
                bitboard::PopCount(pos.Pieces(c, bitboard::PieceType(t))))
                return "piece count";
    }
    for (int t = bitboard::Pawn; t <= bitboard::King; ++t)
        if (fresh.CheckSquares(bitboard::PieceType(t)) != pos.CheckSquares(bitboard::PieceType(t)))
            return "check squares";
    return "";
}

std::vector<uint16_t> Codes(const Move* begin, const Move* end) {
    std::vector<uint16_t> codes;
    for (const Move* m = begin; m != end; ++m) codes.push_back(m->Code());
    std::sort(codes.begin(), codes.end());
    return codes;
}

// Captures and quiet moves split the pseudo-legal moves between them, each where it belongs.
std::string GenerationDifference(const Position& pos) {
    Move captures[bitboard::MaxMoves], quiets[bitboard::MaxMoves], all[bitboard::MaxMoves];
    const Move* allEnd = bitboard::GeneratePseudoLegal(pos, all);
    if (pos.InCheck()) {
        for (const Move* m = all; m != allEnd; ++m)
            if (!pos.IsPseudoLegal(*m)) return "evasion not pseudo-legal " + bitboard::MoveText(*m);
        return "";
    }
    const Move* capturesEnd = bitboard::GenerateCaptures(pos, captures);
    const Move* quietsEnd = bitboard::GenerateQuiets(pos, quiets);
    for (const Move* m = captures; m != capturesEnd; ++m)
        if (!pos.IsCapture(*m) && !(m->IsPromotion() && m->Promoted() == bitboard::Queen))
            return "not a capture " + bitboard::MoveText(*m);
    for (const Move* m = quiets; m != quietsEnd; ++m)
        if (pos.IsCapture(*m) && !m->IsPromotion())
            return "a capture among the quiet moves " + bitboard::MoveText(*m);
    std::vector<uint16_t> both = Codes(captures, capturesEnd), rest = Codes(quiets, quietsEnd);
    both.insert(both.end(), rest.begin(), rest.end());
    std::sort(both.begin(), both.end());
    if (both != Codes(all, allEnd) || std::adjacent_find(both.begin(), both.end()) != both.end())
        return "captures and quiet moves are not the moves";
    return "";
}

// Every legal move: pseudo-legal and legal, checks as making it shows, unmade without a trace.
std::string MoveDifference(Position& pos, const bitboard::MoveList& legal, std::mt19937& rng) {
    const Position before = pos;
    for (Move m : legal) {
        if (!pos.IsPseudoLegal(m) || !pos.IsLegal(m))
            return "legal move not pseudo-legal " + bitboard::MoveText(m);
        const bool check = pos.GivesCheck(m);
        bitboard::Undo undo;
        pos.Make(m, undo);
        const bool inCheck = pos.InCheck();
        pos.Unmake(m, undo);
        if (check != inCheck) return "GivesCheck wrong for " + bitboard::MoveText(m);
        if (!(pos == before)) return "unmake of " + bitboard::MoveText(m);
    }
    // Codes that are no legal move here: any 16 bits, and moves of the side's own pieces.
    const bitboard::Bitboard own = pos.Pieces(pos.SideToMove());
    for (int i = 0; i < 24; ++i) {
        uint16_t code = static_cast<uint16_t>(rng());
        if (i % 2) {
            int k = static_cast<int>(rng() % bitboard::PopCount(own));
            bitboard::Bitboard b = own;
            while (k--) b &= b - 1;
            code = static_cast<uint16_t>((code & ~63u) | bitboard::Lsb(b));
        }
        const Move m{code};
        if ((pos.IsPseudoLegal(m) && pos.IsLegal(m)) != legal.Contains(m))
            return "code " + std::to_string(code) + " " + bitboard::MoveText(m);
    }
    return "";
}

// Everything both boards should agree on at this ply; empty when they do.
std::string PlyDifference(Position& pos, std::mt19937& rng) {
    const bitboard::MoveList legal = bitboard::LegalMoves(pos);
    if (Texts(legal.begin(), legal.end()) != DesignMoveTexts()) return "legal moves";
    if (pos.Key() != HashOfPositionKey(PositionKey())) return "key";
    if (FirstFields(pos.Fen(), 4) != PositionKey()) return "text " + pos.Fen();
    for (const std::string& d :
         {StateDifference(pos), GenerationDifference(pos), MoveDifference(pos, legal, rng)})
        if (!d.empty()) return d;
    return "";
}

// The design's game converted: the same position, and a move repeats it where the game's table says so.
std::string ConversionDifference(const Position& pos, const std::string& sStartKey) {
    Position game = PositionOfGame();
    if (FirstFields(game.Fen(), 5) != FirstFields(pos.Fen(), 5)) return "converted " + game.Fen();
    if (game.Key() != pos.Key()) return "converted key";
    Position line = pos;
    for (Move m : bitboard::LegalMoves(game)) {
        // The move as the design's board records it: squares, what it takes, its promotion and castling.
        MoveRec design;
        if (!GameMoveOf(m, design)) return "no game move " + bitboard::MoveText(m);
        MoveRec converted = MoveRecOf(game, m);
        converted.CapturedSlot = design.CapturedSlot;
        if (!(converted == design)) return "move record " + bitboard::MoveText(m);
        bitboard::Undo undo, lineUndo;
        game.Make(m, undo);
        line.Make(m, lineUndo);
        const std::string key = FirstFields(game.Fen(), 4);
        const auto it = RepetitionTable.find(key);
        const bool inTable = it != RepetitionTable.end() && it->second >= 1;
        if (game.Repeats() != inTable) return "repetition after " + bitboard::MoveText(m);
        if (line.Repeats() != (inTable || key == sStartKey))
            return "line repetition after " + bitboard::MoveText(m);
        game.Unmake(m, undo);
        line.Unmake(m, lineUndo);
    }
    return "";
}

TEST(PositionAgainstDesign, RandomGames) {
    std::mt19937 rng(20250325);
    int games = 0, plies = 0;
    for (const char* fen : kStarts) {
        for (int g = 0; g < kGamesPerStart; ++g, ++games) {
            SetPosition(fen);
            Position pos;
            ASSERT_TRUE(pos.SetFen(fen));
            const Position start = pos;
            const std::string startKey = PositionKey();
            std::vector<std::pair<Move, bitboard::Undo>> made;
            for (int ply = 0; ply < kGamePlies; ++ply, ++plies) {
                ASSERT_EQ(PlyDifference(pos, rng), "") << fen << " game " << g << " at " << pos.Fen();
                const bitboard::MoveList legal = bitboard::LegalMoves(pos);
                if (legal.Count == 0) break;
                const Move m = legal.Moves[rng() % legal.Count];
                MoveRec rec;
                ASSERT_TRUE(FindMoveFromText(bitboard::MoveText(m), rec));
                MakeGameMove(rec);
                RecordMove(rec);
                ++RepetitionTable[PositionKey()];
                made.emplace_back(m, bitboard::Undo{});
                pos.Make(m, made.back().second);
            }
            if (g % 5 == 0) {
                ASSERT_EQ(ConversionDifference(pos, startKey), "") << fen << " game " << g;
            }
            for (; !made.empty(); made.pop_back()) pos.Unmake(made.back().first, made.back().second);
            ASSERT_TRUE(pos == start) << fen << " game " << g;
        }
    }
    EXPECT_GT(plies, games * 30);
}

// Text both boards take or refuse alike, refused text leaving each board as it was; the design's board keeps
// its own fifty-move count and an en-passant square only where a pawn can take.
TEST(PositionText, BothBoardsTakeTheSameTextAndBadTextChangesNothing) {
    const struct {
        const char* fen;
        const char* ep;  // the en-passant field once taken; nullptr: refused
    } cases[] = {
        {"", nullptr},
        {"8/8/8/8/8/8/8/K6k w -", nullptr},               // three fields
        {"8/8/8/8/8/8/8/K6k x - -", nullptr},             // side
        {"8/8/8/8/8/8/K6k w - -", nullptr},               // seven ranks
        {"8/8/8/8/8/8/8/8/K6k w - -", nullptr},           // nine ranks
        {"8/8/8/8/8/8/8/K5k w - -", nullptr},             // seven squares on a rank
        {"8/8/8/8/8/8/8/K6k1 w - -", nullptr},            // nine squares on a rank
        {"8/8/8/8/8/8/8/K5xk w - -", nullptr},            // unknown letter
        {"8/8/8/8/8/8/8/K6x w - -", nullptr},             // ...as the only black king
        {"8/8/8/8/8/8/8/K6K w - -", nullptr},             // no black king
        {"4k3/8/8/8/8/8/8/8 w - -", nullptr},             // no white king
        {"k7/8/8/8/8/8/8/K5Kk w - -", nullptr},           // two kings
        {"k7/8/8/8/8/8/8/1K5r w - -", "-"},               // the side to move may be in check...
        {"k7/8/8/8/8/8/8/1K5r b - -", nullptr},           // ...the side that just moved may not
        {"P7/8/8/8/8/8/8/K6k w - -", nullptr},            // pawn on the last rank
        {"QQQQQQQQ/QQ6/8/8/8/8/8/K6k w - -", nullptr},    // ten queens
        {"k7/8/8/8/8/QQQQQQQQ/Q7/K7 b - -", "-"},         // nine queens can happen
        {"NNNN4/8/8/8/8/8/PPPPPPP1/K6k w - -", nullptr},  // seven pawns and two extra knights
        {"8/8/8/8/8/8/8/K6k w - - 0 1 ", "-"},
        {"7k/8/8/8/8/8/8/K7 W - -", "-"},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 12 40", "e3"},
        {"r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6", "d6"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d3", "-"},
        {"4k3/8/8/4P3/8/8/8/4K3 w - d6", "-"},     // no pawn passed d6
        {"4k3/8/3n4/3pP3/8/8/8/4K3 w - d6", "-"},  // a knight stands on it
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3", "d3"},
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - z9", "-"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KXq- -", "-"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w -KQ -", "-"},
    };
    for (const auto& c : cases) {
        FreshGame();
        Play("e2e4");
        HalfmoveClock = 7;
        const std::string key = PositionKey();
        Position pos;
        EXPECT_EQ(SetBoard(c.fen), c.ep != nullptr) << c.fen;
        EXPECT_EQ(pos.SetFen(c.fen), c.ep != nullptr) << c.fen;
        if (!c.ep) {
            EXPECT_EQ(PositionKey(), key) << c.fen;
            EXPECT_EQ(pos.Fen(), bitboard::StartFen) << c.fen;
            continue;
        }
        EXPECT_EQ(HalfmoveClock, 7) << c.fen;
        const std::string taken = PositionKey();
        EXPECT_EQ(taken.substr(taken.rfind(' ') + 1), c.ep) << c.fen;
        EXPECT_EQ(FirstFields(pos.Fen(), 4), taken) << c.fen;
        EXPECT_EQ(pos.Key(), HashOfPositionKey(taken)) << c.fen;
    }
}

}  // namespace
