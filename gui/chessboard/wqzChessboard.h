// SPDX-License-Identifier: GPL-3.0-or-later
// wqzChessboard: a self-contained chessboard control. It draws the board, lets the user drag the pieces
// of the side to move, and referees its own game (own board, rules, undo list), reporting to its host
// through six signals. It knows nothing of the engine; the two meet only through square names.
//
// Squares are numbered 1 = a8 ... 8 = h8, 9 = a7 ... 64 = h1 (Row 1 = rank 8). Piece kinds:
// BK 0, BQ 1, BR 2, BN 3, BB 4, BP 5, WK 6, WQ 7, WR 8, WN 9, WB 10, WP 11.
// Sizes are kept in twips like the host's forms (15 twips a pixel).
#pragma once
#include <QImage>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <array>
#include <vector>

#include "gui/forms/PropertyBag.h"

class QLabel;
class QTimer;

// Read by the control whenever it draws a square; the game window toggles them from its menus.
extern bool Squares3D;  // squares get the 3-D (sunken) look
extern bool GridLines;  // squares get a single-line border

// A picture box: a child window with a persistent drawing surface (what is drawn on it stays until the
// background colour is set again), a back colour, and the flat / 3-D single-line border styles.
class wqzPictureBox : public QWidget {
    Q_OBJECT
  public:
    wqzPictureBox(QWidget* parent, int nIndex);
    int Index() const { return m_index; }

    void SetBackColor(const QColor& c);  // clears the drawing
    QColor BackColor() const { return m_backColor; }
    void SetAppearance3D(bool b);
    void SetBorderSingle(bool b);
    bool Appearance3D() const { return m_appearance3D; }
    bool BorderSingle() const { return m_borderSingle; }
    int BorderWidth() const;  // pixels taken by the border on each side
    int ScaleWidth() const { return m_surface.width(); }
    int ScaleHeight() const { return m_surface.height(); }
    QImage& Surface() { return m_surface; }  // the client area; call update() after drawing on it
    const QImage& Surface() const { return m_surface; }
    void SetSurface(const QImage& image);  // for hidden picture holders: take the image as it is

  signals:
    void MouseDown(int nIndex, Qt::MouseButton eButton, QPointF globalPos);
    void MouseMove(int nIndex, Qt::MouseButtons eButtons, QPointF globalPos);
    void MouseUp(int nIndex, Qt::MouseButton eButton, QPointF globalPos);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void FitSurface();
    int m_index;
    QImage m_surface;
    QColor m_backColor = Qt::white;
    bool m_appearance3D = false;
    bool m_borderSingle = false;
    bool m_fixedSurface = false;
};

