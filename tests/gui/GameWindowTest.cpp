// The game window with the real engine, driver and board control, headless. Each test gets a freshly
// loaded window; passes of the main loop are run by hand, as MainLoop runs them.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "board/BoardBas.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "gui/InstallGameWindow.h"
#include "gui/MessageBox.h"
#include "gui/Resize_forms.h"
#include "gui/frmAbout.h"
#include "gui/frmDebugMain.h"
#include "gui/frmDebugMainControls.h"
#include "gui/wqzChessboard.h"
#include "search/SearchBas.h"

namespace {

constexpr char Easy[] = "xboard\nnew\nrandom\nsd 1\npost\n";
constexpr char Medium[] = "xboard\nnew\nrandom\nsd 4\npost\n";
constexpr char Advanced[] = "xboard\nnew\n";

// The board control's layout text of a FEN placement.
QString LayoutOf(const std::string& sPlacement) {
    QString out;
    for (char c : sPlacement) {
        if (c == '/') continue;
        if (c >= '1' && c <= '8') {
            for (int i = 0; i < c - '0'; ++i) out += "XX";
            continue;
        }
        out += (c >= 'a' ? 'B' : 'W');
        out += QChar(c).toUpper();
    }
    return out;
}

class GameWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InGuiMode = true;
        InstallGameWindow();
        InitEngine();
    }

    void SetUp() override {
        SetMessageHandler([this](const MessageRequest& r) {
            messages.push_back(r.Text);
            return QMessageBox::Ok;
        });
        frmDebugMain::Beep = [this] { ++beeps; };
        frmDebugMain::Quit = [this] { ++quits; };
        frmDebugMain::PopupMenu = [this](QMenu* m) {
            popups.push_back(m->objectName());
            if (pick) m->findChild<QAction*>(pick)->trigger();
        };
        GuiInputPending = false;
        GuiInputLine.clear();
        w = std::make_unique<frmDebugMain>();
        w->Form_Load();
        w->show();
        board = w->wqzChessboard2;
    }

    void TearDown() override {
        w.reset();
        SetMessageHandler({});
        GuiInputPending = false;
        GuiInputLine.clear();
    }

    // What waits in the mailbox (the window's last feed), emptied.
    std::string Fed() {
        std::string s = GuiInputPending ? GuiInputLine : "";
        GuiInputPending = false;
        GuiInputLine.clear();
        return s;
    }

    // One pass of the main loop.
    void Pass() {
        EngineTurn();
        if (InputAvailable()) {
            const std::string s = ReadInput();
            if (!s.empty()) InterpretInput(s);
        }
        GameWindow.Yield(0);
    }

    // Passes until the engine has nothing to do and nothing waits.
    void Settle() {
        for (int i = 0; i < 20 && (GuiInputPending || EngineOnMove()); ++i) Pass();
        Pass();
    }

    void Drag(const QString& sFrom, const QString& sTo) {
        auto* src = board->picSquare[board->SquareFromName(sFrom)];
        auto* dst = board->picSquare[board->SquareFromName(sTo)];
        const QPoint target = src->mapFromGlobal(dst->mapToGlobal(dst->rect().center()));
        QTest::mousePress(src, Qt::LeftButton, {}, src->rect().center());
        QTest::mouseMove(src, target);
        QTest::mouseRelease(src, Qt::LeftButton, {}, target);
    }

    // Both sides of the game from this position: the engine by setboard, the board by its layout.
    void SetUpPosition(const std::string& sFen) {
        const bool white = sFen.find(" w ") != std::string::npos;
        board->NewGame(false, 0, 0, LayoutOf(sFen.substr(0, sFen.find(' '))), white);
        w->Feed(QString::fromStdString("xboard\nnew\nsd 1\nsetboard " + sFen));
        Settle();
    }

    QString Output() const { return w->txtIO->Text(); }
    int KindAt(const char* sSquare) const { return board->SquareInfo(board->SquareFromName(sSquare)).Kind; }

    std::unique_ptr<frmDebugMain> w;
    wqzChessboard* board = nullptr;
    std::vector<QString> messages;
    std::vector<QString> popups;
    const char* pick = nullptr;
    int beeps = 0, quits = 0;
};

