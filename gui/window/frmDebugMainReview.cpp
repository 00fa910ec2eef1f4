// SPDX-License-Identifier: GPL-3.0-or-later
// The game window's games from PGN files and their review: Open PGN (a file of several games lets the
// person pick one), stepping through the board's game, the review on a thread of its own with its
// progress and Cancel, the panel beside the board, the better move as an arrow, Save annotated PGN.
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/chessboard/wqzChessboard.h"
#include "gui/window/Resize_forms.h"
#include "gui/window/ReviewPanel.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"
#include "review/EngineAnalyser.h"
#include "review/ReviewFile.h"
#include "review/ReviewThread.h"
#include "review/SanBoard.h"

std::function<QString(QWidget*)> frmDebugMain::OpenFileName = [](QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QString(), QDir::homePath(),
                                        QStringLiteral("PGN (*.pgn);;* (*)"));
};

namespace {

// A list of the file's games to pick one from: a double click or OK opens it.
int PickFromList(QWidget* parent, const QStringList& titles) {
    QDialog dialog(parent);
    dialog.setObjectName("dlgPickGame");
    const bool italian = DebugMain() && DebugMain()->Italian();
    dialog.setWindowTitle(italian ? QStringLiteral("Scegli la partita") : QStringLiteral("Choose the game"));
    auto* list = new QListWidget(&dialog);
    list->addItems(titles);
    list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(list);
    column->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    dialog.resize(520, 400);
    return dialog.exec() == QDialog::Accepted ? list->currentRow() : -1;
}

// Text from a file's bytes: UTF-8 when it is, else Latin-1 (the older files' encoding).
QString TextOf(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return utf8.hasError() ? QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())) : text;
}

QString GameListTitle(const PgnGame& game, bool bItalian) {
    QString title = QStringLiteral("%1. %2").arg(game.Number).arg(TextOf(GameTitle(game)));
    QStringList where;
    for (const char* tag : {"Event", "Site", "Date"})
        if (const std::string value = game.TagOr(tag, "?");
            !value.empty() && value.find('?') == std::string::npos)
            where << TextOf(value);
    if (!where.isEmpty()) title += " (" + where.join(QStringLiteral(", ")) + ")";
    if (game.Error)
        title += bItalian ? QStringLiteral(" - illeggibile") : QStringLiteral(" - cannot be read");
    return title;
}

std::string StartFenOf(const PgnGame& game) {
    return game.StartFen.empty() ? bitboard::StartFen : game.StartFen;
}

// Placement, side, castling and en passant: the position, whatever its move counters.
std::string PositionPart(const std::string& fen) {
    size_t end = 0;
    for (int field = 0; field < 4 && end != std::string::npos; ++field) end = fen.find(' ', end + 1);
    return fen.substr(0, end);
}

std::vector<std::string> CoordinatesOf(const PgnGame& game) {
    std::vector<std::string> moves;
    for (const PgnMove& m : game.Moves.Moves) moves.push_back(m.Coordinates);
    return moves;
}

// "1. e4", "1... e5": the game's moves in standard notation, numbered.
QStringList NumberedMoves(const PgnGame& game) {
    QStringList out;
    const std::optional<SanBoard> start = SanBoard::FromFen(StartFenOf(game));
    if (!start) return out;
    const std::vector<std::string> san = start->SanLine(CoordinatesOf(game));
    for (size_t i = 0; i < san.size(); ++i)
        out << QString::fromStdString(MoveNumberText(game.FirstMoveNumber(), game.WhiteMovesFirst(), i) +
                                      " " + san[i]);
    return out;
}

// The board's squares of a coordinate move's two squares.
std::pair<int, int> SquaresOf(const wqzChessboard& board, const std::string& move) {
    if (move.size() < 4) return {0, 0};
    return {board.SquareFromName(QString::fromStdString(move.substr(0, 2))),
            board.SquareFromName(QString::fromStdString(move.substr(2, 2)))};
}

