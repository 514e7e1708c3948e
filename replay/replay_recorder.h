// replay_recorder.h - writes a replay file while the game runs.
//
// Frames collect in memory and go to the file as one block at least once a
// second of play (every frame when frames are slow) and at the end of every
// level, so a crash or a kill loses at most the last second; a normal end
// adds the trailer. The file is written
// in place (no temporary name to rename at the end): a run that crashes is
// still the last run, kept up to its last block. An exclusive lock keeps a
// second game from writing into the same file at the same time.
//
// Writing goes through write(2) without syncing, so a flush costs a copy into
// the page cache, never a wait for the disk. A failed write stops the
// recording (failure() says why); the game plays on.
#pragma once

#include <string>

#include "replay/replay_file.h"

class ReplayRecorder {
public:
    ReplayRecorder() = default;
    ~ReplayRecorder();
    // One file, one owner: a recorder moved over another closes the other's file first.
    ReplayRecorder(const ReplayRecorder&) = delete;
    ReplayRecorder& operator=(const ReplayRecorder&) = delete;
    ReplayRecorder(ReplayRecorder&& other) noexcept;
    ReplayRecorder& operator=(ReplayRecorder&& other) noexcept;

    // Creates or empties the file and writes the header.
    bool open(const std::string& path, const ReplayHeader& header, std::string& error);
    // Appends a frame. `levelsEnded` counts the levels completed or lost so
    // far: a change means the frame before ended a level, which is flushed.
    void record(const ReplayFrame& frame, int levelsEnded);
    // Writes the buffered frames as one block.
    void flush();
    // Writes the trailer and closes the file.
    void finish(const ReplayTrailer& trailer);
    void close();

    bool isOpen() const { return fd_ >= 0; }
    uint32_t frames() const { return encoder_.framesWritten() + encoder_.framesInBlock(); }
    uint32_t framesFlushed() const { return encoder_.framesWritten(); }
    // The recorded deltas summed in order, as a replay's clock sums them.
    double seconds() const { return seconds_; }
    // Why the recording stopped early; empty while it runs.
    const std::string& failure() const { return failure_; }

    double flushSeconds = 1.0;  // frame-clock seconds between flushes

private:
    int fd_ = -1;
    ReplayEncoder encoder_;
    double bufferedSeconds_ = 0.0;
    double seconds_ = 0.0;
    int levelsEnded_ = 0;
    std::string failure_;

    bool writeOut();
};