TEST_F(GameWindowTest, LoadLeavesMediumLevelEngineBlackAndClocksStopped) {
    EXPECT_EQ(Fed(), Medium);  // the Advanced text fed first was replaced
    EXPECT_TRUE(w->mnutalvoron->isChecked());
    EXPECT_FALSE(w->mnutalvoroff->isChecked());
    EXPECT_TRUE(w->mnuEngineBlack->isChecked());
    EXPECT_FALSE(w->mnuEngineWithe->isChecked());
    EXPECT_TRUE(w->mnuengon->isChecked());
    EXPECT_FALSE(w->mnulvl1->isChecked());
    EXPECT_TRUE(w->mnulvl2->isChecked());
    EXPECT_FALSE(w->mnulvl3->isChecked());
    EXPECT_TRUE(w->mnuDGS->isChecked());
    EXPECT_TRUE(w->mnueng->isChecked());
    EXPECT_FALSE(w->mnuActions->isEnabled());
    EXPECT_FALSE(w->mnuBoardLock->isVisible());
    EXPECT_TRUE(w->mnuBoardLock->isChecked());
    EXPECT_TRUE(w->mnuBoardHighlight->isChecked());
    EXPECT_FALSE(w->mnu3d->isEnabled());
    EXPECT_EQ(w->Label9->text(), "Medium Level");
    EXPECT_EQ(w->mnuGame->text(), "Chess");
    EXPECT_EQ(w->mnuguisett->text(), "GUI Board Size");
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_FALSE(w->Timer2->isActive());
    EXPECT_EQ(w->Label12->text(), "0:0:0");
    EXPECT_EQ(w->Label10->text(), "0:0:0");
    EXPECT_TRUE(EngineOn && SoundOn && !GuiEngineWhite && !Squares3D && !GridLines);
    EXPECT_TRUE(w->txtIO->isVisibleTo(w.get()));

    w->Feed(Medium);
    Settle();
    EXPECT_EQ(MaxDepth, 4);
    EXPECT_FALSE(EnginePlaysWhite);
}

TEST_F(GameWindowTest, LevelsSidesAndButtonsFeedTheirCommands) {
    Fed();
    struct Case {
        QAction* frmDebugMain::*Item;
        std::string Expected;
        QString Label;
    };
    for (const Case& c : {Case{&frmDebugMain::mnulvl1, Easy, "Easy Level"},
                          Case{&frmDebugMain::mnulvl3, Advanced, "Advanced Level"},
                          Case{&frmDebugMain::mnulvl2, Medium, "Medium Level"}}) {
        ((*w).*c.Item)->trigger();
        EXPECT_EQ(Fed(), c.Expected);
        EXPECT_EQ(w->Label9->text(), c.Label);
        for (QAction* a : {w->mnulvl1, w->mnulvl2, w->mnulvl3}) EXPECT_EQ(a->isChecked(), a == (*w).*c.Item);
        // New Game feeds the selected level again.
        w->mnuGameNew->trigger();
        EXPECT_EQ(Fed(), c.Expected);
    }
    w->mnuEngineWithe->trigger();
    EXPECT_EQ(Fed(), "go\n");
    EXPECT_TRUE(GuiEngineWhite && w->mnuEngineWithe->isChecked() && !w->mnuEngineBlack->isChecked());
    w->mnuEngineBlack->trigger();
    EXPECT_EQ(Fed(), "go\n");  // the same text twice in a row is still a feed
    EXPECT_FALSE(GuiEngineWhite);
    w->Command1->click();
    EXPECT_EQ(Fed(), "go\n");
    w->Command2->click();
    EXPECT_EQ(Fed(), "new\n");

    // A typed command goes when sent, not letter by letter.
    w->Text2->clear();
    Fed();
    QTest::keyClicks(w->Text2, "sd 2");
    EXPECT_EQ(Fed(), "");
    QTest::keyClick(w->Text2, Qt::Key_Return);
    EXPECT_EQ(Fed(), "sd 2\n");
    w->cmdFakeInput->click();
    EXPECT_EQ(Fed(), "sd 2\n");
}