// The layout of the position after the first nPly moves of a line.
QString LayoutAfter(const std::string& startFen, const std::vector<std::string>& moves, int nPly) {
    std::optional<SanBoard> board = SanBoard::FromFen(startFen);
    if (!board) return QString();
    for (int i = 0; i < nPly; ++i)
        if (const std::optional<bitboard::Move> m = board->MoveOfCoordinates(moves[static_cast<size_t>(i)]))
            board->Play(*m);
    const std::optional<FenPosition> p = ReadFen(QString::fromStdString(board->Fen()));
    return p ? p->Layout : QString();
}

}  // namespace

std::function<int(QWidget*, const QStringList&)> frmDebugMain::PickGame = PickFromList;
AnalysisBudget frmDebugMain::ReviewBudget = AnalysisBudget::Nodes(ReviewOptions::DefaultReviewNodes);

void frmDebugMain::BuildReviewItems(QMenu* game) {
    using F = frmDebugMain;
    mnuOpenPGN = Item(game, "mnuOpenPGN", "Open PGN...", &F::mnuOpenPGN_Click, false);
    mnuReviewGame = Item(game, "mnuReviewGame", "Review Game", &F::mnuReviewGame_Click, false);
    mnuSaveReview = Item(game, "mnuSaveReview", "Save Annotated PGN...", &F::mnuSaveReview_Click, false);
    mnuOpenPGN->setShortcut(QKeySequence::Open);
    mnuReviewGame->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    mnuSaveReview->setEnabled(false);
    // Stepping through the game: keys of the whole window (a text box keeps its own arrow keys).
    auto key = [this](const char* sName, Qt::Key eKey, int nHow) {
        auto* a = new QAction(this);
        a->setObjectName(sName);
        a->setShortcut(QKeySequence(eKey));
        addAction(a);
        connect(a, &QAction::triggered, this, [this, nHow] { Step(nHow); });
        return a;
    };
    actFirst = key("actFirst", Qt::Key_Home, -2);
    actBack = key("actBack", Qt::Key_Left, -1);
    actForward = key("actForward", Qt::Key_Right, 1);
    actLast = key("actLast", Qt::Key_End, 2);

    pnlReview = new ReviewPanel;
    dockReview = new QDockWidget(this);
    dockReview->setObjectName("dockReview");
    dockReview->setWidget(pnlReview);
    dockReview->setFeatures(QDockWidget::DockWidgetClosable);
    dockReview->setAllowedAreas(Qt::RightDockWidgetArea);
    addDockWidget(Qt::RightDockWidgetArea, dockReview);
    dockReview->hide();
    connect(pnlReview, &ReviewPanel::PlyChosen, this, &frmDebugMain::ChooseReviewedPly);
    connect(pnlReview, &ReviewPanel::StepClicked, this, &frmDebugMain::Step);
    connect(pnlReview, &ReviewPanel::CancelClicked, this, &frmDebugMain::CancelReview);
    connect(pnlReview, &ReviewPanel::SaveClicked, this, &frmDebugMain::mnuSaveReview_Click);
    connect(dockReview, &QDockWidget::visibilityChanged, this, [this](bool bVisible) {
        // The panel took room from the controls or gave it back: they are laid out again once the window
        // has settled (the window itself may not have changed its size).
        QTimer::singleShot(0, this, [this] {
            // The panel may have come out wider than asked: the window makes room for that too.
            if (m_dockWidth > 0 && dockReview->isVisible() && dockReview->width() != m_dockWidth &&
                !isMaximized() && !isFullScreen()) {
                resize(width() + dockReview->width() - m_dockWidth, height());
                m_dockWidth = dockReview->width();
            }
            ResizeForm(this);
            LayOutBoard();
        });
        // Closed by the person: the window gives back the room the panel took.
        if (bVisible || isMinimized()) return;
        if (m_reviewedShown >= 0) StepTo(static_cast<int>(m_moves.size()));
        if (m_dockWidth == 0) return;
        if (!isMaximized() && !isFullScreen()) resize(width() - m_dockWidth, height());
        m_dockWidth = 0;
    });
}

