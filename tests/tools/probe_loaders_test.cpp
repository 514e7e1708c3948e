#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct InspectRun {
    int status;
    std::string output;
};

InspectRun inspect(const std::string& arguments)
{
    std::string command = std::string(GW_BUILD_DIR) + "/glasswake-inspect " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string writeTemp(const std::string& name, const std::string& bytes)
{
    std::string path = testing::TempDir() + std::to_string(getpid()) + "_" + name;  // unique per process
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

}  // namespace

TEST(InspectTool, ObjPrintsCountsAndBounds)
{
    std::string path = writeTemp("inspect.obj",
                                 "o A\nv 0 0 0\nv 2 0 0\nv 2 3 0\nvt 0 0\nf 1/1 2/1 3/1\nf 1/1 2/1 9/1\n"
                                 "o B\nv -1 0 5\nf 1/1 4/1 2/1\n");
    InspectRun run = inspect("obj " + path);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output,
              "{\"file\":\"" + path +
                  "\",\"vertices\":4,\"objects\":[1,1],\"faces\":2,\"skippedFaces\":1,\"skippedLines\":0,"
                  "\"bounds\":{\"min\":[-1,0,0],\"max\":[2,3,5]}}\n");
    std::remove(path.c_str());
}

TEST(InspectTool, RejectionsExitWithOneAndAReason)
{
    InspectRun missing = inspect("obj " + testing::TempDir() + "no_such.obj");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("\"error\":\"cannot open or read the file\""), std::string::npos);

    std::string empty = writeTemp("inspect_empty.obj", "# nothing\n");
    InspectRun noVertex = inspect("obj " + empty);
    EXPECT_EQ(noVertex.status, 1);
    EXPECT_NE(noVertex.output.find("no \\\"v\\\" line"), std::string::npos);

    std::string tiny = writeTemp("inspect_tiny.sav", std::string(27, '\0'));
    InspectRun tooShort = inspect("sav " + tiny);
    EXPECT_EQ(tooShort.status, 1);
    EXPECT_NE(tooShort.output.find("\"error\""), std::string::npos);
}

TEST(InspectTool, SavPrintsSamplesAndCurves)
{
    // Two records of zeros except x of the second (1.0f = 00 00 80 3F).
    std::string bytes(56, '\0');
    bytes[28 + 2] = '\x80';
    bytes[28 + 3] = '\x3F';
    std::string path = writeTemp("inspect.sav", bytes);
    InspectRun run = inspect("sav " + path);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "{\"file\":\"" + path +
                              "\",\"samples\":2,\"first\":{\"x\":0,\"y\":0,\"z\":0,\"a\":0,\"b\":0},"
                              "\"last\":{\"x\":1,\"y\":0,\"z\":0,\"a\":0,\"b\":0},"
                              "\"curves\":{\"path\":{\"points\":2,\"built\":false},"
                              "\"trackA\":{\"points\":2,\"built\":false},\"trackB\":{\"points\":2,\"built\":false}},"
                              "\"curvesBuilt\":false}\n");
    std::remove(path.c_str());
}
