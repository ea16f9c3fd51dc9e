#include "Seascape.h"

#include "Noise.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <vector>

namespace Seascape {

namespace {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb operator*(Rgb a, double k)
{
    return {a.r * k, a.g * k, a.b * k};
}
Rgb lerp(Rgb a, Rgb b, double t)
{
    return a * (1 - t) + b * t;
}

Rgb rgb8(int r, int g, int b)
{
    return {r / 255.0, g / 255.0, b / 255.0};
}

QRgb toQRgb(Rgb c)
{
    auto q = [](double v) {
        // A little gamma-free tone clamp; the scene is authored in display values.
        const int i = int(std::lround(clamp01(v) * 255.0));
        return i;
    };
    return qRgb(q(c.r), q(c.g), q(c.b));
}

struct Vec {
    double x, y, z;
};
Vec normalize(Vec v)
{
    const double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / l, v.y / l, v.z / l};
}
double dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Camera: horizon at Horizon, centred on the picture, focal length in pixels.
constexpr double Cx = Width / 2.0;
constexpr double Focal = 620.0;

class Scene {
public:
    Scene() : clouds_(20040611), detail_(77), sea_(4242)
    {
        Rng rng(1987);
        // Sea waves: many long-crested sines with wavelengths from swell to ripples.
        const int n = 48;
        for (int i = 0; i < n; ++i) {
            const double t = double(i) / (n - 1);
            Wave w;
            const double lambda = 6.0 * std::pow(0.03 / 6.0, t);
            const double dir = 1.45 + rng.range(-1.0, 1.0) * (0.55 + 0.9 * t);
            w.ku = std::cos(dir) * 2 * M_PI / lambda;
            w.kv = std::sin(dir) * 2 * M_PI / lambda;
            w.slope = rng.range(0.024, 0.044) * (1.0 - 0.3 * t);
            w.phase = rng.range(0, 2 * M_PI);
            waves_.push_back(w);
        }
    }

    // Sky colour at a (possibly fractional, possibly off-picture) pixel above
    // the horizon. footprintScale > 1 blurs the clouds (for reflections).
    Rgb sky(double px, double py, double footprintScale) const
    {
        const double up = std::max(Horizon - py, 0.35);
        const double elev = up / Focal;
        const Rgb zenith = rgb8(38, 92, 178);
        const Rgb mid = rgb8(92, 148, 214);
        const Rgb horizon = rgb8(196, 218, 236);
        const double t = smoothstep(0.0, 0.42, elev);
        Rgb base =
            t < 0.35 ? lerp(horizon, mid, std::pow(t / 0.35, 0.8)) : lerp(mid, zenith, (t - 0.35) / 0.65);

        // Cloud layer as a plane high above the camera.
        const double cu = (px - Cx) / up * 1.0;
        const double cv = Focal / up * 1.0;
        const double scale = 0.55;
        const double fpu = 1.0 / up, fpv = Focal / (up * up);
        const double footprint = std::max(fpu, fpv) * scale * footprintScale;
        const double maxFreq = 0.45 / footprint;
        const double u = cu * scale + 3.7, v = cv * scale * 1.35 + 1.3;
        const double big = clouds_.fbm(u * 0.35, v * 0.35, 2, maxFreq * 0.35);
        const double n = clouds_.fbm(u, v, 8, maxFreq) + 0.55 * big;
        const double coverage = 0.05;
        double a = smoothstep(coverage, coverage + 0.32, n);
        // Light from the upper left and behind: edges facing it are bright, the bellies grey.
        const double n2 = clouds_.fbm(u - 0.18, v + 0.10, 8, maxFreq) + 0.55 * big;
        const double lit = clamp01(0.62 + (n - n2) * 2.4);
        const double thick = smoothstep(coverage + 0.15, coverage + 0.75, n);
        const Rgb white = rgb8(252, 252, 250);
        const Rgb belly = rgb8(150, 162, 184);
        Rgb cloud = lerp(belly, white, lit);
        cloud = lerp(cloud, belly * 0.92, thick * 0.45);
        // Fine wisps only in the near sky.
        const double wisp = detail_.fbm(u * 2.3, v * 0.9, 5, maxFreq / 2.3);
        a = std::max(a, smoothstep(0.22, 0.55, wisp) * 0.35 * (1 - thick));

        // Far clouds melt into the haze over the horizon.
        const double haze = std::exp(-cv / 28.0);
        a *= haze;
        Rgb c = lerp(base, cloud, a);
        c = cumulusBank(px, up, c, footprintScale);
        const double nearHorizon = std::exp(-up / 7.0);
        c = lerp(c, horizon * 1.02, nearHorizon * 0.6);
        return c;
    }

