// SPDX-License-Identifier: GPL-3.0-or-later
#include "driver/ReviewCommand.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "driver/EngineOptions.h"
#include "driver/Talvor.h"
#include "review/EngineAnalyser.h"
#include "review/ReviewFile.h"

const char ReviewUsageText[] =
    "  --review GAMES.pgn   review every game of the file (- for standard input) and write it back\n"
    "                       annotated: each move's evaluation, inaccuracies (?!), mistakes (?) and\n"
    "                       blunders (?\?) with the better move and its line. On standard error: a\n"
    "                       progress bar (on a terminal) and each game's accuracy, average loss and\n"
    "                       marks per side. Exit status 0: every game reviewed; 1: a game could not be\n"
    "                       read (it is written as it was, the others annotated); 2: wrong arguments\n"
    "                       or files. With --review:\n"
    "    -o FILE            write the annotated games into FILE instead of standard output\n"
    "    --nodes N          search N nodes a position (the default, 1000000: the same input gives the\n"
    "                       same output)\n"
    "    --seconds S        search S seconds a position instead\n"
    "    --depth D          search to depth D a position instead\n"
    "    --side white|black|both  mark the moves of that side only (default both)\n"
    "    --threads N        search with N threads (default 1)\n";

namespace {

constexpr char Annotator[] = "TalvorWBE " TALVOR_VERSION;

bool ReadBudget(const std::string& name, const std::string& value, AnalysisBudget& budget) {
    int64_t n = 0;
    if (name == "--nodes" && WholeNumber(value, 1, int64_t(1) << 40, n)) {
        budget = AnalysisBudget::Nodes(double(n));
        return true;
    }
    if (name == "--depth" && WholeNumber(value, 1, 64, n)) {
        budget = AnalysisBudget::Depth(int(n));
        return true;
    }
    if (name == "--seconds") {
        char* end = nullptr;
        const double s = std::strtod(value.c_str(), &end);
        if (!value.empty() && *end == '\0' && s > 0 && s <= 86400) {
            budget = AnalysisBudget::Seconds(s);
            return true;
        }
    }
    return false;
}

bool ReadSides(const std::string& value, ReviewSides& sides) {
    if (value == "white")
        sides = ReviewSides::White;
    else if (value == "black")
        sides = ReviewSides::Black;
    else if (value == "both")
        sides = ReviewSides::Both;
    else
        return false;
    return true;
}

// The whole file; none when it cannot be read.
std::optional<std::string> ReadInput(const std::string& path, std::string& error) {
    std::ostringstream text;
    if (path == "-") {
        text << std::cin.rdbuf();
        return text.str();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    text << in.rdbuf();
    return text.str();
}

// On a terminal, one line redrawn in place: which game, a bar and the positions done.
class ProgressBar {
  public:
    explicit ProgressBar(bool shown) : shown_(shown) {}
    void Game(size_t index, size_t count) { game_ = index + 1, games_ = count; }
    void Show(const ReviewProgress& p) {
        if (!shown_ || p.Total == 0) return;
        constexpr int Width = 30;
        const int filled = p.Done * Width / p.Total;
        std::fprintf(stderr, "\rgame %zu of %zu [%s%s] %3d%% (%d of %d positions)", game_, games_,
                     std::string(size_t(filled), '#').c_str(),
                     std::string(size_t(Width - filled), '.').c_str(), p.Done * 100 / p.Total, p.Done,
                     p.Total);
        std::fflush(stderr);
        drawn_ = true;
    }
    void Clear() {
        if (drawn_) std::fputs("\r\033[K", stderr);
        drawn_ = false;
    }

  private:
    bool shown_;
    bool drawn_ = false;
    size_t game_ = 0, games_ = 0;
};

void Summarise(const PgnGame& game, const GameReview* review, const std::string& error, ReviewSides sides) {
    if (!review) {
        std::fprintf(stderr, "talvor: %s; the game is written as it was\n", error.c_str());
        return;
    }
    std::fprintf(stderr, "game %d: %s, %zu moves\n", game.Number, GameTitle(game).c_str(),
                 review->Moves.size());
    if (sides != ReviewSides::Black)
        std::fprintf(stderr, "  White: %s\n", SideSummaryText(review->White).c_str());
    if (sides != ReviewSides::White)
        std::fprintf(stderr, "  Black: %s\n", SideSummaryText(review->Black).c_str());
}

int Usage(const std::string& error) {
    std::fprintf(stderr,
                 "talvor: %s\nUsage: talvor --review GAMES.pgn [-o FILE] [--nodes N | --seconds S | "
                 "--depth D] [--side white|black|both] [--threads N]\n",
                 error.c_str());
    return 2;
}

}  // namespace

bool AsksForReview(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--review") return true;
    return false;
}

std::optional<ReviewArguments> ReadReviewArguments(const std::vector<std::string>& args, std::string& error) {
    ReviewArguments out;
    bool budgetGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out.Help = true;
            continue;
        }
        const bool takesValue = a == "--review" || a == "-o" || a == "--nodes" || a == "--seconds" ||
                                a == "--depth" || a == "--side" || a == "--threads";
        if (!takesValue) {
            error = "unknown argument " + a;
            return std::nullopt;
        }
        if (i + 1 == args.size()) {
            error = a + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        int64_t n = 0;
        bool good = true;
        if (a == "--review") {
            out.Input = value;
        } else if (a == "-o") {
            out.Output = value;
        } else if (a == "--side") {
            good = ReadSides(value, out.Sides);
        } else if (a == "--threads") {
            good = WholeNumber(value, MinSearchThreads, MaxSearchThreads, n);
            out.Threads = int(n);
        } else {
            if (budgetGiven) {
                error = "give one of --nodes, --seconds and --depth";
                return std::nullopt;
            }
            budgetGiven = true;
            good = ReadBudget(a, value, out.Budget);
        }
        if (!good) {
            error = "bad value for " + a + ": " + value;
            return std::nullopt;
        }
    }
    if (out.Input.empty() && !out.Help) {
        error = "--review needs a PGN file";
        return std::nullopt;
    }
    return out;
}

