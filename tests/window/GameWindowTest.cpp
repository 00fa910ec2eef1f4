// SPDX-License-Identifier: GPL-3.0-or-later
// The game window with the real engine, driver and board control. Each test gets a freshly loaded window;
// the window's events are run by hand until the engine has nothing left to do. The GameWindowTest tests
// run headless (offscreen); the WindowOnX11 tests run on a virtual X server (run_on_xvfb.sh), played with
// mouse events through the window system and checked against what the X server shows.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "board/BoardBas.h"
#include "driver/Dispatcher.h"
#include "driver/EngineOptions.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "gui/chessboard/wqzChessboard.h"
#include "gui/forms/MessageBox.h"
#include "gui/window/ChessNotation.h"
#include "gui/window/InstallGameWindow.h"
#include "gui/window/Resize_forms.h"
#include "gui/window/ReviewPanel.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"
#include "review/Pgn.h"
#include "search/Search.h"

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

constexpr char Easy[] = "xboard\nnew\nrandom\nsd 1\npost\n";
constexpr char Medium[] = "xboard\nnew\nrandom\nsd 4\npost\n";
constexpr char Advanced[] = "xboard\nnew\n";
using Moves = std::initializer_list<std::pair<const char*, const char*>>;

// The board is square, in whole pixels a square and at least 32 of them; every control shown lies inside the
// window and meets no other (the board's surround holds the board and its coordinates, the result banner
// lies over the board); and the board is as large as the room allows: the design leaves 38 pixels beside
// and below the board's column, and at any size one of the two is within a square's growth of that.
std::vector<std::string> LayoutFaults(frmDebugMain& w) {
    std::vector<std::string> faults;
    const auto name = [](QWidget* c) { return c->objectName().toStdString(); };
    QWidget* client = w.centralWidget();
    const QRect b = w.wqzChessboard2->geometry();
    if (b.width() != b.height() || b.width() % 8 || b.width() < 8 * wqzChessboard::PieceSize)
        faults.push_back("board " + std::to_string(b.width()) + "x" + std::to_string(b.height()));
    std::vector<QWidget*> shown;
    for (QObject* o : client->children())
        if (auto* c = qobject_cast<QWidget*>(o); c && !c->objectName().isEmpty() && c->isVisibleTo(&w))
            shown.push_back(c);
    for (QWidget* c : shown) {
        if (!client->rect().contains(c->geometry())) faults.push_back(name(c) + " outside the window");
        for (QWidget* p : shown)
            if (c < p && c != w.Shape3 && p != w.Shape3 && c != w.lblResult && p != w.lblResult &&
                c->geometry().intersects(p->geometry()))
                faults.push_back(name(c) + " meets " + name(p));
    }
    const QRect frame = w.Shape3->geometry();
    const int besides = w.Text1->x() - frame.width(),
              below = client->height() - (w.Label10->geometry().bottom() + 1 - frame.y());
    if (std::min(besides, below) - 38 >= 8)
        faults.push_back("board " + std::to_string(b.width()) + " leaves room: " + std::to_string(besides) +
                         " beside, " + std::to_string(below) + " below");
    return faults;
}

class GameWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InGuiMode = true, InstallGameWindow(), InitEngine(); }

    void SetUp() override {
        static const auto realPopup = frmDebugMain::PopupMenu;  // the first value seen: the window's own
        SetMessageHandler(
            [this](const MessageRequest& r) { return messages.push_back(r.Text), QMessageBox::Ok; });
        frmDebugMain::Beep = [this] { ++beeps; };
        frmDebugMain::PopupMenu = realPopup;
        if (QGuiApplication::platformName() != "xcb") {
            frmDebugMain::PopupMenu = [this](QMenu* m) {
                popups.push_back(m->objectName());
                if (pick) m->findChild<QAction*>(pick)->trigger();
            };
        }
        QObject::connect(board, &wqzChessboard::PieceMovement, board,
                         [this](bool, const QString& f, const QString& t) { played << f + t; });
        w->Form_Load();
        w->show();
    }
    // Nothing of a test's engine may reach the next test's window.
    void TearDown() override { SwitchEngineOff(), Settle(), w.reset(), SetMessageHandler({}), Fed(); }

    // What waits in the mailbox (the window's last feed), emptied.
    std::string Fed() {
        const std::string s = GuiInputPending ? GuiInputLine : "";
        GuiInputPending = false;
        return GuiInputLine.clear(), s;
    }

    // Runs the window's events (at least once) until bDone holds, at most the seconds given; tells whether
    // it came to hold.
    static bool RunUntil(const std::function<bool()>& bDone, int nSeconds = 60) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(nSeconds);
        do QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        while (!bDone() && std::chrono::steady_clock::now() < deadline);
        return bDone();
    }
    // A menu item chosen, then the engine settled.
    static void Choose(QAction* item) { item->trigger(), Settle(); }
    // Until the engine has nothing to do and nothing for it or from it is on its way.
    static void Settle() {
        EXPECT_TRUE(RunUntil([] { return !EngineBusy(); }));
    }
    void Play(Moves moves) {
        for (auto [from, to] : moves) board->MovePiece(from, to);
    }

    QString Output() const { return w->txtIO->Text(); }
    int KindAt(const std::string& sSquare) const {
        return board->SquareInfo(board->SquareFromName(QString::fromStdString(sSquare))).Kind;
    }
    // Which clocks run: 'W', 'B' or '-'.
    char Ticking() const { return w->Timer1->isActive() ? 'W' : w->Timer2->isActive() ? 'B' : '-'; }

    std::unique_ptr<frmDebugMain> w = std::make_unique<frmDebugMain>();
    wqzChessboard* board = w->wqzChessboard2;
    std::vector<QString> messages, popups;
    QStringList played, popupCaptions;
    const char* pick = nullptr;
    int beeps = 0;
};

// The same window on an X server: the mouse goes through the window system, and the pixels are the X
// server's. Skipped on any other platform (ctest runs them under run_on_xvfb.sh).
class WindowOnX11 : public GameWindowTest {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X server";
        GameWindowTest::SetUp();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        Settle();
    }

    wqzPictureBox* Square(const char* name) const { return board->picSquare[board->SquareFromName(name)]; }
    QPoint At(const char* name) const { return Square(name)->mapTo(w.get(), Square(name)->rect().center()); }
    void Click(const char* name) { QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, At(name)); }
    void Drag(const char* from, const char* to) {
        QWindow* h = w->windowHandle();
        QTest::mousePress(h, Qt::LeftButton, {}, At(from));
        QTest::mouseMove(h, (At(from) + At(to)) / 2);
        QTest::mouseMove(h, At(to));
        QTest::mouseRelease(h, Qt::LeftButton, {}, At(to));
    }
    // The window as the X server shows it.
    QImage Screen(const QRect& r) const {
        return w->screen()->grabWindow(w->winId(), r.x(), r.y(), r.width(), r.height()).toImage();
    }
    QRect InWindow(QWidget* c) const { return QRect(c->mapTo(w.get(), QPoint(0, 0)), c->size()); }
};

