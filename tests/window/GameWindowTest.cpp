// The game window with the real engine, driver and board control, headless. Each test gets a freshly
// loaded window; the window's events are run by hand until the engine has nothing left to do.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "SettleEngine.h"
#include "WindowLayoutChecks.h"
#include "board/BoardBas.h"
#include "driver/Dispatcher.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "gui/chessboard/wqzChessboard.h"
#include "gui/forms/MessageBox.h"
#include "gui/window/InstallGameWindow.h"
#include "gui/window/Resize_forms.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"
#include "search/SearchBas.h"

namespace {

constexpr char Easy[] = "xboard\nnew\nrandom\nsd 1\npost\n";
constexpr char Medium[] = "xboard\nnew\nrandom\nsd 4\npost\n";
constexpr char Advanced[] = "xboard\nnew\n";
using Moves = std::initializer_list<std::pair<const char*, const char*>>;

// The board control's layout text of a FEN placement.
QString LayoutOf(const std::string& sFen) {
    QString out;
    for (char c : sFen.substr(0, sFen.find(' '))) {
        if (c >= '1' && c <= '8') out += QString(2 * (c - '0'), 'X');
        if (c >= 'A') out += QString(c >= 'a' ? 'B' : 'W') + QChar(c).toUpper();
    }
    return out;
}

class GameWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InGuiMode = true, InstallGameWindow(), InitEngine(); }

    void SetUp() override {
        SetMessageHandler(
            [this](const MessageRequest& r) { return messages.push_back(r.Text), QMessageBox::Ok; });
        frmDebugMain::Beep = [this] { ++beeps; };
        frmDebugMain::PopupMenu = [this](QMenu* m) {
            popups.push_back(m->objectName());
            if (pick) m->findChild<QAction*>(pick)->trigger();
        };
        w->Form_Load();
        w->show();
    }
    // Nothing of a test's engine may reach the next test's window.
    void TearDown() override {
        EngineCommands().Abandon(), Settle(), w.reset(), SetMessageHandler({}), Fed();
    }

    // What waits in the mailbox (the window's last feed), emptied.
    std::string Fed() {
        const std::string s = GuiInputPending ? GuiInputLine : "";
        GuiInputPending = false;
        return GuiInputLine.clear(), s;
    }

    static void Settle() { EXPECT_TRUE(SettleEngine()); }
    // The board's piece kinds, a8 to h1.
    std::vector<int> Layout() const {
        std::vector<int> kinds;
        for (int i = 1; i <= 64; ++i) kinds.push_back(board->SquareInfo(i).Kind);
        return kinds;
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
    const char* pick = nullptr;
    int beeps = 0;
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

TEST_F(GameWindowTest, PersonAndEngineAlternateThroughTheBoard) {
    w->mnulvl1->trigger();  // depth 1 keeps the test quick
    Settle();
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
    // The game since the window opened, for PGN: the person's moves and the engine's.
    EXPECT_TRUE(w->GamePgn().contains("\n\n1. e4 ")) << w->GamePgn().toStdString();
    EXPECT_TRUE(w->GamePgn().contains(" 2. Nc3 ") && w->GamePgn().contains(" 3. Nb1 "));
}

// An under-promotion chosen on the board must reach the engine with its letter, not as a queen; the
// engine's own promotion in reply must reach the board.
TEST_F(GameWindowTest, PromotionsReachBothBoards) {
    board->NewGame(false, 0, 0, LayoutOf("8/1P5k/8/8/8/8/6p1/K7"), true);  // the engine's board alike:
    w->Feed("xboard\nnew\nsd 1\nsetboard 8/1P5k/8/8/8/8/6p1/K7 w - - 0 1");
    Settle();
    pick = "mnuWN";
    board->MovePiece("b7", "b8");
    EXPECT_EQ(popups, std::vector<QString>{"mnuWhitePawnPromotion"});
    EXPECT_EQ(KindAt("b8"), 9);  // white knight
    EXPECT_EQ(GuiInputLine, "b7b8n\n");
    Settle();
    EXPECT_EQ(GameRecord[1].Promotion, WhiteKnight);  // the engine's board holds the same piece
    EXPECT_EQ(Board[92], WhiteKnight);

    ASSERT_EQ(GameRecord.size(), 3u);
    EXPECT_EQ(KindAt("g1"), 1) << MoveToText(GameRecord[2]);  // the engine's queen reached the board
}

// The engine's move line: its clock is charged the search time, and its promotion letter is obeyed.
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
        board->NewGame(false, 0, 0, LayoutOf(c.Fen), c.EngineWhite);
        WhiteSeconds = BlackSeconds = 50, WhiteMinutes = BlackMinutes = WhiteHours = BlackHours = 0;
        w->ShowLine(std::string("move ") + c.Move + c.Letter, 75);
        EXPECT_EQ(KindAt(c.Square), c.Kind);
        EXPECT_TRUE(PromotionLetter.empty());
        EXPECT_EQ((c.EngineWhite ? w->Label12 : w->Label10)->text(), "0:2:5");
        EXPECT_EQ((c.EngineWhite ? w->Label10 : w->Label12)->text(), c.EngineWhite ? "0:0:50" : "0:0:0");
        EXPECT_TRUE(Output().endsWith(QString("\r\nmove ") + c.Move + c.Letter));
    }
    EXPECT_TRUE(popups.empty());
}

