// The song's instruments, synthesised. Drums are made for playback at C-3
// (period 214, 16574 Hz); the tonal instruments are whole cycles of a fixed
// length, so a note's pitch is its playback rate divided by that length: a
// 32-byte cycle at C-2 (8287 Hz) sounds near middle C.
#include <algorithm>
#include <cmath>

#include "tools/gen/gen_music.h"

static const double kPi = 3.14159265358979323846;
static const double kDrumRate = 3546895.0 / 214.0;

// Fixed-seed xorshift noise: the same bytes on every run.
struct gmNoise_T {
    uint32_t state;
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (state >> 8) * (2.0 / 16777216.0) - 1.0;
    }
};

// Scales to a peak of 'peak' (of 127) and rounds to signed bytes.
static std::vector<int8_t> gm_toBytes(const std::vector<double>& wave, double peak)
{
    double top = 1e-9;
    for (double v : wave)
        top = std::max(top, std::fabs(v));
    std::vector<int8_t> out(wave.size());
    for (size_t i = 0; i < wave.size(); i++) {
        long v = std::lround(wave[i] / top * peak);
        out[i] = static_cast<int8_t>(std::clamp(v, -127L, 127L));
    }
    return out;
}

// One-pole high-pass, used to take the body out of noise for hats.
static void gm_highPass(std::vector<double>& wave, double amount)
{
    double previousIn = 0.0, previousOut = 0.0;
    for (double& v : wave) {
        double out = amount * (previousOut + v - previousIn);
        previousIn = v;
        previousOut = out;
        v = out;
    }
}

// Kick: a sine falling from about 160 Hz to 48 Hz with a short click,
// gently saturated for punch.
static std::vector<double> gm_kick(gmNoise_T& noise, double seconds)
{
    size_t n = static_cast<size_t>(seconds * kDrumRate);
    std::vector<double> wave(n);
    double phase = 0.0;
    for (size_t i = 0; i < n; i++) {
        double t = i / kDrumRate;
        double freq = 48.0 + 112.0 * std::exp(-t / 0.035);
        phase += 2.0 * kPi * freq / kDrumRate;
        double body = std::sin(phase) * std::exp(-t / 0.22);
        double click = t < 0.004 ? noise.next() * (1.0 - t / 0.004) * 0.5 : 0.0;
        wave[i] = std::tanh(1.8 * (body + click));
    }
    // Fade the tail so the sample ends at zero.
    for (size_t i = n - n / 8; i < n; i++)
        wave[i] *= static_cast<double>(n - i) / (n / 8);
    return wave;
}

static std::vector<double> gm_snare(gmNoise_T& noise)
{
    size_t n = static_cast<size_t>(0.26 * kDrumRate);
    std::vector<double> hiss(n);
    for (double& v : hiss)
        v = noise.next();
    gm_highPass(hiss, 0.85);
    std::vector<double> wave(n);
    for (size_t i = 0; i < n; i++) {
        double t = i / kDrumRate;
        double tone = (std::sin(2.0 * kPi * 185.0 * t) + 0.6 * std::sin(2.0 * kPi * 330.0 * t))
                      * std::exp(-t / 0.045);
        wave[i] = 0.8 * tone + 1.1 * hiss[i] * std::exp(-t / 0.075);
    }
    return wave;
}

// Hats: bright noise with a metallic ring of inharmonic squares.
static std::vector<double> gm_hat(gmNoise_T& noise, double seconds, double decay)
{
    static const double ring[6] = {2073.0, 2887.0, 3312.0, 4150.0, 5270.0, 6089.0};
    size_t n = static_cast<size_t>(seconds * kDrumRate);
    std::vector<double> wave(n);
    for (size_t i = 0; i < n; i++) {
        double t = i / kDrumRate;
        double metal = 0.0;
        for (double f : ring)
            metal += std::sin(2.0 * kPi * f * t) > 0.0 ? 1.0 : -1.0;
        wave[i] = noise.next() + 0.12 * metal;
    }
    gm_highPass(wave, 0.6);
    for (size_t i = 0; i < n; i++) {
        double t = i / kDrumRate;
        double attack = std::min(1.0, t / 0.0008);
        wave[i] *= attack * std::exp(-t / decay) * (1.0 - static_cast<double>(i) / n);
    }
    return wave;
}

// The crash is layered over a kick so the downbeat of a section can hit both
// on the drum channel.
static std::vector<double> gm_crash(gmNoise_T& noise)
{
    std::vector<double> wave = gm_hat(noise, 1.6, 0.55);
    std::vector<double> kick = gm_kick(noise, 0.35);
    for (size_t i = 0; i < kick.size(); i++)
        wave[i] = 0.55 * wave[i] + 0.75 * kick[i];
    return wave;
}

// A band-limited saw-like cycle with harmonics weighted by 'tilt' (1 = saw,
// higher = darker), sampled at position i of a 'cycle'-byte period.
static double gm_harmonics(double i, int cycle, int count, double tilt, double brightness)
{
    double v = 0.0;
    for (int h = 1; h <= count && h < cycle / 2; h++)
        v += std::sin(2.0 * kPi * h * i / cycle) / std::pow(h, tilt) * std::pow(brightness, h - 1);
    return v;
}

