#include "Ships.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace Ships {

namespace {

constexpr int Height = 50;
constexpr int Super = 8;

const QColor Outline(22, 20, 26);

int widthFor(int length)
{
    return 33 * length + 24;
}

struct Look {
    QColor hull, stripe, bottom;
};

Look lookFor(bool red)
{
    if (red)
        return {QColor(hullColour(true)), QColor(250, 246, 236), QColor(70, 22, 26)};
    return {QColor(hullColour(false)), QColor(28, 52, 104), QColor(60, 64, 74)};
}

QPen outlinePen(double w = 1.2)
{
    return QPen(Outline, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// The hull: deck line with a sheer rising to the bow, raked stem, flat keel,
// rounded stern. deck and bowDeck are the deck heights at stern and bow.
QPainterPath hullPath(double w, double deck, double bowDeck, double keel, double stemRake)
{
    QPainterPath h;
    const double stern = 2.5, bow = w - 2.0;
    h.moveTo(stern, deck);
    h.lineTo(w * 0.62, deck);
    h.quadTo(w * 0.84, deck, bow - 1.2, bowDeck);
    h.lineTo(bow, bowDeck + 0.6);
    h.cubicTo(bow - stemRake * 0.12, bowDeck + (keel - bowDeck) * 0.4, bow - stemRake * 0.7, keel - 0.5,
              bow - stemRake, keel);
    h.lineTo(stern + 9, keel);
    h.cubicTo(stern + 4, keel - 1, stern + 1, deck + (keel - deck) * 0.45, stern, deck);
    h.closeSubpath();
    return h;
}

void paintHull(QPainter &p, const QPainterPath &hull, double deck, double keel, const Look &look,
               bool portholes, double w)
{
    p.setPen(Qt::NoPen);
    p.setBrush(look.hull);
    p.drawPath(hull);
    p.save();
    p.setClipPath(hull);
    // Dark band at the waterline and a thin stripe under the deck edge.
    p.fillRect(QRectF(0, keel - 3.2, w, 4), look.bottom);
    p.fillRect(QRectF(0, deck + 1.6, w, 1.0), look.stripe);
    if (portholes) {
        p.setBrush(look.stripe == QColor(250, 246, 236) ? QColor(255, 236, 160) : QColor(40, 64, 110));
        for (double x = w * 0.16; x < w * 0.84; x += 7.0)
            p.drawEllipse(QPointF(x, deck + 5.0), 0.9, 0.9);
    }
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(outlinePen(1.3));
    p.drawPath(hull);
}

void paintPennant(QPainter &p, double x, double y)
{
    QPainterPath f;
    f.moveTo(x, y);
    f.lineTo(x - 8, y + 1.6);
    f.lineTo(x, y + 3.2);
    f.closeSubpath();
    p.setPen(outlinePen(0.7));
    p.setBrush(QColor(30, 90, 200));
    p.drawPath(f);
}

// A gaff sail set aft of its mast, the leech bellied by the wind.
void paintSail(QPainter &p, double mast, double top, double boom, double aft)
{
    QPainterPath s;
    s.moveTo(mast - 1.0, top);
    s.lineTo(mast - 1.0, boom);
    s.lineTo(aft, boom);
    s.cubicTo(aft - 2.5, boom - (boom - top) * 0.35, mast - (mast - aft) * 0.45, top + 6, mast - 1.0, top);
    s.closeSubpath();
    QLinearGradient g(mast, top, aft, boom);
    g.setColorAt(0, QColor(255, 226, 60));
    g.setColorAt(1, QColor(238, 176, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(s);
    // Seams of the cloth.
    p.save();
    p.setClipPath(s);
    p.setPen(QPen(QColor(206, 146, 20), 0.7));
    for (double y = top + 6; y < boom - 2; y += 5.5)
        p.drawLine(QPointF(aft - 5, y + 2), QPointF(mast, y - 1));
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(outlinePen(1.1));
    p.drawPath(s);
    // Boom.
    p.setPen(QPen(QColor(92, 60, 34), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(aft - 0.5, boom + 0.6), QPointF(mast, boom + 0.6));
}

void paintMast(QPainter &p, double x, double top, double bottom)
{
    // Masts sit on whole pixel columns so that they stay one crisp pixel wide.
    p.setPen(QPen(QColor(74, 50, 30), 1.25, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x, top), QPointF(x, bottom));
}

void paintSailer(QPainter &p, int length, const Look &look)
{
    const double w = widthFor(length);
    const double deck = 36, keel = 46.5;
    const QPainterPath hull = hullPath(w, deck, deck - 3.5, keel, 12);
    if (length == 1) {
        const double mast = std::floor(w * 0.60) + 0.5;
        paintMast(p, mast, 3.5, deck);
        paintSail(p, mast, 5.5, 33.6, 6.5);
        paintPennant(p, mast - 0.6, 2.0);
    } else {
        const double fore = std::floor(w * 0.74) + 0.5, main = std::floor(w * 0.40) + 0.5;
        paintMast(p, main, 3.5, deck);
        paintMast(p, fore, 6.0, deck);
        paintSail(p, fore, 8.0, 33.6, main + 4.0);
        paintSail(p, main, 5.5, 33.6, 6.5);
        paintPennant(p, main - 0.6, 2.0);
    }
    paintHull(p, hull, deck, keel, look, false, w);
}

void paintSteamer(QPainter &p, int length, const Look &look)
{
    const double w = widthFor(length);
    const double deck = 30.5, keel = 46.5;
    const int funnels = length;
    const QPainterPath hull = hullPath(w, deck, deck - 4.5, keel, 14);

    // Masts fore and aft.
    paintMast(p, std::floor(w * 0.86) + 0.5, 6.0, deck - 3);
    paintMast(p, std::floor(w * 0.09) + 0.5, 9.0, deck);

    // Superstructure: a long deckhouse with a row of windows, the bridge forward.
    const double houseL = w * 0.15, houseR = w * 0.80, houseTop = 23.0;
    const double bridgeL = w * 0.68, bridgeTop = 17.5;
    const QColor white(244, 240, 228), shade(206, 200, 186), window(38, 58, 92);
    QPainterPath house;
    house.addRect(QRectF(houseL, houseTop, houseR - houseL, deck - houseTop + 0.5));
    QPainterPath bridge;
    bridge.moveTo(bridgeL, deck);
    bridge.lineTo(bridgeL, bridgeTop);
    bridge.lineTo(houseR + 1.5, bridgeTop);
    bridge.lineTo(houseR, deck);
    bridge.closeSubpath();
    const QPainterPath superstructure = house.united(bridge);
    p.setPen(Qt::NoPen);
    p.setBrush(white);
    p.drawPath(superstructure);
    p.fillRect(QRectF(houseL, deck - 2.2, houseR - houseL, 2.2), shade);
    p.setBrush(window);
    for (double x = houseL + 3; x < bridgeL - 2; x += 4.5)
        p.drawRect(QRectF(x, houseTop + 2.2, 2.2, 2.2));
    for (double x = bridgeL + 2; x < houseR - 1; x += 3.6)
        p.drawRect(QRectF(x, bridgeTop + 1.8, 2.4, 2.0));
    p.setBrush(Qt::NoBrush);
    p.setPen(outlinePen(1.1));
    p.drawPath(superstructure);

    // Funnels, black, raked aft, their tops at y = 13.
    const double span0 = w * 0.25, span1 = w * 0.60;
    const double fw = 8.5;
    for (int i = 0; i < funnels; ++i) {
        const double cx = funnels == 1 ? (span0 + span1) / 2 : span0 + (span1 - span0) * i / (funnels - 1);
        QPainterPath f;
        const double rake = 2.5;
        // The outline's half width keeps the topmost pixels on row 13.
        f.moveTo(cx - fw / 2, houseTop + 0.5);
        f.lineTo(cx - fw / 2 - rake, 13.5);
        f.lineTo(cx + fw / 2 - rake, 13.5);
        f.lineTo(cx + fw / 2, houseTop + 0.5);
        f.closeSubpath();
        QLinearGradient g(cx - fw / 2 - rake, 0, cx + fw / 2, 0);
        g.setColorAt(0, QColor(24, 24, 28));
        g.setColorAt(0.35, QColor(70, 72, 80));
        g.setColorAt(0.6, QColor(30, 30, 34));
        g.setColorAt(1, QColor(12, 12, 14));
        p.setPen(outlinePen(1.0));
        p.setBrush(g);
        p.drawPath(f);
        // Rim at the top.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(8, 8, 10));
        p.drawRect(QRectF(cx - fw / 2 - rake - 0.6, 13.0, fw + 1.2, 1.6));
    }

    // Two lifeboats on the deckhouse roof between the funnels.
    if (length >= 3) {
        p.setPen(outlinePen(0.8));
        p.setBrush(QColor(250, 250, 246));
        for (int i = 0; i < funnels - 1; ++i) {
            const double a = span0 + (span1 - span0) * i / (funnels - 1);
            const double b = span0 + (span1 - span0) * (i + 1) / (funnels - 1);
            const double mid = (a + b) / 2 - 1.2;
            p.drawRoundedRect(QRectF(mid - 4, houseTop - 2.6, 8, 2.6), 1.2, 1.2);
        }
    }

    paintHull(p, hull, deck, keel, look, true, w);
}

// Box filter down from the supersampled picture; a pixel is artwork when at
// least half of it is covered, else the key colour. Nothing is blended into
// the key colour, so the transparent colour stays exact.
QImage resolve(const QImage &big, int w, int h)
{
    QImage out(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < Super; ++sy) {
                const auto *src = reinterpret_cast<const QRgb *>(big.constScanLine(y * Super + sy));
                for (int sx = 0; sx < Super; ++sx) {
                    const QRgb c = src[x * Super + sx];
                    r += qRed(c);
                    g += qGreen(c);
                    b += qBlue(c);
                    a += qAlpha(c);
                }
            }
            if (a < 0.5 * 255 * Super * Super) {
                line[x] = Key;
            } else {
                // Premultiplied sums: dividing by coverage gives the artwork's own colour.
                auto ch = [&](double v) { return std::clamp(int(std::lround(v * 255.0 / a)), 0, 255); };
                QRgb c = qRgb(ch(r), ch(g), ch(b));
                if (c == Key)
                    c = qRgb(254, 0, 255);
                line[x] = c;
            }
        }
    }
    return out;
}

// Median cut to at most 255 colours, the key colour reserved as entry 0.
QImage palettise(const QImage &img)
{
    std::map<QRgb, int> counts;
    for (int y = 0; y < img.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (line[x] != Key)
                ++counts[line[x]];
        }
    }
    struct Entry {
        QRgb c;
        int n;
    };
    // Frequent colours (the flat hull, sails, funnels) are kept exactly; the
    // antialiasing shades share the remaining entries.
    QList<QRgb> table{Key};
    std::vector<std::vector<Entry>> boxes(1);
    for (auto [c, n] : counts) {
        if (n >= 12 && table.size() < 96)
            table.push_back(c);
        else
            boxes[0].push_back({c, n});
    }
    const std::size_t freeEntries = std::size_t(256 - table.size());
    auto channel = [](QRgb c, int k) { return k == 0 ? qRed(c) : (k == 1 ? qGreen(c) : qBlue(c)); };
    while (boxes.size() < freeEntries) {
        // Split the box with the widest channel range.
        int best = -1, bestRange = 0, bestChannel = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            if (boxes[i].size() < 2)
                continue;
            for (int k = 0; k < 3; ++k) {
                int lo = 255, hi = 0;
                for (const Entry &e : boxes[i]) {
                    lo = std::min(lo, channel(e.c, k));
                    hi = std::max(hi, channel(e.c, k));
                }
                if (hi - lo > bestRange) {
                    bestRange = hi - lo;
                    best = i;
                    bestChannel = k;
                }
            }
        }
        if (best < 0)
            break;
        auto &box = boxes[best];
        std::sort(box.begin(), box.end(), [&](const Entry &a, const Entry &b) {
            return channel(a.c, bestChannel) < channel(b.c, bestChannel);
        });
        std::vector<Entry> upper(box.begin() + box.size() / 2, box.end());
        box.resize(box.size() / 2);
        boxes.push_back(std::move(upper));
    }
    for (const auto &box : boxes) {
        if (box.empty())
            continue;
        double r = 0, g = 0, b = 0, n = 0;
        for (const Entry &e : box) {
            r += qRed(e.c) * e.n;
            g += qGreen(e.c) * e.n;
            b += qBlue(e.c) * e.n;
            n += e.n;
        }
        QRgb c = qRgb(int(std::lround(r / n)), int(std::lround(g / n)), int(std::lround(b / n)));
        if (c == Key)
            c = qRgb(254, 0, 255);
        table.push_back(c);
    }
    QImage out(img.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    std::map<QRgb, int> memo;
    for (int y = 0; y < img.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        uchar *dst = out.scanLine(y);
        for (int x = 0; x < img.width(); ++x) {
            if (src[x] == Key) {
                dst[x] = 0;
                continue;
            }
            auto it = memo.find(src[x]);
            if (it == memo.end()) {
                int best = 1;
                long bestD = -1;
                for (int i = 1; i < table.size(); ++i) {
                    const long dr = qRed(table[i]) - qRed(src[x]), dg = qGreen(table[i]) - qGreen(src[x]),
                               db = qBlue(table[i]) - qBlue(src[x]);
                    const long d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
                    if (bestD < 0 || d < bestD) {
                        bestD = d;
                        best = i;
                    }
                }
                it = memo.emplace(src[x], best).first;
            }
            dst[x] = uchar(it->second);
        }
    }
    return out;
}

} // namespace

QRgb hullColour(bool red)
{
    return red ? qRgb(204, 34, 40) : qRgb(246, 246, 240);
}

QImage sprite(int index, int scale)
{
    const int length = index % 4 + 1;
    const bool red = index < 4;
    const int w = widthFor(length) * scale, h = Height * scale;
    QImage big(w * Super, h * Super, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(Super * scale, Super * scale);
        if (length <= 2)
            paintSailer(p, length, lookFor(red));
        else
            paintSteamer(p, length, lookFor(red));
    }
    return palettise(resolve(big, w, h));
}

} // namespace Ships
