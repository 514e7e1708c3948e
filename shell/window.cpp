#include "shell/window.h"

#include <unistd.h>

#include <cstdio>

#include "base/step_marks.h"
#include "game/part_game.h"
#include "platform/fatal_exit.h"
#include "render/renderer.h"
#include "settings/command_line.h"
#include "settings/display_settings.h"
#include "shell/dev_aids.h"
#include "shell/exit_report.h"
#include "shell/frame_loop.h"
#include "shell/frame_rate.h"
#include "shell/gamepad.h"
#include "shell/pause.h"
#include "shell/replay_session.h"
#include "sound/sound.h"

bool active = true;
bool keys[256] = {};
bool leftButton = false;
bool rightButton = false;
double wheel = 0.0;
bool escapePressed = false;

const char* const WINDOW_TITLE = " =      Glasswake - Vexa 2009 = ";

// Every fatal message releases the window first. Installed as the program
// starts, not by createGLWindow: a window opened through the platform layer
// alone (the tools, the tests) is released as well.
[[maybe_unused]] static const FatalCleanup g_windowCleanup = fatalCleanup = killGLWindow;

using platform::MessageIcon;

static void showError(const char* text, MessageIcon icon = MessageIcon::Exclamation)
{
    platform::messageBox(text, "ERROR", icon);
}

static void showShutdownError(const char* text)
{
    platform::messageBox(text, "SHUTDOWN ERROR", MessageIcon::Information);
}

bool createGLWindow(const char* title, int32_t width, int32_t height, int32_t bits, bool fullscreenFlag)
{
    fullscreen = fullscreenFlag;

    if (fullscreen && !platform::fullscreenModeAvailable(width, height, bits)) {
        const auto answer = platform::messageBox(
            "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?",
            "Vexa GL ;-)", MessageIcon::Exclamation, platform::MessageButtons::YesNo);
        if (answer != platform::MessageResult::Yes) {
            showError("Program Will Now Close.", MessageIcon::Stop);
            return false;
        }
        fullscreen = false;
    }
    if (fullscreen)
        platform::showCursor(false);

    platform::WindowDesc desc;
    desc.title = title;
    desc.x = fullscreen ? 0 : 50;
    desc.y = fullscreen ? 0 : 50;
    desc.width = width;
    desc.height = height;
    desc.fullscreen = fullscreen;
    if (!platform::choosePixelFormat()) {
        showError("Can't Find A Suitable PixelFormat (1).");
        return false;
    }
    // From here on every failure releases the window before its message.
    if (!platform::createWindow(desc)) {
        showFatalMessage("Window Creation Error.", "ERROR", MessageIcon::Exclamation);
        return false;
    }
    if (!platform::createGLContext()) {
        showFatalMessage("Can't Create A GL Rendering Context.", "ERROR", MessageIcon::Exclamation);
        return false;
    }
    if (!platform::makeGLContextCurrent()) {
        showFatalMessage("Can't Activate The GL Rendering Context.", "ERROR", MessageIcon::Exclamation);
        return false;
    }

    platform::showWindow();
    if (!setUpRenderer(width, height)) {
        showFatalMessage("Initialization Failed.", "ERROR", MessageIcon::Exclamation);
        return false;
    }
    return true;
}

bool setUpRenderer(int32_t width, int32_t height)
{
    resizeGLScene(width, height);
    g_renderer.createCgContext();
    if (!initGL())
        return false;
    g_renderer.createOutlineFont();
    markStep("font");
    return true;
}

void killGLWindow()
{
    if (fullscreen) {
        platform::restoreDesktopMode();
        platform::showCursor(true);
    }
    if (platform::hasGLContext()) {
        if (!platform::releaseGLContext())
            showShutdownError("Release Of DC And RC Failed.");
        if (!platform::deleteGLContext())
            showShutdownError("Release Rendering Context Failed.");
    }
    if (platform::hasWindow() && !platform::destroyWindow())
        showShutdownError("Could Not Release hWnd.");
}

