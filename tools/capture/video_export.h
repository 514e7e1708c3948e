// video_export.h - a replay turned into a video file with its sound, or one
// of its pictures into a PNG file.
//
//   glasswake-capture --replay FILE --video OUT.mp4|OUT.webm [--size WxH] [--fps N]
//   glasswake-capture --replay FILE --frame N --png OUT.png [--size WxH]
//
// The records play through the game's own passes (replay_render.h): what the
// video shows is what the game showed, pauses and exit fade included. The
// video's frame i shows the picture of the last record at or before i / fps
// (records no video frame shows run with the rules alone). The sound track is
// the game's own: its sound calls, logged with their times from a pass of the
// rules first (which must agree with the run's trailer) and mixed offline
// (sound/sound_offline.h) while the pictures render; the drawn pass must make
// the same calls. Pictures and sound reach Debian's ffmpeg through two pipes,
// with no scratch file: H.264 with AAC in .mp4, VP9 with Opus in .webm.
// ffmpeg is this tool's dependency only. The video is written under a
// temporary name beside OUT and renamed when complete; a failure, SIGINT,
// SIGTERM or SIGHUP stops ffmpeg and removes what the tool created, and
// nothing that was at OUT before is touched (exit 1, or 128 + the signal).
// Time and memory grow linearly with the run: memory with its records, time
// with its records and its length in video frames.
//
// --frame N writes record N (counting from 1, as glasswake-inspect counts
// frames) as the game displayed it: at the recorded render size unless
// --size is given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "replay/replay_file.h"

struct VideoExportOptions {
    std::string replayPath;
    std::string outPath;  // the video, or the PNG file with --frame
    int width = 1280;
    int height = 720;
    bool sizeGiven = false;
    int fps = 60;
    size_t frame = 0;  // --frame N; 0 for a video
};

// True when the arguments ask for a replay's video or picture (--replay, --video, --frame or --png).
bool wantsVideoExport(int argc, char** argv);
// False with the reason for a usage error.
bool parseVideoExportOptions(int argc, char** argv, VideoExportOptions& options, std::string& error);
// Exit status: 0 written, 1 refused input or a failed encoding, 128 + a signal that stopped it.
int exportReplayVideo(const VideoExportOptions& options);
// --frame: 0 written, 1 refused input or no such frame.
int exportReplayFrame(const VideoExportOptions& options);

// How many video frames show each record, for `fps` frames a second over the
// replay's length (the sum of its deltas, rounded to whole video frames, at
// least one); false when that length is beyond any video (2^40 frames).
bool videoFramesPerRecord(const Replay& replay, int fps, std::vector<uint64_t>& shown, uint64_t& videoFrames);
// ffmpeg's arguments after its inputs for the container OUT names (empty: none).
std::vector<std::string> encoderArguments(const std::string& outPath);
