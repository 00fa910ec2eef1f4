// SPDX-License-Identifier: GPL-3.0-or-later
// The book loader and probe on small books written for each case.
#include <optional>
#include <set>

#include "tests/book/BookTestUtil.h"

// What the book offers after the moves played, and what the probe draws from it.
TEST_F(BookFiles, ChoicesFollowFirstMovesRunsMasksAndLegality) {
    const std::string runs = " e2e4e7e5\n e2e4c7c5\n d2d4d7d5\n";
    const std::string nested =
        " e2e4c7c5g1f3\n e2e4e7e5\n e2e4e7e5g1f3\n e2e4e7e5b1c3\n e2e4e7e6d2d4\n e2e4e7e6b1c3\n";
    const std::vector<int32_t> e7e6Closed = {-1, -1, -1, -1, ~2, -1};
    const std::string check = " e2e4f7f6d1h5a7a6\n e2e4f7f6d1h5e1e2\n e2e4f7f6d1h5g7g6\n e2e4f7f6d1h5zzzz\n";
    const std::string ends = " e2e4\n e2e4e7\n e2e4e7e5\n e\n \n";
    struct Case {
        std::string Book;
        std::vector<int32_t> Masks;  // none: no weight file, every line open
        const char* Moves;
        Strings Choices;
    } cases[] = {
        {runs, {}, "", {"d2d4", "e2e4"}},
        // Only the first line of a run of first moves decides, by bit 0; ply 2 reads bit 1.
        {runs, {2, 3, 1}, "", {"d2d4"}},
        {runs, {2, 3, 1}, "e2e4", {"c7c5", "e7e5"}},
        // Each next move counts once per run, and the run's first line decides: e7e6's is closed at ply 2.
        {nested, e7e6Closed, "e2e4", {"c7c5", "e7e5"}},
        {nested, e7e6Closed, "e2e4 e7e5", {"b1c3", "g1f3"}},
        {nested, e7e6Closed, "e2e4 e7e6", {"b1c3", "d2d4"}},
        // Black is in check: a7a6 is generated but illegal, e1e2 no black move, zzzz no move at all.
        {check, {}, "e2e4 f7f6 d1h5", {"g7g6"}},
        // Lines that end at or before the game line, or inside a move, offer nothing.
        {ends, {}, "e2e4", {"e7e5"}},
        {ends, {}, "e2e4 e7e5", {}},
        {runs, {}, "b2b3", {}},
        // Bad first moves are never drawn, so they cannot end the book at random.
        {"e2e4e7e5\n e2e5\n e2e4e7e5\n x9y9\n", {}, "", {"e2e4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Book.substr(0, 20) + "... after '" + c.Moves + "'");
        std::filesystem::remove(dir_ / "b.bk2");
        if (!c.Masks.empty()) Write("b.bk2", Weights(c.Masks));
        ASSERT_TRUE(LoadBookFrom(Write("b.txt", c.Book)));
        ResetGame();
        Play(c.Moves);
        EXPECT_EQ(ChoiceTexts(), c.Choices);
        // Every choice is drawn in time (missing one of two in 40 draws: about 1 in 10^12), and only those.
        std::set<std::string> drawn, expected(c.Choices.begin(), c.Choices.end());
        for (int i = 0; i < 40; ++i) {
            MoveRec m;
            BookProbe(m);
            drawn.insert(m == MoveRec{} ? "none" : MoveToText(m));  // all seven bytes zero
        }
        EXPECT_EQ(drawn, c.Choices.empty() ? std::set<std::string>{"none"} : expected);
    }
}

TEST_F(BookFiles, PlyNIsAllowedByBitNMinusOne) {
    Write("b.bk2", Weights({0b101, static_cast<int32_t>(0x80000000u)}));
    ASSERT_TRUE(LoadBookFrom(Write("b.txt", " e2e4e7e5g1f3\n d2d4d7d5\n")));
    const std::tuple<std::string, int, bool> cases[] = {
        {" e2e4e7e5g1f3", 1, true},  {" e2e4e7e5g1f3", 2, false}, {" e2e4e7e5g1f3", 3, true},
        {" e2e4e7e5g1f3", 4, false}, {" e2e4e7e5g1f3", 0, false}, {" e2e4e7e5g1f3", 33, false},
        {" d2d4d7d5", 32, true},     {" d2d4d7d5", 1, false},     {" c2c4", 1, false}};
    for (const auto& [line, ply, allowed] : cases)
        EXPECT_EQ(BookLineAllowed(line, ply), allowed) << line << ply;
}

// The probe's trial moves keep the en-passant chance, and the capture itself is offered; a set-up
// position is out of book even when it is the start position.
TEST_F(BookFiles, ProbeKeepsEnPassantAndIsSilentAfterSetBoard) {
    ASSERT_TRUE(LoadBookFrom(Write("b.txt", " e2e4d7d5e4e5f7f5e5f6\n e2e4d7d5e4e5f7f5g1f3\n")));
    Play("e2e4 d7d5 e4e5 f7f5");
    const int ghost = GhostSquare();
    const std::vector<MoveRec> choices = BookMoveChoices();
    EXPECT_TRUE(ghost != 0 && GhostSquare() == ghost) << ghost;
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(MoveToText(choices[0]), "e5f6");
    EXPECT_EQ(choices[0].EnPassant, 1);

    ResetGame();
    ASSERT_TRUE(SetBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_EQ(BookPly, OutOfBook);
    EXPECT_TRUE(BookMoveChoices().empty());
}

// Files that once loaded wrongly or not at all. A failed load leaves no book; the weights stay in step
// with the text's lines, blank and repeated ones included; size limits hold.
TEST_F(BookFiles, LoaderWithstandsDamagedFiles) {
    const std::string open = std::to_string((1 << 30) - 1);  // a line without a weight is open at every ply
    std::string longLine = " e2e4", many;
    while (longLine.size() < 3'000'000) longLine += "e7e5g1f3";
    for (int i = 0; i < MaxBookLines + 5; ++i) many += " " + std::to_string(i) + "\n";
    std::filesystem::create_directory(dir_ / "wdir.bk2");  // a weight "file" that cannot be read
    struct Case {
        const char* Name;  // the weight file is the same but for "bk2" in place of "txt"
        std::optional<std::string> Text;
        std::string WeightBytes;  // empty: no weight file
        int32_t Count;            // lines kept; 0: the load fails
        std::string Kept;         // the first lines kept, with their masks
    } cases[] = {
        {"dup.txt", " e2e4e7e5\n e2e4e7e5\n d2d4d7d5\n", Weights({3, 5, 9}), 2, " e2e4e7e5:3, d2d4d7d5:9"},
        // Short by lines and by two stray bytes; the extension is what follows the last dot.
        {"short.v2.txt", " e2e4e7e5\n d2d4d7d5\n", Weights({2}) + "\1\1", 2, " e2e4e7e5:2, d2d4d7d5:" + open},
        {"a.b/plain", " e2e4e7e5\n", "", 1, " e2e4e7e5:" + open},  // no dot in the name
        {"crlf.txt", " e2e4e7e5\r\n\r\n d2d4d7d5  \r\n\t\r\n", Weights({3, 77, 2, 99}), 2,
         " e2e4e7e5:3, d2d4d7d5:2"},
        {"long.txt", longLine, "", 1, longLine.substr(0, MaxBookLineLength) + ":" + open},
        {"many.txt", many, "", MaxBookLines, " 0:" + open + ", 1:" + open + ", 2:" + open},
        {"missing.txt", std::nullopt, "", 0, ""},
        {"wdir.bk2", std::nullopt, "", 0, ""},  // a folder
        {"empty.txt", "", "", 0, ""},
        {"blank.txt", "\n\r\n \n", "", 0, ""},
        {"wdir.txt", " e2e4e7e5\n", "", 0, ""},
    };
    EXPECT_FALSE(LoadBookFrom(""));
    for (const Case& c : cases) {
        if (c.Text) Write(c.Name, *c.Text);
        std::string weightName = c.Name;
        if (!c.WeightBytes.empty()) Write(weightName.replace(weightName.size() - 3, 3, "bk2"), c.WeightBytes);
        EXPECT_EQ(LoadBookFrom((dir_ / c.Name).string()), c.Count > 0) << c.Name;
        EXPECT_EQ(BookLineCount, c.Count) << c.Name;
        ASSERT_EQ(BookLines.size(), static_cast<size_t>(c.Count)) << c.Name;
        std::string kept;
        for (size_t i = 0; i < std::min<size_t>(3, BookLines.size()); ++i)
            kept += (i ? "," : "") + BookLines[i] + ":" + std::to_string(BookWeights.at(BookLines[i]));
        EXPECT_EQ(kept, c.Kept) << c.Name;
        EXPECT_TRUE(c.Count > 0 || BookMoveChoices().empty()) << c.Name;
    }
}

// The pick among book moves: the whole range, roughly evenly, and no repeats from reseeding each call.
TEST(RandomInRange, SpreadsOverTheRange) {
    int counts[6] = {};
    for (int i = 0; i < 60000; ++i) {
        const int r = RandomInRange(-2, 3);
        ASSERT_TRUE(r >= -2 && r <= 3) << r;
        ++counts[r + 2];
    }
    for (const int n : counts) EXPECT_NEAR(n, 10000, 1000);  // one standard deviation is about 91
    EXPECT_EQ(RandomInRange(3, 3), 3);
    EXPECT_EQ(RandomInRange(4, 1), 4);
    std::set<int> quick;
    for (int i = 0; i < 50; ++i) quick.insert(RandomInRange(0, 1'000'000));
    EXPECT_GT(quick.size(), 40u);
}