class wqzChessboard : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int DarkSquareColor READ DarkSquareColor WRITE SetDarkSquareColor)
    Q_PROPERTY(int LightSquareColor READ LightSquareColor WRITE SetLightSquareColor)
    Q_PROPERTY(bool Locked READ Locked WRITE SetLocked)
    Q_PROPERTY(int SideView READ SideView WRITE SetSideView)
    Q_PROPERTY(bool HighlightMove READ HighlightMove WRITE SetHighlightMove)
    Q_PROPERTY(int HighlightMoveColor READ HighlightMoveColor WRITE SetHighlightMoveColor)

  public:
    static constexpr int TwipsPerPixel = 15;  // 96 dpi
    static constexpr int PieceSize = 32;      // cell of the stand-by artwork; the smallest square, pixels
    static const char* const StartLayout;     // the standard start position as layout text
    // Where the pieces' font is read; without it the board draws its stand-by artwork.
    static QString PieceFontFile;

    // The piece data that travels with a piece; Occupied stays with the square.
    struct PieceData {
        int Kind = 0;
        bool White = false;
        bool Moved = false;
    };
    struct SquareRec {
        bool IsDark = false;
        bool Occupied = false;
        int Kind = 0;
        bool White = false;
        bool Moved = false;
        int Col = 0;  // 1..8 = a..h
        int Row = 0;  // 1..8 from the top as seen from White
    };
    struct UndoRec {
        int MoveType = 0;  // 0 ordinary, 1 castling king side, 2 queen side, 3 en passant, 4 promotion
        int FromSquare = 0;
        PieceData MovedPiece;
        int ToSquare = 0;  // for en passant: the square of the pawn taken
        bool ToOccupied = false;
        PieceData CapturedPiece;
        bool MoverWhite = false;
        bool EnPassantPossible = false;  // after this move
        int EnPassantFile = 0;           // after this move
        int PrevLastFrom = 0;
        int PrevLastTo = 0;
    };

    explicit wqzChessboard(QWidget* parent = nullptr);
    ~wqzChessboard() override;

    // ---- Persistent properties (colours are 0x00BBGGRR) ----
    int DarkSquareColor() const { return m_darkSquareColor; }
    void SetDarkSquareColor(int vNewValue);
    int LightSquareColor() const { return m_lightSquareColor; }
    void SetLightSquareColor(int vNewValue);
    bool Locked() const { return m_locked; }
    void SetLocked(bool vNewValue);
    int SideView() const { return m_sideView; }
    void SetSideView(int vNewValue);  // 0 = White at the bottom; re-places the squares, no repaint
    bool HighlightMove() const { return m_highlightMove; }
    void SetHighlightMove(bool vNewValue);
    int HighlightMoveColor() const { return m_highlightMoveColor; }
    void SetHighlightMoveColor(int vNewValue);

    // The host's property bag: ReadProperties / WriteProperties use the given bag, PropertyChanged
    // reports go to HostProperties().
    void InitProperties();
    void ReadProperties(const PropertyBag& PropBag);
    void WriteProperties(PropertyBag& PropBag) const;
    PropertyBag& HostProperties() { return m_hostProperties; }

    void UserControl_Paint();  // redraws all 64 squares
    void About();

    // ---- The game ----
    void NewGame(bool bCastleShort = false, int nKingPos = 0, int nRookPos = 0,
                 const QString& sLayout = QString::fromLatin1(StartLayout), bool bWhitesTurn = true);
    // A set-up position: as NewGame, and a king or rook without a right in sCastling ("KQkq", "-")
    // counts as moved; nEnPassantFile (1..8, 0 none) is the file a pawn just double-stepped on.
    void SetPosition(const QString& sLayout, bool bWhitesTurn, const QString& sCastling, int nEnPassantFile);
    bool MovePiece(const QString& sFrom, const QString& sTo);
    bool UndoLastMove();
    int SideTurn() const { return WhitesTurn ? 0 : 1; }

    // ---- Rule engine (used by the drop handler and the host's tests) ----
    int SquareFromName(const QString& sName) const;  // -1 if not a square name
    QString SquareName(int nIndex) const;            // "" outside 1..64
    int SquareIndex(int nCol, int nRow) const;       // 0 if either is outside 1..8
    bool TryMove(int nFrom, int nTo, bool bTestOnly, bool* bLegal = nullptr);
    void ShiftPiece(int nFrom, int nTo, bool bMarkMoved);
    void MoveCastlingRook(bool bCastleShort, int nKingPos, int nRookPos);
    bool IsSquareAttacked(bool bByBlack, int nSquare) const;
    bool PopUndoRecord();
    bool IsUndoListEmpty() const { return UndoList.empty(); }
    bool IsCheckmate(bool bWhite, int nKingPos);
    bool IsStalemate(bool bWhite, int nKingPos);
    // Whether the piece on nFrom may move to nTo by the rules, own king's safety included. Leaves
    // everything as it was.
    bool IsLegalMove(int nFrom, int nTo);

    // ---- Read-only views of the game, for the host and tests ----
    const SquareRec& SquareInfo(int nIndex) const;  // 1..64
    QString LayoutText() const;                     // the position as layout text
    int LastMoveFrom() const { return m_lastMoveFrom; }
    int LastMoveTo() const { return m_lastMoveTo; }
    int WhiteKingPosition() const { return WhiteKingPos; }
    int BlackKingPosition() const { return BlackKingPos; }
    bool EnPassantIsPossible() const { return EnPassantPossible; }
    int EnPassantFileNumber() const { return EnPassantFile; }
    int UndoCount() const { return static_cast<int>(UndoList.size()); }
    const UndoRec& UndoRecord(int i) const { return UndoList.at(static_cast<size_t>(i)); }
    int DragSourceSquare() const { return DragSource; }
    bool IsDragging() const { return m_dragging; }
    int TemplateWidth() const { return m_templateWidth; }  // square size, twips
    int TemplateHeight() const { return m_templateHeight; }
    int PieceCell() const { return m_pieceCell; }  // pixels of the piece artwork in use
    // The piece picked by a click (0 none), and the squares the held or picked piece may go to.
    int SelectedSquare() const { return m_selected; }
    const std::vector<int>& TargetSquares() const { return m_targets; }
    // A move suggested to the player, marked on its two squares until the next move, take-back or new
    // position (0, 0: none).
    void MarkHint(int nFrom, int nTo);
    int HintFrom() const { return m_hintFrom; }
    int HintTo() const { return m_hintTo; }

    // ---- Another position shown over the game (a game stepped through) ----
    // Shows a layout text with its last move marked (0, 0: none) instead of the game's position, until
    // ShowGame. The mouse moves nothing meanwhile; the game goes on underneath (MovePiece, UndoLastMove).
    void ShowLayout(const QString& sLayout, int nLastFrom, int nLastTo);
    void ShowGame();
    bool ShowingLayout() const { return m_showing; }
    // An arrow from one square to another over the pieces, such as the move that was better (0, 0: none).
    void SetArrow(int nFrom, int nTo);
    int ArrowFrom() const { return m_arrowFrom; }
    int ArrowTo() const { return m_arrowTo; }

    // ---- Child controls, under their design names ----
    std::array<wqzPictureBox*, 65> picSquare{};  // 0 is the hidden template
    std::array<wqzPictureBox*, 2> picPieces{};   // 0 mask strip, 1 pieces strip, at the current cell size
    std::array<QLabel*, 12> imgClass{};          // drag pictures by piece kind
    QLabel* imgDrag = nullptr;
    QTimer* tmrDrag = nullptr;
    QWidget* picArrow = nullptr;  // over the squares, drawing the arrow; the mouse goes through it

  signals:
    // Declaration order fixes the order the host sees them in.
    void PieceMovement(bool bWhite, const QString& sFrom, const QString& sTo);
    void PieceCapture(int ePiece);
    void KingInCheck(bool bWhite, bool bCheckmate);
    // eChoice starts at 0; the handler stores the chosen kind in it (needs a direct connection).
    void PawnPromotion(bool bWhite, int& eChoice);
    void Stalemate();
    void MoveUndo(bool bWhite);
    // NewGame or SetPosition put up a position: a game starts from it.
    void NewPosition();

  public slots:
    void tmrDrag_Timer();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void UserControl_Resize();
    void PropertyChanged(const QString& sName) { m_hostProperties.PropertyChanged(sName); }

    void DrawSquare(int nIndex, bool bHighlight);
    void picSquare_MouseDown(int Index, Qt::MouseButton Button, QPointF globalPos);
    void picSquare_MouseMove(int Index, Qt::MouseButtons Buttons, QPointF globalPos);
    void picSquare_MouseUp(int Index, Qt::MouseButton Button, QPointF globalPos);
    void picSquare_DragDrop(int Index);

    // ---- Game state ----
    std::array<SquareRec, 65> Squares{};  // 1..64
    bool WhitesTurn = true;
    int WhiteKingPos = 0;
    int BlackKingPos = 0;
    bool EnPassantPossible = false;
    int EnPassantFile = 0;
    bool EnPassantCapture = false;
    bool PromotionPending = false;
    bool PromotionWhite = false;
    int PromotionSquare = 0;
    std::vector<UndoRec> UndoList;

  private:
    void Initialize();
    void LoadArtwork(int nCell);
    void SetUpSquares(const QString& sLayout, bool bWhitesTurn);
    void MarkTargets(int nFrom);
    void ClearSelection();
    int PixelsFromTwips(int nTwips) const;
    void PlaceSquares();
    bool HasLegalMove(bool bWhite);
    bool KingOfColourAttacked(bool bWhite) const;
    void PutPiece(int nSquare, const PieceData& piece, bool bOccupied);
    // The kind on a square (1..64) of a layout text, -1 for none.
    static int KindOfLayout(const QString& sLayout, int nSquare);
    // A new game: no other position shown, no arrow.
    void EndShowing();

    int m_darkSquareColor = 0x808080;
    int m_lightSquareColor = 0xE0E0E0;
    bool m_locked = false;
    int m_sideView = 0;
    bool m_highlightMove = true;
    int m_highlightMoveColor = 0xFF0000;
    PropertyBag m_hostProperties;

    int m_lastMoveFrom = 0;
    int m_lastMoveTo = 0;
    int DragSource = 0;
    int m_templateWidth = 720;  // twips: 48-pixel squares until the first Resize
    int m_templateHeight = 720;
    int m_quiet = 0;  // > 0 while trial moves run: they restore everything, so nothing is drawn
    bool m_resizing = false;
    bool m_leftButtonDown = false;   // the left button as this control last saw it
    bool m_dragging = false;         // imgDrag is following the mouse
    bool m_pressedSelected = false;  // the press went to the piece already picked: a click puts it down
    int m_selected = 0;
    std::vector<int> m_targets;
    int m_hintFrom = 0;
    int m_hintTo = 0;
    // The position shown instead of the game's: kinds by square (-1 empty), its last move.
    bool m_showing = false;
    std::array<int, 65> m_shownKinds{};
    int m_shownFrom = 0, m_shownTo = 0;
    int m_arrowFrom = 0, m_arrowTo = 0;
    int m_pieceCell = 0;
    int m_setUpEnPassantFile = 0;  // the en-passant file the position began with
    QPointF m_dragStartGlobal;
    QPoint m_dragStartPos;
};
