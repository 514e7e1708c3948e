// glasswake-inspect: the JSON line and exit status of each subcommand, and
// the PPM/PGM output of "jpeg".
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "assets/jpeg/jpeg_oracle.h"

namespace {

struct InspectRun {
    int status = -1;
    std::string output;
};

InspectRun inspect(const std::string& arguments)
{
    InspectRun run;
    const std::string command = std::string(GW_BUILD_DIR) + "/glasswake-inspect " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

template <typename Bytes>
std::string writeTemp(const std::string& name, const Bytes& bytes)
{
    const std::string path = testing::TempDir() + std::to_string(getpid()) + "_" + name;  // unique per process
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

}  // namespace

TEST(InspectTool, JpegReportsAndWritesThePicture)
{
    const std::string colour = writeTemp("inspect.jpg", encodeWithLibjpeg(makeTestPicture(17, 9, 3)));
    const std::string ppm = testing::TempDir() + "inspect.ppm";
    InspectRun run = inspect("jpeg --out " + ppm + " " + colour);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("\"error\": 0, \"width\": 17, \"height\": 9, \"components\": 3, \"lines\": 9"),
              std::string::npos)
        << run.output;
    const std::vector<uint8_t> picture = readFileBytes(ppm);
    const std::string header = "P6\n17 9\n255\n";
    ASSERT_EQ(picture.size(), header.size() + 17 * 9 * 3);
    EXPECT_EQ(std::string(picture.begin(), picture.begin() + header.size()), header);

    const std::string grey = writeTemp("inspect_grey.jpg", encodeWithLibjpeg(makeTestPicture(5, 4, 1)));
    const std::string pgm = testing::TempDir() + "inspect.pgm";
    run = inspect("jpeg --fast --out " + pgm + " " + grey);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(readFileBytes(pgm).size(), std::string("P5\n5 4\n255\n").size() + 20);
}

TEST(InspectTool, ObjAndSavPrintCountsBoundsAndCurves)
{
    std::string path = writeTemp("inspect.obj", std::string("o A\nv 0 0 0\nv 2 0 0\nv 2 3 0\nvt 0 0\n"
                                                            "f 1/1 2/1 3/1\nf 1/1 2/1 9/1\no B\nv -1 0 5\nf 1/1 4/1 2/1\n"));
    InspectRun run = inspect("obj " + path);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output,
              "{\"file\":\"" + path +
                  "\",\"vertices\":4,\"objects\":[1,1],\"faces\":2,\"skippedFaces\":1,\"skippedLines\":0,"
                  "\"bounds\":{\"min\":[-1,0,0],\"max\":[2,3,5]}}\n");

    // Two records of zeros except x of the second (1.0f = 00 00 80 3F).
    std::string bytes(56, '\0');
    bytes[28 + 2] = '\x80';
    bytes[28 + 3] = '\x3F';
    path = writeTemp("inspect.sav", bytes);
    run = inspect("sav " + path);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "{\"file\":\"" + path +
                              "\",\"samples\":2,\"first\":{\"x\":0,\"y\":0,\"z\":0,\"a\":0,\"b\":0},"
                              "\"last\":{\"x\":1,\"y\":0,\"z\":0,\"a\":0,\"b\":0},"
                              "\"curves\":{\"path\":{\"points\":2,\"built\":false},"
                              "\"trackA\":{\"points\":2,\"built\":false},\"trackB\":{\"points\":2,\"built\":false}},"
                              "\"curvesBuilt\":false}\n");
}

TEST(InspectTool, ThreeDsPrintsMeshesMaterialsAndTextureIndex)
{
    const std::string file = std::string(GW_SOURCE_DIR) + "/fuzz/corpus/l3ds/two_meshes_animated.3ds";
    const InspectRun run = inspect("3ds " + file);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("{\"name\":\"Second\",\"vertices\":6,\"triangles\":2,\"materials\":[1]"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("\"texture1\":\"WALLBLEND.JPG\",\"bump\":\"BUMP.JPG\""), std::string::npos);
    EXPECT_NE(run.output.find("\"textureIndex\":[0,1]"), std::string::npos);
}

TEST(InspectTool, RefusedAndMissingFilesExitWithOneAndAReason)
{
    const std::string badJpeg = writeTemp("inspect_bad.jpg", std::vector<uint8_t>(100, 0));
    EXPECT_NE(inspect("jpeg " + badJpeg).output.find("\"error\": -217"), std::string::npos);
    const std::string noVertex = writeTemp("inspect_empty.obj", std::string("# nothing\n"));
    EXPECT_NE(inspect("obj " + noVertex).output.find("no \\\"v\\\" line"), std::string::npos);
    const std::string source = GW_SOURCE_DIR;
    for (const std::string& arguments :
         {"jpeg " + badJpeg, std::string("jpeg /nonexistent.jpg"), "obj " + noVertex,
          "obj " + testing::TempDir() + "no_such.obj", "sav " + writeTemp("inspect_tiny.sav", std::string(27, '\0')),
          "3ds " + source + "/fuzz/corpus/l3ds/two_meshes_animated.3ds.missing", "3ds " + source + "/CMakeLists.txt"}) {
        const InspectRun run = inspect(arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_NE(run.output.find("error"), std::string::npos) << arguments << ": " << run.output;
    }
    EXPECT_EQ(inspect("jpeg").status, 2);
}
