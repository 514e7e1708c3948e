#include "support/gl_fixture.h"

TEST_F(GLTest, ClearColourReadsBack)
{
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    uint8_t p[4];
    pixelAt(10, 10, p);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0);
}

TEST_F(GLTest, DebugCallbackCatchesErrors)
{
    if (!GLEW_KHR_debug)
        GW_SKIP_WITHOUT_GL("no KHR_debug: GL errors would go unseen");
    expectErrors(true);
    glEnable(0xFFFF);  // an invalid enum
    glGetError();
    expectErrors(false);
    EXPECT_EQ(errorCount(), 1);
}
