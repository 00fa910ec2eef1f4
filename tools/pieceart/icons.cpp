// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's desktop icon: a white knight from the DejaVu Sans chess symbols standing on four
// squares in the game window's board colours. One vector picture, written twice:
//   talvor.svg                              the scalable icon (the font's outlines as SVG paths)
//   talvor-48.png, talvor-64.png, talvor-128.png   the same picture rasterised by Qt
// Usage: talvor-icons [output folder] [font file]
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <cstdio>

namespace {
constexpr double Canvas = 128;  // the picture's own units; every output scales from these
constexpr double Margin = 4, Corner = 14, FrameWidth = 3;

const QColor Light(192, 192, 0), Dark(0, 128, 0), Frame(0, 64, 0);
const QColor Body(250, 248, 240), Line(0, 0, 0);

struct Layer {
    QPainterPath path;
    QColor colour;
};

QPainterPath Square(double x, double y, double size) {
    QPainterPath p;
    p.addRect(x, y, size, size);
    return p;
}

// The outer shape of a glyph: every contour filled on its own and all of them joined, so the cut-outs of the
// solid symbol (the mane's line, the eye) close up.
QPainterPath Silhouette(const QPainterPath& glyph) {
    QPainterPath all, contour;
    for (int i = 0; i < glyph.elementCount(); ++i) {
        const QPainterPath::Element e = glyph.elementAt(i);
        if (e.isMoveTo()) {
            all = all.united(contour);
            contour = QPainterPath();
            contour.moveTo(e);
        } else if (e.isLineTo()) {
            contour.lineTo(e);
        } else if (e.isCurveTo()) {
            contour.cubicTo(e, glyph.elementAt(i + 1), glyph.elementAt(i + 2));
            i += 2;
        }
    }
    return all.united(contour);
}

// Back to front. The solid symbol's outer shape filled light is the knight's body; the outlined symbol drawn
// over it gives its lines, as a white piece looks on the board.
std::vector<Layer> Picture(const QFont& font) {
    auto glyph = [&](char16_t code) {
        QPainterPath p;
        p.addText(0, 0, font, QString(QChar(code)));
        return p;
    };
    QPainterPath solid = glyph(0x265E), outline = glyph(0x2658);
    const QRectF box = solid.boundingRect();
    const double scale = (Canvas - 2 * (Margin + FrameWidth) - 14) / std::max(box.width(), box.height());
    QTransform t;
    t.translate(Canvas / 2, Canvas / 2);
    t.scale(scale, scale);
    t.translate(-box.center().x(), -box.center().y());

    // A dark frame, and inside it the four squares clipped to its rounded corners.
    auto rounded = [](double inset) {
        QPainterPath p;
        p.addRoundedRect(inset, inset, Canvas - 2 * inset, Canvas - 2 * inset, Corner - (inset - Margin),
                         Corner - (inset - Margin));
        return p;
    };
    const QPainterPath inner = rounded(Margin + FrameWidth);
    const double half = Canvas / 2;
    return {
        {rounded(Margin), Frame},
        {inner.intersected(Square(0, 0, half)), Light},
        {inner.intersected(Square(half, 0, half)), Dark},
        {inner.intersected(Square(0, half, half)), Dark},
        {inner.intersected(Square(half, half, half)), Light},
        {t.map(Silhouette(solid)), Body},
        {t.map(outline), Line},
    };
}

QString SvgPathData(const QPainterPath& path) {
    QString d;
    QTextStream s(&d);
    s.setRealNumberPrecision(2);
    s.setRealNumberNotation(QTextStream::FixedNotation);
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            s << (i ? "Z M" : "M") << e.x << ' ' << e.y;
        } else if (e.isLineTo()) {
            s << 'L' << e.x << ' ' << e.y;
        } else if (e.isCurveTo()) {  // followed by its second control point and its end point
            const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
            s << 'C' << e.x << ' ' << e.y << ' ' << c2.x << ' ' << c2.y << ' ' << end.x << ' ' << end.y;
            i += 2;
        }
    }
    if (path.elementCount() > 0) s << 'Z';
    return d;
}

bool WriteSvg(const std::vector<Layer>& layers, const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QTextStream s(&f);
    s << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Canvas << "\" height=\"" << Canvas
      << "\" viewBox=\"0 0 " << Canvas << ' ' << Canvas << "\">\n";
    for (const Layer& l : layers)
        s << "  <path fill=\"" << l.colour.name() << "\" fill-rule=\""
          << (l.path.fillRule() == Qt::OddEvenFill ? "evenodd" : "nonzero") << "\" d=\""
          << SvgPathData(l.path) << "\"/>\n";
    s << "</svg>\n";
    return s.status() == QTextStream::Ok && f.flush();
}

bool WritePng(const std::vector<Layer>& layers, int size, const QString& file) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / Canvas, size / Canvas);
        for (const Layer& l : layers) p.fillPath(l.path, l.colour);
    }
    return image.save(file);
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("packaging/icons");
    const QString fontFile = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                      : QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    const int id = QFontDatabase::addApplicationFont(fontFile);
    if (id < 0) {
        std::fprintf(stderr, "cannot load %s\n", qPrintable(fontFile));
        return 1;
    }
    QFont font(QFontDatabase::applicationFontFamilies(id).value(0));
    font.setPixelSize(100);
    const std::vector<Layer> layers = Picture(font);

    QDir().mkpath(outDir);
    bool ok = WriteSvg(layers, outDir + QStringLiteral("/talvor.svg"));
    for (int size : {48, 64, 128})
        ok = ok && WritePng(layers, size, outDir + QStringLiteral("/talvor-%1.png").arg(size));
    if (!ok) {
        std::fprintf(stderr, "cannot write to %s\n", qPrintable(outDir));
        return 1;
    }
    std::printf("wrote talvor.svg, talvor-48.png, talvor-64.png, talvor-128.png to %s\n", qPrintable(outDir));
    return 0;
}
