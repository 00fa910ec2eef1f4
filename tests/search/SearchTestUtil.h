// Helpers shared by the search tests: a started engine, set-up positions and captured output.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/BoardBas.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "platform/Platform.h"
#include "search/SearchBas.h"

class EngineTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static bool started = false;
        if (!started) InitEngine();
        started = true;
    }
    void SetUp() override {
        Lines.clear();
        SendLineCapture = [this](const std::string& s) { Lines.push_back(s); };
        InGuiMode = false;
        GameWindow.Italian = nullptr;
        DrawScore = 0;
        BookLoaded = false;
        ResetGame();
    }
    void TearDown() override {
        SendLineCapture = nullptr;
        InGuiMode = false;
        GameWindow.Italian = nullptr;
        DrawScore = 0;
    }
    // A position as the interpreter sets it: out of book, fresh counters.
    static void Position(const std::string& fen) {
        BookLoaded = false;
        ResetGame();
        ASSERT_TRUE(SetBoard(fen)) << fen;
    }
    // The state the driver leaves for sd N before the engine's turn.
    static void FixedDepth(int depth) {
        TimeIncrement = MovesPerControl = BaseTime = 0;
        TimeLeft = 0;
        OpponentTimeLeft = 0;
        MaxDepth = depth;
    }
    MoveRec RunThink() {
        NodeCount = QuiescenceNodes = 0;
        Ply = 0;
        GameResult = ResultNone;
        MoveStartTime = TimerSeconds();
        return Think();
    }
    MoveRec ThinkAtDepth(const std::string& fen, int depth) {
        Position(fen);
        FixedDepth(depth);
        return RunThink();
    }
    std::vector<std::string> Lines;
};
