// SPDX-License-Identifier: GPL-3.0-or-later
#include "review/ReviewFile.h"

#include <cstdio>

namespace {

// The game's own bytes, ending with a blank line as every written game does.
std::string SourceText(std::string_view text, const PgnGame& game) {
    std::string source(text.substr(game.Begin, game.End - game.Begin));
    while (!source.empty() && (source.back() == '\n' || source.back() == '\r')) source.pop_back();
    return source + "\n\n";
}

std::string Plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

FileReviewCount ReviewPgnText(std::string_view text, Analyser& analyser, const ReviewOptions& options,
                              ReviewSides sides, const std::string& annotator,
                              const FileReviewEvents& events) {
    const std::vector<PgnGame> games = ReadPgn(text);
    FileReviewCount count;
    ReviewOptions perGame = options;
    perGame.Progress = events.Progress;
    for (size_t i = 0; i < games.size(); ++i) {
        const PgnGame& game = games[i];
        if (events.GameStarts) events.GameStarts(game, i, games.size());
        const std::optional<GameReview> review = ReviewGame(game, analyser, perGame);
        if (!review && options.Stop && options.Stop->load()) {
            count.Stopped = true;
            break;
        }
        std::string error;
        if (review) {
            ++count.Reviewed;
            const PgnAnnotations notes = AnnotationsOf(*review, sides, annotator);
            if (events.Write) events.Write(PgnText(game, &notes));
        } else {
            ++count.Unreadable;
            error = game.Error ? ErrorText(game)
                               : "game " + std::to_string(game.Number) +
                                     ": its moves cannot be played from its "
                                     "start position";
            if (events.Write) events.Write(SourceText(text, game));
        }
        if (events.GameDone) events.GameDone(game, review ? &*review : nullptr, error);
    }
    return count;
}

std::string GameTitle(const PgnGame& game) {
    return game.TagOr("White", "?") + " - " + game.TagOr("Black", "?") + ", " + game.Result;
}

std::string SideSummaryText(const SideSummary& side) {
    std::string text;
    if (side.Accuracy) {
        char accuracy[32];
        std::snprintf(accuracy, sizeof accuracy, "accuracy %.1f%%, ", *side.Accuracy);
        text = accuracy;
    }
    return text + "average loss " + std::to_string(side.AverageLoss) + " cp, " +
           Plural(side.Inaccuracies, "inaccuracy", "inaccuracies") + ", " +
           Plural(side.Mistakes, "mistake", "mistakes") + ", " + Plural(side.Blunders, "blunder", "blunders");
}
