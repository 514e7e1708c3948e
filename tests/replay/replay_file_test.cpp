// Replay files: every recorded field comes back bit for bit, the encoding is
// canonical, a damaged header, a foreign or a newer file is refused with its
// reason, and damage after the header (frames, trailer) keeps the intact
// blocks before it, as a cut file does.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "base/content_hash.h"
#include "replay/replay_file.h"

namespace {

ReplayHeader sampleHeader()
{
    ReplayHeader h;
    h.gameVersion = "glasswake 1.0.0";
    h.settings.fullscreen = false;
    h.settings.windowed = true;
    h.settings.antialiased = false;
    h.settings.force169 = true;
    h.settings.modeWidth = 1366;
    h.settings.modeHeight = 768;
    h.settings.windowWidth = 1366;
    h.settings.windowHeight = 768;
    h.settings.renderWidth = 1366;
    h.settings.renderHeight = 768;
    h.levelSeed = 0xDEADBEEF;
    h.assets = {{"textures/bg08.jpg", 0x0123456789ABCDEFull}, {"music/4.mp3", 0}};
    return h;
}

void press(ReplayFrame& f, int code) { f.keys[size_t(code) >> 6] |= uint64_t(1) << (code & 63); }

// 130 frames in three blocks with every kind of change, the fade and a trailer.
Replay sampleReplay()
{
    Replay r;
    r.header = sampleHeader();
    ReplayFrame f;
    for (int i = 0; i < 130; ++i) {
        f.delta = 1.0 / 60.0 + i * 1e-7;
        f.fadeStarts = i == 128;
        if (i % 3 == 0)
            f.mouseX = -7.0 + 0.1 * i;
        if (i % 5 == 0)
            f.mouseY = std::sin(i);
        if (i % 7 == 0)
            f.leftButton = !f.leftButton;
        f.rightButton = i > 100;
        if (i == 40)
            f.wheel = 0.2;
        if (i == 50)
            f.mouseX = -0.0;  // differs from 0.0 in its bits only
        if (i == 60)
            press(f, 27), press(f, 255), press(f, 0);
        if (i == 70)
            f.keys = {};
        r.frames.push_back(f);
    }
    r.complete = true;
    r.trailer = {130, 2.25, 2.475, 1234.5, 0.75, 1, 2, ReplayEnding::ExitFade};
    return r;
}

std::vector<uint8_t> encodeInBlocks(const Replay& r, size_t blockFrames)
{
    ReplayEncoder e;
    e.header(r.header);
    for (size_t i = 0; i < r.frames.size(); ++i) {
        e.frame(r.frames[i]);
        if ((i + 1) % blockFrames == 0)
            e.endBlock();
    }
    e.trailer(r.trailer);
    return e.out;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

ReplayReadResult read(const std::vector<uint8_t>& bytes, Replay& out) { return readReplay(bytes.data(), bytes.size(), out); }

// Offsets of the parts of a file: header end, blocks, trailer start.
struct Layout {
    size_t headerEnd = 0;
    std::vector<size_t> blocks;
    size_t trailer = 0;
};

Layout layoutOf(const std::vector<uint8_t>& b)
{
    Layout l;
    uint32_t body;
    std::memcpy(&body, &b[10], 4);
    l.headerEnd = 14 + body + 8;
    size_t p = l.headerEnd;
    while (std::memcmp(&b[p], "FRMS", 4) == 0) {
        l.blocks.push_back(p);
        uint32_t length;
        std::memcpy(&length, &b[p + 12], 4);
        p += 16 + length + 8;
    }
    l.trailer = p;
    return l;
}

// Replaces the 8-byte hash that ends at `end` with the right one for [start, end - 8).
void rehash(std::vector<uint8_t>& b, size_t start, size_t end)
{
    const uint64_t h = contentHash(&b[start], end - 8 - start);
    for (int i = 0; i < 8; ++i)
        b[end - 8 + size_t(i)] = uint8_t(h >> (8 * i));
}

}  // namespace

TEST(ReplayFile, EveryFieldComesBackBitForBitAndWritesTheSameBytes)
{
    const Replay original = sampleReplay();
    const std::vector<uint8_t> bytes = encodeInBlocks(original, 50);
    Replay back;
    ASSERT_TRUE(read(bytes, back).ok());
    EXPECT_TRUE(back.complete);
    EXPECT_EQ(back.header.gameVersion, "glasswake 1.0.0");
    EXPECT_EQ(back.header.levelSeed, 0xDEADBEEFu);
    EXPECT_FALSE(back.header.settings.fullscreen);
    EXPECT_TRUE(back.header.settings.windowed);
    EXPECT_FALSE(back.header.settings.antialiased);
    EXPECT_TRUE(back.header.settings.force169);
    EXPECT_EQ(back.header.settings.modeWidth, 1366);
    EXPECT_EQ(back.header.settings.renderHeight, 768);
    ASSERT_EQ(back.header.assets.size(), 2u);
    EXPECT_EQ(back.header.assets[0].name, "textures/bg08.jpg");
    EXPECT_EQ(back.header.assets[0].hash, 0x0123456789ABCDEFull);
    ASSERT_EQ(back.frames.size(), original.frames.size());
    for (size_t i = 0; i < back.frames.size(); ++i) {
        const ReplayFrame& a = original.frames[i];
        const ReplayFrame& b = back.frames[i];
        EXPECT_TRUE(sameBits(a.delta, b.delta) && sameBits(a.mouseX, b.mouseX) && sameBits(a.mouseY, b.mouseY) &&
                    sameBits(a.wheel, b.wheel))
            << i;
        EXPECT_EQ(a.leftButton, b.leftButton) << i;
        EXPECT_EQ(a.rightButton, b.rightButton) << i;
        EXPECT_EQ(a.fadeStarts, b.fadeStarts) << i;
        EXPECT_EQ(a.keys, b.keys) << i;
    }
    EXPECT_EQ(back.trailer.frames, 130u);
    EXPECT_EQ(back.trailer.score, 1234.5);
    EXPECT_EQ(back.trailer.levelsLost, 2u);
    EXPECT_EQ(encodeInBlocks(back, 50), bytes);

    // Inputs records go in and come out with the recorded fields.
    FrameInputs inputs;
    applyReplayFrame(back.frames[60], inputs);
    EXPECT_EQ(inputs.keyStates[27], 1);
    EXPECT_EQ(inputs.keyStates[0], 1);
    EXPECT_EQ(inputs.keyStates[28], 0);
    const ReplayFrame again = replayFrameFromInputs(back.frames[60].delta, inputs, false);
    EXPECT_EQ(again.keys, back.frames[60].keys);
    EXPECT_TRUE(sameBits(again.mouseX, back.frames[60].mouseX));
}

TEST(ReplayFile, DamageInEachPartIsRefusedWithItsReason)
{
    const std::vector<uint8_t> good = encodeInBlocks(sampleReplay(), 50);
    const Layout l = layoutOf(good);
    ASSERT_EQ(l.blocks.size(), 3u);

    struct Case {
        const char* what;
        size_t offset;
        const char* reason;
    } cases[] = {
        {"header", 20, "damaged header (checksum mismatch)"},
        {"middle block", l.blocks[1] + 30, "damaged frames: checksum mismatch in the block at byte"},
        {"trailer", l.trailer + 20, "damaged trailer (checksum mismatch)"},
    };
    const size_t kept[] = {0, 50, 130};  // frames before the damage
    for (size_t i = 0; i < 3; ++i) {
        const Case& c = cases[i];
        std::vector<uint8_t> bad = good;
        bad[c.offset] ^= 0x10;
        Replay out;
        const ReplayReadResult r = read(bad, out);
        EXPECT_EQ(r.status, i == 0 ? ReplayStatus::Damaged : ReplayStatus::Incomplete) << c.what;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << c.what << ": " << r.error;
        EXPECT_EQ(out.frames.size(), kept[i]) << c.what;
        EXPECT_FALSE(out.complete);
        if (i > 0) {
            EXPECT_NE(r.error.find("the " + std::to_string(kept[i]) + " frames before it are kept"),
                      std::string::npos)
                << r.error;
        }
    }

    // Values that pass their hash are still checked; the blocks before stay.
    auto refusedWith = [&](std::vector<uint8_t> bad, size_t start, size_t end, const char* reason,
                           size_t framesKept) {
        rehash(bad, start, end);
        Replay out;
        const ReplayReadResult r = read(bad, out);
        EXPECT_EQ(r.status, ReplayStatus::Incomplete) << reason;
        EXPECT_NE(r.error.find(reason), std::string::npos) << r.error;
        EXPECT_EQ(out.frames.size(), framesKept) << reason;
    };
    std::vector<uint8_t> nan = good;  // the first frame's delta becomes NaN
    const uint64_t nanBits = 0x7FF8000000000000ull;
    std::memcpy(&nan[l.blocks[0] + 17], &nanBits, 8);
    refusedWith(nan, l.blocks[0], l.blocks[1], "a frame delta out of range", 0);
    std::vector<uint8_t> skipped = good;  // the second block claims to start at frame 49
    skipped[l.blocks[1] + 4] = 49;
    refusedWith(skipped, l.blocks[1], l.blocks[2], "starts at frame 49, expected 50", 50);
    std::vector<uint8_t> counted = good;  // the trailer counts one frame too many
    counted[l.trailer + 8] = 131;
    refusedWith(counted, l.trailer, good.size(), "it counts 131 frames, the file holds 130", 130);
    Replay noWidth = sampleReplay();  // a render width of 0, written with a sound hash
    noWidth.header.settings.renderWidth = 0;
    Replay out;
    const ReplayReadResult zero = read(encodeInBlocks(noWidth, 50), out);
    EXPECT_EQ(zero.status, ReplayStatus::Damaged);
    EXPECT_NE(zero.error.find("bad window or render size"), std::string::npos) << zero.error;

    Replay noFade = sampleReplay();  // ends by the exit fade, yet no record began it
    noFade.frames[128].fadeStarts = false;
    const ReplayReadResult fade = read(encodeInBlocks(noFade, 50), out);
    EXPECT_NE(fade.error.find("no record begins it"), std::string::npos) << fade.error;
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(out.frames.size(), 130u);

    std::vector<uint8_t> trailing = good;
    trailing.push_back(0);
    EXPECT_NE(read(trailing, out).error.find("after the trailer"), std::string::npos);

    // A power cut: the file's last 200 bytes are zeros. What came before them stays.
    std::vector<uint8_t> zeroed = good;
    std::fill(zeroed.end() - 200, zeroed.end(), 0);
    const ReplayReadResult cut = read(zeroed, out);
    EXPECT_EQ(cut.status, ReplayStatus::Incomplete) << cut.error;
    EXPECT_EQ(out.frames.size(), 100u) << cut.error;  // the last block and the trailer are gone
}

TEST(ReplayFile, ForeignNewerAndCutFilesAreTold)
{
    const std::vector<uint8_t> good = encodeInBlocks(sampleReplay(), 50);
    Replay out;

    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'};
    EXPECT_EQ(read(jpeg, out).status, ReplayStatus::Foreign);
    EXPECT_EQ(read({}, out).status, ReplayStatus::Foreign);

    std::vector<uint8_t> newer = good;
    newer[8] = REPLAY_FORMAT_VERSION + 1;
    const ReplayReadResult r = read(newer, out);
    EXPECT_EQ(r.status, ReplayStatus::Newer);
    EXPECT_NE(r.error.find("newer version"), std::string::npos);

    // A run that crashed keeps every block it wrote; a cut inside the header keeps nothing.
    const Layout l = layoutOf(good);
    for (size_t cut : {l.trailer, l.trailer + 10, l.blocks[2] + 5, l.blocks[2]}) {
        std::vector<uint8_t> part(good.begin(), good.begin() + long(cut));
        const ReplayReadResult c = read(part, out);
        EXPECT_EQ(c.status, ReplayStatus::Incomplete) << cut;
        EXPECT_EQ(out.frames.size(), cut >= l.trailer ? 130u : 100u) << cut;
        EXPECT_FALSE(out.complete);
        if (cut == l.trailer) {
            EXPECT_NE(c.error.find("without its trailer after 130 frames"), std::string::npos) << c.error;
        }
    }
    std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 30);
    EXPECT_EQ(read(headerOnly, out).status, ReplayStatus::Incomplete);
}

