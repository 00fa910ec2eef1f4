// What the game window lends the driver. All null in a build without the window.
#pragma once
#include <string>

struct GameWindowHooks {
    bool (*Show)(int argc, char** argv) = nullptr;  // creates and shows frmDebugMain (its Form_Load runs)
    void (*ShowLine)(const std::string& sText) = nullptr;  // SendLine's game-window face
    void (*Yield)(int nWaitMs) = nullptr;  // delivers window events; nWaitMs < 0 waits for the next one
    void (*Warn)(const std::string& sText) = nullptr;  // a warning message box
    bool (*Italian)() = nullptr;                       // mnuitalian is checked
};
extern GameWindowHooks GameWindow;

// True when the game window is in use and its Italian menu item is checked.
inline bool ItalianTexts() {
    return GameWindow.Italian && GameWindow.Italian();
}
