// SPDX-License-Identifier: GPL-3.0-or-later
// The chessboard's piece artwork, drawn from the chess symbols of the DejaVu Sans font at any cell size.
// White pieces are a light body with the outlined symbol drawn in black; black pieces are a dark body with
// the outlined symbol's inner lines in light grey. Needs only Qt Gui (a QGuiApplication must exist).
#pragma once
#include <QFont>
#include <QImage>
#include <QString>
#include <optional>

// Twelve cells in a row, in the chessboard control's kind order BK BQ BR BN BB BP WK WQ WR WN WB WP.
struct PieceArt {
    int Cell = 0;
    QImage Pieces;  // coloured pieces on transparency, edges smoothed (premultiplied ARGB)
    QImage Mask;    // silhouettes black on white: where a piece covers at least half a pixel
    QImage Sprite;  // the coloured pieces on black, inside the mask
    QImage Drag;    // the coloured pieces, opaque inside the mask and transparent outside
};

inline constexpr char DejaVuSansFile[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The font in the file given, when it holds the chess symbols; none otherwise (the caller then falls back
// on artwork of its own).
std::optional<QFont> PieceFont(const QString& sFontFile = QString::fromLatin1(DejaVuSansFile));

// Draws the twelve pieces in nCell x nCell cells. Every pixel is sampled nSupersample x nSupersample times
// (0: enough for smooth edges at that size).
PieceArt DrawPieceArt(const QFont& font, int nCell, int nSupersample = 0);
