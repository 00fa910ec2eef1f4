// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, main loop, command interpreter, engine turn and settings.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "search/Search.h"

class CommandDispatcher;
class Protocol;

int Main(int argc, char** argv);
// Console mode: reads commands until quit or the end of input.
[[noreturn]] void MainLoop();
[[noreturn]] void QuitProgram();
// The settings, the search's tables, the book, then a fresh game. Once, at start-up.
void InitEngine();

// The xboard protocol: its commands, and the engine's turn.
Protocol& XboardProtocol();
// The UCI protocol, its sibling over the same engine.
Protocol& UciProtocol();
// Console mode speaks UCI instead of xboard (set once at start-up).
extern bool UciMode;
// The program's one dispatcher, over the xboard protocol (UCI in UCI mode): on standard input in console
// mode, on the game window's thread in game-window mode.
CommandDispatcher& EngineCommands();
// Carries out every whole line of a chunk in order, as when the engine is idle (tests, the fuzzer).
void InterpretInput(const std::string& sChunk);

// The engine's turn: search, charge the clock, play and announce the move, report a finished game.
// EngineTurn does it all at once on this thread; the dispatcher splits it into the start, on the command
// thread, and the rest, on the engine thread.
void EngineTurn();
void BeginEngineTurn();
void PlayEngineTurn(const SearchRequest& request, const std::function<bool()>& commit);
// Ponder turns: the search runs on the expected reply, played for it, while Pondering holds; a hit turns
// it into the engine's turn, its time counted from the hit. Set before the turn begins.
extern bool TurnIsPonder;
// The reply the engine's last move expects (its principal line's second move), for pondering and hint;
// From 0 when there is none. Written by the turn, on the engine thread, when it plays its move.
extern MoveRec ExpectedReply;
extern std::string ExpectedReplyPosition;  // the PositionKey it is expected in
// An analysis turn: thinks about the position until it is stopped, and plays nothing.
void PlayAnalysisTurn(const SearchRequest& request, const std::function<bool()>& commit);
// The search of the turn begun last, its time counted from the turn's start.
SearchResult SearchForTurn(SearchRequest request, SearchReporter& report);

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

// Help and Version print their text on standard output and end the program.
enum class RunMode { Window, Xboard, Uci, Help, Version };
struct StartOptions {
    RunMode Mode = RunMode::Window;
    bool Strong = false;  // the word strong: the strong search plays
};
// Reads the command line (the arguments joined by single blanks). The switches and the word strong are
// compared in lower case, each plain or after - or /. The run mode is the game window unless a console
// switch (xboard, uci) comes after the last inguimode; of the console switches the last counts. --help or
// -h, --version or -V (exactly so) ask for that text instead, the first of them given. Each unknown or
// empty switch adds one warning text.
StartOptions ChooseRunMode(const std::string& sCommandLine, std::vector<std::string>& warnings);
// InitEngine, then what the command line chose over the settings file.
void StartEngine(const StartOptions& options);

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