TEST_F(GameWindowTest, LoadAndChoicesFeedTheirCommands) {
    EXPECT_EQ(Fed(), Medium);  // the Advanced text fed first was replaced
    EXPECT_TRUE(EngineOn && !GuiEngineWhite && w->mnuEngineBlack->isChecked());
    EXPECT_EQ(Ticking(), '-');
    const struct {
        std::function<void()> Do;
        std::string Fed;
        QAction* Level;  // the level then alone checked and named, if any
        QString Label;
    } steps[] = {
        {[&] { w->mnulvl1->trigger(); }, Easy, w->mnulvl1, "Easy Level"},
        {[&] { w->mnuGameNew->trigger(); }, Easy, w->mnulvl1, "Easy Level"},  // the level again
        {[&] { w->mnulvl3->trigger(); }, Advanced, w->mnulvl3, "Advanced Level"},
        {[&] { w->mnulvl2->trigger(); }, Medium, w->mnulvl2, "Medium Level"},
        {[&] { w->mnuGameNew->trigger(); }, Medium, w->mnulvl2, "Medium Level"},
        // The engine's side, and Go: the engine changes colour (a call, no text).
        {[&] { w->mnuEngineWithe->trigger(); }, "", nullptr, {}},
        {[&] { w->mnuEngineBlack->trigger(); }, "", nullptr, {}},
        {[&] { w->mnuEngineBlack->trigger(); }, "", nullptr, {}},  // the same side again changes it too
        {[&] { w->Command1->click(); }, "", nullptr, {}},
        {[&] { w->Command2->click(); }, "new\n", nullptr, {}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.Fed);
        const bool engineWhite = EnginePlaysWhite;
        s.Do();
        EXPECT_EQ(Fed(), s.Fed);
        EXPECT_EQ(EnginePlaysWhite, s.Fed.empty() != engineWhite);
        if (!s.Level) continue;
        EXPECT_EQ(w->Label9->text(), s.Label);
        for (QAction* a : {w->mnulvl1, w->mnulvl2, w->mnulvl3}) EXPECT_EQ(a->isChecked(), a == s.Level);
    }
    EXPECT_FALSE(GuiEngineWhite || w->mnuEngineWithe->isChecked());
}

// The board's menu items turn their setting over each time, the board with them.
TEST_F(GameWindowTest, BoardMenuItemsToggleTheBoard) {
    for (int i = 0; i < 2; ++i) {
        const bool highlight = board->HighlightMove(), locked = board->Locked();
        w->mnuBoardHighlight->trigger();
        w->mnuBoardLock->trigger();
        EXPECT_NE(board->HighlightMove(), highlight);
        EXPECT_EQ(w->mnuBoardHighlight->isChecked(), board->HighlightMove());
        EXPECT_NE(board->Locked(), locked);
        EXPECT_EQ(w->mnuBoardLock->isChecked(), !board->Locked());
    }
}

TEST_F(GameWindowTest, PersonAndEngineAlternateThroughTheBoard) {
    Choose(w->mnulvl1);  // depth 1 keeps the test quick
    Play({{"e2", "e4"}});
    EXPECT_EQ(GuiInputLine, "e2e4\n");
    EXPECT_EQ(Ticking(), '-');
    EXPECT_TRUE(w->Shape2->isVisibleTo(w.get()) && !w->Shape1->isVisibleTo(w.get()));
    EXPECT_FALSE(w->mnulvl1->isEnabled());  // no level change in the middle of a game
    Settle();

    // The engine answered on the board, and the prompt follows its move in the output box.
    EXPECT_EQ(board->SideTurn(), 0);
    ASSERT_EQ(GameRecord.size(), 3u);
    const QString reply = QString::fromStdString(MoveToText(GameRecord[2]));
    EXPECT_EQ(w->Text1->Text(),
              "1) e2-e4\r\n" + QString(20, ' ') + "..." + reply.left(2) + "-" + reply.mid(2, 2) + "\r\n");
    EXPECT_TRUE(Output().contains("move " + reply + "\r\nIt's Your Turn ")) << Output().toStdString();
    EXPECT_EQ(Ticking(), 'W');
    EXPECT_EQ(beeps, 2);

    // Two more moves each; the person's knight can always go c3, b1, c3.
    for (auto [from, to] : Moves{{"b1", "c3"}, {"c3", "b1"}}) {
        Play({{from, to}});
        EXPECT_TRUE(Output().isEmpty());  // the box starts again for the engine's thinking
        Settle();
        EXPECT_EQ(board->SideTurn(), 0);
    }
    EXPECT_EQ(GameRecord.size(), 7u);
    EXPECT_EQ(MoveNumber, 3);
    EXPECT_TRUE(messages.empty());
}

// An under-promotion chosen on the board must reach the engine with its letter, not as a queen; the
// engine's own promotion in reply must reach the board.
TEST_F(GameWindowTest, PromotionsReachBothBoards) {
    w->mnulvl1->trigger();
    ASSERT_TRUE(w->SetUpPosition("8/1P5k/8/8/8/8/6p1/K7 w - - 0 1"));
    Settle();
    pick = "mnuWN";
    Play({{"b7", "b8"}});
    EXPECT_EQ(popups, std::vector<QString>{"mnuWhitePawnPromotion"});
    EXPECT_EQ(KindAt("b8"), 9);  // white knight
    EXPECT_EQ(GuiInputLine, "b7b8n\n");
    Settle();
    EXPECT_EQ(Board[92], WhiteKnight);  // the engine's board holds the same piece
    ASSERT_EQ(GameRecord.size(), 3u);
    EXPECT_EQ(KindAt("g1"), 1) << MoveToText(GameRecord[2]);  // the engine's queen reached the board
}

