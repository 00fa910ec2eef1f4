// SPDX-License-Identifier: GPL-3.0-or-later
// Games back to PGN text, as readers expect it: tags, numbered moves, everything the game was read with,
// and what a review adds to each move; lines of at most 80 characters where the text allows.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "review/Judgement.h"
#include "review/Pgn.h"

// What a review says of one move of the main line.
struct MoveAnnotation {
    std::optional<Score> WhiteEval;       // after the move, for White; none after a checkmate
    int Nag = 0;                          // the judgement's NAG, 0 for none
    std::string Comment;                  // "Mistake. Nf3 was best."
    std::vector<std::string> BetterLine;  // in SAN, from the better move on
};

struct PgnAnnotations {
    std::string Annotator;              // the Annotator tag's value; empty leaves the tags as read
    std::vector<MoveAnnotation> Moves;  // one for each move of the main line, or none
};

// The evaluation as [%eval] writes it: pawns with two decimals ("0.35", "-1.20") or a mate ("#-3").
std::string EvalText(const Score& whiteScore);

// The game as PGN text, a blank line after it. A game read with an error is written as far as it was
// read: pass on its source text instead to keep it whole.
std::string PgnText(const PgnGame& game, const PgnAnnotations* annotations = nullptr);

// The NAG of a judgement: $6 (?!), $2 (?), $4 (??), 0 for none.
int JudgementNag(Judgement mark);
