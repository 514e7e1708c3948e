// game_sound.cpp - loading and playing the game's samples.
#include "game/game_sound.h"

namespace {

const char* const kSampleFiles[CUE_COUNT] = {
    "music//Velmore - Tarnish.mp3",
    "music//1.mp3",
    "music//2.mp3",
    "music//3.mp3",
    "music//4.mp3",
};

constexpr unsigned SAMPLE_LOAD_FLAGS = 0x130;
constexpr unsigned INIT_FLAGS = 2;

}  // namespace

void GameSound::load()
{
    FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, INIT_FLAGS);
    for (int i = 0; i < CUE_COUNT; ++i)
        samples[i] = FSOUND_Sample_Load(FSOUND_FREE, kSampleFiles[i], SAMPLE_LOAD_FLAGS, 0, 0);
    FSOUND_Sample_SetMode(samples[CUE_MUSIC], FSOUND_LOOP_NORMAL);
    for (int i = CUE_VOLLEY; i < CUE_COUNT; ++i)
        FSOUND_Sample_SetMode(samples[i], FSOUND_LOOP_OFF);
    FSOUND_PlaySound(FSOUND_FREE, samples[CUE_MUSIC]);
    FSOUND_SetVolume(FSOUND_ALL, GAME_VOLUME);
}

void GameSound::play(GameCue cue)
{
    ++played[cue];
    FSOUND_PlaySound(FSOUND_FREE, samples[cue]);
    FSOUND_SetVolume(FSOUND_ALL, GAME_VOLUME);
}

void GameSound::rewindMusic() { FSOUND_SetCurrentPosition(0, 0); }
