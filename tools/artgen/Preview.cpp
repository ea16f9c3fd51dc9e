#include "Preview.h"

#include "Ships.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace Preview {

namespace {

QRgb blend(QRgb a, QRgb b, int i, int n)
{
    auto ch = [&](int ca, int cb) { return ca + (cb - ca) * i / n; };
    return qRgb(ch(qRed(a), qRed(b)), ch(qGreen(a), qGreen(b)), ch(qBlue(a), qBlue(b)));
}

QImage boardInUse(const QImage &board)
{
    QImage img = board.convertToFormat(QImage::Format_RGB32);
    QPainter p(&img);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(20);
    font.setBold(true);
    p.setFont(font);
    const QFontMetrics fm(font);
    auto centred = [&](const QString &t, QRect r) { p.drawText(r, Qt::AlignCenter, t); };
    // A few cells as a game in progress shows them.
    const QColor water(0, 0, 128), part(255, 255, 0), sunk(128, 128, 128);
    const int left[][3] = {{0, 0, 2}, {1, 0, 2}, {2, 0, 2}, {5, 2, 3}, {5, 3, 3}, {8, 6, 2},
                           {3, 5, 1}, {4, 7, 1}, {7, 8, 1}, {0, 9, 2}, {9, 4, 1}};
    const int right[][3] = {{2, 2, 2}, {2, 3, 2}, {6, 1, 3}, {7, 1, 3}, {8, 1, 3}, {0, 0, 1},
                            {4, 4, 1}, {5, 6, 1}, {1, 8, 1}, {9, 9, 1}, {3, 7, 1}};
    auto fill = [&](int ox, const int(*cells)[3], int n) {
        for (int i = 0; i < n; ++i) {
            const QColor c = cells[i][2] == 1 ? water : (cells[i][2] == 2 ? part : sunk);
            p.fillRect(QRect(40 * (cells[i][0] + ox) + 1, 40 * (cells[i][1] + 2) + 1, 39, 39), c);
        }
    };
    fill(1, left, 11);
    fill(12, right, 11);
    for (int k = 0; k <= 22; ++k) {
        const bool thick = k == 0 || k == 11 || k == 22 || k == 1 || k == 12;
        p.setPen(QPen(Qt::black, thick ? 3 : 1));
        p.drawLine(40 * k, (k == 0 || k == 11 || k == 22) ? 0 : 40, 40 * k, 480);
        if (k % 11)
            centred(QString::number(k % 11), QRect(40 * k, 40, 40, 40));
    }
    for (int k = 0; k <= 12; ++k) {
        p.setPen(QPen(Qt::black, (k <= 2 || k == 12) ? 3 : 1));
        p.drawLine(0, 40 * k, 880, 40 * k);
        if (k < 10) {
            centred(QString(QChar('A' + k)), QRect(0, 40 * (k + 2), 40, 40));
            centred(QString(QChar('A' + k)), QRect(440, 40 * (k + 2), 40, 40));
        }
    }
    centred(QStringLiteral("Spielfeld"), QRect(0, 0, 440, 40));
    centred(QStringLiteral("Kontrollfeld"), QRect(440, 0, 440, 40));
    p.setPen(QPen(Qt::red, 3));
    p.drawRect(QRect(40 * 16 + 1, 40 * 6 + 1, 39, 39));
    p.fillRect(QRect(40 * 16, 40 * 6, 40, 40), QColor(255, 0, 0, 50));
    (void)fm;
    return img;
}

// Nearest-neighbour rotation that keeps the key colour transparent.
void drawRotated(QPainter &p, const QImage &sprite, QPointF centre, double degrees)
{
    QImage argb = sprite.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if ((line[x] | 0xFF000000) == Ships::Key)
                line[x] = 0;
        }
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.translate(centre);
    p.rotate(degrees);
    p.drawImage(QPointF(-argb.width() / 2.0, -argb.height() / 2.0), argb);
    p.restore();
}

