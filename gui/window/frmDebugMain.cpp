// SPDX-License-Identifier: GPL-3.0-or-later
// The game window: its controls, menus and layout. Game flow, clocks, view menus and the engine link
// live in the frmDebugMain*.cpp files beside this one.
#include "gui/window/frmDebugMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDockWidget>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "driver/Talvor.h"
#include "gui/chessboard/wqzChessboard.h"
#include "gui/window/Resize_forms.h"
#include "gui/window/ReviewPanel.h"
#include "gui/window/frmAbout.h"
#include "gui/window/frmDebugMainControls.h"
#include "gui/window/frmDebugMainParts.h"
#include "review/ReviewThread.h"

bool EngineOn = false;
bool GuiEngineWhite = false;
bool SoundOn = false;
int MoveNumber = 0;
int WhiteHours = 0, WhiteMinutes = 0, WhiteSeconds = 0;
int BlackHours = 0, BlackMinutes = 0, BlackSeconds = 0;

std::function<void(QMenu*)> frmDebugMain::PopupMenu = [](QMenu* menu) { menu->exec(QCursor::pos()); };
std::function<void()> frmDebugMain::Beep = [] { QApplication::beep(); };
std::function<void()> frmDebugMain::Quit = [] { QuitProgram(); };
namespace {

frmDebugMain* TheWindow = nullptr;

// Past this length the game record starts again empty.
constexpr int RecordLimit = 63000;

// Inner design size in twips; the menu bar comes on top.
constexpr int DesignClientWidth = 10560;
constexpr int DesignClientHeight = 8730;
// The smallest window, twips: the size Small of the Board menu, which the layout is made to fit.
constexpr int SmallestWidth = 6985;
constexpr int SmallestHeight = 6445;

// The board's column as designed, pixels: the surround 8 in from the top left, the board 24 in from the
// surround's left and 4 down, the surround 30 wider and 32 taller than the board (ranks left, files below);
// the caption 14 below the surround and the clocks under it, 30 free at the bottom and 30 between the
// surround and the panel on the right.
constexpr int Margin = 8, BoardLeft = 24, BoardTop = 4, FrameWider = 30, FrameTaller = 32;
constexpr int CaptionGap = 14, CaptionHeight = 22, ClocksDown = 34, ClockHeight = 32, BottomRoom = 30;
constexpr int PanelGap = 30;
constexpr int DesignFrameWidth = 462;  // the clocks' places below are for a surround this wide
constexpr int DiscLeft = 12, Clock1Left = 42, DiscLeft2 = 242, Clock2Left = 272, ClockWidth = 170, Disc = 24;

// Controls the window places itself around the board rather than by scaling (see LayOutBoard).
void PlacedByWindow(QWidget* w) {
    w->setProperty("Tag", QStringLiteral("Resize=N"));
}

template <typename W>
W* Place(W* w, const char* sName, int nLeft, int nTop, int nWidth, int nHeight) {
    w->setObjectName(sName);
    w->setGeometry(TwipsToPixels(nLeft), TwipsToPixels(nTop), TwipsToPixels(nWidth), TwipsToPixels(nHeight));
    return w;
}

}  // namespace

QFont Font(int nPoints, bool bBold, bool bFixed) {
    QFont f = bFixed ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
    if (!bFixed) f.setFamilies({"MS Sans Serif", "DejaVu Sans"});
    f.setPointSize(nPoints);
    f.setBold(bBold);
    return f;
}

// Black or white, whichever stands out more (contrast as readers of the web content guidelines count it).
QColor TextOn(const QColor& back) {
    auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const double y =
        0.2126 * linear(back.redF()) + 0.7152 * linear(back.greenF()) + 0.0722 * linear(back.blueF());
    return (y + 0.05) / 0.05 >= 1.05 / (y + 0.05) ? QColor(Qt::black) : QColor(Qt::white);
}

void SetBack(QWidget* w, int nColor, bool bText) {
    const QColor back = ColorFromBGR(nColor);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, TextOn(back));
    if (bText) {
        p.setColor(QPalette::Base, back);
        p.setColor(QPalette::Text, TextOn(back));
    }
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void SetTextColor(QLabel* l, const QColor& c) {
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, c);
    l->setPalette(p);
}

