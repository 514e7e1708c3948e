// synth.h - building blocks for the generated music and cues: a stereo
// buffer that can wrap around (for seamless loops), envelopes, oscillators,
// filters, a delay and a small reverb.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;
constexpr double kTwoPi = 6.283185307179586;

struct StereoBuffer {
    std::vector<float> left, right;
    bool wraps = false;  // loop buffers fold anything past the end back to the start

    StereoBuffer(int frames, bool wrap) : left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames)), wraps(wrap) {}
    int frames() const { return static_cast<int>(left.size()); }

    void add(int64_t frame, double value, double pan)  // pan -1 left ... +1 right
    {
        const int n = frames();
        if (wraps)
            frame = ((frame % n) + n) % n;
        else if (frame < 0 || frame >= n)
            return;
        left[static_cast<size_t>(frame)] += static_cast<float>(value * (1.0 - pan) * 0.5 * 1.41421356);
        right[static_cast<size_t>(frame)] += static_cast<float>(value * (1.0 + pan) * 0.5 * 1.41421356);
    }
    void mixFrom(const StereoBuffer& other, double gain);
    double peak() const;
    void scale(double gain);
};

// MIDI note number to frequency (A4 = 69 = 440 Hz).
double noteFrequency(double midiNote);

// Attack-decay-sustain-release level at time t (seconds) of a note held for `held` seconds.
struct Adsr {
    double attack, decay, sustain, release;
    double at(double t, double held) const;
    double length(double held) const { return held + release; }
};

// Band-limited enough for our purposes: a saw with a polynomial step correction.
double sawWave(double phase, double phaseStep);
double pulseWave(double phase, double phaseStep, double width);
double triangleWave(double phase);

// Two-pole state-variable low-pass filter.
struct LowPass {
    double low = 0, band = 0;
    double process(double in, double cutoffHz, double resonance) { return step(in, coefficient(cutoffHz), resonance); }
    // For voices that move the cutoff slowly: compute the coefficient now and then.
    static double coefficient(double cutoffHz);
    double step(double in, double coefficient, double resonance);
};

struct OnePoleHighPass {
    double previousIn = 0, previousOut = 0;
    double process(double in, double cutoffHz);
};

// White noise from a small seeded generator, in [-1, 1].
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed * 2654435761u + 1u) {}
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }
};

// Effects run over a buffer in place. On a wrapping buffer they run twice so
// that the tail of the end feeds the start and the loop joins without a seam.
void applyPingPongDelay(StereoBuffer& buffer, int delayFrames, double feedback, double wet);
void applyReverb(StereoBuffer& buffer, double roomSize, double damping, double dry, double wet);
// Smooth saturation, then scaling so the peak sits at `peakLevel`.
void masterLimit(StereoBuffer& buffer, double drive, double peakLevel);
// Short fades at both ends, so the decoder's padding meets silence.
void fadeEnds(StereoBuffer& buffer, int frames);
