// SPDX-License-Identifier: GPL-3.0-or-later
// The chessboard control's visible side: child controls, properties, square geometry, drawing, dragging.
// The rules live in wqzChessboardRules.cpp.
#include "gui/chessboard/wqzChessboard.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "gui/chessboard/PieceArt.h"
#include "gui/forms/MessageBox.h"

bool Squares3D = false;
bool GridLines = false;
QString wqzChessboard::PieceFontFile = QString::fromLatin1(DejaVuSansFile);

// Outside any namespace, as Qt requires.
static void InitChessboardResources() {
    Q_INIT_RESOURCE(chessboard);
}

namespace {
// Colours travel as 0x00BBGGRR, as the host's colour menus give them.
QColor ColorFromBgr(int nBgr) {
    return QColor(nBgr & 0xFF, (nBgr >> 8) & 0xFF, (nBgr >> 16) & 0xFF);
}

// The pieces take this much of a square (the artwork keeps a margin of its own inside its cell).
int CellFor(int nSquarePixels) {
    return std::max(1, static_cast<int>(std::lround(nSquarePixels * 0.86)));
}

// The 32-pixel artwork compiled into the program, scaled to the cell: for machines without the font.
PieceArt StandbyArt(int nCell) {
    const QSize strip(12 * wqzChessboard::PieceSize, wqzChessboard::PieceSize);
    QImage drag(QStringLiteral(":/chessboard/pieces_drag.png"));
    if (drag.size() != strip) {  // no artwork at all: the board still works, with empty-looking squares
        drag = QImage(strip, QImage::Format_ARGB32);
        drag.fill(Qt::transparent);
    }
    PieceArt art;
    art.Cell = nCell;
    art.Pieces = drag.scaled(12 * nCell, nCell, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    art.Drag = art.Pieces.convertToFormat(QImage::Format_ARGB32);
    art.Mask = QImage(art.Pieces.size(), QImage::Format_RGB32);
    art.Sprite = QImage(art.Pieces.size(), QImage::Format_RGB32);
    for (int y = 0; y < art.Pieces.height(); ++y)
        for (int x = 0; x < art.Pieces.width(); ++x) {
            const QRgb c = art.Drag.pixel(x, y);
            const bool in = qAlpha(c) >= 128;
            art.Mask.setPixel(x, y, in ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            art.Sprite.setPixel(x, y, in ? (c | 0xFF000000u) : qRgb(0, 0, 0));
        }
    return art;
}

// Drawing the artwork takes a moment, so each size is drawn once; a window being resized by the mouse
// passes through many sizes, so only the latest few are kept.
const PieceArt& ArtFor(int nCell) {
    static std::map<std::pair<QString, int>, PieceArt> cache;
    const auto key = std::make_pair(wqzChessboard::PieceFontFile, nCell);
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    if (cache.size() >= 8) cache.clear();
    const std::optional<QFont> font = PieceFont(wqzChessboard::PieceFontFile);
    return cache[key] = font ? DrawPieceArt(*font, nCell) : StandbyArt(nCell);
}
}  // namespace

// ---------------------------------------------------------------- picture box

wqzPictureBox::wqzPictureBox(QWidget* parent, int nIndex) : QWidget(parent), m_index(nIndex) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    m_surface.fill(m_backColor);
}

int wqzPictureBox::BorderWidth() const {
    if (!m_borderSingle) return 0;
    return m_appearance3D ? 2 : 1;
}

void wqzPictureBox::SetBackColor(const QColor& c) {
    m_backColor = c;
    // A box that has not been shown yet gets its resize event late; draw at the size it has now.
    const int b = BorderWidth();
    const QSize client(std::max(1, width() - 2 * b), std::max(1, height() - 2 * b));
    if (!m_fixedSurface && m_surface.size() != client) m_surface = QImage(client, QImage::Format_RGB32);
    m_surface.fill(c);
    update();
}

void wqzPictureBox::SetAppearance3D(bool b) {
    if (m_appearance3D == b) return;
    m_appearance3D = b;
    FitSurface();
}

void wqzPictureBox::SetBorderSingle(bool b) {
    if (m_borderSingle == b) return;
    m_borderSingle = b;
    FitSurface();
}

void wqzPictureBox::SetSurface(const QImage& image) {
    m_fixedSurface = true;
    m_surface = image;
    update();
}

// The client area follows the box's size minus its border; what was drawn stays where it was.
void wqzPictureBox::FitSurface() {
    if (m_fixedSurface) return;
    const int b = BorderWidth();
    const int w = std::max(1, width() - 2 * b), h = std::max(1, height() - 2 * b);
    if (m_surface.width() == w && m_surface.height() == h) {
        update();
        return;
    }
    QImage fresh(w, h, QImage::Format_RGB32);
    fresh.fill(m_backColor);
    {
        QPainter p(&fresh);
        p.drawImage(0, 0, m_surface);
    }
    m_surface = fresh;
    update();
}

void wqzPictureBox::resizeEvent(QResizeEvent*) {
    FitSurface();
}

void wqzPictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width(), h = height();
    if (m_borderSingle && m_appearance3D) {
        // Sunken: shadow above and to the left, light below and to the right, two pixels deep.
        p.fillRect(0, 0, w, 1, QColor(128, 128, 128));
        p.fillRect(0, 0, 1, h, QColor(128, 128, 128));
        p.fillRect(1, 1, w - 2, 1, QColor(64, 64, 64));
        p.fillRect(1, 1, 1, h - 2, QColor(64, 64, 64));
        p.fillRect(0, h - 1, w, 1, QColor(255, 255, 255));
        p.fillRect(w - 1, 0, 1, h, QColor(255, 255, 255));
        p.fillRect(1, h - 2, w - 2, 1, QColor(212, 208, 200));
        p.fillRect(w - 2, 1, 1, h - 2, QColor(212, 208, 200));
    } else if (m_borderSingle) {
        p.setPen(Qt::black);
        p.drawRect(0, 0, w - 1, h - 1);
    }
    const int b = BorderWidth();
    p.drawImage(b, b, m_surface);
}

