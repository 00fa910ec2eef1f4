// SPDX-License-Identifier: GPL-3.0-or-later
// Protocol input and output: the console pipe, or the game window's mailbox and controls.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

extern bool InGuiMode;            // game-window mode (set once at start-up)
extern bool GuiInputPending;      // game-window mailbox: a command text waits
extern std::string GuiInputLine;  // the waiting text, ending in a line feed

// Console mode: bytes (or the end of input) wait on standard input. Game-window mode: the mailbox
// holds a text.
bool InputAvailable();
std::string ReadInput();

// Where a line comes from. The lines of an engine turn carry the game they belong to, so that the game
// window drops what a game it has left still sends, and the search's whole seconds, which the window
// charges to the engine's clock when the move arrives. Other lines carry nothing and always arrive.
struct LineTag {
    uint64_t Game = 0;
    int SearchSeconds = 0;
};
// Console framing: xboard's line feed before each line as well as after it (true), or the line feed
// after it alone (UCI). Set once at start-up.
extern bool LineFeedBeforeEachLine;
// Sends one line, from any thread: one write each, never mixed with another line. In game-window mode
// the line is shown by the window's own thread, after what that thread is doing now.
void SendLine(const std::string& sText, const LineTag& tag = {});

// The game the window is in, as far as lines are concerned: new and setboard start another, and the
// lines of the turns of an earlier one are dropped when they arrive. Command thread only.
uint64_t OutputGame();
void StartOutputGame();
// Lines on their way to the game window and not shown yet.
int LinesInFlight();

// Console mode: standard input has ended (the interface closed the pipe or died).
extern bool ConsoleInputClosed;
// Forgets a partly received line and the end-of-input state (tests).
void ResetInputAssembly();

// Tests set this to receive every line SendLine would send; empty in the program. Called with the
// output held, so from one thread at a time.
extern std::function<void(const std::string&)> SendLineCapture;
// Ends the process at once; a line being written is finished first, and no line is written after.
[[noreturn]] void EndAfterOutput(int nStatus);
