// scene_import_test.cpp - Renderer::importScene end to end: a scene file and its
// JPEG textures in a scratch folder, loaded into GL texture slots.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "assets/jpeg/jpeg_oracle.h"
#include "assets/l3ds/l3ds.h"
#include "assets/l3ds/l3ds_writer.h"
#include "platform/platform.h"
#include "render/renderer.h"
#include "support/gl_fixture.h"

namespace {

namespace fs = std::filesystem;

void writeJpeg(const fs::path& path, uint32_t seed)
{
    const std::vector<uint8_t> bytes = encodeWithLibjpeg(makeTestPicture(8, 8, 3, seed));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Any message box here means a texture was asked for that the scene should not load.
platform::MessageResult failOnMessageBox(const platform::MessageBoxRequest& request)
{
    std::fprintf(stderr, "unexpected message box: %s (%s)\n", request.text.c_str(), request.caption.c_str());
    std::abort();
}

class SceneImportTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        previous = fs::current_path();
        folder = fs::temp_directory_path() / ("scene_import_test_" + std::to_string(::getpid()));
        fs::create_directories(folder / "meshes");
        writeJpeg(folder / "meshes/BOX.JPG", 1);
        writeJpeg(folder / "meshes/WALLBLEND.JPG", 2);
        writeJpeg(folder / "meshes/alphaWALLBLEND.JPG", 3);
        writeJpeg(folder / "meshes/BUMP.JPG", 4);
        fs::current_path(folder);
        platform::setMessageBoxHandler(failOnMessageBox);
    }
    void TearDown() override
    {
        platform::setMessageBoxHandler(nullptr);
        fs::current_path(previous);
        fs::remove_all(folder);
        GLTest::TearDown();
    }
    void writeScene(const TestScene& scene)
    {
        std::vector<uint8_t> bytes = write3ds(scene);
        FILE* file = std::fopen("meshes/scene.3ds", "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    static GLuint slot(int32_t index) { return g_renderer.textureEntry(index); }

    fs::path previous;
    fs::path folder;
};

TEST_F(SceneImportTest, LoadsSharedBlendAndBumpTexturesIntoTheirSlots)
{
    TestScene s;
    s.materials = {{"BoxA", "BOX.JPG", "BUMP.JPG"}, {"BoxB", "BOX.JPG", ""}, {"Wall", "WALLBLEND.JPG", ""},
                   {"Lower", "box.jpg", "BUMP.JPG"}};
    s.meshes = {quadMesh("A", "BoxA"), quadMesh("B", "BoxB"), quadMesh("W", "Wall"), quadMesh("L", "Lower")};
    writeScene(s);
    const int32_t scene = 11;
    const int32_t base = (scene + 1000) * 100;
    g_renderer.importScene(scene, 1.0, "meshes/scene.3ds");

    const L3DS& model = g_renderer.model(scene);
    ASSERT_EQ(model.getMeshCount(), 4);
    EXPECT_EQ(model.textureIndex, (std::vector<int32_t>{0, 0, 2, 3}));
    EXPECT_EQ(model.textureCount, 4);
    EXPECT_EQ(model.getMeshTextureIndex(1), 0);
    EXPECT_NE(slot(base + 0), 0u);   // BOX.JPG, once
    EXPECT_NE(slot(base + 50), 0u);  // its normal map
    EXPECT_EQ(slot(base + 1), 0u);
    EXPECT_NE(slot(base + 2), 0u);   // WALLBLEND.JPG with its alpha
    EXPECT_EQ(slot(base + 3), 0u);   // box.jpg: not a "JPG" name
    EXPECT_EQ(slot(base + 53), 0u);
}

TEST_F(SceneImportTest, ScaleMultipliesVerticesOnly)
{
    TestScene s;
    s.materials = {{"Box", "BOX.JPG", ""}};
    TestMesh mesh = quadMesh("A", "Box");
    mesh.vertices = {{1, 2, 3}, {2, 2, 3}, {2, 3, 3}, {1, 3, 3}};
    s.meshes = {mesh, quadMesh("B", "")};
    writeScene(s);
    g_renderer.importScene(12, 2.0, "meshes/scene.3ds");
    L3DS plain;
    ASSERT_TRUE(plain.loadFile("meshes/scene.3ds"));

    const L3DS& scaled = g_renderer.model(12);
    ASSERT_EQ(scaled.getMeshCount(), 2);
    for (int32_t m = 0; m < 2; ++m) {
        const LMesh& a = scaled.getMesh(m);
        const LMesh& b = plain.getMesh(m);
        ASSERT_EQ(a.getVertexCount(), b.getVertexCount());
        for (int32_t v = 0; v < a.getVertexCount(); ++v) {
            EXPECT_FLOAT_EQ(a.getVertex(v).x, 2 * b.getVertex(v).x);
            EXPECT_FLOAT_EQ(a.getVertex(v).y, 2 * b.getVertex(v).y);
            EXPECT_FLOAT_EQ(a.getVertex(v).z, 2 * b.getVertex(v).z);
            EXPECT_FLOAT_EQ(a.getUV(v).x, b.getUV(v).x);
            EXPECT_FLOAT_EQ(a.getNormal(v).z, b.getNormal(v).z);
        }
    }
}

TEST_F(SceneImportTest, MissingOrDamagedSceneLoadsNothingAndOutOfRangeIndexIsIgnored)
{
    g_renderer.importScene(13, 1.0, "meshes/none.3ds");
    EXPECT_EQ(g_renderer.model(13).getMeshCount(), 0);
    EXPECT_EQ(g_renderer.model(13).textureCount, 0);
    FILE* file = std::fopen("meshes/scene.3ds", "wb");
    std::fputs("not a scene", file);
    std::fclose(file);
    g_renderer.importScene(14, 1.0, "meshes/scene.3ds");
    EXPECT_EQ(g_renderer.model(14).getMeshCount(), 0);
    g_renderer.importScene(-1, 1.0, "meshes/scene.3ds");
    g_renderer.importScene(Renderer::MAX_MODELS, 1.0, "meshes/scene.3ds");
}

}  // namespace