TEST_F(GameWindowTest, TwoPlayersAlternateClocksAndTakeBack) {
    Fed();
    w->mnutalvoroff->trigger();
    EXPECT_TRUE(!EngineOn && w->mnuActions->isEnabled() && !w->txtIO->isVisibleTo(w.get()));
    EXPECT_EQ(w->Label9->text(), "2 Player Game");
    w->mnuGameNew->trigger();  // no level while the engine is off
    Play({{"f2", "f3"}});
    EXPECT_EQ(Ticking(), 'B');
    Play({{"e7", "e5"}});
    EXPECT_EQ(Ticking(), 'W');
    EXPECT_EQ(Fed(), "");  // neither the choices nor the moves were fed

    // Take back Black's move: the record loses it, Black is to move and Black's clock runs; then White's,
    // and with no move left no clock runs.
    w->mnuActionsUndo->trigger();
    EXPECT_EQ(board->SideTurn(), 1);
    EXPECT_TRUE(w->Shape2->isVisibleTo(w.get()));
    EXPECT_EQ(w->Text1->Text(), "1) f2-f3\r\n");
    EXPECT_EQ(Ticking(), 'B');
    w->mnuActionsUndo->trigger();
    EXPECT_TRUE(w->Text1->Text().isEmpty() && MoveNumber == 0 && Ticking() == '-');
    Play({{"f2", "f3"}, {"e7", "e5"}, {"g2", "g4"}, {"d8", "h4"}});
    EXPECT_EQ(messages, std::vector<QString>{"White checkmated"});
    EXPECT_EQ(Ticking(), '-');
    EXPECT_EQ(w->Result(), "0-1");
    EXPECT_TRUE(w->lblResult->isVisibleTo(w.get()));
    w->mnuActionsUndo->trigger();  // taking back the mate goes on with the game
    EXPECT_TRUE(w->Result().isEmpty() && !w->lblResult->isVisibleTo(w.get()) && Ticking() == 'B');

    // Promotions with two players: each side chooses its piece, whatever side the engine had.
    GuiEngineWhite = true;
    board->NewGame(false, 0, 0, LayoutOf("8/1P5k/8/8/8/8/6p1/K7"), true);
    pick = "mnuWR";
    Play({{"b7", "b8"}});
    pick = "mnuBN";
    Play({{"g2", "g1"}});
    EXPECT_EQ(KindAt("b8"), 8);
    EXPECT_EQ(KindAt("g1"), 3);
    EXPECT_EQ(popups, (std::vector<QString>{"mnuWhitePawnPromotion", "mnuBlackPawnPromotion"}));
    GuiEngineWhite = false;

    // Switching the engine on again starts its game anew at Advanced.
    w->mnutalvoron->trigger();
    EXPECT_EQ(Fed(), Advanced);
    EXPECT_TRUE(EngineOn && !w->mnuActions->isEnabled());
}

