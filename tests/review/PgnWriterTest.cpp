// SPDX-License-Identifier: GPL-3.0-or-later
// Games written back: what was read comes back unchanged through our reader and the pgn-extract tool, and
// the review's notes stand where readers look for them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "review/Pgn.h"
#include "review/PgnWriter.h"

namespace {

const char* const Awkward =
    "[Event \"The \\\"Big\\\" Open\"]\n[White \"M\xfcller\"]\n[Black \"\xc3\x98rsted\"]\n[Result \"1-0\"]\n\n"
    "{ before } 1. e4 { [%clk 0:03:00] } { a ; b } e5 ; rest { of } line\n"
    "2. Nf3 $1 !? (2. Nc3 {y} (2. f4 exf4 3. Nf3)) {late} 2... Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 "
    "{ a long comment that goes on and on, well past the end of any line a reader would like to see, "
    "and then some more words } 6. Re1 1-0\n";

// Comment text with its blanks collapsed: the writer lays words out anew.
std::string Collapsed(const std::string& s) {
    std::istringstream in(s);
    std::string word, text;
    while (in >> word) text += (text.empty() ? "" : " ") + word;
    return text;
}

// The game's content without layout: what a second reading must find again.
std::string Content(const PgnLine& line) {
    std::ostringstream out;
    for (const PgnComment& c : line.Leading) out << "{" << Collapsed(c.Text) << "}";
    for (const PgnMove& m : line.Moves) {
        out << " " << m.San;
        for (const int nag : m.Nags) out << " $" << nag;
        for (const PgnComment& c : m.Comments) out << " {" << Collapsed(c.Text) << "}";
        for (const PgnLine& v : m.Variations) out << " (" << Content(v) << ")";
        for (const PgnComment& c : m.LateComments) out << " {" << Collapsed(c.Text) << "}";
    }
    return out.str();
}

void ExpectLinesAtMost80(const std::string& text) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        EXPECT_LE(line.size(), 80u) << line;
        EXPECT_NE(line.rfind('%', 0), 0u) << line;  // not an escape line
    }
}

TEST(PgnWriter, ReadWriteReadKeepsEverything) {
    const std::vector<PgnGame> first = ReadPgn(Awkward);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_FALSE(first[0].Error);
    const std::string text = PgnText(first[0]);
    ExpectLinesAtMost80(text);
    const std::vector<PgnGame> second = ReadPgn(text);
    ASSERT_EQ(second.size(), 1u);
    ASSERT_FALSE(second[0].Error) << second[0].Error->Why;
    // The ';' comment with braces is now a brace comment, its braces turned to parentheses.
    std::string expected = Content(first[0].Moves);
    expected.replace(expected.find("{ of }"), 6, "( of )");
    EXPECT_EQ(Content(second[0].Moves), expected);
    for (size_t i = 0; i < first[0].Tags.size(); ++i)
        EXPECT_EQ(second[0].Tags[i].Value, first[0].Tags[i].Value);
    EXPECT_EQ(second[0].Result, "1-0");
    EXPECT_NE(text.find("{ rest ( of ) line }"), std::string::npos) << text;
    EXPECT_NE(text.find("2... Nc6"), std::string::npos) << text;  // numbered again after the comment
}

TEST(PgnWriter, AnnotationsStandWhereReadersLook) {
    std::vector<PgnGame> games =
        ReadPgn("[Event \"e\"]\n[Annotator \"someone\"]\n\n1. e4 { [%eval 0.1] [%clk 0:01:00] } e5 2. Qh5 *");
    ASSERT_EQ(games.size(), 1u);
    PgnAnnotations notes;
    notes.Annotator = "TalvorWBE";
    notes.Moves.resize(3);
    notes.Moves[0].WhiteEval = Score::Centipawns(35);
    notes.Moves[0].Nag = JudgementNag(Judgement::Inaccuracy);
    notes.Moves[1].WhiteEval = Score::Centipawns(-120);
    notes.Moves[1].Nag = JudgementNag(Judgement::Mistake);
    notes.Moves[1].Comment = "Mistake. Nc6 was best.";
    notes.Moves[1].BetterLine = {"Nc6", "Nf3", "Nf6"};
    notes.Moves[2].WhiteEval = Score::MateIn(-3);
    const std::string text = PgnText(games[0], &notes);
    EXPECT_NE(text.find("[Annotator \"TalvorWBE\"]"), std::string::npos) << text;
    EXPECT_EQ(text.find("someone"), std::string::npos) << text;
    EXPECT_NE(Collapsed(text).find(
                  "1. e4 $6 { [%eval 0.35] } { [%clk 0:01:00] } 1... e5 $2 { [%eval -1.20] } { Mistake. Nc6 "
                  "was best. } ( 1... Nc6 2. Nf3 Nf6 ) 2. Qh5 { [%eval #-3] } *"),
              std::string::npos)
        << text;
}

TEST(PgnWriter, NumbersFromASetUpPositionWithBlackToMove) {
    const std::vector<PgnGame> games =
        ReadPgn("[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 12\"]\n\n12... Kd7 (12... Kf7 13. e4) 13. e4 *");
    ASSERT_EQ(games.size(), 1u);
    EXPECT_NE(PgnText(games[0]).find("12... Kd7 ( 12... Kf7 13. e4 ) 13. e4 *"), std::string::npos)
        << PgnText(games[0]);
}

// Notes on every move as a review writes them; the better line is the game's own continuation, so that it
// is legal where it stands.
PgnAnnotations NotesOnEveryMove(const PgnGame& game) {
    PgnAnnotations notes;
    notes.Annotator = "TalvorWBE";
    const std::vector<PgnMove>& moves = game.Moves.Moves;
    for (size_t i = 0; i < moves.size(); ++i) {
        MoveAnnotation& note = notes.Moves.emplace_back();
        note.WhiteEval =
            i % 5 == 4 ? Score::MateIn(i % 2 ? 3 : -2) : Score::Centipawns(static_cast<int>(i) * 37 - 300);
        if (i % 3 != 0) continue;
        note.Nag = JudgementNag(Judgement(1 + i % 9 / 3));
        note.Comment = "Mistake. " + moves[i].San + " was best.";
        for (size_t k = i; k < moves.size() && k < i + 10; ++k) note.BetterLine.push_back(moves[k].San);
    }
    return notes;
}

// pgn-extract (a Debian package) as an outside judge: it prints nothing for a file it reads cleanly.
TEST(PgnWriter, PgnExtractReadsWhatWeWrite) {
    const char* const tool = "/usr/games/pgn-extract";
    if (!std::filesystem::exists(tool)) GTEST_SKIP() << "pgn-extract is not installed";
    std::ifstream in(std::string(TALVOR_REVIEW_INPUTS) + "/mixed.pgn", std::ios::binary);
    std::stringstream source;
    source << in.rdbuf() << Awkward;
    std::string text;
    for (const PgnGame& game : ReadPgn(source.str())) {
        if (game.Error) continue;
        const PgnAnnotations notes = NotesOnEveryMove(game);
        text += PgnText(game) + PgnText(game, &notes);
    }
    ExpectLinesAtMost80(text);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("talvor-review-" + std::to_string(getpid()) + ".pgn");
    std::ofstream(file, std::ios::binary) << text;
    const std::string command = std::string(tool) + " -s -o /dev/null " + file.string() + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string said;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) said += buffer;
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(said, "") << text;
    std::filesystem::remove(file);
    // And our own reader takes it back, game for game.
    for (const PgnGame& game : ReadPgn(text)) EXPECT_FALSE(game.Error) << game.Number;
}

}  // namespace
