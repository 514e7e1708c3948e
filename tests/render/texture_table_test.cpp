#include <gtest/gtest.h>

#include "render/renderer.h"

TEST(TextureTable, EveryScenesSlotsLieInsideTheTable)
{
    // Scene s keeps its textures from (s + 1000) * 100: the game's box scene
    // (7000) at 800000, the last scene's normal maps up to 1099999.
    Renderer& r = g_renderer;
    EXPECT_EQ(&r.textureEntry(800000), &r.textureNames[800000]);
    EXPECT_EQ(&r.textureEntry((SCENE_COUNT - 1 + 1000) * 100 + 99), &r.textureNames[TEXTURE_TABLE_SIZE - 1]);
}

TEST(TextureTable, IndicesAreRelativeBelow85000AndOutsideTheTableNameNothing)
{
    Renderer& r = g_renderer;
    r.textureBase = 100;
    EXPECT_EQ(&r.textureEntry(5), &r.textureNames[105]);
    EXPECT_EQ(&r.textureEntry(85000), &r.textureNames[85000]);
    r.textureBase = 0;

    GLuint& beyond = r.textureEntry(TEXTURE_TABLE_SIZE);
    EXPECT_EQ(&beyond, &r.outOfRangeTexture);
    beyond = 1234;  // a write there is harmless and forgotten
    EXPECT_EQ(r.textureEntry(-1), 0u);
    EXPECT_EQ(&r.textureEntry(-1), &r.outOfRangeTexture);
}
