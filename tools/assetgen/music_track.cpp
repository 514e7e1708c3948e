#include "music_track.h"

#include <cmath>

#include "mp3_encoder.h"

namespace {

struct Note {
    int step, length, pitch;
};

// The lead's eight-bar phrase over Am | F | C | G (two bars each).
const Note kMelody[] = {
    {0, 3, 76},   {3, 3, 74},   {6, 2, 72},   {8, 4, 69},   {12, 4, 72},  {16, 3, 74},  {19, 3, 76},
    {22, 2, 79},  {24, 8, 76},  {32, 3, 77},  {35, 3, 76},  {38, 2, 74},  {40, 4, 72},  {44, 4, 69},
    {48, 6, 72},  {54, 2, 74},  {56, 8, 72},  {64, 3, 79},  {67, 3, 76},  {70, 2, 72},  {72, 4, 76},
    {76, 4, 79},  {80, 3, 81},  {83, 3, 79},  {86, 2, 76},  {88, 8, 79},  {96, 3, 74},  {99, 3, 71},
    {102, 2, 67}, {104, 4, 71}, {108, 4, 74}, {112, 6, 76}, {118, 2, 74}, {120, 8, 71},
};

// Chords (MIDI notes, root first), two bars each.
const int kChords[4][4] = {{57, 60, 64, 69}, {53, 57, 60, 65}, {48, 55, 60, 64}, {55, 59, 62, 67}};

int64_t stepFrame(int step) { return static_cast<int64_t>(step) * kFramesPerStep; }

void kick(StereoBuffer& out, int64_t start, double velocity)
{
    const int length = kSampleRate * 45 / 100;
    double phase = 0.0;
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double freq = 45.0 + 110.0 * std::exp(-t * 28.0);
        phase += freq / kSampleRate;
        const double body = std::sin(kTwoPi * phase) * std::exp(-t * 7.0);
        const double click = (i < 90) ? 0.4 * (1.0 - i / 90.0) : 0.0;
        out.add(start + i, velocity * (body + click), 0.0);
    }
}

void clap(StereoBuffer& out, int64_t start, double velocity, uint32_t seed)
{
    Noise noise(seed);
    LowPass tone;
    OnePoleHighPass high;
    const int length = kSampleRate / 4;
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        // Three quick bursts then a tail: the hand-clap shape.
        const double bursts = (t < 0.03) ? std::exp(-std::fmod(t, 0.01) * 300.0) : std::exp(-(t - 0.03) * 22.0);
        const double n = high.process(tone.process(noise.next(), 2600.0, 0.5), 700.0);
        const double body = 0.25 * std::sin(kTwoPi * 185.0 * t) * std::exp(-t * 40.0);
        out.add(start + i, velocity * (1.6 * n * bursts + body), 0.1);
    }
}

void hat(StereoBuffer& out, int64_t start, double velocity, bool open, uint32_t seed)
{
    Noise noise(seed);
    OnePoleHighPass high, higher;
    const double decay = open ? 9.0 : 45.0;
    const int length = open ? kSampleRate / 3 : kSampleRate / 12;
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double n = higher.process(high.process(noise.next(), 6000.0), 6000.0);
        out.add(start + i, velocity * n * std::exp(-t * decay), -0.25);
    }
}

void bassNote(StereoBuffer& out, int64_t start, int lengthFrames, int pitch, double velocity)
{
    const Adsr env{0.004, 0.12, 0.7, 0.05};
    const double held = static_cast<double>(lengthFrames) / kSampleRate;
    const double freq = noteFrequency(pitch);
    LowPass filter;
    double phase = 0.0, sub = 0.0;
    const int total = static_cast<int>(env.length(held) * kSampleRate);
    for (int i = 0; i < total; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += freq / kSampleRate;
        phase -= std::floor(phase);
        sub += 0.5 * freq / kSampleRate;
        sub -= std::floor(sub);
        const double raw = sawWave(phase, freq / kSampleRate) * 0.6 + std::sin(kTwoPi * sub) * 0.5;
        const double cutoff = 180.0 + 1400.0 * std::exp(-t * 14.0);
        out.add(start + i, velocity * env.at(t, held) * filter.process(raw, cutoff, 0.45), 0.0);
    }
}

