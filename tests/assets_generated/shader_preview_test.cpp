// Preview pictures of the shaders at work, written as PNG files into the
// test's temporary folder: the scenery under its projected light, the
// entities, and the whole post chain. Each picture is also held to the look:
// mostly deep black, lit where it should be, and highlights that do not clip
// over large areas.
#include <gtest/gtest.h>

#include <jpeglib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "assets/l3ds.h"
#include "assets/obj_mesh.h"
#include "assets/scene_textures.h"
#include "assets_generated/png_file.h"
#include "assets_generated/shader_support.h"
#include "support/gl_fixture.h"

namespace {

constexpr int W = 480;
constexpr int H = 270;
constexpr int32_t kPicture = 400;
constexpr int32_t kGlow = 401;
constexpr int32_t kHalf = 403;
constexpr int32_t kThrown = 7090;
// The game's model 7000 would put its material textures at (7000 + 1000) * 100,
// past the end of the texture table; a low index keeps them inside it.
constexpr int32_t kBox = 20;
constexpr int32_t kEntityPair = 7046;
constexpr int32_t kRingPair = 7002;

// A JPEG into the texture table through libjpeg (the game's own decoder is
// not needed to look at the shaders).
bool loadJpegTexture(const std::string& path, int32_t index)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const int w = static_cast<int>(info.output_width);
    const int h = static_cast<int>(info.output_height);
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgb.data() + static_cast<size_t>(info.output_scanline) * w * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    makeTexture(g_renderer, index, w, h, [&](int x, int y) {
        const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * w + x) * 3;
        return std::array<uint8_t, 4>{p[0], p[1], p[2], 255};
    });
    return true;
}

struct Look {
    double black = 0;    // share of pixels with luma below 16
    double clipped = 0;  // share with a channel at 250 or more
    double mean = 0;     // mean luma, 0..255
};

Look measure(const std::vector<uint8_t>& rgba)
{
    Look look;
    const size_t n = rgba.size() / 4;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const double luma = 0.3 * rgba[i] + 0.55 * rgba[i + 1] + 0.15 * rgba[i + 2];
        look.black += luma < 16;
        look.clipped += rgba[i] >= 250 || rgba[i + 1] >= 250 || rgba[i + 2] >= 250;
        look.mean += luma;
    }
    look.black /= n;
    look.clipped /= n;
    look.mean /= n;
    return look;
}

class ShaderPreviewTest : public GLTest {
protected:
    std::string folder;

    void SetUp() override
    {
        GLTest::SetUp();
        if (IsSkipped())
            return;
        folder = (std::filesystem::path(::testing::TempDir()) / "glasswake_previews").string();
        std::filesystem::create_directories(folder);
        g_renderer.createCgContext();
        resetMatrices();
        for (const auto& pair : builtPairs())
            g_renderer.loadShaderPair(builtShader(pair.vertex).c_str(), builtShader(pair.fragment).c_str(),
                                      pair.slot);
        for (const auto& [file, slot] : builtScreenPrograms())
            g_renderer.loadScreenShader(builtShader(file).c_str(), slot);

        makeBlankTexture(g_renderer, kPicture, W, H);
        makeBlankTexture(g_renderer, kGlow, W, H);
        makeBlankTexture(g_renderer, kHalf, W / 2, H / 2);
        g_renderer.createRenderTarget(0, W, H, 4);
        g_renderer.attachTexture(0, 0, kPicture);
        g_renderer.attachTexture(0, 1, kGlow);
        g_renderer.createRenderTarget(2, W / 2, H / 2, 0);
        g_renderer.attachTexture(2, 0, kHalf);
        g_renderer.endRenderTarget();

        ASSERT_TRUE(loadJpegTexture(builtAsset("textures/bg08.jpg"), kThrown));
        g_renderer.modelAngle = 0.0;
        g_renderer.modelScale = makeVec3(1, 1, 1);
        g_renderer.drawnFraction = 1.0f;
        g_renderer.nearPlane = 1.0;
        g_renderer.farPlane = 1050.0;
    }

    void TearDown() override
    {
        g_renderer.disableShaders();
        GLTest::TearDown();
    }

    static void loadBox()
    {
        g_renderer.importScene(kBox, 1.0, builtAsset("meshes/box.3ds").c_str());
        const SceneTexturePlan plan = planSceneTextures(g_renderer.model(kBox), kBox);
        for (const SceneTextureLoad& load : plan.loads) {
            if (load.kind != SceneTextureLoad::NormalMap)
                loadJpegTexture(builtAsset(load.path), load.slot);
        }
    }

