// SPDX-License-Identifier: GPL-3.0-or-later
// The game window's view menus: board orientation and options, colour schemes, sizes, language, Minimize
// and About.
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>

#include "gui/chessboard/wqzChessboard.h"
#include "gui/window/Resize_forms.h"
#include "gui/window/ReviewPanel.h"
#include "gui/window/frmAbout.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"
#include "gui/window/frmDebugMainParts.h"

namespace {

struct Caption {
    QAction* frmDebugMain::*Item;
    const char* English;
    const char* Italian;
};

const Caption Captions[] = {
    {&frmDebugMain::mnuGame, "Chess", "Gioco"},
    {&frmDebugMain::mnuGameNew, "New Game", "Nuova Partita"},
    {&frmDebugMain::mnuext, "Exit", "Esci dal programma"},
    {&frmDebugMain::mnuseparetor1, "Engine", "Motore"},
    {&frmDebugMain::mnuside, "Side", "Lato"},
    {&frmDebugMain::mnuEngineWithe, "White", "Bianco"},
    {&frmDebugMain::mnuEngineBlack, "Black", "Nero"},
    {&frmDebugMain::mnumot, "Active", "Attivo"},
    {&frmDebugMain::mnuouten, "Output", "Output"},
    {&frmDebugMain::mnuseparetor2, "Level", "Livello"},
    {&frmDebugMain::mnulvl1, "Easy", "Facile"},
    {&frmDebugMain::mnulvl2, "Medium", "Medio"},
    {&frmDebugMain::mnulvl3, "Advanced", "Avanzato"},
    {&frmDebugMain::mnuBoard, "Board", "Scacchiera"},
    {&frmDebugMain::mnuBoardView, "Reverse Board", "Inverti Scacchiera"},
    {&frmDebugMain::mnuBoardHighlight, "Highlight Move", "Evidenzia ultima mossa"},
    {&frmDebugMain::mnusound, "Sound on/off", "Suoni on/off"},
    {&frmDebugMain::mnucolor, "Set Color", "Colori Scacchiera"},
    {&frmDebugMain::mnuguisett, "GUI Board Size", "Dimensioni GUI Scacchiera"},
    {&frmDebugMain::mnuguirest, "Default", "Reimposta Dimensioni GUI"},
    {&frmDebugMain::mnusmall, "Small", "Piccola"},
    {&frmDebugMain::mnumedium, "Medium", "Media"},
    {&frmDebugMain::mnubig, "Big", "Grande"},
    {&frmDebugMain::mnugrid, "Show Grid Lines", "Mostra Griglia"},
    {&frmDebugMain::mnu3d, "3D Square", "Casa in 3D"},
    {&frmDebugMain::mnuActions, "Moves", "Mosse"},
    {&frmDebugMain::mnuActionsUndo, "Retract Move", "Ritira Mossa"},
    {&frmDebugMain::mnumin, "Minimize", "Minimizza"},
    {&frmDebugMain::mnuWQ, "Queen", "Regina"},
    {&frmDebugMain::mnuBQ, "Queen", "Regina"},
    {&frmDebugMain::mnuWR, "Rook", "Torre"},
    {&frmDebugMain::mnuBR, "Rook", "Torre"},
    {&frmDebugMain::mnuwb, "Bishop", "Alfiere"},
    {&frmDebugMain::mnuBB, "Bishop", "Alfiere"},
    {&frmDebugMain::mnuWN, "Knight", "Cavallo"},
    {&frmDebugMain::mnuBN, "Knight", "Cavallo"},
    {&frmDebugMain::mnuCopyPGN, "Copy Game as PGN", "Copia partita in PGN"},
    {&frmDebugMain::mnuSavePGN, "Save Game as PGN...", "Salva partita in PGN..."},
    {&frmDebugMain::mnuPasteFEN, "Paste Position (FEN)", "Incolla posizione (FEN)"},
    {&frmDebugMain::mnuOpenPGN, "Open PGN...", "Apri PGN..."},
    {&frmDebugMain::mnuReviewGame, "Review Game", "Revisione partita"},
    {&frmDebugMain::mnuSaveReview, "Save Annotated PGN...", "Salva PGN commentato..."},
    {&frmDebugMain::mnuStrength, "Strength", "Forza"},
    {&frmDebugMain::mnuFullStrength, "Full strength", "Forza piena"},
    {&frmDebugMain::mnuStrong, "Strong search", "Ricerca forte"},
    {&frmDebugMain::mnuHint, "Hint", "Suggerimento"},
    {&frmDebugMain::mnuAnalyse, "Analyse", "Analizza"},
};

}  // namespace

void frmDebugMain::mnuBoardView_Click() {
    const bool turn = wqzChessboard2->SideView() == 0;
    mnuBoardView->setChecked(turn);
    wqzChessboard2->SetSideView(turn ? 1 : 0);
    for (int i = 1; i <= 8; ++i) {
        riga[i]->setText(QString::number(turn ? 9 - i : i));
        Label[i]->setText(QString(QChar(turn ? 'H' - (i - 1) : 'A' + (i - 1))));
    }
}

