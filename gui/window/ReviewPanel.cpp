// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/ReviewPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/window/EvalGraph.h"
#include "review/PgnWriter.h"

namespace {

int MarkNumber(Judgement mark) {
    return static_cast<int>(mark);  // None 0, Inaccuracy 1, Mistake 2, Blunder 3
}

const char* const MarkTexts[] = {"", "?!", "?", "??"};

// White's evaluation after a move, as the move list shows it: "+0.35", "-1.20", "#-3", "#" on the mate.
QString EvalCell(const PositionScore& white) {
    if (white.Over != PositionScore::End::None) return QStringLiteral("#");
    const QString text = QString::fromStdString(EvalText(white.Eval));
    return !white.Eval.IsMate() && white.Eval.Value > 0 ? "+" + text : text;
}

template <typename W>
W* Named(W* w, const char* sName) {
    w->setObjectName(sName);
    return w;
}

}  // namespace

ReviewPanel::ReviewPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("pnlReview");
    lblReviewTitle = Named(new QLabel(this), "lblReviewTitle");
    lblReviewTitle->setWordWrap(true);
    QFont bold = lblReviewTitle->font();
    bold.setBold(true);
    lblReviewTitle->setFont(bold);
    lblWhiteSummary = Named(new QLabel(this), "lblWhiteSummary");
    lblBlackSummary = Named(new QLabel(this), "lblBlackSummary");
    for (QLabel* l : {lblWhiteSummary, lblBlackSummary}) l->setWordWrap(true);  // they set no width
    lblReviewState = Named(new QLabel(this), "lblReviewState");
    picGraph = Named(new EvalGraph(this), "picGraph");
    picGraph->setMinimumHeight(110);
    lstReview = Named(new QTreeWidget(this), "lstReview");
    lstReview->setColumnCount(3);
    lstReview->setRootIsDecorated(false);
    lstReview->setUniformRowHeights(true);
    lstReview->header()->setStretchLastSection(false);
    lstReview->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstReview->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lstReview->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    cmdFirst = Named(new QPushButton(QStringLiteral("|<"), this), "cmdFirst");
    cmdBack = Named(new QPushButton(QStringLiteral("<"), this), "cmdBack");
    cmdForward = Named(new QPushButton(QStringLiteral(">"), this), "cmdForward");
    cmdLast = Named(new QPushButton(QStringLiteral(">|"), this), "cmdLast");
    barReview = Named(new QProgressBar(this), "barReview");
    cmdCancelReview = Named(new QPushButton(this), "cmdCancelReview");
    cmdSaveReview = Named(new QPushButton(this), "cmdSaveReview");

    auto* steps = new QHBoxLayout;
    for (QPushButton* b : {cmdFirst, cmdBack, cmdForward, cmdLast}) {
        b->setFocusPolicy(Qt::NoFocus);  // the arrow keys stay with the window
        steps->addWidget(b);
    }
    auto* progress = new QHBoxLayout;
    progress->addWidget(barReview, 1);
    progress->addWidget(cmdCancelReview);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addWidget(lblReviewTitle);
    column->addWidget(lblWhiteSummary);
    column->addWidget(lblBlackSummary);
    column->addWidget(picGraph);
    column->addWidget(lstReview, 1);
    column->addLayout(steps);
    column->addWidget(lblReviewState);
    column->addLayout(progress);
    column->addWidget(cmdSaveReview);

    connect(cmdFirst, &QPushButton::clicked, this, [this] { emit StepClicked(-2); });
    connect(cmdBack, &QPushButton::clicked, this, [this] { emit StepClicked(-1); });
    connect(cmdForward, &QPushButton::clicked, this, [this] { emit StepClicked(1); });
    connect(cmdLast, &QPushButton::clicked, this, [this] { emit StepClicked(2); });
    connect(cmdCancelReview, &QPushButton::clicked, this, &ReviewPanel::CancelClicked);
    connect(cmdSaveReview, &QPushButton::clicked, this, &ReviewPanel::SaveClicked);
    connect(picGraph, &EvalGraph::PlyClicked, this, &ReviewPanel::PlyChosen);
    connect(lstReview, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!setting_ && item) emit PlyChosen(lstReview->indexOfTopLevelItem(item) + 1);
    });
    ShowGame(QString(), {}, nullptr);
}

void ReviewPanel::ShowGame(const QString& sTitle, const QStringList& moves, const GameReview* review) {
    title_ = sTitle;
    moves_ = moves;
    review_ = review ? std::optional<GameReview>(*review) : std::nullopt;
    stopped_ = 0;
    setting_ = true;
    lstReview->clear();
    std::vector<double> win;
    std::vector<int> marks{0};
    for (int i = 0; i < moves.size(); ++i) {
        auto* row = new QTreeWidgetItem(lstReview, {moves[i], QString(), QString()});
        if (!review_ || static_cast<size_t>(i) >= review_->Moves.size()) continue;
        const MoveReview& m = review_->Moves[static_cast<size_t>(i)];
        const int mark = MarkNumber(m.Judged.Mark);
        row->setText(1, QString::fromLatin1(MarkTexts[mark]));
        row->setForeground(1, EvalGraph::MarkColor(mark));
        QFont font = row->font(1);
        font.setBold(true);
        row->setFont(1, font);
        row->setText(2, EvalCell(review_->Positions[static_cast<size_t>(i) + 1].White));
        marks.push_back(mark);
    }
    if (review_)
        for (const PositionReview& p : review_->Positions) win.push_back(WinPercent(p.White));
    picGraph->SetPoints(win, marks);
    picGraph->setVisible(review_.has_value());
    barReview->hide();
    cmdCancelReview->hide();
    setting_ = false;
    Retranslate();
}

