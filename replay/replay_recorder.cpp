// replay_recorder.cpp - see replay_recorder.h.
#include "replay/replay_recorder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

ReplayRecorder::~ReplayRecorder() { close(); }

ReplayRecorder::ReplayRecorder(ReplayRecorder&& other) noexcept { *this = std::move(other); }

ReplayRecorder& ReplayRecorder::operator=(ReplayRecorder&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
        encoder_ = std::move(other.encoder_);
        bufferedSeconds_ = other.bufferedSeconds_;
        seconds_ = other.seconds_;
        levelsEnded_ = other.levelsEnded_;
        failure_ = std::move(other.failure_);
        flushSeconds = other.flushSeconds;
    }
    return *this;
}

bool ReplayRecorder::open(const std::string& path, const ReplayHeader& header, std::string& error)
{
    close();
    failure_.clear();
    // Not O_TRUNC: the file is emptied only once the lock is held.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? "another game is recording into it" : std::strerror(errno);
        close();
        return false;
    }
    // A device (/dev/null, say) has nothing to empty.
    struct stat info {};
    if (fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && ftruncate(fd_, 0) != 0) {
        error = std::strerror(errno);
        close();
        return false;
    }
    encoder_ = ReplayEncoder{};
    bufferedSeconds_ = 0.0;
    seconds_ = 0.0;
    levelsEnded_ = 0;
    encoder_.header(header);
    if (!writeOut()) {
        error = failure_;
        return false;
    }
    return true;
}

void ReplayRecorder::record(const ReplayFrame& frame, int levelsEnded)
{
    if (fd_ < 0)
        return;
    if (levelsEnded != levelsEnded_) {
        levelsEnded_ = levelsEnded;
        flush();
    }
    encoder_.frame(frame);
    seconds_ += frame.delta;
    bufferedSeconds_ += frame.delta;
    // Flushed when the buffer would be a second old by the next frame, were
    // that to take as long as this one: slow frames are each written out.
    // The first frame goes at once, as nothing tells yet how long the next takes.
    if (bufferedSeconds_ + frame.delta >= flushSeconds || encoder_.framesWritten() == 0)
        flush();
}

void ReplayRecorder::flush()
{
    if (fd_ < 0)
        return;
    encoder_.endBlock();
    bufferedSeconds_ = 0.0;
    writeOut();
}

void ReplayRecorder::finish(const ReplayTrailer& trailer)
{
    if (fd_ < 0)
        return;
    encoder_.trailer(trailer);
    if (writeOut())
        close();
}

void ReplayRecorder::close()
{
    if (fd_ >= 0)
        ::close(fd_);  // also releases the lock
    fd_ = -1;
}

bool ReplayRecorder::writeOut()
{
    const uint8_t* p = encoder_.out.data();
    size_t left = encoder_.out.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failure_ = n < 0 ? std::strerror(errno) : "nothing written";
            close();
            encoder_.out.clear();
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    encoder_.out.clear();
    return true;
}