// A person's clock ticks over the minute at 60 seconds and over the hour at 60 minutes.
TEST_F(GameWindowTest, ClocksTickOverMinutesAndHours) {
    const std::pair<std::array<int, 3>, QString> ticks[] = {
        {{0, 0, 58}, "0:0:59"}, {{0, 0, 59}, "0:1:0"}, {{0, 59, 59}, "1:0:0"}, {{1, 59, 59}, "2:0:0"}};
    for (const auto& [before, shown] : ticks) {
        WhiteHours = BlackHours = before[0], WhiteMinutes = BlackMinutes = before[1];
        WhiteSeconds = BlackSeconds = before[2];
        w->Timer1_Timer(), w->Timer2_Timer();
        EXPECT_EQ(w->Label12->text(), shown);
        EXPECT_EQ(w->Label10->text(), shown);
    }
}

// The engine's move line: its clock is charged the search time (here to the next hour, exactly), and its
// promotion letter is obeyed.
TEST_F(GameWindowTest, EngineMoveLineChargesItsClockAndPromotesByLetter) {
    const struct {
        bool EngineWhite;
        const char *Fen, *Move, *Letter, *Square;
        int Kind;
    } cases[] = {{false, "8/8/8/8/8/7K/p7/5k2 b", "a2a1", "n", "a1", 3},
                 {false, "8/8/8/8/8/7K/p7/5k2 b", "a2a1", "r", "a1", 2},
                 {false, "8/8/8/8/8/7K/p7/5k2 b", "a2a1", "b", "a1", 4},
                 {true, "8/1P5k/8/8/8/8/8/K7 w", "b7b8", "q", "b8", 7},
                 {true, "8/1P5k/8/8/8/8/8/K7 w", "b7b8", "n", "b8", 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Move + std::string(c.Letter));
        GuiEngineWhite = c.EngineWhite;
        board->NewGame(false, 0, 0, ReadFen(c.Fen + QString(" - -"))->Layout, c.EngineWhite);
        WhiteSeconds = BlackSeconds = 50, WhiteMinutes = BlackMinutes = 58, WhiteHours = BlackHours = 0;
        w->ShowLine(std::string("move ") + c.Move + c.Letter, 70);
        EXPECT_EQ(KindAt(c.Square), c.Kind);
        EXPECT_TRUE(PromotionLetter.empty());
        EXPECT_EQ((c.EngineWhite ? w->Label12 : w->Label10)->text(), "1:0:0");
        EXPECT_EQ((c.EngineWhite ? w->Label10 : w->Label12)->text(), c.EngineWhite ? "0:58:50" : "0:0:0");
        EXPECT_TRUE(Output().endsWith(QString("\r\nmove ") + c.Move + c.Letter));
    }
    EXPECT_TRUE(popups.empty());
}

TEST_F(GameWindowTest, LanguageSwitchChangesCaptionsAndMessages) {
    const struct {
        QAction* Item;
        QString Game, Check, Refused, Easy;
    } languages[] = {
        {w->mnuitalian, "Gioco", QString::fromUtf8("Il Re nero è sotto scacco"),
         "Mossa non valida o sintassi non corretta da aprte del motore", "Livello Facile"},
        {w->mnueng, "Chess", "Black king in check", "Illegal move or bad syntax", "Easy Level"},
    };
    for (const auto& l : languages) {
        SCOPED_TRACE(l.Game.toStdString());
        l.Item->trigger();
        EXPECT_EQ(ItalianTexts(), l.Item == w->mnuitalian);  // what the engine's own texts follow
        EXPECT_TRUE(l.Item->isChecked() && !(l.Item == w->mnueng ? w->mnuitalian : w->mnueng)->isChecked());
        EXPECT_EQ(w->mnuGame->text(), l.Game);  // the captions come from one table: one of them is enough

        w->mnuGameNew->trigger();
        Play({{"e2", "e4"}, {"f7", "f6"}, {"d1", "h5"}});
        EXPECT_EQ(messages.back(), l.Check);
        w->ShowLine("move e2e5");  // a move the board refuses
        EXPECT_EQ(messages.back(), l.Refused);
        w->mnuGameNew->trigger();
        w->mnulvl1->trigger();
        EXPECT_EQ(w->Label9->text(), l.Easy);
    }
}

