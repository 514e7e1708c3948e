// chunk_writer.h - builds nested 3DS chunks in memory: a 16-bit id and a
// 32-bit length (header included) per chunk, all little-endian; the length is
// patched in when the chunk is closed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ChunkWriter {
public:
    std::vector<uint8_t> bytes;

    void begin(uint16_t id);
    void end();
    void u16(uint16_t v);
    void u32(uint32_t v);
    void f32(float v);
    void text(const std::string& s);  // zero-terminated

    bool balanced() const { return open_.empty(); }

private:
    std::vector<size_t> open_;
};
