// SPDX-License-Identifier: GPL-3.0-or-later
// The referee's board: a game kept on the engine's own rules library, every move checked against its legal
// moves, the end of the game by the rules, and the moves written in standard notation (by the review's
// notation board, which follows the game beside it).
// The rules library's board is one set of globals: one game at a time in a process.
#pragma once
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/BoardBas.h"
#include "review/SanBoard.h"

enum class RulesEnding { None, Checkmate, Stalemate, FiftyMoves, Repetition, Material };

class Referee {
  public:
    // A fresh game from a FEN (six fields, or four with the counters 0 and 1); false on bad text.
    bool Start(const std::string& fen);
    // The legal move with this coordinate text ("e2e4", "e7e8q"), if there is one.
    std::optional<MoveRec> Find(const std::string& text) const;
    // Makes a legal move and returns it in standard notation (with + or #).
    std::string Play(const MoveRec& move);
    // Plays coordinate moves; false at the first one that is not legal (the moves before it stay played).
    bool PlayAll(const std::vector<std::string>& texts);
    RulesEnding Ending() const;
    const std::vector<MoveRec>& Legal() const { return legal_; }
    bool WhiteMoves() const { return WhiteToMove; }
    int FullMove() const { return fullMove_; }
    std::string Fen() const;
    const std::string& StartFen() const { return startFen_; }

    // Whether nothing but the kings and at most bishops all on one square colour, or one knight, are left.
    static bool InsufficientMaterial();

  private:
    std::string RepetitionKey() const;
    void Refresh();

    std::vector<MoveRec> legal_;
    std::unordered_map<std::string, int> seen_;
    std::optional<SanBoard> notation_;
    int fullMove_ = 1;
    std::string startFen_;
};

const char* EndingText(RulesEnding ending);  // "checkmate", "stalemate", ... for the game's reason
