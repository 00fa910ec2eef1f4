// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/match/Referee.h"

#include <cstdlib>

namespace {

// Piece kinds by board code: (code + 1) / 2.
constexpr int kKnightKind = 2, kKingKind = 3, kBishopKind = 6;

int KindOf(int code) {
    return (code + 1) / 2;
}

bool IsPiece(int code) {
    return code >= WhitePawn && code <= BlackBishop;
}

// A FEN counter field: a number, or nothing usable.
std::optional<int> Counter(const std::vector<std::string>& fields, size_t i) {
    if (i >= fields.size() || fields[i].empty()) return std::nullopt;
    char* end = nullptr;
    const long v = std::strtol(fields[i].c_str(), &end, 10);
    if (*end != '\0' || v < 0 || v > 100000) return std::nullopt;
    return static_cast<int>(v);
}

}  // namespace

const char* EndingText(RulesEnding ending) {
    switch (ending) {
        case RulesEnding::Checkmate:
            return "checkmate";
        case RulesEnding::Stalemate:
            return "stalemate";
        case RulesEnding::FiftyMoves:
            return "fifty-move rule";
        case RulesEnding::Repetition:
            return "threefold repetition";
        case RulesEnding::Material:
            return "insufficient material";
        case RulesEnding::None:
            break;
    }
    return "";
}

bool Referee::Start(const std::string& fen) {
    static const bool ready = (InitBoardTables(), true);
    (void)ready;
    BookLoaded = false;
    ResetGame();
    std::vector<std::string> fields;
    for (const std::string& f : SplitAtBlanks(fen))
        if (!f.empty()) fields.push_back(f);
    std::string four;
    for (size_t i = 0; i < 4 && i < fields.size(); ++i) four += (i ? " " : "") + fields[i];
    if (fields.size() < 4 || !SetBoard(four)) return false;
    const std::optional<int> halfmove = Counter(fields, 4), fullMove = Counter(fields, 5);
    HalfmoveClock = halfmove.value_or(0);
    fullMove_ = fullMove && *fullMove > 0 ? *fullMove : 1;
    seen_.clear();
    Refresh();
    startFen_ = Fen();
    notation_ = SanBoard::FromFen(startFen_);
    return true;
}

std::optional<MoveRec> Referee::Find(const std::string& text) const {
    for (const MoveRec& m : legal_)
        if (MoveToText(m) == text) return m;
    return std::nullopt;
}

std::string Referee::Play(const MoveRec& move) {
    // Both boards know every legal move; were they ever to differ, the move keeps its coordinates.
    std::string san = MoveToText(move);
    const std::optional<bitboard::Move> same = notation_ ? notation_->MoveOfCoordinates(san) : std::nullopt;
    if (same) {
        san = notation_->San(*same);
        notation_->Play(*same);
    } else {
        notation_.reset();
    }
    MakeGameMove(move);
    if (WhiteToMove) ++fullMove_;
    Refresh();
    return san;
}

bool Referee::PlayAll(const std::vector<std::string>& texts) {
    for (const std::string& t : texts) {
        const std::optional<MoveRec> m = Find(t);
        if (!m) return false;
        Play(*m);
    }
    return true;
}

RulesEnding Referee::Ending() const {
    if (legal_.empty()) return InCheck() ? RulesEnding::Checkmate : RulesEnding::Stalemate;
    if (HalfmoveClock >= 100) return RulesEnding::FiftyMoves;
    const auto it = seen_.find(RepetitionKey());
    if (it != seen_.end() && it->second >= 3) return RulesEnding::Repetition;
    if (InsufficientMaterial()) return RulesEnding::Material;
    return RulesEnding::None;
}

std::string Referee::Fen() const {
    return PositionKey() + " " + std::to_string(HalfmoveClock) + " " + std::to_string(fullMove_);
}

bool Referee::InsufficientMaterial() {
    int knights = 0, bishops = 0;
    bool bishopColour[2] = {false, false};
    for (int k = 0; k < 64; ++k) {
        const int sq = SquareOfIndex[k];
        const int code = Board[sq];
        if (!IsPiece(code)) continue;
        const int kind = KindOf(code);
        if (kind == kKingKind) continue;
        if (kind == kKnightKind) {
            ++knights;
        } else if (kind == kBishopKind) {
            ++bishops;
            bishopColour[(FileOf(sq) + RankOf(sq)) % 2] = true;
        } else {
            return false;  // a pawn, a rook or a queen can still mate
        }
    }
    if (knights + bishops <= 1) return true;
    return knights == 0 && !(bishopColour[0] && bishopColour[1]);
}

// The en-passant square belongs to the position only when a capture there is legal (the rules' sense of
// "the same position"); the board marks it after every double step.
std::string Referee::RepetitionKey() const {
    std::string key = PositionKey();
    for (const MoveRec& m : legal_)
        if (m.EnPassant) return key;
    return key.substr(0, key.rfind(' ')) + " -";
}

void Referee::Refresh() {
    legal_ = LegalMoves();
    ++seen_[RepetitionKey()];
}
