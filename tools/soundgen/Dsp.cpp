#include "Dsp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dsp {

int samples(double seconds)
{
    return int(std::lround(seconds * Rate));
}

Buffer silence(double seconds)
{
    return Buffer(std::size_t(samples(seconds)), 0.0);
}

std::uint64_t Rng::next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void Biquad::set(double b0, double b1, double b2, double a0, double a1, double a2)
{
    b0_ = b0 / a0;
    b1_ = b1 / a0;
    b2_ = b2 / a0;
    a1_ = a1 / a0;
    a2_ = a2 / a0;
}

namespace {
double clampFreq(double f)
{
    return std::clamp(f, 10.0, Rate * 0.45);
}
} // namespace

void Biquad::setLowpass(double freq, double q)
{
    const double w = 2 * Pi * clampFreq(freq) / Rate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::setHighpass(double freq, double q)
{
    const double w = 2 * Pi * clampFreq(freq) / Rate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    set((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::setBandpass(double freq, double q)
{
    // Constant 0 dB peak gain.
    const double w = 2 * Pi * clampFreq(freq) / Rate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    set(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

double Biquad::tick(double x)
{
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
}

void OnePole::setCutoff(double freq)
{
    a_ = 1.0 - std::exp(-2 * Pi * clampFreq(freq) / Rate);
}

double OnePole::tick(double x)
{
    y_ += a_ * (x - y_);
    return y_;
}

double decayEnv(double t, double attack, double tau)
{
    if (t < 0)
        return 0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / tau);
}

double arEnv(double t, double attack, double hold, double release)
{
    if (t < 0)
        return 0;
    if (t < attack)
        return t / attack;
    if (t < attack + hold)
        return 1;
    if (t < attack + hold + release)
        return 1 - (t - attack - hold) / release;
    return 0;
}

void mixInto(Buffer &dst, const Buffer &src, double at, double gain)
{
    const int off = samples(at);
    for (std::size_t i = 0; i < src.size(); ++i) {
        const std::size_t j = std::size_t(off) + i;
        if (j >= dst.size())
            break;
        dst[j] += src[i] * gain;
    }
}

namespace {

class Comb {
public:
    explicit Comb(int size) : buf_(std::size_t(size), 0.0) {}
    double tick(double x, double feedback, double damp)
    {
        const double out = buf_[pos_];
        store_ = out * (1 - damp) + store_ * damp;
        buf_[pos_] = x + store_ * feedback;
        pos_ = (pos_ + 1) % buf_.size();
        return out;
    }

private:
    Buffer buf_;
    std::size_t pos_ = 0;
    double store_ = 0;
};

class Allpass {
public:
    explicit Allpass(int size) : buf_(std::size_t(size), 0.0) {}
    double tick(double x)
    {
        const double b = buf_[pos_];
        const double out = -x + b;
        buf_[pos_] = x + b * 0.5;
        pos_ = (pos_ + 1) % buf_.size();
        return out;
    }

private:
    Buffer buf_;
    std::size_t pos_ = 0;
};

} // namespace

void reverb(Buffer &buf, double roomSize, double damping, double wet, double dry)
{
    // The classic tunings, halved for our sample rate.
    const int combSizes[] = {558, 594, 638, 678, 711, 745, 778, 808};
    const int allpassSizes[] = {278, 220, 170, 112};
    std::vector<Comb> combs;
    for (int s : combSizes)
        combs.emplace_back(s);
    std::vector<Allpass> allpasses;
    for (int s : allpassSizes)
        allpasses.emplace_back(s);
    const double feedback = 0.7 + 0.28 * roomSize;
    for (double &x : buf) {
        const double in = x * 0.015;
        double out = 0;
        for (Comb &c : combs)
            out += c.tick(in, feedback, damping);
        for (Allpass &a : allpasses)
            out = a.tick(out);
        x = x * dry + out * wet;
    }
}

void echo(Buffer &buf, double delay, double feedback, double cutoff)
{
    const int d = samples(delay);
    OnePole lp;
    lp.setCutoff(cutoff);
    for (std::size_t i = std::size_t(d); i < buf.size(); ++i)
        buf[i] += lp.tick(buf[i - std::size_t(d)]) * feedback;
}

void saturate(Buffer &buf, double drive)
{
    for (double &x : buf)
        x = std::tanh(x * drive) / std::tanh(drive);
}

void finish(Buffer &buf, double peak, double fadeOutSeconds)
{
    // Block any offset (below about 17 Hz) so that the fades do not click.
    double x1 = 0, y1 = 0, top = 0;
    for (double &x : buf) {
        const double y = x - x1 + 0.995 * y1;
        x1 = x;
        y1 = y;
        x = y;
        top = std::max(top, std::abs(x));
    }
    const double g = top > 0 ? peak / top : 0;
    const int fin = samples(0.002), fout = samples(fadeOutSeconds);
    const int n = int(buf.size());
    for (int i = 0; i < n; ++i) {
        double e = 1;
        if (i < fin)
            e = double(i) / fin;
        if (i >= n - fout)
            e *= double(n - 1 - i) / fout;
        buf[std::size_t(i)] *= g * e;
    }
}

void finishLoud(Buffer &buf, double targetDb, double fadeOutSeconds)
{
    finish(buf, 1.0, fadeOutSeconds);
    const std::size_t win = std::min<std::size_t>(std::size_t(samples(0.3)), buf.size());
    if (win == 0)
        return;
    double sum = 0, best = 0;
    for (std::size_t i = 0; i < buf.size(); ++i) {
        sum += buf[i] * buf[i];
        if (i >= win)
            sum -= buf[i - win] * buf[i - win];
        if (i + 1 >= win)
            best = std::max(best, sum / double(win));
    }
    const double rms = std::sqrt(std::max(best, 1e-12));
    const double gain = std::pow(10.0, targetDb / 20.0) / rms;
    const double ceiling = 0.89, knee = 0.6;
    for (double &x : buf) {
        const double v = x * gain, a = std::abs(v);
        x = a <= knee ? v
                      : std::copysign(knee + (ceiling - knee) * std::tanh((a - knee) / (ceiling - knee)), v);
    }
}

namespace {
void put16(std::FILE *f, int v)
{
    const unsigned char b[2] = {static_cast<unsigned char>(v & 0xFF),
                                static_cast<unsigned char>((v >> 8) & 0xFF)};
    std::fwrite(b, 1, 2, f);
}
void put32(std::FILE *f, std::uint32_t v)
{
    const unsigned char b[4] = {
        static_cast<unsigned char>(v & 0xFF), static_cast<unsigned char>((v >> 8) & 0xFF),
        static_cast<unsigned char>((v >> 16) & 0xFF), static_cast<unsigned char>((v >> 24) & 0xFF)};
    std::fwrite(b, 1, 4, f);
}
} // namespace

bool writeWav(const std::string &path, const Buffer &buf)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const std::uint32_t dataBytes = std::uint32_t(buf.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1); // PCM
    put16(f, 1); // mono
    put32(f, Rate);
    put32(f, Rate * 2);
    put16(f, 2);
    put16(f, 16);
    std::fwrite("data", 1, 4, f);
    put32(f, dataBytes);
    for (double x : buf) {
        const int v = int(std::lround(std::clamp(x, -1.0, 1.0) * 32767.0));
        put16(f, v);
    }
    const bool ok = std::ferror(f) == 0;
    return std::fclose(f) == 0 && ok;
}

} // namespace dsp
