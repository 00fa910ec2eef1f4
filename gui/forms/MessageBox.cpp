// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/forms/MessageBox.h"

#include <QApplication>
#include <utility>

namespace {
MessageHandler& Handler() {
    static MessageHandler handler;
    return handler;
}
}  // namespace

QMessageBox::StandardButton ShowModalMessage(const MessageRequest& request) {
    QString title = request.Title;
    if (title.isEmpty()) title = QApplication::applicationName();
    QMessageBox box(request.Icon, title, request.Text, request.Buttons, request.Parent);
    if (request.DefaultButton != QMessageBox::NoButton) box.setDefaultButton(request.DefaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& sText, const QString& sTitle,
                                        QMessageBox::Icon eIcon, QMessageBox::StandardButtons eButtons,
                                        QMessageBox::StandardButton eDefault) {
    const MessageRequest request{parent, sText, sTitle, eIcon, eButtons, eDefault};
    // Copy: a handler may replace itself while it runs.
    const MessageHandler handler = Handler();
    return handler ? handler(request) : ShowModalMessage(request);
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}
