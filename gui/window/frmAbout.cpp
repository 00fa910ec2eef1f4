// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/frmAbout.h"

#include <QFont>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>

#include "gui/window/Resize_forms.h"
#include "gui/window/frmDebugMainControls.h"

namespace {

QPointer<frmAbout> OpenBox;

// Places a control at its design position, given in twips.
template <typename W>
W* Place(W* w, const char* sName, int nLeft, int nTop, int nWidth, int nHeight) {
    w->setObjectName(sName);
    w->setGeometry(TwipsToPixels(nLeft), TwipsToPixels(nTop), TwipsToPixels(nWidth), TwipsToPixels(nHeight));
    return w;
}

QLabel* TextLabel(QWidget* parent, const char* sName, const QString& sText, int nLeft, int nTop, int nWidth,
                  int nHeight, int nPoints = 8, bool bBold = false) {
    auto* l = Place(new QLabel(sText, parent), sName, nLeft, nTop, nWidth, nHeight);
    QFont f;
    f.setFamilies({"MS Sans Serif", "DejaVu Sans"});
    f.setPointSize(nPoints);
    f.setBold(bBold);
    l->setFont(f);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

}  // namespace

QPixmap frmAbout::Logo(int nSize) {
    QPixmap pm(nSize, nSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // Disc in the window's default board colours, with a four-square chequer behind the knight.
    QLinearGradient g(0, 0, nSize, nSize);
    g.setColorAt(0, ColorFromBGR(0x00C0C0));
    g.setColorAt(1, ColorFromBGR(0x008000));
    p.setBrush(g);
    p.setPen(QPen(ColorFromBGR(0x004000), std::max(1, nSize / 24)));
    p.drawEllipse(QRectF(1, 1, nSize - 2, nSize - 2));
    QPainterPath clip;
    clip.addEllipse(QRectF(nSize * 0.18, nSize * 0.18, nSize * 0.64, nSize * 0.64));
    p.setClipPath(clip);
    const double c = nSize * 0.32;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            p.fillRect(QRectF(nSize * 0.18 + i * c, nSize * 0.18 + j * c, c, c),
                       (i + j) % 2 ? ColorFromBGR(0x008000) : ColorFromBGR(0x70D0D0));
    p.setClipping(false);
    QFont f("DejaVu Sans");
    f.setPixelSize(nSize * 60 / 100);
    p.setFont(f);
    // The knight glyph drawn twice: a dark outline offset, then the piece.
    const QRect r(0, -nSize / 20, nSize, nSize);
    p.setPen(QColor(20, 20, 20));
    p.drawText(r.translated(1, 1), Qt::AlignCenter, QString(QChar(0x265E)));
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, QString(QChar(0x265E)));
    return pm;
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("Info");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(TwipsToPixels(6000), TwipsToPixels(4560));

    Image1 = Place(new QLabel(this), "Image1", 240, 240, 960, 960);
    Image1->setPixmap(Logo(TwipsToPixels(960)));

    Label2 = TextLabel(this, "Label2", "Talvor Chess", 1440, 240, 4320, 420, 14, true);
    Label1 = TextLabel(this, "Label1", "Version 1.0", 1440, 720, 1560, 260);
    Label5 = TextLabel(this, "Label5", "Opening Book Version : 1.00", 3000, 720, 2760, 260);
    Label3 = TextLabel(this, "Label3", "Written by the TalvorWBE developers.", 1440, 1020, 4320, 260);
    Label4 =
        TextLabel(this, "Label4", "For everyone who still plays a game after dinner.", 1440, 1290, 4320, 260);
    Label6 = TextLabel(this, "Label6", "Logo drawn for TalvorWBE.", 1440, 1560, 4320, 260);

    Line1 = new LineControl(this);
    Line1->setObjectName("Line1");
    Line1->SetEnds(240, 1980, 5760, 1980);

    lblDescription = TextLabel(this, "lblDescription",
                               "Web page: https://talvorwbe.example.org\nContact: talvorwbe@example.org", 240,
                               2100, 5520, 600);
    lblDisclaimer = TextLabel(this, "lblDisclaimer",
                              "Thanks to everyone who tested the engine and the game window, reported "
                              "problems and suggested improvements, and to the authors of the xboard "
                              "protocol.",
                              240, 2760, 5520, 900);

    cmdOK = Place(new QPushButton("OK", this), "cmdOK", 4440, 3840, 1320, 420);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

void frmAbout::cmdOK_Click() {
    close();
}

frmAbout* frmAbout::Current() {
    return OpenBox.data();
}

frmAbout* frmAbout::ShowAbout(QWidget* owner) {
    if (!OpenBox) OpenBox = new frmAbout(owner);
    OpenBox->show();
    OpenBox->raise();
    OpenBox->activateWindow();
    return OpenBox.data();
}
