#include <gtest/gtest.h>

#include "settings/display_settings.h"

TEST(DisplayModes, FilterKeepsLandscapeModesUpTo2047AndAspect18)
{
    EXPECT_TRUE(isListedDisplayMode(1280, 720));
    EXPECT_TRUE(isListedDisplayMode(1024, 768));
    EXPECT_TRUE(isListedDisplayMode(800, 800));     // square is fine
    EXPECT_FALSE(isListedDisplayMode(768, 1024));   // portrait
    EXPECT_FALSE(isListedDisplayMode(2560, 1440));  // above 2047
    EXPECT_FALSE(isListedDisplayMode(1920, 2048));
    EXPECT_TRUE(isListedDisplayMode(1800, 1000));   // exactly 1.8 : 1
    EXPECT_FALSE(isListedDisplayMode(2000, 1000));  // wider than 1.8 : 1
    EXPECT_FALSE(isListedDisplayMode(0, 0));
}

TEST(DisplayModes, ListKeepsFirstOrderWithoutDuplicates)
{
    // The same size at several depths and refresh rates arrives several times.
    std::vector<DisplayMode> list;
    for (auto [w, h] : {std::pair{1280, 720}, {1024, 768}, {1280, 720}, {640, 1024}, {1024, 768}, {800, 600}})
        addDisplayMode(list, w, h);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].width, 1280);
    EXPECT_EQ(list[1].width, 1024);
    EXPECT_EQ(list[2].width, 800);
}

TEST(DisplayModes, LabelsNameWideAspects)
{
    EXPECT_EQ(displayModeLabel({1280, 800}), " 1280 x 800  (16:10)");
    EXPECT_EQ(displayModeLabel({1920, 1080}), " 1920 x 1080  (16:9)");
    EXPECT_EQ(displayModeLabel({1366, 768}), " 1366 x 768  (16:9)");
    EXPECT_EQ(displayModeLabel({1024, 768}), " 1024 x 768       ");
}

TEST(DisplayModes, DefaultSelectionPrefers720pThen1024)
{
    EXPECT_EQ(defaultDisplayModeIndex({{800, 600}, {1024, 768}, {1280, 720}}), 2);
    EXPECT_EQ(defaultDisplayModeIndex({{800, 600}, {1024, 768}}), 1);
    EXPECT_EQ(defaultDisplayModeIndex({{800, 600}, {1600, 900}}), 0);
    EXPECT_EQ(defaultDisplayModeIndex({}), -1);
}

TEST(SettingsChoice, Force169SetsRenderHeightFromWidth)
{
    SettingsChoice c;
    c.force169 = true;
    for (auto [w, expected] : {std::pair{1280, 720}, {1366, 768}, {1024, 576}, {1920, 1080}}) {
        c.mode = {w, 768};
        EXPECT_EQ(sizesForChoice(c).renderHeight, expected) << w;
    }
}

TEST(SettingsChoice, WindowedForcedWindowTakesTheRenderHeight)
{
    SettingsChoice c;
    c.mode = {1024, 768};
    c.force169 = true;
    c.windowed = true;
    DisplaySizes s = sizesForChoice(c);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_EQ(s.windowWidth, 1024);
    EXPECT_EQ(s.windowHeight, 576);
    EXPECT_EQ(s.renderHeight, 576);

    c.windowed = false;  // full screen keeps the display mode's height
    s = sizesForChoice(c);
    EXPECT_TRUE(s.fullscreen);
    EXPECT_EQ(s.windowHeight, 768);
    EXPECT_EQ(s.renderWidth, 1024);
    EXPECT_EQ(s.renderHeight, 576);
}

TEST(SettingsChoice, WithoutForceTheModeIsUsedAsIs)
{
    SettingsChoice c;
    c.mode = {1024, 768};
    c.force169 = false;
    c.antialiased = false;
    const DisplaySizes s = sizesForChoice(c);
    EXPECT_EQ(s.windowHeight, 768);
    EXPECT_EQ(s.renderHeight, 768);
    EXPECT_FALSE(s.antialiased);
}
