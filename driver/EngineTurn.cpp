// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's turn: search, charge the clock, play and announce the move, report a finished game.
#include <cmath>

#include "board/BoardBas.h"
#include "driver/EngineOptions.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "driver/ThinkingOutput.h"
#include "platform/Platform.h"
#include "search/Search.h"

double LastMoveSeconds = 0;
bool TurnIsPonder = false;
MoveRec ExpectedReply;
std::string ExpectedReplyPosition;

namespace {
// What the turn takes from the command thread when it begins: the words of its thinking lines (the
// window's language is read there, on the window's own thread) and the game its lines belong to.
ThinkingFace TurnFace = ThinkingFace::Protocol;
LineTag TurnTag;
double TurnStart = 0;  // TimerSeconds() when the turn began
}  // namespace

bool EngineOnMove() {
    return WhiteToMove == EnginePlaysWhite && !ForceMode && GameResult == ResultNone && !PositionRejected;
}

void BeginEngineTurn() {
    // A monotonic clock: a search across midnight or a clock change is charged what it really took.
    TurnStart = TimerSeconds();
    TurnFace = !InGuiMode       ? ThinkingFace::Protocol
               : ItalianTexts() ? ThinkingFace::Italian
                                : ThinkingFace::English;
    TurnTag = LineTag{OutputGame(), 0};
}

SearchResult SearchForTurn(SearchRequest request, SearchReporter& report) {
    request.Start = TurnStart;
    return Search(request, report);
}

void PlayEngineTurn(const SearchRequest& request, const std::function<bool()>& commit) {
    ThinkingOutput thinking(TurnFace, OpponentIsComputer, TurnTag);
    const SearchResult found = SearchForTurn(request, thinking);
    const MoveRec& best = found.Move;
    // A ponder search gives no move before its hit, whatever ended it; a turn stopped without a move
    // leaves the game as it found it.
    if ((TurnIsPonder && Pondering.load()) || !commit()) return;
    GameResult = found.Verdict;
    TimeBank = found.TimeBank;
    // After a ponder hit the clock has run since the hit only.
    LastMoveSeconds = std::fabs(TimerSeconds() - (TurnIsPonder ? PonderHitTime.load() : TurnStart));
    const std::vector<MoveRec>& line = thinking.LastLine();
    const MoveRec expected = line.size() >= 2 && SameMove(line[0], best) ? line[1] : MoveRec{};
    TimeLeft = static_cast<float>(TimeLeft - LastMoveSeconds + TimeIncrement);
    const std::string text = MoveToText(best);
    const LineTag tag{TurnTag.Game, found.Seconds};

    // A record without a move (From 0) is never played: it would corrupt the board.
    auto play = [&] {
        if (best.From == 0) return false;
        MakeGameMove(best);
        RecordMove(best);
        SendLine("move " + text, tag);
        return true;
    };
    switch (GameResult) {
        case ResultNone:
            if (play()) {
                ++RepetitionTable[PositionKey()];
                ExpectedReply = expected;
                ExpectedReplyPosition = PositionKey();
            }
            break;
        case ResultWhiteWins:
            play();
            SendLine("1-0 {Il Bianco Vince}", tag);
            break;
        case ResultBlackWins:
            play();
            SendLine("0-1 {Il Nero Vince}", tag);
            break;
        case ResultRepetition:
            play();
            SendLine("1/2-1/2 {Pareggio per ripetizione mosse}", tag);
            break;
        case ResultWhiteResigns:
        case ResultBlackResigns:
            SendLine("resign", tag);
            break;
        default:
            // A draw with a move is the fifty-move claim; without one, the engine is stalemated.
            SendLine(play() ? "1/2-1/2 {Regola delle 50 mosse}" : "1/2-1/2 {Pareggio}", tag);
            break;
    }
}

void PlayAnalysisTurn(const SearchRequest& request, const std::function<bool()>& commit) {
    // The game window writes analysis its own way (White's score, the line in SAN), so it is given the
    // protocol's lines: the score in centipawns and the moves with their promotion letters.
    ThinkingOutput thinking(ThinkingFace::Protocol, false, TurnTag);
    // Analysis judges nothing about the game and spends nothing of the clock: its result is not kept.
    SearchForTurn(request, thinking);
    commit();
}

void EngineTurn() {
    if (!EngineOnMove()) return;
    BeginEngineTurn();
    SearchRequest request;
    request.StrengthElo = AskedStrength();
    PlayEngineTurn(request, [] { return true; });
}
