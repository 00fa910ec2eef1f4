// SPDX-License-Identifier: GPL-3.0-or-later
// The two drawn controls the forms need besides Qt's own widgets: a shape (rectangle or circle, filled or
// not) and a line. Colours are 0x00BBGGRR values, geometry of the line in twips of its parent.
#pragma once
#include <QColor>
#include <QWidget>
#include <cstdint>

// 0x00BBGGRR as the forms store colours.
QColor ColorFromBGR(int32_t nColor);
int32_t BGRFromColor(const QColor& c);

class ShapeControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(int FillColor READ FillColor WRITE SetFillColor)
    Q_PROPERTY(int BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(int Shape READ Shape WRITE SetShape)

  public:
    enum { Rectangle = 0, Circle = 3, RoundedRectangle = 4 };
    explicit ShapeControl(QWidget* parent = nullptr);

    int BackColor() const { return m_back; }
    int FillColor() const { return m_fill; }
    int BorderColor() const { return m_border; }
    int Shape() const { return m_shape; }
    void SetBackColor(int c);
    void SetFillColor(int c);
    void SetBorderColor(int c);
    void SetShape(int n);
    // Opaque back colour (drawn under the fill); off by default.
    void SetBackStyleOpaque(bool b);
    // Solid fill with FillColor; off by default.
    void SetFillSolid(bool b);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    int m_back = 0xFFFFFF, m_fill = 0, m_border = 0, m_shape = Rectangle;
    bool m_opaque = false, m_solid = false;
};

// A straight line from (X1, Y1) to (X2, Y2), in twips of the parent; the widget covers its bounding box.
class LineControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int X1 READ X1 WRITE SetX1)
    Q_PROPERTY(int Y1 READ Y1 WRITE SetY1)
    Q_PROPERTY(int X2 READ X2 WRITE SetX2)
    Q_PROPERTY(int Y2 READ Y2 WRITE SetY2)

  public:
    explicit LineControl(QWidget* parent = nullptr);
    int X1() const { return m_x1; }
    int Y1() const { return m_y1; }
    int X2() const { return m_x2; }
    int Y2() const { return m_y2; }
    void SetX1(int v);
    void SetY1(int v);
    void SetX2(int v);
    void SetY2(int v);
    void SetEnds(int x1, int y1, int x2, int y2);
    void SetLineColor(int c);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    void Place();
    int m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0, m_color = 0x808080;
};

#include <QLabel>
#include <QPlainTextEdit>
#include <QString>

// A multi-line text box whose text is kept exactly as assigned (lines joined by CR LF) while it shows the
// lines; Text() and its length are what the window's limits count.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit TextBox(QWidget* parent = nullptr);
    const QString& Text() const { return m_text; }
    void SetText(const QString& sText);
    void ScrollToEnd();

  signals:
    void Change();

  protected:
    // The text as the box shows it.
    virtual QString Shown(const QString& sText) const;
    void ShowAgain();

  private:
    QString m_text;
};

// The game record: one move a line, never wrapped. Black's moves keep the record's indent where the box
// is wide enough and get less where it is not, so that every line fits the box.
class RecordBox : public TextBox {
    Q_OBJECT
  public:
    explicit RecordBox(QWidget* parent = nullptr);
    int Columns() const;  // characters a line of the box holds, room for the scroll bar kept

  protected:
    QString Shown(const QString& sText) const override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int m_columns = 0;
};

// The result of a finished game, shown over the board until it is clicked away or a game starts.
class ResultBanner : public QLabel {
    Q_OBJECT
  public:
    explicit ResultBanner(QWidget* parent = nullptr);
    void Show(const QString& sResult, const QString& sReason);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Compose();
    QString m_result, m_reason;
};
