// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/match/Match.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <map>
#include <vector>

#include "tools/match/MatchWorker.h"
#include "tools/match/Openings.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

struct Worker {
    pid_t Pid = -1;
    int JobFd = -1, ReportFd = -1;
    bool Busy = false;
    GameJob Job;
    std::string Buffer;
};

// Faults of one engine: how many of each kind and in which games.
struct FaultLog {
    std::map<Fault, std::vector<long long>> Games;
    int Count() const {
        int n = 0;
        for (const auto& [fault, games] : Games) n += static_cast<int>(games.size());
        return n;
    }
};

struct ClockTotals {
    double LeastLeft = INFINITY, Thinking = 0;
    long long Moves = 0, LateMoves = 0;
};

std::string Signed(double v, const char* format = "%+.1f") {
    if (std::isinf(v)) return v > 0 ? "+inf" : "-inf";
    char text[32];
    std::snprintf(text, sizeof text, format, std::fabs(v) < 0.05 ? 0.0 : v);  // never "-0.0"
    return text;
}

class MatchRun {
  public:
    explicit MatchRun(const MatchConfig& config) : config_(config), random_(config.Seed) {}

    int Run() {
        if (!Prepare()) return 1;
        std::signal(SIGINT, OnInterrupt);
        std::signal(SIGTERM, OnInterrupt);
        std::signal(SIGPIPE, SIG_IGN);
        start_ = std::chrono::steady_clock::now();
        const int workers = std::max(1, config_.Concurrency);
        for (int i = 0; i < workers; ++i) workers_.push_back(Spawn());
        Loop();
        Shutdown();
        PrintSummary(stdout);
        WriteSummaryFile();
        if (pgn_) std::fclose(pgn_);
        return fatal_.empty() ? 0 : 1;
    }

  private:
    bool Prepare() {
        std::string error;
        if (!ReadOpenings(config_.OpeningsPath, openings_, error)) {
            std::fprintf(stderr, "talvor-match: %s\n", error.c_str());
            return false;
        }
        Shuffle(openings_, random_);
        if (!config_.PgnPath.empty() && !(pgn_ = std::fopen(config_.PgnPath.c_str(), "we"))) {
            std::fprintf(stderr, "talvor-match: cannot write %s\n", config_.PgnPath.c_str());
            return false;
        }
        cap_ = config_.Games > 0 ? config_.Games : config_.Sprt ? 0 : 100;
        return true;
    }

    Worker Spawn() {
        int jobs[2], reports[2];
        Worker w;
        if (pipe(jobs) != 0 || pipe(reports) != 0) return w;
        std::fflush(nullptr);
        w.Pid = fork();
        if (w.Pid < 0) {
            for (int fd : {jobs[0], jobs[1], reports[0], reports[1]}) close(fd);
            return Worker{};
        }
        if (w.Pid == 0) {
            setpgid(0, 0);  // the worker and its engines: one group, ended together
            close(jobs[1]);
            close(reports[0]);
            for (const Worker& other : workers_) close(other.JobFd), close(other.ReportFd);
            WorkerMain(config_, jobs[0], reports[1]);
        }
        setpgid(w.Pid, w.Pid);
        close(jobs[0]);
        close(reports[1]);
        w.JobFd = jobs[1];
        w.ReportFd = reports[0];
        return w;
    }

    void Loop() {
        for (;;) {
            if (interrupted && !stopping_) Stop("interrupted");
            for (Worker& w : workers_)
                if (!w.Busy && !stopping_) Dispatch(w);
            std::vector<pollfd> fds;
            std::vector<Worker*> busy;
            for (Worker& w : workers_)
                if (w.Busy) fds.push_back({w.ReportFd, POLLIN, 0}), busy.push_back(&w);
            if (busy.empty()) return;
            if (poll(fds.data(), fds.size(), 500) <= 0) continue;
            for (size_t i = 0; i < busy.size(); ++i)
                if (fds[i].revents) Collect(*busy[i]);
        }
    }

