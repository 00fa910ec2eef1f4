// SPDX-License-Identifier: GPL-3.0-or-later
// The strong search's hash table: what earlier searches found about a position, by its 64-bit key.
// Buckets of four entries, one cache line each; a new result replaces the entry of the same position or
// else the one worth least (shallow, or left from an earlier search).
#pragma once
#include <cstddef>
#include <cstdint>

#include "board/BoardBas.h"

enum class Bound : uint8_t { None = 0, Upper = 1, Lower = 2, Exact = 3 };

struct TTEntry {
    uint64_t Key;
    int32_t Score;  // mate scores relative to the node (see ScoreToTable)
    uint16_t Move;  // PackedMove, 0: none
    uint8_t Depth;
    uint8_t AgeBound;  // age << 2 | bound
    Bound BoundOf() const { return static_cast<Bound>(AgeBound & 3); }
};
static_assert(sizeof(TTEntry) == 16, "four entries to a cache line");

// A move in 16 bits: the mailbox squares (below 128) and the promotion's kind (none or queen 0, rook 1,
// knight 2, bishop 3): among the moves of one position no two share it.
inline uint16_t PackedMove(const MoveRec& m) {
    int kind = 0;
    switch (m.Promotion) {
        case WhiteRook:
        case BlackRook:
            kind = 1;
            break;
        case WhiteKnight:
        case BlackKnight:
            kind = 2;
            break;
        case WhiteBishop:
        case BlackBishop:
            kind = 3;
            break;
    }
    return static_cast<uint16_t>(m.From | m.To << 7 | kind << 14);
}

class TransTable {
  public:
    // Sizes in megabytes; false (and the table as it was) when the memory cannot be had.
    bool Resize(size_t nMegabytes);
    void Clear();
    void NewSearch() { age_ = (age_ + 1) & 63; }
    // The entry of the key, or null.
    const TTEntry* Probe(uint64_t nKey) const;
    void Store(uint64_t nKey, uint16_t nMove, int32_t nScore, int nDepth, Bound bound);
    // Per mille of a sample of entries written by the running search.
    int HashFull() const;
    size_t Buckets() const { return buckets_; }
    ~TransTable();

  private:
    struct alignas(64) Bucket {
        TTEntry Entry[4];
    };
    Bucket* BucketOf(uint64_t nKey) const {
        return table_ + static_cast<size_t>((static_cast<unsigned __int128>(nKey) * buckets_) >> 64);
    }
    void* memory_ = nullptr;  // what was allocated; table_ is its first cache-line boundary
    Bucket* table_ = nullptr;
    size_t buckets_ = 0;
    uint8_t age_ = 0;
};

// Mate scores count from the root; in the table they count from the node, so that an entry serves the same
// position at any ply.
constexpr int32_t MateScoreBound = 100000 - 100;  // ScoreInfinity - SearchPlies: beyond it, a mate
inline int32_t ScoreToTable(int32_t nScore, int nPly) {
    return nScore >= MateScoreBound ? nScore + nPly : nScore <= -MateScoreBound ? nScore - nPly : nScore;
}
inline int32_t ScoreFromTable(int32_t nScore, int nPly) {
    return nScore >= MateScoreBound ? nScore - nPly : nScore <= -MateScoreBound ? nScore + nPly : nScore;
}