void wqzPictureBox::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(m_index, event->button(), event->globalPosition());
}

void wqzPictureBox::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(m_index, event->buttons(), event->globalPosition());
}

void wqzPictureBox::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(m_index, event->button(), event->globalPosition());
}

namespace {

// Lies over the squares and draws the board's arrow between the centres of its two squares; the mouse
// goes through to the squares.
class ArrowLayer : public QWidget {
  public:
    explicit ArrowLayer(wqzChessboard* board) : QWidget(board), board_(board) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const int from = board_->ArrowFrom(), to = board_->ArrowTo();
        if (from < 1 || from > 64 || to < 1 || to > 64 || from == to) return;
        const QPointF a = board_->picSquare[from]->geometry().center(),
                      b = board_->picSquare[to]->geometry().center();
        const double square = board_->picSquare[from]->width(),
                     length = std::hypot(b.x() - a.x(), b.y() - a.y());
        const QPointF unit((b.x() - a.x()) / length, (b.y() - a.y()) / length), across(-unit.y(), unit.x());
        const double shaft = square * 0.16, head = square * 0.42, headWidth = square * 0.22;
        const QPointF start = a + unit * (square * 0.25), neck = b - unit * head;
        QPainterPath arrow;
        arrow.moveTo(start + across * (shaft / 2));
        arrow.lineTo(neck + across * (shaft / 2));
        arrow.lineTo(neck + across * headWidth);
        arrow.lineTo(b);
        arrow.lineTo(neck - across * headWidth);
        arrow.lineTo(neck - across * (shaft / 2));
        arrow.lineTo(start - across * (shaft / 2));
        arrow.closeSubpath();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(arrow, QColor(20, 140, 60, 190));
    }

  private:
    wqzChessboard* board_;
};

}  // namespace

// ---------------------------------------------------------------- creation