TEST_F(GameWindowTest, PersonAndEngineAlternateThroughTheBoard) {
    w->mnulvl1->trigger();  // depth 1 keeps the test quick
    Settle();
    Drag("e2", "e4");
    EXPECT_EQ(w->Text1->Text(), "1) e2-e4\r\n");
    EXPECT_EQ(GuiInputLine, "e2e4\n");
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_FALSE(w->Timer2->isActive());
    EXPECT_FALSE(w->Shape1->isVisibleTo(w.get()));
    EXPECT_TRUE(w->Shape2->isVisibleTo(w.get()));
    EXPECT_FALSE(w->mnulvl1->isEnabled());
    Settle();

    // The engine answered on the board and the prompt follows its move in the output box.
    EXPECT_EQ(board->SideTurn(), 0);
    EXPECT_TRUE(WhiteToMove);
    EXPECT_EQ(GameRecord.size(), 3u);
    const std::string reply = MoveToText(GameRecord[2]);
    EXPECT_EQ(w->Text1->Text(), "1) e2-e4\r\n" + QString(20, ' ') + "..." +
                                    QString::fromStdString(reply).left(2) + "-" +
                                    QString::fromStdString(reply).mid(2, 2) + "\r\n");
    EXPECT_TRUE(Output().contains(QString::fromStdString("move " + reply))) << Output().toStdString();
    EXPECT_TRUE(Output().endsWith("\r\nIt's Your Turn ")) << Output().toStdString();
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_FALSE(w->Timer2->isActive());
    EXPECT_TRUE(w->Shape1->isVisibleTo(w.get()));
    EXPECT_EQ(beeps, 2);

    // Two more moves each; the person's knight can always go c3, b1, c3.
    for (auto [from, to] : {std::pair{"b1", "c3"}, {"c3", "b1"}}) {
        Drag(from, to);
        EXPECT_TRUE(Output().isEmpty());  // the box starts again for the engine's thinking
        Settle();
        EXPECT_EQ(board->SideTurn(), 0);
    }
    EXPECT_EQ(GameRecord.size(), 7u);
    EXPECT_EQ(MoveNumber, 3);
    EXPECT_TRUE(messages.empty());
}

TEST_F(GameWindowTest, PersonMatesAndTheEngineReportsTheResult) {
    SetUpPosition("7k/5Q2/6K1/8/8/8/8/8 w - - 0 1");
    board->MovePiece("f7", "g7");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Black checkmated");
    EXPECT_FALSE(w->Timer1->isActive() || w->Timer2->isActive());
    Settle();
    EXPECT_TRUE(Output().contains("1-0 {Il Bianco Vince}")) << Output().toStdString();
}

TEST_F(GameWindowTest, PersonPromotesThroughThePopup) {
    SetUpPosition("8/1P5k/8/8/8/8/8/K7 w - - 0 1");
    pick = "mnuWN";
    board->MovePiece("b7", "b8");
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0], "mnuWhitePawnPromotion");
    EXPECT_EQ(KindAt("b8"), 9);  // white knight
    EXPECT_EQ(GuiInputLine, "b7b8n\n");
    EXPECT_EQ(w->PromotionChoice, -1);
    Settle();
    EXPECT_EQ(GameRecord[1].Promotion, WhiteKnight);  // the engine's board holds the same piece
    EXPECT_EQ(Board[92], WhiteKnight);
}

TEST_F(GameWindowTest, EnginePromotionReachesTheBoard) {
    SetUpPosition("8/8/8/8/8/7K/p7/5k2 b - - 0 1");
    ASSERT_GE(GameRecord.size(), 2u);
    const MoveRec m = GameRecord[1];
    ASSERT_NE(m.Promotion, 0);
    static const std::map<int, int> kindOfCode = {
        {BlackQueen, 1}, {BlackRook, 2}, {BlackKnight, 3}, {BlackBishop, 4}};
    EXPECT_EQ(KindAt(SquareText(m.To).c_str()), kindOfCode.at(m.Promotion));
    EXPECT_TRUE(PromotionLetter.empty());
    EXPECT_TRUE(popups.empty());
}

