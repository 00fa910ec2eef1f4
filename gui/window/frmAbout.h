// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: product name, versions, credits and the program's logo; one button closes it.
#pragma once
#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;
class LineControl;

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);
    // Shows the box modeless; while one is open, raises that same one.
    static frmAbout* ShowAbout(QWidget* owner);
    // The open box, or null.
    static frmAbout* Current();
    void cmdOK_Click();
    // The logo, drawn rather than stored: a knight on a board-coloured disc.
    static QPixmap Logo(int nSize);

  private:
    QLabel* Image1;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    QLabel *lblDescription, *lblDisclaimer;
    LineControl* Line1;
    QPushButton* cmdOK;
};
