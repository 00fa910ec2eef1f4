// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the chessboard control's stand-by piece artwork (used where the DejaVu Sans font is missing) from
// the chess symbols of that font:
//   pieces_mask.png    384 x 32, silhouettes black on white
//   pieces_sprite.png  384 x 32, coloured pieces on black
//   pieces_drag.png    384 x 32, the same pieces on transparency (drag pictures)
// Twelve 32 x 32 cells in the control's kind order: BK BQ BR BN BB BP WK WQ WR WN WB WP.
// Usage: talvor-pieceart [output folder] [font file]
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "gui/chessboard/PieceArt.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outDir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gui/chessboard/resources");
    const QString fontFile = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString::fromLatin1(DejaVuSansFile);
    const std::optional<QFont> font = PieceFont(fontFile);
    if (!font) {
        std::fprintf(stderr, "cannot load %s\n", qPrintable(fontFile));
        return 1;
    }
    const PieceArt art = DrawPieceArt(*font, 32, 8);
    QDir().mkpath(outDir);
    const bool ok = art.Mask.save(outDir + QStringLiteral("/pieces_mask.png")) &&
                    art.Sprite.save(outDir + QStringLiteral("/pieces_sprite.png")) &&
                    art.Drag.save(outDir + QStringLiteral("/pieces_drag.png"));
    if (!ok) {
        std::fprintf(stderr, "cannot write to %s\n", qPrintable(outDir));
        return 1;
    }
    std::printf("wrote pieces_mask.png, pieces_sprite.png, pieces_drag.png to %s\n", qPrintable(outDir));
    return 0;
}
