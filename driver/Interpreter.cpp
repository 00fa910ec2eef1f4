// The xboard command interpreter: one input chunk in, state changes and reply lines out.
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "board/BoardBas.h"
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

void Level(const std::string& cmd) {
    const std::vector<std::string> f = SplitAtBlanks(cmd);
    if (f.size() < 4) return;  // the three values are not all there
    double moves, base, increment;
    if (!WholeValue(TextValue(f[1]), LongMin, LongMax, moves)) return;
    const size_t colon = f[2].find(':');
    if (colon != std::string::npos) {
        double minutes, seconds;
        if (!WholeValue(TextValue(f[2].substr(0, colon)) * 60, LongMin, LongMax, minutes)) return;
        if (!WholeValue(TextValue(f[2].substr(colon + 1)), LongMin, LongMax, seconds)) return;
        if (!WholeValue(minutes + seconds, LongMin, LongMax, base)) return;
    } else if (!WholeValue(TextValue(f[2]) * 60, LongMin, LongMax, base)) {
        return;
    }
    if (!WholeValue(TextValue(f[3]), LongMin, LongMax, increment)) return;
    MovesPerControl = static_cast<int32_t>(moves);
    BaseTime = static_cast<int32_t>(base);
    TimeIncrement = static_cast<int32_t>(increment);
    MaxDepth = 30;
    TimeLeft = static_cast<float>(BaseTime);
    OpponentTimeLeft = TimeLeft;
}

// A clock reading in centiseconds, as seconds; false when it does not fit the clock variable.
bool ClockValue(const std::string& s, double limit, double& seconds) {
    seconds = TextValue(s) / 100;
    return std::isfinite(seconds) && std::fabs(seconds) <= limit;
}

void HandleMove(const std::string& cmd) {
    MoveRec m;
    if (PositionRejected || !FindMoveFromText(cmd, m)) {
        if (InGuiMode)
            SendLine(ItalianTexts() ? "Tocca a te! " : "It's Your Turn ");
        else
            SendLine("Illegal Move: \r\n" + cmd);
        return;
    }
    MakeGameMove(m);
    RecordMove(m);
    if (++RepetitionTable[PositionKey()] == 3) {
        GameResult = ResultRepetition;
        SendLine("1/2-1/2 {Pareggio per ripetizione mosse.}");
    }
}

// Handles one line; false when the rest of the chunk is to be dropped (quit).
bool HandleLine(const std::string& cmd) {
    if (IsMoveText(cmd)) {
        HandleMove(cmd);
        return true;
    }
    double v;
    if (cmd == "xboard" || cmd == "random" || cmd == "hard" || cmd == "easy" || cmd == "?") {
    } else if (StartsWith(cmd, "protover")) {
        if (WholeValue(TextValue(FromChar(cmd, 10)), IntegerMin, IntegerMax, v)) {
            ProtocolVersion = static_cast<int>(v);
            if (ProtocolVersion == 2) SendLine(FeatureLine);
        }
    } else if (StartsWith(cmd, "setboard")) {
        if (SetBoard(FromChar(cmd, 10))) {
            PositionRejected = false;
            if (InGuiMode) SendLine(BoardDiagram());
        } else {
            PositionRejected = true;
            SendLine("tellusererror Illegal position");
        }
    } else if (StartsWith(cmd, "ping ")) {
        SendLine("pong " + FromChar(cmd, 6));
    } else if (cmd == "new") {
        ResetGame();
        PositionRejected = false;
    } else if (cmd == "white") {
        WhiteToMove = true;
        EnginePlaysWhite = false;
    } else if (cmd == "black") {
        WhiteToMove = false;
        EnginePlaysWhite = true;
    } else if (cmd == "force") {
        ForceMode = true;
    } else if (cmd == "go") {
        EnginePlaysWhite = !EnginePlaysWhite;
        ForceMode = false;
    } else if (cmd == "remove") {
        TakeBack(2);
    } else if (cmd == "draw") {
        SendLine("tellics decline");
        SendLine(std::string(ProtocolVersion < 2 ? "tellics say " : "tellopponent ") + DrawRefusal);
    } else if (StartsWith(cmd, "time")) {
        if (ClockValue(FromChar(cmd, 5), std::numeric_limits<float>::max(), v))
            TimeLeft = static_cast<float>(v);
    } else if (StartsWith(cmd, "otim")) {
        if (ClockValue(FromChar(cmd, 5), std::numeric_limits<double>::max(), v)) OpponentTimeLeft = v;
    } else if (StartsWith(cmd, "level")) {
        Level(cmd);
    } else if (StartsWith(cmd, "st ")) {
        if (WholeValue(TextValue(FromChar(cmd, 3)), LongMin, LongMax, v)) {
            MovesPerControl = 1;
            BaseTime = static_cast<int32_t>(v);
            TimeIncrement = 0;
            MaxDepth = 30;
            TimeLeft = static_cast<float>(BaseTime);
            OpponentTimeLeft = TimeLeft;
        }
    } else if (StartsWith(cmd, "sd ")) {
        // A depth below one would leave the engine without a move to play.
        if (WholeValue(TextValue(FromChar(cmd, 3)), 1, IntegerMax, v)) {
            TimeIncrement = MovesPerControl = BaseTime = 0;
            TimeLeft = 0;
            OpponentTimeLeft = 0;
            MaxDepth = static_cast<int>(v);
        }
    } else if (cmd == "post" || cmd == "nopost") {
    } else if (StartsWith(cmd, "result")) {
        SendLine(FromChar(cmd, 8));
    } else if (StartsWith(cmd, "name") || StartsWith(cmd, "rating")) {
    } else if (cmd == "computer") {
        OpponentIsComputer = true;
    } else if (cmd == "allseeks") {
        SendLine("tellics seek " + ReadSetting("Seek1", "5 0 f"));
        SendLine("tellics seek " + ReadSetting("Seek2", "10 0 f"));
    } else if (cmd == "quit") {
        if (!QuitCapture) QuitProgram();
        QuitCapture();
        return false;
    } else if (InGuiMode && cmd == "writeepd-a") {
        SendLine(PositionKey());
    } else if (InGuiMode && cmd == "display-a") {
        SendLine(BoardDiagram());
    }
    // Anything else is not ours to answer.
    return true;
}
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

// Splits the chunk into lines (a carriage return counts as a line end) and handles each whole line;
// whatever follows the last line end is not a line yet.
void InterpretInput(const std::string& sChunk) {
    std::string line;
    for (char c : sChunk) {
        if (c == '\n' || c == '\r') {
            if (!HandleLine(line)) return;
            line.clear();
        } else {
            line += c;
        }
    }
}