TEST_F(GameWindowTest, EngineMoveLineChargesItsClockAndPromotesByLetter) {
    struct Case {
        bool EngineWhite;
        const char* Fen;
        const char* Move;
        const char* Letter;
        const char* Square;
        int Kind;
    };
    for (const Case& c : {Case{false, "8/8/8/8/8/7K/p7/5k2 b", "a2a1", "n", "a1", 3},
                          Case{false, "8/8/8/8/8/7K/p7/5k2 b", "a2a1", "r", "a1", 2},
                          Case{false, "8/8/8/8/8/7K/p7/5k2 b", "a2a1", "b", "a1", 4},
                          Case{true, "8/1P5k/8/8/8/8/8/K7 w", "b7b8", "q", "b8", 7},
                          Case{true, "8/1P5k/8/8/8/8/8/K7 w", "b7b8", "n", "b8", 9}}) {
        SCOPED_TRACE(c.Move + std::string(c.Letter));
        GuiEngineWhite = c.EngineWhite;
        const std::string fen = c.Fen;
        board->NewGame(false, 0, 0, LayoutOf(fen.substr(0, fen.find(' '))), fen.back() == 'w');
        WhiteSeconds = 50, WhiteMinutes = 0, WhiteHours = 0;
        BlackSeconds = 50, BlackMinutes = 0, BlackHours = 0;
        SearchSeconds = 75;
        PromotionLetter = c.Letter;
        w->ShowLine(std::string("move ") + c.Move);
        EXPECT_EQ(KindAt(c.Square), c.Kind);
        EXPECT_TRUE(PromotionLetter.empty());
        EXPECT_EQ((c.EngineWhite ? w->Label12 : w->Label10)->text(), "0:2:5");
        EXPECT_EQ((c.EngineWhite ? w->Label10 : w->Label12)->text(), c.EngineWhite ? "0:0:50" : "0:0:0");
        EXPECT_TRUE(w->txtMovePiece->text().isEmpty());
        EXPECT_TRUE(Output().endsWith(QString("\r\nmove ") + c.Move));
    }
    EXPECT_TRUE(popups.empty());
    SearchSeconds = 0;
}

TEST_F(GameWindowTest, OutputBoxLimitResignAndRefusedMoves) {
    w->txtIO->SetText(QString(32001, 'x'));
    w->ShowLine("resign");
    EXPECT_EQ(Output(), "\r\nresign");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Engine resign");
    w->ShowLine(std::string(100, 'y'));
    EXPECT_EQ(Output().size(), 2 + 6 + 2 + 100);

    // A move the board refuses.
    w->mnuitalian->trigger();
    w->ShowLine("move e2e5");
    EXPECT_EQ(messages.back(), "Mossa non valida o sintassi non corretta da aprte del motore");
    w->mnueng->trigger();
    w->txtMovePiece->setText("zz");
    w->cmdMovePiece->click();
    EXPECT_EQ(messages.back(), "Illegal move or bad syntax");
    EXPECT_EQ(board->SideTurn(), 0);

    // The record box starts again past its limit.
    w->Text1->SetText(QString(63000, 'r'));
    board->MovePiece("e2", "e4");
    EXPECT_TRUE(w->Text1->Text().isEmpty());
}

