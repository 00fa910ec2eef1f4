// Start-up, main loop, command interpreter, engine turn and settings.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

int Main(int argc, char** argv);
[[noreturn]] void MainLoop();
[[noreturn]] void QuitProgram();
// The settings, the search's tables, the book, then a fresh game. Once, at start-up.
void InitEngine();
void InterpretInput(const std::string& sChunk);
void EngineTurn();
std::string ReadSetting(const std::string& sKey, const std::string& sDefault);
// Leading-number reading of a settings text, rounded half to even and kept within 16 bits.
int16_t SettingNumber(const std::string& sText);

extern double LastMoveSeconds;  // duration of the last search

// True when the engine is to move now: its colour is on move, no force mode, game running and the
// position is one the interface agreed to.
bool EngineOnMove();
// Set when a setboard position was refused: moves are refused and the engine stays silent until the
// next new or accepted setboard, so it never plays on from a position the interface does not show.
extern bool PositionRejected;

// Chooses the run mode from the command line (the arguments joined by single blanks): true for the
// game window. Each unknown or empty switch adds one warning text.
bool ChooseGuiMode(const std::string& sCommandLine, std::vector<std::string>& warnings);

// The leading-number reading of command values: blanks, tabs and line feeds are skipped anywhere;
// an optional sign, digits, a decimal point, an exponent (E or D); 0 when nothing is readable.
// A number too large for a double reads as infinity.
double TextValue(const std::string& sText);
// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double v);

// Points ReadSetting at another settings file (tests); an empty path restores Talvor.ini beside the
// executable.
void SetSettingsFile(const std::string& sPath);

// Tests and the fuzzer set this: quit then calls it instead of ending the process (the rest of the
// chunk is still dropped).
extern std::function<void()> QuitCapture;
