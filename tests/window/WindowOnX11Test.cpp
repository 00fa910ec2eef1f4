// The game window on a real X server (a virtual one: run_on_xvfb.sh), played with mouse events through
// the window system: sizes and shapes, the pieces, the record, promotion, take-back, click-click moves, PGN
// and FEN through the clipboard, the end of a game, legibility.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <memory>

#include "SettleEngine.h"
#include "WindowLayoutChecks.h"
#include "board/BoardBas.h"
#include "driver/Dispatcher.h"
#include "driver/GuiLink.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "gui/chessboard/wqzChessboard.h"
#include "gui/forms/MessageBox.h"
#include "gui/window/ChessNotation.h"
#include "gui/window/InstallGameWindow.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"
#include "search/SearchBas.h"

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

class WindowOnX11 : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InGuiMode = true, InstallGameWindow(), InitEngine(); }

    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        SetMessageHandler(
            [this](const MessageRequest& r) { return messages.push_back(r.Text), QMessageBox::Ok; });
        frmDebugMain::Beep = [] {};
        QObject::connect(board, &wqzChessboard::PieceMovement, board,
                         [this](bool, const QString& f, const QString& t) { played << f + t; });
        w->Form_Load();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        Settle();
    }
    // Nothing of a test's engine may reach the next test's window.
    void TearDown() override {
        EngineCommands().Abandon();
        Settle();
        w.reset();
        SetMessageHandler({});
        GuiInputPending = false;
    }

    static void Settle() { EXPECT_TRUE(SettleEngine()); }

    void Resize(QSize size) {
        w->resize(size);
        QTRY_COMPARE_WITH_TIMEOUT(w->size(), size.expandedTo(w->minimumSize()), 3000);
        QTest::qWait(50);  // the X server's answer, then the repaint
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

    // The next popup menu gets a click on its item sItem; its captions are noted.
    void ClickInNextPopup(const char* sItem) {
        auto* poll = new QTimer(w.get());
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, sItem] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            popupCaptions.clear();
            for (QAction* a : menu->actions()) popupCaptions << a->text();
            QAction* item = menu->findChild<QAction*>(sItem);
            if (!item) item = menu->actions().value(0);
            QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {}, menu->actionGeometry(item).center());
        });
        poll->start(20);
    }

    int KindAt(const char* name) const { return board->SquareInfo(board->SquareFromName(name)).Kind; }

    std::unique_ptr<frmDebugMain> w = std::make_unique<frmDebugMain>();
    wqzChessboard* board = w->wqzChessboard2;
    std::vector<QString> messages;
    QStringList played, popupCaptions;
};

// From the smallest the window allows to the whole screen, wide or tall: the layout holds.
TEST_F(WindowOnX11, BoardFitsEveryWindowShape) {
    const QSize screen = w->screen()->availableGeometry().size();
    for (const QSize shape : {QSize(200, 200), QSize(704, 601), QSize(1000, 700), QSize(600, 900), screen}) {
        SCOPED_TRACE(std::to_string(shape.width()) + "x" + std::to_string(shape.height()));
        Resize(shape);
        EXPECT_EQ(LayoutFaults(*w), std::vector<std::string>{});
        // What the X server shows at the board's corners: a8 light, h1 light, a1 dark.
        const QRect b = InWindow(board);
        const QImage shown = Screen(b);
        EXPECT_EQ(BGRFromColor(shown.pixelColor(1, 1)), board->LightSquareColor());
        EXPECT_EQ(BGRFromColor(shown.pixelColor(b.width() - 2, b.height() - 2)), board->LightSquareColor());
        EXPECT_EQ(BGRFromColor(shown.pixelColor(1, b.height() - 2)), board->DarkSquareColor());
    }
}