    // The game's camera at courseZ, and its light 420 units to the left.
    static void placeCamera(double courseZ)
    {
        g_renderer.camera = CameraRecord{makeVec3(0, 15, static_cast<float>(courseZ - 50)),
                                         makeVec3(0, 0, static_cast<float>(courseZ)), makeVec3(0, 1, 0)};
        g_renderer.light = g_renderer.camera;
        g_renderer.light.eye.x -= 420.0f;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(55.0, double(W) / H, 1.0, 1050.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const CameraRecord& c = g_renderer.camera;
        gluLookAt(c.eye.x, c.eye.y, c.eye.z, c.centre.x, c.centre.y, c.centre.z, c.up.x, c.up.y, c.up.z);
    }

    static void beginScene()
    {
        glViewport(0, 0, W, H);
        g_renderer.beginRenderTarget(0, 2);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
    }

    static void endScene()
    {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        g_renderer.resolveRenderTarget(0, W, H, 2, false);
        g_renderer.endRenderTarget();
    }

    // The game's post chain; the result is in kPicture.
    static void postChain(double alpha)
    {
        g_renderer.runScreenPass(7023, 2, 1, W / 2, H / 2, kPicture, kHalf, -1, -1);
        g_renderer.runScreenPass(7027, 0, 1, W, H, kPicture, kPicture, kHalf, kGlow);
        g_renderer.runScreenPass(7023, 2, 6, W / 2, H / 2, kPicture, kHalf, -1, -1);
        g_renderer.setFloatParameter(7031, "alpha", alpha);
        g_renderer.setFloatParameter(7031, "RightV", 0.0);
        g_renderer.setFloatParameter(7031, "UpV", 0.0);
        g_renderer.runScreenPass(7031, 0, 1, W, H, kPicture, kPicture, kHalf, -1);
        glViewport(0, 0, kWidth, kHeight);
    }

    // An OBJ mesh as the game draws an entity.
    static void drawEntity(ObjMesh& mesh, double x, double y, double z, double turn, std::array<float, 3> colour,
                           double planecut = 0.0, int32_t k = kEntityPair)
    {
        g_renderer.enableShaders();
        g_renderer.bindProgram(k);
        g_renderer.bindProgram(k + 1);
        g_renderer.setFloatParameter(k + 1, "planecut", planecut);
        glColor3f(colour[0], colour[1], colour[2]);
        glPushMatrix();
        glTranslated(x, y, z);
        glRotated(turn, 0, 1, 0);
        g_renderer.bindModelViewProjection(k, 5);
        g_renderer.drawMesh(mesh);
        glPopMatrix();
        g_renderer.disableShaders();
    }

    static void drawRings(ObjMesh& gear, double courseZ)
    {
        for (int s = 0; s < 16; ++s) {
            const double z = courseZ - 100 + 65.0 * s;
            g_renderer.enableShaders();
            g_renderer.bindProgram(kRingPair);
            g_renderer.bindProgram(kRingPair + 1);
            g_renderer.setFloatParameter(kRingPair + 1, "planecut", 0.0);
            g_renderer.setFloatParameter(kRingPair + 1, "holes", s % 3 == 0 ? 4.0 : 1.0);
            const float tint[3][3] = {{0.01f, 0.017f, 0.017f}, {0.026f, 0.017f, 0.005f}, {0.02f, 0.02f, 0.02f}};
            glColor3fv(tint[s % 3]);
            glPushMatrix();
            glTranslated(0, -6, z);
            glRotated(90, 0, 1, 0);
            g_renderer.bindModelViewProjection(kRingPair, 5);
            g_renderer.drawMesh(gear);
            glPopMatrix();
            g_renderer.disableShaders();
        }
    }

    std::vector<uint8_t> save(const std::string& name, int32_t index, int w, int h)
    {
        auto pixels = textureBytes(g_renderer, index, w, h);
        for (size_t i = 3; i < pixels.size(); i += 4)
            pixels[i] = 255;
        const std::string path = folder + "/" + name;
        EXPECT_TRUE(writePng(path, w, h, pixels));
        const Look look = measure(pixels);
        std::printf("preview: %s (black %.2f, clipped %.3f, mean luma %.1f)\n", path.c_str(), look.black,
                    look.clipped, look.mean);
        return pixels;
    }
};

}  // namespace

