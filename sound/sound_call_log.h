// sound_call_log.h - the FSOUND calls logged with their time instead of
// played: what the offline mixer (sound_offline.h) plays into a track.
//
// With a SoundCallLog installed (FSOUND_LogCalls) the calls of sound.h open
// no device and play nothing: each one is appended to the log, stamped with
// the log's clock, which the caller sets to the shell's time before every
// frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/sound.h"

enum class SoundOp : uint8_t { Init, Load, SetMode, Play, SetVolume, SetPosition, Pause };

struct SoundCall {
    double time = 0.0;
    SoundOp op = SoundOp::Init;
    int32_t channel = 0;  // Play, SetVolume, SetPosition; the slot index asked for by Load
    int32_t sample = -1;  // the sample a call names: its Load's number in the log, -1 for none
    int32_t value = 0;    // loop mode, volume or position; Pause: 1 holds every sound, 0 lets it go on
    std::string file;     // Load

    bool operator==(const SoundCall&) const = default;
};

class SoundCallLog {
public:
    double clock = 0.0;  // seconds of the shell's clock; stamps every call
    std::vector<SoundCall> calls;

    bool init();
    FSOUND_SAMPLE* load(int index, const char* fileName, unsigned mode);
    bool setMode(FSOUND_SAMPLE* sample, unsigned mode);
    int play(int channel, FSOUND_SAMPLE* sample);
    bool setVolume(int channel, int volume);
    bool setPosition(int channel, unsigned position);
    void pause(bool paused);

private:
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> handles_;  // one per load
    int32_t idOf(const FSOUND_SAMPLE* sample) const;
};

// Sends the FSOUND calls to `log` instead of the device; nullptr ends that.
void FSOUND_LogCalls(SoundCallLog* log);
// The installed log, or nullptr.
SoundCallLog* soundCallLog();
