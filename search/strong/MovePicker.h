// SPDX-License-Identifier: GPL-3.0-or-later
// The order in which a node tries its moves, generated in stages so that a node that cuts off early
// generates little: the hash move before anything is generated; captures that win or hold their exchange,
// the most valuable victim first; the two killers and the counter move; quiet moves by their histories;
// captures that lose their exchange last. In check: the hash move, then every evasion. The capture search
// asks for the captures alone (every evasion in check). Only legal moves come out, each once.
#pragma once
#include "board/Position.h"
#include "search/strong/History.h"

namespace strong {

// The killers, the counter move and the follow-up tables a node of the main search orders by.
struct Ordering {
    bitboard::Move Killers[2] = {bitboard::NoMove, bitboard::NoMove};
    bitboard::Move Counter = bitboard::NoMove;
    // Quiet moves after the previous move and after the one before it; null where there is none.
    const FollowUpTable* FollowUps[2] = {nullptr, nullptr};
};

class MovePicker {
  public:
    // For the main search.
    MovePicker(const bitboard::Position& pos, bitboard::Move hashMove, const Histories& histories,
               const Ordering& ordering);
    // For the capture search.
    MovePicker(const bitboard::Position& pos, bitboard::Move hashMove, const Histories& histories);

    // The next move, NoMove once there are none left.
    bitboard::Move Next();
    // The move just given is a capture that loses its exchange (they come last).
    bool GaveLosingCapture() const { return stage_ == Stage::LosingCaptures; }

  private:
    enum class Stage {
        HashMove,
        MakeCaptures,
        Captures,
        Killer1,
        Killer2,
        Counter,
        MakeQuiets,
        Quiets,
        LosingCaptures,
        CaptureSearchHashMove,
        CaptureSearchMake,
        CaptureSearchCaptures,
        EvasionHashMove,
        MakeEvasions,
        Evasions,
        Done
    };
    struct Scored {
        bitboard::Move Move;
        int Score;
    };
    void ScoreCaptures(Scored* first, Scored* last) const;
    void ScoreQuiets(Scored* first, Scored* last) const;
    void ScoreEvasions(Scored* first, Scored* last) const;
    // The best of the moves from cur_ to end_, brought to cur_ and taken.
    bitboard::Move TakeBest();
    // Generates with gen into the list from its start; returns its end.
    template <typename Generator>
    Scored* Generate(Scored* from, Generator gen);
    // A stored move (killer, counter) that is quiet, legal and not given yet: kept as given.
    bool Usable(bitboard::Move m);
    bool GivenEarly(bitboard::Move m) const;

    const bitboard::Position& pos_;
    const Histories& histories_;
    Ordering ordering_;
    bitboard::Move hashMove_;
    bitboard::Move givenEarly_[3] = {bitboard::NoMove, bitboard::NoMove,
                                     bitboard::NoMove};  // killers, counter
    int nGivenEarly_ = 0;
    Stage stage_;
    Scored* cur_;
    Scored* end_;
    Scored* losingEnd_;  // losing captures set aside, from moves_ on
    Scored moves_[bitboard::MaxMoves];
};

}  // namespace strong
