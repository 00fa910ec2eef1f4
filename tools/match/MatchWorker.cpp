// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/match/MatchWorker.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <sstream>
#include <vector>

#include "tools/match/Openings.h"
#include "tools/match/Pgn.h"

namespace {

// A field of the one-line formats: no tab or line end inside.
std::string Flat(std::string s) {
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return s;
}

std::string Join(const std::vector<std::string>& words) {
    std::string s;
    for (const std::string& w : words) s += (s.empty() ? "" : " ") + w;
    return s;
}

void WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) _exit(1);  // the match is gone
        done += static_cast<size_t>(n);
    }
}

std::string Today() {
    char text[16];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(text, sizeof text, "%Y.%m.%d", &local);
    return text;
}

// An engine that answers readyok after ucinewgame, started anew when it is missing or does not answer (twice
// before giving up: a loaded machine can hold up one start).
bool Ready(std::unique_ptr<UciEngine>& engine, const EngineEntry& entry, double timeout, std::string& error) {
    if (engine && engine->NewGame(timeout)) return true;
    for (int attempt = 0; attempt < 2; ++attempt) {
        engine = std::make_unique<UciEngine>(entry);
        if (engine->Start(timeout) && engine->NewGame(timeout)) return true;
        error = engine->Error().empty() ? "no readyok from " + engine->Name() : engine->Error();
    }
    return false;
}

GameReport PlayJob(const MatchConfig& config, Referee& referee, UciEngine* engines[2], const GameJob& job) {
    UciEngine* colours[2] = {engines[job.FirstIsWhite ? 0 : 1], engines[job.FirstIsWhite ? 1 : 0]};
    const GameOutcome game = PlayGame(referee, colours, job.Start, config.Limit, config.Rules);
    GameReport r;
    r.Round = job.Round;
    r.WhitePoints2 = game.WhitePoints2;
    r.Failure = game.Failure;
    r.FaultByWhite = game.FaultByWhite;
    r.Clocks[0] = game.Clocks[0];
    r.Clocks[1] = game.Clocks[1];
    r.Reason = game.Reason;
    PgnHeader header;
    if (!config.Limit.HasClock()) header.Event += ", " + config.Limit.Describe();
    header.Date = Today();
    header.Round = std::to_string(job.Round);
    header.White = colours[0]->Name();
    header.Black = colours[1]->Name();
    if (config.Limit.HasClock())
        header.TimeControl = config.Limit.Describe().substr(0, config.Limit.Describe().find(','));
    r.Pgn = FormatPgn(header, job.Start, game);
    return r;
}

}  // namespace

std::string EncodeJob(const GameJob& job) {
    const GameStart& s = job.Start;
    return std::to_string(job.Round) + "\t" + (job.FirstIsWhite ? "1" : "0") + "\t" + s.Fen + "\t" +
           Join(s.Moves) + "\t" + std::to_string(s.RandomPlies) + "\t" + Flat(s.Eco) + "\t" + Flat(s.Name) +
           "\n";
}

bool DecodeJob(const std::string& line, GameJob& job) {
    std::vector<std::string> c = SplitTabs(line.substr(0, line.find('\n')));
    if (c.size() < 5) return false;
    c.resize(7);
    job.Round = std::atoll(c[0].c_str());
    job.FirstIsWhite = c[1] == "1";
    job.Start.Fen = c[2];
    std::istringstream moves(c[3]);
    job.Start.Moves.clear();
    for (std::string m; moves >> m;) job.Start.Moves.push_back(m);
    job.Start.RandomPlies = std::atoi(c[4].c_str());
    job.Start.Eco = c[5];
    job.Start.Name = c[6];
    return true;
}

std::string EncodeReport(const GameReport& r) {
    if (!r.FatalError.empty()) return "fatal\t" + Flat(r.FatalError) + "\n";
    std::string clocks;
    for (const ClockUse& c : r.Clocks) {
        char text[96];
        std::snprintf(text, sizeof text, "%.4f\t%.4f\t%d\t%d\t", c.LeastLeft, c.Thinking, c.Moves,
                      c.LateMoves);
        clocks += text;
    }
    return "game\t" + std::to_string(r.Round) + "\t" + std::to_string(r.WhitePoints2) + "\t" +
           std::to_string(static_cast<int>(r.Failure)) + "\t" + (r.FaultByWhite ? "1" : "0") + "\t" + clocks +
           Flat(r.Reason) + "\t" + std::to_string(r.Pgn.size()) + "\n" + r.Pgn;
}

bool TakeReport(std::string& buffer, GameReport& r) {
    const size_t end = buffer.find('\n');
    if (end == std::string::npos) return false;
    const std::vector<std::string> c = SplitTabs(buffer.substr(0, end));
    if (!c.empty() && c[0] == "fatal") {
        r.FatalError = c.size() > 1 ? c[1] : "worker failed";
        buffer.erase(0, end + 1);
        return true;
    }
    if (c.size() < 15) {
        r.FatalError = "unreadable report from a worker";
        buffer.erase(0, end + 1);
        return true;
    }
    const size_t pgnBytes = std::strtoull(c[14].c_str(), nullptr, 10);
    if (buffer.size() < end + 1 + pgnBytes) return false;
    r.Round = std::atoll(c[1].c_str());
    r.WhitePoints2 = std::atoi(c[2].c_str());
    r.Failure = static_cast<Fault>(std::atoi(c[3].c_str()));
    r.FaultByWhite = c[4] == "1";
    for (int side = 0; side < 2; ++side) {
        const std::string* f = &c[5 + 4 * side];
        r.Clocks[side].LeastLeft = std::strtod(f[0].c_str(), nullptr);
        r.Clocks[side].Thinking = std::strtod(f[1].c_str(), nullptr);
        r.Clocks[side].Moves = std::atoi(f[2].c_str());
        r.Clocks[side].LateMoves = std::atoi(f[3].c_str());
    }
    r.Reason = c[13];
    r.Pgn = buffer.substr(end + 1, pgnBytes);
    buffer.erase(0, end + 1 + pgnBytes);
    return true;
}

void WorkerMain(const MatchConfig& config, int jobFd, int reportFd) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // no worker outlives the match
    std::signal(SIGINT, SIG_IGN);      // the match decides when to stop
    FILE* jobs = fdopen(jobFd, "r");
    std::unique_ptr<UciEngine> engines[2];
    Referee referee;
    char* line = nullptr;
    size_t capacity = 0;
    while (jobs && getline(&line, &capacity, jobs) > 0) {
        GameJob job;
        if (!DecodeJob(line, job)) continue;
        GameReport report;
        if (config.Restart) engines[0].reset(), engines[1].reset();
        for (int k = 0; k < 2 && report.FatalError.empty(); ++k) {
            std::string error;
            if (!Ready(engines[k], config.Engines[k], config.StartSeconds, error)) report.FatalError = error;
        }
        if (report.FatalError.empty()) {
            UciEngine* both[2] = {engines[0].get(), engines[1].get()};
            report = PlayJob(config, referee, both, job);
        }
        WriteAll(reportFd, EncodeReport(report));
        if (!report.FatalError.empty()) break;
        // An engine that crashed, hung or overran its clock (it may be thinking still) starts afresh.
        if (report.Failure == Fault::Crash || report.Failure == Fault::Hang ||
            report.Failure == Fault::TimeLoss)
            engines[report.FaultByWhite == job.FirstIsWhite ? 0 : 1].reset();
    }
    engines[0].reset();
    engines[1].reset();
    _exit(0);
}
