#include "presentation/InfoPanel.h"

#include "game/Format.h"
#include "game/Game.h"
#include "game/GameTimers.h"
#include "game/Random.h"
#include "game/Texts.h"
#include "presentation/Artwork.h"
#include "presentation/BlendColor.h"
#include "presentation/DrawingSurface.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace {

constexpr QRgb Fuchsia = 0xFF00FF;

int spriteWidth(int length)
{
    return 33 * length + 24;
}

// A stand-in ship: the hull in the given colour, sails for the small boats,
// funnels for the large ships; fuchsia-free, transparent around it.
QImage drawnSprite(int length, const QColor &hull)
{
    const int w = spriteWidth(length);
    QImage img(w, 50, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(40, 30, 30);
    if (length <= 2) {
        for (int m = 0; m < length; ++m) {
            const int mx = 22 + m * 33 + 8;
            p.setPen(QPen(outline, 2));
            p.drawLine(mx, 4, mx, 33);
            QPolygonF sail{{mx + 2.0, 6.0}, {mx + 2.0, 31.0}, {mx + 22.0, 31.0}};
            p.setPen(QPen(QColor(150, 120, 0), 1));
            p.setBrush(QColor(250, 215, 40));
            p.drawPolygon(sail);
            QPolygonF jib{{mx - 2.0, 8.0}, {mx - 2.0, 31.0}, {mx - 16.0, 31.0}};
            p.drawPolygon(jib);
        }
    } else {
        p.setPen(QPen(outline, 1));
        p.setBrush(QColor(205, 205, 200));
        p.drawRect(QRectF(14, 24, w - 40, 9));
        p.setBrush(QColor(20, 20, 20));
        for (int f = 0; f < length; ++f)
            p.drawRect(QRectF(20 + f * 33, 13, 9, 11));
    }
    QPainterPath hullPath;
    hullPath.moveTo(2, 33);
    hullPath.lineTo(w - 1, 33);
    hullPath.lineTo(w - 12, 47);
    hullPath.lineTo(9, 47);
    hullPath.closeSubpath();
    p.setPen(QPen(outline, 1.2));
    p.setBrush(hull);
    p.drawPath(hullPath);
    p.setPen(QPen(QColor(25, 35, 80), 2));
    p.drawLine(QPointF(7, 44), QPointF(w - 10, 44));
    return img;
}

// Lines from (0, y - 20) to (Width, y), end point excluded, for y = 0..Height + 20,
// each in its blend colour. Every pixel lies on exactly one of them: the line
// through column x drops round(20 x / Width) rows, so pixel (x, r) belongs to
// line r + 20 - round(20 x / Width). At a higher device pixel ratio the same
// holds in device pixels, with finer steps.
int gradientDrop(const QImage &target)
{
    return std::lround(20 * target.devicePixelRatio());
}

std::vector<QRgb> gradientColours(const QImage &target)
{
    const int lines = target.height() + gradientDrop(target);
    const std::uint32_t c0 = WinRGB(123, 157, 221);
    const std::uint32_t c1 = WinRGB(69, 91, 149);
    std::vector<QRgb> colours(lines + 1);
    for (int y = 0; y <= lines; ++y)
        colours[y] = WinColorToQColor(BlendColor(c0, c1, y, lines)).rgb();
    return colours;
}

// The gradient into the device pixels r of a panel-sized RGB32 target.
void paintGradient(QImage &target, const QRect &r, const std::vector<QRgb> &colours)
{
    const int w = target.width(), drop = gradientDrop(target);
    // Each column's line offset, worked out once rather than per pixel.
    std::vector<int> shift(r.width());
    for (int x = r.left(); x <= r.right(); ++x)
        shift[x - r.left()] = drop - (drop * x + w / 2) / w;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(target.scanLine(y)) + r.left();
        const QRgb *byShift = colours.data() + y;
        for (int i = 0; i < r.width(); ++i)
            line[i] = byShift[shift[i]];
    }
}

} // namespace

QImage InfoPanel::prepareSprite(const QImage &picture)
{
    QImage img = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == Fuchsia)
                line[x] = 0;
        }
    }
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