void frmDebugMain::mnuBoardLock_Click() {
    mnuBoardLock->setChecked(!mnuBoardLock->isChecked());
    wqzChessboard2->SetLocked(!mnuBoardLock->isChecked());
}

void frmDebugMain::mnuBoardHighlight_Click() {
    mnuBoardHighlight->setChecked(!mnuBoardHighlight->isChecked());
    wqzChessboard2->SetHighlightMove(mnuBoardHighlight->isChecked());
}

void frmDebugMain::mnusound_Click() {
    mnusound->setChecked(!mnusound->isChecked());
    SoundOn = mnusound->isChecked();
}

void frmDebugMain::ApplyScheme(QAction* item, int nDark, int nLight, int nHighlight, int nShape,
                               int nWindow) {
    wqzChessboard2->SetDarkSquareColor(nDark);
    wqzChessboard2->SetLightSquareColor(nLight);
    wqzChessboard2->SetHighlightMoveColor(nHighlight);
    Shape3->SetBackColor(nShape);
    m_backColor = nWindow;
    SetBack(centralWidget(), nWindow);
    SetBack(Frame1, nWindow);
    SetBack(txtIO, nWindow, true);
    // The coordinates stand on the surround: keep them readable on it.
    for (int i = 1; i <= 8; ++i)
        for (QLabel* l : {riga[i], Label[i]}) SetTextColor(l, TextOn(ColorFromBGR(nShape)));
    for (QAction* a : {mnuDGS, mnuwbs, arena, mnumono, mnurw, mnuwood}) a->setChecked(a == item);
}

void frmDebugMain::mnuDGS_Click() {
    ApplyScheme(mnuDGS, 0x008000, 0x00C0C0, 0x0A9CF3, 0x008000, 0x008080);
}
void frmDebugMain::mnuwbs_Click() {
    ApplyScheme(mnuwbs, 0x6CA277, 0x65C3C8, 0x00FFFF, 0x65C3C8, 0x004000);
}
void frmDebugMain::arena_Click() {
    ApplyScheme(arena, 0x808000, 0xC0C000, 0x00FFFF, 0x808000, 0x400000);
}
void frmDebugMain::mnumono_Click() {
    ApplyScheme(mnumono, 0x808080, 0xE0E0E0, 0xFFFFFF, 0x808080, 0x000000);
}
void frmDebugMain::mnurw_Click() {
    ApplyScheme(mnurw, 0x0000C0, 0xFFFFFF, 0x00FF00, 0x0000C0, 0x000080);
}
void frmDebugMain::mnuwood_Click() {
    ApplyScheme(mnuwood, 0x375F86, 0x6292AE, 0xFFFFFF, 0x6292AE, 0x253E4B);
}

void frmDebugMain::mnuguirest_Click() {
    RestoreFormSize(this);
    for (QAction* a : {mnusmall, mnumedium, mnubig}) a->setChecked(false);
    mnuguirest->setChecked(true);
}

void frmDebugMain::SetWindowSize(QAction* item, int nHeight, int nWidth) {
    for (QAction* a : {mnusmall, mnumedium, mnubig, mnuguirest}) a->setChecked(a == item);
    if (isMaximized() || isMinimized()) showNormal();
    resize(TwipsToPixels(nWidth), TwipsToPixels(nHeight));
}

void frmDebugMain::mnusmall_Click() {
    SetWindowSize(mnusmall, 6445, 6985);
}
void frmDebugMain::mnumedium_Click() {
    SetWindowSize(mnumedium, 9445, 10985);
}
void frmDebugMain::mnubig_Click() {
    SetWindowSize(mnubig, 10645, 12445);
}

void frmDebugMain::mnugrid_Click() {
    if (mnugrid->isChecked()) {
        mnugrid->setChecked(false);
        GridLines = false;
        mnu3d->setEnabled(false);
        mnu3d->setChecked(false);
    } else {
        mnugrid->setChecked(true);
        GridLines = true;
        mnu3d->setEnabled(true);
        mnu3d->setChecked(false);
    }
    wqzChessboard2->UserControl_Paint();
}

void frmDebugMain::mnu3d_Click() {
    mnu3d->setChecked(!mnu3d->isChecked());
    Squares3D = mnu3d->isChecked();
    wqzChessboard2->UserControl_Paint();
}

void frmDebugMain::mnuitalian_Click() {
    for (const Caption& c : Captions) (this->*c.Item)->setText(QString::fromUtf8(c.Italian));
    mnuitalian->setChecked(true);
    mnueng->setChecked(false);
    ShowResult();
    pnlReview->SetItalian(true);
    dockReview->setWindowTitle(QStringLiteral("Revisione"));
}

void frmDebugMain::mnueng_Click() {
    for (const Caption& c : Captions) (this->*c.Item)->setText(QString::fromUtf8(c.English));
    mnuitalian->setChecked(false);
    mnueng->setChecked(true);
    ShowResult();
    pnlReview->SetItalian(false);
    dockReview->setWindowTitle(QStringLiteral("Review"));
}

void frmDebugMain::mnumin_Click() {
    showMinimized();
}

void frmDebugMain::mnuHelpAbout_Click() {
    frmAbout::ShowAbout(this);
}