void padChord(StereoBuffer& out, int64_t start, int lengthFrames, const int* pitches, int count, double velocity)
{
    const Adsr env{0.9, 0.5, 0.8, 1.4};
    const double held = static_cast<double>(lengthFrames) / kSampleRate;
    const int total = static_cast<int>(env.length(held) * kSampleRate);
    const double detune[3] = {-0.07, 0.0, 0.08};
    for (int v = 0; v < count; ++v) {
        const double pan = (v % 2 == 0 ? -0.5 : 0.5) * (0.4 + 0.2 * v);
        for (int d = 0; d < 3; ++d) {
            const double freq = noteFrequency(pitches[v] + detune[d]);
            LowPass filter;
            double phase = 0.13 * d + 0.07 * v;
            double f = 0.0;
            for (int i = 0; i < total; ++i) {
                const double t = static_cast<double>(i) / kSampleRate;
                phase += freq / kSampleRate;
                phase -= std::floor(phase);
                if (i % 64 == 0)  // the sweep is slow; the coefficient need not follow every sample
                    f = LowPass::coefficient(700.0 + 500.0 * std::sin(kTwoPi * 0.15 * t + v));
                const double s = filter.step(sawWave(phase, freq / kSampleRate), f, 0.2);
                out.add(start + i, velocity * env.at(t, held) * s / 3.0, pan + 0.3 * (d - 1));
            }
        }
    }
}

void leadNote(StereoBuffer& out, int64_t start, int lengthFrames, int pitch, double velocity, double pan)
{
    const Adsr env{0.012, 0.25, 0.6, 0.18};
    const double held = static_cast<double>(lengthFrames) / kSampleRate;
    const double freq = noteFrequency(pitch);
    LowPass filter;
    double a = 0.0, b = 0.31;
    const int total = static_cast<int>(env.length(held) * kSampleRate);
    for (int i = 0; i < total; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double vibrato = 1.0 + 0.006 * std::sin(kTwoPi * 5.5 * t) * std::min(1.0, std::max(0.0, (t - 0.15) * 4.0));
        const double f = freq * vibrato;
        a += f / kSampleRate;
        a -= std::floor(a);
        b += f * 1.004 / kSampleRate;
        b -= std::floor(b);
        const double raw = 0.5 * pulseWave(a, f / kSampleRate, 0.35) + 0.5 * sawWave(b, f / kSampleRate);
        const double cutoff = 1800.0 + 2200.0 * std::exp(-t * 6.0);
        out.add(start + i, velocity * env.at(t, held) * filter.process(raw, cutoff, 0.3), pan);
    }
}

void pluck(StereoBuffer& out, int64_t start, int pitch, double velocity, double pan)
{
    const double freq = noteFrequency(pitch);
    const int total = kSampleRate / 4;
    double phase = 0.0;
    for (int i = 0; i < total; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += freq / kSampleRate;
        phase -= std::floor(phase);
        const double s = 0.7 * triangleWave(phase) + 0.3 * std::sin(2.0 * kTwoPi * phase);
        out.add(start + i, velocity * s * std::exp(-t * 14.0) * std::min(1.0, t * 400.0), pan);
    }
}

enum class Section { Intro, Theme, Breakdown, Finale };

Section sectionOf(int bar)
{
    if (bar < 8)
        return Section::Intro;
    if (bar < 24)
        return Section::Theme;
    if (bar < 32)
        return Section::Breakdown;
    return Section::Finale;
}

}  // namespace

