// SPDX-License-Identifier: GPL-3.0-or-later
// The terms, side by side: the pawn structure from the pawn table first, then every piece (material,
// square, mobility, files, outposts, and the attack maps the later terms read), then the kings (shelter
// and danger), threats and passed pawns, which need both sides' attacks in full.
#include "eval/StrongEval.h"

#include <algorithm>

#include "eval/EvalMasks.h"
#include "eval/Kpk.h"

namespace eval {

using namespace bitboard;

namespace {

const Weights& W = kWeights;
constexpr int All = NoPieceType;  // attacked_[c][All]: every square c attacks

template <bool Traced>
class Evaluator {
  public:
    Evaluator(const Position& pos, PawnTable* table, EvalTrace* trace)
        : pos_(pos), table_(table), trace_(trace), terms_(trace), danger_(trace) {}

    // White's view.
    int Value() {
        int decided;
        if (DecideEnding(pos_, decided)) {
            if constexpr (Traced) trace_->Decided = true;
            return decided;
        }
        Prepare();
        for (Colour us : {White, Black}) {
            Material(us);
            Pieces<Knight>(us);
            Pieces<Bishop>(us);
            Pieces<Rook>(us);
            Pieces<Queen>(us);
        }
        for (Colour us : {White, Black}) {
            KingTerms(us);
            Threats(us);
            Passed(us);
        }
        terms_.Add(pos_.SideToMove(), W.Tempo);
        return Blended(terms_.Net());
    }

  private:
    void Prepare() {
        if constexpr (Traced) {
            pawns_ = &ownEntry_;
            WorkOutPawns(pos_, ownEntry_, terms_);
        } else {
            pawns_ = &table_->Slot(pos_.PawnKey());
            if (pawns_->Key != pos_.PawnKey()) {
                TermSink<false> sink(nullptr);
                WorkOutPawns(pos_, *pawns_, sink);
                pawns_->Value = sink.Net();
            }
            terms_.AddValue(White, pawns_->Value);
        }
        for (Colour us : {White, Black}) {
            const int king = pos_.KingSquare(us);
            const Bitboard pawnAttacks = pawns_->Attacks[us], kingAttacks = KingAttacks(king);
            const Bitboard pawns = pos_.Pieces(us, Pawn);
            attacked_[us][Pawn] = pawnAttacks;
            attacked_[us][King] = kingAttacks;
            attacked_[us][All] = pawnAttacks | kingAttacks;
            const Bitboard twoPawns = us == White ? Shift<NorthEast>(pawns) & Shift<NorthWest>(pawns)
                                                  : Shift<SouthEast>(pawns) & Shift<SouthWest>(pawns);
            attacked2_[us] = (pawnAttacks & kingAttacks) | twoPawns;
            mobilityArea_[us] = ~(pos_.Pieces(us, Pawn, King) | pawns_->Attacks[~us]);
            // The squares around the king and the rank in front of them.
            const Bitboard around = kingAttacks | Bit(king);
            kingZone_[us] = around | (us == White ? Shift<North>(around) : Shift<South>(around));
        }
    }

    void Material(Colour us) {
        if (pos_.Count(us, Bishop) >= 2) terms_.Add(us, W.BishopPair);
        const int pawnsAboveFive = pos_.Count(us, Pawn) - 5;
        terms_.Add(us, W.KnightPawns, pos_.Count(us, Knight) * pawnsAboveFive);
        terms_.Add(us, W.RookPawns, pos_.Count(us, Rook) * pawnsAboveFive);
    }

    template <PieceType T>
    Bitboard AttacksFrom(int sq, Colour us) const {
        const Bitboard occupied = pos_.Pieces();
        // Sliders see through queens, and rooks through their own rooks: the line holds behind them.
        if constexpr (T == Knight) return KnightAttacks(sq);
        if constexpr (T == Bishop) return BishopAttacksFrom(sq, occupied ^ pos_.Pieces(Queen));
        if constexpr (T == Rook)
            return RookAttacksFrom(sq, occupied ^ pos_.Pieces(Queen) ^ pos_.Pieces(us, Rook));
        return QueenAttacksFrom(sq, occupied);
    }

