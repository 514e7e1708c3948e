// scene_textures_test.cpp - the texture plan of a 3DS scene.
#include <gtest/gtest.h>

#include "assets/l3ds/l3ds.h"
#include "assets/l3ds/l3ds_writer.h"
#include "assets/scene_textures.h"

namespace {

L3DS loadScene(const TestScene& s)
{
    L3DS scene;
    std::vector<uint8_t> bytes = write3ds(s);
    EXPECT_TRUE(scene.loadFromMemory(bytes.data(), bytes.size()));
    return scene;
}

// One quad mesh per material name, materials named like their texture.
TestScene sceneOfTextures(const std::vector<std::string>& textures, const std::string& bump = "")
{
    TestScene s;
    for (size_t i = 0; i < textures.size(); ++i) {
        std::string material = "M" + std::to_string(i);
        s.materials.push_back({material, textures[i], bump});
        s.meshes.push_back(quadMesh("Mesh" + std::to_string(i), material));
    }
    return s;
}

TEST(SceneTexturePlan, BlendNamesLoadTheirAlphaCompanion)
{
    L3DS scene = loadScene(sceneOfTextures({"WALLBLEND.JPG"}));
    SceneTexturePlan plan = planSceneTextures(scene, 0);
    ASSERT_EQ(plan.loads.size(), 1u);
    EXPECT_EQ(plan.loads[0].kind, SceneTextureLoad::ColourWithAlpha);
    EXPECT_EQ(plan.loads[0].path, "meshes/WALLBLEND.JPG");
    EXPECT_EQ(plan.loads[0].alphaPath, "meshes/alphaWALLBLEND.JPG");
    EXPECT_EQ(plan.loads[0].slot, 100000);
}

TEST(SceneTexturePlan, NamesTestedCaseSensitively)
{
    // Lower case "jpg" and "blend" are not recognised: nothing loads, bump included.
    L3DS scene = loadScene(sceneOfTextures({"box.jpg", "wallblend.JPG"}, "BUMP.JPG"));
    SceneTexturePlan plan = planSceneTextures(scene, 0);
    EXPECT_EQ(plan.textureIndex, (std::vector<int32_t>{0, 1}));
    ASSERT_EQ(plan.loads.size(), 2u);
    EXPECT_EQ(plan.loads[0].kind, SceneTextureLoad::Colour);
    EXPECT_EQ(plan.loads[0].path, "meshes/wallblend.JPG");
    EXPECT_EQ(plan.loads[0].slot, 100001);
    EXPECT_EQ(plan.loads[1].kind, SceneTextureLoad::NormalMap);
    EXPECT_EQ(plan.loads[1].path, "meshes/BUMP.JPG");
    EXPECT_EQ(plan.loads[1].slot, 100051);  // normal maps sit 50 slots above
}

TEST(SceneTexturePlan, MaterialWithoutTextureIsSkippedEvenWithBump)
{
    TestScene s = sceneOfTextures({"", "TWO.JPG"}, "BUMP.JPG");
    L3DS scene = loadScene(s);
    SceneTexturePlan plan = planSceneTextures(scene, 0);
    EXPECT_EQ(plan.textureIndex, (std::vector<int32_t>{0}));
    EXPECT_EQ(plan.meshTextureIndex, (std::vector<int32_t>{-1, 0}));
    ASSERT_EQ(plan.loads.size(), 2u);
    EXPECT_EQ(plan.loads[0].path, "meshes/TWO.JPG");
    EXPECT_EQ(plan.loads[1].slot, 100050);
}

TEST(SceneTexturePlan, IndexIsTheFirstPairWithTheName)
{
    L3DS scene = loadScene(sceneOfTextures({"A.JPG", "B.JPG", "A.JPG", "C.JPG"}));
    SceneTexturePlan plan = planSceneTextures(scene, 0);
    EXPECT_EQ(plan.textureIndex, (std::vector<int32_t>{0, 1, 0, 3}));
    ASSERT_EQ(plan.loads.size(), 3u);
    EXPECT_EQ(plan.loads[2].slot, 100003);
}

TEST(SceneTexturePlan, MeshWithSeveralMaterialsUsesItsFirstTexturedOne)
{
    TestScene s;
    s.materials = {{"Plain", "", ""}, {"Boxy", "BOX.JPG", ""}};
    TestMesh mesh = quadMesh("Quad", "");
    mesh.materialGroups = {{"Plain", {0}}, {"Boxy", {1}}};
    s.meshes = {quadMesh("First", "Boxy"), mesh};
    L3DS scene = loadScene(s);
    SceneTexturePlan plan = planSceneTextures(scene, 0);
    EXPECT_EQ(plan.textureIndex, (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(plan.meshTextureIndex, (std::vector<int32_t>{0, 0}));
}

TEST(SceneTexturePlan, EqualHashesOfDifferentNamesDoNotShare)
{
    // Names differing by the polynomial's own bits (as a 5-byte message) have equal CRCs.
    std::string a = "ABCDE.JPG";
    std::string b = a;
    const uint8_t poly[5] = {0x01, 0x04, 0xC1, 0x1D, 0xB7};
    for (int i = 0; i < 5; ++i)
        b[i] = static_cast<char>(b[i] ^ poly[i]);
    ASSERT_EQ(sceneNameHash(a), sceneNameHash(b));
    L3DS scene = loadScene(sceneOfTextures({a, b}));
    SceneTexturePlan plan = planSceneTextures(scene, 0);
    EXPECT_EQ(plan.textureIndex, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(plan.loads.size(), 2u);
}

TEST(SceneTexturePlan, FirstPairsPastFiftyAreRenumbered)
{
    // 55 pairs of one name, then a second name: its first pair is number 55,
    // whose slot would be a normal map's. Names are numbered 0, 1 instead.
    std::vector<std::string> names(55, "SAME.JPG");
    names.push_back("OTHER.JPG");
    L3DS scene = loadScene(sceneOfTextures(names, "B.JPG"));
    SceneTexturePlan plan = planSceneTextures(scene, 0);
    EXPECT_EQ(plan.textureIndex.back(), 1);
    EXPECT_EQ(plan.droppedNames, 0);
    ASSERT_EQ(plan.loads.size(), 4u);
    EXPECT_EQ(plan.loads[2].slot, 100001);
    EXPECT_EQ(plan.loads[3].slot, 100051);
}

TEST(SceneTexturePlan, MoreThanFiftyNamesLeaveTheRestUntextured)
{
    std::vector<std::string> names;
    for (int i = 0; i < 52; ++i)
        names.push_back("T" + std::to_string(i) + ".JPG");
    L3DS scene = loadScene(sceneOfTextures(names, "BUMP.JPG"));
    SceneTexturePlan plan = planSceneTextures(scene, 2);
    EXPECT_EQ(plan.distinctNames, 52);
    EXPECT_EQ(plan.droppedNames, 2);
    EXPECT_EQ(plan.textureIndex[49], 49);
    EXPECT_EQ(plan.textureIndex[50], -1);
    EXPECT_EQ(plan.meshTextureIndex[51], -1);
    ASSERT_EQ(plan.loads.size(), 100u);  // 50 colours, 50 normal maps
    for (const SceneTextureLoad& load : plan.loads) {
        int32_t offset = load.slot - 100200;
        if (load.kind == SceneTextureLoad::NormalMap)
            EXPECT_TRUE(offset >= 50 && offset < 100) << offset;
        else
            EXPECT_TRUE(offset >= 0 && offset < 50) << offset;
    }
}

}  // namespace
