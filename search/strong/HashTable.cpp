// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/strong/HashTable.h"

#include <sys/mman.h>

#include <climits>
#include <cstring>

#include "search/strong/Scores.h"

namespace strong {

namespace {
// Data: the move (bits 0-15), the score (16-31) and the evaluation (32-47) as 16-bit numbers, the depth
// (48-55), the search's age (58-63) and the bound (56-57).
uint64_t Pack(bitboard::Move move, int nScore, int nEval, int nDepth, uint8_t nAge, Bound bound) {
    const int depth = nDepth < 0 ? 0 : nDepth > 255 ? 255 : nDepth;
    return uint64_t{move.Code()} | uint64_t{static_cast<uint16_t>(nScore)} << 16 |
           uint64_t{static_cast<uint16_t>(nEval)} << 32 | uint64_t(depth) << 48 |
           uint64_t(static_cast<uint8_t>(bound)) << 56 | uint64_t(nAge) << 58;
}
Bound BoundOf(uint64_t nData) {
    return static_cast<Bound>((nData >> 56) & 3);
}
int DepthOf(uint64_t nData) {
    return static_cast<int>((nData >> 48) & 255);
}
uint8_t AgeOf(uint64_t nData) {
    return static_cast<uint8_t>(nData >> 58);
}

// Huge pages where the system gives them: fewer page faults to touch the table, fewer misses to read it.
constexpr size_t PageAlignment = size_t{2} << 20;
}  // namespace

HashTable::~HashTable() {
    Release();
}

void HashTable::Release() {
    if (memory_) munmap(memory_, mapped_);
    memory_ = nullptr;
    table_ = nullptr;
    buckets_ = mapped_ = megabytes_ = 0;
    touched_ = false;
}

bool HashTable::Resize(size_t nMegabytes) {
    if (nMegabytes == megabytes_ && table_) return true;
    const size_t bytes = nMegabytes << 20;
    // Fresh anonymous pages read as zero (an empty table) and cost nothing until written.
    const size_t mapped = bytes + PageAlignment;
    void* memory = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return false;
    Release();
    memory_ = memory;
    mapped_ = mapped;
    const uintptr_t at = (reinterpret_cast<uintptr_t>(memory) + PageAlignment - 1) & ~(PageAlignment - 1);
    madvise(reinterpret_cast<void*>(at), bytes, MADV_HUGEPAGE);
    table_ = reinterpret_cast<Bucket*>(at);
    buckets_ = bytes / sizeof(Bucket);
    megabytes_ = nMegabytes;
    age_ = 0;
    return true;
}

void HashTable::Clear() {
    if (table_) std::memset(static_cast<void*>(table_), 0, buckets_ * sizeof(Bucket));
    touched_ = table_ != nullptr;
    age_ = 0;
}

bool HashTable::Probe(uint64_t nKey, HashHit& hit) const {
    if (!table_) return false;
    for (const Entry& e : BucketOf(nKey)->Entries) {
        const uint64_t data = e.Data.load(std::memory_order_relaxed);
        if ((e.Check.load(std::memory_order_relaxed) ^ data) != nKey || BoundOf(data) == Bound::None)
            continue;
        hit.Move = bitboard::Move(static_cast<uint16_t>(data));
        hit.Score = static_cast<int16_t>(data >> 16);
        hit.Eval = static_cast<int16_t>(data >> 32);
        hit.Depth = DepthOf(data);
        hit.Kind = BoundOf(data);
        return true;
    }
    return false;
}

void HashTable::Store(uint64_t nKey, bitboard::Move move, int nScore, int nEval, int nDepth, Bound bound) {
    if (!table_) return;
    Entry* victim = nullptr;
    uint64_t old = 0;
    bool same = false;
    int worst = INT_MAX;
    for (Entry& e : BucketOf(nKey)->Entries) {
        const uint64_t data = e.Data.load(std::memory_order_relaxed);
        if (BoundOf(data) == Bound::None || (e.Check.load(std::memory_order_relaxed) ^ data) == nKey) {
            victim = &e;
            old = data;
            same = BoundOf(data) != Bound::None;
            break;
        }
        // An entry of an earlier search counts as eight plies shallower for every search since.
        const int worth = DepthOf(data) - 8 * ((age_ - AgeOf(data)) & 63);
        if (worth < worst) {
            worst = worth;
            victim = &e;
            old = data;
        }
    }
    if (same) {
        // A shallower bound of this search keeps the deeper result; what it does not know, it keeps.
        if (bound != Bound::Exact && nDepth + 2 < DepthOf(old) && AgeOf(old) == age_) return;
        if (move == bitboard::NoMove) move = bitboard::Move(static_cast<uint16_t>(old));
        if (nEval == NoScore) nEval = static_cast<int16_t>(old >> 32);
    }
    const uint64_t data = Pack(move, nScore, nEval, nDepth, age_, bound);
    victim->Data.store(data, std::memory_order_relaxed);
    victim->Check.store(nKey ^ data, std::memory_order_relaxed);
}

int HashTable::HashFull() const {
    if (buckets_ == 0) return 0;
    const size_t sample = buckets_ < 250 ? buckets_ : 250;
    size_t used = 0;
    for (size_t i = 0; i < sample; ++i)
        for (const Entry& e : table_[i].Entries) {
            const uint64_t data = e.Data.load(std::memory_order_relaxed);
            used += BoundOf(data) != Bound::None && AgeOf(data) == age_;
        }
    return static_cast<int>(used * 1000 / (sample * 4));
}

}  // namespace strong
