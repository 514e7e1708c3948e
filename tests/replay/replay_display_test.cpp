// replay_display_test.cpp - the display a replay records comes back as it was
// (every field distinct, so a swapped pair shows), and through the file too.
#include <gtest/gtest.h>

#include "replay/asset_digest.h"
#include "replay/replay_display.h"
#include "replay/replay_simulation.h"

TEST(ReplayDisplay, SizesAndChoiceComeBackFromTheHeader)
{
    const DisplaySizes sizes{false, false, 1600, 900, 1280, 720};
    const SettingsChoice choice{{1920, 1080}, true, false, true};

    Replay replay;
    replay.header = headerOfThisBuild(recordedDisplay(sizes, choice), 1, std::string(GW_BUILD_DIR) + "/");
    closeWithTrailer(replay, ReplayEnding::WindowClosed);
    Replay back;
    const std::vector<uint8_t> bytes = encodeReplay(replay);
    const ReplayReadResult read = readReplay(bytes.data(), bytes.size(), back);
    ASSERT_TRUE(read.ok()) << read.error;

    const DisplaySizes s = sizesOfRecording(back.header.settings);
    EXPECT_EQ(s.fullscreen, sizes.fullscreen);
    EXPECT_EQ(s.antialiased, sizes.antialiased);
    EXPECT_EQ(s.windowWidth, 1600);
    EXPECT_EQ(s.windowHeight, 900);
    EXPECT_EQ(s.renderWidth, 1280);
    EXPECT_EQ(s.renderHeight, 720);
    const SettingsChoice c = choiceOfRecording(back.header.settings);
    EXPECT_EQ(c.mode.width, 1920);
    EXPECT_EQ(c.mode.height, 1080);
    EXPECT_TRUE(c.windowed);
    EXPECT_FALSE(c.antialiased);
    EXPECT_TRUE(c.force169);
}
