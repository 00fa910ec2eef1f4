// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the tests that drive the real executable through a pipe.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tools/latency/EngineProcess.h"

// The limits are the program's promises, far above what it takes (a few milliseconds) so that a loaded
// machine does not fail them; builds with sanitizers, several times slower, get more room.
#ifdef TALVOR_SLOW_BUILD
constexpr int Slack = 5;
#else
constexpr int Slack = 1;
#endif
using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Out of the book, and more to think about than any test waits for.
inline const std::string Middlegame = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";

struct PipedEngine : EngineProcess {
    using EngineProcess::EngineProcess;
    // The end of input ends the program; a sanitizer's report on its way out fails the test.
    ~PipedEngine() {
        CloseInput();
        WaitExit(10000);
        EXPECT_EQ(ErrorOutput().find("Sanitizer"), std::string::npos) << ErrorOutput();
    }
    // Everything up to and including sMark, once it arrives.
    std::string Await(const std::string& sMark, int nTimeoutMs = 20000) {
        EXPECT_TRUE(ReadUntil(sMark, nTimeoutMs)) << "no " << sMark << " in " << TakeOutput();
        return TakeOutputThrough(sMark);
    }
};
