// The book that ships with the program: well formed, legal, and it plays.
#include <set>

#include "tests/book/BookTestUtil.h"

using Strings = std::vector<std::string>;

namespace {
const std::string kBook = std::string(TALVOR_SOURCE_DIR) + "/data/TalvorBook.txt";

std::vector<std::string> ReadLines(const std::string& sPath) {
    std::ifstream in(sPath, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}
}  // namespace

TEST_F(BookFiles, ShippedBookIsSortedDistinctLegalAndHasAWeightPerLine) {
    const std::vector<std::string> lines = ReadLines(kBook);
    ASSERT_GT(lines.size(), 1000u);
    EXPECT_EQ(std::filesystem::file_size(WeightFileName(kBook)), 4 * lines.size());
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
    EXPECT_EQ(std::adjacent_find(lines.begin(), lines.end()), lines.end());
    for (const std::string& line : lines) {
        ASSERT_TRUE(line.size() % 4 == 1 && line.size() <= MaxBookLineLength && line[0] == ' ') << line;
        ResetGame();
        for (size_t at = 1; at < line.size(); at += 4) {
            MoveRec m;
            ASSERT_TRUE(FindMoveFromText(line.substr(at, 4), m)) << line << " at " << at;
            MakeGameMove(m);
            RecordMove(m);
        }
    }
}

TEST_F(BookFiles, ShippedBookOpensWithMainMovesAndAnswersFirstMoves) {
    ASSERT_TRUE(LoadBookFrom(kBook));
    std::vector<std::string> first = FirstMoves;
    std::sort(first.begin(), first.end());
    EXPECT_EQ(first, (Strings{"c2c4", "d2d4", "e2e4", "g1f3"}));
    std::set<std::string> played;
    for (int i = 0; i < 200; ++i) {
        MoveRec m;
        BookProbe(m);
        ASSERT_TRUE(IsLegalHere(m));
        played.insert(MoveToText(m));
    }
    EXPECT_EQ(played.size(), 4u);

    Play("e2e4");
    MoveRec reply;
    BookProbe(reply);
    EXPECT_TRUE(IsLegalHere(reply)) << MoveToText(reply);
    // The engine avoids gambits and sidelines itself but answers them when the opponent plays them.
    Play("e7e5");
    const std::vector<std::string> choices = ChoiceTexts();
    EXPECT_FALSE(choices.empty());
    for (const std::string avoided : {"f2f4", "e1e2", "d1h5"})
        EXPECT_EQ(std::count(choices.begin(), choices.end(), avoided), 0) << avoided;
    Play("f2f4");
    EXPECT_FALSE(BookMoveChoices().empty());
    ResetGame();
    Play("b2b4");
    EXPECT_FALSE(BookMoveChoices().empty());
}

TEST_F(BookFiles, ShippedBookLoadsFromBesideTheProgram) {
    // The settings name the book relative to the program folder, where the build copies it.
    ASSERT_TRUE(LoadBookFrom("TalvorBook.txt"));
    EXPECT_GT(BookLineCount, 1000);
}

TEST_F(BookFiles, GamesPlayedFromTheShippedBookStayLegal) {
    ASSERT_TRUE(LoadBookFrom(kBook));
    int longest = 0;
    for (int game = 0; game < 40; ++game) {
        ResetGame();
        int plies = 0;
        for (;;) {
            MoveRec m;
            BookProbe(m);
            if (m.From == 0) break;
            ASSERT_TRUE(IsLegalHere(m)) << BookLine << " " << MoveToText(m);
            MakeGameMove(m);
            RecordMove(m);
            ++plies;
            ASSERT_LE(plies, MaxBookMoves);
        }
        EXPECT_GE(plies, 2) << BookLine;
        longest = std::max(longest, plies);
    }
    EXPECT_GE(longest, 6);
}
