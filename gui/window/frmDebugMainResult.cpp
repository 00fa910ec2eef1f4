// SPDX-License-Identifier: GPL-3.0-or-later
// The end of a game in the game window: the result the board's mate and stalemate, or the engine's result
// line, decide, shown over the board in the window's language.
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"
#include "gui/window/frmDebugMainParts.h"

namespace {

struct EndText {
    frmDebugMain::GameEnd How;
    const char *English, *Italian;  // %1: the side concerned
};
const EndText EndTexts[] = {
    {frmDebugMain::GameEnd::Checkmate, "Checkmate: %1 wins", "Scacco matto: vince il %1"},
    {frmDebugMain::GameEnd::Stalemate, "Stalemate: a draw", "Stallo: patta"},
    {frmDebugMain::GameEnd::Repetition, "Draw by repetition", "Patta per ripetizione"},
    {frmDebugMain::GameEnd::FiftyMoves, "Draw by the fifty-move rule", "Patta per la regola delle 50 mosse"},
    {frmDebugMain::GameEnd::Draw, "Draw", "Patta"},
    {frmDebugMain::GameEnd::Resignation, "%1 resigns", "Il %1 abbandona"},
};

}  // namespace

void frmDebugMain::EndGame(const QString& sResult, GameEnd eHow) {
    if (m_end != GameEnd::None) return;
    m_result = sResult;
    m_end = eHow;
    StopClocks();
    ShowResult();
}

void frmDebugMain::ShowResult() {
    if (m_end == GameEnd::None) return;
    const bool it = Italian();
    const bool whiteWins = m_result == QLatin1String("1-0"), blackWins = m_result == QLatin1String("0-1");
    QString reason;
    for (const EndText& t : EndTexts)
        if (t.How == m_end) reason = QString::fromUtf8(it ? t.Italian : t.English);
    // The side named: the winner after a mate, the loser after a resignation.
    const bool white = m_end == GameEnd::Resignation ? blackWins : whiteWins;
    reason = reason.arg(QString::fromLatin1(it ? (white ? "Bianco" : "Nero") : (white ? "White" : "Black")));
    if (m_end == GameEnd::Result)
        reason = whiteWins   ? (it ? "Vince il Bianco" : "White wins")
                 : blackWins ? (it ? "Vince il Nero" : "Black wins")
                             : (it ? "Patta" : "Draw");
    const QString shown =
        m_result == QLatin1String("1/2-1/2") ? QString::fromUtf8("\xC2\xBD-\xC2\xBD") : m_result;
    lblResult->Show(shown, reason);
}

void frmDebugMain::ClearResult() {
    m_result.clear();
    m_end = GameEnd::None;
    lblResult->hide();
}

// The engine's own verdicts: result lines, and its resignation.
void frmDebugMain::NoteEngineLine(const QString& sLine) {
    if (sLine.startsWith(QLatin1String("1-0")) || sLine.startsWith(QLatin1String("0-1")))
        EndGame(sLine.left(3), GameEnd::Result);
    else if (sLine.startsWith(QLatin1String("1/2-1/2")))
        EndGame(QStringLiteral("1/2-1/2"), sLine.contains(QLatin1String("ripetizione")) ? GameEnd::Repetition
                                           : sLine.contains(QLatin1String("50"))        ? GameEnd::FiftyMoves
                                                                                        : GameEnd::Draw);
    else if (sLine == QLatin1String("resign"))
        EndGame(GuiEngineWhite ? QStringLiteral("0-1") : QStringLiteral("1-0"), GameEnd::Resignation);
}
