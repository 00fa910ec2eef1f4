#include "gui/frmDebugMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
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

#include "board/BoardBas.h"
#include "driver/IOBas.h"
#include "driver/Talvor.h"
#include "gui/MessageBox.h"
#include "gui/Resize_forms.h"
#include "gui/frmAbout.h"
#include "gui/frmDebugMainControls.h"
#include "gui/wqzChessboard.h"
#include "search/SearchBas.h"

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

// The command texts the window feeds the engine.
constexpr char EasyCommands[] = "xboard\nnew\nrandom\nsd 1\npost";
constexpr char MediumCommands[] = "xboard\nnew\nrandom\nsd 4\npost";
constexpr char AdvancedCommands[] = "xboard\nnew";

// Boxes grow without end otherwise; past these lengths they start again empty.
constexpr int OutputLimit = 32000;
constexpr int RecordLimit = 63000;

// The Test Stalemate position: Black king f8, White queen d7, White king g6, pawns b5 g5 / b4 g4.
constexpr char StalemateLayout[] =
    "XXXXXXXXXXBKXXXX"
    "XXXXXXWQXXXXXXXX"
    "XXXXXXXXXXXXWKXX"
    "XXBPXXXXXXXXBPXX"
    "XXWPXXXXXXXXWPXX"
    "XXXXXXXXXXXXXXXX"
    "XXXXXXXXXXXXXXXX"
    "XXXXXXXXXXXXXXXX";

// Inner design size in twips; the menu bar comes on top.
constexpr int DesignClientWidth = 10560;
constexpr int DesignClientHeight = 8730;

template <typename W>
W* Place(W* w, const char* sName, int nLeft, int nTop, int nWidth, int nHeight) {
    w->setObjectName(sName);
    w->setGeometry(TwipsToPixels(nLeft), TwipsToPixels(nTop), TwipsToPixels(nWidth), TwipsToPixels(nHeight));
    return w;
}

QFont Font(int nPoints, bool bBold = false, bool bFixed = false) {
    QFont f = bFixed ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
    if (!bFixed) f.setFamilies({"MS Sans Serif", "DejaVu Sans"});
    f.setPointSize(nPoints);
    f.setBold(bBold);
    return f;
}

// Text drawn on a given back colour stays readable: dark on light colours, light on dark ones.
QColor TextOn(const QColor& back) {
    return back.lightnessF() > 0.55 ? QColor(Qt::black) : QColor(Qt::white);
}

// The back colour of a form, frame or label; bText also gives a text box's inside that colour.
void SetBack(QWidget* w, int nColor, bool bText = false) {
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

void Enable(QTimer* t, bool b) {
    if (!b)
        t->stop();
    else if (!t->isActive())
        t->start();
}

// One second more on a clock.
void Tick(int& nHours, int& nMinutes, int& nSeconds) {
    if (++nSeconds >= 60) {
        nSeconds = 0;
        if (++nMinutes >= 60) {
            nMinutes = 0;
            ++nHours;
        }
    }
}

// A whole search's seconds at once.
void Charge(int& nHours, int& nMinutes, int& nSeconds, int nAdd) {
    nSeconds += nAdd;
    while (nSeconds >= 60) {
        nSeconds -= 60;
        ++nMinutes;
    }
    while (nMinutes >= 60) {
        nMinutes -= 60;
        ++nHours;
    }
}

struct Caption {
    QAction* frmDebugMain::*Item;
    const char* English;
    const char* Italian;
};

const Caption Captions[] = {
    {&frmDebugMain::mnuGame, "Chess", "Gioco"},
    {&frmDebugMain::mnuGameNew, "New Game", "Nuova Partita"},
    {&frmDebugMain::mnuext, "Exit", "Esci dal programma"},
    {&frmDebugMain::mnuseparetor1, "Engine", "Motore"},
    {&frmDebugMain::mnuside, "Side", "Lato"},
    {&frmDebugMain::mnuEngineWithe, "White", "Bianco"},
    {&frmDebugMain::mnuEngineBlack, "Black", "Nero"},
    {&frmDebugMain::mnumot, "Active", "Attivo"},
    {&frmDebugMain::mnuouten, "Output", "Output"},
    {&frmDebugMain::mnuseparetor2, "Level", "Livello"},
    {&frmDebugMain::mnulvl1, "Easy", "Facile"},
    {&frmDebugMain::mnulvl2, "Medium", "Medio"},
    {&frmDebugMain::mnulvl3, "Advanced", "Avanzato"},
    {&frmDebugMain::mnuBoard, "Board", "Scacchiera"},
    {&frmDebugMain::mnuBoardView, "Reverse Board", "Inverti Scacchiera"},
    {&frmDebugMain::mnuBoardHighlight, "Highlight Move", "Evidenzia ultima mossa"},
    {&frmDebugMain::mnusound, "Sound on/off", "Suoni on/off"},
    {&frmDebugMain::mnucolor, "Set Color", "Colori Scacchiera"},
    {&frmDebugMain::mnuguisett, "GUI Board Size", "Dimensioni GUI Scacchiera"},
    {&frmDebugMain::mnuguirest, "Default", "Reimposta Dimensioni GUI"},
    {&frmDebugMain::mnusmall, "Small", "Piccola"},
    {&frmDebugMain::mnumedium, "Medium", "Media"},
    {&frmDebugMain::mnubig, "Big", "Grande"},
    {&frmDebugMain::mnugrid, "Show Grid Lines", "Mostra Griglia"},
    {&frmDebugMain::mnu3d, "3D Square", "Casa in 3D"},
    {&frmDebugMain::mnuActions, "Moves", "Mosse"},
    {&frmDebugMain::mnuActionsUndo, "Retract Move", "Ritira Mossa"},
    {&frmDebugMain::mnumin, "Minimize", "Minimizza"},
    {&frmDebugMain::mnuWQ, "Queen", "Regina"},
    {&frmDebugMain::mnuBQ, "Queen", "Regina"},
    {&frmDebugMain::mnuWR, "Rook", "Torre"},
    {&frmDebugMain::mnuBR, "Rook", "Torre"},
    {&frmDebugMain::mnuwb, "Bishop", "Alfiere"},
    {&frmDebugMain::mnuBB, "Bishop", "Alfiere"},
    {&frmDebugMain::mnuWN, "Night", "Cavallo"},
    {&frmDebugMain::mnuBN, "Night", "Cavallo"},
};

}  // namespace

