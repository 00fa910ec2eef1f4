// SPDX-License-Identifier: GPL-3.0-or-later
// From the design's board to the bitboard position, through the text key both read the same way.
#include "board/GamePosition.h"

#include <algorithm>
#include <vector>

using bitboard::Colour;
using bitboard::PieceType;
using bitboard::Position;

namespace {

// Whether an earlier position could come back: reversible moves keep the pawns, the material and the
// castling rights, so a position that differs in any of them never returns.
bool MayRecur(const Position& earlier, const Position& now) {
    if (earlier.PawnKey() != now.PawnKey() || earlier.CastlingRights() != now.CastlingRights()) return false;
    for (Colour c : {bitboard::White, bitboard::Black})
        for (PieceType t : {bitboard::Knight, bitboard::Bishop, bitboard::Rook, bitboard::Queen})
            if (earlier.Count(c, t) != now.Count(c, t)) return false;
    return true;
}

}  // namespace

Position PositionOfGame() {
    // The game's plies give the move number; the side to move fixes its parity.
    const int plies = static_cast<int>(GameRecord.size()) - 1;
    const int moveNumber = plies / 2 + 1;
    Position pos;
    pos.SetFen(PositionKey() + " " + std::to_string(std::max(0, HalfmoveClock)) + " " +
               std::to_string(moveNumber));
    std::vector<uint64_t> earlier;
    Position p;
    for (const auto& [text, count] : RepetitionTable)
        if (count >= 1 && p.SetFen(text) && p.Key() != pos.Key() && MayRecur(p, pos))
            earlier.push_back(p.Key());
    std::sort(earlier.begin(), earlier.end());
    pos.SetEarlierKeys(earlier);
    return pos;
}

bool GameMoveOf(bitboard::Move m, MoveRec& found) {
    return FindMoveFromText(bitboard::MoveText(m), found);
}
