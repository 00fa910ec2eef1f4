// SPDX-License-Identifier: GPL-3.0-or-later
// Positions and games on the engine's board, shared by the board, book and search tests.
#pragma once
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "board/BoardBas.h"

inline void FreshGame() {
    InitBoardTables();
    BookLoaded = false;
    ResetGame();
}

// A position as the interpreter sets it: out of book, fresh counters.
inline void SetPosition(const std::string& fen) {
    FreshGame();
    ASSERT_TRUE(SetBoard(fen)) << fen;
}

// Plays blank-separated moves as game moves, counting the repetitions like the interpreter does.
inline void Play(const std::string& sMoves) {
    std::istringstream in(sMoves);
    for (std::string text; in >> text;) {
        MoveRec m;
        ASSERT_TRUE(FindMoveFromText(text, m)) << text << " in " << PositionKey();
        MakeGameMove(m);
        RecordMove(m);
        ++RepetitionTable[PositionKey()];
    }
}
