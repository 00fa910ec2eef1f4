// SPDX-License-Identifier: GPL-3.0-or-later
// Our stand-ins for the operating-system services the engine uses. The only place that includes
// system headers for the console, signals, the clock and the program folder.
#pragma once
#include <cstddef>
#include <string>

// Monotonic seconds (arbitrary origin): every timing difference in the engine uses this clock.
double TimerSeconds();
// False only where the system offers no monotonic clock; the program cannot time its moves then.
bool MonotonicClockWorks();
// Folder of the running executable, links resolved, without a trailing slash.
std::string ProgramFolder();
// Loads the shared module at sPath and runs its function sEntry (no arguments). The module stays loaded
// to the end of the process. On failure returns false with the loader's reason in sError.
bool RunProgramModule(const std::string& sPath, const char* sEntry, std::string& sError);

// ---- Console pipe (standard input and output) ----
// Chess interfaces on Linux send SIGINT to engines that did not ask otherwise, and a closed output
// pipe must not kill us: both are ignored.
void IgnoreInterruptSignals();
// True when bytes (or the end of input) are waiting on standard input within nTimeoutMs (0: just look).
bool ConsoleInputWaiting(int nTimeoutMs);
// Wakes a WaitForConsoleEvent on another thread (a search that has ended); callable from any thread.
void WakeConsoleReader();
enum ConsoleEvent { ConsoleInput = 1, ConsoleWake = 2 };
// Waits for bytes (or the end of input) on standard input, or a wake-up, at most nTimeoutMs (< 0: no
// limit). Returns the ConsoleEvent flags of what came, 0 on time-out; a wake-up is used up.
int WaitForConsoleEvent(int nTimeoutMs);
// One read of at most nMax bytes. Returns the count read, 0 at end of input (or a broken input),
// -1 when nothing could be read just now.
long ReadConsoleChunk(char* pBuffer, size_t nMax);
// Writes the bytes with one unbuffered write (a short write is completed); failures are ignored.
void WriteConsole(const std::string& sBytes);
// Writes to standard error (warnings in console mode).
void WriteError(const std::string& sBytes);
// Closes standard input and output, then ends the process at once with nStatus.
[[noreturn]] void EndProcess(int nStatus);

// ---- Profile (INI) files ----
// Value of sKey in section sSection of the file at sPath, or sDefault when the file, section or key
// is missing. Names compare without regard to case; blanks around names and values are dropped; a
// value in matching quotes loses them; lines starting with ';' are comments; the first matching key
// wins; CRLF or LF line ends; results are cut at 259 characters.
std::string ReadProfileString(const std::string& sPath, const std::string& sSection, const std::string& sKey,
                              const std::string& sDefault);
