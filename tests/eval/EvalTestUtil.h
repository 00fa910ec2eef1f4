// SPDX-License-Identifier: GPL-3.0-or-later
// Positions for the evaluation's tests: from random games, and the same position with the colours swapped.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
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
    std::vector<std::string> ranks;
    std::istringstream rows(placement);
    for (std::string row; std::getline(rows, row, '/');) ranks.push_back(row);
    std::reverse(ranks.begin(), ranks.end());
    std::string flipped;
    for (const std::string& row : ranks) flipped += (flipped.empty() ? "" : "/") + row;
    auto swapCase = [](std::string s) {
        for (char& ch : s)
            ch = std::isupper(static_cast<unsigned char>(ch)) ? char(std::tolower(ch))
                                                              : char(std::toupper(ch));
        return s;
    };
    std::string rights = castling == "-" ? "-" : swapCase(castling);
    std::sort(rights.begin(), rights.end(), [](char a, char b) {
        // White's letters first, king side first: "KQkq".
        auto rank = [](char c) { return std::string("KQkq").find(c); };
        return rank(a) < rank(b);
    });
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
