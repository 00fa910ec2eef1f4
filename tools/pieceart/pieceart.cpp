// Draws the chessboard control's piece artwork from the chess symbols of the DejaVu Sans font:
//   pieces_mask.png    384 x 32, silhouettes black on white (AND)
//   pieces_sprite.png  384 x 32, coloured pieces on black (OR)
//   pieces_drag.png    384 x 32, the same pieces on transparency (drag pictures)
// Twelve 32 x 32 cells in the control's kind order: BK BQ BR BN BB BP WK WQ WR WN WB WP.
// Usage: talvor-pieceart [output folder] [font file]
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
constexpr int Cell = 32;
constexpr int Scale = 8;  // supersampling for the coverage of each pixel

// U+2654.. are the outlined (white) symbols, U+265A.. the solid (black) ones, both K Q R B N P.
int GlyphOffset(int nKind) {
    static const int kOffset[6] = {0, 1, 2, 4, 3, 5};  // kind K Q R N B P -> symbol order K Q R B N P
    return kOffset[nKind % 6];
}

struct Coverage {
    std::vector<float> v = std::vector<float>(Cell * Cell, 0.f);
    float at(int x, int y) const { return v[y * Cell + x]; }
};

// Renders a path at Scale times the size and averages it down: exact coverage per pixel.
Coverage Render(const QPainterPath& path) {
    QImage big(Cell * Scale, Cell * Scale, QImage::Format_Grayscale8);
    big.fill(0);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(Scale, Scale);
        p.fillPath(path, Qt::white);
    }
    Coverage c;
    for (int y = 0; y < Cell; ++y)
        for (int x = 0; x < Cell; ++x) {
            int sum = 0;
            for (int j = 0; j < Scale; ++j) {
                const uchar* line = big.constScanLine(y * Scale + j);
                for (int i = 0; i < Scale; ++i) sum += line[x * Scale + i];
            }
            c.v[y * Cell + x] = sum / (255.f * Scale * Scale);
        }
    return c;
}

// Pixels reachable from the border without crossing ink are outside; everything else is the piece.
std::vector<bool> Silhouette(const Coverage& ink) {
    std::vector<bool> outside(Cell * Cell, false);
    std::vector<int> stack;
    for (int i = 0; i < Cell; ++i)
        for (int p : {i, (Cell - 1) * Cell + i, i * Cell, i * Cell + Cell - 1}) stack.push_back(p);
    while (!stack.empty()) {
        const int p = stack.back();
        stack.pop_back();
        if (outside[p] || ink.v[p] >= 0.5f) continue;
        outside[p] = true;
        const int x = p % Cell, y = p / Cell;
        if (x > 0) stack.push_back(p - 1);
        if (x < Cell - 1) stack.push_back(p + 1);
        if (y > 0) stack.push_back(p - Cell);
        if (y < Cell - 1) stack.push_back(p + Cell);
    }
    std::vector<bool> inside(Cell * Cell);
    for (int i = 0; i < Cell * Cell; ++i) inside[i] = !outside[i];
    return inside;
}

QRgb Mix(QRgb a, QRgb b, float t) {  // a at t = 0, b at t = 1
    auto ch = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return qRgb(ch(qRed(a), qRed(b)), ch(qGreen(a), qGreen(b)), ch(qBlue(a), qBlue(b)));
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gui/resources");
    const QString fontFile = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                      : QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    const int id = QFontDatabase::addApplicationFont(fontFile);
    if (id < 0) {
        std::fprintf(stderr, "cannot load %s\n", qPrintable(fontFile));
        return 1;
    }
    QFont font(QFontDatabase::applicationFontFamilies(id).value(0));
    font.setPixelSize(100);

    // One scale for all pieces (taken from the king, the tallest) so they keep their relative sizes.
    auto glyphPath = [&](char16_t code) {
        QPainterPath path;
        path.addText(0, 0, font, QString(QChar(code)));
        return path;
    };
    const QRectF kingBox = glyphPath(0x265A).boundingRect();
    const double scale = (Cell - 2.5) / std::max(kingBox.width(), kingBox.height());

    QImage mask(12 * Cell, Cell, QImage::Format_RGB32), sprite(12 * Cell, Cell, QImage::Format_RGB32),
        drag(12 * Cell, Cell, QImage::Format_ARGB32);
    mask.fill(Qt::white);
    sprite.fill(Qt::black);
    drag.fill(Qt::transparent);

    const QRgb whiteBody = qRgb(250, 248, 240), whiteLine = qRgb(0, 0, 0);
    const QRgb blackBody = qRgb(24, 24, 24), blackLine = qRgb(220, 220, 215);
    for (int kind = 0; kind < 12; ++kind) {
        const bool white = kind >= 6;
        const char16_t offset = static_cast<char16_t>(GlyphOffset(kind));
        QPainterPath outline = glyphPath(0x2654 + offset), solid = glyphPath(0x265A + offset);
        // Centre horizontally on the solid symbol, stand every piece on the same base line.
        const QRectF box = solid.boundingRect();
        QTransform t;
        t.translate(Cell / 2.0, Cell - 1.25);
        t.scale(scale, scale);
        t.translate(-box.center().x(), -kingBox.bottom());
        outline = t.map(outline);
        solid = t.map(solid);

        const Coverage outlineInk = Render(outline), solidInk = Render(solid);
        Coverage both;
        for (int i = 0; i < Cell * Cell; ++i) both.v[i] = std::max(outlineInk.v[i], solidInk.v[i]);
        const std::vector<bool> inside = Silhouette(both);

        // Pixels at least two steps inside the silhouette: where a black piece shows its inner lines.
        auto deepInside = [&](int x, int y) {
            for (int j = -2; j <= 2; ++j)
                for (int i = -2; i <= 2; ++i) {
                    const int u = x + i, v = y + j;
                    if (std::abs(i) + std::abs(j) > 3) continue;
                    if (u < 0 || v < 0 || u >= Cell || v >= Cell || !inside[v * Cell + u]) return false;
                }
            return true;
        };
        for (int y = 0; y < Cell; ++y)
            for (int x = 0; x < Cell; ++x) {
                if (!inside[y * Cell + x]) continue;
                // White: a light body with the outlined symbol drawn over it. Black: a dark body with the
                // outlined symbol's inner lines in light grey, its outer edge left dark.
                const QRgb c = white
                                   ? Mix(whiteBody, whiteLine, outlineInk.at(x, y))
                                   : Mix(blackBody, blackLine, deepInside(x, y) ? outlineInk.at(x, y) : 0.f);
                const int px = kind * Cell + x;
                mask.setPixel(px, y, qRgb(0, 0, 0));
                sprite.setPixel(px, y, c);
                drag.setPixel(px, y, (c & 0x00FFFFFF) | 0xFF000000u);
            }
    }
    QDir().mkpath(outDir);
    const bool ok = mask.save(outDir + QStringLiteral("/pieces_mask.png")) &&
                    sprite.save(outDir + QStringLiteral("/pieces_sprite.png")) &&
                    drag.save(outDir + QStringLiteral("/pieces_drag.png"));
    if (!ok) {
        std::fprintf(stderr, "cannot write to %s\n", qPrintable(outDir));
        return 1;
    }
    std::printf("wrote pieces_mask.png, pieces_sprite.png, pieces_drag.png to %s\n", qPrintable(outDir));
    return 0;
}
