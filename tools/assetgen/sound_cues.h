// sound_cues.h - the four one-shot cues: "music/1.mp3" (the player's volley),
// "2.mp3" (a hit and a kill), "3.mp3" (a chime, loaded but never played) and
// "4.mp3" (the end-of-course fanfare).
#pragma once

#include <string>

#include "synth.h"

StereoBuffer renderVolley();
StereoBuffer renderHit();
StereoBuffer renderChime();
StereoBuffer renderFanfare();

bool writeSoundCues(const std::string& outputDir);
