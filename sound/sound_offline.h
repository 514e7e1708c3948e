// sound_offline.h - the game's sound without an audio device: a mixer that
// plays a log of the FSOUND calls (sound_call_log.h) into a track.
//
// OfflineMixer plays such a log the way the live layer plays the
// calls through SDL2_mixer: the same sample slots and streaming choice, 32
// channels where a cue takes the lowest free one and is dropped when none is
// free, channel 0 for the music, volumes mapped to the mixer's 0 ... 128 and
// applied per sample with integer scaling, the music mixed first and the
// channels added in order with clipping, 44.1 kHz 16-bit stereo, everything
// held (silent, not moving on) while the game is paused. Calls take
// effect at the sample of their time (the device would apply them at its next
// buffer, some milliseconds later).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sound/sound.h"
#include "sound/sound_call_log.h"

constexpr int OFFLINE_RATE = FSOUND_MIX_RATE;

// Decodes a sound file into 44.1 kHz 16-bit stereo (interleaved), with
// SDL2_mixer's decoders on SDL's dummy audio driver: the samples the live
// game would hand the mixer. False when the file is missing or undecodable.
bool decodeSoundFile(const std::string& file, std::vector<int16_t>& stereo);
// Closes what decodeSoundFile opened (a mixer already open stays open).
void closeSoundDecoding();

using SoundDecoder = std::function<bool(const std::string& file, std::vector<int16_t>& stereo)>;
// Receives the mix in pieces: interleaved stereo, `frames` sample frames.
using SoundSink = std::function<bool(const int16_t* samples, size_t frames)>;

class OfflineMixer {
public:
    explicit OfflineMixer(SoundDecoder decoder = decodeSoundFile);
    // Plays the calls into `totalFrames` sample frames handed to `sink`;
    // false when the sink refuses a piece.
    bool render(const std::vector<SoundCall>& calls, uint64_t totalFrames, const SoundSink& sink);

    // Calls that found no free channel (the live mixer drops them too).
    int droppedCues = 0;

private:
    struct Slot {
        std::shared_ptr<std::vector<int16_t>> pcm;
        bool stream = false;
        bool loop = false;
    };
    struct Voice {
        std::shared_ptr<std::vector<int16_t>> pcm;
        size_t position = 0;  // in sample frames
        bool loop = false;
        bool playing() const { return pcm != nullptr; }
    };

    SoundDecoder decoder_;
    bool open_ = false;
    std::vector<Slot> slots_;
    std::vector<int> slotOfLoad_;  // load number -> slot, -1 when the load failed
    Voice channels_[FSOUND_CHANNELS];
    int channelVolume_[FSOUND_CHANNELS];
    Voice music_;  // the stream
    int musicVolume_ = 128;
    bool paused_ = false;  // the pause holds every sound where it is: silence, nothing moves on
    int musicChannel_ = -1;
    int musicSlot_ = -1;

    void apply(const SoundCall& call);
    const Slot* slotOf(int32_t load) const;
    int mixerChannel(int channel) const;
    int playOnChannel(int target, const Slot& slot);
    void mix(int16_t* out, size_t frames);
};

// 16-bit samples as little-endian bytes, as a raw PCM stream carries them.
void littleEndianSamples(const int16_t* samples, size_t count, uint8_t* bytes);