InfoPanel::ShipSprites InfoPanel::drawnShipSprites()
{
    ShipSprites s;
    for (int k = 0; k < 4; ++k) {
        s[k] = drawnSprite(k + 1, QColor(200, 30, 30));
        s[k + 4] = drawnSprite(k + 1, QColor(250, 250, 250));
    }
    return s;
}

InfoPanel::ShipSprites InfoPanel::loadShipSprites(qreal devicePixelRatio)
{
    ShipSprites s;
    ShipSprites drawn;
    bool haveDrawn = false;
    for (int k = 0; k < 8; ++k) {
        const QImage picture = Artwork::load(QStringLiteral("ship%1").arg(k), devicePixelRatio);
        if (!picture.isNull()) {
            s[k] = prepareSprite(picture);
            continue;
        }
        if (!haveDrawn) {
            drawn = drawnShipSprites();
            haveDrawn = true;
        }
        s[k] = drawn[k];
    }
    return s;
}

QImage InfoPanel::buildInfoBackground(qreal devicePixelRatio)
{
    QImage img(std::ceil(Width * devicePixelRatio), std::ceil(Height * devicePixelRatio),
               QImage::Format_RGB32);
    img.setDevicePixelRatio(devicePixelRatio);
    paintGradient(img, img.rect(), gradientColours(img));
    return img;
}

QImage InfoPanel::infoBackground() const
{
    return buildInfoBackground(surface_.backBuffer().devicePixelRatio());
}

InfoPanel::InfoPanel(DrawingSurface &surface, Random &rng, const ShipSprites &sprites)
    : surface_(surface), rng_(rng), ownSprites_(sprites[0].isNull()),
      sprites_(ownSprites_ ? loadShipSprites(surface.backBuffer().devicePixelRatio()) : sprites),
      gradient_(gradientColours(surface.backBuffer())), font_(QStringLiteral("Arial"), 10, QFont::Bold)
{
    prepareSprites();
    resetTitleShip();
}

