// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer: any input chunk through the xboard interpreter, in console and game-window mode, or through
// the UCI interpreter.
#include <cstddef>
#include <cstdint>
#include <string>

#include "board/BoardBas.h"
#include "driver/Dispatcher.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitBoardTables();
    SendLineCapture = [](const std::string&) {};
    QuitCapture = [] {};  // quit must not end the fuzzer
    SetSettingsFile("/nonexistent/Talvor.ini");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Every input starts from a fresh game so a finding replays alone.
    ResetGame();
    PositionRejected = false;
    ProtocolVersion = 0;
    BaseTime = 0;
    const std::string chunk(reinterpret_cast<const char*>(data), size);
    if (size > 0 && (data[0] & 0xC0) == 0x40) {
        Protocol& uci = UciProtocol();
        uci.Handle("ucinewgame");
        ForEachLine(chunk, [&uci](const std::string& sLine) { return uci.Handle(sLine); });
        return 0;
    }
    InGuiMode = size > 0 && (data[0] & 0x80) != 0;
    InterpretInput(chunk);
    InGuiMode = false;
    return 0;
}
