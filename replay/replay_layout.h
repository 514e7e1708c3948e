// replay_layout.h - the byte layout of a replay file, shared by its reader
// and its writer (replay_reader.cpp, replay_writer.cpp); see replay_file.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "replay/replay_file.h"

namespace replay_layout {

constexpr char BLOCK_TAG[4] = {'F', 'R', 'M', 'S'};
constexpr char TRAILER_TAG[4] = {'D', 'O', 'N', 'E'};
constexpr size_t HEADER_PREFIX = 14;  // magic, version, body length
constexpr size_t BLOCK_PREFIX = 16;   // tag, first frame, count, payload length
constexpr size_t HASH_BYTES = 8;
constexpr uint32_t TRAILER_PAYLOAD = 45;
constexpr size_t MIN_FRAME_BYTES = 9;  // flags and delta
constexpr size_t MAX_NAME = 255;
constexpr size_t MAX_ASSETS = 4096;

enum FrameFlag : uint8_t {
    F_MOUSE_X = 1,
    F_MOUSE_Y = 2,
    F_BUTTONS = 4,
    F_WHEEL = 8,
    F_KEYS = 16,
    F_FADE = 32,
    F_PAUSED = 64,        // format 2
    F_PAUSE_BEGINS = 128, // format 2
    F_KNOWN_V1 = 63,
    F_INPUTS = F_MOUSE_X | F_MOUSE_Y | F_BUTTONS | F_WHEEL | F_KEYS,
};
enum SettingsFlag : uint8_t {
    S_FULLSCREEN = 1,
    S_WINDOWED = 2,
    S_ANTIALIASED = 4,
    S_FORCE_16_9 = 8,
    S_KNOWN = 15,
};

static_assert(sizeof(ReplayFrame) <= REPLAY_BUDGET_PER_BYTE * MIN_FRAME_BYTES, "the stated allocation budget");

inline bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
inline uint8_t buttonBits(const ReplayFrame& f) { return uint8_t((f.leftButton ? 1 : 0) | (f.rightButton ? 2 : 0)); }
inline bool keyDown(const KeyMask& keys, int code) { return (keys[size_t(code) >> 6] >> (code & 63)) & 1u; }
inline void flipKey(KeyMask& keys, int code) { keys[size_t(code) >> 6] ^= uint64_t(1) << (code & 63); }

}  // namespace replay_layout
