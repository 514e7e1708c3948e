// glasswake-inspect jpeg: the JSON line, the exit status and the PPM/PGM output.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "assets/jpeg_oracle.h"

namespace {

struct ToolRun {
    int status = -1;
    std::string output;
};

ToolRun inspect(const std::string& arguments)
{
    ToolRun run;
    const std::string command = std::string(GW_BUILD_DIR) + "/glasswake-inspect jpeg " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string writeFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = testing::TempDir() + name;
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    return path;
}

}  // namespace

TEST(InspectJpeg, ReportsAndWritesThePicture)
{
    const std::string colour = writeFile("inspect.jpg", encodeWithLibjpeg(makeTestPicture(17, 9, 3)));
    const std::string ppm = testing::TempDir() + "inspect.ppm";
    ToolRun run = inspect("--out " + ppm + " " + colour);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("\"error\": 0, \"width\": 17, \"height\": 9, \"components\": 3, \"lines\": 9"),
              std::string::npos)
        << run.output;
    const std::vector<uint8_t> picture = readFileBytes(ppm);
    const std::string header = "P6\n17 9\n255\n";
    ASSERT_EQ(picture.size(), header.size() + 17 * 9 * 3);
    EXPECT_EQ(std::string(picture.begin(), picture.begin() + header.size()), header);

    const std::string grey = writeFile("inspect_grey.jpg", encodeWithLibjpeg(makeTestPicture(5, 4, 1)));
    const std::string pgm = testing::TempDir() + "inspect.pgm";
    run = inspect("--fast --out " + pgm + " " + grey);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(readFileBytes(pgm).size(), std::string("P5\n5 4\n255\n").size() + 20);
}

TEST(InspectJpeg, RefusedAndMissingFilesExitWithOne)
{
    const std::string bad = writeFile("inspect_bad.jpg", std::vector<uint8_t>(100, 0));
    ToolRun run = inspect(bad);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("\"error\": -217"), std::string::npos) << run.output;
    EXPECT_EQ(inspect("/nonexistent.jpg").status, 1);
    EXPECT_EQ(inspect("").status, 2);
}
