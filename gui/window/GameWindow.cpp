// SPDX-License-Identifier: GPL-3.0-or-later
// The game window's faces of the driver: showing the window, the engine's output lines, calls posted to
// the window's thread, its event loop, the board kept still while the engine thinks, warnings and the
// language choice.
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

#include "driver/GuiLink.h"
#include "gui/chessboard/wqzChessboard.h"
#include "gui/forms/MessageBox.h"
#include "gui/window/InstallGameWindow.h"
#include "gui/window/frmDebugMain.h"

namespace {

int AppArgc = 0;

// A call to run on the window's thread.
class PostedCall : public QEvent {
  public:
    static QEvent::Type Kind() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    explicit PostedCall(std::function<void()> f) : QEvent(Kind()), Call(std::move(f)) {}
    std::function<void()> Call;
};

// Receives the posted calls; lives on the window's thread.
class CallReceiver : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() != PostedCall::Kind()) return QObject::event(e);
        static_cast<PostedCall*>(e)->Call();
        return true;
    }
};
CallReceiver* Receiver = nullptr;

// Made on the thread that runs the window, once the application is there, so the calls posted to it
// run on that thread.
void MakeReceiver() {
    if (!Receiver && QCoreApplication::instance()) Receiver = new CallReceiver;
}

// Qt ends the process when no display can be reached; say so plainly and let the caller decide.
bool DisplayAvailable() {
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* s = std::getenv(v); s && *s) return true;
    return false;
}

void TraceLine(const QString& sLine) {
    std::fprintf(stderr, "%s\n", sLine.toLatin1().constData());
    std::fflush(stderr);
}

// Paints of the board's corner square at a new size, and menus opened, for the trace.
class TraceFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            auto* w = static_cast<QWidget*>(o);
            if (w->size() != painted_) TraceLine(QString("square painted %1").arg(w->width()));
            painted_ = w->size();
        } else if (e->type() == QEvent::Show && qobject_cast<QMenu*>(o)) {
            TraceLine("menu shown " + o->objectName());
        }
        return false;
    }

  private:
    QSize painted_;
};

// TALVOR_WINDOW_TRACE set: where the board, the command box and the menu titles stand on the screen,
// every move the board plays, each paint of a square at a new size and each menu opened, on standard
// error, so a script driving the real window with mouse events can find its way and see the replies.
void Trace(frmDebugMain* form) {
    wqzChessboard* board = form->wqzChessboard2;
    QTimer::singleShot(300, board, [form, board] {
        const QPoint p = board->mapToGlobal(QPoint(0, 0));
        TraceLine(QString("board at %1 %2 size %3").arg(p.x()).arg(p.y()).arg(board->width()));
        const QPoint t = form->Text2->mapToGlobal(form->Text2->rect().center());
        TraceLine(QString("command box at %1 %2").arg(t.x()).arg(t.y()));
        for (QAction* a : form->menuBar()->actions()) {
            const QRect r = form->menuBar()->actionGeometry(a);
            const QPoint c = form->menuBar()->mapToGlobal(r.center());
            TraceLine(QString("menu %1 at %2 %3").arg(a->objectName()).arg(c.x()).arg(c.y()));
        }
    });
    QObject::connect(board, &wqzChessboard::PieceMovement, board,
                     [](bool bWhite, const QString& sFrom, const QString& sTo) {
                         TraceLine(QString("board move %1 %2%3").arg(bWhite ? "white" : "black", sFrom, sTo));
                     });
    auto* filter = new TraceFilter(form);
    if (QWidget* a8 = board->findChild<QWidget*>("picSquare1")) a8->installEventFilter(filter);
    for (QMenu* m : form->findChildren<QMenu*>()) m->installEventFilter(filter);
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
        // Closing the window ends the program through its own handler, not by ending the event loop.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    MakeReceiver();
    auto* form = DebugMain() ? DebugMain() : new frmDebugMain;
    form->Form_Load();
    form->show();
    if (std::getenv("TALVOR_WINDOW_TRACE")) Trace(form);
    return true;
}

void ShowLine(const std::string& sText, int nSearchSeconds) {
    if (frmDebugMain* form = DebugMain()) form->ShowLine(sText, nSearchSeconds);
}

void Post(std::function<void()> f, bool bUrgent) {
    if (!Receiver) return;  // no window yet: nothing runs on its thread
    QCoreApplication::postEvent(Receiver, new PostedCall(std::move(f)),
                                bUrgent ? Qt::HighEventPriority : Qt::NormalEventPriority);
}

void Run() {
    QApplication::exec();
}

// While the engine thinks the person cannot move: the side to move on the board is the engine's. Analysis
// is the exception: a move on the board starts it again on the new position.
void Thinking(bool bThinking) {
    static bool lockedBefore = false;
    frmDebugMain* form = DebugMain();
    if (!form) return;
    wqzChessboard* board = form->wqzChessboard2;
    if (bThinking) lockedBefore = board->Locked();
    board->SetLocked((bThinking && !form->Analysing()) || lockedBefore);
}

void Warn(const std::string& sText) {
    ShowMessage(DebugMain(), QString::fromStdString(sText), QString(), QMessageBox::Warning);
}

bool Italian() {
    return DebugMain() && DebugMain()->Italian();
}

}  // namespace

void InstallGameWindow() {
    MakeReceiver();
    GameWindow.Show = Show;
    GameWindow.ShowLine = ShowLine;
    GameWindow.Post = Post;
    GameWindow.Run = Run;
    GameWindow.Thinking = Thinking;
    GameWindow.Warn = Warn;
    GameWindow.Italian = Italian;
}
