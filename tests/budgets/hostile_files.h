// hostile_files.h - crafted worst cases for the file readers.
//
// Each maker returns a file of about `bytes` bytes built to make one reader
// allocate or work as much as it can per byte: the smallest chunks that still
// become list entries, names that must be looked up, tracks and smoothing
// words that once cost time or memory growing with the square of the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct HostileFile {
    const char* name;
    std::vector<uint8_t> (*make)(size_t bytes);
};

extern const std::vector<HostileFile> HOSTILE_3DS;
extern const std::vector<HostileFile> HOSTILE_OBJ;
extern const std::vector<HostileFile> HOSTILE_MOTION;
extern const std::vector<HostileFile> HOSTILE_REPLAY;
