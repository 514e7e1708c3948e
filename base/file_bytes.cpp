// file_bytes.cpp - opening and reading regular files.
#include "base/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

int openRegularFile(const char* path)
{
    // Non-blocking, so that opening a pipe without a writer does not wait;
    // a regular file reads the same either way.
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        close(fd);
        errno = error;
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags != -1)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

std::FILE* openRegularFileStream(const char* path)
{
    const int fd = openRegularFile(path);
    if (fd < 0)
        return nullptr;
    std::FILE* f = fdopen(fd, "rb");
    if (!f)
        close(fd);
    return f;
}

bool readRegularFile(const char* path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    const int fd = openRegularFile(path);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0;
    if (ok) {
        try {
            bytes.resize(static_cast<size_t>(info.st_size));
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    size_t got = 0;
    while (ok && got < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n > 0)
            got += static_cast<size_t>(n);
        else if (n == 0)
            break;  // shorter than it was: keep what is there
        else if (errno != EINTR)
            ok = false;
    }
    close(fd);
    if (!ok) {
        bytes = {};
        return false;
    }
    bytes.resize(got);
    return true;
}
