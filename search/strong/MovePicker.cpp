// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/strong/MovePicker.h"

#include "search/strong/Exchange.h"

namespace strong {

using namespace bitboard;

namespace {
// What the capture generator gives: captures (but under-promotions) and promotions to a queen.
bool IsTactical(const Position& pos, Move m) {
    return m.IsPromotion() ? m.Promoted() == Queen : pos.IsCapture(m);
}
bool Playable(const Position& pos, Move m) {
    return m != NoMove && pos.IsPseudoLegal(m) && pos.IsLegal(m);
}
}  // namespace

MovePicker::MovePicker(const Position& pos, Move hashMove, const Histories& histories,
                       const Ordering& ordering)
    : pos_(pos), histories_(histories), ordering_(ordering), hashMove_(hashMove) {
    stage_ = pos.InCheck() ? Stage::EvasionHashMove : Stage::HashMove;
    if (!Playable(pos, hashMove_)) hashMove_ = NoMove;
    cur_ = end_ = losingEnd_ = moves_;
}

MovePicker::MovePicker(const Position& pos, Move hashMove, const Histories& histories)
    : pos_(pos), histories_(histories), hashMove_(hashMove) {
    stage_ = pos.InCheck() ? Stage::EvasionHashMove : Stage::CaptureSearchHashMove;
    if (!Playable(pos, hashMove_) || (!pos.InCheck() && !IsTactical(pos, hashMove_))) hashMove_ = NoMove;
    cur_ = end_ = losingEnd_ = moves_;
}

template <typename Generator>
MovePicker::Scored* MovePicker::Generate(Scored* from, Generator gen) {
    Move generated[MaxMoves];
    Move* const last = gen(pos_, generated);
    for (const Move* m = generated; m != last; ++m) (from++)->Move = *m;
    return from;
}

void MovePicker::ScoreCaptures(Scored* first, Scored* last) const {
    for (Scored* s = first; s != last; ++s) {
        const Move m = s->Move;
        const Piece moved = pos_.MovedPiece(m);
        const PieceType victim = TypeOf(pos_.CapturedPiece(m));
        int gain = ExchangeValue(victim);
        if (m.IsPromotion()) gain += ExchangeValue(m.Promoted()) - ExchangeValue(Pawn);
        s->Score = 8 * gain + histories_.Capture[moved][m.To()][victim] / 32;
    }
}

void MovePicker::ScoreQuiets(Scored* first, Scored* last) const {
    const int c = pos_.SideToMove();
    const FollowUpTable* f0 = ordering_.FollowUps[0];
    const FollowUpTable* f1 = ordering_.FollowUps[1];
    for (Scored* s = first; s != last; ++s) {
        const Move m = s->Move;
        const Piece moved = pos_.MovedPiece(m);
        int score = histories_.Quiet[c][m.From()][m.To()];
        if (f0) score += (*f0)[moved][m.To()];
        if (f1) score += (*f1)[moved][m.To()];
        s->Score = score;
    }
}

// Captures of the checker first, the most valuable victim first; then the rest by history.
void MovePicker::ScoreEvasions(Scored* first, Scored* last) const {
    const int c = pos_.SideToMove();
    for (Scored* s = first; s != last; ++s) {
        const Move m = s->Move;
        if (pos_.IsCaptureOrPromotion(m))
            s->Score = (1 << 20) + 8 * ExchangeValue(TypeOf(pos_.CapturedPiece(m))) -
                       ExchangeValue(TypeOf(pos_.MovedPiece(m)));
        else
            s->Score = histories_.Quiet[c][m.From()][m.To()];
    }
}

Move MovePicker::TakeBest() {
    Scored* best = cur_;
    for (Scored* s = cur_ + 1; s < end_; ++s)
        if (s->Score > best->Score) best = s;
    std::swap(*best, *cur_);
    return (cur_++)->Move;
}

bool MovePicker::Usable(Move m) {
    if (m == hashMove_ || GivenEarly(m) || pos_.IsCaptureOrPromotion(m) || !Playable(pos_, m)) return false;
    givenEarly_[nGivenEarly_++] = m;
    return true;
}

bool MovePicker::GivenEarly(Move m) const {
    for (int i = 0; i < nGivenEarly_; ++i)
        if (givenEarly_[i] == m) return true;
    return m == hashMove_;
}

Move MovePicker::Next() {
    switch (stage_) {
        case Stage::HashMove:
        case Stage::CaptureSearchHashMove:
        case Stage::EvasionHashMove:
            stage_ = Stage(static_cast<int>(stage_) + 1);
            if (hashMove_ != NoMove) return hashMove_;
            return Next();

        case Stage::MakeCaptures:
        case Stage::CaptureSearchMake:
            end_ = Generate(moves_, GenerateCaptures);
            ScoreCaptures(moves_, end_);
            stage_ = Stage(static_cast<int>(stage_) + 1);
            return Next();

        case Stage::Captures:
            while (cur_ < end_) {
                const Move m = TakeBest();
                if (m == hashMove_ || !pos_.IsLegal(m)) continue;
                // Set aside, the list's consumed front holds those that lose their exchange.
                if (!ExchangeAtLeast(pos_, m, 0)) {
                    *losingEnd_++ = Scored{m, 0};
                    continue;
                }
                return m;
            }
            stage_ = Stage::Killer1;
            [[fallthrough]];
        case Stage::Killer1:
            stage_ = Stage::Killer2;
            if (Usable(ordering_.Killers[0])) return ordering_.Killers[0];
            [[fallthrough]];
        case Stage::Killer2:
            stage_ = Stage::Counter;
            if (Usable(ordering_.Killers[1])) return ordering_.Killers[1];
            [[fallthrough]];
        case Stage::Counter:
            stage_ = Stage::MakeQuiets;
            if (Usable(ordering_.Counter)) return ordering_.Counter;
            [[fallthrough]];
        case Stage::MakeQuiets:
            cur_ = losingEnd_;
            end_ = Generate(cur_, GenerateQuiets);
            ScoreQuiets(cur_, end_);
            stage_ = Stage::Quiets;
            [[fallthrough]];
        case Stage::Quiets:
            while (cur_ < end_) {
                const Move m = TakeBest();
                if (!GivenEarly(m) && pos_.IsLegal(m)) return m;
            }
            cur_ = moves_;
            stage_ = Stage::LosingCaptures;
            [[fallthrough]];
        case Stage::LosingCaptures:
            if (cur_ < losingEnd_) return (cur_++)->Move;
            stage_ = Stage::Done;
            return NoMove;

        case Stage::CaptureSearchCaptures:
        case Stage::Evasions:
            while (cur_ < end_) {
                const Move m = TakeBest();
                if (m != hashMove_ && pos_.IsLegal(m)) return m;
            }
            stage_ = Stage::Done;
            return NoMove;

        case Stage::MakeEvasions:
            end_ = Generate(moves_, GenerateEvasions);
            ScoreEvasions(moves_, end_);
            stage_ = Stage::Evasions;
            return Next();

        case Stage::Done:
            break;
    }
    return NoMove;
}

}  // namespace strong
