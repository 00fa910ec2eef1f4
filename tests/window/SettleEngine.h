// For window tests: runs the window's events until the engine has nothing to do and nothing for it or
// from it is on its way (at most a minute).
#pragma once
#include <QCoreApplication>
#include <chrono>

#include "driver/GuiLink.h"

inline bool SettleEngine() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (EngineBusy() && std::chrono::steady_clock::now() < deadline);
    return !EngineBusy();
}
