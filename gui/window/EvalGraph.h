// SPDX-License-Identifier: GPL-3.0-or-later
// The evaluation graph of a reviewed game: White's winning chances over the moves (the white area is
// White's share), the marked moves as dots in their colour, the position on show as a line. A click picks
// the position under the mouse.
#pragma once
#include <QColor>
#include <QWidget>
#include <vector>

class EvalGraph : public QWidget {
    Q_OBJECT
  public:
    explicit EvalGraph(QWidget* parent = nullptr);

    // White's winning chances (0..100) in the first position and after each move; the mark of the move
    // that led to each position (0 none, 1 inaccuracy, 2 mistake, 3 blunder; the first position's is 0).
    void SetPoints(std::vector<double> whiteWin, std::vector<int> marks);
    void SetCurrent(int nPly);  // -1: none
    int Points() const { return static_cast<int>(win_.size()); }
    // Where the point of a position is drawn, for clicks (and tests).
    QPointF PointOf(int nPly) const;
    // The colour a mark is drawn in, here and in the move list.
    static QColor MarkColor(int nMark);

  signals:
    void PlyClicked(int nPly);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    std::vector<double> win_;
    std::vector<int> marks_;
    int current_ = -1;
};