TEST_F(GameWindowTest, EngineVerdictsEndTheGame) {
    const struct {
        bool EngineWhite;
        const char *Line, *Result, *English, *Italian;
    } cases[] = {
        {false, "1-0 {Il Bianco Vince}", "1-0", "White wins", "Vince il Bianco"},
        {true, "0-1 {Il Nero Vince}", "0-1", "Black wins", "Vince il Nero"},
        {false, "1/2-1/2 {Pareggio per ripetizione mosse}", "1/2-1/2", "Draw by repetition",
         "Patta per ripetizione"},
        {false, "1/2-1/2 {Regola delle 50 mosse}", "1/2-1/2", "Draw by the fifty-move rule",
         "Patta per la regola delle 50 mosse"},
        {false, "1/2-1/2 {Pareggio}", "1/2-1/2", "Draw", "Patta"},
        {false, "resign", "1-0", "Black resigns", "Il Nero abbandona"},
        {true, "resign", "0-1", "White resigns", "Il Bianco abbandona"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        w->mnuGameNew->trigger();
        GuiEngineWhite = c.EngineWhite;
        Play({{"e2", "e4"}});
        w->Timer1->start();
        w->ShowLine(c.Line);
        w->ShowLine("1-0 {Il Bianco Vince}");  // a second verdict changes nothing
        EXPECT_EQ(w->Result(), c.Result);
        EXPECT_EQ(Ticking(), '-');
        EXPECT_TRUE(w->lblResult->isVisibleTo(w.get()));
        EXPECT_TRUE(w->lblResult->text().contains(c.English)) << w->lblResult->text().toStdString();
        w->mnuitalian->trigger();  // the banner follows the language
        EXPECT_TRUE(w->lblResult->text().contains(QString::fromUtf8(c.Italian)));
        w->mnueng->trigger();
        EXPECT_TRUE(w->GamePgn().contains("[Result \"" + QString(c.Result) + "\"]"));
        EXPECT_TRUE(w->GamePgn().endsWith(" e4 " + QString(c.Result) + "\n"));
    }
    GuiEngineWhite = false;
    w->mnuGameNew->trigger();
    EXPECT_TRUE(w->Result().isEmpty() && !w->lblResult->isVisibleTo(w.get()));
    EXPECT_TRUE(w->GamePgn().endsWith("\n\n*\n"));
}

// A pasted position is a new game from there: the board, the record and its move numbers, the clocks; the
// engine gets the level, the position and its side.
TEST_F(GameWindowTest, PastedPositionsStartAGame) {
    const QString fen = "4k3/8/8/8/8/8/1p5K/8 b - - 3 40";
    const struct {
        QAction* Choice;  // a level, or the engine off
        bool EngineWhite;
        std::string Fed;
        QString Promotion;  // Black's: the engine's choice (a queen here) or the person's
    } cases[] = {
        {w->mnulvl1, false, std::string(Easy) + "setboard " + fen.toStdString() + "\n", "b1=Q"},
        // Black to move and the engine White: black says so, where go would give the engine Black.
        {w->mnulvl3, true, std::string(Advanced) + "setboard " + fen.toStdString() + "\nblack\n", "b1=N"},
        {w->mnutalvoroff, false, "", "b1=N"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fed);
        w->mnuGameNew->trigger();
        c.Choice->trigger();
        GuiEngineWhite = c.EngineWhite;
        Fed();
        Play({{"e2", "e4"}});
        w->Timer1->start();
        QGuiApplication::clipboard()->setText(fen + "\n");
        w->mnuPasteFEN->trigger();
        EXPECT_EQ(Fed(), c.Fed);
        EXPECT_EQ(FenText(PositionOf(*board)).section(' ', 0, 0), fen.section(' ', 0, 0));
        EXPECT_TRUE(board->SideTurn() == 1 && w->Shape2->isVisibleTo(w.get()));
        EXPECT_TRUE(w->Text1->Text().isEmpty() && Ticking() == '-');
        EXPECT_EQ(w->mnulvl1->isEnabled(), c.Choice == w->mnutalvoroff);
        pick = "mnuBN";
        Play({{"b2", "b1"}});
        EXPECT_EQ(w->Text1->Text(), QString(20, ' ') + "...b2-b1\r\n");
        Play({{"h2", "g3"}});
        EXPECT_TRUE(w->Text1->Text().endsWith("\r\n41) h2-g3\r\n"));
        EXPECT_TRUE(w->GamePgn().contains("[FEN \"" + fen + "\"]\n\n40... " + c.Promotion + " 41. Kg3 "));
    }
    // The castling rights and the en-passant square reach the board with the placement; the mouse works.
    const QString rights = "r3k2r/ppp1qppp/8/3pP3/8/8/PPP2PPP/R3K2R w Kq d6 0 12";
    QGuiApplication::clipboard()->setText(rights);
    w->mnuPasteFEN->trigger();
    EXPECT_EQ(FenText(PositionOf(*board)).section(' ', 0, 3), rights.section(' ', 0, 3));
    EXPECT_FALSE(board->Locked());

    // A text that is no position is refused, in the window's language.
    const QString before = board->LayoutText();
    w->mnuitalian->trigger();
    QGuiApplication::clipboard()->setText("4k3/8/8/8/8/8/8/4K3 w - e5");
    w->mnuPasteFEN->trigger();
    EXPECT_TRUE(messages.back().startsWith("Posizione FEN non valida: la casa en passant"));
    EXPECT_EQ(board->LayoutText(), before);
    EXPECT_EQ(Fed(), "");
    GuiEngineWhite = false;
}

// While the engine thinks the board takes no move from the person. Choosing White while it thinks as Black
// stops the search without a move: the engine waits for the person's Black move, then answers it as White;
// choosing Black again makes it move at once. A new game stops the search and leaves the start position
// with no engine move on it, also when the old game's move is already on its way to the board.
TEST_F(GameWindowTest, SideChangeAndNewGameWhileTheEngineThinks) {
    BookLoaded = false;  // the engine thinks from its first move on
    // A new game, then the engine thinking on 1. e4: at depth 40 (longer than the test waits), or at depth 1
    // until its move is on its way.
    const auto thinkOnE4 = [&](bool moveOnItsWay) {
        Choose(moveOnItsWay ? w->mnulvl1 : w->mnulvl2);
        Choose(w->mnuGameNew);
        if (!moveOnItsWay) w->Feed("sd 40"), Settle();
        Play({{"e2", "e4"}});
        QCoreApplication::processEvents();  // the move reaches the engine, which starts thinking
        ASSERT_TRUE(EngineCommands().Thinking());
        EXPECT_TRUE(board->Locked());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (moveOnItsWay && !EngineCommands().TurnOver() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        ASSERT_TRUE(!moveOnItsWay || LinesInFlight() > 0);
    };
    ASSERT_NO_FATAL_FAILURE(thinkOnE4(false));
    Choose(w->mnuEngineWithe);
    EXPECT_EQ(GameRecord.size(), 2u);
    EXPECT_TRUE(EnginePlaysWhite && GuiEngineWhite && !WhiteToMove);
    w->Feed("sd 2");
    Settle();
    Play({{"e7", "e5"}});
    Settle();
    EXPECT_EQ(GameRecord.size(), 4u);  // the engine's White reply
    EXPECT_EQ(board->SideTurn(), 1);
    Choose(w->mnuEngineBlack);
    EXPECT_EQ(GameRecord.size(), 5u);
    EXPECT_EQ(board->SideTurn(), 0);

    for (bool moveOnItsWay : {false, true}) {
        SCOPED_TRACE(moveOnItsWay);
        ASSERT_NO_FATAL_FAILURE(thinkOnE4(moveOnItsWay));
        Choose(w->mnuGameNew);
        EXPECT_EQ(board->LayoutText(), wqzChessboard::StartLayout);
        EXPECT_EQ(board->SideTurn(), 0);
        EXPECT_EQ(GameRecord.size(), 1u);
        EXPECT_TRUE(w->Text1->Text().isEmpty());
        EXPECT_FALSE(Output().contains("move "));
        EXPECT_FALSE(board->Locked());
    }
    BookLoaded = true;
    EXPECT_TRUE(messages.empty());
}

// The Strong search item and each strength level reach the engine, checked alone; a window loaded later
// shows what is in force.
TEST_F(GameWindowTest, StrongSearchAndStrengthReachTheEngine) {
    Settle();
    const SearchKind before = ChosenSearch;
    EXPECT_EQ(w->mnuStrong->isChecked(), before == SearchKind::Strong);
    for (SearchKind expected :
         {before == SearchKind::Strong ? SearchKind::Design : SearchKind::Strong, before}) {
        Choose(w->mnuStrong);
        EXPECT_EQ(ChosenSearch, expected);
        EXPECT_EQ(w->mnuStrong->isChecked(), expected == SearchKind::Strong);
    }
    std::vector<QAction*> levels = w->mnuElo;
    levels.push_back(w->mnuFullStrength);
    ASSERT_GE(levels.size(), 5u);
    for (QAction* level : levels) {
        SCOPED_TRACE(level->text().toStdString());
        Choose(level);
        EXPECT_EQ(AskedStrength(), level->data().toInt());  // the engine takes no strength out of its range
        for (QAction* a : levels) EXPECT_EQ(a->isChecked(), a == level);
    }
    Choose(w->mnuElo[1]);  // each click's feed is read before the next click
    Choose(w->mnuStrong);
    w->mnuFullStrength->setChecked(true), w->mnuStrong->setChecked(before == SearchKind::Strong);
    w->Form_Load();
    Settle();
    EXPECT_TRUE(w->mnuElo[1]->isChecked() && !w->mnuFullStrength->isChecked());
    EXPECT_EQ(w->mnuStrong->isChecked(), before != SearchKind::Strong);
    Choose(w->mnuFullStrength);
    Choose(w->mnuStrong);
    EXPECT_TRUE(AskedStrength() == 0 && ChosenSearch == before);
}

// A hint marks a legal move of the side to move and plays nothing, with the engine playing or off (then it
// is told the board's game first); the next move takes the mark away. A mated side gets no hint, and is
// told so.
TEST_F(GameWindowTest, HintMarksALegalMoveAndPlaysNothing) {
    w->mnulvl1->trigger();
    for (bool engineOn : {true, false}) {
        SCOPED_TRACE(engineOn);
        if (!engineOn) w->mnutalvoroff->trigger();
        Choose(w->mnuGameNew);
        Play({{"e2", "e4"}});
        Settle();  // with the engine on, its reply is on the board
        const QString layout = board->LayoutText(), record = w->Text1->Text();
        const qsizetype moves = played.size();
        Choose(w->mnuHint);
        EXPECT_EQ(board->LayoutText(), layout);
        EXPECT_EQ(w->Text1->Text(), record);
        EXPECT_EQ(played.size(), moves);
        const int from = board->HintFrom(), to = board->HintTo();
        ASSERT_GT(from, 0);
        EXPECT_EQ(board->SquareInfo(from).White, board->SideTurn() == 0);
        EXPECT_TRUE(board->IsLegalMove(from, to));
        EXPECT_TRUE(Output().contains("\r\nHint: ")) << Output().toStdString();
        EXPECT_FALSE(Output().contains("pong"));
        EXPECT_TRUE(board->MovePiece(board->SquareName(from), board->SquareName(to)));
        EXPECT_EQ(board->HintFrom() + board->HintTo(), 0);
        Settle();
    }
    w->mnutalvoron->trigger();
    ASSERT_TRUE(w->SetUpPosition("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"));
    Settle();
    Choose(w->mnuHint);
    EXPECT_TRUE(Output().endsWith("\r\nNo hint available")) << Output().toStdString();
    EXPECT_EQ(board->HintFrom(), 0);
}

// At each size the menu offers and at any window shape, from the smallest the window allows to the whole
// screen, the layout holds, the X server shows the board's corners in their colours and the white king
// takes the same share of its square; Default brings back the design geometry.
TEST_F(WindowOnX11, LayoutAndPiecesHoldAtEverySize) {
    std::map<QWidget*, QRect> design;
    for (QObject* o : FormControls(w.get()))
        if (auto* c = qobject_cast<QWidget*>(o)) design[c] = c->geometry();
    const auto holds = [&](const std::string& sWhat) {
        SCOPED_TRACE(sWhat);
        EXPECT_EQ(LayoutFaults(*w), std::vector<std::string>{});
        const QRect b = InWindow(board);
        const QImage shown = Screen(b);  // a8 light, h1 light, a1 dark
        EXPECT_EQ(BGRFromColor(shown.pixelColor(1, 1)), board->LightSquareColor());
        EXPECT_EQ(BGRFromColor(shown.pixelColor(b.width() - 2, b.height() - 2)), board->LightSquareColor());
        EXPECT_EQ(BGRFromColor(shown.pixelColor(1, b.height() - 2)), board->DarkSquareColor());
        const QImage e1 = Screen(InWindow(Square("e1")));
        QRect king;
        for (int y = 0; y < e1.height(); ++y)
            for (int x = 0; x < e1.width(); ++x)
                if (BGRFromColor(e1.pixelColor(x, y)) != board->DarkSquareColor()) king |= QRect(x, y, 1, 1);
        const int square = board->width() / 8;
        EXPECT_NEAR(king.height(), 0.8 * square, 0.03 * square + 1) << square;
        EXPECT_NEAR(king.width(), 0.77 * square, 0.03 * square + 1) << square;
    };
    const auto sizes = {w->mnusmall, w->mnumedium, w->mnubig, w->mnuguirest};
    for (QAction* size : sizes) {
        size->trigger();
        QTest::qWait(100);
        for (QAction* other : sizes)
            EXPECT_EQ(other->isChecked(), other == size) << other->objectName().toStdString();
        holds(size->objectName().toStdString());
    }
    for (auto [c, r] : design) EXPECT_EQ(c->geometry(), r) << c->objectName().toStdString();
    const QSize screen = w->screen()->availableGeometry().size();
    for (const QSize shape : {QSize(200, 200), QSize(704, 601), QSize(1000, 700), QSize(600, 900), screen}) {
        w->resize(shape);
        QTRY_COMPARE_WITH_TIMEOUT(w->size(), shape.expandedTo(w->minimumSize()), 3000);
        QTest::qWait(50);  // the X server's answer, then the repaint
        holds(std::to_string(shape.width()) + "x" + std::to_string(shape.height()));
    }
}

// Thirty moves each at Small: one line a move, none wrapped or cut, no blank lines.
TEST_F(WindowOnX11, RecordKeepsOneMoveALine) {
    w->mnutalvoroff->trigger();
    w->mnusmall->trigger();
    QTest::qWait(100);
    QStringList expected;
    for (int i = 1; i <= 15; ++i)
        for (auto [from, to] : {std::pair{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"}}) {
            Drag(from, to);
            const int n = static_cast<int>(expected.size()) / 2 + 1;
            expected << (from[1] == '1' || from[1] == '3' ? QString("%1) %2-%3").arg(n).arg(from, to)
                                                          : QString("...%1-%2").arg(from, to));
        }
    QTest::qWait(100);
    ASSERT_EQ(played.size(), 60);
    QStringList shown = w->Text1->toPlainText().split('\n');
    EXPECT_EQ(shown.takeLast(), "");
    for (QString& line : shown) line = line.trimmed();
    EXPECT_EQ(shown, expected);
    QTextDocument* doc = w->Text1->document();
    const double lineHeight = doc->documentLayout()->blockBoundingRect(doc->firstBlock()).height();
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next())
        if (!b.text().isEmpty()) {  // the empty last block holds the document's bottom margin
            EXPECT_EQ(doc->documentLayout()->blockBoundingRect(b).height(), lineHeight)
                << b.text().toStdString();
        }
    EXPECT_EQ(w->Text1->horizontalScrollBar()->maximum(), 0);  // every line fits across
    EXPECT_GT(w->Text1->verticalScrollBar()->maximum(), 0);    // with the scroll bar there
}

// With two players each side picks its piece from the popup, in the window's language.
TEST_F(WindowOnX11, BothSidesChooseTheirPromotion) {
    w->mnutalvoroff->trigger();
    GuiEngineWhite = true;  // whatever side the engine had
    const struct {
        const char *Fen, *Move, *Item;
        int Kind;
        bool Italian;
        const char* Captions;
    } cases[] = {
        {"4k3/8/8/8/8/8/1p5K/8 b - - 0 1", "b2b1", "mnuBN", 3, false, "Queen Rook Bishop Knight"},
        {"4k3/1P6/8/8/8/8/7K/8 w - - 0 1", "b7b8", "mnuwb", 10, true, "Regina Torre Alfiere Cavallo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fen);
        const std::string from(c.Move, 2), to(c.Move + 2);
        (c.Italian ? w->mnuitalian : w->mnueng)->trigger();
        ASSERT_TRUE(w->SetUpPosition(c.Fen));
        // The popup, once shown, gets a click on the item; its captions are noted.
        auto* poll = new QTimer(w.get());
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, item = c.Item] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            popupCaptions.clear();
            for (QAction* a : menu->actions()) popupCaptions << a->text();
            QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {},
                              menu->actionGeometry(menu->findChild<QAction*>(item)).center());
        });
        poll->start(20);
        Click(from.c_str());  // the second time by clicks
        if (c.Italian)
            Click(to.c_str());
        else
            Drag(from.c_str(), to.c_str());
        EXPECT_EQ(popupCaptions.join(' '), c.Captions);
        EXPECT_EQ(KindAt(to), c.Kind);
    }
    GuiEngineWhite = false;
}

