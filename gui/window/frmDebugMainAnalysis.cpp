// SPDX-License-Identifier: GPL-3.0-or-later
// The game window's engine helps beside play: the strong search, the strength, a hint for the side to move
// and endless analysis of the position on the board. All of it goes to the engine as protocol text; the
// engine's analysis lines and hints come back through ShowLine and are written here for the person.
#include <QMenu>
#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "driver/EngineOptions.h"
#include "driver/GuiLink.h"
#include "driver/ThinkingOutput.h"
#include "gui/chessboard/wqzChessboard.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"

namespace {

// Both searches reach the first three; the design's search plays the last at its top, about 1040.
constexpr int StrengthLevels[] = {500, 750, 1000, 1500};
static_assert(std::size(StrengthLevels) == 4 && StrengthLevels[0] >= MinStrengthElo &&
              StrengthLevels[3] <= MaxStrengthElo);

// Scores within this many plies of the search's infinity are mates.
constexpr int Mated = 100000, MateBand = 1000;

// The engine's score (the side to move's) from White's side: pawns with two decimals, or a mate in moves.
QString WhiteScore(int nScore, bool bWhiteToMove) {
    const int s = bWhiteToMove ? nScore : -nScore;
    if (std::abs(s) > Mated - MateBand)
        return QStringLiteral("%1#%2").arg(s > 0 ? '+' : '-').arg((Mated - std::abs(s) + 1) / 2);
    return QString::fromStdString(ScoreText(s));
}

}  // namespace

void frmDebugMain::BuildEngineItems(QMenu* engine) {
    using F = frmDebugMain;
    QMenu* strength = SubMenu(engine, "mnuStrength", "Strength", mnuStrength);
    auto level = [&](const QString& sName, const QString& sCaption, int nElo) {
        QAction* a = strength->addAction(sCaption);
        a->setObjectName(sName);
        a->setCheckable(true);
        a->setData(nElo);
        connect(a, &QAction::triggered, this, [this, a] {
            a->setChecked(!a->isChecked());
            mnuStrength_Click(a);
        });
        return a;
    };
    mnuFullStrength = level(QStringLiteral("mnuFullStrength"), QStringLiteral("Full strength"), 0);
    std::vector<int> elos(std::begin(StrengthLevels), std::end(StrengthLevels));
    // A strength the settings file chose stays choosable.
    if (LimitStrengthOn() && std::find(elos.begin(), elos.end(), StrengthSetting()) == elos.end()) {
        elos.push_back(StrengthSetting());
        std::sort(elos.begin(), elos.end());
    }
    for (int elo : elos)
        mnuElo.push_back(level(QStringLiteral("mnuElo%1").arg(elo), QStringLiteral("%1 Elo").arg(elo), elo));
    mnuStrong = Item(engine, "mnuStrong", "Strong search", &F::mnuStrong_Click);
    engine->addSeparator();
    mnuHint = Item(engine, "mnuHint", "Hint", &F::mnuHint_Click, false);
    mnuAnalyse = Item(engine, "mnuAnalyse", "Analyse", &F::mnuAnalyse_Click);
}

// The items show what the engine has in force: the settings file's choices or the command line's.
void frmDebugMain::CheckEngineItems() {
    mnuStrong->setChecked(ChosenSearch == SearchKind::Strong);
    const int elo = LimitStrengthOn() ? StrengthSetting() : 0;
    mnuFullStrength->setChecked(elo == 0);
    for (QAction* a : mnuElo) a->setChecked(a->data().toInt() == elo);
    mnuAnalyse->setChecked(false);
    m_hintPing = 0;
}

void frmDebugMain::mnuStrong_Click() {
    mnuStrong->setChecked(!mnuStrong->isChecked());
    Feed(QStringLiteral("option RicercaForte=%1").arg(mnuStrong->isChecked() ? 1 : 0));
}

void frmDebugMain::mnuStrength_Click(QAction* item) {
    mnuFullStrength->setChecked(item == mnuFullStrength);
    for (QAction* a : mnuElo) a->setChecked(a == item);
    const int elo = item->data().toInt();
    Feed(elo == 0 ? QStringLiteral("option LimitaForza=0")
                  : QStringLiteral("option LimitaForza=1\noption ForzaElo=%1").arg(elo));
}

bool frmDebugMain::Analysing() const {
    return mnuAnalyse->isChecked();
}

