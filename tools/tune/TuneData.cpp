// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/tune/TuneData.h"

#include <sstream>

#include "eval/StrongEval.h"

namespace tune {

bool DataSet::Add(const bitboard::Position& pos, double result) {
    static thread_local eval::EvalTrace trace;
    eval::EvaluateTraced(pos, trace);
    if (trace.Decided) return false;
    Sample s{};
    s.Result = float(result);
    s.Value = trace.Value;
    s.Phase = uint8_t(trace.Phase);
    s.Scale[0] = uint8_t(trace.Scale[0]);
    s.Scale[1] = uint8_t(trace.Scale[1]);
    s.FirstTerm = uint32_t(terms_.size());
    s.FirstDanger = uint32_t(dangers_.size());
    int count = 0;
    const eval::WeightField* fields = eval::WeightFields(count);
    for (int f = 0; f < count; ++f) {
        const int end = fields[f].First + fields[f].Rows * fields[f].Columns;
        for (int i = fields[f].First; i < end; ++i) {
            const int16_t white = trace.Coefficient[i][0], black = trace.Coefficient[i][1];
            if (fields[f].Danger) {
                if (white != 0 || black != 0) dangers_.push_back({uint16_t(i), {white, black}});
            } else if (white != black) {
                terms_.push_back({uint16_t(i), int16_t(white - black)});
            }
        }
    }
    s.TermCount = uint16_t(terms_.size() - s.FirstTerm);
    s.DangerCount = uint16_t(dangers_.size() - s.FirstDanger);
    samples_.push_back(s);
    return true;
}

namespace {

bool ResultOf(std::string token, double& result) {
    while (!token.empty() && (token.back() == ';' || token.back() == '"' || token.back() == ']'))
        token.pop_back();
    while (!token.empty() && (token.front() == '"' || token.front() == '[')) token.erase(0, 1);
    if (token == "1-0" || token == "1.0" || token == "1") return result = 1.0, true;
    if (token == "0-1" || token == "0.0" || token == "0") return result = 0.0, true;
    if (token == "1/2-1/2" || token == "0.5") return result = 0.5, true;
    return false;
}

}  // namespace

bool ParseLine(const std::string& line, std::string& fen, double& result) {
    std::istringstream in(line);
    std::vector<std::string> tokens;
    for (std::string t; in >> t;) tokens.push_back(t);
    if (tokens.size() < 5 || !ResultOf(tokens.back(), result)) return false;
    // Four fields of FEN, and the two counters if they follow as numbers (EPD has opcodes there).
    size_t end = 4;
    while (end < 6 && end + 1 < tokens.size() &&
           tokens[end].find_first_not_of("0123456789") == std::string::npos)
        ++end;
    fen.clear();
    for (size_t i = 0; i < end; ++i) fen += (i ? " " : "") + tokens[i];
    return true;
}

LoadReport LoadPositions(std::istream& in, DataSet& data, size_t limit, std::ostream* progress) {
    LoadReport report;
    bitboard::Position pos;
    std::string fen;
    for (std::string line; (limit == 0 || report.Kept < limit) && std::getline(in, line);) {
        ++report.Lines;
        double result;
        if (!ParseLine(line, fen, result) || !pos.SetFen(fen)) {
            ++report.Unreadable;
            continue;
        }
        if (data.Add(pos, result))
            ++report.Kept;
        else
            ++report.Decided;
        if (progress != nullptr && report.Lines % 100000 == 0)
            *progress << "\r" << report.Lines << " lines read" << std::flush;
    }
    if (progress != nullptr) *progress << "\r" << report.Lines << " lines read\n";
    return report;
}

}  // namespace tune