QImage infoPanel(const QList<QImage> &sprites, bool animation)
{
    const int W = 881, H = 182;
    QImage img(W, H, QImage::Format_RGB32);
    {
        QPainter p(&img);
        for (int y = 0; y <= H + 20; ++y) {
            p.setPen(QColor(blend(qRgb(123, 157, 221), qRgb(69, 91, 149), y, H + 20)));
            p.drawLine(0, y - 20, W - 1, y - 1);
        }
        if (animation) {
            drawRotated(p, sprites[0], QPointF(150, 60), -20);
            drawRotated(p, sprites[1], QPointF(330, 120), 12);
            drawRotated(p, sprites[2], QPointF(540, 70), 30);
            drawRotated(p, sprites[3], QPointF(760, 110), -8);
            return img;
        }
        p.setPen(Qt::white);
        p.drawLine(440, 0, 440, H);
        auto keyed = [](QImage s) {
            QImage a = s.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < a.height(); ++y) {
                auto *line = reinterpret_cast<QRgb *>(a.scanLine(y));
                for (int x = 0; x < a.width(); ++x)
                    if (line[x] == Ships::Key)
                        line[x] = 0;
            }
            return a;
        };
        const int counts[2][4] = {{3, 2, 1, 1}, {4, 1, 2, 0}};
        for (int half = 0; half < 2; ++half) {
            const int ox = half * 440;
            for (int k = 3; k >= 0; --k) {
                const int w = sprites[k].width();
                const int n = 4 - k;
                int y = 0, first = 0;
                if (k == 3) {
                    first = 4;
                } else if (k == 2) {
                    first = sprites[3].width() + 12;
                } else if (k == 1) {
                    y = 54;
                    first = (440 - 3 * w - 8) / 2;
                } else {
                    y = 108;
                    first = (440 - 4 * w - 12) / 2;
                }
                for (int j = 0; j < n; ++j)
                    p.drawImage(ox + first + j * (w + 4), y, keyed(sprites[j < counts[half][k] ? k : k + 4]));
            }
        }
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPointSize(10);
        f.setBold(true);
        p.setFont(f);
        const QFontMetrics fm(f);
        const QString t1 = QStringLiteral("bisher 12 Versuche / Trefferquote: 42%");
        const QString t2 = QStringLiteral("bisher 11 Versuche / Trefferquote: 36%");
        p.drawText((440 - fm.horizontalAdvance(t1)) / 2, H - fm.height() + fm.ascent(), t1);
        p.drawText((440 - fm.horizontalAdvance(t2)) / 2 + 440, H - fm.height() + fm.ascent(), t2);
    }
    return img;
}

QImage banner(const QImage &logo, const QImage &icon)
{
    const int W = 435, H = 65;
    QImage img(W, H, QImage::Format_RGB32);
    const QRgb blue = qRgb(74, 160, 255), white = qRgb(255, 255, 255);
    const int n = int(W * 0.75), m = W - n;
    for (int x = 0; x <= n; ++x)
        for (int y = 0; y < H; ++y)
            img.setPixel(x, y, blend(blue, white, x, n));
    for (int x = 0; x < m; ++x)
        for (int y = 0; y < H; ++y)
            img.setPixel(W - m + x, y, blend(white, blue, x, m));
    // The banner's rule: black stays black, white leaves the gradient, colours AND with it.
    const QImage l = logo.convertToFormat(QImage::Format_RGB32);
    const int lx = n - l.width() / 2, ly = 4;
    for (int y = 0; y < l.height() && ly + y < H; ++y)
        for (int x = 0; x < l.width(); ++x)
            img.setPixel(lx + x, ly + y, (img.pixel(lx + x, ly + y) & l.pixel(x, y)) | 0xFF000000);
    QPainter p(&img);
    p.drawImage(8, H / 2 - icon.height() / 2, icon);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(icon.width() + 16, H / 2 - 21 + 11, QStringLiteral("Kielwanz"));
    f.setBold(false);
    p.setFont(f);
    p.drawText(icon.width() + 16, H / 2 - 7 + 11, QStringLiteral("Version: 1.0.0.0"));
    p.drawText(icon.width() + 16, H / 2 + 7 + 11, QStringLiteral("Entwicklungszeit: 2004"));
    return img;
}

} // namespace

QImage compose(const QImage &title, const QImage &board, const QList<QImage> &sprites, const QImage &logo,
               const QImage &icon)
{
    const int gap = 8;
    const int w = 881 + 2 * gap;
    const int h = gap + 480 + gap + 480 + gap + 182 + gap + 182 + gap + 100 + gap + 126 + gap;
    QImage sheet(w, h, QImage::Format_RGB32);
    sheet.fill(QColor(60, 60, 60));
    QPainter p(&sheet);
    int y = gap;
    p.drawImage(gap, y, title);
    y += 480 + gap;
    p.drawImage(gap, y, boardInUse(board));
    y += 480 + gap;
    p.drawImage(gap, y, infoPanel(sprites, false));
    y += 182 + gap;
    p.drawImage(gap, y, infoPanel(sprites, true));
    y += 182 + gap;
    p.drawImage(gap, y, banner(logo, icon));
    // The sprites at 2x to judge the pixels, and the icon at 64.
    int x = gap + 435 + gap;
    for (int i : {0, 1, 5}) {
        const QImage s =
            sprites[i].scaled(sprites[i].size() * 2, Qt::KeepAspectRatio, Qt::FastTransformation);
        p.drawImage(x, y, s);
        x += s.width() + gap;
    }
    y += 100 + gap;
    x = gap;
    for (int i : {2, 3, 7}) {
        const QImage s =
            sprites[i].scaled(sprites[i].size() * 2, Qt::KeepAspectRatio, Qt::FastTransformation);
        p.drawImage(x, y, s);
        x += s.width() + gap;
    }
    p.drawImage(x, y, logo.scaled(logo.size() * 2, Qt::KeepAspectRatio, Qt::FastTransformation));
    return sheet;
}

} // namespace Preview
