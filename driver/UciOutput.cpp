// SPDX-License-Identifier: GPL-3.0-or-later
#include "driver/UciOutput.h"

#include <cmath>

#include "driver/IOBas.h"
#include "platform/Platform.h"
#include "search/Search.h"

namespace {
// Scores this close to the mate value are mates: no line of the search is longer.
constexpr int32_t MateBound = ScoreInfinity - SearchPlies;
}  // namespace

// A side mated at ply p scores p - ScoreInfinity; the root's side moves at the odd plies.
std::string UciScore(int32_t nScore) {
    if (nScore >= MateBound) return "mate " + std::to_string((ScoreInfinity - nScore + 1) / 2);
    if (nScore <= -MateBound) return "mate -" + std::to_string((ScoreInfinity + nScore) / 2);
    return "cp " + std::to_string(nScore);
}

std::string UciInfoLine(const ThinkingReport& report, double dSeconds, bool bMultiPv) {
    if (report.Line.empty()) return "";
    const double seconds = dSeconds > 0 ? dSeconds : 0;
    const auto ms = static_cast<int64_t>(std::floor(seconds * 1000));
    const int64_t nps = seconds > 0 ? std::llround(report.Nodes / seconds) : 0;
    std::string s = "info depth " + std::to_string(report.Iteration);
    if (report.SelDepth > 0) s += " seldepth " + std::to_string(report.SelDepth);
    if (bMultiPv) s += " multipv " + std::to_string(report.MultiPv);
    s += " score " + UciScore(report.Score) + " nodes " + std::to_string(report.Nodes) + " nps " +
         std::to_string(nps);
    if (report.HashFull >= 0) s += " hashfull " + std::to_string(report.HashFull);
    s += " time " + std::to_string(ms) + " pv";
    for (const MoveRec& m : report.Line) s += " " + MoveToText(m);
    return s;
}

std::string UciBestMove(const MoveRec& move, const std::vector<MoveRec>& line) {
    if (move.From == 0) return "bestmove 0000";
    std::string s = "bestmove " + MoveToText(move);
    if (line.size() >= 2 && line[0] == move) s += " ponder " + MoveToText(line[1]);
    return s;
}

// Times count from the turn's start, for best moves and iterations alike. A best move the search found
// as it was being stopped is no best move: its score is that of a search cut short.
void UciThinking::NewBest(const ThinkingReport& report) {
    if (!report.CutShort) IterationDone(report);
}

void UciThinking::IterationDone(const ThinkingReport& report) {
    if (report.MultiPv == 1) lastLine_ = report.Line;
    const std::string line = UciInfoLine(report, TimerSeconds() - MoveStartTime, multiPv_);
    if (!line.empty()) SendLine(line);
}

// At most one a second: the interface shows it, it need not follow every move.
void UciThinking::CurrentMove(const MoveRec& move, int nNumber, int) {
    const double now = TimerSeconds();
    if (lastCurrentMove_ >= 0 && now - lastCurrentMove_ < 1) return;
    lastCurrentMove_ = now;
    SendLine("info currmove " + MoveToText(move) + " currmovenumber " + std::to_string(nNumber));
}

void UciThinking::BookMove(int nPly, int nBookPlies) {
    SendLine("info string book move " + std::to_string(nPly) + "/" + std::to_string(nBookPlies));
}
