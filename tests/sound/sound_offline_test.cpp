// The offline sound path: the FSOUND calls logged with their time (no device
// opened), and the mixer that plays a log as the live layer plays it: cues on
// the lowest free of 32 channels and dropped when none is free, the music
// looping and rewinding, volumes scaled as the mixer scales them, clipping,
// and every call taking effect at the sample of its time.
#include <gtest/gtest.h>

#include <SDL_mixer.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "game/game_sound.h"
#include "sound/sound_offline.h"

namespace {

// Constant stereo sounds of a given length, by file name.
struct FakeSounds {
    std::map<std::string, std::pair<int16_t, double>> sounds;  // value, seconds
    SoundDecoder decoder()
    {
        return [this](const std::string& file, std::vector<int16_t>& out) {
            auto it = sounds.find(file);
            if (it == sounds.end())
                return false;
            out.assign(2 * static_cast<size_t>(it->second.second * OFFLINE_RATE), it->second.first);
            return true;
        };
    }
};

SoundCall call(double t, SoundOp op, int channel, int sample, int value, std::string file = {})
{
    return {t, op, channel, sample, value, std::move(file)};
}

// The game's set-up: music (load 0, looping) and a cue (load 1).
std::vector<SoundCall> setUp(const std::string& music = "music")
{
    return {
        call(0, SoundOp::Init, 0, -1, 0),
        call(0, SoundOp::Load, FSOUND_FREE, 0, 0x130, music),
        call(0, SoundOp::Load, FSOUND_FREE, 1, 0x130, "cue"),
        call(0, SoundOp::SetMode, 0, 0, FSOUND_LOOP_NORMAL),
        call(0, SoundOp::SetMode, 0, 1, FSOUND_LOOP_OFF),
        call(0, SoundOp::Play, FSOUND_FREE, 0, 0),
        call(0, SoundOp::SetVolume, FSOUND_ALL, -1, 55),
    };
}

std::vector<int16_t> render(OfflineMixer& mixer, const std::vector<SoundCall>& calls, double seconds)
{
    std::vector<int16_t> out;
    const uint64_t frames = static_cast<uint64_t>(seconds * OFFLINE_RATE);
    EXPECT_TRUE(mixer.render(calls, frames, [&](const int16_t* s, size_t n) {
        out.insert(out.end(), s, s + 2 * n);
        return true;
    }));
    EXPECT_EQ(out.size(), 2 * frames);
    return out;
}

int16_t left(const std::vector<int16_t>& mix, double seconds) { return mix[2 * static_cast<size_t>(seconds * OFFLINE_RATE)]; }

constexpr int VOLUME_55 = 28;  // lround(55 * 128 / 255)

}  // namespace

TEST(SoundOffline, TheGamesCallsAreLoggedWithTheirTimeAndNoDevice)
{
    const int opened = Mix_QuerySpec(nullptr, nullptr, nullptr);
    SoundCallLog log;
    FSOUND_LogCalls(&log);
    GameSound sound;
    sound.load();
    log.clock = 2.5;
    sound.play(CUE_HIT);
    sound.rewindMusic();
    FSOUND_LogCalls(nullptr);

    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), opened);  // nothing was opened
    ASSERT_EQ(log.calls.size(), 1u + 5 + 5 + 2 + 3);
    EXPECT_EQ(log.calls[0].op, SoundOp::Init);
    EXPECT_EQ(log.calls[1], call(0, SoundOp::Load, FSOUND_FREE, 0, 0x130, "music//Velmore - Tarnish.mp3"));
    EXPECT_EQ(log.calls[11], call(0, SoundOp::Play, FSOUND_FREE, 0, 0));
    EXPECT_EQ(log.calls[13], call(2.5, SoundOp::Play, FSOUND_FREE, 2, 0));
    EXPECT_EQ(log.calls[14], call(2.5, SoundOp::SetVolume, FSOUND_ALL, -1, 55));
    EXPECT_EQ(log.calls[15], call(2.5, SoundOp::SetPosition, 0, -1, 0));
}

TEST(SoundOffline, CuesTakeTheLowestFreeChannelAndAreDroppedWhenNoneIsFree)
{
    FakeSounds fake;
    fake.sounds["music"] = {1000, 10.0};
    fake.sounds["cue"] = {2000, 1.0};
    std::vector<SoundCall> calls = setUp();
    for (int i = 0; i < 32; ++i)  // the music holds channel 0: 31 of these find a channel
        calls.push_back(call(0.1, SoundOp::Play, FSOUND_FREE, 1, 0));
    calls.push_back(call(1.2, SoundOp::Play, FSOUND_FREE, 1, 0));  // the first ones have ended
    OfflineMixer mixer(fake.decoder());
    const std::vector<int16_t> mix = render(mixer, calls, 2.0);
    EXPECT_EQ(mixer.droppedCues, 1);

    const int music = 1000 * VOLUME_55 / 128;
    const int cue = 2000 * VOLUME_55 / 128;
    EXPECT_EQ(left(mix, 0.05), music);
    EXPECT_EQ(left(mix, 0.5), music + 31 * cue);
    EXPECT_EQ(left(mix, 1.15), music);
    EXPECT_EQ(left(mix, 1.5), music + cue);
    // A call takes effect at the sample of its time.
    const size_t start = static_cast<size_t>(0.1 * OFFLINE_RATE);
    EXPECT_EQ(mix[2 * (start - 1)], music);
    EXPECT_EQ(mix[2 * start], music + 31 * cue);
}

