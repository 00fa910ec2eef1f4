// SPDX-License-Identifier: GPL-3.0-or-later
// The book builder: from a table of named openings to a book the loader reads and the probe plays.
#include "tests/book/BookTestUtil.h"
#include "tools/bookbuild/BookBuild.h"

TEST_F(BookFiles, BuiltBookIsCutSortedAndWeightedForTheEngine) {
    // A main line named often enough to make Parham's queen move a sideline, gambits (one in capitals;
    // the Queen's Gambit is main-line play, a countergambit to it is not), an odd first move, a promotion,
    // a line over the ply limit and a repeated line.
    std::string table = "eco\tname\tpgn\tuci\n";
    for (int i = 0; i <= RareShare; ++i) table += "C40\tKing's Knight Opening\t-\te2e4 e7e5 g1f3\n";
    table +=
        "C20\tParham Attack\t-\te2e4 e7e5 d1h5 b8c6\n"
        "C30\tKing's Gambit\t-\te2e4 e7e5 f2f4\n"
        "C33\tKing's Gambit Accepted\t-\te2e4 e7e5 f2f4 e5f4 g1f3\n"
        "D20\tQueen's Gambit Accepted\t-\td2d4 d7d5 c2c4 d5c4\n"
        "D20\tQueen's Gambit Accepted\t-\td2d4 d7d5 c2c4 d5c4\n"
        "D02\tQueen's Pawn Game\t-\td2d4 d7d5 g1f3\n"
        "D08\tQueen's Gambit Declined: Albin Countergambit\t-\td2d4 d7d5 c2c4 e7e5\n"
        "A40\tEnglund GAMBIT\t-\td2d4 e7e5\n"
        "A00\tPolish Opening\t-\tb2b4 e7e5 c1b2\n"
        "B01\tScandinavian Defense\t-\te2e4 d7d5 e4d5 c7c6 d5c6 g8f6 c6b7 b8d7 b7a8q\n"
        "A04\tZukertort Opening\t-\t";
    for (int i = 0; i < 8; ++i) table += "g1f3 g8f6 f3g1 f6g8 ";
    std::istringstream in(table);
    std::vector<NamedOpening> openings;
    BuiltBook book;
    std::string error;
    ASSERT_TRUE(ReadOpenings(in, openings, error) && BuildBook(openings, book, error)) << error;
    for (size_t i = 0; i + 1 < book.Lines.size(); ++i)  // sorted, and no line the start of the next
        EXPECT_LT(book.Lines[i] + "~", book.Lines[i + 1]) << book.Lines[i];
    for (const std::string& line : book.Lines) EXPECT_LE(line.size(), MaxBookLineLength);

    const std::string path = (dir_ / "built.txt").string();
    ASSERT_TRUE(WriteBook(book, path, error)) << error;
    ASSERT_TRUE(LoadBookFrom(path));
    const std::pair<const char*, Strings> cases[] = {
        {"", {"d2d4", "e2e4", "g1f3"}},
        {"e2e4 e7e5", {"g1f3"}},            // the gambit and the sideline are avoided
        {"e2e4 e7e5 f2f4", {"e5f4"}},       // but the opponent's gambit is answered
        {"e2e4 e7e5 f2f4 e5f4", {"g1f3"}},  // and followed to its end
        {"e2e4 e7e5 d1h5", {"b8c6"}},
        {"d2d4", {"d7d5"}},
        {"d2d4 d7d5", {"c2c4", "g1f3"}},
        {"d2d4 d7d5 c2c4", {"d5c4"}},
        {"b2b4", {"e7e5"}},
        {"e2e4 d7d5 e4d5 c7c6 d5c6 g8f6 c6b7 b8d7", {}},  // the promotion is not in the book
    };
    for (const auto& [moves, choices] : cases) {
        ResetGame();
        Play(moves);
        EXPECT_EQ(ChoiceTexts(), choices) << moves;
    }
}