TEST_F(GameWindowTest, TwoPlayersAlternateClocksAndTakeBack) {
    Fed();
    w->mnutalvoroff->trigger();
    EXPECT_EQ(Fed(), "");
    EXPECT_FALSE(EngineOn);
    EXPECT_TRUE(w->mnuActions->isEnabled());
    EXPECT_FALSE(w->txtIO->isVisibleTo(w.get()));
    EXPECT_TRUE(w->mnuengoff->isChecked());
    EXPECT_EQ(w->Label9->text(), "2 Player Game");
    for (QAction* a : {w->mnulvl1, w->mnulvl2, w->mnulvl3, w->mnuEngineWithe, w->mnuEngineBlack})
        EXPECT_FALSE(a->isChecked());
    w->mnuGameNew->trigger();
    EXPECT_EQ(Fed(), "");  // no level while the engine is off

    w->txtIO->SetText("old");
    Drag("f2", "f3");
    EXPECT_TRUE(Output().isEmpty());
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_TRUE(w->Timer2->isActive());
    board->MovePiece("e7", "e5");
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_FALSE(w->Timer2->isActive());
    EXPECT_EQ(Fed(), "");  // moves are not fed

    // Take back Black's move: the marker shows Black to move again.
    w->mnuActionsUndo->trigger();
    EXPECT_EQ(board->SideTurn(), 1);
    EXPECT_TRUE(w->Shape2->isVisibleTo(w.get()));
    board->MovePiece("e7", "e5");
    board->MovePiece("g2", "g4");
    board->MovePiece("d8", "h4");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "White checkmated");
    EXPECT_FALSE(w->Timer1->isActive() || w->Timer2->isActive());

    // Promotions with two players: White chooses, Black always gets a queen.
    pick = "mnuWR";
    board->NewGame(false, 0, 0, LayoutOf("8/1P5k/8/8/8/8/6p1/K7"), true);
    board->MovePiece("b7", "b8");
    EXPECT_EQ(KindAt("b8"), 8);
    board->MovePiece("g2", "g1");
    EXPECT_EQ(KindAt("g1"), 1);
    EXPECT_EQ(popups, std::vector<QString>{"mnuWhitePawnPromotion"});

    // Switching the engine on again starts its game anew at Advanced.
    w->mnutalvoron->trigger();
    EXPECT_EQ(Fed(), Advanced);
    EXPECT_TRUE(EngineOn);
    EXPECT_FALSE(w->mnuActions->isEnabled());
}

TEST_F(GameWindowTest, ClocksTickAndStalemateStopsThem) {
    for (int i = 0; i < 3600 + 61; ++i) w->Timer1_Timer();
    EXPECT_EQ(w->Label12->text(), "1:1:1");
    w->Timer2_Timer();
    EXPECT_EQ(w->Label10->text(), "0:0:1");

    w->cmdTestStalemate->click();
    w->Timer1->start();
    board->MovePiece("d7", "e6");  // Qe6: Black king f8 has no move
    EXPECT_EQ(messages.back(), "Stalemate");
    EXPECT_FALSE(w->Timer1->isActive() || w->Timer2->isActive());
}

TEST_F(GameWindowTest, LanguageSwitchChangesCaptionsAndMessages) {
    w->mnuitalian->trigger();
    EXPECT_TRUE(w->mnuitalian->isChecked());
    EXPECT_FALSE(w->mnueng->isChecked());
    EXPECT_TRUE(GameWindow.Italian());
    EXPECT_EQ(w->mnuGame->text(), "Gioco");
    EXPECT_EQ(w->mnuWN->text(), "Cavallo");
    EXPECT_EQ(w->mnuguirest->text(), "Reimposta Dimensioni GUI");
    EXPECT_EQ(w->mnuHelpAbout->text(), "About");   // keeps its design caption
    EXPECT_EQ(w->Label9->text(), "Medium Level");  // labels change only when next written

    board->MovePiece("e2", "e4");
    board->MovePiece("f7", "f6");
    board->MovePiece("d1", "h5");
    EXPECT_EQ(messages.back(), QString::fromUtf8("Il Re nero è sotto scacco"));
    Fed();
    w->Feed("new\nz9z9");
    Settle();
    EXPECT_TRUE(Output().endsWith("Tocca a te! "));
    w->mnulvl1->trigger();  // no level change in the middle of a game
    EXPECT_EQ(w->Label9->text(), "Medium Level");
    w->mnuGameNew->trigger();
    w->mnulvl1->trigger();
    EXPECT_EQ(w->Label9->text(), "Livello Facile");

    w->mnueng->trigger();
    EXPECT_EQ(w->mnuGame->text(), "Chess");
    EXPECT_EQ(w->mnuWN->text(), "Night");
    EXPECT_FALSE(GameWindow.Italian());
}

