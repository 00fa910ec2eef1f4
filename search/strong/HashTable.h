// SPDX-License-Identifier: GPL-3.0-or-later
// The strong engine's hash table: what searches found about positions, by 64-bit key, shared by every
// thread of one engine without a lock. An entry is two 64-bit words written and read each as one (relaxed
// atomics): the data, and the key XOR the data. A reader takes an entry only when its two words agree with
// the key, so an entry torn by two threads writing at once reads as no entry at all, never as a wrong one.
// Buckets of four entries, one cache line each.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "board/Move.h"

namespace strong {

enum class Bound : uint8_t { None = 0, Upper = 1, Lower = 2, Exact = 3 };

// An entry as the search reads it.
struct HashHit {
    bitboard::Move Move = bitboard::NoMove;
    int Score = 0;  // counted from the node (ScoreFromTable)
    int Eval = 0;   // the static evaluation, NoScore if none was stored
    int Depth = 0;
    Bound Kind = Bound::None;
};

class HashTable {
  public:
    HashTable() = default;
    ~HashTable();
    HashTable(const HashTable&) = delete;
    HashTable& operator=(const HashTable&) = delete;

    // Sizes the table in megabytes; false (and the table as it was) when the memory cannot be had. The
    // memory is mapped but not touched: a table no search uses costs nothing. Not while a search runs.
    bool Resize(size_t nMegabytes);
    size_t Megabytes() const { return megabytes_; }
    // Empties the table, and so touches every page of it: a search that follows pays no page faults.
    // Not while a search runs.
    void Clear();
    bool Touched() const { return touched_; }
    // A new search: entries of earlier ones count for less when a slot is chosen.
    void NewSearch() { age_ = static_cast<uint8_t>((age_ + 1) & 63); }

    bool Probe(uint64_t nKey, HashHit& hit) const;
    // nScore counted from the node (ScoreToTable); nEval may be NoScore.
    void Store(uint64_t nKey, bitboard::Move move, int nScore, int nEval, int nDepth, Bound bound);
    // Brings the key's bucket towards the cache, ahead of its probe.
    void Prefetch(uint64_t nKey) const { __builtin_prefetch(BucketOf(nKey)); }
    // Per mille of a sample of entries written by the running search.
    int HashFull() const;

  private:
    struct Entry {
        std::atomic<uint64_t> Check;  // the key XOR Data
        std::atomic<uint64_t> Data;
    };
    struct alignas(64) Bucket {
        Entry Entries[4];
    };
    static_assert(sizeof(Bucket) == 64, "a bucket is one cache line");

    Bucket* BucketOf(uint64_t nKey) const {
        return table_ + static_cast<size_t>((static_cast<unsigned __int128>(nKey) * buckets_) >> 64);
    }
    void Release();

    void* memory_ = nullptr;  // what was mapped; table_ lies inside it, aligned
    size_t mapped_ = 0;
    Bucket* table_ = nullptr;
    size_t buckets_ = 0;
    size_t megabytes_ = 0;
    bool touched_ = false;
    uint8_t age_ = 0;
};

}  // namespace strong
