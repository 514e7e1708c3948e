// sound.cpp - FSOUND calls on SDL2_mixer (see sound.h).
#include "sound/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "base/file_bytes.h"
#include "sound/sound_call_log.h"

namespace {

struct SoundState {
    bool open = false;
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> slots;
    int musicChannel = -1;       // mixer channel of FSOUND channel 0
    FSOUND_SAMPLE* music = nullptr;
};

SoundState g_sound;
bool g_soundEnabled = true;

void freeSample(std::unique_ptr<FSOUND_SAMPLE>& slot)
{
    if (slot && slot->chunk)
        Mix_FreeChunk(slot->chunk);
    if (slot && slot->stream)
        Mix_FreeMusic(slot->stream);  // halts it first if it plays
    slot.reset();
}

bool streaming()
{
    for (const auto& slot : g_sound.slots)
        if (slot && slot->stream)
            return true;
    return false;
}

bool isLongFile(const char* fileName)
{
    std::error_code error;
    const auto bytes = std::filesystem::file_size(fileName, error);
    return !error && bytes > static_cast<std::uintmax_t>(FSOUND_STREAM_BYTES);
}

// Plays from the start: once, or for ever when the sample loops.
bool startStream(const FSOUND_SAMPLE& sample) { return Mix_PlayMusic(sample.stream, sample.loop ? -1 : 0) == 0; }

// Translates an FSOUND channel number to the mixer's.
int mixerChannel(int channel)
{
    if (channel == 0)
        return g_sound.musicChannel;
    return channel;
}

}  // namespace

int mixerVolume(int fsoundVolume)
{
    if (fsoundVolume < 0)
        fsoundVolume = 0;
    if (fsoundVolume > 255)
        fsoundVolume = 255;
    return static_cast<int>(std::lround(fsoundVolume * MIX_MAX_VOLUME / 255.0));
}

int musicMixerChannel() { return g_sound.musicChannel; }

void setSoundEnabled(bool enabled) { g_soundEnabled = enabled; }

void pauseSound(bool paused)
{
    if (SoundCallLog* log = soundCallLog()) {
        log->pause(paused);
        return;
    }
    if (!g_sound.open)
        return;
    if (paused) {
        Mix_Pause(-1);
        Mix_PauseMusic();
    } else {
        Mix_Resume(-1);
        Mix_ResumeMusic();
    }
}

bool FSOUND_Init(int mixRate, int channels, unsigned flags)
{
    if (SoundCallLog* log = soundCallLog())
        return log->init();
    if (g_sound.open)
        return true;
    if (!g_soundEnabled)
        return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(mixRate, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(channels);
    g_sound.open = true;
    // The mixer thread must stop, and the samples be released, before the
    // process's own objects go: the game ends with exit() at any point.
    static bool closesAtExit = false;
    if (!closesAtExit)
        closesAtExit = std::atexit(FSOUND_Close) == 0;
    return true;
}

void FSOUND_Close()
{
    if (!g_sound.open)
        return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (auto& slot : g_sound.slots)
        freeSample(slot);
    g_sound = SoundState{};
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* fileName, unsigned mode, int offset, int length)
{
    if (SoundCallLog* log = soundCallLog())
        return log->load(index, fileName, mode);
    if (!g_sound.open || !fileName || index < FSOUND_FREE)
        return nullptr;
    Mix_Chunk* chunk = nullptr;
    Mix_Music* stream = nullptr;
    // Opened here, so that only a regular file reaches the decoder (a pipe would block it).
    std::FILE* file = openRegularFileStream(fileName);
    SDL_RWops* source = file ? SDL_RWFromFP(file, SDL_TRUE) : nullptr;
    if (!source)
        return nullptr;
    if (isLongFile(fileName) && !streaming())
        stream = Mix_LoadMUS_RW(source, 1);  // the stream keeps the file open while it plays
    else
        chunk = Mix_LoadWAV_RW(source, 1);
    if (!chunk && !stream)
        return nullptr;

    size_t slot = static_cast<size_t>(index);
    if (index == FSOUND_FREE) {
        slot = 0;
        while (slot < g_sound.slots.size() && g_sound.slots[slot])
            ++slot;
    }
    if (slot >= g_sound.slots.size())
        g_sound.slots.resize(slot + 1);
    if (g_sound.slots[slot] && g_sound.slots[slot].get() == g_sound.music) {
        if (g_sound.music->chunk)
            Mix_HaltChannel(g_sound.musicChannel);
        g_sound.music = nullptr;
        g_sound.musicChannel = -1;
    }
    freeSample(g_sound.slots[slot]);
    g_sound.slots[slot] = std::make_unique<FSOUND_SAMPLE>();
    g_sound.slots[slot]->chunk = chunk;
    g_sound.slots[slot]->stream = stream;
    g_sound.slots[slot]->loop = (mode & FSOUND_LOOP_NORMAL) != 0;
    return g_sound.slots[slot].get();
}

bool FSOUND_Sample_SetMode(FSOUND_SAMPLE* sample, unsigned mode)
{
    if (SoundCallLog* log = soundCallLog())
        return log->setMode(sample, mode);
    if (!sample)
        return false;
    if (mode & FSOUND_LOOP_NORMAL)
        sample->loop = true;
    else if (mode & FSOUND_LOOP_OFF)
        sample->loop = false;
    return true;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample)
{
    if (SoundCallLog* log = soundCallLog())
        return log->play(channel, sample);
    if (!g_sound.open || !sample || (!sample->chunk && !sample->stream))
        return -1;
    int played = -1;
    if (sample->stream) {
        // A stream has the one channel of its own, whatever was asked.
        played = startStream(*sample) ? FSOUND_STREAM_CHANNEL : -1;
    } else {
        int target = channel == FSOUND_FREE ? -1 : mixerChannel(channel);
        if (channel != FSOUND_FREE && (target < 0 || target == FSOUND_STREAM_CHANNEL))
            return -1;
        played = Mix_PlayChannel(target, sample->chunk, sample->loop ? -1 : 0);
    }
    if (played >= 0 && sample->loop && g_sound.musicChannel < 0) {
        g_sound.musicChannel = played;
        g_sound.music = sample;
    }
    return played;
}

bool FSOUND_SetVolume(int channel, int volume)
{
    if (SoundCallLog* log = soundCallLog())
        return log->setVolume(channel, volume);
    if (!g_sound.open)
        return false;
    const int level = mixerVolume(volume);
    if (channel == FSOUND_ALL) {
        Mix_Volume(-1, level);
        Mix_VolumeMusic(level);
        return true;
    }
    int target = mixerChannel(channel);
    if (target < 0)
        return false;
    if (target == FSOUND_STREAM_CHANNEL)
        Mix_VolumeMusic(level);
    else
        Mix_Volume(target, level);
    return true;
}

bool FSOUND_SetCurrentPosition(int channel, unsigned position)
{
    if (SoundCallLog* log = soundCallLog())
        return log->setPosition(channel, position);
    if (!g_sound.open || position != 0)
        return false;
    int target = mixerChannel(channel);
    if (target < 0)
        return false;
    if (target == FSOUND_STREAM_CHANNEL) {
        for (const auto& slot : g_sound.slots)
            if (slot && slot->stream)
                return startStream(*slot);
        return false;
    }
    Mix_Chunk* chunk = Mix_GetChunk(target);
    if (target == g_sound.musicChannel && g_sound.music)
        chunk = g_sound.music->chunk;
    if (!chunk)
        return false;
    bool loop = target == g_sound.musicChannel;
    Mix_HaltChannel(target);
    return Mix_PlayChannel(target, chunk, loop ? -1 : 0) == target;
}