wqzChessboard::wqzChessboard(QWidget* parent) : QWidget(parent) {
    InitChessboardResources();

    picSquare[0] = new wqzPictureBox(this, 0);
    picSquare[0]->setObjectName(QStringLiteral("picSquare0"));
    picSquare[0]->hide();
    for (int i = 0; i < 2; ++i) {
        picPieces[i] = new wqzPictureBox(this, i);
        picPieces[i]->setObjectName(QStringLiteral("picPieces%1").arg(i));
        picPieces[i]->hide();
    }
    for (int i = 0; i < 12; ++i) {
        imgClass[i] = new QLabel(this);
        imgClass[i]->setObjectName(QStringLiteral("imgClass%1").arg(i));
        imgClass[i]->hide();
    }
    imgDrag = new QLabel(this);
    imgDrag->setObjectName(QStringLiteral("imgDrag"));
    imgDrag->setAlignment(Qt::AlignCenter);
    imgDrag->setAttribute(Qt::WA_TransparentForMouseEvents);
    imgDrag->hide();
    picArrow = new ArrowLayer(this);
    picArrow->setObjectName(QStringLiteral("picArrow"));
    tmrDrag = new QTimer(this);
    tmrDrag->setObjectName(QStringLiteral("tmrDrag"));
    tmrDrag->setInterval(100);
    connect(tmrDrag, &QTimer::timeout, this, &wqzChessboard::tmrDrag_Timer);

    LoadArtwork(CellFor(PixelsFromTwips(m_templateWidth)));
    picSquare[0]->resize(PixelsFromTwips(m_templateWidth), PixelsFromTwips(m_templateHeight));
    Initialize();
    InitProperties();
}

wqzChessboard::~wqzChessboard() = default;

// The pieces drawn at the cell size: the strips, and the drag pictures.
void wqzChessboard::LoadArtwork(int nCell) {
    if (nCell == m_pieceCell) return;
    const PieceArt& art = ArtFor(nCell);
    m_pieceCell = nCell;
    picPieces[0]->SetSurface(art.Mask);
    picPieces[1]->SetSurface(art.Pieces);
    picPieces[0]->resize(art.Mask.size());
    picPieces[1]->resize(art.Pieces.size());
    for (int i = 0; i < 12; ++i) {
        imgClass[i]->setPixmap(QPixmap::fromImage(art.Pieces.copy(i * nCell, 0, nCell, nCell)));
        imgClass[i]->resize(nCell, nCell);
    }
}

void wqzChessboard::Initialize() {
    int k = 0;
    for (int row = 1; row <= 8; ++row) {
        for (int col = 1; col <= 8; ++col) {
            ++k;
            auto* box = new wqzPictureBox(this, k);
            box->setObjectName(QStringLiteral("picSquare%1").arg(k));
            box->resize(picSquare[0]->size());
            box->show();
            connect(box, &wqzPictureBox::MouseDown, this, &wqzChessboard::picSquare_MouseDown);
            connect(box, &wqzPictureBox::MouseMove, this, &wqzChessboard::picSquare_MouseMove);
            connect(box, &wqzPictureBox::MouseUp, this, &wqzChessboard::picSquare_MouseUp);
            picSquare[k] = box;
            SquareRec& s = Squares[k];
            s.Col = col;
            s.Row = row;
            s.IsDark = (row % 2 == 1) ? (k % 2 == 0) : (k % 2 == 1);
        }
    }
    picArrow->raise();
    imgDrag->raise();
    NewGame();
}

int wqzChessboard::PixelsFromTwips(int nTwips) const {
    return (nTwips + TwipsPerPixel / 2) / TwipsPerPixel;
}

// ---------------------------------------------------------------- properties

void wqzChessboard::InitProperties() {
    m_darkSquareColor = 0x808080;
    m_lightSquareColor = 0xE0E0E0;
    m_locked = false;
    m_sideView = 0;
    m_highlightMove = true;
    m_highlightMoveColor = 0xFF0000;
    resize(PixelsFromTwips(8 * m_templateWidth), PixelsFromTwips(8 * m_templateHeight));
    // Place and paint now as well, so a control that is never shown is complete too.
    PlaceSquares();
    UserControl_Paint();
}

void wqzChessboard::ReadProperties(const PropertyBag& PropBag) {
    m_darkSquareColor = PropBag.ReadProperty(QStringLiteral("DarkSquareColor"), 0x808080).toInt();
    m_lightSquareColor = PropBag.ReadProperty(QStringLiteral("LightSquareColor"), 0xE0E0E0).toInt();
    m_locked = PropBag.ReadProperty(QStringLiteral("Locked"), false).toBool();
    m_highlightMove = PropBag.ReadProperty(QStringLiteral("HighlightMove"), true).toBool();
    m_highlightMoveColor = PropBag.ReadProperty(QStringLiteral("HighlightMoveColor"), 0xFF0000).toInt();
    m_sideView = PropBag.ReadProperty(QStringLiteral("SideView"), 0).toInt();
    PlaceSquares();
    // The squares were drawn with the colours in force before; show the ones just read.
    UserControl_Paint();
}