    // Gives the worker the next game, if there is one to play.
    void Dispatch(Worker& w) {
        if (w.Pid <= 0 || (cap_ > 0 && nextRound_ > cap_)) return;
        GameJob job;
        job.Round = nextRound_;
        job.FirstIsWhite = nextRound_ % 2 == 1;
        if (job.FirstIsWhite && !NextOpening()) return Stop("no opening can be played");
        job.Start = pairStart_;
        ++nextRound_;
        if (!Hand(w, job)) Lost(w);
    }

    // The worker has the game from now on; false when it could not take it (it is gone).
    static bool Hand(Worker& w, const GameJob& job) {
        w.Busy = true;
        w.Job = job;
        const std::string line = EncodeJob(job);
        return w.Pid > 0 && write(w.JobFd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    }

    // The start of the next pair: the next opening that can be played, with its random plies.
    bool NextOpening() {
        for (size_t tried = 0; tried < openings_.size(); ++tried) {
            const GameStart& o = openings_[nextOpening_++ % openings_.size()];
            if (PrepareStart(referee_, o, config_.RandomPlies, random_, pairStart_)) return true;
            if (nextOpening_ <= openings_.size())
                std::fprintf(stderr, "talvor-match: opening skipped (illegal, or the game ends in it): %s\n",
                             o.Name.empty() ? o.Fen.c_str() : o.Name.c_str());
        }
        return false;
    }

    void Collect(Worker& w) {
        char chunk[65536];
        const ssize_t n = read(w.ReportFd, chunk, sizeof chunk);
        if (n <= 0) return Lost(w);
        w.Buffer.append(chunk, static_cast<size_t>(n));
        GameReport report;
        while (w.Busy && TakeReport(w.Buffer, report)) {
            w.Busy = false;
            if (!report.FatalError.empty()) {
                fatal_ = report.FatalError;
                std::fprintf(stderr, "talvor-match: %s\n", fatal_.c_str());
                Stop("an engine cannot be started");
            } else {
                Record(report, w.Job);
            }
        }
    }

    // A worker that died: its game is played again by a new one, a few times at most.
    void Lost(Worker& w) {
        close(w.JobFd);
        close(w.ReportFd);
        if (w.Pid > 0) waitpid(w.Pid, nullptr, 0);
        const GameJob job = w.Job;
        const bool busy = w.Busy;
        w = Worker{};
        if (!busy || stopping_) return;
        if (++respawns_ > 3) return Stop("workers keep failing");
        std::fprintf(stderr, "talvor-match: a worker died in game %lld; playing it again\n", job.Round);
        w = Spawn();
        if (!Hand(w, job)) Lost(w);
    }

    void Record(const GameReport& r, const GameJob& job) {
        const int firstPoints2 = job.FirstIsWhite ? r.WhitePoints2 : 2 - r.WhitePoints2;
        (firstPoints2 == 2 ? wdl_.Wins : firstPoints2 == 1 ? wdl_.Draws : wdl_.Losses)++;
        for (int colour = 0; colour < 2; ++colour) {
            const int engine = (colour == 0) == job.FirstIsWhite ? 0 : 1;
            ClockTotals& t = clocks_[engine];
            t.LeastLeft = std::min(t.LeastLeft, r.Clocks[colour].LeastLeft);
            t.Thinking += r.Clocks[colour].Thinking;
            t.Moves += r.Clocks[colour].Moves;
            t.LateMoves += r.Clocks[colour].LateMoves;
        }
        if (r.Failure != Fault::None) {
            const int engine = r.FaultByWhite == job.FirstIsWhite ? 0 : 1;
            faults_[engine].Games[r.Failure].push_back(r.Round);
            std::fprintf(stderr, "game %lld: %s (%s)\n", r.Round, r.Reason.c_str(), FaultName(r.Failure));
        }
        if (pgn_) {
            std::fputs(r.Pgn.c_str(), pgn_);
            std::fflush(pgn_);
        }
        const long long pair = (r.Round - 1) / 2;
        int& half = halfPairs_[pair];
        if (half == 0) {
            half = firstPoints2 + 1;  // stored plus one: zero means no game yet
            return;
        }
        ++penta_.Pairs[half - 1 + firstPoints2];
        halfPairs_.erase(pair);
        AfterPair();
    }

    void AfterPair() {
        if (config_.ReportEveryPairs > 0 && penta_.Count() % config_.ReportEveryPairs == 0) PrintProgress();
        if (!config_.Sprt) return;
        llr_ = LogLikelihoodRatio(config_.SprtTest, penta_);
        verdict_ = VerdictOf(config_.SprtTest, llr_);
        if (verdict_ != SprtVerdict::Continue)
            Stop(verdict_ == SprtVerdict::AcceptH1 ? "H1 accepted" : "H0 accepted");
    }

    // No more games; those still running are ended at once (their pairs would not count).
    void Stop(const std::string& why) {
        stopping_ = true;
        stopReason_ = why;
        for (Worker& w : workers_) {
            if (!w.Busy) continue;
            kill(-w.Pid, SIGKILL);
            close(w.JobFd);
            close(w.ReportFd);
            waitpid(w.Pid, nullptr, 0);
            w = Worker{};
        }
    }

    void Shutdown() {
        for (Worker& w : workers_) {
            if (w.Pid <= 0) continue;
            close(w.JobFd);  // the end of its jobs: it quits its engines and leaves
            close(w.ReportFd);
            waitpid(w.Pid, nullptr, 0);
        }
        workers_.clear();
    }

    double Llr() const {
        return std::fabs(llr_) < 0.005 ? 0.0 : llr_;  // never "-0.00"
    }

    EloEstimate Elo() const { return EstimateElo(penta_.Count() > 0 ? SampleOf(penta_) : SampleOf(wdl_)); }

    std::string Pairs() const {
        char text[96];
        std::snprintf(text, sizeof text, "[%d, %d, %d, %d, %d]", penta_.Pairs[0], penta_.Pairs[1],
                      penta_.Pairs[2], penta_.Pairs[3], penta_.Pairs[4]);
        return text;
    }

    std::string SprtLine() const {
        char text[200];
        const SprtSettings& s = config_.SprtTest;
        std::snprintf(text, sizeof text, "LLR %.2f [%.2f, %.2f] (elo0=%g elo1=%g alpha=%g beta=%g, %s)",
                      Llr(), s.LowerBound(), s.UpperBound(), s.Elo0, s.Elo1, s.Alpha, s.Beta,
                      s.Normalized ? "normalized" : "logistic");
        return text;
    }

    void PrintProgress() const {
        const EloEstimate e = Elo();
        std::fprintf(stderr, "games %d (+%d =%d -%d), Elo %s +- %s, pairs %s%s%s\n", wdl_.Games(), wdl_.Wins,
                     wdl_.Draws, wdl_.Losses, Signed(e.Elo).c_str(), Signed(e.Error(), "%.1f").c_str(),
                     Pairs().c_str(), config_.Sprt ? ", " : "", config_.Sprt ? SprtLine().c_str() : "");
    }

    std::string FaultText(int engine) const {
        const FaultLog& log = faults_[engine];
        if (log.Count() == 0) return "none";
        std::string text;
        for (const auto& [fault, games] : log.Games) {
            text +=
                (text.empty() ? "" : "; ") + std::to_string(games.size()) + " " + FaultName(fault) + " (game";
            text += games.size() > 1 ? "s" : "";
            for (size_t i = 0; i < games.size() && i < 20; ++i)
                text += (i ? ", " : " ") + std::to_string(games[i]);
            text += games.size() > 20 ? ", ...)" : ")";
        }
        return text;
    }

    std::string ClockText(int engine) const {
        const ClockTotals& t = clocks_[engine];
        char text[200];
        const double mean = t.Moves ? t.Thinking / t.Moves : 0;
        if (config_.Limit.HasClock() && std::isfinite(t.LeastLeft))
            std::snprintf(
                text, sizeof text,
                "%.3f s a move on average, least time left after a move %.3f s, %lld moves past the clock "
                "within the margin",
                mean, t.LeastLeft, t.LateMoves);
        else
            std::snprintf(text, sizeof text, "%.3f s a move on average", mean);
        return text;
    }

    void PrintSummary(FILE* out) const {
        const char* names[2] = {config_.Engines[0].Name.c_str(), config_.Engines[1].Name.c_str()};
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const EloEstimate e = Elo();
        std::fprintf(out, "%s against %s: %s, %d games (%d pairs), seed %llu\n", names[0], names[1],
                     config_.Limit.Describe().c_str(), wdl_.Games(), penta_.Count(),
                     static_cast<unsigned long long>(config_.Seed));
        const ScoreSample s = SampleOf(wdl_);
        std::fprintf(out, "W/D/L %d/%d/%d, score %.1f%%\n", wdl_.Wins, wdl_.Draws, wdl_.Losses, 100 * s.Mean);
        std::fprintf(out, "Elo %s +- %s (95%%: %s to %s), nElo %s, from %s\n", Signed(e.Elo).c_str(),
                     Signed(e.Error(), "%.1f").c_str(), Signed(e.Low).c_str(), Signed(e.High).c_str(),
                     Signed(e.NormalizedElo).c_str(), penta_.Count() > 0 ? "the pairs" : "the games");
        std::fprintf(out, "pairs (0, 0.5, 1, 1.5, 2 points): %s\n", Pairs().c_str());
        if (config_.Sprt)
            std::fprintf(out, "SPRT %s: %s\n", SprtLine().c_str(),
                         verdict_ == SprtVerdict::AcceptH1   ? "H1 accepted"
                         : verdict_ == SprtVerdict::AcceptH0 ? "H0 accepted"
                                                             : "no verdict");
        for (int k = 0; k < 2; ++k) std::fprintf(out, "faults %s: %s\n", names[k], FaultText(k).c_str());
        for (int k = 0; k < 2; ++k) std::fprintf(out, "clock %s: %s\n", names[k], ClockText(k).c_str());
        std::fprintf(out, "%.0f s, %.0f games an hour%s%s\n", seconds,
                     seconds > 0 ? wdl_.Games() * 3600 / seconds : 0,
                     stopReason_.empty() ? "" : "; stopped: ", stopReason_.c_str());
    }

    // For scripts: one key=value a line.
    void WriteSummaryFile() const {
        if (config_.SummaryPath.empty()) return;
        FILE* f = std::fopen(config_.SummaryPath.c_str(), "w");
        if (!f) return;
        const EloEstimate e = Elo();
        std::fprintf(f, "games=%d\nwins=%d\ndraws=%d\nlosses=%d\npairs=%s\nelo=%s\nerror=%s\n", wdl_.Games(),
                     wdl_.Wins, wdl_.Draws, wdl_.Losses, Pairs().c_str(), Signed(e.Elo).c_str(),
                     Signed(e.Error(), "%.1f").c_str());
        std::fprintf(f, "control=%s\nllr=%.2f\nlower=%.2f\nupper=%.2f\n", config_.Limit.Describe().c_str(),
                     Llr(), config_.SprtTest.LowerBound(), config_.SprtTest.UpperBound());
        std::fprintf(f, "verdict=%s\nfaults=%d\n",
                     !config_.Sprt                       ? "none"
                     : verdict_ == SprtVerdict::AcceptH1 ? "H1"
                     : verdict_ == SprtVerdict::AcceptH0 ? "H0"
                                                         : "undecided",
                     faults_[0].Count() + faults_[1].Count());
        std::fclose(f);
    }

    const MatchConfig& config_;
    Random random_;
    std::vector<GameStart> openings_;
    size_t nextOpening_ = 0;
    GameStart pairStart_;
    Referee referee_;  // this process's board: the openings are checked on it before the games
    std::vector<Worker> workers_;
    long long nextRound_ = 1, cap_ = 0;
    int respawns_ = 0;
    bool stopping_ = false;
    std::string stopReason_, fatal_;
    FILE* pgn_ = nullptr;
    WinDrawLoss wdl_;
    Pentanomial penta_;
    std::map<long long, int> halfPairs_;
    FaultLog faults_[2];
    ClockTotals clocks_[2];
    double llr_ = 0;
    SprtVerdict verdict_ = SprtVerdict::Continue;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace

int RunMatch(const MatchConfig& config) {
    MatchRun run(config);
    return run.Run();
}