frmDebugMain* DebugMain() {
    return TheWindow;
}

QString ClockText(int nHours, int nMinutes, int nSeconds) {
    return QString("%1:%2:%3").arg(nHours).arg(nMinutes).arg(nSeconds);
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
    TheWindow = this;
}

frmDebugMain::~frmDebugMain() {
    if (TheWindow == this) TheWindow = nullptr;
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

    // Right: the game record, the engine's output, then the testing aids.
    Text1 = Place(new TextBox(client), "Text1", 7500, 120, 2940, 3000);
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

    connect(wqzChessboard2, &wqzChessboard::PieceMovement, this, &frmDebugMain::wqzChessboard2_PieceMovement);
    connect(wqzChessboard2, &wqzChessboard::KingInCheck, this, &frmDebugMain::wqzChessboard2_KingInCheck);
    connect(wqzChessboard2, &wqzChessboard::PawnPromotion, this, &frmDebugMain::wqzChessboard2_PawnPromotion,
            Qt::DirectConnection);
    connect(wqzChessboard2, &wqzChessboard::Stalemate, this, &frmDebugMain::wqzChessboard2_Stalemate);
    connect(wqzChessboard2, &wqzChessboard::MoveUndo, this, &frmDebugMain::wqzChessboard2_MoveUndo);
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
    mnusep1 = sizes->addSeparator();
    mnusep1->setObjectName("mnusep1");
    mnusep1->setText("----------------------");
    mnusep1->setEnabled(false);
    mnusmall = Item(sizes, "mnusmall", "Small", &F::mnusmall_Click);
    mnumedium = Item(sizes, "mnumedium", "Medium", &F::mnumedium_Click);
    mnubig = Item(sizes, "mnubig", "Big", &F::mnubig_Click);
    mnusep2 = sizes->addSeparator();
    mnusep2->setObjectName("mnusep2");
    mnusep2->setText("----------------------");
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

// ---------------------------------------------------------------- engine link

void frmDebugMain::Form_Load() {
    Squares3D = false;
    GridLines = false;
    mnuBoardLock->setChecked(!wqzChessboard2->Locked());
    mnuBoardHighlight->setChecked(wqzChessboard2->HighlightMove());
    mnuDGS_Click();
    mnutalvoron_Click();
    mnueng_Click();
    mnuEngineBlack->setChecked(true);
    mnuengon->setChecked(true);
    SoundOn = true;
    ResetClocks();
    SetBack(txtIO, m_backColor, true);
    SetBack(Frame1, m_backColor);
    txtIO->SetText("");
    PromotionLetter = "";
    mnulvl2_Click();
}

void frmDebugMain::Feed(const QString& sCommand) {
    if (Text2->text() == sCommand)
        cmdFakeInput_Click();
    else
        Text2->setText(sCommand);
}

void frmDebugMain::cmdFakeInput_Click() {
    if (!InGuiMode) return;
    GuiInputLine = Text2->text().toStdString() + "\n";
    GuiInputPending = true;
}

void frmDebugMain::ShowLine(const std::string& sText) {
    const QString text = QString::fromStdString(sText);
    if (text.contains("move ")) {
        QString m = text;
        m.remove("move ");
        txtMovePiece->setText(m);
        cmdMovePiece_Click();
        txtMovePiece->setText("");
        if (GuiEngineWhite) {
            Charge(WhiteHours, WhiteMinutes, WhiteSeconds, SearchSeconds);
            Label12->setText(ClockText(WhiteHours, WhiteMinutes, WhiteSeconds));
        } else {
            Charge(BlackHours, BlackMinutes, BlackSeconds, SearchSeconds);
        }
        Label10->setText(ClockText(BlackHours, BlackMinutes, BlackSeconds));
    }
    if (text.contains("resign")) Message(Italian() ? "Il Motore ha abbandonato" : "Engine resign");
    QString old = txtIO->Text();
    if (old.size() > OutputLimit) old.clear();
    txtIO->SetText(old + "\r\n" + text);
    txtIO->ScrollToEnd();
    // The search does not yield: show the line now.
    repaint();
}

bool frmDebugMain::Italian() const {
    return mnuitalian->isChecked();
}

void frmDebugMain::cmdMovePiece_Click() {
    const QString t = txtMovePiece->text();
    if (EngineOn) Feed(t);
    if (!wqzChessboard2->MovePiece(t.left(2), t.right(2)))
        Message(Italian() ? "Mossa non valida o sintassi non corretta da aprte del motore"
                          : "Illegal move or bad syntax");
}

void frmDebugMain::Command1_Click() {
    Feed("go");
}

void frmDebugMain::Command2_Click() {
    wqzChessboard2->NewGame();
    lstWhiteMoves->clear();
    lstBlackMoves->clear();
    Feed("new");
}

void frmDebugMain::cmdTestStalemate_Click() {
    wqzChessboard2->NewGame(false, 0, 0, QString::fromLatin1(StalemateLayout), true);
    lstWhiteMoves->clear();
    lstBlackMoves->clear();
}

void frmDebugMain::Timer1_Timer() {
    Tick(WhiteHours, WhiteMinutes, WhiteSeconds);
    Label12->setText(ClockText(WhiteHours, WhiteMinutes, WhiteSeconds));
}

void frmDebugMain::Timer2_Timer() {
    Tick(BlackHours, BlackMinutes, BlackSeconds);
    Label10->setText(ClockText(BlackHours, BlackMinutes, BlackSeconds));
}

void frmDebugMain::ResetClocks() {
    for (QTimer* t : {Timer1, Timer2}) {
        t->setInterval(1000);
        t->stop();
    }
    WhiteHours = WhiteMinutes = WhiteSeconds = 0;
    BlackHours = BlackMinutes = BlackSeconds = 0;
    Label12->setText(ClockText(0, 0, 0));
    Label10->setText(ClockText(0, 0, 0));
}

void frmDebugMain::StopClocks() {
    Timer1->stop();
    Timer2->stop();
}

void frmDebugMain::ShowSideToMove(bool bWhite) {
    Shape1->setVisible(bWhite);
    Shape2->setVisible(!bWhite);
}

void frmDebugMain::AppendText1(const QString& sLine) {
    Text1->SetText(Text1->Text() + sLine);
}

void frmDebugMain::Message(const QString& sText) {
    ShowMessage(this, sText, QString(), QMessageBox::NoIcon);
}

void frmDebugMain::wqzChessboard2_PieceMovement(bool bWhite, const QString& sFrom, const QString& sTo) {
    if (bWhite) {
        ++MoveNumber;
        AppendText1(QString("%1) %2-%3\r\n").arg(MoveNumber).arg(sFrom, sTo));
    } else {
        AppendText1(QString(20, ' ') + "..." + sFrom + "-" + sTo + "\r\n");
    }
    if (mnutalvoron->isChecked()) {
        // The engine's thinking time is charged in one piece when its move arrives.
        if (bWhite) {
            Enable(Timer1, false);
            Enable(Timer2, GuiEngineWhite);
        } else {
            Enable(Timer1, !GuiEngineWhite);
            Enable(Timer2, false);
        }
    } else {
        Enable(Timer1, !bWhite);
        Enable(Timer2, bWhite);
    }
    ShowSideToMove(!bWhite);
    if (EngineOn) {
        for (QAction* a : {mnulvl1, mnulvl2, mnulvl3}) a->setEnabled(false);
        Feed(sFrom + sTo + PersonPromotion);
    }
    PersonPromotion.clear();
    if (SoundOn) Beep();
    if (!(bWhite ? mnuEngineWithe : mnuEngineBlack)->isChecked()) txtIO->SetText("");
}

void frmDebugMain::wqzChessboard2_KingInCheck(bool bWhite, bool bCheckmate) {
    const bool it = Italian();
    QString text;
    if (bWhite)
        text = bCheckmate ? (it ? "Scaccomatto! il nero vince" : "White checkmated")
                          : (it ? QString::fromUtf8("Il Re bianco è sotto scacco") : "White king in check");
    else
        text = bCheckmate ? (it ? "Scaccomatto! il bianco vince" : "Black checkmated")
                          : (it ? QString::fromUtf8("Il Re nero è sotto scacco") : "Black king in check");
    // The game is over: no clock runs on, whatever the language.
    if (bCheckmate) StopClocks();
    Message(text);
}

void frmDebugMain::wqzChessboard2_PawnPromotion(bool bWhite, int& eChoice) {
    if (bWhite) {
        if (!GuiEngineWhite) {
            PopupMenu(mnuWhitePawnPromotion);
        } else {
            if (PromotionLetter == "q") PromotionChoice = 7;
            if (PromotionLetter == "n") PromotionChoice = 9;
            if (PromotionLetter == "r") PromotionChoice = 8;
            if (PromotionLetter == "b") PromotionChoice = 10;
            PromotionLetter = "";
        }
    } else {
        if (GuiEngineWhite) {
            PopupMenu(mnuBlackPawnPromotion);
        } else {
            if (PromotionLetter == "q") PromotionChoice = 1;
            if (PromotionLetter == "n") PromotionChoice = 3;
            if (PromotionLetter == "r") PromotionChoice = 2;
            if (PromotionLetter == "b") PromotionChoice = 4;
            PromotionLetter = "";
        }
    }
    // The engine must learn which piece the person chose, or its board would hold a queen.
    const bool personMoves = bWhite != GuiEngineWhite;
    static const char* const kLetters[12] = {"", "q", "r", "n", "b", "", "", "q", "r", "n", "b", ""};
    PersonPromotion =
        personMoves && PromotionChoice >= 0 && PromotionChoice < 12 ? kLetters[PromotionChoice] : "";
    eChoice = PromotionChoice;
    PromotionChoice = -1;
}

void frmDebugMain::wqzChessboard2_Stalemate() {
    StopClocks();
    Message("Stalemate");
}

// The side now on move is shown again after a take-back.
void frmDebugMain::wqzChessboard2_MoveUndo(bool bWhite) {
    ShowSideToMove(bWhite);
}

// ---------------------------------------------------------------- menus

void frmDebugMain::mnuGameNew_Click() {
    mnuEngineWithe->setChecked(false);
    mnuEngineBlack->setChecked(true);
    GuiEngineWhite = false;
    ResetClocks();
    MoveNumber = 0;
    Text1->SetText("");
    wqzChessboard2->NewGame();
    lstWhiteMoves->clear();
    lstBlackMoves->clear();
    if (mnulvl2->isChecked())
        Feed(MediumCommands);
    else if (mnulvl1->isChecked())
        Feed(EasyCommands);
    else if (mnulvl3->isChecked())
        Feed(AdvancedCommands);
    txtIO->SetText("");
    for (QAction* a : {mnulvl1, mnulvl2, mnulvl3}) a->setEnabled(true);
    ShowSideToMove(true);
}

void frmDebugMain::mnuext_Click() {
    Quit();
}

void frmDebugMain::mnuEngineWithe_Click() {
    GuiEngineWhite = true;
    if (!mnutalvoroff->isChecked()) {
        Feed("go");
        mnuEngineWithe->setChecked(true);
        mnuEngineBlack->setChecked(false);
    }
}

void frmDebugMain::mnuEngineBlack_Click() {
    GuiEngineWhite = false;
    if (!mnutalvoroff->isChecked()) {
        Feed("go");
        mnuEngineBlack->setChecked(true);
        mnuEngineWithe->setChecked(false);
    }
}

void frmDebugMain::mnutalvoron_Click() {
    mnuActions->setEnabled(false);
    mnutalvoron->setChecked(true);
    mnutalvoroff->setChecked(false);
    mnulvl3_Click();
    mnuengon_Click();
    EngineOn = true;
}

void frmDebugMain::mnutalvoroff_Click() {
    mnuActions->setEnabled(true);
    for (QAction* a : {mnulvl1, mnulvl2, mnulvl3, mnuEngineWithe, mnuEngineBlack}) a->setChecked(false);
    mnuengoff_Click();
    mnutalvoroff->setChecked(true);
    mnutalvoron->setChecked(false);
    Label9->setText(Italian() ? "2 Giocatori" : "2 Player Game");
    EngineOn = false;
}

void frmDebugMain::mnuengon_Click() {
    txtIO->show();
    mnuengon->setChecked(true);
    mnuengoff->setChecked(false);
}

void frmDebugMain::mnuengoff_Click() {
    txtIO->hide();
    mnuengoff->setChecked(true);
    mnuengon->setChecked(false);
}

void frmDebugMain::SetLevel(QAction* level, const char* sCommand, const char* sItalian, const char* sEnglish,
                            int nColor) {
    if (level == mnulvl3 || mnutalvoron->isChecked()) Feed(sCommand);
    Label9->setText(Italian() ? sItalian : sEnglish);
    SetTextColor(Label9, ColorFromBGR(nColor));
    for (QAction* a : {mnulvl1, mnulvl2, mnulvl3}) a->setChecked(a == level);
}

void frmDebugMain::mnulvl1_Click() {
    SetLevel(mnulvl1, EasyCommands, "Livello Facile", "Easy Level", 0x00FF00);
}
void frmDebugMain::mnulvl2_Click() {
    SetLevel(mnulvl2, MediumCommands, "Livello Medio", "Medium Level", 0x00FFFF);
}
void frmDebugMain::mnulvl3_Click() {
    SetLevel(mnulvl3, AdvancedCommands, "Livello Avanzato", "Advanced Level", 0x0000FF);
}

void frmDebugMain::mnuBoardView_Click() {
    const bool turn = wqzChessboard2->SideView() == 0;
    mnuBoardView->setChecked(turn);
    wqzChessboard2->SetSideView(turn ? 1 : 0);
    for (int i = 1; i <= 8; ++i) {
        riga[i]->setText(QString::number(turn ? 9 - i : i));
        Label[i]->setText(QString(QChar(turn ? 'H' - (i - 1) : 'A' + (i - 1))));
    }
}

void frmDebugMain::mnuBoardLock_Click() {
    mnuBoardLock->setChecked(!mnuBoardLock->isChecked());
    wqzChessboard2->SetLocked(!mnuBoardLock->isChecked());
}

void frmDebugMain::mnuBoardHighlight_Click() {
    mnuBoardHighlight->setChecked(!mnuBoardHighlight->isChecked());
    wqzChessboard2->SetHighlightMove(mnuBoardHighlight->isChecked());
}

void frmDebugMain::mnusound_Click() {
    mnusound->setChecked(!mnusound->isChecked());
    SoundOn = mnusound->isChecked();
}

void frmDebugMain::ApplyScheme(QAction* item, int nDark, int nLight, int nHighlight, int nShape,
                               int nWindow) {
    wqzChessboard2->SetDarkSquareColor(nDark);
    wqzChessboard2->SetLightSquareColor(nLight);
    wqzChessboard2->SetHighlightMoveColor(nHighlight);
    Shape3->SetBackColor(nShape);
    m_backColor = nWindow;
    SetBack(centralWidget(), nWindow);
    SetBack(Frame1, nWindow);
    SetBack(txtIO, nWindow, true);
    // The coordinates stand on the surround: keep them readable on it.
    for (int i = 1; i <= 8; ++i)
        for (QLabel* l : {riga[i], Label[i]}) SetTextColor(l, TextOn(ColorFromBGR(nShape)));
    for (QAction* a : {mnuDGS, mnuwbs, arena, mnumono, mnurw, mnuwood}) a->setChecked(a == item);
}

void frmDebugMain::mnuDGS_Click() {
    ApplyScheme(mnuDGS, 0x008000, 0x00C0C0, 0x0A9CF3, 0x008000, 0x008080);
}
void frmDebugMain::mnuwbs_Click() {
    ApplyScheme(mnuwbs, 0x6CA277, 0x65C3C8, 0x00FFFF, 0x65C3C8, 0x004000);
}
void frmDebugMain::arena_Click() {
    ApplyScheme(arena, 0x808000, 0xC0C000, 0x00FFFF, 0x808000, 0x400000);
}
void frmDebugMain::mnumono_Click() {
    ApplyScheme(mnumono, 0x808080, 0xE0E0E0, 0xFFFFFF, 0x808080, 0x000000);
}
void frmDebugMain::mnurw_Click() {
    ApplyScheme(mnurw, 0x0000C0, 0xFFFFFF, 0x00FF00, 0x0000C0, 0x000080);
}
void frmDebugMain::mnuwood_Click() {
    ApplyScheme(mnuwood, 0x375F86, 0x6292AE, 0xFFFFFF, 0x6292AE, 0x253E4B);
}

void frmDebugMain::mnuguirest_Click() {
    RestoreFormSize(this);
    for (QAction* a : {mnusmall, mnumedium, mnubig}) a->setChecked(false);
    mnuguirest->setChecked(true);
}

void frmDebugMain::SetWindowSize(QAction* item, int nHeight, int nWidth) {
    for (QAction* a : {mnusmall, mnumedium, mnubig, mnuguirest}) a->setChecked(a == item);
    if (isMaximized() || isMinimized()) showNormal();
    resize(TwipsToPixels(nWidth), TwipsToPixels(nHeight));
}

void frmDebugMain::mnusmall_Click() {
    SetWindowSize(mnusmall, 6445, 6985);
}
void frmDebugMain::mnumedium_Click() {
    SetWindowSize(mnumedium, 9445, 10985);
}
void frmDebugMain::mnubig_Click() {
    SetWindowSize(mnubig, 10645, 12445);
}

void frmDebugMain::mnugrid_Click() {
    if (mnugrid->isChecked()) {
        mnugrid->setChecked(false);
        GridLines = false;
        mnu3d->setEnabled(false);
        mnu3d->setChecked(false);
    } else {
        mnugrid->setChecked(true);
        GridLines = true;
        mnu3d->setEnabled(true);
        mnu3d->setChecked(false);
    }
    wqzChessboard2->UserControl_Paint();
}

void frmDebugMain::mnu3d_Click() {
    mnu3d->setChecked(!mnu3d->isChecked());
    Squares3D = mnu3d->isChecked();
    wqzChessboard2->UserControl_Paint();
}

void frmDebugMain::mnuActionsUndo_Click() {
    wqzChessboard2->UndoLastMove();
    TakeBack(2);
}

void frmDebugMain::mnuitalian_Click() {
    for (const Caption& c : Captions) (this->*c.Item)->setText(QString::fromUtf8(c.Italian));
    mnuitalian->setChecked(true);
    mnueng->setChecked(false);
}

void frmDebugMain::mnueng_Click() {
    for (const Caption& c : Captions) (this->*c.Item)->setText(QString::fromUtf8(c.English));
    mnuitalian->setChecked(false);
    mnueng->setChecked(true);
}

void frmDebugMain::mnumin_Click() {
    showMinimized();
}

void frmDebugMain::mnuHelpAbout_Click() {
    frmAbout::ShowAbout(this);
}

void frmDebugMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ResizeForm(this);
    if (!isMinimized()) AlignBoardFrame();
}

// The board keeps itself square at the larger of the two scales it is given, so the surround and the
// coordinates follow the board as it really stands rather than scaling on their own.
void frmDebugMain::AlignBoardFrame() {
    const QRect b = wqzChessboard2->geometry();
    const double square = b.width() / 8.0;
    const int left = std::max(0, b.x() - 24);  // small windows leave less room left of the board
    auto at = [&](int i) { return static_cast<int>(std::lround(i * square)); };
    for (int i = 1; i <= 8; ++i) {
        riga[i]->setGeometry(std::max(left, b.x() - 21), b.y() + at(8 - i), 20, at(9 - i) - at(8 - i));
        Label[i]->setGeometry(b.x() + at(i - 1), b.bottom() + 3, at(i) - at(i - 1), Label[i]->height());
    }
    Shape3->setGeometry(left, b.y() - 4, b.right() + 7 - left, b.height() + 32);
}

void frmDebugMain::closeEvent(QCloseEvent* event) {
    event->ignore();
    Quit();
}
