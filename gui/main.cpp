// Program entry of the build with the game window: lends the window to the driver, then starts.
#include "driver/Talvor.h"
#include "gui/InstallGameWindow.h"

int main(int argc, char** argv) {
    InstallGameWindow();
    return Main(argc, argv);
}
