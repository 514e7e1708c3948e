// game_sound.h - the game's five samples and the cues it plays.
//
// Sample 0 is the looping background music, 1 the volley, 2 a hit or a kill,
// 3 is loaded but never played, 4 the end-of-course cue. Every cue start is
// followed by setting the volume of all channels to 55 again.
#pragma once

#include "sound/sound.h"

enum GameCue {
    CUE_MUSIC = 0,
    CUE_VOLLEY = 1,
    CUE_HIT = 2,
    CUE_UNUSED = 3,
    CUE_END_OF_COURSE = 4,
    CUE_COUNT = 5,
};

constexpr int GAME_VOLUME = 55;

struct GameSound {
    FSOUND_SAMPLE* samples[CUE_COUNT] = {};
    int played[CUE_COUNT] = {};  // cue starts asked for, whether or not audible

    // Sound set-up of the game's init: opens the device, loads the five files
    // from the music folder, sets their loop modes, starts the music.
    void load();
    // Plays a one-shot cue on a free channel and restores the common volume.
    void play(GameCue cue);
    // Starts the music from its beginning (every level start).
    void rewindMusic();
};
