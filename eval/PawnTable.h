// SPDX-License-Identifier: GPL-3.0-or-later
// The pawn structure's terms, worked out once per placement of the pawns and kept in a table by the
// position's pawn key, with what the rest of the evaluation asks about the pawns (passed pawns, the
// squares they attack or may attack, the files without them) and each king's shelter behind them.
#pragma once
#include <cstdint>
#include <vector>

#include "board/Position.h"
#include "eval/TermSink.h"

namespace eval {

using bitboard::Bitboard;

struct PawnEntry {
    uint64_t Key = ~uint64_t{0};  // no position's pawn key: a key of no pawns at all is 0
    Score Value;                  // material, squares and structure of the pawns: White's less Black's
    Bitboard Passed[2];
    Bitboard Attacks[2];     // squares c's pawns attack
    Bitboard AttackSpan[2];  // squares c's pawns attack or may attack once they advance
    uint8_t OpenFiles[2];    // files without c's pawns, a bit a file
    // The shelter for c's king, kept for the king's square and c's castling rights it was worked out at.
    uint8_t ShelterSquare[2] = {bitboard::NoSquare, bitboard::NoSquare};
    uint8_t ShelterCastling[2] = {0, 0};
    Score Shelter[2];
};

// A table of pawn entries, one per search thread: entries are written while the thread evaluates.
class PawnTable {
  public:
    static constexpr int Entries = 1 << 13;
    PawnTable() : entries_(Entries) {}
    PawnEntry& Slot(uint64_t pawnKey) { return entries_[pawnKey & (Entries - 1)]; }

  private:
    std::vector<PawnEntry> entries_;
};

// Fills the entry's sets for the position's pawns and gives their terms to the sink.
template <bool Traced>
void WorkOutPawns(const bitboard::Position& pos, PawnEntry& entry, TermSink<Traced>& sink);

// The shelter and storm terms of c's king on its square, or on a square it may still castle to when that
// is better; traced, the terms of the square chosen go to the trace.
template <bool Traced>
Score KingShelter(const bitboard::Position& pos, bitboard::Colour c, EvalTrace* trace);

}  // namespace eval
