// SPDX-License-Identifier: GPL-3.0-or-later
// The control as a widget: what it draws, and dragging through real mouse events.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <utility>

#include "BoardTestSupport.h"

namespace {
// The control's default colours: light and dark grey squares, the last move in blue.
const QColor Light(0xE0E0E0), Dark(0x808080), Highlight(Qt::blue);

// A shown top-level host: mouse events then go through the window system path, grab included.
class ChessboardShown : public ::testing::Test {
  protected:
    void SetUp() override {
        host.resize(600, 500);
        board = new wqzChessboard(&host);
        board->move(10, 10);
        board->resize(384, 384);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        log = std::make_unique<EventLog>(*board);
    }
    wqzPictureBox* Box(const char* name) { return board->picSquare[board->SquareFromName(name)]; }
    QPoint Centre(const char* name) { return Box(name)->mapTo(&host, Box(name)->rect().center()); }
    QColor Pixel(const char* name, int x, int y) { return Box(name)->Surface().pixel(x, y); }
    QImage SquareImage(const char* name) { return Box(name)->Surface().copy(); }
    void Click(const char* name) { QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, Centre(name)); }
    void Drag(const char* from, QPoint to) {
        QWindow* w = host.windowHandle();
        QTest::mousePress(w, Qt::LeftButton, {}, Centre(from));
        QTest::mouseMove(w, (Centre(from) + to) / 2);
        QTest::mouseMove(w, to);
        QTest::mouseRelease(w, Qt::LeftButton, {}, to);
    }

    QWidget host;
    wqzChessboard* board = nullptr;
    std::unique_ptr<EventLog> log;
};
}  // namespace

// The box of pixels in a square's picture that differ from its plain colour.
QRect Drawn(const QImage& square, QColor plain) {
    QRect r;
    for (int y = 0; y < square.height(); ++y)
        for (int x = 0; x < square.width(); ++x)
            if (QColor(square.pixel(x, y)) != plain) r |= QRect(x, y, 1, 1);
    return r;
}

TEST_F(ChessboardShown, DrawnPiecesAndHighlight) {
    // The rendered board: a8 top left is light, a1 bottom left dark.
    const QImage grabbed = board->grab().toImage();
    EXPECT_EQ(QColor(grabbed.pixel(2, 2)), Light);
    EXPECT_EQ(QColor(grabbed.pixel(2, 383)), Dark);

    // The last move's squares are tinted and framed in the highlight colour; the next move takes it over.
    ASSERT_TRUE(board->MovePiece("e2", "e4"));
    EXPECT_EQ(Pixel("e2", 0, 0), Highlight);
    EXPECT_EQ(Drawn(SquareImage("e2"), Light), Box("e2")->rect());
    EXPECT_NE(Pixel("e2", 24, 24), Light);
    EXPECT_EQ(Pixel("e4", 0, 24), Highlight);
    ASSERT_TRUE(board->MovePiece("e7", "e5"));
    EXPECT_EQ(Drawn(SquareImage("e2"), Light), QRect());
}

// The board is the largest square the space it is given holds (it must not cover what stands beside it),
// and never smaller than eight 32-pixel squares.
TEST_F(ChessboardShown, SquareWithinTheSpaceGiven) {
    const int cases[][3] = {{600, 400, 400}, {400, 600, 400}, {100, 300, 256}, {384, 384, 384}};
    for (const auto& [width, height, side] : cases) {  // the space given, the board's side
        board->resize(width, height);
        EXPECT_EQ(board->size(), QSize(side, side)) << width << "x" << height;
        EXPECT_EQ(Box("h1")->geometry(), QRect(side * 7 / 8, side * 7 / 8, side / 8, side / 8));
    }
}

// Where the font is missing, the stand-by artwork is drawn at the square's size, centred, the same share of
// the square at every size as the font's pieces (the X11 tests measure those).
TEST_F(ChessboardShown, StandByPiecesGrowWithTheSquares) {
    const QString font = std::exchange(wqzChessboard::PieceFontFile, QStringLiteral("/nonexistent/font.ttf"));
    wqzChessboard b(&host);
    wqzChessboard::PieceFontFile = font;
    b.show();
    for (const int square : {32, 80, 120}) {
        SCOPED_TRACE(square);
        b.resize(8 * square, 8 * square);
        EXPECT_EQ(b.PieceCell(), static_cast<int>(std::lround(square * 0.86)));
        const auto image = [&](const char* name) { return b.picSquare[b.SquareFromName(name)]->Surface(); };
        const QRect king = Drawn(image("e1"), Dark), pawn = Drawn(image("e2"), Light);
        EXPECT_NEAR(king.height(), 0.8 * square, 0.03 * square + 1);
        EXPECT_NEAR(pawn.width(), 0.67 * square, 0.03 * square + 1);
        EXPECT_NEAR(king.center().x(), square / 2.0, 0.05 * square + 1);
    }
}