    template <PieceType T>
    const Score& Mobility(int squares) const {
        if constexpr (T == Knight) return W.KnightMobility[squares];
        if constexpr (T == Bishop) return W.BishopMobility[squares];
        if constexpr (T == Rook) return W.RookMobility[squares];
        return W.QueenMobility[squares];
    }

    template <PieceType T>
    void Pieces(Colour us) {
        const Colour them = ~us;
        const Bitboard pinned = pos_.Pinned(us);
        const int king = pos_.KingSquare(us);
        for (Bitboard b = pos_.Pieces(us, T); b != 0;) {
            const int sq = PopLsb(b);
            terms_.Add(us, W.PieceValue[T - Pawn]);
            terms_.Add(us, W.PieceSquare[T - Pawn][RelativeSquare(us, sq)]);
            Bitboard attacks = AttacksFrom<T>(sq, us);
            if ((pinned & Bit(sq)) != 0) attacks &= LineThrough(king, sq);
            attacked2_[us] |= attacked_[us][All] & attacks;
            attacked_[us][All] |= attacks;
            attacked_[us][T] |= attacks;
            if ((attacks & kingZone_[them]) != 0) {
                ++zoneAttackers_[them][T];
                zoneAttacks_[them] += PopCount(attacks & kingZone_[them]);
            }
            terms_.Add(us, Mobility<T>(PopCount(attacks & mobilityArea_[us])));
            if constexpr (T == Knight || T == Bishop) MinorPiece<T>(us, sq, attacks);
            if constexpr (T == Rook || T == Queen) HeavyPiece<T>(us, sq);
        }
    }

    template <PieceType T>
    void MinorPiece(Colour us, int sq, Bitboard attacks) {
        const Colour them = ~us;
        const Bitboard outposts =
            (RelativeRankBits(us, 3) | RelativeRankBits(us, 4) | RelativeRankBits(us, 5)) &
            pawns_->Attacks[us] & ~pawns_->AttackSpan[them];
        if ((outposts & Bit(sq)) != 0)
            terms_.Add(us, T == Knight ? W.KnightOutpost : W.BishopOutpost);
        else if (T == Knight && (outposts & attacks & ~pos_.Pieces(us)) != 0)
            terms_.Add(us, W.KnightReachesOutpost);
        const Bitboard ahead = us == White ? Shift<North>(Bit(sq)) : Shift<South>(Bit(sq));
        if ((ahead & pos_.Pieces(Pawn)) != 0) terms_.Add(us, W.MinorBehindPawn);
        if constexpr (T == Bishop) {
            constexpr Bitboard dark = 0xAA55AA55AA55AA55ull;
            const Bitboard colour = (Bit(sq) & dark) != 0 ? dark : ~dark;
            terms_.Add(us, W.BishopPawnsOnColour, PopCount(pos_.Pieces(us, Pawn) & colour));
        }
    }

    template <PieceType T>
    void HeavyPiece(Colour us, int sq) {
        const Colour them = ~us;
        const int file = 1 << FileOf(sq);
        if ((pawns_->OpenFiles[us] & file) != 0) {
            const bool open = (pawns_->OpenFiles[them] & file) != 0;
            if constexpr (T == Rook) terms_.Add(us, open ? W.RookOpenFile : W.RookSemiOpenFile);
            if constexpr (T == Queen) terms_.Add(us, open ? W.QueenOpenFile : W.QueenSemiOpenFile);
        }
        if (RelativeRank(us, sq) == 6 && (RelativeRank(us, pos_.KingSquare(them)) == 7 ||
                                          (pos_.Pieces(them, Pawn) & RelativeRankBits(us, 6)) != 0))
            terms_.Add(us, T == Rook ? W.RookOnSeventh : W.QueenOnSeventh);
    }

