// SPDX-License-Identifier: GPL-3.0-or-later
// Positions for the evaluation's tests: from random games, and the same position with the colours swapped.
#pragma once
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board/Position.h"

namespace evaltest {

// The position seen from the other side: ranks reversed, colours and the side to move swapped.
inline std::string FlippedFen(const std::string& fen) {
    std::istringstream in(fen);
    std::string placement, side, castling, ep, rest;
    in >> placement >> side >> castling >> ep;
    std::getline(in, rest);
    std::string flipped;
    std::istringstream rows(placement);
    for (std::string row; std::getline(rows, row, '/');)
        flipped = row + (flipped.empty() ? "" : "/") + flipped;
    auto swapCase = [](std::string s) {
        for (char& ch : s)
            ch = std::isupper(static_cast<unsigned char>(ch)) ? char(std::tolower(ch))
                                                              : char(std::toupper(ch));
        return s;
    };
    // The rights in their usual order, "KQkq": each one the other side had.
    std::string rights;
    for (char right : std::string("KQkq"))
        if (swapCase(castling).find(right) != std::string::npos) rights += right;
    if (rights.empty()) rights = "-";
    if (ep != "-") ep[1] = ep[1] == '3' ? '6' : '3';
    return swapCase(flipped) + (side == "w" ? " b " : " w ") + rights + " " + ep + rest;
}

// Positions of random games from the start: every position reached, up to `count` of them.
inline std::vector<std::string> RandomGamePositions(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::string> fens;
    while (fens.size() < count) {
        bitboard::Position pos;
        std::vector<bitboard::Undo> undo(400);
        for (int ply = 0; ply < 300 && fens.size() < count; ++ply) {
            const bitboard::MoveList moves = bitboard::LegalMoves(pos);
            if (moves.Count == 0) break;
            pos.Make(moves.Moves[random() % moves.Count], undo[ply]);
            fens.push_back(pos.Fen());
        }
    }
    return fens;
}

inline bitboard::Position PositionOf(const std::string& fen) {
    bitboard::Position pos;
    EXPECT_TRUE(pos.SetFen(fen)) << fen;
    return pos;
}

}  // namespace evaltest