// The white king on e1 takes the same share of its square at every size.
TEST_F(WindowOnX11, PiecesFollowTheSquareSize) {
    for (QAction* size : {w->mnusmall, w->mnuguirest, w->mnubig, w->mnumedium}) {
        SCOPED_TRACE(size->objectName().toStdString());
        size->trigger();
        QTest::qWait(100);
        const QImage e1 = Screen(InWindow(Square("e1")));
        QRect king;
        for (int y = 0; y < e1.height(); ++y)
            for (int x = 0; x < e1.width(); ++x)
                if (BGRFromColor(e1.pixelColor(x, y)) != board->DarkSquareColor()) king |= QRect(x, y, 1, 1);
        const int square = board->width() / 8;
        EXPECT_NEAR(king.height(), 0.8 * square, 0.03 * square + 1) << square;
        EXPECT_NEAR(king.width(), 0.77 * square, 0.03 * square + 1) << square;
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
    const struct {
        const char *Fen, *From, *To, *Item, *Square;
        int Kind;
        bool Italian;
        QStringList Captions;
    } cases[] = {
        {"4k3/8/8/8/8/8/1p5K/8 b - - 0 1",
         "b2",
         "b1",
         "mnuBN",
         "b1",
         3,
         false,
         {"Queen", "Rook", "Bishop", "Knight"}},
        {"4k3/1P6/8/8/8/8/7K/8 w - - 0 1",
         "b7",
         "b8",
         "mnuwb",
         "b8",
         10,
         true,
         {"Regina", "Torre", "Alfiere", "Cavallo"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fen);
        (c.Italian ? w->mnuitalian : w->mnueng)->trigger();
        ASSERT_TRUE(w->SetUpPosition(c.Fen));
        ClickInNextPopup(c.Item);
        Click(c.From);  // the second time by clicks
        if (c.Italian)
            Click(c.To);
        else
            Drag(c.From, c.To);
        EXPECT_EQ(popupCaptions, c.Captions);
        EXPECT_EQ(KindAt(c.Square), c.Kind);
    }
}

// Retract Move: the record loses the move and the clock of the side to move runs.
TEST_F(WindowOnX11, RetractTrimsTheRecordAndRunsTheRightClock) {
    w->mnutalvoroff->trigger();
    w->mnuGameNew->trigger();
    Drag("e2", "e4");
    Drag("e7", "e5");
    Drag("g1", "f3");
    EXPECT_TRUE(w->Timer2->isActive());
    w->mnuActionsUndo->trigger();
    EXPECT_EQ(w->Text1->Text(), "1) e2-e4\r\n" + QString(20, ' ') + "...e7-e5\r\n");
    EXPECT_TRUE(w->Timer1->isActive() && !w->Timer2->isActive());
    const QString white = w->Label12->text(), black = w->Label10->text();
    QTRY_VERIFY_WITH_TIMEOUT(w->Label12->text() != white, 3000);
    EXPECT_EQ(w->Label10->text(), black);
    Drag("b1", "c3");  // and play goes on
    EXPECT_TRUE(w->Text1->Text().endsWith("2) b1-c3\r\n"));
}

// A game against the engine by clicks, copied and saved as PGN: read back, it is the game played.
TEST_F(WindowOnX11, ClickedGameComesBackFromPgn) {
    w->mnulvl1->trigger();
    w->mnuGameNew->trigger();
    Settle();
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
    const QStringList lines = pgn.split('\n');
    QStringList tags;
    for (const QString& l : lines)
        if (l.startsWith('[')) tags << l.mid(1, l.indexOf(' ') - 1);
    EXPECT_EQ(tags.join(' '), "Event Site Date Round White Black Result") << pgn.toStdString();
    EXPECT_TRUE(pgn.contains("[White \"?\"]\n[Black \"TalvorWBE\"]\n[Result \"*\"]\n"));

    // Each move back: exactly one legal move on a fresh board has the text.
    QStringList tokens = pgn.mid(pgn.indexOf("\n\n")).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    EXPECT_EQ(tokens.takeLast(), "*");
    tokens = tokens.filter(QRegularExpression("^[^0-9]"));
    wqzChessboard replay;
    QStringList back;
    for (const QString& san : tokens) {
        QStringList matches;
        for (int from = 1; from <= 64; ++from)
            for (int to = 1; to <= 64; ++to) {
                if (replay.SquareInfo(from).White != (replay.SideTurn() == 0) ||
                    !replay.IsLegalMove(from, to))
                    continue;
                const GameMove m{replay.SquareName(from), replay.SquareName(to), 0};
                if (SanMoves(PositionOf(replay), {m}) == QStringList{san}) matches << m.From + m.To;
            }
        ASSERT_EQ(matches.size(), 1) << san.toStdString() << ": " << matches.join(' ').toStdString();
        back << matches[0];
        replay.MovePiece(matches[0].left(2), matches[0].mid(2));
    }
    EXPECT_EQ(back, played);

    QTemporaryDir dir;
    const QString file = dir.filePath("game.pgn");
    frmDebugMain::SaveFileName = [&](QWidget*, const QString& sSuggested) {
        EXPECT_TRUE(sSuggested.startsWith(QDir::homePath()) && sSuggested.endsWith(".pgn"));
        return file;
    };
    w->mnuSavePGN->trigger();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), pgn);
    frmDebugMain::SaveFileName = [&](QWidget*, const QString&) {
        return dir.filePath("no/such/folder/game.pgn");
    };
    messages.clear();
    w->mnuSavePGN->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("Could not save the game to ")) << messages[0].toStdString();
    frmDebugMain::SaveFileName = nullptr;
}

