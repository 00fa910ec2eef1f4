// The control as a widget: what it draws, and dragging through real mouse events.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "BoardTestSupport.h"

namespace {
QColor Bgr(int v) {  // the control's colours are 0x00BBGGRR
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

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

TEST_F(ChessboardShown, DrawnPiecesAndHighlight) {
    // The rendered board: a8 top left is light, a1 bottom left dark.
    const QImage grabbed = board->grab().toImage();
    EXPECT_EQ(QColor(grabbed.pixel(2, 2)), Bgr(0xE0E0E0));
    EXPECT_EQ(QColor(grabbed.pixel(2, 383)), Bgr(0x808080));
    // The white king on e1, a dark square: where the mask is white the square shows through, else the sprite.
    const QImage& mask = board->picPieces[0]->Surface();
    const QImage& sprite = board->picPieces[1]->Surface();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool through = (mask.pixel(6 * 32 + x, y) & 0xFFFFFF) != 0;
            ASSERT_EQ(Pixel("e1", 8 + x, 8 + y),
                      through ? Bgr(0x808080) : QColor(sprite.pixel(6 * 32 + x, y)))
                << x << "," << y;
        }

    // The last move's squares get a frame in the highlight colour; the next move takes it over.
    ASSERT_TRUE(board->MovePiece("e2", "e4"));
    EXPECT_EQ(Pixel("e2", 0, 0), Bgr(0xFF0000));
    EXPECT_EQ(Pixel("e2", 24, 24), Bgr(0xE0E0E0));
    EXPECT_EQ(Pixel("e4", 0, 24), Bgr(0xFF0000));
    ASSERT_TRUE(board->MovePiece("e7", "e5"));
    EXPECT_EQ(Pixel("e2", 0, 0), Bgr(0xE0E0E0));
}

TEST_F(ChessboardShown, DragAndDropPlaysTheMove) {
    QWindow* w = host.windowHandle();
    QTest::mousePress(w, Qt::LeftButton, {}, Centre("e2"));
    EXPECT_TRUE(board->tmrDrag->isActive());
    EXPECT_EQ(Pixel("e2", 24, 24), Bgr(0xE0E0E0));  // lifted: the square is bare
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

    // A promotion by drag asks the host, and the answer stands.
    board->NewGame(false, 0, 0, LayoutFromFen("4k3/P7/8/8/8/8/8/4K3"), true);
    log->PromotionAnswer = 9;
    Drag("a7", Centre("a8"));
    EXPECT_EQ(log->Take(), "PawnPromotion(W,0) PieceMovement(W,a7,a8)");
    EXPECT_EQ(board->SquareInfo(1).Kind, 9);
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
