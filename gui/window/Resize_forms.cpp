// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/Resize_forms.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>
#include <cmath>

std::vector<ResizeRecord> ResizeForms;
int32_t ResizeFormCount = 0;
std::vector<ResizeRecord> ResizeControls;
int32_t ResizeControlCount = 0;
bool ResizeBusy = false;

namespace {

// A minimised window reports a top of at least this, as the old forms toolkit did.
constexpr int32_t MinimisedTop = 30000;
// Control placed far to the left: negative positions are kept relative to this.
constexpr int32_t FarLeft = 75000;

bool IsForm(QObject* obj) {
    return obj->isWidgetType() && static_cast<QWidget*>(obj)->isWindow();
}

// The inner area of a form: the central widget of a main window (menus excluded), else the form itself.
QWidget* ClientOf(QWidget* frm) {
    if (auto* mw = qobject_cast<QMainWindow*>(frm); mw && mw->centralWidget()) return mw->centralWidget();
    return frm;
}

bool IsLine(QObject* obj) {
    return obj->property("X1").isValid();
}

std::string NameOf(QObject* obj) {
    return obj->objectName().toStdString();
}

std::optional<int32_t> IndexOf(QObject* obj) {
    const QVariant v = obj->property("Index");
    if (!v.isValid()) return std::nullopt;
    return v.toInt();
}

std::string TagOf(QObject* obj) {
    return obj->property("Tag").toString().toStdString();
}

int32_t Round(double v) {
    return static_cast<int32_t>(std::lround(v));
}

enum class Kind { WidthOnly, Both, Neither };

// Buttons and labels keep their height (their text does not grow); boxes, frames, shapes and the board scale
// both ways; anything else (list boxes, pictures) keeps its size and only moves.
Kind KindOf(QObject* ctl) {
    if (qobject_cast<QAbstractButton*>(ctl) || qobject_cast<QLabel*>(ctl)) return Kind::WidthOnly;
    if (qobject_cast<QLineEdit*>(ctl) || qobject_cast<QTextEdit*>(ctl) ||
        qobject_cast<QPlainTextEdit*>(ctl) || qobject_cast<QGroupBox*>(ctl) ||
        ctl->inherits("ShapeControl") || ctl->inherits("wqzChessboard"))
        return Kind::Both;
    return Kind::Neither;
}

void Collect(QObject* parent, std::vector<QObject*>& out) {
    for (QObject* child : parent->children()) {
        const QString name = child->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
        if (child->isWidgetType() && static_cast<QWidget*>(child)->isWindow()) continue;
        out.push_back(child);
        // Frames contain controls of the form; other controls' children are their own business.
        if (qobject_cast<QGroupBox*>(child)) Collect(child, out);
    }
}

}  // namespace

int TwipsToPixels(int32_t nTwips) {
    return static_cast<int>(std::lround(nTwips / double(TwipsPerPixel)));
}

std::vector<QObject*> FormControls(QWidget* frm) {
    std::vector<QObject*> out;
    if (frm) Collect(ClientOf(frm), out);
    return out;
}

std::optional<int32_t> GetTwips(QObject* obj, const char* sProperty) {
    if (!obj) return std::nullopt;
    const QVariant v = obj->property(sProperty);
    if (v.isValid()) return static_cast<int32_t>(v.toInt());
    if (!obj->isWidgetType()) return std::nullopt;
    auto* w = static_cast<QWidget*>(obj);
    const std::string p = sProperty;
    if (IsForm(obj)) {
        if (p == "Top") {
            if (w->isMinimized()) return MinimisedTop + std::max(0, w->y()) * TwipsPerPixel;
            if (w->isMaximized()) return -4 * TwipsPerPixel;
            // Negative only when maximised: a window pushed above the screen is still a normal one.
            return std::max(0, w->y()) * TwipsPerPixel;
        }
        if (p == "Left") return w->x() * TwipsPerPixel;
        if (p == "Width") return w->width() * TwipsPerPixel;
        if (p == "Height") return w->height() * TwipsPerPixel;
        if (p == "ScaleWidth") return ClientOf(w)->width() * TwipsPerPixel;
        if (p == "ScaleHeight") return ClientOf(w)->height() * TwipsPerPixel;
        return std::nullopt;
    }
    if (IsLine(obj)) return std::nullopt;  // a line has only its end points
    if (p == "Left") return w->x() * TwipsPerPixel;
    if (p == "Top") return w->y() * TwipsPerPixel;
    if (p == "Width") return w->width() * TwipsPerPixel;
    if (p == "Height") return w->height() * TwipsPerPixel;
    return std::nullopt;
}

