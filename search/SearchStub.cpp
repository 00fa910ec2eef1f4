// Stand-in until the search lands: plays the first legal move.
#include "search/BookBas.h"
#include "search/SearchBas.h"

int SearchSeconds = 0;

void InitEngine() {
    InitBoardTables();
    BookLoaded = LoadBook();
    ResetGame();
}

MoveRec Think() {
    MoveList list;
    GenerateMoves(list);
    for (int i = 0; i < list.Count; ++i) {
        MoveRec m = list.Move[i];
        MakeMove(m);
        const bool legal = IsLegalAfterMove(m);
        UnmakeMove(m);
        if (legal) return m;
    }
    GameResult = InCheck() ? (WhiteToMove ? ResultBlackWins : ResultWhiteWins) : ResultDraw;
    return MoveRec{};
}
