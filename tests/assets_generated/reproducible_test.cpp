// A second generator run writes exactly the bytes the build's run wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <string>

#include "assets_generated/built_assets.h"

namespace fs = std::filesystem;

TEST(GeneratedAssets, SecondRunGivesIdenticalBytes)
{
    const fs::path scratch = fs::temp_directory_path() / ("glasswake-assetgen-" + std::to_string(::getpid()));
    fs::remove_all(scratch);
    const std::string command = "\"" + builtAsset("glasswake-assetgen") + "\" \"" + scratch.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);

    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(scratch)) {
        if (!entry.is_regular_file())
            continue;
        const std::string relative = fs::relative(entry.path(), scratch).string();
        SCOPED_TRACE(relative);
        EXPECT_TRUE(readBytes(entry.path().string()) == readBytes(builtAsset(relative)));
        ++compared;
    }
    // Pictures, scene textures, models, the scene, the motion file, the music
    // and the icons; nothing left behind.
    EXPECT_EQ(compared, 4 + 8 + 13 + 1 + 1 + 5 + 3);
    fs::remove_all(scratch);
}
