// The book loader and probe on small books written for each case.
#include <map>
#include <set>

#include "board/EPDBas.h"
#include "tests/book/BookTestUtil.h"

using Strings = std::vector<std::string>;

TEST_F(BookFiles, FirstMovesComeFromRunsOfEqualFirstMovesWithoutWeightFile) {
    ASSERT_TRUE(LoadBookFrom(WriteText("b.txt", {" e2e4e7e5", " e2e4c7c5", " d2d4d7d5"})));
    EXPECT_EQ(BookLineCount, 3);
    EXPECT_EQ(FirstMoves, (Strings{"e2e4", "d2d4"}));
    EXPECT_EQ(FirstMoveCount, 2);
    EXPECT_EQ(BookWeights.at(" e2e4c7c5"), DefaultBookWeight());
    EXPECT_EQ(DefaultBookWeight(), (1 << 30) - 1);
    EXPECT_EQ(ChoiceTexts(), (Strings{"d2d4", "e2e4"}));
}

TEST_F(BookFiles, OnlyTheFirstLineOfARunDecidesTheFirstMove) {
    // e2e4's run starts with a line open at ply 2 only; the second line's bit 0 does not count.
    const std::string book = WriteText("b.txt", {" e2e4e7e5", " e2e4c7c5", " d2d4d7d5"});
    WriteWeights("b.bk2", {2, 3, 1});
    ASSERT_TRUE(LoadBookFrom(book));
    EXPECT_EQ(FirstMoves, (Strings{"d2d4"}));
    for (int i = 0; i < 20; ++i) {
        MoveRec m;
        BookProbe(m);
        EXPECT_EQ(MoveToText(m), "d2d4");
    }
    EXPECT_TRUE(BookLineAllowed(" e2e4e7e5", 2));
    Play("e2e4");
    EXPECT_EQ(ChoiceTexts(), (Strings{"c7c5", "e7e5"}));
}

TEST_F(BookFiles, BookLineAllowedReadsBitNMinusOne) {
    const std::string book = WriteText("b.txt", {" e2e4e7e5g1f3", " d2d4d7d5"});
    WriteWeights("b.bk2", {0b101, static_cast<int32_t>(0x80000000u)});
    ASSERT_TRUE(LoadBookFrom(book));
    struct Case {
        std::string Line;
        int Ply;
        bool Allowed;
    } cases[] = {{" e2e4e7e5g1f3", 1, true},  {" e2e4e7e5g1f3", 2, false}, {" e2e4e7e5g1f3", 3, true},
                 {" e2e4e7e5g1f3", 4, false}, {" e2e4e7e5g1f3", 0, false}, {" e2e4e7e5g1f3", 33, false},
                 {" d2d4d7d5", 32, true},     {" d2d4d7d5", 1, false},     {" c2c4", 1, false}};
    for (const Case& c : cases)
        EXPECT_EQ(BookLineAllowed(c.Line, c.Ply), c.Allowed) << c.Line << " " << c.Ply;
}

TEST_F(BookFiles, EachNextMoveCountsOncePerRunAndTheRunsFirstLineDecides) {
    const std::string book = WriteText("b.txt", {" e2e4c7c5g1f3", " e2e4e7e5", " e2e4e7e5g1f3",
                                                 " e2e4e7e5b1c3", " e2e4e7e6d2d4", " e2e4e7e6b1c3"});
    // The e7e6 run starts with a line closed at ply 2, the one after it is open: e7e6 is no choice.
    WriteWeights("b.bk2", {-1, -1, -1, -1, ~2, -1});
    ASSERT_TRUE(LoadBookFrom(book));
    Play("e2e4");
    EXPECT_EQ(BookMoveChoices().size(), 2u);
    EXPECT_EQ(ChoiceTexts(), (Strings{"c7c5", "e7e5"}));
    Play("e7e5");
    EXPECT_EQ(ChoiceTexts(), (Strings{"b1c3", "g1f3"}));
    ResetGame();
    Play("e2e4 e7e6");
    EXPECT_EQ(ChoiceTexts(), (Strings{"b1c3", "d2d4"}));
}

TEST_F(BookFiles, IllegalOrForeignBookMovesAreNoChoice) {
    // After 1.e4 f6 2.Qh5+ Black is in check: a7a6 is generated but illegal; e1e2 is no black move at all.
    ASSERT_TRUE(LoadBookFrom(WriteText(
        "b.txt", {" e2e4f7f6d1h5a7a6", " e2e4f7f6d1h5e1e2", " e2e4f7f6d1h5g7g6", " e2e4f7f6d1h5zzzz"})));
    Play("e2e4 f7f6 d1h5");
    EXPECT_EQ(ChoiceTexts(), (Strings{"g7g6"}));
    for (int i = 0; i < 10; ++i) {
        MoveRec m;
        BookProbe(m);
        EXPECT_EQ(MoveToText(m), "g7g6");
        EXPECT_TRUE(IsLegalHere(m));
    }
}