// Two players: the engine gets nothing, the clocks alternate; Retract Move trims the record and runs the
// clock of the side to move, down to no move and no clock; switching the engine on starts it anew.
TEST_F(WindowOnX11, TwoPlayersClocksAndRetract) {
    Fed();
    w->mnutalvoroff->trigger();
    EXPECT_TRUE(!EngineOn && w->mnuActions->isEnabled() && !w->txtIO->isVisibleTo(w.get()));
    EXPECT_EQ(w->Label9->text(), "2 Player Game");
    w->mnuGameNew->trigger();  // no level while the engine is off
    Drag("e2", "e4");
    EXPECT_EQ(Ticking(), 'B');
    Drag("e7", "e5");
    EXPECT_EQ(Ticking(), 'W');
    Drag("g1", "f3");
    EXPECT_EQ(Fed(), "");  // neither the choices nor the moves were fed
    w->mnuActionsUndo->trigger();
    EXPECT_EQ(w->Text1->Text(), "1) e2-e4\r\n" + QString(20, ' ') + "...e7-e5\r\n");
    EXPECT_EQ(Ticking(), 'W');
    EXPECT_TRUE(w->Shape1->isVisibleTo(w.get()) && !w->Shape2->isVisibleTo(w.get()));
    const QString white = w->Label12->text(), black = w->Label10->text();
    QTRY_VERIFY_WITH_TIMEOUT(w->Label12->text() != white, 3000);
    EXPECT_EQ(w->Label10->text(), black);
    Drag("b1", "c3");  // and play goes on
    EXPECT_TRUE(w->Text1->Text().endsWith("2) b1-c3\r\n"));
    w->mnuActionsUndo->trigger();
    w->mnuActionsUndo->trigger();
    EXPECT_EQ(board->SideTurn(), 1);
    EXPECT_EQ(w->Text1->Text(), "1) e2-e4\r\n");
    EXPECT_TRUE(Ticking() == 'B' && w->Shape2->isVisibleTo(w.get()));
    w->mnuActionsUndo->trigger();
    EXPECT_TRUE(w->Text1->Text().isEmpty() && MoveNumber == 0 && Ticking() == '-');
    w->mnutalvoron->trigger();
    EXPECT_EQ(Fed(), Advanced);
    EXPECT_TRUE(EngineOn && !w->mnuActions->isEnabled());
}

