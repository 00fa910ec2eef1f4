// SPDX-License-Identifier: GPL-3.0-or-later
// The game window's hooks (the window fills them before Main runs) and the calls it makes on the engine.
#include "driver/GuiLink.h"

#include "board/BoardBas.h"
#include "driver/Dispatcher.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"

GameWindowHooks GameWindow;

namespace {
bool MailboxReadPosted = false;

// A change of the engine's side or game from the window's menus: after what the window fed before it,
// as a command that stops the search.
void ActOnEngine(const std::function<void()>& fChange) {
    ReadMailbox();
    EngineCommands().Act(fChange);
}
}  // namespace

void FeedEngine(const std::string& sText) {
    GuiInputLine = sText;
    GuiInputPending = true;
    if (MailboxReadPosted || !GameWindow.Post) return;
    MailboxReadPosted = true;
    // Ahead of lines already on their way: a new game fed now must stop the search before the move of
    // the old one could land on the new board.
    GameWindow.Post(ReadMailbox, true);
}

void ReadMailbox() {
    MailboxReadPosted = false;
    if (!InputAvailable()) return;
    const std::string s = ReadInput();
    if (!s.empty()) EngineCommands().Input(s);
}

void SwitchEngineOff() {
    ActOnEngine([] { ForceMode = true; });
}

void EngineChangesColour() {
    ActOnEngine([] {
        EnginePlaysWhite = !EnginePlaysWhite;
        ForceMode = false;
    });
}

void EngineTakeBack(int nPlies) {
    ActOnEngine([nPlies] { TakeBack(nPlies); });
}

bool EngineBusy() {
    const CommandDispatcher& c = EngineCommands();
    return c.Thinking() || GuiInputPending || MailboxReadPosted || LinesInFlight() > 0;
}
