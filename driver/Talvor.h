// Start-up, main loop, command interpreter, engine turn and settings.
#pragma once
#include <string>

int Main(int argc, char** argv);
void MainLoop();
[[noreturn]] void QuitProgram();
void InterpretInput(const std::string& sChunk);
void EngineTurn();
std::string ReadSetting(const std::string& sKey, const std::string& sDefault);

extern double MoveStartTime;    // TimerSeconds() when the engine's search began
extern double LastMoveSeconds;  // duration of the last search
