// reader_budgets_test.cpp - every file reader within its stated budget on
// crafted worst cases: memory (all bytes asked of operator new, the file's
// own buffer included) at most a fixed multiple of the input plus a fixed
// amount, and both memory and work (the readers' step count) growing
// linearly - four times the input may cost at most five times as much.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "allocation_meter.h"
#include "assets/l3ds/l3ds.h"
#include "assets/motion_path.h"
#include "assets/obj_mesh.h"
#include "assets/scene_textures.h"
#include "base/work_meter.h"
#include "hostile_files.h"
#include "replay/replay_file.h"

namespace {

constexpr size_t SMALL = 64 * 1024;
constexpr size_t LARGE = 4 * SMALL;

struct Cost {
    uint64_t bytes = 0;
    uint64_t work = 0;
};

std::string writeTemp(const std::vector<uint8_t>& bytes)
{
    const std::string path = testing::TempDir() + "budget_" + std::to_string(getpid());
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

// Reads the file through the reader's own file loading, metered.
template <class Read>
Cost measure(const std::vector<uint8_t>& input, Read read)
{
    const std::string path = writeTemp(input);
    Cost cost;
    readerWork = 0;
    {
        AllocationMeter meter;
        read(path.c_str());
        cost.bytes = meter.bytes;
    }
    cost.work = readerWork;
    std::remove(path.c_str());
    return cost;
}

const HostileFile& hostile(const std::vector<HostileFile>& files, std::string_view name)
{
    return *std::find_if(files.begin(), files.end(), [&](const HostileFile& f) { return f.name == name; });
}

template <class Read>
void expectBudget(const std::vector<HostileFile>& files, size_t perByte, size_t fixed, Read read)
{
    for (const HostileFile& file : files) {
        SCOPED_TRACE(file.name);
        const std::vector<uint8_t> small = file.make(SMALL);
        const std::vector<uint8_t> large = file.make(LARGE);
        const Cost smallCost = measure(small, read);
        const Cost largeCost = measure(large, read);
        for (auto [input, cost] : {std::pair{&small, smallCost}, {&large, largeCost}}) {
            std::printf("%-26s %7zu bytes: %6.1f bytes allocated per byte, %5.1f steps per byte\n", file.name,
                        input->size(), double(cost.bytes) / double(input->size()),
                        double(cost.work) / double(input->size()));
            EXPECT_LE(cost.bytes, perByte * input->size() + fixed) << input->size();
        }
        EXPECT_GT(smallCost.work, 0u) << "the reader counts its steps";
        EXPECT_LE(largeCost.bytes, 5 * smallCost.bytes);
        EXPECT_LE(largeCost.work, 5 * smallCost.work);
    }
}

}  // namespace

TEST(ReaderBudgets, ThreeDsScenesAndTheirTexturePlans)
{
    expectBudget(HOSTILE_3DS, L3DS_BUDGET_PER_BYTE, L3DS_BUDGET_FIXED, [](const char* path) {
        L3DS scene;
        scene.loadFile(path);
        planSceneTextures(scene, 0);
    });
}

TEST(ReaderBudgets, ObjModels)
{
    expectBudget(HOSTILE_OBJ, OBJ_BUDGET_PER_BYTE, OBJ_BUDGET_FIXED, [](const char* path) {
        ObjMesh mesh;
        mesh.loadObj(path, 1);
    });
}

TEST(ReaderBudgets, MotionFiles)
{
    expectBudget(HOSTILE_MOTION, MOTION_BUDGET_PER_BYTE, MOTION_BUDGET_FIXED, [](const char* path) {
        MotionPath motion;
        motion.loadMotion(path);
    });
}

TEST(ReaderBudgets, Replays)
{
    // The reader's own budget, and the file's bytes, which it holds while it reads.
    expectBudget(HOSTILE_REPLAY, REPLAY_BUDGET_PER_BYTE + 1, REPLAY_BUDGET_FIXED, [](const char* path) {
        Replay replay;
        const ReplayReadResult read = readReplayFile(path, replay);
        EXPECT_EQ(read.status, ReplayStatus::Incomplete) << read.error;  // no trailer, every frame kept
        EXPECT_GT(replay.frames.size(), 0u);
    });
}

TEST(ReaderBudgets, MemoryRunningOutEndsTheReadWithoutAnException)
{
    // A scene, a model and a motion file, each read with memory running out
    // at every tenth of what it needs.
    const std::vector<uint8_t> scene = hostile(HOSTILE_3DS, "words_compared_pairwise").make(SMALL);
    const std::vector<uint8_t> model = hostile(HOSTILE_OBJ, "triangles").make(SMALL);
    const std::vector<uint8_t> motion = hostile(HOSTILE_MOTION, "records").make(SMALL);
    const std::string_view text(reinterpret_cast<const char*>(model.data()), model.size());
    auto needs = [](auto read) {
        AllocationMeter meter;
        read();
        return meter.bytes;
    };
    const uint64_t sceneNeeds = needs([&] { L3DS().loadFromMemory(scene.data(), scene.size()); });
    const uint64_t modelNeeds = needs([&] { ObjMesh().loadObjText(text, 1); });
    const uint64_t motionNeeds = needs([&] { MotionPath().loadMotionBytes(motion.data(), motion.size()); });
    for (int tenth = 0; tenth < 10; ++tenth) {
        SCOPED_TRACE(tenth);
        L3DS s;
        bool sceneRead = true;
        ObjMesh m;
        MotionPath p;
        {
            AllocationMeter meter;
            meter.failAbove = sceneNeeds * tenth / 10;
            EXPECT_NO_THROW(sceneRead = s.loadFromMemory(scene.data(), scene.size()));
        }
        {
            AllocationMeter meter;
            meter.failAbove = modelNeeds * tenth / 10;
            EXPECT_NO_THROW(m.loadObjText(text, 1));
        }
        {
            AllocationMeter meter;
            meter.failAbove = motionNeeds * tenth / 10;
            EXPECT_NO_THROW(p.loadMotionBytes(motion.data(), motion.size()));
        }
        EXPECT_FALSE(sceneRead);
        EXPECT_EQ(s.getMeshCount(), 0);
        EXPECT_TRUE(m.objects.empty());
        EXPECT_TRUE(p.samples.empty());
        EXPECT_EQ(p.pathCurve.count, 0);
    }
}
