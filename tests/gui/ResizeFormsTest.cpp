// The form resizing service against small forms built for the purpose.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "gui/Resize_forms.h"
#include "gui/frmDebugMainControls.h"

// A button whose geometry lives in twips as properties, for values that are no whole pixel.
class TwipButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(int Left MEMBER Left)
    Q_PROPERTY(int Top MEMBER Top)
    Q_PROPERTY(int Width MEMBER Width)
    Q_PROPERTY(int Height MEMBER Height)
  public:
    using QPushButton::QPushButton;
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

namespace {

// A top-level form of 600 x 400 pixels (9000 x 6000 twips); each test gets its own name, because the
// service keeps every form it has met for the whole run.
struct TestForm {
    QWidget form;
    explicit TestForm(const char* sName) {
        form.setObjectName(sName);
        form.resize(600, 400);
    }
    template <typename W>
    W* Add(W* w, const char* sName, QRect pixels) {
        w->setParent(&form);
        w->setObjectName(sName);
        w->setGeometry(pixels);
        return w;
    }
    void ResizeTo(int nWidth, int nHeight) {
        form.resize(nWidth, nHeight);
        ResizeForm(&form);
    }
};

TEST(ResizeForms, WideningScalesPositionAndWidthButNotButtonHeight) {
    TestForm f("frmWiden");
    auto* button = f.Add(new QPushButton("OK"), "cmdOK", {40, 20, 80, 25});  // Left 600, Width 1200
    ResizeForm(&f.form);  // first call: the 100 % reference
    f.ResizeTo(900, 400);
    EXPECT_EQ(ScaleXPercent(&f.form), 150);
    EXPECT_EQ(ScaleYPercent(&f.form), 100.0f);
    EXPECT_EQ(GetTwips(button, "Left"), 900);
    EXPECT_EQ(GetTwips(button, "Width"), 1800);
    EXPECT_EQ(button->height(), 25);
}

TEST(ResizeForms, ShrinkingTruncatesPercentAndPositions) {
    TestForm f("frmShrink");
    auto* b = f.Add(new TwipButton("B"), "cmdTwips", {});
    b->Left = 1000, b->Top = 1000, b->Width = 1000, b->Height = 300;
    ResizeForm(&f.form);
    f.ResizeTo(400, 400);  // 6000 of 9000 twips: 66.66 %
    EXPECT_EQ(ScaleXPercent(&f.form), 66);
    EXPECT_EQ(b->Left, 660);
    EXPECT_EQ(b->Width, 660);
    EXPECT_EQ(b->Top, 1000);
    EXPECT_EQ(b->Height, 300);
}

TEST(ResizeForms, FarLeftControlStaysFarLeftAtScaledDistance) {
    TestForm f("frmFarLeft");
    auto* hidden = f.Add(new QPushButton("X"), "cmdHidden", {-4960, 10, 50, 20});  // Left -74400
    ResizeForm(&f.form);
    const int i = FindControl(hidden, "frmFarLeft");
    ASSERT_GE(i, 0);
    EXPECT_EQ(ResizeControls[i].Left, 600);
    f.ResizeTo(900, 400);
    EXPECT_EQ(GetTwips(hidden, "Left"), -74100);
}

TEST(ResizeForms, KindsAndTagsDecideWhatScales) {
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
    auto* timer = new QTimer(&f.form);
    timer->setObjectName("Timer1");
    ResizeForm(&f.form);
    EXPECT_FALSE(list->property("IntegralHeight").toBool());
    EXPECT_GE(FindControl(timer, "frmKinds"), 0);  // registered, though it has no place

    for (QSize s : {QSize(1200, 800), QSize(300, 200), QSize(600, 400)}) {
        SCOPED_TRACE(s.width());
        f.ResizeTo(s.width(), s.height());
        const double kx = s.width() / 600.0, ky = s.height() / 400.0;
        EXPECT_EQ(fixed->geometry(), QRect(10, 10, 60, 20));
        EXPECT_EQ(mtag->geometry(), QRect(qRound(10 * kx), qRound(40 * ky), qRound(60 * kx), 20));
        EXPECT_EQ(list->geometry(), QRect(qRound(100 * kx), qRound(100 * ky), 80, 60));
        EXPECT_EQ(text->geometry(),
                  QRect(qRound(200 * kx), qRound(100 * ky), qRound(100 * kx), qRound(30 * ky)));
        EXPECT_EQ(label->geometry(), QRect(qRound(200 * kx), qRound(200 * ky), qRound(100 * kx), 30));
        EXPECT_EQ(shape->geometry(),
                  QRect(qRound(300 * kx), qRound(300 * ky), qRound(40 * kx), qRound(40 * ky)));
    }
}

TEST(ResizeForms, LinesAreRepointed) {
    TestForm f("frmLine");
    auto* line = new LineControl(&f.form);
    line->setObjectName("Line1");
    line->SetEnds(600, 300, 3000, 900);
    ResizeForm(&f.form);
    f.ResizeTo(1200, 200);
    EXPECT_EQ(line->X1(), 1200);
    EXPECT_EQ(line->X2(), 6000);
    EXPECT_EQ(line->Y1(), 150);
    EXPECT_EQ(line->Y2(), 450);
}

TEST(ResizeForms, FormsRegisterOnceAndRestoreReturnsToReference) {
    TestForm f("frmRestore");
    auto* button = f.Add(new QPushButton("OK"), "cmdOK", {40, 20, 80, 25});
    RestoreFormSize(&f.form);  // never resized: nothing happens
    EXPECT_LT(FindForm(&f.form), 0);
    EXPECT_EQ(f.form.size(), QSize(600, 400));

    ResizeForm(&f.form);
    const int forms = ResizeFormCount, controls = ResizeControlCount;
    f.ResizeTo(900, 600);
    EXPECT_EQ(ResizeFormCount, forms);
    EXPECT_EQ(ResizeControlCount, controls);
    EXPECT_EQ(button->geometry(), QRect(60, 30, 120, 25));

    RestoreFormSize(&f.form);
    ResizeForm(&f.form);  // what the restore's own resize event does in a window
    EXPECT_EQ(f.form.size(), QSize(600, 400));
    EXPECT_EQ(button->geometry(), QRect(40, 20, 80, 25));
    EXPECT_FALSE(ResizeBusy);
}

TEST(ResizeForms, ReentryIsIgnoredAndEmptyReferenceDoesNotDivideByZero) {
    TestForm f("frmEmpty");
    f.form.resize(0, 0);
    EXPECT_EQ(ScaleXPercent(&f.form), 100);
    EXPECT_EQ(ScaleYPercent(&f.form), 100.0f);

    TestForm g("frmBusy");
    auto* button = g.Add(new QPushButton("OK"), "cmdOK", {40, 20, 80, 25});
    ResizeForm(&g.form);
    g.form.resize(1200, 800);
    ResizeBusy = true;
    ResizeForm(&g.form);
    EXPECT_EQ(button->geometry(), QRect(40, 20, 80, 25));
    ResizeBusy = false;
}

TEST(ResizeForms, ControlArraysMatchByNameAndIndex) {
    TestForm f("frmArray");
    auto* a = f.Add(new QPushButton("0"), "cmdArr", {10, 10, 30, 20});
    auto* b = f.Add(new QPushButton("1"), "cmdArr", {100, 10, 30, 20});
    a->setProperty("Index", 0);
    b->setProperty("Index", 1);
    ResizeForm(&f.form);
    EXPECT_NE(FindControl(a, "frmArray"), FindControl(b, "frmArray"));
    f.ResizeTo(1200, 400);
    EXPECT_EQ(a->x(), 20);
    EXPECT_EQ(b->x(), 200);
    EXPECT_LT(FindControl(a, "frmOther"), 0);
}

}  // namespace

#include "ResizeFormsTest.moc"
