// SPDX-License-Identifier: GPL-3.0-or-later
// The game is handed to the review's PGN writer, the one writer of PGN text in the program.
#include "tools/match/Pgn.h"

#include <cstdio>
#include <cstdlib>

#include "review/PgnWriter.h"

namespace {

const char* const kStandardStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::vector<PgnTag> Tags(const PgnHeader& header, const GameStart& start, const GameOutcome& game) {
    std::vector<PgnTag> tags = {{"Event", header.Event},  {"Site", header.Site},   {"Date", header.Date},
                                {"Round", header.Round},  {"White", header.White}, {"Black", header.Black},
                                {"Result", game.Result()}};
    if (game.StartFen != kStandardStart) {
        tags.push_back({"FEN", game.StartFen});
        tags.push_back({"SetUp", "1"});
    }
    if (!start.Eco.empty()) tags.push_back({"ECO", start.Eco});
    if (!start.Name.empty()) tags.push_back({"Opening", start.Name});
    tags.push_back({"TimeControl", header.TimeControl});
    tags.push_back({"PlyCount", std::to_string(game.Plies.size())});
    tags.push_back({"Termination", game.Termination});
    return tags;
}

// A comment cannot hold braces; an engine's name or move in a reason might.
PgnComment Comment(std::string text) {
    for (char& c : text) c = c == '{' ? '(' : c == '}' ? ')' : c;
    return {text, false};
}

}  // namespace

std::string MoveComment(const PlyNote& ply) {
    char text[64];
    if (!ply.Info.HasScore) {
        std::snprintf(text, sizeof text, "%.3fs", ply.Seconds);
    } else if (ply.Info.Mate) {
        std::snprintf(text, sizeof text, "%sM%d/%d %.3fs", ply.Info.Score > 0 ? "+" : "-",
                      std::abs(ply.Info.Score), ply.Info.Depth, ply.Seconds);
    } else {
        std::snprintf(text, sizeof text, "%+.2f/%d %.3fs", ply.Info.Score / 100.0, ply.Info.Depth,
                      ply.Seconds);
    }
    return text;
}

std::string FormatPgn(const PgnHeader& header, const GameStart& start, const GameOutcome& game) {
    PgnGame pgn;
    pgn.Tags = Tags(header, start, game);
    pgn.StartFen = game.StartFen == kStandardStart ? "" : game.StartFen;
    for (const PlyNote& p : game.Plies) {
        PgnMove move;
        move.San = p.San;
        move.Comments.push_back(Comment(p.Book ? "book" : MoveComment(p)));
        pgn.Moves.Moves.push_back(move);
    }
    // Why the game ended closes it: after the last move, or alone when no move was made.
    (pgn.Moves.Moves.empty() ? pgn.Moves.Leading : pgn.Moves.Moves.back().Comments)
        .push_back(Comment(game.Reason));
    pgn.Result = game.Result();
    pgn.Terminated = true;
    return PgnText(pgn);
}