void resizeGLScene(int32_t width, int32_t height)
{
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / height, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool initGL()
{
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    initDemo();
    return true;
}

// Arrow keys nudge two free offsets of the inputs. The step runs once per
// event that reaches default handling, as the original window procedure did.
static void arrowKeyStep()
{
    const double dt = frameDelta;
    if (keys[VK_UP_KEY])
        frameLoop.inputs.arrowY += 1.5 * dt;
    if (keys[VK_DOWN_KEY])
        frameLoop.inputs.arrowY -= 1.5 * dt;
    if (keys[VK_LEFT_KEY])
        frameLoop.inputs.arrowX -= dt;
    if (keys[VK_RIGHT_KEY])
        frameLoop.inputs.arrowX += dt;
}

void windowProc(const platform::Event& event)
{
    using platform::EventType;
    switch (event.type) {
    case EventType::Activate:
        active = !event.minimised;
        return;
    case EventType::Close:
        platform::postQuit(0);
        return;
    case EventType::KeyDown:
    case EventType::KeyUp: {
        const bool repeat = event.virtualKey > 0 && event.virtualKey < 256 && keys[event.virtualKey];
        if (event.virtualKey > 0 && event.virtualKey < 256)
            keys[event.virtualKey] = event.type == EventType::KeyDown;
        if (event.type == EventType::KeyDown && event.virtualKey == VK_ESCAPE_KEY)
            escapePressed = true;
        if (event.type == EventType::KeyDown && event.virtualKey == VK_PAUSE_KEY && !repeat)
            requestPauseToggle();
        return;
    }
    case EventType::Size:
        resizeGLScene(event.width, event.height);
        return;
    case EventType::MouseWheel:
        wheel += event.wheelDelta / 600.0;
        return;
    case EventType::LButtonDown:
    case EventType::LButtonUp:
        leftButton = event.type == EventType::LButtonDown;
        break;
    case EventType::RButtonDown:
    case EventType::RButtonUp:
        rightButton = event.type == EventType::RButtonDown;
        break;
    case EventType::MButtonDown:
        recordCameraMarker(frameLoop.inputs);
        break;
    case EventType::PadButtonDown:
    case EventType::PadButtonUp:
    case EventType::PadRemoved:
        switch (applyGamepadEvent(event)) {
        case PadAction::Escape: escapePressed = true; break;
        case PadAction::Pause: requestPauseToggle(); break;
        case PadAction::None: break;
        }
        break;
    default:
        break;
    }
    arrowKeyStep();
}

void startExitFadeOnEscape()
{
    // A press counts even when it was released again before this pass: with a
    // slow frame, press and release can arrive together.
    const bool escape = keys[VK_ESCAPE_KEY] || escapePressed;
    escapePressed = false;
    if (escape && !ending) {
        ending = true;
        endStart = demoTime;
    }
}

void messageLoopPass()
{
    if (active)
        drawFrameOrPause();
    else if (!frameLoop.headless)
        usleep(5000);  // minimised: keep swapping, but do not spin a core
    replayAfterPass();
    // Over the finished picture, after any copy of it was kept.
    if (active && settingsChoice.showFps && !frameLoop.headless)
        showFrameRate();
    startExitFadeOnEscape();
    platform::swapBuffers();
}

int runMessageLoop()
{
    for (;;) {
        platform::Event event;
        if (platform::pollEvent(event)) {
            if (event.type == platform::EventType::Quit)
                return event.quitCode;
            windowProc(event);
            continue;
        }
        messageLoopPass();
        if (frameLoop.exitFadeDone)
            return 0;
    }
}

int glasswakeMain(int argc, const char* const* argv)
{
    commandLine = parseCommandLine(argc, argv);
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        std::fputs(usageText().c_str(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("%s\n", versionText().c_str());
        return 0;
    case CommandLine::Action::UsageError:
        std::fprintf(stderr, "glasswake: %s\n%s", commandLine.error.c_str(), usageText().c_str());
        return 2;
    case CommandLine::Action::Run:
        break;
    }

    if (!platform::init()) {
        std::fprintf(stderr, "Glasswake needs a graphical display.\n");
        return 0;
    }
    if (const int code = prepareReplaySession(); code >= 0)
        return code;
    startGamepads();
    if (commandLine.noSound)
        setSoundEnabled(false);
    // Asset folders are opened by relative name; they sit beside the executable.
    if (chdir(platform::executableDirectory().c_str()) != 0)
        std::fprintf(stderr, "Glasswake: cannot enter %s\n", platform::executableDirectory().c_str());

    enumerateDisplayModes();
    if (replayPlaybackActive())
        applyReplaySettings();
    else
        runSettingsDialog();

    if (!createGLWindow(WINDOW_TITLE, windowWidth, windowHeight, 32, fullscreen))
        return 0;
    platform::disableScreenSaver();

    return runUntilQuit();
}

void endRun()
{
    replayRunEnded(frameLoop.exitFadeDone ? ReplayEnding::ExitFade : ReplayEnding::WindowClosed);
    writeExitReport();
    // A replay has no markers of its own to hand over.
    if (frameLoop.exitFadeDone && !replayPlaybackActive())
        copyToClipboard(cameraLog);
    killGLWindow();
    if (frameLoop.exitFadeDone) {
        delete runningGame();
        frameLoop.gamePart = nullptr;
    }
}

int runUntilQuit()
{
    const int code = runMessageLoop();
    const int verdict = replayPlaybackVerdict();
    endRun();
    return code != 0 ? code : verdict;
}
