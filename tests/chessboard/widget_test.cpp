// The control as a widget: properties, geometry, what it draws, and dragging through real mouse events.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "BoardTestSupport.h"
#include "gui/MessageBox.h"

namespace {
QColor Bgr(int v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

// A shown top-level host: mouse events then go through the window system path, grab included.
class Shown : public ::testing::Test {
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
    // Centre of a square in the host window's coordinates.
    QPoint Centre(const char* name) { return Box(name)->mapTo(&host, Box(name)->rect().center()); }
    QRgb Pixel(const char* name, int x, int y) { return Box(name)->Surface().pixel(x, y); }
    QImage SquareImage(const char* name) { return Box(name)->Surface().copy(); }
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

TEST(ChessboardWidget, ChildControlsCarryTheirNames) {
    wqzChessboard board;
    for (int k = 0; k <= 64; ++k)
        EXPECT_EQ(board.findChild<QWidget*>(QStringLiteral("picSquare%1").arg(k)), board.picSquare[k]);
    EXPECT_FALSE(board.picSquare[0]->isVisibleTo(&board));
    EXPECT_TRUE(board.picSquare[1]->isVisibleTo(&board));
    for (int i = 0; i < 2; ++i) {
        auto* strip = board.findChild<wqzPictureBox*>(QStringLiteral("picPieces%1").arg(i));
        ASSERT_TRUE(strip);
        EXPECT_EQ(strip->Surface().size(), QSize(384, 32));
    }
    for (int i = 0; i < 12; ++i) {
        auto* img = board.findChild<QLabel*>(QStringLiteral("imgClass%1").arg(i));
        ASSERT_TRUE(img);
        EXPECT_EQ(img->pixmap().size(), QSize(32, 32));
    }
    EXPECT_TRUE(board.findChild<QLabel*>("imgDrag"));
    auto* timer = board.findChild<QTimer*>("tmrDrag");
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->interval(), 100);
    EXPECT_FALSE(timer->isActive());
}

// Mask and sprite must fit: wherever the sprite has colour the mask is black, and the mask is not empty.
TEST(ChessboardWidget, PieceArtworkMaskMatchesSprite) {
    wqzChessboard board;
    const QImage& mask = board.picPieces[0]->Surface();
    const QImage& sprite = board.picPieces[1]->Surface();
    for (int kind = 0; kind < 12; ++kind) {
        int inside = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = kind * 32; x < kind * 32 + 32; ++x) {
                const QRgb m = mask.pixel(x, y) & 0xFFFFFF, s = sprite.pixel(x, y) & 0xFFFFFF;
                ASSERT_TRUE(m == 0 || m == 0xFFFFFF) << "mask is two-tone";
                if (m == 0xFFFFFF) {
                    ASSERT_EQ(s, 0u) << "sprite outside the silhouette, kind " << kind;
                }
                inside += m == 0;
            }
        EXPECT_GT(inside, 120) << "kind " << kind;
    }
}

TEST(ChessboardWidget, PropertiesDefaultsAndBag) {
    wqzChessboard board;
    EXPECT_EQ(board.DarkSquareColor(), 0x808080);
    EXPECT_EQ(board.LightSquareColor(), 0xE0E0E0);
    EXPECT_FALSE(board.Locked());
    EXPECT_EQ(board.SideView(), 0);
    EXPECT_TRUE(board.HighlightMove());
    EXPECT_EQ(board.HighlightMoveColor(), 0xFF0000);

    PropertyBag bag;
    board.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), (QStringList{"darksquarecolor", "highlightmove", "highlightmovecolor",
                                       "lightsquarecolor", "locked", "sideview"}));

    board.HostProperties().ClearChanged();
    board.SetDarkSquareColor(0x123456);
    board.SetLightSquareColor(0xABCDEF);
    board.SetLocked(true);
    board.SetSideView(1);
    board.SetHighlightMove(false);
    board.SetHighlightMoveColor(0x00FF00);
    EXPECT_EQ(board.HostProperties().ChangedProperties(),
              (QStringList{"DarkSquareColor", "LightSquareColor", "Locked", "SideView", "HighlightMove",
                           "HighlightMoveColor"}));
    board.WriteProperties(bag);

    wqzChessboard copy;
    copy.ReadProperties(bag);
    EXPECT_EQ(copy.DarkSquareColor(), 0x123456);
    EXPECT_EQ(copy.LightSquareColor(), 0xABCDEF);
    EXPECT_TRUE(copy.Locked());
    EXPECT_EQ(copy.SideView(), 1);
    EXPECT_FALSE(copy.HighlightMove());
    EXPECT_EQ(copy.HighlightMoveColor(), 0x00FF00);
    EXPECT_EQ(copy.picSquare[64]->pos(), QPoint(0, 0));  // read SideView turned the board
    EXPECT_EQ(QColor(copy.picSquare[1]->Surface().pixel(1, 1)), Bgr(0xABCDEF));

    PropertyBag empty;
    copy.ReadProperties(empty);  // missing keys: defaults
    EXPECT_EQ(copy.DarkSquareColor(), 0x808080);
    EXPECT_EQ(copy.SideView(), 0);
    EXPECT_TRUE(copy.HighlightMove());
}

