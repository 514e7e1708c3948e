// file_bytes.h - a whole file into memory, for the readers.
//
// Only a regular file is read, and only as many bytes as its size: a folder,
// a device or a pipe has no size to bound the read by (a folder reports an
// enormous one, /dev/zero never ends, a pipe without a writer never opens).
// For a file of N bytes exactly N bytes are allocated, once. A file too large
// to hold is refused like one that cannot be read, never with an exception.
#pragma once

#include <cstdint>
#include <vector>

// False (and `bytes` empty) when the path is missing, not a regular file, or
// cannot be read or held. A file that shrinks while it is read gives what it had.
bool readRegularFile(const char* path, std::vector<uint8_t>& bytes);
