// SPDX-License-Identifier: GPL-3.0-or-later
// Commands in, engine turns out. The thread that reads commands runs them and owns the engine state
// while no turn runs; a turn's search runs on an engine thread of its own, and the turn owns the state
// from the moment it starts until it ends, also before that thread has begun. Commands that arrive
// meanwhile are answered, held back or allowed to stop the search, each as its protocol says.
#pragma once
#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <thread>

// What a command does when it arrives while the engine thinks.
enum class WhileThinking {
    Answer,   // carried out at once beside the search: it touches nothing the search uses
    Defer,    // carried out when the search ends; the commands after it need not wait for it
    Wait,     // carried out when the search ends; the commands after it wait behind it
    Stop,     // the search ends without a move, then the command is carried out
    MoveNow,  // the search ends at once and plays the move it has
    Exit,     // carried out at once: the program ends
    Ignore,   // asks for what is so while the engine thinks: nothing to do
};

// One protocol's part: what its commands are and what the engine's turn does.
class Protocol {
  public:
    virtual ~Protocol() = default;
    virtual WhileThinking Kind(const std::string& sLine) const = 0;
    // Carries out one line; false when the rest of the input is to be dropped.
    virtual bool Handle(const std::string& sLine) = 0;
    // The engine is to think now.
    virtual bool TurnDue() const = 0;
    // The turn's start, on the command thread, which still owns the engine state.
    virtual void BeginTurn() = 0;
    // The turn itself, on the engine thread. commit() is asked once the search is over: false when the
    // turn was stopped without a move, which must then change nothing.
    virtual void PlayTurn(const std::function<bool()>& commit) = 0;
    // The turn's state is back with the command thread: bPlayed when commit() said yes. A turn that
    // changed the game only for its own sake (a ponder move) puts it back here.
    virtual void TurnEnded(bool /*bPlayed*/) {}
};

struct DispatcherHooks {
    // Called on the engine thread as it finishes: the command thread is to call SearchEnded.
    std::function<void()> SearchFinished;
    // Called on the command thread when a search starts (true) and when its state is taken back (false).
    std::function<void(bool)> ThinkingChanged;
};

class CommandDispatcher {
  public:
    CommandDispatcher(Protocol& protocol, DispatcherHooks hooks);
    ~CommandDispatcher();
    CommandDispatcher(const CommandDispatcher&) = delete;
    CommandDispatcher& operator=(const CommandDispatcher&) = delete;

    // Handles the whole lines of a chunk in order (a carriage return ends a line too). The engine's turn
    // starts as soon as a line makes it due, so the lines after it act on it as on any running search;
    // its engine thread is launched once the chunk is handled.
    void Input(const std::string& sChunk);
    // The engine thread has said it finished: takes the state back, carries out what waited for it, and
    // starts the next turn when one is due.
    void SearchEnded();
    // A change the command thread's own code (the game window) makes to the engine state, as a command
    // that stops the search: after what came before it, whose turn ends without a move; then the turn
    // that is due starts.
    void Act(const std::function<void()>& fChange);
    // A turn has started, its engine thread launched or about to be (its state not taken back yet).
    bool Thinking() const { return thinking_; }
    // The engine thread's turn is over, its state not taken back yet.
    bool TurnOver() const { return thinking_ && finished_.load(); }

  private:
    void HandlePending();
    void Dispatch(const std::string& sLine);
    void Run(const std::string& sLine);
    void Finish(bool bPlay);
    void StartTurnIfDue();
    void Launch();

    enum TurnState { Running, Abandoned, Committed };
    Protocol& protocol_;
    DispatcherHooks hooks_;
    std::jthread engine_;
    std::atomic<int> turn_{Committed};
    std::atomic<bool> finished_{true};  // the engine thread's turn is over
    bool thinking_ = false;
    bool launched_ = false;            // the turn's engine thread has started
    std::deque<std::string> pending_;  // lines read, not handled yet
    std::deque<std::string> backlog_;  // lines that wait for the turn to end
    bool backlogHoldsOrder_ = false;   // a Wait command is in the backlog
    bool exiting_ = false;             // a command ended the input: no turn starts again
};

// Calls f with each whole line of sChunk (a line feed or a carriage return ends one) while f returns
// true; what follows the last line end is not a line yet.
void ForEachLine(const std::string& sChunk, const std::function<bool(const std::string&)>& f);
