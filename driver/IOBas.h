// Protocol input and output: the console pipe, or the game window's mailbox and controls.
#pragma once
#include <functional>
#include <string>

extern bool GuiInputPending;     // game-window mailbox: a command text waits
extern std::string GuiInputLine;  // the waiting text, ending in a line feed

bool InputAvailable();
std::string ReadInput();
void SendLine(const std::string& sText);

// Tests set this to receive every line SendLine would send; empty in the program.
extern std::function<void(const std::string&)> SendLineCapture;
