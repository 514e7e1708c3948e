// The generated assets, read by the game's own loaders exactly as the game
// reads them: every picture decodes as colour, neither blank nor blown out,
// every model is inside the OBJ subset, the scene resolves its textures, the
// motion file is a minute of small, smooth wobble that loops without a jump.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/jpeg/jpeg_decoder.h"
#include "assets/l3ds/l3ds.h"
#include "assets/motion_path.h"
#include "assets/obj_mesh.h"
#include "assets/scene_textures.h"

namespace {

namespace fs = std::filesystem;

std::string built(const std::string& name) { return std::string(GW_BUILD_DIR) + "/" + name; }

std::vector<std::string> picturesOf(const std::string& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(built(folder))) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".jpg" || ext == ".JPG")
            files.push_back(entry.path().string());
    }
    return files;
}

}  // namespace

TEST(GeneratedAssetsLoad, EveryPictureDecodesWithTheGamesDecoder)
{
    std::vector<std::string> files = picturesOf("textures");
    const std::vector<std::string> sceneFiles = picturesOf("meshes");
    files.insert(files.end(), sceneFiles.begin(), sceneFiles.end());
    ASSERT_GE(files.size(), 4u + 5u);
    for (const std::string& file : files) {
        for (bool fast : {false, true}) {
            jpeg_decoder_file_stream stream;
            ASSERT_EQ(stream.open(file.c_str()), 0) << file;
            jpeg_decoder decoder(&stream, fast);
            ASSERT_EQ(decoder.error_code(), 0) << file;
            EXPECT_EQ(decoder.bytes_per_pixel(), 4) << file << ": the texture loaders want colour";
            EXPECT_GE(decoder.width(), 32) << file;
            EXPECT_GE(decoder.height(), 32) << file;
            ASSERT_EQ(decoder.start_decoding(), 0) << file;
            int lines = 0;
            double sum = 0;
            const uint8_t* line = nullptr;
            uint32_t length = 0;
            while (decoder.decode_line(&line, &length) == 0) {
                ++lines;
                for (uint32_t i = 0; i < length; ++i)
                    sum += i % 4 == 3 ? 0 : line[i];
            }
            EXPECT_EQ(lines, decoder.height()) << file;
            EXPECT_EQ(decoder.error_code(), 0) << file;
            // Neither blank nor blown out (height maps may be bright).
            const double mean = sum / (3.0 * decoder.width() * decoder.height());
            EXPECT_GT(mean, 4.0) << file;
            if (file.find("BUMP") == std::string::npos) {
                EXPECT_LT(mean, 160.0) << file;
            }
            // Two of the pictures are progressive (the decoder keeps their whole picture), the title card is not.
            if (file.find("bg08") != std::string::npos || file.find("cloudt2") != std::string::npos) {
                EXPECT_TRUE(decoder.buffered) << file;
            }
            if (file.find("theloader") != std::string::npos) {
                EXPECT_FALSE(decoder.buffered) << file;
            }
        }
    }
}

TEST(GeneratedAssetsLoad, EveryModelIsReadWithoutSkippingAnything)
{
    const std::vector<std::pair<std::string, size_t>> models = {
        {"helicopter", 3}, {"gear", 0}, {"gears2", 0}, {"sprite1", 0}, {"sprite2", 0}, {"sprite3", 0},
        {"sprite5", 0}, {"sprite6", 0}, {"sprite7", 0}, {"sprite8", 0}, {"sprite9", 0}, {"sprite10", 0},
        {"sprite11", 0}};
    for (const auto& [name, objects] : models) {
        ObjMesh mesh;
        const ObjReadStats stats = mesh.loadObjWithStats(built("meshes/" + name + ".obj"), -1);
        EXPECT_TRUE(stats.fileRead) << name;
        EXPECT_EQ(stats.skippedFaces, 0) << name;
        EXPECT_EQ(stats.skippedLines, 0) << name;
        ASSERT_FALSE(mesh.objects.empty()) << name;
        if (objects > 0) {
            EXPECT_EQ(mesh.objects.size(), objects) << name;
        }
        for (const auto& faces : mesh.objects)
            EXPECT_FALSE(faces.empty()) << name;
    }
}

TEST(GeneratedAssetsLoad, SceneImportsWithAllItsTexturesResolved)
{
    L3DS scene;
    ASSERT_TRUE(scene.loadFile(built("meshes/box.3ds").c_str()));
    ASSERT_GE(scene.getMeshCount(), 4);
    EXPECT_EQ(scene.getNodeCount(), scene.getMeshCount());

    const SceneTexturePlan plan = planSceneTextures(scene, 7000);
    EXPECT_EQ(plan.droppedNames, 0);
    bool bump = false;
    bool blend = false;
    for (int32_t i = 0; i < scene.getMeshCount(); ++i) {
        EXPECT_GT(scene.getMesh(i).getTriangleCount(), 0);
        EXPECT_EQ(scene.getMesh(i).getMaterialCount(), 1) << "mesh " << i;
        EXPECT_GE(plan.meshTextureIndex[static_cast<size_t>(i)], 0) << "mesh " << i << " is untextured";
    }
    for (const SceneTextureLoad& load : plan.loads) {
        // The game loads relative to its folder; the plan's paths start with "meshes/".
        EXPECT_TRUE(fs::exists(built(load.path))) << load.path;
        bump |= load.kind == SceneTextureLoad::NormalMap;
        if (load.kind == SceneTextureLoad::ColourWithAlpha) {
            blend = true;
            EXPECT_TRUE(fs::exists(built(load.alphaPath))) << load.alphaPath;
        }
    }
    EXPECT_TRUE(bump) << "no material has a bump map";
    EXPECT_TRUE(blend) << "no BLEND material";
}

TEST(GeneratedAssetsLoad, MotionFileIsASmallSmoothWobbleThatLoops)
{
    MotionPath motion;
    ASSERT_EQ(motion.loadMotion(built("meshes/try1.sav").c_str()), 1);
    EXPECT_GE(motion.samples.size(), 2100u);
    EXPECT_EQ(motion.trackA.size(), motion.samples.size());
    EXPECT_EQ(static_cast<size_t>(motion.pathCurve.count), motion.samples.size());
    EXPECT_EQ(static_cast<size_t>(motion.trackACurve.count), motion.samples.size());
    double maxStep = 0, maxPosition = 0, maxAngle = 0;
    for (size_t i = 0; i < motion.samples.size(); ++i) {
        const Vec3& p = motion.samples[i];
        const Vec3& next = motion.samples[(i + 1) % motion.samples.size()];  // includes the wrap to the start
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(motion.trackA[i]));
        maxPosition = std::max({maxPosition, std::fabs(double(p.x)), std::fabs(double(p.y)), std::fabs(double(p.z))});
        maxAngle = std::max(maxAngle, std::fabs(motion.trackA[i]));
        maxStep = std::max({maxStep, std::fabs(double(next.x - p.x)), std::fabs(double(next.y - p.y))});
    }
    EXPECT_GT(maxPosition, 0.5);  // it moves, by a few units
    EXPECT_LT(maxPosition, 8.0);
    EXPECT_GT(maxAngle, 0.005);  // by a small angle
    EXPECT_LT(maxAngle, 0.2);
    EXPECT_LT(maxStep, 0.5);  // no jumps, also across the loop
}
