// fatal_exit_test.cpp - once the game window exists, every fatal message and
// every quit signal first releases the window and gives the desktop back its
// display mode and cursor; the platform layer reports its calls in order.
#include "support/gl_fixture.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/window.h"

namespace {

std::string g_calls;

void recordCall(const char* call)
{
    g_calls += call;
    g_calls += ' ';
}

platform::MessageResult printCallsThenCaption(const platform::MessageBoxRequest& request)
{
    std::fprintf(stderr, "%s| %s\n", g_calls.c_str(), request.caption.c_str());
    return platform::MessageResult::Ok;
}

// What a fatal message or a signal may meet: a full-screen game window with
// its context current and the cursor hidden.
void openFullScreenGameWindow()
{
    platform::WindowDesc desc;
    desc.title = WINDOW_TITLE;
    desc.width = 320;
    desc.height = 180;
    desc.fullscreen = fullscreen = true;
    if (!platform::init() || !platform::choosePixelFormat() || !platform::createWindow(desc) ||
        !platform::createGLContext() || !platform::makeGLContextCurrent())
        std::_Exit(3);
    platform::showCursor(false);
    g_calls.clear();
    platform::setCallObserver(recordCall);
    platform::setMessageBoxHandler(printCallsThenCaption);
}

// killGLWindow's calls, in order, before anything else happens.
const std::string TEARDOWN = "restoreDesktopMode showCursor\\(1\\) releaseGLContext deleteGLContext destroyWindow \\| ";

class FatalExitDeathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!glContextAvailable())
            GW_SKIP_WITHOUT_GL("no display");
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

}  // namespace

TEST_F(FatalExitDeathTest, EveryFatalMessageComesAfterTheDesktopIsRestored)
{
    const std::string broken = std::string(GW_BUILD_DIR) + "/fatal-exit-broken.jpg";
    std::ofstream(broken) << "not a picture";
    // A name of this test's own: tests run side by side, and another writes such a file too.
    const std::string noFonts = std::string(GW_BUILD_DIR) + "/fonts-none-fatal-exit.conf";
    std::ofstream(noFonts) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";

    EXPECT_EXIT((openFullScreenGameWindow(), g_renderer.loadTexture("no/such/picture.jpg", 1)),
                ::testing::ExitedWithCode(0), TEARDOWN + "Jpg\n");
    EXPECT_EXIT((openFullScreenGameWindow(), g_renderer.loadNormalMap(broken.c_str(), 1)),
                ::testing::ExitedWithCode(0), TEARDOWN + "Jpg !\n");
    EXPECT_EXIT((openFullScreenGameWindow(), g_renderer.loadVertexProgramFile("/no/such/shader.cpp", 7000)),
                ::testing::ExitedWithCode(0), TEARDOWN + ".*File is missing !\n");
    EXPECT_EXIT((setenv("FONTCONFIG_FILE", noFonts.c_str(), 1), openFullScreenGameWindow(),
                 g_renderer.createOutlineFont()),
                ::testing::ExitedWithCode(0), TEARDOWN + "ERROR\n");
}

TEST_F(FatalExitDeathTest, QuitSignalsEndTheGameThroughTheSameTeardown)
{
    for (int signal : {SIGINT, SIGTERM}) {
        EXPECT_EXIT(
            {
                openFullScreenGameWindow();
                active = false;  // nothing to draw: the loop only takes messages
                std::raise(signal);
                const int code = runUntilQuit();
                std::fprintf(stderr, "%s| quit %d\n", g_calls.c_str(), code);
                std::exit(0);
            },
            ::testing::ExitedWithCode(0), TEARDOWN + "quit " + std::to_string(128 + signal) + "\n");
    }
    // A second signal before the loop has taken the first ends the process.
    EXPECT_EXIT((openFullScreenGameWindow(), std::raise(SIGTERM), std::raise(SIGTERM), std::_Exit(0)),
                ::testing::KilledBySignal(SIGTERM), "");
}