TEST_F(GameWindowTest, LanguageSwitchChangesCaptionsAndMessages) {
    const struct {
        QAction* Item;
        QString Game, Knight, Default, Check, Refused, Easy;
    } languages[] = {
        {w->mnuitalian, "Gioco", "Cavallo", "Reimposta Dimensioni GUI",
         QString::fromUtf8("Il Re nero è sotto scacco"),
         "Mossa non valida o sintassi non corretta da aprte del motore", "Livello Facile"},
        {w->mnueng, "Chess", "Knight", "Default", "Black king in check", "Illegal move or bad syntax",
         "Easy Level"},
    };
    for (const auto& l : languages) {
        SCOPED_TRACE(l.Game.toStdString());
        l.Item->trigger();
        EXPECT_EQ(ItalianTexts(), l.Item == w->mnuitalian);  // what the engine's own texts follow
        EXPECT_TRUE(l.Item->isChecked() && !(l.Item == w->mnueng ? w->mnuitalian : w->mnueng)->isChecked());
        EXPECT_EQ(w->mnuGame->text(), l.Game);
        EXPECT_EQ(w->mnuWN->text(), l.Knight);
        EXPECT_EQ(w->mnuguirest->text(), l.Default);
        EXPECT_EQ(w->mnuHelpAbout->text(), "About");  // keeps its design caption

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

TEST_F(GameWindowTest, ColourSchemesPaintBoardSurroundAndWindow) {
    const struct {
        QAction* Item;
        int Dark, Light, Highlight, Shape, Window;
    } schemes[] = {
        {w->mnuwbs, 0x6CA277, 0x65C3C8, 0x00FFFF, 0x65C3C8, 0x004000},
        {w->arena, 0x808000, 0xC0C000, 0x00FFFF, 0x808000, 0x400000},
        {w->mnumono, 0x808080, 0xE0E0E0, 0xFFFFFF, 0x808080, 0x000000},
        {w->mnurw, 0x0000C0, 0xFFFFFF, 0x00FF00, 0x0000C0, 0x000080},
        {w->mnuwood, 0x375F86, 0x6292AE, 0xFFFFFF, 0x6292AE, 0x253E4B},
        {w->mnuDGS, 0x008000, 0x00C0C0, 0x0A9CF3, 0x008000, 0x008080},
    };
    for (const auto& s : schemes) {
        SCOPED_TRACE(s.Item->objectName().toStdString());
        s.Item->trigger();
        EXPECT_EQ(board->DarkSquareColor(), s.Dark);
        EXPECT_EQ(board->LightSquareColor(), s.Light);
        EXPECT_EQ(board->HighlightMoveColor(), s.Highlight);
        EXPECT_EQ(w->Shape3->BackColor(), s.Shape);
        for (QColor c :
             {w->centralWidget()->palette().color(QPalette::Window),
              w->txtIO->palette().color(QPalette::Base), w->Frame1->palette().color(QPalette::Window)})
            EXPECT_EQ(BGRFromColor(c), s.Window);
        for (const auto& o : schemes) EXPECT_EQ(o.Item->isChecked(), o.Item == s.Item);
    }
}

// At each size the menu offers, the layout holds; Default brings back the design geometry.
TEST_F(GameWindowTest, SizesScaleEveryControlAndDefaultRestoresThem) {
    QCoreApplication::processEvents();
    std::map<QWidget*, QRect> design;
    for (QObject* o : FormControls(w.get()))
        if (auto* c = qobject_cast<QWidget*>(o)) design[c] = c->geometry();
    EXPECT_EQ(LayoutFaults(*w), std::vector<std::string>{});
    for (QAction* size : {w->mnusmall, w->mnumedium, w->mnubig}) {
        SCOPED_TRACE(size->objectName().toStdString());
        size->trigger();
        QCoreApplication::processEvents();
        EXPECT_TRUE(size->isChecked() && !w->mnuguirest->isChecked());
        EXPECT_EQ(LayoutFaults(*w), std::vector<std::string>{});
    }
    w->mnuguirest->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->mnuguirest->isChecked() && !w->mnubig->isChecked());
    for (auto [c, r] : design) EXPECT_EQ(c->geometry(), r) << c->objectName().toStdString();
}

// The engine's verdicts end the game in the window: the result over the board, the clocks stopped; the
// first verdict stands, and a new game clears it.
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
        QAction* Level;  // null: the engine is off
        bool EngineWhite;
        std::string Fed;
        QString Promotion;  // Black's: the engine's choice (a queen here) or the person's
    } cases[] = {
        {w->mnulvl1, false, std::string(Easy) + "setboard " + fen.toStdString() + "\n", "b1=Q"},
        // Black to move and the engine White: black says so, where go would give the engine Black.
        {w->mnulvl3, true, std::string(Advanced) + "setboard " + fen.toStdString() + "\nblack\n", "b1=N"},
        {nullptr, false, "", "b1=N"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fed);
        w->mnuGameNew->trigger();
        if (c.Level)
            c.Level->trigger();
        else
            w->mnutalvoroff->trigger();
        GuiEngineWhite = c.EngineWhite;
        Fed();
        Play({{"e2", "e4"}});
        w->Timer1->start();
        QGuiApplication::clipboard()->setText(fen + "\n");
        w->mnuPasteFEN->trigger();
        EXPECT_EQ(Fed(), c.Fed);
        EXPECT_EQ(board->LayoutText(), LayoutOf(fen.toStdString()));
        EXPECT_TRUE(board->SideTurn() == 1 && w->Shape2->isVisibleTo(w.get()));
        EXPECT_TRUE(w->Text1->Text().isEmpty() && Ticking() == '-');
        EXPECT_EQ(w->mnulvl1->isEnabled(), !c.Level);
        pick = "mnuBN";
        Play({{"b2", "b1"}});
        EXPECT_EQ(w->Text1->Text(), QString(20, ' ') + "...b2-b1\r\n");
        Play({{"h2", "g3"}});
        EXPECT_TRUE(w->Text1->Text().endsWith("\r\n41) h2-g3\r\n"));
        EXPECT_TRUE(w->GamePgn().contains("[FEN \"" + fen + "\"]\n\n40... " + c.Promotion + " 41. Kg3 "));
    }

    // A text that is no position is refused, in the window's language (the X11 tests see the English one).
    const QString before = board->LayoutText();
    w->mnuitalian->trigger();
    QGuiApplication::clipboard()->setText("4k3/8/8/8/8/8/8/4K3 w - e5");
    w->mnuPasteFEN->trigger();
    EXPECT_EQ(messages.back(),
              QString::fromUtf8("Posizione FEN non valida: la casa en passant deve essere - o "
                                "una casa della terza o sesta traversa"));
    EXPECT_EQ(board->LayoutText(), before);
    EXPECT_EQ(Fed(), "");
    GuiEngineWhite = false;
}

