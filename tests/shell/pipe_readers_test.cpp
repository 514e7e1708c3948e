// pipe_readers_test.cpp - every file the game and its tools read is opened
// without waiting: a pipe (or a folder, or a device) where a file should be
// is refused at once, as a file that cannot be read is. A reader that waited
// for a writer would hang the game at start; the alarm ends such a test.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "assets/jpeg/jpeg_decoder.h"
#include "base/content_hash.h"
#include "base/file_bytes.h"
#include "platform/platform.h"
#include "replay/replay_file.h"
#include "settings/settings_file.h"
#include "sound/sound.h"

namespace {

class PipeReaders : public ::testing::Test {
protected:
    std::string fifo;

    void SetUp() override
    {
        fifo = testing::TempDir() + "pipe_readers_" + std::to_string(getpid());
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        alarm(20);  // a blocked open would wait for ever
    }
    void TearDown() override
    {
        alarm(0);
        std::remove(fifo.c_str());
    }
};

}  // namespace

TEST_F(PipeReaders, AreRefusedAtOnce)
{
    errno = 0;
    EXPECT_EQ(openRegularFile(fifo.c_str()), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(openRegularFileStream(fifo.c_str()), nullptr);
    EXPECT_EQ(openRegularFile(testing::TempDir().c_str()), -1);
    EXPECT_EQ(errno, EISDIR);

    RememberedSettings settings;
    std::string why;
    EXPECT_EQ(readSettingsFile(fifo, settings, why), SettingsFileStatus::Unreadable);
    EXPECT_EQ(why, "not a regular file");

    Replay replay;
    const ReplayReadResult read = readReplayFile(fifo, replay);
    EXPECT_FALSE(read.ok());
    EXPECT_EQ(read.error, "not a regular file");

    uint64_t hash = 0;
    EXPECT_FALSE(fileContentHash(fifo, hash));

    jpeg_decoder_file_stream stream;
    EXPECT_NE(stream.open(fifo.c_str()), 0);
}

TEST_F(PipeReaders, SoundFilesAndPadMappingsToo)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(FSOUND_Init(FSOUND_MIX_RATE, FSOUND_CHANNELS, 0));
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, fifo.c_str(), FSOUND_LOOP_OFF, 0, 0), nullptr);
    FSOUND_Close();
    // The player's own pad mappings: a pipe there is passed over.
    platform::initGamepads(fifo);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}