bool SetTwips(QObject* obj, const char* sProperty, int32_t nValue) {
    if (!obj) return false;
    // Only properties the object really has: writing an unknown name would invent a dynamic property.
    if (obj->property(sProperty).isValid()) {
        obj->setProperty(sProperty, nValue);
        return true;
    }
    if (!obj->isWidgetType() || IsLine(obj)) return false;
    auto* w = static_cast<QWidget*>(obj);
    const std::string p = sProperty;
    const int px = TwipsToPixels(nValue);
    if (p == "Left")
        w->move(px, w->y());
    else if (p == "Top")
        w->move(w->x(), px);
    else if (p == "Width")
        w->resize(std::max(0, px), w->height());
    else if (p == "Height")
        w->resize(w->width(), std::max(0, px));
    else
        return false;
    return true;
}

bool MoveTwips(QObject* obj, int32_t nLeft, int32_t nTop, std::optional<int32_t> nWidth,
               std::optional<int32_t> nHeight) {
    if (!obj || IsLine(obj)) return false;
    // A control that carries its geometry as properties is placed through them.
    if (obj->property("Left").isValid() && obj->property("Top").isValid()) {
        SetTwips(obj, "Left", nLeft);
        SetTwips(obj, "Top", nTop);
        if (nWidth) SetTwips(obj, "Width", *nWidth);
        if (nHeight) SetTwips(obj, "Height", *nHeight);
        return true;
    }
    if (!obj->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(obj);
    const int width = nWidth ? std::max(0, TwipsToPixels(*nWidth)) : w->width();
    const int height = nHeight ? std::max(0, TwipsToPixels(*nHeight)) : w->height();
    if (IsForm(obj)) {
        w->move(TwipsToPixels(nLeft), TwipsToPixels(nTop));
        w->resize(width, height);
    } else {
        w->setGeometry(TwipsToPixels(nLeft), TwipsToPixels(nTop), width, height);
    }
    return true;
}

int32_t NormalizeLeft(int32_t nValue) {
    return nValue < 0 ? nValue + FarLeft : nValue;
}

int32_t FindForm(QWidget* frm) {
    const std::string name = NameOf(frm);
    for (int32_t i = 0; i < ResizeFormCount; ++i)
        if (ResizeForms[i].Name == name) return i;
    return -1;
}

int32_t AddForm(QWidget* frm) {
    ResizeRecord r;
    r.Name = NameOf(frm);
    r.Top = GetTwips(frm, "Top").value_or(0);
    r.Left = GetTwips(frm, "Left").value_or(0);
    r.Height = GetTwips(frm, "Height").value_or(0);
    r.Width = GetTwips(frm, "Width").value_or(0);
    r.ScaleHeight = GetTwips(frm, "ScaleHeight").value_or(0);
    r.ScaleWidth = GetTwips(frm, "ScaleWidth").value_or(0);
    ResizeForms.push_back(r);
    ++ResizeFormCount;
    const int32_t index = ResizeFormCount - 1;
    for (QObject* ctl : FormControls(frm))
        if (FindControl(ctl, r.Name) < 0) AddControl(ctl, r.Name);
    return index;
}

int32_t FindControl(QObject* ctl, const std::string& sFormName) {
    const std::string name = NameOf(ctl);
    const std::optional<int32_t> index = IndexOf(ctl);
    for (int32_t i = 0; i < ResizeControlCount; ++i) {
        const ResizeRecord& r = ResizeControls[i];
        if (r.FormName == sFormName && r.Name == name && (!index || r.Index == *index)) return i;
    }
    return -1;
}

int32_t AddControl(QObject* ctl, const std::string& sFormName) {
    ResizeRecord r;
    r.Name = NameOf(ctl);
    r.Index = IndexOf(ctl).value_or(0);
    r.FormName = sFormName;
    if (IsLine(ctl)) {
        r.Top = GetTwips(ctl, "Y1").value_or(0);
        r.Left = NormalizeLeft(GetTwips(ctl, "X1").value_or(0));
        r.Height = GetTwips(ctl, "Y2").value_or(0);
        r.Width = NormalizeLeft(GetTwips(ctl, "X2").value_or(0));
    } else {
        r.Top = GetTwips(ctl, "Top").value_or(0);
        r.Left = NormalizeLeft(GetTwips(ctl, "Left").value_or(0));
        r.Height = GetTwips(ctl, "Height").value_or(0);
        r.Width = GetTwips(ctl, "Width").value_or(0);
    }
    ResizeControls.push_back(r);
    // List boxes may then take any height.
    if (ctl->property("IntegralHeight").isValid()) ctl->setProperty("IntegralHeight", false);
    ++ResizeControlCount;
    return ResizeControlCount - 1;
}

// Whole percent of the reference inner size; a form registered with no inner area is not scaled.
int32_t ScaleXPercent(QWidget* frm) {
    int32_t i = FindForm(frm);
    if (i < 0) i = AddForm(frm);
    const int32_t ref = ResizeForms[i].ScaleWidth;
    if (ref <= 0) return 100;
    return Round(GetTwips(frm, "ScaleWidth").value_or(0) * 100.0) / ref;
}

float ScaleYPercent(QWidget* frm) {
    int32_t i = FindForm(frm);
    if (i < 0) i = AddForm(frm);
    const int32_t ref = ResizeForms[i].ScaleHeight;
    if (ref <= 0) return 100.0f;
    return static_cast<float>(Round(GetTwips(frm, "ScaleHeight").value_or(0) * 100.0) / ref);
}

void ResizeControl(QObject* ctl, QWidget* frm) {
    if (!ctl || !frm) return;
    if (TagOf(ctl).substr(0, 8) == "Resize=N") return;
    const int32_t py = static_cast<int32_t>(ScaleYPercent(frm));
    const int32_t px = ScaleXPercent(frm);
    const int32_t i = FindControl(ctl, NameOf(frm));
    if (i < 0) return;  // a control added after the form was registered has no reference
    const ResizeRecord r = ResizeControls[i];

    if (IsLine(ctl)) {
        int32_t x1 = (r.Left * px) / 100, x2 = (r.Width * px) / 100;
        if (GetTwips(ctl, "X1").value_or(0) < 0) x1 -= FarLeft;
        if (GetTwips(ctl, "X2").value_or(0) < 0) x2 -= FarLeft;
        SetTwips(ctl, "X1", x1);
        SetTwips(ctl, "Y1", (r.Top * py) / 100);
        SetTwips(ctl, "X2", x2);
        SetTwips(ctl, "Y2", (r.Height * py) / 100);
        return;
    }

    const std::optional<int32_t> current = GetTwips(ctl, "Left");
    if (!current) return;  // not a placed control (a timer, a menu)
    int32_t left = (r.Left * px) / 100;
    if (*current < 0) left -= FarLeft;
    const int32_t top = (r.Top * py) / 100;
    int32_t width = r.Width, height = r.Height;
    switch (KindOf(ctl)) {
        case Kind::WidthOnly:
            width = (r.Width * px) / 100;
            break;
        case Kind::Both:
            width = (r.Width * px) / 100;
            height = (r.Height * py) / 100;
            break;
        case Kind::Neither:
            break;
    }
    MoveTwips(ctl, left, top, width, height);
    MoveTwips(ctl, left, top, width);
    MoveTwips(ctl, left, top);
}

void ResizeForm(QWidget* frm) {
    if (!frm || ResizeBusy) return;
    ResizeBusy = true;
    const bool unregistered = FindForm(frm) < 0;
    if (GetTwips(frm, "Top").value_or(0) < MinimisedTop) {
        const bool visible = frm->isVisible();
        const bool mdiChild = frm->property("MDIChild").toBool();
        int32_t keptHeight = 0, keptWidth = 0;
        if (mdiChild && unregistered) {
            // Fit the child to its controls first, so its reference is its design extent.
            keptHeight = GetTwips(frm, "Height").value_or(0);
            keptWidth = GetTwips(frm, "Width").value_or(0);
            int32_t width = 0, height = 0;
            for (QObject* ctl : FormControls(frm)) {
                if (IsLine(ctl)) {
                    for (const char* x : {"X1", "X2"})
                        width = std::max(width, GetTwips(ctl, x).value_or(0) + 200);
                    for (const char* y : {"Y1", "Y2"})
                        height = std::max(height, GetTwips(ctl, y).value_or(0) + 500);
                    continue;
                }
                const auto l = GetTwips(ctl, "Left"), w = GetTwips(ctl, "Width");
                const auto t = GetTwips(ctl, "Top"), h = GetTwips(ctl, "Height");
                if (l && w) width = std::max(width, *l + *w + 200);
                if (t && h) height = std::max(height, *t + *h + 500);
            }
            SetTwips(frm, "Height", height);
            SetTwips(frm, "Width", width);
        }
        for (QObject* ctl : FormControls(frm)) ResizeControl(ctl, frm);
        if (!frm->property("MDIChild").toBool()) {
            if (frm->isVisible() != visible) frm->setVisible(visible);
        } else if (unregistered) {
            SetTwips(frm, "Height", keptHeight);
            SetTwips(frm, "Width", keptWidth);
            for (QObject* ctl : FormControls(frm)) ResizeControl(ctl, frm);
        }
    }
    ResizeBusy = false;
}

void RestoreFormSize(QWidget* frm) {
    if (!frm) return;
    const int32_t i = FindForm(frm);
    if (i < 0) return;
    const ResizeRecord r = ResizeForms[i];
    if (r.Top < 0) {
        frm->setWindowState((frm->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    } else if (r.Top < MinimisedTop) {
        frm->setWindowState(frm->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        MoveTwips(frm, r.Left, r.Top, r.Width, r.Height);
    } else {
        frm->setWindowState(frm->windowState() | Qt::WindowMinimized);
    }
}