TEST_F(GameWindowTest, ColourSchemesPaintBoardSurroundAndWindow) {
    struct Scheme {
        QAction* frmDebugMain::*Item;
        int Dark, Light, Highlight, Shape, Window;
    };
    const Scheme schemes[] = {
        {&frmDebugMain::mnuwbs, 0x6CA277, 0x65C3C8, 0x00FFFF, 0x65C3C8, 0x004000},
        {&frmDebugMain::arena, 0x808000, 0xC0C000, 0x00FFFF, 0x808000, 0x400000},
        {&frmDebugMain::mnumono, 0x808080, 0xE0E0E0, 0xFFFFFF, 0x808080, 0x000000},
        {&frmDebugMain::mnurw, 0x0000C0, 0xFFFFFF, 0x00FF00, 0x0000C0, 0x000080},
        {&frmDebugMain::mnuwood, 0x375F86, 0x6292AE, 0xFFFFFF, 0x6292AE, 0x253E4B},
        {&frmDebugMain::mnuDGS, 0x008000, 0x00C0C0, 0x0A9CF3, 0x008000, 0x008080},
    };
    for (const Scheme& s : schemes) {
        QAction* item = (*w).*s.Item;
        SCOPED_TRACE(item->objectName().toStdString());
        item->trigger();
        EXPECT_EQ(board->DarkSquareColor(), s.Dark);
        EXPECT_EQ(board->LightSquareColor(), s.Light);
        EXPECT_EQ(board->HighlightMoveColor(), s.Highlight);
        EXPECT_EQ(w->Shape3->BackColor(), s.Shape);
        EXPECT_EQ(BGRFromColor(w->centralWidget()->palette().color(QPalette::Window)), s.Window);
        EXPECT_EQ(BGRFromColor(w->txtIO->palette().color(QPalette::Base)), s.Window);
        EXPECT_EQ(BGRFromColor(w->Frame1->palette().color(QPalette::Window)), s.Window);
        for (const Scheme& o : schemes) EXPECT_EQ(((*w).*o.Item)->isChecked(), o.Item == s.Item);
    }
}

TEST_F(GameWindowTest, BoardOptionsAndSound) {
    w->mnuBoardView->trigger();
    EXPECT_EQ(board->SideView(), 1);
    EXPECT_EQ(w->riga[1]->text(), "8");
    EXPECT_EQ(w->Label[1]->text(), "H");
    w->mnuBoardView->trigger();
    EXPECT_EQ(board->SideView(), 0);
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(w->riga[i]->text(), QString::number(i));
        EXPECT_EQ(w->Label[i]->text(), QString(QChar('A' + i - 1)));
    }

    w->mnugrid->trigger();
    EXPECT_TRUE(GridLines && w->mnu3d->isEnabled() && !w->mnu3d->isChecked());
    w->mnu3d->trigger();
    EXPECT_TRUE(Squares3D && w->mnu3d->isChecked());
    w->mnugrid->trigger();
    EXPECT_TRUE(!GridLines && !w->mnu3d->isEnabled() && !w->mnu3d->isChecked());
    w->mnugrid->trigger();
    EXPECT_TRUE(w->mnu3d->isEnabled() && !w->mnu3d->isChecked() && Squares3D);

    w->mnuBoardHighlight->trigger();
    EXPECT_FALSE(board->HighlightMove());
    w->mnuBoardLock->trigger();
    EXPECT_TRUE(board->Locked());
    w->mnuBoardLock->trigger();
    EXPECT_FALSE(board->Locked());

    w->mnusound->trigger();
    EXPECT_FALSE(SoundOn);
    board->MovePiece("e2", "e4");
    EXPECT_EQ(beeps, 0);
    w->mnusound->trigger();
    board->MovePiece("e7", "e5");
    EXPECT_EQ(beeps, 1);
}