// A game against the engine by clicks, copied and saved as PGN: read back, it is the game played.
TEST_F(WindowOnX11, ClickedGameComesBackFromPgn) {
    w->mnulvl1->trigger();
    Choose(w->mnuGameNew);
    Click("g1");
    // While the knight is picked its squares are marked on the screen.
    const QImage f3 = Screen(InWindow(Square("f3")));
    EXPECT_NE(BGRFromColor(f3.pixelColor(f3.rect().center())), board->LightSquareColor());
    Click("f3");
    for (auto [from, to] : {std::pair{"e2", "e4"}, {"f1", "c4"}}) {
        Settle();
        if (board->IsLegalMove(board->SquareFromName(from), board->SquareFromName(to))) {
            Click(from);
            Click(to);
        }
    }
    Settle();
    ASSERT_GE(played.size(), 4);
    EXPECT_EQ(played.first(), "g1f3");

    w->mnuCopyPGN->trigger();
    const QString pgn = QGuiApplication::clipboard()->text();
    const std::vector<PgnGame> games = ReadPgn(pgn.toStdString());
    ASSERT_EQ(games.size(), 1u) << pgn.toStdString();
    QStringList back;
    for (const PgnMove& m : games[0].Moves.Moves) back << QString::fromStdString(m.Coordinates);
    EXPECT_TRUE(pgn.startsWith("[Event ") && !pgn.contains("[FEN ")) << pgn.toStdString();
    EXPECT_TRUE(pgn.contains("[White \"?\"]\n[Black \"TalvorWBE\"]\n[Result \"*\"]\n\n"));
    EXPECT_TRUE(!games[0].Error && games[0].Terminated && games[0].Result == "*");
    EXPECT_EQ(back, played);  // the reader found every move legal and the same as the one played

    QTemporaryDir dir;
    QString file = dir.filePath("game.pgn");
    frmDebugMain::SaveFileName = [&](QWidget*, const QString& sSuggested) {
        EXPECT_TRUE(sSuggested.startsWith(QDir::homePath()) && sSuggested.endsWith(".pgn"));
        return file;
    };
    w->mnuSavePGN->trigger();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), pgn);
    file = dir.filePath("no/such/folder/game.pgn");
    messages.clear();
    w->mnuSavePGN->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("Could not save the game to ")) << messages[0].toStdString();
    frmDebugMain::SaveFileName = nullptr;
}