// The board's game for an engine that heard none of it (it is off): from where the board's game began,
// every move, in force mode so that it plays nothing.
QString frmDebugMain::EngineSyncText() const {
    QString text = IsStartPosition(m_start) ? QStringLiteral("new") : "setboard " + FenText(m_start);
    text += QStringLiteral("\nforce");
    for (const GameMove& m : m_moves) text += "\n" + CoordinateText(m);
    return text;
}

void frmDebugMain::mnuAnalyse_Click() {
    if (Analysing()) return StopAnalysis();
    mnuAnalyse->setChecked(true);
    m_analysisMove.clear();
    mnuengon_Click();
    txtIO->SetText("");
    Feed((EngineOn ? QString() : EngineSyncText() + "\n") + "analyze");
}

void frmDebugMain::StopAnalysis() {
    if (!Analysing()) return;
    mnuAnalyse->setChecked(false);
    Feed(QStringLiteral("exit"));
    ReadMailbox();  // now: the caller's own feed, if any, would take its place in the mailbox
}

void frmDebugMain::mnuHint_Click() {
    if (Analysing()) {
        if (m_analysisMove.isEmpty() || !MarkHint(m_analysisMove)) NoHint(false);
        return;
    }
    // The side to move is the engine's, or soon will be: its hint would be the move it is about to play.
    if (EngineBusy()) return NoHint(true);
    // The ping's answer follows the hint's, if there is one.
    static int pings = 9000;
    m_hintPing = ++pings;
    m_hintCame = false;
    Feed((EngineOn ? QString() : EngineSyncText() + "\n") + QStringLiteral("hint\nping %1").arg(m_hintPing));
}

bool frmDebugMain::MarkHint(const QString& sMove) {
    const FenPosition here = PositionOf(*wqzChessboard2);
    const GameMove m = MoveOfCoordinates(sMove, here.WhiteToMove);
    const QStringList san = SanMoves(here, {m});
    if (san.isEmpty()) return false;  // not a move here: it belongs to another position
    wqzChessboard2->MarkHint(wqzChessboard2->SquareFromName(m.From), wqzChessboard2->SquareFromName(m.To));
    AppendOutput((Italian() ? QStringLiteral("Suggerimento: ") : QStringLiteral("Hint: ")) + san[0]);
    return true;
}

void frmDebugMain::NoHint(bool bThinking) {
    if (!txtIO->isVisibleTo(this)) mnuengon_Click();
    if (Italian())
        AppendOutput(bThinking ? QStringLiteral("Nessun suggerimento mentre il motore pensa")
                               : QStringLiteral("Nessun suggerimento disponibile"));
    else
        AppendOutput(bThinking ? QStringLiteral("No hint while the engine thinks")
                               : QStringLiteral("No hint available"));
}

// The engine's answer to a hint asked for: the hint itself, then the ping that closes it.
bool frmDebugMain::ShowHint(const QString& sLine) {
    if (m_hintPing == 0) return false;
    if (sLine.startsWith(QLatin1String("Hint: "))) {
        m_hintCame = MarkHint(sLine.mid(6).trimmed());
        return true;
    }
    if (sLine != QStringLiteral("pong %1").arg(m_hintPing)) return false;
    if (!m_hintCame) NoHint(false);
    m_hintPing = 0;
    return true;
}

// An analysis line (depth, score, centiseconds, nodes, moves) as depth, White's score and SAN.
bool frmDebugMain::ShowAnalysis(const QString& sLine) {
    static const QRegularExpression analysis(
        QStringLiteral("^(\\d+) (-?\\d+) \\d+ \\d+((?: [a-h][1-8][a-h][1-8][qrbn]?)*)$"));
    if (!Analysing()) return false;
    const QRegularExpressionMatch found = analysis.match(sLine);
    if (!found.hasMatch()) return false;
    FenPosition here = PositionOf(*wqzChessboard2);
    here.FullmoveNumber = std::max(1, MoveNumber + (here.WhiteToMove ? 1 : 0));
    const QStringList texts = found.captured(3).split(' ', Qt::SkipEmptyParts);
    std::vector<GameMove> moves;
    bool white = here.WhiteToMove;
    for (const QString& t : texts) moves.push_back(MoveOfCoordinates(t, white)), white = !white;
    // A line of the position before the last move, on its way when the move was made, does not fit here.
    if (SanMoves(here, moves).size() != texts.size()) return true;
    m_analysisMove = texts.value(0);
    AppendOutput(QStringLiteral("%1 %2  %3  %4")
                     .arg(Italian() ? QStringLiteral("Prof.") : QStringLiteral("Depth"), found.captured(1),
                          WhiteScore(found.captured(2).toInt(), here.WhiteToMove),
                          NumberedSan(here, moves).join(' ')));
    return true;
}