// A position from the clipboard: a good one is set up, a bad one is refused with a message.
TEST_F(WindowOnX11, PastedFenSetsUpThePosition) {
    const QString good = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
    QGuiApplication::clipboard()->setText(good);
    w->mnuPasteFEN->trigger();
    EXPECT_EQ(FenText(PositionOf(*board)).section(' ', 0, 3), good.section(' ', 0, 3));
    EXPECT_TRUE(GuiInputLine.find("setboard " + good.toStdString()) != std::string::npos);
    Settle();
    Click("f1");
    Click("b5");
    EXPECT_EQ(played.value(0), "f1b5");
    const QString layout = board->LayoutText();
    QGuiApplication::clipboard()->setText("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - zero 1");
    w->mnuPasteFEN->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Not a valid FEN position: the move counters must be whole numbers");
    EXPECT_EQ(board->LayoutText(), layout);
}

// A mate: the result stands over the board until it is clicked away.
TEST_F(WindowOnX11, ResultShowsInTheWindow) {
    w->mnutalvoroff->trigger();
    w->mnuGameNew->trigger();
    for (auto [from, to] : {std::pair{"f2", "f3"}, {"e7", "e5"}, {"g2", "g4"}, {"d8", "h4"}}) Drag(from, to);
    EXPECT_EQ(messages, std::vector<QString>{"White checkmated"});
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

// The coordinates stand out from the surround in every scheme; the size menu draws each separator once.
TEST_F(WindowOnX11, CoordinatesReadableAndSeparatorsSingle) {
    auto luminance = [](QColor c) {
        auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
    };
    for (QAction* scheme : {w->mnuDGS, w->mnuwbs, w->arena, w->mnumono, w->mnurw, w->mnuwood}) {
        SCOPED_TRACE(scheme->objectName().toStdString());
        scheme->trigger();
        QTest::qWait(50);
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
        const QColor background = std::max_element(colours.begin(), colours.end(), [](auto& a, auto& b) {
                                      return a.second < b.second;
                                  })->first;
        int drawnRows = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            int runs = 0;  // stretches of drawn pixels across the row: one for a line
            for (int x = r.left(), inRun = 0; x <= r.right(); ++x) {
                const bool drawn = menu.pixelColor(x, y) != background;
                runs += drawn && !inRun;
                inRun = drawn;
            }
            EXPECT_LE(runs, 1) << "row " << y;
            drawnRows += runs > 0;
        }
        EXPECT_GE(drawnRows, 1);
    }
    sizes->hide();
}

}  // namespace
