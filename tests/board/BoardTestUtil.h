// Helpers shared by the board tests.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/BoardBas.h"

inline void FreshGame() {
    InitBoardTables();
    BookLoaded = false;
    ResetGame();
}

inline void SetPosition(const std::string& fen) {
    FreshGame();
    ASSERT_TRUE(SetBoard(fen)) << fen;
}

// Plays a move given as text as a game move, counting the repetition like the interpreter does.
inline void Play(const std::string& text) {
    MoveRec m;
    ASSERT_TRUE(FindMoveFromText(text, m)) << text << " in " << PositionKey();
    MakeGameMove(m);
    RecordMove(m);
    ++RepetitionTable[PositionKey()];
}

inline std::vector<std::string> MoveTexts() {
    MoveList list;
    GenerateMoves(list);
    std::vector<std::string> texts;
    for (int i = 0; i < list.Count; ++i) texts.push_back(MoveToText(list.Move[i]));
    return texts;
}
