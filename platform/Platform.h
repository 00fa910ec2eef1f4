// Our stand-ins for the operating-system services the engine uses.
#pragma once
#include <string>

// Monotonic seconds (arbitrary origin): every timing difference in the engine uses this clock.
double TimerSeconds();
// Folder of the running executable, links resolved, without a trailing slash.
std::string ProgramFolder();
