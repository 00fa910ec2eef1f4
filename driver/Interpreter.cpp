// SPDX-License-Identifier: GPL-3.0-or-later
// The xboard command interpreter: lines in, state changes and reply lines out, and what each command does
// to a search that is running when it arrives.
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "board/BoardBas.h"
#include "driver/Dispatcher.h"
#include "driver/EngineOptions.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "platform/Platform.h"
#include "search/BookBas.h"
#include "search/Search.h"

bool PositionRejected = false;
std::function<void()> QuitCapture;

namespace {
constexpr char DrawRefusal[] = "Talvor: Mi dispiace ma il comando non \xC3\xA8 supportato";

// The running turn and the modes that choose it, all owned by the command thread. A turn's kind is set
// before its engine thread starts and read there; the rest is read and written here only.
enum class TurnKind { Play, Analyse, Ponder };
TurnKind Turn = TurnKind::Play;
bool TurnRunning = false;
bool AnalyzeMode = false;    // analyze ... exit: the engine thinks about the position and moves nothing
bool PonderOn = false;       // hard: the engine thinks on the expected reply in the opponent's time
bool PonderHit = false;      // the opponent played the move the ponder search assumed
bool PonderRepeats = false;  // that move repeats a position a third time: the game's end, no hit
MoveRec PonderMove;
int PonderBookPly = 0;  // the book's place before the ponder move, put back after a miss
std::string PonderBookLine;

// Limits of the protocol variables: Integer ones are 16-bit, Long ones 32-bit.
constexpr double IntegerMin = -32768, IntegerMax = 32767;
constexpr double LongMin = -2147483648.0, LongMax = 2147483647.0;

// The text from the 1-based character n on; empty when the line is shorter.
std::string FromChar(const std::string& s, size_t n) {
    return s.size() >= n ? s.substr(n - 1) : std::string();
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// The rounded value, when it fits [lo, hi]; a number that does not fit rejects the whole command.
bool WholeValue(double v, double lo, double hi, double& out) {
    const double r = RoundHalfEven(v);
    if (!std::isfinite(r) || r < lo || r > hi) return false;
    out = r;
    return true;
}

// The value as given, when it is a number that fits [lo, hi].
bool FittingValue(double v, double lo, double hi, double& out) {
    if (!std::isfinite(v) || v < lo || v > hi) return false;
    out = v;
    return true;
}

// Moves per period, whole; the base in minutes or min:sec and the increment in seconds, fractions kept.
void Level(const std::string& cmd) {
    const std::vector<std::string> f = SplitAtBlanks(cmd);
    if (f.size() < 4) return;  // the three values are not all there
    double moves, base, increment;
    if (!WholeValue(TextValue(f[1]), LongMin, LongMax, moves)) return;
    const size_t colon = f[2].find(':');
    if (colon != std::string::npos) {
        double minutes, seconds;
        if (!FittingValue(TextValue(f[2].substr(0, colon)) * 60, LongMin, LongMax, minutes)) return;
        if (!FittingValue(TextValue(f[2].substr(colon + 1)), LongMin, LongMax, seconds)) return;
        if (!FittingValue(minutes + seconds, LongMin, LongMax, base)) return;
    } else if (!FittingValue(TextValue(f[2]) * 60, LongMin, LongMax, base)) {
        return;
    }
    if (!FittingValue(TextValue(f[3]), LongMin, LongMax, increment)) return;
    // One move a period counts as two in twice the time, as UCI's movestogo 1: a whole period for one move
    // is st's rule, which never looks at the clock, and a clock short of its period would be overrun.
    MovesPerControl = moves == 1 ? 2 : static_cast<int32_t>(moves);
    BaseTime = moves == 1 ? 2 * base : base;
    TimeIncrement = increment;
    MaxDepth = NoDepthLimit;
    TimeLeft = static_cast<float>(base);
    OpponentTimeLeft = TimeLeft;
}

// A clock reading in centiseconds, as seconds; false when it does not fit the clock variable.
bool ClockValue(const std::string& s, double limit, double& seconds) {
    seconds = TextValue(s) / 100;
    return std::isfinite(seconds) && std::fabs(seconds) <= limit;
}

// The window sends a promotion without its letter when it means the queen.
bool FindGameMove(const std::string& cmd, MoveRec& m) {
    if (FindMoveFromText(cmd, m)) return true;
    return InGuiMode && cmd.size() == 4 && FindMoveFromText(cmd + "q", m);
}

void HandleMove(const std::string& cmd) {
    MoveRec m;
    if (PositionRejected || !FindGameMove(cmd, m)) {
        if (InGuiMode)
            SendLine(ItalianTexts() ? "Tocca a te! " : "It's Your Turn ");
        else
            SendLine("Illegal move: " + cmd);
        return;
    }
    MakeGameMove(m);
    RecordMove(m);
    if (++RepetitionTable[PositionKey()] == 3) {
        GameResult = ResultRepetition;
        SendLine("1/2-1/2 {Pareggio per ripetizione mosse.}");
    }
}

void Nothing(const std::string&) {}

void Protover(const std::string& cmd) {
    double v;
    if (WholeValue(TextValue(FromChar(cmd, 10)), IntegerMin, IntegerMax, v)) {
        ProtocolVersion = static_cast<int>(v);
        if (ProtocolVersion != 2) return;
        SendLine("feature variants=\"normal\" ping=1 setboard=1 analyze=1 " + XboardFeatureWords() +
                 " myname=\"Talvor\"");
        for (const std::string& o : XboardOptionFeatures()) SendLine("feature option=\"" + o + "\"");
        SendLine("feature done=1");
    }
}

// option NAME=VALUE (option NAME for a button). A bad name or value changes nothing.
void Option(const std::string& cmd) {
    const std::string rest = FromChar(cmd, 8);
    const size_t eq = rest.find('=');
    const EngineOption* o = FindOption(rest.substr(0, eq), OptionProtocol::Xboard);
    if (!o) return SendLine("Error (unknown option): " + cmd);
    const bool given = eq != std::string::npos;
    if ((!given && o->Type != OptionType::Button) ||
        !SetOptionFromText(*o, given ? rest.substr(eq + 1) : "", OptionProtocol::Xboard).empty())
        SendLine("Error (bad value): " + cmd);
}

// The settings with a command of their own (memory N, cores N); a value refused keeps the one in force.
void OptionCommand(const std::string& cmd) {
    const size_t blank = cmd.find(' ');
    for (const EngineOption& o : EngineOptionTable())
        if (o.XboardCommand && cmd.compare(0, blank, o.XboardCommand) == 0) {
            if (!SetOptionFromText(o, cmd.substr(blank + 1), OptionProtocol::Xboard).empty())
                SendLine("Error (bad value): " + cmd);
            return;
        }
}

// The expected reply when the game stands where the engine's last move left it.
bool ExpectedReplyNow(MoveRec& m) {
    return ExpectedReply.From != 0 && ExpectedReplyPosition == PositionKey() &&
           FindMoveFromText(MoveToText(ExpectedReply), m);
}

// A short search of the position for hint, which leaves the game, the book and the clock as they were.
MoveRec QuickSearchMove() {
    struct Silent : SearchReporter {
        void NewBest(const ThinkingReport&) override {}
        void IterationDone(const ThinkingReport&) override {}
        void BookMove(int, int) override {}
    } silent;
    SearchRequest request;
    request.UseBook = false;
    request.NodeLimit = 20000;
    StopRequested.store(false);  // no search runs: a stop left from the last one is not for this one
    return Search(request, silent).Move;
}

// Hint: the reply the engine expects, else a book move, else a short search's move.
void Hint(const std::string&) {
    MoveRec m{};
    if (TurnRunning && Turn == TurnKind::Ponder) {
        m = PonderMove;  // the search runs on it: the game itself is not ours to read now
    } else if (!ExpectedReplyNow(m)) {
        const std::vector<MoveRec> book = BookMoveChoices();
        m = !book.empty() ? book.front() : PositionRejected ? MoveRec{} : QuickSearchMove();
    }
    if (m.From != 0) SendLine("Hint: " + MoveToText(m));
}

// bk: the book's moves here, each with the lines behind it and its chance (the draw is even), then an
// empty line.
void Bk(const std::string&) {
    const std::vector<BookChoice> choices = BookMoveWeights();
    for (const BookChoice& c : choices)
        SendLine(" " + MoveToText(c.Move) + " " + std::to_string(100 / static_cast<int>(choices.size())) +
                 "% (" + std::to_string(c.Lines) + (c.Lines == 1 ? " line)" : " lines)"));
    if (choices.empty()) SendLine(" no book moves here");
    SendLine("");
}

// . in analysis: where the search stands.
void Stat(const std::string&) {
    if (!TurnRunning || Turn != TurnKind::Analyse) return;
    const int total = Progress.MoveCount.load(), number = Progress.MoveNumber.load();
    const uint32_t packed = Progress.Move.load();
    const double seconds = std::max(0.0, TimerSeconds() - Progress.Start.load());
    std::string line = "stat01: " + std::to_string(static_cast<int64_t>(seconds * 100)) + " " +
                       std::to_string(Progress.Nodes.load()) + " " +
                       std::to_string(Progress.Iteration.load()) + " " +
                       std::to_string(std::max(0, total - number)) + " " + std::to_string(total);
    if (packed != 0) line += " " + MoveToText(UnpackMove(packed));
    SendLine(line);
}

void Setboard(const std::string& cmd) {
    StartOutputGame();
    ExpectedReply = MoveRec{};
    if (SetBoard(FromChar(cmd, 10))) {
        PositionRejected = false;
        if (InGuiMode) SendLine(BoardDiagram());
    } else {
        PositionRejected = true;
        SendLine("tellusererror Illegal position");
    }
}

void New(const std::string&) {
    StartOutputGame();
    ResetGame();
    ClearHash();  // a new game learns nothing from the last one's table
    PositionRejected = false;
    ExpectedReply = MoveRec{};
}

void White(const std::string&) {
    WhiteToMove = true;
    EnginePlaysWhite = false;
}

void Black(const std::string&) {
    WhiteToMove = false;
    EnginePlaysWhite = true;
}

// The engine plays the side to move, and moves.
void Go(const std::string&) {
    EnginePlaysWhite = WhiteToMove;
    ForceMode = false;
}

void Time(const std::string& cmd) {
    double v;
    if (ClockValue(FromChar(cmd, 5), std::numeric_limits<float>::max(), v)) TimeLeft = static_cast<float>(v);
}

void Otim(const std::string& cmd) {
    double v;
    if (ClockValue(FromChar(cmd, 5), std::numeric_limits<double>::max(), v)) OpponentTimeLeft = v;
}

void St(const std::string& cmd) {
    double v;
    if (!FittingValue(TextValue(FromChar(cmd, 3)), LongMin, LongMax, v)) return;
    MovesPerControl = 1;
    BaseTime = v;
    TimeIncrement = 0;
    MaxDepth = NoDepthLimit;
    TimeLeft = static_cast<float>(BaseTime);
    OpponentTimeLeft = TimeLeft;
}

void Sd(const std::string& cmd) {
    double v;
    // A depth below one would leave the engine without a move to play.
    if (!WholeValue(TextValue(FromChar(cmd, 3)), 1, IntegerMax, v)) return;
    TimeIncrement = MovesPerControl = BaseTime = 0;
    TimeLeft = 0;
    OpponentTimeLeft = 0;
    MaxDepth = static_cast<int>(v);
}

void Draw(const std::string&) {
    SendLine("tellics decline");
    SendLine(std::string(ProtocolVersion < 2 ? "tellics say " : "tellopponent ") + DrawRefusal);
}

void Allseeks(const std::string&) {
    SendLine("tellics seek " + SettingText("Seek1"));
    SendLine("tellics seek " + SettingText("Seek2"));
}

void Quit(const std::string&) {
    if (!QuitCapture) QuitProgram();
    QuitCapture();
}

// The commands, tested in this order; the first that matches handles the line. While the engine thinks,
// the kind says what the command does to the search: the clock commands and computer are carried out
// when it ends (the search reads them); go asks for what is so already (the engine plays the side to
// move, which it is thinking for).
using W = WhileThinking;
struct Command {
    const char* Word;
    bool Prefix;  // the line starts with Word; else it is Word exactly
    WhileThinking Kind;
    void (*Run)(const std::string& cmd);
    bool WindowOnly = false;
};
const Command Commands[] = {
    {"xboard", false, W::Answer, Nothing},
    {"random", false, W::Answer, Nothing},
    {"hard", false, W::Answer, [](const std::string&) { PonderOn = true; }},
    {"easy", false, W::Answer, [](const std::string&) { PonderOn = false; }},
    {"?", false, W::MoveNow, Nothing},
    {"protover", true, W::Wait, Protover},
    {"setboard", true, W::Stop, Setboard},
    {"ping ", true, W::Answer, [](const std::string& cmd) { SendLine("pong " + FromChar(cmd, 6)); }},
    {"new", false, W::Stop, New},
    {"white", false, W::Stop, White},
    {"black", false, W::Stop, Black},
    {"force", false, W::Stop, [](const std::string&) { ForceMode = true; }},
    {"go", false, W::Ignore, Go},
    {"remove", false, W::Stop, [](const std::string&) { TakeBack(2); }},
    {"undo", false, W::Stop, [](const std::string&) { TakeBack(1); }},
    {"draw", false, W::Answer, Draw},
    {"time", true, W::Defer, Time},
    {"otim", true, W::Defer, Otim},
    {"level", true, W::Stop, Level},
    {"st ", true, W::Stop, St},
    {"sd ", true, W::Stop, Sd},
    {"post", false, W::Answer, Nothing},
    {"nopost", false, W::Answer, Nothing},
    {"result", true, W::Answer, [](const std::string& cmd) { SendLine(FromChar(cmd, 8)); }},
    {"name", true, W::Answer, Nothing},
    {"rating", true, W::Answer, Nothing},
    {"computer", false, W::Defer, [](const std::string&) { OpponentIsComputer = true; }},
    {"allseeks", false, W::Answer, Allseeks},
    {"option ", true, W::Defer, Option},
    {"memory ", true, W::Defer, OptionCommand},
    {"cores ", true, W::Defer, OptionCommand},
    {"analyze", false, W::Stop, [](const std::string&) { AnalyzeMode = true; }},
    {"exit", false, W::Answer, [](const std::string&) { AnalyzeMode = false; }},
    {".", false, W::Answer, Stat},
    {"hint", false, W::Wait, Hint},
    {"bk", false, W::Wait, Bk},
    {"quit", false, W::Exit, Quit},
    {"writeepd-a", false, W::Wait, [](const std::string&) { SendLine(PositionKey()); }, true},
    {"display-a", false, W::Wait, [](const std::string&) { SendLine(BoardDiagram()); }, true},
};

const Command* Find(const std::string& cmd) {
    for (const Command& c : Commands) {
        if (c.WindowOnly && !InGuiMode) continue;
        if (c.Prefix ? StartsWith(cmd, c.Word) : cmd == c.Word) return &c;
    }
    return nullptr;  // not ours to answer
}

// Handles one line; false when the rest of the input is to be dropped (quit).
bool IsPonderHit(const std::string& cmd) {
    return TurnRunning && Turn == TurnKind::Ponder && !PonderHit && !PonderRepeats &&
           cmd == MoveToText(PonderMove);
}

bool HandleLine(const std::string& cmd) {
    if (IsMoveText(cmd)) {
        if (IsPonderHit(cmd)) {
            // The move is on the board already: the search goes on as the engine's turn.
            PonderHit = true;
            PonderHitNow();
            return true;
        }
        HandleMove(cmd);
        return true;
    }
    const Command* c = Find(cmd);
    if (!c) return true;
    c->Run(cmd);
    return c->Kind != WhileThinking::Exit;
}

// Pondering is due in the opponent's time, after the engine's move, when it expects a reply.
bool PonderDue() {
    MoveRec m;
    return PonderOn && !ForceMode && GameResult == ResultNone && !PositionRejected &&
           WhiteToMove != EnginePlaysWhite && ExpectedReplyNow(m);
}

// Plays the expected reply for the ponder search; the game's own record of it stays until a hit or
// a miss says whether it stands.
void BeginPonder() {
    FindMoveFromText(MoveToText(ExpectedReply), PonderMove);
    ExpectedReply = MoveRec{};
    PonderBookPly = BookPly;
    PonderBookLine = BookLine;
    MakeGameMove(PonderMove);
    RecordMove(PonderMove);
    PonderRepeats = ++RepetitionTable[PositionKey()] == 3;
}

class Xboard : public Protocol {
  public:
    WhileThinking Kind(const std::string& sLine) const override {
        using W = WhileThinking;
        const Command* c = IsMoveText(sLine) ? nullptr : Find(sLine);
        const W kind = IsMoveText(sLine) ? W::Wait : c ? c->Kind : W::Answer;
        if (Turn == TurnKind::Analyse) {
            // Analysis never ends by itself: what would wait for it stops it and starts it again after.
            // go changes the side the engine plays, which the analysis does not think for.
            if (sLine == "?" || sLine == "hint") return W::Ignore;
            if (sLine == "exit" || sLine == "go" || kind == W::Wait || kind == W::Defer) return W::Stop;
        } else if (Turn == TurnKind::Ponder && !PonderHit) {
            // Nor does pondering before its hit, and no move may come from it. go gives the engine the
            // side on move, which the ponder search is not thinking for.
            if (IsMoveText(sLine)) return IsPonderHit(sLine) ? W::Answer : W::Stop;
            if (sLine == "?") return W::Ignore;
            if (sLine == "hint") return W::Answer;
            if (sLine == "easy" || sLine == "go" || kind == W::Wait) return W::Stop;
        }
        return kind;
    }
    bool Handle(const std::string& sLine) override { return HandleLine(sLine); }
    bool TurnDue() const override { return AnalyzeMode ? !PositionRejected : EngineOnMove() || PonderDue(); }
    void BeginTurn() override {
        request_ = SearchRequest{};
        request_.StrengthElo = AskedStrength();
        PonderHit = false;
        Turn = AnalyzeMode ? TurnKind::Analyse : EngineOnMove() ? TurnKind::Play : TurnKind::Ponder;
        if (Turn == TurnKind::Analyse) {
            request_.Endless = true;
            request_.UseBook = false;
            request_.MultiPv = AnalysisLines;
        } else if (Turn == TurnKind::Ponder) {
            BeginPonder();
        }
        TurnIsPonder = Turn == TurnKind::Ponder;
        Pondering.store(TurnIsPonder);
        TurnRunning = true;
        BeginEngineTurn();
    }
    void PlayTurn(const std::function<bool()>& commit) override {
        if (Turn == TurnKind::Analyse)
            PlayAnalysisTurn(request_, commit);
        else
            PlayEngineTurn(request_, commit);
    }
    void TurnEnded(bool) override {
        if (Turn == TurnKind::Ponder && !PonderHit) {
            // A miss or a stop: the expected reply was never played.
            TakeBack(1);
            BookPly = PonderBookPly;
            BookLine = PonderBookLine;
        }
        Pondering.store(false);
        TurnIsPonder = false;
        TurnRunning = false;
        Turn = TurnKind::Play;
    }

  private:
    SearchRequest request_;  // what the turn asks: set as it begins, read on the engine thread
};

}  // namespace

double RoundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    const double down = std::floor(v);
    const double rest = v - down;
    if (rest < 0.5) return down;
    if (rest > 0.5) return down + 1;
    return std::fmod(down, 2) == 0 ? down : down + 1;
}

