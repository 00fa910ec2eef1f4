// The game window's hooks; the window fills them through InstallGameWindow before Main runs.
#include "driver/GuiLink.h"

GameWindowHooks GameWindow;