TEST_F(ShaderPreviewTest, SceneryRingsAndCraftThroughThePostChain)
{
    loadBox();
    ObjMesh gear;
    gear.loadObj(builtAsset("meshes/gear.obj"), -1);
    ObjMesh craft;
    craft.loadObj(builtAsset("meshes/helicopter.obj"), -1);
    const double courseZ = 900.0;

    const auto drawFrame = [&] {
        beginScene();
        placeCamera(courseZ);
        g_renderer.drawProjectedLight(kBox, kThrown, kThrown, kEntityPair, g_renderer.camera, g_renderer.light,
                                      0.0);
        glDisable(GL_LIGHTING);
        drawEntity(craft, 20 * std::cos(0.6 * M_PI), 20 * std::sin(0.6 * M_PI) - 6, courseZ, 90,
                   {0.02f, 0.02f, 0.02f});
        drawRings(gear, courseZ);
        endScene();
    };
    drawFrame();

    const Look raw = measure(save("scene_picture.png", kPicture, W, H));
    save("scene_glow.png", kGlow, W, H);
    postChain(0.2);
    const Look final = measure(save("scene_final.png", kPicture, W, H));
    EXPECT_GT(raw.mean, 3.0);
    EXPECT_GT(final.black, 0.3);
    EXPECT_LT(final.clipped, 0.04);
    EXPECT_GT(final.mean, 6.0);
    EXPECT_LT(final.mean, 110.0);

    drawFrame();
    postChain(1.4);  // the first frame of a level
    const Look warp = measure(save("scene_warp_in.png", kPicture, W, H));
    EXPECT_LT(warp.clipped, 0.1);
}

TEST_F(ShaderPreviewTest, EveryEntityKindReadsAsASilhouette)
{
    struct Kind {
        const char* file;
        std::array<float, 3> colour;
    };
    const Kind kinds[] = {
        {"sprite1", {0.02f, 0.04f, 0.02f}}, {"sprite2", {0.03f, 0.03f, 0.01f}}, {"sprite3", {0.2f, 0.1f, 0.1f}},
        {"sprite5", {0.02f, 0.025f, 0.02f}}, {"sprite7", {0.02f, 0.07f, 0.1f}}, {"sprite8", {0.02f, 0.03f, 0.1f}},
        {"sprite9", {0.02f, 0.02f, 0.022f}}, {"sprite10", {0.05f, 0.01f, 0.01f}}, {"sprite11", {0.03f, 0.01f, 0.024f}},
        {"helicopter", {0.02f, 0.02f, 0.02f}},
    };
    std::vector<ObjMesh> meshes(std::size(kinds) + 1);

    beginScene();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(55.0, double(W) / H, 1.0, 1050.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 10, -70, 0, 3, 0, 0, 1, 0);
    for (size_t i = 0; i < std::size(kinds); ++i) {
        meshes[i].loadObj(builtAsset(std::string("meshes/") + kinds[i].file + ".obj"), -1);
        ASSERT_FALSE(meshes[i].objects.empty()) << kinds[i].file;
        const double x = 44.0 - 22.0 * static_cast<double>(i % 5);
        const double y = i < 5 ? 16.0 : -10.0;
        const double cut = i == 2 || i == 7 ? 0.35 : 0.0;  // two of them damaged
        drawEntity(meshes[i], x, y, 0, 150, kinds[i].colour, cut);
    }
    endScene();
    const Look raw = measure(save("entities_picture.png", kPicture, W, H));
    save("entities_glow.png", kGlow, W, H);
    postChain(0.2);
    const Look final = measure(save("entities_final.png", kPicture, W, H));
    EXPECT_GT(raw.mean, 1.0);
    EXPECT_GT(final.black, 0.4);
    EXPECT_LT(final.clipped, 0.03);

    // The end guardian on its own, large.
    meshes.back().loadObj(builtAsset("meshes/sprite6.obj"), -1);
    beginScene();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(55.0, double(W) / H, 1.0, 1050.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 20, -110, -15, 23, 0, 0, 1, 0);
    drawEntity(meshes.back(), -15, 23.23, 0, 160, {0.024f, 0.02f, 0.02f});
    endScene();
    postChain(0.2);
    save("guardian_final.png", kPicture, W, H);
}
