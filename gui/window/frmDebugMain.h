// SPDX-License-Identifier: GPL-3.0-or-later
// The game window: a person plays the engine, which runs in the same process and thread. Moves on the
// board are typed into the engine's mailbox as protocol text; the engine's lines come back through
// ShowLine. Menus choose the level, the engine's side, languages, colours and sizes.
#pragma once
#include <QDate>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/window/ChessNotation.h"
#include "review/Review.h"

class QAction;
class QDockWidget;
class ReviewPanel;
class ReviewThread;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class ResultBanner;
class ShapeControl;
class TextBox;
class wqzChessboard;

// ---- Module-level state of the game window ----
extern bool EngineOn;        // the engine plays at all (menu Active)
extern bool GuiEngineWhite;  // the engine plays White
extern bool SoundOn;         // beep after each move
extern int MoveNumber;       // White moves made on the board
extern int WhiteHours, WhiteMinutes, WhiteSeconds;
extern int BlackHours, BlackMinutes, BlackSeconds;
extern std::string PromotionLetter;  // letter of the engine's promotion on its way to the board

class frmDebugMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmDebugMain(QWidget* parent = nullptr);
    ~frmDebugMain() override;

    // Design size of the window, pixels (menu bar included).
    static QSize DesignSize();

    // ---- Hooks a test replaces (a real popup, beep or exit would block or end the run) ----
    // Shows a promotion popup menu; its chosen item's handler runs before this returns.
    static std::function<void(QMenu* menu)> PopupMenu;
    static std::function<void()> Beep;
    static std::function<void()> Quit;
    // Asks where to save a file (empty: not at all), starting from sSuggested.
    static std::function<QString(QWidget* parent, const QString& sSuggested)> SaveFileName;
    // Asks for a PGN file to open (empty: none).
    static std::function<QString(QWidget* parent)> OpenFileName;
    // Lets the person pick one of a file's games by their titles: its index, or -1 for none.
    static std::function<int(QWidget* parent, const QStringList& titles)> PickGame;
    // What a review spends on each position.
    static AnalysisBudget ReviewBudget;

    // ---- Engine link ----
    void Form_Load();
    // Assigns a command text to Text2, which feeds it to the engine (even when Text2 already holds it).
    void Feed(const QString& sCommand);
    // SendLine's window face: plays a move line on the board, charges the engine's clock the seconds of
    // its search, shows the line.
    void ShowLine(const std::string& sText, int nSearchSeconds = 0);
    bool Italian() const;

    // ---- Handlers ----
    void cmdFakeInput_Click();
    void cmdMovePiece_Click();
    void Command1_Click();
    void Command2_Click();
    void cmdTestStalemate_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void wqzChessboard2_PieceMovement(bool bWhite, const QString& sFrom, const QString& sTo);
    void wqzChessboard2_KingInCheck(bool bWhite, bool bCheckmate);
    void wqzChessboard2_PawnPromotion(bool bWhite, int& eChoice);
    void wqzChessboard2_Stalemate();
    void wqzChessboard2_MoveUndo(bool bWhite);

    void mnuGameNew_Click();
    void mnuext_Click();
    void mnuEngineWithe_Click();
    void mnuEngineBlack_Click();
    void mnutalvoron_Click();
    void mnutalvoroff_Click();
    void mnuengon_Click();
    void mnuengoff_Click();
    void mnulvl1_Click();
    void mnulvl2_Click();
    void mnulvl3_Click();
    void mnuBoardView_Click();
    void mnuBoardLock_Click();
    void mnuBoardHighlight_Click();
    void mnusound_Click();
    void mnuDGS_Click();
    void mnuwbs_Click();
    void arena_Click();
    void mnumono_Click();
    void mnurw_Click();
    void mnuwood_Click();
    void mnuguirest_Click();
    void mnusmall_Click();
    void mnumedium_Click();
    void mnubig_Click();
    void mnugrid_Click();
    void mnu3d_Click();
    void mnuActionsUndo_Click();
    void mnuitalian_Click();
    void mnueng_Click();
    void mnumin_Click();
    void mnuHelpAbout_Click();
    void mnuCopyPGN_Click();
    void mnuSavePGN_Click();
    void mnuPasteFEN_Click();
    void mnuStrong_Click();
    void mnuStrength_Click(QAction* item);
    void mnuHint_Click();
    void mnuAnalyse_Click();
    bool Analysing() const;

    // ---- Games opened from PGN, stepped through and reviewed ----
    void mnuOpenPGN_Click();
    void mnuReviewGame_Click();
    void mnuSaveReview_Click();
    // Reads a PGN file and puts the game the person picks on the board; false when nothing was opened.
    bool OpenPgnFile(const QString& sPath);
    // Puts a game on the board, as two players would have played it (the engine is switched off).
    void OpenGame(const PgnGame& game);
    // Shows a position of the board's game: 0 its start, n after its n-th move; its last is the game
    // itself, where play goes on. nHow: -2 first, -1 back, 1 forward, 2 last.
    void StepTo(int nPly);
    void Step(int nHow);
    int ShownPly() const;  // the position of the board's game on show
    bool Reviewing() const { return m_reviewing; }
    void CancelReview();
    void EndReviewThread();  // cancels a running review and waits for its thread (the program ends)
    const std::optional<GameReview>& LastReview() const { return m_review; }

    // ---- The game as played on the board, for PGN, and its end ----
    QString GamePgn() const;
    // Sets up a position read from FEN text as a new game; false (and a message) when it is not valid.
    bool SetUpPosition(const QString& sFen);
    // The game is over: the result ("1-0", "0-1", "1/2-1/2") and why, shown over the board. The first
    // result of a game stands.
    enum class GameEnd { None, Checkmate, Stalemate, Repetition, FiftyMoves, Draw, Resignation, Result };
    void EndGame(const QString& sResult, GameEnd eHow);
    const QString& Result() const { return m_result; }

    int PromotionChoice = -1;  // piece kind picked for a pending promotion, -1 when none
    QString PersonPromotion;   // letter of the piece the person just promoted to, sent with the move

    // ---- Controls, under their design names ----
    wqzChessboard* wqzChessboard2;
    QLineEdit* Text2;
    QPushButton* cmdFakeInput;
    QGroupBox* Frame1;
    TextBox* txtIO;
    QLineEdit* txtMovePiece;
    QPushButton* cmdMovePiece;
    TextBox* Text1;
    QLabel *Label12, *Label10, *Label9;
    QTimer *Timer1, *Timer2;
    ShapeControl *Shape1, *Shape2, *Shape3;
    QLabel* riga[9];   // riga1..riga8 (rank labels, riga1 at the bottom); [0] unused
    QLabel* Label[9];  // Label1..Label8 (file labels, Label1 at the left); [0] unused
    QPushButton *Command1, *Command2, *cmdTestStalemate;
    QListWidget *lstWhiteMoves, *lstBlackMoves;

    // ---- Menus: every item by its design name (a menu with items is a QMenu with the same name) ----
    QAction *mnuGame, *mnuGameNew, *mnuext;
    QAction *mnuseparetor1, *mnuside, *mnuEngineWithe, *mnuEngineBlack;
    QAction *mnumot, *mnutalvoron, *mnutalvoroff, *mnuouten, *mnuengon, *mnuengoff;
    QAction *mnuseparetor2, *mnulvl1, *mnulvl2, *mnulvl3;
    QAction *mnuBoard, *mnuBoardView, *mnuBoardLock, *mnuBoardHighlight, *mnusound;
    QAction *mnucolor, *mnuDGS, *mnuwbs, *arena, *mnumono, *mnurw, *mnuwood;
    QAction *mnuguisett, *mnuguirest, *mnusep1, *mnusmall, *mnumedium, *mnubig, *mnusep2, *mnugrid, *mnu3d;
    QAction *mnuActions, *mnuActionsUndo;
    QAction *mnulang, *mnuitalian, *mnueng;
    QAction* mnumin;
    QAction *mnuHelp, *mnuHelpAbout;
    QMenu *mnuWhitePawnPromotion, *mnuBlackPawnPromotion;
    QAction *mnuWQ, *mnuWR, *mnuwb, *mnuWN, *mnuBQ, *mnuBR, *mnuBB, *mnuBN;
    QAction *mnuCopyPGN, *mnuSavePGN, *mnuPasteFEN;
    QAction *mnuStrong, *mnuStrength, *mnuFullStrength, *mnuHint, *mnuAnalyse;
    std::vector<QAction*> mnuElo;  // the strength levels by Elo, lowest first; their data is the Elo
    QAction *mnuOpenPGN, *mnuReviewGame, *mnuSaveReview;
    QAction *actFirst, *actBack, *actForward, *actLast;  // the window's keys: Home, Left, Right, End
    QDockWidget* dockReview = nullptr;
    ReviewPanel* pnlReview = nullptr;
    ResultBanner* lblResult;  // the end of the game, over the board

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildMenus();
    void BuildEngineItems(QMenu* engine);
    void BuildReviewItems(QMenu* game);
    void ShowReviewPanel();
    void RefreshPanel();
    void ChooseReviewedPly(int nPly);
    void ShowBetterMove(int nPly, bool bReviewedGame);
    void ReviewEnded(int nSerial, std::optional<GameReview> review);
    PgnGame BoardGame() const;
    std::vector<std::string> BoardCoordinates() const;
    int ReviewedPliesOnBoard() const;
    void CheckEngineItems();
    QString EngineSyncText() const;
    void StopAnalysis();
    bool ShowAnalysis(const QString& sLine);
    bool ShowHint(const QString& sLine);
    bool MarkHint(const QString& sMove);
    void NoHint(bool bThinking);
    void AppendOutput(const QString& sLine);
    QAction* Item(QMenu* parent, const char* sName, const char* sCaption, void (frmDebugMain::*handler)(),
                  bool bCheckable = true);
    QMenu* SubMenu(QMenu* parent, const char* sName, const char* sCaption, QAction*& item);
    void SetLevel(QAction* level, const char* sCommand, const char* sItalian, const char* sEnglish,
                  int nColor);
    void ApplyScheme(QAction* item, int nDark, int nLight, int nHighlight, int nShape, int nWindow);
    void SetWindowSize(QAction* item, int nHeight, int nWidth);
    void LayOutBoard();
    bool PersonPromotes(bool bWhite) const;
    void StartRecord();
    void NoteMove(bool bWhite, const QString& sFrom, const QString& sTo);
    void NoteTakeBack();
    void NoteEngineLine(const QString& sLine);
    void ShowResult();
    void ClearResult();
    void ResetClocks();
    void StopClocks();
    void RunClockOf(bool bWhite, bool bGameOn);
    void ShowSideToMove(bool bWhite);
    void AppendText1(const QString& sLine);
    void Message(const QString& sText);
    int m_backColor = 0;
    bool m_typing = false;  // Text2 is being changed by the keyboard
    // The game since the board's position was set up: where it began, its moves, its date and end.
    FenPosition m_start;
    std::vector<GameMove> m_moves;
    QDate m_date;
    QString m_result;
    GameEnd m_end = GameEnd::None;
    // Hint: the ping that follows the engine's hint (0: none asked), and whether the hint came first.
    int m_hintPing = 0;
    bool m_hintCame = false;
    QString m_analysisMove;  // the first move of the latest analysis line, coordinate text
    // The game opened from a file (its tags and comments), while the board's game is still that game.
    std::optional<PgnGame> m_opened;
    bool m_loading = false;    // a game is being put on the board: no messages, sounds or engine
    QString m_loadPromotion;   // the piece letter of the move being put on the board
    int m_shownPly = -1;       // the board's game's position on show; -1: the game's own
    int m_reviewedShown = -1;  // the reviewed game's position on show, when it is not the board's game
    std::unique_ptr<ReviewThread> m_reviewer;
    PgnGame m_reviewed;                  // the game of the review shown or running
    std::optional<GameReview> m_review;  // its review, once done
    int m_reviewSerial = 0;              // the latest review asked for: earlier ones' news is dropped
    bool m_reviewing = false, m_reviewCancelled = false;
    int m_dockWidth = 0;  // what showing the panel added to the window's width
};

// The one game window (null until it is created).
frmDebugMain* DebugMain();
// Hours, minutes and seconds joined by ":", plain decimal (0:5:7).
QString ClockText(int nHours, int nMinutes, int nSeconds);
