// SPDX-License-Identifier: GPL-3.0-or-later
// The game window's game flow: the board's events, new game, take-back, the engine's side, activity,
// output and level.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include "board/BoardBas.h"
#include "driver/GuiLink.h"
#include "gui/chessboard/wqzChessboard.h"
#include "gui/window/ChessNotation.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"
#include "gui/window/frmDebugMainParts.h"

void frmDebugMain::wqzChessboard2_PieceMovement(bool bWhite, const QString& sFrom, const QString& sTo) {
    if (bWhite) {
        ++MoveNumber;
        AppendText1(QString("%1) %2-%3\r\n").arg(MoveNumber).arg(sFrom, sTo));
    } else {
        AppendText1(QString(20, ' ') + "..." + sFrom + "-" + sTo + "\r\n");
    }
    if (mnutalvoron->isChecked()) {
        // The engine's thinking time is charged in one piece when its move arrives.
        if (bWhite) {
            Enable(Timer1, false);
            Enable(Timer2, GuiEngineWhite);
        } else {
            Enable(Timer1, !GuiEngineWhite);
            Enable(Timer2, false);
        }
    } else {
        Enable(Timer1, !bWhite);
        Enable(Timer2, bWhite);
    }
    ShowSideToMove(!bWhite);
    if (EngineOn)
        for (QAction* a : {mnulvl1, mnulvl2, mnulvl3}) a->setEnabled(false);
    // Analysis hears every move, also with the engine off.
    if (EngineOn || Analysing()) Feed(sFrom + sTo + PersonPromotion);
    PersonPromotion.clear();
    if (SoundOn && !m_loading) Beep();
    if (Analysing() || !(bWhite ? mnuEngineWithe : mnuEngineBlack)->isChecked()) txtIO->SetText("");
}

void frmDebugMain::wqzChessboard2_KingInCheck(bool bWhite, bool bCheckmate) {
    if (m_loading) return;  // a game put on the board: its checks are no news
    const bool it = Italian();
    QString text;
    if (bWhite)
        text = bCheckmate ? (it ? "Scaccomatto! il nero vince" : "White checkmated")
                          : (it ? QString::fromUtf8("Il Re bianco è sotto scacco") : "White king in check");
    else
        text = bCheckmate ? (it ? "Scaccomatto! il bianco vince" : "Black checkmated")
                          : (it ? QString::fromUtf8("Il Re nero è sotto scacco") : "Black king in check");
    // The game is over: no clock runs on, whatever the language.
    if (bCheckmate) StopClocks();
    Message(text);
}

// A person promotes whenever the engine is off or analyses, and a pawn of the person's colour when it plays.
bool frmDebugMain::PersonPromotes(bool bWhite) const {
    return !EngineOn || Analysing() || bWhite != GuiEngineWhite;
}

void frmDebugMain::wqzChessboard2_PawnPromotion(bool bWhite, int& eChoice) {
    if (m_loading) {
        eChoice = MoveOfCoordinates("a7a8" + m_loadPromotion, bWhite).Promotion;
        return;
    }
    if (bWhite) {
        if (PersonPromotes(true)) {
            PopupMenu(mnuWhitePawnPromotion);
        } else {
            if (PromotionLetter == "q") PromotionChoice = 7;
            if (PromotionLetter == "n") PromotionChoice = 9;
            if (PromotionLetter == "r") PromotionChoice = 8;
            if (PromotionLetter == "b") PromotionChoice = 10;
            PromotionLetter = "";
        }
    } else {
        if (PersonPromotes(false)) {
            PopupMenu(mnuBlackPawnPromotion);
        } else {
            if (PromotionLetter == "q") PromotionChoice = 1;
            if (PromotionLetter == "n") PromotionChoice = 3;
            if (PromotionLetter == "r") PromotionChoice = 2;
            if (PromotionLetter == "b") PromotionChoice = 4;
            PromotionLetter = "";
        }
    }
    // The engine must learn which piece the person chose, or its board would hold a queen.
    const bool personMoves = PersonPromotes(bWhite);
    PersonPromotion = personMoves ? PromotionLetterOf(PromotionChoice) : QString();
    eChoice = PromotionChoice;
    PromotionChoice = -1;
}

void frmDebugMain::wqzChessboard2_Stalemate() {
    StopClocks();
    if (m_loading) return;
    Message("Stalemate");
}

