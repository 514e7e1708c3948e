// replay_file.h - the replay file: a recorded run, frame by frame.
//
// A replay holds every pass of the frame loop that drew something: each
// frame of the game part with what it consumed (the frame delta bit for bit,
// the mouse, buttons, wheel and key states of FrameInputs), and each pass of
// the pause with its delta, after a header that says how the run was set up
// and, when the run ended normally, a trailer with the state it ended in.
// Given the same set-up the rules and the pictures are deterministic, so the
// records replay the run exactly, pauses and exit fade included.
//
// Layout (little-endian throughout):
//
//   header   "GWREPLAY", u16 format version, u32 body length L, body (L bytes),
//            u64 hash of everything before it.
//            Body: u8 n + n bytes game version ("glasswake 1.0.0");
//            u8 settings flags (1 full screen, 2 "Windowed", 4 "Antialiased",
//            8 "Force 16:9"); i32 dialog mode width, height; i32 window
//            width, height; i32 render width, height; u32 generator state
//            the first level was laid out from; (format 2) u64 digest of the
//            rules that made the run (rules_digest.h); u16 asset count, per
//            asset u8 n + n bytes file name and u64 content hash (0: missing),
//            each name once.
//   blocks   "FRMS", u32 index of its first frame, u32 frame count (>= 1),
//            u32 payload length P, payload, u64 hash of the block before it.
//            The recorder writes one block per flush, so a run that crashes
//            keeps every block written before it.
//   trailer  "DONE", u32 payload length (45), u32 frames, f64 frame-clock
//            seconds, f64 game time, f64 score, f64 life, u32 levels
//            completed, u32 levels lost, u8 how it ended (0 exit fade,
//            1 window closed), u64 hash. Nothing follows it.
//
// A frame: u8 flags, f64 frame delta, then the fields that changed since the
// previous frame of the same block (each block starts from mouse 0, wheel 0,
// nothing held): flag 1 f64 mouse x, 2 f64 mouse y, 4 u8 buttons (1 left,
// 2 right), 8 f64 wheel, 16 u8 (n - 1) + n key codes whose state flipped, in
// increasing order. Flag 32 marks the record before which the exit fade began.
// Format 2 adds two: flag 64 makes the record a pass of the pause (the game
// part is not drawn; only the delta and maybe flag 32 follow, and the inputs
// stay as they were), flag 128 on a frame says the pause began right after it
// (in the same pass). A pass of the pause follows such a frame or another
// pass of the pause. Encodings are canonical (a field is present exactly when
// it changed), so a file read and written again gives the same bytes. Format
// 1 files (no digest, no pause) are still read.
//
// Reading checks everything before anything is used: magic word, format
// version, every hash, every length, every value's range (deltas from 0 to
// REPLAY_MAX_DELTA, mouse and wheel finite and bounded), the frame numbering of
// the blocks and the trailer's frame count. A damaged header loses the file;
// damage after it (a block, the trailer, bytes after the trailer) ends the
// run there: the intact blocks before it are kept and the file reads as an
// incomplete run, as a cut one does. Memory: for N input bytes the reader allocates at
// most REPLAY_BUDGET_PER_BYTE * N + REPLAY_BUDGET_FIXED (8 N + 64 KiB; a
// frame is at least 9 bytes in the file and 72 in memory), besides the N
// bytes of the file itself when it reads one; it refuses a file that would
// need more. Its work (base/work_meter.h) grows linearly with N.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/frame_inputs.h"

constexpr char REPLAY_MAGIC[8] = {'G', 'W', 'R', 'E', 'P', 'L', 'A', 'Y'};
constexpr uint16_t REPLAY_FORMAT_VERSION = 2;

// The longest frame: far beyond any the frame clock can measure (its 64-bit
// nanosecond counter spans 292 years), and the frame loop holds every delta
// to it, so every frame the game plays can be recorded and read back.
constexpr double REPLAY_MAX_DELTA = 1.0e12;
// A cursor a million units out is no real input.
constexpr double REPLAY_MAX_INPUT = 1.0e6;
constexpr int32_t REPLAY_MAX_SIZE = 16384;
// Files larger than this are refused before they are read: days of play at
// 60 fps, hours at a thousand.
constexpr size_t REPLAY_MAX_FILE_BYTES = size_t(256) << 20;
constexpr size_t REPLAY_BUDGET_PER_BYTE = 8;
constexpr size_t REPLAY_BUDGET_FIXED = 64 * 1024;