StereoBuffer renderTrack()
{
    const int n = kTrackFrames;
    StereoBuffer drums(n, true), bass(n, true), pads(n, true), lead(n, true), arp(n, true);
    uint32_t seed = 1;

    for (int bar = 0; bar < kTrackBars; ++bar) {
        const Section section = sectionOf(bar);
        const int barStep = bar * 16;
        const int* chord = kChords[(bar / 2) % 4];
        const bool fullBeat = section != Section::Breakdown;

        // Drums: four on the floor, claps on two and four, off-beat hats.
        for (int s = 0; s < 16; ++s) {
            const int64_t at = stepFrame(barStep + s);
            if (fullBeat && s % 4 == 0)
                kick(drums, at, 0.95);
            if (fullBeat && bar % 8 == 7 && s == 14)
                kick(drums, at, 0.6);
            if (section != Section::Intro && (s == 4 || s == 12) && (fullBeat || bar == 31))
                clap(drums, at, 0.55, seed++);
            if (bar == 31 && s >= 8)  // the roll back into the beat
                clap(drums, at, 0.18 + 0.04 * (s - 8), seed++);
            if (s % 4 == 2)
                hat(drums, at, section == Section::Breakdown ? 0.18 : 0.3, s == 10 && fullBeat, seed++);
            else if (section == Section::Theme || section == Section::Finale)
                hat(drums, at, s % 2 == 1 ? 0.12 : 0.08, false, seed++);
        }

        // Bass: root and octave in a syncopated eighth pattern; held roots in the breakdown.
        const int root = chord[0] - 24 + (chord[0] < 52 ? 12 : 0);
        if (section == Section::Breakdown) {
            if (bar % 2 == 0)
                bassNote(bass, stepFrame(barStep), 30 * kFramesPerStep, root, 0.45);
        } else {
            const int steps[] = {0, 3, 6, 8, 10, 11, 14};
            const int octave[] = {0, 0, 12, 0, 12, 0, 0};
            for (int k = 0; k < 7; ++k)
                bassNote(bass, stepFrame(barStep + steps[k]), kFramesPerStep * 3 / 2, root + octave[k], 0.55);
        }

        // Pad: one chord per two bars, voiced an octave up in the finale.
        if (bar % 2 == 0) {
            int voiced[4];
            for (int v = 0; v < 4; ++v)
                voiced[v] = chord[v] + (section == Section::Finale && v > 1 ? 12 : 0);
            padChord(pads, stepFrame(barStep), 32 * kFramesPerStep, voiced, 4, section == Section::Intro ? 0.22 : 0.28);
        }

        // Arpeggio of the chord tones in the breakdown and the finale.
        if (section == Section::Breakdown || section == Section::Finale) {
            const int order[] = {0, 1, 2, 3, 2, 1, 3, 2};
            for (int s = 0; s < 16; ++s)
                pluck(arp, stepFrame(barStep + s), chord[order[s % 8]] + 12, s % 4 == 0 ? 0.3 : 0.2, s % 2 ? 0.4 : -0.4);
        }
    }

    // Lead: the phrase in the theme (twice) and the finale (twice, doubled an octave up).
    for (int startBar : {8, 16, 32, 40}) {
        const bool finale = startBar >= 32;
        for (const Note& note : kMelody) {
            int pitch = note.pitch;
            if (startBar == 16 && &note == &kMelody[sizeof kMelody / sizeof kMelody[0] - 1])
                pitch = 69;  // the second pass comes home to A
            const int64_t at = stepFrame(startBar * 16 + note.step);
            const int length = note.length * kFramesPerStep - kFramesPerStep / 4;
            leadNote(lead, at, length, pitch, 0.32, -0.1);
            if (finale)
                leadNote(lead, at, length, pitch + 12, 0.12, 0.25);
        }
    }

    applyPingPongDelay(lead, kFramesPerStep * 3, 0.38, 0.35);
    applyPingPongDelay(arp, kFramesPerStep * 3, 0.3, 0.4);
    // One shared room: sends from everything but the bass, returned wet only.
    StereoBuffer room(n, true);
    room.mixFrom(pads, 1.0);
    room.mixFrom(lead, 0.6);
    room.mixFrom(arp, 0.6);
    room.mixFrom(drums, 0.15);
    applyReverb(room, 0.75, 0.35, 0.0, 1.0);

    StereoBuffer mix(n, true);
    mix.mixFrom(drums, 0.85);
    mix.mixFrom(bass, 0.8);
    mix.mixFrom(pads, 1.0);
    mix.mixFrom(lead, 0.7);
    mix.mixFrom(arp, 0.6);
    mix.mixFrom(room, 0.9);
    masterLimit(mix, 1.6, 0.89);
    fadeEnds(mix, 256);
    return mix;
}

bool writeMusicTrack(const std::string& outputDir)
{
    return encodeMp3(renderTrack(), outputDir + "/music/Velmore - Tarnish.mp3", 160);
}
