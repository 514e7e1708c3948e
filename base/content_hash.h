// content_hash.h - a 64-bit hash of bytes, for telling files and records
// apart: which assets a recorded run used, whether a block of a replay file
// is intact, whether two runs ended on the same picture.
//
// Not a cryptographic hash: it finds accidental damage and differing files,
// not deliberate forgeries. Streaming and one-shot forms give the same value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ContentHash {
public:
    void update(const void* data, size_t size);
    uint64_t finish() const;

private:
    uint64_t state_ = 0x6a09e667f3bcc908ull;
    uint64_t length_ = 0;
    uint8_t pending_[8] = {};
    size_t pendingSize_ = 0;

    void word(uint64_t w);
};

uint64_t contentHash(const void* data, size_t size);
// Hash of a whole file; false when it cannot be read.
bool fileContentHash(const std::string& path, uint64_t& hash);
// "0123456789abcdef"
std::string hashText(uint64_t hash);
