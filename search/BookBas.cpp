// SPDX-License-Identifier: GPL-3.0-or-later
// The opening book: a text file of opening lines (" e2e4e7e5g1f3...") and an optional weight file of
// per-line ply masks, read once at start-up and consulted during the first 30 plies of a new game.
#include "search/BookBas.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <unordered_set>

#include "platform/Platform.h"
#include "search/common/SearchRules.h"

std::vector<std::string> BookLines;
int32_t BookLineCount = 0;
std::unordered_map<std::string, int32_t> BookWeights;
std::vector<std::string> FirstMoves;
int FirstMoveCount = 0;

namespace {

// Reads a file line by line without trusting it: a line keeps at most MaxBookLineLength characters
// (the rest of a longer one is skipped, it cannot matter to the book), reading stops after
// MaxBookBytes, and line ends may be LF or CR LF.
class BookLineReader {
  public:
    explicit BookLineReader(std::ifstream& in) : in_(in), buffer_(64 * 1024) {}

    bool Next(std::string& sLine) {
        sLine.clear();
        bool any = false;
        for (;;) {
            if (pos_ == len_ && !Fill()) break;
            any = true;
            const char c = buffer_[pos_++];
            if (c == '\n') break;
            if (sLine.size() <= MaxBookLineLength) sLine.push_back(c);
        }
        // Trailing blanks, tabs and the CR of a CR LF end carry nothing.
        while (!sLine.empty() && (sLine.back() == '\r' || sLine.back() == ' ' || sLine.back() == '\t'))
            sLine.pop_back();
        if (sLine.size() > MaxBookLineLength) sLine.resize(MaxBookLineLength);
        return any;
    }

  private:
    bool Fill() {
        if (total_ >= MaxBookBytes || !in_) return false;
        const auto want = static_cast<std::streamsize>(
            std::min<int64_t>(static_cast<int64_t>(buffer_.size()), MaxBookBytes - total_));
        in_.read(buffer_.data(), want);
        len_ = static_cast<size_t>(in_.gcount());
        pos_ = 0;
        total_ += static_cast<int64_t>(len_);
        return len_ > 0;
    }