TEST(SoundOffline, VolumesScaleAndTheMixClips)
{
    FakeSounds fake;
    fake.sounds["music"] = {-301, 10.0};
    fake.sounds["cue"] = {30000, 1.0};
    std::vector<SoundCall> calls = setUp();
    calls[6].value = 255;  // full volume at first
    calls.push_back(call(0.5, SoundOp::SetVolume, FSOUND_ALL, -1, 55));
    calls.push_back(call(1.0, SoundOp::Play, FSOUND_FREE, 1, 0));
    calls.push_back(call(1.0, SoundOp::Play, FSOUND_FREE, 1, 0));
    calls.push_back(call(1.5, SoundOp::SetVolume, FSOUND_ALL, -1, 255));
    OfflineMixer mixer(fake.decoder());
    const std::vector<int16_t> mix = render(mixer, calls, 2.0);
    EXPECT_EQ(left(mix, 0.2), -301);
    EXPECT_EQ(left(mix, 0.7), -301 * VOLUME_55 / 128);  // truncated toward zero: -65
    EXPECT_EQ(left(mix, 1.2), -65 + 2 * (30000 * VOLUME_55 / 128));
    EXPECT_EQ(left(mix, 1.7), 32767);  // -301 + 2 * 30000 clips
}

TEST(SoundOffline, TheMusicLoopsAndRewindsAsAChannelOrAsAStream)
{
    // A file over 1 MiB streams, as in the live layer; a short one plays on channel 0.
    const std::string longFile = testing::TempDir() + std::to_string(getpid()) + "_long.mp3";
    {
        std::FILE* f = std::fopen(longFile.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fseek(f, FSOUND_STREAM_BYTES + 1, SEEK_SET);
        std::fputc(0, f);
        std::fclose(f);
    }
    for (const std::string& music : {std::string("music"), longFile}) {
        OfflineMixer mixer([&](const std::string& file, std::vector<int16_t>& out) {
            if (file != music)
                return false;
            out.resize(2 * OFFLINE_RATE / 2);
            for (size_t i = 0; i < out.size(); ++i)
                out[i] = static_cast<int16_t>(i / 2);  // a ramp: its value tells the position
            return true;
        });
        std::vector<SoundCall> calls = setUp(music);
        calls[6].value = 255;
        calls.push_back(call(0.8, SoundOp::SetPosition, 0, -1, 0));
        const std::vector<int16_t> mix = render(mixer, calls, 1.0);
        const int half = OFFLINE_RATE / 2;
        EXPECT_EQ(left(mix, 0.1), static_cast<int>(0.1 * OFFLINE_RATE)) << music;
        EXPECT_EQ(left(mix, 0.6), static_cast<int>(0.6 * OFFLINE_RATE) - half) << music;  // looped
        EXPECT_EQ(left(mix, 0.9), static_cast<int>(0.9 * OFFLINE_RATE) - static_cast<int>(0.8 * OFFLINE_RATE))
            << music;  // rewound at 0.8 s
    }
    std::remove(longFile.c_str());
}

TEST(SoundOffline, ThePauseHoldsEverySoundWhereItIs)
{
    // A cue of one second with a step at half a second, so that where it stands shows.
    FakeSounds fake;
    fake.sounds["music"] = {1000, 10.0};
    OfflineMixer mixer([&](const std::string& file, std::vector<int16_t>& out) {
        if (file == "cue") {
            out.assign(2 * OFFLINE_RATE, 2000);
            std::fill(out.begin() + OFFLINE_RATE, out.end(), int16_t(4000));
            return true;
        }
        return fake.decoder()(file, out);
    });
    std::vector<SoundCall> calls = setUp();
    calls.push_back(call(0.1, SoundOp::Play, FSOUND_FREE, 1, 0));
    calls.push_back(call(0.3, SoundOp::Pause, 0, -1, 1));
    calls.push_back(call(2.3, SoundOp::Pause, 0, -1, 0));
    const std::vector<int16_t> mix = render(mixer, calls, 3.5);
    const int music = 1000 * VOLUME_55 / 128;
    EXPECT_EQ(left(mix, 0.2), music + 2000 * VOLUME_55 / 128);
    EXPECT_EQ(left(mix, 0.31), 0);  // silence while paused
    EXPECT_EQ(left(mix, 2.2), 0);
    // The cue goes on where it stood: 0.2 s played before the pause, the step 0.3 s after it.
    EXPECT_EQ(left(mix, 2.45), music + 2000 * VOLUME_55 / 128);
    EXPECT_EQ(left(mix, 2.65), music + 4000 * VOLUME_55 / 128);
    EXPECT_EQ(left(mix, 3.15), music);  // and ends 0.8 s after the pause
}

TEST(SoundOffline, DecodesTheGamesMp3AndStreamsLittleEndianSamples)
{
    std::vector<int16_t> cue;
    ASSERT_TRUE(decodeSoundFile(std::string(GW_BUILD_DIR) + "/music/1.mp3", cue));
    EXPECT_GT(cue.size(), 2u * OFFLINE_RATE / 20);
    int peak = 0;
    for (int16_t s : cue)
        peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 1000);
    EXPECT_FALSE(decodeSoundFile(std::string(GW_BUILD_DIR) + "/music/none.mp3", cue));
    closeSoundDecoding();

    const int16_t samples[6] = {1, -1, 256, -256, 32767, -32768};
    uint8_t bytes[12];
    littleEndianSamples(samples, 6, bytes);
    const uint8_t expected[12] = {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0x7F, 0x00, 0x80};
    EXPECT_TRUE(std::equal(bytes, bytes + 12, expected));
}
