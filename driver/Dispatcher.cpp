// SPDX-License-Identifier: GPL-3.0-or-later
#include "driver/Dispatcher.h"

#include <utility>

#include "search/Search.h"

void ForEachLine(const std::string& sChunk, const std::function<bool(const std::string&)>& f) {
    std::string line;
    for (char c : sChunk) {
        if (c == '\n' || c == '\r') {
            if (!f(line)) return;
            line.clear();
        } else {
            line += c;
        }
    }
}

namespace {
// Ends the running search as soon as it can, and wakes a turn that waits for the word to end.
void RequestStop() {
    RequestSearchStop();
}
}  // namespace

CommandDispatcher::CommandDispatcher(Protocol& protocol, DispatcherHooks hooks)
    : protocol_(protocol), hooks_(std::move(hooks)) {}

CommandDispatcher::~CommandDispatcher() {
    if (!thinking_) return;
    int running = Running;
    turn_.compare_exchange_strong(running, Abandoned);
    RequestStop();
    engine_.join();
}

void CommandDispatcher::Input(const std::string& sChunk) {
    ForEachLine(sChunk, [this](const std::string& sLine) { return Dispatch(sLine); });
    StartTurnIfDue();
}

// A protocol that drops the rest of its input is ending the program: no turn starts after that.
bool CommandDispatcher::Run(const std::string& sLine) {
    if (protocol_.Handle(sLine)) return true;
    exiting_ = true;
    return false;
}

bool CommandDispatcher::Dispatch(const std::string& sLine) {
    if (!thinking_) return Run(sLine);
    switch (protocol_.Kind(sLine)) {
        case WhileThinking::Answer:
            // An answer keeps its place behind a command that waits (ping tells what went before it).
            if (!backlogHoldsOrder_) return Run(sLine);
            break;
        case WhileThinking::Wait:
            backlogHoldsOrder_ = true;
            break;
        case WhileThinking::Defer:
            break;
        case WhileThinking::Ignore:
            // Behind a command that waits it keeps its place: what it asks for may no longer be so then.
            if (!backlogHoldsOrder_) return true;
            break;
        case WhileThinking::Stop:
            return Finish(false) && Run(sLine);
        case WhileThinking::MoveNow:
            return Finish(true) && Run(sLine);
        case WhileThinking::Exit: {
            // The program ends without waiting for the search, and without its move.
            int running = Running;
            turn_.compare_exchange_strong(running, Abandoned);
            RequestStop();
            return Run(sLine);
        }
    }
    backlog_.push_back(sLine);
    return true;
}

// Ends the search (with its move when bPlay), takes the state back and carries out what waited.
bool CommandDispatcher::Finish(bool bPlay) {
    if (thinking_) {
        if (!bPlay) {
            int running = Running;
            turn_.compare_exchange_strong(running, Abandoned);
        }
        RequestStop();
        engine_.join();
        thinking_ = false;
        protocol_.TurnEnded(turn_.load() == Committed);
        if (hooks_.ThinkingChanged) hooks_.ThinkingChanged(false);
    }
    return RunBacklog();
}

bool CommandDispatcher::RunBacklog() {
    backlogHoldsOrder_ = false;
    while (!backlog_.empty()) {
        const std::string line = std::move(backlog_.front());
        backlog_.pop_front();
        if (!Run(line)) {
            backlog_.clear();
            return false;
        }
    }
    return true;
}

void CommandDispatcher::SearchEnded() {
    // The word may be late: its search was taken back already, and another may be running now.
    if (!thinking_ || !finished_.load()) return;
    if (Finish(true)) StartTurnIfDue();
}

void CommandDispatcher::Abandon() {
    Finish(false);
}

void CommandDispatcher::StartTurnIfDue() {
    if (thinking_ || exiting_ || !protocol_.TurnDue()) return;
    protocol_.BeginTurn();
    StopRequested.store(false);
    turn_.store(Running);
    finished_.store(false);
    thinking_ = true;
    if (hooks_.ThinkingChanged) hooks_.ThinkingChanged(true);
    engine_ = std::jthread([this] {
        protocol_.PlayTurn([this] {
            int running = Running;
            return turn_.compare_exchange_strong(running, Committed);
        });
        finished_.store(true);
        if (hooks_.SearchFinished) hooks_.SearchFinished();
    });
}