    void KingTerms(Colour us) {
        const int king = pos_.KingSquare(us);
        terms_.Add(us, W.PieceSquare[King - Pawn][RelativeSquare(us, king)]);
        if constexpr (Traced) {
            terms_.AddValue(us, KingShelter<true>(pos_, us, trace_));
        } else {
            const uint8_t rights = uint8_t((pos_.CastlingRights() >> (2 * us)) & 3);
            if (pawns_->ShelterSquare[us] != king || pawns_->ShelterCastling[us] != rights) {
                pawns_->Shelter[us] = KingShelter<false>(pos_, us, nullptr);
                pawns_->ShelterSquare[us] = uint8_t(king);
                pawns_->ShelterCastling[us] = rights;
            }
            terms_.AddValue(us, pawns_->Shelter[us]);
        }
        KingDanger(us, king);
    }

    // The danger to our king from the pieces that attack its zone, its weak squares and the safe checks.
    void KingDanger(Colour us, int king) {
        const Colour them = ~us;
        int attackers = 0;
        for (int t = Knight; t <= Queen; ++t) attackers += zoneAttackers_[us][t];
        const bool queen = pos_.Count(them, Queen) > 0;
        if (attackers < (queen ? 1 : 2)) return;
        danger_.Add(us, W.DangerBase);
        for (int t = Knight; t <= Queen; ++t)
            if (zoneAttackers_[us][t] != 0)
                danger_.Add(us, W.DangerAttackers[t - Pawn], zoneAttackers_[us][t]);
        danger_.Add(us, W.DangerZoneAttacks, zoneAttacks_[us]);
        const Bitboard weak = attacked_[them][All] & ~attacked2_[us] &
                              (~attacked_[us][All] | attacked_[us][King] | attacked_[us][Queen]);
        danger_.Add(us, W.DangerWeakSquares, PopCount(weak & kingZone_[us]));
        const Bitboard safe = ~pos_.Pieces(them) & (~attacked_[us][All] | (weak & attacked2_[them]));
        const Bitboard occupied = pos_.Pieces();
        const Bitboard diagonals = BishopAttacksFrom(king, occupied), lines = RookAttacksFrom(king, occupied);
        const Bitboard checks[] = {KnightAttacks(king) & attacked_[them][Knight],
                                   diagonals & attacked_[them][Bishop], lines & attacked_[them][Rook],
                                   (diagonals | lines) & attacked_[them][Queen]};
        for (int t = Knight; t <= Queen; ++t)
            if ((checks[t - Knight] & safe) != 0) danger_.Add(us, W.DangerSafeCheck[t - Pawn]);
        if (!queen) danger_.Add(us, W.DangerNoQueen);
        terms_.AddValue(us, -DangerCost(danger_.Of(us)));
    }

    void Threats(Colour us) {
        const Colour them = ~us;
        const Bitboard theirs = pos_.Pieces(them) & ~pos_.Pieces(them, King);
        const Bitboard pieces = theirs & ~pos_.Pieces(them, Pawn);
        ByType(us, pieces & attacked_[us][Pawn], W.ThreatByPawn);
        // Defended by a pawn, or by more pieces than attack it: only a lesser attacker gains.
        const Bitboard strong = attacked_[them][Pawn] | (attacked2_[them] & ~attacked2_[us]);
        const Bitboard weak = theirs & ~strong & attacked_[us][All];
        ByType(us, ((pieces & strong) | weak) & (attacked_[us][Knight] | attacked_[us][Bishop]),
               W.ThreatByMinor);
        ByType(us, weak & attacked_[us][Rook], W.ThreatByRook);
        terms_.Add(us, W.ThreatByKing, PopCount(weak & attacked_[us][King]));
        terms_.Add(us, W.Hanging, PopCount(weak & (~attacked_[them][All] | (pieces & attacked2_[us]))));
        // Pawns that can step (once, or twice from home) to a square no enemy pawn attacks, from where they
        // would attack a piece.
        const Bitboard empty = ~pos_.Pieces();
        const Bitboard own = pos_.Pieces(us, Pawn);
        Bitboard pushes = (us == White ? Shift<North>(own) : Shift<South>(own)) & empty;
        pushes |=
            (us == White ? Shift<North>(pushes & RankBits(2)) : Shift<South>(pushes & RankBits(5))) & empty;
        pushes &= ~attacked_[them][Pawn] & (attacked_[us][All] | ~attacked_[them][All]);
        terms_.Add(us, W.ThreatByPawnPush, PopCount(PawnAttacksOfSet(us, pushes) & pieces));
    }

