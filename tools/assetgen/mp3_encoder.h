// mp3_encoder.h - turns a stereo buffer into an MP3 file with Debian's `lame`:
// the samples go to a temporary 16-bit WAV beside the target, lame encodes it
// at a constant bit rate, and the WAV is removed.
#pragma once

#include <string>

#include "synth.h"

bool writeWav(const std::string& path, const StereoBuffer& buffer);
bool encodeMp3(const StereoBuffer& buffer, const std::string& mp3Path, int kbps);
