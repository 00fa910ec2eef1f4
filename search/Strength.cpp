// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/Strength.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {
// One scale of settings serves both searches: at 0 the weakest (200 nodes, a margin of 400 centipawns), at
// 1 the strongest (200,000 nodes, 40 centipawns). Nodes grow geometrically, since a doubling of them is
// worth a roughly fixed step of Elo.
StrengthLimit SettingAt(double dScale) {
    return {true, std::llround(200.0 * std::pow(1000.0, dScale)),
            static_cast<int32_t>(std::lround(400 - 360 * dScale)), StrengthLineCount};
}

// Points of the scale and the Elo each search measured there, fairymax anchored at 1950 (docs/strength.md):
// the design's search in games between neighbouring points and against fairymax; the strong search, whose
// every point became far stronger when it moved to its own board and tuned evaluation, up to 0.625 in games
// between neighbouring points and against fairymax, above it against fairymax. Between points the scale is
// interpolated. Below 0.5 the design's levels lose nearly every game to the next one up, so finer steps
// there could not be told apart; the strong search's bottom plays near 770, so asked less it plays there.
struct Measured {
    int Elo;
    double Scale;
};
constexpr Measured DesignTable[] = {{410, 0.5}, {610, 0.625}, {660, 0.75}, {730, 0.875}, {1040, 1.0}};
constexpr Measured StrongTable[] = {{770, 0},      {910, 0.125}, {1130, 0.25},  {1330, 0.375}, {1650, 0.5},
                                    {1930, 0.625}, {2190, 0.75}, {2220, 0.875}, {2590, 1.0}};

constexpr bool Rising(const Measured* first, const Measured* last) {
    for (const Measured* m = first; m + 1 != last; ++m)
        if (m[1].Elo <= m[0].Elo || m[1].Scale <= m[0].Scale) return false;
    return true;
}
static_assert(Rising(std::begin(DesignTable), std::end(DesignTable)) &&
              Rising(std::begin(StrongTable), std::end(StrongTable)));
// The options offer from the lower bottom of the two up to MaxStrengthElo, which the strong search's top
// passes: interfaces keep the range they know, and full strength is the limit switched off.
static_assert(std::min(DesignTable[0].Elo, StrongTable[0].Elo) == MinStrengthElo);
static_assert(std::end(StrongTable)[-1].Elo >= MaxStrengthElo);

template <size_t N>
double ScaleFor(int nElo, const Measured (&table)[N]) {
    if (nElo <= table[0].Elo) return table[0].Scale;
    for (size_t i = 1; i < N; ++i)
        if (nElo <= table[i].Elo)
            return table[i - 1].Scale + (table[i].Scale - table[i - 1].Scale) * (nElo - table[i - 1].Elo) /
                                            (table[i].Elo - table[i - 1].Elo);
    return table[N - 1].Scale;
}
}  // namespace

StrengthLimit StrengthFor(int nElo, SearchKind kind) {
    nElo = std::clamp(nElo, MinStrengthElo, MaxStrengthElo);
    return SettingAt(kind == SearchKind::Strong ? ScaleFor(nElo, StrongTable) : ScaleFor(nElo, DesignTable));
}
