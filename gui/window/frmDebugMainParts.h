// SPDX-License-Identifier: GPL-3.0-or-later
// What the files of the game window share: widget helpers, clock arithmetic and the engine's command texts.
// Internal to gui/window/frmDebugMain*.cpp.
#pragma once
#include <QColor>
#include <QFont>

class QLabel;
class QTimer;
class QWidget;

// The command texts the window feeds the engine.
inline constexpr char EasyCommands[] = "xboard\nnew\nrandom\nsd 1\npost";
inline constexpr char MediumCommands[] = "xboard\nnew\nrandom\nsd 4\npost";
inline constexpr char AdvancedCommands[] = "xboard\nnew";

QFont Font(int nPoints, bool bBold = false, bool bFixed = false);
// Text drawn on a given back colour stays readable: dark on light colours, light on dark ones.
QColor TextOn(const QColor& back);
// The back colour of a form, frame or label; bText also gives a text box's inside that colour.
void SetBack(QWidget* w, int nColor, bool bText = false);
void SetTextColor(QLabel* l, const QColor& c);
// Starts or stops a timer; a running one is not restarted.
void Enable(QTimer* t, bool b);
// One second more on a clock.
void Tick(int& nHours, int& nMinutes, int& nSeconds);
// A whole search's seconds at once.
void Charge(int& nHours, int& nMinutes, int& nSeconds, int nAdd);