void wqzChessboard::WriteProperties(PropertyBag& PropBag) const {
    PropBag.WriteProperty(QStringLiteral("DarkSquareColor"), m_darkSquareColor);
    PropBag.WriteProperty(QStringLiteral("LightSquareColor"), m_lightSquareColor);
    PropBag.WriteProperty(QStringLiteral("Locked"), m_locked);
    PropBag.WriteProperty(QStringLiteral("SideView"), m_sideView);
    PropBag.WriteProperty(QStringLiteral("HighlightMove"), m_highlightMove);
    PropBag.WriteProperty(QStringLiteral("HighlightMoveColor"), m_highlightMoveColor);
}

void wqzChessboard::SetDarkSquareColor(int vNewValue) {
    m_darkSquareColor = vNewValue;
    PropertyChanged(QStringLiteral("DarkSquareColor"));
    UserControl_Paint();
}

void wqzChessboard::SetLightSquareColor(int vNewValue) {
    m_lightSquareColor = vNewValue;
    PropertyChanged(QStringLiteral("LightSquareColor"));
    UserControl_Paint();
}

void wqzChessboard::SetLocked(bool vNewValue) {
    m_locked = vNewValue;
    if (m_locked) ClearSelection();
    PropertyChanged(QStringLiteral("Locked"));
}

void wqzChessboard::SetSideView(int vNewValue) {
    m_sideView = vNewValue;
    PropertyChanged(QStringLiteral("SideView"));
    PlaceSquares();
}

void wqzChessboard::SetHighlightMove(bool vNewValue) {
    m_highlightMove = vNewValue;
    PropertyChanged(QStringLiteral("HighlightMove"));
    DrawSquare(m_lastMoveFrom, true);
    DrawSquare(m_lastMoveTo, true);
}

void wqzChessboard::SetHighlightMoveColor(int vNewValue) {
    m_highlightMoveColor = vNewValue;
    PropertyChanged(QStringLiteral("HighlightMoveColor"));
    DrawSquare(m_lastMoveFrom, true);
    DrawSquare(m_lastMoveTo, true);
}

void wqzChessboard::About() {
    ShowMessage(this,
                QStringLiteral("WQZ Chessboard Control v") + QStringLiteral("TalvorWBE GUI 1.0") +
                    QStringLiteral("\nPieces drawn from the chess symbols of the DejaVu Sans font") +
                    QStringLiteral("\nContact: talvorwbe@example.org"),
                QStringLiteral("About ") + QStringLiteral("wqzChessboard"), QMessageBox::Information,
                QMessageBox::Ok);
}

// ---------------------------------------------------------------- geometry

// Squares keep their index and their drawing; turning the board only moves the boxes.
void wqzChessboard::PlaceSquares() {
    const int w = m_templateWidth, h = m_templateHeight;
    int i = 0;
    for (int row = 1; row <= 8; ++row) {
        for (int col = 1; col <= 8; ++col) {
            ++i;
            const int k = m_sideView == 0 ? i : 65 - i;
            picSquare[k]->setGeometry(PixelsFromTwips((col - 1) * w), PixelsFromTwips((row - 1) * h),
                                      PixelsFromTwips(w), PixelsFromTwips(h));
        }
    }
}

void wqzChessboard::resizeEvent(QResizeEvent*) {
    UserControl_Resize();
}

// Always square: the largest square the space given holds (a larger one would cover what stands beside
// it), and never smaller than eight 32-pixel squares.
void wqzChessboard::UserControl_Resize() {
    if (m_resizing) return;
    m_resizing = true;
    const int side = std::min(width(), height()) * TwipsPerPixel;
    int square = side / 8;
    const int smallest = PieceSize * TwipsPerPixel;
    if (smallest > square) square = smallest;
    m_templateWidth = m_templateHeight = square;
    LoadArtwork(CellFor(PixelsFromTwips(square)));
    picSquare[0]->resize(PixelsFromTwips(square), PixelsFromTwips(square));
    PlaceSquares();
    resize(PixelsFromTwips(8 * m_templateWidth), PixelsFromTwips(8 * m_templateHeight));
    picArrow->setGeometry(0, 0, PixelsFromTwips(8 * m_templateWidth), PixelsFromTwips(8 * m_templateHeight));
    UserControl_Paint();
    m_resizing = false;
}

