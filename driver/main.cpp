// Program entry: lends the game window to the driver where it was built, then starts.
#include "driver/Talvor.h"
#ifdef TALVOR_WITH_GUI
#include "gui/InstallGameWindow.h"
#endif

int main(int argc, char** argv) {
#ifdef TALVOR_WITH_GUI
    InstallGameWindow();
#endif
    return Main(argc, argv);
}
