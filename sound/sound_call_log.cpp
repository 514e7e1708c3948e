// sound_call_log.cpp - the FSOUND calls appended to a log (see sound_call_log.h).
#include "sound/sound_call_log.h"

namespace {

SoundCallLog* g_log = nullptr;

}  // namespace

void FSOUND_LogCalls(SoundCallLog* log) { g_log = log; }
SoundCallLog* soundCallLog() { return g_log; }

int32_t SoundCallLog::idOf(const FSOUND_SAMPLE* sample) const { return sample ? sample->logId : -1; }

bool SoundCallLog::init()
{
    calls.push_back({clock, SoundOp::Init, 0, -1, 0, {}});
    return true;
}

FSOUND_SAMPLE* SoundCallLog::load(int index, const char* fileName, unsigned mode)
{
    if (!fileName)
        return nullptr;
    handles_.push_back(std::make_unique<FSOUND_SAMPLE>());
    FSOUND_SAMPLE* sample = handles_.back().get();
    sample->logId = static_cast<int>(handles_.size()) - 1;
    sample->loop = (mode & FSOUND_LOOP_NORMAL) != 0;
    calls.push_back({clock, SoundOp::Load, index, sample->logId, static_cast<int32_t>(mode), fileName});
    return sample;
}

bool SoundCallLog::setMode(FSOUND_SAMPLE* sample, unsigned mode)
{
    if (!sample)
        return false;
    calls.push_back({clock, SoundOp::SetMode, 0, idOf(sample), static_cast<int32_t>(mode), {}});
    return true;
}

int SoundCallLog::play(int channel, FSOUND_SAMPLE* sample)
{
    if (!sample)
        return -1;
    calls.push_back({clock, SoundOp::Play, channel, idOf(sample), 0, {}});
    return 0;
}

bool SoundCallLog::setVolume(int channel, int volume)
{
    calls.push_back({clock, SoundOp::SetVolume, channel, -1, volume, {}});
    return true;
}

bool SoundCallLog::setPosition(int channel, unsigned position)
{
    calls.push_back({clock, SoundOp::SetPosition, channel, -1, static_cast<int32_t>(position), {}});
    return true;
}

void SoundCallLog::pause(bool paused) { calls.push_back({clock, SoundOp::Pause, 0, -1, paused ? 1 : 0, {}}); }
