// SPDX-License-Identifier: GPL-3.0-or-later
// What the game window lends the driver, and what the driver offers the window. The window's thread is
// the command thread in game-window mode: it feeds the mailbox and runs the commands.
#pragma once
#include <functional>
#include <string>

struct GameWindowHooks {
    bool (*Show)(int argc, char** argv) = nullptr;  // creates and shows frmDebugMain (its Form_Load runs)
    // SendLine's game-window face, on the window's thread: the line and the seconds of the search it
    // came from.
    void (*ShowLine)(const std::string& sText, int nSearchSeconds) = nullptr;
    // Runs f on the window's thread, from any thread, after the handler running there now. bUrgent:
    // ahead of what is already queued (the lines an engine turn sent meanwhile).
    void (*Post)(std::function<void()> f, bool bUrgent) = nullptr;
    void (*Run)() = nullptr;                           // the window's event loop, until the program ends
    void (*Thinking)(bool bThinking) = nullptr;        // the engine's search started (true) or ended
    void (*Warn)(const std::string& sText) = nullptr;  // a warning message box
    bool (*Italian)() = nullptr;                       // mnuitalian is checked
};
extern GameWindowHooks GameWindow;

// True when the game window is in use and its Italian menu item is checked.
inline bool ItalianTexts() {
    return GameWindow.Italian && GameWindow.Italian();
}

// The window's mailbox: holds sText (ending in a line feed), replacing what waits there; the engine
// reads it once the window's handler that fed it has returned, so the last feed of a handler wins.
void FeedEngine(const std::string& sText);
// Reads the mailbox, when it holds a text, and carries it out.
void ReadMailbox();
// Stops a search without a move and keeps the engine from moving until the window feeds it again (the
// engine is switched off).
void SwitchEngineOff();
// The engine changes colour (a search for the colour it leaves is stopped first) and leaves force mode;
// it moves when its new colour is on move. The window's choice of the engine's side.
void EngineChangesColour();
// Takes back nPlies on the engine's board, a search stopped first.
void EngineTakeBack(int nPlies);
// The engine thinks, or a text for it or a line from it is still on its way.
bool EngineBusy();
