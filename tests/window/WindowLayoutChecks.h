// What the game window's layout must be at any size, as a list of faults (empty when all is well).
#pragma once
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "gui/chessboard/wqzChessboard.h"
#include "gui/window/frmDebugMain.h"
#include "gui/window/frmDebugMainControls.h"

// The board is square, in whole pixels a square and at least 32 of them; every control shown lies inside the
// window and meets no other (the board's surround holds the board and its coordinates, the result banner
// lies over the board); and the board is as large as the room allows: the design leaves 38 pixels beside
// and below the board's column, and at any size one of the two is within a square's growth of that.
inline std::vector<std::string> LayoutFaults(frmDebugMain& w) {
    std::vector<std::string> faults;
    const auto name = [](QWidget* c) { return c->objectName().toStdString(); };
    QWidget* client = w.centralWidget();
    const QRect b = w.wqzChessboard2->geometry();
    if (b.width() != b.height() || b.width() % 8 || b.width() < 8 * wqzChessboard::PieceSize)
        faults.push_back("board " + std::to_string(b.width()) + "x" + std::to_string(b.height()));
    std::vector<QWidget*> shown;
    for (QObject* o : client->children())
        if (auto* c = qobject_cast<QWidget*>(o); c && !c->objectName().isEmpty() && c->isVisibleTo(&w))
            shown.push_back(c);
    for (QWidget* c : shown) {
        if (!client->rect().contains(c->geometry())) faults.push_back(name(c) + " outside the window");
        for (QWidget* p : shown)
            if (c < p && c != w.Shape3 && p != w.Shape3 && c != w.lblResult && p != w.lblResult &&
                c->geometry().intersects(p->geometry()))
                faults.push_back(name(c) + " meets " + name(p));
    }
    const QRect frame = w.Shape3->geometry();
    const int besides = w.Text1->x() - frame.width(),
              below = client->height() - (w.Label10->geometry().bottom() + 1 - frame.y());
    if (std::min(besides, below) - 38 >= 8)
        faults.push_back("board " + std::to_string(b.width()) + " leaves room: " + std::to_string(besides) +
                         " beside, " + std::to_string(below) + " below");
    return faults;
}
