// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/PositionHash.h"

namespace {
uint64_t SplitMix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Fixed keys: the same every run, so the strong search's node counts are reproducible.
HashKeys MakeKeys() {
    HashKeys k{};
    uint64_t state = 0x5441'4C56'4F52'0001ull;
    for (int p = 1; p <= 12; ++p)
        for (int sq = 0; sq < BoardSize; ++sq) k.Piece[p][sq] = SplitMix(state);
    for (uint64_t& c : k.Castle) c = SplitMix(state);
    k.Castle[0] = 0;
    for (int sq = 1; sq < BoardSize; ++sq) k.EnPassant[sq] = SplitMix(state);
    k.BlackToMove = SplitMix(state);
    return k;
}

int CodeOfLetter(char c) {
    static const char kLetters[] = ".PpNnKkRrQqBb";
    for (int p = 1; p <= 12; ++p)
        if (kLetters[p] == c) return p;
    return 0;
}
}  // namespace

const HashKeys kHashKeys = MakeKeys();

uint64_t PositionHash() {
    uint64_t k = 0;
    int ghost = 0;
    for (int sq = 21; sq <= 98; ++sq) {
        const int p = Board[sq];
        if (p >= 1 && p <= 12) k ^= kHashKeys.Piece[p][sq];
        if (p == WhiteGhost || p == BlackGhost) ghost = sq;
    }
    k ^= kHashKeys.Castle[CastleRights()] ^ kHashKeys.EnPassant[ghost];
    return WhiteToMove ? k : k ^ kHashKeys.BlackToMove;
}

uint64_t HashOfPositionKey(const std::string& sKey) {
    uint64_t k = 0;
    size_t i = 0;
    int rank = 7, file = 0;
    for (; i < sKey.size() && sKey[i] != ' '; ++i) {
        const char c = sKey[i];
        if (c == '/') {
            if (--rank < 0) return 0;
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
        } else {
            const int p = CodeOfLetter(c);
            if (p == 0 || file > 7) return 0;
            k ^= kHashKeys.Piece[p][(rank + 2) * 10 + file + 1];
            ++file;
        }
    }
    if (i + 2 >= sKey.size() || (sKey[i + 1] != 'w' && sKey[i + 1] != 'b')) return 0;
    if (sKey[i + 1] == 'b') k ^= kHashKeys.BlackToMove;
    i += 3;
    int rights = 0;
    for (; i < sKey.size() && sKey[i] != ' '; ++i) {
        const char* at = "KQkq";
        for (int b = 0; b < 4; ++b)
            if (sKey[i] == at[b]) rights |= 1 << b;
    }
    k ^= kHashKeys.Castle[rights];
    if (i + 2 < sKey.size() && sKey[i + 1] >= 'a' && sKey[i + 1] <= 'h' && sKey[i + 2] >= '1' &&
        sKey[i + 2] <= '8')
        k ^= kHashKeys.EnPassant[(sKey[i + 2] - '1' + 2) * 10 + sKey[i + 1] - 'a' + 1];
    return k;
}