TEST(ReplayFile, OnlyCanonicalFramesAreAccepted)
{
    // A frame that names a field it did not change is not one the encoder writes.
    Replay r;
    r.header = sampleHeader();
    r.frames.resize(2);
    r.frames[0].mouseX = 1.0;
    r.frames[1].mouseX = 1.0;
    std::vector<uint8_t> bytes = encodeReplay(r);
    const Layout l = layoutOf(bytes);
    const size_t secondFrame = l.blocks[0] + 16 + 17;
    ASSERT_EQ(bytes[secondFrame], 0);  // no change in the second frame
    bytes[secondFrame] = 1;            // claims a mouse x ...
    const double same = 1.0;
    bytes.insert(bytes.begin() + long(secondFrame) + 9, reinterpret_cast<const uint8_t*>(&same),
                 reinterpret_cast<const uint8_t*>(&same) + 8);  // ... equal to the last one
    const uint32_t length = 17 + 17;
    std::memcpy(&bytes[l.blocks[0] + 12], &length, 4);
    rehash(bytes, l.blocks[0], l.blocks[0] + 16 + length + 8);
    Replay out;
    const ReplayReadResult result = read(bytes, out);
    EXPECT_EQ(result.status, ReplayStatus::Incomplete);
    EXPECT_NE(result.error.find("bad mouse position"), std::string::npos) << result.error;
    EXPECT_TRUE(out.frames.empty());

    // Limits: the largest accepted values pass, the next ones do not.
    Replay edge;
    edge.header = sampleHeader();
    edge.frames.resize(1);
    edge.frames[0].delta = REPLAY_MAX_DELTA;
    edge.frames[0].mouseY = -REPLAY_MAX_INPUT;
    EXPECT_EQ(read(encodeReplay(edge), out).status, ReplayStatus::Incomplete);  // no trailer, nothing wrong
    EXPECT_EQ(out.frames.size(), 1u);
    edge.frames[0].delta = std::nextafter(REPLAY_MAX_DELTA, 1e300);
    EXPECT_EQ(read(encodeReplay(edge), out).status, ReplayStatus::Incomplete);
    EXPECT_TRUE(out.frames.empty());
    edge.frames[0].delta = 0.0;
    edge.frames[0].mouseY = std::numeric_limits<double>::infinity();
    EXPECT_EQ(read(encodeReplay(edge), out).status, ReplayStatus::Incomplete);
    EXPECT_TRUE(out.frames.empty());
}

