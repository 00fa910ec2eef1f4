// Engine initialisation, evaluation, search, iterative deepening and time control.
#pragma once
#include <cstdint>

#include "board/BoardBas.h"

// Tables, settings, the book, then a fresh game. Called once at start-up.
void InitEngine();
// Chooses the engine's move; From == 0 means none (GameResult says why).
MoveRec Think();

extern int SearchSeconds;  // whole seconds spent by the running/last search
