// libFuzzer: any input chunk through the interpreter, in console and game-window mode.
#include <cstddef>
#include <cstdint>
#include <string>

#include "board/BoardBas.h"
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
    InGuiMode = size > 0 && (data[0] & 0x80) != 0;
    InterpretInput(std::string(reinterpret_cast<const char*>(data), size));
    InGuiMode = false;
    return 0;
}
