// sound_offline.cpp - the offline mix of logged FSOUND calls (see sound_offline.h).
#include "sound/sound_offline.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/file_bytes.h"

namespace {

bool g_decoderOpenedMixer = false;
bool g_decoderStartedAudio = false;

constexpr int MIXER_MAX_VOLUME = 128;

bool longFile(const std::string& file)
{
    std::error_code error;
    const auto bytes = std::filesystem::file_size(file, error);
    return !error && bytes > static_cast<std::uintmax_t>(FSOUND_STREAM_BYTES);
}

// (s * volume) / 128, as the mixer scales a 16-bit sample, then added with clipping.
inline int16_t addScaled(int16_t into, int16_t sample, int volume)
{
    const int sum = into + (sample * volume) / MIXER_MAX_VOLUME;
    return static_cast<int16_t>(std::clamp(sum, -32768, 32767));
}

}  // namespace

bool decodeSoundFile(const std::string& file, std::vector<int16_t>& stereo)
{
    stereo.clear();
    int rate = 0, channels = 0;
    Uint16 format = 0;
    if (Mix_QuerySpec(&rate, &format, &channels) == 0) {
        // No mixer open yet: one on the dummy driver, whatever the
        // environment asks for, so that decoding never takes a real device.
        if (!SDL_WasInit(SDL_INIT_AUDIO)) {
            SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
                return false;
            g_decoderStartedAudio = true;
        }
        Mix_Init(MIX_INIT_MP3);
        if (Mix_OpenAudio(OFFLINE_RATE, AUDIO_S16SYS, 2, 1024) != 0)
            return false;
        g_decoderOpenedMixer = true;
        Mix_QuerySpec(&rate, &format, &channels);
    }
    if (rate != OFFLINE_RATE || format != AUDIO_S16SYS || channels != 2)
        return false;
    std::FILE* f = openRegularFileStream(file.c_str());
    Mix_Chunk* chunk = f ? Mix_LoadWAV_RW(SDL_RWFromFP(f, SDL_TRUE), 1) : nullptr;
    if (!chunk)
        return false;
    stereo.resize(chunk->alen / sizeof(int16_t) / 2 * 2);
    std::memcpy(stereo.data(), chunk->abuf, stereo.size() * sizeof(int16_t));
    Mix_FreeChunk(chunk);
    return true;
}

void closeSoundDecoding()
{
    if (g_decoderOpenedMixer)
        Mix_CloseAudio();
    if (g_decoderStartedAudio) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);  // the environment's choice again, for whatever opens audio next
    }
    g_decoderOpenedMixer = g_decoderStartedAudio = false;
}

OfflineMixer::OfflineMixer(SoundDecoder decoder) : decoder_(std::move(decoder))
{
    std::fill(std::begin(channelVolume_), std::end(channelVolume_), MIXER_MAX_VOLUME);
}

const OfflineMixer::Slot* OfflineMixer::slotOf(int32_t load) const
{
    if (load < 0 || static_cast<size_t>(load) >= slotOfLoad_.size())
        return nullptr;
    const int slot = slotOfLoad_[static_cast<size_t>(load)];
    return slot < 0 ? nullptr : &slots_[static_cast<size_t>(slot)];
}

int OfflineMixer::mixerChannel(int channel) const { return channel == 0 ? musicChannel_ : channel; }

int OfflineMixer::playOnChannel(int target, const Slot& slot)
{
    if (target == -1) {
        for (int i = 0; i < FSOUND_CHANNELS; ++i)
            if (!channels_[i].playing()) {
                target = i;
                break;
            }
        if (target == -1) {
            ++droppedCues;
            return -1;
        }
    }
    if (target < 0 || target >= FSOUND_CHANNELS)
        return -1;
    channels_[target] = Voice{slot.pcm, 0, slot.loop};
    return target;
}

