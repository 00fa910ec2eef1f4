// The book builder: from a table of named openings to a book the loader reads and the probe plays.
#include "tests/book/BookTestUtil.h"
#include "tools/bookbuild/BookBuild.h"

using Strings = std::vector<std::string>;

namespace {
std::string Row(const std::string& sName, const std::string& sUci) {
    return "X00\t" + sName + "\t-\t" + sUci + "\n";
}

// A main line with more than RareShare named continuations, a sideline, a gambit and its answer,
// the Queen's Gambit, an odd first move, a promotion, a line over 30 plies and a repeated line.
std::string Table() {
    std::string t = "eco\tname\tpgn\tuci\n";
    t += Row("King's Pawn Game", "e2e4 e7e5");
    ResetGame();
    Play("e2e4 e7e5 g1f3");
    MoveList list;
    GenerateMoves(list);
    int added = 0;
    for (int i = 0; i < list.Count && added <= RareShare; ++i) {
        MoveRec m = list.Move[i];
        MakeMove(m);
        const bool legal = IsLegalAfterMove(m);
        UnmakeMove(m);
        if (legal)
            t += Row("King's Knight Opening: Line " + std::to_string(++added),
                     "e2e4 e7e5 g1f3 " + MoveToText(m));
    }
    ResetGame();
    t += Row("Parham Attack", "e2e4 e7e5 d1h5 b8c6");
    t += Row("King's Gambit", "e2e4 e7e5 f2f4");
    t += Row("King's Gambit Accepted", "e2e4 e7e5 f2f4 e5f4 g1f3");
    t += Row("Queen's Gambit Accepted", "d2d4 d7d5 c2c4 d5c4");
    t += Row("Queen's Gambit Accepted, again", "d2d4 d7d5 c2c4 d5c4");
    t += Row("Polish Opening", "b2b4 e7e5 c1b2");
    t += Row("Scandinavian Defense: Test", "e2e4 d7d5 e4d5 c7c6 d5c6 g8f6 c6b7 b8d7 b7a8q");
    std::string shuffle;
    for (int i = 0; i < 8; ++i) shuffle += "g1f3 g8f6 f3g1 f6g8 ";
    t += Row("Zukertort Opening: Shuffle", shuffle);
    return t;
}
}  // namespace

TEST(IsGambitName, TheQueensGambitIsMainLinePlay) {
    const std::pair<const char*, bool> cases[] = {
        {"Queen's Gambit Declined: Orthodox Defense", false},
        {"Queen's Gambit Declined: Albin Countergambit", true},
        {"King's Gambit Accepted", true},
        {"Italian Game: Evans Gambit", true},
        {"Sicilian Defense: Najdorf Variation", false},
        {"Englund GAMBIT", true},
    };
    for (const auto& [name, gambit] : cases) EXPECT_EQ(IsGambitName(name), gambit) << name;
}

TEST_F(BookFiles, BuiltBookIsCutSortedAndWeightedForTheEngine) {
    std::istringstream in(Table());
    std::vector<NamedOpening> openings;
    BuiltBook book;
    std::string error;
    ASSERT_TRUE(ReadOpenings(in, openings, error)) << error;
    ASSERT_TRUE(BuildBook(openings, book, error)) << error;
    EXPECT_EQ(book.CutAtPromotion, 1);
    EXPECT_EQ(book.CutAtPlyLimit, 1);
    EXPECT_EQ(book.Duplicates, 1);
    EXPECT_TRUE(std::is_sorted(book.Lines.begin(), book.Lines.end()));
    for (size_t i = 0; i + 1 < book.Lines.size(); ++i)
        EXPECT_NE(book.Lines[i + 1].compare(0, book.Lines[i].size(), book.Lines[i]), 0) << book.Lines[i];
    EXPECT_EQ(std::count(book.Lines.begin(), book.Lines.end(), " e2e4d7d5e4d5c7c6d5c6g8f6c6b7b8d7"), 1);
    for (const std::string& line : book.Lines) EXPECT_LE(line.size(), MaxBookLineLength);

    const std::string path = (dir_ / "built.txt").string();
    ASSERT_TRUE(WriteBook(book, path, error)) << error;
    ASSERT_TRUE(LoadBookFrom(path));
    EXPECT_EQ(BookLineCount, static_cast<int32_t>(book.Lines.size()));
    std::vector<std::string> first = FirstMoves;
    std::sort(first.begin(), first.end());
    EXPECT_EQ(first, (Strings{"d2d4", "e2e4", "g1f3"}));

    struct Case {
        const char* Moves;
        Strings Choices;
    } cases[] = {
        {"e2e4 e7e5", {"g1f3"}},            // the gambit and the sideline are avoided
        {"e2e4 e7e5 f2f4", {"e5f4"}},       // but the opponent's gambit is answered
        {"e2e4 e7e5 f2f4 e5f4", {"g1f3"}},  // and followed to its end
        {"e2e4 e7e5 d1h5", {"b8c6"}},
        {"d2d4 d7d5", {"c2c4"}},
        {"d2d4 d7d5 c2c4", {"d5c4"}},
        {"b2b4", {"e7e5"}},
        {"e2e4 d7d5 e4d5 c7c6 d5c6 g8f6 c6b7", {"b8d7"}},
        {"e2e4 d7d5 e4d5 c7c6 d5c6 g8f6 c6b7 b8d7", {}},  // the promotion is not in the book
    };
    for (const Case& c : cases) {
        ResetGame();
        Play(c.Moves);
        EXPECT_EQ(ChoiceTexts(), c.Choices) << c.Moves;
    }
}

TEST_F(BookFiles, BuilderRejectsBadTables) {
    const std::pair<std::string, std::string> cases[] = {
        {"name\tuci\n", "line 1"},
        {"eco\tname\tpgn\tuci\nA00\tTwo columns\n", "line 2"},
        {"eco\tname\tpgn\tuci\nA00\tNo moves\t-\t\n", "line 2"},
        {"eco\tname\tpgn\tuci\n", "no openings"},
        {"eco\tname\tpgn\tuci\r\nC20\tFine\t-\te2e4 e7e5\r\nC20\tBad\t-\te2e4 e7e4\r\n", "line 3"},
        {"eco\tname\tpgn\tuci\nC20\tNo letter\t-\te2e4 e7e5x\n", "line 2"},
    };
    for (const auto& [table, where] : cases) {
        std::istringstream in(table);
        std::vector<NamedOpening> openings;
        BuiltBook book;
        std::string error;
        const bool ok = ReadOpenings(in, openings, error) && BuildBook(openings, book, error);
        EXPECT_FALSE(ok) << table;
        EXPECT_NE(error.find(where), std::string::npos) << error;
    }
    BuiltBook book;
    std::string error;
    EXPECT_FALSE(WriteBook(book, (dir_ / "noextension").string(), error));
}
