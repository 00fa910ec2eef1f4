// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program behind pipes on its standard input, output and error: the transcript tests and the
// latency tool talk to the real engine through this.
#pragma once
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

class EngineProcess {
  public:
    explicit EngineProcess(const std::vector<std::string>& args) {
        signal(SIGPIPE, SIG_IGN);  // a dead engine must fail a write, not kill the caller
        int in[2], out[2], err[2];
        if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
            std::vector<char*> argv;
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        close(err[1]);
        in_ = in[1];
        out_ = out[0];
        err_ = err[0];
    }
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;
    ~EngineProcess() {
        CloseInput();
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        if (err_ >= 0) close(err_);
    }

    pid_t Pid() const { return pid_; }

    // Writes all of s (in as many writes as the pipe needs); false when the engine is gone.
    bool Write(const std::string& s) {
        size_t done = 0;
        while (done < s.size()) {
            const ssize_t n = write(in_, s.data() + done, s.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

    void CloseInput() {
        if (in_ >= 0) close(in_);
        in_ = -1;
    }

    // Collects output until it contains sUntil (true) or nTimeoutMs pass (false).
    bool ReadUntil(const std::string& sUntil, int nTimeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
        size_t from = 0;
        for (;;) {
            if (output_.find(sUntil, from) != std::string::npos) return true;
            from = output_.size() >= sUntil.size() ? output_.size() - sUntil.size() + 1 : 0;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !Pump(static_cast<int>(left.count()))) {
                return output_.find(sUntil) != std::string::npos;
            }
        }
    }

    // Waits for the engine to end; its exit status, or -1 when it is still running after nTimeoutMs.
    int WaitExit(int nTimeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
        for (;;) {
            if (exited_) return status_;
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                while (Pump(0)) {
                }
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return status_;
            }
            if (std::chrono::steady_clock::now() >= deadline) return -1;
            Pump(10);
        }
    }

    // Everything read from standard output since the last call.
    std::string TakeOutput() {
        std::string s;
        s.swap(output_);
        return s;
    }
    // Output up to and including the first sMark (all of it when absent); the rest stays for later.
    std::string TakeOutputThrough(const std::string& sMark) {
        const size_t at = output_.find(sMark);
        if (at == std::string::npos) return TakeOutput();
        std::string s = output_.substr(0, at + sMark.size());
        output_.erase(0, at + sMark.size());
        return s;
    }
    const std::string& ErrorOutput() const { return error_; }

  private:
    // Reads what is waiting on either pipe within nWaitMs; false when nothing more can come.
    bool Pump(int nWaitMs) {
        pollfd p[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if (poll(p, 2, nWaitMs) <= 0) return nWaitMs > 0;
        bool open = false;
        char buffer[65536];
        for (int i = 0; i < 2; ++i) {
            if (!p[i].revents) {
                open = true;
                continue;
            }
            const ssize_t n = read(p[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? output_ : error_).append(buffer, static_cast<size_t>(n));
                open = true;
            }
        }
        return open;
    }

    pid_t pid_ = -1;
    int in_ = -1, out_ = -1, err_ = -1;
    bool exited_ = false;
    int status_ = -1;
    std::string output_, error_;
};
