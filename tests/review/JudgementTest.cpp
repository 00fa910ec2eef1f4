// SPDX-License-Identifier: GPL-3.0-or-later
// The figures against the values players know from the large chess sites, and the marks at their edges.
#include <gtest/gtest.h>

#include "review/Judgement.h"

namespace {

PositionScore Cp(int cp) {
    return PositionScore::Of(Score::Centipawns(cp));
}
PositionScore Mate(int moves) {
    return PositionScore::Of(Score::MateIn(moves));
}

TEST(Judgement, WinPercentOfKnownScores) {
    const struct {
        PositionScore score;
        double win;
    } cases[] = {{Cp(0), 50},
                 {Cp(100), 59.10},
                 {Cp(300), 75.11},
                 {Cp(1000), 97.54},
                 {Cp(-300), 24.89},
                 {Cp(2500), 97.54},
                 {Mate(7), 97.54},
                 {Mate(-1), 2.46},
                 {PositionScore{Score{}, PositionScore::End::Checkmating}, 97.54}};
    for (const auto& c : cases) EXPECT_NEAR(WinPercent(c.score), c.win, 0.005) << c.score.Eval.Value;
}

TEST(Judgement, MoveAccuracy) {
    EXPECT_NEAR(MoveAccuracy(60, 50), 64.58, 0.01);
    EXPECT_EQ(MoveAccuracy(50, 50), 100);
    EXPECT_EQ(MoveAccuracy(40, 55), 100);  // a gain is no loss
    EXPECT_EQ(MoveAccuracy(100, 0), 0);    // clamped, never negative
}

TEST(Judgement, CentipawnMarksAtTheirEdges) {
    // The mover's chances fall by 0.1, 0.2 and 0.3 (5, 10, 15 points of win%) between these pairs.
    const struct {
        int before, after;
        Judgement mark;
    } cases[] = {{0, -54, Judgement::None},        {0, -55, Judgement::Inaccuracy},
                 {0, -110, Judgement::Inaccuracy}, {0, -111, Judgement::Mistake},
                 {0, -168, Judgement::Mistake},    {0, -169, Judgement::Blunder},
                 {2000, 1000, Judgement::None},  // both beyond the ceiling: nothing lost
                 {120, 500, Judgement::None}};
    for (const auto& c : cases)
        EXPECT_EQ(JudgeMove(Cp(c.before), Cp(c.after)).Mark, c.mark) << c.before << " -> " << c.after;
}

TEST(Judgement, MatesAsTheSitesJudgeThem) {
    const struct {
        PositionScore before, after;
        Judgement mark;
        MateTurn turn;
    } cases[] = {
        {Cp(0), Mate(-3), Judgement::Blunder, MateTurn::MateWalkedInto},
        {Cp(-800), Mate(-3), Judgement::Mistake, MateTurn::MateWalkedInto},
        {Cp(-1000), Mate(-2), Judgement::Inaccuracy, MateTurn::MateWalkedInto},
        {Mate(2), Mate(3), Judgement::None, MateTurn::None},  // a mate found a move later
        {Mate(2), Cp(1200), Judgement::Inaccuracy, MateTurn::MateLetGo},
        {Mate(2), Cp(800), Judgement::Mistake, MateTurn::MateLetGo},
        {Mate(2), Cp(300), Judgement::Blunder, MateTurn::MateLetGo},
        {Mate(2), Cp(1000), Judgement::Inaccuracy, MateTurn::MateLetGo},  // the edges: above 999, above 700
        {Mate(2), Cp(999), Judgement::Mistake, MateTurn::MateLetGo},
        {Mate(2), Cp(701), Judgement::Mistake, MateTurn::MateLetGo},
        {Mate(2), Cp(700), Judgement::Blunder, MateTurn::MateLetGo},
        {Mate(2), Mate(-4), Judgement::Blunder, MateTurn::MateLetGo},
        {Mate(-2), Mate(-1), Judgement::None, MateTurn::None},  // lost anyway
        {Mate(-3), Cp(-500), Judgement::None, MateTurn::None},  // an escape
        {Cp(100), Mate(5), Judgement::None, MateTurn::None},
        {Mate(1), PositionScore{Score{}, PositionScore::End::Checkmating}, Judgement::None, MateTurn::None},
    };
    for (const auto& c : cases) {
        const MoveJudgement j = JudgeMove(c.before, c.after);
        EXPECT_EQ(j.Mark, c.mark) << c.before.Eval.Value << " -> " << c.after.Eval.Value;
        EXPECT_EQ(j.Mate, c.turn) << c.before.Eval.Value << " -> " << c.after.Eval.Value;
    }
}

TEST(Judgement, CentipawnLossIsCappedAndNeverNegative) {
    EXPECT_EQ(CentipawnLoss(Cp(1500), Cp(200)), 800);
    EXPECT_EQ(CentipawnLoss(Mate(3), Cp(0)), 1000);
    EXPECT_EQ(CentipawnLoss(Cp(-50), Cp(40)), 0);
    EXPECT_EQ(CentipawnLoss(Cp(30), Mate(-2)), 1030);
}

TEST(Judgement, GameAccuracyWeighsBySwingAndHarmonicMean) {
    // White drops 5 points, then 20; Black loses nothing. Windows of two positions: the swings around
    // White's moves (2.5 and 10) weigh them.
    const GameAccuracies a = GameAccuracy({50, 45, 45, 25}, true);
    ASSERT_TRUE(a.White && a.Black);
    EXPECT_NEAR(*a.White, 51.696, 0.001);
    EXPECT_NEAR(*a.Black, 100, 1e-9);
    // The same win% with Black moving first: the sides swap.
    const GameAccuracies b = GameAccuracy({50, 55, 55, 75}, false);
    ASSERT_TRUE(b.White && b.Black);
    EXPECT_NEAR(*b.Black, 51.696, 0.001);
    EXPECT_NEAR(*b.White, 100, 1e-9);
    // A long game (80 moves): windows of eight positions. White drifts down a point and a half a move pair,
    // drops 20 points at move 31 and wins 15 back at move 51.
    std::vector<double> drift{50};
    for (int i = 0; i < 80; ++i)
        drift.push_back(drift.back() + (i == 30 ? -20 : i == 50 ? 15 : i % 2 ? 0.5 : -1.5));
    const GameAccuracies d = GameAccuracy(drift, true);
    ASSERT_TRUE(d.White && d.Black);
    EXPECT_NEAR(*d.White, 91.306, 0.001);
    EXPECT_NEAR(*d.Black, 98.778, 0.001);
    // One move: the other side has no accuracy.
    const GameAccuracies c = GameAccuracy({50, 50}, true);
    EXPECT_TRUE(c.White && !c.Black);
    EXPECT_FALSE(GameAccuracy({50}, true).White);
}

}  // namespace
