// The xboard command interpreter: lines in, state changes and reply lines out, and what each command does
// to a search that is running when it arrives.
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "board/BoardBas.h"
#include "driver/Dispatcher.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"

bool PositionRejected = false;
std::function<void()> QuitCapture;

namespace {
constexpr char FeatureLine[] = "feature variants=\"normal\" ping=1 setboard=1 analyze=0 done=1";
constexpr char DrawRefusal[] = "Talvor: Mi dispiace ma il comando non \xC3\xA8 supportato";

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
    MovesPerControl = static_cast<int32_t>(moves);
    BaseTime = base;
    TimeIncrement = increment;
    MaxDepth = NoDepthLimit;
    TimeLeft = static_cast<float>(BaseTime);
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
        if (ProtocolVersion == 2) SendLine(FeatureLine);
    }
}

void Setboard(const std::string& cmd) {
    StartOutputGame();
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
    PositionRejected = false;
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
    SendLine("tellics seek " + ReadSetting("Seek1", "5 0 f"));
    SendLine("tellics seek " + ReadSetting("Seek2", "10 0 f"));
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
    {"hard", false, W::Answer, Nothing},
    {"easy", false, W::Answer, Nothing},
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
bool HandleLine(const std::string& cmd) {
    if (IsMoveText(cmd)) {
        HandleMove(cmd);
        return true;
    }
    const Command* c = Find(cmd);
    if (!c) return true;
    c->Run(cmd);
    return c->Kind != WhileThinking::Exit;
}

class Xboard : public Protocol {
  public:
    WhileThinking Kind(const std::string& sLine) const override {
        if (IsMoveText(sLine)) return WhileThinking::Wait;
        const Command* c = Find(sLine);
        return c ? c->Kind : WhileThinking::Answer;
    }
    bool Handle(const std::string& sLine) override { return HandleLine(sLine); }
    bool TurnDue() const override { return EngineOnMove(); }
    void BeginTurn() override { BeginEngineTurn(); }
    void PlayTurn(const std::function<bool()>& commit) override { PlayEngineTurn(commit); }
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
