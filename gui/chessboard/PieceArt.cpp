// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/chessboard/PieceArt.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr char16_t WhiteKingSymbol = 0x2654;  // U+2654.. outlined K Q R B N P
constexpr char16_t BlackKingSymbol = 0x265A;  // U+265A.. solid K Q R B N P

// Kind K Q R N B P -> symbol order K Q R B N P.
int GlyphOffset(int nKind) {
    static const int kOffset[6] = {0, 1, 2, 4, 3, 5};
    return kOffset[nKind % 6];
}

// One channel of ink: how much of each pixel a path covers, 0..1.
struct Ink {
    int Size = 0;
    std::vector<float> v;
    float at(int i) const { return v[static_cast<size_t>(i)]; }
};

Ink Render(const QPainterPath& path, int nSize) {
    QImage image(nSize, nSize, QImage::Format_Grayscale8);
    image.fill(0);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(path, Qt::white);
    }
    Ink ink{nSize, std::vector<float>(static_cast<size_t>(nSize) * nSize)};
    for (int y = 0; y < nSize; ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < nSize; ++x) ink.v[static_cast<size_t>(y * nSize + x)] = line[x] / 255.f;
    }
    return ink;
}

// Pixels reachable from the border without crossing ink are outside; everything else is the piece.
std::vector<bool> Silhouette(const Ink& outline, const Ink& solid) {
    const int n = outline.Size;
    std::vector<bool> outside(static_cast<size_t>(n) * n, false);
    std::vector<int> stack;
    for (int i = 0; i < n; ++i)
        for (int p : {i, (n - 1) * n + i, i * n, i * n + n - 1}) stack.push_back(p);
    while (!stack.empty()) {
        const int p = stack.back();
        stack.pop_back();
        if (outside[static_cast<size_t>(p)] || std::max(outline.at(p), solid.at(p)) >= 0.5f) continue;
        outside[static_cast<size_t>(p)] = true;
        const int x = p % n, y = p / n;
        if (x > 0) stack.push_back(p - 1);
        if (x < n - 1) stack.push_back(p + 1);
        if (y > 0) stack.push_back(p - n);
        if (y < n - 1) stack.push_back(p + n);
    }
    std::vector<bool> inside(outside.size());
    for (size_t i = 0; i < inside.size(); ++i) inside[i] = !outside[i];
    return inside;
}

// Distance of every inside pixel to the nearest outside one, in thirds of a pixel (3-4 chamfer).
std::vector<int> DepthInside(const std::vector<bool>& inside, int n) {
    constexpr int Far = 1 << 20;
    std::vector<int> d(inside.size());
    for (size_t i = 0; i < d.size(); ++i) d[i] = inside[i] ? Far : 0;
    auto at = [&](int x, int y) { return x < 0 || y < 0 || x >= n || y >= n ? 0 : d[size_t(y * n + x)]; };
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            int& v = d[size_t(y * n + x)];
            v = std::min({v, at(x - 1, y) + 3, at(x, y - 1) + 3, at(x - 1, y - 1) + 4, at(x + 1, y - 1) + 4});
        }
    for (int y = n - 1; y >= 0; --y)
        for (int x = n - 1; x >= 0; --x) {
            int& v = d[size_t(y * n + x)];
            v = std::min({v, at(x + 1, y) + 3, at(x, y + 1) + 3, at(x + 1, y + 1) + 4, at(x - 1, y + 1) + 4});
        }
    return d;
}

QRgb Mix(QRgb a, QRgb b, float t) {  // a at t = 0, b at t = 1
    auto ch = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return qRgb(ch(qRed(a), qRed(b)), ch(qGreen(a), qGreen(b)), ch(qBlue(a), qBlue(b)));
}

QPainterPath GlyphPath(const QFont& font, char16_t code) {
    QPainterPath path;
    path.addText(0, 0, font, QString(QChar(code)));
    return path;
}

}  // namespace

std::optional<QFont> PieceFont(const QString& sFontFile) {
    static QHash<QString, QString> families;  // a font file is added to the database once
    if (!families.contains(sFontFile)) {
        const int id = QFile::exists(sFontFile) ? QFontDatabase::addApplicationFont(sFontFile) : -1;
        families[sFontFile] = id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
    }
    if (families[sFontFile].isEmpty()) return std::nullopt;
    QFont font(families[sFontFile]);
    font.setPixelSize(100);
    const QFontMetrics metrics(font);
    for (char32_t c = WhiteKingSymbol; c < BlackKingSymbol + 6u; ++c)
        if (!metrics.inFontUcs4(c)) return std::nullopt;
    return font;
}

