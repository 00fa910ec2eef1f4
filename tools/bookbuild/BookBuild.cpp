// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/bookbuild/BookBuild.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <istream>
#include <map>
#include <sstream>

#include "board/BoardBas.h"
#include "search/BookBas.h"

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, sep)) parts.push_back(part);
    if (!s.empty() && s.back() == sep) parts.emplace_back();
    return parts;
}

std::string BookText(const std::vector<std::string>& moves, size_t count) {
    std::string s = " ";
    for (size_t i = 0; i < count; ++i) s += moves[i];
    return s;
}

// What the table says about one position of the book (a line prefix).
struct Node {
    int Openings = 0;       // named openings that pass through it
    int SoundOpenings = 0;  // those of them that are not gambits
    std::string Parent;     // the position before its last move
};

}  // namespace

bool IsMainFirstMove(const std::string& sMove) {
    return sMove == "e2e4" || sMove == "d2d4" || sMove == "c2c4" || sMove == "g1f3";
}

bool IsGambitName(const std::string& sName) {
    std::string s;
    for (char c : sName) s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (size_t at; (at = s.find("queen's gambit")) != std::string::npos;) s.erase(at, 14);
    return s.find("gambit") != std::string::npos;
}

bool ReadOpenings(std::istream& in, std::vector<NamedOpening>& openings, std::string& sError) {
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1) {
            if (line.rfind("eco\tname\tpgn\tuci", 0) != 0) {
                sError = "line 1: expected the header eco, name, pgn, uci";
                return false;
            }
            continue;
        }
        if (line.empty()) continue;
        const std::vector<std::string> cols = Split(line, '\t');
        if (cols.size() != 4) {
            sError = "line " + std::to_string(number) + ": expected 4 tab-separated columns";
            return false;
        }
        NamedOpening o{cols[0], cols[1], {}, number};
        for (const std::string& m : Split(cols[3], ' '))
            if (!m.empty()) o.Moves.push_back(m);
        if (o.Moves.empty()) {
            sError = "line " + std::to_string(number) + ": no moves";
            return false;
        }
        openings.push_back(std::move(o));
    }
    if (openings.empty()) {
        sError = "no openings in the table";
        return false;
    }
    return true;
}

