// The whole start-up (loader part, game part) and a few game frames on a copy
// of the generated assets in which one file is missing or cut in half.
// Pictures and shaders are part of the installation: without them the game
// names the file and ends with exit code 0. Without a model, scene, motion or
// sound file it keeps running with nothing drawn or heard for it. Never a
// crash, a hang or a GL error.
#include "support/gl_fixture.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/part_game.h"
#include "platform/platform.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/part_start.h"

namespace fs = std::filesystem;

namespace {

enum class Damage { Missing, Halved };

// What a missing file leads to.
enum class Outcome {
    JpgMessage,       // "Jpg" box naming the file, exit 0
    JpgErrorMessage,  // "Jpg !" box naming the file, exit 0
    ShaderMessage,    // "File is missing !" box naming the file, exit 0
    KeepsRunning,     // the frames run with no GL error
};

struct AssetCase {
    const char* file;
    Outcome whenMissing;
};

const AssetCase kAssets[] = {
    {"textures/theloader.jpg", Outcome::JpgMessage},
    {"textures/bg08.jpg", Outcome::JpgMessage},
    {"textures/blob41b.jpg", Outcome::JpgErrorMessage},
    {"textures/cloudt2.jpg", Outcome::JpgMessage},
    {"meshes/FLOORGRID.JPG", Outcome::JpgMessage},
    {"meshes/FLOORBUMP.JPG", Outcome::JpgErrorMessage},
    {"meshes/WALLPANEL.JPG", Outcome::JpgMessage},
    {"meshes/WALLBUMP.JPG", Outcome::JpgErrorMessage},
    {"meshes/PANELBLEND.JPG", Outcome::JpgErrorMessage},
    {"meshes/alphaPANELBLEND.JPG", Outcome::JpgErrorMessage},
    {"meshes/PYLON.JPG", Outcome::JpgMessage},
    {"meshes/RAILLIGHT.JPG", Outcome::JpgMessage},
    {"cgeffects/vertex_boatg.cpp", Outcome::ShaderMessage},
    {"cgeffects/vertex_boat.cpp", Outcome::ShaderMessage},
    {"cgeffects/fragment_projection_anisotropic2hg.cpp", Outcome::ShaderMessage},
    {"cgeffects/fragment_projection_anisotropic2box.cpp", Outcome::ShaderMessage},
    {"cgeffects/fragment_projection_anisotropic2hg2.cpp", Outcome::ShaderMessage},
    {"cgeffects/fragment_projection_anisotropic2hg2sprite.cpp", Outcome::ShaderMessage},
    {"cgeffects/fragment_blur256.cpp", Outcome::ShaderMessage},
    {"cgeffects/fragment_blur256FOV.cpp", Outcome::ShaderMessage},
    {"cgeffects/fragment_Blur_circular.cpp", Outcome::ShaderMessage},
    {"cgeffects/fragment_bend3.cpp", Outcome::ShaderMessage},
    {"cgeffects/fragment_wireframe.cpp", Outcome::ShaderMessage},
    {"meshes/helicopter.obj", Outcome::KeepsRunning},
    {"meshes/gear.obj", Outcome::KeepsRunning},
    {"meshes/gears2.obj", Outcome::KeepsRunning},
    {"meshes/sprite1.obj", Outcome::KeepsRunning},
    {"meshes/sprite2.obj", Outcome::KeepsRunning},
    {"meshes/sprite3.obj", Outcome::KeepsRunning},
    {"meshes/sprite5.obj", Outcome::KeepsRunning},
    {"meshes/sprite6.obj", Outcome::KeepsRunning},
    {"meshes/sprite7.obj", Outcome::KeepsRunning},
    {"meshes/sprite8.obj", Outcome::KeepsRunning},
    {"meshes/sprite9.obj", Outcome::KeepsRunning},
    {"meshes/sprite10.obj", Outcome::KeepsRunning},
    {"meshes/sprite11.obj", Outcome::KeepsRunning},
    {"meshes/box.3ds", Outcome::KeepsRunning},
    {"meshes/try1.sav", Outcome::KeepsRunning},
    {"music/Velmore - Tarnish.mp3", Outcome::KeepsRunning},
    {"music/1.mp3", Outcome::KeepsRunning},
    {"music/2.mp3", Outcome::KeepsRunning},
    {"music/3.mp3", Outcome::KeepsRunning},
    {"music/4.mp3", Outcome::KeepsRunning},
};

constexpr int kFrames = 4;
constexpr const char* kRan = "ran 4 frames, 0 GL errors";

platform::MessageResult printMessage(const platform::MessageBoxRequest& request)
{
    std::fprintf(stderr, "message box: %s | %s\n", request.caption.c_str(), request.text.c_str());
    return platform::MessageResult::Ok;
}

int g_glErrors = 0;

void GLAPIENTRY printGlError(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message, const void*)
{
    if (type != GL_DEBUG_TYPE_ERROR)
        return;
    ++g_glErrors;
    std::fprintf(stderr, "GL error: %s\n", message);
}

std::string baseName(const std::string& path) { return fs::path(path).filename().string(); }

// Regular expression (POSIX extended) for the child's stderr.
std::string expectedOutput(const AssetCase& asset, Damage damage)
{
    const std::string name = baseName(asset.file);
    if (asset.whenMissing == Outcome::KeepsRunning)
        return kRan;
    if (damage == Damage::Halved) {
        // A shader file that is present is compiled: a broken one draws nothing.
        if (asset.whenMissing == Outcome::ShaderMessage)
            return kRan;
        // Half a picture either decodes (the rest reads as zero bits) or is refused.
        return std::string("(message box: Jpg ! \\| .*") + name + ")|(" + kRan + ")";
    }
    switch (asset.whenMissing) {
    case Outcome::JpgMessage: return "message box: Jpg \\| .*" + name;
    case Outcome::JpgErrorMessage: return "message box: Jpg ! \\| .*" + name;
    default: return "message box:   = Orvalis\\. Vexa 2007 = - File is missing ! \\| .*" + name;
    }
}

class DamagedAssetsTest : public GLTest,
                          public ::testing::WithParamInterface<std::tuple<int, Damage>> {
protected:
    static constexpr int kRenderWidth = 160;
    static constexpr int kRenderHeight = 90;

    fs::path folder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        return fs::path(GW_BUILD_DIR) / "damaged-assets" / name;
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder(), ignored);
        GLTest::TearDown();
    }

    // Runs in the death-test child: a copy of the assets with one file
    // damaged, the start-up of the game in it, then a few frames.
    [[noreturn]] void startAndPlay(const char* file, Damage damage)
    {
        const fs::path root = folder();
        fs::remove_all(root);
        fs::create_directories(root);
        for (const char* dir : {"textures", "meshes", "cgeffects", "music"})
            fs::copy(fs::path(GW_BUILD_DIR) / dir, root / dir, fs::copy_options::recursive);
        const fs::path damaged = root / file;
        if (damage == Damage::Halved) {
            std::ifstream in(damaged, std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            in.close();
            std::ofstream(damaged, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size() / 2);
        } else {
            fs::remove(damaged);
        }
        if (chdir(root.c_str()) != 0)
            std::exit(2);

        platform::setMessageBoxHandler(printMessage);
        // GL errors are reported on stderr: a test failure here would not reach the parent.
        expectErrors(true);
        glDebugMessageCallback(printGlError, nullptr);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        windowWidth = renderWidth = kRenderWidth;
        windowHeight = renderHeight = kRenderHeight;
        g_renderer.createCgContext();
        g_renderer.createOutlineFont();
        createRenderTargets(kRenderWidth, kRenderHeight, true);
        createParts();

        FrameInputs inputs;
        inputs.leftButton = 1;  // fire, so the volley cue plays too
        for (int frame = 0; frame < kFrames; ++frame) {
            double delta = 0.4;
            frameLoop.gamePart->draw(&delta, &g_renderer, &inputs);
        }
        glFinish();
        std::fprintf(stderr, "ran %d frames, %d GL errors\n", kFrames, g_glErrors + int(glGetError() != GL_NO_ERROR));
        std::exit(0);
    }
};

TEST_P(DamagedAssetsTest, EndsCleanlyOrKeepsRunning)
{
    const AssetCase& asset = kAssets[std::get<0>(GetParam())];
    const Damage damage = std::get<1>(GetParam());
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(startAndPlay(asset.file, damage), ::testing::ExitedWithCode(0), expectedOutput(asset, damage));
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<int, Damage>>& info)
{
    std::string name = baseName(kAssets[std::get<0>(info.param)].file);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name + (std::get<1>(info.param) == Damage::Missing ? "_missing" : "_halved");
}

INSTANTIATE_TEST_SUITE_P(EveryFile, DamagedAssetsTest,
                         ::testing::Combine(::testing::Range(0, int(std::size(kAssets))),
                                            ::testing::Values(Damage::Missing, Damage::Halved)),
                         caseName);

}  // namespace
