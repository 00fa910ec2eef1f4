// SPDX-License-Identifier: GPL-3.0-or-later
// Every message box of the game window and its controls goes through ShowMessage, so a test (where a
// real modal box would block) can put its own handler in place and see what would have been shown.
#pragma once
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

struct MessageRequest {
    QWidget* Parent = nullptr;
    QString Text;
    QString Title;  // empty: the application's name
    QMessageBox::Icon Icon = QMessageBox::Information;
    QMessageBox::StandardButtons Buttons = QMessageBox::Ok;
    QMessageBox::StandardButton DefaultButton = QMessageBox::NoButton;
};

// Returns the button pressed (QMessageBox::Ok etc.).
using MessageHandler = std::function<QMessageBox::StandardButton(const MessageRequest&)>;

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& sText,
                                        const QString& sTitle = QString(),
                                        QMessageBox::Icon eIcon = QMessageBox::Information,
                                        QMessageBox::StandardButtons eButtons = QMessageBox::Ok,
                                        QMessageBox::StandardButton eDefault = QMessageBox::NoButton);

// Replaces the handler; an empty handler restores the real modal box. Returns the previous handler.
MessageHandler SetMessageHandler(MessageHandler handler);

// The real modal box (what ShowMessage uses when no handler is set).
QMessageBox::StandardButton ShowModalMessage(const MessageRequest& request);
