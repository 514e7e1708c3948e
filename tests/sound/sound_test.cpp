// FSOUND calls on SDL2_mixer with SDL's dummy audio driver: loading MP3
// files, free slots, the music channel, volume mapping, and silence on
// every failure.
#include <gtest/gtest.h>

#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "sound/sound.h"

namespace {

namespace fs = std::filesystem;

// Silent MPEG-1 layer III frames (128 kbit/s, 44100 Hz, mono): a header and
// an all-zero side information and main data block decode to silence.
void writeSilentMp3(const fs::path& path, int frames)
{
    std::vector<unsigned char> bytes;
    for (int i = 0; i < frames; ++i) {
        const unsigned char header[4] = {0xFF, 0xFB, 0x90, 0xC0};
        bytes.insert(bytes.end(), header, header + 4);
        bytes.insert(bytes.end(), 417 - 4, 0);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

class SoundTest : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        dir = fs::temp_directory_path() / ("gw_sound_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        writeSilentMp3(dir / "music.mp3", 60);
        writeSilentMp3(dir / "cue.mp3", 10);
    }
    void TearDown() override
    {
        FSOUND_Close();
        fs::remove_all(dir);
    }
    std::string file(const char* name) const { return (dir / name).string(); }
};

TEST_F(SoundTest, LoadsMp3IntoFreeSlots)
{
    ASSERT_TRUE(FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, 2));
    EXPECT_EQ(Mix_AllocateChannels(-1), 32);
    FSOUND_SAMPLE* music = FSOUND_Sample_Load(FSOUND_FREE, file("music.mp3").c_str(), 0x130, 0, 0);
    FSOUND_SAMPLE* cue = FSOUND_Sample_Load(FSOUND_FREE, file("cue.mp3").c_str(), 0x130, 0, 0);
    ASSERT_NE(music, nullptr);
    ASSERT_NE(cue, nullptr);
    EXPECT_NE(music, cue);
    // 60 frames of 1152 samples, resampled to the device's stereo 16-bit.
    EXPECT_GT(music->chunk->alen, 60u * 1152u * 2u);
}

TEST_F(SoundTest, MusicIsChannelZeroAndRewinds)
{
    ASSERT_TRUE(FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, 2));
    FSOUND_SAMPLE* cue = FSOUND_Sample_Load(FSOUND_FREE, file("cue.mp3").c_str(), 0x130, 0, 0);
    FSOUND_SAMPLE* music = FSOUND_Sample_Load(FSOUND_FREE, file("music.mp3").c_str(), 0x130, 0, 0);
    FSOUND_Sample_SetMode(music, FSOUND_LOOP_NORMAL);
    FSOUND_Sample_SetMode(cue, FSOUND_LOOP_OFF);
    EXPECT_TRUE(music->loop);
    EXPECT_FALSE(cue->loop);

    // A one-shot cue started first does not become channel 0.
    int cueChannel = FSOUND_PlaySound(FSOUND_FREE, cue);
    int musicChannel = FSOUND_PlaySound(FSOUND_FREE, music);
    ASSERT_GE(cueChannel, 0);
    ASSERT_GE(musicChannel, 0);
    EXPECT_NE(cueChannel, musicChannel);
    EXPECT_EQ(musicMixerChannel(), musicChannel);

    EXPECT_TRUE(FSOUND_SetCurrentPosition(0, 0));
    EXPECT_TRUE(Mix_Playing(musicChannel));
    EXPECT_EQ(Mix_GetChunk(musicChannel), music->chunk);
    // Only a rewind is supported.
    EXPECT_FALSE(FSOUND_SetCurrentPosition(0, 1000));
}

TEST_F(SoundTest, LongFileStreamsAsChannelZero)
{
    writeSilentMp3(dir / "long.mp3", FSOUND_STREAM_BYTES / 417 + 20);
    writeSilentMp3(dir / "long2.mp3", FSOUND_STREAM_BYTES / 417 + 20);
    ASSERT_TRUE(FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, 2));
    FSOUND_SAMPLE* music = FSOUND_Sample_Load(FSOUND_FREE, file("long.mp3").c_str(), 0x130, 0, 0);
    FSOUND_SAMPLE* second = FSOUND_Sample_Load(FSOUND_FREE, file("long2.mp3").c_str(), 0x130, 0, 0);
    ASSERT_NE(music, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(music->stream, nullptr);
    EXPECT_EQ(music->chunk, nullptr);
    // The mixer streams one file at a time: the second is decoded.
    EXPECT_EQ(second->stream, nullptr);
    EXPECT_NE(second->chunk, nullptr);

    FSOUND_Sample_SetMode(music, FSOUND_LOOP_NORMAL);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, music), FSOUND_STREAM_CHANNEL);
    EXPECT_EQ(musicMixerChannel(), FSOUND_STREAM_CHANNEL);
    EXPECT_TRUE(Mix_PlayingMusic());
    // Volumes reach the stream too, and a rewind starts it again.
    EXPECT_TRUE(FSOUND_SetVolume(FSOUND_ALL, 55));
    EXPECT_EQ(Mix_VolumeMusic(-1), 28);
    EXPECT_TRUE(FSOUND_SetVolume(0, 255));
    EXPECT_EQ(Mix_VolumeMusic(-1), 128);
    Mix_HaltMusic();
    EXPECT_TRUE(FSOUND_SetCurrentPosition(0, 0));
    EXPECT_TRUE(Mix_PlayingMusic());
    // Cues keep to the mixer's channels.
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_STREAM_CHANNEL, second), -1);
    EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, second), 0);

    // Reusing the slot stops the stream and frees it.
    EXPECT_NE(FSOUND_Sample_Load(0, file("cue.mp3").c_str(), 0x130, 0, 0), nullptr);
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_EQ(musicMixerChannel(), -1);
}