    void ByType(Colour us, Bitboard victims, const Score (&weights)[6]) {
        while (victims != 0) terms_.Add(us, weights[TypeOf(pos_.PieceOn(PopLsb(victims))) - Pawn]);
    }

    void Passed(Colour us) {
        const Colour them = ~us;
        const Bitboard occupied = pos_.Pieces();
        const int ownKing = pos_.KingSquare(us), enemyKing = pos_.KingSquare(them);
        // Against a king alone, a pawn outside its square promotes.
        const bool bareKing = !pos_.HasPieces(them);
        const int tempo = pos_.SideToMove() == them ? 1 : 0;
        for (Bitboard b = pawns_->Passed[us]; b != 0;) {
            const int sq = PopLsb(b);
            const int rank = RelativeRank(us, sq), front = sq + PawnPush(us);
            terms_.Add(us, W.PassedRank[rank]);
            terms_.Add(us, W.PassedOwnKing[rank], std::min(Distance(ownKing, front), 5));
            terms_.Add(us, W.PassedEnemyKing[rank], std::min(Distance(enemyKing, front), 5));
            const Bitboard path = kPawnMasks.FileAhead[us][sq];
            const bool free = (path & occupied) == 0;
            if (free) terms_.Add(us, W.PassedFreePath[rank]);
            if ((path & (attacked_[them][All] | pos_.Pieces(them))) == 0)
                terms_.Add(us, W.PassedSafePath[rank]);
            if (((occupied | attacked_[them][All]) & Bit(front)) == 0) terms_.Add(us, W.PassedSafePush[rank]);
            if (bareKing && free) {
                const int promotion = RelativeSquare(us, SquareAt(FileOf(sq), 7));
                const int moves = 7 - std::max(rank, 2);  // from home, a double step
                if (Distance(enemyKing, promotion) - tempo > moves) terms_.Add(us, W.PassedUnstoppable);
            }
        }
    }

    int Blended(Score s) {
        const int phase = PhaseOf(pos_);
        const Colour strong = s.Eg() > 0 ? White : Black;
        const int scale = EndgameScale(pos_, strong);
        if constexpr (Traced) {
            trace_->Terms = s;
            trace_->Phase = phase;
            trace_->Scale[strong] = scale;
            trace_->Scale[~strong] = EndgameScale(pos_, ~strong);
        }
        return Blend(s, phase, scale);
    }

    const Position& pos_;
    PawnTable* table_;
    EvalTrace* trace_;
    TermSink<Traced> terms_;
    TermSink<Traced> danger_;  // by the colour of the king in danger
    PawnEntry* pawns_ = nullptr;
    PawnEntry ownEntry_;  // traced: no table
    Bitboard attacked_[2][7] = {};
    Bitboard attacked2_[2] = {};  // squares attacked at least twice
    Bitboard mobilityArea_[2] = {};
    Bitboard kingZone_[2] = {};
    int zoneAttackers_[2][7] = {};  // [colour of the king][type]: enemy pieces attacking its zone
    int zoneAttacks_[2] = {};
};

}  // namespace

void PrepareEndgameKnowledge() {
    KpkWins(White, E1, E2, E8, White);
}

int PhaseOf(const Position& pos) {
    int phase = 0;
    for (Colour c : {White, Black})
        phase +=
            pos.Count(c, Knight) + pos.Count(c, Bishop) + 2 * pos.Count(c, Rook) + 4 * pos.Count(c, Queen);
    return std::min(phase, MaxPhase);
}

int Evaluate(const Position& pos, EvalCache& cache) {
    const int value = Evaluator<false>(pos, &cache.Pawns, nullptr).Value();
    return pos.SideToMove() == White ? value : -value;
}

int EvaluateTraced(const Position& pos, EvalTrace& trace) {
    trace = EvalTrace{};
    trace.Scale[White] = trace.Scale[Black] = NormalScale;
    trace.Value = Evaluator<true>(pos, nullptr, &trace).Value();
    return trace.Value;
}

}  // namespace eval
