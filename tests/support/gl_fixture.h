// gl_fixture.h - a real OpenGL context for tests.
//
// One hidden SDL window with a compatibility-profile context is created for
// the whole test binary (Xvfb + Mesa llvmpipe in CI). A synchronous debug
// callback turns every GL error into a test failure, and each test also checks
// glGetError when it ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/gl.h"

class GLTest : public ::testing::Test {
public:
    static constexpr int kWidth = 256;
    static constexpr int kHeight = 256;

protected:

    void SetUp() override;
    void TearDown() override;

    // Reads the back buffer (or the bound read framebuffer) as RGBA bytes, bottom row first.
    static std::vector<uint8_t> readPixels(int x, int y, int w, int h);
    // One pixel of the current read buffer.
    static void pixelAt(int x, int y, uint8_t rgba[4]);
    // Number of GL debug errors seen since the last reset.
    static int errorCount();
    static void resetErrors();
    // While set, GL errors are counted instead of failing the test.
    static void expectErrors(bool expect);
};

// True when a GL context could be made (tests skip otherwise, with a message).
bool glContextAvailable();
// True where a display and a GL context must exist (GLASSWAKE_REQUIRE_GL=1,
// as the test suite's script sets it): a test that cannot make them fails
// instead of skipping.
bool glRequired();

// Skips the test, with the reason, when there is no display or GL context;
// fails it instead where one is required.
#define GW_SKIP_WITHOUT_GL(why)                                                        \
    do {                                                                               \
        if (glRequired())                                                              \
            FAIL() << (why) << ", and GLASSWAKE_REQUIRE_GL is set";                    \
        GTEST_SKIP() << (why);                                                         \
    } while (0)
