// Stand-in until the game window lands: no hooks, so game-window mode is unavailable.
#include "gui/InstallGameWindow.h"

void InstallGameWindow() {}
