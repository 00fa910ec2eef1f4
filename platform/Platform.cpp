// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Platform.h"

#include <dlfcn.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <ctime>

double TimerSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool MonotonicClockWorks() {
    timespec ts;
    return clock_gettime(CLOCK_MONOTONIC, &ts) == 0;
}

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string s(path, static_cast<size_t>(n));
    const size_t slash = s.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : s.substr(0, slash));
}

bool RunProgramModule(const std::string& sPath, const char* sEntry, std::string& sError) {
    void* module = dlopen(sPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* entry = module ? dlsym(module, sEntry) : nullptr;
    if (!entry) {
        const char* why = dlerror();
        sError = why ? why : sPath + ": no " + sEntry;
        return false;
    }
    reinterpret_cast<void (*)()>(entry)();
    return true;
}

void IgnoreInterruptSignals() {
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

bool ConsoleInputWaiting(int nTimeoutMs) {
    pollfd p{STDIN_FILENO, POLLIN, 0};
    const int r = poll(&p, 1, nTimeoutMs < 0 ? 0 : nTimeoutMs);
    // A hang-up or an invalid descriptor counts as waiting: the next read reports the end of input.
    return r > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

namespace {
int WakeDescriptor() {
    static const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return fd;
}
}  // namespace

void WakeConsoleReader() {
    const uint64_t one = 1;
    // A full counter or a failed descriptor is still a wake-up pending or none possible: nothing to add.
    [[maybe_unused]] const ssize_t n = write(WakeDescriptor(), &one, sizeof one);
}

int WaitForConsoleEvent(int nTimeoutMs) {
    pollfd p[2] = {{STDIN_FILENO, POLLIN, 0}, {WakeDescriptor(), POLLIN, 0}};
    int r;
    do {
        r = poll(p, 2, nTimeoutMs < 0 ? -1 : nTimeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r <= 0) return 0;
    int events = 0;
    // A hang-up or an invalid descriptor counts as input: the next read reports the end of input.
    if (p[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) events |= ConsoleInput;
    if (p[1].revents & POLLIN) {
        uint64_t count;
        [[maybe_unused]] const ssize_t n = read(p[1].fd, &count, sizeof count);
        events |= ConsoleWake;
    }
    return events;
}

long ReadConsoleChunk(char* pBuffer, size_t nMax) {
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, pBuffer, nMax);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;
        return 0;  // any other failure: the input is gone for good
    }
}

static void WriteAll(int fd, const std::string& s) {
    size_t done = 0;
    while (done < s.size()) {
        const ssize_t n = write(fd, s.data() + done, s.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;  // the reader went away: nothing to be done
        }
    }
}

void WriteConsole(const std::string& sBytes) {
    WriteAll(STDOUT_FILENO, sBytes);
}

void WriteError(const std::string& sBytes) {
    WriteAll(STDERR_FILENO, sBytes);
}

void EndProcess(int nStatus) {
    close(STDIN_FILENO);
    close(STDOUT_FILENO);
    _exit(nStatus);
}
