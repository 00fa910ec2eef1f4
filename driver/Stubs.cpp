// Minimal stand-ins until the driver lands; replaced by IOBas.cpp, Settings.cpp and GuiLink.cpp.
#include <unistd.h>

#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"

GameWindowHooks GameWindow;
bool GuiInputPending = false;
std::string GuiInputLine;
std::function<void(const std::string&)> SendLineCapture;
double MoveStartTime = 0;
double LastMoveSeconds = 0;

void SendLine(const std::string& sText) {
    if (SendLineCapture) {
        SendLineCapture(sText);
        return;
    }
    const std::string framed = "\n" + sText + "\n";
    [[maybe_unused]] ssize_t n = write(1, framed.data(), framed.size());
}

std::string ReadSetting(const std::string&, const std::string& sDefault) { return sDefault; }

#include <cstdio>
int Main(int, char**) {
    std::printf("talvor %s\n", TALVOR_VERSION);
    return 0;
}