void frmDebugMain::ShowReviewPanel() {
    dockReview->setWindowTitle(Italian() ? QStringLiteral("Revisione") : QStringLiteral("Review"));
    pnlReview->SetItalian(Italian());
    if (dockReview->isVisible()) return;
    // The board keeps its size: the window grows by the panel's width.
    constexpr int PanelWidth = 340;
    if (!isMaximized() && !isFullScreen()) {
        m_dockWidth = PanelWidth;
        resize(width() + PanelWidth, height());
    }
    dockReview->show();
    resizeDocks({dockReview}, {PanelWidth}, Qt::Horizontal);
}

// ---------------------------------------------------------------- opening a game

void frmDebugMain::mnuOpenPGN_Click() {
    const QString path = OpenFileName(this);
    if (!path.isEmpty()) OpenPgnFile(path);
}

bool frmDebugMain::OpenPgnFile(const QString& sPath) {
    QFile file(sPath);
    if (!file.open(QIODevice::ReadOnly)) {
        Message((Italian() ? QStringLiteral("Impossibile aprire %1: %2")
                           : QStringLiteral("Could not open %1: %2"))
                    .arg(QDir::toNativeSeparators(sPath), file.errorString()));
        return false;
    }
    const QByteArray bytes = file.readAll();
    const std::vector<PgnGame> games =
        ReadPgn(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    if (games.empty()) {
        Message(Italian() ? QStringLiteral("Il file non contiene partite")
                          : QStringLiteral("The file holds no game"));
        return false;
    }
    int pick = 0;
    if (games.size() > 1) {
        QStringList titles;
        for (const PgnGame& g : games) titles << GameListTitle(g, Italian());
        pick = PickGame(this, titles);
        if (pick < 0 || static_cast<size_t>(pick) >= games.size()) return false;
    }
    PgnGame game = games[static_cast<size_t>(pick)];
    if (game.Error) {
        // What could be read goes on the board; the person is told where the rest was lost.
        Message((Italian() ? QStringLiteral("La partita si legge solo fino all'errore: %1")
                           : QStringLiteral("The game is read up to its error: %1"))
                    .arg(TextOf(ErrorText(game))));
        game.Error.reset();
    }
    OpenGame(game);
    return true;
}

void frmDebugMain::OpenGame(const PgnGame& game) {
    if (EngineOn) mnutalvoroff_Click();
    StopAnalysis();
    m_loading = true;
    if (!SetUpPosition(QString::fromStdString(StartFenOf(game)))) {
        m_loading = false;
        return;
    }
    size_t played = 0;
    bool white = wqzChessboard2->SideTurn() == 0;
    for (const PgnMove& m : game.Moves.Moves) {
        const GameMove move = MoveOfCoordinates(QString::fromStdString(m.Coordinates), white);
        m_loadPromotion =
            QString::fromStdString(m.Coordinates.substr(std::min<size_t>(4, m.Coordinates.size())));
        if (!wqzChessboard2->MovePiece(move.From, move.To)) break;
        ++played, white = !white;
    }
    m_loading = false;
    StopClocks();
    m_opened = game;
    m_opened->Moves.Moves.resize(played);
    ShowReviewPanel();
    RefreshPanel();
    StepTo(static_cast<int>(played));
    wqzChessboard2->setFocus();
}

// The board's game for PGN: the game opened from a file while it is still the same, so its tags and
// comments come along; else the game as played.
PgnGame frmDebugMain::BoardGame() const {
    if (m_opened && PositionPart(StartFenOf(*m_opened)) == PositionPart(FenText(m_start).toStdString()) &&
        CoordinatesOf(*m_opened) == BoardCoordinates())
        return *m_opened;
    const std::vector<PgnGame> games = ReadPgn(GamePgn().toStdString());
    return games.empty() ? PgnGame{} : games.front();
}

std::vector<std::string> frmDebugMain::BoardCoordinates() const {
    std::vector<std::string> moves;
    for (const GameMove& m : m_moves) moves.push_back(CoordinateText(m).toStdString());
    return moves;
}

// The panel shows the review, or while there is none the board's game.
void frmDebugMain::RefreshPanel() {
    // (The board sets up its first game before the panel exists.)
    if (m_loading || !dockReview || !dockReview->isVisible() || m_reviewing || m_review) return;
    const PgnGame game = BoardGame();
    pnlReview->ShowGame(TextOf(GameTitle(game)), NumberedMoves(game), nullptr);
    pnlReview->SetCurrent(ShownPly());
}

// ---------------------------------------------------------------- stepping

int frmDebugMain::ShownPly() const {
    return m_shownPly < 0 ? static_cast<int>(m_moves.size()) : m_shownPly;
}

void frmDebugMain::Step(int nHow) {
    if (m_reviewedShown >= 0) {
        // The reviewed game, no longer the board's: its steps, and past its last position the board's game.
        const int last = static_cast<int>(m_reviewed.Moves.Moves.size());
        if (nHow > 0 && m_reviewedShown == last) return StepTo(static_cast<int>(m_moves.size()));
        return ChooseReviewedPly(nHow == -2  ? 0
                                 : nHow == 2 ? last
                                             : std::clamp(m_reviewedShown + nHow, 0, last));
    }
    const int last = static_cast<int>(m_moves.size());
    StepTo(nHow == -2 ? 0 : nHow == 2 ? last : ShownPly() + nHow);
}

void frmDebugMain::StepTo(int nPly) {
    const std::vector<std::string> moves = BoardCoordinates();
    nPly = std::clamp(nPly, 0, static_cast<int>(moves.size()));
    m_reviewedShown = -1;
    if (nPly == static_cast<int>(moves.size())) {
        if (wqzChessboard2->ShowingLayout()) ShowResult();  // back at the game's end: its result again
        m_shownPly = -1;
        wqzChessboard2->ShowGame();
    } else {
        lblResult->hide();
        m_shownPly = nPly;
        const auto [from, to] = nPly > 0 ? SquaresOf(*wqzChessboard2, moves[static_cast<size_t>(nPly) - 1])
                                         : std::pair<int, int>{0, 0};
        wqzChessboard2->ShowLayout(LayoutAfter(FenText(m_start).toStdString(), moves, nPly), from, to);
    }
    const bool reviewed = m_review && nPly <= ReviewedPliesOnBoard();
    ShowBetterMove(nPly, reviewed);
    if (!m_review || reviewed) pnlReview->SetCurrent(nPly);
}

// How many of the reviewed game's moves the board's game begins with; -1 when it begins elsewhere.
int frmDebugMain::ReviewedPliesOnBoard() const {
    if (PositionPart(StartFenOf(m_reviewed)) != PositionPart(FenText(m_start).toStdString())) return -1;
    const std::vector<std::string> reviewed = CoordinatesOf(m_reviewed), board = BoardCoordinates();
    const auto diverge = std::mismatch(reviewed.begin(), reviewed.end(), board.begin(), board.end());
    return static_cast<int>(diverge.first - reviewed.begin());
}

// A move chosen in the panel: on the board's game where it is the reviewed one, else the reviewed game's
// position is shown on its own.
void frmDebugMain::ChooseReviewedPly(int nPly) {
    if (!m_review || nPly <= ReviewedPliesOnBoard()) return StepTo(nPly);
    const std::vector<std::string> moves = CoordinatesOf(m_reviewed);
    nPly = std::clamp(nPly, 0, static_cast<int>(moves.size()));
    const auto [from, to] = nPly > 0 ? SquaresOf(*wqzChessboard2, moves[static_cast<size_t>(nPly) - 1])
                                     : std::pair<int, int>{0, 0};
    lblResult->hide();
    wqzChessboard2->ShowLayout(LayoutAfter(StartFenOf(m_reviewed), moves, nPly), from, to);
    m_reviewedShown = nPly;
    ShowBetterMove(nPly, true);
    pnlReview->SetCurrent(nPly);
}

// After a marked move, the move that was better, as an arrow.
void frmDebugMain::ShowBetterMove(int nPly, bool bReviewedGame) {
    std::pair<int, int> arrow{0, 0};
    if (bReviewedGame && m_review && nPly >= 1 && static_cast<size_t>(nPly) <= m_review->Moves.size()) {
        const MoveReview& move = m_review->Moves[static_cast<size_t>(nPly) - 1];
        const std::vector<std::string>& line = m_review->Positions[static_cast<size_t>(nPly) - 1].Line;
        if (move.Judged.Mark != Judgement::None && !line.empty())
            arrow = SquaresOf(*wqzChessboard2, line.front());
    }
    wqzChessboard2->SetArrow(arrow.first, arrow.second);
}

// ---------------------------------------------------------------- the review

void frmDebugMain::mnuReviewGame_Click() {
    const PgnGame game = BoardGame();
    if (game.Moves.Moves.empty()) {
        Message(Italian() ? QStringLiteral("Nessuna mossa da rivedere")
                          : QStringLiteral("There is no move to review"));
        return;
    }
    if (!m_reviewer) m_reviewer = std::make_unique<ReviewThread>(NewEngineAnalyser(1));
    const int serial = ++m_reviewSerial;
    m_reviewing = true;
    m_reviewCancelled = false;
    m_reviewed = game;
    m_review.reset();
    mnuSaveReview->setEnabled(false);
    ShowReviewPanel();
    pnlReview->ShowGame(TextOf(GameTitle(game)), NumberedMoves(game), nullptr);
    pnlReview->ShowProgress(0, static_cast<int>(game.Moves.Moves.size()));
    wqzChessboard2->SetArrow(0, 0);
    ReviewOptions options;
    options.Budget = ReviewBudget;
    options.InBook = [](const std::vector<std::string>& moves) { return EngineBookHolds(moves); };
    // The review's thread posts its news to the window's.
    options.Progress = [this, serial](const ReviewProgress& p) {
        QMetaObject::invokeMethod(
            this,
            [this, serial, p] {
                if (serial == m_reviewSerial && m_reviewing) pnlReview->ShowProgress(p.Done, p.Total);
            },
            Qt::QueuedConnection);
    };
    m_reviewer->Start(game, options, [this, serial](std::optional<GameReview> review) {
        QMetaObject::invokeMethod(
            this, [this, serial, review = std::move(review)] { ReviewEnded(serial, review); },
            Qt::QueuedConnection);
    });
}

void frmDebugMain::CancelReview() {
    if (!m_reviewing || !m_reviewer) return;
    m_reviewCancelled = true;
    m_reviewer->Cancel();
}

void frmDebugMain::EndReviewThread() {
    m_reviewer.reset();
    m_reviewing = false;
}

void frmDebugMain::ReviewEnded(int nSerial, std::optional<GameReview> review) {
    if (nSerial != m_reviewSerial) return;
    m_reviewing = false;
    if (!review) return pnlReview->ShowStopped(m_reviewCancelled);
    m_review = std::move(review);
    mnuSaveReview->setEnabled(true);
    pnlReview->ShowGame(TextOf(GameTitle(m_reviewed)), NumberedMoves(m_reviewed), &*m_review);
    if (ReviewedPliesOnBoard() >= 0)
        StepTo(ShownPly());
    else
        ChooseReviewedPly(0);
}

void frmDebugMain::mnuSaveReview_Click() {
    if (!m_review) return;
    const QString file = SaveFileName(
        this, QDir::home().filePath(
                  QStringLiteral("talvor-review-%1.pgn").arg(m_date.toString(QStringLiteral("yyyy-MM-dd")))));
    if (file.isEmpty()) return;
    const PgnAnnotations notes = AnnotationsOf(*m_review, ReviewSides::Both, "TalvorWBE");
    const std::string text = PgnText(m_reviewed, &notes);
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) &&
        out.write(text.data(), static_cast<qint64>(text.size())) == qint64(text.size()) && out.commit())
        return;
    Message((Italian() ? QStringLiteral("Impossibile salvare la partita in %1: %2")
                       : QStringLiteral("Could not save the game to %1: %2"))
                .arg(QDir::toNativeSeparators(file), out.errorString()));
}