// A game opened from a file of two is reviewed beside the board: a cancel leaves nothing behind, a review
// marks the hung queen and steps the board to the move picked, and the annotated game is saved.
TEST_F(GameWindowTest, OpenedGameIsReviewedAndSaved) {
    QTemporaryDir dir;
    const QString games = dir.filePath("games.pgn"), saved = dir.filePath("reviewed.pgn");
    QFile file(games);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) &&
                file.write("[White \"A\"]\n[Black \"B\"]\n[Result \"*\"]\n\n1. e4 e5 *\n\n"
                           "[White \"C\"]\n[Black \"D\"]\n[Result \"1-0\"]\n\n"
                           "1. e4 { [%clk 0:05:00] } e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n") > 0 &&
                file.flush());
    QStringList titles;
    const auto pickBefore = frmDebugMain::PickGame;
    frmDebugMain::PickGame = [&](QWidget*, const QStringList& t) { return titles = t, 1; };
    frmDebugMain::ReviewBudget = AnalysisBudget::Nodes(20000);
    frmDebugMain::SaveFileName = [&](QWidget*, const QString&) { return saved; };
    const auto reviewDone = [&] { return !w->Reviewing(); };

    ASSERT_TRUE(w->OpenPgnFile(games));
    ASSERT_EQ(titles.size(), 2);
    EXPECT_EQ(w->ShownPly(), 7);
    w->Step(-2);
    EXPECT_EQ(w->ShownPly(), 0);

    w->mnuReviewGame->trigger();
    w->CancelReview();
    ASSERT_TRUE(RunUntil(reviewDone));
    EXPECT_FALSE(w->LastReview().has_value());
    EXPECT_FALSE(w->mnuSaveReview->isEnabled());
    EXPECT_EQ(w->ShownPly(), 0);

    w->mnuReviewGame->trigger();
    ASSERT_TRUE(RunUntil(reviewDone));
    ASSERT_TRUE(w->LastReview().has_value());
    const GameReview& review = *w->LastReview();
    ASSERT_EQ(review.Moves.size(), 7u);
    EXPECT_EQ(review.Moves[5].San, "Nf6");  // the game picked; its marks are seen in the file saved
    // The better move's arrow after the blunder, none after a move without a mark.
    w->StepTo(6);
    EXPECT_NE(board->ArrowFrom(), board->ArrowTo());
    const auto plain = std::find_if(review.Moves.begin(), review.Moves.end(),
                                    [](const MoveReview& m) { return m.Judged.Mark == Judgement::None; });
    ASSERT_NE(plain, review.Moves.end());
    w->StepTo(static_cast<int>(plain - review.Moves.begin()) + 1);
    EXPECT_EQ(board->ArrowFrom(), board->ArrowTo());

    ASSERT_TRUE(w->mnuSaveReview->isEnabled());
    w->mnuSaveReview->trigger();
    QFile out(saved);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(out.readAll()).simplified();  // lines joined
    // 3... Nf6 lets the mate in: a blunder ($4), with the better move named.
    for (const char* part :
         {"[Annotator ", "[%clk 0:05:00]", "[%eval #1]", "Nf6 $4", "was best", "Qxf7# 1-0"})
        EXPECT_TRUE(text.contains(part)) << part << "\n" << text.toStdString();
    frmDebugMain::SaveFileName = nullptr;
    frmDebugMain::ReviewBudget = AnalysisBudget::Nodes(ReviewOptions::DefaultReviewNodes);
    frmDebugMain::PickGame = pickBefore;
}

// A move on the board while a review runs leaves the panel on the review: its progress and Cancel stay.
// A move made or taken back takes away the arrow of a move the board no longer shows.
TEST_F(GameWindowTest, MoveDuringReviewKeepsItsProgressAndClearsTheArrow) {
    Choose(w->mnutalvoroff);
    Play({{"e2", "e4"}, {"e7", "e5"}});
    frmDebugMain::ReviewBudget = AnalysisBudget::Nodes(50'000'000);
    w->mnuReviewGame->trigger();
    const auto arrow = [&] { board->SetArrow(board->SquareFromName("b1"), board->SquareFromName("c3")); };
    arrow();
    Play({{"g1", "f3"}});
    EXPECT_EQ(board->ArrowFrom(), board->ArrowTo());
    arrow();
    w->mnuActionsUndo->trigger();
    EXPECT_EQ(board->ArrowFrom(), board->ArrowTo());
    EXPECT_TRUE(w->Reviewing());
    EXPECT_TRUE(w->pnlReview->cmdCancelReview->isVisibleTo(w->pnlReview));
    w->CancelReview();
    EXPECT_TRUE(RunUntil([&] { return !w->Reviewing(); }));
    frmDebugMain::ReviewBudget = AnalysisBudget::Nodes(ReviewOptions::DefaultReviewNodes);
}

// A mate: the result stands over the board and the clocks stop; taking the mate back goes on with the
// game; the banner is clicked away.
TEST_F(WindowOnX11, MateShowsTheResultOverTheBoard) {
    w->mnutalvoroff->trigger();
    w->mnuGameNew->trigger();
    for (auto [from, to] : {std::pair{"f2", "f3"}, {"e7", "e5"}, {"g2", "g4"}, {"d8", "h4"}}) Drag(from, to);
    EXPECT_EQ(messages, std::vector<QString>{"White checkmated"});
    EXPECT_EQ(w->Result(), "0-1");
    EXPECT_EQ(Ticking(), '-');
    w->mnuActionsUndo->trigger();
    EXPECT_TRUE(w->Result().isEmpty() && !w->lblResult->isVisible() && Ticking() == 'B');
    Drag("d8", "h4");
    ASSERT_TRUE(w->lblResult->isVisible());
    EXPECT_TRUE(w->lblResult->text().contains("0-1") &&
                w->lblResult->text().contains("Checkmate: Black wins"));
    const QRect banner = InWindow(w->lblResult);
    EXPECT_TRUE(banner.intersects(InWindow(board)));
    const QImage shown = Screen(banner);
    EXPECT_LT(qGray(shown.pixel(4, shown.height() / 2)), 90);  // the dark banner, not the board
    QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, banner.center());
    EXPECT_FALSE(w->lblResult->isVisible());
}

