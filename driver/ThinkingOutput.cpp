// SPDX-License-Identifier: GPL-3.0-or-later
#include "driver/ThinkingOutput.h"

#include <cmath>

namespace {

int WholeSeconds(double dSeconds) {
    return dSeconds > 0 ? static_cast<int>(std::floor(dSeconds)) : 0;
}

// The protocol's time column, in centiseconds: an interface shows it as the line's thinking time.
int64_t Centiseconds(const ThinkingReport& report) {
    if (!report.Hundredths) return int64_t{WholeSeconds(report.Seconds)} * 100;
    return report.Seconds > 0 ? static_cast<int64_t>(std::llround(report.Seconds * 100)) : 0;
}

// " e2e4 e7e5 ..." (empty for no moves). The window has always shown the squares alone.
std::string LineText(const ThinkingReport& report, bool bLetters) {
    std::string s;
    for (const MoveRec& m : report.Line) {
        s += ' ';
        s += bLetters ? MoveToText(m) : SquareText(m.From) + SquareText(m.To);
    }
    return s;
}

}  // namespace

std::string ScoreText(int32_t nScore) {
    const int64_t a = nScore < 0 ? -static_cast<int64_t>(nScore) : nScore;
    std::string s = nScore < 0 ? "-" : "+";
    s += std::to_string(a / 100);
    s += '.';
    s += static_cast<char>('0' + a % 100 / 10);
    s += static_cast<char>('0' + a % 10);
    return s;
}

std::string ThinkingLine(ThinkingFace face, const ThinkingReport& report) {
    const int seconds = WholeSeconds(report.Seconds);
    const std::string d = std::to_string(report.Depth);
    const std::string nodes = std::to_string(report.Nodes);
    switch (face) {
        case ThinkingFace::Protocol:
            return d + " " + std::to_string(report.Score) + " " + std::to_string(Centiseconds(report)) + " " +
                   nodes + LineText(report, true);
        case ThinkingFace::Italian:
            return "Prof. " + d + " Valore " + ScoreText(report.Score) + " Tempo " + std::to_string(seconds) +
                   " Sec. Nodi " + nodes + " Mosse" + LineText(report, false);
        case ThinkingFace::English:
            break;
    }
    return "Depth " + d + " Score " + ScoreText(report.Score) + " Time " + std::to_string(seconds) +
           " Sec. Nodes " + nodes + " Moves" + LineText(report, false);
}

void ThinkingOutput::NewBest(const ThinkingReport& report) {
    // The protocol has one best line at a time: the other lines are shown only once they are done.
    if (report.MultiPv > 1) return;
    SendLine(ThinkingLine(face_, report), tag_);
}

void ThinkingOutput::IterationDone(const ThinkingReport& report) {
    if (report.MultiPv == 1) lastLine_ = report.Line;
    SendLine(ThinkingLine(face_, report), tag_);
    if (kibitz_)
        SendLine("tellics kibitz " + ScoreText(report.Score) + " (" + std::to_string(report.Depth) +
                     "):" + LineText(report, face_ == ThinkingFace::Protocol),
                 tag_);
}

void ThinkingOutput::BookMove(int nPly, int nBookPlies) {
    SendLine("1 0 0 1 {Book " + std::to_string(nPly) + "/" + std::to_string(nBookPlies) + "}", tag_);
}