int RunReviewCommand(const std::vector<std::string>& args) {
    std::string error;
    const std::optional<ReviewArguments> asked = ReadReviewArguments(args, error);
    if (!asked) return Usage(error);
    if (asked->Help) {
        std::fputs("Usage: talvor --review GAMES.pgn [OPTION]...\n", stdout);
        std::fputs(ReviewUsageText, stdout);
        return 0;
    }
    const std::optional<std::string> text = ReadInput(asked->Input, error);
    if (!text) return Usage("cannot read " + error);
    std::FILE* out = stdout;
    if (!asked->Output.empty() && !(out = std::fopen(asked->Output.c_str(), "wb")))
        return Usage("cannot write " + asked->Output + ": " + std::strerror(errno));

    InitEngine();  // the settings and the book, as a game would have them
    const std::unique_ptr<Analyser> analyser = NewEngineAnalyser(asked->Threads);
    ReviewOptions options;
    options.Budget = asked->Budget;
    options.InBook = [](const std::vector<std::string>& moves) { return EngineBookHolds(moves); };
    ProgressBar bar(isatty(STDERR_FILENO) != 0);
    bool written = true;
    FileReviewEvents events;
    events.GameStarts = [&](const PgnGame&, size_t index, size_t count) { bar.Game(index, count); };
    events.Progress = [&](const ReviewProgress& p) { bar.Show(p); };
    events.GameDone = [&](const PgnGame& game, const GameReview* review, const std::string& why) {
        bar.Clear();
        Summarise(game, review, why, asked->Sides);
    };
    events.Write = [&](const std::string& s) {
        written = written && std::fwrite(s.data(), 1, s.size(), out) == s.size() && std::fflush(out) == 0;
    };
    const FileReviewCount count = ReviewPgnText(*text, *analyser, options, asked->Sides, Annotator, events);
    if (out != stdout && std::fclose(out) != 0) written = false;
    if (!written) {
        std::fprintf(stderr, "talvor: could not write the annotated games: %s\n", std::strerror(errno));
        return 2;
    }
    return count.Unreadable > 0 ? 1 : 0;
}
