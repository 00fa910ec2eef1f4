// SPDX-License-Identifier: GPL-3.0-or-later
// The PGN reader on the awkward things real files hold.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "review/Pgn.h"
#include "review/PgnWriter.h"

namespace {

// The main line in SAN, blank-separated.
std::string MainLine(const PgnGame& game) {
    std::string text;
    for (const PgnMove& m : game.Moves.Moves) text += (text.empty() ? "" : " ") + m.San;
    return text;
}

// What the table expects of each game of an input: its moves, result, and the error if any.
struct GameShape {
    std::string moves;   // the main line in SAN, blank-separated
    std::string result;  // the termination, "*" when cut short
    bool terminated = true;
    std::string errorMove;  // the move named by the error; "-" for none
    std::string errorWhy;   // a piece of the reason
};

struct ReaderCase {
    const char* name;
    std::string text;
    std::vector<GameShape> games;
};

const ReaderCase Cases[] = {
    {"empty file", "", {}},
    {"blank lines only", " \n\r\n\t\n", {}},
    {"a game with no moves", "[Event \"x\"]\n[Result \"*\"]\n\n*\n", {{"", "*", true, "-", ""}}},
    {"tags and nothing else", "[Event \"x\"]\n", {{"", "*", false, "-", ""}}},
    {"check marks, suffixes and 0-0",
     "1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. 0-0 Nf6!? 5. Ng5 0-0?! 6. Nxf7 Rxf7 7. Bxf7+! Kxf7 1-0",
     {{"e4 e5 Nf3 Nc6 Bc4 Bc5 O-O Nf6 Ng5 O-O Nxf7 Rxf7 Bxf7+ Kxf7", "1-0", true, "-", ""}}},
    {"moves glued to their numbers",
     "1.e4 e5 2.Qh5 Nc6 3.Bc4 Nf6 4.Qxf7# 1-0",
     {{"e4 e5 Qh5 Nc6 Bc4 Nf6 Qxf7#", "1-0", true, "-", ""}}},
    {"a truncated last game after a whole move",
     "1. e4 e5 1/2-1/2\n\n[Event \"cut\"]\n\n1. d4 d5 2. c4",
     {{"e4 e5", "1/2-1/2", true, "-", ""}, {"d4 d5 c4", "*", false, "-", ""}}},
    {"a truncated last game inside a move", "1. e4 e5 2. Nf", {{"e4 e5", "*", false, "2. Nf", ""}}},
    {"an illegal move, then a good game",
     "1. e4 e5 2. Ke3 Nc6 0-1\n\n1. d4 *\n",
     {{"e4 e5", "0-1", true, "2. Ke3", "illegal"}, {"d4", "*", true, "-", ""}}},
    {"a tag section cuts a game short",
     "1. e4 e5\n[Event \"next\"]\n1. c4 *",
     {{"e4 e5", "*", false, "-", ""}, {"c4", "*", true, "-", ""}}},
    {"a comment never closed costs only its game",
     "1. e4 { never closed\n1. d4\n\n[Event \"2\"]\n1. c4 *",
     {{"e4", "*", false, "-", ""}, {"c4", "*", true, "-", ""}}},
    {"a FEN start with Black to move",
     "[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 12\"]\n\n12... Kd7 13. e4 Ke6 *",
     {{"Kd7 e4 Ke6", "*", true, "-", ""}}},
    {"a FEN that is no position", "[FEN \"8/8/8/8 w - - 0 1\"]\n\n1. e4 *", {{"", "*", true, "-", "FEN"}}},
    {"variations nested and glued",
     "1. e4 (1. d4 d5 (1... Nf6 2. c4)) (1. c4) e5 2. Nf3 *",
     {{"e4 e5 Nf3", "*", true, "-", ""}}},
    {"a variation with a wrong move is kept as written",
     "1. e4 (1. Ke2 Nc6) e5 *",
     {{"e4 e5", "*", true, "-", ""}}},
    {"NAGs and evaluation symbols",
     "1. e4 $1 e5 $2 $14 2. Nf3 += 2... Nc6 +/- *",
     {{"e4 e5 Nf3 Nc6", "*", true, "-", ""}}},
    {"escape lines", "% a program's line\n1. e4\n%1. d4\ne5 *", {{"e4 e5", "*", true, "-", ""}}},
    {"an unmatched parenthesis",
     "1. e4 ) e5 *\n\n1. d4 *",
     {{"e4", "*", true, "-", "closes"}, {"d4", "*", true, "-", ""}}},
    {"a null move cannot be reviewed", "1. e4 -- 2. d4 *", {{"e4", "*", true, "1... --", ""}}},
    {"a stray byte", "1. e4 \x01 e5 *", {{"e4", "*", true, "-", "unexpected"}}},
    {"a broken tag", "[Event x]\n1. e4 *", {{"", "*", true, "-", "tag"}}},
    {"a variant is not chess", "[Variant \"Atomic\"]\n1. e4 *", {{"", "*", true, "-", "standard"}}},
    {"a set-up position of ordinary chess",
     "[Variant \"From Position\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 99999999999\"]\n1. e4 *",
     {{"e4", "*", true, "-", ""}}},
    {"promotions with and without =",
     "[FEN \"8/2P1k3/8/8/8/8/4p3/7K w - - 0 1\"]\n1. c8Q e1=q+ 2. Kh2 *",
     {{"c8=Q e1=Q+ Kh2", "*", true, "-", ""}}},
    {"a byte order mark and CR LF line ends",
     "\xEF\xBB\xBF[Event \"x\"]\r\n\r\n1. e4 ; note\r\ne5 *\r\n",
     {{"e4 e5", "*", true, "-", ""}}},
};

TEST(PgnReader, AwkwardInputs) {
    for (const ReaderCase& c : Cases) {
        SCOPED_TRACE(c.name);
        const std::vector<PgnGame> games = ReadPgn(c.text);
        ASSERT_EQ(games.size(), c.games.size());
        for (size_t i = 0; i < games.size(); ++i) {
            const GameShape& want = c.games[i];
            EXPECT_EQ(games[i].Number, static_cast<int>(i) + 1);
            EXPECT_EQ(MainLine(games[i]), want.moves);
            EXPECT_EQ(games[i].Result, want.result);
            EXPECT_EQ(games[i].Terminated, want.terminated);
            const bool errorWanted = want.errorMove != "-" || !want.errorWhy.empty();
            ASSERT_EQ(games[i].Error.has_value(), errorWanted) << (games[i].Error ? games[i].Error->Why : "");
            if (!errorWanted) continue;
            if (want.errorMove != "-") {
                EXPECT_EQ(games[i].Error->Move, want.errorMove);
            }
            EXPECT_NE(games[i].Error->Why.find(want.errorWhy), std::string::npos) << games[i].Error->Why;
        }
    }
}

TEST(PgnReader, KeepsCommentsNagsAndVariationsInPlace) {
    const std::vector<PgnGame> games = ReadPgn(
        "{ before } 1. e4 { [%clk 0:03:00] } { a ; b } e5 ; rest { of } line\n"
        "2. Nf3 $1 !? (2. Nc3 {y} (2. f4)) {late} 2... Nc6 *");
    ASSERT_EQ(games.size(), 1u);
    const PgnLine& line = games[0].Moves;
    ASSERT_EQ(line.Leading.size(), 1u);
    EXPECT_EQ(line.Leading[0].Text, " before ");
    ASSERT_EQ(line.Moves[0].Comments.size(), 2u);
    EXPECT_EQ(line.Moves[0].Comments[0].Text, " [%clk 0:03:00] ");
    EXPECT_EQ(line.Moves[0].Comments[1].Text, " a ; b ");
    ASSERT_EQ(line.Moves[1].Comments.size(), 1u);
    EXPECT_EQ(line.Moves[1].Comments[0].Text, " rest { of } line");
    EXPECT_TRUE(line.Moves[1].Comments[0].ToLineEnd);
    const PgnMove& nf3 = line.Moves[2];
    EXPECT_EQ(nf3.Nags, (std::vector<int>{1, 5}));
    ASSERT_EQ(nf3.Variations.size(), 1u);
    ASSERT_EQ(nf3.Variations[0].Moves.size(), 1u);
    EXPECT_EQ(nf3.Variations[0].Moves[0].San, "Nc3");
    EXPECT_EQ(nf3.Variations[0].Moves[0].Variations[0].Moves[0].San, "f4");
    ASSERT_EQ(nf3.LateComments.size(), 1u);
    EXPECT_EQ(nf3.LateComments[0].Text, "late");
    EXPECT_EQ(line.Moves[2].Coordinates, "g1f3");
}

TEST(PgnReader, KeepsTagBytesWhateverTheEncoding) {
    const std::string latin1 = "M\xfcller", utf8 = "M\xc3\xbcller \xe5\xbc\xa0";
    const std::vector<PgnGame> games = ReadPgn("[White \"" + latin1 + "\"]\n[Black \"" + utf8 +
                                               "\"]\n[Event \"The \\\"Big\\\" \"Open\" \\\\ \"]\n\n1. e4 *");
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].TagOr("White", ""), latin1);
    EXPECT_EQ(games[0].TagOr("Black", ""), utf8);
    // Escaped quotes and backslashes, and a quote its writer forgot to escape.
    EXPECT_EQ(games[0].TagOr("Event", ""), "The \"Big\" \"Open\" \\ ");
    EXPECT_FALSE(games[0].Error);
}

