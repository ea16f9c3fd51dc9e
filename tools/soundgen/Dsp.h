#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A few building blocks for synthesising short effects: noise, filters,
// envelopes, a small reverb and a WAV writer. Everything is deterministic.
namespace dsp {

constexpr int Rate = 22050;
constexpr double Pi = 3.14159265358979323846;

using Buffer = std::vector<double>;

Buffer silence(double seconds);
int samples(double seconds);

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    double white() { return uniform() * 2.0 - 1.0; }

private:
    std::uint64_t state_;
};

// RBJ biquad; the set* calls may be made per sample for sweeps.
class Biquad {
public:
    void setLowpass(double freq, double q = 0.7071);
    void setHighpass(double freq, double q = 0.7071);
    void setBandpass(double freq, double q);
    double tick(double x);

private:
    void set(double b0, double b1, double b2, double a0, double a1, double a2);
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// One-pole lowpass, for smoothing and gentle darkening.
class OnePole {
public:
    void setCutoff(double freq);
    double tick(double x);

private:
    double a_ = 1, y_ = 0;
};

// Exponential decay with a short linear attack, sampled at time t (seconds).
double decayEnv(double t, double attack, double tau);
// Attack, hold, release envelope: linear ramps.
double arEnv(double t, double attack, double hold, double release);

// Mix src into dst starting at the given time, scaled by gain.
void mixInto(Buffer &dst, const Buffer &src, double at, double gain = 1.0);

// Freeverb-style mono reverb; returns the wet signal added to the dry one.
void reverb(Buffer &buf, double roomSize, double damping, double wet, double dry = 1.0);

// Discrete echo: a delayed, darkened copy fed back a number of times.
void echo(Buffer &buf, double delay, double feedback, double cutoff);

// Gentle saturation that rounds peaks off instead of clipping them.
void saturate(Buffer &buf, double drive);

// Scale to the given peak, fade the first and last few milliseconds.
void finish(Buffer &buf, double peak, double fadeOutSeconds = 0.03);

// Like finish, but aims at a loudness: the loudest 300 ms are brought to
// targetDb (RMS, dB below full scale) and the peaks that then stand out are
// rounded off by a soft limiter so that nothing clips.
void finishLoud(Buffer &buf, double targetDb, double fadeOutSeconds = 0.03);

// Mono 16-bit PCM RIFF WAVE.
bool writeWav(const std::string &path, const Buffer &buf);

} // namespace dsp
