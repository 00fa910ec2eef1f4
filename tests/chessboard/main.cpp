// SPDX-License-Identifier: GPL-3.0-or-later
// The chessboard tests run headless: no window system, and no real (blocking) message box.
#include <gtest/gtest.h>

#include <QApplication>

#include "gui/forms/MessageBox.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetMessageHandler([](const MessageRequest&) { return QMessageBox::Ok; });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