TEST(PgnReader, GameBytesCoverEachGame) {
    const std::string first = "[Event \"a\"]\n\n1. e4 e5 1-0", second = "[Event \"b\"]\n\n1. Ke2 *";
    const std::string text = first + "\n\n" + second + "\n";
    const std::vector<PgnGame> games = ReadPgn(text);
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(text.substr(games[0].Begin, games[0].End - games[0].Begin), first);
    EXPECT_EQ(text.substr(games[1].Begin, games[1].End - games[1].Begin), second);
    EXPECT_TRUE(games[1].Error);
}

TEST(PgnReader, ALongGame) {
    // 500 plies of knights going out and back: legal, if dull.
    std::string text;
    const char* const cycle[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
    for (int ply = 0; ply < 500; ++ply) {
        if (ply % 2 == 0) text += std::to_string(ply / 2 + 1) + ". ";
        text += std::string(cycle[ply % 4]) + " ";
    }
    const std::vector<PgnGame> games = ReadPgn(text + "1/2-1/2");
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].Moves.Moves.size(), 500u);
    EXPECT_FALSE(games[0].Error);
}

TEST(PgnReader, VariationsNestedWithoutEnd) {
    // Each level one move deeper: a hostile file must not take the program's stack.
    std::string text = "1. e4";
    for (int i = 0; i < 100000; ++i) text += " (1. d4";
    const std::vector<PgnGame> games = ReadPgn(text + " *");
    ASSERT_EQ(games.size(), 1u);
    ASSERT_TRUE(games[0].Error);
    EXPECT_EQ(games[0].Error->Why, "variations nested too deep");
    EXPECT_FALSE(PgnText(games[0]).empty());
}

TEST(PgnReader, FilesOfAwkwardGames) {
    // Each file holds games that read and games that do not; those that do are all there.
    const struct {
        const char* file;
        size_t games, errors;
    } files[] = {{"mixed.pgn", 5, 1}, {"latin1.pgn", 2, 0}};
    for (const auto& f : files) {
        std::ifstream in(std::string(TALVOR_REVIEW_INPUTS) + "/" + f.file, std::ios::binary);
        ASSERT_TRUE(in) << f.file;
        std::stringstream text;
        text << in.rdbuf();
        const std::vector<PgnGame> games = ReadPgn(text.str());
        EXPECT_EQ(games.size(), f.games) << f.file;
        size_t errors = 0;
        for (const PgnGame& g : games) errors += g.Error.has_value();
        EXPECT_EQ(errors, f.errors) << f.file;
    }
    EXPECT_EQ(ErrorText(ReadPgn("\n\n1. e4 e5\n2. Ke3 *")[0]), "game 1, line 4, 2. Ke3: illegal move");
    EXPECT_EQ(ErrorText(ReadPgn("[Event x]")[0]), "game 1, line 1: a tag needs a name and a quoted value");
}

}  // namespace
