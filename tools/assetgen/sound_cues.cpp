#include "sound_cues.h"

#include <cmath>

#include "mp3_encoder.h"

namespace {

int frames(double seconds) { return static_cast<int>(seconds * kSampleRate); }

// A falling zap with a bright click: short enough to repeat at rapid fire.
void zap(StereoBuffer& out, int start, double pan, double pitch)
{
    Noise noise(7);
    LowPass filter;
    double phase = 0.0;
    for (int i = 0; i < frames(0.2); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double freq = pitch * (0.22 + 0.78 * std::exp(-t * 30.0));
        phase += freq / kSampleRate;
        phase -= std::floor(phase);
        const double tone = filter.process(pulseWave(phase, freq / kSampleRate, 0.3), 5000.0, 0.2);
        const double click = noise.next() * std::exp(-t * 400.0);
        out.add(start + i, (0.7 * tone * std::exp(-t * 22.0) + 0.5 * click) * std::min(1.0, t * 2000.0), pan);
    }
}

// Struck metal: a few inharmonic partials with their own decays.
void ping(StereoBuffer& out, int start, double base, double level, double decay, double pan)
{
    const double ratios[] = {1.0, 1.51, 2.34, 3.17};
    const double weights[] = {1.0, 0.6, 0.35, 0.2};
    for (int i = 0; i < frames(2.0 / decay * 3.0); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double s = 0.0;
        for (int k = 0; k < 4; ++k)
            s += weights[k] * std::sin(kTwoPi * base * ratios[k] * t) * std::exp(-t * decay * (1.0 + 0.6 * k));
        out.add(start + i, level * s * std::min(1.0, t * 3000.0), pan);
    }
}

// A brass-like note: detuned saws with a filter that opens as it swells.
void brass(StereoBuffer& out, int start, double seconds, double pitch, double level, double pan)
{
    const Adsr env{0.04, 0.3, 0.75, 0.6};
    LowPass filter;
    double a = 0.0, b = 0.5;
    const double freq = noteFrequency(pitch);
    for (int i = 0; i < frames(env.length(seconds)); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        a += freq / kSampleRate;
        a -= std::floor(a);
        b += freq * 1.005 / kSampleRate;
        b -= std::floor(b);
        const double e = env.at(t, seconds);
        const double raw = 0.5 * (sawWave(a, freq / kSampleRate) + sawWave(b, freq * 1.005 / kSampleRate));
        out.add(start + i, level * e * filter.process(raw, 500.0 + 3500.0 * e, 0.25), pan);
    }
}

void timpani(StereoBuffer& out, int start, double level)
{
    for (int i = 0; i < frames(1.2); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double f = 62.0 * (1.0 + 0.25 * std::exp(-t * 20.0));
        out.add(start + i, level * std::sin(kTwoPi * f * t) * std::exp(-t * 3.2) * std::min(1.0, t * 1500.0), 0.0);
    }
}

}  // namespace

StereoBuffer renderVolley()
{
    StereoBuffer out(frames(0.25), false);
    zap(out, 0, -0.15, 2100.0);
    zap(out, frames(0.012), 0.2, 2500.0);
    masterLimit(out, 1.2, 0.85);
    fadeEnds(out, 32);
    return out;
}

StereoBuffer renderHit()
{
    StereoBuffer out(frames(0.75), false);
    Noise noise(99);
    LowPass filter;
    double phase = 0.0;
    for (int i = 0; i < out.frames(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double cutoff = 300.0 + 5000.0 * std::exp(-t * 9.0);
        const double blast = filter.process(noise.next(), cutoff, 0.1) * std::exp(-t * 6.0);
        phase += (40.0 + 70.0 * std::exp(-t * 18.0)) / kSampleRate;
        const double thump = std::sin(kTwoPi * phase) * std::exp(-t * 9.0);
        out.add(i, (0.9 * blast + 0.8 * thump) * std::min(1.0, t * 3000.0), 0.0);
    }
    ping(out, 0, 1240.0, 0.25, 9.0, 0.3);
    masterLimit(out, 1.5, 0.9);
    fadeEnds(out, 64);
    return out;
}

StereoBuffer renderChime()
{
    StereoBuffer out(frames(1.2), false);
    ping(out, 0, 880.0, 0.5, 3.0, -0.3);
    ping(out, frames(0.09), 1318.5, 0.35, 3.5, 0.3);
    masterLimit(out, 1.0, 0.7);
    fadeEnds(out, 256);
    return out;
}

StereoBuffer renderFanfare()
{
    StereoBuffer out(frames(4.2), false);
    // A rising A major call, then the full chord held over a timpani roll.
    const double call[] = {69, 73, 76, 81};
    for (int k = 0; k < 4; ++k)
        brass(out, frames(0.16 * k), 0.12, call[k], 0.35, -0.2 + 0.15 * k);
    const double chord[] = {57, 64, 69, 73, 76};
    for (int k = 0; k < 5; ++k)
        brass(out, frames(0.7), 2.6, chord[k], 0.24, -0.4 + 0.2 * k);
    timpani(out, 0, 0.6);
    for (int k = 0; k < 6; ++k)
        timpani(out, frames(0.7 + 0.06 * k), 0.25 + 0.05 * k);
    applyReverb(out, 0.6, 0.4, 1.0, 0.6);
    masterLimit(out, 1.3, 0.9);
    fadeEnds(out, 2048);
    return out;
}

bool writeSoundCues(const std::string& outputDir)
{
    const std::string dir = outputDir + "/music/";
    return encodeMp3(renderVolley(), dir + "1.mp3", 128) && encodeMp3(renderHit(), dir + "2.mp3", 128) &&
           encodeMp3(renderChime(), dir + "3.mp3", 128) && encodeMp3(renderFanfare(), dir + "4.mp3", 160);
}