TEST_F(BookFiles, NoBookMoveAfterSetBoardOrOutsideTheBook) {
    ASSERT_TRUE(LoadBookFrom(WriteText("b.txt", {" e2e4e7e5", " d2d4d7d5"})));
    MoveRec m;
    Play("b2b3");
    BookProbe(m);
    EXPECT_EQ(m, MoveRec{});  // all seven bytes zero
    // The start position again, but set up: the book stays silent whatever BookLine holds.
    ResetGame();
    ASSERT_TRUE(SetBoard("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_EQ(BookPly, OutOfBook);
    BookProbe(m);
    EXPECT_EQ(m, MoveRec{});
}

TEST_F(BookFiles, ProbeKeepsTheEnPassantChanceAndOffersEnPassant) {
    ASSERT_TRUE(LoadBookFrom(WriteText("b.txt", {" e2e4d7d5e4e5f7f5e5f6", " e2e4d7d5e4e5f7f5g1f3"})));
    Play("e2e4 d7d5 e4e5 f7f5");
    const int ghost = GhostSquare();
    ASSERT_NE(ghost, 0);
    const std::vector<MoveRec> choices = BookMoveChoices();
    EXPECT_EQ(GhostSquare(), ghost);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(MoveToText(choices[0]), "e5f6");
    EXPECT_EQ(choices[0].EnPassant, 1);
}

TEST_F(BookFiles, LinesEndingAtOrBeforeTheGameLineAreSkipped) {
    ASSERT_TRUE(LoadBookFrom(WriteText("b.txt", {" e2e4", " e2e4e7", " e2e4e7e5", " e", " "})));
    Play("e2e4");
    EXPECT_EQ(ChoiceTexts(), (Strings{"e7e5"}));
    Play("e7e5");
    EXPECT_TRUE(BookMoveChoices().empty());
}

TEST_F(BookFiles, ABadFirstMoveCannotEndTheBookAtRandom) {
    ASSERT_TRUE(LoadBookFrom(WriteText("b.txt", {"e2e4e7e5", " e2e5", " e2e4e7e5", " x9y9"})));
    EXPECT_EQ(FirstMoveCount, 4);
    for (int i = 0; i < 30; ++i) {
        MoveRec m;
        BookProbe(m);
        EXPECT_EQ(MoveToText(m), "e2e4");
    }
}

// Files that once loaded wrongly or not at all: each loads, and the weights stay in step with the lines.
TEST_F(BookFiles, DamagedFilesLoadSoundly) {
    // Two identical lines: the first keeps its weight; the line after the repeat gets its own.
    std::string book = WriteText("dup.txt", {" e2e4e7e5", " e2e4e7e5", " d2d4d7d5"});
    WriteWeights("dup.bk2", {3, 5, 9});
    ASSERT_TRUE(LoadBookFrom(book));
    EXPECT_EQ(BookLineCount, 2);
    EXPECT_EQ(BookLines, (Strings{" e2e4e7e5", " d2d4d7d5"}));
    EXPECT_EQ(BookWeights.at(" e2e4e7e5"), 3);
    EXPECT_EQ(BookWeights.at(" d2d4d7d5"), 9);

    // A weight file shorter than the text (with two stray bytes): missing weights are the default.
    book = WriteText("short.txt", {" e2e4e7e5", " d2d4d7d5", " c2c4e7e5"});
    WriteWeights("short.bk2", {2}, std::string("\x01\x00", 2));
    ASSERT_TRUE(LoadBookFrom(book));
    EXPECT_EQ(BookLineCount, 3);
    EXPECT_EQ(BookWeights.at(" e2e4e7e5"), 2);
    EXPECT_EQ(BookWeights.at(" d2d4d7d5"), DefaultBookWeight());
    EXPECT_EQ(BookWeights.at(" c2c4e7e5"), DefaultBookWeight());

    // No "." in the name: no weight file, every line open.
    book = WriteText("plainbook", {" e2e4e7e5"});
    ASSERT_TRUE(LoadBookFrom(book));
    EXPECT_EQ(BookWeights.at(" e2e4e7e5"), DefaultBookWeight());

    // CR LF line ends, blank lines (which still own a weight) and trailing blanks.
    book = WriteText("crlf.txt", {" e2e4e7e5", "", " d2d4d7d5  ", "\t"}, "\r\n");
    WriteWeights("crlf.bk2", {3, 77, 2, 99});
    ASSERT_TRUE(LoadBookFrom(book));
    EXPECT_EQ(BookLines, (Strings{" e2e4e7e5", " d2d4d7d5"}));
    EXPECT_EQ(BookWeights.at(" d2d4d7d5"), 2);
    Play("e2e4");
    EXPECT_EQ(ChoiceTexts(), (Strings{"e7e5"}));
}

TEST_F(BookFiles, FilesThatAreNoBookFail) {
    EXPECT_FALSE(LoadBookFrom(""));
    EXPECT_FALSE(LoadBookFrom((dir_ / "missing.txt").string()));
    EXPECT_FALSE(LoadBookFrom(dir_.string()));  // a folder
    EXPECT_FALSE(LoadBookFrom(WriteRaw("empty.txt", "")));
    EXPECT_FALSE(LoadBookFrom(WriteRaw("blank.txt", "\n\r\n \n")));
    const std::string book = WriteText("b.txt", {" e2e4e7e5"});
    std::filesystem::create_directory(dir_ / "b.bk2");  // a weight "file" that cannot be read
    EXPECT_FALSE(LoadBookFrom(book));
    EXPECT_EQ(BookLineCount, 0);
    BookPly = 1;
    EXPECT_TRUE(BookMoveChoices().empty());
}

TEST_F(BookFiles, HugeAndBinaryFilesAreBoundedAndHarmless) {
    // One endless line: kept to what a game line can hold.
    std::string line = " e2e4";
    while (line.size() < 3'000'000) line += "e7e5g1f3";
    ASSERT_TRUE(LoadBookFrom(WriteRaw("long.txt", line)));
    ASSERT_EQ(BookLineCount, 1);
    EXPECT_EQ(BookLines[0].size(), MaxBookLineLength);
    Play("e2e4");
    EXPECT_EQ(ChoiceTexts(), (Strings{"e7e5"}));

    // More lines than a book may hold: the first MaxBookLines are kept.
    std::string many;
    for (int i = 0; i < MaxBookLines + 5; ++i) many += " " + std::to_string(i) + "\n";
    ASSERT_TRUE(LoadBookFrom(WriteRaw("many.txt", many)));
    EXPECT_EQ(BookLineCount, MaxBookLines);

    // Bytes of every value, NULs included.
    std::string noise;
    uint32_t x = 12345;
    for (int i = 0; i < 200000; ++i) noise += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    const std::string book = WriteRaw("noise.txt", noise);
    WriteRaw("noise.bk2", noise.substr(0, 1001));
    LoadBookFrom(book);
    ResetGame();
    MoveRec m;
    BookProbe(m);
    EXPECT_TRUE(m.From == 0 || IsLegalHere(m));
}

TEST(WeightFileName, ReplacesTheExtensionOfTheFileNameOnly) {
    const std::map<std::string, std::string> cases = {
        {"/opt/talvor/TalvorBook.txt", "/opt/talvor/TalvorBook.bk2"},
        {"book.x.txt", "book.x.bk2"},
        {"book.", "book.bk2"},
        {"book", ""},
        {"/home/a.b/book", ""},
        {"", ""},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(WeightFileName(path), expected) << path;
}

TEST(RandomInRange, CoversTheRangeEvenly) {
    constexpr int kDraws = 60000;
    std::map<int, int> counts;
    for (int i = 0; i < kDraws; ++i) ++counts[RandomInRange(0, 5)];
    ASSERT_EQ(counts.size(), 6u);
    EXPECT_EQ(counts.begin()->first, 0);
    EXPECT_EQ(counts.rbegin()->first, 5);
    // Expected 10000 each; the standard deviation is about 91.
    for (const auto& [value, n] : counts) EXPECT_NEAR(n, kDraws / 6, 1000) << value;

    for (int i = 0; i < 1000; ++i) {
        const int r = RandomInRange(-2, 2);
        EXPECT_TRUE(r >= -2 && r <= 2) << r;
    }
    EXPECT_EQ(RandomInRange(3, 3), 3);
    EXPECT_EQ(RandomInRange(4, 1), 4);
    // Calls in quick succession do not repeat one another.
    std::set<int> quick;
    for (int i = 0; i < 50; ++i) quick.insert(RandomInRange(0, 1'000'000));
    EXPECT_GT(quick.size(), 40u);
}
