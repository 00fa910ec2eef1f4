// SPDX-License-Identifier: GPL-3.0-or-later
// What the referee tells the engines and writes down: the go command of each limit, and the PGN of a game
// (numbering from a position with Black to move, tags that need escaping, comments, line width).
#include <gtest/gtest.h>

#include <sstream>

#include "tools/match/Pgn.h"

namespace {

TEST(Limits, GoCommands) {
    const double clocks[2] = {4.9876, 0.0004};
    const Limits clock{.Base = 5, .Increment = 0.05};
    EXPECT_EQ(clock.GoCommand(clocks), "go wtime 4988 btime 1 winc 50 binc 50");  // never a clock of 0
    EXPECT_EQ(clock.Describe(), "5+0.05");
    Limits fixed{.Nodes = 5000};
    EXPECT_EQ(fixed.GoCommand(clocks), "go nodes 5000");
    fixed.Depth = 7;
    fixed.MoveTime = 0.25;
    EXPECT_EQ(fixed.GoCommand(clocks), "go nodes 5000 depth 7 movetime 250");
    EXPECT_EQ(fixed.Describe(), "nodes 5000, depth 7, 0.25 s a move");
    EXPECT_FALSE(Limits().Any());
}

PlyNote Ply(const std::string& san, bool white, bool book, int score = 0, bool mate = false) {
    return {san, white, book, {!book, mate, score, 12}, 0.0456};
}

TEST(Pgn, GameFromAPositionWithBlackToMove) {
    GameStart start;
    start.Name = "A \"quoted\" name";
    start.Eco = "B00";
    GameOutcome game;
    game.StartFen = "4k3/8/8/8/8/8/4P3/4K3 b - - 0 31";
    game.Plies = {Ply("Kd7", false, true), Ply("e4", true, false, 35), Ply("Ke6", false, false, -420)};
    for (int i = 0; i < 12; ++i) game.Plies.push_back(Ply(i % 2 ? "Kd6" : "Kd2", i % 2 == 0, false, 1234));
    game.Plies.push_back(Ply("Kd5", true, false, 3, true));
    game.WhitePoints2 = 1;
    game.Reason = "Draw by {adjudication}";
    game.Termination = "adjudication";
    PgnHeader header;
    header.White = "new\\one";
    header.Round = "7";
    const std::string pgn = FormatPgn(header, start, game);

    EXPECT_NE(pgn.find("[White \"new\\\\one\"]\n"), std::string::npos);
    EXPECT_NE(pgn.find("[Opening \"A \\\"quoted\\\" name\"]\n"), std::string::npos);
    EXPECT_NE(pgn.find("[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 31\"]\n[SetUp \"1\"]\n"), std::string::npos);
    EXPECT_NE(pgn.find("[Result \"1/2-1/2\"]"), std::string::npos);
    EXPECT_NE(pgn.find("[PlyCount \"16\"]"), std::string::npos);
    EXPECT_NE(pgn.find("[Termination \"adjudication\"]"), std::string::npos);
    const std::string moves = pgn.substr(pgn.find("\n\n") + 2);
    EXPECT_EQ(moves.rfind("31... Kd7 { book } 32. e4 { +0.35/12 0.046s } 32... Ke6 { -4.20/12 0.046s }", 0),
              0u)
        << moves;
    std::string flat = moves;
    for (char& c : flat) c = c == '\n' ? ' ' : c;
    EXPECT_NE(flat.find("39. Kd5 { +M3/12 0.046s } { Draw by (adjudication) } 1/2-1/2  "), std::string::npos)
        << moves;
    std::istringstream lines(moves);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

TEST(Pgn, MoveComments) {
    EXPECT_EQ(MoveComment(Ply("e4", true, false, -7)), "-0.07/12 0.046s");
    EXPECT_EQ(MoveComment(Ply("e4", true, false, -2, true)), "-M2/12 0.046s");
    PlyNote silent = Ply("e4", true, false);
    silent.Info.HasScore = false;
    EXPECT_EQ(MoveComment(silent), "0.046s");
}

}  // namespace
