// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the chessboard control to a PNG, at the start position or after the moves given.
// Usage: talvor-boardshot out.png [square pixels] [e2e4 e7e5 ...]
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "gui/chessboard/wqzChessboard.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: talvor-boardshot out.png [square pixels] [moves...]\n");
        return 2;
    }
    const int square = argc > 2 ? std::atoi(argv[2]) : 48;
    QWidget host;
    wqzChessboard board(&host);
    host.resize(8 * square, 8 * square);
    host.show();
    board.resize(8 * square, 8 * square);
    // A promotion in the list (e7e8q) picks the piece by its letter.
    int promoteTo = 0;
    QObject::connect(&board, &wqzChessboard::PawnPromotion,
                     [&](bool bWhite, int& eChoice) { eChoice = promoteTo + (bWhite ? 6 : 0); });
    for (int i = 3; i < argc; ++i) {
        const QString move = QString::fromLatin1(argv[i]);
        const QString letters = QStringLiteral("qrnb");
        promoteTo = move.size() > 4 ? static_cast<int>(letters.indexOf(move[4])) + 1 : 1;
        if (!board.MovePiece(move.left(2), move.mid(2, 2))) {
            std::fprintf(stderr, "illegal move %s\n", argv[i]);
            return 1;
        }
    }
    if (!board.grab().save(QString::fromLocal8Bit(argv[1]))) return 1;
    return 0;
}
