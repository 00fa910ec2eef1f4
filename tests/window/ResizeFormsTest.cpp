// SPDX-License-Identifier: GPL-3.0-or-later
// The form resizing service against small forms built for the purpose.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "gui/window/Resize_forms.h"
#include "gui/window/frmDebugMainControls.h"

// A button whose geometry lives in twips as properties, for values that are no whole pixel.
class TwipButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(int Left MEMBER Left)
    Q_PROPERTY(int Top MEMBER Top)
    Q_PROPERTY(int Width MEMBER Width)
  public:
    explicit TwipButton(int nLeft, int nIndex = 0) : Left(nLeft) { setProperty("Index", nIndex); }
    int Left, Top = 1000, Width = 1000;
};

namespace {

// A top-level form of 600 x 400 pixels (9000 x 6000 twips); each test gets its own name, because the
// service keeps every form it has met for the whole run.
struct TestForm {
    QWidget form;
    explicit TestForm(const char* sName) { form.setObjectName(sName), form.resize(600, 400); }
    template <typename W>
    W* Add(W* w, const char* sName, QRect pixels = {}) {
        w->setParent(&form), w->setObjectName(sName), w->setGeometry(pixels);
        return w;
    }
    void ResizeTo(int nWidth, int nHeight) { form.resize(nWidth, nHeight), ResizeForm(&form); }
};

// Positions and widths scale by a whole percent, truncated; a control parked far left stays far left at
// the scaled distance; members of a control array keep their own records.
TEST(ResizeForms, WidthScalesByTruncatedPercent) {
    TestForm f("frmScale");
    auto* b = f.Add(new TwipButton(1000), "cmdTwips");
    auto* hidden = f.Add(new TwipButton(-74400), "cmdHidden");  // 600 twips into the far-left park
    auto* second = f.Add(new TwipButton(1510, 1), "cmdTwips");  // 996.6 at 66 %: truncated, not rounded
    auto* button = f.Add(new QPushButton("OK"), "cmdOK", {40, 20, 80, 25});
    ResizeForm(&f.form);  // first call: the 100 % reference
    const struct {
        int FormWidth, Percent, Left, HiddenLeft, SecondLeft;
    } cases[] = {{900, 150, 1500, -74100, 2265}, {400, 66, 660, -74604, 996}, {600, 100, 1000, -74400, 1510}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.FormWidth);
        f.ResizeTo(c.FormWidth, 400);
        EXPECT_EQ(ScaleXPercent(&f.form), c.Percent);
        EXPECT_EQ(ScaleYPercent(&f.form), 100.0f);
        EXPECT_EQ(b->Left, c.Left);
        EXPECT_EQ(b->Width, c.Left);
        EXPECT_EQ(b->Top, 1000);
        EXPECT_EQ(hidden->Left, c.HiddenLeft);
        EXPECT_EQ(second->Left, c.SecondLeft);
        EXPECT_EQ(button->height(), 25);  // buttons keep their height
    }
}

TEST(ResizeForms, KindsTagsAndLinesDecideWhatScales) {
    TestForm f("frmKinds");
    auto* fixed = f.Add(new QPushButton("N"), "cmdFixed", {10, 10, 60, 20});
    fixed->setProperty("Tag", "Resize=N and more");
    auto* mtag = f.Add(new QPushButton("M"), "cmdM", {10, 40, 60, 20});
    mtag->setProperty("Tag", "Resize=M");
    auto* list = f.Add(new QListWidget, "lstMoves", {100, 100, 80, 60});
    list->setProperty("IntegralHeight", true);
    auto* text = f.Add(new QLineEdit, "txtBox", {200, 100, 100, 30});
    auto* label = f.Add(new QLabel("L"), "lblText", {200, 200, 100, 30});
    auto* shape = f.Add(new ShapeControl, "Shape1", {300, 300, 40, 40});
    auto* line = f.Add(new LineControl, "Line1");
    line->SetEnds(600, 300, 3000, 900);
    auto* timer = new QTimer(&f.form);
    timer->setObjectName("Timer1");
    ResizeForm(&f.form);
    EXPECT_FALSE(list->property("IntegralHeight").toBool());
    EXPECT_GE(FindControl(timer, "frmKinds"), 0);  // registered, though it has no place

    for (QSize s : {QSize(1200, 200), QSize(300, 800), QSize(600, 400)}) {
        SCOPED_TRACE(s.width());
        f.ResizeTo(s.width(), s.height());
        const double kx = s.width() / 600.0, ky = s.height() / 400.0;
        auto at = [&](int x, int y, int w, int h) { return QRect(qRound(x * kx), qRound(y * ky), w, h); };
        EXPECT_EQ(fixed->geometry(), QRect(10, 10, 60, 20));
        EXPECT_EQ(mtag->geometry(), at(10, 40, qRound(60 * kx), 20));
        EXPECT_EQ(list->geometry(), at(100, 100, 80, 60));
        EXPECT_EQ(text->geometry(), at(200, 100, qRound(100 * kx), qRound(30 * ky)));
        EXPECT_EQ(label->geometry(), at(200, 200, qRound(100 * kx), 30));
        EXPECT_EQ(shape->geometry(), at(300, 300, qRound(40 * kx), qRound(40 * ky)));
        EXPECT_EQ(QRect(line->X1(), line->Y1(), line->X2(), line->Y2()),
                  QRect(qRound(600 * kx), qRound(300 * ky), qRound(3000 * kx), qRound(900 * ky)));
    }
}

// Restore goes back to the reference size and places; a form met but never sized, a reentrant call and an
// empty reference do no harm.
TEST(ResizeForms, RestoreReentryAndEmptyReference) {
    TestForm f("frmRestore");
    auto* button = f.Add(new QPushButton("OK"), "cmdOK", {40, 20, 80, 25});
    RestoreFormSize(&f.form);  // never resized: nothing happens
    EXPECT_LT(FindForm(&f.form), 0);
    EXPECT_EQ(f.form.size(), QSize(600, 400));

    ResizeForm(&f.form);
    const int forms = ResizeFormCount, controls = ResizeControlCount;
    f.ResizeTo(900, 600);
    EXPECT_TRUE(ResizeFormCount == forms && ResizeControlCount == controls);  // registered once
    EXPECT_EQ(button->geometry(), QRect(60, 30, 120, 25));
    ResizeBusy = true;
    f.ResizeTo(1200, 800);
    EXPECT_EQ(button->geometry(), QRect(60, 30, 120, 25));
    ResizeBusy = false;

    RestoreFormSize(&f.form);
    ResizeForm(&f.form);  // what the restore's own resize event does in a window
    EXPECT_EQ(f.form.size(), QSize(600, 400));
    EXPECT_EQ(button->geometry(), QRect(40, 20, 80, 25));
    EXPECT_FALSE(ResizeBusy);

    TestForm empty("frmEmpty");
    empty.form.resize(0, 0);
    EXPECT_EQ(ScaleXPercent(&empty.form), 100);
    EXPECT_EQ(ScaleYPercent(&empty.form), 100.0f);
}

}  // namespace

#include "ResizeFormsTest.moc"