// Each colour scheme is one of its own, checked alone, painted on the board as the X server shows it and
// on the window, the output box and the frame alike; the coordinates stand out from the surround in every
// scheme; the size menu draws each separator once.
TEST_F(WindowOnX11, ColourSchemesReadableAndSeparatorsSingle) {
    auto luminance = [](QColor c) {
        auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
    };
    const std::vector<QAction*> schemes = {w->mnuDGS, w->mnuwbs, w->arena, w->mnumono, w->mnurw, w->mnuwood};
    std::set<std::vector<int>> seen;
    for (QAction* scheme : schemes) {
        SCOPED_TRACE(scheme->objectName().toStdString());
        scheme->trigger();
        QTest::qWait(50);
        for (QAction* other : schemes) EXPECT_EQ(other->isChecked(), other == scheme);
        const int window = BGRFromColor(w->centralWidget()->palette().color(QPalette::Window));
        EXPECT_EQ(BGRFromColor(w->txtIO->palette().color(QPalette::Base)), window);
        EXPECT_EQ(BGRFromColor(w->Frame1->palette().color(QPalette::Window)), window);
        const QImage a8 = Screen(InWindow(Square("a8"))), a1 = Screen(InWindow(Square("a1")));
        EXPECT_EQ(BGRFromColor(a8.pixelColor(1, 1)), board->LightSquareColor());
        EXPECT_EQ(BGRFromColor(a1.pixelColor(1, a1.height() - 2)), board->DarkSquareColor());
        seen.insert({board->DarkSquareColor(), board->LightSquareColor(), board->HighlightMoveColor(), window,
                     w->Shape3->BackColor()});
        const QImage label = Screen(InWindow(w->riga[1]));
        const double back = luminance(ColorFromBGR(w->Shape3->BackColor()));
        double best = 1;
        for (int y = 0; y < label.height(); ++y)
            for (int x = 0; x < label.width(); ++x) {
                const double l = luminance(label.pixelColor(x, y));
                best = std::max(best, (std::max(l, back) + 0.05) / (std::min(l, back) + 0.05));
            }
        EXPECT_GE(best, 4.5);
    }
    EXPECT_EQ(seen.size(), schemes.size());

    auto* sizes = w->findChild<QMenu*>("mnuguisett");
    sizes->popup(w->mapToGlobal(QPoint(100, 40)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sizes));
    QTest::qWait(100);
    const QImage menu = sizes->grab().toImage();
    for (QAction* separator : {w->mnusep1, w->mnusep2}) {
        SCOPED_TRACE(separator->objectName().toStdString());
        const QRect r = sizes->actionGeometry(separator).adjusted(2, 0, -2, 0);  // inside the menu's frame
        ASSERT_FALSE(r.isEmpty());
        std::map<QRgb, int> colours;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) ++colours[menu.pixel(x, y)];
        const QRgb background = std::max_element(colours.begin(), colours.end(), [](auto& a, auto& b) {
                                    return a.second < b.second;
                                })->first;
        int drawnRows = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            QString row;  // a character a pixel, '#' where drawn: a line is one stretch of them
            for (int x = r.left(); x <= r.right(); ++x) row += menu.pixel(x, y) == background ? ' ' : '#';
            EXPECT_FALSE(row.trimmed().contains(' ')) << "row " << y << ": " << row.toStdString();
            drawnRows += !row.trimmed().isEmpty();
        }
        EXPECT_GE(drawnRows, 1);
    }
    sizes->hide();
}

// Analysis by real moves on the board, with the engine playing Black and with two players: lines of the
// position on the board with White's score and the line in SAN, started again by every move (the person
// moves both sides, the engine nothing), a hint from the line; New Game stops it.
TEST_F(WindowOnX11, AnalysisFollowsTheBoardAndPlaysNothing) {
    const auto last = [this] { return Output().split("\r\n").last(); };
    // Runs the window until the analysis's last line holds what is asked (QTRY would only leave the test).
    const auto awaitLine = [&](const QRegularExpression& re) {
        return RunUntil([&] { return re.match(last()).hasMatch(); }, 20)
                   ? testing::AssertionSuccess()
                   : testing::AssertionFailure() << last().toStdString();
    };
    for (bool engineOn : {true, false}) {
        SCOPED_TRACE(engineOn);
        if (!engineOn) w->mnutalvoroff->trigger();
        ASSERT_TRUE(w->SetUpPosition("4k3/8/8/8/8/8/3Q4/4K3 w - - 0 1"));  // White a queen up
        Settle();
        w->mnuAnalyse->trigger();
        EXPECT_TRUE(w->mnuAnalyse->isChecked() && w->txtIO->isVisibleTo(w.get()));
        ASSERT_TRUE(awaitLine(QRegularExpression("^Depth ([4-9]|\\d\\d)  \\+\\S+  1\\. ")));
        EXPECT_FALSE(board->Locked());
        w->mnuHint->trigger();
        EXPECT_TRUE(board->HintFrom() > 0 && board->SquareInfo(board->HintFrom()).White);
        Drag("e1", "f1");
        EXPECT_EQ(board->HintFrom(), 0);
        // Black to move: still White's score, the line numbered from Black's move.
        ASSERT_TRUE(awaitLine(QRegularExpression("^Depth ([4-9]|\\d\\d)  \\+\\S+  1\\.\\.\\. ")));
        Drag("e8", "f8");
        ASSERT_TRUE(awaitLine(QRegularExpression("^Depth ([4-9]|\\d\\d)  \\+\\S+  2\\. ")));
        QTest::qWait(200);
        EXPECT_EQ(board->UndoCount(), 2);
        EXPECT_EQ(board->SideTurn(), 0);
        EXPECT_FALSE(Output().contains("move "));
        w->mnuGameNew->trigger();
        EXPECT_FALSE(w->mnuAnalyse->isChecked());
        Settle();  // nothing thinks any more
        if (!engineOn) w->mnutalvoron->trigger(), Settle();
    }
    EXPECT_TRUE(messages.empty());
}

}  // namespace