// ---------------------------------------------------------------- drawing

void wqzChessboard::UserControl_Paint() {
    for (int k = 1; k <= 64; ++k) DrawSquare(k, true);
}

void wqzChessboard::DrawSquare(int nIndex, bool bHighlight) {
    if (m_quiet > 0 || nIndex < 0 || nIndex > 64) return;
    wqzPictureBox* box = picSquare[nIndex];
    box->SetAppearance3D(Squares3D);
    box->SetBorderSingle(GridLines);
    if (nIndex == 0) return;
    const SquareRec& s = Squares[nIndex];
    // A position shown over the game is drawn instead of the game's.
    const bool occupied = m_showing ? m_shownKinds[nIndex] >= 0 : s.Occupied;
    const int kind = m_showing ? m_shownKinds[nIndex] : s.Kind;
    const int lastFrom = m_showing ? m_shownFrom : m_lastMoveFrom,
              lastTo = m_showing ? m_shownTo : m_lastMoveTo;
    box->SetBackColor(ColorFromBgr(s.IsDark ? m_darkSquareColor : m_lightSquareColor));
    QImage& surface = box->Surface();
    const int w = box->ScaleWidth(), h = box->ScaleHeight();
    QPainter p(&surface);
    const QColor mark = ColorFromBgr(m_highlightMoveColor);
    const bool lastMove = m_highlightMove && bHighlight && (nIndex == lastFrom || nIndex == lastTo);
    if (lastMove || nIndex == m_selected) {
        // The square tinted in the highlight colour, more strongly for the piece picked up.
        QColor tint = mark;
        tint.setAlphaF(nIndex == m_selected ? 0.6f : 0.4f);
        p.fillRect(0, 0, w, h, tint);
    }
    if (lastMove) {
        // And an outline over the whole box, a little thicker on large squares so it stays visible.
        const int t = std::max(2, std::min(w, h) / 20);
        p.fillRect(0, 0, w, t, mark);
        p.fillRect(0, h - t, w, t, mark);
        p.fillRect(0, 0, t, h, mark);
        p.fillRect(w - t, 0, t, h, mark);
    }
    if (nIndex == m_hintFrom || nIndex == m_hintTo) {
        // A suggestion, not a move made: a blue frame inside the square, apart from the last move's colour.
        const int t = std::max(3, std::min(w, h) / 12);
        p.setPen(QPen(QColor(30, 110, 255), t));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(t * 1.5, t * 1.5, w - 3 * t, h - 3 * t));
    }
    if (occupied && kind >= 0 && kind < 12) {
        const int c = m_pieceCell;
        p.drawImage(QPoint((w - c) / 2, (h - c) / 2), picPieces[1]->Surface(), QRect(kind * c, 0, c, c));
    }
    if (std::find(m_targets.begin(), m_targets.end(), nIndex) != m_targets.end()) {
        // Where the piece may go: a dot on an empty square, a ring round a piece it would take.
        p.setRenderHint(QPainter::Antialiasing);
        const QColor shade(0, 0, 0, 96);
        const double d = std::min(w, h);
        if (s.Occupied) {
            const double pen = std::max(2.0, d / 14);
            p.setPen(QPen(shade, pen));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(pen / 2, pen / 2, w - pen, h - pen));
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(shade);
            p.drawEllipse(QPointF(w / 2.0, h / 2.0), d * 0.16, d * 0.16);
        }
    }
    p.end();
    box->update();
}

void wqzChessboard::ShowLayout(const QString& sLayout, int nLastFrom, int nLastTo) {
    ClearSelection();
    m_showing = true;
    for (int k = 1; k <= 64; ++k) m_shownKinds[k] = KindOfLayout(sLayout, k);
    m_shownFrom = nLastFrom;
    m_shownTo = nLastTo;
    UserControl_Paint();
}

void wqzChessboard::ShowGame() {
    if (!m_showing) return;
    m_showing = false;
    UserControl_Paint();
}

