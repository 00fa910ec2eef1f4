// SPDX-License-Identifier: GPL-3.0-or-later
// One UCI engine behind pipes, as the referee talks to it: the handshake, a new game, a search with a
// deadline, and the last score and depth it reported.
#pragma once
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class EngineProcess;

struct EngineEntry {
    std::string Name;                  // as the games name it; empty: the engine's own "id name"
    std::vector<std::string> Command;  // program and arguments
    std::string Folder;                // working folder; empty: the referee's
    std::vector<std::pair<std::string, std::string>> Options;  // setoption name .. value ..
};
// Reads "cmd=PROGRAM ARGS", "name=NAME", "dir=FOLDER" and "option.NAME=VALUE" fields into entry (added to
// what it holds); false with a reason on a field it does not know.
bool AddEngineField(const std::string& field, EngineEntry& entry, std::string& error);
// Splits a command line at blanks; single or double quotes keep blanks inside a word.
std::vector<std::string> SplitCommand(const std::string& line);

// The score and depth of the last "info" line that had a score, from the mover's view.
struct SearchInfo {
    bool HasScore = false;
    bool Mate = false;  // Score is then moves to mate (negative: being mated)
    int Score = 0;      // centipawns, or moves to mate
    int Depth = 0;
};
// Reads one "info" line into info (fields it lacks leave info as it was).
void ReadInfoLine(const std::string& line, SearchInfo& info);

using Clock = std::chrono::steady_clock;

struct EngineReply {
    enum Kind { Moved, TooLate, Gone } Status = Gone;
    std::string Move;  // the bestmove text as sent ("(none)" and "0000" included)
    SearchInfo Info;
    double Seconds = 0;  // from the end of the go command to the bestmove line
};

class UciEngine {
  public:
    explicit UciEngine(EngineEntry entry);
    ~UciEngine();
    UciEngine(const UciEngine&) = delete;
    UciEngine& operator=(const UciEngine&) = delete;

    // Starts the program and waits for uciok and readyok (options set in between); false with Error() set.
    bool Start(double timeoutSeconds);
    // Clear Hash where the engine offers it, ucinewgame, then isready; false when no readyok comes in time.
    bool NewGame(double timeoutSeconds);
    // Sends the position and the go command; waits until the bestmove or the deadline.
    EngineReply Think(const std::string& position, const std::string& go, double limitSeconds);
    // After a deadline passed: stop, and wait for the bestmove it owes; false when none comes in time.
    bool StopThinking(double timeoutSeconds);
    // quit, a moment to leave, then the process is ended for sure.
    void Quit();

    const std::string& Name() const { return name_; }
    const std::string& Error() const { return error_; }

  private:
    std::optional<std::string> ReadLine(Clock::time_point deadline);
    bool Send(const std::string& line);
    bool WaitFor(const std::string& word, double timeoutSeconds);
    bool Exited();

    EngineEntry entry_;
    std::string name_, error_;
    std::unique_ptr<EngineProcess> process_;
    bool clearsHash_ = false;  // offers the Clear Hash button
};
