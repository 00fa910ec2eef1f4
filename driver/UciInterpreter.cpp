// SPDX-License-Identifier: GPL-3.0-or-later
// The UCI interpreter: the same engine, its position set by position, its limits by go, its thinking as
// info lines and its move as bestmove. The interface keeps the game: every position command sets the
// game afresh from the start position or a FEN and the moves played since.
#include <algorithm>
#include <charconv>
#include <climits>
#include <vector>

#include "board/BoardBas.h"
#include "driver/Dispatcher.h"
#include "driver/EngineOptions.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "driver/UciOutput.h"
#include "platform/Platform.h"
#include "search/Search.h"

namespace {
using Words = std::vector<std::string>;

// The words of a line, between blanks and tabs.
Words WordsOf(const std::string& s) {
    Words words;
    std::string w;
    for (char c : s + ' ') {
        if (c == ' ' || c == '\t') {
            if (!w.empty()) words.push_back(std::move(w));
            w.clear();
        } else {
            w += c;
        }
    }
    return words;
}

std::string Joined(const Words& w, size_t from, size_t to) {
    std::string s;
    for (size_t i = from; i < to && i < w.size(); ++i) s += (s.empty() ? "" : " ") + w[i];
    return s;
}

void Tell(const std::string& sText) {
    SendLine("info string " + sText);
}

// ---- Options: the engine's options table ----
void Uci(const Words&) {
    SendLine("id name Talvor");
    SendLine("id author the TalvorWBE developers");
    for (const std::string& line : UciOptionLines()) SendLine(line);
    SendLine("uciok");
}

// setoption name NAME [value VALUE]; names compare without regard to case. A bad name or value changes
// nothing and is told.
void SetOption(const Words& w) {
    size_t valueAt = w.size();
    for (size_t i = 2; i < w.size(); ++i)
        if (w[i] == "value") {
            valueAt = i;
            break;
        }
    const std::string name = Joined(w, 2, valueAt);
    const std::string value = Joined(w, valueAt + 1, w.size());
    if (w.size() < 3 || w[1] != "name") return Tell("setoption needs: setoption name NAME value VALUE");
    const EngineOption* o = FindOption(name, OptionProtocol::Uci);
    if (!o) return Tell("no option named '" + name + "'");
    const std::string fault = SetOptionFromText(*o, value, OptionProtocol::Uci);
    if (!fault.empty()) Tell("option " + std::string(o->Uci) + " " + fault);
}

// ---- The position ----
struct GameStart {
    std::string Fen;  // empty: the start position
    Words Moves;
};
GameStart LastGood;

// Sets the game from scratch as the xboard mode would play it from new: the book follows the moves from
// the start position, and every position counts towards repetitions.
bool SetUpGame(const GameStart& g, std::string& fault) {
    ResetGame();
    PositionRejected = false;
    if (!g.Fen.empty()) {
        const Words f = WordsOf(g.Fen);
        int64_t halfmoves = 0, moveNumber = 1;
        if (!SetBoard(Joined(f, 0, f.size())) || f.size() > 6 ||
            (f.size() >= 5 && !WholeNumber(f[4], 0, INT_MAX, halfmoves)) ||
            (f.size() == 6 && !WholeNumber(f[5], 1, INT_MAX, moveNumber))) {
            fault = "not a position Talvor can play: '" + g.Fen + "'";
            return false;
        }
        HalfmoveClock = static_cast<int>(halfmoves);
    }
    if (!OwnBook) BookPly = OutOfBook;
    for (size_t i = 0; i < g.Moves.size(); ++i) {
        MoveRec m;
        if (!FindMoveFromText(g.Moves[i], m)) {
            fault = "illegal move " + g.Moves[i] + " (move " + std::to_string(i + 1) + " of the position)";
            return false;
        }
        MakeGameMove(m);
        RecordMove(m);
        ++RepetitionTable[PositionKey()];
    }
    return true;
}

// position startpos|fen FEN [moves MOVE ...]; a fault keeps the last good position.
void Position(const Words& w) {
    GameStart g;
    size_t i = 2;
    if (w.size() >= 2 && w[1] == "fen") {
        while (i < w.size() && w[i] != "moves") ++i;
        g.Fen = Joined(w, 2, i);
    } else if (w.size() < 2 || w[1] != "startpos") {
        return Tell("position needs startpos or fen");
    }
    if (i < w.size() && w[i] != "moves") return Tell("position: '" + w[i] + "' where moves should be");
    if (i < w.size()) g.Moves.assign(w.begin() + static_cast<long>(i) + 1, w.end());
    std::string fault;
    if (SetUpGame(g, fault)) {
        LastGood = std::move(g);
        return;
    }
    Tell(fault + "; the position stays as it was");
    SetUpGame(LastGood, fault);
}

void NewGame(const Words&) {
    ClearHash();  // a new game learns nothing from the last one's table
    LastGood = GameStart{};
    std::string fault;
    SetUpGame(LastGood, fault);
}

// ---- go ----
bool GoPending = false;    // a go waits for its turn
bool GoPonders = false;    // go ponder: the search runs on the interface's guess until ponderhit or stop
SearchRequest GoRequest;   // what the next search is asked beside the clock and depth; infinite: Endless
bool TurnPonders = false;  // the running turn began as a ponder search, not hit yet (command thread)

void ZeroClocks() {
    MovesPerControl = 0;
    BaseTime = TimeIncrement = 0;
    TimeLeft = 0;
    OpponentTimeLeft = 0;
}

// go [wtime W] [btime B] [winc W] [binc B] [movestogo N] [movetime MS] [depth D] [nodes N] [mate M]
// [infinite] [ponder] [searchmoves M ...]. One limit of time or depth counts, the first of: infinite,
// depth, movetime, the clocks; nodes and mate end the search early whatever else it has. Without a limit
// it goes as deep as it can, until stop. Times are milliseconds. Only timed play asks the book.
void Go(const Words& w) {
    enum { WTime, BTime, WInc, BInc, MovesToGo, MoveTime, Depth, Nodes, Mate, Count };
    static const char* const Names[Count] = {"wtime",    "btime", "winc",  "binc", "movestogo",
                                             "movetime", "depth", "nodes", "mate"};
    int64_t value[Count] = {};
    bool given[Count] = {};
    bool infinite = false;
    GoRequest = SearchRequest{};
    GoPonders = false;
    for (size_t i = 1; i < w.size(); ++i) {
        int k = 0;
        while (k < Count && w[i] != Names[k]) ++k;
        if (k < Count) {
            if (i + 1 < w.size() && WholeNumber(w[i + 1], INT64_MIN / 2, INT64_MAX / 2, value[k]))
                given[k] = true;
            else
                Tell("go: " + w[i] + " needs a whole number");
            i += i + 1 < w.size();
        } else if (w[i] == "infinite") {
            infinite = true;
        } else if (w[i] == "ponder") {
            GoPonders = true;
        } else if (w[i] == "searchmoves") {
            for (; i + 1 < w.size() && IsMoveText(w[i + 1]); ++i) {
                MoveRec m;
                if (FindMoveFromText(w[i + 1], m))
                    GoRequest.SearchMoves.push_back(m);
                else
                    Tell("go: searchmoves " + w[i + 1] + " is not a legal move here and is left out");
            }
        } else {
            Tell("go: " + w[i] + " is not supported and is ignored");
        }
    }
    if (given[Depth] && (value[Depth] < 1 || value[Depth] > 32767)) {
        Tell("go: depth " + std::to_string(value[Depth]) + " is not from 1 to 32767");
        given[Depth] = false;
    }
    if (given[Nodes] && value[Nodes] < 1) {
        Tell("go: nodes " + std::to_string(value[Nodes]) + " is not a positive number");
        given[Nodes] = false;
    }
    if (given[Mate] && (value[Mate] < 1 || value[Mate] > MaxIterationCount)) {
        Tell("go: mate " + std::to_string(value[Mate]) + " is not from 1 to " +
             std::to_string(MaxIterationCount));
        given[Mate] = false;
    }
    const int own = WhiteToMove ? WTime : BTime, other = WhiteToMove ? BTime : WTime;
    TimeBank = 0;  // the clocks the interface gives already hold what earlier moves saved
    MaxDepth = NoDepthLimit;
    const bool fixed = given[Nodes] || given[Mate];
    if (infinite || (!given[Depth] && !given[MoveTime] && !given[own])) {
        ZeroClocks();
        // A mate in M moves is found within 2M - 1 plies: a little more, and the search is done.
        MaxDepth = given[Mate] && !infinite
                       ? static_cast<int>(std::min<int64_t>(2 * value[Mate] + 1, MaxIterationCount))
                       : MaxIterationCount;
    } else if (given[Depth]) {
        ZeroClocks();
        MaxDepth = static_cast<int>(value[Depth]);
    } else if (given[MoveTime]) {  // as st
        MovesPerControl = 1;
        BaseTime = static_cast<double>(value[MoveTime]) / 1000;
        TimeIncrement = 0;
        TimeLeft = static_cast<float>(BaseTime);
        OpponentTimeLeft = TimeLeft;
    } else {
        TimeLeft = static_cast<float>(static_cast<double>(value[own]) / 1000);
        OpponentTimeLeft = given[other] ? static_cast<double>(value[other]) / 1000 : TimeLeft;
        const int inc = WhiteToMove ? WInc : BInc;
        TimeIncrement = given[inc] ? static_cast<double>(value[inc]) / 1000 : 0;
        // N moves to the next control: the clock shared among them, as level shares its base. One move
        // counts as two: a whole clock for one move is st's rule, which keeps no reserve of the clock.
        const bool control = given[MovesToGo] && value[MovesToGo] > 0;
        MovesPerControl =
            control ? static_cast<int32_t>(std::clamp<int64_t>(value[MovesToGo], 2, 100000)) : 0;
        BaseTime = control ? TimeLeft * (value[MovesToGo] == 1 ? 2.0 : 1.0) : 0;
    }
    GoRequest.Endless = infinite;
    GoRequest.UseBook = !infinite && !given[Depth] && !fixed && !AnalyseMode && OwnBook;
    GoRequest.NodeLimit = given[Nodes] ? value[Nodes] : 0;
    GoRequest.MateMoves = given[Mate] ? static_cast<int>(value[Mate]) : 0;
    GoRequest.MultiPv = AnalysisLines;
    GoPending = true;
}

// ponderhit: the interface's guess was played; the search goes on as a timed one, its work kept.
void PonderHit(const Words&) {
    if (!TurnPonders) return;
    TurnPonders = false;
    PonderHitNow();
}

void Quit(const Words&) {
    if (!QuitCapture) QuitProgram();
    QuitCapture();
}

void Nothing(const Words&) {}

// While the engine thinks: isready is answered at once; what sets the position, the limits or the
// options waits for the search to end, in order; stop ends it with its move.
using W = WhileThinking;
struct Command {
    const char* Word;
    WhileThinking Kind;
    void (*Run)(const Words& w);
};
const Command Commands[] = {
    {"uci", W::Answer, Uci},
    {"isready", W::Answer, [](const Words&) { SendLine("readyok"); }},
    {"debug", W::Answer, Nothing},
    {"register", W::Answer, Nothing},
    {"ponderhit", W::Answer, PonderHit},
    {"setoption", W::Defer, SetOption},
    {"ucinewgame", W::Defer, NewGame},
    {"position", W::Defer, Position},
    {"go", W::Defer, Go},
    {"stop", W::MoveNow, Nothing},
    {"quit", W::Exit, Quit},
};

// The command of a line and its words from the command on: unknown words before it are skipped.
const Command* Find(const std::string& sLine, Words& words) {
    words = WordsOf(sLine);
    for (size_t i = 0; i < words.size(); ++i)
        for (const Command& c : Commands)
            if (words[i] == c.Word) {
                words.erase(words.begin(), words.begin() + static_cast<long>(i));
                return &c;
            }
    return nullptr;
}

class UciEngine : public Protocol {
  public:
    WhileThinking Kind(const std::string& sLine) const override {
        Words words;
        const Command* c = Find(sLine, words);
        // A hit for a ponder search that waits behind this one is its, once it runs.
        if (c && c->Run == PonderHit && !TurnPonders) return WhileThinking::Defer;
        return c ? c->Kind : WhileThinking::Answer;
    }
    bool Handle(const std::string& sLine) override {
        Words words;
        const Command* c = Find(sLine, words);
        if (!c) return true;
        c->Run(words);
        return c->Kind != WhileThinking::Exit;
    }
    bool TurnDue() const override { return GoPending; }
    void BeginTurn() override {
        GoPending = false;
        TurnPonders = GoPonders;
        request_ = GoRequest;
        request_.StrengthElo = AskedStrength();
        Pondering.store(GoPonders);
        BeginEngineTurn();
    }
    // The move is the interface's to play: the engine's board stays as the position command set it.
    // An infinite search gives its move once stopped; the interface judges the game, so every go gets a move
    // whatever the search thinks of the game.
    void PlayTurn(const std::function<bool()>& commit) override {
        UciThinking thinking(request_.MultiPv > 1);
        const MoveRec best = SearchForTurn(request_, thinking).Move;
        if (commit()) SendLine(UciBestMove(best, thinking.LastLine()));
    }
    void TurnEnded(bool) override {
        TurnPonders = false;
        Pondering.store(false);
    }

  private:
    SearchRequest request_;  // what the turn asks: set as it begins, read on the engine thread
};

}  // namespace

Protocol& UciProtocol() {
    static UciEngine protocol;
    return protocol;
}
