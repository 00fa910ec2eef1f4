// SPDX-License-Identifier: GPL-3.0-or-later
// Playing below full strength: a smaller search over several lines, then a weighted draw among the moves
// close to the best, so that a weak level still plays natural, varied chess. Both searches use these, each
// with its own table of measured strength, since the same limits make the strong search far stronger.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "search/SearchChoice.h"
#include "search/common/SearchRules.h"

// How a search plays at an Elo figure.
struct StrengthSetting {
    int64_t NodeLimit;  // nodes one move may search
    int32_t Margin;     // centipawns below the best score a move may still be drawn from
};
// Best lines every level searches, among which the move is drawn: a count that changed along the scale
// made the strength jump by some 400 Elo at each change.
constexpr int StrengthLineCount = 4;

// An Elo figure off the search's measured table counts as the nearest end of it.
StrengthSetting StrengthFor(int nElo, SearchKind kind);
