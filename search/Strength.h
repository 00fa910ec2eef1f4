// SPDX-License-Identifier: GPL-3.0-or-later
// Playing below full strength: the face turns the Elo asked for into the limits of the search that plays, a
// smaller search over several lines and a weighted draw among the moves close to the best, so that a weak
// level still plays natural, varied chess. Each search has its own table of measured strength, since the
// same limits make the strong search far stronger.
#pragma once
#include "search/Search.h"

// Best lines every level searches, among which the move is drawn: a count that changed along the scale
// made the strength jump by some 400 Elo at each change.
constexpr int StrengthLineCount = 4;

// How a search plays at an Elo figure; a figure off the search's measured table counts as the nearest end
// of it.
StrengthLimit StrengthFor(int nElo, SearchKind kind);