    // Distant heaped clouds standing on the horizon, drawn in picture space.
    Rgb cumulusBank(double px, double up, Rgb behind, double footprintScale) const
    {
        if (up > 150)
            return behind;
        const double maxFreq = 0.45 / std::max(footprintScale, 1e-6);
        // Height of the bank along the horizon, with gaps.
        const double ridge = clamp01(0.45 + bank_.fbm(px / 210.0, 0.3, 4, maxFreq * 210));
        const double top = 8 + 96 * std::pow(ridge, 1.5);
        // Cauliflower edges: billowy noise pushes the outline up and down.
        const double billow = std::abs(bank_.fbm(px / 26.0, up / 22.0 + 7.0, 4, maxFreq * 26));
        const double edge = top + 22 * billow - 10 - up;
        const double a = smoothstep(0.0, 3.5, edge);
        if (a <= 0)
            return behind;
        // Lit tops, grey-blue bases, and inner puffs a little shaded.
        const double inside = clamp01(edge / 22.0);
        const double puff = bank_.fbm(px / 14.0 + 3.0, up / 12.0, 4, maxFreq * 14);
        const double lit = clamp01(0.85 - 0.55 * inside + 0.5 * puff + 0.35 * (up / std::max(top, 1.0)));
        const Rgb white = rgb8(250, 250, 252), base = rgb8(168, 180, 202);
        Rgb cloud = lerp(base, white, lit);
        // Far away: the haze takes some of the contrast.
        cloud = lerp(cloud, rgb8(200, 218, 236), 0.35);
        return lerp(behind, cloud, a * 0.95);
    }

    Rgb sea(double px, double py, double pixelSize) const
    {
        const double down = py - Horizon;
        const double wu = (px - Cx) / down, wv = Focal / down;
        const double fpu = pixelSize / down, fpv = pixelSize * Focal / (down * down);
        double gu = 0, gv = 0, height = 0;
        for (const Wave &w : waves_) {
            // Cycles per pixel of this wave on the screen; fade before it aliases.
            const double cpp = std::hypot(w.ku * fpu, w.kv * fpv) / (2 * M_PI);
            const double keep = 1.0 - smoothstep(0.12, 0.38, cpp);
            if (keep <= 0)
                continue;
            const double k = std::hypot(w.ku, w.kv);
            const double ph = w.ku * wu + w.kv * wv + w.phase;
            const double amp = w.slope / k * keep;
            // Slightly peaked crests (trochoid-like) read as water rather than corrugation.
            const double s = std::sin(ph), c = std::cos(ph);
            height += amp * (s + 0.25 * (1 - c * c));
            gu += amp * w.ku * c * (1 - 0.5 * s);
            gv += amp * w.kv * c * (1 - 0.5 * s);
        }
        // Gusts roughen the water in patches.
        const double gust = 0.65 + 0.7 * clamp01(0.5 + sea_.fbm(wu * 0.35, wv * 0.12, 3));
        gu *= gust;
        gv *= gust;
        const Vec nrm = normalize({-gu, 1.0, -gv});
        const Vec d = normalize({(px - Cx) / Focal, -down / Focal, 1.0});
        const double dn = dot(d, nrm);
        Vec r{d.x - 2 * dn * nrm.x, d.y - 2 * dn * nrm.y, d.z - 2 * dn * nrm.z};
        // A ray reflected downwards would meet the next wave: it sees water, not sky.
        const double under = smoothstep(0.0, 0.08, -r.y);
        r.y = std::max(r.y, 0.0006);
        r.z = std::max(r.z, 0.05);
        Rgb refl = sky(Cx + r.x / r.z * Focal, Horizon - r.y / r.z * Focal, 6.0);
        const double cosv = clamp01(-dn);
        const double fres = 0.02 + 0.98 * std::pow(1 - cosv, 5);
        const Rgb deep = rgb8(4, 32, 78);
        const Rgb shallow = rgb8(16, 84, 136);
        // Crests let a little more light through.
        const Rgb body = lerp(deep, shallow, clamp01(0.35 + height * 9.0));
        refl = lerp(refl, body * 1.3, under);
        Rgb c = lerp(body, refl * 0.78, fres);
        // A veil of haze over the far sea.
        const double haze = std::exp(-wv / 90.0);
        c = lerp(rgb8(170, 192, 212), c, 0.25 + 0.75 * haze);
        return c;
    }

private:
    struct Wave {
        double ku, kv, slope, phase;
    };
    Noise2 clouds_;
    Noise2 detail_;
    Noise2 bank_{314159};
    Noise2 sea_;
    std::vector<Wave> waves_;
};

} // namespace

QImage render(int supersample, int scale)
{
    const Scene scene;
    const int s = std::max(1, supersample);
    const int k = std::max(1, scale);
    QImage img(Width * k, Height * k, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            Rgb acc;
            for (int sy = 0; sy < s; ++sy) {
                for (int sx = 0; sx < s; ++sx) {
                    const double px = (x + (sx + 0.5) / s) / k, py = (y + (sy + 0.5) / s) / k;
                    const double footprint = 1.0 / (s * k);
                    acc = acc + (py < Horizon ? scene.sky(px, py, footprint) : scene.sea(px, py, footprint));
                }
            }
            line[x] = toQRgb(acc * (1.0 / (s * s)));
        }
    }
    return img;
}

