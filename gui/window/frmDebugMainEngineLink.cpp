// SPDX-License-Identifier: GPL-3.0-or-later
// The game window's link to the engine: the commands it feeds and the lines it shows.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "gui/chessboard/wqzChessboard.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"
#include "gui/window/frmDebugMainParts.h"

std::string PromotionLetter;

namespace {

// Past this length the output box starts again empty.
constexpr int OutputLimit = 32000;

// The Test Stalemate position: Black king f8, White queen d7, White king g6, pawns b5 g5 / b4 g4.
constexpr char StalemateLayout[] =
    "XXXXXXXXXXBKXXXX"
    "XXXXXXWQXXXXXXXX"
    "XXXXXXXXXXXXWKXX"
    "XXBPXXXXXXXXBPXX"
    "XXWPXXXXXXXXWPXX"
    "XXXXXXXXXXXXXXXX"
    "XXXXXXXXXXXXXXXX"
    "XXXXXXXXXXXXXXXX";

}  // namespace

void frmDebugMain::Form_Load() {
    Squares3D = false;
    GridLines = false;
    mnuBoardLock->setChecked(!wqzChessboard2->Locked());
    mnuBoardHighlight->setChecked(wqzChessboard2->HighlightMove());
    mnuDGS_Click();
    mnutalvoron_Click();
    mnueng_Click();
    mnuEngineBlack->setChecked(true);
    mnuengon->setChecked(true);
    SoundOn = true;
    ResetClocks();
    SetBack(txtIO, m_backColor, true);
    SetBack(Frame1, m_backColor);
    txtIO->SetText("");
    PromotionLetter = "";
    mnulvl2_Click();
    CheckEngineItems();
}

void frmDebugMain::Feed(const QString& sCommand) {
    if (Text2->text() == sCommand)
        cmdFakeInput_Click();
    else
        Text2->setText(sCommand);
}

void frmDebugMain::cmdFakeInput_Click() {
    if (!InGuiMode) return;
    FeedEngine(Text2->text().toStdString() + "\n");
}

void frmDebugMain::ShowLine(const std::string& sText, int nSearchSeconds) {
    const QString text = QString::fromStdString(sText);
    if (ShowAnalysis(text) || ShowHint(text)) return;
    if (text.contains("move ")) {
        QString m = text;
        m.remove("move ");
        // The board takes the squares; the piece of a promotion is its letter, kept for PawnPromotion.
        PromotionLetter = m.size() == 5 ? m.right(1).toStdString() : "";
        txtMovePiece->setText(m.left(4));
        cmdMovePiece_Click();
        txtMovePiece->setText("");
        if (GuiEngineWhite) {
            Charge(WhiteHours, WhiteMinutes, WhiteSeconds, nSearchSeconds);
            Label12->setText(ClockText(WhiteHours, WhiteMinutes, WhiteSeconds));
        } else {
            Charge(BlackHours, BlackMinutes, BlackSeconds, nSearchSeconds);
        }
        Label10->setText(ClockText(BlackHours, BlackMinutes, BlackSeconds));
    }
    NoteEngineLine(text);
    if (text.contains("resign")) Message(Italian() ? "Il Motore ha abbandonato" : "Engine resign");
    AppendOutput(text);
    update();
}

void frmDebugMain::AppendOutput(const QString& sLine) {
    QString old = txtIO->Text();
    if (old.size() > OutputLimit) old.clear();
    txtIO->SetText(old + "\r\n" + sLine);
    txtIO->ScrollToEnd();
}

bool frmDebugMain::Italian() const {
    return mnuitalian->isChecked();
}

void frmDebugMain::cmdMovePiece_Click() {
    const QString t = txtMovePiece->text();
    if (EngineOn) Feed(t);
    if (!wqzChessboard2->MovePiece(t.left(2), t.right(2)))
        Message(Italian() ? "Mossa non valida o sintassi non corretta da aprte del motore"
                          : "Illegal move or bad syntax");
}

// The engine changes colour, as the protocol's go once made it do.
void frmDebugMain::Command1_Click() {
    EngineChangesColour();
}

void frmDebugMain::Command2_Click() {
    StopAnalysis();
    wqzChessboard2->NewGame();
    lstWhiteMoves->clear();
    lstBlackMoves->clear();
    Feed("new");
}

void frmDebugMain::cmdTestStalemate_Click() {
    wqzChessboard2->NewGame(false, 0, 0, QString::fromLatin1(StalemateLayout), true);
    lstWhiteMoves->clear();
    lstBlackMoves->clear();
}