PieceArt DrawPieceArt(const QFont& font, int nCell, int nSupersample) {
    const int cell = std::max(1, nCell);
    const int s = nSupersample > 0 ? nSupersample : std::clamp((256 + cell - 1) / cell, 2, 8);
    const int n = cell * s;
    PieceArt art;
    art.Cell = cell;
    art.Pieces = QImage(12 * cell, cell, QImage::Format_ARGB32_Premultiplied);
    art.Mask = QImage(12 * cell, cell, QImage::Format_RGB32);
    art.Sprite = QImage(12 * cell, cell, QImage::Format_RGB32);
    art.Drag = QImage(12 * cell, cell, QImage::Format_ARGB32);
    art.Pieces.fill(Qt::transparent);
    art.Mask.fill(Qt::white);
    art.Sprite.fill(Qt::black);
    art.Drag.fill(Qt::transparent);

    // One scale for all pieces (taken from the king, the tallest) so they keep their relative sizes; the
    // margins are those of the classic 32-pixel cells.
    const QRectF kingBox = GlyphPath(font, BlackKingSymbol).boundingRect();
    const double scale = n * (1 - 2.5 / 32) / std::max(kingBox.width(), kingBox.height());
    const QRgb whiteBody = qRgb(250, 248, 240), whiteLine = qRgb(0, 0, 0);
    const QRgb blackBody = qRgb(24, 24, 24), blackLine = qRgb(220, 220, 215);
    // A black piece shows its inner lines only this far inside its edge (thirds of a sample): its outer
    // edge stays dark, 2.5 pixels of a 32-pixel cell.
    const int deep = static_cast<int>(std::lround(3 * 2.5 * n / 32));

    std::vector<QRgb> colour(static_cast<size_t>(n) * n);
    for (int kind = 0; kind < 12; ++kind) {
        const bool white = kind >= 6;
        const auto offset = static_cast<char16_t>(GlyphOffset(kind));
        QPainterPath outline = GlyphPath(font, WhiteKingSymbol + offset);
        QPainterPath solid = GlyphPath(font, BlackKingSymbol + offset);
        // Centre horizontally on the solid symbol, stand every piece on the same base line.
        const QRectF box = solid.boundingRect();
        QTransform t;
        t.translate(n / 2.0, n * (1 - 1.25 / 32));
        t.scale(scale, scale);
        t.translate(-box.center().x(), -kingBox.bottom());
        const Ink outlineInk = Render(t.map(outline), n), solidInk = Render(t.map(solid), n);
        const std::vector<bool> inside = Silhouette(outlineInk, solidInk);
        const std::vector<int> depth = white ? std::vector<int>() : DepthInside(inside, n);
        for (int i = 0; i < n * n; ++i) {
            if (!inside[size_t(i)]) continue;
            const float line = white || depth[size_t(i)] > deep ? outlineInk.at(i) : 0.f;
            colour[size_t(i)] = white ? Mix(whiteBody, whiteLine, line) : Mix(blackBody, blackLine, line);
        }

        // Each pixel of the cell is the average of its samples: smooth edges, and the mask where at
        // least half of them are inside.
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x) {
                int count = 0, r = 0, g = 0, b = 0;
                for (int j = 0; j < s; ++j)
                    for (int i = 0; i < s; ++i) {
                        const size_t k = size_t((y * s + j) * n + x * s + i);
                        if (!inside[k]) continue;
                        ++count, r += qRed(colour[k]), g += qGreen(colour[k]), b += qBlue(colour[k]);
                    }
                if (count == 0) continue;
                const int all = s * s, px = kind * cell + x;
                art.Pieces.setPixel(px, y, qRgba(r / all, g / all, b / all, 255 * count / all));
                if (2 * count < all) continue;
                const QRgb c = qRgb(r / count, g / count, b / count);
                art.Mask.setPixel(px, y, qRgb(0, 0, 0));
                art.Sprite.setPixel(px, y, c);
                art.Drag.setPixel(px, y, c | 0xFF000000u);
            }
    }
    return art;
}
