// SPDX-License-Identifier: GPL-3.0-or-later
// Pawn structure: isolated, doubled, backward, supported and side-by-side pawns, passed pawns found (their
// worth depends on the pieces and kings and is judged with them), and the king's pawn shelter.
#include "eval/PawnTable.h"

#include <algorithm>

#include "eval/EvalMasks.h"

namespace eval {

using namespace bitboard;

namespace {

const Weights& W = kWeights;

template <bool Traced>
void PawnTerms(const Position& pos, Colour us, PawnEntry& e, TermSink<Traced>& sink) {
    const Colour them = ~us;
    const Bitboard own = pos.Pieces(us, Pawn), enemy = pos.Pieces(them, Pawn);
    const Bitboard enemyHeld = enemy | PawnAttacksOfSet(them, enemy);
    e.Attacks[us] = PawnAttacksOfSet(us, own);
    e.AttackSpan[us] = e.Passed[us] = 0;
    e.OpenFiles[us] = 0xFF;
    for (Bitboard b = own; b != 0;) {
        const int sq = PopLsb(b);
        const int file = FileOf(sq), rank = RelativeRank(us, sq);
        e.OpenFiles[us] &= uint8_t(~(1 << file));
        e.AttackSpan[us] |= kPawnMasks.AttackSpan[us][sq];
        sink.Add(us, W.PieceValue[Pawn - Pawn]);
        sink.Add(us, W.PieceSquare[Pawn - Pawn][RelativeSquare(us, sq)]);

        const Bitboard neighbours = own & kPawnMasks.AdjacentFiles[file];
        const bool open = (enemy & kPawnMasks.FileAhead[us][sq]) == 0;
        if (neighbours == 0) {
            sink.Add(us, W.Isolated);
            if (open) sink.Add(us, W.IsolatedOpen);
        } else if ((neighbours & ~kPawnMasks.RanksAhead[us][RankOf(sq)]) == 0 &&
                   (enemyHeld & Bit(sq + PawnPush(us))) != 0) {
            // Every neighbour has gone past it, and the square in front is the enemy's.
            sink.Add(us, W.Backward);
            if (open) sink.Add(us, W.BackwardOpen);
        }
        const bool behindOwn = (own & kPawnMasks.FileAhead[us][sq]) != 0;
        if (behindOwn) sink.Add(us, W.Doubled);
        if ((own & PawnAttacks(them, sq)) != 0) sink.Add(us, W.Supported[rank]);
        if ((own & (Shift<East>(Bit(sq)) | Shift<West>(Bit(sq)))) != 0) sink.Add(us, W.Phalanx[rank]);
        if (!behindOwn && (enemy & kPawnMasks.PassedSpan[us][sq]) == 0) e.Passed[us] |= Bit(sq);
    }
}

// The shelter of own pawns and the storm of enemy pawns on the three files around the king (the edge
// files' king shelters on b..g), counting pawns level with the king or ahead of it.
template <bool Traced>
void ShelterAt(const Position& pos, Colour us, int king, TermSink<Traced>& sink) {
    const Colour them = ~us;
    const Bitboard notBehind = ~kPawnMasks.RanksAhead[them][RankOf(king)];
    const Bitboard own = pos.Pieces(us, Pawn) & notBehind, enemy = pos.Pieces(them, Pawn) & notBehind;
    const int centre = std::clamp(FileOf(king), 1, 6);
    // The pawn of a set nearest to our side of the board.
    auto nearestRank = [us](Bitboard set) {
        return set == 0 ? 0 : RelativeRank(us, us == White ? Lsb(set) : Msb(set));
    };
    for (int file = centre - 1; file <= centre + 1; ++file) {
        const int ours = nearestRank(own & FileBits(file)), theirs = nearestRank(enemy & FileBits(file));
        const int edge = std::min(file, 7 - file);
        sink.Add(us, W.Shelter[edge][ours]);
        if (ours != 0 && theirs == ours + 1)
            sink.Add(us, W.BlockedStorm[theirs]);
        else
            sink.Add(us, W.Storm[edge][theirs]);
    }
}

Score ShelterValue(const Position& pos, Colour us, int king) {
    TermSink<false> sink(nullptr);
    ShelterAt(pos, us, king, sink);
    return sink.Of(us);
}

}  // namespace

template <bool Traced>
void WorkOutPawns(const Position& pos, PawnEntry& entry, TermSink<Traced>& sink) {
    PawnTerms(pos, White, entry, sink);
    PawnTerms(pos, Black, entry, sink);
    entry.Key = pos.PawnKey();
    entry.ShelterSquare[White] = entry.ShelterSquare[Black] = NoSquare;
}

template <bool Traced>
Score KingShelter(const Position& pos, Colour c, EvalTrace* trace) {
    const int king = pos.KingSquare(c);
    int best = king;
    Score value = ShelterValue(pos, c, king);
    // A king that may still castle will find that shelter (if better) soon.
    const int rights = pos.CastlingRights() >> (2 * c);
    for (const auto& [right, square] : {std::pair{1, G1}, std::pair{2, C1}}) {
        if ((rights & right) == 0) continue;
        const int there = RelativeSquare(c, square);
        const Score castled = ShelterValue(pos, c, there);
        if (castled.Mg() > value.Mg()) value = castled, best = there;
    }
    if constexpr (Traced) {
        TermSink<true> sink(trace);
        ShelterAt(pos, c, best, sink);
    }
    return value;
}

template void WorkOutPawns<false>(const Position&, PawnEntry&, TermSink<false>&);
template void WorkOutPawns<true>(const Position&, PawnEntry&, TermSink<true>&);
template Score KingShelter<false>(const Position&, Colour, EvalTrace*);
template Score KingShelter<true>(const Position&, Colour, EvalTrace*);

}  // namespace eval