frmDebugMain* DebugMain() {
    return TheWindow;
}

QSize frmDebugMain::DesignSize() {
    return QSize(TwipsToPixels(DesignClientWidth), TwipsToPixels(DesignClientHeight));
}

frmDebugMain::frmDebugMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmDebugMain");
    setWindowTitle("TalvorWBE");
    setWindowIcon(QIcon(frmAbout::Logo(64)));
    BuildControls();
    BuildMenus();
    const QSize client = DesignSize();
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    setMinimumSize(TwipsToPixels(SmallestWidth), TwipsToPixels(SmallestHeight));
    TheWindow = this;
}

frmDebugMain::~frmDebugMain() {
    if (TheWindow == this) TheWindow = nullptr;
    // The panel hides as the window's children go, after this part of the window is gone: no handler of
    // ours may run then.
    if (dockReview) dockReview->disconnect(this);
}

void frmDebugMain::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);

    // The board in its surround, with rank labels on the left and file labels below.
    Shape3 = Place(new ShapeControl(client), "Shape3", 120, 120, 6930, 6960);
    Shape3->SetBackStyleOpaque(true);
    Shape3->SetBorderColor(0x202020);
    wqzChessboard2 = Place(new wqzChessboard(client), "wqzChessboard2", 480, 180, 6480, 6480);
    // A click on the board takes the keys from the text boxes: the arrow keys then step through the game.
    wqzChessboard2->setFocusPolicy(Qt::ClickFocus);
    for (int i = 1; i <= 8; ++i) {
        const std::string rank = "riga" + std::to_string(i), file = "Label" + std::to_string(i);
        riga[i] =
            Place(new QLabel(QString::number(i), client), rank.c_str(), 165, 180 + (8 - i) * 810, 300, 810);
        Label[i] = Place(new QLabel(QString(QChar('A' + i - 1)), client), file.c_str(), 480 + (i - 1) * 810,
                         6690, 810, 330);
        for (QLabel* l : {riga[i], Label[i]}) {
            l->setAlignment(Qt::AlignCenter);
            l->setFont(Font(9, true));
            SetTextColor(l, Qt::white);
        }
    }

    // Level caption and the two clocks with their side-to-move markers.
    Label9 = Place(new QLabel(client), "Label9", 120, 7290, 6930, 330);
    Label9->setAlignment(Qt::AlignCenter);
    Label9->setFont(Font(12, true));
    Shape1 = Place(new ShapeControl(client), "Shape1", 300, 7860, 360, 360);
    Shape1->SetShape(ShapeControl::Circle);
    Shape1->SetFillSolid(true);
    Shape1->SetFillColor(0xFFFFFF);
    Shape2 = Place(new ShapeControl(client), "Shape2", 3750, 7860, 360, 360);
    Shape2->SetShape(ShapeControl::Circle);
    Shape2->SetFillSolid(true);
    Shape2->SetFillColor(0x000000);
    Shape2->SetBorderColor(0xFFFFFF);
    Shape2->hide();
    Label12 = Place(new QLabel("0:0:0", client), "Label12", 750, 7800, 2550, 480);
    Label10 = Place(new QLabel("0:0:0", client), "Label10", 4200, 7800, 2550, 480);
    Label12->setToolTip("White");
    Label10->setToolTip("Black");
    SetBack(Label12, 0xFFFFFF);
    SetBack(Label10, 0x000000);
    for (QLabel* l : {Label12, Label10}) {
        l->setAlignment(Qt::AlignCenter);
        l->setFont(Font(16, true, true));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
    }

    // Over the board when a game has ended.
    lblResult = Place(new ResultBanner(client), "lblResult", 885, 2610, 5670, 1620);

    // Right: the game record, the engine's output, then the testing aids.
    Text1 = Place(new RecordBox(client), "Text1", 7500, 120, 2940, 3000);
    Text1->setFont(Font(8, false, true));
    connect(Text1, &TextBox::Change, this, [this] {
        Text1->ScrollToEnd();
        if (Text1->Text().size() > RecordLimit) Text1->SetText("");
    });
    Frame1 = Place(new QGroupBox(" Engine output  ", client), "Frame1", 7500, 3210, 2940, 2940);
    txtIO = Place(new TextBox(Frame1), "txtIO", 90, 300, 2760, 2550);
    txtIO->setFont(Font(8, false, true));

    Text2 = Place(new QLineEdit(client), "Text2", 7500, 6270, 1980, 360);
    cmdFakeInput = Place(new QPushButton("Send", client), "cmdFakeInput", 9540, 6270, 900, 360);
    txtMovePiece = Place(new QLineEdit(client), "txtMovePiece", 7500, 6810, 840, 360);
    cmdMovePiece = Place(new QPushButton("Move", client), "cmdMovePiece", 8400, 6810, 990, 360);
    Command1 = Place(new QPushButton("Go", client), "Command1", 9450, 6810, 990, 360);
    Command2 = Place(new QPushButton("New", client), "Command2", 7500, 7350, 990, 360);
    cmdTestStalemate =
        Place(new QPushButton("Test Stalemate", client), "cmdTestStalemate", 8550, 7350, 1890, 360);
    // List boxes keep their size at every window size: narrow enough not to meet at Small.
    lstWhiteMoves = Place(new QListWidget(client), "lstWhiteMoves", 7500, 7890, 900, 600);
    lstBlackMoves = Place(new QListWidget(client), "lstBlackMoves", 9000, 7890, 900, 600);
    for (QWidget* aid : std::initializer_list<QWidget*>{Text2, cmdFakeInput, txtMovePiece, cmdMovePiece,
                                                        Command1, Command2, cmdTestStalemate})
        aid->setFont(Font(8));
    for (QListWidget* l : {lstWhiteMoves, lstBlackMoves}) l->setProperty("IntegralHeight", true);
    for (QWidget* w : std::initializer_list<QWidget*>{wqzChessboard2, Shape3, Label9, Shape1, Shape2, Label12,
                                                      Label10, lblResult})
        PlacedByWindow(w);
    for (int i = 1; i <= 8; ++i) PlacedByWindow(riga[i]), PlacedByWindow(Label[i]);
    Text2->setToolTip("Command to the engine");
    txtMovePiece->setToolTip("Move to play on the board, e.g. e2e4");

    Timer1 = new QTimer(client);
    Timer1->setObjectName("Timer1");
    Timer2 = new QTimer(client);
    Timer2->setObjectName("Timer2");
    for (QTimer* t : {Timer1, Timer2}) t->setInterval(1000);

    // A command typed by hand goes to the engine when sent (Enter or Send), not letter by letter;
    // a text assigned by the window goes at once.
    connect(Text2, &QLineEdit::textEdited, this, [this] { m_typing = true; });
    connect(Text2, &QLineEdit::textChanged, this, [this] {
        if (m_typing)
            m_typing = false;
        else
            cmdFakeInput_Click();
    });
    connect(Text2, &QLineEdit::returnPressed, this, &frmDebugMain::cmdFakeInput_Click);
    connect(cmdFakeInput, &QPushButton::clicked, this, &frmDebugMain::cmdFakeInput_Click);
    connect(cmdMovePiece, &QPushButton::clicked, this, &frmDebugMain::cmdMovePiece_Click);
    connect(Command1, &QPushButton::clicked, this, &frmDebugMain::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmDebugMain::Command2_Click);
    connect(cmdTestStalemate, &QPushButton::clicked, this, &frmDebugMain::cmdTestStalemate_Click);
    connect(Timer1, &QTimer::timeout, this, &frmDebugMain::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &frmDebugMain::Timer2_Timer);

    // The record and the end of the game first: a check or mate message box waits for the person.
    connect(wqzChessboard2, &wqzChessboard::NewPosition, this, &frmDebugMain::StartRecord);
    connect(wqzChessboard2, &wqzChessboard::PieceMovement, this, &frmDebugMain::NoteMove);
    connect(wqzChessboard2, &wqzChessboard::MoveUndo, this, &frmDebugMain::NoteTakeBack);
    connect(wqzChessboard2, &wqzChessboard::KingInCheck, this, [this](bool bWhite, bool bCheckmate) {
        if (bCheckmate) EndGame(bWhite ? QStringLiteral("0-1") : QStringLiteral("1-0"), GameEnd::Checkmate);
    });
    connect(wqzChessboard2, &wqzChessboard::Stalemate, this,
            [this] { EndGame(QStringLiteral("1/2-1/2"), GameEnd::Stalemate); });
    connect(wqzChessboard2, &wqzChessboard::PieceMovement, this, &frmDebugMain::wqzChessboard2_PieceMovement);
    connect(wqzChessboard2, &wqzChessboard::KingInCheck, this, &frmDebugMain::wqzChessboard2_KingInCheck);
    connect(wqzChessboard2, &wqzChessboard::PawnPromotion, this, &frmDebugMain::wqzChessboard2_PawnPromotion,
            Qt::DirectConnection);
    connect(wqzChessboard2, &wqzChessboard::Stalemate, this, &frmDebugMain::wqzChessboard2_Stalemate);
    connect(wqzChessboard2, &wqzChessboard::MoveUndo, this, &frmDebugMain::wqzChessboard2_MoveUndo);
    StartRecord();  // the board set up its first game before anyone listened
}

