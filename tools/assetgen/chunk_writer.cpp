#include "chunk_writer.h"

#include <cstring>

void ChunkWriter::begin(uint16_t id)
{
    open_.push_back(bytes.size());
    u16(id);
    u32(0);
}

void ChunkWriter::end()
{
    const size_t start = open_.back();
    open_.pop_back();
    const uint32_t length = static_cast<uint32_t>(bytes.size() - start);
    for (int i = 0; i < 4; ++i)
        bytes[start + 2 + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));
}

void ChunkWriter::u16(uint16_t v)
{
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
}

void ChunkWriter::u32(uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ChunkWriter::f32(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(bits);
}

void ChunkWriter::text(const std::string& s)
{
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
}
