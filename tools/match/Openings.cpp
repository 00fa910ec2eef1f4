// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/match/Openings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, '\t');) cells.push_back(cell);
    return cells;
}

namespace {

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool IsNumber(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// A table row: the moves of the "uci" column from the start position.
bool ReadTable(std::istream& in, const std::string& header, std::vector<GameStart>& openings) {
    const std::vector<std::string> names = SplitTabs(header);
    size_t uci = names.size(), name = names.size(), eco = names.size();
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == "uci") uci = i;
        if (names[i] == "name") name = i;
        if (names[i] == "eco") eco = i;
    }
    if (uci == names.size()) return false;
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> cells = SplitTabs(line);
        if (cells.size() <= uci) continue;
        GameStart g;
        g.Fen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
        g.Moves = Words(cells[uci]);
        if (name < cells.size()) g.Name = cells[name];
        if (eco < cells.size()) g.Eco = cells[eco];
        openings.push_back(g);
    }
    return true;
}

// An EPD or FEN line: four fields, the two counters when they follow, and an id operation as the name.
bool ReadPosition(const std::string& line, GameStart& g) {
    const std::vector<std::string> w = Words(line);
    if (w.size() < 4) return false;
    g.Fen = w[0] + " " + w[1] + " " + w[2] + " " + w[3];
    g.Fen += w.size() >= 6 && IsNumber(w[4]) && IsNumber(w[5]) ? " " + w[4] + " " + w[5] : " 0 1";
    const size_t id = line.find(" id \"");
    if (id != std::string::npos) g.Name = line.substr(id + 5, line.find('"', id + 5) - id - 5);
    return true;
}

bool IsFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The shared table in folder or one of the folders above it.
std::string FindUpward(std::string folder) {
    while (!folder.empty()) {
        const std::string candidate = folder + "/shared/data/openings/openings.tsv";
        if (IsFile(candidate)) return candidate;
        const size_t slash = folder.rfind('/');
        if (slash == std::string::npos) break;
        folder.resize(slash);
    }
    return "";
}

}  // namespace

bool ReadOpenings(const std::string& path, std::vector<GameStart>& openings, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string first;
    std::getline(in, first);
    if (first.find('\t') != std::string::npos) {
        if (!ReadTable(in, first, openings)) {
            error = path + ": a table needs a \"uci\" column";
            return false;
        }
    } else {
        for (std::string line = first;;) {
            GameStart g;
            if (!line.empty() && line[0] != '#' && ReadPosition(line, g)) openings.push_back(g);
            if (!std::getline(in, line)) break;
        }
    }
    if (openings.empty()) error = path + ": no openings";
    return !openings.empty();
}

std::string DefaultOpeningsPath() {
    char here[PATH_MAX];
    std::string found = getcwd(here, sizeof here) ? FindUpward(here) : "";
#ifdef TALVOR_SOURCE_DIR
    if (found.empty()) found = FindUpward(TALVOR_SOURCE_DIR);
#endif
    return found;
}

size_t Draw(Random& random, size_t n) {
    return n == 0 ? 0 : static_cast<size_t>(random() % n);
}

void Shuffle(std::vector<GameStart>& openings, Random& random) {
    for (size_t i = openings.size(); i > 1; --i) std::swap(openings[i - 1], openings[Draw(random, i)]);
}

bool PrepareStart(Referee& referee, const GameStart& opening, int randomPlies, Random& random,
                  GameStart& start) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (!referee.Start(opening.Fen) || !referee.PlayAll(opening.Moves) ||
            referee.Ending() != RulesEnding::None)
            return false;
        start = opening;
        start.RandomPlies = randomPlies;
        for (int i = 0; i < randomPlies && referee.Ending() == RulesEnding::None; ++i) {
            const MoveRec m = referee.Legal()[Draw(random, referee.Legal().size())];
            start.Moves.push_back(MoveToText(m));
            referee.Play(m);
        }
        if (referee.Ending() == RulesEnding::None) return true;
    }
    return false;
}
