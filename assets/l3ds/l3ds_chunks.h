// l3ds_chunks.h - bounds-checked reading of 3DS chunks from one buffer.
//
// A chunk is a 16-bit id and a 32-bit length (both little-endian, the length
// counting these 6 bytes) followed by its contents, which may hold further
// chunks. An LChunkReader covers one byte range; every read checks it first,
// and any read past the range marks the reader failed and returns zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class LChunkReader {
public:
    LChunkReader() = default;
    LChunkReader(const uint8_t* data, size_t size) : data(data), position(0), end(size) {}

    bool failed() const { return failedRead; }
    size_t remaining() const { return end - position; }
    bool atEnd() const { return position >= end; }

    uint8_t readU8();
    uint16_t readU16();
    uint32_t readU32();
    float readFloat();
    // A zero-terminated string; the stored text is cut to maxChars characters.
    // A string without its terminator inside the range fails the reader.
    std::string readString(size_t maxChars);
    void skip(size_t count);

    // Reads the next chunk header; `contents` then covers that chunk's contents
    // and this reader moves past the whole chunk. False at the end of the range
    // or, with failed() set, when the header or length does not fit.
    bool nextChunk(uint16_t& id, LChunkReader& contents);

private:
    bool take(size_t count);  // true and advances when count bytes remain

    const uint8_t* data = nullptr;
    size_t position = 0;
    size_t end = 0;
    bool failedRead = false;
};
