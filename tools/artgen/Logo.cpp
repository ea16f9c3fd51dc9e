#include "Logo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace Logo {

namespace {

enum class Style { Mark, Icon };

struct Palette {
    QColor ring, ringInner, skyTop, skyLow, seaTop, seaLow, foam, hull, sail, sailShade, outline;
};

Palette paletteFor(Style style)
{
    if (style == Style::Mark) {
        // Pure colours only: they survive the banner's AND with its gradient.
        return {Qt::black,           Qt::white,           Qt::white, Qt::white,
                QColor(0, 128, 255), QColor(0, 128, 255), Qt::white, QColor(255, 0, 0),
                QColor(255, 224, 0), QColor(255, 192, 0), Qt::black};
    }
    return {QColor(16, 34, 74),   QColor(236, 242, 250), QColor(86, 150, 226),  QColor(196, 226, 248),
            QColor(30, 110, 190), QColor(10, 52, 112),   QColor(245, 250, 255), QColor(206, 30, 38),
            QColor(255, 214, 40), QColor(232, 168, 20),  QColor(18, 22, 34)};
}

// Paints the emblem into a 100 x 100 design box.
void paintEmblem(QPainter &p, Style style)
{
    const Palette c = paletteFor(style);
    p.setRenderHint(QPainter::Antialiasing);

    // Ring.
    p.setPen(Qt::NoPen);
    p.setBrush(c.ring);
    p.drawEllipse(QPointF(50, 50), 49, 49);
    if (style == Style::Icon) {
        p.setBrush(c.ringInner);
        p.drawEllipse(QPointF(50, 50), 44.5, 44.5);
    }
    QPainterPath inner;
    inner.addEllipse(QPointF(50, 50), 42.5, 42.5);
    p.save();
    p.setClipPath(inner);

    // Sky and sea.
    const double horizon = 63;
    QLinearGradient sky(0, 6, 0, horizon);
    sky.setColorAt(0, c.skyTop);
    sky.setColorAt(1, c.skyLow);
    p.fillRect(QRectF(0, 0, 100, horizon), sky);
    QLinearGradient sea(0, horizon, 0, 94);
    sea.setColorAt(0, c.seaTop);
    sea.setColorAt(1, c.seaLow);
    p.fillRect(QRectF(0, horizon, 100, 40), sea);

    // The wake: two foam streaks fanning out behind the stern.
    p.setBrush(Qt::NoBrush);
    QPen foam(c.foam, 3.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(foam);
    for (int i = 0; i < 3; ++i) {
        QPainterPath w;
        const double y0 = 71 + i * 8.5;
        w.moveTo(86 - i * 4, y0 - 3);
        w.cubicTo(70 - i * 4, y0 + 4, 46, y0 - 5, 4, y0 + 2);
        p.drawPath(w);
    }

    // Hull with a raised bow pointing right.
    QPainterPath hull;
    hull.moveTo(18, 60);
    hull.lineTo(84, 57);
    hull.cubicTo(80, 64, 74, 70, 64, 72);
    hull.lineTo(30, 72);
    hull.cubicTo(24, 70, 20, 66, 18, 60);
    hull.closeSubpath();
    p.setPen(QPen(c.outline, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c.hull);
    p.drawPath(hull);

    // Mast and two sails, bellied by the wind.
    p.setPen(QPen(c.outline, 2.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(48, 58.5), QPointF(48, 12));
    QPainterPath main;
    main.moveTo(45.5, 14);
    main.cubicTo(36, 26, 26, 42, 22, 55);
    main.lineTo(45.5, 55);
    main.closeSubpath();
    QPainterPath jib;
    jib.moveTo(51, 15);
    jib.cubicTo(63, 27, 72, 40, 77, 53);
    jib.lineTo(51, 53);
    jib.closeSubpath();
    p.setPen(QPen(c.outline, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QPainterPath &sail : {main, jib}) {
        QLinearGradient g(sail.boundingRect().topLeft(), sail.boundingRect().bottomRight());
        g.setColorAt(0, c.sail);
        g.setColorAt(1, style == Style::Icon ? c.sailShade : c.sail);
        p.setBrush(g);
        p.drawPath(sail);
    }
    p.restore();
}

// Keeps each channel to 0, 128, 192, 224, ... 254, 255 (see the header).
int toAndFriendly(int v)
{
    static const int levels[] = {0, 128, 192, 224, 240, 248, 252, 254, 255};
    int best = 0;
    for (int l : levels) {
        if (std::abs(l - v) < std::abs(best - v))
            best = l;
    }
    return best;
}

QPainterPath lettering(const QString &text, double spacing)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(100);
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    QPainterPath path;
    path.addText(0, 0, font, text);
    return path;
}

// Two words stacked as a block: the same letter size for both, the shorter
// word spaced out to the width of the longer one, the block then fitted to box.
QPainterPath stackedWords(const QString &upper, const QString &lower, const QRectF &box, double gap)
{
    QPainterPath a = lettering(upper, 0), b = lettering(lower, 0);
    const bool upperShort = a.boundingRect().width() < b.boundingRect().width();
    const double target = std::max(a.boundingRect().width(), b.boundingRect().width());
    const QString &shortWord = upperShort ? upper : lower;
    double lo = 0, hi = 60;
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        (lettering(shortWord, mid).boundingRect().width() < target ? lo : hi) = mid;
    }
    (upperShort ? a : b) = lettering(shortWord, lo);
    const double capH = a.boundingRect().height();
    auto place = [&](const QPainterPath &p, double top) {
        const QRectF r = p.boundingRect();
        const double sx = box.width() / target, sy = (box.height() - gap) / 2 / capH;
        QTransform t;
        t.translate(box.left(), top);
        t.scale(sx, sy);
        t.translate(-r.left(), -r.top());
        return t.map(p);
    };
    const double lineH = (box.height() - gap) / 2;
    return place(a, box.top()).united(place(b, box.top() + lineH + gap));
}

} // namespace

QImage logo(int scale)
{
    const int w = 142 * scale, h = 63 * scale;
    const int ss = 4;
    QImage big(w * ss, h * ss, QImage::Format_RGB32);
    big.fill(Qt::white);
    {
        QPainter p(&big);
        p.scale(ss * scale, ss * scale);
        p.save();
        p.translate(3, 2.5);
        p.scale(0.58, 0.58);
        paintEmblem(p, Style::Mark);
        p.restore();
        p.setRenderHint(QPainter::Antialiasing);
        // A fine outline makes the narrowed letters heavier again.
        p.setPen(QPen(Qt::black, 1.3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::black);
        p.drawPath(
            stackedWords(QStringLiteral("KIEL"), QStringLiteral("WANZ"), QRectF(67, 6.5, 70.5, 48), 6));
        // A thin wave under the lettering, the colour of the emblem's sea.
        QPainterPath wave;
        wave.moveTo(66, 59.5);
        for (int i = 0; i < 6; ++i) {
            const double x = 66 + i * 12;
            wave.quadTo(x + 3, 57.2, x + 6, 59.5);
            wave.quadTo(x + 9, 61.8, x + 12, 59.5);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 128, 255), 1.6));
        p.drawPath(wave);
    }
    QImage out = big.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb(toAndFriendly(qRed(line[x])), toAndFriendly(qGreen(line[x])),
                           toAndFriendly(qBlue(line[x])));
    }
    return out;
}

QImage icon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.scale(size / 100.0, size / 100.0);
    paintEmblem(p, Style::Icon);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

} // namespace Logo
