// scene_import.cpp - 3DS scenes into the Renderer's importers, with their textures.
#include "assets/l3ds/l3ds.h"
#include "assets/scene_textures.h"
#include "render/renderer.h"

// Out of line: the importers' type is complete only here.
Renderer::Renderer() = default;
Renderer::~Renderer() = default;

L3DS& Renderer::model(int32_t index)
{
    if (!models[index])
        models[index] = std::make_unique<L3DS>();
    return *models[index];
}

void Renderer::importScene(int32_t sceneIndex, double scale, const char* fileName)
{
    if (sceneIndex < 0 || sceneIndex >= MAX_MODELS)
        return;  // no such importer
    L3DS& scene = model(sceneIndex);
    scene.loadFile(fileName);  // a damaged file keeps what was read

    const float factor = static_cast<float>(scale);
    for (LMesh& mesh : scene.meshes) {
        for (LVector3& v : mesh.vertices)
            v = v * factor;
    }

    SceneTexturePlan plan = planSceneTextures(scene, sceneIndex);
    scene.textureIndex = plan.textureIndex;
    scene.textureCount = static_cast<int32_t>(plan.textureIndex.size());
    scene.meshTextureIndex = plan.meshTextureIndex;
    for (const SceneTextureLoad& load : plan.loads) {
        switch (load.kind) {
        case SceneTextureLoad::Colour: loadTexture(load.path.c_str(), load.slot); break;
        case SceneTextureLoad::ColourWithAlpha:
            loadTextureWithAlpha(load.path.c_str(), load.alphaPath.c_str(), load.slot);
            break;
        case SceneTextureLoad::NormalMap: loadNormalMap(load.path.c_str(), load.slot); break;
        }
    }
}
