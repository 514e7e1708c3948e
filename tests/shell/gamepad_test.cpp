// A virtual pad (SDL's virtual joystick, attached in this process) drives
// the shell's input mapping: the buttons, the stick as the cursor, hot
// unplugging, and the rumble of a draining contact.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <vector>

#include "game/game_rules.h"
#include "platform/platform.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/gamepad.h"
#include "shell/pause.h"
#include "shell/window.h"
#include "support/gl_fixture.h"

namespace {

int g_rumbles = 0;
Uint16 g_lastRumble = 0;

int SDLCALL countRumble(void*, Uint16 low, Uint16 high)
{
    ++g_rumbles;
    g_lastRumble = high;
    return 0;
}

class Gamepad : public ::testing::Test {
protected:
    int device = -1;
    SDL_Joystick* joystick = nullptr;

    void SetUp() override
    {
        // No window of this process has the focus; the pad must still count.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_TRUE(platform::initGamepads("")) << SDL_GetError();
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "glasswake test pad";
        desc.Rumble = countRumble;
        device = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(device, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(device);
        ASSERT_NE(joystick, nullptr) << SDL_GetError();
        restTriggers();
        resetShell();
        pump();  // the pad arrives through hot plug
    }

    void TearDown() override
    {
        if (joystick)
            SDL_JoystickClose(joystick);
        if (device >= 0)
            SDL_JoystickDetachVirtual(device);
        pump();
        resetShell();
        onContactDrain = nullptr;
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    static void resetShell()
    {
        gamepad = GamepadInput{};
        leftButton = rightButton = false;
        escapePressed = false;
        pauseState.toggleRequested = false;
        ending = false;
        windowWidth = 1280;
        windowHeight = 720;
        g_rumbles = 0;
    }

    // Delivers every pending event to the window procedure, as the message loop does.
    static void pump()
    {
        SDL_JoystickUpdate();
        platform::Event event;
        while (platform::pollEvent(event))
            windowProc(event);
    }

    void button(SDL_GameControllerButton which, bool down)
    {
        SDL_JoystickSetVirtualButton(joystick, which, down ? 1 : 0);
        pump();
    }
    void axis(SDL_GameControllerAxis which, int value)
    {
        SDL_JoystickSetVirtualAxis(joystick, which, static_cast<Sint16>(value));
        pump();
    }
    // A trigger's raw axis spans the whole range; the pad reports 0 ... 32767.
    void trigger(SDL_GameControllerAxis which, int travel) { axis(which, 2 * travel - 32768); }
    void restTriggers()
    {
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    }
    // The rules' controls for this frame's cursor, as drawFrame computes them.
    static GameControls controlsAt(int realX, int realY)
    {
        int x = realX;
        int y = realY;
        steerWithGamepad(x, y);
        FrameInputs in;
        in.mouseX = mouseXFromCursor(x);
        in.mouseY = mouseYFromCursor(y);
        in.leftButton = leftButton || gamepad.fireHeld();
        in.rightButton = rightButton || gamepad.rightHeld();
        return controlsFromFrameInputs(in, windowWidth, windowHeight);
    }
};

}  // namespace

TEST_F(Gamepad, ButtonsStandForTheMouseButtonsEscapeAndPause)
{
    button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_TRUE(controlsAt(400, 300).leftButton);
    button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_FALSE(controlsAt(400, 300).leftButton);

    // Either trigger fires once half way down, and lets go below a quarter.
    trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 10000);
    EXPECT_FALSE(gamepad.fireHeld());
    trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 20000);
    EXPECT_TRUE(controlsAt(400, 300).leftButton);
    trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 10000);
    EXPECT_TRUE(gamepad.fireHeld());
    trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
    trigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    EXPECT_TRUE(gamepad.fireHeld());
    trigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0);
    EXPECT_FALSE(gamepad.fireHeld());

    button(SDL_CONTROLLER_BUTTON_B, true);
    EXPECT_TRUE(controlsAt(400, 300).rightButton);
    button(SDL_CONTROLLER_BUTTON_B, false);
    EXPECT_FALSE(controlsAt(400, 300).rightButton);

    // Start asks for the pause; Back is Escape: the fade starts once.
    button(SDL_CONTROLLER_BUTTON_START, true);
    EXPECT_TRUE(pauseState.toggleRequested);
    button(SDL_CONTROLLER_BUTTON_START, false);
    demoTime = 3.0;
    button(SDL_CONTROLLER_BUTTON_BACK, true);
    button(SDL_CONTROLLER_BUTTON_BACK, false);
    startExitFadeOnEscape();
    EXPECT_TRUE(ending);
    EXPECT_DOUBLE_EQ(endStart, 3.0);
    demoTime = 0.0;

    // The buttons the game gives no meaning change nothing.
    button(SDL_CONTROLLER_BUTTON_X, true);
    button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    EXPECT_FALSE(gamepad.fireHeld() || gamepad.rightHeld());
}