struct ReplaySettings {
    bool fullscreen = true;
    bool windowed = false;  // the dialog's check boxes
    bool antialiased = true;
    bool force169 = true;
    int32_t modeWidth = 0;  // the resolution chosen in the dialog
    int32_t modeHeight = 0;
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    int32_t renderWidth = 0;
    int32_t renderHeight = 0;
};

struct ReplayAsset {
    std::string name;   // relative to the game's folder
    uint64_t hash = 0;  // 0 when the file was missing
};

struct ReplayHeader {
    uint16_t formatVersion = REPLAY_FORMAT_VERSION;  // as read; the encoder writes the current one
    std::string gameVersion;
    ReplaySettings settings;
    uint32_t levelSeed = 1;
    uint64_t rulesDigest = 0;  // 0 in format 1 files: not known
    std::vector<ReplayAsset> assets;
};

// 256 key states, one bit each.
using KeyMask = std::array<uint64_t, 4>;

struct ReplayFrame {
    double delta = 0.0;
    double mouseX = 0.0;
    double mouseY = 0.0;
    double wheel = 0.0;
    bool leftButton = false;
    bool rightButton = false;
    bool fadeStarts = false;   // the exit fade began before this record
    bool paused = false;       // a pass of the pause: the inputs are the last frame's, unused
    bool pauseBegins = false;  // a frame after which the pause began, in the same pass
    KeyMask keys{};
};

enum class ReplayEnding : uint8_t { ExitFade = 0, WindowClosed = 1 };

// Where a run ended: what the trailer stores, the re-simulation reaches and
// the tools print (one type, filled from the rules in one place:
// stateOfRules in replay_simulation.h).
struct ReplayRunState {
    uint32_t frames = 0;    // records, the passes of the pause included
    double demoTime = 0.0;  // the shell's clock: the deltas of the frames, and of the pause once the fade began
    double gameTime = 0.0;
    double score = 0.0;
    double life = 0.0;
    uint32_t levelsCompleted = 0;
    uint32_t levelsLost = 0;
};

struct ReplayTrailer : ReplayRunState {
    ReplayEnding ending = ReplayEnding::ExitFade;
};

struct Replay {
    ReplayHeader header;
    std::vector<ReplayFrame> frames;
    std::vector<uint32_t> blockFrames;  // frames per block as read; encodeReplay keeps them
    bool complete = false;  // the trailer is there
    ReplayTrailer trailer;
};

enum class ReplayStatus {
    Ok,
    Foreign,     // not a replay at all
    Newer,       // a format this version does not know
    Damaged,     // the header is damaged: nothing can be used
    Incomplete,  // ends without its trailer, or damaged after the header; the intact blocks are kept
    TooLarge,
};

struct ReplayReadResult {
    ReplayStatus status = ReplayStatus::Ok;
    std::string error;  // what is wrong, for a message; empty when Ok
    bool ok() const { return status == ReplayStatus::Ok; }
};

struct ReplayReadOptions {
    // Only the fuzz target turns this off, to reach the parsing behind the hashes.
    bool checkHashes = true;
};

ReplayReadResult readReplay(const uint8_t* data, size_t size, Replay& out, ReplayReadOptions options = {});
ReplayReadResult readReplayFile(const std::string& path, Replay& out);

// Writes a replay piece by piece: the header, then frames, closed into a
// block whenever endBlock is called, then the trailer. The bytes collect in
// `out` until the caller takes them.
class ReplayEncoder {
public:
    std::vector<uint8_t> out;

    void header(const ReplayHeader& header);
    void frame(const ReplayFrame& frame);
    // Closes the open block (nothing happens when it holds no frame).
    void endBlock();
    // Closes the open block and writes the trailer.
    void trailer(const ReplayTrailer& trailer);

    uint32_t framesWritten() const { return framesWritten_; }
    uint32_t framesInBlock() const { return framesInBlock_; }

private:
    std::vector<uint8_t> payload_;
    ReplayFrame previous_;
    uint32_t framesWritten_ = 0;
    uint32_t framesInBlock_ = 0;
};

// The whole file: the blocks as blockFrames says when it covers the frames,
// else one block.
std::vector<uint8_t> encodeReplay(const Replay& replay);

// The recorded fields of the inputs record, and back.
ReplayFrame replayFrameFromInputs(double delta, const FrameInputs& inputs, bool fadeStarts);
// A pass of the pause.
ReplayFrame replayPausedRecord(double delta, bool fadeStarts);
void applyReplayFrame(const ReplayFrame& frame, FrameInputs& inputs);
