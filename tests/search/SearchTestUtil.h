// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the search tests: a started engine, set-up positions and captured output.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "driver/ThinkingOutput.h"
#include "platform/Platform.h"
#include "search/Search.h"
#include "search/design/SearchBas.h"
#include "tests/BoardTestUtil.h"

// The clocks as the driver leaves them: zeroed for sd N, or a timed game with no depth limit.
struct Clock {
    int32_t moves = 0;
    double base = 0, inc = 0;
    float left = 0;
    double opponent = 0, bank = 0;
};
inline void SetClock(int depth, const Clock& c = {}) {
    MaxDepth = depth;
    MovesPerControl = c.moves;
    BaseTime = c.base;
    TimeIncrement = c.inc;
    TimeLeft = c.left;
    OpponentTimeLeft = c.opponent;
    TimeBank = c.bank;
}

class EngineTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static const bool started = (InitEngine(), true);
        (void)started;
    }
    void SetUp() override {
        DrawScore = 0;
        SendLineCapture = [this](const std::string& s) { Lines.push_back(s); };
    }
    void TearDown() override {
        SendLineCapture = nullptr;
        ChosenSearch = SearchKind::Design;
    }
    // The game's search from here to the test's end, on a cleared hash table.
    static void Use(SearchKind kind) {
        ChosenSearch = kind;
        ClearHash();
    }
    static void Position(const std::string& fen) { SetPosition(fen); }
    // The engine's turn with these clocks, as the driver starts it, its thinking as lines of Face; the
    // whole answer in Result.
    MoveRec RunThink(int depth, const Clock& c = {}) {
        SetClock(depth, c);
        GameResult = ResultNone;
        ThinkingOutput thinking(Face, OpponentIsComputer, {});
        Result = Search(SearchRequest{}, thinking);
        return Result.Move;
    }
    std::vector<std::string> Lines;
    SearchResult Result;
    ThinkingFace Face = ThinkingFace::Protocol;
};