TEST_F(Shown, ResizeKeepsTheBoardSquare) {
    board->resize(600, 400);
    EXPECT_EQ(board->size(), QSize(600, 600));
    EXPECT_EQ(board->TemplateWidth(), 1125);  // 9000 twips / 8
    EXPECT_EQ(board->picSquare[64]->geometry(), QRect(525, 525, 75, 75));
    board->resize(100, 100);  // smaller than eight piece pictures
    EXPECT_EQ(board->size(), QSize(256, 256));
    EXPECT_EQ(board->picSquare[1]->size(), QSize(32, 32));
    board->resize(200, 480);
    EXPECT_EQ(board->size(), QSize(480, 480));
}

TEST_F(Shown, SideViewTurnsTheBoardWithoutRepainting) {
    const QImage e2 = SquareImage("e2");
    EXPECT_EQ(board->picSquare[1]->pos(), QPoint(0, 0));
    EXPECT_EQ(board->picSquare[64]->pos(), QPoint(336, 336));
    board->SetSideView(1);
    EXPECT_EQ(board->picSquare[64]->pos(), QPoint(0, 0));
    EXPECT_EQ(board->picSquare[1]->pos(), QPoint(336, 336));
    EXPECT_EQ(SquareImage("e2"), e2);
    EXPECT_TRUE(board->MovePiece("e2", "e4"));  // names and rules unchanged
    board->SetSideView(0);
    EXPECT_EQ(board->picSquare[1]->pos(), QPoint(0, 0));
}

TEST_F(Shown, DrawnSquaresHighlightAndPieces) {
    const QImage grabbedBefore = board->grab().toImage();
    // An empty square is its plain colour; e4 is light, d4 dark.
    EXPECT_EQ(QColor(Pixel("e4", 24, 24)), Bgr(0xE0E0E0));
    EXPECT_EQ(QColor(Pixel("d4", 0, 0)), Bgr(0x808080));
    // The whole board as rendered: a8 top left is light, a1 bottom left dark.
    EXPECT_EQ(QColor(grabbedBefore.pixel(2, 2)), Bgr(0xE0E0E0));
    EXPECT_EQ(QColor(grabbedBefore.pixel(2, 383)), Bgr(0x808080));

    // The white king on e1 (a dark square): where the mask is white the square shows through, elsewhere the
    // sprite.
    const QImage& mask = board->picPieces[0]->Surface();
    const QImage& sprite = board->picPieces[1]->Surface();
    const int offset = (48 - 32) / 2;
    int checked = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb m = mask.pixel(6 * 32 + x, y) & 0xFFFFFF;
            const QRgb expected = m ? Bgr(0x808080).rgb() : sprite.pixel(6 * 32 + x, y);
            ASSERT_EQ(Pixel("e1", offset + x, offset + y), expected | 0xFF000000u) << x << "," << y;
            ++checked;
        }
    EXPECT_EQ(checked, 1024);

    ASSERT_TRUE(board->MovePiece("e2", "e4"));
    const QColor blue = Bgr(0xFF0000);
    EXPECT_EQ(QColor(Pixel("e2", 0, 0)), blue);
    EXPECT_EQ(QColor(Pixel("e2", 47, 47)), blue);
    EXPECT_EQ(QColor(Pixel("e2", 24, 24)), Bgr(0xE0E0E0));  // the inside stays the square's colour
    EXPECT_EQ(QColor(Pixel("e4", 0, 24)), blue);
    EXPECT_EQ(QColor(Pixel("e3", 0, 0)), Bgr(0x808080));

    // Switching the highlight off redraws the two squares plain; on again, and a new colour, shows them.
    board->SetHighlightMove(false);
    EXPECT_EQ(QColor(Pixel("e2", 0, 0)), Bgr(0xE0E0E0));
    EXPECT_EQ(QColor(Pixel("e4", 0, 0)), Bgr(0xE0E0E0));
    board->SetHighlightMove(true);
    board->SetHighlightMoveColor(0x0000FF);
    EXPECT_EQ(QColor(Pixel("e2", 0, 0)), QColor(255, 0, 0));
    ASSERT_TRUE(board->MovePiece("e7", "e5"));  // the old pair loses its highlight
    EXPECT_EQ(QColor(Pixel("e2", 0, 0)), Bgr(0xE0E0E0));
    EXPECT_EQ(QColor(Pixel("e5", 0, 0)), QColor(255, 0, 0));

    board->SetDarkSquareColor(0x004000);
    EXPECT_EQ(QColor(Pixel("d4", 10, 10)), Bgr(0x004000));
    EXPECT_EQ(QColor(board->grab().toImage().pixel(2, 383)), Bgr(0x004000));
}

