// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the window and chessboard tests headless: one QApplication for the whole run, on the offscreen
// platform unless the caller chose another, and no real (blocking) message box unless a test asks.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "gui/forms/MessageBox.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    SetMessageHandler([](const MessageRequest&) { return QMessageBox::Ok; });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
