// file_bytes.h - opening and reading files, for every reader of the game and
// its tools.
//
// Only a regular file is read, and only as many bytes as its size: a folder,
// a device or a pipe has no size to bound the read by (a folder reports an
// enormous one, /dev/zero never ends, a pipe without a writer never opens).
// Opening never waits: a pipe is opened without blocking and refused like any
// other file that is not regular. For a file of N bytes exactly N bytes are
// allocated, once. A file too large to hold is refused like one that cannot
// be read, never with an exception.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// A regular file opened for reading (blocking reads from here on), or -1 with
// errno set: the open's error, EISDIR for a folder, EINVAL for anything else
// that is not a regular file.
int openRegularFile(const char* path);
// The same as a stdio stream ("rb"); null when openRegularFile fails.
std::FILE* openRegularFileStream(const char* path);

// False (and `bytes` empty) when the path is missing, not a regular file, or
// cannot be read or held. A file that shrinks while it is read gives what it had.
bool readRegularFile(const char* path, std::vector<uint8_t>& bytes);
