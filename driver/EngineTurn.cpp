// The engine's turn: search, charge the clock, play and announce the move, report a finished game.
#include <cmath>

#include "board/BoardBas.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "driver/ThinkingOutput.h"
#include "platform/Platform.h"
#include "search/SearchBas.h"

double LastMoveSeconds = 0;

bool EngineOnMove() {
    return WhiteToMove == EnginePlaysWhite && !ForceMode && GameResult == ResultNone && !PositionRejected;
}

void EngineTurn() {
    if (!EngineOnMove()) return;
    NodeCount = 0;
    QuiescenceNodes = 0;
    Ply = 0;
    // A monotonic clock: a search across midnight or a clock change is charged what it really took.
    MoveStartTime = TimerSeconds();
    ThinkingOutput thinking(!InGuiMode       ? ThinkingFace::Protocol
                            : ItalianTexts() ? ThinkingFace::Italian
                                             : ThinkingFace::English,
                            OpponentIsComputer);
    const MoveRec best = Think(thinking);
    LastMoveSeconds = std::fabs(TimerSeconds() - MoveStartTime);
    TimeLeft = static_cast<float>(TimeLeft - LastMoveSeconds + TimeIncrement);
    const std::string text = MoveToText(best);

    // A record without a move (From 0) is never played: it would corrupt the board.
    auto play = [&] {
        if (best.From == 0) return false;
        MakeGameMove(best);
        RecordMove(best);
        SendLine("move " + text);
        return true;
    };
    switch (GameResult) {
        case ResultNone:
            if (play()) ++RepetitionTable[PositionKey()];
            break;
        case ResultWhiteWins:
            play();
            SendLine("1-0 {Il Bianco Vince}");
            break;
        case ResultBlackWins:
            play();
            SendLine("0-1 {Il Nero Vince}");
            break;
        case ResultRepetition:
            play();
            SendLine("1/2-1/2 {Pareggio per ripetizione mosse}");
            break;
        case ResultWhiteResigns:
        case ResultBlackResigns:
            SendLine("resign");
            break;
        default:
            play();
            SendLine(HalfmoveClock < 100 ? "1/2-1/2 {Pareggio}" : "1/2-1/2 {Regola delle 50 mosse}");
            break;
    }
}
