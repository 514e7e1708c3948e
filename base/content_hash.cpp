// content_hash.cpp - see content_hash.h.
#include "base/content_hash.h"

#include <cstdio>
#include <cstring>

#include "base/file_bytes.h"

namespace {

constexpr uint64_t K1 = 0x9e3779b97f4a7c15ull;
constexpr uint64_t K2 = 0xc2b2ae3d27d4eb4full;

uint64_t rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

// Spreads every input bit over the whole word.
uint64_t avalanche(uint64_t x)
{
    x ^= x >> 31;
    x *= 0xd6e8feb86659fd93ull;
    x ^= x >> 32;
    x *= 0xd6e8feb86659fd93ull;
    x ^= x >> 32;
    return x;
}

uint64_t littleEndianWord(const uint8_t* p)
{
    uint64_t w = 0;
    for (int i = 7; i >= 0; --i)
        w = (w << 8) | p[i];
    return w;
}

}  // namespace

void ContentHash::word(uint64_t w)
{
    state_ = rotl(state_ ^ (w * K1), 29) * K2 + 0x165667b19e3779f9ull;
}

void ContentHash::update(const void* data, size_t size)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    length_ += size;
    if (pendingSize_ > 0) {
        while (size > 0 && pendingSize_ < 8) {
            pending_[pendingSize_++] = *p++;
            --size;
        }
        if (pendingSize_ < 8)
            return;
        word(littleEndianWord(pending_));
        pendingSize_ = 0;
    }
    for (; size >= 8; size -= 8, p += 8)
        word(littleEndianWord(p));
    std::memcpy(pending_, p, size);
    pendingSize_ = size;
}

uint64_t ContentHash::finish() const
{
    uint8_t tail[8] = {};
    std::memcpy(tail, pending_, pendingSize_);
    uint64_t s = rotl(state_ ^ (littleEndianWord(tail) * K2), 31) * K1;
    return avalanche(s ^ length_);
}

uint64_t contentHash(const void* data, size_t size)
{
    ContentHash h;
    h.update(data, size);
    return h.finish();
}

bool fileContentHash(const std::string& path, uint64_t& hash)
{
    std::FILE* f = openRegularFileStream(path.c_str());
    if (!f)
        return false;
    ContentHash h;
    uint8_t buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        h.update(buffer, got);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (ok)
        hash = h.finish();
    return ok;
}

std::string hashText(uint64_t hash)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
