// SPDX-License-Identifier: GPL-3.0-or-later
// talvor-match: a match between two UCI engines under a strict referee, with Elo, pentanomial pair counts
// and an SPRT that stops the match as soon as it decides. See docs/match.md.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tools/match/Match.h"
#include "tools/match/Openings.h"

namespace {

const char kUsage[] =
    "usage: talvor-match --engine cmd=COMMAND [name=NAME] [dir=FOLDER] [option.NAME=VALUE ...]\n"
    "                    --engine cmd=COMMAND [...]     (results are from the first engine's view)\n"
    "                    [--each FIELD ...]               (fields for both engines, e.g. option.Hash=16)\n"
    "                    --tc SECONDS[+INCREMENT] | --nodes N | --depth D | --st SECONDS   (may combine)\n"
    "                    [--games N] [--concurrency J] [--sprt elo0=0 elo1=5 alpha=0.05 beta=0.05\n"
    "                    [model=normalized|logistic]] [--openings FILE] [--seed N] [--random-plies N]\n"
    "                    [--no-adjudication] [--margin MS] [--timeout SECONDS] [--restart] [--pgn FILE]\n"
    "                    [--summary FILE] [--report PAIRS]\n";

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "talvor-match: %s\n%s", message.c_str(), kUsage);
    std::exit(2);
}

double Number(const std::string& text, const char* what, double least, double most) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v) || v < least || v > most)
        Fail(std::string("bad ") + what + ": " + text);
    return v;
}

// "5+0.05", "5", "1:30+1": the base (minutes:seconds allowed) and the increment, in seconds.
void ReadTimeControl(const std::string& text, Limits& limits) {
    const size_t plus = text.find('+');
    std::string base = text.substr(0, plus);
    double minutes = 0;
    if (const size_t colon = base.find(':'); colon != std::string::npos) {
        minutes = Number(base.substr(0, colon), "minutes", 0, 10000);
        base = base.substr(colon + 1);
    }
    limits.Base = minutes * 60 + Number(base, "time control", 0, 1e6);
    limits.Increment = plus == std::string::npos ? 0 : Number(text.substr(plus + 1), "increment", 0, 1e4);
    if (limits.Base <= 0) Fail("the time control needs a base time above zero");
}

// The engine's name for the games when none is given: its program's file name.
void NameEngines(MatchConfig& config) {
    for (EngineEntry& e : config.Engines) {
        if (e.Command.empty()) Fail("each --engine needs cmd=");
        if (e.Name.empty()) e.Name = e.Command[0].substr(e.Command[0].rfind('/') + 1);
    }
    if (config.Engines[0].Name == config.Engines[1].Name) {
        config.Engines[0].Name += "-1";
        config.Engines[1].Name += "-2";
    }
}

class Arguments {
  public:
    Arguments(int argc, char** argv) : args_(argv + 1, argv + argc) {}

    MatchConfig Read() {
        MatchConfig c;
        std::vector<std::string> each;
        int engines = 0;
        bool seeded = false;
        while (at_ < args_.size()) {
            const std::string flag = args_[at_++];
            if (flag == "--engine") {
                if (engines == 2) Fail("two engines play a match");
                for (const std::string& f : Fields()) AddField(f, c.Engines[engines]);
                ++engines;
            } else if (flag == "--each") {
                for (const std::string& f : Fields()) each.push_back(f);
            } else if (flag == "--tc") {
                ReadTimeControl(Value(flag), c.Limit);
            } else if (flag == "--nodes") {
                c.Limit.Nodes = static_cast<long long>(Number(Value(flag), "node count", 1, 1e15));
            } else if (flag == "--depth") {
                c.Limit.Depth = static_cast<int>(Number(Value(flag), "depth", 1, 200));
            } else if (flag == "--st") {
                c.Limit.MoveTime = Number(Value(flag), "seconds a move", 0.001, 1e5);
            } else if (flag == "--margin") {
                c.Limit.MarginSeconds = Number(Value(flag), "margin", 0, 1e6) / 1000;
            } else if (flag == "--timeout") {
                c.Limit.HangSeconds = Number(Value(flag), "timeout", 0.01, 1e6);
            } else if (flag == "--games") {
                c.Games = static_cast<long long>(Number(Value(flag), "game count", 1, 1e9));
            } else if (flag == "--concurrency") {
                c.Concurrency = static_cast<int>(Number(Value(flag), "concurrency", 1, 256));
            } else if (flag == "--sprt") {
                std::string text, error;
                for (const std::string& f : Fields()) text += f + " ";
                if (!ParseSprt(text, c.SprtTest, error)) Fail("--sprt: " + error);
                c.Sprt = true;
            } else if (flag == "--openings") {
                c.OpeningsPath = Value(flag);
            } else if (flag == "--seed") {
                c.Seed = static_cast<uint64_t>(Number(Value(flag), "seed", 0, 1.8e19));
                seeded = true;
            } else if (flag == "--random-plies") {
                c.RandomPlies = static_cast<int>(Number(Value(flag), "random plies", 0, 200));
            } else if (flag == "--restart") {
                c.Restart = true;
            } else if (flag == "--no-adjudication") {
                c.Rules.Enabled = false;
            } else if (flag == "--pgn") {
                c.PgnPath = Value(flag);
            } else if (flag == "--summary") {
                c.SummaryPath = Value(flag);
            } else if (flag == "--report") {
                c.ReportEveryPairs = static_cast<int>(Number(Value(flag), "report interval", 0, 1e9));
            } else if (flag == "--help" || flag == "-h") {
                std::fputs(kUsage, stdout);
                std::exit(0);
            } else {
                Fail("unknown argument " + flag);
            }
        }
        if (engines != 2) Fail("two --engine are needed");
        for (EngineEntry& e : c.Engines)
            for (const std::string& f : each) AddField(f, e);
        NameEngines(c);
        if (!c.Limit.Any()) Fail("give a limit: --tc, --nodes, --depth or --st");
        if (c.OpeningsPath.empty()) c.OpeningsPath = DefaultOpeningsPath();
        if (c.OpeningsPath.empty()) Fail("no openings file found: give --openings FILE");
        if (!seeded) c.Seed = std::random_device{}();
        return c;
    }

  private:
    std::string Value(const std::string& flag) {
        if (at_ >= args_.size()) Fail(flag + " needs a value");
        return args_[at_++];
    }

    // The words after a flag up to the next flag.
    std::vector<std::string> Fields() {
        std::vector<std::string> fields;
        while (at_ < args_.size() && args_[at_].rfind("--", 0) != 0) fields.push_back(args_[at_++]);
        return fields;
    }

    static void AddField(const std::string& field, EngineEntry& entry) {
        std::string error;
        if (!AddEngineField(field, entry, error)) Fail(error);
    }

    std::vector<std::string> args_;
    size_t at_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const MatchConfig config = Arguments(argc, argv).Read();
    return RunMatch(config);
}
