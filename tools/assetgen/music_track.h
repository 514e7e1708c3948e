// music_track.h - "music/Velmore - Tarnish.mp3": the looping background
// track, composed and synthesised here (A minor, 126 beats a minute, 48 bars).
#pragma once

#include <string>

#include "synth.h"

constexpr int kTrackBpm = 126;
constexpr int kTrackBars = 48;
constexpr int kFramesPerStep = kSampleRate * 60 / (kTrackBpm * 4);  // one sixteenth: 5250
constexpr int kTrackFrames = kFramesPerStep * 16 * kTrackBars;        // 91.4 s

// The mixed loop, before encoding; its end runs on into its start.
StereoBuffer renderTrack();

bool writeMusicTrack(const std::string& outputDir);