TEST_F(SoundTest, VolumeOfAllChannelsMapsTo128Steps)
{
    EXPECT_EQ(mixerVolume(0), 0);
    EXPECT_EQ(mixerVolume(55), 28);
    EXPECT_EQ(mixerVolume(255), 128);
    EXPECT_EQ(mixerVolume(400), 128);
    EXPECT_EQ(mixerVolume(-5), 0);

    ASSERT_TRUE(FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, 2));
    EXPECT_TRUE(FSOUND_SetVolume(FSOUND_ALL, 55));
    for (int ch = 0; ch < FSOUND_CHANNELS; ++ch)
        EXPECT_EQ(Mix_Volume(ch, -1), 28) << "channel " << ch;
}

TEST_F(SoundTest, EverythingIsSilentWithoutADevice)
{
    // Before init, and with null handles, nothing fails loudly.
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, file("cue.mp3").c_str(), 0x130, 0, 0), nullptr);
    EXPECT_FALSE(FSOUND_Sample_SetMode(nullptr, FSOUND_LOOP_NORMAL));
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    EXPECT_FALSE(FSOUND_SetVolume(FSOUND_ALL, 55));
    EXPECT_FALSE(FSOUND_SetCurrentPosition(0, 0));

    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, 2));
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, file("cue.mp3").c_str(), 0x130, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
}

TEST_F(SoundTest, MissingFileGivesNullAndPlayingItIsHarmless)
{
    ASSERT_TRUE(FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, 2));
    FSOUND_SAMPLE* missing = FSOUND_Sample_Load(FSOUND_FREE, file("absent.mp3").c_str(), 0x130, 0, 0);
    EXPECT_EQ(missing, nullptr);
    EXPECT_FALSE(FSOUND_Sample_SetMode(missing, FSOUND_LOOP_OFF));
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, missing), -1);
    // No music has started, so channel 0 has nothing to rewind.
    EXPECT_FALSE(FSOUND_SetCurrentPosition(0, 0));
}

TEST_F(SoundTest, PauseHoldsTheStreamAndEveryCueAndNoSoundOpensNothing)
{
    writeSilentMp3(dir / "long.mp3", FSOUND_STREAM_BYTES / 417 + 20);
    ASSERT_TRUE(FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, 2));
    FSOUND_SAMPLE* music = FSOUND_Sample_Load(FSOUND_FREE, file("long.mp3").c_str(), 0x130, 0, 0);
    FSOUND_SAMPLE* cue = FSOUND_Sample_Load(FSOUND_FREE, file("cue.mp3").c_str(), 0x130, 0, 0);
    FSOUND_Sample_SetMode(music, FSOUND_LOOP_NORMAL);
    ASSERT_EQ(FSOUND_PlaySound(FSOUND_FREE, music), FSOUND_STREAM_CHANNEL);
    FSOUND_Sample_SetMode(cue, FSOUND_LOOP_NORMAL);  // so it is still playing when paused
    const int channel = FSOUND_PlaySound(FSOUND_FREE, cue);
    ASSERT_GE(channel, 0);

    // The mixer marks a paused channel with SDL's tick count at the pause, and
    // a count of 0 reads as "not paused": let the first millisecond pass.
    usleep(2000);
    pauseSound(true);
    EXPECT_TRUE(Mix_PausedMusic());
    EXPECT_TRUE(Mix_Paused(channel));
    pauseSound(false);
    EXPECT_FALSE(Mix_PausedMusic());
    EXPECT_FALSE(Mix_Paused(channel));
    EXPECT_TRUE(Mix_Playing(channel));
    FSOUND_Close();

    // Without sound nothing opens, and everything stays quiet and harmless.
    setSoundEnabled(false);
    EXPECT_FALSE(FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, 2));
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, file("cue.mp3").c_str(), 0x130, 0, 0), nullptr);
    pauseSound(true);
    setSoundEnabled(true);
    EXPECT_TRUE(FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, 2));
}

}  // namespace
