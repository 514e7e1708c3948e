// replay_reader.cpp - reading replay files: every part checked, bounded by
// its input, damage after the header kept as an incomplete run.
#include "replay/replay_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/content_hash.h"
#include "base/file_bytes.h"
#include "base/work_meter.h"
#include "replay/replay_layout.h"

using namespace replay_layout;

namespace {

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t left() const { return size_ - pos_; }
    size_t pos() const { return pos_; }
    bool has(size_t n) const { return left() >= n; }
    uint8_t u8() { return data_[pos_++]; }
    uint16_t u16()
    {
        uint16_t v = uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint32_t u32()
    {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | data_[pos_ + size_t(i)];
        pos_ += 4;
        return v;
    }
    uint64_t u64()
    {
        uint64_t v = 0;
        for (int i = 7; i >= 0; --i)
            v = (v << 8) | data_[pos_ + size_t(i)];
        pos_ += 8;
        return v;
    }
    double f64()
    {
        const uint64_t bits = u64();
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    const uint8_t* at(size_t pos) const { return data_ + pos; }
    void skip(size_t n) { pos_ += n; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

ReplayReadResult result(ReplayStatus status, const std::string& error) { return {status, error}; }
ReplayReadResult damaged(const std::string& what) { return result(ReplayStatus::Damaged, what); }

bool finiteWithin(double v, double limit) { return std::isfinite(v) && std::fabs(v) <= limit; }

bool printable(const std::string& s)
{
    for (unsigned char c : s)
        if (c < 0x20 || c > 0x7e)
            return false;
    return !s.empty();
}

// Keeps the reader's allocations within its budget for N input bytes.
class AllocationBudget {
public:
    explicit AllocationBudget(size_t inputBytes) : left_(REPLAY_BUDGET_PER_BYTE * inputBytes + REPLAY_BUDGET_FIXED) {}
    bool take(size_t bytes)
    {
        if (bytes > left_)
            return false;
        left_ -= bytes;
        return true;
    }

private:
    size_t left_;
};

ReplayReadResult readHeader(Bytes& in, ReplayHeader& h, AllocationBudget& budget, const ReplayReadOptions& options)
{
    if (!in.has(sizeof REPLAY_MAGIC) || std::memcmp(in.at(0), REPLAY_MAGIC, sizeof REPLAY_MAGIC) != 0)
        return result(ReplayStatus::Foreign, "not a Glasswake replay (no GWREPLAY magic word)");
    in.skip(sizeof REPLAY_MAGIC);
    if (!in.has(2 + 4))
        return result(ReplayStatus::Incomplete, "cut short inside the header");
    const uint16_t version = in.u16();
    h.formatVersion = version;
    if (version > REPLAY_FORMAT_VERSION)
        return result(ReplayStatus::Newer, "made by a newer version of Glasswake (replay format " +
                                               std::to_string(version) + "; this version reads format " +
                                               std::to_string(REPLAY_FORMAT_VERSION) + ")");
    if (version == 0)
        return damaged("damaged header: format version 0");
    const uint32_t bodyLength = in.u32();
    if (!in.has(size_t(bodyLength) + HASH_BYTES))
        return result(ReplayStatus::Incomplete, "cut short inside the header");
    const size_t end = HEADER_PREFIX + bodyLength;
    Bytes hashIn(in.at(end), HASH_BYTES);
    readerWork += end;
    if (options.checkHashes && hashIn.u64() != contentHash(in.at(0), end))
        return damaged("damaged header (checksum mismatch)");

    Bytes body(in.at(HEADER_PREFIX), bodyLength);
    in.skip(size_t(bodyLength) + HASH_BYTES);
    auto text = [&](std::string& s) {
        if (!body.has(1))
            return false;
        const size_t n = body.u8();
        if (!body.has(n) || !budget.take(n + 1))
            return false;
        s.assign(reinterpret_cast<const char*>(body.at(body.pos())), n);
        body.skip(n);
        return printable(s);
    };
    if (!text(h.gameVersion))
        return damaged("damaged header: bad game version text");
    const size_t digestBytes = version >= 2 ? 8 : 0;
    if (!body.has(1 + 6 * 4 + 4 + digestBytes + 2))
        return damaged("damaged header: too short");
    const uint8_t flags = body.u8();
    if (flags & ~S_KNOWN)
        return damaged("damaged header: unknown settings");
    ReplaySettings& s = h.settings;
    s.fullscreen = flags & S_FULLSCREEN;
    s.windowed = flags & S_WINDOWED;
    s.antialiased = flags & S_ANTIALIASED;
    s.force169 = flags & S_FORCE_16_9;
    int32_t* sizes[6] = {&s.modeWidth, &s.modeHeight, &s.windowWidth, &s.windowHeight, &s.renderWidth, &s.renderHeight};
    for (int i = 0; i < 6; ++i) {
        *sizes[i] = static_cast<int32_t>(body.u32());
        const int32_t low = i < 2 ? 0 : 1;  // the dialog's mode may be unknown
        if (*sizes[i] < low || *sizes[i] > REPLAY_MAX_SIZE)
            return damaged("damaged header: bad window or render size");
    }
    h.levelSeed = body.u32();
    h.rulesDigest = version >= 2 ? body.u64() : 0;
    const size_t count = body.u16();
    if (count > MAX_ASSETS || count * (2 + HASH_BYTES) > body.left() ||
        !budget.take(count * (sizeof(ReplayAsset) + sizeof(std::string*))))
        return damaged("damaged header: bad asset list");
    h.assets.resize(count);
    readerWork += count;
    for (ReplayAsset& a : h.assets) {
        if (!text(a.name) || !body.has(HASH_BYTES))
            return damaged("damaged header: bad asset list");
        a.hash = body.u64();
    }
    if (body.left() != 0)
        return damaged("damaged header: unexpected bytes at its end");
    // Each asset once: sorted names side by side tell (at most 4096 of them).
    std::vector<const std::string*> names;
    names.reserve(h.assets.size());
    for (const ReplayAsset& a : h.assets)
        names.push_back(&a.name);
    std::sort(names.begin(), names.end(), [](const std::string* a, const std::string* b) { return *a < *b; });
    for (size_t i = 1; i < names.size(); ++i)
        if (*names[i] == *names[i - 1])
            return damaged("damaged header: the asset " + *names[i] + " is named twice");
    return {};
}

// Where the records stand between two blocks: what the next one may be.
struct RecordSequence {
    bool fadeSeen = false;
    bool pauseOpen = false;  // the last record began the pause or was a pass of it
};

// Decodes the frames of one block, each starting from the block's zero state,
// and checks their order against what came before.
ReplayReadResult readFrames(Bytes payload, uint32_t count, uint16_t version, std::vector<ReplayFrame>& frames,
                            size_t blockStart, RecordSequence& sequence)
{
    const std::string where = "damaged frames (block at byte " + std::to_string(blockStart) + "): ";
    const uint8_t known = version >= 2 ? 0xFF : F_KNOWN_V1;
    ReplayFrame state;
    for (uint32_t i = 0; i < count; ++i) {
        if (!payload.has(MIN_FRAME_BYTES))
            return damaged(where + "a frame is cut short");
        ++readerWork;
        const uint8_t flags = payload.u8();
        if (flags & ~known)
            return damaged(where + "unknown frame flags");
        ReplayFrame f = state;
        f.fadeStarts = flags & F_FADE;
        f.paused = flags & F_PAUSED;
        f.pauseBegins = flags & F_PAUSE_BEGINS;
        f.delta = payload.f64();
        if (!(f.delta >= 0.0 && f.delta <= REPLAY_MAX_DELTA))
            return damaged(where + "a frame delta out of range");
        if (f.paused && (flags & (F_INPUTS | F_PAUSE_BEGINS)))
            return damaged(where + "a pass of the pause with inputs");
        if (f.paused && !sequence.pauseOpen)
            return damaged(where + "a pass of the pause that no frame began");
        if (f.fadeStarts && sequence.fadeSeen)
            return damaged(where + "the exit fade begins twice");
        auto changedDouble = [&](uint8_t flag, double& field) {
            if (!(flags & flag))
                return true;
            if (!payload.has(8))
                return false;
            const double v = payload.f64();
            if (!finiteWithin(v, REPLAY_MAX_INPUT) || sameBits(v, field))
                return false;
            field = v;
            return true;
        };
        if (!changedDouble(F_MOUSE_X, f.mouseX) || !changedDouble(F_MOUSE_Y, f.mouseY))
            return damaged(where + "bad mouse position");
        if (flags & F_BUTTONS) {
            if (!payload.has(1))
                return damaged(where + "a frame is cut short");
            const uint8_t b = payload.u8();
            if ((b & ~3u) || b == buttonBits(state))
                return damaged(where + "bad button state");
            f.leftButton = b & 1;
            f.rightButton = b & 2;
        }
        if (!changedDouble(F_WHEEL, f.wheel))
            return damaged(where + "bad wheel value");
        if (flags & F_KEYS) {
            if (!payload.has(1))
                return damaged(where + "a frame is cut short");
            const size_t n = size_t(payload.u8()) + 1;
            if (!payload.has(n))
                return damaged(where + "a frame is cut short");
            readerWork += n;
            int last = -1;
            for (size_t k = 0; k < n; ++k) {
                const int code = payload.u8();
                if (code <= last)
                    return damaged(where + "key codes out of order");
                flipKey(f.keys, code);
                last = code;
            }
        }
        frames.push_back(f);
        sequence.fadeSeen = sequence.fadeSeen || f.fadeStarts;
        sequence.pauseOpen = f.paused || f.pauseBegins;
        f.fadeStarts = f.paused = f.pauseBegins = false;
        state = f;
    }
    if (payload.left() != 0)
        return damaged(where + "unexpected bytes after its frames");
    return {};
}

ReplayReadResult readTrailer(Bytes& in, Replay& out, const ReplayReadOptions& options)
{
    const size_t start = in.pos();
    if (!in.has(8 + TRAILER_PAYLOAD + HASH_BYTES))
        return result(ReplayStatus::Incomplete, "cut short inside the trailer");
    in.skip(4);
    if (in.u32() != TRAILER_PAYLOAD)
        return damaged("damaged trailer: bad length");
    const size_t end = start + 8 + TRAILER_PAYLOAD;
    Bytes hashIn(in.at(end), HASH_BYTES);
    if (options.checkHashes && hashIn.u64() != contentHash(in.at(start), end - start))
        return damaged("damaged trailer (checksum mismatch)");
    ReplayTrailer& t = out.trailer;
    t.frames = in.u32();
    t.demoTime = in.f64();
    t.gameTime = in.f64();
    t.score = in.f64();
    t.life = in.f64();
    t.levelsCompleted = in.u32();
    t.levelsLost = in.u32();
    const uint8_t ending = in.u8();
    in.skip(HASH_BYTES);
    if (ending > 1)
        return damaged("damaged trailer: unknown ending");
    t.ending = static_cast<ReplayEnding>(ending);
    for (double v : {t.demoTime, t.gameTime, t.score, t.life})
        if (!std::isfinite(v))
            return damaged("damaged trailer: a value is not a number");
    if (t.frames != out.frames.size())
        return damaged("damaged trailer: it counts " + std::to_string(t.frames) + " frames, the file holds " +
                       std::to_string(out.frames.size()));
    if (in.left() != 0)
        return damaged("damaged: unexpected bytes after the trailer");
    return {};
}

}  // namespace

ReplayReadResult readReplay(const uint8_t* data, size_t size, Replay& out, ReplayReadOptions options)
{
    out = Replay{};
    AllocationBudget budget(size);
    Bytes in(data, size);
    if (ReplayReadResult r = readHeader(in, out.header, budget, options); !r.ok())
        return r;
    const uint16_t version = out.header.formatVersion;

    // Damage after the header ends the run where it is: the blocks before it stay.
    auto keptUntil = [&out](const std::string& damage) {
        return result(ReplayStatus::Incomplete, "incomplete: " + damage + "; the " +
                                                    std::to_string(out.frames.size()) +
                                                    " frames before it are kept");
    };

    // First pass: the blocks' frame of the file, lengths and hashes, and the
    // frame count, so the frames are allocated once and within the budget.
    uint64_t totalFrames = 0;
    const size_t blocksStart = in.pos();
    bool cutShort = false;
    std::string firstDamage;  // what ended the intact blocks, if anything
    while (in.left() > 0) {
        if (!in.has(4)) {
            cutShort = true;
            break;
        }
        if (std::memcmp(in.at(in.pos()), TRAILER_TAG, 4) == 0)
            break;
        const size_t start = in.pos();
        if (std::memcmp(in.at(start), BLOCK_TAG, 4) != 0) {
            firstDamage = "damaged frames: no block or trailer at byte " + std::to_string(start);
            break;
        }
        if (!in.has(BLOCK_PREFIX)) {
            cutShort = true;
            break;
        }
        in.skip(4);
        const uint32_t first = in.u32();
        const uint32_t count = in.u32();
        const uint32_t length = in.u32();
        if (!in.has(size_t(length) + HASH_BYTES)) {
            cutShort = true;
            break;
        }
        Bytes hashIn(in.at(start + BLOCK_PREFIX + length), HASH_BYTES);
        readerWork += BLOCK_PREFIX + length;
        if (options.checkHashes && hashIn.u64() != contentHash(in.at(start), BLOCK_PREFIX + length)) {
            firstDamage = "damaged frames: checksum mismatch in the block at byte " + std::to_string(start);
            break;
        }
        if (first != totalFrames) {
            firstDamage = "damaged frames: the block at byte " + std::to_string(start) + " starts at frame " +
                          std::to_string(first) + ", expected " + std::to_string(totalFrames);
            break;
        }
        if (count == 0 || uint64_t(count) * MIN_FRAME_BYTES > length || totalFrames + count > UINT32_MAX) {
            firstDamage = "damaged frames: bad frame count in the block at byte " + std::to_string(start);
            break;
        }
        if (!budget.take(sizeof(uint32_t)))
            return result(ReplayStatus::TooLarge, "needs more memory than its size allows");
        in.skip(size_t(length) + HASH_BYTES);
        totalFrames += count;
        out.blockFrames.push_back(count);
    }
    if (totalFrames * sizeof(ReplayFrame) > SIZE_MAX / 2 || !budget.take(size_t(totalFrames) * sizeof(ReplayFrame)))
        return result(ReplayStatus::TooLarge, "needs more memory than its size allows");
    out.frames.reserve(size_t(totalFrames));

    // Second pass: the frames themselves (hashes and lengths are known good).
    Bytes blocks(data, size);
    blocks.skip(blocksStart);
    RecordSequence sequence;
    for (size_t b = 0; b < out.blockFrames.size(); ++b) {
        const size_t start = blocks.pos();
        blocks.skip(8);
        const uint32_t count = blocks.u32();
        const uint32_t length = blocks.u32();
        const size_t before = out.frames.size();
        if (ReplayReadResult r = readFrames(Bytes(blocks.at(blocks.pos()), length), count, version, out.frames,
                                            start, sequence);
            !r.ok()) {
            out.frames.resize(before);
            out.blockFrames.resize(b);
            return keptUntil(r.error);
        }
        blocks.skip(size_t(length) + HASH_BYTES);
    }
    if (!firstDamage.empty())
        return keptUntil(firstDamage);
    if (cutShort || blocks.left() == 0)
        return result(ReplayStatus::Incomplete, "incomplete: the recording ends without its trailer after " +
                                                    std::to_string(out.frames.size()) +
                                                    " frames (the run did not end normally, or the file was cut short)");
    if (ReplayReadResult r = readTrailer(blocks, out, options); !r.ok()) {
        out.trailer = ReplayTrailer{};
        if (r.status == ReplayStatus::Incomplete)
            return r;
        return keptUntil(r.error);
    }
    if (out.trailer.ending == ReplayEnding::ExitFade && !sequence.fadeSeen) {
        out.trailer = ReplayTrailer{};
        return keptUntil("damaged trailer: it ends by the exit fade, but no record begins it");
    }
    out.complete = true;
    return {};
}

ReplayReadResult readReplayFile(const std::string& path, Replay& out)
{
    out = Replay{};
    const int fd = openRegularFile(path.c_str());
    if (fd < 0) {
        if (errno == EISDIR || errno == EINVAL)
            return result(ReplayStatus::Foreign, "not a regular file");
        return result(ReplayStatus::Foreign, "cannot open the file: " + std::string(std::strerror(errno)));
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        ::close(fd);
        return result(ReplayStatus::Damaged, "cannot read the file");
    }
    if (static_cast<uint64_t>(st.st_size) > REPLAY_MAX_FILE_BYTES) {
        ::close(fd);
        return result(ReplayStatus::TooLarge, "too large for a replay (" + std::to_string(st.st_size) + " bytes)");
    }
    ::close(fd);
    std::vector<uint8_t> bytes;
    if (!readRegularFile(path.c_str(), bytes) || bytes.size() > REPLAY_MAX_FILE_BYTES)
        return result(ReplayStatus::Damaged, "cannot read the file");
    return readReplay(bytes.data(), bytes.size(), out);
}