void OfflineMixer::apply(const SoundCall& call)
{
    switch (call.op) {
    case SoundOp::Init:
        open_ = true;
        return;
    case SoundOp::Load: {
        int slotIndex = -1;
        if (open_ && call.channel >= FSOUND_FREE) {
            bool streaming = false;
            for (const Slot& s : slots_)
                streaming = streaming || (s.pcm && s.stream);
            auto pcm = std::make_shared<std::vector<int16_t>>();
            if (decoder_(call.file, *pcm)) {
                size_t slot = static_cast<size_t>(call.channel);
                if (call.channel == FSOUND_FREE) {
                    slot = 0;
                    while (slot < slots_.size() && slots_[slot].pcm)
                        ++slot;
                }
                if (slot >= slots_.size())
                    slots_.resize(slot + 1);
                if (static_cast<int>(slot) == musicSlot_) {
                    if (musicChannel_ >= 0 && musicChannel_ < FSOUND_CHANNELS)
                        channels_[musicChannel_] = Voice{};
                    musicChannel_ = musicSlot_ = -1;
                }
                if (slots_[slot].stream)
                    music_ = Voice{};  // freeing a stream halts it
                slots_[slot] = Slot{pcm, longFile(call.file) && !streaming, (call.value & FSOUND_LOOP_NORMAL) != 0};
                slotIndex = static_cast<int>(slot);
            }
        }
        if (call.sample >= 0) {
            if (slotOfLoad_.size() <= static_cast<size_t>(call.sample))
                slotOfLoad_.resize(static_cast<size_t>(call.sample) + 1, -1);
            slotOfLoad_[static_cast<size_t>(call.sample)] = slotIndex;
        }
        return;
    }
    case SoundOp::SetMode: {
        const Slot* found = slotOf(call.sample);
        if (!found)
            return;
        Slot& slot = slots_[static_cast<size_t>(found - slots_.data())];
        if (call.value & FSOUND_LOOP_NORMAL)
            slot.loop = true;
        else if (call.value & FSOUND_LOOP_OFF)
            slot.loop = false;
        return;
    }
    case SoundOp::Play: {
        const Slot* slot = slotOf(call.sample);
        if (!open_ || !slot)
            return;
        int played = -1;
        if (slot->stream) {
            music_ = Voice{slot->pcm, 0, slot->loop};
            played = FSOUND_STREAM_CHANNEL;
        } else {
            const int target = call.channel == FSOUND_FREE ? -1 : mixerChannel(call.channel);
            if (call.channel != FSOUND_FREE && (target < 0 || target == FSOUND_STREAM_CHANNEL))
                return;
            played = playOnChannel(target, *slot);
        }
        if (played >= 0 && slot->loop && musicChannel_ < 0) {
            musicChannel_ = played;
            musicSlot_ = static_cast<int>(slot - slots_.data());
        }
        return;
    }
    case SoundOp::SetVolume: {
        if (!open_)
            return;
        const int level = mixerVolume(call.value);
        if (call.channel == FSOUND_ALL) {
            std::fill(std::begin(channelVolume_), std::end(channelVolume_), level);
            musicVolume_ = level;
            return;
        }
        const int target = mixerChannel(call.channel);
        if (target == FSOUND_STREAM_CHANNEL)
            musicVolume_ = level;
        else if (target >= 0 && target < FSOUND_CHANNELS)
            channelVolume_[target] = level;
        return;
    }
    case SoundOp::Pause:
        paused_ = open_ && call.value != 0;
        return;
    case SoundOp::SetPosition: {
        const int target = mixerChannel(call.channel);
        if (!open_ || call.value != 0 || target < 0)
            return;
        if (target == FSOUND_STREAM_CHANNEL) {
            for (const Slot& s : slots_)
                if (s.pcm && s.stream) {
                    music_ = Voice{s.pcm, 0, s.loop};
                    return;
                }
            return;
        }
        if (target >= FSOUND_CHANNELS)
            return;
        std::shared_ptr<std::vector<int16_t>> pcm = channels_[target].pcm;
        if (target == musicChannel_ && musicSlot_ >= 0)
            pcm = slots_[static_cast<size_t>(musicSlot_)].pcm;
        if (!pcm)
            return;
        channels_[target] = Voice{pcm, 0, target == musicChannel_};
        return;
    }
    }
}

void OfflineMixer::mix(int16_t* out, size_t frames)
{
    std::fill(out, out + 2 * frames, int16_t(0));
    if (paused_)
        return;
    auto add = [&](Voice& v, int volume) {
        size_t done = 0;
        while (done < frames && v.playing()) {
            const std::vector<int16_t>& pcm = *v.pcm;
            const size_t length = pcm.size() / 2;
            if (v.position >= length) {
                if (v.loop && length > 0) {
                    v.position = 0;
                } else {
                    v = Voice{};
                    break;
                }
            }
            const size_t n = std::min(frames - done, length - v.position);
            const int16_t* in = pcm.data() + 2 * v.position;
            int16_t* to = out + 2 * done;
            for (size_t i = 0; i < 2 * n; ++i)
                to[i] = addScaled(to[i], in[i], volume);
            v.position += n;
            done += n;
        }
        // A sound that has just ended frees its channel at once.
        if (v.playing() && !v.loop && v.position >= v.pcm->size() / 2)
            v = Voice{};
    };
    add(music_, musicVolume_);
    for (int c = 0; c < FSOUND_CHANNELS; ++c)
        add(channels_[c], channelVolume_[c]);
}

bool OfflineMixer::render(const std::vector<SoundCall>& calls, uint64_t totalFrames, const SoundSink& sink)
{
    constexpr size_t PIECE = 4096;
    std::vector<int16_t> buffer(2 * PIECE);
    uint64_t done = 0;
    auto mixUntil = [&](uint64_t frame) {
        while (done < frame) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(PIECE, frame - done));
            mix(buffer.data(), n);
            if (!sink(buffer.data(), n))
                return false;
            done += n;
        }
        return true;
    };
    for (const SoundCall& call : calls) {
        const double at = std::max(0.0, call.time) * OFFLINE_RATE;
        const uint64_t frame = std::min<uint64_t>(totalFrames, static_cast<uint64_t>(std::llround(std::min(at, 1e15))));
        if (!mixUntil(std::max(frame, done)))
            return false;
        apply(call);
    }
    return mixUntil(totalFrames);
}

void littleEndianSamples(const int16_t* samples, size_t count, uint8_t* bytes)
{
    for (size_t i = 0; i < count; ++i) {
        const uint16_t v = static_cast<uint16_t>(samples[i]);
        bytes[2 * i] = uint8_t(v);
        bytes[2 * i + 1] = uint8_t(v >> 8);
    }
}
