// SPDX-License-Identifier: GPL-3.0-or-later
// The game window's record of the game for PGN: the position the board's game began from and the moves
// since, copied or saved as PGN; and positions pasted as FEN text.
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QListWidget>
#include <QSaveFile>

#include "gui/chessboard/wqzChessboard.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"
#include "gui/window/frmDebugMainParts.h"

std::function<QString(QWidget*, const QString&)> frmDebugMain::SaveFileName = [](QWidget* parent,
                                                                                 const QString& sSuggested) {
    return QFileDialog::getSaveFileName(parent, QString(), sSuggested, QStringLiteral("PGN (*.pgn);;* (*)"));
};

namespace {

struct FaultText {
    FenFault Fault;
    const char *English, *Italian;
};
const FaultText FaultTexts[] = {
    {FenFault::Fields,
     "it needs the placement, the side to move, castling and en passant, then two counters "
     "if any",
     "servono la disposizione, il lato che muove, arrocco ed en passant, poi eventualmente due contatori"},
    {FenFault::Placement, "the placement must be 8 ranks of 8 squares (KQRBNP, kqrbnp, 1-8)",
     "la disposizione deve avere 8 traverse di 8 case (KQRBNP, kqrbnp, 1-8)"},
    {FenFault::Kings, "each side needs exactly one king", "ogni lato deve avere un solo Re"},
    {FenFault::Pawns, "no pawn can stand on the first or last rank",
     "nessun pedone pu\xC3\xB2 stare sulla prima o sull'ultima traversa"},
    {FenFault::Material, "more pieces than promotions can give",
     "pi\xC3\xB9 pezzi di quanti le promozioni ne possano dare"},
    {FenFault::Side, "the side to move must be w or b", "il lato che muove deve essere w o b"},
    {FenFault::Castling, "castling must be - or letters of KQkq",
     "l'arrocco deve essere - o lettere di KQkq"},
    {FenFault::EnPassant, "the en-passant square must be - or a square of rank 3 or 6",
     "la casa en passant deve essere - o una casa della terza o sesta traversa"},
    {FenFault::Counters, "the move counters must be whole numbers",
     "i contatori delle mosse devono essere numeri interi"},
    {FenFault::Check, "the side that has just moved is in check",
     "il lato che ha appena mosso \xC3\xA8 sotto scacco"},
};

}  // namespace

// The board put up a position (new game, test position, pasted FEN): the record starts again from it.
void frmDebugMain::StartRecord() {
    m_start = PositionOf(*wqzChessboard2);
    m_moves.clear();
    m_date = QDate::currentDate();
    ClearResult();
    m_opened.reset();
    m_shownPly = m_reviewedShown = -1;
    RefreshPanel();
}

void frmDebugMain::NoteMove(bool, const QString& sFrom, const QString& sTo) {
    GameMove m{sFrom, sTo, 0};
    // A promotion's record (the board's newest) tells the piece the pawn became.
    const int n = wqzChessboard2->UndoCount();
    if (n > 0 && wqzChessboard2->UndoRecord(n - 1).MoveType == 4)
        m.Promotion = wqzChessboard2->SquareInfo(wqzChessboard2->SquareFromName(sTo)).Kind;
    m_moves.push_back(m);
    if (!wqzChessboard2->ShowingLayout()) wqzChessboard2->SetArrow(0, 0);
    RefreshPanel();
}

void frmDebugMain::NoteTakeBack() {
    if (!m_moves.empty()) m_moves.pop_back();
    ClearResult();
    if (m_shownPly >= static_cast<int>(m_moves.size())) StepTo(static_cast<int>(m_moves.size()));
    if (!wqzChessboard2->ShowingLayout()) wqzChessboard2->SetArrow(0, 0);
    RefreshPanel();
}

QString frmDebugMain::GamePgn() const {
    const QString engine = QStringLiteral("TalvorWBE"), person = QStringLiteral("?");
    PgnTags tags;
    tags.Event = QStringLiteral("TalvorWBE game");
    tags.Site = QStringLiteral("?");
    tags.Date =
        m_date.isValid() ? m_date.toString(QStringLiteral("yyyy.MM.dd")) : QStringLiteral("????.??.??");
    tags.Round = QStringLiteral("-");
    tags.White = EngineOn && GuiEngineWhite ? engine : person;
    tags.Black = EngineOn && !GuiEngineWhite ? engine : person;
    tags.Result = m_result.isEmpty() ? QStringLiteral("*") : m_result;
    return PgnText(tags, m_start, m_moves);
}

void frmDebugMain::mnuCopyPGN_Click() {
    QGuiApplication::clipboard()->setText(GamePgn());
}

void frmDebugMain::mnuSavePGN_Click() {
    const QString suggested = QDir::home().filePath(
        QStringLiteral("talvor-%1.pgn").arg(m_date.toString(QStringLiteral("yyyy-MM-dd"))));
    const QString file = SaveFileName(this, suggested);
    if (file.isEmpty()) return;
    QSaveFile out(file);
    const QByteArray text = GamePgn().toUtf8();
    if (out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.commit()) return;
    Message((Italian() ? QStringLiteral("Impossibile salvare la partita in %1: %2")
                       : QStringLiteral("Could not save the game to %1: %2"))
                .arg(QDir::toNativeSeparators(file), out.errorString()));
}

void frmDebugMain::mnuPasteFEN_Click() {
    SetUpPosition(QGuiApplication::clipboard()->text());
}

// As New Game, from the position given: the clocks, the record and the engine start afresh there, and the
// engine keeps its level and its side.
bool frmDebugMain::SetUpPosition(const QString& sFen) {
    FenFault fault = FenFault::None;
    const std::optional<FenPosition> p = ReadFen(sFen, &fault);
    if (!p) {
        QString why;
        for (const FaultText& t : FaultTexts)
            if (t.Fault == fault) why = QString::fromUtf8(Italian() ? t.Italian : t.English);
        Message((Italian() ? QStringLiteral("Posizione FEN non valida: ")
                           : QStringLiteral("Not a valid FEN position: ")) +
                why);
        return false;
    }
    StopAnalysis();
    ResetClocks();
    MoveNumber = p->FullmoveNumber - (p->WhiteToMove ? 1 : 0);  // White moves made before it
    Text1->SetText("");
    wqzChessboard2->SetPosition(p->Layout, p->WhiteToMove, p->Castling, p->EnPassantFile);
    m_start = *p;
    lstWhiteMoves->clear();
    lstBlackMoves->clear();
    txtIO->SetText("");
    if (EngineOn) {
        // New forgets the depth of the level, so the level's text goes first; new gives the engine Black.
        // White to play it: go when White is on move, else black (Black on move, the engine White).
        const char* level = mnulvl1->isChecked()   ? EasyCommands
                            : mnulvl2->isChecked() ? MediumCommands
                                                   : AdvancedCommands;
        const char* side = !GuiEngineWhite ? "" : p->WhiteToMove ? "\ngo" : "\nblack";
        Feed(QString::fromLatin1(level) + "\nsetboard " + FenText(*p) + side);
        for (QAction* a : {mnulvl1, mnulvl2, mnulvl3}) a->setEnabled(false);
    }
    ShowSideToMove(p->WhiteToMove);
    return true;
}
