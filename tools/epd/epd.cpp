// SPDX-License-Identifier: GPL-3.0-or-later
// talvor-epd [--strong] [--seconds S] FILE: a tactical test suite. Searches each EPD position of FILE for S
// seconds (default 0.5) as a timed move would, without the book, and counts the positions where the move
// found is a best move (bm) and none to avoid (am). Moves in the file are in standard algebraic notation.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "board/BoardBas.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "platform/Platform.h"
#include "search/Search.h"

namespace {

class Silent : public SearchReporter {
  public:
    void NewBest(const ThinkingReport&) override {}
    void IterationDone(const ThinkingReport&) override {}
    void BookMove(int, int) override {}
};

char Letter(int nCode) {
    return static_cast<char>(std::toupper(PieceLetter(nCode)[0]));
}

// The move in standard algebraic notation, without check marks.
std::string San(const MoveRec& m, const std::vector<MoveRec>& legal) {
    if (m.Castle == CastleWhiteKing || m.Castle == CastleBlackKing) return "O-O";
    if (m.Castle != CastleNone) return "O-O-O";
    const int piece = Board[m.From];
    const bool capture = m.EnPassant == 1 || (Board[m.To] >= 1 && Board[m.To] <= 12);
    const std::string from = SquareText(m.From), to = SquareText(m.To);
    std::string s;
    if (piece == WhitePawn || piece == BlackPawn) {
        if (capture) s = from.substr(0, 1) + "x";
        s += to;
        if (m.Promotion != 0) s += std::string("=") + Letter(m.Promotion);
        return s;
    }
    s = Letter(piece);
    bool sameFile = false, sameRank = false, other = false;
    for (const MoveRec& o : legal)
        if (o.To == m.To && o.From != m.From && Board[o.From] == piece) {
            other = true;
            sameFile |= FileOf(o.From) == FileOf(m.From);
            sameRank |= RankOf(o.From) == RankOf(m.From);
        }
    if (other) s += !sameFile ? from.substr(0, 1) : !sameRank ? from.substr(1, 1) : from;
    return s + (capture ? "x" : "") + to;
}

std::string WithoutMarks(std::string s) {
    while (!s.empty() && (s.back() == '+' || s.back() == '#' || s.back() == '!' || s.back() == '?'))
        s.pop_back();
    return s;
}

// The SAN moves after an operation ("bm Qxh7+ Rf7;"), or none.
std::vector<std::string> Operation(const std::string& sLine, const std::string& sOp) {
    std::vector<std::string> moves;
    const size_t at = sLine.find(" " + sOp + " ");
    if (at == std::string::npos) return moves;
    const size_t end = sLine.find(';', at);
    const std::vector<std::string> words =
        SplitAtBlanks(sLine.substr(at + sOp.size() + 2, end - at - sOp.size() - 2));
    for (const std::string& w : words)
        if (!w.empty()) moves.push_back(WithoutMarks(w));
    return moves;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 0.5;
    bool strong = false;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--strong") == 0) {
            strong = true;
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            file = argv[i];
        }
    }
    std::ifstream in(file);
    if (file.empty() || !in || seconds <= 0) {
        std::fprintf(stderr, "usage: talvor-epd [--strong] [--seconds S] FILE.epd\n");
        return 2;
    }
    InitEngine();
    InGuiMode = false;
    SendLineCapture = [](const std::string&) {};
    if (strong) ChosenSearch = SearchKind::Strong;
    int total = 0, solved = 0;
    std::string line;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = SplitAtBlanks(line);
        if (f.size() < 5) continue;
        const std::vector<std::string> best = Operation(line, "bm"), avoid = Operation(line, "am");
        if (best.empty() && avoid.empty()) continue;
        ResetGame();
        BookLoaded = false;
        BookPly = OutOfBook;
        if (!SetBoard(f[0] + " " + f[1] + " " + f[2] + " " + f[3])) {
            std::printf("bad position: %s\n", line.c_str());
            continue;
        }
        const std::vector<MoveRec> legal = LegalMoves();
        MaxDepth = NoDepthLimit;
        MovesPerControl = 1;
        BaseTime = seconds;
        TimeIncrement = 0;
        TimeLeft = static_cast<float>(seconds);
        GameResult = ResultNone;
        if (strong) ClearHash();
        Silent quiet;
        const std::string played = San(Search(SearchRequest{}, quiet).Move, legal);
        bool ok = avoid.empty() || std::find(avoid.begin(), avoid.end(), played) == avoid.end();
        if (!best.empty()) ok = ok && std::find(best.begin(), best.end(), played) != best.end();
        ++total;
        solved += ok;
        const size_t id = line.find("id ");
        std::printf("%-4s %-8s %s\n", ok ? "ok" : "--", played.c_str(),
                    id == std::string::npos ? f[0].c_str() : line.substr(id).c_str());
        std::fflush(stdout);
    }
    std::printf("solved %d of %d at %.2f s a position\n", solved, total, seconds);
    return 0;
}