bool BuildBook(const std::vector<NamedOpening>& openings, BuiltBook& book, std::string& sError) {
    book = BuiltBook{};
    book.Openings = static_cast<int>(openings.size());
    InitBoardTables();
    const bool savedLoaded = BookLoaded;
    BookLoaded = false;

    // 1. Replay every opening; keep what the book format can hold.
    std::vector<std::pair<std::vector<std::string>, bool>> kept;  // moves, gambit
    for (const NamedOpening& o : openings) {
        ResetGame();
        size_t usable = o.Moves.size();
        for (size_t i = 0; i < o.Moves.size(); ++i) {
            const std::string& text = o.Moves[i];
            MoveRec m;
            if ((text.size() != 4 && text.size() != 5) || !FindMoveFromText(text, m)) {
                sError = "line " + std::to_string(o.SourceLine) + " (" + o.Name + "): move " +
                         std::to_string(i + 1) + " '" + text + "' is not legal";
                BookLoaded = savedLoaded;
                return false;
            }
            // Book moves are four characters: a line ends before its first promotion.
            if (text.size() == 5 && usable == o.Moves.size()) usable = i;
            MakeGameMove(m);
            RecordMove(m);
        }
        if (usable < o.Moves.size()) ++book.CutAtPromotion;
        if (usable > static_cast<size_t>(MaxBookMoves)) {
            usable = MaxBookMoves;  // the game line the book is asked about never holds more
            ++book.CutAtPlyLimit;
        }
        if (usable == 0) continue;
        kept.emplace_back(std::vector<std::string>(o.Moves.begin(), o.Moves.begin() + usable),
                          IsGambitName(o.Name));
    }
    ResetGame();
    BookLoaded = savedLoaded;

    // 2. Count the openings through every position, and whether a non-gambit one passes there.
    std::map<std::string, Node> nodes;
    // Position -> openings through its most-named continuation; while the play is sound only sound
    // openings count, so a much-named gambit does not turn the main line into a sideline.
    std::map<std::string, int> mostNamedChild;
    for (const auto& [moves, gambit] : kept) {
        for (size_t n = 1; n <= moves.size(); ++n) {
            Node& node = nodes[BookText(moves, n)];
            ++node.Openings;
            if (!gambit) ++node.SoundOpenings;
            node.Parent = BookText(moves, n - 1);
        }
    }
    const auto named = [&nodes](const Node& node) {
        const bool soundParent = node.Parent == " " || nodes.at(node.Parent).SoundOpenings > 0;
        return soundParent ? node.SoundOpenings : node.Openings;
    };
    for (const auto& [key, node] : nodes) {
        int& most = mostNamedChild[node.Parent];
        most = std::max(most, named(node));
    }
    // 3. The engine may choose the move into a position unless that move is a deviation: an odd first
    // move, a sideline, or the step from sound play into a gambit. A deviation the opponent made does not
    // stop the engine from answering it from the book.
    std::map<std::string, bool> allowed;
    for (const auto& [key, node] : nodes) {
        bool deviation;
        if (node.Parent == " ") {
            deviation = !IsMainFirstMove(key.substr(1, 4));
        } else {
            const Node& parent = nodes.at(node.Parent);
            deviation = static_cast<int64_t>(named(node)) * RareShare < mostNamedChild[node.Parent] ||
                        (parent.SoundOpenings > 0 && node.SoundOpenings == 0);
        }
        allowed[key] = !deviation;
        if (deviation) ++book.AvoidedMoves;
    }

    // 4. Distinct lines, sorted; a line that is the start of a longer one adds nothing.
    std::vector<std::string> lines;
    for (const auto& entry : kept) lines.push_back(BookText(entry.first, entry.first.size()));
    std::sort(lines.begin(), lines.end());
    const size_t all = lines.size();
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    book.Duplicates = static_cast<int>(all - lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i + 1 < lines.size() && lines[i + 1].compare(0, lines[i].size(), lines[i]) == 0) {
            ++book.PrefixesDropped;
            continue;
        }
        int32_t weight = 0;
        const size_t plies = (lines[i].size() - 1) / 4;
        for (size_t n = 1; n <= plies; ++n)
            if (allowed.at(lines[i].substr(0, 1 + 4 * n))) weight |= static_cast<int32_t>(1u << (n - 1));
        book.Lines.push_back(lines[i]);
        book.Weights.push_back(weight);
    }
    return true;
}

bool WriteBook(const BuiltBook& book, const std::string& sTextPath, std::string& sError) {
    const std::string weightPath = WeightFileName(sTextPath);
    if (weightPath.empty()) {
        sError = "the book file name needs an extension (the weight file replaces it by bk2)";
        return false;
    }
    std::ofstream text(sTextPath, std::ios::binary | std::ios::trunc);
    std::ofstream weights(weightPath, std::ios::binary | std::ios::trunc);
    if (!text || !weights) {
        sError = "cannot write " + sTextPath + " or " + weightPath;
        return false;
    }
    for (size_t i = 0; i < book.Lines.size(); ++i) {
        text << book.Lines[i] << '\n';
        const auto w = static_cast<uint32_t>(book.Weights[i]);
        const char bytes[4] = {static_cast<char>(w & 0xff), static_cast<char>((w >> 8) & 0xff),
                               static_cast<char>((w >> 16) & 0xff), static_cast<char>((w >> 24) & 0xff)};
        weights.write(bytes, 4);
    }
    text.close();
    weights.close();
    if (!text || !weights) {
        sError = "writing " + sTextPath + " or " + weightPath + " failed";
        return false;
    }
    return true;
}