TEST_F(Gamepad, StickReachesTheWindowEdgesAndRestsAtTheNeutralPlace)
{
    // Untouched, the stick leaves the cursor to the mouse.
    GameControls c = controlsAt(900, 500);
    EXPECT_DOUBLE_EQ(c.mouseX, mouseXFromCursor(900));

    // Full right is the window's last column: the lane is the bottom of the pipe.
    axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    int x = 900;
    int y = 500;
    steerWithGamepad(x, y);
    EXPECT_EQ(x, 1279);
    EXPECT_EQ(y, 300);
    c = controlsAt(900, 500);
    EXPECT_DOUBLE_EQ(c.mouseX, mouseXFromCursor(1279));
    EXPECT_GE(0.1 * c.mouseX, 1.0);

    // Full left is column 0; full down the last row, the longest pull-back.
    axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
    x = 900;
    y = 500;
    steerWithGamepad(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 719);
    c = controlsAt(900, 500);
    EXPECT_GE(2.0 * c.mouseY, 20.0);

    // Half way up and inside the dead zone across.
    axis(SDL_CONTROLLER_AXIS_LEFTX, 5000);
    axis(SDL_CONTROLLER_AXIS_LEFTY, -(8000 + (32767 - 8000) / 2));
    x = y = 0;
    steerWithGamepad(x, y);
    EXPECT_EQ(x, 400);
    EXPECT_NEAR(y, 150, 1);

    // Let go: the cursor's neutral place, where both mouse values are zero.
    axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    c = controlsAt(900, 500);
    EXPECT_DOUBLE_EQ(c.mouseX, 0.0);
    EXPECT_DOUBLE_EQ(c.mouseY, 0.0);

    // The mouse moving takes the cursor back until the stick moves again.
    c = controlsAt(1000, 600);
    EXPECT_DOUBLE_EQ(c.mouseX, mouseXFromCursor(1000));
    EXPECT_DOUBLE_EQ(controlsAt(1000, 600).mouseX, mouseXFromCursor(1000));
    axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    EXPECT_DOUBLE_EQ(controlsAt(1000, 600).mouseX, mouseXFromCursor(1279));
}

TEST_F(Gamepad, UnpluggingReleasesWhatThePadHeld)
{
    button(SDL_CONTROLLER_BUTTON_A, true);
    button(SDL_CONTROLLER_BUTTON_B, true);
    axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    EXPECT_EQ(controlsAt(10, 10).mouseX, mouseXFromCursor(1279));

    SDL_JoystickClose(joystick);
    joystick = nullptr;
    ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
    device = -1;
    pump();
    const GameControls c = controlsAt(10, 10);
    EXPECT_FALSE(c.leftButton);
    EXPECT_FALSE(c.rightButton);
    EXPECT_DOUBLE_EQ(c.mouseX, mouseXFromCursor(10));
    EXPECT_FALSE(platform::rumbleGamepad(1.0, 100));

    // Plugged in again while the game runs, it plays at once.
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    device = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(device, 0);
    joystick = SDL_JoystickOpen(device);
    restTriggers();
    pump();
    button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_TRUE(controlsAt(10, 10).leftButton);
}

TEST_F(Gamepad, DrainingContactRumblesThePadForAMoment)
{
    onContactDrain = rumbleOnContact;
    GameRules rules;
    rules.buildLevel();
    rules.entities.records.clear();
    rules.beginFrame(1.0 / 64.0, GameControls{});
    GameEntity obstacle;
    obstacle.kind = KIND_OBSTACLE;
    obstacle.z = rules.playerMarker.z;
    rules.entities.add(obstacle);

    rules.updateEntities();  // before five seconds contact costs nothing: no rumble
    EXPECT_EQ(g_rumbles, 0);
    rules.time = 6.0;
    rules.updateEntities();
    EXPECT_LT(rules.life, 1.0);
    EXPECT_EQ(g_rumbles, 1);
    EXPECT_GT(g_lastRumble, 0);

    // It stops by itself once the contact is over, and comes back with the next.
    SDL_Delay(CONTACT_RUMBLE_MS + 100);
    SDL_JoystickUpdate();
    EXPECT_EQ(g_lastRumble, 0);
    rules.updateEntities();
    EXPECT_GT(g_lastRumble, 0);
}

