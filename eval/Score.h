// SPDX-License-Identifier: GPL-3.0-or-later
// A middlegame and an endgame value held in one integer, so that a term adds both with one addition, and
// the blend of the two by the game's phase.
#pragma once
#include <cstdint>

namespace eval {

// The endgame value sits in the low 16 bits, the middlegame value above it; both signed. Sums and
// multiples by small integers stay exact as long as each half stays within 16 bits.
struct Score {
    int32_t Packed = 0;

    constexpr Score() = default;
    constexpr Score(int mg, int eg) : Packed(int32_t(uint32_t(mg) << 16) + eg) {}

    constexpr int Mg() const { return int16_t(uint16_t(uint32_t(Packed + 0x8000) >> 16)); }
    constexpr int Eg() const { return int16_t(uint16_t(uint32_t(Packed))); }

    constexpr Score& operator+=(Score o) {
        Packed += o.Packed;
        return *this;
    }
    constexpr Score& operator-=(Score o) {
        Packed -= o.Packed;
        return *this;
    }
    friend constexpr Score operator+(Score a, Score b) { return a += b; }
    friend constexpr Score operator-(Score a, Score b) { return a -= b; }
    friend constexpr Score operator-(Score a) { return Score() - a; }
    friend constexpr Score operator*(Score a, int n) {
        Score s;
        s.Packed = a.Packed * n;
        return s;
    }
    friend constexpr bool operator==(Score a, Score b) { return a.Packed == b.Packed; }
};

// The phase counts the pieces left: a knight or bishop 1, a rook 2, a queen 4; 24 with all of them on the
// board (more after promotions is held at 24), 0 with kings and pawns alone.
constexpr int MaxPhase = 24;
// The endgame value's scale: NormalScale as it stands, 0 for a dead draw.
constexpr int NormalScale = 64;

// The middlegame value at MaxPhase, the endgame value (scaled) at 0, and a straight line between.
constexpr int Blend(Score s, int phase, int scale) {
    return (s.Mg() * phase + s.Eg() * (MaxPhase - phase) * scale / NormalScale) / MaxPhase;
}

}  // namespace eval
