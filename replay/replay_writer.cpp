// replay_writer.cpp - writing replay files: the header, blocks of frames
// (each field written only when it changed) and the trailer.
#include "replay/replay_file.h"

#include <vector>

#include "base/content_hash.h"
#include "replay/replay_layout.h"

using namespace replay_layout;

namespace {

void put8(std::vector<uint8_t>& b, uint8_t v) { b.push_back(v); }
void put16(std::vector<uint8_t>& b, uint16_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}
void put64(std::vector<uint8_t>& b, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}
void putDouble(std::vector<uint8_t>& b, double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    put64(b, bits);
}
void putText(std::vector<uint8_t>& b, const std::string& s)
{
    const size_t n = std::min(s.size(), MAX_NAME);
    put8(b, uint8_t(n));
    b.insert(b.end(), s.begin(), s.begin() + static_cast<long>(n));
}
void putTag(std::vector<uint8_t>& b, const char tag[4]) { b.insert(b.end(), tag, tag + 4); }
void putHashOfSince(std::vector<uint8_t>& b, size_t start) { put64(b, contentHash(b.data() + start, b.size() - start)); }

}  // namespace

void ReplayEncoder::header(const ReplayHeader& h)
{
    const size_t start = out.size();
    out.insert(out.end(), REPLAY_MAGIC, REPLAY_MAGIC + sizeof REPLAY_MAGIC);
    put16(out, REPLAY_FORMAT_VERSION);
    std::vector<uint8_t> body;
    putText(body, h.gameVersion);
    const ReplaySettings& s = h.settings;
    put8(body, uint8_t((s.fullscreen ? S_FULLSCREEN : 0) | (s.windowed ? S_WINDOWED : 0) |
                       (s.antialiased ? S_ANTIALIASED : 0) | (s.force169 ? S_FORCE_16_9 : 0)));
    for (int32_t v : {s.modeWidth, s.modeHeight, s.windowWidth, s.windowHeight, s.renderWidth, s.renderHeight})
        put32(body, static_cast<uint32_t>(v));
    put32(body, h.levelSeed);
    put64(body, h.rulesDigest);
    const size_t count = std::min(h.assets.size(), MAX_ASSETS);
    put16(body, uint16_t(count));
    for (size_t i = 0; i < count; ++i) {
        putText(body, h.assets[i].name);
        put64(body, h.assets[i].hash);
    }
    put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    putHashOfSince(out, start);
}

void ReplayEncoder::frame(const ReplayFrame& f)
{
    if (framesInBlock_ == 0)
        previous_ = ReplayFrame{};
    if (f.paused) {  // the delta alone; the inputs stay as they were
        put8(payload_, uint8_t(F_PAUSED | (f.fadeStarts ? F_FADE : 0)));
        putDouble(payload_, f.delta);
        ++framesInBlock_;
        return;
    }
    const ReplayFrame& p = previous_;
    uint8_t flags = 0;
    if (!sameBits(f.mouseX, p.mouseX))
        flags |= F_MOUSE_X;
    if (!sameBits(f.mouseY, p.mouseY))
        flags |= F_MOUSE_Y;
    if (buttonBits(f) != buttonBits(p))
        flags |= F_BUTTONS;
    if (!sameBits(f.wheel, p.wheel))
        flags |= F_WHEEL;
    if (f.keys != p.keys)
        flags |= F_KEYS;
    if (f.fadeStarts)
        flags |= F_FADE;
    if (f.pauseBegins)
        flags |= F_PAUSE_BEGINS;
    put8(payload_, flags);
    putDouble(payload_, f.delta);
    if (flags & F_MOUSE_X)
        putDouble(payload_, f.mouseX);
    if (flags & F_MOUSE_Y)
        putDouble(payload_, f.mouseY);
    if (flags & F_BUTTONS)
        put8(payload_, buttonBits(f));
    if (flags & F_WHEEL)
        putDouble(payload_, f.wheel);
    if (flags & F_KEYS) {
        uint8_t codes[256];
        size_t n = 0;
        for (int code = 0; code < 256; ++code)
            if (keyDown(f.keys, code) != keyDown(p.keys, code))
                codes[n++] = uint8_t(code);
        put8(payload_, uint8_t(n - 1));
        payload_.insert(payload_.end(), codes, codes + n);
    }
    previous_ = f;
    ++framesInBlock_;
}

void ReplayEncoder::endBlock()
{
    if (framesInBlock_ == 0)
        return;
    const size_t start = out.size();
    putTag(out, BLOCK_TAG);
    put32(out, framesWritten_);
    put32(out, framesInBlock_);
    put32(out, static_cast<uint32_t>(payload_.size()));
    out.insert(out.end(), payload_.begin(), payload_.end());
    putHashOfSince(out, start);
    framesWritten_ += framesInBlock_;
    framesInBlock_ = 0;
    payload_.clear();
}

void ReplayEncoder::trailer(const ReplayTrailer& t)
{
    endBlock();
    const size_t start = out.size();
    putTag(out, TRAILER_TAG);
    put32(out, TRAILER_PAYLOAD);
    put32(out, t.frames);
    putDouble(out, t.demoTime);
    putDouble(out, t.gameTime);
    putDouble(out, t.score);
    putDouble(out, t.life);
    put32(out, t.levelsCompleted);
    put32(out, t.levelsLost);
    put8(out, static_cast<uint8_t>(t.ending));
    putHashOfSince(out, start);
}

std::vector<uint8_t> encodeReplay(const Replay& replay)
{
    ReplayEncoder e;
    e.header(replay.header);
    uint64_t covered = 0;
    for (uint32_t n : replay.blockFrames)
        covered += n;
    const bool keepBlocks = covered == replay.frames.size();
    size_t block = 0;
    uint32_t inBlock = 0;
    for (const ReplayFrame& f : replay.frames) {
        e.frame(f);
        if (keepBlocks && ++inBlock == replay.blockFrames[block]) {
            e.endBlock();
            ++block;
            inBlock = 0;
        }
    }
    if (replay.complete)
        e.trailer(replay.trailer);
    else
        e.endBlock();
    return std::move(e.out);
}
