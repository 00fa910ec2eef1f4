// SPDX-License-Identifier: GPL-3.0-or-later
#include "driver/Dispatcher.h"

#include <iterator>
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

CommandDispatcher::CommandDispatcher(Protocol& protocol, DispatcherHooks hooks)
    : protocol_(protocol), hooks_(std::move(hooks)) {}

CommandDispatcher::~CommandDispatcher() {
    if (!launched_) return;
    int running = Running;
    turn_.compare_exchange_strong(running, Abandoned);
    RequestSearchStop();
    engine_.join();
}

void CommandDispatcher::Input(const std::string& sChunk) {
    ForEachLine(sChunk, [this](const std::string& sLine) {
        pending_.push_back(sLine);
        return true;
    });
    HandlePending();
    Launch();
}

// Each line in turn, against the turn the lines before it started.
void CommandDispatcher::HandlePending() {
    while (!pending_.empty() && !exiting_) {
        const std::string line = std::move(pending_.front());
        pending_.pop_front();
        Dispatch(line);
    }
    pending_.clear();
}

// A protocol that drops the rest of its input is ending the program: no turn starts after that.
void CommandDispatcher::Run(const std::string& sLine) {
    if (!protocol_.Handle(sLine))
        exiting_ = true;
    else
        StartTurnIfDue();
}

void CommandDispatcher::Dispatch(const std::string& sLine) {
    if (!thinking_) return Run(sLine);
    const WhileThinking kind = protocol_.Kind(sLine);
    switch (kind) {
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
            if (!backlogHoldsOrder_) return;
            break;
        case WhileThinking::Stop:
        case WhileThinking::MoveNow:
            // The line comes again once the turn has ended, behind what waited for it.
            pending_.push_front(sLine);
            return Finish(kind == WhileThinking::MoveNow);
        case WhileThinking::Exit:
            // The program ends without waiting for the search, and without its move.
            if (launched_) {
                int running = Running;
                turn_.compare_exchange_strong(running, Abandoned);
                RequestSearchStop();
            } else {
                Finish(false);
            }
            return Run(sLine);
    }
    backlog_.push_back(sLine);
}

// Ends the turn (with its move when bPlay) and takes the state back; what waited for it is handled next,
// as if it came now.
void CommandDispatcher::Finish(bool bPlay) {
    if (!thinking_) return;
    if (!bPlay) {
        int running = Running;
        turn_.compare_exchange_strong(running, Abandoned);
    }
    RequestSearchStop();
    // A turn whose thread has not begun still gives its move: its search starts already stopped.
    if (bPlay) Launch();
    if (launched_) engine_.join();
    launched_ = false;
    thinking_ = false;
    protocol_.TurnEnded(turn_.load() == Committed);
    if (hooks_.ThinkingChanged) hooks_.ThinkingChanged(false);
    pending_.insert(pending_.begin(), std::make_move_iterator(backlog_.begin()),
                    std::make_move_iterator(backlog_.end()));
    backlog_.clear();
    backlogHoldsOrder_ = false;
}

void CommandDispatcher::SearchEnded() {
    // The word may be late: its search was taken back already, and another may be running now.
    if (!thinking_ || !finished_.load()) return;
    Finish(true);
    HandlePending();
    Launch();
}

void CommandDispatcher::Act(const std::function<void()>& fChange) {
    // What waited for a turn may start another: each ends without a move until none runs.
    while (thinking_ && !exiting_) {
        Finish(false);
        HandlePending();
    }
    if (exiting_) return;
    fChange();
    Launch();
}

void CommandDispatcher::StartTurnIfDue() {
    if (thinking_ || exiting_ || !protocol_.TurnDue()) return;
    protocol_.BeginTurn();
    StopRequested.store(false);
    turn_.store(Running);
    finished_.store(false);
    thinking_ = true;
    if (hooks_.ThinkingChanged) hooks_.ThinkingChanged(true);
}

// Starts the turn that is due (also when no line made it so: after a turn's end pondering may be), and
// launches the engine thread of a turn that has not begun.
void CommandDispatcher::Launch() {
    StartTurnIfDue();
    if (!thinking_ || launched_) return;
    launched_ = true;
    engine_ = std::jthread([this] {
        protocol_.PlayTurn([this] {
            int running = Running;
            return turn_.compare_exchange_strong(running, Committed);
        });
        finished_.store(true);
        if (hooks_.SearchFinished) hooks_.SearchFinished();
    });
}