// The window at each size the menu offers: every control inside the window, nothing on the board, and
// Default brings back the design geometry.
TEST_F(GameWindowTest, SizesScaleEveryControlAndDefaultRestoresThem) {
    QCoreApplication::processEvents();
    std::map<QString, QRect> design;
    for (QObject* o : FormControls(w.get()))
        if (o->isWidgetType()) design[o->objectName()] = static_cast<QWidget*>(o)->geometry();
    const int form = FindForm(w.get());
    ASSERT_GE(form, 0);
    EXPECT_EQ(ResizeForms[form].ScaleWidth, 10560);

    for (QAction* size : {w->mnusmall, w->mnumedium, w->mnubig}) {
        SCOPED_TRACE(size->objectName().toStdString());
        size->trigger();
        QCoreApplication::processEvents();
        EXPECT_TRUE(size->isChecked());
        EXPECT_FALSE(w->mnuguirest->isChecked());
        const int px = ScaleXPercent(w.get());
        const int py = static_cast<int>(ScaleYPercent(w.get()));
        const QRect client = w->centralWidget()->rect();
        const QRect b = board->geometry();
        EXPECT_EQ(b.width(), b.height());
        EXPECT_GE(b.width(), 8 * 32);
        const ResizeRecord& text1 = ResizeControls[FindControl(w->Text1, "frmDebugMain")];
        const ResizeRecord& label9 = ResizeControls[FindControl(w->Label9, "frmDebugMain")];
        EXPECT_EQ(w->Text1->width(), TwipsToPixels(text1.Width * px / 100));
        EXPECT_EQ(w->Label9->y(), TwipsToPixels(label9.Top * py / 100));
        EXPECT_EQ(w->Label9->height(), TwipsToPixels(label9.Height));
        for (QObject* o : FormControls(w.get())) {
            if (!o->isWidgetType() || o == board || o->parent() != w->centralWidget()) continue;
            auto* c = static_cast<QWidget*>(o);
            SCOPED_TRACE(c->objectName().toStdString());
            EXPECT_TRUE(client.contains(c->geometry())) << c->geometry().x() << "," << c->geometry().y();
            if (c != w->Shape3 && !c->objectName().startsWith("riga") &&
                !c->objectName().startsWith("Label")) {
                EXPECT_FALSE(c->geometry().intersects(b));
            }
            // No two controls meet, except what stands on the board's surround.
            for (QObject* p : FormControls(w.get())) {
                if (p == o || !p->isWidgetType() || p->parent() != w->centralWidget() || o == w->Shape3 ||
                    p == w->Shape3)
                    continue;
                EXPECT_FALSE(c->geometry().intersects(static_cast<QWidget*>(p)->geometry()))
                    << p->objectName().toStdString();
            }
        }
    }
    w->mnuguirest->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->mnuguirest->isChecked());
    EXPECT_FALSE(w->mnubig->isChecked());
    for (QObject* o : FormControls(w.get())) {
        if (o->isWidgetType()) {
            EXPECT_EQ(static_cast<QWidget*>(o)->geometry(), design[o->objectName()])
                << o->objectName().toStdString();
        }
    }
}

TEST_F(GameWindowTest, AboutExitCloseAndTheYield) {
    w->mnuHelpAbout->trigger();
    frmAbout* about = frmAbout::Current();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), "Info");
    w->mnuHelpAbout->trigger();
    EXPECT_EQ(frmAbout::Current(), about);  // the same box again
    EXPECT_EQ(about->findChild<QLabel*>("Label2")->text(), "Talvor Chess");
    about->findChild<QPushButton*>("cmdOK")->click();
    GameWindow.Yield(0);
    EXPECT_EQ(frmAbout::Current(), nullptr);

    w->mnuext->trigger();
    EXPECT_EQ(quits, 1);
    w->close();
    EXPECT_EQ(quits, 2);
    EXPECT_TRUE(w->isVisible());

    // An idle yield sleeps until an event comes, then returns: a few passes, not a spin.
    bool fired = false;
    QTimer::singleShot(50, [&] { fired = true; });
    int passes = 0;
    while (!fired && passes < 1000) {
        GameWindow.Yield(-1);
        ++passes;
    }
    EXPECT_TRUE(fired);
    EXPECT_LT(passes, 20);

    w->mnumin->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->isMinimized());
}

TEST_F(GameWindowTest, ShowHookCreatesLoadsAndShowsTheWindow) {
    w.reset();
    ASSERT_EQ(DebugMain(), nullptr);
    char name[] = "talvor";
    char* argv[] = {name, nullptr};
    ASSERT_TRUE(GameWindow.Show(1, argv));
    std::unique_ptr<frmDebugMain> shown(DebugMain());
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(Fed(), Medium);
    GameWindow.ShowLine("hello");
    EXPECT_TRUE(shown->txtIO->Text().endsWith("hello"));
    SendLine("pong 1");
    EXPECT_TRUE(shown->txtIO->Text().endsWith("\r\npong 1"));
}

}  // namespace
