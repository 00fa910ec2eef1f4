// SPDX-License-Identifier: GPL-3.0-or-later
// talvor-tune: fits the strong evaluation's weights to the results of games (Texel's method) and writes
// the weight table as source code. See docs/tuning.md.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "eval/Weights.h"
#include "tools/tune/Tuner.h"

namespace {

struct Options {
    std::string Data, Test, Out = "WeightValues.cpp";
    size_t Limit = 0;
    int Epochs = 500, Threads = int(std::max(1u, std::thread::hardware_concurrency()));
    double Rate = 1.0, K = 0;
    std::set<std::string> Frozen, Only;
};

void Usage() {
    std::cerr << "usage: talvor-tune DATA [--limit N] [--epochs N] [--rate CP] [--k K] [--threads N]\n"
                 "                   [--freeze FIELD,...] [--only FIELD,...] [--test DATA] [--out FILE]\n"
                 "DATA: one position a line, FEN and result ([1.0] [0.5] [0.0], or 1-0 1/2-1/2 0-1)\n"
                 "--test: positions kept apart (not tuned on): the weights written are those of the epoch\n"
                 "        that predicted them best\n";
}

std::set<std::string> Names(const std::string& list) {
    std::set<std::string> names;
    std::istringstream in(list);
    for (std::string name; std::getline(in, name, ',');) names.insert(name);
    return names;
}

bool ReadOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--limit" && hasValue)
            o.Limit = std::stoull(argv[++i]);
        else if (a == "--epochs" && hasValue)
            o.Epochs = std::atoi(argv[++i]);
        else if (a == "--rate" && hasValue)
            o.Rate = std::atof(argv[++i]);
        else if (a == "--k" && hasValue)
            o.K = std::atof(argv[++i]);
        else if (a == "--threads" && hasValue)
            o.Threads = std::max(1, std::atoi(argv[++i]));
        else if (a == "--freeze" && hasValue)
            o.Frozen = Names(argv[++i]);
        else if (a == "--only" && hasValue)
            o.Only = Names(argv[++i]);
        else if (a == "--out" && hasValue)
            o.Out = argv[++i];
        else if (a == "--test" && hasValue)
            o.Test = argv[++i];
        else if (!a.starts_with("--") && o.Data.empty())
            o.Data = a;
        else
            return false;
    }
    return !o.Data.empty();
}

// Which weights stay as they are: those of frozen fields, or of every field not named with --only.
std::vector<bool> FrozenWeights(const Options& o) {
    std::vector<bool> frozen(eval::WeightCount, false);
    int count = 0;
    const eval::WeightField* fields = eval::WeightFields(count);
    for (int f = 0; f < count; ++f) {
        const std::string name(fields[f].Name);
        const bool keep = o.Frozen.count(name) != 0 || (!o.Only.empty() && o.Only.count(name) == 0);
        for (int i = 0; i < fields[f].Rows * fields[f].Columns; ++i) frozen[fields[f].First + i] = keep;
    }
    return frozen;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ReadOptions(argc, argv, o)) {
        Usage();
        return 2;
    }
    std::ifstream in(o.Data);
    if (!in) {
        std::cerr << "talvor-tune: cannot read " << o.Data << "\n";
        return 1;
    }
    auto start = std::chrono::steady_clock::now();
    tune::DataSet data;
    const tune::LoadReport report = tune::LoadPositions(in, data, o.Limit, &std::cerr);
    std::printf("positions %zu (lines %zu, unreadable %zu, decided by endgame knowledge %zu), %.1f s\n",
                report.Kept, report.Lines, report.Unreadable, report.Decided, Seconds(start));
    if (data.Size() == 0) return 1;

    tune::DataSet test;
    if (!o.Test.empty()) {
        std::ifstream testIn(o.Test);
        const tune::LoadReport testReport = tune::LoadPositions(testIn, test, 0, nullptr);
        std::printf("test positions %zu (of %zu lines)\n", testReport.Kept, testReport.Lines);
    }

    tune::WeightVector weights = tune::CompiledWeights();
    double worst = 0;
    for (const tune::Sample& s : data.Samples())
        worst = std::max(worst, std::abs(tune::ModelValue(data, s, weights) - s.Value));
    std::printf("model against the program's evaluation: largest difference %.2f cp\n", worst);

    start = std::chrono::steady_clock::now();
    const double k = o.K > 0 ? o.K : tune::FitScale(data, weights, o.Threads);
    std::printf("K %.6f (%s), mean error %.6f, %.1f s\n", k, o.K > 0 ? "given" : "fitted",
                tune::MeanError(data, weights, k, o.Threads), Seconds(start));

    tune::AdamOptions adam;
    adam.Epochs = o.Epochs;
    adam.Rate = o.Rate;
    adam.Threads = o.Threads;
    adam.Frozen = FrozenWeights(o);
    adam.Apart = &test;
    start = std::chrono::steady_clock::now();
    adam.Progress = [&](int epoch, double error, double testError) {
        if (epoch % 10 != 0 && epoch != 1) return;
        std::fprintf(stderr, "\repoch %d error %.6f", epoch, error);
        if (testError >= 0) std::fprintf(stderr, " test %.6f", testError);
        std::fprintf(stderr, "  %.1f s", Seconds(start));
    };
    const tune::Fitted fitted = tune::Optimise(data, weights, k, adam);
    std::fprintf(stderr, "\n");
    std::printf("%d epochs, %.1f s (%.2f s an epoch)\n", o.Epochs, Seconds(start),
                Seconds(start) / std::max(1, o.Epochs));
    std::printf("kept: epoch %d, mean error %.6f", fitted.Epoch, fitted.Error);
    if (test.Size() > 0) std::printf(", test mean error %.6f -> %.6f", fitted.ApartStart, fitted.ApartError);
    std::printf("\n");

    std::ostringstream note;
    note << data.Size() << " positions of " << o.Data.substr(o.Data.find_last_of('/') + 1) << ", K " << k
         << ", " << fitted.Epoch << " epochs, mean error " << fitted.Error;
    std::ofstream out(o.Out);
    out << tune::WeightSource(weights, note.str());
    if (!out) {
        std::cerr << "talvor-tune: cannot write " << o.Out << "\n";
        return 1;
    }
    std::printf("weights written to %s\n", o.Out.c_str());
    return 0;
}