QImage title(const QImage &sea, const QImage &logo, int scale)
{
    QImage img = sea.convertToFormat(QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);

    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(100);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    QPainterPath text;
    text.addText(0, 0, font, QStringLiteral("KIELWANZ"));
    // Letters standing on the horizon, filling most of the right half.
    const QRectF b = text.boundingRect();
    const double targetW = 396.0;
    const double sx = targetW / b.width();
    const double sy = sx * 1.12;
    QTransform t;
    t.translate(440 + (440 - targetW) / 2.0 - b.left() * sx, Horizon + 1 - b.bottom() * sy);
    t.scale(sx, sy);
    const QPainterPath placed = t.map(text);

    // A soft, broken reflection of the letters on the water.
    {
        QImage refl(img.size(), QImage::Format_ARGB32_Premultiplied);
        refl.fill(Qt::transparent);
        QPainter rp(&refl);
        rp.setRenderHint(QPainter::Antialiasing);
        rp.scale(scale, scale);
        QTransform mirror;
        mirror.translate(0, 2 * Horizon + 3);
        mirror.scale(1, -1);
        rp.fillPath(mirror.map(placed), QColor(0, 10, 25));
        rp.end();
        Noise2 wobble(99);
        QImage broken(img.size(), QImage::Format_ARGB32_Premultiplied);
        broken.fill(Qt::transparent);
        // Device pixels; the wobble is a function of the logical position.
        for (int dy = Horizon * scale + 1; dy < Height * scale; ++dy) {
            const double y = double(dy) / scale;
            const double depth = y - Horizon;
            const double fade = std::exp(-depth / 55.0) * 0.55;
            const auto *src = reinterpret_cast<const QRgb *>(refl.constScanLine(dy));
            auto *dst = reinterpret_cast<QRgb *>(broken.scanLine(dy));
            for (int dx = 0; dx < Width * scale; ++dx) {
                const double x = double(dx) / scale;
                const double shift = wobble.at(x * 0.02, y * 0.45) * (1.5 + depth * 0.12) * scale;
                const int sx2 = std::clamp(int(std::lround(dx + shift)), 0, Width * scale - 1);
                const QRgb c = src[sx2];
                const double a = qAlpha(c) / 255.0 * fade * (0.75 + 0.5 * wobble.at(x * 0.05, y * 0.9));
                dst[dx] = qPremultiply(qRgba(qRed(c), qGreen(c), qBlue(c), int(clamp01(a) * 255)));
            }
        }
        p.save();
        p.resetTransform();
        p.drawImage(0, 0, broken);
        p.restore();
    }

    p.fillPath(placed, QColor(0, 0, 0));

    // The small logo at the bottom right on a light plate; multiplying keeps
    // black black and lets white show the plate.
    const double shrink = 0.62;
    const QSize ls(int(logo.width() / scale * shrink), int(logo.height() / scale * shrink));
    const QRect plate(Width - ls.width() - 22, Height - ls.height() - 18, ls.width() + 12, ls.height() + 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawRoundedRect(plate, 6, 6);
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(plate.left() + 6, plate.top() + 4, ls.width(), ls.height()),
                logo.convertToFormat(QImage::Format_RGB32));
    p.end();
    return img;
}

QImage board(const QImage &sea, int scale)
{
    // Blur first so that no wave crest competes with the grid lines.
    QImage src = sea.convertToFormat(QImage::Format_RGB32);
    const int w = Width * scale, h = Height * scale;
    QImage small = src.scaled(Width / 4, Height / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage soft = small.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        const auto *b = reinterpret_cast<const QRgb *>(soft.constScanLine(y));
        auto *d = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            auto chan = [&](int ca, int cb) { return 0.35 * ca + 0.65 * cb; };
            const double r = chan(qRed(a[x]), qRed(b[x])) / 255.0;
            const double g = chan(qGreen(a[x]), qGreen(b[x])) / 255.0;
            const double bl = chan(qBlue(a[x]), qBlue(b[x])) / 255.0;
            const double lum = 0.3 * r + 0.59 * g + 0.11 * bl;
            // Mostly grey with a hint of the original blue, squeezed into a pale range.
            const double cr = mix(lum, r, 0.45), cg = mix(lum, g, 0.45), cb = mix(lum, bl, 0.45);
            const bool right = x >= w / 2;
            const double lo = right ? 0.62 : 0.80, hi = right ? 0.80 : 0.95;
            auto squeeze = [&](double v, double tint) { return lo + (hi - lo) * v + tint; };
            const Rgb c{squeeze(cr, -0.05), squeeze(cg, -0.012), squeeze(cb, 0.035)};
            d[x] = toQRgb(c);
        }
    }
    return img;
}

} // namespace Seascape
