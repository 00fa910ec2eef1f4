// SPDX-License-Identifier: GPL-3.0-or-later
// Scales a window's controls in proportion when the window is resized, and puts a window back to the size
// it had when first seen. Geometry is in twips (15 a pixel); controls are reached by name through Qt's
// property system, so the service works with any form without knowing its controls.
#pragma once
#include <QObject>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr int TwipsPerPixel = 15;

// One registered form or control, all values in twips.
struct ResizeRecord {
    std::string Name;
    int32_t Index = 0;
    std::string FormName;
    int32_t Top = 0;     // a line: Y1
    int32_t Left = 0;    // normalised; a line: X1, normalised
    int32_t Height = 0;  // a line: Y2
    int32_t Width = 0;   // a line: X2, normalised
    int32_t ScaleHeight = 0;
    int32_t ScaleWidth = 0;
};

extern std::vector<ResizeRecord> ResizeForms;
extern int32_t ResizeFormCount;
extern std::vector<ResizeRecord> ResizeControls;
extern int32_t ResizeControlCount;
extern bool ResizeBusy;

void ResizeForm(QWidget* frm);
void RestoreFormSize(QWidget* frm);
void ResizeControl(QObject* ctl, QWidget* frm);
int32_t ScaleXPercent(QWidget* frm);
float ScaleYPercent(QWidget* frm);
int32_t FindForm(QWidget* frm);
int32_t AddForm(QWidget* frm);
int32_t FindControl(QObject* ctl, const std::string& sFormName);
int32_t AddControl(QObject* ctl, const std::string& sFormName);
int32_t NormalizeLeft(int32_t nValue);

// ---- Late-bound access, in twips. A property the object does not have reads as nullopt and its
// write returns false: callers skip the statement, as the service wants. ----

// The form's controls in creation order: named children of its client area, and of the frames in it.
std::vector<QObject*> FormControls(QWidget* frm);
// Left, Top, Width, Height of a control (relative to its container), or of a form (its window);
// "ScaleWidth"/"ScaleHeight" of a form: its inner client area. X1, Y1, X2, Y2 and Index only where the object
// has them as properties.
std::optional<int32_t> GetTwips(QObject* obj, const char* sProperty);
bool SetTwips(QObject* obj, const char* sProperty, int32_t nValue);
// Move with four, three or two values: the missing ones keep their current value.
bool MoveTwips(QObject* obj, int32_t nLeft, int32_t nTop, std::optional<int32_t> nWidth = std::nullopt,
               std::optional<int32_t> nHeight = std::nullopt);
int TwipsToPixels(int32_t nTwips);