TEST_F(ChessboardShown, DragAndDropPlaysTheMove) {
    QWindow* w = host.windowHandle();
    QTest::mousePress(w, Qt::LeftButton, {}, Centre("e2"));
    EXPECT_TRUE(board->tmrDrag->isActive());
    EXPECT_EQ(Pixel("e2", 24, 24), Light);  // lifted: the square is bare
    QTest::mouseMove(w, Centre("e3"));
    QTest::mouseMove(w, Centre("e4"));
    EXPECT_EQ(board->imgDrag->geometry(), Box("e4")->geometry());  // the picture follows the mouse
    QTest::mouseRelease(w, Qt::LeftButton, {}, Centre("e4"));
    EXPECT_EQ(log->Take(), "PieceMovement(W,e2,e4)");
    EXPECT_FALSE(board->imgDrag->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!board->tmrDrag->isActive(), 1000);

    // Black's turn, turned board: the drop square still comes from where the mouse is.
    board->SetSideView(1);
    Drag("g8", Centre("f6"));
    EXPECT_EQ(log->Take(), "PieceMovement(B,g8,f6)");
}

TEST_F(ChessboardShown, RefusedOrMissedDropPutsThePieceBack) {
    const QImage e2 = SquareImage("e2");
    for (const QPoint to : {Centre("e5"), QPoint(550, 450)}) {  // not a legal move; outside the board
        Drag("e2", to);
        EXPECT_EQ(log->Take(), "");
        QTRY_COMPARE_WITH_TIMEOUT(SquareImage("e2"), e2, 1000);  // once the timer sees the button up
        EXPECT_FALSE(board->tmrDrag->isActive());
    }
    EXPECT_EQ(board->LayoutText(), wqzChessboard::StartLayout);
}

TEST_F(ChessboardShown, SomePressesStartNoDrag) {
    QWindow* w = host.windowHandle();
    auto pressAndRelease = [&](const char* square, Qt::MouseButton button) {
        QTest::mousePress(w, button, {}, Centre(square));
        const bool dragging =
            board->IsDragging() || board->imgDrag->isVisible() || board->tmrDrag->isActive();
        QTest::mouseRelease(w, button, {}, Centre("e4"));
        return dragging;
    };
    EXPECT_FALSE(pressAndRelease("e7", Qt::LeftButton));   // the opponent's piece
    EXPECT_FALSE(pressAndRelease("e4", Qt::LeftButton));   // an empty square
    EXPECT_FALSE(pressAndRelease("e2", Qt::RightButton));  // the wrong button
    board->SetLocked(true);
    EXPECT_FALSE(pressAndRelease("e2", Qt::LeftButton));
    EXPECT_EQ(log->Take(), "");
    EXPECT_TRUE(board->MovePiece("e2", "e4"));  // Locked stops the mouse only
}

// Click a piece, then click where it goes; while it is held or picked its moves are marked.
TEST_F(ChessboardShown, ClickThenClickPlaysTheMove) {
    QWindow* w = host.windowHandle();
    auto names = [&](const std::vector<int>& squares) {
        QStringList l;
        for (int k : squares) l << board->SquareName(k);
        return l.join(' ');
    };
    QTest::mousePress(w, Qt::LeftButton, {}, Centre("b1"));
    EXPECT_EQ(names(board->TargetSquares()), "a3 c3");  // marked while held
    EXPECT_NE(Pixel("c3", 24, 24), Light);
    QTest::mouseRelease(w, Qt::LeftButton, {}, Centre("b1"));
    EXPECT_EQ(board->SquareName(board->SelectedSquare()), "b1");

    const struct {
        const char* Click;
        const char *Selected, *Targets, *Events;
    } steps[] = {
        {"b3", "", "", ""},         // not a target: put down, nothing played
        {"g1", "g1", "f3 h3", ""},  // picked
        {"b1", "b1", "a3 c3", ""},  // another piece picked instead
        {"b1", "", "", ""},         // the picked piece again: put down
        {"g1", "g1", "f3 h3", ""}, {"f3", "", "", "PieceMovement(W,g1,f3)"},  // played
        {"e2", "", "", ""},                                                   // not Black's piece
        {"e7", "e7", "e6 e5", ""}, {"e5", "", "", "PieceMovement(B,e7,e5)"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.Click);
        Click(s.Click);
        EXPECT_EQ(board->SquareName(board->SelectedSquare()), s.Selected);
        EXPECT_EQ(names(board->TargetSquares()), s.Targets);
        EXPECT_EQ(log->Take(), s.Events);
    }
    EXPECT_EQ(Drawn(SquareImage("c3"), Dark), QRect());  // the marks are gone

    // A move from elsewhere drops the pick.
    Click("d2");
    ASSERT_TRUE(board->MovePiece("d2", "d4"));
    EXPECT_TRUE(board->SelectedSquare() == 0 && board->TargetSquares().empty());
}