TEST(ReplayFile, PausesComeBackAndMustBeginWithAFrame)
{
    // P, a pause of three passes, the fade begun inside it by Escape.
    Replay r = sampleReplay();
    r.frames.resize(60);
    r.frames[40].pauseBegins = true;
    for (int i = 0; i < 3; ++i)
        r.frames.insert(r.frames.begin() + 41 + i, replayPausedRecord(0.01 * (i + 1), i == 2));
    r.frames.back().fadeStarts = false;
    r.trailer.frames = static_cast<uint32_t>(r.frames.size());
    const std::vector<uint8_t> bytes = encodeInBlocks(r, 42);  // a block boundary inside the pause
    Replay back;
    ASSERT_TRUE(read(bytes, back).ok()) << read(bytes, back).error;
    ASSERT_EQ(back.frames.size(), 63u);
    EXPECT_TRUE(back.frames[40].pauseBegins);
    EXPECT_TRUE(back.frames[41].paused && back.frames[42].paused && back.frames[43].paused);
    EXPECT_TRUE(back.frames[43].fadeStarts);
    EXPECT_EQ(back.frames[42].delta, 0.02);
    EXPECT_FALSE(back.frames[44].paused);
    // The frame after the pause has the inputs it had, not the pause's.
    EXPECT_TRUE(sameBits(back.frames[44].mouseX, r.frames[44].mouseX));
    EXPECT_EQ(encodeInBlocks(back, 42), bytes);

    // A pass of the pause that no frame began is no record the game writes.
    Replay orphan = r;
    orphan.frames[40].pauseBegins = false;
    const ReplayReadResult bad = read(encodeInBlocks(orphan, 42), back);
    EXPECT_EQ(bad.status, ReplayStatus::Incomplete);
    EXPECT_NE(bad.error.find("a pass of the pause that no frame began"), std::string::npos) << bad.error;
    EXPECT_EQ(back.frames.size(), 0u);  // the damage is in the first block
}

