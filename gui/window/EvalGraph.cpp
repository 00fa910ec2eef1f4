// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/EvalGraph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {
constexpr int Inset = 4;  // room for the dots at the edges
}

EvalGraph::EvalGraph(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(80);
    setCursor(Qt::PointingHandCursor);
}

QColor EvalGraph::MarkColor(int nMark) {
    switch (nMark) {
        case 1:
            return QColor(86, 180, 233);  // inaccuracy: blue
        case 2:
            return QColor(230, 159, 0);  // mistake: orange
        case 3:
            return QColor(223, 83, 83);  // blunder: red
        default:
            return QColor(128, 128, 128);
    }
}

void EvalGraph::SetPoints(std::vector<double> whiteWin, std::vector<int> marks) {
    win_ = std::move(whiteWin);
    marks_ = std::move(marks);
    marks_.resize(win_.size());
    current_ = std::min(current_, Points() - 1);
    update();
}

void EvalGraph::SetCurrent(int nPly) {
    current_ = nPly;
    update();
}

QPointF EvalGraph::PointOf(int nPly) const {
    const double w = width() - 2 * Inset, h = height() - 2 * Inset;
    const double x = Points() > 1 ? Inset + w * nPly / (Points() - 1) : width() / 2.0;
    const double y = Inset + h * (1 - win_.at(static_cast<size_t>(nPly)) / 100);
    return QPointF(x, y);
}

void EvalGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(48, 48, 48));  // Black's share
    p.setRenderHint(QPainter::Antialiasing);
    if (win_.empty()) return;
    QPainterPath white;
    white.moveTo(Inset, height());
    for (int i = 0; i < Points(); ++i) white.lineTo(PointOf(i));
    white.lineTo(PointOf(Points() - 1).x(), height());
    white.closeSubpath();
    p.fillPath(white, QColor(235, 235, 235));
    p.setPen(QPen(QColor(140, 140, 140), 1, Qt::DashLine));
    p.drawLine(QPointF(0, height() / 2.0), QPointF(width(), height() / 2.0));
    if (current_ >= 0 && current_ < Points()) {
        p.setPen(QPen(QColor(30, 110, 255), 2));
        const double x = PointOf(current_).x();
        p.drawLine(QPointF(x, 0), QPointF(x, height()));
    }
    p.setPen(QPen(Qt::black, 1));
    for (int i = 0; i < Points(); ++i) {
        if (marks_[static_cast<size_t>(i)] == 0) continue;
        p.setBrush(MarkColor(marks_[static_cast<size_t>(i)]));
        p.drawEllipse(PointOf(i), 3.5, 3.5);
    }
}

void EvalGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || win_.empty()) return;
    const double x = event->position().x();
    int nearest = 0;
    for (int i = 1; i < Points(); ++i)
        if (std::abs(PointOf(i).x() - x) < std::abs(PointOf(nearest).x() - x)) nearest = i;
    emit PlyClicked(nearest);
}