void ReviewPanel::ShowProgress(int nDone, int nTotal) {
    barReview->setRange(0, std::max(1, nTotal));
    barReview->setValue(nDone);
    barReview->show();
    cmdCancelReview->show();
    stopped_ = 0;
    Retranslate();
}

void ReviewPanel::ShowStopped(bool bCancelled) {
    barReview->hide();
    cmdCancelReview->hide();
    stopped_ = bCancelled ? 1 : 2;
    Retranslate();
}

void ReviewPanel::SetCurrent(int nPly) {
    setting_ = true;
    QTreeWidgetItem* row = nPly > 0 ? lstReview->topLevelItem(nPly - 1) : nullptr;
    lstReview->setCurrentItem(row);
    if (row)
        lstReview->scrollToItem(row);
    else
        lstReview->clearSelection();
    picGraph->SetCurrent(nPly);
    setting_ = false;
}

void ReviewPanel::SetItalian(bool bItalian) {
    italian_ = bItalian;
    Retranslate();
}

QString ReviewPanel::SummaryText(bool bWhite) const {
    const SideSummary& s = bWhite ? review_->White : review_->Black;
    QString text = QStringLiteral("<b>%1</b>")
                       .arg(italian_ ? (bWhite ? "Bianco" : "Nero") : (bWhite ? "White" : "Black"));
    if (s.Accuracy)
        text +=
            QStringLiteral(" %1 %2%").arg(italian_ ? "precisione" : "accuracy").arg(*s.Accuracy, 0, 'f', 1);
    const int counts[] = {0, s.Inaccuracies, s.Mistakes, s.Blunders};
    for (int mark = 1; mark <= 3; ++mark)
        text += QStringLiteral(" &nbsp;<span style=\"color:%1\"><b>%2</b></span> %3")
                    .arg(EvalGraph::MarkColor(mark).name(), QString::fromLatin1(MarkTexts[mark]))
                    .arg(counts[mark]);
    return text +
           QStringLiteral(" &nbsp;%1 %2").arg(italian_ ? "perdita media" : "average loss").arg(s.AverageLoss);
}

void ReviewPanel::Retranslate() {
    const bool it = italian_;
    lblReviewTitle->setText(title_);
    lstReview->setHeaderLabels({it ? QStringLiteral("Mossa") : QStringLiteral("Move"), QString(),
                                it ? QStringLiteral("Valutazione") : QStringLiteral("Eval")});
    lblWhiteSummary->setVisible(review_.has_value());
    lblBlackSummary->setVisible(review_.has_value());
    if (review_) {
        lblWhiteSummary->setText(SummaryText(true));
        lblBlackSummary->setText(SummaryText(false));
    }
    for (int i = 0; review_ && i < lstReview->topLevelItemCount(); ++i)
        if (static_cast<size_t>(i) < review_->Moves.size() && review_->Moves[static_cast<size_t>(i)].Book)
            lstReview->topLevelItem(i)->setText(1, it ? QStringLiteral("libro") : QStringLiteral("book"));
    cmdFirst->setToolTip(it ? QStringLiteral("Inizio (Home)") : QStringLiteral("First (Home)"));
    cmdBack->setToolTip(it ? QStringLiteral("Indietro (freccia a sinistra)")
                           : QStringLiteral("Back (Left arrow)"));
    cmdForward->setToolTip(it ? QStringLiteral("Avanti (freccia a destra)")
                              : QStringLiteral("Forward (Right arrow)"));
    cmdLast->setToolTip(it ? QStringLiteral("Fine (End)") : QStringLiteral("Last (End)"));
    cmdCancelReview->setText(it ? QStringLiteral("Annulla") : QStringLiteral("Cancel"));
    cmdSaveReview->setText(it ? QStringLiteral("Salva PGN commentato...")
                              : QStringLiteral("Save annotated PGN..."));
    cmdSaveReview->setEnabled(review_.has_value());
    QString state;
    if (barReview->isVisibleTo(this))
        state = it ? QStringLiteral("Revisione in corso: %1 posizioni su %2")
                   : QStringLiteral("Reviewing: %1 of %2 positions");
    if (!state.isEmpty()) state = state.arg(barReview->value()).arg(barReview->maximum());
    if (stopped_ == 1)
        state = it ? QStringLiteral("Revisione annullata") : QStringLiteral("Review cancelled");
    if (stopped_ == 2)
        state = it ? QStringLiteral("La partita non si pu\u00F2 rivedere")
                   : QStringLiteral("The game cannot be reviewed");
    lblReviewState->setText(state);
    lblReviewState->setVisible(!state.isEmpty());
}
