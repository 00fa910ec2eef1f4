// Protocol input and output: the console pipe, or the game window's mailbox and controls.
#pragma once
#include <functional>
#include <string>

extern bool GuiInputPending;      // game-window mailbox: a command text waits
extern std::string GuiInputLine;  // the waiting text, ending in a line feed

bool InputAvailable();
std::string ReadInput();
void SendLine(const std::string& sText);

// Console mode: waits up to nTimeoutMs for input (InputAvailable is WaitForInput(0)).
// Game-window mode: the mailbox state, at once.
bool WaitForInput(int nTimeoutMs);
// Console mode: standard input has ended (the interface closed the pipe or died).
extern bool ConsoleInputClosed;
// Forgets a partly received line and the end-of-input state (tests).
void ResetInputAssembly();

// Tests set this to receive every line SendLine would send; empty in the program.
extern std::function<void(const std::string&)> SendLineCapture;
