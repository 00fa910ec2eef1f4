// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/frmDebugMainControls.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

QColor ColorFromBGR(int32_t nColor) {
    return QColor(nColor & 0xFF, (nColor >> 8) & 0xFF, (nColor >> 16) & 0xFF);
}

int32_t BGRFromColor(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

ShapeControl::ShapeControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeControl::SetBackColor(int c) {
    m_back = c;
    update();
}
void ShapeControl::SetFillColor(int c) {
    m_fill = c;
    update();
}
void ShapeControl::SetBorderColor(int c) {
    m_border = c;
    update();
}
void ShapeControl::SetShape(int n) {
    m_shape = n;
    update();
}
void ShapeControl::SetBackStyleOpaque(bool b) {
    m_opaque = b;
    update();
}
void ShapeControl::SetFillSolid(bool b) {
    m_solid = b;
    update();
}

void ShapeControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_shape != Rectangle);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPen pen(ColorFromBGR(m_border));
    pen.setWidth(1);
    auto draw = [&](const QBrush& brush) {
        p.setBrush(brush);
        if (m_shape == Circle) {
            const double d = std::min(r.width(), r.height());
            p.drawEllipse(QRectF(r.center().x() - d / 2, r.center().y() - d / 2, d, d));
        } else if (m_shape == RoundedRectangle) {
            p.drawRoundedRect(r, 6, 6);
        } else {
            p.drawRect(r);
        }
    };
    p.setPen(Qt::NoPen);
    if (m_opaque) draw(ColorFromBGR(m_back));
    p.setPen(pen);
    draw(m_solid ? QBrush(ColorFromBGR(m_fill)) : QBrush(Qt::NoBrush));
}

LineControl::LineControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineControl::SetX1(int v) {
    m_x1 = v;
    Place();
}
void LineControl::SetY1(int v) {
    m_y1 = v;
    Place();
}
void LineControl::SetX2(int v) {
    m_x2 = v;
    Place();
}
void LineControl::SetY2(int v) {
    m_y2 = v;
    Place();
}
void LineControl::SetEnds(int x1, int y1, int x2, int y2) {
    m_x1 = x1, m_y1 = y1, m_x2 = x2, m_y2 = y2;
    Place();
}
void LineControl::SetLineColor(int c) {
    m_color = c;
    update();
}

// The widget spans the line's bounding box plus one pixel, so the line is visible even when flat.
void LineControl::Place() {
    const int x1 = static_cast<int>(std::lround(m_x1 / 15.0)),
              y1 = static_cast<int>(std::lround(m_y1 / 15.0));
    const int x2 = static_cast<int>(std::lround(m_x2 / 15.0)),
              y2 = static_cast<int>(std::lround(m_y2 / 15.0));
    setGeometry(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1);
    update();
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(ColorFromBGR(m_color));
    const bool down = (m_x2 - m_x1) * (m_y2 - m_y1) >= 0;
    if (down)
        p.drawLine(0, 0, width() - 1, height() - 1);
    else
        p.drawLine(0, height() - 1, width() - 1, 0);
}

#include <QScrollBar>
#include <QStyle>
#include <QTextCursor>

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
}

QString TextBox::Shown(const QString& sText) const {
    QString shown = sText;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void TextBox::SetText(const QString& sText) {
    if (sText == m_text) return;
    m_text = sText;
    setPlainText(Shown(sText));
    emit Change();
}

void TextBox::ShowAgain() {
    setPlainText(Shown(m_text));
    ScrollToEnd();
}

void TextBox::ScrollToEnd() {
    QTextCursor c = textCursor();
    c.movePosition(QTextCursor::End);
    setTextCursor(c);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

RecordBox::RecordBox(QWidget* parent) : TextBox(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

// Counted as if the scroll bar were there: its coming and going must not change how lines look.
int RecordBox::Columns() const {
    const int room = width() - 2 * frameWidth() -
                     style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) -
                     2 * static_cast<int>(std::ceil(document()->documentMargin())) - cursorWidth() - 1;
    return std::max(1, room / std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0'))));
}

QString RecordBox::Shown(const QString& sText) const {
    QStringList lines = TextBox::Shown(sText).split(QLatin1Char('\n'));
    const int columns = Columns();
    for (QString& line : lines) {
        int blanks = 0;
        while (blanks < line.size() && line[blanks] == QLatin1Char(' ')) ++blanks;
        const int keep = std::clamp(columns - static_cast<int>(line.size() - blanks), 1, std::max(1, blanks));
        if (blanks > keep) line.remove(0, blanks - keep);
    }
    return lines.join(QLatin1Char('\n'));
}

void RecordBox::resizeEvent(QResizeEvent* event) {
    TextBox::resizeEvent(event);
    if (Columns() == m_columns) return;
    m_columns = Columns();
    ShowAgain();
}

#include <QMouseEvent>

ResultBanner::ResultBanner(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setTextFormat(Qt::RichText);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);
    setCursor(Qt::PointingHandCursor);
    hide();
}

void ResultBanner::Show(const QString& sResult, const QString& sReason) {
    m_result = sResult;
    m_reason = sReason;
    Compose();
    raise();
    show();
}

// The result large, the reason below it; both follow the banner's size.
void ResultBanner::Compose() {
    const int big = std::max(12, height() * 2 / 5), small = std::max(9, height() / 5);
    setText(QStringLiteral("<div style='font-size:%1px; font-weight:bold'>%2</div>"
                           "<div style='font-size:%3px'>%4</div>")
                .arg(big)
                .arg(m_result.toHtmlEscaped())
                .arg(small)
                .arg(m_reason.toHtmlEscaped()));
}

void ResultBanner::mousePressEvent(QMouseEvent*) {
    hide();
}

void ResultBanner::paintEvent(QPaintEvent* event) {
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 185));
        p.drawRoundedRect(QRectF(rect()), 8, 8);
    }
    QLabel::paintEvent(event);
}

void ResultBanner::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Compose();
}
