// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/match/Pgn.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

const char* const kStandardStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr size_t kLineWidth = 79;

std::string TagValue(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        if (c >= ' ') out += c;
    }
    return out;
}

// A comment cannot hold braces; engines' texts in a reason might.
std::string Comment(const std::string& s) {
    std::string out = "{";
    for (char c : s) out += c == '{' ? '(' : c == '}' ? ')' : c < ' ' ? ' ' : c;
    return out + "}";
}

// Words of the move text, broken into lines of at most kLineWidth (comments may span lines).
std::string Wrap(const std::vector<std::string>& words) {
    std::string text, line;
    for (const std::string& w : words) {
        if (!line.empty() && line.size() + 1 + w.size() > kLineWidth) {
            text += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + w;
    }
    return text + line + "\n";
}

void AddWords(std::vector<std::string>& words, const std::string& text) {
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
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
    std::string pgn;
    auto tag = [&pgn](const char* name, const std::string& value) {
        pgn += std::string("[") + name + " \"" + TagValue(value) + "\"]\n";
    };
    tag("Event", header.Event);
    tag("Site", header.Site);
    tag("Date", header.Date);
    tag("Round", header.Round);
    tag("White", header.White);
    tag("Black", header.Black);
    tag("Result", game.Result());
    if (game.StartFen != kStandardStart) {
        tag("FEN", game.StartFen);
        tag("SetUp", "1");
    }
    if (!start.Eco.empty()) tag("ECO", start.Eco);
    if (!start.Name.empty()) tag("Opening", start.Name);
    tag("TimeControl", header.TimeControl);
    tag("PlyCount", std::to_string(game.Plies.size()));
    tag("Termination", game.Termination);
    pgn += "\n";

    std::vector<std::string> words;
    const std::vector<std::string> fen = SplitAtBlanks(game.StartFen);
    int moveNumber = fen.size() > 5 ? std::atoi(fen[5].c_str()) : 1;
    for (size_t i = 0; i < game.Plies.size(); ++i) {
        const PlyNote& p = game.Plies[i];
        if (p.White)
            words.push_back(std::to_string(moveNumber) + ".");
        else if (i == 0)
            words.push_back(std::to_string(moveNumber) + "...");
        words.push_back(p.San);
        AddWords(words, Comment(p.Book ? "book" : MoveComment(p)));
        if (!p.White) ++moveNumber;
    }
    AddWords(words, Comment(game.Reason));
    words.push_back(game.Result());
    return pgn + Wrap(words) + "\n";
}
