// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/match/UciEngine.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <sstream>

#include "tools/latency/EngineProcess.h"

namespace {

// The program's path: as given when it names a folder, else found on PATH or among Debian's games.
std::string ResolveProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) return program;
    const char* path = std::getenv("PATH");
    std::istringstream folders(std::string(path ? path : "") + ":/usr/games");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return program;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/' || path.find('/') == std::string::npos) return path;
    char here[PATH_MAX];
    return getcwd(here, sizeof here) ? std::string(here) + "/" + path : path;
}

std::string FirstWord(const std::string& line) {
    return line.substr(0, line.find(' '));
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Clock::time_point After(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace

std::vector<std::string> SplitCommand(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (char c : line) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

bool AddEngineField(const std::string& field, EngineEntry& entry, std::string& error) {
    const size_t eq = field.find('=');
    const std::string key = field.substr(0, eq), value = eq == std::string::npos ? "" : field.substr(eq + 1);
    if (eq == std::string::npos) {
        error = "engine field '" + field + "' has no '='";
        return false;
    }
    if (key == "cmd") {
        entry.Command = SplitCommand(value);
    } else if (key == "name") {
        entry.Name = value;
    } else if (key == "dir") {
        entry.Folder = value;
    } else if (key.rfind("option.", 0) == 0 && key.size() > 7) {
        entry.Options.emplace_back(key.substr(7), value);
    } else {
        error = "unknown engine field '" + key + "' (cmd=, name=, dir=, option.NAME=)";
        return false;
    }
    return true;
}

void ReadInfoLine(const std::string& line, SearchInfo& info) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    while (in >> word) {
        if (word == "depth") {
            in >> info.Depth;
        } else if (word == "score") {
            std::string kind;
            int value = 0;
            if (in >> kind >> value && (kind == "cp" || kind == "mate")) {
                info.HasScore = true;
                info.Mate = kind == "mate";
                info.Score = value;
            }
        } else if (word == "pv" || word == "string") {
            break;  // moves or free text from here on
        }
    }
}

UciEngine::UciEngine(EngineEntry entry) : entry_(std::move(entry)) {}

UciEngine::~UciEngine() {
    Quit();
}

bool UciEngine::Start(double timeoutSeconds) {
    if (entry_.Command.empty()) {
        error_ = "no command";
        return false;
    }
    std::vector<std::string> argv = entry_.Command;
    argv[0] = AbsolutePath(ResolveProgram(argv[0]));
    if (access(argv[0].c_str(), X_OK) != 0) {
        error_ = "cannot run " + argv[0];
        return false;
    }
    // The child takes the working folder it is started in; this process has no other thread to disturb.
    char here[PATH_MAX];
    const bool moved =
        !entry_.Folder.empty() && getcwd(here, sizeof here) && chdir(entry_.Folder.c_str()) == 0;
    if (!entry_.Folder.empty() && !moved) {
        error_ = "cannot enter folder " + entry_.Folder;
        return false;
    }
    process_ = std::make_unique<EngineProcess>(argv);
    if (moved && chdir(here) != 0) {
        error_ = "cannot return to " + std::string(here);
        return false;
    }
    name_ = entry_.Name;
    const Clock::time_point deadline = After(timeoutSeconds);
    if (!Send("uci")) return false;
    for (;;) {
        const std::optional<std::string> line = ReadLine(deadline);
        if (!line) {
            const std::string& said = process_->ErrorOutput();
            error_ =
                "no uciok from " + argv[0] + (said.empty() ? "" : ": " + said.substr(0, said.find('\n')));
            return false;
        }
        if (*line == "uciok") break;
        if (name_.empty() && line->rfind("id name ", 0) == 0) name_ = line->substr(8);
        if (*line == "option name Clear Hash type button") clearsHash_ = true;
    }
    if (name_.empty()) name_ = argv[0].substr(argv[0].rfind('/') + 1);
    for (const auto& [option, value] : entry_.Options) Send("setoption name " + option + " value " + value);
    if (!Send("isready") || !WaitFor("readyok", timeoutSeconds)) {
        error_ = "no readyok from " + name_;
        return false;
    }
    return true;
}

bool UciEngine::NewGame(double timeoutSeconds) {
    // Not every engine empties its hash table on ucinewgame; one kept from the pair's first game would
    // change the second (same opening, colours swapped), and not alike for both engines.
    if (clearsHash_ && !Send("setoption name Clear Hash")) return false;
    return Send("ucinewgame") && Send("isready") && WaitFor("readyok", timeoutSeconds);
}

EngineReply UciEngine::Think(const std::string& position, const std::string& go, double limitSeconds) {
    EngineReply reply;
    if (!Send(position) || !Send(go)) return reply;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = After(limitSeconds);
    for (;;) {
        const std::optional<std::string> line = ReadLine(deadline);
        reply.Seconds = SecondsSince(start);
        if (!line) {
            reply.Status = Exited() ? EngineReply::Gone : EngineReply::TooLate;
            return reply;
        }
        const std::string word = FirstWord(*line);
        if (word == "info") {
            ReadInfoLine(*line, reply.Info);
        } else if (word == "bestmove") {
            std::istringstream in(line->substr(word.size()));
            in >> reply.Move;
            reply.Status = EngineReply::Moved;
            return reply;
        }
    }
}

bool UciEngine::StopThinking(double timeoutSeconds) {
    return Send("stop") && WaitFor("bestmove", timeoutSeconds);
}

void UciEngine::Quit() {
    if (!process_) return;
    if (Send("quit")) process_->WaitExit(300);
    process_.reset();  // ends it for sure
}

// A line without its end; nothing when the deadline passes or the engine ends first.
std::optional<std::string> UciEngine::ReadLine(Clock::time_point deadline) {
    if (!process_) return std::nullopt;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (process_->ReadUntil("\n", static_cast<int>(std::max<long long>(left + 1, 0)))) {
            std::string line = process_->TakeOutputThrough("\n");
            line.pop_back();
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const size_t text = line.find_first_not_of(" \t");
            if (text == std::string::npos) continue;
            return line.substr(text);
        }
        if (Clock::now() >= deadline || Exited()) return std::nullopt;
        usleep(1000);  // the wait ends on whole milliseconds: a little is left, or the output closed early
    }
}

bool UciEngine::Exited() {
    return !process_ || process_->WaitExit(0) != -1;
}

bool UciEngine::Send(const std::string& line) {
    return process_ && process_->Write(line + "\n");
}

bool UciEngine::WaitFor(const std::string& word, double timeoutSeconds) {
    const Clock::time_point deadline = After(timeoutSeconds);
    for (;;) {
        const std::optional<std::string> line = ReadLine(deadline);
        if (!line) return false;
        if (FirstWord(*line) == word) return true;
    }
}