double TextValue(const std::string& sText) {
    // Gather the readable number without its blanks, then convert it (independent of the locale).
    std::string number;
    bool negativeExponent = false;
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < sText.size() && (sText[i] == ' ' || sText[i] == '\t' || sText[i] == '\n')) ++i;
    };
    auto digits = [&](std::string& out) {
        for (skipBlanks(); i < sText.size() && sText[i] >= '0' && sText[i] <= '9'; skipBlanks())
            out += sText[i++];
    };
    bool negative = false;
    skipBlanks();
    if (i < sText.size() && (sText[i] == '+' || sText[i] == '-')) negative = sText[i++] == '-';
    digits(number);
    skipBlanks();
    if (i < sText.size() && sText[i] == '.') {
        ++i;
        std::string fraction;
        digits(fraction);
        if (!fraction.empty()) number += (number.empty() ? "0." : ".") + fraction;
    }
    if (number.empty()) return 0;
    skipBlanks();
    if (i < sText.size() && (sText[i] == 'E' || sText[i] == 'e' || sText[i] == 'D' || sText[i] == 'd')) {
        ++i;
        skipBlanks();
        if (i < sText.size() && (sText[i] == '+' || sText[i] == '-')) negativeExponent = sText[i++] == '-';
        std::string exponent;
        digits(exponent);
        if (!exponent.empty()) number += std::string("e") + (negativeExponent ? "-" : "") + exponent;
    }
    double value = 0;
    const std::from_chars_result r = std::from_chars(number.data(), number.data() + number.size(), value);
    if (r.ec == std::errc::result_out_of_range)
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    return negative ? -value : value;
}

Protocol& XboardProtocol() {
    static Xboard protocol;
    return protocol;
}

// Splits the chunk into lines (a carriage return counts as a line end) and handles each whole line;
// whatever follows the last line end is not a line yet.
void InterpretInput(const std::string& sChunk) {
    ForEachLine(sChunk, HandleLine);
}