TEST(ReplayFile, FormatOneFilesAreStillRead)
{
    // The same run in format 1: no rules digest in the header, no pause.
    Replay r = sampleReplay();
    std::vector<uint8_t> bytes = encodeInBlocks(r, 50);
    uint32_t body;
    std::memcpy(&body, &bytes[10], 4);
    const size_t seed = 14 + 1 + r.header.gameVersion.size() + 1 + 24;  // the digest follows the seed
    bytes.erase(bytes.begin() + long(seed) + 4, bytes.begin() + long(seed) + 12);
    body -= 8;
    std::memcpy(&bytes[10], &body, 4);
    bytes[8] = 1;
    rehash(bytes, 0, 14 + body + 8);
    Replay back;
    const ReplayReadResult result = read(bytes, back);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(back.header.formatVersion, 1);
    EXPECT_EQ(back.header.rulesDigest, 0u);
    EXPECT_EQ(back.header.levelSeed, 0xDEADBEEFu);
    EXPECT_EQ(back.frames.size(), 130u);

    // Format 1 knows no pause.
    Replay paused = r;
    paused.frames[10].pauseBegins = true;
    std::vector<uint8_t> v2 = encodeInBlocks(paused, 50);
    v2.erase(v2.begin() + long(seed) + 4, v2.begin() + long(seed) + 12);
    std::memcpy(&v2[10], &body, 4);
    v2[8] = 1;
    rehash(v2, 0, 14 + body + 8);
    EXPECT_NE(read(v2, back).error.find("unknown frame flags"), std::string::npos);
}

TEST(ReplayFile, EachAssetIsNamedOnce)
{
    Replay r = sampleReplay();
    r.header.assets.push_back(r.header.assets.front());
    Replay back;
    const ReplayReadResult result = read(encodeInBlocks(r, 50), back);
    EXPECT_EQ(result.status, ReplayStatus::Damaged);
    EXPECT_NE(result.error.find("the asset textures/bg08.jpg is named twice"), std::string::npos) << result.error;
}
