// sound.h - the FSOUND calls the game makes, played through SDL2_mixer.
//
// The game was written against FMOD 3's FSOUND interface; this layer keeps
// those operation names and argument values so the game code reads the same.
// Nothing here reports failure to the caller in a way it must handle: without
// an audio device, after a failed init or with a missing file every call is a
// quiet no-op and the game simply runs silent. Null sample handles are fine.
// While a call log is installed (sound_call_log.h) the calls are logged with
// their time instead of played, for rendering a replay's sound track.
#pragma once

struct Mix_Chunk;
typedef struct _Mix_Music Mix_Music;

constexpr int FSOUND_FREE = -1;        // channel: any free one; sample index: any free slot
constexpr int FSOUND_ALL = -3;         // channel: every channel
constexpr unsigned FSOUND_LOOP_OFF = 1;
constexpr unsigned FSOUND_LOOP_NORMAL = 2;

constexpr int FSOUND_MIX_RATE = 44100;
constexpr int FSOUND_CHANNELS = 32;

// Files longer than this (the background music) are streamed from disk as
// they play instead of being decoded whole at load, which took half the
// game's start-up. The mixer streams one file at a time, so only the first
// such file streams; later ones are decoded like the rest.
constexpr long FSOUND_STREAM_BYTES = 1 << 20;

// The channel number a streamed sample plays on, above any mixer channel.
constexpr int FSOUND_STREAM_CHANNEL = 4096;

// A loaded sample: the decoded sound (or the open stream) and how it repeats.
struct FSOUND_SAMPLE {
    Mix_Chunk* chunk = nullptr;
    Mix_Music* stream = nullptr;
    bool loop = false;
    int logId = -1;  // its load's number while the calls are logged (sound_call_log.h)
};

// Opens the audio device; false when there is none (the game stays silent).
bool FSOUND_Init(int mixRate, int channels, unsigned flags);
// Ends playback and frees every sample (the game never calls it; tests do).
void FSOUND_Close();
// Decodes a file (MP3 or WAV) into slot `index`, or the first free slot for
// FSOUND_FREE; a long file is opened for streaming instead. Null when the
// file is missing or undecodable, or before init.
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* fileName, unsigned mode, int offset, int length);
// FSOUND_LOOP_NORMAL or FSOUND_LOOP_OFF.
bool FSOUND_Sample_SetMode(FSOUND_SAMPLE* sample, unsigned mode);
// Starts a sample; returns the mixer channel or -1. Channel 0 of this
// interface is the first looping sample started (the background music).
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
// Volume 0 ... 255 of one channel or of FSOUND_ALL.
bool FSOUND_SetVolume(int channel, int volume);
// Only position 0 (a rewind) is supported: the sample playing on the channel
// starts again from its beginning.
bool FSOUND_SetCurrentPosition(int channel, unsigned position);

// Not part of FSOUND: the player's controls over the whole sound.
// Disabled before FSOUND_Init, no device opens and the game runs silent.
void setSoundEnabled(bool enabled);
// Holds every channel and the stream where they are, or lets them go on.
void pauseSound(bool paused);

// Maps an FSOUND volume (0 ... 255) onto the mixer's 0 ... 128.
int mixerVolume(int fsoundVolume);
// The mixer channel that FSOUND channel 0 stands for (FSOUND_STREAM_CHANNEL
// when the music streams), or -1.
int musicMixerChannel();
