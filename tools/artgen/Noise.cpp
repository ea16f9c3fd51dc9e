#include "Noise.h"

#include <cmath>

std::uint64_t Rng::next()
{
    // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

Noise2::Noise2(std::uint64_t seed)
{
    Rng rng(seed);
    std::array<int, 256> p{};
    for (int i = 0; i < 256; ++i)
        p[i] = i;
    for (int i = 255; i > 0; --i) {
        const int j = rng.below(i + 1);
        std::swap(p[i], p[j]);
    }
    for (int i = 0; i < 512; ++i)
        perm_[i] = p[i & 255];
}

namespace {

double fade(double t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

double grad(int hash, double x, double y)
{
    // Eight evenly spread directions.
    static const double g[8][2] = {{1, 0},  {0.7071, 0.7071},   {0, 1},  {-0.7071, 0.7071},
                                   {-1, 0}, {-0.7071, -0.7071}, {0, -1}, {0.7071, -0.7071}};
    const double *d = g[hash & 7];
    return d[0] * x + d[1] * y;
}

} // namespace

double Noise2::at(double x, double y) const
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int xi = int(std::fmod(fx, 256.0) + 256) & 255;
    const int yi = int(std::fmod(fy, 256.0) + 256) & 255;
    const double xf = x - fx, yf = y - fy;
    const double u = fade(xf), v = fade(yf);
    const int aa = perm_[perm_[xi] + yi], ab = perm_[perm_[xi] + yi + 1];
    const int ba = perm_[perm_[xi + 1] + yi], bb = perm_[perm_[xi + 1] + yi + 1];
    const double x1 = mix(grad(aa, xf, yf), grad(ba, xf - 1, yf), u);
    const double x2 = mix(grad(ab, xf, yf - 1), grad(bb, xf - 1, yf - 1), u);
    return mix(x1, x2, v);
}

double Noise2::fbm(double x, double y, int octaves, double maxFreq, double gain) const
{
    double sum = 0, amp = 1, freq = 1;
    for (int o = 0; o < octaves; ++o) {
        // Octaves beyond maxFreq fade out over one octave instead of stopping abruptly.
        const double w = 1.0 - smoothstep(maxFreq * 0.5, maxFreq, freq);
        if (w <= 0)
            break;
        // Rotate each octave a little so the lattice does not show.
        const double c = 0.8, s = 0.6;
        sum += w * amp * at(x * freq + o * 17.13, y * freq - o * 9.71);
        const double nx = c * x - s * y, ny = s * x + c * y;
        x = nx;
        y = ny;
        amp *= gain;
        freq *= 2.0;
    }
    return sum;
}

double smoothstep(double e0, double e1, double x)
{
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

double clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}
