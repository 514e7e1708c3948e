#include "synth.h"

#include <algorithm>
#include <array>
#include <cmath>

void StereoBuffer::mixFrom(const StereoBuffer& other, double gain)
{
    for (size_t i = 0; i < left.size() && i < other.left.size(); ++i) {
        left[i] += static_cast<float>(other.left[i] * gain);
        right[i] += static_cast<float>(other.right[i] * gain);
    }
}

double StereoBuffer::peak() const
{
    double p = 0.0;
    for (size_t i = 0; i < left.size(); ++i)
        p = std::max({p, static_cast<double>(std::fabs(left[i])), static_cast<double>(std::fabs(right[i]))});
    return p;
}

void StereoBuffer::scale(double gain)
{
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = static_cast<float>(left[i] * gain);
        right[i] = static_cast<float>(right[i] * gain);
    }
}

double noteFrequency(double midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0); }

double Adsr::at(double t, double held) const
{
    if (t < 0)
        return 0.0;
    auto holding = [&](double u) {
        if (u < attack)
            return u / attack;
        if (u < attack + decay)
            return 1.0 - (1.0 - sustain) * (u - attack) / decay;
        return sustain;
    };
    if (t < held)
        return holding(t);
    const double released = t - held;
    if (released >= release)
        return 0.0;
    return holding(held) * (1.0 - released / release);
}

namespace {

// Polynomial correction of a hard step (PolyBLEP), phase in [0, 1).
double stepCorrection(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

}  // namespace

double sawWave(double phase, double phaseStep) { return 2.0 * phase - 1.0 - stepCorrection(phase, phaseStep); }

double pulseWave(double phase, double phaseStep, double width)
{
    double shifted = phase + (1.0 - width);
    shifted -= std::floor(shifted);
    return sawWave(phase, phaseStep) - sawWave(shifted, phaseStep);
}

double triangleWave(double phase) { return 1.0 - 4.0 * std::fabs(phase - 0.5); }

double LowPass::coefficient(double cutoffHz)
{
    return 2.0 * std::sin(3.14159265358979 * std::min(cutoffHz, kSampleRate / 6.0) / kSampleRate);
}

double LowPass::step(double in, double f, double resonance)
{
    const double q = 1.0 - std::clamp(resonance, 0.0, 0.95);
    low += f * band;
    const double high = in - low - q * band;
    band += f * high;
    return low;
}

double OnePoleHighPass::process(double in, double cutoffHz)
{
    const double rc = 1.0 / (kTwoPi * cutoffHz);
    const double a = rc / (rc + 1.0 / kSampleRate);
    previousOut = a * (previousOut + in - previousIn);
    previousIn = in;
    return previousOut;
}

void applyPingPongDelay(StereoBuffer& buffer, int delayFrames, double feedback, double wet)
{
    const int n = buffer.frames();
    std::vector<float> lineL(static_cast<size_t>(delayFrames)), lineR(static_cast<size_t>(delayFrames));
    const std::vector<float> dryL = buffer.left, dryR = buffer.right;
    const int passes = buffer.wraps ? 2 : 1;
    size_t pos = 0;
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 0; i < n; ++i) {
            const float outL = lineL[pos], outR = lineR[pos];
            const float inMono = 0.5f * (dryL[static_cast<size_t>(i)] + dryR[static_cast<size_t>(i)]);
            // Cross-feeding the two lines bounces the echoes between the sides.
            lineL[pos] = static_cast<float>(inMono + feedback * outR);
            lineR[pos] = static_cast<float>(feedback * outL);
            pos = (pos + 1) % static_cast<size_t>(delayFrames);
            if (pass == passes - 1) {
                buffer.left[static_cast<size_t>(i)] = static_cast<float>(dryL[static_cast<size_t>(i)] + wet * outL);
                buffer.right[static_cast<size_t>(i)] = static_cast<float>(dryR[static_cast<size_t>(i)] + wet * outR);
            }
        }
    }
}

namespace {

struct Comb {
    std::vector<float> line;
    size_t pos = 0;
    double filtered = 0;
    float process(float in, double feedback, double damping)
    {
        const float out = line[pos];
        filtered = out * (1.0 - damping) + filtered * damping;
        line[pos] = static_cast<float>(in + filtered * feedback);
        pos = (pos + 1) % line.size();
        return out;
    }
};

struct Allpass {
    std::vector<float> line;
    size_t pos = 0;
    float process(float in)
    {
        const float delayed = line[pos];
        const float out = -in + delayed;
        line[pos] = in + delayed * 0.5f;
        pos = (pos + 1) % line.size();
        return out;
    }
};

}  // namespace

void applyReverb(StereoBuffer& buffer, double roomSize, double damping, double dry, double wet)
{
    // Schroeder-Moorer style: parallel damped combs into series all-passes,
    // the right channel's lines a little longer for width.
    const std::array<int, 4> combLengths = {1557, 1617, 1491, 1422};
    const std::array<int, 2> allpassLengths = {556, 441};
    const int spread = 23;
    std::array<std::array<Comb, 4>, 2> combs;
    std::array<std::array<Allpass, 2>, 2> allpasses;
    for (int ch = 0; ch < 2; ++ch) {
        for (size_t k = 0; k < combs[ch].size(); ++k)
            combs[static_cast<size_t>(ch)][k].line.assign(static_cast<size_t>(combLengths[k] + ch * spread), 0.0f);
        for (size_t k = 0; k < allpasses[ch].size(); ++k)
            allpasses[static_cast<size_t>(ch)][k].line.assign(static_cast<size_t>(allpassLengths[k] + ch * spread), 0.0f);
    }
    const double feedback = 0.7 + 0.28 * roomSize;
    const int n = buffer.frames();
    const std::vector<float> dryL = buffer.left, dryR = buffer.right;
    const int passes = buffer.wraps ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 0; i < n; ++i) {
            const float in = 0.015f * (dryL[static_cast<size_t>(i)] + dryR[static_cast<size_t>(i)]);
            float out[2];
            for (size_t ch = 0; ch < 2; ++ch) {
                float sum = 0.0f;
                for (Comb& c : combs[ch])
                    sum += c.process(in, feedback, damping);
                for (Allpass& a : allpasses[ch])
                    sum = a.process(sum);
                out[ch] = sum;
            }
            if (pass == passes - 1) {
                buffer.left[static_cast<size_t>(i)] = static_cast<float>(dry * dryL[static_cast<size_t>(i)] + wet * out[0]);
                buffer.right[static_cast<size_t>(i)] = static_cast<float>(dry * dryR[static_cast<size_t>(i)] + wet * out[1]);
            }
        }
    }
}

void masterLimit(StereoBuffer& buffer, double drive, double peakLevel)
{
    const double norm = buffer.peak();
    if (norm <= 0.0)
        return;
    for (size_t i = 0; i < buffer.left.size(); ++i) {
        buffer.left[i] = static_cast<float>(std::tanh(drive * buffer.left[i] / norm));
        buffer.right[i] = static_cast<float>(std::tanh(drive * buffer.right[i] / norm));
    }
    buffer.scale(peakLevel / buffer.peak());
}

void fadeEnds(StereoBuffer& buffer, int frames)
{
    const int n = buffer.frames();
    for (int i = 0; i < frames && i < n; ++i) {
        const float g = static_cast<float>(i) / static_cast<float>(frames);
        buffer.left[static_cast<size_t>(i)] *= g;
        buffer.right[static_cast<size_t>(i)] *= g;
        buffer.left[static_cast<size_t>(n - 1 - i)] *= g;
        buffer.right[static_cast<size_t>(n - 1 - i)] *= g;
    }
}
