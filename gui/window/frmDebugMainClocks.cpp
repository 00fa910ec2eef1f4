// SPDX-License-Identifier: GPL-3.0-or-later
// The game window's clocks, side-to-move markers, game record box and messages.
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "gui/forms/MessageBox.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"
#include "gui/window/frmDebugMainParts.h"

void Enable(QTimer* t, bool b) {
    if (!b)
        t->stop();
    else if (!t->isActive())
        t->start();
}

void Tick(int& nHours, int& nMinutes, int& nSeconds) {
    if (++nSeconds >= 60) {
        nSeconds = 0;
        if (++nMinutes >= 60) {
            nMinutes = 0;
            ++nHours;
        }
    }
}

void Charge(int& nHours, int& nMinutes, int& nSeconds, int nAdd) {
    nSeconds += nAdd;
    while (nSeconds >= 60) {
        nSeconds -= 60;
        ++nMinutes;
    }
    while (nMinutes >= 60) {
        nMinutes -= 60;
        ++nHours;
    }
}

QString ClockText(int nHours, int nMinutes, int nSeconds) {
    return QString("%1:%2:%3").arg(nHours).arg(nMinutes).arg(nSeconds);
}

void frmDebugMain::Timer1_Timer() {
    Tick(WhiteHours, WhiteMinutes, WhiteSeconds);
    Label12->setText(ClockText(WhiteHours, WhiteMinutes, WhiteSeconds));
}

void frmDebugMain::Timer2_Timer() {
    Tick(BlackHours, BlackMinutes, BlackSeconds);
    Label10->setText(ClockText(BlackHours, BlackMinutes, BlackSeconds));
}

void frmDebugMain::ResetClocks() {
    for (QTimer* t : {Timer1, Timer2}) {
        t->setInterval(1000);
        t->stop();
    }
    WhiteHours = WhiteMinutes = WhiteSeconds = 0;
    BlackHours = BlackMinutes = BlackSeconds = 0;
    Label12->setText(ClockText(0, 0, 0));
    Label10->setText(ClockText(0, 0, 0));
}

void frmDebugMain::StopClocks() {
    Timer1->stop();
    Timer2->stop();
}

// The clock of the side to move, when a person is to move in a game under way; the engine's time is
// charged in one piece when its move arrives.
void frmDebugMain::RunClockOf(bool bWhite, bool bGameOn) {
    const bool run = bGameOn && (!mnutalvoron->isChecked() || bWhite != GuiEngineWhite);
    Enable(Timer1, run && bWhite);
    Enable(Timer2, run && !bWhite);
}

void frmDebugMain::ShowSideToMove(bool bWhite) {
    Shape1->setVisible(bWhite);
    Shape2->setVisible(!bWhite);
}

void frmDebugMain::AppendText1(const QString& sLine) {
    Text1->SetText(Text1->Text() + sLine);
}

void frmDebugMain::Message(const QString& sText) {
    ShowMessage(this, sText, QString(), QMessageBox::NoIcon);
}