// Bass: a plucked saw whose upper harmonics die away over the first cycles;
// the loop is the last two cycles, where the tone is steady.
static gmSample_T gm_bass()
{
    const int cycle = 128, attackCycles = 24;
    std::vector<double> wave(cycle * (attackCycles + 2));
    for (size_t i = 0; i < wave.size(); i++) {
        double c = std::min(static_cast<double>(i) / cycle, static_cast<double>(attackCycles));
        double brightness = 0.55 + 0.33 * std::exp(-c / 5.0);
        double level = 0.75 + 0.25 * std::exp(-c / 6.0);
        wave[i] = level * (gm_harmonics(i, cycle, 24, 1.0, brightness)
                           + 0.5 * std::sin(2.0 * kPi * i / cycle));
    }
    return {"bass", gm_toBytes(wave, 124.0), cycle * attackCycles, cycle * 2, 48};
}

// Detuned oscillators that complete whole cycles inside the loop, so the
// loop is seamless: 'loopCycles' of the base period and one more and one
// fewer for the chorus. The first 'attack' bytes fade in and lie before it.
static std::vector<double> gm_chorus(int cycle, int loopCycles, int attack, int count, double tilt,
                                     double brightness)
{
    const int loop = cycle * loopCycles;
    std::vector<double> wave(attack + loop);
    for (size_t i = 0; i < wave.size(); i++) {
        double x = static_cast<double>(i) / loop;
        double v = gm_harmonics(x * cycle * loopCycles, cycle, count, tilt, brightness);
        v += 0.7 * gm_harmonics(x * cycle * (loopCycles + 1), cycle, count, tilt, brightness);
        v += 0.7 * gm_harmonics(x * cycle * (loopCycles - 1), cycle, count, tilt, brightness);
        double fade = i < static_cast<size_t>(attack) ? static_cast<double>(i) / attack : 1.0;
        wave[i] = v * fade;
    }
    return wave;
}

// Pad for the arpeggio chords: soft detuned saws, 64-byte cycle.
static gmSample_T gm_pad()
{
    const int cycle = 64, loopCycles = 128, attack = 256;
    std::vector<double> wave = gm_chorus(cycle, loopCycles, attack, 12, 1.3, 0.8);
    return {"pad", gm_toBytes(wave, 118.0), attack, cycle * loopCycles, 46};
}

// Lead: a hollow square-ish tone (odd harmonics strong), 32-byte cycle.
static gmSample_T gm_lead()
{
    const int cycle = 32, loopCycles = 128, attack = 96;
    std::vector<double> wave(attack + cycle * loopCycles);
    std::vector<double> saw = gm_chorus(cycle, loopCycles, attack, 15, 1.0, 0.92);
    for (size_t i = 0; i < wave.size(); i++) {
        double p = 2.0 * kPi * static_cast<double>(i) / cycle;
        double square = std::sin(p) + std::sin(3 * p) / 3 + std::sin(5 * p) / 6 + std::sin(7 * p) / 12;
        double fade = i < static_cast<size_t>(attack) ? static_cast<double>(i) / attack : 1.0;
        wave[i] = 0.45 * saw[i] + 1.6 * square * fade;
    }
    return {"lead", gm_toBytes(wave, 120.0), attack, cycle * loopCycles, 44};
}

// Pluck: a bright note whose harmonics fade faster the higher they are,
// with an overall decay; it plays once.
static gmSample_T gm_pluck()
{
    const int cycle = 32, length = 6400;
    std::vector<double> wave(length);
    for (int i = 0; i < length; i++) {
        double c = static_cast<double>(i) / cycle;
        double v = 0.0;
        for (int h = 1; h < 12; h++)
            v += std::sin(2.0 * kPi * h * i / cycle) / h * std::exp(-c * h * h / 900.0);
        wave[i] = v * std::exp(-c / 70.0) * (1.0 - static_cast<double>(i) / length);
    }
    return {"pluck", gm_toBytes(wave, 120.0), 0, 0, 44};
}

std::vector<gmSample_T> gm_synthInstruments()
{
    gmNoise_T noise = {0x2545F491u};
    std::vector<gmSample_T> samples(GM_NUM_INSTRUMENTS);
    samples[GM_KICK - 1] = {"kick", gm_toBytes(gm_kick(noise, 0.30), 124.0), 0, 0, 64};
    samples[GM_SNARE - 1] = {"snare", gm_toBytes(gm_snare(noise), 122.0), 0, 0, 58};
    samples[GM_HAT - 1] = {"closed hat", gm_toBytes(gm_hat(noise, 0.07, 0.018), 118.0), 0, 0, 30};
    samples[GM_OPENHAT - 1] = {"open hat", gm_toBytes(gm_hat(noise, 0.32, 0.10), 118.0), 0, 0, 28};
    samples[GM_BASS - 1] = gm_bass();
    samples[GM_PAD - 1] = gm_pad();
    samples[GM_LEAD - 1] = gm_lead();
    samples[GM_PLUCK - 1] = gm_pluck();
    samples[GM_CRASH - 1] = {"crash", gm_toBytes(gm_crash(noise), 124.0), 0, 0, 52};
    return samples;
}
