// The game window's faces of the driver: showing the window, the engine's output lines, one pass of window
// events, warnings and the language choice.
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "driver/GuiLink.h"
#include "gui/InstallGameWindow.h"
#include "gui/MessageBox.h"
#include "gui/frmDebugMain.h"
#include "gui/wqzChessboard.h"

namespace {

int AppArgc = 0;

// Qt ends the process when no display can be reached; say so plainly and let the caller decide.
bool DisplayAvailable() {
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* s = std::getenv(v); s && *s) return true;
    return false;
}

// TALVOR_WINDOW_TRACE set: where the board stands on the screen, and every move it plays, on standard
// error, so a script driving the real window with mouse events can find the squares and see the replies.
void Trace(frmDebugMain* form) {
    wqzChessboard* board = form->wqzChessboard2;
    QTimer::singleShot(300, board, [board] {
        const QPoint p = board->mapToGlobal(QPoint(0, 0));
        std::fprintf(stderr, "board at %d %d size %d\n", p.x(), p.y(), board->width());
        std::fflush(stderr);
    });
    QObject::connect(board, &wqzChessboard::PieceMovement, board,
                     [](bool bWhite, const QString& sFrom, const QString& sTo) {
                         std::fprintf(stderr, "board move %s %s%s\n", bWhite ? "white" : "black",
                                      sFrom.toLatin1().constData(), sTo.toLatin1().constData());
                         std::fflush(stderr);
                     });
}

bool Show(int argc, char** argv) {
    if (!DisplayAvailable()) {
        std::fputs("talvor: no display to show the game window on (DISPLAY is not set).\n", stderr);
        return false;
    }
    if (!QApplication::instance()) {
        AppArgc = argc;
        new QApplication(AppArgc, argv);
        QApplication::setApplicationName("TalvorWBE");
        // The main loop is ours: closing a window must not try to end an event loop that is not running.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    auto* form = DebugMain() ? DebugMain() : new frmDebugMain;
    form->Form_Load();
    form->show();
    if (std::getenv("TALVOR_WINDOW_TRACE")) Trace(form);
    return true;
}

void ShowLine(const std::string& sText) {
    if (frmDebugMain* form = DebugMain()) form->ShowLine(sText);
}

// One pass of window events. nWaitMs < 0 sleeps until something happens (a click, a key, a timer), so an
// idle window costs nothing; 0 only takes what is waiting; > 0 waits at most that long.
void Yield(int nWaitMs) {
    if (!QCoreApplication::instance()) return;
    QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
    QTimer wake;
    if (nWaitMs != 0) flags |= QEventLoop::WaitForMoreEvents;
    if (nWaitMs > 0) {
        wake.setSingleShot(true);
        wake.start(nWaitMs);
    }
    QCoreApplication::processEvents(flags);
    // No event loop of ours runs exec(): objects closed with deleteLater go here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Warn(const std::string& sText) {
    ShowMessage(DebugMain(), QString::fromStdString(sText), QString(), QMessageBox::Warning);
}

bool Italian() {
    return DebugMain() && DebugMain()->Italian();
}

}  // namespace

void InstallGameWindow() {
    GameWindow.Show = Show;
    GameWindow.ShowLine = ShowLine;
    GameWindow.Yield = Yield;
    GameWindow.Warn = Warn;
    GameWindow.Italian = Italian;
}
