#include <gtest/gtest.h>

#include "platform/platform.h"
#include "shell/dev_aids.h"
#include "shell/frame_loop.h"
#include "shell/window.h"

namespace {

int64_t g_fakeCount = 0;
int64_t fakeCounter() { return g_fakeCount; }
int64_t fakeFrequency() { return 1000; }

class FrameTimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_fakeCount = 5000;
        frameLoop.timer.counter = fakeCounter;
        frameLoop.timer.frequency = fakeFrequency;
        frameLoop.timer.reset();
        frameLoop.previousRead = frameLoop.timer.read();
    }
    void TearDown() override { frameLoop.timer = FrameTimer{}; }
};

}  // namespace

TEST_F(FrameTimerTest, ReadAccumulatesSecondsAndDeltasNeverGoNegative)
{
    EXPECT_DOUBLE_EQ(measureFrameDelta(), 0.0);  // the first frame after the start
    g_fakeCount += 250;
    EXPECT_DOUBLE_EQ(frameLoop.timer.read(), 0.25);
    EXPECT_DOUBLE_EQ(measureFrameDelta(), 0.25);
    g_fakeCount -= 500;  // the counter going backwards
    EXPECT_DOUBLE_EQ(measureFrameDelta(), 0.0);
    g_fakeCount += 20;
    EXPECT_GE(measureFrameDelta(), 0.0);
    frameLoop.timer.reset();
    EXPECT_DOUBLE_EQ(frameLoop.timer.read(), 0.0);
}

TEST(CameraLog, EachMiddleClickAddsAMarkerAndThreeLines)
{
    cameraLog.clear();
    FrameInputs in;
    in.mouseX = 4.2;
    in.mouseY = -1.25;
    in.wheel = 0.2;
    in.markerX = 1.0 / 3.0;
    in.markerY = 1234567.0;
    in.markerZ = -0.5;
    recordCameraMarker(in);
    in.mouseX = 0.0;
    recordCameraMarker(in);

    ASSERT_EQ(in.markers.size(), 2u);
    EXPECT_EQ(in.markers[1].kind, VEC_PLAIN);
    EXPECT_FLOAT_EQ(in.markers[0].x, 1.0f / 3.0f);
    const std::string one = "Cam :4.2,-1.25,0.2  \nPnt :0.333333,1.23457e+06,-0.5  \n \nMCr :0,0,0  \n \n";
    const std::string two = "Cam :0,-1.25,0.2  \nPnt :0.333333,1.23457e+06,-0.5  \n \nMCr :0,0,0  \n \n";
    EXPECT_EQ(cameraLog, one + two);
    cameraLog.clear();
}

// --- the window procedure -----------------------------------------------------

namespace {

class WindowProcTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset()
    {
        std::fill(std::begin(keys), std::end(keys), false);
        leftButton = rightButton = false;
        wheel = 0.0;
        active = true;
        frameDelta = 0.0;
        frameLoop.inputs = FrameInputs{};
        cameraLog.clear();
        escapePressed = false;
    }
    static void send(platform::EventType type, int vk = 0)
    {
        platform::Event e;
        e.type = type;
        e.virtualKey = vk;
        e.wheelDelta = 120;
        windowProc(e);
    }
};

}  // namespace

TEST_F(WindowProcTest, KeysButtonsWheelActivationAndMarkersFollowTheirEvents)
{
    using platform::EventType;
    send(EventType::KeyDown, VK_ESCAPE_KEY);
    EXPECT_TRUE(keys[VK_ESCAPE_KEY]);
    send(EventType::KeyUp, VK_ESCAPE_KEY);
    EXPECT_FALSE(keys[VK_ESCAPE_KEY]);
    send(EventType::KeyDown, 300);  // out of range: ignored, no write past the table
    send(EventType::LButtonDown);
    send(EventType::RButtonDown);
    EXPECT_TRUE(leftButton);
    EXPECT_TRUE(rightButton);
    send(EventType::LButtonUp);
    EXPECT_FALSE(leftButton);

    send(EventType::MouseWheel);
    send(EventType::MouseWheel);
    EXPECT_DOUBLE_EQ(wheel, 0.4);  // one fifth a notch

    platform::Event e;
    e.type = EventType::Activate;
    e.minimised = true;
    windowProc(e);
    EXPECT_FALSE(active);
    e.minimised = false;
    windowProc(e);
    EXPECT_TRUE(active);

    send(EventType::MButtonDown);
    EXPECT_EQ(frameLoop.inputs.markers.size(), 1u);
    EXPECT_EQ(cameraLog.rfind("Cam :", 0), 0u);
}

TEST_F(WindowProcTest, ArrowStepRunsPerDefaultHandledEventNotOnKeys)
{
    using platform::EventType;
    frameDelta = 0.1;
    send(EventType::KeyDown, VK_UP_KEY);
    send(EventType::KeyDown, VK_RIGHT_KEY);
    EXPECT_DOUBLE_EQ(frameLoop.inputs.arrowY, 0.0);  // key messages return before the step
    send(EventType::Other);
    send(EventType::Other);
    EXPECT_NEAR(frameLoop.inputs.arrowY, 0.3, 1e-12);
    EXPECT_NEAR(frameLoop.inputs.arrowX, 0.2, 1e-12);
    send(EventType::KeyUp, VK_UP_KEY);
    send(EventType::KeyDown, VK_DOWN_KEY);
    send(EventType::KeyUp, VK_RIGHT_KEY);
    send(EventType::KeyDown, VK_LEFT_KEY);
    send(EventType::LButtonDown);
    EXPECT_NEAR(frameLoop.inputs.arrowY, 0.15, 1e-12);
    EXPECT_NEAR(frameLoop.inputs.arrowX, 0.1, 1e-12);
}

TEST(VirtualKeys, SdlKeysMapToWindowsCodes)
{
    EXPECT_EQ(platform::virtualKeyFromKeycode(27), 27);    // SDLK_ESCAPE
    EXPECT_EQ(platform::virtualKeyFromKeycode('a'), 'A');  // letters are upper case codes
    EXPECT_EQ(platform::virtualKeyFromKeycode(0x40000050), 37);  // SDLK_LEFT
    EXPECT_EQ(platform::virtualKeyFromKeycode(0x40000051), 40);  // SDLK_DOWN
    EXPECT_EQ(platform::virtualKeyFromKeycode(0x4000003A), 0x70);  // F1
}

TEST_F(WindowProcTest, HeldEscapeStartsTheFadeOnce)
{
    ending = false;
    demoTime = 12.0;
    startExitFadeOnEscape();
    EXPECT_FALSE(ending);
    send(platform::EventType::KeyDown, VK_ESCAPE_KEY);
    startExitFadeOnEscape();
    EXPECT_TRUE(ending);
    EXPECT_DOUBLE_EQ(endStart, 12.0);
    demoTime = 12.5;
    startExitFadeOnEscape();
    EXPECT_DOUBLE_EQ(endStart, 12.0);
    ending = false;
    demoTime = 0.0;
}

TEST_F(WindowProcTest, EscapeTappedBetweenTwoPassesStillStartsTheFade)
{
    ending = false;
    send(platform::EventType::KeyDown, VK_ESCAPE_KEY);
    send(platform::EventType::KeyUp, VK_ESCAPE_KEY);  // both arrive during one slow frame
    startExitFadeOnEscape();
    EXPECT_TRUE(ending);
    ending = false;
    startExitFadeOnEscape();  // the press was used up
    EXPECT_FALSE(ending);
}
