// SPDX-License-Identifier: GPL-3.0-or-later
// The panel beside the board for a game opened or reviewed: its title, each side's accuracy and marks, the
// evaluation graph, the moves with their marks and evaluations, buttons to step through the game, the
// review's progress with Cancel, and Save annotated PGN. It shows; the window decides.
#pragma once
#include <QStringList>
#include <QWidget>
#include <optional>

#include "review/Review.h"

class EvalGraph;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

class ReviewPanel : public QWidget {
    Q_OBJECT
  public:
    explicit ReviewPanel(QWidget* parent = nullptr);

    // The game's moves, numbered ("1. e4", "1... e5"), and its review if it has one.
    void ShowGame(const QString& sTitle, const QStringList& moves, const GameReview* review);
    void ShowProgress(int nDone, int nTotal);  // a review is running
    void ShowStopped(bool bCancelled);         // it ended without a review: cancelled, or failed
    // The position on show: 0 the first, n after the n-th move; the row of its move is selected.
    void SetCurrent(int nPly);
    void SetItalian(bool bItalian);
    bool HasReview() const { return review_.has_value(); }

    // ---- Controls, by name ----
    QLabel *lblReviewTitle, *lblWhiteSummary, *lblBlackSummary, *lblReviewState;
    EvalGraph* picGraph;
    QTreeWidget* lstReview;
    QPushButton *cmdFirst, *cmdBack, *cmdForward, *cmdLast;
    QProgressBar* barReview;
    QPushButton *cmdCancelReview, *cmdSaveReview;

  signals:
    void PlyChosen(int nPly);    // a move clicked in the list or a point of the graph
    void StepClicked(int nHow);  // -2 first, -1 back, 1 forward, 2 last
    void CancelClicked();
    void SaveClicked();

  private:
    void Retranslate();
    QString SummaryText(bool bWhite) const;
    bool italian_ = false;
    bool setting_ = false;  // the window sets the row: no PlyChosen back
    QString title_;
    QStringList moves_;
    std::optional<GameReview> review_;
    int stopped_ = 0;  // 1 cancelled, 2 failed, 0 neither
};