QAction* frmDebugMain::Item(QMenu* parent, const char* sName, const char* sCaption,
                            void (frmDebugMain::*handler)(), bool bCheckable) {
    QAction* a = parent->addAction(sCaption);
    a->setObjectName(sName);
    a->setCheckable(bCheckable);
    // The handler alone decides the check: undo the toggle Qt makes before it runs.
    connect(a, &QAction::triggered, this, [this, a, handler] {
        if (a->isCheckable()) a->setChecked(!a->isChecked());
        (this->*handler)();
    });
    return a;
}

QMenu* frmDebugMain::SubMenu(QMenu* parent, const char* sName, const char* sCaption, QAction*& item) {
    QMenu* m = parent ? parent->addMenu(sCaption) : menuBar()->addMenu(sCaption);
    m->setObjectName(sName);
    item = m->menuAction();
    item->setObjectName(sName);
    return m;
}

void frmDebugMain::BuildMenus() {
    using F = frmDebugMain;
    QMenu* game = SubMenu(nullptr, "mnuGame", "Game", mnuGame);
    mnuGameNew = Item(game, "mnuGameNew", "New Game", &F::mnuGameNew_Click, false);
    game->addSeparator();
    mnuCopyPGN = Item(game, "mnuCopyPGN", "Copy Game as PGN", &F::mnuCopyPGN_Click, false);
    mnuSavePGN = Item(game, "mnuSavePGN", "Save Game as PGN...", &F::mnuSavePGN_Click, false);
    mnuPasteFEN = Item(game, "mnuPasteFEN", "Paste Position (FEN)", &F::mnuPasteFEN_Click, false);
    mnuCopyPGN->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    mnuSavePGN->setShortcut(QKeySequence::Save);
    mnuPasteFEN->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    game->addSeparator();
    BuildReviewItems(game);
    game->addSeparator();
    mnuext = Item(game, "mnuext", "Exit", &F::mnuext_Click, false);

    QMenu* engine = SubMenu(nullptr, "mnuseparetor1", "Engine", mnuseparetor1);
    QMenu* side = SubMenu(engine, "mnuside", "Side", mnuside);
    mnuEngineWithe = Item(side, "mnuEngineWithe", "White", &F::mnuEngineWithe_Click);
    mnuEngineBlack = Item(side, "mnuEngineBlack", "Black", &F::mnuEngineBlack_Click);
    QMenu* mot = SubMenu(engine, "mnumot", "Active", mnumot);
    mnutalvoron = Item(mot, "mnutalvoron", "On", &F::mnutalvoron_Click);
    mnutalvoroff = Item(mot, "mnutalvoroff", "Off", &F::mnutalvoroff_Click);
    mnutalvoron->setChecked(true);
    QMenu* out = SubMenu(engine, "mnuouten", "Output", mnuouten);
    mnuengon = Item(out, "mnuengon", "On", &F::mnuengon_Click);
    mnuengoff = Item(out, "mnuengoff", "Off", &F::mnuengoff_Click);
    QMenu* level = SubMenu(engine, "mnuseparetor2", "Level", mnuseparetor2);
    mnulvl1 = Item(level, "mnulvl1", "Easy", &F::mnulvl1_Click);
    mnulvl2 = Item(level, "mnulvl2", "Medium", &F::mnulvl2_Click);
    mnulvl3 = Item(level, "mnulvl3", "Advanced", &F::mnulvl3_Click);
    BuildEngineItems(engine);

    QMenu* board = SubMenu(nullptr, "mnuBoard", "Board", mnuBoard);
    mnuBoardView = Item(board, "mnuBoardView", "Reverse Board", &F::mnuBoardView_Click);
    mnuBoardLock = Item(board, "mnuBoardLock", "Drag-and-Drop", &F::mnuBoardLock_Click);
    mnuBoardLock->setVisible(false);
    mnuBoardHighlight = Item(board, "mnuBoardHighlight", "Highlight Move", &F::mnuBoardHighlight_Click);
    mnusound = Item(board, "mnusound", "Sound on/off", &F::mnusound_Click);
    mnusound->setChecked(true);
    QMenu* color = SubMenu(board, "mnucolor", "Set Color", mnucolor);
    mnuDGS = Item(color, "mnuDGS", "TalvorWBE GUI Style", &F::mnuDGS_Click);
    mnuDGS->setChecked(true);
    mnuwbs = Item(color, "mnuwbs", "Winboard Style", &F::mnuwbs_Click);
    arena = Item(color, "arena", "Arena Style", &F::arena_Click);
    mnumono = Item(color, "mnumono", "Monocrom", &F::mnumono_Click);
    mnurw = Item(color, "mnurw", "Red-W", &F::mnurw_Click);
    mnuwood = Item(color, "mnuwood", "Woody", &F::mnuwood_Click);
    QMenu* sizes = SubMenu(board, "mnuguisett", "Gui Board Settings", mnuguisett);
    mnuguirest = Item(sizes, "mnuguirest", "Default", &F::mnuguirest_Click);
    // The dashes of the design are what a separator looks like; given as text too, they would be drawn
    // beside the separator's own line.
    mnusep1 = sizes->addSeparator();
    mnusep1->setObjectName("mnusep1");
    mnusep1->setEnabled(false);
    mnusmall = Item(sizes, "mnusmall", "Small", &F::mnusmall_Click);
    mnumedium = Item(sizes, "mnumedium", "Medium", &F::mnumedium_Click);
    mnubig = Item(sizes, "mnubig", "Big", &F::mnubig_Click);
    mnusep2 = sizes->addSeparator();
    mnusep2->setObjectName("mnusep2");
    mnusep2->setEnabled(false);
    mnugrid = Item(sizes, "mnugrid", "Show Grid Lines", &F::mnugrid_Click);
    mnu3d = Item(sizes, "mnu3d", "3D Square", &F::mnu3d_Click);
    mnu3d->setEnabled(false);

    QMenu* actions = SubMenu(nullptr, "mnuActions", "Moves", mnuActions);
    mnuActionsUndo = Item(actions, "mnuActionsUndo", "Retract Move", &F::mnuActionsUndo_Click, false);
    mnuActions->setEnabled(false);

    QMenu* lang = SubMenu(nullptr, "mnulang", "Language", mnulang);
    mnuitalian = Item(lang, "mnuitalian", "Italiano", &F::mnuitalian_Click);
    mnueng = Item(lang, "mnueng", "English", &F::mnueng_Click);
    mnueng->setChecked(true);

    mnumin = menuBar()->addAction("Minimize");
    mnumin->setObjectName("mnumin");
    connect(mnumin, &QAction::triggered, this, &frmDebugMain::mnumin_Click);

    QMenu* help = SubMenu(nullptr, "mnuHelp", "Help", mnuHelp);
    mnuHelpAbout = Item(help, "mnuHelpAbout", "About", &F::mnuHelpAbout_Click, false);

    // The promotion popups are menus of their own, never on the menu bar.
    mnuWhitePawnPromotion = new QMenu("WhitePawnPromotion", this);
    mnuWhitePawnPromotion->setObjectName("mnuWhitePawnPromotion");
    mnuWhitePawnPromotion->menuAction()->setObjectName("mnuWhitePawnPromotion");
    mnuWhitePawnPromotion->menuAction()->setVisible(false);
    mnuBlackPawnPromotion = new QMenu("BlackPawnPromotion", this);
    mnuBlackPawnPromotion->setObjectName("mnuBlackPawnPromotion");
    mnuBlackPawnPromotion->menuAction()->setObjectName("mnuBlackPawnPromotion");
    mnuBlackPawnPromotion->menuAction()->setVisible(false);
    auto choice = [this](QMenu* menu, const char* sName, const char* sCaption, int nKind) {
        QAction* a = menu->addAction(sCaption);
        a->setObjectName(sName);
        connect(a, &QAction::triggered, this, [this, nKind] { PromotionChoice = nKind; });
        return a;
    };
    mnuWQ = choice(mnuWhitePawnPromotion, "mnuWQ", "Queen", 7);
    mnuWR = choice(mnuWhitePawnPromotion, "mnuWR", "Rook", 8);
    mnuwb = choice(mnuWhitePawnPromotion, "mnuwb", "Bishop", 10);
    mnuWN = choice(mnuWhitePawnPromotion, "mnuWN", "Knight", 9);
    mnuBQ = choice(mnuBlackPawnPromotion, "mnuBQ", "Queen", 1);
    mnuBR = choice(mnuBlackPawnPromotion, "mnuBR", "Rook", 2);
    mnuBB = choice(mnuBlackPawnPromotion, "mnuBB", "Bishop", 4);
    mnuBN = choice(mnuBlackPawnPromotion, "mnuBN", "Knight", 3);
}

void frmDebugMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ResizeForm(this);
    if (!isMinimized()) LayOutBoard();
}

// The resizing service scales the panel on the right; the board is then the largest square that fits
// beside it and above the caption and clocks, the surround and coordinates around it, the caption and clocks
// right below, all centred in the room left of the panel. At the design size this is the design.
void frmDebugMain::LayOutBoard() {
    const int right = Text1->x() - PanelGap;
    const int roomWide = right - Margin - FrameWider;
    const int roomHigh =
        centralWidget()->height() - Margin - FrameTaller - CaptionGap - ClocksDown - ClockHeight - BottomRoom;
    const int side = std::max(8 * wqzChessboard::PieceSize, std::min(roomWide, roomHigh) / 8 * 8);
    const int frameWidth = side + FrameWider;
    const int x = Margin + std::max(0, (right - Margin - frameWidth) / 2), y = Margin;
    const QRect b(x + BoardLeft, y + BoardTop, side, side);
    wqzChessboard2->setGeometry(b);
    Shape3->setGeometry(x, y, frameWidth, side + FrameTaller);
    const int square = side / 8;
    for (int i = 1; i <= 8; ++i) {
        riga[i]->setGeometry(b.x() - 21, b.y() + (8 - i) * square, 20, square);
        Label[i]->setGeometry(b.x() + (i - 1) * square, b.bottom() + 3, square, CaptionHeight);
    }
    lblResult->setGeometry(b.x() + square / 2, b.y() + 3 * square, side - square, 2 * square);

    // The caption and clocks span the surround; the clocks keep their height, their places scale.
    const double f = frameWidth / double(DesignFrameWidth);
    auto across = [&](int nDesign) { return x + static_cast<int>(std::lround(nDesign * f)); };
    const int caption = y + side + FrameTaller + CaptionGap, clocks = caption + ClocksDown;
    const int disc = std::max(12, static_cast<int>(std::lround(Disc * std::min(1.0, f))));
    const int clockWidth = static_cast<int>(std::lround(ClockWidth * f));
    Label9->setGeometry(x, caption, frameWidth, CaptionHeight);
    Shape1->setGeometry(across(DiscLeft), clocks + (ClockHeight - disc) / 2, disc, disc);
    Label12->setGeometry(across(Clock1Left), clocks, clockWidth, ClockHeight);
    Shape2->setGeometry(across(DiscLeft2), clocks + (ClockHeight - disc) / 2, disc, disc);
    Label10->setGeometry(across(Clock2Left), clocks, clockWidth, ClockHeight);
}

void frmDebugMain::closeEvent(QCloseEvent* event) {
    event->ignore();
    EndReviewThread();  // a review still running ends before the program does
    Quit();
}
