// SPDX-License-Identifier: GPL-3.0-or-later
// Turns a table of named openings into the engine's opening book: a sorted text file of lines
// (" e2e4e7e5...") and a weight file of per-line ply masks.
#pragma once
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

struct NamedOpening {
    std::string Eco;
    std::string Name;
    std::vector<std::string> Moves;  // coordinate moves, castling as the king's move
    int SourceLine = 0;              // line number in the table, for messages
};

struct BuiltBook {
    std::vector<std::string> Lines;  // sorted, distinct, none a prefix of another
    std::vector<int32_t> Weights;    // one ply mask a line
    // Figures for the build report.
    int Openings = 0, CutAtPromotion = 0, CutAtPlyLimit = 0, Duplicates = 0, PrefixesDropped = 0;
    int AvoidedMoves = 0;  // book positions whose move the engine never chooses itself
};

// Reads the tab-separated table with the columns eco, name, pgn, uci (a header line first).
bool ReadOpenings(std::istream& in, std::vector<NamedOpening>& openings, std::string& sError);
// Checks every move for legality from the start position and builds the lines and their ply masks.
bool BuildBook(const std::vector<NamedOpening>& openings, BuiltBook& book, std::string& sError);
// Writes the text file (LF line ends) and, beside it, the weight file named by WeightFileName.
bool WriteBook(const BuiltBook& book, const std::string& sTextPath, std::string& sError);

// An opening the data names a gambit or countergambit; the Queen's Gambit family is main-line play.
bool IsGambitName(const std::string& sName);
// The first moves the engine opens with as White.
bool IsMainFirstMove(const std::string& sMove);
// A move is a sideline when the named openings through it number fewer than one in RareShare of those
// through its most-named alternative.
constexpr int RareShare = 20;
