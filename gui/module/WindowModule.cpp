// SPDX-License-Identifier: GPL-3.0-or-later
// Entry of the game window module, which the program loads when it is started without a switch.
#include "gui/window/InstallGameWindow.h"

extern "C" __attribute__((visibility("default"))) void TalvorInstallGameWindow() {
    InstallGameWindow();
}