TEST_F(Shown, GridLinesAnd3DSquares) {
    GridLines = true;
    board->UserControl_Paint();
    EXPECT_EQ(Box("d4")->BorderWidth(), 1);
    EXPECT_EQ(QColor(Box("d4")->grab().toImage().pixel(0, 0)), QColor(Qt::black));
    EXPECT_EQ(Box("d4")->ScaleWidth(), 46);
    Squares3D = true;
    board->UserControl_Paint();
    EXPECT_EQ(Box("d4")->BorderWidth(), 2);
    Squares3D = false;
    GridLines = false;
    board->UserControl_Paint();
    EXPECT_EQ(Box("d4")->BorderWidth(), 0);
    EXPECT_EQ(Box("d4")->ScaleWidth(), 48);
}

TEST_F(Shown, DragAndDropPlaysTheMove) {
    QWindow* w = host.windowHandle();
    QTest::mousePress(w, Qt::LeftButton, {}, Centre("e2"));
    EXPECT_TRUE(board->IsDragging());
    EXPECT_TRUE(board->imgDrag->isVisible());
    EXPECT_EQ(board->imgDrag->geometry(), Box("e2")->geometry());
    EXPECT_TRUE(board->tmrDrag->isActive());
    EXPECT_EQ(QColor(Pixel("e2", 24, 24)), Bgr(0xE0E0E0));  // lifted: the square is bare
    QTest::mouseMove(w, Centre("e3"));
    QTest::mouseMove(w, Centre("e4"));
    EXPECT_EQ(board->imgDrag->geometry(), Box("e4")->geometry());  // the picture follows the mouse
    QTest::mouseRelease(w, Qt::LeftButton, {}, Centre("e4"));
    EXPECT_EQ(log->Take(), "PieceMovement(W,e2,e4)");
    EXPECT_FALSE(board->imgDrag->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!board->tmrDrag->isActive(), 1000);
    EXPECT_EQ(board->SideTurn(), 1);

    // Black's turn, turned board: the drop square still comes from where the mouse is.
    board->SetSideView(1);
    Drag("g8", Centre("f6"));
    EXPECT_EQ(log->Take(), "PieceMovement(B,g8,f6)");
}

TEST_F(Shown, RefusedOrMissedDropPutsThePieceBack) {
    const QImage e2 = SquareImage("e2");
    Drag("e2", Centre("e5"));  // not a legal move
    EXPECT_EQ(log->Take(), "");
    EXPECT_NE(SquareImage("e2"), e2);  // still bare until the timer sees the button up
    QTRY_COMPARE_WITH_TIMEOUT(SquareImage("e2"), e2, 1000);
    EXPECT_FALSE(board->tmrDrag->isActive());

    Drag("e2", QPoint(550, 450));  // outside the board
    EXPECT_EQ(log->Take(), "");
    QTRY_COMPARE_WITH_TIMEOUT(SquareImage("e2"), e2, 1000);
    EXPECT_EQ(board->LayoutText(), wqzChessboard::StartLayout);
}

TEST_F(Shown, SomePressesStartNoDrag) {
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
    EXPECT_EQ(board->LayoutText(), wqzChessboard::StartLayout);
    // Locked stops the mouse only.
    EXPECT_TRUE(board->MovePiece("e2", "e4"));
}

TEST_F(Shown, PromotionByDrag) {
    board->NewGame(false, 0, 0, LayoutFromFen("4k3/P7/8/8/8/8/8/4K3"), true);
    log->PromotionAnswer = 9;
    Drag("a7", Centre("a8"));
    EXPECT_EQ(log->Take(), "PawnPromotion(W,0) PieceMovement(W,a7,a8)");
    EXPECT_EQ(board->SquareInfo(1).Kind, 9);
}

TEST(ChessboardWidget, AboutShowsItsBox) {
    wqzChessboard board;
    MessageRequest seen;
    const MessageHandler previous = SetMessageHandler([&](const MessageRequest& r) {
        seen = r;
        return QMessageBox::Ok;
    });
    board.About();
    SetMessageHandler(previous);
    EXPECT_EQ(seen.Title, "About wqzChessboard");
    EXPECT_TRUE(seen.Text.startsWith("WQZ Chessboard Control vTalvorWBE GUI 1.0\n"));
    EXPECT_EQ(seen.Text.count('\n'), 2);
    EXPECT_EQ(seen.Icon, QMessageBox::Information);
    EXPECT_EQ(seen.Parent, &board);
}
