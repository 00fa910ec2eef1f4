// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/TransTable.h"

#include <cstdlib>
#include <cstring>

TransTable::~TransTable() {
    std::free(memory_);
}

bool TransTable::Resize(size_t nMegabytes) {
    const size_t buckets = nMegabytes * 1024 * 1024 / sizeof(Bucket);
    if (buckets == buckets_ && table_) return true;
    // calloc of a large block maps fresh zero pages and leaves them untouched until a search writes them:
    // a large table costs nothing at start. A cache line more leaves room to align it.
    void* memory = std::calloc(buckets * sizeof(Bucket) + alignof(Bucket), 1);
    if (memory == nullptr) return false;
    std::free(memory_);
    memory_ = memory;
    const uintptr_t at = (reinterpret_cast<uintptr_t>(memory) + alignof(Bucket) - 1) & ~(alignof(Bucket) - 1);
    table_ = reinterpret_cast<Bucket*>(at);
    buckets_ = buckets;
    return true;
}

void TransTable::Clear() {
    if (table_) std::memset(static_cast<void*>(table_), 0, buckets_ * sizeof(Bucket));
    age_ = 0;
}

const TTEntry* TransTable::Probe(uint64_t nKey) const {
    if (!table_) return nullptr;
    const Bucket* b = BucketOf(nKey);
    for (const TTEntry& e : b->Entry)
        if (e.Key == nKey && e.BoundOf() != Bound::None) return &e;
    return nullptr;
}

void TransTable::Store(uint64_t nKey, uint16_t nMove, int32_t nScore, int nDepth, Bound bound) {
    if (!table_) return;
    Bucket* b = BucketOf(nKey);
    TTEntry* victim = &b->Entry[0];
    int worst = 1 << 30;
    for (TTEntry& e : b->Entry) {
        if (e.Key == nKey || e.BoundOf() == Bound::None) {
            victim = &e;
            break;
        }
        // An entry from an earlier search counts as eight plies shallower for every search since.
        const int worth = e.Depth - 8 * ((age_ - (e.AgeBound >> 2)) & 63);
        if (worth < worst) {
            worst = worth;
            victim = &e;
        }
    }
    // A shallower result for the same position keeps the deeper one, unless it is exact.
    if (victim->Key == nKey && victim->BoundOf() != Bound::None && bound != Bound::Exact &&
        nDepth + 2 < victim->Depth && (victim->AgeBound >> 2) == age_)
        return;
    if (nMove == 0 && victim->Key == nKey) nMove = victim->Move;  // keep the best move known
    victim->Key = nKey;
    victim->Move = nMove;
    victim->Score = nScore;
    victim->Depth = static_cast<uint8_t>(nDepth < 0 ? 0 : nDepth > 255 ? 255 : nDepth);
    victim->AgeBound = static_cast<uint8_t>(age_ << 2 | static_cast<uint8_t>(bound));
}

int TransTable::HashFull() const {
    if (!table_ || buckets_ == 0) return 0;
    const size_t sample = buckets_ < 250 ? buckets_ : 250;
    int used = 0;
    for (size_t i = 0; i < sample; ++i)
        for (const TTEntry& e : table_[i].Entry)
            used += e.BoundOf() != Bound::None && (e.AgeBound >> 2) == age_;
    return static_cast<int>(used * 1000 / (sample * 4));
}