void wqzChessboard::EndShowing() {
    m_showing = false;
    SetArrow(0, 0);
}

void wqzChessboard::SetArrow(int nFrom, int nTo) {
    m_arrowFrom = nFrom;
    m_arrowTo = nTo;
    picArrow->update();
}

void wqzChessboard::MarkHint(int nFrom, int nTo) {
    const int oldFrom = std::exchange(m_hintFrom, nFrom), oldTo = std::exchange(m_hintTo, nTo);
    for (int k : {oldFrom, oldTo, nFrom, nTo})
        if (k > 0) DrawSquare(k, true);
}

// ---------------------------------------------------------------- dragging

// A press on a piece of the side to move lifts it and marks where it may go. With a piece picked by a
// click, a press elsewhere plays it there.
void wqzChessboard::picSquare_MouseDown(int Index, Qt::MouseButton Button, QPointF globalPos) {
    if (Button == Qt::LeftButton) m_leftButtonDown = true;
    if (Button != Qt::LeftButton || m_locked || m_showing || Index < 1 || Index > 64) return;
    const SquareRec& s = Squares[Index];
    if (s.White != WhitesTurn || !s.Occupied) {
        if (const int from = m_selected) {
            ClearSelection();
            MovePiece(SquareName(from), SquareName(Index));
        }
        return;
    }
    m_pressedSelected = Index == m_selected;
    ClearSelection();
    // The piece looks lifted: its square shows only its plain colour.
    picSquare[Index]->SetBackColor(ColorFromBgr(s.IsDark ? m_darkSquareColor : m_lightSquareColor));
    DragSource = Index;
    imgDrag->setGeometry(picSquare[Index]->x(), picSquare[Index]->y(), PixelsFromTwips(m_templateWidth),
                         PixelsFromTwips(m_templateHeight));
    m_dragging = true;
    m_dragStartGlobal = globalPos;
    m_dragStartPos = imgDrag->pos();
    tmrDrag->start();
    imgDrag->setPixmap(imgClass[s.Kind]->pixmap());
    imgDrag->raise();
    imgDrag->show();
    MarkTargets(Index);
}

void wqzChessboard::picSquare_MouseMove(int, Qt::MouseButtons, QPointF globalPos) {
    if (!m_dragging) return;
    imgDrag->move(m_dragStartPos + (globalPos - m_dragStartGlobal).toPoint());
}

// The square under the mouse is the drop target: the release itself goes to the square that was pressed.
// Released where it was pressed, the piece is picked (a click) or, if it already was, put down again.
void wqzChessboard::picSquare_MouseUp(int, Qt::MouseButton Button, QPointF globalPos) {
    if (Button != Qt::LeftButton) return;
    m_leftButtonDown = false;
    if (!m_dragging) return;
    m_dragging = false;
    imgDrag->hide();
    const QPoint p = mapFromGlobal(globalPos).toPoint();
    int target = 0;
    for (int k = 1; k <= 64 && !target; ++k)
        if (picSquare[k]->geometry().contains(p)) target = k;
    if (target == DragSource && !m_pressedSelected) {
        m_selected = DragSource;
        DrawSquare(DragSource, true);
        return;
    }
    ClearSelection();
    if (target == DragSource)
        DrawSquare(DragSource, true);
    else if (target)
        picSquare_DragDrop(target);
}

void wqzChessboard::picSquare_DragDrop(int Index) {
    MovePiece(SquareName(DragSource), SquareName(Index));
}

// Puts the piece back after a refused or missed drop, or shows the emptied square after a move.
void wqzChessboard::tmrDrag_Timer() {
    if (m_leftButtonDown) return;
    tmrDrag->stop();
    if (m_dragging) {
        m_dragging = false;
        imgDrag->hide();
    }
    DrawSquare(DragSource, true);
}

void wqzChessboard::MarkTargets(int nFrom) {
    for (int k = 1; k <= 64; ++k)
        if (IsLegalMove(nFrom, k)) m_targets.push_back(k);
    for (int k : m_targets) DrawSquare(k, true);
}

void wqzChessboard::ClearSelection() {
    const std::vector<int> marked = std::exchange(m_targets, {});
    const int selected = std::exchange(m_selected, 0);
    for (int k : marked) DrawSquare(k, true);
    if (selected) DrawSquare(selected, true);
}
