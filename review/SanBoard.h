// SPDX-License-Identifier: GPL-3.0-or-later
// A position that takes and gives moves as PGN writes them (SAN: Nf3, exd6, O-O, e8=Q+, Qh4#) and as
// engines do (coordinates: g1f3, e7e8q). A value: copy it to try a line without losing the position.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/Position.h"

class SanBoard {
  public:
    // Empty when the FEN is not a legal position.
    static std::optional<SanBoard> FromFen(std::string_view fen);
    static SanBoard Start();

    // A move as PGN writes it, read leniently: check marks and suffixes, "0-0" for "O-O", a missing "=" or
    // a lower-case promotion piece, over-full disambiguation. Empty when it is no legal move here, why
    // says what was wrong.
    std::optional<bitboard::Move> MoveOfSan(std::string_view san, std::string* why = nullptr) const;
    std::optional<bitboard::Move> MoveOfCoordinates(std::string_view text) const;
    // The move in standard SAN with its check or mate mark; in coordinates.
    std::string San(bitboard::Move move) const;
    std::string Coordinates(bitboard::Move move) const;

    void Play(bitboard::Move move);
    // The SAN of coordinate moves from here, as far as they are legal.
    std::vector<std::string> SanLine(const std::vector<std::string>& coordinates) const;

    bool WhiteToMove() const;
    bool InCheck() const;
    bool HasLegalMove() const;
    std::string Fen() const;
    const bitboard::Position& Board() const { return position_; }

  private:
    explicit SanBoard(const bitboard::Position& position) : position_(position) {}
    bitboard::Position position_;
};
