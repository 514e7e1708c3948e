// glasswake-assetgen - writes the game's generated assets into a folder.
//
//   glasswake-assetgen OUTPUT_DIR
//
// Every run writes the same bytes: all randomness comes from fixed seeds.
#include <cstdio>
#include <filesystem>
#include <string>

#include "pictures.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out / "textures");
    std::filesystem::create_directories(out / "meshes");
    std::filesystem::create_directories(out / "cgeffects");
    std::filesystem::create_directories(out / "music");

    if (!writePictures(out.string())) {
        std::fprintf(stderr, "assetgen: could not write the pictures\n");
        return 1;
    }
    return 0;
}