// Choosing White while the engine thinks as Black: the search stops without a move and the engine waits
// for the person's Black move, then answers it as White; choosing Black again makes it move at once.
TEST_F(GameWindowTest, EngineSideChangesWhileItThinks) {
    BookLoaded = false;
    w->mnulvl2->trigger();
    Settle();
    w->Feed("sd 40");  // more than the test waits for
    Settle();
    Play({{"e2", "e4"}});
    QCoreApplication::processEvents();
    ASSERT_TRUE(EngineCommands().Thinking());
    w->mnuEngineWithe->trigger();
    Settle();
    EXPECT_EQ(GameRecord.size(), 2u);
    EXPECT_TRUE(EnginePlaysWhite && GuiEngineWhite && !WhiteToMove);
    w->Feed("sd 2");
    Settle();
    Play({{"e7", "e5"}});
    Settle();
    EXPECT_EQ(GameRecord.size(), 4u);  // the engine's White reply
    EXPECT_EQ(board->SideTurn(), 1);
    w->mnuEngineBlack->trigger();
    Settle();
    EXPECT_EQ(GameRecord.size(), 5u);
    EXPECT_EQ(board->SideTurn(), 0);
    BookLoaded = true;
    EXPECT_TRUE(messages.empty());
}

// While the engine thinks the board takes no move from the person; a new game then stops the search and
// leaves the start position with no engine move on it, also when the old game's move is already on its
// way to the board.
TEST_F(GameWindowTest, NewGameWhileTheEngineThinks) {
    BookLoaded = false;  // the engine thinks from its first move on
    for (bool moveOnItsWay : {false, true}) {
        SCOPED_TRACE(moveOnItsWay);
        (moveOnItsWay ? w->mnulvl1 : w->mnulvl2)->trigger();
        w->mnuGameNew->trigger();
        Settle();
        if (!moveOnItsWay) w->Feed("sd 40");  // more than the test waits for
        Settle();
        const std::vector<int> start = Layout();
        Play({{"e2", "e4"}});
        QCoreApplication::processEvents();  // the move reaches the engine, which starts thinking
        ASSERT_TRUE(EngineCommands().Thinking());
        EXPECT_TRUE(board->Locked());
        if (moveOnItsWay) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!EngineCommands().TurnOver() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::yield();
            ASSERT_GT(LinesInFlight(), 0);
        }
        w->mnuGameNew->trigger();
        Settle();
        EXPECT_EQ(Layout(), start);
        EXPECT_EQ(board->SideTurn(), 0);
        EXPECT_EQ(GameRecord.size(), 1u);
        EXPECT_TRUE(w->Text1->Text().isEmpty());
        EXPECT_FALSE(Output().contains("move "));
        EXPECT_FALSE(board->Locked());
    }
    BookLoaded = true;
    EXPECT_TRUE(messages.empty());
}

}  // namespace
