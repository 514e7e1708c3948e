// asset_digest.cpp - see asset_digest.h.
#include "replay/asset_digest.h"

#include <algorithm>
#include <iterator>

#include "assets/l3ds/l3ds.h"
#include "assets/scene_textures.h"
#include "base/content_hash.h"
#include "game/part_game.h"
#include "rules_digest.h"
#include "settings/command_line.h"

namespace {

// In the order part_start and part_game load them.
const char* const FIXED_BEFORE_SCENE[] = {
    "textures/theloader.jpg",
    "textures/bg08.jpg",
    "textures/blob41b.jpg",
    "textures/cloudt2.jpg",
    "meshes/helicopter.obj",
    "meshes/gear.obj",
    "meshes/gears2.obj",
    "meshes/sprite1.obj",
    "meshes/sprite2.obj",
    "meshes/sprite3.obj",
    "meshes/sprite5.obj",
    "meshes/sprite6.obj",
    "meshes/sprite7.obj",
    "meshes/sprite8.obj",
    "meshes/sprite9.obj",
    "meshes/sprite10.obj",
    "meshes/sprite11.obj",
    "meshes/box.3ds",
};
const char* const FIXED_AFTER_SCENE[] = {
    "cgeffects/vertex_boatg.cpp",
    "cgeffects/fragment_projection_anisotropic2hg.cpp",
    "cgeffects/vertex_boat.cpp",
    "cgeffects/fragment_projection_anisotropic2box.cpp",
    "cgeffects/fragment_projection_anisotropic2hg2.cpp",
    "cgeffects/fragment_projection_anisotropic2hg2sprite.cpp",
    "cgeffects/fragment_blur256.cpp",
    "cgeffects/fragment_blur256FOV.cpp",
    "cgeffects/fragment_Blur_circular.cpp",
    "cgeffects/fragment_bend3.cpp",
    "cgeffects/fragment_wireframe.cpp",
    "meshes/try1.sav",
    "music/Velmore - Tarnish.mp3",
    "music/1.mp3",
    "music/2.mp3",
    "music/3.mp3",
    "music/4.mp3",
};

void addOnce(std::vector<std::string>& list, const std::string& name)
{
    if (!name.empty() && std::find(list.begin(), list.end(), name) == list.end())
        list.push_back(name);
}

}  // namespace

std::vector<std::string> gameAssetFiles(const std::string& base)
{
    std::vector<std::string> files;
    for (const char* name : FIXED_BEFORE_SCENE)
        addOnce(files, name);
    // The textures the box scene names, as its import loads them.
    L3DS scene;
    if (scene.loadFile((base + "meshes/box.3ds").c_str())) {
        for (const SceneTextureLoad& load : planSceneTextures(scene, MODEL_BOX).loads) {
            addOnce(files, load.path);
            addOnce(files, load.alphaPath);
        }
    }
    for (const char* name : FIXED_AFTER_SCENE)
        addOnce(files, name);
    return files;
}

std::vector<ReplayAsset> digestGameAssets(const std::string& base)
{
    std::vector<ReplayAsset> assets;
    for (const std::string& name : gameAssetFiles(base)) {
        ReplayAsset a{name, 0};
        if (!fileContentHash(base + name, a.hash))
            a.hash = 0;
        assets.push_back(a);
    }
    return assets;
}

ReplayHeader headerOfThisBuild(const ReplaySettings& settings, uint32_t levelSeed, const std::string& base)
{
    ReplayHeader header;
    header.gameVersion = versionText();
    header.rulesDigest = RULES_DIGEST;
    header.settings = settings;
    header.levelSeed = levelSeed;
    header.assets = digestGameAssets(base);
    return header;
}

std::string replayMismatch(const ReplayHeader& header, const std::string& base)
{
    if (header.gameVersion != versionText())
        return "recorded by " + header.gameVersion + "; this is " + versionText() +
               ", whose rules or pictures may differ";
    if (header.formatVersion >= 2 &&
        std::find(std::begin(RULES_DIGESTS_ALIKE), std::end(RULES_DIGESTS_ALIKE), header.rulesDigest) ==
            std::end(RULES_DIGESTS_ALIKE))
        return "recorded by a build of " + header.gameVersion + " whose rules differ from this one's";
    // Every file of this game's list named exactly once, with its content.
    const std::vector<ReplayAsset> here = digestGameAssets(base);
    std::vector<bool> named(here.size(), false);
    for (const ReplayAsset& recorded : header.assets) {
        auto same = std::find_if(here.begin(), here.end(), [&](const ReplayAsset& a) { return a.name == recorded.name; });
        if (same == here.end())
            return "made with other assets (this game has no " + recorded.name + ")";
        const size_t i = static_cast<size_t>(same - here.begin());
        if (named[i])
            return "made with other assets (" + recorded.name + " is named twice)";
        named[i] = true;
        if (same->hash != recorded.hash)
            return "made with other assets (" + recorded.name + " differs)";
    }
    for (size_t i = 0; i < here.size(); ++i)
        if (!named[i])
            return "made with other assets (the replay does not name " + here[i].name + ")";
    return "";
}
