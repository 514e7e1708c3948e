// inspect_3ds_test.cpp - glasswake-inspect 3ds on a good and a missing file.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// Runs the command, returning its exit status and first output line.
int run(const std::string& command, std::string& output)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    output.clear();
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Inspect3ds, PrintsMeshesMaterialsAndTextureIndex)
{
    std::string tool = std::string(GW_BUILD_DIR) + "/glasswake-inspect";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "glasswake-inspect not built";
    std::string out;
    std::string file = std::string(GW_SOURCE_DIR) + "/fuzz/corpus/l3ds/two_meshes_animated.3ds";
    ASSERT_EQ(run(tool + " 3ds " + file, out), 0) << out;
    EXPECT_NE(out.find("{\"name\":\"Second\",\"vertices\":6,\"triangles\":2,\"materials\":[1]"), std::string::npos) << out;
    EXPECT_NE(out.find("\"texture1\":\"WALLBLEND.JPG\",\"bump\":\"BUMP.JPG\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"textureIndex\":[0,1]"), std::string::npos) << out;

    EXPECT_EQ(run(tool + " 3ds " + file + ".missing", out), 1);
    EXPECT_NE(out.find("\"error\":"), std::string::npos) << out;
    EXPECT_EQ(run(tool + " 3ds " + std::string(GW_SOURCE_DIR) + "/CMakeLists.txt", out), 1);
}

}  // namespace
