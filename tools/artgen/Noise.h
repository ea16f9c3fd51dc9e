#pragma once

#include <array>
#include <cstdint>

// Our own generator and noise so that the pictures come out bit for bit the
// same on every machine (the standard distributions are not portable).
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return int(next() % std::uint64_t(n)); }

private:
    std::uint64_t state_;
};

// Two-dimensional gradient noise, roughly in [-0.7, 0.7].
class Noise2 {
public:
    explicit Noise2(std::uint64_t seed);
    double at(double x, double y) const;

    // Fractal sum of octaves. maxFreq lets a caller drop octaves that would be
    // finer than a pixel (they fade out instead of aliasing).
    double fbm(double x, double y, int octaves, double maxFreq = 1e9, double gain = 0.5) const;

private:
    std::array<int, 512> perm_{};
};

double smoothstep(double e0, double e1, double x);
double clamp01(double v);
double mix(double a, double b, double t);
