// Fills the driver's GameWindow hooks with the Qt game window.
#pragma once

void InstallGameWindow();
