// SPDX-License-Identifier: GPL-3.0-or-later
// The review through an analyser that answers from a table: the order of the positions, the marks, the
// book, the summary, progress and stop, and the annotated game, with no search running.
#include <gtest/gtest.h>

#include <map>

#include "review/Review.h"
#include "search/BookBas.h"

namespace {

// The scholar's mate, Black's third move the blunder.
const char* const ScholarsMate =
    "[Event \"e\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n";

// Answers by the number of moves played so far: a score for the side to move and a line.
class TableAnalyser : public Analyser {
  public:
    std::map<size_t, AnalysisResult> Table;
    std::vector<size_t> Asked;
    std::atomic<bool>* StopAt = nullptr;  // set after this many positions
    size_t StopAfter = 0;
    int Games = 0;

    void NewGame() override { ++Games; }
    std::optional<AnalysisResult> Analyse(const AnalysisRequest& request,
                                          const std::atomic<bool>& stop) override {
        Asked.push_back(request.Moves.size());
        if (StopAt && Asked.size() == StopAfter) StopAt->store(true);
        if (stop.load()) return std::nullopt;
        return Table.at(request.Moves.size());
    }
};

AnalysisResult Cp(int cp, std::vector<std::string> line) {
    return AnalysisResult{Score::Centipawns(cp), std::move(line)};
}

TableAnalyser ScholarsMateTable() {
    TableAnalyser a;
    a.Table = {{0, Cp(20, {"e2e4", "e7e5"})},
               {1, Cp(-20, {"e7e5"})},
               {2, Cp(25, {"g1f3", "b8c6"})},  // 2. Qh5 is not the engine's choice, but costs little
               {3, Cp(10, {"b8c6"})},
               {4, Cp(0, {"f1c4"})},
               {5, Cp(-10, {"g7g6", "h5f3", "g8f6"})},  // Black's view: about even before 3... Nf6??
               {6, AnalysisResult{Score::MateIn(1), {"h5f7"}}}};
    return a;
}

std::string OneLine(std::string text) {
    for (char& c : text) c = c == '\n' ? ' ' : c;
    return text;
}

PgnGame ReadOne(const std::string& text) {
    std::vector<PgnGame> games = ReadPgn(text);
    EXPECT_EQ(games.size(), 1u);
    return games.at(0);
}

TEST(Review, WalksBackwardsAndMarksTheBlunder) {
    const PgnGame game = ReadOne(ScholarsMate);
    TableAnalyser analyser = ScholarsMateTable();
    std::vector<ReviewProgress> progress;
    ReviewOptions options;
    options.Progress = [&](const ReviewProgress& p) { progress.push_back(p); };
    const std::optional<GameReview> review = ReviewGame(game, analyser, options);
    ASSERT_TRUE(review);
    // The mated position needs no engine; the others are asked for from the last to the first.
    EXPECT_EQ(analyser.Asked, (std::vector<size_t>{6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(analyser.Games, 1);
    ASSERT_EQ(progress.size(), 7u);
    EXPECT_EQ(progress.back().Done, 7);
    EXPECT_EQ(progress.back().Total, 7);

    ASSERT_EQ(review->Moves.size(), 7u);
    const MoveReview& nf6 = review->Moves[5];
    EXPECT_EQ(nf6.San, "Nf6");
    EXPECT_FALSE(nf6.ByWhite);
    EXPECT_EQ(nf6.Judged.Mate, MateTurn::MateWalkedInto);
    EXPECT_EQ(nf6.BetterLine, (std::vector<std::string>{"g6", "Qf3", "Nf6"}));
    EXPECT_EQ(nf6.CentipawnLoss, 990);
    // 2. Qh5 lost too little to be marked, the rest were the engine's own moves, the mate is never marked.
    for (size_t i = 0; i < review->Moves.size(); ++i)
        EXPECT_EQ(review->Moves[i].Judged.Mark, i == 5 ? Judgement::Blunder : Judgement::None) << i;
    EXPECT_TRUE(review->Moves[6].Best);
    EXPECT_EQ(review->Positions[7].White.Over, PositionScore::End::Checkmating);

    EXPECT_EQ(review->Black.Blunders, 1);
    EXPECT_EQ(review->Black.Moves, 3);
    EXPECT_EQ(review->White.Moves, 4);
    EXPECT_EQ(review->White.Blunders + review->White.Mistakes + review->White.Inaccuracies, 0);
    ASSERT_TRUE(review->White.Accuracy && review->Black.Accuracy);
    EXPECT_GT(*review->White.Accuracy, 90);
    EXPECT_LT(*review->Black.Accuracy, 60);
    EXPECT_EQ(review->Black.AverageLoss, (5 + 10 + 990) / 3);
}

TEST(Review, AnnotatedGameReadsBack) {
    const PgnGame game = ReadOne(ScholarsMate);
    TableAnalyser analyser = ScholarsMateTable();
    const std::optional<GameReview> review = ReviewGame(game, analyser, ReviewOptions{});
    ASSERT_TRUE(review);
    const PgnAnnotations notes = AnnotationsOf(*review, ReviewSides::Both, "TalvorWBE");
    const std::string text = PgnText(game, &notes);
    EXPECT_NE(OneLine(text).find("3... Nf6 $4 { [%eval #1] } { Blunder: checkmate is now unavoidable. g6 was "
                                 "best. } ( 3... g6 4. Qf3 Nf6 ) 4. Qxf7# 1-0"),
              std::string::npos)
        << text;
    EXPECT_NE(OneLine(text).find("1. e4 { [%eval 0.20] } 1... e5 { [%eval 0.25] }"), std::string::npos)
        << text;
    const PgnGame again = ReadOne(text);
    ASSERT_FALSE(again.Error);
    ASSERT_EQ(again.Moves.Moves.size(), 7u);
    EXPECT_EQ(again.Moves.Moves[5].Nags, (std::vector<int>{4}));
    // Only White's moves asked for: Black's blunder keeps its evaluation but no mark.
    const PgnAnnotations whiteNotes = AnnotationsOf(*review, ReviewSides::White, "TalvorWBE");
    const std::string white = PgnText(game, &whiteNotes);
    EXPECT_EQ(white.find("$4"), std::string::npos) << white;
}

TEST(Review, BookMovesAreNotJudged) {
    const PgnGame game = ReadOne(ScholarsMate);
    TableAnalyser analyser = ScholarsMateTable();
    ReviewOptions options;
    std::vector<size_t> asked;
    options.InBook = [&](const std::vector<std::string>& line) {
        asked.push_back(line.size());
        return line.size() <= 6;  // a book that knows the blunder too
    };
    const std::optional<GameReview> review = ReviewGame(game, analyser, options);
    ASSERT_TRUE(review);
    EXPECT_TRUE(review->Moves[5].Book);
    EXPECT_EQ(review->Moves[5].Judged.Mark, Judgement::None);
    EXPECT_FALSE(review->Moves[6].Book);
    // A game from a set-up position never asks the book.
    asked.clear();
    TableAnalyser other;
    other.Table = {{0, Cp(0, {"e8f7"})}, {1, Cp(0, {"e2e4"})}, {2, Cp(0, {"f7e7"})}};
    ASSERT_TRUE(ReviewGame(ReadOne("[FEN \"4k3/8/3K4/8/8/8/4P3/8 b - - 0 12\"]\n\n12... Kf7 13. e4 *"), other,
                           options));
    EXPECT_TRUE(asked.empty());
}

TEST(Review, TheEngineBookKnowsLinesFromTheStart) {
    ASSERT_TRUE(LoadBookFrom(std::string(TALVOR_SOURCE_DIR) + "/data/TalvorBook.txt"));
    const struct {
        std::vector<std::string> line;
        bool inBook;
    } cases[] = {{{"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6"}, true},
                 {{"e2e4", "e7e5", "d1h5"}, true},
                 {{"e2e4", "e7e5", "d1h5", "b8c6", "f1c4", "g8f6"}, false},
                 {{"a7a8q"}, false},
                 {{}, true}};
    for (const auto& c : cases) EXPECT_EQ(EngineBookHolds(c.line), c.inBook) << c.line.size();
    LoadBookFrom("");
}

TEST(Review, StopEndsTheReviewAndLeavesTheGame) {
    const PgnGame game = ReadOne(ScholarsMate);
    const std::string before = PgnText(game);
    TableAnalyser analyser = ScholarsMateTable();
    std::atomic<bool> stop{false};
    analyser.StopAt = &stop;
    analyser.StopAfter = 3;
    ReviewOptions options;
    options.Stop = &stop;
    EXPECT_FALSE(ReviewGame(game, analyser, options));
    EXPECT_EQ(analyser.Asked.size(), 3u);
    EXPECT_EQ(PgnText(game), before);
}

TEST(Review, GamesThatCannotBeReviewed) {
    TableAnalyser analyser;
    // An error, and a game of no moves (nothing to analyse but its start).
    EXPECT_FALSE(ReviewGame(ReadOne("1. e4 e5 2. Ke3 *"), analyser, ReviewOptions{}));
    analyser.Table = {{0, Cp(15, {"e2e4"})}};
    const std::optional<GameReview> empty =
        ReviewGame(ReadOne("[Event \"e\"]\n\n*"), analyser, ReviewOptions{});
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->Moves.empty());
    EXPECT_FALSE(empty->White.Accuracy);
}

}  // namespace
