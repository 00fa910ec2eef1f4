// SPDX-License-Identifier: GPL-3.0-or-later
// Sliding-piece attacks on 64-bit square sets (a1 bit 0 ... h8 bit 63), for every board representation.
#pragma once
#include <cstdint>

// Squares a rook or bishop on a bit attacks through an occupancy.
struct SliderMagic {
    uint64_t Mask, Multiplier;
    const uint64_t* Attacks;
    unsigned Shift;
};
extern SliderMagic RookMagics[64], BishopMagics[64];
inline uint64_t RookAttacks(int nBit, uint64_t nOccupied) {
    const SliderMagic& m = RookMagics[nBit];
    return m.Attacks[((nOccupied & m.Mask) * m.Multiplier) >> m.Shift];
}
inline uint64_t BishopAttacks(int nBit, uint64_t nOccupied) {
    const SliderMagic& m = BishopMagics[nBit];
    return m.Attacks[((nOccupied & m.Mask) * m.Multiplier) >> m.Shift];
}
// Fills the tables behind RookAttacks and BishopAttacks, once, whichever thread asks first; call it before
// any search uses them.
void PrepareSliderAttacks();
// The same, the lines walked square by square: what the tables are checked against.
uint64_t WalkedRookAttacks(int nBit, uint64_t nOccupied);
uint64_t WalkedBishopAttacks(int nBit, uint64_t nOccupied);
