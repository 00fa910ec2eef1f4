// SPDX-License-Identifier: GPL-3.0-or-later
// Fills the driver's GameWindow hooks with the Qt game window.
#pragma once

void InstallGameWindow();