namespace {

// The settings dialog's own frames drive the pad: from the third frame on,
// every fourth frame the next button goes down and two frames later up.
struct DialogScript {
    SDL_Joystick* pad = nullptr;
    std::vector<SDL_GameControllerButton> presses;
    int frame = 0;
};
DialogScript g_script;

void stepDialogScript()
{
    const int at = g_script.frame++ - 2;
    if (at < 0 || at / 4 >= static_cast<int>(g_script.presses.size()))
        return;
    const SDL_GameControllerButton button = g_script.presses[static_cast<size_t>(at / 4)];
    if (at % 4 == 0)
        SDL_JoystickSetVirtualButton(g_script.pad, button, 1);
    else if (at % 4 == 2)
        SDL_JoystickSetVirtualButton(g_script.pad, button, 0);
}

}  // namespace

TEST_F(Gamepad, SettingsDialogWorksWithThePadAlone)
{
    if (!glContextAvailable())
        GW_SKIP_WITHOUT_GL("no display");
    // The dialog makes a context of its own; the other GL tests need theirs back.
    SDL_Window* testWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext testContext = SDL_GL_GetCurrentContext();
    platform::SettingsDialogModel model;
    model.caption = "pad test";
    model.modeLabels = {" 640 x 480       ", " 1024 x 768       ", " 1280 x 720  (16:9)", " 1600 x 900  (16:9)"};
    model.selected = 2;
    auto run = [&](std::vector<SDL_GameControllerButton> presses) {
        g_script = DialogScript{joystick, std::move(presses), 0};
        platform::setSettingsDialogFrameHook(stepDialogScript);
        const platform::SettingsDialogResult result = platform::runSettingsDialog(model);
        platform::setSettingsDialogFrameHook(nullptr);
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
            SDL_JoystickSetVirtualButton(joystick, b, 0);
        pump();
        return result;
    };
    using B = SDL_GameControllerButton;

    // A at once presses "Run ... ", the default button.
    platform::SettingsDialogResult r = run({SDL_CONTROLLER_BUTTON_A});
    EXPECT_TRUE(r.run);
    EXPECT_EQ(r.selected, 2);

    // Up to the list, open it, one line down, take it, down to "Run ... ", press.
    const B up = SDL_CONTROLLER_BUTTON_DPAD_UP;
    const B down = SDL_CONTROLLER_BUTTON_DPAD_DOWN;
    const B a = SDL_CONTROLLER_BUTTON_A;
    r = run({up, up, a, down, a, down, down, a});
    EXPECT_TRUE(r.run);
    EXPECT_EQ(r.selected, 3);
    EXPECT_TRUE(r.antialiased);
    EXPECT_FALSE(r.windowed);

    // Check boxes toggle with A; B in the open list only closes it; B quits.
    r = run({up, a, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, a, up, a, up, SDL_CONTROLLER_BUTTON_B,
             SDL_CONTROLLER_BUTTON_B});
    EXPECT_FALSE(r.run);
    EXPECT_EQ(r.selected, 2);
    EXPECT_FALSE(r.antialiased);
    EXPECT_TRUE(r.windowed);
    EXPECT_TRUE(r.force169);

    SDL_GL_MakeCurrent(testWindow, testContext);
}

TEST(GamepadMapping, DeadZoneAndEdgesOfAnyWindow)
{
    EXPECT_EQ(withoutDeadZone(0.2), 0.0);
    EXPECT_EQ(withoutDeadZone(-STICK_DEAD_ZONE), 0.0);
    EXPECT_DOUBLE_EQ(withoutDeadZone(1.0), 1.0);
    EXPECT_DOUBLE_EQ(withoutDeadZone(-1.5), -1.0);
    EXPECT_NEAR(withoutDeadZone(0.5 + 0.5 * STICK_DEAD_ZONE), 0.5, 1e-12);

    // A window at (50, 50): the neutral place lies inside it, off centre.
    int x = 0;
    int y = 0;
    stickCursor(-1.0, -1.0, ScreenRect{50, 50, 640, 360}, x, y);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 50);
    stickCursor(1.0, 1.0, ScreenRect{50, 50, 640, 360}, x, y);
    EXPECT_EQ(x, 689);
    EXPECT_EQ(y, 409);
    stickCursor(0.0, 0.0, ScreenRect{50, 50, 640, 360}, x, y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    // A window left of the neutral place: it rests at the nearest edge.
    stickCursor(0.0, 0.0, ScreenRect{0, 0, 320, 240}, x, y);
    EXPECT_EQ(x, 319);
    EXPECT_EQ(y, 239);
}
