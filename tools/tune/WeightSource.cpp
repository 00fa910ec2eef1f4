// SPDX-License-Identifier: GPL-3.0-or-later
// Squares tables print eight to a line, rank 1 first, as the array holds them.
#include "tools/tune/WeightSource.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace tune {

using eval::WeightField;

WeightVector CompiledWeights() {
    const auto* scores = reinterpret_cast<const eval::Score*>(&eval::kWeights);
    WeightVector weights(eval::WeightCount);
    for (int i = 0; i < eval::WeightCount; ++i) weights[i] = {double(scores[i].Mg()), double(scores[i].Eg())};
    return weights;
}

namespace {

std::string PairText(const WeightPair& w) {
    std::ostringstream out;
    out << '{' << std::lround(w[0]) << ", " << std::lround(w[1]) << '}';
    return out.str();
}

// One row of a field: on one line if short, else eight a line.
void WriteRow(std::ostream& out, const WeightVector& weights, int first, int count,
              const std::string& indent) {
    if (count <= 8) {
        out << '{';
        for (int i = 0; i < count; ++i) out << (i ? ", " : "") << PairText(weights[first + i]);
        out << '}';
        return;
    }
    out << "{\n";
    for (int i = 0; i < count; i += 8) {
        out << indent << "    ";
        for (int j = i; j < std::min(i + 8, count); ++j) out << PairText(weights[first + j]) << ", ";
        out.seekp(-1, std::ios_base::cur);  // the blank after the last comma
        out << '\n';
    }
    out << indent << '}';
}

}  // namespace

std::string WeightSource(const WeightVector& weights, const std::string& note) {
    std::ostringstream out;
    out << "// SPDX-License-Identifier: GPL-3.0-or-later\n";
    // The comment in lines the formatter leaves as they are.
    std::istringstream words(
        "The strong evaluation's weights (middlegame, endgame), written by talvor-tune: " + note);
    std::string line, word;
    while (words >> word) {
        if (!line.empty() && line.size() + word.size() + 3 > 110) out << "//" << line << '\n', line.clear();
        line += ' ' + word;
    }
    out << "//" << line << '\n'
        << "#include \"eval/Weights.h\"\n\nnamespace eval {\n\n// clang-format off\nconst Weights kWeights = "
           "{\n";
    int count = 0;
    const WeightField* fields = eval::WeightFields(count);
    for (int f = 0; f < count; ++f) {
        const WeightField& field = fields[f];
        out << "    ." << field.Name << " = ";
        if (field.Columns == 1 && field.Rows == 1) {
            out << PairText(weights[field.First]);
        } else if (field.Rows == 1) {
            WriteRow(out, weights, field.First, field.Columns, "    ");
        } else {
            out << "{\n";
            for (int r = 0; r < field.Rows; ++r) {
                out << "        ";
                WriteRow(out, weights, field.First + r * field.Columns, field.Columns, "        ");
                out << ",\n";
            }
            out << "    }";
        }
        out << ",\n";
    }
    out << "};\n// clang-format on\n\n}  // namespace eval\n";
    return out.str();
}

}  // namespace tune
