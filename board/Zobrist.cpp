// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/Zobrist.h"

namespace {

constexpr uint64_t SplitMix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Fixed keys: the same every run, so that node counts are reproducible; worked out while compiling, so
// that no table depends on the order in which others are filled at start-up.
constexpr HashKeys MakeKeys() {
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

// The mailbox square of a bit: a1 is 21, h8 98.
constexpr int MailboxOf(int nBit) {
    return (nBit / 8 + 2) * 10 + nBit % 8 + 1;
}

}  // namespace

constexpr HashKeys kHashKeys = MakeKeys();

namespace bitboard {
namespace {
constexpr SquareKeys MakeSquareKeys() {
    // The design's piece code of each type (pawn, knight, bishop, rook, queen, king); Black's is one more.
    constexpr int kCode[7] = {0, WhitePawn, WhiteKnight, WhiteBishop, WhiteRook, WhiteQueen, WhiteKing};
    SquareKeys k{};
    for (int colour = 0; colour < 2; ++colour)
        for (int type = 1; type <= 6; ++type)
            for (int bit = 0; bit < 64; ++bit)
                k.Piece[colour * 8 + type][bit] = kHashKeys.Piece[kCode[type] + colour][MailboxOf(bit)];
    for (int bit = 0; bit < 64; ++bit) k.EnPassant[bit] = kHashKeys.EnPassant[MailboxOf(bit)];
    k.EnPassant[64] = 0;
    for (int c = 0; c < 16; ++c) k.Castle[c] = kHashKeys.Castle[c];
    k.BlackToMove = kHashKeys.BlackToMove;
    return k;
}
}  // namespace
constexpr SquareKeys kSquareKeys = MakeSquareKeys();
}  // namespace bitboard

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