// A take-back leaves the record as it was before the move, and the clock of the side now on move runs.
void frmDebugMain::wqzChessboard2_MoveUndo(bool bWhite) {
    QString record = Text1->Text();
    record.chop(2);  // the last line's CR LF
    const auto end = record.lastIndexOf(QLatin1String("\r\n"));
    record.truncate(end < 0 ? 0 : static_cast<int>(end) + 2);
    Text1->SetText(record);
    if (bWhite) --MoveNumber;
    ShowSideToMove(bWhite);
    RunClockOf(bWhite, wqzChessboard2->UndoCount() > 0);
}

void frmDebugMain::mnuGameNew_Click() {
    StopAnalysis();
    mnuEngineWithe->setChecked(false);
    mnuEngineBlack->setChecked(true);
    GuiEngineWhite = false;
    ResetClocks();
    MoveNumber = 0;
    Text1->SetText("");
    wqzChessboard2->NewGame();
    lstWhiteMoves->clear();
    lstBlackMoves->clear();
    if (mnulvl2->isChecked())
        Feed(MediumCommands);
    else if (mnulvl1->isChecked())
        Feed(EasyCommands);
    else if (mnulvl3->isChecked())
        Feed(AdvancedCommands);
    txtIO->SetText("");
    for (QAction* a : {mnulvl1, mnulvl2, mnulvl3}) a->setEnabled(true);
    ShowSideToMove(true);
}

void frmDebugMain::mnuext_Click() {
    StopAnalysis();
    EndReviewThread();
    Quit();
}

void frmDebugMain::mnuEngineWithe_Click() {
    GuiEngineWhite = true;
    StopAnalysis();  // the engine is to play now
    if (!mnutalvoroff->isChecked()) {
        EngineChangesColour();
        mnuEngineWithe->setChecked(true);
        mnuEngineBlack->setChecked(false);
    }
}

void frmDebugMain::mnuEngineBlack_Click() {
    GuiEngineWhite = false;
    StopAnalysis();
    if (!mnutalvoroff->isChecked()) {
        EngineChangesColour();
        mnuEngineBlack->setChecked(true);
        mnuEngineWithe->setChecked(false);
    }
}

void frmDebugMain::mnutalvoron_Click() {
    StopAnalysis();
    mnuActions->setEnabled(false);
    mnutalvoron->setChecked(true);
    mnutalvoroff->setChecked(false);
    mnulvl3_Click();
    mnuengon_Click();
    EngineOn = true;
}

void frmDebugMain::mnutalvoroff_Click() {
    StopAnalysis();
    SwitchEngineOff();
    mnuActions->setEnabled(true);
    for (QAction* a : {mnulvl1, mnulvl2, mnulvl3, mnuEngineWithe, mnuEngineBlack}) a->setChecked(false);
    mnuengoff_Click();
    mnutalvoroff->setChecked(true);
    mnutalvoron->setChecked(false);
    Label9->setText(Italian() ? "2 Giocatori" : "2 Player Game");
    EngineOn = false;
}

void frmDebugMain::mnuengon_Click() {
    txtIO->show();
    mnuengon->setChecked(true);
    mnuengoff->setChecked(false);
}

void frmDebugMain::mnuengoff_Click() {
    txtIO->hide();
    mnuengoff->setChecked(true);
    mnuengon->setChecked(false);
}

void frmDebugMain::SetLevel(QAction* level, const char* sCommand, const char* sItalian, const char* sEnglish,
                            int nColor) {
    if (level == mnulvl3 || mnutalvoron->isChecked()) Feed(sCommand);
    Label9->setText(Italian() ? sItalian : sEnglish);
    SetTextColor(Label9, ColorFromBGR(nColor));
    for (QAction* a : {mnulvl1, mnulvl2, mnulvl3}) a->setChecked(a == level);
}

void frmDebugMain::mnulvl1_Click() {
    SetLevel(mnulvl1, EasyCommands, "Livello Facile", "Easy Level", 0x00FF00);
}
void frmDebugMain::mnulvl2_Click() {
    SetLevel(mnulvl2, MediumCommands, "Livello Medio", "Medium Level", 0x00FFFF);
}
void frmDebugMain::mnulvl3_Click() {
    SetLevel(mnulvl3, AdvancedCommands, "Livello Avanzato", "Advanced Level", 0x0000FF);
}

void frmDebugMain::mnuActionsUndo_Click() {
    StopAnalysis();
    wqzChessboard2->UndoLastMove();
    EngineTakeBack(2);
}
