#include "Sounds.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace sounds {

using namespace dsp;

namespace {

using Curve = std::function<double(double)>;

double timeOf(std::size_t i)
{
    return double(i) / Rate;
}

// Noise through a lowpass whose cutoff follows a curve, shaped by an envelope.
Buffer lowNoise(double dur, std::uint64_t seed, const Curve &cutoff, const Curve &env, double q = 0.7071)
{
    Buffer b = silence(dur);
    Rng rng(seed);
    Biquad f;
    for (std::size_t i = 0; i < b.size(); ++i) {
        const double t = timeOf(i);
        if ((i & 15) == 0)
            f.setLowpass(cutoff(t), q);
        b[i] = f.tick(rng.white()) * env(t);
    }
    return b;
}

Buffer bandNoise(double dur, std::uint64_t seed, const Curve &centre, double q, const Curve &env)
{
    Buffer b = silence(dur);
    Rng rng(seed);
    Biquad f;
    for (std::size_t i = 0; i < b.size(); ++i) {
        const double t = timeOf(i);
        if ((i & 15) == 0)
            f.setBandpass(centre(t), q);
        b[i] = f.tick(rng.white()) * env(t);
    }
    return b;
}

// An air bubble ringing at its resonance, the pitch rising as it nears the surface.
Buffer bubble(double f0, double dur, double rise)
{
    Buffer b = silence(dur);
    double phase = 0;
    for (std::size_t i = 0; i < b.size(); ++i) {
        const double t = timeOf(i);
        const double f = f0 * std::pow(rise, t / dur);
        b[i] = std::sin(phase) * decayEnv(t, 0.0015, dur / 3.5);
        phase += 2 * Pi * f / Rate;
    }
    return b;
}

// Short bursts of filtered noise scattered in time: spray, crackle, splinters.
struct GrainSpec {
    int count = 40;
    double from = 0, to = 1;
    double bias = 1.0; // > 1 gathers the grains towards the start
    double fLo = 1000, fHi = 4000, q = 1.5;
    double lenLo = 0.005, lenHi = 0.03;
    double fade = 1.0; // seconds for the loudness of later grains to fall by e
};

Buffer grains(double dur, std::uint64_t seed, const GrainSpec &g)
{
    Buffer out = silence(dur);
    Rng rng(seed);
    for (int k = 0; k < g.count; ++k) {
        const double at = g.from + (g.to - g.from) * std::pow(rng.uniform(), g.bias);
        const double len = rng.range(g.lenLo, g.lenHi);
        const double f = g.fLo * std::pow(g.fHi / g.fLo, rng.uniform());
        const double amp = rng.range(0.3, 1.0) * std::exp(-(at - g.from) / g.fade);
        const Buffer grain = bandNoise(
            len * 3, rng.next(), [f](double) { return f; }, g.q,
            [len](double t) { return decayEnv(t, 0.0008, len / 2.5); });
        mixInto(out, grain, at, amp);
    }
    return out;
}

// Struck metal: inharmonic partials, each a detuned pair so that it shimmers.
struct Partial {
    double ratio, amp, tau;
};

Buffer modal(double dur, double f0, const std::vector<Partial> &partials, std::uint64_t seed)
{
    Buffer b = silence(dur);
    Rng rng(seed);
    for (const Partial &p : partials) {
        const double f = f0 * p.ratio;
        if (f > Rate * 0.45)
            continue;
        const double ph1 = rng.range(0, 2 * Pi), ph2 = rng.range(0, 2 * Pi);
        const double detune = 1.0 + rng.range(0.0015, 0.004);
        for (std::size_t i = 0; i < b.size(); ++i) {
            const double t = timeOf(i);
            const double e = decayEnv(t, 0.0008, p.tau);
            b[i] +=
                p.amp * e * 0.5 * (std::sin(2 * Pi * f * t + ph1) + std::sin(2 * Pi * f * detune * t + ph2));
        }
    }
    return b;
}

// A band-limited sawtooth made of its harmonics; brightness(t) is the
// harmonic number around which the spectrum rolls off.
Buffer brass(double dur, const Curve &freq, const Curve &brightness, const Curve &env)
{
    Buffer b = silence(dur);
    double phase = 0;
    for (std::size_t i = 0; i < b.size(); ++i) {
        const double t = timeOf(i);
        const double f = freq(t);
        const double bright = brightness(t);
        double s = 0;
        for (int k = 1; k * f < Rate * 0.45 && k <= 40; ++k)
            s += std::sin(phase * k) / k * std::exp(-(k - 1) / bright);
        b[i] = s * env(t);
        phase += 2 * Pi * f / Rate;
        if (phase > 2 * Pi * 1000)
            phase = std::fmod(phase, 2 * Pi);
    }
    return b;
}

Buffer sine(double dur, const Curve &freq, const Curve &env, double second = 0.0)
{
    Buffer b = silence(dur);
    double phase = 0;
    for (std::size_t i = 0; i < b.size(); ++i) {
        const double t = timeOf(i);
        b[i] = (std::sin(phase) + second * std::sin(2 * phase)) * env(t);
        phase += 2 * Pi * freq(t) / Rate;
    }
    return b;
}

// ---------------------------------------------------------------- water

Buffer splash(double dur, std::uint64_t seed, double size, double brightness = 1.0)
{
    Buffer out = silence(dur);
    // The crash of the water surface: bright at first, quickly duller.
    mixInto(out,
            lowNoise(
                dur, seed + 1,
                [=](double t) { return 900 + 7000 * brightness * std::exp(-t / (0.22 * size)); },
                [=](double t) { return decayEnv(t, 0.004, 0.16 * size); }),
            0, 0.9);
    // The body of displaced water.
    mixInto(out,
            lowNoise(
                dur, seed + 2, [](double) { return 420; },
                [=](double t) { return decayEnv(t, 0.012, 0.28 * size); }, 1.2),
            0, 1.3);
    // Spray and the column falling back: a rain of small droplets.
    GrainSpec spray;
    spray.count = int(420 * size);
    spray.from = 0.04;
    spray.to = dur * 0.9;
    spray.bias = 1.8;
    spray.fLo = 1200;
    spray.fHi = 6000 * brightness;
    spray.q = 1.4;
    spray.lenLo = 0.008;
    spray.lenHi = 0.035;
    spray.fade = 0.4 * size;
    mixInto(out, grains(dur, seed + 3, spray), 0, 0.4);
    // Foam fizzing away.
    mixInto(out,
            bandNoise(
                dur, seed + 5, [](double) { return 4200; }, 0.9,
                [=](double t) { return decayEnv(t, 0.08, 0.5 * size); }),
            0, 0.12);
    // Bubbles.
    Rng rng(seed + 4);
    const int nBubbles = int(26 * size);
    for (int k = 0; k < nBubbles; ++k) {
        const double at = 0.04 + std::pow(rng.uniform(), 1.4) * std::min(dur - 0.2, 1.3 * size);
        const double f0 = rng.range(500, 2200) / std::sqrt(size);
        mixInto(out, bubble(f0, rng.range(0.02, 0.07), rng.range(1.3, 2.0)), at,
                rng.range(0.04, 0.14) * std::exp(-at / (0.8 * size)));
    }
    return out;
}

Buffer water1()
{
    Buffer b = splash(2.2, 101, 1.0);
    reverb(b, 0.5, 0.6, 0.6);
    finishLoud(b, -12, 0.2);
    return b;
}

Buffer water2()
{
    // The shell whistles in, falling in pitch, and plunges into the sea.
    const double dur = 2.9, hit = 1.05;
    Buffer b = silence(dur);
    const Curve whistleF = [](double t) {
        return 650 + 1150 * std::exp(-t / 0.55) + 12 * std::sin(2 * Pi * 6 * t);
    };
    const Curve whistleEnv = [=](double t) {
        return t > hit ? 0.0 : (0.05 + 0.45 * std::pow(t / hit, 2.0)) * std::min(1.0, (hit - t) / 0.01);
    };
    mixInto(b, sine(hit + 0.01, whistleF, whistleEnv, 0.12), 0, 0.7);
    mixInto(b, bandNoise(hit + 0.01, 202, whistleF, 6, whistleEnv), 0, 0.5);
    mixInto(b, splash(dur - hit, 203, 1.4, 0.9), hit, 1.0);
    reverb(b, 0.6, 0.55, 0.7);
    finishLoud(b, -12, 0.25);
    return b;
}

Buffer water3()
{
    // A heavy plop: one big bubble and a smaller splash.
    const double dur = 2.0;
    Buffer b = silence(dur);
    mixInto(b, bubble(240, 0.16, 2.6), 0.0, 0.8);
    mixInto(
        b,
        sine(
            0.1, [](double t) { return 140 - 300 * t; }, [](double t) { return decayEnv(t, 0.002, 0.03); }),
        0, 0.6);
    mixInto(b, splash(dur - 0.03, 303, 0.75, 0.8), 0.03, 0.8);
    Rng rng(304);
    for (int k = 0; k < 8; ++k)
        mixInto(b, bubble(rng.range(300, 800), rng.range(0.05, 0.12), 1.8), rng.range(0.15, 1.0), 0.15);
    reverb(b, 0.45, 0.6, 0.55);
    finishLoud(b, -12.5, 0.2);
    return b;
}

// ---------------------------------------------------------------- hits

Buffer boom(double dur, std::uint64_t seed, double size, double crack = 1.0)
{
    Buffer out = silence(dur);
    // The sharp front of the blast.
    Buffer c = lowNoise(
        0.08, seed + 1, [](double) { return 9000; }, [](double t) { return decayEnv(t, 0.0005, 0.01); });
    Biquad hp;
    hp.setHighpass(1200);
    for (double &x : c)
        x = hp.tick(x);
    mixInto(out, c, 0, 0.9 * crack);
    // The thump: a falling low sine.
    mixInto(out,
            sine(
                dur, [=](double t) { return 32 + 70 * std::exp(-t / (0.09 * size)); },
                [=](double t) { return decayEnv(t, 0.003, 0.22 * size); }),
            0, 1.0);
    // The fireball: noise that darkens as it dies.
    mixInto(out,
            lowNoise(
                dur, seed + 2, [=](double t) { return 140 + 3200 * std::exp(-t / (0.07 * size)); },
                [=](double t) { return decayEnv(t, 0.004, 0.35 * size); }),
            0, 1.3);
    // The long rumble.
    mixInto(out,
            lowNoise(
                dur, seed + 3, [](double) { return 110; },
                [=](double t) { return decayEnv(t, 0.06, 0.9 * size); }, 1.1),
            0, 3.0);
    return out;
}

std::vector<Partial> plate(std::uint64_t seed, int n, double tau)
{
    // A steel plate's modes: densely and unevenly spaced, the high ones dying first.
    Rng rng(seed);
    std::vector<Partial> p;
    double r = 1.0;
    for (int k = 0; k < n; ++k) {
        p.push_back({r, rng.range(0.5, 1.0) / std::sqrt(1.0 + k), tau / std::sqrt(r)});
        r *= rng.range(1.18, 1.6);
    }
    return p;
}

Buffer debris(double dur, std::uint64_t seed, int count, double from, double to)
{
    // Pieces of metal and wood clattering down: tiny clangs and knocks.
    Buffer out = silence(dur);
    Rng rng(seed);
    for (int k = 0; k < count; ++k) {
        const double at = from + (to - from) * std::pow(rng.uniform(), 1.3);
        const double amp = rng.range(0.2, 0.7) * std::exp(-(at - from) / (to - from));
        if (rng.uniform() < 0.55) {
            const double f = rng.range(900, 3200);
            mixInto(out, modal(0.15, f, {{1.0, 1.0, 0.04}, {2.4, 0.6, 0.025}, {4.1, 0.4, 0.015}}, rng.next()),
                    at, amp * 0.5);
        } else {
            const double f = rng.range(300, 1200);
            mixInto(out,
                    bandNoise(
                        0.06, rng.next(), [f](double) { return f; }, 3,
                        [](double t) { return decayEnv(t, 0.0005, 0.012); }),
                    at, amp);
        }
    }
    return out;
}

Buffer hit101()
{
    // A cannon shot finds its mark; the hills throw the boom back.
    Buffer b = boom(3.1, 1010, 1.0);
    saturate(b, 1.6);
    echo(b, 0.42, 0.32, 350);
    reverb(b, 0.8, 0.5, 1.4);
    finishLoud(b, -10, 0.4);
    return b;
}

Buffer hit102()
{
    // The magazine goes up: a huge blast, burning crackle, debris raining down.
    const double dur = 5.7;
    Buffer b = boom(dur, 1020, 1.9, 1.2);
    mixInto(b, boom(dur - 0.35, 1021, 1.2, 0.6), 0.35, 0.7);
    GrainSpec fire;
    fire.count = 260;
    fire.from = 0.2;
    fire.to = 5.0;
    fire.bias = 1.4;
    fire.fLo = 600;
    fire.fHi = 4000;
    fire.q = 2.0;
    fire.lenLo = 0.002;
    fire.lenHi = 0.012;
    fire.fade = 2.0;
    mixInto(b, grains(dur, 1022, fire), 0, 0.35);
    mixInto(b, debris(dur, 1023, 45, 0.6, 4.4), 0, 0.8);
    for (int k = 0; k < 4; ++k)
        mixInto(b, splash(1.2, 1030 + std::uint64_t(k), 0.35, 0.8), 1.4 + 0.7 * k, 0.25);
    saturate(b, 1.8);
    reverb(b, 0.85, 0.5, 1.2);
    finishLoud(b, -10, 0.6);
    return b;
}

Buffer hit103()
{
    // A shot rings off armour plate.
    const double dur = 1.7;
    Buffer b = silence(dur);
    mixInto(b, modal(dur, 196, plate(1030, 14, 0.55), 1031), 0, 0.55);
    mixInto(b,
            lowNoise(
                0.2, 1032, [](double t) { return 300 + 6000 * std::exp(-t / 0.01); },
                [](double t) { return decayEnv(t, 0.0005, 0.02); }),
            0, 1.0);
    mixInto(b, boom(dur, 1033, 0.3, 0.4), 0, 0.5);
    reverb(b, 0.6, 0.4, 0.9);
    finishLoud(b, -12, 0.25);
    return b;
}

Buffer hit104()
{
    // Short and punchy.
    Buffer b = boom(1.5, 1040, 0.55, 1.3);
    saturate(b, 2.2);
    reverb(b, 0.55, 0.5, 0.7);
    finishLoud(b, -10, 0.2);
    return b;
}

Buffer hit105()
{
    // A blast followed by a chain of smaller ones below deck.
    const double dur = 2.6;
    Buffer b = boom(dur, 1050, 0.9);
    const double at[] = {0.5, 0.85, 1.2, 1.45};
    const double size[] = {0.55, 0.45, 0.4, 0.3};
    for (int k = 0; k < 4; ++k)
        mixInto(b, boom(dur - at[k], 1051 + std::uint64_t(k), size[k], 0.7), at[k], 0.8 - 0.12 * k);
    GrainSpec crackle;
    crackle.count = 120;
    crackle.from = 0.1;
    crackle.to = 2.2;
    crackle.fLo = 800;
    crackle.fHi = 5000;
    crackle.q = 2.5;
    crackle.lenLo = 0.002;
    crackle.lenHi = 0.008;
    crackle.fade = 1.2;
    mixInto(b, grains(dur, 1056, crackle), 0, 0.3);
    saturate(b, 1.7);
    reverb(b, 0.75, 0.5, 1.0);
    finishLoud(b, -10, 0.3);
    return b;
}

Buffer hit106()
{
    // A hit amidships: thud, clang, and the hull groaning.
    const double dur = 1.9;
    Buffer b = boom(dur, 1060, 0.5, 0.8);
    mixInto(b, modal(dur, 110, plate(1061, 10, 0.7), 1062), 0.01, 0.35);
    // The groan: stick-slip pulses of tortured steel, rung through a few plate modes.
    Rng rng(1063);
    Buffer pulses = silence(dur);
    double next = 0.25;
    while (next < dur) {
        const double t = next;
        const std::size_t i = std::size_t(samples(t));
        if (i < pulses.size())
            pulses[i] = rng.range(0.4, 1.0) * arEnv(t - 0.25, 0.2, 0.7, 0.6);
        const double rate = 70 - 22 * (t - 0.25) + 8 * std::sin(2 * Pi * 1.7 * t);
        next += (1.0 / rate) * rng.range(0.85, 1.15);
    }
    Buffer groan = silence(dur);
    for (double f : {310.0, 545.0, 880.0, 1370.0}) {
        Biquad bp;
        bp.setBandpass(f, 14);
        // A narrow band passes little of a single pulse; undo that, favouring the low modes.
        const double g = 2 * 14 / std::sin(2 * Pi * f / Rate) * 0.25 * std::sqrt(300.0 / f);
        for (std::size_t i = 0; i < groan.size(); ++i)
            groan[i] += bp.tick(pulses[i]) * g;
    }
    mixInto(b, groan, 0, 0.5);
    reverb(b, 0.7, 0.45, 0.9);
    finishLoud(b, -11, 0.3);
    return b;
}

Buffer hit107()
{
    // A torpedo: a muffled blast under water, then the column of water crashes back.
    const double dur = 2.1;
    Buffer b = boom(dur, 1070, 1.2, 0.2);
    OnePole lp1, lp2;
    lp1.setCutoff(280);
    lp2.setCutoff(280);
    for (double &x : b)
        x = lp2.tick(lp1.tick(x)) * 2.2;
    Rng rng(1071);
    for (int k = 0; k < 24; ++k)
        mixInto(b, bubble(rng.range(70, 260), rng.range(0.08, 0.25), rng.range(1.3, 2.2)),
                rng.range(0.02, 0.9), rng.range(0.15, 0.45));
    mixInto(b, splash(dur - 0.35, 1072, 1.5, 0.7), 0.35, 0.7);
    saturate(b, 1.5);
    reverb(b, 0.7, 0.6, 0.8);
    finishLoud(b, -10, 0.3);
    return b;
}

Buffer hit108()
{
    // A hit on a wooden ship: a crack and splintering planks.
    const double dur = 1.5;
    Buffer b = boom(dur, 1080, 0.45, 1.5);
    GrainSpec splinter;
    splinter.count = 140;
    splinter.from = 0.005;
    splinter.to = 1.0;
    splinter.bias = 2.2;
    splinter.fLo = 350;
    splinter.fHi = 2600;
    splinter.q = 4.0;
    splinter.lenLo = 0.006;
    splinter.lenHi = 0.03;
    splinter.fade = 0.35;
    mixInto(b, grains(dur, 1081, splinter), 0, 1.1);
    mixInto(b, debris(dur, 1082, 10, 0.3, 1.2), 0, 0.5);
    saturate(b, 1.5);
    reverb(b, 0.55, 0.5, 0.8);
    finishLoud(b, -10.5, 0.2);
    return b;
}

// ---------------------------------------------------------------- general

Buffer bellStrike(double dur, double prime, std::uint64_t seed)
{
    // Bell partials: hum, prime, minor third, fifth, nominal and above.
    const std::vector<Partial> p = {{0.5, 0.5, 0.6},    {1.0, 0.8, 0.45},  {1.19, 0.6, 0.38},
                                    {1.5, 0.35, 0.3},   {2.0, 0.7, 0.33},  {2.51, 0.3, 0.2},
                                    {2.66, 0.25, 0.18}, {3.01, 0.2, 0.14}, {4.1, 0.12, 0.08}};
    Buffer b = modal(dur, prime, p, seed);
    mixInto(
        b,
        lowNoise(
            0.05, seed + 1, [](double) { return 5000; }, [](double t) { return decayEnv(t, 0.0003, 0.004); }),
        0, 0.4);
    return b;
}

Buffer gen201()
{
    // The ship's bell, struck twice.
    const double dur = 1.1;
    Buffer b = silence(dur);
    mixInto(b, bellStrike(dur, 740, 2010), 0, 1.0);
    mixInto(b, bellStrike(dur - 0.3, 740, 2012), 0.3, 0.85);
    reverb(b, 0.5, 0.4, 0.6);
    finishLoud(b, -12, 0.15);
    return b;
}

Buffer gen202()
{
    // A short two-tone signal.
    const double dur = 0.4;
    Buffer b = silence(dur);
    const Curve e = [](double t) { return arEnv(t, 0.006, 0.11, 0.015); };
    mixInto(b,
            sine(
                0.14, [](double) { return 1318.5; }, e, 0.08),
            0.01, 0.8);
    mixInto(b,
            sine(
                0.14, [](double) { return 1760.0; }, e, 0.08),
            0.17, 0.8);
    reverb(b, 0.3, 0.5, 0.35);
    finishLoud(b, -14, 0.05);
    return b;
}

Buffer gen203()
{
    // The ship's horn: two low reeds a fifth apart, echoing back.
    const double dur = 2.1;
    Buffer b = silence(dur);
    const Curve env = [](double t) { return arEnv(t, 0.12, 1.25, 0.35); };
    const Curve bright = [](double t) { return 2.0 + 5.0 * std::min(1.0, t / 0.2); };
    for (double base : {92.5, 138.6}) {
        const Curve f = [base](double t) { return base * (1.0 - 0.03 * std::exp(-t / 0.06)); };
        mixInto(b, brass(dur, f, bright, env), 0, base < 100 ? 0.6 : 0.45);
    }
    OnePole lp;
    lp.setCutoff(1500);
    for (double &x : b)
        x = lp.tick(x);
    saturate(b, 1.4);
    echo(b, 0.5, 0.25, 600);
    reverb(b, 0.8, 0.5, 0.8);
    finishLoud(b, -10.5, 0.2);
    return b;
}

Buffer gen204()
{
    // A sonar ping ringing through the water, its echo returning.
    const double dur = 1.6;
    Buffer b = silence(dur);
    const Curve e = [](double t) { return decayEnv(t, 0.004, 0.09); };
    mixInto(b,
            sine(
                0.6, [](double) { return 1420; }, e),
            0, 1.0);
    mixInto(b,
            sine(
                0.6, [](double) { return 1416; }, e),
            0.72, 0.22);
    reverb(b, 0.92, 0.25, 2.2);
    finishLoud(b, -13, 0.2);
    return b;
}

Buffer gen205()
{
    // The boatswain's pipe: up, a warbling hold, down.
    const double dur = 0.7;
    const Curve f = [](double t) {
        if (t < 0.15)
            return 1800 + 800 * (t / 0.15);
        if (t < 0.5)
            return 2600 + 140 * std::sin(2 * Pi * 22 * (t - 0.15));
        return 2600 - 700 * std::min(1.0, (t - 0.5) / 0.12);
    };
    const Curve env = [](double t) { return arEnv(t, 0.02, 0.56, 0.06); };
    Buffer b = sine(dur, f, env, 0.15);
    mixInto(b, bandNoise(dur, 2050, f, 8, env), 0, 0.25);
    reverb(b, 0.4, 0.5, 0.4);
    finishLoud(b, -14, 0.03);
    return b;
}

Buffer gen206()
{
    // A mechanical click: a tiny double tick over a short knock.
    const double dur = 0.1;
    Buffer b = silence(dur);
    for (double at : {0.0, 0.011}) {
        Buffer tick = silence(0.04);
        tick[0] = 1.0;
        Biquad bp;
        bp.setBandpass(3100, 6);
        for (double &x : tick)
            x = bp.tick(x) * 8.0;
        mixInto(b, tick, at + 0.002, at == 0 ? 1.0 : 0.6);
    }
    mixInto(b,
            sine(
                0.05, [](double) { return 420; }, [](double t) { return decayEnv(t, 0.0005, 0.008); }),
            0.002, 0.5);
    finish(b, 0.8, 0.01);
    return b;
}

Buffer gen207()
{
    // SOS in Morse code over a crackling radio.
    const double dur = 2.6, unit = 0.07, start = 0.25;
    const int pattern[] = {1, 1, 1, 0, 3, 3, 3, 0, 1, 1, 1};
    struct Mark {
        double on, off;
    };
    std::vector<Mark> marks;
    double t = start;
    for (int p : pattern) {
        if (p == 0) {
            t += 2 * unit; // with the gap after the last mark: a letter gap of three units
            continue;
        }
        marks.push_back({t, t + p * unit});
        t += (p + 1) * unit;
    }
    const Curve env = [marks](double x) {
        for (const Mark &m : marks) {
            if (x >= m.on && x < m.off + 0.004)
                return std::min({1.0, (x - m.on) / 0.004, (m.off + 0.004 - x) / 0.004});
        }
        return 0.0;
    };
    Buffer b = sine(
        dur, [](double) { return 760; }, env, 0.05);
    const Curve hissEnv = [=](double x) { return 0.07 * std::min({1.0, x / 0.15, (dur - x) / 0.3}); };
    mixInto(b,
            bandNoise(
                dur, 2070, [](double) { return 1800; }, 0.8, hissEnv),
            0, 1.0);
    GrainSpec statics;
    statics.count = 40;
    statics.from = 0.0;
    statics.to = dur - 0.2;
    statics.fLo = 1500;
    statics.fHi = 4000;
    statics.q = 1.0;
    statics.lenLo = 0.001;
    statics.lenHi = 0.004;
    statics.fade = 100;
    mixInto(b, grains(dur, 2071, statics), 0, 0.12);
    Biquad hp, lp;
    hp.setHighpass(300);
    lp.setLowpass(3000);
    for (double &x : b)
        x = lp.tick(hp.tick(x));
    finishLoud(b, -13, 0.15);
    return b;
}

// ---------------------------------------------------------------- all ships found

Buffer fanfare()
{
    // Ta-ta-ta-taaa on three brass voices, ending on a major chord.
    const double dur = 1.3, note = 0.1, step = 0.12, hold = 0.36;
    Buffer b = silence(dur);
    struct Voice {
        double pickup, final, gain;
    };
    const Voice voices[] = {
        {392.0, 523.25, 0.55}, {329.63, 392.0, 0.4}, {261.63, 261.63, 0.4}, {130.81, 130.81, 0.3}};
    for (const Voice &v : voices) {
        for (int k = 0; k < 3; ++k) {
            const double at = k * step;
            mixInto(b,
                    brass(
                        note + 0.05, [=](double t) { return v.pickup * (1.0 - 0.02 * std::exp(-t / 0.012)); },
                        [](double t) { return 1.5 + 5.0 * std::min(1.0, t / 0.02); },
                        [=](double t) { return arEnv(t, 0.012, note - 0.03, 0.03); }),
                    at, v.gain);
        }
        const double len = dur - hold;
        mixInto(b,
                brass(
                    len,
                    [=](double t) {
                        const double vib = 0.004 * std::min(1.0, std::max(0.0, t - 0.25) / 0.2);
                        return v.final * (1.0 - 0.025 * std::exp(-t / 0.015)) *
                               (1.0 + vib * std::sin(2 * Pi * 5.5 * t));
                    },
                    [](double t) { return 2.0 + 6.0 * std::exp(-t / 0.08) + 3.0 * std::min(1.0, t / 0.05); },
                    [=](double t) { return arEnv(t, 0.015, len - 0.2, 0.16); }),
                hold, v.gain * 1.1);
    }
    saturate(b, 1.3);
    reverb(b, 0.7, 0.45, 0.9);
    finishLoud(b, -9.5, 0.06);
    return b;
}

} // namespace

const std::vector<Clip> &all()
{
    static const std::vector<Clip> clips = {
        {1, 2.2},   {2, 2.9},   {3, 2.0},   {101, 3.1}, {102, 5.7}, {103, 1.7}, {104, 1.5},
        {105, 2.6}, {106, 1.9}, {107, 2.1}, {108, 1.5}, {201, 1.1}, {202, 0.4}, {203, 2.1},
        {204, 1.6}, {205, 0.7}, {206, 0.1}, {207, 2.6}, {301, 1.3},
    };
    return clips;
}

Buffer make(int id)
{
    switch (id) {
    case 1:
        return water1();
    case 2:
        return water2();
    case 3:
        return water3();
    case 101:
        return hit101();
    case 102:
        return hit102();
    case 103:
        return hit103();
    case 104:
        return hit104();
    case 105:
        return hit105();
    case 106:
        return hit106();
    case 107:
        return hit107();
    case 108:
        return hit108();
    case 201:
        return gen201();
    case 202:
        return gen202();
    case 203:
        return gen203();
    case 204:
        return gen204();
    case 205:
        return gen205();
    case 206:
        return gen206();
    case 207:
        return gen207();
    case 301:
        return fanfare();
    default:
        return {};
    }
}

} // namespace sounds