void InfoPanel::prepareSprites()
{
    for (QImage &sprite : sprites_) {
        if (sprite.format() != QImage::Format_ARGB32_Premultiplied)
            sprite = sprite.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
}

void InfoPanel::adoptPixelRatio()
{
    if (ownSprites_) {
        sprites_ = loadShipSprites(surface_.backBuffer().devicePixelRatio());
        prepareSprites();
    }
    gradient_ = gradientColours(surface_.backBuffer());
    fullFrame_ = true;
}

void InfoPanel::resetTitleShip()
{
    const QSize size = logicalSize(sprites_[0]);
    titleShip.x = -size.width();
    titleShip.sprite = rng_.random(4);
    titleShip.amplitude = (Height - size.height()) / 2;
}

QString InfoPanel::statisticsText(int tries, int hits)
{
    QString text = FormatText(Texts::InfoText(14), {tries}) + Texts::InfoText(tries == 1 ? 16 : 15);
    if (tries > 0) {
        const int ratio = Game::roundHalfToEven(static_cast<long long>(hits) * 100, tries);
        text += QStringLiteral(" / ") + FormatText(Texts::InfoText(17), {ratio});
    }
    return text;
}

void InfoPanel::drawFleetHalf(QImage &target, int ox, const ShipCounts &counts) const
{
    QPainter p(&target);
    p.setRenderHint(QPainter::SmoothPixmapTransform,
                    sprites_[0].devicePixelRatio() != target.devicePixelRatio());
    const int rowStep = logicalSize(sprites_[0]).height() + 4;
    for (int k = 3; k >= 0; --k) {
        const int n = 4 - k;
        const int w = logicalSize(sprites_[k]).width();
        int y = 0;
        int firstX = 0;
        switch (k) {
        case 3:
            firstX = 4;
            break;
        case 2:
            firstX = logicalSize(sprites_[3]).width() + 12;
            break;
        case 1:
            y = rowStep;
            firstX = (Width / 2 - 3 * w - 2 * 4) / 2;
            break;
        default:
            y = 2 * rowStep;
            firstX = (Width / 2 - 4 * w - 3 * 4) / 2;
            break;
        }
        // countShips counts by length (index 1..4).
        const int counted = counts[k + 1];
        for (int j = 0; j < n; ++j)
            p.drawImage(QPoint(ox + firstX + j * (w + 4), y), sprites_[j < counted ? k : k + 4]);
    }
}

void InfoPanel::drawInfo(const GameState &st)
{
    fullFrame_ = true;
    QImage &back = surface_.backBuffer();
    paintGradient(back, back.rect(), gradient_);
    const int v = Game::viewedPlayerOf(st);
    const bool firing = st.gamePhase == gpFiring || st.gamePhase == gpFinished;
    if (firing) {
        QPainter p(&back);
        p.setPen(QPen(Qt::white, 1));
        p.drawLine(Width / 2, 0, Width / 2, Height - 1);
        p.setFont(font_);
        const QFontMetrics fm(font_, &back);
        for (int i = 0; i < 2; ++i) {
            const int player = i == 0 ? (v ^ 1) : v;
            const QString text = statisticsText(st.tries[player], Game::hitCells(st.controlField[player]));
            const int x = (Width / 2 - fm.horizontalAdvance(text)) / 2 + (Width * i) / 2;
            const int y = Height - fm.height();
            p.drawText(QPoint(x, y + fm.ascent()), text);
        }
        p.end();
        drawFleetHalf(back, 0, Game::countShips(st.controlField[v ^ 1], 1));
        drawFleetHalf(back, Width / 2, Game::countShips(st.controlField[v], 1));
    } else if (st.gamePhase >= gpPlacing1 && st.gamePhase <= gpPlaced2) {
        drawFleetHalf(back, 0, Game::countShips(st.playField[v], 0));
    }
    surface_.present();
}

InfoPanel::Pose InfoPanel::titlePose(const SailingShip &ship)
{
    const double phi = std::numbers::pi * ship.x / (150.0 + 20.0 * ship.sprite);
    const double a = ship.amplitude;
    // nearbyint rounds halves to even in the default rounding mode.
    return Pose{static_cast<int>(std::nearbyint(a * std::sin(phi) + a + 30.0)),
                static_cast<int>(std::nearbyint(25.0 * std::cos(phi)))};
}

void InfoPanel::animate(int lagCount)
{
    const int s = titleShip.sprite & 3;
    const QImage &sprite = sprites_[s];
    const QSize size = logicalSize(sprite);
    const Pose pose = titlePose(titleShip);
    const QPoint topLeft(-size.width() / 2, -size.height() / 2);
    QTransform place;
    place.translate(titleShip.x, pose.y);
    if (pose.roll != 0)
        place.rotate(pose.roll * 360.0 / 256.0);
    // Smooth sampling may touch a pixel beyond the exact outline.
    const QRect shipRect = place.mapRect(QRectF(topLeft, size)).toAlignedRect().adjusted(-2, -2, 2, 2) &
                           QRect(0, 0, Width, Height);
    // Only the old and the new ship's place change from frame to frame; after
    // drawInfo the whole panel is recomposed once.
    const QRect dirty = fullFrame_ ? QRect(0, 0, Width, Height) : (lastShip_ | shipRect);

    QImage &back = surface_.backBuffer();
    paintGradient(back, surface_.deviceRect(dirty), gradient_);
    QPainter p(&back);
    p.setTransform(place, true);
    if (pose.roll != 0 || sprite.devicePixelRatio() != back.devicePixelRatio())
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(topLeft, sprite);
    p.end();
    if (fullFrame_)
        surface_.present();
    else
        surface_.present(dirty);
    fullFrame_ = false;
    lastShip_ = shipRect;

    titleShip.x += (lagCount < 1 ? 1 : lagCount) + 1;
    if (titleShip.x > Width + size.width() / 2) {
        const int next = rng_.random(4) & 3;
        titleShip.sprite = next;
        titleShip.x = -(logicalSize(sprites_[next]).width() / 2);
    }
}
