// SPDX-License-Identifier: GPL-3.0-or-later
// The weight table's fields by name, with their places and shapes: what the tuner needs to read and write
// the table as source code without knowing any term.
#include <cstddef>
#include <type_traits>

#include "eval/Weights.h"

namespace eval {

namespace {

template <class T>
constexpr WeightField Field(std::string_view name, size_t offset) {
    const int first = int(offset / sizeof(Score));
    const bool danger = name.starts_with("Danger");
    if constexpr (std::rank_v<T> == 0) return {name, first, 1, 1, danger};
    if constexpr (std::rank_v<T> == 1) return {name, first, 1, int(std::extent_v<T, 0>), danger};
    if constexpr (std::rank_v<T> == 2)
        return {name, first, int(std::extent_v<T, 0>), int(std::extent_v<T, 1>), danger};
}

#define WEIGHT_FIELD(name) Field<decltype(Weights::name)>(#name, offsetof(Weights, name))

constexpr WeightField kFields[] = {
    WEIGHT_FIELD(PieceValue),
    WEIGHT_FIELD(PieceSquare),
    WEIGHT_FIELD(BishopPair),
    WEIGHT_FIELD(KnightPawns),
    WEIGHT_FIELD(RookPawns),
    WEIGHT_FIELD(Tempo),
    WEIGHT_FIELD(KnightMobility),
    WEIGHT_FIELD(BishopMobility),
    WEIGHT_FIELD(RookMobility),
    WEIGHT_FIELD(QueenMobility),
    WEIGHT_FIELD(Isolated),
    WEIGHT_FIELD(IsolatedOpen),
    WEIGHT_FIELD(Doubled),
    WEIGHT_FIELD(Backward),
    WEIGHT_FIELD(BackwardOpen),
    WEIGHT_FIELD(Supported),
    WEIGHT_FIELD(Phalanx),
    WEIGHT_FIELD(PassedRank),
    WEIGHT_FIELD(PassedOwnKing),
    WEIGHT_FIELD(PassedEnemyKing),
    WEIGHT_FIELD(PassedFreePath),
    WEIGHT_FIELD(PassedSafePath),
    WEIGHT_FIELD(PassedSafePush),
    WEIGHT_FIELD(PassedUnstoppable),
    WEIGHT_FIELD(KnightOutpost),
    WEIGHT_FIELD(BishopOutpost),
    WEIGHT_FIELD(KnightReachesOutpost),
    WEIGHT_FIELD(MinorBehindPawn),
    WEIGHT_FIELD(BishopPawnsOnColour),
    WEIGHT_FIELD(RookOpenFile),
    WEIGHT_FIELD(RookSemiOpenFile),
    WEIGHT_FIELD(RookOnSeventh),
    WEIGHT_FIELD(QueenOpenFile),
    WEIGHT_FIELD(QueenSemiOpenFile),
    WEIGHT_FIELD(QueenOnSeventh),
    WEIGHT_FIELD(ThreatByPawn),
    WEIGHT_FIELD(ThreatByMinor),
    WEIGHT_FIELD(ThreatByRook),
    WEIGHT_FIELD(ThreatByKing),
    WEIGHT_FIELD(Hanging),
    WEIGHT_FIELD(ThreatByPawnPush),
    WEIGHT_FIELD(Shelter),
    WEIGHT_FIELD(Storm),
    WEIGHT_FIELD(BlockedStorm),
    WEIGHT_FIELD(DangerBase),
    WEIGHT_FIELD(DangerAttackers),
    WEIGHT_FIELD(DangerZoneAttacks),
    WEIGHT_FIELD(DangerWeakSquares),
    WEIGHT_FIELD(DangerSafeCheck),
    WEIGHT_FIELD(DangerNoQueen),
};

#undef WEIGHT_FIELD

// A field left out of the list, or listed out of order, would leave a gap or an overlap.
constexpr bool Contiguous() {
    int next = 0;
    for (const WeightField& f : kFields) {
        if (f.First != next) return false;
        next += f.Rows * f.Columns;
    }
    return next == WeightCount;
}
static_assert(Contiguous(), "every field of Weights listed once, in declaration order");
static_assert(std::is_standard_layout_v<Weights> && sizeof(Weights) == WeightCount * sizeof(Score));

}  // namespace

const WeightField* WeightFields(int& count) {
    count = int(std::size(kFields));
    return kFields;
}

}  // namespace eval