    std::ifstream& in_;
    std::vector<char> buffer_;
    size_t pos_ = 0, len_ = 0;
    int64_t total_ = 0;
};

std::string TrimBlanks(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool IsDirectory(const std::string& sPath) {
    std::error_code ec;
    return std::filesystem::is_directory(sPath, ec);
}

// The first generated move whose text is sText, if it is legal here. The trial leaves the position as it
// found it, en-passant marker included, so a book miss does not cost the search an en-passant capture.
bool FindLegalBookMove(const MoveList& list, const std::vector<std::string>& texts, const std::string& sText,
                       MoveRec& found) {
    for (int i = 0; i < list.Count; ++i) {
        if (texts[static_cast<size_t>(i)] != sText) continue;
        MoveRec m = list.Move[i];
        const int ghost = GhostSquare();
        MakeMove(m);
        const bool legal = IsLegalAfterMove(m);
        UnmakeMove(m);
        RestoreGhost(ghost);
        if (legal) found = m;
        return legal;
    }
    return false;
}

void AddChoice(std::vector<MoveRec>& choices, const MoveRec& m) {
    for (const MoveRec& c : choices)
        if (SameMove(c, m)) return;
    choices.push_back(m);
}

std::mt19937& BookRandom() {
    static std::mt19937 generator = [] {
        try {
            std::random_device device;
            return std::mt19937(device());
        } catch (...) {
            return std::mt19937(
                static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
        }
    }();
    return generator;
}

}  // namespace

int32_t DefaultBookWeight() {
    return 1073741823;
}

std::string WeightFileName(const std::string& sPath) {
    // Only a "." in the file name counts: a dotted folder name is not an extension.
    const size_t dot = sPath.rfind('.');
    const size_t slash = sPath.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return sPath.substr(0, dot + 1) + "bk2";
}

bool LoadBookFrom(const std::string& sPath) {
    BookLines.clear();
    BookLineCount = 0;
    BookWeights.clear();
    FirstMoves.clear();
    FirstMoveCount = 0;
    if (sPath.empty()) return false;
    const std::string path = sPath.front() == '/' ? sPath : ProgramFolder() + "/" + sPath;

    if (IsDirectory(path)) return false;
    std::ifstream text(path, std::ios::binary);
    if (!text) return false;

    // Without a weight file (or a weight-file name) every line may be played at every ply.
    std::ifstream weights;
    bool weightsOpen = false;
    const std::string weightPath = WeightFileName(path);
    std::error_code ec;
    if (!weightPath.empty() && std::filesystem::exists(weightPath, ec)) {
        if (IsDirectory(weightPath)) return false;
        weights.open(weightPath, std::ios::binary);
        if (!weights) return false;
        weightsOpen = true;
    }

    BookLineReader reader(text);
    std::string line, previousFirst;
    std::unordered_set<std::string> offered;  // each first move once, even from an unsorted file
    for (int32_t physical = 0; physical < MaxBookLines && reader.Next(line); ++physical) {
        // Every text line, empty or repeated, owns one weight, so the two files stay in step.
        int32_t weight = DefaultBookWeight();
        if (weightsOpen) {
            unsigned char b[4];
            weights.read(reinterpret_cast<char*>(b), 4);
            if (weights.gcount() == 4) {
                weight = static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                              static_cast<uint32_t>(b[2]) << 16 |
                                              static_cast<uint32_t>(b[3]) << 24);
            } else {
                weightsOpen = false;  // a short weight file: the remaining lines take the default
            }
        }
        // An empty line holds no move; a repeated line adds nothing and keeps its first weight.
        if (line.empty() || BookWeights.contains(line)) continue;

        BookLines.push_back(line);
        BookWeights.emplace(line, weight);
        const std::string first = TrimBlanks(line.substr(0, 5));
        if (first != previousFirst) {
            previousFirst = first;
            if ((weight & 1) != 0 && offered.insert(first).second) FirstMoves.push_back(first);
        }
        ++BookLineCount;
    }
    FirstMoveCount = static_cast<int>(FirstMoves.size());
    return BookLineCount >= 1;
}

bool BookLineAllowed(const std::string& sLine, int n) {
    if (n < 1 || n > 32) return false;
    const auto it = BookWeights.find(sLine);
    if (it == BookWeights.end()) return false;
    return (static_cast<uint32_t>(it->second) & (1u << (n - 1))) != 0;
}

std::vector<MoveRec> BookMoveChoices() {
    std::vector<MoveRec> choices;
    if (BookPly < 0 || BookPly >= MaxBookMoves || BookLineCount == 0) return choices;
    MoveList list;
    GenerateMoves(list);
    std::vector<std::string> texts;
    for (int i = 0; i < list.Count; ++i) texts.push_back(MoveToText(list.Move[i]));
    MoveRec m;

    if (BookPly == 0) {
        // Only first moves that are legal here are drawn, so a bad entry cannot end the book at random.
        for (const std::string& f : FirstMoves)
            if (FindLegalBookMove(list, texts, f, m)) AddChoice(choices, m);
    } else {
        const size_t offset = 4 * static_cast<size_t>(BookPly) + 1;
        const int nextPly = static_cast<int>(BookLine.size() / 4) + 1;
        std::string previous;
        for (const std::string& line : BookLines) {
            if (line.compare(0, BookLine.size(), BookLine) != 0) continue;
            const std::string next = offset < line.size() ? line.substr(offset, 4) : std::string();
            if (next == previous) continue;
            previous = next;
            // Only the first line of a run of equal next moves decides, by its weight, whether that move
            // may be played at this ply.
            if (next.size() == 4 && FindLegalBookMove(list, texts, next, m) && BookLineAllowed(line, nextPly))
                AddChoice(choices, m);
        }
    }
    return choices;
}

std::vector<BookChoice> BookMoveWeights() {
    std::vector<BookChoice> weights;
    for (const MoveRec& m : BookMoveChoices()) {
        const std::string prefix = BookLine + MoveToText(m);
        int lines = 0;
        for (const std::string& line : BookLines) lines += line.compare(0, prefix.size(), prefix) == 0;
        weights.push_back(BookChoice{m, lines});
    }
    return weights;
}

void BookProbe(MoveRec& result) {
    result = MoveRec{};
    const std::vector<MoveRec> choices = BookMoveChoices();
    if (choices.empty()) return;
    result = choices[static_cast<size_t>(RandomInRange(0, static_cast<int>(choices.size()) - 1))];
}

int RandomInRange(int lo, int hi) {
    if (hi <= lo) return lo;
    // One generator seeded once: re-seeding from the clock on every call repeats within a clock tick.
    std::uniform_int_distribution<int> range(lo, hi);
    return range(BookRandom());
}
