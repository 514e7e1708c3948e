// glasswake-assetgen - writes the game's generated assets into a folder.
//
//   glasswake-assetgen OUTPUT_DIR
//
// Every run writes the same bytes: all randomness comes from fixed seeds.
// The music (the slowest part, mostly lame's encoding) runs on its own
// threads while the pictures, models and scene are written.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "hall_scene.h"
#include "icon.h"
#include "models.h"
#include "motion_file.h"
#include "music_track.h"
#include "pictures.h"
#include "scene_textures.h"
#include "sound_cues.h"

namespace {

struct Job {
    const char* what;
    std::function<bool(const std::string&)> run;
    bool ok = false;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path out = argv[1];
    for (const char* folder : {"textures", "meshes", "cgeffects", "music"})
        std::filesystem::create_directories(out / folder);
    const std::string dir = out.string();

    std::vector<Job> background = {{"the music track", writeMusicTrack}, {"the sound cues", writeSoundCues}};
    std::vector<Job> foreground = {{"the pictures", writePictures},
                                   {"the scene textures", writeSceneTextures},
                                   {"the craft model", writeCraftModel},
                                   {"the ring models", writeRingModels},
                                   {"the entity models", writeEntityModels},
                                   {"the hall scene", writeHallScene},
                                   {"the motion file", writeMotionFile},
                                   {"the icons", writeIcons}};

    std::vector<std::thread> threads;
    for (Job& job : background)
        threads.emplace_back([&job, &dir] { job.ok = job.run(dir); });
    for (Job& job : foreground)
        job.ok = job.run(dir);
    for (std::thread& t : threads)
        t.join();

    int failures = 0;
    for (const auto* jobs : {&foreground, &background})
        for (const Job& job : *jobs)
            if (!job.ok) {
                std::fprintf(stderr, "assetgen: could not write %s\n", job.what);
                ++failures;
            }
    return failures == 0 ? 0 : 1;
}
