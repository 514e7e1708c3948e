// l3ds_chunks.cpp - bounds-checked reading of 3DS chunks from one buffer.
#include "assets/l3ds/l3ds_chunks.h"

#include <cstring>

#include "base/work_meter.h"

bool LChunkReader::take(size_t count)
{
    if (failedRead || count > remaining()) {
        failedRead = true;
        return false;
    }
    position += count;
    return true;
}

uint8_t LChunkReader::readU8()
{
    return take(1) ? data[position - 1] : 0;
}

uint16_t LChunkReader::readU16()
{
    if (!take(2))
        return 0;
    const uint8_t* p = data + position - 2;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t LChunkReader::readU32()
{
    if (!take(4))
        return 0;
    const uint8_t* p = data + position - 4;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

float LChunkReader::readFloat()
{
    uint32_t bits = readU32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string LChunkReader::readString(size_t maxChars)
{
    if (failedRead)
        return {};
    const uint8_t* start = data + position;
    const void* zero = std::memchr(start, 0, remaining());
    if (!zero) {
        failedRead = true;
        return {};
    }
    size_t length = static_cast<const uint8_t*>(zero) - start;
    position += length + 1;
    readerWork += length + 1;
    return std::string(reinterpret_cast<const char*>(start), length < maxChars ? length : maxChars);
}

void LChunkReader::skip(size_t count)
{
    take(count);
}

bool LChunkReader::nextChunk(uint16_t& id, LChunkReader& contents)
{
    if (failedRead || atEnd())
        return false;
    ++readerWork;
    if (remaining() < 6) {
        failedRead = true;
        return false;
    }
    id = readU16();
    uint32_t length = readU32();
    if (length < 6 || length - 6 > remaining()) {
        failedRead = true;
        return false;
    }
    contents = LChunkReader(data + position, length - 6);
    position += length - 6;
    return true;
}
